#include "ui/framework/UIMsgViewCtrl.h"

#include "Foundation/NSClass.h"
#include "model/Comment.h"
#include "ui/framework/StandInSink.h"

NS_CLASS_IMPLEMENTATION(UIMsgViewCtrl) {}

std::shared_ptr<UIMsgViewCtrl> UIMsgViewCtrl::initWithType(int type) {
  auto composer = std::make_shared<UIMsgViewCtrl>();
  composer->type_ = type;
  return composer;
}

const std::shared_ptr<UITextView>& UIMsgViewCtrl::textV() {
  if (!textV_) textV_ = std::make_shared<UITextView>(CGRectMake(0, 44, 320, 150));
  return textV_;
}

void UIMsgViewCtrl::viewDidAppear(bool animated) {
  UIViewCtrl::viewDidAppear(animated);
  reportStandInEvent(
      "UIMsgViewCtrl", "show",
      Value::arrayOf({Value(type_), Value(title_), Value(static_cast<long long>(weiboId_)),
                      Value(textV()->text())}));
}
