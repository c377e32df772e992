// Cellular provider information: none unless the device profile names a carrier.
#pragma once

#include <memory>

#include "CoreTelephony/CTCarrier.h"

class CTTelephonyNetworkInfo {
 public:
  // nullptr when the device has no carrier.
  std::shared_ptr<CTCarrier> subscriberCellularProvider() const;
};
