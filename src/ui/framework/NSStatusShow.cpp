#include "ui/framework/NSStatusShow.h"

#include "core/UIBkImageView.h"
#include "ui/framework/CHStatusBar.h"
#include "ui/framework/StandInSink.h"

NSStatusShow::NSStatusShow() : statuL_(CHStatusBar::create()) {}

std::shared_ptr<NSStatusShow> NSStatusShow::engine() {
  static std::shared_ptr<NSStatusShow> shared = std::make_shared<NSStatusShow>();
  return shared;
}

void NSStatusShow::pindaoSound() {
  play("Tink");
}

void NSStatusShow::playAudio(bool sent) {
  if (!UIBkImageView::getCurSelect(9)) return;
  play(sent ? "SentMessage" : "shake");
}

void NSStatusShow::play(const std::string& resource) {
  reportStandInEvent("NSStatusShow", "sound", Value(resource));
}
