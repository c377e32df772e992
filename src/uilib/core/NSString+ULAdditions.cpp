#include "Foundation/NSUUID.h"
#include "uilib/core/NSString+ULAdditions.h"
#include "uilib/core/ULMarkupStripper.h"

namespace {

// Pieces of a query, split at "&" and ";".
std::vector<std::string> queryPieces(std::string_view query) {
  std::vector<std::string> pieces;
  std::string piece;
  for (char c : query) {
    if (c == '&' || c == ';') {
      pieces.push_back(std::move(piece));
      piece.clear();
    } else {
      piece.push_back(c);
    }
  }
  pieces.push_back(std::move(piece));
  return pieces;
}

bool allIn(std::string_view text, const NSCharacterSet& set) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t cp;
    size_t n;
    if (c < 0x80) {
      cp = c;
      n = 1;
    } else if ((c >> 5) == 6 && i + 1 < text.size()) {
      cp = char32_t(((c & 0x1F) << 6) | (text[i + 1] & 0x3F));
      n = 2;
    } else if ((c >> 4) == 14 && i + 2 < text.size()) {
      cp = char32_t(((c & 0x0F) << 12) | ((text[i + 1] & 0x3F) << 6) | (text[i + 2] & 0x3F));
      n = 3;
    } else if ((c >> 3) == 30 && i + 3 < text.size()) {
      cp = char32_t(((c & 0x07) << 18) | ((text[i + 1] & 0x3F) << 12) |
                    ((text[i + 2] & 0x3F) << 6) | (text[i + 3] & 0x3F));
      n = 4;
    } else {
      return false;
    }
    if (!set.characterIsMember(cp)) return false;
    i += n;
  }
  return true;
}

}  // namespace

std::string stringByAppendingStringNormal(std::string_view text, const Value& argument) {
  std::string out(text);
  if (argument.isString()) out += argument.string();
  return out;
}

bool isWhitespaceAndNewlines(std::string_view text) {
  return allIn(text, NSCharacterSet::whitespaceAndNewlineCharacterSet());
}

bool isEmptyOrWhitespace(std::string_view text) {
  return text.empty() || allIn(text, NSCharacterSet::whitespaceCharacterSet());
}

std::string stringByRemovingHTMLTags(std::string_view text) {
  return std::make_shared<ULMarkupStripper>()->parse(text);
}

ValueDictionary queryDictionaryUsingEncoding(std::string_view query, NSStringEncoding encoding) {
  auto pairs = std::make_shared<NSMutableDictionary>();
  for (const std::string& piece : queryPieces(query)) {
    std::vector<std::string> kv = componentsSeparatedByString(piece, "=");
    if (kv.size() != 2) continue;
    auto name = stringByReplacingPercentEscapesUsingEncoding(kv[0], encoding);
    auto value = stringByReplacingPercentEscapesUsingEncoding(kv[1], encoding);
    if (!name || !value) continue;
    pairs->setObject(Value(*value), *name);
  }
  return pairs->copy();
}

ValueDictionary queryContentsUsingEncoding(std::string_view query, NSStringEncoding encoding) {
  auto contents = std::make_shared<NSMutableDictionary>();
  for (const std::string& piece : queryPieces(query)) {
    std::vector<std::string> kv = componentsSeparatedByString(piece, "=");
    if (kv.size() > 2) continue;
    auto name = stringByReplacingPercentEscapesUsingEncoding(kv[0], encoding);
    if (!name) continue;
    Value value = Value::null();
    if (kv.size() == 2) {
      auto unescaped = stringByReplacingPercentEscapesUsingEncoding(kv[1], encoding);
      if (!unescaped) continue;
      value = Value(*unescaped);
    }
    Value list = contents->objectForKey(*name);
    if (!list.isArray()) {
      list = Value::arrayOf();
      contents->setObject(list, *name);
    }
    list.array()->addObject(std::move(value));
  }
  return contents;
}

std::string stringByAddingQueryDictionary(std::string_view url, const ValueDictionary& query) {
  std::string pairs;
  if (query) {
    query->enumerate([&](const std::string& name, const Value& v) {
      std::string value = stringByReplacingOccurrencesOfString(v.description(), "?", "%3F");
      value = stringByReplacingOccurrencesOfString(value, "=", "%3D");
      if (!pairs.empty()) pairs += "&";
      pairs += name + "=" + value;
    });
  }
  std::string out(url);
  out += (url.find('?') == std::string_view::npos ? "?" : "&") + pairs;
  return out;
}

std::string urlEncoded(std::string_view text) {
  return CFURLCreateStringByAddingPercentEscapes(text, "", "!*();:@&=$,/?%#[]",
                                                 NSUTF8StringEncoding)
      .value_or(std::string());
}

std::string URLEncodedString(std::string_view text) {
  return CFURLCreateStringByAddingPercentEscapes(text, "", "=,!$&'()*+;@?\n\"<>#\t :/",
                                                 NSUTF8StringEncoding)
      .value_or(std::string());
}

std::optional<std::string> URLDecodedString(std::string_view text) {
  return stringByReplacingPercentEscapesUsingEncoding(text, NSUTF8StringEncoding);
}

NSComparisonResult versionStringCompare(std::string_view version, std::string_view other) {
  std::vector<std::string> a = componentsSeparatedByString(version, "a");
  std::vector<std::string> b = componentsSeparatedByString(other, "a");
  NSComparisonResult base = compare(a[0], b[0]);
  if (base != NSOrderedSame) return base;
  if (a.size() == 1 && b.size() == 1) return NSOrderedSame;
  if (a.size() == 1) return NSOrderedDescending;  // a release is newer than its alphas
  if (b.size() == 1) return NSOrderedAscending;
  int x = Value(a[1]).intValue(), y = Value(b[1]).intValue();
  return x < y ? NSOrderedAscending : x > y ? NSOrderedDescending : NSOrderedSame;
}

std::string generateGuid() {
  return NSUUID::createString();
}
