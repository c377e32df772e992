#include "Foundation/NSPropertyListCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The element name of a tag whose "<" (or "</") ends just before `at`.
std::string_view tagName(std::string_view data, size_t at) {
  size_t end = at;
  while (end < data.size() && !isBlank(data[end]) && data[end] != '/' && data[end] != '>') ++end;
  return data.substr(at, end - at);
}

// Reads `bytes` (1 to 8) big-endian bytes.
uint64_t bigEndian(const unsigned char* p, size_t bytes) {
  uint64_t v = 0;
  for (size_t i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

class BinaryWalk {
 public:
  explicit BinaryWalk(std::string_view data)
      : d_(reinterpret_cast<const unsigned char*>(data.data())), size_(data.size()) {}

  bool acceptable() {
    if (!readTrailer()) return false;
    state_.assign(count_, State::New);
    height_.assign(count_, 0);
    nodes_.assign(count_, 0);
    // Every object costs at least one byte of the file; shared ones may add up to a few more.
    nodeLimit_ = 4 * uint64_t(size_) + 1024;

    struct Frame {
      uint64_t index;
      std::vector<uint64_t> children;
      size_t next = 0;
      uint32_t height = 0;  // of the deepest child
      uint64_t nodes = 1;
    };
    std::vector<Frame> stack;
    auto open = [&](uint64_t index, Frame* parent) {
      std::vector<uint64_t> children;
      bool container = false;
      if (!readObject(index, &children, &container)) return false;
      if (!container) {
        state_[index] = State::Done;
        nodes_[index] = 1;
        if (parent) parent->nodes += 1;
        return true;
      }
      if (stack.size() >= kPropertyListMaxDepth) return false;
      state_[index] = State::Open;
      stack.push_back({index, std::move(children)});
      return true;
    };
    if (!open(top_, nullptr)) return false;
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next < f.children.size()) {
        uint64_t child = f.children[f.next++];
        switch (state_[child]) {
          case State::Open:
            return false;  // refers to one of its own containers
          case State::Done:
            f.height = std::max(f.height, height_[child]);
            f.nodes += nodes_[child];
            if (f.nodes > nodeLimit_) return false;
            break;
          case State::New:
            if (!open(child, &f)) return false;
            break;
        }
        continue;
      }
      Frame done = std::move(f);
      stack.pop_back();
      height_[done.index] = done.height + 1;
      nodes_[done.index] = done.nodes;
      state_[done.index] = State::Done;
      if (!stack.empty()) {
        Frame& parent = stack.back();
        parent.height = std::max(parent.height, height_[done.index]);
        parent.nodes += done.nodes;
        if (parent.nodes > nodeLimit_) return false;
      }
    }
    return nodes_[top_] <= nodeLimit_;
  }

 private:
  enum class State : uint8_t { New, Open, Done };

  bool readTrailer() {
    if (size_ < 8 + 32 || std::memcmp(d_, "bplist00", 8) != 0) return false;
    end_ = size_ - 32;
    const unsigned char* t = d_ + end_;
    offsetSize_ = t[6];
    refSize_ = t[7];
    count_ = bigEndian(t + 8, 8);
    top_ = bigEndian(t + 16, 8);
    table_ = bigEndian(t + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
    if (count_ < 1 || top_ >= count_ || table_ < 8 || table_ >= end_) return false;
    return count_ <= (end_ - table_) / offsetSize_;
  }

  // The length of an object whose marker's low bits are `info`; a length that does not fit in
  // its marker follows as an integer object.
  bool length(unsigned info, size_t* pos, uint64_t* out) const {
    if (info != 0xF) {
      *out = info;
      return true;
    }
    if (*pos >= end_ || (d_[*pos] >> 4) != 0x1) return false;
    size_t bytes = size_t(1) << (d_[*pos] & 0xF);
    if (bytes > 8 || end_ - *pos - 1 < bytes) return false;
    *out = bigEndian(d_ + *pos + 1, bytes);
    *pos += 1 + bytes;
    return true;
  }

  // Reads the object at the index: its references when it is a container; false when it
  // reaches outside the data, refers past the last object or is a string holding NUL.
  bool readObject(uint64_t index, std::vector<uint64_t>* children, bool* container) const {
    uint64_t offset = bigEndian(d_ + table_ + index * offsetSize_, offsetSize_);
    if (offset < 8 || offset >= end_) return false;
    size_t pos = size_t(offset);
    const unsigned type = d_[pos] >> 4, info = d_[pos] & 0xF;
    ++pos;
    uint64_t n = 0;
    switch (type) {
      case 0x5:  // ASCII
      case 0x7:  // UTF-8
        if (!length(info, &pos, &n) || n > end_ - pos) return false;
        return std::memchr(d_ + pos, 0, size_t(n)) == nullptr;
      case 0x6:  // UTF-16, big-endian
        if (!length(info, &pos, &n) || n > (end_ - pos) / 2) return false;
        for (uint64_t i = 0; i < n; ++i)
          if (d_[pos + 2 * i] == 0 && d_[pos + 2 * i + 1] == 0) return false;
        return true;
      case 0xA:    // array
      case 0xB:    // ordered set
      case 0xC:    // set
      case 0xD: {  // dictionary: the keys' references, then the values'
        *container = true;
        if (!length(info, &pos, &n)) return false;
        const uint64_t refs = type == 0xD ? 2 : 1;
        if (n > (end_ - pos) / refSize_ / refs) return false;
        children->reserve(size_t(n * refs));
        for (uint64_t i = 0; i < n * refs; ++i) {
          uint64_t ref = bigEndian(d_ + pos + i * refSize_, refSize_);
          if (ref >= count_) return false;
          children->push_back(ref);
        }
        return true;
      }
      default:
        return true;  // scalars: the library checks their bounds
    }
  }

  const unsigned char* d_;
  size_t size_;
  size_t end_ = 0;  // where the trailer starts
  size_t offsetSize_ = 0, refSize_ = 0;
  uint64_t count_ = 0, top_ = 0, table_ = 0;
  uint64_t nodeLimit_ = 0;
  std::vector<State> state_;
  std::vector<uint32_t> height_;
  std::vector<uint64_t> nodes_;
};

}  // namespace

