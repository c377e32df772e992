#include "UIKit/UIPopoverController.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIView.h"
#include "UIKit/UIViewController.h"

void UIPopoverController::presentFromBarButtonItem(const std::shared_ptr<UIBarButtonItem>& item,
                                                   UIPopoverArrowDirection arrows, bool animated) {
  item_ = item;
  view_.reset();
  rect_ = CGRectZero;
  arrows_ = arrows;
  animated_ = animated;
  visible_ = true;
}

void UIPopoverController::presentFromRect(CGRect rect, const std::shared_ptr<UIView>& view,
                                          UIPopoverArrowDirection arrows, bool animated) {
  item_.reset();
  view_ = view;
  rect_ = rect;
  arrows_ = arrows;
  animated_ = animated;
  visible_ = true;
}

void UIPopoverController::dismissPopoverAnimated(bool animated) {
  animated_ = animated;
  visible_ = false;
}

void UIPopoverController::dismissByUser() {
  if (!visible_) return;
  visible_ = false;
  auto self = std::static_pointer_cast<UIPopoverController>(shared_from_this());
  if (auto delegate = delegate_.lock()) delegate->popoverControllerDidDismissPopover(self);
}

NS_CLASS_IMPLEMENTATION(UIPopoverController) {}
