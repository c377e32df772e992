#include "CFNetwork/CFReadStream.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CFNetwork/CFNetworkErrors.h"
#include "Foundation/NSRunLoop.h"

CFReadStream::Schedule::Schedule(std::weak_ptr<NSRunLoop> scheduledLoop, std::string_view mode)
    : loop(std::move(scheduledLoop)) {
  for (std::string_view standard : {NSDefaultRunLoopMode, NSRunLoopCommonModes}) {
    if (mode == standard) {
      standardMode = standard;
      return;
    }
  }
  otherMode = mode;
}

CFReadStream::~CFReadStream() {
  if (source_) source_->invalidate();
}

void CFReadStream::close() {
  std::shared_ptr<RunLoopSource> source;
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    if (status_ != CFStreamStatus::Error) status_ = CFStreamStatus::Closed;
    schedules_.clear();
    client_.reset();
    eventMask_ = 0;
    source.swap(source_);
    sourceLoop_.reset();
  }
  if (source) source->invalidate();
}

CFStreamStatus CFReadStream::status() const {
  return status_.load(std::memory_order_acquire);
}

NSErrorPtr CFReadStream::copyError() const {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  return status_ == CFStreamStatus::Error ? error_ : nullptr;
}

void CFReadStream::setStatus(CFStreamStatus status, NSErrorPtr error) {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  auto current = status_.load(std::memory_order_relaxed);
  if (current == CFStreamStatus::Closed || current == CFStreamStatus::Error) return;
  // The error first, so that whoever sees the error status finds it.
  if (error) error_ = std::move(error);
  status_.store(status, std::memory_order_release);
}

bool CFReadStream::setClient(unsigned eventMask, ClientCallback callback) {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  if (eventMask == 0 || !callback) {
    eventMask_ = 0;
    client_.reset();
    return true;
  }
  eventMask_ = eventMask;
  client_ = std::make_shared<ClientCallback>(std::move(callback));
  return true;
}

void CFReadStream::scheduleWithRunLoop(const std::shared_ptr<NSRunLoop>& loop,
                                       std::string_view mode) {
  if (!loop) return;
  std::shared_ptr<RunLoopSource> source;
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    if (status_ == CFStreamStatus::Closed) return;
    for (auto& s : schedules_)
      if (s.loop.lock() == loop && s.mode() == mode) return;
    auto current = sourceLoop_.lock();
    if (source_ && current != loop) {
      // A stream serves one loop at a time: moving it drops the other schedules.
      source_->invalidate();
      source_.reset();
      schedules_.clear();
    }
    if (!source_) {
      std::weak_ptr<CFReadStream> weak = weak_from_this();
      source_ = std::make_shared<RunLoopSource>([weak] {
        if (auto self = weak.lock()) self->deliver();
      });
      sourceLoop_ = loop;
    }
    schedules_.emplace_back(loop, mode);
    source = source_;
    signalled_ = false;
  }
  loop->addSource(source, mode);
  didSchedule(loop, mode);
  // Whatever happened while the stream was off the loop is reported now.
  if (pendingEvent() != kCFStreamEventNone) signalClient();
}

void CFReadStream::unscheduleFromRunLoop(const std::shared_ptr<NSRunLoop>& loop,
                                         std::string_view mode) {
  if (!loop) return;
  std::shared_ptr<RunLoopSource> source;
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    for (auto it = schedules_.begin(); it != schedules_.end(); ++it) {
      if (it->loop.lock() == loop && it->mode() == mode) {
        schedules_.erase(it);
        source = source_;
        break;
      }
    }
  }
  if (source) loop->removeSource(source, mode);
}

std::shared_ptr<NSRunLoop> CFReadStream::scheduledRunLoop() const {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  return sourceLoop_.lock();
}

bool CFReadStream::isScheduled() const {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  return !schedules_.empty();
}

Value CFReadStream::copyProperty(std::string_view key) const {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  const Value* value = findProperty(key);
  return value ? *value : Value();
}

bool CFReadStream::setProperty(std::string_view key, Value value) {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  storeProperty(key, std::move(value));
  return true;
}

const Value* CFReadStream::findProperty(std::string_view key) const {
  auto it = std::lower_bound(properties_.begin(), properties_.end(), key, Property::keyBefore);
  return it != properties_.end() && it->key() == key ? &it->value : nullptr;
}

void CFReadStream::storeProperty(std::string_view key, Value value, bool keyIsConstant) {
  if (properties_.empty()) properties_.reserve(4);
  auto it = std::lower_bound(properties_.begin(), properties_.end(), key, Property::keyBefore);
  if (it != properties_.end() && it->key() == key) {
    it->value = std::move(value);
    return;
  }
  Property property;
  if (keyIsConstant)
    property.constantKey = key;
  else
    property.otherKey = key;
  property.value = std::move(value);
  properties_.insert(it, std::move(property));
}

void CFReadStream::signalClient() {
  std::shared_ptr<RunLoopSource> source;
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    // One wake-up is enough until the client has been called.
    if (signalled_) return;
    signalled_ = true;
    source = source_;
  }
  if (source) source->signal();
}

