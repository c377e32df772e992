// What the app's two web screens on the library's browser share (the general web page screen
// and the about screen): no navigation bar, but a themed 44-point top bar of their own with the
// "返回" button that pops the screen, the page title and the browser's spinner; the app's themed
// tool bar; portrait only.  By name the screens stay kinds of ULWebController: this class is
// not registered.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/UILabel.h"
#include "uilib/navigator/ULWebController.h"

class AppWebScreen : public ULWebController {
 public:
  // Hides the navigation bar, then the browser's own.
  void viewDidLoad() override;
  // The top bar: the screen's bar image in theme 1 ("topBar_theme1" in the others) on black,
  // the back button ("leftBtn" / "leftBtn_theme1"), the empty title label, and the spinner of
  // the spinner item moved into the bar.  Other themes take the settings' font colour for the
  // title and the button.
  virtual void loadNavigationBar();
  // The app's themed tool bar along the bottom.
  void loadToolBar() override;
  // The title shows in the own top bar only.
  void setTitle(std::string title) override;
  // The browser's, then the spinner shows / hides in the top bar (at 280, 7), however often.
  void startActivity() override;
  void stopActivity() override;
  void back(const Value& sender);
  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override {
    return orientation == UIInterfaceOrientation::Portrait;
  }

  const std::shared_ptr<UILabel>& titleLabel() const { return titleLabel_; }
  void setTitleLabel(std::shared_ptr<UILabel> label) { titleLabel_ = std::move(label); }

 protected:
  static constexpr CGFloat kBarHeight = 44;

  // The top bar's image in the day theme (theme 1).
  explicit AppWebScreen(std::string_view dayBarImage) : dayBarImage_(dayBarImage) {}

 private:
  void showSpinner(bool shown);

  std::string dayBarImage_;
  std::shared_ptr<UIView> topBar_;
  std::shared_ptr<UILabel> titleLabel_;
};
