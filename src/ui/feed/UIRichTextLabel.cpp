#include "ui/feed/UIRichTextLabel.h"

#include <cmath>

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImageView.h"
#include "core/UIFilePath.h"
#include "ui/feed/UIYMLabel.h"
#include "ui/feed/UIZMLabel.h"
#include "ui/widgets/GifAnimatedShow.h"

namespace {

constexpr std::string_view kHttp = "http://";
constexpr std::string_view kAt = "@";

std::string replaceAll(std::string text, char from, char to) {
  for (char& c : text)
    if (c == from) c = to;
  return text;
}

}  // namespace

UIRichTextLabel::UIRichTextLabel(CGRect frame) : UILabel(frame) {}

void UIRichTextLabel::setTextFont(std::shared_ptr<UIFont> font) {
  setFont(std::move(font));
  imgWH_ = long(this->font()->leading());
}

void UIRichTextLabel::setModifyText(std::string_view text) {
  setText(replaceAll(replaceAll(std::string(text), '\n', ' '), '\r', ' '));
}

// ---- cutting

UIRichTextLabel::Pieces UIRichTextLabel::tokenise(std::string_view text) const {
  Pieces out;
  size_t open = text.find('[');
  cutLinks(text.substr(0, open), out);
  while (open != std::string_view::npos) {
    size_t next = text.find('[', open + 1);
    std::string_view part = text.substr(
        open + 1, next == std::string_view::npos ? std::string_view::npos : next - open - 1);
    size_t close = part.find(']');
    if (close == std::string_view::npos || part.find(']', close + 1) != std::string_view::npos) {
      // No name here: the "[" stays with the text.
      cutLinks(text.substr(open, part.size() + 1), out);
    } else {
      std::string bracketed = "[" + std::string(part.substr(0, close)) + "]";
      if (UIFilePath::isInBiaoQingList(part.substr(0, close)))
        out.pieces.push_back(bracketed);
      else
        cutLinks(bracketed, out);
      if (close + 1 < part.size()) cutLinks(part.substr(close + 1), out);
    }
    open = next;
  }
  return out;
}

void UIRichTextLabel::cutLinks(std::string_view whole, Pieces& out) const {
  if (whole.empty()) return;
  if (!needHyperlink_) {
    out.pieces.emplace_back(whole);
    return;
  }
  // Web links first, then names in the text between them; the tail is cut again with the
  // same key until nothing is left.
  auto cut = [&](std::string_view start, std::string_view key, auto& self) -> void {
    std::string text(start);
    while (true) {
      size_t at = text.find(key);
      if (at == std::string_view::npos) {
        if (key == kHttp)
          self(text, kAt, self);
        else
          out.pieces.emplace_back(text);
        return;
      }
      std::string prefix(text.substr(0, at));
      std::string_view rest = std::string_view(text).substr(at);
      NSRange end =
          key == kHttp ? UIHomeViewCell::isHttpString(rest) : UIHomeViewCell::isAtDrawString(rest);
      std::string token, tail;
      bool hasTail = end.location != NSNotFound;
      if (hasTail) {
        size_t split = byteOffsetOfUTF16Index(rest, end.location);
        token = std::string(rest.substr(0, split));
        tail = std::string(rest.substr(split));
      } else {
        token = std::string(rest);
      }
      if (utf16Length(token) == 1) {
        prefix += token;
        token.clear();
      }
      if (!prefix.empty()) {
        if (key == kHttp)
          self(prefix, kAt, self);
        else
          out.pieces.push_back(prefix);
      }
      if (!token.empty()) {
        out.links.push_back(out.pieces.size());
        out.pieces.push_back(token);
      }
      if (!hasTail) return;
      if (tail.empty()) {
        out.pieces.emplace_back();
        return;
      }
      text = std::move(tail);
    }
  };
  cut(whole, kHttp, cut);
}

// ---- layout

LinePen UIRichTextLabel::pen() const {
  LinePen pen;
  pen.font = font();
  pen.width = bounds().size.width;
  pen.height = bounds().size.height;
  pen.lineHeight = lineHeight();
  pen.nudgeLeftEdge = true;
  return pen;
}

