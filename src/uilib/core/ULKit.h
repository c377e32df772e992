// The UI library's version.
#pragma once

#include <string>

class ULKit {
 public:
  // "1.0.6.2".
  static std::string version();
  // The version's parts as integers (1, 0, 6, 2); a missing part is 0.
  static int majorVersion();
  static int minorVersion();
  static int bugfixVersion();
  static int hotfixVersion();
};
