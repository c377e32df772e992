#include "ui/framework/UILeastScreen.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIView.h"

UILeastScreen::UILeastScreen(std::string title, std::string nibName)
    : nibName_(std::move(nibName)) {
  setTitle(std::move(title));
}

void UILeastScreen::loadView() {
  UIBaseViewCtrl::loadView();
  view()->setBackgroundColor(UIColor::whiteColor());
}

NS_CLASS_IMPLEMENTATION(UILeastScreen) {}
