#include "ui/framework/UIMessageView.h"

#include "Foundation/LockedShared.h"
#include "Foundation/NSClass.h"
#include "core/NSObject+UIViewBusy.h"

std::shared_ptr<UIMessageView> UIMessageView::sharedMessageView() {
  return LockedSingleton<UIMessageView>::shared([] { LockedSingleton<UIMessageView>::alloc(); });
}

void UIMessageView::stopMessage() {
  stopActivityIndicatorViewAnimation();
}

NS_CLASS_IMPLEMENTATION(UIMessageView) {
  c.method("stopMessage", &UIMessageView::stopMessage);
}
