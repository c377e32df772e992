// Action sheets: a list of buttons that slides up from the bottom of a window over a dimmed
// screen.  Buttons are numbered in the order they were given: the destructive one first (red),
// then the others, then the cancel one (shown last, set apart); addButtonWithTitle adds at the
// end.  A tap on a button tells the delegate clicked and will dismiss; the sheet slides away
// over kAnimationDuration on the main run loop's clock, leaves the window, and the delegate
// hears did dismiss.  The sheet is a view like any other: tests tap its buttons by their titles.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIView.h"

class UIActionSheet;
class UIButton;

enum class UIActionSheetStyle {
  Automatic = -1,
  Default = 0,
  BlackTranslucent = 2,
  BlackOpaque = 1
};

class UIActionSheetDelegate {
 public:
  virtual ~UIActionSheetDelegate() = default;
  virtual void actionSheetClickedButtonAtIndex(const std::shared_ptr<UIActionSheet>&,
                                               long /*buttonIndex*/) {}
  virtual void willPresentActionSheet(const std::shared_ptr<UIActionSheet>&) {}
  virtual void didPresentActionSheet(const std::shared_ptr<UIActionSheet>&) {}
  virtual void actionSheetWillDismissWithButtonIndex(const std::shared_ptr<UIActionSheet>&, long) {}
  virtual void actionSheetDidDismissWithButtonIndex(const std::shared_ptr<UIActionSheet>&, long) {}
};

class UIActionSheet : public UIView {
 public:
  static constexpr double kAnimationDuration = 0.3;
  static constexpr CGFloat kButtonHeight = 44;

  // initWithTitle:delegate:cancelButtonTitle:destructiveButtonTitle:otherButtonTitles: (empty
  // titles: no such button).  The delegate is not retained.
  UIActionSheet(std::string title, std::weak_ptr<UIActionSheetDelegate> delegate,
                std::string cancelButtonTitle = {}, std::string destructiveButtonTitle = {},
                std::vector<std::string> otherButtonTitles = {});

  NS_CLASS(UIActionSheet, UIView)
 public:
  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  std::weak_ptr<UIActionSheetDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UIActionSheetDelegate> d) { delegate_ = std::move(d); }
  UIActionSheetStyle actionSheetStyle() const { return style_; }
  void setActionSheetStyle(UIActionSheetStyle style) { style_ = style; }

  long addButtonWithTitle(std::string title);
  long numberOfButtons() const { return long(buttons_.size()); }
  // Empty for an index out of range.
  std::string buttonTitleAtIndex(long index) const;
  // -1 when there is none.
  long cancelButtonIndex() const { return cancelIndex_; }
  void setCancelButtonIndex(long index);
  long destructiveButtonIndex() const { return destructiveIndex_; }
  void setDestructiveButtonIndex(long index);
  // The first that is neither cancel nor destructive; -1 when there is none.
  long firstOtherButtonIndex() const;

  // Slides up in the view's window (for a view in no window: nothing happens).
  void showInView(const std::shared_ptr<UIView>& view);
  // From a bar at the bottom of the screen: the same on a phone.
  void showFromToolbar(const std::shared_ptr<UIView>& toolbar) { showInView(toolbar); }
  void showFromTabBar(const std::shared_ptr<UIView>& tabBar) { showInView(tabBar); }
  bool isVisible() const { return visible_; }
  // Goes as if the button had been chosen, without a click: will and did dismiss.
  void dismissWithClickedButtonIndex(long buttonIndex, bool animated);

  // Sheets shown and not yet gone, oldest first.
  static std::vector<std::shared_ptr<UIActionSheet>> visibleActionSheets();
  // Takes every sheet away without telling the delegates (a fresh application).
  static void removeAllVisibleActionSheets();

  void layoutSubviews() override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::shared_ptr<UIActionSheet> selfPtr();
  void rebuildButtons();
  void tapped(long index);
  CGFloat heightForWidth(CGFloat width);

  std::string title_;
  std::weak_ptr<UIActionSheetDelegate> delegate_;
  UIActionSheetStyle style_ = UIActionSheetStyle::Automatic;
  std::vector<std::string> buttons_;
  long cancelIndex_ = -1, destructiveIndex_ = -1;
  bool visible_ = false;
  std::shared_ptr<UIView> dimming_;
  std::shared_ptr<UIView> titleLabel_;
  std::vector<std::shared_ptr<UIButton>> buttonViews_;
};
