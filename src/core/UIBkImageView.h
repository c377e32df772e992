// The reader's preferences in the user defaults: the one place that knows their keys,
// defaults and encodings, and the theme-dependent colours and image names.  On/off settings
// are stored as 1 = on, 2 = off (anything else reads as off); theme 1 is day, 2 night.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "core/StoredKeys.h"

class UIColor;

class UIBkImageView {
 public:
  // Seeds the defaults at launch; only missing (or, for the on/off group, non-positive)
  // values are filled.  The values change in memory: the caller writes them with the rest of
  // its step (the app once, at the end of its launch).  Seeding is the same at every launch, so
  // a launch cut short before that write seeds them again.
  static void defaultSet();
  // The single seeding rules below write the defaults at once (synchronize() writes nothing
  // when nothing changed).
  // 1 when the key is missing or its integer value is 0 or less.
  static void setDefaultKey(std::string_view key);
  // 1 only when the key is missing.
  static void setDefaultIntKey(std::string_view key);
  // The flag YES only when the key is missing.
  static void setUserAccountDefaultWithKey(std::string_view key);
  // "MessageFrequency" 300 only when missing.
  static void setWeiboCheckFrequency();
  // Stores the value when it differs from the stored integer (a missing key reads as 0).
  static void setDefaultKey(std::string_view key, long value);

  // On/off settings by type: 1 posting, 2 reposting, 3 head pictures, 4 picture mode (write
  // only), 8 shake, 9 sounds, 10 data saving.  Other types are ignored / answer NO.
  static void changeCurSelect(bool on, int type);
  static bool getCurSelect(int type);
  // Multi-value settings by type: 4 picture mode, 5 upload quality, 6 font size, 7 theme.
  static void changeCurIntSelect(int value, int type);
  static int getIntCurSelect(int type);
  static int getCurThemeSelect();
  // The JPEG quality of uploaded photos.
  static float getPressImageIndex();
  // Pictures in lists: always without data saving, else only on Wi-Fi.
  static bool isShowPicture();
  static void setThemeBarImage(int theme);

  static std::string mainBackgroundImage();
  static void setMainBackgroundImage(int index);
  static std::string mainNavigationImage();
  static void setMainNavigationImage(int index);
  // The background view choice.
  static int getCurSelect();
  static void changeCurSelect(int value);

  static std::shared_ptr<UIColor> getTintColor();
  static std::shared_ptr<UIColor> getFontColor();
  static std::shared_ptr<UIColor> getBkColor();
  static std::string backgroundThemeImage();
  static std::string navigationThemeImage();
  static std::string tabBarThemeImage();
};
