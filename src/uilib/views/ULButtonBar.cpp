#include "uilib/views/ULButtonBar.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"

ULButtonBar::ULButtonBar(CGRect frame) : ULView(frame) {}

std::shared_ptr<ULButton> ULButtonBar::addButton(std::string title, Selector action) {
  auto button = ULButton::buttonWithStyle(buttonStyle_);
  button->setTitle(std::move(title), UIControlStateNormal);
  button->addTarget(std::move(action), UIControlEventTouchUpInside);
  addSubview(button);
  buttons_.push_back(button);
  return button;
}

void ULButtonBar::removeButtons() {
  for (auto& button : buttons_) button->removeFromSuperview();
  buttons_.clear();
}

void ULButtonBar::layoutSubviews() {
  ULView::layoutSubviews();
  // Without buttons there is nothing to share the width among.
  if (buttons_.empty()) return;
  CGFloat W = bounds().size.width, H = bounds().size.height;
  auto n = CGFloat(buttons_.size());
  CGFloat bw = std::min<CGFloat>(120, std::floor((W - 10) / n) - 10);
  CGFloat x = std::floor(W / 2 - (bw + 10) * n / 2) + 10;
  CGFloat y = std::floor(H / 2 - 15);
  for (auto& button : buttons_) {
    button->setFrame(CGRectMake(x, y, bw, 30));
    x += button->frame().size.width + 10;
  }
}

NS_CLASS_IMPLEMENTATION(ULButtonBar) {
  c.property("buttonStyle", &ULButtonBar::buttonStyle, &ULButtonBar::setButtonStyle);
}
