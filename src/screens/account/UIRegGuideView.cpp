#include "screens/account/UIRegGuideView.h"

#include "Foundation/NSClass.h"

std::shared_ptr<UIRegGuideView> UIRegGuideView::initWithFrame(CGRect frame) {
  auto view = std::make_shared<UIRegGuideView>();
  view->setFrame(frame);
  return view;
}

NS_CLASS_IMPLEMENTATION(UIRegGuideView) {}
