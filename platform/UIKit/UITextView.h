// A scrolling, editable text of many lines.  The text is laid out in the view's width less 8
// points on each side (and 8 above and below), and the content size follows it.  A tap starts
// editing when it is editable; typing goes in at the selection (the return key types a line
// break) and keeps the insertion point in view.
//
// The delegate (also the scroll view's) hears, in the platform's order:
//   start   shouldBeginEditing (NO: no editing), didBeginEditing, the begin notification
//   typing  shouldChangeTextInRange:replacementText: (NO: nothing changes), the change,
//           didChangeSelection, didChange, the did-change notification
//   arrows  didChangeSelection
//   end     shouldEndEditing (NO: it stays), didEndEditing, the end notification
// Text and selections set by the program tell no one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UITextInput.h"

class UIFont;
class UITextView;

inline constexpr std::string_view UITextViewTextDidBeginEditingNotification =
    "UITextViewTextDidBeginEditingNotification";
inline constexpr std::string_view UITextViewTextDidChangeNotification =
    "UITextViewTextDidChangeNotification";
inline constexpr std::string_view UITextViewTextDidEndEditingNotification =
    "UITextViewTextDidEndEditingNotification";

using UIDataDetectorTypes = unsigned;
inline constexpr UIDataDetectorTypes UIDataDetectorTypeNone = 0;
inline constexpr UIDataDetectorTypes UIDataDetectorTypePhoneNumber = 1 << 0;
inline constexpr UIDataDetectorTypes UIDataDetectorTypeLink = 1 << 1;
inline constexpr UIDataDetectorTypes UIDataDetectorTypeAddress = 1 << 2;
inline constexpr UIDataDetectorTypes UIDataDetectorTypeCalendarEvent = 1 << 3;

class UITextViewDelegate : public UIScrollViewDelegate {
 public:
  virtual bool textViewShouldBeginEditing(const std::shared_ptr<UITextView>&) { return true; }
  virtual void textViewDidBeginEditing(const std::shared_ptr<UITextView>&) {}
  virtual bool textViewShouldEndEditing(const std::shared_ptr<UITextView>&) { return true; }
  virtual void textViewDidEndEditing(const std::shared_ptr<UITextView>&) {}
  virtual bool textViewShouldChangeTextInRangeReplacementText(const std::shared_ptr<UITextView>&,
                                                              NSRange /*range*/,
                                                              const std::string& /*text*/) {
    return true;
  }
  virtual void textViewDidChange(const std::shared_ptr<UITextView>&) {}
  virtual void textViewDidChangeSelection(const std::shared_ptr<UITextView>&) {}
};

class UITextView : public UIScrollView, public UITextInput {
 public:
  static constexpr CGFloat kInset = 8;

  UITextView() : UITextView(CGRectZero) {}
  explicit UITextView(CGRect frame);

  NS_CLASS(UITextView, UIScrollView)
 public:
  const std::string& text() const { return text_; }
  // The insertion point goes to the end.
  void setText(std::string text);
  // Default: the system font of 12 points.
  const std::shared_ptr<UIFont>& font() const { return font_; }
  void setFont(std::shared_ptr<UIFont> font);
  const std::shared_ptr<UIColor>& textColor() const { return textColor_; }
  void setTextColor(std::shared_ptr<UIColor> color);
  UITextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(UITextAlignment alignment);
  bool isEditable() const { return editable_; }
  // Making an editing view read-only ends its editing.
  void setEditable(bool editable);
  UIDataDetectorTypes dataDetectorTypes() const { return detectors_; }
  void setDataDetectorTypes(UIDataDetectorTypes types) { detectors_ = types; }
  UITextInputTraits& traits() { return traits_; }
  const UITextInputTraits& traits() const { return traits_; }
  UIReturnKeyType returnKeyType() const { return traits_.returnKeyType; }
  void setReturnKeyType(UIReturnKeyType type) { traits_.returnKeyType = type; }

  std::weak_ptr<UITextViewDelegate> delegate() const { return textDelegate_; }
  void setDelegate(std::weak_ptr<UITextViewDelegate> delegate);
  std::shared_ptr<UIView> inputView() const override { return inputView_; }
  void setInputView(std::shared_ptr<UIView> view) { inputView_ = std::move(view); }

  bool isEditing() const { return editing_; }
  // Scrolls the least that shows the line of the range's start.
  void scrollRangeToVisible(NSRange range);

  // ---- typing (UITextInput)
  bool hasText() const override { return !text_.empty(); }
  void insertText(std::string_view text) override;
  void deleteBackward() override;
  NSRange selectedRange() const override { return selection_; }
  // While editing, the delegate hears of it (the arrow keys come this way).
  void setSelectedRange(NSRange range) override;
  size_t textLength() const override;

  bool canBecomeFirstResponder() const override { return editable_; }
  bool becomeFirstResponder() override;
  bool canResignFirstResponder() const override;

  void layoutSubviews() override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 protected:
  void didBecomeFirstResponder() override;
  void didResignFirstResponder() override;
  void describeAttributes(std::string& line) const override;
  bool dumpsSubview(const UIView& view) const override;

 private:
  friend class UITextViewContent;
  std::shared_ptr<UITextView> selfPtr();
  void replace(NSRange range, std::string_view replacement);
  void textChanged();
  CGFloat textWidth() const;

  std::string text_;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  UITextAlignment alignment_ = UITextAlignmentLeft;
  bool editable_ = true;
  UIDataDetectorTypes detectors_ = UIDataDetectorTypeNone;
  UITextInputTraits traits_;
  std::weak_ptr<UITextViewDelegate> textDelegate_;
  std::shared_ptr<UIView> inputView_;
  std::shared_ptr<UIView> content_;
  bool editing_ = false;
  NSRange selection_;
};
