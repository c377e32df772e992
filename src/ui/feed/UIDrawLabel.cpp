#include "ui/feed/UIDrawLabel.h"

#include <cmath>
#include <cstdlib>

#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"

namespace {

// The integer at the start of a text, as the platform reads one: blanks, a sign, digits; 0
// when there is none.
int leadingInt(std::string_view text) {
  std::string s(text);
  return int(std::strtol(s.c_str(), nullptr, 10));
}

CGFloat measuredHeight(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat width,
                       UILineBreakMode mode) {
  return sizeWithFont(text, font, CGSizeMake(width, 10000), mode).height;
}

}  // namespace

UIDrawLabel::UIDrawLabel(CGRect frame)
    : UIView(frame),
      font_(UIFont::systemFontOfSize(UIFont::labelFontSize())),
      textColor_(UIColor::blackColor()) {}

void UIDrawLabel::setOffset(CGFloat offset) {
  offset_ = offset;
  setNeedsDisplay();
}

void UIDrawLabel::setHttpLinkTypes(std::string_view types) {
  size_t dash = types.find('-');
  if (types.empty() || dash == std::string_view::npos || dash == 0 || dash + 1 == types.size())
    return;
  linkShowType_ = leadingInt(types.substr(0, dash));
  webShowType_ = leadingInt(types.substr(dash + 1));
}

size_t UIDrawLabel::getLenByStr(std::string_view text, CGSize size,
                                const std::shared_ptr<UIFont>& font, UILineBreakMode mode) {
  size_t length = utf16Length(text);
  if (!font || length == 0) return length;
  CGFloat leading = font->leading();
  if (measuredHeight(text, font, size.width, mode) <= size.height) return length;
  size_t lines = leading > 0 ? size_t(std::floor(size.height / leading)) : 0;
  CGFloat oneLine = sizeWithFont(text, font, CGSizeMake(10000, leading), mode).width;
  size_t estimate = length;
  if (oneLine > 0)
    estimate = std::min(length, lines * size_t(std::floor(size.width * CGFloat(length) / oneLine)));
  // Back from the estimate three characters at a time: the first prefix that fits, or nearly.
  for (long n = long(estimate); n >= 1; n -= 3) {
    std::string head = substringToIndex(text, size_t(n));
    if (measuredHeight(head, font, size.width, mode) <= size.height + kFitSlack)
      return utf16Length(head);
  }
  return estimate;
}

size_t UIDrawLabel::getLenByStr(std::string_view text, CGSize size) const {
  return getLenByStr(text, size, font_, lineBreakMode_);
}

void UIDrawLabel::setImgSize(CGSize size) {
  imgSize_ = size;
  textLenth_ = utf16Length(text_);
  CGFloat width = bounds().size.width;
  if (drawType_ == kPictureLeft || drawType_ == kPictureRight) {
    if (drawType_ == kPictureLeft) {
      startx_ = imgSize_.width + offset_;
      drawW_ = width - startx_;
    } else {
      startx_ = 0;
      drawW_ = width - imgSize_.width - offset_;
    }
    drawH_ = imgSize_.height + offset_ / 2;
    firstDrawSize_ = CGSizeMake(drawW_, drawH_);
    firstLen_ = getLenByStr(text_, firstDrawSize_);
    std::string rest = substringFromIndex(text_, firstLen_);
    subDrawSize_ = rest.empty()
                       ? CGSizeZero
                       : sizeWithFont(rest, font_, CGSizeMake(width, 10000), lineBreakMode_);
  }
  setNeedsDisplay();
}

CGFloat UIDrawLabel::getContentHeight() {
  CGFloat height = firstDrawSize_.height + subDrawSize_.height;
  CGRect f = frame();
  f.size.height = height;
  setFrame(f);
  imgStart_.y = starty_;
  return height;
}

CGFloat UIDrawLabel::getContentHeightByText(std::string_view text, CGFloat maxWidth,
                                            const std::shared_ptr<UIFont>& font) {
  const CGFloat besideHeight = kDefaultPictureSide + kDefaultOffset / 2;
  size_t n = getLenByStr(
      text, CGSizeMake(maxWidth - kDefaultPictureSide - kDefaultOffset, besideHeight), font);
  std::string rest = substringFromIndex(text, n);
  if (rest.empty()) return besideHeight;
  return besideHeight + measuredHeight(rest, font, maxWidth, UILineBreakModeWordWrap);
}

void UIDrawLabel::drawRect(CGRect rect) {
  if (text_.empty()) return;
  if (textColor_) textColor_->set();
  if (drawType_ != kPictureLeft && drawType_ != kPictureRight) {
    drawInRect(text_, rect, font_, lineBreakMode_);
    return;
  }
  drawInRect(substringToIndex(text_, firstLen_), CGRectMake(startx_, starty_, drawW_, drawH_),
             font_, lineBreakMode_);
  if (firstLen_ >= textLenth_) return;
  std::string rest = substringFromIndex(text_, firstLen_);
  if (rest.empty()) return;
  CGFloat top = drawH_ + starty_;
  drawInRect(rest, CGRectMake(0, top, bounds().size.width, bounds().size.height - top), font_,
             lineBreakMode_);
}

void UIDrawLabel::describeAttributes(std::string& line) const {
  UIView::describeAttributes(line);
  if (!text_.empty()) line += " text=" + quoted(text_);
  if (drawType_ != kPlain) line += " drawType=" + std::to_string(drawType_);
}

NS_CLASS_IMPLEMENTATION(UIDrawLabel) {}
