// The widget kit's own tab bar: one image button per tab across the bar's width (a button's
// tag is its index), each with a caption under it, a background image view over the whole bar
// and a selection marker that slides to the selected tab.  A tab is described by a dictionary:
// "Default", "Highlighted", "Selected" and (optional) "Selected|Highlighted" images for the
// button's states, and "Text", the caption.
//
// A tap on a tab asks the delegate's tabBarShouldSelectIndex (when it says no, nothing
// happens), then selects it.  Out-of-range indices do nothing.
#pragma once

#include <memory>
#include <vector>

#include "Foundation/Value.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIView.h"

class SlideTabBar;

class SlideTabBarDelegate {
 public:
  virtual ~SlideTabBarDelegate() = default;
  // tabBar:shouldSelectIndex:
  virtual bool tabBarShouldSelectIndex(SlideTabBar& /*tabBar*/, size_t /*index*/) { return true; }
  // tabBar:didSelectIndex:
  virtual void tabBarDidSelectIndex(SlideTabBar& /*tabBar*/, size_t /*index*/) {}
};

// The news badge of tab `index` on a tab bar (the kit's or the platform's): a 15 × 15
// "showBarNews" image view at (64 × index + 49, 0) with tag 861 + index, added once; `isNews`
// false takes it away.
void setTabBarNewsBadge(UIView& bar, size_t index, bool isNews);

class SlideTabBar : public UIView {
  NS_CLASS(SlideTabBar, UIView)
 public:
  static constexpr long kNewsBadgeTag = 861;

  explicit SlideTabBar(CGRect frame);
  // initWithFrame:buttonImages:
  static std::shared_ptr<SlideTabBar> initWithFrame(CGRect frame, const Value& buttonImages);

  const std::shared_ptr<UIImageView>& backgroundView() const { return backgroundView_; }
  void setBackgroundImage(std::shared_ptr<UIImage> image);
  const std::vector<std::shared_ptr<UIButton>>& buttons() const { return buttons_; }
  void setButtons(std::vector<std::shared_ptr<UIButton>> buttons) { buttons_ = std::move(buttons); }
  // The marker is added to the bar; an earlier marker stays where it is.
  const std::shared_ptr<UIView>& animatedView() const { return animatedView_; }
  void setAnimatedView(std::shared_ptr<UIView> view);
  std::weak_ptr<SlideTabBarDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<SlideTabBarDelegate> delegate) { delegate_ = std::move(delegate); }
  size_t curSelectIndex() const { return curSelectIndex_; }

  void tabBarButtonClicked(const Value& button);
  // Selects the button at the index, tells the delegate its tag, and slides the marker to it
  // in 0.2 s.
  void selectTabAtIndex(size_t index);
  void setTabBarItemNews(size_t index, bool isNews) { setTabBarNewsBadge(*this, index, isNews); }
  // The buttons after it move down one tag and every button is laid out again for the new
  // count; the captions stay.
  void removeTabAtIndex(size_t index);
  // The new button (no caption) takes the index; those from it on move up one tag.
  void insertTabWithImageDic(const Value& dictionary, size_t index);

 private:
  std::shared_ptr<UIButton> makeButton(const Value& dictionary, size_t index, CGFloat width);
  void layOutButtons();

  std::shared_ptr<UIImageView> backgroundView_;
  std::vector<std::shared_ptr<UIButton>> buttons_;
  std::shared_ptr<UIView> animatedView_;
  size_t curSelectIndex_ = 0;
  std::weak_ptr<SlideTabBarDelegate> delegate_;
};
