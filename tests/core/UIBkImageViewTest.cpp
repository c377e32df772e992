#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIColor.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"

namespace {

auto defaults() {
  return NSUserDefaults::standardUserDefaults();
}

TEST(UIBkImageView, FreshInstallDefaults) {
  UIBkImageView::defaultSet();
  EXPECT_TRUE(UIBkImageView::getCurSelect(9));   // sounds
  EXPECT_TRUE(UIBkImageView::getCurSelect(8));   // shake
  EXPECT_TRUE(UIBkImageView::getCurSelect(10));  // data saving
  EXPECT_TRUE(UIBkImageView::getCurSelect(1));
  EXPECT_TRUE(UIBkImageView::getCurSelect(3));
  EXPECT_FALSE(UIBkImageView::getCurSelect(2));  // never seeded
  EXPECT_EQ(UIBkImageView::getCurThemeSelect(), 1);
  EXPECT_EQ(UIBkImageView::getIntCurSelect(4), 1);
  EXPECT_EQ(UIBkImageView::getIntCurSelect(5), 1);
  EXPECT_FLOAT_EQ(UIBkImageView::getPressImageIndex(), 0.6f);
  EXPECT_EQ(UIBkImageView::getIntCurSelect(6), 1);
  EXPECT_EQ(defaults()->integerForKey("MessageFrequency"), 300);
  EXPECT_TRUE(defaults()->boolForKey("needSaveAccount"));
  EXPECT_EQ(UIBkImageView::getCurSelect(), 1);
  EXPECT_EQ(UIBkImageView::mainBackgroundImage(), "mainBackground1.jpg");
  EXPECT_EQ(UIBkImageView::mainNavigationImage(), "themeNavigation0");
}

// The seeded settings are written with the launch's one write: a process killed right after it
// has them all.
TEST(UIBkImageView, SeededSettingsSurviveAKillAfterTheLaunchWrite) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    UIBkImageView::defaultSet();
    defaults()->synchronize();
    raise(SIGKILL);
    _exit(3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  NSUserDefaults::resetStandardUserDefaults();
  EXPECT_EQ(defaults()->integerForKey("MessageFrequency"), 300);
  EXPECT_TRUE(defaults()->boolForKey("needSaveAccount"));
  EXPECT_TRUE(UIBkImageView::getCurSelect(9));
  EXPECT_EQ(UIBkImageView::getIntCurSelect(6), 1);
  EXPECT_EQ(UIBkImageView::getCurThemeSelect(), 1);
}

TEST(UIBkImageView, NextLaunchRepairsOnlyTheOnOffGroup) {
  defaults()->setInteger(0, "main_background_image");
  defaults()->setInteger(0, "upload_image_key");
  defaults()->setInteger(-3, "voice_key");
  defaults()->setInteger(600, "MessageFrequency");
  defaults()->setBool(false, "needSaveAccount");
  UIBkImageView::defaultSet();
  EXPECT_EQ(defaults()->integerForKey("main_background_image"), 1);
  EXPECT_EQ(defaults()->integerForKey("voice_key"), 1);
  EXPECT_EQ(defaults()->integerForKey("upload_image_key"), 0);
  EXPECT_FLOAT_EQ(UIBkImageView::getPressImageIndex(), 0.9f);
  EXPECT_EQ(defaults()->integerForKey("MessageFrequency"), 600);
  EXPECT_FALSE(defaults()->boolForKey("needSaveAccount"));
}

TEST(UIBkImageView, OnOffValues) {
  UIBkImageView::changeCurSelect(false, 9);
  EXPECT_EQ(defaults()->integerForKey("voice_key"), 2);
  EXPECT_FALSE(UIBkImageView::getCurSelect(9));
  defaults()->setInteger(0, "voice_key");
  EXPECT_FALSE(UIBkImageView::getCurSelect(9));
  UIBkImageView::changeCurSelect(true, 9);
  EXPECT_TRUE(UIBkImageView::getCurSelect(9));
  // Picture mode is written by the on/off form but only read as a number.
  UIBkImageView::changeCurSelect(true, 4);
  EXPECT_EQ(defaults()->integerForKey("read_pic_show_key"), 1);
  EXPECT_FALSE(UIBkImageView::getCurSelect(4));
  UIBkImageView::changeCurSelect(true, 5);  // not an on/off type
  EXPECT_TRUE(defaults()->objectForKey("upload_image_key").isNil());
  // Storing 0 under a missing key writes nothing.
  UIBkImageView::setDefaultKey("bkVIEW_key", 0);
  EXPECT_TRUE(defaults()->objectForKey("bkVIEW_key").isNil());
}

TEST(UIBkImageView, MultiValueSettingsReachTheAppState) {
  auto globe = NSGlobe::getEngine();
  UIBkImageView::changeCurIntSelect(0, 6);
  EXPECT_EQ(globe->textFont()->pointSize(), 18);
  UIBkImageView::changeCurIntSelect(2, 6);
  EXPECT_EQ(globe->textFont()->pointSize(), 14);
  UIBkImageView::changeCurIntSelect(3, 5);
  EXPECT_FLOAT_EQ(UIBkImageView::getPressImageIndex(), 0.1f);
  UIBkImageView::changeCurIntSelect(9, 7);  // the theme is set elsewhere
  EXPECT_EQ(UIBkImageView::getIntCurSelect(7), 0);
  UIBkImageView::setThemeBarImage(2);
  EXPECT_EQ(globe->themeNum(), 2);
  EXPECT_EQ(UIBkImageView::tabBarThemeImage(), "topBar_theme1");
  EXPECT_EQ(UIBkImageView::navigationThemeImage(), "topBar");
  EXPECT_EQ(UIBkImageView::backgroundThemeImage(), "bkcolor2");
  UIBkImageView::setThemeBarImage(5);
  EXPECT_EQ(UIBkImageView::navigationThemeImage(), "mainNavigation4");
}

TEST(UIBkImageView, DataSavingHidesPicturesOffWifi) {
  UIBkImageView::changeCurSelect(true, 10);
  auto globe = NSGlobe::getEngine();
  globe->setCurNetStatus(2);
  EXPECT_FALSE(UIBkImageView::isShowPicture());
  globe->changePictureShow();
  EXPECT_FALSE(globe->showStatusPicture());
  globe->setCurNetStatus(1);
  EXPECT_TRUE(UIBkImageView::isShowPicture());
  UIBkImageView::changeCurSelect(false, 10);
  globe->setCurNetStatus(0);
  EXPECT_TRUE(UIBkImageView::isShowPicture());
}

TEST(UIBkImageView, ImagesAndColours) {
  UIBkImageView::setMainBackgroundImage(10);
  EXPECT_NE(UIBkImageView::mainBackgroundImage().find("/NewChannelImages/mainBackGround/"
                                                      "mainBackground10.jpg"),
            std::string::npos);
  UIBkImageView::setMainBackgroundImage(4);
  EXPECT_EQ(UIBkImageView::mainBackgroundImage(), "mainBackground4.jpg");
  for (auto [n, name] : {std::pair{1, "themeNavigation0"},
                         {10, "themeNavigation2"},
                         {11, "themeNavigation3"},
                         {6, "mainNavigation6"}}) {
    UIBkImageView::setMainNavigationImage(n);
    EXPECT_EQ(UIBkImageView::mainNavigationImage(), name);
  }
  UIBkImageView::setThemeBarImage(1);
  auto tint = UIBkImageView::getTintColor();
  EXPECT_DOUBLE_EQ(tint->red(), 239 / 255.0);
  EXPECT_DOUBLE_EQ(UIBkImageView::getFontColor()->red(), 0);
  EXPECT_TRUE(UIBkImageView::getBkColor()->isPattern());
  UIBkImageView::setThemeBarImage(2);
  EXPECT_DOUBLE_EQ(UIBkImageView::getTintColor()->blue(), 82 / 255.0);
  EXPECT_DOUBLE_EQ(UIBkImageView::getFontColor()->green(), 220 / 255.0);
  EXPECT_EQ(UIBkImageView::tabBarThemeImage(), "topBar_theme1");
}

}  // namespace
