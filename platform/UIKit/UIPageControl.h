// A row of dots, one a page, the current one lit.  A tap to the right of the current dot
// turns to the next page, to the left to the one before, and sends value changed.  With
// defersCurrentPageDisplay the dots keep showing the old page until updateCurrentPageDisplay.
#pragma once

#include "UIKit/UIControl.h"

class UIPageControl : public UIControl {
 public:
  static constexpr CGFloat kDotSize = 6, kDotSpacing = 10;

  UIPageControl() : UIPageControl(CGRectZero) {}
  explicit UIPageControl(CGRect frame);

  NS_CLASS(UIPageControl, UIControl)
 public:
  long numberOfPages() const { return pages_; }
  void setNumberOfPages(long pages);
  long currentPage() const { return current_; }
  // Kept within the pages; sends nothing.
  void setCurrentPage(long page);
  bool hidesForSinglePage() const { return hidesForSinglePage_; }
  void setHidesForSinglePage(bool hides);
  bool defersCurrentPageDisplay() const { return defers_; }
  void setDefersCurrentPageDisplay(bool defers) { defers_ = defers; }
  void updateCurrentPageDisplay();
  // The page whose dot is lit.
  long displayedPage() const { return displayed_; }
  CGSize sizeForNumberOfPages(long pages) const;

  void drawRect(CGRect rect) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  CGFloat dotX(long page) const;
  void updateVisibility();

  long pages_ = 0, current_ = 0, displayed_ = 0;
  bool hidesForSinglePage_ = false;
  bool defers_ = false;
};
