#include "Foundation/NSBundle.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPropertyList.h"
#include "Foundation/NSString.h"

#ifndef ZEPT_SOURCE_DIR
#define ZEPT_SOURCE_DIR ""
#endif

namespace fs = std::filesystem;

namespace {

bool isFile(const fs::path& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

std::string findMainResources() {
  if (const char* env = std::getenv("ZEPT_RESOURCES"); env && *env) return env;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (fs::path dir = exe.parent_path(); !dir.empty(); dir = dir.parent_path()) {
      if (isFile(dir / "resources" / "Info.plist")) return (dir / "resources").string();
      if (dir == dir.root_path()) break;
    }
  }
  return std::string(ZEPT_SOURCE_DIR) + "/resources";
}

// UTF-16 with a byte-order mark to UTF-8; lone surrogates become U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool littleEndian) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t k = 0; k < units.size(); ++k) {
    unsigned char a = static_cast<unsigned char>(bytes[2 * k]);
    unsigned char b = static_cast<unsigned char>(bytes[2 * k + 1]);
    units[k] = littleEndian ? char16_t(a | (b << 8)) : char16_t((a << 8) | b);
  }
  return stringWithCharacters(units);
}

class StringsParser {
 public:
  explicit StringsParser(std::string_view text) : s_(text) {}

  ValueDictionary parse(std::string* error) {
    auto table = makeDictionary();
    for (;;) {
      if (!skipBlanks()) return fail(table, error, "unterminated comment");
      if (i_ >= s_.size()) return table;
      std::string key, value;
      if (!token(key)) return fail(table, error, "expected a key");
      if (!skipBlanks()) return fail(table, error, "unterminated comment");
      if (i_ < s_.size() && s_[i_] == ';') {
        ++i_;
        table->setObject(Value(key), key);
        continue;
      }
      if (i_ >= s_.size() || s_[i_] != '=') return fail(table, error, "expected '='");
      ++i_;
      if (!skipBlanks()) return fail(table, error, "unterminated comment");
      if (!token(value)) return fail(table, error, "expected a value");
      if (!skipBlanks()) return fail(table, error, "unterminated comment");
      if (i_ >= s_.size() || s_[i_] != ';') return fail(table, error, "expected ';'");
      ++i_;
      table->setObject(Value(std::move(value)), key);
    }
  }

 private:
  ValueDictionary fail(ValueDictionary table, std::string* error, const char* what) {
    if (error) {
      size_t line = 1;
      for (size_t k = 0; k < i_ && k < s_.size(); ++k) line += s_[k] == '\n';
      *error = std::string(what) + " on line " + std::to_string(line);
    }
    return table;
  }

  // Skips white space and comments; false for a comment that never ends.
  bool skipBlanks() {
    while (i_ < s_.size()) {
      char c = s_[i_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
        ++i_;
      } else if (s_.compare(i_, 2, "//") == 0) {
        size_t e = s_.find('\n', i_);
        i_ = e == std::string_view::npos ? s_.size() : e + 1;
      } else if (s_.compare(i_, 2, "/*") == 0) {
        size_t e = s_.find("*/", i_ + 2);
        if (e == std::string_view::npos) return false;
        i_ = e + 2;
      } else if (s_.compare(i_, 3, "\xEF\xBB\xBF") == 0) {
        i_ += 3;
      } else {
        break;
      }
    }
    return true;
  }

  static bool isWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
  }

  bool token(std::string& out) {
    if (i_ >= s_.size()) return false;
    if (s_[i_] != '"') {
      size_t start = i_;
      while (i_ < s_.size() && isWordChar(s_[i_])) ++i_;
      out.assign(s_.substr(start, i_ - start));
      return i_ > start;
    }
    ++i_;
    while (i_ < s_.size()) {
      char c = s_[i_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (i_ >= s_.size()) return false;
      char e = s_[i_++];
      switch (e) {
        case 'a':
          out += '\a';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'v':
          out += '\v';
          break;
        case 'U':
        case 'u': {
          char32_t cp = hex4();
          if (cp >= 0xD800 && cp <= 0xDBFF && s_.compare(i_, 2, "\\U") == 0) {
            size_t save = i_;
            i_ += 2;
            char32_t lo = hex4();
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
              cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
            } else {
              i_ = save;
            }
          }
          if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
          appendUTF8(out, cp);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            unsigned v = unsigned(e - '0');
            for (int k = 0; k < 2 && i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '7'; ++k)
              v = v * 8 + unsigned(s_[i_++] - '0');
            appendUTF8(out, char32_t(v & 0xFF));
          } else {
            out += e;  // \" \' \\ and any other character stand for themselves
          }
      }
    }
    return false;
  }

  char32_t hex4() {
    char32_t v = 0;
    for (int k = 0; k < 4 && i_ < s_.size(); ++k) {
      char c = s_[i_];
      int d = (c >= '0' && c <= '9')   ? c - '0'
              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                       : -1;
      if (d < 0) break;
      v = v * 16 + char32_t(d);
      ++i_;
    }
    return v;
  }

  std::string_view s_;
  size_t i_ = 0;
};

}  // namespace

