#include "screens/account/UILoginAdView.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSRunLoop.h"
#include "UIKit/UIScreen.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"

std::shared_ptr<UILoginAdView> UILoginAdView::initWithInfo(const NSAdInfoPtr& info,
                                                           const std::weak_ptr<NSObject>& sender) {
  CGRect screen = UIScreen::mainScreen()->bounds();
  auto view = std::make_shared<UILoginAdView>();
  view->setFrame(CGRectMake(0, 0, 320, screen.size.height - 20));
  view->info_ = info;
  view->sender_ = sender;
  std::weak_ptr<UILoginAdView> weak = std::static_pointer_cast<UILoginAdView>(view);
  NSRunLoop::mainRunLoop()->performBlock([weak] {
    if (auto self = weak.lock()) self->finish();
  });
  return view;
}

void UILoginAdView::finish() {
  removeFromSuperview();
  postNotification(kRegisterClientCallBack);
}

NS_CLASS_IMPLEMENTATION(UILoginAdView) {}
