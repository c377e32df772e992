// The application's audio session: its category and whether it is active.  Main thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"

inline constexpr std::string_view AVAudioSessionCategoryAmbient = "AVAudioSessionCategoryAmbient";
inline constexpr std::string_view AVAudioSessionCategorySoloAmbient =
    "AVAudioSessionCategorySoloAmbient";
inline constexpr std::string_view AVAudioSessionCategoryPlayback = "AVAudioSessionCategoryPlayback";

class AVAudioSession : public NSObject {
 public:
  static std::shared_ptr<AVAudioSession> sharedInstance();

  // Both answer YES; an unknown category is refused with NO and the error text.
  bool setCategory(std::string_view category, std::string* error = nullptr);
  bool setActive(bool active, std::string* error = nullptr);
  const std::string& category() const { return category_; }
  bool isActive() const { return active_; }

 private:
  std::string category_{AVAudioSessionCategorySoloAmbient};
  bool active_ = false;
};
