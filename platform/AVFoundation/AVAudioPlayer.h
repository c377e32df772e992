// Short sounds from files.  Nothing reaches a loudspeaker: a playing player writes its sound
// into the audio sink, one playback (the file's name, and the main run loop's clock when it
// started and when it stopped) that tests read back.  Sounds are uncompressed "caf" files; the
// length of one is read from its header, and a player that plays ends after that length on the
// main run loop's clock.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"

class AVAudioPlayer;
class NSTimer;

class AVAudioPlayerDelegate {
 public:
  virtual ~AVAudioPlayerDelegate() = default;
  // The sound played to its end (flag YES) or could not be played on (NO).
  virtual void audioPlayerDidFinishPlaying(AVAudioPlayer&, bool /*successfully*/) {}
  // The file is no sound: reported on the main run loop after play.
  virtual void audioPlayerDecodeErrorDidOccur(AVAudioPlayer&, const std::string& /*error*/) {}
};

// Every playback since the last clear, oldest first.
struct AVAudioPlayback {
  std::string resource;        // the file's name, as "SentMessage.caf"
  double start = 0;            // on the main run loop's clock
  std::optional<double> stop;  // nil while it plays
};
class AVAudioSink {
 public:
  static std::vector<AVAudioPlayback> playbacks();
  static void clear();
};

class AVAudioPlayer : public NSObject {
 public:
  // initWithContentsOfURL:error: with the file's path.  A file that cannot be read gives nil
  // and the error text; a file that can be read but is no sound gives a player that reports a
  // decode error when it plays.
  static std::shared_ptr<AVAudioPlayer> playerWithContentsOfFile(std::string_view path,
                                                                 std::string* error = nullptr);
  // Releasing a playing player stops its sound.
  ~AVAudioPlayer() override;

  // The delegate is not retained.
  void setDelegate(std::weak_ptr<AVAudioPlayerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  std::shared_ptr<AVAudioPlayerDelegate> delegate() const { return delegate_.lock(); }

  // The sound's length in seconds (0 for a file that is no sound).
  double duration() const { return duration_; }
  bool isPlaying() const { return playing_; }
  const std::string& path() const { return path_; }

  bool prepareToPlay();
  // Starts the sound (or restarts a stopped one from its beginning).  NO for a file that is no
  // sound: the decode error follows on the main run loop.
  bool play();
  // Stops the sound at once; the delegate hears nothing.
  void stop();

  AVAudioPlayer() = default;

 private:
  void finish();
  void endPlayback();

  std::string path_;
  double duration_ = 0;
  bool decodable_ = false;
  bool playing_ = false;
  size_t playback_ = 0;  // index of the current playback in the sink
  std::shared_ptr<NSTimer> endTimer_;
  std::weak_ptr<AVAudioPlayerDelegate> delegate_;
};
