#include "ui/web/AppWebTopBar.h"

#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"

AppWebTopBar loadAppWebTopBar(UIView& into, std::string_view dayBarImage, Selector back,
                              const std::shared_ptr<UIBarButtonItem>& activityItem) {
  bool day = NSGlobe::getEngine()->getCurThemeSelect() == 1;
  AppWebTopBar top;
  top.bar = std::make_shared<UIImageView>(
      UIImage::imageNamed(day ? std::string(dayBarImage) : std::string("topBar_theme1")));
  top.bar->setFrame(CGRectMake(0, 0, 320, 44));
  top.bar->setBackgroundColor(UIColor::blackColor());
  top.bar->setUserInteractionEnabled(true);
  into.addSubview(top.bar);

  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(5, 6, 56, 32));
  button->setBackgroundImage(UIImage::imageNamed(day ? "leftBtn" : "leftBtn_theme1"),
                             UIControlStateNormal);
  button->setTitle(std::string("返回"), UIControlStateNormal);
  button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
  button->setTitleColor(day ? UIColor::blackColor() : UIBkImageView::getFontColor(),
                        UIControlStateNormal);
  button->addTarget(std::move(back), UIControlEventTouchUpInside);
  into.addSubview(button);

  top.titleLabel = std::make_shared<UILabel>(CGRectMake(60, 0, 200, 44));
  top.titleLabel->setText("");
  top.titleLabel->setBackgroundColor(UIColor::clearColor());
  top.titleLabel->setFont(UIFont::systemFontOfSize(17));
  top.titleLabel->setTextAlignment(UITextAlignmentCenter);
  if (!day) top.titleLabel->setTextColor(UIBkImageView::getFontColor());
  into.addSubview(top.titleLabel);

  if (activityItem && activityItem->customView()) {
    auto spinner = activityItem->customView();
    spinner->setFrame(CGRectMake(280, 7, 30, 30));
    top.bar->addSubview(spinner);
  }
  return top;
}
