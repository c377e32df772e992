#include "ui/framework/UIZMButtonLabel.h"

#include "Foundation/NSClass.h"
#include "core/UIBkImageView.h"
#include "ui/framework/UIZMButton.h"

UIZMButtonLabel::UIZMButtonLabel(CGRect frame) : UIView(frame) {
  setBackgroundColor(UIColor::clearColor());
  auto button = UIZMButton::buttonWithStyle("toolbarRefreshRoundButton:", "    ");
  button->setFrame(frame);
  button->sizeToFit();
  addSubview(button);
  aRadius_ = 5.0;
  CGFloat w = frame.size.width, h = frame.size.height;
  CGFloat y = UIBkImageView::getCurThemeSelect() == 1 ? (h - 20) / 2 + 1 : (h - 20) / 2 - 2;
  spinner_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::White);
  spinner_->setFrame(CGRectMake((w - 20) / 2 - 1, y, 20, 20));
  addSubview(spinner_);
  spinner_->startAnimating();
}

NS_CLASS_IMPLEMENTATION(UIZMButtonLabel) {}
