// A one-line text input.  A tap on it (or becomeFirstResponder) starts editing, which brings the
// keyboard up; typing goes in at the selection; the return key asks the delegate, and when the
// field has targets for editing-did-end-on-exit it sends them and ends editing.
//
// The delegate and the targets hear, in the platform's order:
//   start     shouldBeginEditing (NO: no editing), [clears on begin], didBeginEditing, editing
//             did begin, the begin notification (then the keyboard's will-show)
//   typing    shouldChangeCharactersInRange:replacementString: (NO: nothing changes), the
//             change, editing changed, the did-change notification
//   return    shouldReturn, editing did end on exit (when the field has such targets, which
//             also ends editing)
//   clear     shouldClear (the clear button)
//   end       shouldEndEditing (NO: it stays), didEndEditing, editing did end, the end
//             notification (then the keyboard's will-hide)
// Text set by the program tells no one.
//
// It draws its border style, its text (bullets for secure entry) or its grey placeholder, its
// clear button and its left and right views, in the rectangles of the rect methods, which
// subclasses may override.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIControl.h"
#include "UIKit/UITextInput.h"

class UIFont;
class UIImage;
class UITextField;

inline constexpr std::string_view UITextFieldTextDidBeginEditingNotification =
    "UITextFieldTextDidBeginEditingNotification";
inline constexpr std::string_view UITextFieldTextDidChangeNotification =
    "UITextFieldTextDidChangeNotification";
inline constexpr std::string_view UITextFieldTextDidEndEditingNotification =
    "UITextFieldTextDidEndEditingNotification";

enum class UITextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };
enum class UITextFieldViewMode { Never = 0, WhileEditing = 1, UnlessEditing = 2, Always = 3 };

class UITextFieldDelegate {
 public:
  virtual ~UITextFieldDelegate() = default;
  virtual bool textFieldShouldBeginEditing(const std::shared_ptr<UITextField>&) { return true; }
  virtual void textFieldDidBeginEditing(const std::shared_ptr<UITextField>&) {}
  virtual bool textFieldShouldEndEditing(const std::shared_ptr<UITextField>&) { return true; }
  virtual void textFieldDidEndEditing(const std::shared_ptr<UITextField>&) {}
  virtual bool textFieldShouldChangeCharactersInRangeReplacementString(
      const std::shared_ptr<UITextField>&, NSRange /*range*/, const std::string& /*string*/) {
    return true;
  }
  virtual bool textFieldShouldClear(const std::shared_ptr<UITextField>&) { return true; }
  virtual bool textFieldShouldReturn(const std::shared_ptr<UITextField>&) { return true; }
};

class UITextField : public UIControl, public UITextInput {
 public:
  UITextField() : UITextField(CGRectZero) {}
  explicit UITextField(CGRect frame);

  NS_CLASS(UITextField, UIControl)
 public:
  const std::string& text() const { return text_; }
  // The insertion point goes to the end.
  void setText(std::string text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(std::string placeholder);
  // Default: the system font of 12 points.
  const std::shared_ptr<UIFont>& font() const { return font_; }
  void setFont(std::shared_ptr<UIFont> font);
  const std::shared_ptr<UIColor>& textColor() const { return textColor_; }
  void setTextColor(std::shared_ptr<UIColor> color);
  UITextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(UITextAlignment alignment);
  UITextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(UITextBorderStyle style);
  std::shared_ptr<UIImage> background() const { return background_; }
  void setBackground(std::shared_ptr<UIImage> image);
  bool clearsOnBeginEditing() const { return clearsOnBeginEditing_; }
  void setClearsOnBeginEditing(bool clears) { clearsOnBeginEditing_ = clears; }
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSize_; }
  void setAdjustsFontSizeToFitWidth(bool adjusts);
  CGFloat minimumFontSize() const { return minimumFontSize_; }
  void setMinimumFontSize(CGFloat size);

