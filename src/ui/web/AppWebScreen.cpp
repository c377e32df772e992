#include "ui/web/AppWebScreen.h"

#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UINavigationController.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "ui/framework/UIYBToolBar.h"

void AppWebScreen::viewDidLoad() {
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(true);
  ULWebController::viewDidLoad();
}

void AppWebScreen::loadNavigationBar() {
  bool day = NSGlobe::getEngine()->getCurThemeSelect() == 1;
  auto bar = std::make_shared<UIImageView>(
      UIImage::imageNamed(day ? dayBarImage_ : std::string("topBar_theme1")));
  bar->setFrame(CGRectMake(0, 0, 320, kBarHeight));
  bar->setBackgroundColor(UIColor::blackColor());
  bar->setUserInteractionEnabled(true);
  view()->addSubview(bar);
  topBar_ = bar;

  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(5, 6, 56, 32));
  button->setBackgroundImage(UIImage::imageNamed(day ? "leftBtn" : "leftBtn_theme1"),
                             UIControlStateNormal);
  button->setTitle(std::string("返回"), UIControlStateNormal);
  button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
  button->setTitleColor(day ? UIColor::blackColor() : UIBkImageView::getFontColor(),
                        UIControlStateNormal);
  button->addTarget(selector(weakSelf<AppWebScreen>(), &AppWebScreen::back, "back:"),
                    UIControlEventTouchUpInside);
  view()->addSubview(button);

  titleLabel_ = std::make_shared<UILabel>(CGRectMake(60, 0, 200, kBarHeight));
  titleLabel_->setText("");
  titleLabel_->setBackgroundColor(UIColor::clearColor());
  titleLabel_->setFont(UIFont::systemFontOfSize(17));
  titleLabel_->setTextAlignment(UITextAlignmentCenter);
  if (!day) titleLabel_->setTextColor(UIBkImageView::getFontColor());
  view()->addSubview(titleLabel_);

  showSpinner(false);
}

void AppWebScreen::loadToolBar() {
  CGRect b = view()->bounds();
  setToolbar(std::make_shared<UIYBToolBar>(
      CGRectMake(0, b.size.height - kBarHeight, b.size.width, kBarHeight)));
}

void AppWebScreen::setTitle(std::string title) {
  if (titleLabel_) titleLabel_->setText(std::move(title));
}

void AppWebScreen::startActivity() {
  ULWebController::startActivity();
  showSpinner(true);
}

void AppWebScreen::stopActivity() {
  ULWebController::stopActivity();
  showSpinner(false);
}

void AppWebScreen::showSpinner(bool shown) {
  auto item = activityItem();
  if (!item || !item->customView()) return;
  // The browser hands its spinner item to the navigation bar, which this screen hides, and
  // takes it off again when it stops: the spinner comes back to the own bar every time.
  auto spinner = item->customView();
  if (topBar_ && spinner->superview().get() != topBar_.get()) {
    spinner->setFrame(CGRectMake(280, 7, 30, 30));
    topBar_->addSubview(spinner);
  }
  spinner->setHidden(!shown);
}

void AppWebScreen::back(const Value&) {
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}
