// Property-list files made byte by byte, for the shapes a writer never produces: strings and keys
// holding NUL, nesting beyond the reader's bound, objects shared or referring to themselves.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A binary property list ("bplist00") of the given encoded objects, object 0 at the top.
// Object references are `refSize` bytes wide.
inline std::string binaryPropertyList(const std::vector<std::string>& objects, int refSize = 1) {
  std::string out = "bplist00";
  std::vector<uint64_t> offsets;
  for (const std::string& o : objects) {
    offsets.push_back(out.size());
    out += o;
  }
  const uint64_t table = out.size();
  const int offsetSize = table < 0x10000 ? 2 : 4;
  auto put = [&](uint64_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out += char((v >> (8 * i)) & 0xFF);
  };
  for (uint64_t o : offsets) put(o, offsetSize);
  out.append(6, '\0');
  out += char(offsetSize);
  out += char(refSize);
  put(objects.size(), 8);
  put(0, 8);  // the top object
  put(table, 8);
  return out;
}

// Encoded binary objects.
inline std::string bplistReference(uint64_t index, int refSize = 1) {
  std::string out;
  for (int i = refSize - 1; i >= 0; --i) out += char((index >> (8 * i)) & 0xFF);
  return out;
}
inline std::string bplistASCII(const std::string& text) {
  return char(0x50 | text.size()) + text;  // up to 14 bytes
}
inline std::string bplistUTF16(const std::u16string& text) {
  std::string out(1, char(0x60 | text.size()));
  for (char16_t c : text) {
    out += char(c >> 8);
    out += char(c & 0xFF);
  }
  return out;
}
inline std::string bplistInteger(uint8_t value) {
  return std::string("\x10", 1) + char(value);
}
// An array or dictionary of up to 14 entries, given by reference (a dictionary's keys first).
inline std::string bplistArray(const std::vector<uint64_t>& items, int refSize = 1) {
  std::string out(1, char(0xA0 | items.size()));
  for (uint64_t i : items) out += bplistReference(i, refSize);
  return out;
}
inline std::string bplistDictionary(const std::vector<uint64_t>& keys,
                                    const std::vector<uint64_t>& values) {
  std::string out(1, char(0xD0 | keys.size()));
  for (uint64_t k : keys) out += bplistReference(k);
  for (uint64_t v : values) out += bplistReference(v);
  return out;
}

// Arrays nested `depth` deep, one inside the other, around an integer.
inline std::string deepBinaryPropertyList(size_t depth) {
  std::vector<std::string> objects;
  const int refSize = depth < 0xFFFF ? 2 : 4;
  for (size_t i = 0; i < depth; ++i) objects.push_back(bplistArray({i + 1}, refSize));
  objects.push_back(bplistInteger(1));
  return binaryPropertyList(objects, refSize);
}

inline std::string xmlPropertyList(const std::string& body) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body +
         "\n</plist>\n";
}

inline std::string deepXMLPropertyList(size_t depth) {
  std::string body;
  for (size_t i = 0; i < depth; ++i) body += "<array>";
  body += "<integer>1</integer>";
  for (size_t i = 0; i < depth; ++i) body += "</array>";
  return xmlPropertyList(body);
}

}  // namespace testsupport
