#include "ui/framework/UIRecordBaseView.h"

#include "Foundation/NSClass.h"
#include "ui/framework/UIBaseViewCtrl.h"

void UIRecordBaseView::recodeView() {
  recordPageView(*this);
}

NS_CLASS_IMPLEMENTATION(UIRecordBaseView) {
  c.method("recodeView", &UIRecordBaseView::recodeView);
}
