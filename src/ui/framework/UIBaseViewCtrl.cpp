#include "ui/framework/UIBaseViewCtrl.h"

#include "Foundation/NSClass.h"
#include "core/NSConfig.h"
#include "core/NSObject+notification.h"
#include "model/NSLoginData.h"

namespace {

constexpr int32_t kPageViewEvent = 37;

}  // namespace

void recordPageView(const NSObject& screen) {
  auto login = NSConfig::engine()->config();
  if (!login || !login->useBehaviorEnable) return;
  recordeUserInfo(Value(NSConfig::getServerUserRecordName(screen.className())), kPageViewEvent);
}

void UIBaseViewCtrl::viewDidLoad() {
  UIViewController::viewDidLoad();
  recodeView();
}

void UIBaseViewCtrl::recodeView() {
  recordPageView(*this);
}

NS_CLASS_IMPLEMENTATION(UIBaseViewCtrl) {
  c.method("recodeView", &UIBaseViewCtrl::recodeView);
}
