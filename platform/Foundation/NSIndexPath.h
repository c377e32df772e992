// An index path of two levels, a section and a row in it (or an item), as tables use it.
// A value: index paths compare by their numbers, section first.
#pragma once

#include <compare>
#include <string>

struct NSIndexPath {
  long section = 0;
  long row = 0;

  // indexPathForRow:inSection:
  static NSIndexPath indexPathForRow(long row, long section) { return {section, row}; }
  long item() const { return row; }

  auto operator<=>(const NSIndexPath&) const = default;
  bool operator==(const NSIndexPath&) const = default;
  // "{section, row}".
  std::string description() const {
    return "{" + std::to_string(section) + ", " + std::to_string(row) + "}";
  }
};
