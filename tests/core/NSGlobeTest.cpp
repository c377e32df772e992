#include <gtest/gtest.h>

#include "Foundation/NSTimer.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIDevice.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/PinyinInitialOfChar.h"
#include "core/SharedUDID.h"
#include "core/UIBkImageView.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"

namespace {

TEST(NSGlobe, OneInstanceWithTheDefaultDevice) {
  auto g = NSGlobe::getEngine();
  EXPECT_EQ(NSGlobe::getEngine(), g);
  EXPECT_EQ(NSGlobe::allocWithZone(), nullptr);
  EXPECT_TRUE(g->isIphone4());
  EXPECT_FALSE(g->isIphone5());
  EXPECT_EQ(g->curNetStatus(), 0);
  EXPECT_EQ(NSGlobe::getDeviceVersion(), "iPhone3,1");
  EXPECT_EQ(NSGlobe::getDeviceName(), "iPhone4");
  EXPECT_EQ(NSGlobe::getTelCompany(), "0");
  EXPECT_EQ(NSGlobe::getMacAddress(), "025A45505401");
  // Before system 7 the device id is the shared identifier.
  EXPECT_EQ(NSGlobe::getIdentifierForVendor(), SharedUDID::value());
}

TEST(NSGlobe, FontsFollowTheSetting) {
  struct Case {
    int setting, text, name, from, time;
  } cases[] = {{0, 18, 17, 15, 14}, {1, 15, 15, 13, 12}, {2, 14, 13, 11, 10}, {7, 15, 15, 13, 12}};
  auto g = NSGlobe::getEngine();
  for (const auto& c : cases) {
    NSUserDefaults::standardUserDefaults()->setInteger(c.setting, "read_font_size_key");
    g->changeFontSize();
    EXPECT_EQ(g->textFont()->pointSize(), c.text) << c.setting;
    EXPECT_EQ(g->nameFont()->pointSize(), c.name) << c.setting;
    EXPECT_TRUE(g->nameFont()->isBold());
    EXPECT_EQ(g->fromFont()->pointSize(), c.from) << c.setting;
    EXPECT_EQ(g->timeFont()->pointSize(), c.time) << c.setting;
    EXPECT_EQ(g->getLineHeight(), g->textFont()->lineHeight());
  }
}

TEST(NSGlobe, ThemeColours) {
  auto g = NSGlobe::getEngine();
  UIBkImageView::setThemeBarImage(1);
  EXPECT_EQ(g->getCurThemeSelect(), 1);
  EXPECT_DOUBLE_EQ(g->getThemeColor()->green(), 0.53333);
  UIBkImageView::setThemeBarImage(4);
  EXPECT_DOUBLE_EQ(g->getThemeColor()->blue(), 0.58039);
  UIBkImageView::setThemeBarImage(9);  // no colour of its own: the last one stays
  EXPECT_EQ(g->themeNum(), 9);
  EXPECT_DOUBLE_EQ(g->getThemeColor()->blue(), 0.58039);
}

TEST(NSGlobe, DeviceProfiles) {
  UIDeviceProfile p;
  p.machine = "iPad2,3";
  p.screenScale = 1;
  p.screenHeight = 568;
  p.interfaceName = "wlan0";
  p.carrier = UICarrierProfile{"China Unicom", "460", "01", "cn"};
  UIDevice::setProfile(p);
  EXPECT_EQ(NSGlobe::getDeviceName(), "iPad2");
  EXPECT_FALSE(NSGlobe::checkIphone4());
  EXPECT_EQ(NSGlobe::getMacAddress(), "if_nametoindex failure");
  EXPECT_EQ(NSGlobe::getTelCompany(), "2");
  p.carrier->isoCountryCode = "hk";
  UIDevice::setProfile(p);
  EXPECT_EQ(NSGlobe::getTelCompany(), "China Unicom");
  p.carrier->carrierName = std::string(45, 'n');
  UIDevice::setProfile(p);
  EXPECT_EQ(NSGlobe::getTelCompany(), std::string(39, 'n'));
  p.machine = "";
  p.screenScale = 2;
  p.systemVersion = "7.0";
  UIDevice::setProfile(p);
  EXPECT_EQ(NSGlobe::getDeviceName(), "unKnownDevice");
  EXPECT_TRUE(NSGlobe::checkIphone4());  // 320 x 2 > 320
  EXPECT_EQ(NSGlobe::getIdentifierForVendor(), p.identifierForVendor);
  EXPECT_EQ(NSGlobe::getMacAddressOrIdentifier(), p.identifierForVendor);
  p.machine = "x86_64";
  UIDevice::setProfile(p);
  EXPECT_EQ(NSGlobe::getDeviceName(), "Simulator");
  p.machine = "iPhone9,9";
  UIDevice::setProfile(p);
  EXPECT_EQ(NSGlobe::getDeviceName(), "iPhone9,9");
}

TEST(NSGlobe, Validation) {
  for (const char* ok : {"13812345678", "15000000000", "18999999999"})
    EXPECT_TRUE(NSGlobe::isMobilePhone(ok)) << ok;
  for (const char* bad :
       {"12812345678", "1381234567", "1381234567a", "138123456789", "23812345678"})
    EXPECT_FALSE(NSGlobe::isMobilePhone(bad)) << bad;
  EXPECT_FALSE(NSGlobe::isMobilePhone(std::nullopt));

  for (const char* ok : {"a@b.cn", "first.last+tag@mail.example.com", "X_Y%z-1@A-B.ORG"})
    EXPECT_TRUE(NSGlobe::isEmailAddress(ok)) << ok;
  for (const char* bad : {"", "no-at-sign", "a@b", "a@b.c", "a@b.abcde", "a b@c.cn", "@b.cn",
                          "a@b.c1", "a@@b.cn", "a@.cn"})
    EXPECT_FALSE(NSGlobe::isEmailAddress(bad)) << bad;
  EXPECT_FALSE(NSGlobe::isEmailAddress(std::nullopt));

  EXPECT_EQ(NSGlobe::convertToInt("ab"), 1);
  EXPECT_EQ(NSGlobe::convertToInt("abc"), 2);
  EXPECT_EQ(NSGlobe::convertToInt("中文"), 2);
  EXPECT_EQ(NSGlobe::convertToInt("   "), 0);
  EXPECT_EQ(NSGlobe::convertToInt(" \n\t"), 0);
  EXPECT_EQ(NSGlobe::convertToInt(std::nullopt), 0);
  EXPECT_EQ(NSGlobe::convertToInt("中a"), 2);
}

TEST(NSGlobe, PinyinAndSearch) {
  EXPECT_EQ(PinyinInitialOfChar(0x4E00), 'y');
  EXPECT_EQ(PinyinInitialOfChar(0x4E01), 'd');
  EXPECT_EQ(PinyinInitialOfChar(0x4E02), 'k');
  EXPECT_EQ(PinyinInitialOfChar(0x4E03), 'q');
  EXPECT_EQ(PinyinInitialOfChar(u'中'), 'z');
  EXPECT_EQ(PinyinInitialOfChar(u'王'), 'w');
  EXPECT_EQ(PinyinInitialOfChar(0x9FA5), 'y');
  EXPECT_EQ(PinyinInitialOfChar('A'), 'A');
  EXPECT_EQ(PinyinInitialOfChar(0x3042), char(0x42));

  EXPECT_TRUE(TTimer::searchContain("新闻频道", "频道"));
  EXPECT_FALSE(TTimer::searchContain("新闻", "频道"));
  EXPECT_TRUE(TTimer::searchContain(std::nullopt, "x"));
  EXPECT_TRUE(TTimer::searchResult("Zhang San", "zhang"));
  EXPECT_FALSE(TTimer::searchResult("San", "Sanzhang"));
  EXPECT_FALSE(TTimer::searchResult("Zhang", "an"));
}

TEST(NSGlobe, DelayedCacheRemovalThenRefresh) {
  MainLoop::install();
  auto stand = StandInRecorder::install();
  std::vector<int32_t> types;
  auto observer = std::make_shared<NSObject>();
  addObserverWithSelector(observer,
                          freeSelector("refresh:",
                                       [&](const Value& n) {
                                         if (auto m = NSMsgSend::fromNotification(n))
                                           types.push_back(m->type);
                                       }),
                          kBindAccountOk);
  NSGlobe::startDelAnimation(Value::arrayOf({Value(2), Value("token")}));
  MainLoop::advance(0.05);
  EXPECT_TRUE(types.empty());
  MainLoop::advance(0.1);
  EXPECT_EQ(types, std::vector<int32_t>{toInt(RequestType::CachesDeleted)});
  EXPECT_EQ(StandInRecorder::shownPrompt(), "删除完成！");
  removeObserver(observer);
}

}  // namespace