bool xmlPropertyListIsAcceptable(std::string_view data) {
  if (data.find('\0') != std::string_view::npos) return false;
  // Arrays and dictionaries open at once.  Comments and CDATA sections are skipped for closing
  // tags only: an opening tag counts wherever it stands, so that whatever the library makes of
  // such sections the count is never below its nesting.
  size_t depth = 0;
  size_t i = 0;
  while ((i = data.find('<', i)) != std::string_view::npos) {
    std::string_view rest = data.substr(i);
    if (rest.starts_with("<!--") || rest.starts_with("<![CDATA[")) {
      bool comment = rest[2] == '-';
      size_t close = data.find(comment ? "-->" : "]]>", i + 4);
      std::string_view inside =
          data.substr(i, close == std::string_view::npos ? std::string_view::npos : close - i);
      for (size_t k = inside.find('<', 1); k != std::string_view::npos;
           k = inside.find('<', k + 1)) {
        std::string_view name = tagName(inside, k + 1);
        if (name.starts_with("array") || name.starts_with("dict")) ++depth;
      }
      if (depth > kPropertyListMaxDepth) return false;
      if (close == std::string_view::npos) break;
      i = close + 3;
      continue;
    }
    if (rest.starts_with("</")) {
      std::string_view name = tagName(data, i + 2);
      if ((name == "array" || name == "dict") && depth > 0) --depth;
      i += 2;
      continue;
    }
    std::string_view name = tagName(data, i + 1);
    if (name.starts_with("array") || name.starts_with("dict")) {
      size_t close = data.find('>', i);
      bool empty = close != std::string_view::npos && data[close - 1] == '/';
      if (!empty && ++depth > kPropertyListMaxDepth) return false;
    }
    ++i;
  }
  return true;
}

bool binaryPropertyListIsAcceptable(std::string_view data) {
  return BinaryWalk(data).acceptable();
}
