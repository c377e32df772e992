#include "AVFoundation/AVAudioSession.h"

std::shared_ptr<AVAudioSession> AVAudioSession::sharedInstance() {
  static std::shared_ptr<AVAudioSession> shared = std::make_shared<AVAudioSession>();
  return shared;
}

bool AVAudioSession::setCategory(std::string_view category, std::string* error) {
  if (category != AVAudioSessionCategoryAmbient && category != AVAudioSessionCategorySoloAmbient &&
      category != AVAudioSessionCategoryPlayback) {
    if (error) *error = "Unknown audio session category " + std::string(category) + ".";
    return false;
  }
  category_ = std::string(category);
  return true;
}

bool AVAudioSession::setActive(bool active, std::string* /*error*/) {
  active_ = active;
  return true;
}
