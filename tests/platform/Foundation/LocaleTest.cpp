// Locales by identifier and numbers written by a locale's rules.
#include <gtest/gtest.h>

#include <cstdlib>

#include "Foundation/NSLocale.h"
#include "Foundation/NSNumberFormatter.h"
#include "Foundation/NSUserDefaults.h"

TEST(NSLocale, TheCurrentLocaleIsTheEnvironmentsAndTheLanguagesTheUsers) {
  // Tests run in the C locale, which names no language.
  EXPECT_EQ(NSLocale::currentLocaleIdentifier(), "en_US");
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  EXPECT_EQ(NSLocale::currentLocaleIdentifier(), "zh_CN");
  setenv("LC_ALL", "C", 1);

  EXPECT_TRUE(NSLocale::preferredLanguages().empty());
  NSUserDefaults::standardUserDefaults()->setObject(Value::arrayOf({"zh-Hans", "en", 3}),
                                                    "AppleLanguages");
  EXPECT_EQ(NSLocale::preferredLanguages(), (std::vector<std::string>{"zh-Hans", "en"}));
  EXPECT_EQ(NSLocale::localeIdentifierFromLanguage("zh-Hans"), "zh_Hans");
}

TEST(NSNumberFormatter, TheDecimalStyleGroupsByTheLocale) {
  NSNumberFormatter f;
  EXPECT_EQ(f.stringFromNumber(Value(1234567)), "1234567");
  f.setNumberStyle(NSNumberFormatterStyle::Decimal);
  const std::pair<Value, const char*> cases[] = {
      {Value(0), "0"},
      {Value(999), "999"},
      {Value(1234), "1,234"},
      {Value(-1234567), "-1,234,567"},
      {Value(1234.5), "1,234.5"},
      {Value(true), "1"},
  };
  for (auto& [number, text] : cases) EXPECT_EQ(f.stringFromNumber(number), text);
  EXPECT_EQ(f.stringFromNumber(Value("12")), "");
  f.setLocale("de_DE");
  EXPECT_EQ(f.stringFromNumber(Value(1234567)), "1.234.567");
}
