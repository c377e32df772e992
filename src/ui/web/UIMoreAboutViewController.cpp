#include "ui/web/UIMoreAboutViewController.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImage.h"
#include "UIKit/UINavigationController.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/UIBkImageView.h"
#include "ui/framework/UIYBToolBar.h"
#include "ui/web/AppWebTopBar.h"

std::string UIMoreAboutViewController::aboutPageURL() {
  Value version = NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion");
  return NSConfig::engine()->serverURL() + "/about/about.html?v=i_" + version.description();
}

void UIMoreAboutViewController::initWithNavigatorURL(const std::shared_ptr<NSURL>&,
                                                     const ValueDictionary& query) {
  ULWebController::initWithNavigatorURL(NSURL::URLWithString(aboutPageURL()), query);
}

void UIMoreAboutViewController::viewDidLoad() {
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(true);
  ULWebController::viewDidLoad();
  if (NSGlobe::getEngine()->getCurThemeSelect() != 1) {
    // Only outlets that an interface file filled take the other theme's look.
    if (topBar) topBar->setImage(UIImage::imageNamed("topBar_theme1"));
    if (titleLabel_) titleLabel_->setTextColor(UIBkImageView::getFontColor());
    if (backButton) {
      backButton->setTitleColor(UIBkImageView::getFontColor(), UIControlStateNormal);
      backButton->setBackgroundImage(UIImage::imageNamed("leftBtn_theme1"), UIControlStateNormal);
    }
  }
  loadNavigationBar();
  if (auto web = webView()) {
    CGRect f = web->frame();
    web->setFrame(CGRectMake(f.origin.x, 44, f.size.width, f.size.height - 44));
  }
}

void UIMoreAboutViewController::viewWillAppear(bool animated) {
  for (auto* text : {&infoText, &serverText, &lawText})
    if (*text) (*text)->setNeedsDisplay();
  ULWebController::viewWillAppear(animated);
}

void UIMoreAboutViewController::loadNavigationBar() {
  auto top = loadAppWebTopBar(
      *view(), "topBar",
      selector(weakSelf<UIMoreAboutViewController>(), &UIMoreAboutViewController::back, "back:"),
      activityItem());
  titleLabel_ = top.titleLabel;
}

void UIMoreAboutViewController::loadToolBar() {
  CGRect b = view()->bounds();
  setToolbar(std::make_shared<UIYBToolBar>(CGRectMake(0, b.size.height - 44, b.size.width, 44)));
}

void UIMoreAboutViewController::setTitle(std::string title) {
  if (titleLabel_) titleLabel_->setText(std::move(title));
}

void UIMoreAboutViewController::startActivity() {
  ULWebController::startActivity();
  if (auto item = activityItem(); item && item->customView()) item->customView()->setHidden(false);
}

void UIMoreAboutViewController::stopActivity() {
  ULWebController::stopActivity();
  if (auto item = activityItem(); item && item->customView()) item->customView()->setHidden(true);
}

void UIMoreAboutViewController::back(const Value&) {
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void UIMoreAboutViewController::serverChange(long selectedSegmentIndex) {
  NSConfig::engine()->changeServer(selectedSegmentIndex != 0);
}

void UIMoreAboutViewController::openQ29X(const Value&) {
  UIApplication::sharedApplication()->openURL(NSURL::URLWithString(kSiblingStoreURL));
}

NS_CLASS_IMPLEMENTATION(UIMoreAboutViewController) {}
