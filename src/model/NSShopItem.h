// A shop of the shop list.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/NSBaseItem.h"

struct NSShopItem : NSObject {
  std::string itemName;
  int64_t itemId = 0;
  std::string itemDetail;  // the number of shops, as text
  std::string linkUrl;
  std::string imageUrl;  // logo URL
  std::string showUrl;   // web site
  // The cities of the shop; absent when the reply gave no list.
  std::optional<std::vector<std::shared_ptr<NSBaseItem>>> cityList;
};

using NSShopItemPtr = std::shared_ptr<NSShopItem>;
