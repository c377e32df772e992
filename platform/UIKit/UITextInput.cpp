#include "UIKit/UITextInput.h"

#include <algorithm>

NSRange clampedTextRange(NSRange range, size_t length) {
  size_t location = std::min(range.location, length);
  return {location, std::min(range.length, length - location)};
}

std::string textByReplacingRange(std::string_view text, NSRange range,
                                 std::string_view replacement) {
  range = clampedTextRange(range, utf16Length(text));
  size_t from = byteOffsetOfUTF16Index(text, range.location);
  size_t to = byteOffsetOfUTF16Index(text, range.location + range.length);
  std::string out(text.substr(0, from));
  out += replacement;
  out += text.substr(to);
  return out;
}

NSRange rangeForBackspace(std::string_view text, NSRange selection) {
  selection = clampedTextRange(selection, utf16Length(text));
  if (selection.length > 0 || selection.location == 0) return selection;
  size_t end = selection.location;
  size_t start = end - 1;
  // A low surrogate takes its high one along.
  char16_t c = characterAtIndex(text, start);
  if (c >= 0xDC00 && c <= 0xDFFF && start > 0) {
    char16_t before = characterAtIndex(text, start - 1);
    if (before >= 0xD800 && before <= 0xDBFF) --start;
  }
  return {start, end - start};
}
