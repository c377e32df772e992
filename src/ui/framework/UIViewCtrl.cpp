#include "ui/framework/UIViewCtrl.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UINavigationItem.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/RequestType.h"
#include "net/api/ClientRequest.h"
#include "ui/framework/MyNavigationBar.h"
#include "ui/framework/UIZMButton.h"

namespace {

constexpr std::string_view kBackBarItem = "UIBackBarItem";

}  // namespace

UIViewCtrl::~UIViewCtrl() {
  navigationItem()->setLeftBarButtonItem(nullptr);
}

void UIViewCtrl::viewDidLoad() {
  auto navigation = navigationController();
  if (navigation)
    if (auto bar = std::dynamic_pointer_cast<MyNavigationBar>(navigation->navigationBar()))
      bar->setNeedDraw(true);
  UIBaseViewCtrl::viewDidLoad();
  if (!navigation) return;

  const auto& stack = navigation->viewControllers();
  for (size_t i = stack.size(); i-- > 0;) {
    if (!stack[i]->isKindOfClass(objectClass())) continue;
    std::string title = i > 0 ? stack[i - 1]->title() : std::string();
    if (title.empty()) title = NSLocalizedString(kBackBarItem);
    popTitle_ = title;
    auto button = UIZMButton::buttonWithStyle("toolbarBackButton:", title);
    button->sizeToFit();
    button->addTarget(
        selector(weakSelf<UIViewCtrl>(), &UIViewCtrl::cancelButtonPushed, "cancelButtonPushed:"),
        UIControlEventTouchUpInside);
    navigationItem()->setLeftBarButtonItem(
        std::make_shared<UIBarButtonItem>(std::static_pointer_cast<UIView>(button)));
    break;
  }
}

void UIViewCtrl::cancelButtonPushed(const Value&) {
  auto keep = shared_from_this();
  stopActivityIndicatorViewAnimation();
  auto cancel = std::make_shared<NSMsgSend>();
  cancel->type = toInt(RequestType::Cancel);
  postNotificationObject(kGlobeRequest, cancel);
  ClientRequest::engine()->setStringAction(Selector(), {});
  if (auto navigation = navigationController()) navigation->popViewControllerAnimated(true);
}

void UIViewCtrl::addNavigationBar() {
  if (navigationBar_) return;
  navigationBar_ = std::make_shared<UIImageView>(UIImage::imageNamed("topBar"));
  view()->addSubview(navigationBar_);
  navigationBar_->setUserInteractionEnabled(true);
}

void UIViewCtrl::setNavigationTitle(const std::string& text) {
  if (!mytitleLabel_) {
    mytitleLabel_ = std::make_shared<UILabel>(CGRectMake(50, 0, 220, 44));
    mytitleLabel_->setTextAlignment(UITextAlignmentCenter);
    mytitleLabel_->setBackgroundColor(UIColor::clearColor());
    mytitleLabel_->setTextColor(UIColor::whiteColor());
    mytitleLabel_->setFont(UIFont::systemFontOfSize(17));
    if (navigationBar_) navigationBar_->addSubview(mytitleLabel_);
  }
  mytitleLabel_->setText(text);
}

void UIViewCtrl::setLeftButton() {
  if (!navigationBar_ || navigationBar_->viewWithTag(kLeftButtonTag)) return;
  auto button = std::make_shared<UIButton>(CGRectMake(5, 6, 56, 32));
  button->setTag(kLeftButtonTag);
  button->setBackgroundImage(UIImage::imageNamed("leftBtn"), UIControlStateNormal);
  button->setTitle(std::string("返回"), UIControlStateNormal);
  button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
  button->titleLabel()->setFont(UIFont::systemFontOfSize(14));
  button->addTarget(
      selector(weakSelf<UIViewCtrl>(), &UIViewCtrl::cancelButtonPushed, "cancelButtonPushed:"),
      UIControlEventTouchUpInside);
  navigationBar_->addSubview(button);
}

NS_CLASS_IMPLEMENTATION(UIViewCtrl) {
  c.method("cancelButtonPushed:", &UIViewCtrl::cancelButtonPushed);
  c.method("addNavigationBar", &UIViewCtrl::addNavigationBar);
  c.method("setNavigationTitle:", &UIViewCtrl::setNavigationTitle);
  c.method("setLeftButton", &UIViewCtrl::setLeftButton);
  c.property("popTitle", &UIViewCtrl::popTitle, &UIViewCtrl::setPopTitle);
}
