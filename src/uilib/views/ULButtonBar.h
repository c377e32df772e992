// A bar that lines up styled buttons, centred: each as wide as the bar allows (at most 120),
// 30 high, 10 apart, in the middle of the bar's height.  A bar without buttons places nothing.
// The bar swallows the touches that reach it between its buttons.  Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "uilib/views/ULButton.h"
#include "uilib/views/ULView.h"

class ULButtonBar : public ULView {
  NS_CLASS(ULButtonBar, ULView)

 public:
  ULButtonBar() : ULButtonBar(CGRectZero) {}
  // initWithFrame: no buttons; buttons styled "toolbarButton:".
  explicit ULButtonBar(CGRect frame);

  // A button of buttonStyle with the title for the normal state, sending the action on touch
  // up inside, added to the bar and to buttons.
  std::shared_ptr<ULButton> addButton(std::string title, Selector action);
  // Every button leaves the bar and the list.
  void removeButtons();

  const std::vector<std::shared_ptr<ULButton>>& buttons() const { return buttons_; }
  void setButtons(std::vector<std::shared_ptr<ULButton>> buttons) { buttons_ = std::move(buttons); }
  const std::string& buttonStyle() const { return buttonStyle_; }
  void setButtonStyle(std::string style) { buttonStyle_ = std::move(style); }

  void layoutSubviews() override;
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override {}

 private:
  std::vector<std::shared_ptr<ULButton>> buttons_;
  std::string buttonStyle_ = "toolbarButton:";
};
