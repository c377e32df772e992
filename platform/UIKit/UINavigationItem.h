// What a navigation bar shows for one controller: a title (or a view in its place) and the
// items on its left and right.  A controller makes its item on first use; the bar that shows
// the item lays it out again whenever it changes.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIView.h"

class UINavigationBar;

class UINavigationItem : public NSObject {
  NS_CLASS(UINavigationItem, NSObject)
 public:
  UINavigationItem() = default;
  explicit UINavigationItem(std::string title) : title_(std::move(title)) {}

  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  // Shown in the middle instead of the title.
  const std::shared_ptr<UIView>& titleView() const { return titleView_; }
  void setTitleView(std::shared_ptr<UIView> view);
  const std::shared_ptr<UIBarButtonItem>& leftBarButtonItem() const { return left_; }
  void setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false);
  const std::shared_ptr<UIBarButtonItem>& rightBarButtonItem() const { return right_; }
  void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false);

 private:
  friend class UINavigationBar;
  void changed();

  std::string title_;
  std::shared_ptr<UIView> titleView_;
  std::shared_ptr<UIBarButtonItem> left_, right_;
  // The bar that shows the item (set by the bar).
  std::weak_ptr<NSObject> bar_;
};
