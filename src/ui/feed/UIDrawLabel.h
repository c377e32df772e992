// The text of a list item laid out beside a square thumbnail and continued below it at full
// width.  The owner places the picture itself: it sets the text, font, frame and draw type,
// then the picture's size (setImgSize, which lays the text out), and asks getContentHeight for
// the label's height.  getContentHeightByText gives the same height for the default 50 × 50
// picture without a view, for row heights.
//
// Character counts (firstLen, textLenth, the fitting lengths) are UTF-16 units, and no cut
// splits a surrogate pair.  Sizes come from the text measurer: whole lines of the font's
// leading, widths rounded up, 10000 as "no limit".
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIView.h"

class UIColor;
class UIFont;

// The owner of an item's text labels.  The thumbnail label sends it nothing; the rich-text
// labels that take the same delegate tell it of taps on their links.
class UIDrawLabelDelegate {
 public:
  virtual ~UIDrawLabelDelegate() = default;
};

class UIDrawLabel : public UIView {
  NS_CLASS(UIDrawLabel, UIView)
 public:
  enum DrawType : int { kPlain = 0, kPictureLeft = 1, kPictureRight = 2 };
  // The block beside the default picture is the width less kDefaultPictureSide + kDefaultOffset,
  // and kDefaultPictureSide + kDefaultOffset / 2 high.
  static constexpr CGFloat kDefaultPictureSide = 50;
  static constexpr CGFloat kDefaultOffset = 15;
  // A prefix this much taller than its box still counts as fitting.
  static constexpr CGFloat kFitSlack = 5;

  UIDrawLabel() : UIDrawLabel(CGRectZero) {}
  // Empty text, the label font size, word wrap, black, gap 15, picture 50 × 50, plain.
  explicit UIDrawLabel(CGRect frame);

  const std::string& text() const { return text_; }
  // The layout is made again by the next setImgSize.
  void setText(std::string text) { text_ = std::move(text); }
  const std::shared_ptr<UIFont>& font() const { return font_; }
  void setFont(std::shared_ptr<UIFont> font) { font_ = std::move(font); }
  const std::shared_ptr<UIColor>& textColor() const { return textColor_; }
  void setTextColor(std::shared_ptr<UIColor> color) { textColor_ = std::move(color); }
  UILineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(UILineBreakMode mode) { lineBreakMode_ = mode; }
  int drawType() const { return drawType_; }
  void setDrawType(int type) { drawType_ = type; }
  CGFloat offset() const { return offset_; }
  // Stores the gap and draws again.
  void setOffset(CGFloat offset);
  CGSize imgSize() const { return imgSize_; }
  // Stores the picture's size, lays the text out for the current text, font, frame and draw
  // type, and draws again.
  void setImgSize(CGSize size);
  // "A-B": linkShowType A and webShowType B.  Nothing changes for an empty text, one without
  // "-", or one whose first "-" is its first or last character.
  void setHttpLinkTypes(std::string_view types);
  int linkShowType() const { return linkShowType_; }
  int webShowType() const { return webShowType_; }
  std::weak_ptr<UIDrawLabelDelegate> labelDelegate() const { return labelDelegate_; }
  void setLabelDelegate(std::weak_ptr<UIDrawLabelDelegate> d) { labelDelegate_ = std::move(d); }

  // The layout's results (valid from setImgSize until the text, font, frame or type change).
  CGFloat startx() const { return startx_; }
  CGFloat starty() const { return starty_; }
  CGFloat drawW() const { return drawW_; }
  CGFloat drawH() const { return drawH_; }
  CGSize firstDrawSize() const { return firstDrawSize_; }
  size_t firstLen() const { return firstLen_; }
  size_t textLenth() const { return textLenth_; }
  CGSize subDrawSize() const { return subDrawSize_; }
  CGPoint imgStart() const { return imgStart_; }

  // The height beside and below the picture; the view takes it as its height (origin and
  // width kept), and imgStart's y becomes starty.
  CGFloat getContentHeight();
  // The same height without a view, for the default 50 × 50 picture and gap 15.
  static CGFloat getContentHeightByText(std::string_view text, CGFloat maxWidth,
                                        const std::shared_ptr<UIFont>& font);
  // How many leading characters of the text fit in the box, wrapped by words (the class form)
  // or by the label's mode.
  static size_t getLenByStr(std::string_view text, CGSize size, const std::shared_ptr<UIFont>& font,
                            UILineBreakMode mode = UILineBreakModeWordWrap);
  size_t getLenByStr(std::string_view text, CGSize size) const;

  void drawRect(CGRect rect) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::string text_;
  std::shared_ptr<UIFont> font_;
  UILineBreakMode lineBreakMode_ = UILineBreakModeWordWrap;
  std::shared_ptr<UIColor> textColor_;
  CGFloat offset_ = kDefaultOffset;
  CGSize imgSize_{kDefaultPictureSide, kDefaultPictureSide};
  int drawType_ = kPlain;
  CGFloat startx_ = 0, starty_ = 0, drawW_ = 0, drawH_ = 0;
  CGSize firstDrawSize_{};
  size_t firstLen_ = 0;
  size_t textLenth_ = 0;
  CGSize subDrawSize_{};
  CGPoint imgStart_{};
  int linkShowType_ = 0, webShowType_ = 0;
  std::weak_ptr<UIDrawLabelDelegate> labelDelegate_;
};
