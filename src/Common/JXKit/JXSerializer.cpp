#include "Common/JXKit/JXSerializer.h"

#include <cxxabi.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "Common/JXKit/JXArray.h"
#include "Common/JXKit/JXDictionary.h"
#include "Common/JXKit/JXKey.h"
#include "Common/JXKit/JXUTF8.h"
#include "Foundation/NSObject.h"

namespace {

constexpr size_t kEncodeCacheEntries = 1024;

// Bytes written as they are: printable ASCII other than '"' and '\' (and '/' when slashes are
// escaped).
struct PlainTable {
  bool plain[256];
  constexpr explicit PlainTable(bool escapeSlash) : plain() {
    for (int c = 0x20; c < 0x80; ++c)
      plain[c] = c != '"' && c != '\\' && !(escapeSlash && c == '/');
  }
};
constexpr PlainTable kPlain(false);
constexpr PlainTable kPlainSlashEscaped(true);

bool isUnsupported(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::Nil:
    case Value::Kind::Data:
    case Value::Kind::Date:
    case Value::Kind::Object:
      return true;
    default:
      return false;
  }
}

// Ordering by UTF-16 units, as the platform's compare: orders the keys: like code point order,
// except that characters above U+FFFF (surrogate pairs) sort before U+E000-U+FFFF.
bool utf16Less(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  size_t i = 0;
  while (i < n && a[i] == b[i]) ++i;
  if (i == n) return a.size() < b.size();
  size_t s = i;
  while (s > 0 && (static_cast<unsigned char>(a[s]) & 0xC0) == 0x80) --s;
  const unsigned char la = static_cast<unsigned char>(a[s]);
  const unsigned char lb = static_cast<unsigned char>(b[s]);
  const bool aSupplementary = la >= 0xF0, bSupplementary = lb >= 0xF0;
  const bool aHighBMP = la == 0xEE || la == 0xEF, bHighBMP = lb == 0xEE || lb == 0xEF;
  if (aSupplementary && bHighBMP) return true;
  if (bSupplementary && aHighBMP) return false;
  return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);
}

}  // namespace

// A string object written earlier in this call, and where its text stands in the output.  The
// entry holds the object, so that its address cannot be reused by another object meanwhile.
struct JXEncodeCache {
  JXKeyRef object;
  size_t offset = 0;
  size_t length = 0;
};

struct JXEncodeState {
  std::string out;
  std::array<JXEncodeCache, kEncodeCacheEntries> cache;
  JXSerializeOptionFlags options = 0;
  JXEncodeOptionType encodeOption = 0;
  unsigned depth = 0;
  NSErrorPtr error;
  const JXUnsupportedClassBlock* block = nullptr;
  const JXUnsupportedClassSelector* selector = nullptr;
  bool hasDelegate = false;

  bool fail(std::string message) {
    if (!error) error = NSError::withDescription(JXErrorDomain, -1, std::move(message));
    return false;
  }

  bool indented() const { return options & JXWriteIndented; }

  void newLineAndIndent() {
    out += '\n';
    out.append(size_t(depth) * 2, ' ');
  }

  // ---- strings ----

