// The app's text view: a placeholder (at 0.8 alpha while the text is empty), optional ruled
// lines under the text, whether the keyboard shows, and a vertical drag of more than 30 points
// reported to the text delegate (touchMoved).  While the keyboard comes up, the application
// delegate's curTextView is cleared (when it has one).
#pragma once

#include <memory>
#include <string>

#include "UIKit/UILabel.h"
#include "UIKit/UITextView.h"

class UIZMTextViewDelegate {
 public:
  virtual ~UIZMTextViewDelegate() = default;
  virtual void touchMoved() {}
  // Whether the delegate has touchMoved (a delegate that has it answers true for "touchMoved").
  virtual bool respondsToSelector(std::string_view /*selector*/) const { return false; }
};

class UIZMTextView : public UITextView {
  NS_CLASS(UIZMTextView, UITextView)
 public:
  static constexpr long kDragReport = 30;

  explicit UIZMTextView(CGRect frame) : UITextView(frame) {}
  ~UIZMTextView() override;
  static std::shared_ptr<UIZMTextView> initWithFrame(CGRect frame);

  void setup();
  void textChanged(const Value& notification);
  void keyboardWillShow(const Value& notification);
  void keyboardWillHide(const Value& notification);
  void drawRect(CGRect rect) override;
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

  std::weak_ptr<UIZMTextViewDelegate> textDelegate() const { return textDelegate_; }
  void setTextDelegate(std::weak_ptr<UIZMTextViewDelegate> d) { textDelegate_ = std::move(d); }
  const std::string& placeholderText() const { return placeholderText_; }
  void setPlaceholderText(std::string text) { placeholderText_ = std::move(text); }
  const std::shared_ptr<UIColor>& placeholderColor() const { return placeholderColor_; }
  void setPlaceholderColor(std::shared_ptr<UIColor> c) { placeholderColor_ = std::move(c); }
  const std::shared_ptr<UILabel>& placeholderLabel() const { return placeholderLabel_; }
  bool keyboardShowed() const { return keyboardShowed_; }
  void setKeyboardShowed(bool b) { keyboardShowed_ = b; }
  bool needDrawLine() const { return needDrawLine_; }
  void setNeedDrawLine(bool b) { needDrawLine_ = b; }

 private:
  bool isMove_ = false;
  long start_ = 0;
  bool keyboardShowed_ = false;
  long end_ = 0;
  std::weak_ptr<UIZMTextViewDelegate> textDelegate_;
  std::string placeholderText_;
  std::shared_ptr<UIColor> placeholderColor_;
  std::shared_ptr<UILabel> placeholderLabel_;
  bool needDrawLine_ = false;
};
