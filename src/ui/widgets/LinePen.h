// The pen of the labels that lay their text out themselves (the inline-picture label, the
// rich-text labels, the anchor text view): lines of one height, text wrapped by characters
// into one-line boxes, a run that starts mid-line continued there when at least two of its
// characters fit, and the pen sent to a new line when a piece ends within half a line height
// of the right edge.
//
// The pen draws into the current graphics context; with `paint` off it only moves, so that a
// label can lay its pieces out without drawing them.  Character counts are UTF-16 units.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIFont.h"

struct LinePen {
  std::shared_ptr<UIFont> font;
  CGFloat width = 0;       // of the label
  CGFloat height = 0;      // of the label
  CGFloat lineHeight = 0;  // whole points, at least 1 when drawing
  CGFloat x = 0, y = 0;
  // The rich-text labels move a run that ended exactly at the left edge to x 20.
  bool nudgeLeftEdge = false;
  // The anchor text view ends a block with a second pass over what the first left: it wraps
  // that rest again in the height left below the pen and leaves the pen on its last line.
  bool secondPass = false;
  bool paint = true;

  CGSize measure(std::string_view text, CGFloat w, CGFloat h) const {
    return sizeWithFont(text, font, CGSizeMake(w, h), UILineBreakModeCharacterWrap);
  }
  // How many leading characters of the text fit on one line of the width.
  long fitLength(std::string_view text, CGFloat w) const;
  void newLine() {
    x = 0;
    y += lineHeight;
  }
  // After a piece: a pen within half a line of the right edge goes to the next line.
  void endOfLine() {
    if (x >= width - lineHeight / 2) newLine();
  }
  // The text in the one-line box at the pen, to the right edge.
  void drawLine(std::string_view text) const;
  // A plain run from the pen (drawString:).
  void drawString(std::string_view run);
  // A run that may fill several lines, every line starting at the pen's x (drawSubStr:).
  void drawSubStr(std::string_view run);

 private:
  // The second pass: draws the rest and answers the width of its last line.
  CGFloat drawRest(std::string run);
};
