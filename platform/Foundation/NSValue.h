// A boxed value of a plain C type (a rectangle, a point, a range), kept as its bytes with the
// type's encoding, so that it can travel in a Value (a notification's user info).  The typed
// forms come with the frameworks that own the types (UIKit's NSValue+UIGeometry.h).
#pragma once

#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"

class NSValue : public NSObject {
 public:
  // valueWithBytes:objCType:
  static std::shared_ptr<NSValue> valueWithBytes(const void* bytes, size_t size,
                                                 std::string_view objCType) {
    auto v = std::make_shared<NSValue>();
    v->bytes_.assign(static_cast<const char*>(bytes), size);
    v->type_ = objCType;
    return v;
  }
  const std::string& objCType() const { return type_; }
  // Copies the bytes out when the size matches; false (and nothing copied) otherwise.
  bool getValue(void* out, size_t size) const {
    if (size != bytes_.size()) return false;
    std::memcpy(out, bytes_.data(), size);
    return true;
  }
  std::string description() const override { return "<NSValue " + type_ + ">"; }

 private:
  std::string bytes_;
  std::string type_;
};