CFStreamEventType CFReadStream::pendingEvent() {
  // Every field read here is atomic, and deliver decides under the lock: no lock needed.
  const CFStreamStatus status = status_.load(std::memory_order_acquire);
  if (status == CFStreamStatus::NotOpen || status == CFStreamStatus::Closed)
    return kCFStreamEventNone;
  if (hasBytesAvailable()) return kCFStreamEventHasBytesAvailable;
  if (status == CFStreamStatus::Error && !reportedError_) return kCFStreamEventErrorOccurred;
  if (status == CFStreamStatus::AtEnd && !reportedEnd_) return kCFStreamEventEndEncountered;
  return kCFStreamEventNone;
}

void CFReadStream::deliver() {
  auto self = shared_from_this();  // the client may drop its last reference in the callback
  // Events that follow at once (the end after the last bytes) go out in the same pass.
  for (int round = 0; round < 4; ++round) {
    std::shared_ptr<ClientCallback> client;
    CFStreamEventType event;
    {
      std::lock_guard<std::recursive_mutex> lock(streamMutex_);
      signalled_ = false;
      if (schedules_.empty()) return;
      event = pendingEvent();
      if (event == kCFStreamEventNone) return;
      if (event == kCFStreamEventErrorOccurred) reportedError_ = true;
      if (event == kCFStreamEventEndEncountered) reportedEnd_ = true;
      if (!(event & eventMask_)) return;
      client = client_;
    }
    if (!client) return;
    (*client)(*this, event);
    if (event != kCFStreamEventHasBytesAvailable) return;
  }
  // Bytes the client left unread are announced again on the next pass.
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  if (client_ && !schedules_.empty() && pendingEvent() != kCFStreamEventNone && source_ &&
      !signalled_) {
    signalled_ = true;
    source_->signal();
  }
}

// ---- body streams ----------------------------------------------------------------------------

namespace {

class CFDataReadStream final : public CFReadStream {
 public:
  CFDataReadStream(std::string bytes, std::function<void(size_t)> taken)
      : bytes_(std::move(bytes)), taken_(std::move(taken)) {}
  bool open() override {
    setStatus(bytes_.empty() ? CFStreamStatus::AtEnd : CFStreamStatus::Open);
    signalClient();
    return true;
  }
  long read(uint8_t* buffer, size_t maxLength) override {
    size_t n;
    {
      std::lock_guard<std::recursive_mutex> lock(streamMutex_);
      auto st = status();
      if (st == CFStreamStatus::Error) return -1;
      if (st != CFStreamStatus::Open && st != CFStreamStatus::AtEnd) return -1;
      n = std::min(maxLength, bytes_.size() - offset_);
      std::memcpy(buffer, bytes_.data() + offset_, n);
      offset_ += n;
      if (offset_ == bytes_.size()) setStatus(CFStreamStatus::AtEnd);
    }
    if (n && taken_) taken_(n);
    return long(n);
  }
  bool hasBytesAvailable() const override {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    return offset_ < bytes_.size();
  }

 private:
  std::string bytes_;
  size_t offset_ = 0;
  std::function<void(size_t)> taken_;
};

class CFFileReadStream final : public CFReadStream {
 public:
  explicit CFFileReadStream(std::string path) : path_(std::move(path)) {}
  ~CFFileReadStream() override {
    if (file_) std::fclose(file_);
  }
  bool open() override {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    file_ = std::fopen(path_.c_str(), "rb");
    if (!file_) {
      setStatus(CFStreamStatus::Error, posixError(errno));
      signalClient();
      return false;
    }
    setStatus(CFStreamStatus::Open);
    signalClient();
    return true;
  }
  void close() override {
    {
      std::lock_guard<std::recursive_mutex> lock(streamMutex_);
      if (file_) std::fclose(file_);
      file_ = nullptr;
    }
    CFReadStream::close();
  }
  long read(uint8_t* buffer, size_t maxLength) override {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    if (!file_) return -1;
    if (maxLength == 0) return 0;
    size_t n = std::fread(buffer, 1, maxLength, file_);
    if (n == 0 && std::ferror(file_)) {
      setStatus(CFStreamStatus::Error, posixError(errno));
      return -1;
    }
    if (n == 0) {
      atEnd_ = true;
      setStatus(CFStreamStatus::AtEnd);
    }
    return long(n);
  }
  bool hasBytesAvailable() const override {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    return file_ && !atEnd_;
  }

 private:
  static NSErrorPtr posixError(int err) {
    return NSError::withDescription(kCFErrorDomainPOSIX, err, std::strerror(err));
  }
  std::string path_;
  FILE* file_ = nullptr;
  bool atEnd_ = false;
};

}  // namespace

std::shared_ptr<CFReadStream> CFReadStream::createWithBytes(std::string bytes,
                                                            std::function<void(size_t)> taken) {
  return std::make_shared<CFDataReadStream>(std::move(bytes), std::move(taken));
}

std::shared_ptr<CFReadStream> CFReadStream::createWithFile(std::string path) {
  return std::make_shared<CFFileReadStream>(std::move(path));
}
