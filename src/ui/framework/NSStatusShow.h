// The process-wide feedback of the lightest kind: the shared status-bar message window, the
// short feedback sounds and the spin of refresh buttons.  One sound plays at a time: a new one
// stops the one playing.  The four fixed sounds play always (callers ask the sound setting
// first); playAudio asks it itself.  Main thread.
#pragma once

#include <memory>
#include <string>

#include "AVFoundation/AVAudioPlayer.h"
#include "Foundation/NSObject.h"

class CHStatusBar;
class NSTimer;
class UIView;

class NSStatusShow : public NSObject, public AVAudioPlayerDelegate {
 public:
  // Made on the first call: the shared window (hidden), the ambient audio session, and the
  // observer of "main_timer_animal" that ends a continuous spin.
  static std::shared_ptr<NSStatusShow> engine();

  // ---- messages on the shared window
  // The text with the spinner, hidden 1.4 s later (gone 0.5 s after that).
  void showMsg(const std::string& text);
  // The text with the ok icon, hidden 1.4 s later.
  void showMsgOK(const std::string& text);
  // The text with the spinner until removeView.
  void showMsgUnClose(const std::string& text);
  void showMsgUnCloseTimer(const std::string& text);
  void removeView();

  // ---- sounds ("caf" resources of the bundle; a missing one plays nothing)
  void guanzhuSound();  // "guanzhu": follow, favourite, like, read later
  void delectSound();   // "shanchu": delete
  void pindaoSound();   // "Tink": channel and account actions
  void playSound();     // "SIMToolkitPositiveACK": shake, background picked
  // "SentMessage" for YES (a post was sent), "shake" for NO; only while the sound setting is
  // on (the player playing is kept otherwise).
  void playAudio(bool sent);

  void audioPlayerDidFinishPlaying(AVAudioPlayer& player, bool successfully) override;
  void audioPlayerDecodeErrorDidOccur(AVAudioPlayer& player, const std::string& error) override;

  // ---- spins (animations on the view's layer under "spinAnimation")
  // Two full turns in 0.8 s: anticlockwise (left YES) or clockwise, once.
  void startViewRotAnimation(const std::shared_ptr<UIView>& view, bool left);
  // One turn every 0.8 s until "main_timer_animal" is posted; the turn under way then ends.
  // A second call replaces the first (one timer).
  void setViewRotAnimation(const std::shared_ptr<UIView>& view);
  void mainTimer();

  // The shared status-bar window; the sound playing (nil when none).
  std::shared_ptr<CHStatusBar> statuL() const { return statuL_; }
  std::shared_ptr<AVAudioPlayer> myPlayer() const { return myPlayer_; }
  bool isSpinning() const { return timer_ != nullptr; }

  NSStatusShow();

 private:
  void play(const std::string& resource);
  void dropPlayer();
  void startAnimal(const std::weak_ptr<UIView>& view);
  void removeViewLater();

  std::shared_ptr<CHStatusBar> statuL_;
  std::shared_ptr<AVAudioPlayer> myPlayer_;
  std::shared_ptr<NSTimer> timer_;
};
