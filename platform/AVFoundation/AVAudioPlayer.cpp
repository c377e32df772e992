#include "AVFoundation/AVAudioPlayer.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "Foundation/Clock.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"

namespace {

std::vector<AVAudioPlayback>& sink() {
  static std::vector<AVAudioPlayback> playbacks;
  return playbacks;
}

double now() {
  return NSRunLoop::mainRunLoop()->clock()->now();
}

uint64_t bigEndian(const std::string& data, size_t at, size_t bytes) {
  uint64_t v = 0;
  for (size_t i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(data[at + i]);
  return v;
}

// The length of an uncompressed "caf" file, or nil when the data is no such file: the header
// "caff" version 1, then chunks (type, 64-bit size) of which "desc" gives the sample rate and
// the bytes and frames of a packet, and "data" (after its 4-byte edit count) the samples.
std::optional<double> cafDuration(const std::string& data) {
  if (data.size() < 8 || data.compare(0, 4, "caff") != 0 || bigEndian(data, 4, 2) != 1)
    return std::nullopt;
  double rate = 0;
  uint64_t bytesPerPacket = 0, framesPerPacket = 0;
  std::optional<uint64_t> dataBytes;
  size_t at = 8;
  while (at + 12 <= data.size()) {
    std::string type = data.substr(at, 4);
    int64_t size = static_cast<int64_t>(bigEndian(data, at + 4, 8));
    at += 12;
    if (size < 0) size = static_cast<int64_t>(data.size() - at);  // "data" up to the end
    if (static_cast<uint64_t>(size) > data.size() - at) return std::nullopt;
    if (type == "desc") {
      if (size < 32) return std::nullopt;
      uint64_t bits = bigEndian(data, at, 8);
      std::memcpy(&rate, &bits, sizeof rate);
      if (data.compare(at + 8, 4, "lpcm") != 0) return std::nullopt;
      bytesPerPacket = bigEndian(data, at + 16, 4);
      framesPerPacket = bigEndian(data, at + 20, 4);
    } else if (type == "data") {
      if (size < 4) return std::nullopt;
      dataBytes = static_cast<uint64_t>(size) - 4;
    }
    at += static_cast<size_t>(size);
  }
  if (!(rate > 0) || bytesPerPacket == 0 || framesPerPacket == 0 || !dataBytes) return std::nullopt;
  return static_cast<double>(*dataBytes / bytesPerPacket * framesPerPacket) / rate;
}

std::string fileName(std::string_view path) {
  auto slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

std::vector<AVAudioPlayback> AVAudioSink::playbacks() {
  return sink();
}

void AVAudioSink::clear() {
  sink().clear();
}

std::shared_ptr<AVAudioPlayer> AVAudioPlayer::playerWithContentsOfFile(std::string_view path,
                                                                       std::string* error) {
  std::ifstream in{std::string(path), std::ios::binary};
  if (!in) {
    if (error) *error = "The file \"" + fileName(path) + "\" could not be opened.";
    return nullptr;
  }
  std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto player = std::make_shared<AVAudioPlayer>();
  player->path_ = std::string(path);
  if (auto length = cafDuration(data)) {
    player->decodable_ = true;
    player->duration_ = *length;
  }
  return player;
}

AVAudioPlayer::~AVAudioPlayer() {
  stop();
}

bool AVAudioPlayer::prepareToPlay() {
  return decodable_;
}

bool AVAudioPlayer::play() {
  if (!decodable_) {
    std::weak_ptr<AVAudioPlayer> weak = weakSelf<AVAudioPlayer>();
    NSTimer::scheduledTimerWithTimeInterval(0, false, [weak](const std::shared_ptr<NSTimer>&) {
      auto player = weak.lock();
      if (!player) return;
      if (auto d = player->delegate())
        d->audioPlayerDecodeErrorDidOccur(*player, "The data is not a playable sound.");
    });
    return false;
  }
  if (playing_) return true;
  playing_ = true;
  playback_ = sink().size();
  sink().push_back({fileName(path_), now(), std::nullopt});
  std::weak_ptr<AVAudioPlayer> weak = weakSelf<AVAudioPlayer>();
  endTimer_ = NSTimer::scheduledTimerWithTimeInterval(duration_, false,
                                                      [weak](const std::shared_ptr<NSTimer>&) {
                                                        if (auto player = weak.lock())
                                                          player->finish();
                                                      });
  return true;
}

void AVAudioPlayer::endPlayback() {
  if (!playing_) return;
  playing_ = false;
  if (endTimer_) endTimer_->invalidate();
  endTimer_.reset();
  if (playback_ < sink().size() && !sink()[playback_].stop) sink()[playback_].stop = now();
}

void AVAudioPlayer::stop() {
  endPlayback();
}

void AVAudioPlayer::finish() {
  endPlayback();
  auto keep = weakSelf<AVAudioPlayer>().lock();  // the delegate may release us
  if (auto d = delegate()) d->audioPlayerDidFinishPlaying(*this, true);
}
