// Bar items made of the app's styled buttons: the platform's item constructors, with the home
// (app code 24), refresh and rounded items turned into custom items that hold a UIZMButton.
// Theme 3 keeps the platform's items (but for home).
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIBarButtonItem.h"

// "Home": an app code past the platform's list.
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemHome = 24;

class UIZMBarButtonItem : public UIBarButtonItem {
  NS_CLASS(UIZMBarButtonItem, UIBarButtonItem)
 public:
  using UIBarButtonItem::UIBarButtonItem;

  // Home always, and outside theme 3 refresh (13) and 1, become custom items of the
  // "toolbarHomeButton:", "toolbarRefreshButton:" and "toolbarRoundButton:" buttons (no title);
  // any other code is the platform's item.
  static std::shared_ptr<UIZMBarButtonItem> initWithBarButtonSystemItem(
      UIBarButtonSystemItem systemItem, Selector action);
  // Outside theme 3, a plain item becomes a custom item of a "toolbarRoundButton:" button with
  // the title; otherwise the platform's titled item.
  static std::shared_ptr<UIZMBarButtonItem> initWithTitle(std::string title,
                                                          UIBarButtonItemStyle style,
                                                          Selector action);
};
