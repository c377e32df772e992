// One company of the catalogue.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

struct NSCompanyDetailItem : NSObject {
  int64_t itemId = 0;
  int64_t userId = 0;   // the company's microblog platform account
  std::string headUrl;  // logo URL
  std::string companyName;
  std::string boothNum;  // booth number at the expo
  std::string brandName;
  std::string productSort;  // product categories
  std::string companyUrl;   // web page
};

using NSCompanyDetailItemPtr = std::shared_ptr<NSCompanyDetailItem>;
