// An advert: a channel's advert, a banner of the banner list or the start-up advert.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

struct NSAdInfo : NSObject {
  std::string c_img;       // address of the advert image
  std::string c_link_url;  // address the advert opens
  int32_t c_link_type = 0;
  bool c_can_close = false;  // the reader may close the advert
  bool isImgExit = false;    // the image is on the device and shown (set by the screens)
  int64_t adId = 0;
  double showRate = 0;  // kept by the advert tables only

  // The stored advert of a channel; nil when its table has none.
  static std::shared_ptr<NSAdInfo> readFromDB(int channelId);
  // Worth downloading: it has an id and an image address.
  bool isAdCanDownload() const { return adId != 0 && !c_img.empty(); }
};

using NSAdInfoPtr = std::shared_ptr<NSAdInfo>;
