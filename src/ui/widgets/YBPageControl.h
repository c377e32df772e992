// Page dots in two colours, right-aligned with a 20-point margin: n dots of 7 x 7 points, 14
// points apart, across the middle of the control.  A touch on a dot (within half a gap of it)
// makes that page current and tells the delegate.
#pragma once

#include <memory>

#include "UIKit/UIColor.h"
#include "UIKit/UIView.h"

class YBPageControl;

class PageControlDelegate {
 public:
  virtual ~PageControlDelegate() = default;
  virtual void pageControlPageDidChange(YBPageControl& /*pageControl*/) {}
};

class YBPageControl : public UIView {
  NS_CLASS(YBPageControl, UIView)
 public:
  static constexpr CGFloat kDot = 7;
  static constexpr CGFloat kStep = 14;
  static constexpr CGFloat kMargin = 20;

  explicit YBPageControl(CGRect frame);
  static std::shared_ptr<YBPageControl> initWithFrame(CGRect frame);

  long currentPage() const { return currentPage_; }
  // Kept within 0 ... pages - 1 (-1 without pages).
  void setCurrentPage(long page);
  long numberOfPages() const { return numberOfPages_; }
  void setNumberOfPages(long count);
  // Where the first dot starts.
  CGFloat firstDotX() const;

  void drawRect(CGRect rect) override;
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;

  const std::shared_ptr<UIColor>& dotColorCurrentPage() const { return dotColorCurrentPage_; }
  void setDotColorCurrentPage(std::shared_ptr<UIColor> c) { dotColorCurrentPage_ = std::move(c); }
  const std::shared_ptr<UIColor>& dotColorOtherPage() const { return dotColorOtherPage_; }
  void setDotColorOtherPage(std::shared_ptr<UIColor> c) { dotColorOtherPage_ = std::move(c); }
  std::weak_ptr<PageControlDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<PageControlDelegate> d) { delegate_ = std::move(d); }

 private:
  long currentPage_ = 0;
  long numberOfPages_ = 0;
  std::shared_ptr<UIColor> dotColorCurrentPage_;
  std::shared_ptr<UIColor> dotColorOtherPage_;
  std::weak_ptr<PageControlDelegate> delegate_;
};
