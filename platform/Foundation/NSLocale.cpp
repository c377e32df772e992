#include "Foundation/NSLocale.h"

#include <cstdlib>

#include "Foundation/NSUserDefaults.h"

std::string NSLocale::currentLocaleIdentifier() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    std::string s(v);
    s = s.substr(0, s.find_first_of(".@"));
    if (s.size() >= 5 && s[2] == '_') return s;
    break;
  }
  return "en_US";
}

std::vector<std::string> NSLocale::preferredLanguages() {
  std::vector<std::string> languages;
  if (ValueArray list = NSUserDefaults::standardUserDefaults()->arrayForKey("AppleLanguages")) {
    for (const Value& v : *list)
      if (v.isString() && !v.string().empty()) languages.emplace_back(v.string());
  }
  return languages;
}

std::string NSLocale::localeIdentifierFromLanguage(std::string_view language) {
  std::string id(language);
  for (char& c : id)
    if (c == '-') c = '_';
  return id;
}
