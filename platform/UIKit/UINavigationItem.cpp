#include "UIKit/UINavigationItem.h"

#include "Foundation/NSClass.h"
#include "UIKit/UINavigationBar.h"

void UINavigationItem::setTitle(std::string title) {
  title_ = std::move(title);
  changed();
}

void UINavigationItem::setTitleView(std::shared_ptr<UIView> view) {
  titleView_ = std::move(view);
  changed();
}

void UINavigationItem::setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool) {
  left_ = std::move(item);
  changed();
}

void UINavigationItem::setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool) {
  right_ = std::move(item);
  changed();
}

void UINavigationItem::changed() {
  if (auto bar = std::static_pointer_cast<UINavigationBar>(bar_.lock())) bar->itemChanged(*this);
}

NS_CLASS_IMPLEMENTATION(UINavigationItem) {}
