#include "UIKit/UIColor.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationItem.h"
#include "UIKit/UIViewController.h"
#include "ui/framework/UIViewController+Custom.h"

void setCustomTitle(UIViewController& controller, const std::string& text) {
  auto item = controller.navigationItem();
  auto label = std::dynamic_pointer_cast<UILabel>(item->titleView());
  if (!item->titleView()) {
    label = std::make_shared<UILabel>(CGRectZero);
    label->setTextAlignment(UITextAlignmentCenter);
    label->setBackgroundColor(UIColor::clearColor());
  }
  // A title view of another kind than a label has no text to set.
  if (!label) return;
  label->setText(text);
  label->sizeToFit();
  // Given again so that the bar places it at its new size.
  item->setTitleView(label);
}

void installCustomTitles() {
  UIViewController::setTitleHook(&setCustomTitle);
}
