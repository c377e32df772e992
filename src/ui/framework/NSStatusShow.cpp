#include "ui/framework/NSStatusShow.h"

#include <mutex>

#include "Foundation/NSUserDefaults.h"
#include "core/UIBkImageView.h"
#include "ui/framework/CHStatusBar.h"

namespace {

std::mutex& soundLock() {
  static std::mutex m;
  return m;
}

std::vector<std::string>& sounds() {
  static std::vector<std::string> s;
  return s;
}

// The sound setting (stored 1 = on, anything else off), read here directly because this layer
// sits below the settings store.
bool soundsOn() {
  return NSUserDefaults::standardUserDefaults()->integerForKey(kVoiceKey) == 1;
}

}  // namespace

NSStatusShow::NSStatusShow() : statuL_(CHStatusBar::create()) {}

std::shared_ptr<NSStatusShow> NSStatusShow::engine() {
  static std::shared_ptr<NSStatusShow> shared = std::make_shared<NSStatusShow>();
  return shared;
}

void NSStatusShow::pindaoSound() {
  play("Tink");
}

void NSStatusShow::playAudio(bool sent) {
  if (!soundsOn()) return;
  play(sent ? "SentMessage" : "shake");
}

void NSStatusShow::play(const std::string& resource) {
  std::lock_guard<std::mutex> guard(soundLock());
  sounds().push_back(resource);
}

std::vector<std::string> NSStatusShow::playedSounds() {
  std::lock_guard<std::mutex> guard(soundLock());
  return sounds();
}

void NSStatusShow::clearPlayedSounds() {
  std::lock_guard<std::mutex> guard(soundLock());
  sounds().clear();
}
