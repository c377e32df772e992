// A company category of the catalogue (and of the trade-fair page).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

struct NSCompanyItem : NSObject {
  int64_t numOfCompany = 0;  // companies in the category
  std::string itemName;
  std::string itemIcon;  // icon URL
  int64_t itemID = 0;
  std::string updataTime;  // update time as sent
  bool isShowNew = false;  // set by the screens: the list shows the new mark on it
  std::string expoImgUrl;
  std::string expoScheduleUrl;
};

using NSCompanyItemPtr = std::shared_ptr<NSCompanyItem>;
