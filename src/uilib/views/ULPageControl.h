// A row of page dots drawn by two chains of one style sheet name ("pageDot:" unless set): the
// name's normal-state chain draws the ordinary dots, its selected-state chain the current
// page's dot.  A tap on the left half steps a page back, on the right half a page forward
// (within the pages), and sends value changed either way.
//
// Geometry (the normal dot chain decides it): each dot is the chain's size of empty content,
// with the left and right margins of the chain's first box style around it; sizeThatFits is
// the row without the outer margins, never negative (0 pages: 0 wide, the dot's height).
// Drawn, the row of n dots (T = (dw + ml + mr) × n − (ml + mr)) starts at round(W/2 − T/2) and
// each dot stands ml right of where the previous one ended (so the row sits ml right of
// centre).  Main thread only.
#pragma once

#include <string>

#include "UIKit/UIControl.h"
#include "uilib/style/ULStyle.h"

class ULPageControl : public UIControl {
  NS_CLASS(ULPageControl, UIControl)

 public:
  ULPageControl() : ULPageControl(CGRectZero) {}
  explicit ULPageControl(CGRect frame);

  long numberOfPages() const { return numberOfPages_; }
  // Kept at 0 or more; the current page stays as it was.
  void setNumberOfPages(long pages);
  long currentPage() const { return currentPage_; }
  // Kept within the pages (0 without pages).
  void setCurrentPage(long page);
  bool hidesForSinglePage() const { return hidesForSinglePage_; }
  void setHidesForSinglePage(bool hides) { hidesForSinglePage_ = hides; }
  const std::string& dotStyle() const { return dotStyle_; }
  // A new name is used from the next redraw the caller asks for.
  void setDotStyle(std::string name);

  ULStylePtr normalDotStyle() const;
  ULStylePtr currentDotStyle() const;

  CGSize sizeThatFits(CGSize size) const override;
  void drawRect(CGRect rect) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  struct DotGeometry {
    CGSize size;
    CGFloat marginLeft = 0, marginRight = 0;
  };
  DotGeometry dotGeometry() const;

  long numberOfPages_ = 0;
  long currentPage_ = 0;
  bool hidesForSinglePage_ = false;
  std::string dotStyle_ = "pageDot:";
  mutable ULStylePtr normalDotStyle_, currentDotStyle_;
};
