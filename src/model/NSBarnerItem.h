// A banner of the trade-fair page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

// Kinds of banner ("c_banner_type").
inline constexpr int32_t kBarnerTypePicture = 0;
inline constexpr int32_t kBarnerTypeVideo = 1;

struct NSBarnerItem : NSObject {
  int64_t barnerId = 0;
  std::string barnerImgPath;  // picture URL
  std::string linkPath;       // link URL
  int32_t barnerType = kBarnerTypePicture;
};

using NSBarnerItemPtr = std::shared_ptr<NSBarnerItem>;