NSBundle::NSBundle(std::string path) : path_(std::move(path)) {
  while (path_.size() > 1 && path_.back() == '/') path_.pop_back();
}

std::shared_ptr<NSBundle> NSBundle::mainBundle() {
  static std::shared_ptr<NSBundle> bundle = std::make_shared<NSBundle>(findMainResources());
  return bundle;
}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(std::string_view path) {
  bool dir = false;
  if (!NSFileManager::defaultManager().fileExistsAtPath(path, &dir) || !dir) return nullptr;
  return std::make_shared<NSBundle>(std::string(path));
}

const std::vector<std::string>& NSBundle::preferredLocalizations() {
  static const std::vector<std::string> langs = {"zh-Hans", "Base", "en"};
  return langs;
}

std::string NSBundle::pathForResource(std::string_view name, std::string_view type,
                                      std::string_view directory) const {
  if (name.empty()) return {};
  std::string file(name);
  if (!type.empty()) {
    if (type.front() == '.') type.remove_prefix(1);
    file += '.';
    file += type;
  }
  fs::path base(path_);
  if (!directory.empty()) base /= std::string(directory);
  if (isFile(base / file)) return (base / file).string();
  for (const std::string& lang : preferredLocalizations()) {
    fs::path p = base / (lang + ".lproj") / file;
    if (isFile(p)) return p.string();
  }
  return {};
}

ValueDictionary NSBundle::infoDictionary() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!info_) {
    // Shared with every caller, so it must not be changed by one of them.
    ValueDictionary d = dictionaryWithContentsOfFile(path_ + "/Info.plist");
    info_ = d ? d->copy() : std::make_shared<NSMutableDictionary>(false);
  }
  return info_;
}

Value NSBundle::objectForInfoDictionaryKey(std::string_view key) const {
  return infoDictionary()->objectForKey(key);
}

std::string NSBundle::bundleIdentifier() const {
  return std::string(objectForInfoDictionaryKey("CFBundleIdentifier").string());
}

ValueDictionary NSBundle::parseStringsFile(std::string_view data, std::string* error) {
  if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFF &&
      static_cast<unsigned char>(data[1]) == 0xFE) {
    std::string text = utf16ToUtf8(data.substr(2), true);
    return StringsParser(text).parse(error);
  }
  if (data.size() >= 2 && static_cast<unsigned char>(data[0]) == 0xFE &&
      static_cast<unsigned char>(data[1]) == 0xFF) {
    std::string text = utf16ToUtf8(data.substr(2), false);
    return StringsParser(text).parse(error);
  }
  return StringsParser(data).parse(error);
}

ValueDictionary NSBundle::stringTable(const std::string& table) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = tables_.find(table);
  if (it != tables_.end()) return it->second;
  // The first localisation that has the table wins; the bundle folder itself comes last.
  auto merged = makeDictionary();
  std::vector<std::string> candidates;
  for (const std::string& lang : preferredLocalizations())
    candidates.push_back(path_ + "/" + lang + ".lproj/" + table + ".strings");
  candidates.push_back(path_ + "/" + table + ".strings");
  for (const std::string& file : candidates) {
    std::optional<std::string> bytes = dataWithContentsOfFile(file);
    if (!bytes) continue;
    merged = parseStringsFile(*bytes);
    break;
  }
  tables_[table] = merged;
  return merged;
}

std::string NSBundle::localizedStringForKey(std::string_view key, std::string_view value,
                                            std::string_view table) const {
  if (key.empty()) return std::string(value);
  ValueDictionary strings = stringTable(table.empty() ? "Localizable" : std::string(table));
  Value v = strings->objectForKey(key);
  if (v.isString()) return std::string(v.string());
  return std::string(value.empty() ? key : value);
}

std::string NSLocalizedString(std::string_view key, std::string_view comment) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}
