// The process-wide status-bar message shower and the application's short feedback sounds.
// Until the screen framework plays them, a sound is reported to the stand-in sink
// ("NSStatusShow", "sound", the resource name, of type "caf").  Main thread.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"

class CHStatusBar;

class NSStatusShow : public NSObject {
 public:
  static std::shared_ptr<NSStatusShow> engine();

  // The channel sound ("Tink"), always; callers ask the sound setting first.
  void pindaoSound();
  // "SentMessage" for YES (a post was sent), "shake" for NO; only while the sound setting is on.
  void playAudio(bool sent);

  // The shared status-bar window.
  std::shared_ptr<CHStatusBar> statuL() const { return statuL_; }

  NSStatusShow();

 private:
  void play(const std::string& resource);
  std::shared_ptr<CHStatusBar> statuL_;
};
