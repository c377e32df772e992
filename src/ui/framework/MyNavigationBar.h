// The app's navigation bar, the one its navigation controller (UINaviCtrl) builds: it draws the
// settings store's navigation image of the current theme over the whole bar on every redraw,
// with the theme's tint when `needDraw` is set (the base screens set it) and light grey
// otherwise.  A redraw after a theme change shows the new theme.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UILabel.h"
#include "UIKit/UINavigationBar.h"

class MyNavigationBar : public UINavigationBar {
  NS_CLASS(MyNavigationBar, UINavigationBar)
 public:
  MyNavigationBar() : UINavigationBar(CGRectZero) {}

  void drawRect(CGRect rect) override;

  // Makes the title label on first use: (50, 0, 220, 44), centred white text on clear.
  void setNavigationTitle(const std::string& text);

  bool needDraw() const { return needDraw_; }
  void setNeedDraw(bool needDraw) { needDraw_ = needDraw; }
  const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
  void setTitleLabel(std::shared_ptr<UILabel> label) { titleLabel_ = std::move(label); }

 private:
  bool needDraw_ = false;
  std::shared_ptr<UILabel> titleLabel_;
};

// How every navigation bar of the app draws (the bar category's drawing): the theme's tint for
// a MyNavigationBar that asks for it, light grey otherwise, then the theme's navigation image
// stretched over the bar.
void drawThemedNavigationBar(UINavigationBar& bar);
