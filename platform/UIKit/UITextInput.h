// What a responder that takes typing offers the keyboard: text goes in at the selection,
// backspace takes the character before it (or the selection) away.  Ranges count UTF-16 units.
#pragma once

#include <string>
#include <string_view>

#include "Foundation/NSString.h"

class UIKeyInput {
 public:
  virtual ~UIKeyInput() = default;
  virtual bool hasText() const = 0;
  virtual void insertText(std::string_view text) = 0;
  virtual void deleteBackward() = 0;
};

enum class UIKeyboardType {
  Default = 0,
  ASCIICapable = 1,
  NumbersAndPunctuation = 2,
  URL = 3,
  NumberPad = 4,
  PhonePad = 5,
  NamePhonePad = 6,
  EmailAddress = 7,
  DecimalPad = 8
};
enum class UIKeyboardAppearance { Default = 0, Alert = 1 };
enum class UIReturnKeyType {
  Default = 0,
  Go = 1,
  Google = 2,
  Join = 3,
  Next = 4,
  Route = 5,
  Search = 6,
  Send = 7,
  Yahoo = 8,
  Done = 9,
  EmergencyCall = 10
};
enum class UITextAutocapitalizationType { None = 0, Words = 1, Sentences = 2, AllCharacters = 3 };
enum class UITextAutocorrectionType { Default = 0, No = 1, Yes = 2 };

// The keyboard's settings for a text input (stored; the keyboard shows the return key's type).
struct UITextInputTraits {
  UITextAutocapitalizationType autocapitalizationType = UITextAutocapitalizationType::Sentences;
  UITextAutocorrectionType autocorrectionType = UITextAutocorrectionType::Default;
  UIKeyboardType keyboardType = UIKeyboardType::Default;
  UIKeyboardAppearance keyboardAppearance = UIKeyboardAppearance::Default;
  UIReturnKeyType returnKeyType = UIReturnKeyType::Default;
  bool enablesReturnKeyAutomatically = false;
  bool secureTextEntry = false;
};

// The range kept within a text of that many UTF-16 units.
NSRange clampedTextRange(NSRange range, size_t length);
// The text with the range (UTF-16 units, kept within the text) replaced.
std::string textByReplacingRange(std::string_view text, NSRange range,
                                 std::string_view replacement);
// What backspace takes away: the selection, else the character before the insertion point
// (both units of a surrogate pair); an empty range at the start of the text.
NSRange rangeForBackspace(std::string_view text, NSRange selection);

// A text input with a selection that the arrow keys move.
class UITextInput : public UIKeyInput {
 public:
  virtual NSRange selectedRange() const = 0;
  virtual void setSelectedRange(NSRange range) = 0;
  // The text's length in UTF-16 units.
  virtual size_t textLength() const = 0;
};
