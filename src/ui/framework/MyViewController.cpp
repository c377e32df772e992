#include "ui/framework/MyViewController.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIScreen.h"

void MyViewController::loadView() {
  CGRect screen = UIScreen::mainScreen()->bounds();
  setView(std::make_shared<UIView>(CGRectMake(0, 0, kPanelWidth, screen.size.height - 20)));
}

void MyViewController::setVisible(bool visible) {
  visible_ = visible;
  view()->setHidden(!visible);
}

NS_CLASS_IMPLEMENTATION(MyViewController) {}
