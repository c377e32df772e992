#include "ui/framework/UINavibarBaseViewCtrl.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"

void UINavibarBaseViewCtrl::viewDidLoad() {
  UIBaseViewCtrl::viewDidLoad();
  bool day = NSGlobe::getEngine()->getCurThemeSelect() == 1;

  auto bar = std::make_shared<UIImageView>(imageFileNamed(day ? "topBar" : "topBar_theme1"));
  bar->setTag(kBarTag);
  bar->setFrame(CGRectMake(0, 0, 320, 44));
  view()->addSubview(bar);
  bar->setUserInteractionEnabled(true);

  auto label = std::make_shared<UILabel>(CGRectMake(65, 0, 190, 44));
  label->setTag(kTitleTag);
  label->setText(title());
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextAlignment(UITextAlignmentCenter);
  if (!day) label->setTextColor(UIBkImageView::getFontColor());
  bar->addSubview(label);

  auto back = std::make_shared<UIButton>(CGRectMake(10, 6, 56, 32));
  back->setTitle(std::string("返回"), UIControlStateNormal);
  back->titleLabel()->setFont(UIFont::systemFontOfSize(14));
  back->setBackgroundImage(imageFileNamed(day ? "leftBtn" : "leftBtn_theme1"),
                           UIControlStateNormal);
  back->setTitleColor(day ? UIColor::blackColor() : UIBkImageView::getFontColor(),
                      UIControlStateNormal);
  back->addTarget(
      selector(weakSelf<UINavibarBaseViewCtrl>(), &UINavibarBaseViewCtrl::cancel, "cancel"),
      UIControlEventTouchUpInside);
  bar->addSubview(back);

  view()->setBackgroundColor(UIBkImageView::getBkColor());
}

void UINavibarBaseViewCtrl::cancel() {
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void UINavibarBaseViewCtrl::setTitle(std::string text) {
  if (auto label = std::dynamic_pointer_cast<UILabel>(view()->viewWithTag(kTitleTag)))
    label->setText(std::move(text));
}

void UINavibarBaseViewCtrl::setNavigationBarHide(bool hidden) {
  if (auto bar = view()->viewWithTag(kBarTag)) bar->setHidden(hidden);
}

std::shared_ptr<UIView> UINavibarBaseViewCtrl::getNavigationBar() {
  return view()->viewWithTag(kBarTag);
}

NS_CLASS_IMPLEMENTATION(UINavibarBaseViewCtrl) {
  c.method("cancel", &UINavibarBaseViewCtrl::cancel);
  c.method("setNavigationBarHide:", &UINavibarBaseViewCtrl::setNavigationBarHide);
}
