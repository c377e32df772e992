// Styled tabs.  ULTabItem is the model of one tab (title, icon URL, badge number, an object of
// the caller's); ULTab is the button that shows an item, with its badge in the top-right
// corner; ULTabBar lays out a row of tabs made from an array of items and tells its delegate
// which tab the user selected.  ULTabStrip (ULTabStrip.h) scrolls the row, ULTabGrid
// (ULTabGrid.h) arranges it in columns.
//
// What callers rely on:
// - Badges: a number above 99 shows "99+", 0 hides the badge, a negative number is kept as 0.
// - setTabItems makes a tab per item and selects the first without telling the delegate
//   (whatever was selected before).  Selecting the selected index again tells nothing;
//   selecting an item that is not among the items clears the selection and tells the delegate
//   ULTabBarNoSelection (the platform's not-found index, 2147483647).
// - selectedTabItem and selectedTabView are nullptr when nothing is selected or the index is
//   past the items (an empty list still has index 0 selected).
// - Layout: tabs start 10 points in, each as wide as it fits, the bar's height high; a bar
//   whose content mode is scale-to-fill shares its width among them instead.  A bar without
//   tabs places nothing.
// Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Foundation/Value.h"
#include "uilib/views/ULButton.h"
#include "uilib/views/ULView.h"

class ULTab;
class ULTabBar;

inline constexpr long ULTabBarNoSelection = 2147483647;
// The room left of the first tab, and after the last one in a strip.
inline constexpr CGFloat ULTabMargin = 10;
// The largest badge number shown as it is.
inline constexpr long ULMaxBadgeNumber = 99;

class ULTabItem : public NSObject {
  NS_CLASS(ULTabItem, NSObject)

 public:
  ULTabItem() = default;
  // initWithTitle:
  explicit ULTabItem(std::string title) : title_(std::move(title)) {}

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::string& icon() const { return icon_; }
  void setIcon(std::string icon) { icon_ = std::move(icon); }
  const Value& object() const { return object_; }
  void setObject(Value object) { object_ = std::move(object); }
  long badgeNumber() const { return badgeNumber_; }
  // Negative numbers are kept as 0; the tab showing the item updates its badge.
  void setBadgeNumber(long number);
  // The tab showing the item (not kept alive).
  std::shared_ptr<ULTab> tabBar() const { return tabBar_.lock(); }
  void setTabBar(std::weak_ptr<ULTab> tab) { tabBar_ = std::move(tab); }

 private:
  std::string title_;
  std::string icon_;
  Value object_;
  long badgeNumber_ = 0;
  std::weak_ptr<ULTab> tabBar_;
};

class ULTab : public ULButton {
  NS_CLASS(ULTab, ULButton)

 public:
  ULTab() : ULTab(CGRectZero) {}
  explicit ULTab(CGRect frame) : ULButton(frame) {}
  // initWithItem:tabBar: (the bar is not kept).  Call on a tab already owned by a shared
  // pointer: the item keeps a weak reference to it.
  static std::shared_ptr<ULTab> tabWithItem(const std::shared_ptr<ULTabItem>& item);

  const std::shared_ptr<ULTabItem>& tabItem() const { return tabItem_; }
  // The item's title and icon become the normal state's; its badge shows when not 0.
  void setTabItem(std::shared_ptr<ULTabItem> item);
  // tabItem:badgeNumberChangedTo:
  void tabItemBadgeNumberChanged(ULTabItem& item, long number);
  void updateBadgeNumber();
  // The badge label; nullptr until a badge first shows.
  const std::shared_ptr<ULLabel>& badge() const { return badge_; }
  // The badge stays in the top-right corner when the tab is resized (a tab made for an item
  // with a badge has no width yet when the badge is placed).
  void layoutSubviews() override;

 private:
  void placeBadge();

  std::shared_ptr<ULTabItem> tabItem_;
  std::shared_ptr<ULLabel> badge_;
};

class ULTabDelegate {
 public:
  virtual ~ULTabDelegate() = default;
  // tabBar:tabSelected:
  virtual void tabBarTabSelected(ULTabBar& tabBar, long index) {}
};

class ULTabBar : public ULView {
  NS_CLASS(ULTabBar, ULView)

 public:
  ULTabBar() : ULTabBar(CGRectZero) {}
  // initWithFrame: no selection, the style "tabBar", tabs styled "tab:".
  explicit ULTabBar(CGRect frame);

  const std::string& tabStyle() const { return tabStyle_; }
  void setTabStyle(std::string style) { tabStyle_ = std::move(style); }
  const std::vector<std::shared_ptr<ULTabItem>>& tabItems() const { return tabItems_; }
  virtual void setTabItems(std::vector<std::shared_ptr<ULTabItem>> items);
  const std::vector<std::shared_ptr<ULTab>>& tabViews() const { return tabViews_; }
  std::shared_ptr<ULTabDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ULTabDelegate> delegate) { delegate_ = std::move(delegate); }

  long selectedTabIndex() const { return selectedTabIndex_; }
  void setSelectedTabIndex(long index);
  std::shared_ptr<ULTabItem> selectedTabItem() const;
  void setSelectedTabItem(const std::shared_ptr<ULTabItem>& item);
  std::shared_ptr<ULTab> selectedTabView() const;
  void setSelectedTabView(const std::shared_ptr<ULTab>& tab);
  void showTabAtIndex(long index);
  void hideTabAtIndex(long index);

  void layoutSubviews() override;
  // Places the tabs and answers the room they take.
  virtual CGSize layoutTabs();

 protected:
  // Where a new tab goes (the bar itself here).
  virtual void addTab(const std::shared_ptr<ULTab>& tab);
  void tabTouchedUp(const std::shared_ptr<ULTab>& tab);

 private:
  std::string tabStyle_ = "tab:";
  long selectedTabIndex_ = ULTabBarNoSelection;
  std::vector<std::shared_ptr<ULTabItem>> tabItems_;
  std::vector<std::shared_ptr<ULTab>> tabViews_;
  std::weak_ptr<ULTabDelegate> delegate_;
};
