#include "uilib/core/ULKit.h"

#include "Foundation/NSString.h"
#include "Foundation/Value.h"

namespace {

constexpr const char* kVersion = "1.0.6.2";

int part(size_t index) {
  auto parts = componentsSeparatedByString(kVersion, ".");
  return index < parts.size() ? Value(parts[index]).intValue() : 0;
}

}  // namespace

std::string ULKit::version() {
  return kVersion;
}
int ULKit::majorVersion() {
  return part(0);
}
int ULKit::minorVersion() {
  return part(1);
}
int ULKit::bugfixVersion() {
  return part(2);
}
int ULKit::hotfixVersion() {
  return part(3);
}
