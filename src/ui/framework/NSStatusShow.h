// The process-wide status-bar message shower and the application's short feedback sounds.
// Until the screen framework plays them, sounds are recorded by resource name in the order
// played.  Main thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

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

  // Sound resources played so far (of type "caf"), oldest first.
  static std::vector<std::string> playedSounds();
  static void clearPlayedSounds();

  NSStatusShow();

 private:
  void play(const std::string& resource);
  std::shared_ptr<CHStatusBar> statuL_;
};
