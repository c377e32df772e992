// The text of a record's field: immutable, shared by reference, and cheap to copy.  A record
// read from a reply shares the reply's own bytes instead of copying them (and so keeps the
// reply's memory as long as it lives); a part of a text shares the whole.  Reads like a
// std::string_view; assigning a string makes a counted copy of it.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

class RecordText {
 public:
  static constexpr size_t npos = std::string_view::npos;

  RecordText() = default;
  RecordText(std::string_view text) : RecordText(ValueText::make(text)) {}
  RecordText(const std::string& text) : RecordText(std::string_view(text)) {}
  RecordText(const char* text) : RecordText(std::string_view(text ? text : "")) {}
  explicit RecordText(ValueText text) : text_(std::move(text)), view_(text_.view()) {}

  // A string value's text, shared with it; empty for anything else.
  static RecordText stringOf(const Value& value) { return RecordText(value.stringText()); }
  // As textOf gives it: a string's text (shared), a number's decimal text, else empty.
  static RecordText textOf(const Value& value) {
    if (value.isNumber()) return RecordText(value.description());
    return stringOf(value);
  }

  std::string_view view() const { return view_; }
  operator std::string_view() const { return view_; }
  std::string str() const { return std::string(view_); }
  const char* data() const { return view_.data(); }
  size_t size() const { return view_.size(); }
  size_t length() const { return view_.size(); }
  bool empty() const { return view_.empty(); }
  char operator[](size_t i) const { return view_[i]; }
  auto begin() const { return view_.begin(); }
  auto end() const { return view_.end(); }
  size_t find(std::string_view part, size_t from = 0) const { return view_.find(part, from); }
  size_t rfind(std::string_view part, size_t from = npos) const { return view_.rfind(part, from); }

  // Bytes [pos, pos + n) of the text, sharing its storage.
  RecordText substr(size_t pos, size_t n = npos) const& { return RecordText(*this).substr(pos, n); }
  RecordText substr(size_t pos, size_t n = npos) && {
    view_ = view_.substr(pos, n);
    return std::move(*this);
  }

  friend bool operator==(const RecordText& a, const RecordText& b) { return a.view_ == b.view_; }
  friend bool operator==(const RecordText& a, std::string_view b) { return a.view_ == b; }
  friend bool operator==(const RecordText& a, const std::string& b) { return a.view_ == b; }
  friend bool operator==(const RecordText& a, const char* b) { return a.view_ == b; }
  friend std::string operator+(std::string a, const RecordText& b) { return a.append(b.view_); }
  friend std::string operator+(const RecordText& a, std::string_view b) {
    return std::string(a.view_).append(b);
  }
  friend std::ostream& operator<<(std::ostream& out, const RecordText& t) { return out << t.view_; }

 private:
  ValueText text_;  // keeps the bytes of view_
  std::string_view view_{"", 0};
};