long UIRichTextLabel::getLenByStr(std::string_view text, CGFloat width) const {
  return pen().fitLength(text, width);
}

void UIRichTextLabel::drawRect(CGRect) {
  layoutPieces(true);
}

void UIRichTextLabel::layoutPieces(bool paint) {
  if (imgWH_ == 0) imgWH_ = long(readingLineHeight());
  if (paint && textColor()) textColor()->set();
  for (auto& v : std::vector(subviews())) v->removeFromSuperview();
  mutiLineLabel_.clear();
  linkArray_.clear();
  setUserInteractionEnabled(true);
  CGFloat L = lineHeight();
  if (frame().size.height < L) {
    CGRect f = frame();
    f.size.height = L;
    setFrame(f);
  }
  laidOut_ = std::make_pair(text(), bounds().size.width);
  pen_ = pen();
  pen_.paint = paint;
  if (text().empty() || L < 1) return;
  Pieces cut = tokenise(text());
  size_t nextLink = 0;
  for (size_t i = 0; i < cut.pieces.size(); ++i) {
    const std::string& piece = cut.pieces[i];
    if (piece.size() >= 2 && piece.front() == '[' && piece.back() == ']' && drawEmoticon(piece))
      continue;
    if (nextLink < cut.links.size() && cut.links[nextLink] == i) {
      ++nextLink;
      if (needHyperlink_) {
        drawLinkString(piece);
        continue;
      }
    }
    pen_.drawString(piece);
  }
}

bool UIRichTextLabel::drawEmoticon(const std::string& piece) {
  auto number = UIFilePath::getBiaoQingByName(std::string_view(piece).substr(1, piece.size() - 2));
  if (!number) return false;
  std::string path = NSBundle::mainBundle()->pathForResource("face" + *number, "gif");
  if (path.empty() || !NSFileManager::defaultManager().fileExistsAtPath(path)) return false;
  CGFloat reading = readingLineHeight();
  if (pen_.x + reading > pen_.width) pen_.newLine();
  addSubview(
      GifAnimatedShow::getAnimationForGifAtName(path, CGRectMake(pen_.x, pen_.y, imgWH_, imgWH_)));
  pen_.x += reading;
  pen_.endOfLine();
  return true;
}

std::shared_ptr<MyLabel> UIRichTextLabel::linkLabel(CGRect frame, long index, std::string text) {
  auto self = std::static_pointer_cast<UIView>(shared_from_this());
  return MyLabel::initWithFrame(frame, self, weakSelf<UIRichTextLabel>(), 0, index, font(),
                                std::move(text));
}

void UIRichTextLabel::drawLinkString(const std::string& piece) {
  if (!drawsLinkLabels()) {
    drawLinkImage();
    return;
  }
  LinePen& p = pen_;
  const CGFloat W = p.width, L = p.lineHeight;
  CGFloat x0 = std::trunc(p.x);
  CGFloat w = p.measure(piece, 10000, L).width;
  if (w <= W - p.x || w - (W - p.x) < 1) {
    auto label = linkLabel(CGRectMake(x0, p.y, p.measure(piece, W, L).width, L), -1, piece);
    linkArray_.push_back(label);
    p.x += w;
  } else {
    long over = long(w - (W - p.x)), whole = std::max(1L, long(W));
    long lines = over / whole + (over % whole != 0 ? 2 : 1);
    auto item = std::make_shared<NSLabelsItem>();
    item->itemType = piece.find("http") != std::string::npos ? 1
                     : piece.find('@') != std::string::npos  ? 2
                                                             : 0;
    long index = long(mutiLineLabel_.size());
    long n = p.fitLength(piece, W - p.x);
    if (n == 0) {
      p.newLine();
      n = p.fitLength(piece, W);
    }
    item->upLabel =
        linkLabel(CGRectMake(p.x, p.y, W - p.x, L), index, substringToIndex(piece, size_t(n)));
    p.newLine();
    size_t count = size_t(n), length = utf16Length(piece);
    if (lines >= 3) {
      long m = lines - 2;
      for (long i = 0; i < m && count < length; ++i)
        count += size_t(p.fitLength(substringFromIndex(piece, count), W));
      count = std::min(count, length);
      item->middleLabel = linkLabel(CGRectMake(p.x, p.y, W, CGFloat(m) * L), index,
                                    substringWithRange(piece, NSMakeRange(size_t(n), count - n)));
      p.y += CGFloat(m) * L;
    }
    std::string rest = substringFromIndex(piece, count);
    CGFloat restWidth = p.measure(rest, W, L).width;
    item->downLabel = linkLabel(CGRectMake(p.x, p.y, restWidth, L), index, rest);
    p.x = restWidth;
    mutiLineLabel_.push_back(item);
    linkArray_.push_back(item);
  }
  p.endOfLine();
}

