#include "ui/web/UIMoreAboutViewController.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImage.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"

std::string UIMoreAboutViewController::aboutPageURL() {
  Value version = NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion");
  return NSConfig::engine()->serverURL() + "/about/about.html?v=i_" + version.description();
}

void UIMoreAboutViewController::initWithNavigatorURL(const std::shared_ptr<NSURL>&,
                                                     const ValueDictionary& query) {
  ULWebController::initWithNavigatorURL(NSURL::URLWithString(aboutPageURL()), query);
}

void UIMoreAboutViewController::viewDidLoad() {
  AppWebScreen::viewDidLoad();
  if (NSGlobe::getEngine()->getCurThemeSelect() != 1) {
    // Only outlets that an interface file filled take the other theme's look.
    if (topBar) topBar->setImage(UIImage::imageNamed("topBar_theme1"));
    if (titleLabel()) titleLabel()->setTextColor(UIBkImageView::getFontColor());
    if (backButton) {
      backButton->setTitleColor(UIBkImageView::getFontColor(), UIControlStateNormal);
      backButton->setBackgroundImage(UIImage::imageNamed("leftBtn_theme1"), UIControlStateNormal);
    }
  }
  loadNavigationBar();
  if (auto web = webView()) {
    CGRect f = web->frame();
    web->setFrame(CGRectMake(f.origin.x, kBarHeight, f.size.width, f.size.height - kBarHeight));
  }
}

void UIMoreAboutViewController::viewWillAppear(bool animated) {
  for (auto* text : {&infoText, &serverText, &lawText})
    if (*text) (*text)->setNeedsDisplay();
  ULWebController::viewWillAppear(animated);
}

void UIMoreAboutViewController::serverChange(long selectedSegmentIndex) {
  NSConfig::engine()->changeServer(selectedSegmentIndex != 0);
}

void UIMoreAboutViewController::openQ29X(const Value&) {
  UIApplication::sharedApplication()->openURL(NSURL::URLWithString(kSiblingStoreURL));
}

NS_CLASS_IMPLEMENTATION(UIMoreAboutViewController) {}
