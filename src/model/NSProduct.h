// A product or a product trial, with the texts it composes for sharing and for its list row.
#pragma once

#include <cstdint>
#include <string>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

struct NSProduct : NSObject {
  CGSize imageSize;
  int64_t productId = 0;
  std::string productName;
  std::string marketPrice;
  std::string salePrice;
  std::string info;  // description
  int64_t likePCount = 0;
  std::string from;  // source
  std::string saleTime;
  int64_t startTime = 0;  // seconds since 1970
  int64_t endTime = 0;
  std::string imageSPath;  // small picture URL
  std::string imageBPath;  // large picture URL
  std::string productLink;
  std::string emailShare;  // text for sharing by e-mail
  int32_t productType = 0;
  bool isGoods = false;
  std::string trialNums;       // trial pieces applied for
  std::string trialTotalNums;  // trial pieces offered
  std::string trialQuestion;   // the trial's requirement
  std::string text;
  bool isTrial = false;
  bool isInTuiJian = false;  // shown in the recommendations
  bool haveLiked = false;
  int32_t trialType = 0;

  // The texts for the messaging app and for the recommendation row.  The server escapes line
  // breaks in its texts as backslash-r and backslash-n; both become real ones here.
  std::string getProductInfo() const;
  std::string getProductDrawInfo() const;
};