// ---- links

std::optional<std::string> UIRichTextLabel::getHttpStr(int n) {
  if (!laidOut_ || laidOut_->first != text() || laidOut_->second != bounds().size.width)
    layoutPieces(false);
  int seen = 0;
  for (auto& view : linkArray_) {
    std::optional<std::string> link;
    if (auto* item = std::get_if<std::shared_ptr<NSLabelsItem>>(&view)) {
      if ((*item)->itemType == 1) {
        std::string joined;
        for (auto& part : {(*item)->upLabel, (*item)->middleLabel, (*item)->downLabel})
          if (auto l = std::dynamic_pointer_cast<MyLabel>(part)) joined += l->text();
        link = joined;
      }
    } else if (auto label = std::get<std::shared_ptr<MyLabel>>(view);
               label->text().find("http") != std::string::npos) {
      link = label->text();
    }
    if (link && ++seen == n) return link;
  }
  return std::nullopt;
}

std::shared_ptr<NSLabelsItem> UIRichTextLabel::itemOf(const MyLabel& label) const {
  long i = label.index();
  if (i < 0 || i >= long(mutiLineLabel_.size())) return nullptr;
  return mutiLineLabel_[size_t(i)];
}

void UIRichTextLabel::colourOthers(const MyLabel& label, bool pressed) {
  auto item = itemOf(label);
  if (!item) return;
  for (auto& part : {item->upLabel, item->middleLabel, item->downLabel}) {
    auto l = std::dynamic_pointer_cast<MyLabel>(part);
    if (!l || l.get() == &label) continue;
    if (pressed)
      l->setSelectColor();
    else
      l->setUnselectColor();
  }
}

std::string UIRichTextLabel::linkTextOf(const MyLabel& label) const {
  auto item = itemOf(label);
  if (!item) return label.text();
  std::string joined;
  for (auto& part : {item->upLabel, item->middleLabel, item->downLabel})
    if (auto l = std::dynamic_pointer_cast<MyLabel>(part)) joined += l->text();
  return joined;
}

void UIRichTextLabel::beginLabel(MyLabel& label) {
  colourOthers(label, true);
}

void UIRichTextLabel::endLabel(MyLabel& label) {
  colourOthers(label, false);
}

void UIRichTextLabel::clickLabel(MyLabel& label) {
  std::string text = linkTextOf(label);
  if (auto d = delegate_.lock(); d && !text.empty()) d->openURL(text);
}

void UIRichTextLabel::longPress(MyLabel& label) {
  std::string text = linkTextOf(label);
  if (auto d = delegate_.lock(); d && !text.empty()) d->longPressAction(text);
}

bool UIRichTextLabel::respondsToSelector(std::string_view selector) const {
  return selector == "clickLabel:" || selector == "longPress:";
}

NS_CLASS_IMPLEMENTATION(UIRichTextLabel) {
  c.method("setNeedHyperlink:", &UIRichTextLabel::setNeedHyperlink);
}
NS_CLASS_IMPLEMENTATION(UIZMLabel) {
  c.method("setLinkShowType:", &UIZMLabel::setLinkShowType);
}
NS_CLASS_IMPLEMENTATION(UIYMLabel) {}
