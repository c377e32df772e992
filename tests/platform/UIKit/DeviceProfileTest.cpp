#include <gtest/gtest.h>

#include <filesystem>

#include "CoreTelephony/CTTelephonyNetworkInfo.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIPasteboard.h"
#include "UIKit/UIScreen.h"

namespace {

TEST(DeviceProfile, DefaultsAreFixed) {
  auto device = UIDevice::currentDevice();
  EXPECT_EQ(device->systemVersion(), "6.1");
  EXPECT_EQ(UIScreen::mainScreen()->bounds(), CGRectMake(0, 0, 320, 480));
  EXPECT_EQ(UIScreen::mainScreen()->scale(), 2);
  EXPECT_EQ(UIDevice::hardwareMachine(), "iPhone3,1");
  EXPECT_EQ(device->userInterfaceIdiom(), UIUserInterfaceIdiom::Phone);
  EXPECT_TRUE(UIDevice::linkLevelAddress("en0"));
  EXPECT_FALSE(UIDevice::linkLevelAddress("eth0"));
  EXPECT_EQ(CTTelephonyNetworkInfo().subscriberCellularProvider(), nullptr);
}

TEST(DeviceProfile, ReadFromTheSettingsFile) {
  std::string dir = NSLibraryDirectory() + "/Preferences";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(writePropertyListToFile(
      Value::dictionaryOf({{"screenHeight", Value(568)},
                           {"systemVersion", Value("7.0")},
                           {"macAddress", Value("00:11:22:AA:bb:cc")},
                           {"screenScale", Value("bad")},
                           {"userInterfaceIdiom", Value("pad")},
                           {"carrier", Value::dictionaryOf({{"carrierName", Value("CM")},
                                                            {"mobileNetworkCode", Value("02")},
                                                            {"isoCountryCode", Value("cn")}})}}),
      dir + "/device-profile.plist"));
  UIDevice::resetProfile();
  EXPECT_EQ(UIScreen::mainScreen()->bounds().size.height, 568);
  EXPECT_EQ(UIScreen::mainScreen()->scale(), 2);  // a malformed value keeps its default
  EXPECT_EQ(UIDevice::currentDevice()->systemVersion(), "7.0");
  EXPECT_EQ(UIDevice::currentDevice()->userInterfaceIdiom(), UIUserInterfaceIdiom::Pad);
  auto mac = *UIDevice::linkLevelAddress("en0");
  EXPECT_EQ(mac[3], 0xAA);
  EXPECT_EQ(mac[5], 0xCC);
  auto carrier = CTTelephonyNetworkInfo().subscriberCellularProvider();
  ASSERT_TRUE(carrier);
  EXPECT_EQ(carrier->mobileNetworkCode, "02");
  // A profile set by a test wins over the file.
  UIDeviceProfile p;
  p.systemVersion = "5.0";
  UIDevice::setProfile(p);
  EXPECT_EQ(UIDevice::currentDevice()->systemVersion(), "5.0");
}

TEST(UIPasteboard, PersistentBoardsOutliveTheProcess) {
  EXPECT_FALSE(UIPasteboard::pasteboardWithName("org.test.a", false));
  auto board = UIPasteboard::pasteboardWithName("org.test.a", true);
  board->setPersistent(true);
  board->setData("bytes\0x", "org.test.type");
  // Another process sees the file written for the board.
  std::string file = UIPasteboard::pasteboardDirectory() + "/org.test.a.pasteboard";
  Value stored = propertyListWithContentsOfFile(file);
  EXPECT_EQ(stored["org.test.type"], Value::data("bytes"));
  auto transient = UIPasteboard::pasteboardWithName("org/test b", true);
  transient->setData("t", "x");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(UIPasteboard::pasteboardDirectory()),
                          std::filesystem::directory_iterator()),
            1);
  UIPasteboard::removePasteboardWithName("org.test.a");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(UIPasteboard::pasteboardWithName("org.test.a", false));
}

}  // namespace
