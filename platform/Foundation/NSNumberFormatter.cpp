#include "Foundation/NSNumberFormatter.h"

#include <unicode/decimfmt.h>
#include <unicode/numfmt.h>

#include "Foundation/NSLocale.h"

struct NSNumberFormatter::Impl {
  std::unique_ptr<icu::NumberFormat> format;
};

NSNumberFormatter::NSNumberFormatter() : locale_(NSLocale::currentLocaleIdentifier()) {}

NSNumberFormatter::~NSNumberFormatter() = default;

void NSNumberFormatter::setNumberStyle(NSNumberFormatterStyle style) {
  style_ = style;
  impl_.reset();
}

void NSNumberFormatter::setLocale(std::string_view identifier) {
  locale_ = std::string(identifier);
  impl_.reset();
}

std::string NSNumberFormatter::stringFromNumber(const Value& number) const {
  if (!number.isNumber()) return {};
  if (!impl_) {
    impl_ = std::make_unique<Impl>();
    UErrorCode status = U_ZERO_ERROR;
    impl_->format.reset(icu::NumberFormat::createInstance(icu::Locale(locale_.c_str()), status));
    if (U_FAILURE(status)) impl_->format.reset();
    if (impl_->format) {
      impl_->format->setGroupingUsed(style_ == NSNumberFormatterStyle::Decimal);
      // The platform's decimal style shows up to three fraction digits; no style none.
      impl_->format->setMaximumFractionDigits(style_ == NSNumberFormatterStyle::Decimal ? 3 : 0);
    }
  }
  if (!impl_->format) return number.description();
  icu::UnicodeString out;
  switch (number.kind()) {
    case Value::Kind::Double:
      impl_->format->format(number.doubleValue(), out);
      break;
    case Value::Kind::UInt:
      if (number.unsignedLongLongValue() > uint64_t(INT64_MAX)) {
        impl_->format->format(number.doubleValue(), out);
        break;
      }
      [[fallthrough]];
    default:
      impl_->format->format(int64_t(number.longLongValue()), out);
      break;
  }
  std::string s;
  out.toUTF8String(s);
  return s;
}
