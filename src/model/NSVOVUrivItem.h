// An entry of the trade-fair page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

// Kinds of entry ("c_type").
inline constexpr int32_t kExpoTypeIntroduce = 0;
inline constexpr int32_t kExpoTypeCatalog = 1;
inline constexpr int32_t kExpoTypeRegister = 2;

struct NSVOVUrivItem : NSObject {
  int64_t itemId = 0;
  std::string itemName;
  std::string itemIcon;
  std::string itemLink;
  int32_t expo_type = kExpoTypeIntroduce;
  // Attached data: a catalogue entry carries the array of NSCompanyItem categories of the same
  // reply (one array shared by every catalogue entry of that reply).
  Value dataInfo;
};

using NSVOVUrivItemPtr = std::shared_ptr<NSVOVUrivItem>;