  void appendEscapedUnit(uint32_t unit) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%4.4x", unsigned(unit));
    out.append(buf, 6);
  }

  bool writeString(std::string_view s, bool quotes) {
    const size_t need = out.size() + 2 * s.size() + 256;
    if (out.capacity() < need) out.reserve(need + 1024);
    const bool* plain = (options & JXWriteSlashEscaped) ? kPlainSlashEscaped.plain : kPlain.plain;
    const bool asciiOnly = options & JXWriteAsciiOnly;
    if (quotes) out += '"';
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
      const unsigned char* run = p;
      while (p < end && plain[*p]) ++p;
      out.append(reinterpret_cast<const char*>(run), size_t(p - run));
      if (p >= end) break;
      const unsigned char c = *p;
      if (c < 0x80) {
        switch (c) {
          case '"':
            out += "\\\"";
            break;
          case '\\':
            out += "\\\\";
            break;
          case '/':
            out += "\\/";
            break;
          case '\b':
            out += "\\b";
            break;
          case '\t':
            out += "\\t";
            break;
          case '\n':
            out += "\\n";
            break;
          case '\f':
            out += "\\f";
            break;
          case '\r':
            out += "\\r";
            break;
          default:
            appendEscapedUnit(c);
            break;
        }
        ++p;
        continue;
      }
      size_t n = jxutf8::sequenceLength(p, end);
      bool noncharacter = false;
      if (!n) {
        const jxutf8::Fault fault = jxutf8::classify(p, end);
        if (!fault.noncharacter) {
          // Bytes that are not UTF-8 cannot be converted: they become a question mark.
          out += '?';
          p += fault.length;
          continue;
        }
        n = fault.length;
        noncharacter = true;
      }
      if (!asciiOnly) {
        out.append(reinterpret_cast<const char*>(p), n);
      } else {
        if (noncharacter) return fail("Error converting UTF8.");
        const uint32_t cp = jxutf8::decode(p, n);
        if (cp < 0x10000) {
          appendEscapedUnit(cp);
        } else {
          appendEscapedUnit(0xD800 + ((cp - 0x10000) >> 10));
          appendEscapedUnit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
      }
      p += n;
    }
    if (quotes) out += '"';
    return true;
  }

  // Dictionary keys of the reader's containers are shared objects: a key written before is
  // copied from its earlier text.
  bool writeKey(const JXKeyRef& key) {
    const auto a = reinterpret_cast<uintptr_t>(key.get());
    JXEncodeCache& entry = cache[(((a >> 9) ^ (a >> 21)) + (a >> 4)) & (kEncodeCacheEntries - 1)];
    if (entry.object == key) {
      if (out.capacity() < out.size() + entry.length) out.reserve(2 * (out.size() + entry.length));
      out.append(out.data() + entry.offset, entry.length);
      return true;
    }
    const size_t start = out.size();
    if (!writeString(key->text(), true)) return false;
    entry.object = key;
    entry.offset = start;
    entry.length = out.size() - start;
    return true;
  }

  // ---- numbers ----

  template <class T>
  void appendNumber(T value) {
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, size_t(r.ptr - buf));
  }

  bool writeDouble(double d) {
    if (!std::isfinite(d))
      return fail("Floating point values must be finite.  JSON does not support NaN or Infinity.");
    // As "%.17g", without the locale's decimal point.
    char buf[40];
    auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 17);
    out.append(buf, size_t(r.ptr - buf));
    return true;
  }

  // ---- containers ----

  bool enter() {
    if (++depth > JXMaxNestingDepth) return fail(std::string(JXMaxNestingDepthMessage));
    return true;
  }

  void open(char bracket) {
    out += bracket;
    if (indented()) newLineAndIndent();
  }
  void separator() {
    out += ',';
    if (indented()) newLineAndIndent();
  }
  void close(char bracket) {
    --depth;
    if (indented()) newLineAndIndent();
    out += bracket;
  }

  bool writeArray(const NSArray& array) {
    if (!enter()) return false;
    open('[');
    const size_t n = array.count();
    for (size_t i = 0; i < n; ++i) {
      if (i) separator();
      if (!writeObject(array.objectAtIndex(i), false)) return false;
    }
    close(']');
    return true;
  }

  bool writePair(const std::string& key, const JXKeyRef* sharedKey, const Value& object,
                 bool first) {
    if (!first) separator();
    if (!(sharedKey ? writeKey(*sharedKey) : writeString(key, true))) return false;
    out += ':';
    if (indented()) out += ' ';
    return writeObject(object, false);
  }

  bool writeDictionary(const NSDictionary& dictionary) {
    if (!enter()) return false;
    open('{');
    const auto* jx = dynamic_cast<const JXDictionary*>(&dictionary);
    bool ok = true;
    if (indented()) {
      // Keys in sorted order.
      struct Pair {
        const std::string* key;
        const JXKeyRef* sharedKey;
        Value object;
      };
      std::vector<Pair> pairs;
      std::vector<std::string> keys;
      if (jx) {
        pairs.reserve(jx->count());
        for (size_t slot = 0; slot < jx->capacity(); ++slot) {
          const JXHashTableEntry& e = jx->entryAtSlot(slot);
          if (e.key) pairs.push_back({&e.key->text(), &e.key, e.object});
        }
      } else {
        keys = dictionary.allKeys();
        pairs.reserve(keys.size());
        for (const auto& k : keys) pairs.push_back({&k, nullptr, dictionary.objectForKey(k)});
      }
      std::stable_sort(pairs.begin(), pairs.end(),
                       [](const Pair& a, const Pair& b) { return utf16Less(*a.key, *b.key); });
      for (size_t i = 0; ok && i < pairs.size(); ++i)
        ok = writePair(*pairs[i].key, pairs[i].sharedKey, pairs[i].object, i == 0);
    } else if (jx) {
      bool first = true;
      for (size_t slot = 0; ok && slot < jx->capacity(); ++slot) {
        const JXHashTableEntry& e = jx->entryAtSlot(slot);
        if (!e.key) continue;
        ok = writePair(e.key->text(), &e.key, e.object, first);
        first = false;
      }
    } else {
      bool first = true;
      dictionary.enumerate([&](const std::string& key, const Value& object) {
        if (!ok) return;
        ok = writePair(key, nullptr, object, first);
        first = false;
      });
    }
    if (!ok) return false;
    close('}');
    return true;
  }

  // ---- objects ----

  bool writeObject(const Value& v, bool topLevel) {
    switch (v.kind()) {
      case Value::Kind::String:
        return writeString(v.string(),
                           !(topLevel && (encodeOption & JXEncodeOptionStringObjTrimQuotes)));
      case Value::Kind::Bool:
        out += v.boolValue() ? "true" : "false";
        return true;
      case Value::Kind::Char:
      case Value::Kind::Int:
        appendNumber(int64_t(v.longLongValue()));
        return true;
      case Value::Kind::UInt:
        appendNumber(uint64_t(v.unsignedLongLongValue()));
        return true;
      case Value::Kind::Double:
        return writeDouble(v.doubleValue());
      case Value::Kind::Null:
        out += "null";
        return true;
      case Value::Kind::Array:
        return writeArray(*v.array());
      case Value::Kind::Dictionary:
        return writeDictionary(*v.dictionary());
      default:
        return writeUnsupported(v, topLevel);
    }
  }

  bool writeUnsupported(const Value& v, bool topLevel) {
    Value replacement;
    if (!v.isNil()) {
      if (block && *block)
        replacement = (*block)(v);
      else if (hasDelegate && selector && *selector)
        replacement = (*selector)(v);
    }
    if (replacement.isNil())
      return fail("Unable to serialize object class " + JXSerializer::classNameOf(v) + ".");
    if (isUnsupported(replacement))
      return fail("Unable to serialize object class " + JXSerializer::classNameOf(replacement) +
                  " that was returned by the unsupported class formatter.  Original object "
                  "class was " +
                  JXSerializer::classNameOf(v) + ".");
    return writeObject(replacement, topLevel);
  }
};

