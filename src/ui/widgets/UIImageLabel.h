// A label that draws its own text, line by line, with small pictures inline: the text may hold
// picture tags ("<img alt="…" src="name">", cut as TextItem says) and line breaks ("\r\n",
// "\r", "\n").  Every line is imgWH high (the font's line height) and every picture an
// imgWH square; a bundle picture is drawn by name, a remote one ("http" in its source) keeps
// its square empty.  Text wraps by characters; a run that starts mid-line continues there when
// at least two of its characters fit, and a piece that ends within half a line height of the
// right edge sends the next one to a new line.
//
// Set fonts with setMyFont, which also sets imgWH: a font set with setFont alone keeps the old
// line height.  The text is cut again at every draw; positions and lengths are in UTF-16
// units of the text.  The pen (upX, upY) starts at (startx, starty), always (0, 0).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UIKit/UILabel.h"
#include "ui/widgets/LinePen.h"
#include "ui/widgets/TextItem.h"

class UIImageLabel : public UILabel {
  NS_CLASS(UIImageLabel, UILabel)
 public:
  struct Marker {
    size_t position;
    int kind;  // TextItem's type: 3 "\r\n", 1 "\r", 2 "\n", 4 "<img"
  };

  explicit UIImageLabel(CGRect frame = CGRectZero);
  // Clear background, opaque flag set, black text, the system font of labelFontSize.
  static std::shared_ptr<UIImageLabel> initWithFrame(CGRect frame);

  void setMyFont(std::shared_ptr<UIFont> font);
  const std::string& realText() const { return realText_; }
  void setRealText(std::string text) { realText_ = std::move(text); }
  // Length of the text of the last cut.
  long length() const { return textNum_; }
  long imgWH() const { return imgWH_; }
  const std::vector<std::shared_ptr<TextItem>>& mutiTextArr() const { return mutiTextArr_; }

  // Cuts the current text into mutiTextArr.
  void parseText();
  // First occurrence of the marker at or after `start` in the text of the last cut.
  std::optional<size_t> searchStr(std::string_view marker, size_t start) const;
  // The nearest line break or picture tag at or after `start` ("\r\n" wins over "\r").
  std::optional<Marker> searchStrByIndex(size_t start) const;
  // How many leading characters of the text fit on one line of the width.
  long getLenByStr(std::string_view text, CGFloat width) const;

  void drawRect(CGRect rect) override;
  void drawString(std::string_view run);
  void drawSubStr(std::string_view run);
  void drawImage(std::string_view name);

 private:
  std::optional<Marker> markerFromByte(size_t byteStart) const;
  LinePen pen() const;

  std::string realText_;
  std::string originText_;
  std::vector<std::shared_ptr<TextItem>> mutiTextArr_;
  long textNum_ = 0;
  long imgWH_ = 0;
  CGFloat startx_ = 0, starty_ = 0;
  LinePen pen_;
};
