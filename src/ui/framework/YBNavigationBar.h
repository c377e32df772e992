// A free-standing bar view with the look of the app's navigation bar, for screens that draw
// their own top bar: the theme's navigation image, a bold white title and an optional tap on
// the title.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"

class YBNavigationBar : public UIView {
  NS_CLASS(YBNavigationBar, UIView)
 public:
  YBNavigationBar() : UIView(CGRectZero) {}
  explicit YBNavigationBar(CGRect frame) : UIView(frame) {}

  void drawRect(CGRect rect) override;
  // The title label on first use: (50, 0, 220, 44), centred, white, bold 18, clear.
  void setNavigationTitle(const std::string& text);
  // A tap on the title sends the action; a second call adds nothing.  Needs the title label.
  void addTap(Selector action);

  bool needDraw() const { return needDraw_; }
  void setNeedDraw(bool needDraw) { needDraw_ = needDraw; }
  const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
  void setTitleLabel(std::shared_ptr<UILabel> label) { titleLabel_ = std::move(label); }

 private:
  bool needDraw_ = false;
  std::shared_ptr<UILabel> titleLabel_;
};
