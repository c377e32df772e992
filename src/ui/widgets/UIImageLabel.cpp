#include "ui/widgets/UIImageLabel.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

UIImageLabel::UIImageLabel(CGRect frame) : UILabel(frame) {}

std::shared_ptr<UIImageLabel> UIImageLabel::initWithFrame(CGRect frame) {
  auto label = std::make_shared<UIImageLabel>(frame);
  label->setBackgroundColor(UIColor::clearColor());
  label->setOpaque(true);
  label->setTextColor(UIColor::blackColor());
  label->setMyFont(UIFont::systemFontOfSize(UIFont::labelFontSize()));
  return label;
}

void UIImageLabel::setMyFont(std::shared_ptr<UIFont> font) {
  setFont(std::move(font));
  imgWH_ = long(this->font()->leading());
  startx_ = starty_ = 0;
  pen_.x = pen_.y = 0;
}

// ---- cutting

std::optional<size_t> UIImageLabel::searchStr(std::string_view marker, size_t start) const {
  if (marker.empty() || start >= size_t(textNum_)) return std::nullopt;
  size_t at = originText_.find(marker, byteOffsetOfUTF16Index(originText_, start));
  if (at == std::string::npos) return std::nullopt;
  return utf16IndexOfByteOffset(originText_, at);
}

std::optional<UIImageLabel::Marker> UIImageLabel::markerFromByte(size_t byteStart) const {
  // The markers are ASCII, so byte searches never land inside a character.
  static constexpr std::pair<std::string_view, int> kMarkers[] = {
      {"\r\n", TextItem::kTextBeforeCRLF},
      {"\r", TextItem::kTextBeforeCR},
      {"\n", TextItem::kTextBeforeLF},
      {"<img", TextItem::kImage}};
  std::optional<Marker> best;
  for (auto [marker, kind] : kMarkers) {
    size_t at = originText_.find(marker, byteStart);
    if (at != std::string::npos && (!best || at < best->position)) best = Marker{at, kind};
  }
  return best;
}

std::optional<UIImageLabel::Marker> UIImageLabel::searchStrByIndex(size_t start) const {
  if (start >= size_t(textNum_)) return std::nullopt;
  auto m = markerFromByte(byteOffsetOfUTF16Index(originText_, start));
  if (m) m->position = utf16IndexOfByteOffset(originText_, m->position);
  return m;
}

void UIImageLabel::parseText() {
  mutiTextArr_.clear();
  originText_ = text();
  textNum_ = long(utf16Length(originText_));
  const std::string& s = originText_;
  auto append = [&](size_t from, size_t to, int type) {
    mutiTextArr_.push_back(
        std::make_shared<TextItem>(s.substr(from, to - from), type, int(mutiTextArr_.size())));
  };
  size_t cursor = 0;
  while (cursor < s.size()) {
    auto m = markerFromByte(cursor);
    if (!m) {
      append(cursor, s.size(), TextItem::kText);
      break;
    }
    if (m->kind != TextItem::kImage) {
      append(cursor, m->position, m->kind);
      cursor = m->position + (m->kind == TextItem::kTextBeforeCRLF ? 2 : 1);
      continue;
    }
    size_t close = s.find('>', m->position);
    if (close == std::string::npos) {
      append(cursor, s.size(), TextItem::kText);
      break;
    }
    append(cursor, m->position, TextItem::kText);
    append(m->position, close + 1, TextItem::kImage);
    cursor = close + 1;
  }
}

// ---- drawing

LinePen UIImageLabel::pen() const {
  LinePen pen;
  pen.font = font();
  pen.width = bounds().size.width;
  pen.height = bounds().size.height;
  pen.lineHeight = CGFloat(imgWH_);
  pen.x = startx_;
  pen.y = starty_;
  return pen;
}

long UIImageLabel::getLenByStr(std::string_view text, CGFloat width) const {
  return pen().fitLength(text, width);
}

void UIImageLabel::drawRect(CGRect) {
  parseText();
  // A font set with setFont alone before any setMyFont still gets lines of its own height.
  if (imgWH_ < 1) imgWH_ = std::max(1L, long(font()->leading()));
  pen_ = pen();
  if (textColor()) textColor()->set();
  for (auto& item : mutiTextArr_) {
    switch (item->type()) {
      case TextItem::kImage:
        drawImage(item->src());
        break;
      case TextItem::kText:
        drawString(item->text());
        break;
      default:
        drawString(item->text());
        pen_.newLine();
        break;
    }
  }
}

void UIImageLabel::drawImage(std::string_view name) {
  if (pen_.x + imgWH_ > pen_.width) pen_.newLine();
  if (auto image = name.empty() ? nullptr : UIImage::imageNamed(name))
    image->drawInRect(CGRectMake(pen_.x, pen_.y, imgWH_, imgWH_), CGBlendMode::Normal, 1.0);
  pen_.x += imgWH_;
  pen_.endOfLine();
}

void UIImageLabel::drawString(std::string_view run) {
  pen_.drawString(run);
}

void UIImageLabel::drawSubStr(std::string_view run) {
  pen_.drawSubStr(run);
}

NS_CLASS_IMPLEMENTATION(UIImageLabel) {
  c.method("setMyFont:", &UIImageLabel::setMyFont);
  c.property("realText", &UIImageLabel::realText, &UIImageLabel::setRealText);
  c.method("length", &UIImageLabel::length);
}
