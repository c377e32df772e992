#include "strings/StringsFileFuzzCheck.h"

#include <string_view>

#include "Foundation/NSBundle.h"
#include "Foundation/NSString.h"

namespace {

// The format's quoted form of a text: only the quote and the backslash are escaped.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string written(const NSDictionary& table) {
  std::string out = "/* written back */\n";
  table.enumerate([&](const std::string& key, const Value& value) {
    out += quoted(key) + " = " + quoted(std::string(value.string())) + ";\n";
  });
  return out;
}

// Valid UTF-8 text as UTF-16 with its byte-order mark.
std::string utf16(const std::string& text, bool littleEndian) {
  std::string out = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  auto put = [&](char32_t u) {
    char lo = char(u & 0xFF), hi = char((u >> 8) & 0xFF);
    out += littleEndian ? lo : hi;
    out += littleEndian ? hi : lo;
  };
  for (size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = n == 1 ? b : b & (0x7F >> n);
    for (size_t k = 1; k < n; ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += n;
    if (cp < 0x10000) {
      put(cp);
    } else {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return out;
}

std::string readsBackEqual(const std::string& text, const NSDictionary& table, const char* as) {
  std::string error;
  ValueDictionary again = NSBundle::parseStringsFile(text, &error);
  if (!error.empty()) return std::string("the table written ") + as + " fails: " + error;
  if (!again || !Value(again).isEqual(Value(table.copy())))
    return std::string("the table written ") + as + " reads back different";
  return {};
}

}  // namespace

std::string stringsFileFuzzCheck(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  ValueDictionary table = NSBundle::parseStringsFile(text, &error);
  if (!table) return "no table";
  if (table->count() > size) return "more pairs than bytes";
  std::string fault;
  bool allUTF8 = true;
  table->enumerate([&](const std::string& key, const Value& value) {
    if (!fault.empty()) return;
    if (!value.isString())
      fault = "a value that is not a string";
    else if (!isValidUTF8(key) || !isValidUTF8(value.string()))
      allUTF8 = false;
  });
  if (!fault.empty()) return fault;
  if (!error.empty()) {
    size_t at = error.rfind(" on line ");
    if (at == std::string::npos) return "an error without its line: " + error;
    size_t lines = 1;
    for (char c : text) lines += c == '\n';
    if (std::stoul(error.substr(at + 9)) > lines) return "an error past the last line: " + error;
  }

  // The same bytes read again give the same table and error.
  std::string secondError;
  ValueDictionary second = NSBundle::parseStringsFile(text, &secondError);
  if (secondError != error || !Value(second).isEqual(Value(table)))
    return "a second reading differs";

  // Written back in the quoted form, the table reads back the same: as UTF-8, and as UTF-16 of
  // either byte order when its text is UTF-8.
  const std::string back = written(*table);
  fault = readsBackEqual(back, *table, "as UTF-8");
  if (!fault.empty() || !allUTF8) return fault;
  fault = readsBackEqual(utf16(back, true), *table, "as UTF-16LE");
  if (!fault.empty()) return fault;
  return readsBackEqual(utf16(back, false), *table, "as UTF-16BE");
}
