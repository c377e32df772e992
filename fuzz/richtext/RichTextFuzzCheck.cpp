#include "richtext/RichTextFuzzCheck.h"

#include <memory>
#include <string_view>

#include "CoreGraphics/CGContext.h"
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIGraphics.h"
#include "core/NSGlobe.h"
#include "ui/feed/UIYMLabel.h"
#include "ui/feed/UIZMLabel.h"
#include "ui/widgets/GifAnimatedShow.h"
#include "ui/widgets/UIImageLabel.h"
#include "ui/widgets/UIWebLabelCell.h"

namespace {

void drawInto(UIView& view) {
  auto ctx = CGContext::createRecording(view.bounds().size);
  UIGraphicsPushContext(ctx);
  view.drawRect(view.bounds());
  UIGraphicsPopContext();
}

std::string checkRichLabel(const std::shared_ptr<UIRichTextLabel>& label, std::string_view text) {
  label->setText(std::string(text));
  std::string joined;
  for (auto& piece : label->tokenise(text).pieces) joined += piece;
  if (joined != text) return "the cut pieces do not give back the text";
  drawInto(*label);
  label->getHttpStr(1);
  for (auto& v : label->subviews()) {
    CGRect f = v->frame();
    if (f.origin.x < 0 || f.origin.x + f.size.width > label->bounds().size.width + 1)
      return "a link or picture view outside the label's width";
  }
  return {};
}

}  // namespace

std::string richTextFuzzCheck(const uint8_t* data, size_t size) {
  static bool ready = [] {
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    NSGlobe::getEngine()->setTextFont(UIFont::systemFontOfSize(15));
    return true;
  }();
  (void)ready;
  if (size == 0) return {};
  CGFloat width = 20 + data[0] % 64 * 5;
  bool links = data[0] & 0x80;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  auto status = std::make_shared<UIZMLabel>(CGRectMake(0, 0, width, 200));
  status->setTextFont(UIFont::systemFontOfSize(15));
  status->setNeedHyperlink(links);
  status->setLinkShowType(data[0] & 0x40 ? 1 : 0);
  if (auto fault = checkRichLabel(status, text); !fault.empty()) return "status label: " + fault;
  auto comment = std::make_shared<UIYMLabel>(CGRectMake(0, 0, width, 100));
  comment->setTextFont(UIFont::systemFontOfSize(12));
  comment->setNeedHyperlink(!links);
  if (auto fault = checkRichLabel(comment, text); !fault.empty()) return "comment label: " + fault;

  auto anchors = UIWebLabelCell::initWithFrame(CGRectMake(0, 0, width, 150));
  if (links) anchors->setTextFont(UIFont::systemFontOfSize(13));
  anchors->setText(text);
  drawInto(*anchors);
  UIWebLabelCell::getTextByText(text);

  auto pictures = UIImageLabel::initWithFrame(CGRectMake(0, 0, width, 60));
  pictures->setText(std::string(text));
  drawInto(*pictures);
  // The emoticon views' decoding would otherwise wait for a run loop that never turns here.
  GifAnimatedShow::sharedInstance().asynchronousLoading();
  return {};
}