JXSerializer::JXSerializer() = default;
JXSerializer::~JXSerializer() {
  releaseState();
}

void JXSerializer::releaseState() {
  encodeState_.reset();
}

std::string JXSerializer::classNameOf(const Value& object) {
  switch (object.kind()) {
    case Value::Kind::Nil:
      return "(null)";
    case Value::Kind::Null:
      return "NSNull";
    case Value::Kind::Bool:
      return "__NSCFBoolean";
    case Value::Kind::Char:
    case Value::Kind::Int:
    case Value::Kind::UInt:
    case Value::Kind::Double:
      return "__NSCFNumber";
    case Value::Kind::String:
      return "__NSCFString";
    case Value::Kind::Data:
      return "NSConcreteData";
    case Value::Kind::Date:
      return "__NSDate";
    case Value::Kind::Array:
      return object.array()->className();
    case Value::Kind::Dictionary:
      return object.dictionary()->className();
    case Value::Kind::Object: {
      const NSObject& o = *object.object();
      const char* mangled = typeid(o).name();
      int status = 0;
      char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
      std::string result = status == 0 && name ? name : mangled;
      std::free(name);
      return result;
    }
  }
  return "(null)";
}

Value JXSerializer::serializeObject(const Value& object, JXSerializeOptionFlags options,
                                    JXEncodeOptionType encodeOption,
                                    const JXUnsupportedClassBlock& block,
                                    const std::shared_ptr<void>& delegate,
                                    const JXUnsupportedClassSelector& selector, NSErrorPtr* error) {
  JXSerializer serializer;
  return serializer.serialize(object, options, encodeOption, block, delegate, selector, error);
}

Value JXSerializer::serialize(const Value& object, JXSerializeOptionFlags options,
                              JXEncodeOptionType encodeOption, const JXUnsupportedClassBlock& block,
                              const std::shared_ptr<void>& delegate,
                              const JXUnsupportedClassSelector& selector, NSErrorPtr* error) {
  if (error) *error = nullptr;
  releaseState();
  encodeState_ = std::make_unique<JXEncodeState>();
  JXEncodeState& state = *encodeState_;
  if (delegate && !selector)
    NSException::raise(NSInvalidArgumentException,
                       "The delegate argument is not NULL, but the selector argument is NULL.");
  state.options = options;
  state.encodeOption = encodeOption;
  state.block = &block;
  state.selector = &selector;
  state.hasDelegate = delegate != nullptr;
  state.out.reserve(4096);

  Value result;
  if ((encodeOption & JXEncodeOptionCollectionObj) && !object.isArray() && !object.isDictionary()) {
    state.fail("Unable to serialize object class " + classNameOf(object) +
               ", expected a NSArray or NSDictionary.");
  } else if ((encodeOption & JXEncodeOptionStringObj) && !object.isString()) {
    state.fail("Unable to serialize object class " + classNameOf(object) +
               ", expected a NSString.");
  } else if (state.writeObject(object, true)) {
    if ((encodeOption & 3) == JXEncodeOptionAsString)
      result = Value(std::move(state.out));
    else if ((encodeOption & 3) == JXEncodeOptionAsData)
      result = Value::data(std::move(state.out));
    else
      state.fail("Unknown encode as type.");
  }
  if (result.isNil() && error) *error = state.error;
  releaseState();
  return result;
}
