#include "UIKit/UIDevice.h"

#include <cstdlib>
#include <mutex>

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"
#include "UIKit/UIApplication.h"

namespace {

struct ProfileState {
  std::mutex lock;
  std::optional<UIDeviceProfile> set;     // by a test
  std::optional<UIDeviceProfile> loaded;  // from the file, read once
};

ProfileState& state() {
  static ProfileState s;
  return s;
}

std::string profilePath() {
  if (const char* p = std::getenv("ZEPT_DEVICE_PROFILE"); p && *p) return p;
  return NSLibraryDirectory() + "/Preferences/device-profile.plist";
}

UIDeviceProfile loadProfile() {
  Value v = propertyListWithContentsOfFile(profilePath());
  return v.isDictionary() ? UIDeviceProfile::fromValue(v) : UIDeviceProfile{};
}

void readString(const Value& d, std::string_view key, std::string& out) {
  Value v = d[key];
  if (v.isString()) out = v.string();
}

void readNumber(const Value& d, std::string_view key, double& out) {
  Value v = d[key];
  if (v.isNumber() && v.doubleValue() > 0) out = v.doubleValue();
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::array<uint8_t, 6>> parseMac(const std::string& text) {
  std::array<uint8_t, 6> mac{};
  size_t n = 0;
  int high = -1;
  for (char c : text) {
    if (c == ':' || c == '-' || c == ' ') continue;
    int d = hexDigit(c);
    if (d < 0 || n >= 6) return std::nullopt;
    if (high < 0) {
      high = d;
    } else {
      mac[n++] = uint8_t(high * 16 + d);
      high = -1;
    }
  }
  if (n != 6 || high >= 0) return std::nullopt;
  return mac;
}

}  // namespace

UIDeviceProfile UIDeviceProfile::fromValue(const Value& d) {
  UIDeviceProfile p;
  if (!d.isDictionary()) return p;
  readString(d, "name", p.name);
  readString(d, "model", p.model);
  readString(d, "localizedModel", p.localizedModel);
  readString(d, "systemName", p.systemName);
  readString(d, "systemVersion", p.systemVersion);
  readString(d, "machine", p.machine);
  readNumber(d, "screenWidth", p.screenWidth);
  readNumber(d, "screenHeight", p.screenHeight);
  readNumber(d, "screenScale", p.screenScale);
  if (Value idiom = d["userInterfaceIdiom"]; idiom.isString()) {
    if (idiom.string() == "pad") p.userInterfaceIdiom = UIUserInterfaceIdiom::Pad;
    if (idiom.string() == "phone") p.userInterfaceIdiom = UIUserInterfaceIdiom::Phone;
  }
  readString(d, "interfaceName", p.interfaceName);
  if (Value mac = d["macAddress"]; mac.isString()) {
    if (auto parsed = parseMac(std::string(mac.string()))) p.macAddress = *parsed;
  }
  readString(d, "identifierForVendor", p.identifierForVendor);
  if (Value c = d["carrier"]; c.isDictionary()) {
    UICarrierProfile carrier;
    readString(c, "carrierName", carrier.carrierName);
    readString(c, "mobileCountryCode", carrier.mobileCountryCode);
    readString(c, "mobileNetworkCode", carrier.mobileNetworkCode);
    readString(c, "isoCountryCode", carrier.isoCountryCode);
    if (Value voip = c["allowsVOIP"]; voip.isNumber()) carrier.allowsVOIP = voip.boolValue();
    p.carrier = carrier;
  }
  return p;
}

std::shared_ptr<UIDevice> UIDevice::currentDevice() {
  static auto device = std::make_shared<UIDevice>();
  return device;
}

UIUserInterfaceIdiom UIDevice::userInterfaceIdiom() const {
  return profile().userInterfaceIdiom;
}

bool UIDevice::isMultitaskingSupported() const {
  return profile().multitaskingSupported;
}

UIDeviceProfile UIDevice::profile() {
  ProfileState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.set) return *s.set;
  if (!s.loaded) s.loaded = loadProfile();
  return *s.loaded;
}

void UIDevice::setProfile(UIDeviceProfile profile) {
  ProfileState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  s.set = std::move(profile);
}

void UIDevice::resetProfile() {
  ProfileState& s = state();
  std::lock_guard<std::mutex> guard(s.lock);
  s.set.reset();
  s.loaded.reset();
}

std::string UIDevice::name() const {
  return profile().name;
}
std::string UIDevice::model() const {
  return profile().model;
}
std::string UIDevice::localizedModel() const {
  return profile().localizedModel;
}
std::string UIDevice::systemName() const {
  return profile().systemName;
}
std::string UIDevice::systemVersion() const {
  return profile().systemVersion;
}
std::string UIDevice::identifierForVendor() const {
  return profile().identifierForVendor;
}

namespace {
UIDeviceOrientation gOrientation = UIDeviceOrientation::Portrait;
}  // namespace

UIDeviceOrientation UIDevice::orientation() const {
  return gOrientation;
}

void UIDevice::setOrientation(UIDeviceOrientation orientation) {
  if (orientation == gOrientation) return;
  gOrientation = orientation;
  UIApplication::sharedApplication()->deviceOrientationDidChange(orientation);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UIDeviceOrientationDidChangeNotification);
}

std::string UIDevice::hardwareMachine() {
  return profile().machine;
}

std::optional<std::array<uint8_t, 6>> UIDevice::linkLevelAddress(std::string_view interfaceName) {
  UIDeviceProfile p = profile();
  if (interfaceName.empty() || interfaceName != p.interfaceName) return std::nullopt;
  return p.macAddress;
}
