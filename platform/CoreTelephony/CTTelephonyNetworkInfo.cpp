#include "CoreTelephony/CTTelephonyNetworkInfo.h"

#include "UIKit/UIDevice.h"

std::shared_ptr<CTCarrier> CTTelephonyNetworkInfo::subscriberCellularProvider() const {
  auto profile = UIDevice::profile();
  if (!profile.carrier) return nullptr;
  auto carrier = std::make_shared<CTCarrier>();
  carrier->carrierName = profile.carrier->carrierName;
  carrier->mobileCountryCode = profile.carrier->mobileCountryCode;
  carrier->mobileNetworkCode = profile.carrier->mobileNetworkCode;
  carrier->isoCountryCode = profile.carrier->isoCountryCode;
  carrier->allowsVOIP = profile.carrier->allowsVOIP;
  return carrier;
}
