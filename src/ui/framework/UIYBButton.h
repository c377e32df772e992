// The image button of the reading screens' tool bars: it carries the names of its selected and
// unselected images and an integer state for the bar that owns it (reported as its control
// state), and can loop a list of hint images over itself until the first touch.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIButton.h"

class UIImage;

class UIYBButton : public UIButton {
  NS_CLASS(UIYBButton, UIButton)
 public:
  // The tag of the hint image view.
  static constexpr long kHintTag = 5000;

  UIYBButton() : UIYBButton(CGRectZero) {}
  explicit UIYBButton(CGRect frame, UIButtonType type = UIButtonType::Custom)
      : UIButton(frame, type) {}

  // The owner's state, 0 at first; the button reports it as its control state.
  UIControlState state() const override { return state_; }
  void setState(UIControlState state) { state_ = state; }

  const std::string& selectImage() const { return selectImage_; }
  void setSelectImage(std::string name) { selectImage_ = std::move(name); }
  const std::string& unselectImage() const { return unselectImage_; }
  void setUnselectImage(std::string name) { unselectImage_ = std::move(name); }

  // Loops the images over the whole button, one pass a second, for ever: in a new image view
  // (tag 5000), or, when one is there, by giving it the new images.
  void setAnimal(const std::vector<std::shared_ptr<UIImage>>& images);
  // Takes the hint image view away, if any.
  void removeAnimal();

  // The button's own handling, then the hint stops.
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;

 private:
  UIControlState state_ = 0;
  std::string selectImage_;
  std::string unselectImage_;
};
