// The device this app runs on.  Nothing is read from the real machine: the model, system,
// screen, network interface, vendor id and carrier come from a device profile with fixed
// defaults (a 320 x 480 point screen at scale 2, system "6.1").  The profile is read once from
// the file named by ZEPT_DEVICE_PROFILE, else <home>/Library/Preferences/device-profile.plist
// (a property-list dictionary with the keys of `UIDeviceProfile::fromValue`); tests set it
// with `UIDevice::setProfile`.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/Value.h"
#include "UIKit/UIOrientation.h"

enum class UIUserInterfaceIdiom { Phone = 0, Pad = 1 };

struct UICarrierProfile {
  std::string carrierName;
  std::string mobileCountryCode;
  std::string mobileNetworkCode;
  std::string isoCountryCode;
  bool allowsVOIP = true;
  bool operator==(const UICarrierProfile&) const = default;
};

struct UIDeviceProfile {
  std::string name = "iPhone";
  std::string model = "iPhone";
  std::string localizedModel = "iPhone";
  std::string systemName = "iPhone OS";
  std::string systemVersion = "6.1";
  // The "hw.machine" system control.
  std::string machine = "iPhone3,1";
  double screenWidth = 320;
  double screenHeight = 480;
  double screenScale = 2;
  UIUserInterfaceIdiom userInterfaceIdiom = UIUserInterfaceIdiom::Phone;
  // Whether apps go on in the background (every supported device does).
  bool multitaskingSupported = true;
  // The one network interface with a link-level address.
  std::string interfaceName = "en0";
  std::array<uint8_t, 6> macAddress{0x02, 0x5A, 0x45, 0x50, 0x54, 0x01};
  std::string identifierForVendor = "5A455054-0000-4000-8000-000000000001";
  // No SIM by default.
  std::optional<UICarrierProfile> carrier;

  // Keys: "name", "model", "localizedModel", "systemName", "systemVersion", "machine",
  // "screenWidth", "screenHeight", "screenScale", "userInterfaceIdiom" ("phone" or "pad"),
  // "interfaceName", "macAddress" (12 hex digits, separators allowed), "identifierForVendor",
  // "carrier" (a dictionary with "carrierName", "mobileCountryCode", "mobileNetworkCode",
  // "isoCountryCode", "allowsVOIP").
  // Missing or malformed keys keep their defaults.
  static UIDeviceProfile fromValue(const Value& dictionary);
};

// Posted (no object) when the device's orientation changes.
inline constexpr std::string_view UIDeviceOrientationDidChangeNotification =
    "UIDeviceOrientationDidChangeNotification";

class UIDevice {
 public:
  static std::shared_ptr<UIDevice> currentDevice();

  std::string name() const;
  std::string model() const;
  std::string localizedModel() const;
  std::string systemName() const;
  std::string systemVersion() const;
  // The vendor identifier's UUID text (available from system 6 on).
  std::string identifierForVendor() const;
  // The profile's idiom: a phone unless the profile says pad.
  UIUserInterfaceIdiom userInterfaceIdiom() const;
  bool isMultitaskingSupported() const;

  // How the device is held; portrait until the system side turns it.
  UIDeviceOrientation orientation() const;
  // The system side (tests): the device turns.  The application's status bar follows when its
  // root controller lets it, then UIDeviceOrientationDidChangeNotification is posted (no object).
  // Holding it as it is already held does nothing.  Main thread.
  static void setOrientation(UIDeviceOrientation orientation);

  // The profile in force: the one set by a test, else the profile file, else the defaults.
  static UIDeviceProfile profile();
  static void setProfile(UIDeviceProfile profile);
  // Forgets a profile set by a test, so the file (or the defaults) is read again.
  static void resetProfile();

  // The "hw.machine" system control value.
  static std::string hardwareMachine();
  // The link-level address of a network interface, nullopt when there is no such interface.
  static std::optional<std::array<uint8_t, 6>> linkLevelAddress(std::string_view interfaceName);
};