  UITextFieldViewMode clearButtonMode() const { return clearButtonMode_; }
  void setClearButtonMode(UITextFieldViewMode mode);
  std::shared_ptr<UIView> leftView() const { return leftView_; }
  void setLeftView(std::shared_ptr<UIView> view);
  UITextFieldViewMode leftViewMode() const { return leftViewMode_; }
  void setLeftViewMode(UITextFieldViewMode mode);
  std::shared_ptr<UIView> rightView() const { return rightView_; }
  void setRightView(std::shared_ptr<UIView> view);
  UITextFieldViewMode rightViewMode() const { return rightViewMode_; }
  void setRightViewMode(UITextFieldViewMode mode);

  // Return key, keyboard type, secure entry and the other keyboard settings.
  UITextInputTraits& traits() { return traits_; }
  const UITextInputTraits& traits() const { return traits_; }
  UIReturnKeyType returnKeyType() const { return traits_.returnKeyType; }
  void setReturnKeyType(UIReturnKeyType type) { traits_.returnKeyType = type; }
  bool isSecureTextEntry() const { return traits_.secureTextEntry; }
  void setSecureTextEntry(bool secure);
  UIKeyboardType keyboardType() const { return traits_.keyboardType; }
  void setKeyboardType(UIKeyboardType type) { traits_.keyboardType = type; }

  std::weak_ptr<UITextFieldDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UITextFieldDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<UIView> inputView() const override { return inputView_; }
  void setInputView(std::shared_ptr<UIView> view) { inputView_ = std::move(view); }

  bool isEditing() const { return editing_; }

  // ---- the rectangles (in the bounds)
  virtual CGRect borderRectForBounds(CGRect bounds) const;
  virtual CGRect textRectForBounds(CGRect bounds) const;
  virtual CGRect placeholderRectForBounds(CGRect bounds) const;
  virtual CGRect editingRectForBounds(CGRect bounds) const;
  virtual CGRect clearButtonRectForBounds(CGRect bounds) const;
  virtual CGRect leftViewRectForBounds(CGRect bounds) const;
  virtual CGRect rightViewRectForBounds(CGRect bounds) const;
  virtual void drawTextInRect(CGRect rect);
  virtual void drawPlaceholderInRect(CGRect rect);

  // ---- typing (UITextInput)
  bool hasText() const override { return !text_.empty(); }
  void insertText(std::string_view text) override;
  void deleteBackward() override;
  NSRange selectedRange() const override { return selection_; }
  void setSelectedRange(NSRange range) override;
  size_t textLength() const override;

  // ---- first responder
  bool canBecomeFirstResponder() const override;
  bool becomeFirstResponder() override;
  bool canResignFirstResponder() const override;

  void drawRect(CGRect rect) override;
  void layoutSubviews() override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 protected:
  void didBecomeFirstResponder() override;
  void didResignFirstResponder() override;
  void describeAttributes(std::string& line) const override;
  bool dumpsSubview(const UIView& view) const override;

 private:
  std::shared_ptr<UITextField> selfPtr();
  bool shows(UITextFieldViewMode mode) const;
  bool showsClearButton() const;
  void replace(NSRange range, std::string_view replacement);
  void textChanged();
  void clearTapped();
  std::shared_ptr<UIFont> fittingFont(CGFloat width) const;

  std::string text_, placeholder_;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  UITextAlignment alignment_ = UITextAlignmentLeft;
  UITextBorderStyle borderStyle_ = UITextBorderStyle::None;
  std::shared_ptr<UIImage> background_;
  bool clearsOnBeginEditing_ = false;
  bool adjustsFontSize_ = false;
  CGFloat minimumFontSize_ = 0;
  UITextFieldViewMode clearButtonMode_ = UITextFieldViewMode::Never;
  std::shared_ptr<UIView> leftView_, rightView_;
  UITextFieldViewMode leftViewMode_ = UITextFieldViewMode::Never;
  UITextFieldViewMode rightViewMode_ = UITextFieldViewMode::Never;
  std::shared_ptr<UIControl> clearButton_;
  UITextInputTraits traits_;
  std::weak_ptr<UITextFieldDelegate> delegate_;
  std::shared_ptr<UIView> inputView_;
  bool editing_ = false;
  NSRange selection_;
};
