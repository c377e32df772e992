// A path of indexes into nested lists: (section, row) for tables.
#pragma once

#include <cstddef>
#include <vector>

class NSIndexPath {
 public:
  NSIndexPath() = default;
  explicit NSIndexPath(std::vector<size_t> indexes) : indexes_(std::move(indexes)) {}
  static NSIndexPath indexPathForRow(size_t row, size_t section) {
    return NSIndexPath({section, row});
  }

  size_t length() const { return indexes_.size(); }
  // The index at a position; 0 beyond the path's length.
  size_t indexAtPosition(size_t position) const {
    return position < indexes_.size() ? indexes_[position] : 0;
  }
  size_t section() const { return indexAtPosition(0); }
  size_t row() const { return indexAtPosition(1); }
  const std::vector<size_t>& indexes() const { return indexes_; }

  bool operator==(const NSIndexPath&) const = default;
  auto operator<=>(const NSIndexPath&) const = default;

 private:
  std::vector<size_t> indexes_;
};
