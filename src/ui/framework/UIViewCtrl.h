// A screen that lives in the app's navigation controller and uses its bar: it puts a styled
// back button, titled with the screen below's title (the bundle's "UIBackBarItem" text when
// that has none, and for the root), into its navigation item.  The back button hides the busy
// overlay, cancels the outstanding requests (bus type 3 on "globe_request"), detaches the
// content-server client so that a late reply reaches nobody, and pops the screen.  The screen
// can also draw a bar image of its own with a title and a plain back button.  Portrait only.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "ui/framework/UIBaseViewCtrl.h"

class UIViewCtrl : public UIBaseViewCtrl {
  NS_CLASS(UIViewCtrl, UIBaseViewCtrl)
 public:
  static constexpr long kLeftButtonTag = 3130;

  ~UIViewCtrl() override;

  void viewDidLoad() override;
  // Screens that must undo something before leaving extend it.
  virtual void cancelButtonPushed(const Value& sender);

  // The screen's own bar image ("topBar"), added to its view once.
  void addNavigationBar();
  // The title label in that bar, (50, 0, 220, 44), made once.
  void setNavigationTitle(const std::string& text);
  // A plain "返回" button (tag 3130) in that bar, made once.
  void setLeftButton();

  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override {
    return orientation == UIInterfaceOrientation::Portrait;
  }

  const std::string& popTitle() const { return popTitle_; }
  void setPopTitle(std::string title) { popTitle_ = std::move(title); }
  bool isInRefresh() const { return isInRefresh_; }
  void setIsInRefresh(bool refreshing) { isInRefresh_ = refreshing; }
  bool needSetBtn() const { return needSetBtn_; }
  void setNeedSetBtn(bool need) { needSetBtn_ = need; }
  const std::shared_ptr<UIImageView>& navigationBar() const { return navigationBar_; }
  void setNavigationBar(std::shared_ptr<UIImageView> bar) { navigationBar_ = std::move(bar); }
  const std::shared_ptr<UILabel>& mytitleLabel() const { return mytitleLabel_; }
  void setMytitleLabel(std::shared_ptr<UILabel> label) { mytitleLabel_ = std::move(label); }

 private:
  std::string popTitle_;
  bool isInRefresh_ = false;
  bool needSetBtn_ = false;
  std::shared_ptr<UIImageView> navigationBar_;
  std::shared_ptr<UILabel> mytitleLabel_;
};
