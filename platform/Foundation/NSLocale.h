// Locales by identifier ("en_US", "zh_CN"): the process's current one and the user's
// preferred languages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class NSLocale {
 public:
  // The locale the process's environment names (LC_ALL, then LC_MESSAGES, then LANG:
  // "zh_CN.UTF-8" gives "zh_CN"); "en_US" when none names a language and region (the C locale).
  static std::string currentLocaleIdentifier();
  // The user's languages, most preferred first: the "AppleLanguages" user default ("zh-Hans",
  // "en" ...); empty when it is not set.
  static std::vector<std::string> preferredLanguages();
  // A language tag as a locale identifier ("zh-Hans" -> "zh_Hans").
  static std::string localeIdentifierFromLanguage(std::string_view language);
};
