#include "ui/widgets/UIWebLabelCell.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "UIKit/UIColor.h"

namespace {

// One piece after a "<a": its runs, plain when the anchor is not well formed.
void parsePiece(std::string_view piece, std::vector<std::shared_ptr<NSLabelItem>>& out) {
  auto plain = [&](std::string_view text) {
    auto run = std::make_shared<NSLabelItem>();
    run->text = std::string(text);
    out.push_back(run);
  };
  if (piece.substr(0, 5) != " href") return plain(piece);
  size_t start = 0, end = std::string_view::npos;
  if (size_t single = piece.find("href='"); single != std::string_view::npos) {
    start = single + 6;
    end = piece.find("'>", start);
  } else if (size_t dbl = piece.find("href=\""); dbl != std::string_view::npos) {
    start = dbl + 6;
    end = piece.find("\">", start);
  }
  if (end == std::string_view::npos) return plain(piece);
  size_t textStart = end + 2;
  size_t close = piece.find("</a>", textStart);
  if (close == std::string_view::npos) return plain(piece);
  auto link = std::make_shared<NSLabelItem>();
  link->type = NSLabelItem::kLink;
  link->linkText = std::string(piece.substr(start, end - start));
  link->text = std::string(piece.substr(textStart, close - textStart));
  out.push_back(link);
  if (close + 4 < piece.size()) plain(piece.substr(close + 4));
}

}  // namespace

UIWebLabelCell::UIWebLabelCell(CGRect frame) : UIView(frame) {}

std::shared_ptr<UIWebLabelCell> UIWebLabelCell::initWithFrame(CGRect frame) {
  auto view = std::make_shared<UIWebLabelCell>(frame);
  view->setBackgroundColor(UIColor::clearColor());
  return view;
}

void UIWebLabelCell::setTextFont(std::shared_ptr<UIFont> font) {
  fon_ = std::move(font);
  imgWH_ = fon_ ? long(fon_->leading()) : 0;
}

void UIWebLabelCell::setText(std::string_view text) {
  size_t from = 0;
  while (from <= text.size()) {
    size_t at = text.find("<a", from);
    std::string_view piece =
        text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
    if (!piece.empty()) parsePiece(piece, webArray_);
    if (at == std::string_view::npos) break;
    from = at + 2;
  }
}

std::string UIWebLabelCell::getTextByText(std::string_view text) {
  UIWebLabelCell view;
  view.setText(text);
  std::string out;
  for (auto& run : view.webArray_) out += run->text;
  return out;
}

std::optional<std::string> UIWebLabelCell::getBusiName() const {
  for (auto& run : webArray_)
    if (run->type == NSLabelItem::kLink) return run->text;
  return std::nullopt;
}

LinePen UIWebLabelCell::pen() const {
  LinePen pen;
  pen.font = fon_;
  pen.width = frame().size.width;
  pen.height = frame().size.height;
  pen.lineHeight = CGFloat(imgWH_);
  pen.secondPass = true;
  return pen;
}

long UIWebLabelCell::getLenByStr(std::string_view text, CGFloat width) const {
  return pen().fitLength(text, width);
}

long UIWebLabelCell::getPointByStr(std::string_view text, CGFloat width) const {
  LinePen p = pen();
  if (p.lineHeight < 1) return 0;
  std::string s(text);
  CGSize size = p.measure(s, width, 10000);
  long lines = long(size.height + 1) / imgWH_;
  if (lines < 2) return long(size.width);
  for (long i = 0; i < lines - 1; ++i) {
    long n = p.fitLength(s, size.width);
    if (n >= long(utf16Length(s)) && p.measure(s, size.width, p.height).height > imgWH_)
      return long(p.measure(s, size.width, p.height).width);
    s = substringFromIndex(s, size_t(n));
  }
  long end = long(p.measure(s, size.width, imgWH_).width);
  return end == 0 ? 20 : end;
}

void UIWebLabelCell::drawRect(CGRect) {
  for (auto& v : std::vector(subviews())) v->removeFromSuperview();
  if (!fon_ || imgWH_ < 1) setTextFont(fon_ ? fon_ : UIFont::systemFontOfSize(14));
  if (imgWH_ < 1) return;
  pen_ = pen();
  for (auto& run : webArray_) {
    if (run->type == NSLabelItem::kLink)
      drawLinkString(run);
    else
      pen_.drawString(run->text);
  }
}

