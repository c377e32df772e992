#include "ui/framework/UIZMBarButtonItem.h"

#include "Foundation/NSClass.h"
#include "core/UIBkImageView.h"
#include "ui/framework/UIZMButton.h"

namespace {

std::shared_ptr<UIZMBarButtonItem> customItem(std::string_view style, std::string_view title,
                                              Selector action) {
  auto button = UIZMButton::buttonWithStyle(style, title);
  button->addTarget(std::move(action), UIControlEventTouchUpInside | UIControlEventTouchUpOutside);
  button->sizeToFit();
  return std::make_shared<UIZMBarButtonItem>(std::static_pointer_cast<UIView>(button));
}

}  // namespace

std::shared_ptr<UIZMBarButtonItem> UIZMBarButtonItem::initWithBarButtonSystemItem(
    UIBarButtonSystemItem systemItem, Selector action) {
  if (systemItem == UIBarButtonSystemItemHome)
    return customItem("toolbarHomeButton:", "", std::move(action));
  if (UIBkImageView::getCurThemeSelect() != 3) {
    if (systemItem == UIBarButtonSystemItemRefresh)
      return customItem("toolbarRefreshButton:", "", std::move(action));
    if (systemItem == 1) return customItem("toolbarRoundButton:", "", std::move(action));
  }
  return std::make_shared<UIZMBarButtonItem>(systemItem, std::move(action));
}

std::shared_ptr<UIZMBarButtonItem> UIZMBarButtonItem::initWithTitle(std::string title,
                                                                    UIBarButtonItemStyle style,
                                                                    Selector action) {
  if (UIBkImageView::getCurThemeSelect() == 3 || style != UIBarButtonItemStyle::Plain)
    return std::make_shared<UIZMBarButtonItem>(std::move(title), style, std::move(action));
  return customItem("toolbarRoundButton:", title, std::move(action));
}

NS_CLASS_IMPLEMENTATION(UIZMBarButtonItem) {}
