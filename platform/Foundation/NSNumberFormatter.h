// Numbers as text by a locale's rules (ICU).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

enum class NSNumberFormatterStyle {
  NoStyle = 0,  // the plain integer or decimal digits
  Decimal = 1,  // with the locale's grouping and decimal separators ("1,234.5")
};

class NSNumberFormatter {
 public:
  // The current locale (NSLocale::currentLocaleIdentifier), no style.
  NSNumberFormatter();
  ~NSNumberFormatter();
  NSNumberFormatter(const NSNumberFormatter&) = delete;
  NSNumberFormatter& operator=(const NSNumberFormatter&) = delete;

  void setNumberStyle(NSNumberFormatterStyle style);
  NSNumberFormatterStyle numberStyle() const { return style_; }
  void setLocale(std::string_view identifier);
  const std::string& locale() const { return locale_; }

  // The number's text; empty for a value that is not a number.
  std::string stringFromNumber(const Value& number) const;

 private:
  struct Impl;
  NSNumberFormatterStyle style_ = NSNumberFormatterStyle::NoStyle;
  std::string locale_;
  mutable std::unique_ptr<Impl> impl_;
};
