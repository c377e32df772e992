// The application bundle: the resources/ folder (ZEPT_RESOURCES, else a resources/ folder found
// beside or above the executable, else the source tree's), its Info.plist and its localised
// string tables (<lang>.lproj/<table>.strings).
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class NSBundle : public NSObject {
 public:
  explicit NSBundle(std::string path);

  static std::shared_ptr<NSBundle> mainBundle();
  static std::shared_ptr<NSBundle> bundleWithPath(std::string_view path);

  const std::string& bundlePath() const { return path_; }
  const std::string& resourcePath() const { return path_; }

  // The path of an existing resource: name + "." + type (type may be empty when the name has
  // its extension), looked up in the folder (or the given subfolder) and then in the
  // localisation folders.  Empty when there is no such file.
  std::string pathForResource(std::string_view name, std::string_view type = {},
                              std::string_view directory = {}) const;

  // The Info.plist dictionary (an empty one when the file is missing or unreadable).
  ValueDictionary infoDictionary() const;
  Value objectForInfoDictionaryKey(std::string_view key) const;
  std::string bundleIdentifier() const;

  // The localised text of a key in the table (default "Localizable").  A key the table lacks
  // gives `value` when that is not empty, else the key itself.
  std::string localizedStringForKey(std::string_view key, std::string_view value = {},
                                    std::string_view table = {}) const;

  // The localisation folders searched, in order.
  static const std::vector<std::string>& preferredLocalizations();

  // Reads the platform's .strings format: "key" = "value"; pairs, /* */ and // comments,
  // escapes \" \\ \n \t \r \a \b \f \v \' \Uxxxx and octal \ooo, unquoted word tokens, and the
  // short form "key"; (value = key).  UTF-8 or UTF-16 with a byte-order mark.  On a syntax
  // error the pairs read before it are kept and `error` (when given) describes it.
  static ValueDictionary parseStringsFile(std::string_view data, std::string* error = nullptr);

  std::string description() const override { return "NSBundle <" + path_ + ">"; }

 private:
  ValueDictionary stringTable(const std::string& table) const;

  std::string path_;
  mutable std::mutex mutex_;
  mutable ValueDictionary info_;
  mutable std::map<std::string, ValueDictionary> tables_;
};

// The main bundle's localised text of a key (the comment is for translators only).
std::string NSLocalizedString(std::string_view key, std::string_view comment = {});