std::shared_ptr<MyLabel> UIWebLabelCell::linkLabel(CGRect frame, std::string text) {
  auto self = std::static_pointer_cast<UIView>(shared_from_this());
  return MyLabel::initWithFrame(frame, self, weakSelf<UIWebLabelCell>(), 0,
                                long(mutiLineLabel_.size()), fon_, std::move(text));
}

void UIWebLabelCell::drawLinkString(const std::shared_ptr<NSLabelItem>& run) {
  LinePen& p = pen_;
  const std::string& t = run->text;
  const CGFloat W = p.width, h = p.lineHeight;
  CGFloat x0 = std::trunc(p.x);
  CGFloat m = sizeWithFont(t, fon_, CGSizeMake(10000, h), UILineBreakModeWordWrap).width;
  long pieces = 1;
  if (m > W - p.x) {
    long over = long(m - (W - p.x)), whole = std::max(1L, long(W));
    pieces = over / whole + (over % whole != 0 ? 2 : 1);
  }
  auto record = std::make_shared<NSLabelItem>();
  record->type = run->type;
  record->text = run->text;
  record->linkText = run->linkText;
  if (pieces == 1) {
    CGFloat lw = p.measure(t, W, h).width;
    record->upLabel = linkLabel(CGRectMake(x0, p.y, lw, h), t);
    p.x += m;
  } else {
    long n = p.fitLength(t, W - p.x);
    if (n == 0) {
      p.newLine();
      n = p.fitLength(t, W);
    }
    record->upLabel = linkLabel(CGRectMake(p.x, p.y, W - p.x, h), substringToIndex(t, size_t(n)));
    p.newLine();
    std::string rest = substringFromIndex(t, size_t(n));
    if (pieces >= 3) {
      long k = pieces - 2;
      size_t c = 0, length = utf16Length(rest);
      for (long i = 0; i < k && c < length; ++i)
        c += size_t(std::max(0L, p.fitLength(substringFromIndex(rest, c), W)));
      c = std::min(c, length);
      record->middleLabel =
          linkLabel(CGRectMake(0, p.y, W, CGFloat(k) * h), substringToIndex(rest, c));
      p.y += CGFloat(k) * h;
      rest = substringFromIndex(rest, c);
    }
    CGFloat rw = sizeWithFont(rest, fon_, CGSizeMake(W, h), UILineBreakModeWordWrap).width;
    record->downLabel = linkLabel(CGRectMake(0, p.y, rw, h), rest);
    p.x = rw;
  }
  mutiLineLabel_.push_back(record);
  if (p.x >= W) p.newLine();
}

// ---- the link labels' reports

std::shared_ptr<NSLabelItem> UIWebLabelCell::recordOf(const MyLabel& label) const {
  long i = label.index();
  if (i < 0 || i >= long(mutiLineLabel_.size())) return nullptr;
  return mutiLineLabel_[size_t(i)];
}

void UIWebLabelCell::colourOthers(const MyLabel& label, bool pressed) {
  auto record = recordOf(label);
  if (!record) return;
  for (auto& part : {record->upLabel, record->downLabel, record->middleLabel}) {
    if (!part || part.get() == &label) continue;
    if (pressed)
      part->setSelectColor();
    else
      part->setUnselectColor();
  }
}

void UIWebLabelCell::beginLabel(MyLabel& label) {
  colourOthers(label, true);
}

void UIWebLabelCell::endLabel(MyLabel& label) {
  colourOthers(label, false);
}

std::optional<std::string> UIWebLabelCell::reportedText(const MyLabel& label) const {
  if (auto record = recordOf(label)) {
    if (record->type != NSLabelItem::kLink || record->linkText.empty()) return std::nullopt;
    return record->linkText;
  }
  return label.text();
}

void UIWebLabelCell::clickLabel(MyLabel& label) {
  auto d = delegate_.lock();
  if (!d || !d->respondsToSelector("openURL:")) return;
  if (auto text = reportedText(label)) d->openURL(*text);
}

void UIWebLabelCell::longPress(MyLabel& label) {
  auto d = delegate_.lock();
  if (!d || !d->respondsToSelector("longPressAction:")) return;
  if (auto text = reportedText(label)) d->longPressAction(*text);
}

bool UIWebLabelCell::respondsToSelector(std::string_view selector) const {
  return selector == "clickLabel:" || selector == "longPress:";
}

NS_CLASS_IMPLEMENTATION(UIWebLabelCell) {}
NS_CLASS_IMPLEMENTATION(NSLabelItem) {}
