// A button laid out as a small card for one post, in the left or right column of a two-column
// grid: a name line, a picture, a few lines of text and a time line.  A tap goes to the delegate
// with the button.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "UIKit/UIButton.h"

class UIWeiBoButton;

class WEIBOButtonDelegat {
 public:
  virtual ~WEIBOButtonDelegat() = default;
  virtual void SelectBtn(const std::shared_ptr<UIWeiBoButton>& button) = 0;
};

class UIWeiBoButton : public UIButton {
  NS_CLASS(UIWeiBoButton, UIButton)
 public:
  // initBtn:WithName:WithText:WithImage:WithTime:WithLeft: the card at (20, 20, 125, 140) in
  // the left column or (175, 20, 125, 140) in the right one, on grey.  Nil strings are empty
  // lines; a picture path that names no picture shows none.
  static std::shared_ptr<UIWeiBoButton> initBtn(long type, std::optional<std::string> name,
                                                std::optional<std::string> text,
                                                std::optional<std::string> imagePath,
                                                std::optional<std::string> addTime, bool left);

  // Sends SelectBtn with the button to the delegate, when there is one.
  void BtnClick();
  // Moves the card down by the amount, keeping its size.
  void resetViewHight(long amount);

  // Not retained.
  void setBtnDelegate(std::weak_ptr<WEIBOButtonDelegat> delegate) {
    delegate_ = std::move(delegate);
  }
  std::shared_ptr<WEIBOButtonDelegat> btnDelegate() const { return delegate_.lock(); }
  long btnType() const { return btnType_; }
  void setBtnType(long type) { btnType_ = type; }
  const std::string& name() const { return name_; }
  void setName(std::string s) { name_ = std::move(s); }
  const std::string& text() const { return text_; }
  void setText(std::string s) { text_ = std::move(s); }
  const std::string& imagePath() const { return imagePath_; }
  void setImagePath(std::string s) { imagePath_ = std::move(s); }
  const std::string& addTime() const { return addTime_; }
  void setAddTime(std::string s) { addTime_ = std::move(s); }

  UIWeiBoButton() : UIButton(CGRectZero) {}

 private:
  std::weak_ptr<WEIBOButtonDelegat> delegate_;
  long btnType_ = 0;
  std::string name_;
  std::string text_;
  std::string imagePath_;
  std::string addTime_;
};
