// The SIM's carrier, as the device profile gives it (UIDevice.h).
#pragma once

#include <string>

class CTCarrier {
 public:
  std::string carrierName;
  std::string mobileCountryCode;
  std::string mobileNetworkCode;
  std::string isoCountryCode;
  bool allowsVOIP = true;
};
