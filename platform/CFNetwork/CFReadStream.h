// Read streams: the base of the HTTP stream and the body streams it sends from (bytes in memory
// or a file).  A stream with a client reports events to it on the run loops it is scheduled on,
// in the modes it is scheduled in; an unscheduled stream keeps its events until it is
// scheduled again.  Streams are used from one thread at a time: the thread of the loop they are
// scheduled on.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"

class NSRunLoop;
class RunLoopSource;

enum CFStreamEventType : unsigned {
  kCFStreamEventNone = 0,
  kCFStreamEventOpenCompleted = 1,
  kCFStreamEventHasBytesAvailable = 2,
  kCFStreamEventCanAcceptBytes = 4,
  kCFStreamEventErrorOccurred = 8,
  kCFStreamEventEndEncountered = 16,
};

enum class CFStreamStatus {
  NotOpen = 0,
  Opening = 1,
  Open = 2,
  Reading = 3,
  Writing = 4,
  AtEnd = 5,
  Closed = 6,
  Error = 7,
};

class CFReadStream : public std::enable_shared_from_this<CFReadStream> {
 public:
  using ClientCallback = std::function<void(CFReadStream& stream, CFStreamEventType event)>;

  virtual ~CFReadStream();

  // CFReadStreamCreateWithBytes (a copy of the bytes) and CFReadStreamCreateWithFile.  A bytes
  // stream may tell `taken` how many bytes each read took (on the reading thread, after it).
  static std::shared_ptr<CFReadStream> createWithBytes(
      std::string bytes, std::function<void(size_t taken)> taken = nullptr);
  static std::shared_ptr<CFReadStream> createWithFile(std::string path);

  virtual bool open() = 0;
  virtual void close();
  // Up to maxLength bytes into buffer: the count read, 0 at the end or when nothing has
  // arrived yet (never blocks), -1 on error.
  virtual long read(uint8_t* buffer, size_t maxLength) = 0;
  virtual bool hasBytesAvailable() const = 0;
  CFStreamStatus status() const;
  // The error that put the stream in its error state; nullptr otherwise.
  NSErrorPtr copyError() const;

  // CFReadStreamSetClient: the events of the mask go to the callback; a mask of 0 or no
  // callback removes the client.
  bool setClient(unsigned eventMask, ClientCallback callback);
  void scheduleWithRunLoop(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode);
  void unscheduleFromRunLoop(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode);
  bool isScheduled() const;

  // Properties by key; a key the stream does not know is stored and returned as given.
  virtual Value copyProperty(std::string_view key) const;
  virtual bool setProperty(std::string_view key, Value value);

 protected:
  CFReadStream() = default;
  // Something happened: the client hears of it on the next pass of a loop the stream is
  // scheduled on.  Any thread.
  void signalClient();
  // The event to report now (kCFStreamEventNone for nothing).  Called on the loop's thread.
  virtual CFStreamEventType pendingEvent();
  // Called after an error or end event was delivered, so that each is reported once.
  void setStatus(CFStreamStatus status, NSErrorPtr error = nullptr);
  // The loop the stream is (or was last) scheduled on.
  std::shared_ptr<NSRunLoop> scheduledRunLoop() const;
  // Hooks of subclasses that need the loop (the HTTP stream binds its transfer to it).
  virtual void didSchedule(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode) {}

  // Sets a property; the caller holds streamMutex_.  A key that is one of the stream's own
  // constants (static storage) may say so with keyIsConstant: it is then kept without a copy.
  void storeProperty(std::string_view key, Value value, bool keyIsConstant = false);
  // The stored property, or nullptr; the caller holds streamMutex_.
  const Value* findProperty(std::string_view key) const;

  struct Property {
    std::string_view key() const { return constantKey.empty() ? otherKey : constantKey; }
    static bool keyBefore(const Property& property, std::string_view key) {
      return property.key() < key;
    }
    std::string_view constantKey;
    std::string otherKey;
    Value value;
  };

  mutable std::recursive_mutex streamMutex_;
  // Sorted by key.  A stream has a handful of properties: a sorted list is cheaper than a map.
  std::vector<Property> properties_;

 private:
  void deliver();

  // Changed under streamMutex_; read without it, as a status is a snapshot anyway.
  std::atomic<CFStreamStatus> status_{CFStreamStatus::NotOpen};
  NSErrorPtr error_;
  unsigned eventMask_ = 0;
  std::shared_ptr<ClientCallback> client_;
  // Set by deliver under streamMutex_; atomic so that pendingEvent can read them without it.
  std::atomic<bool> reportedError_{false};
  std::atomic<bool> reportedEnd_{false};
  bool signalled_ = false;  // a wake-up is on its way
  struct Schedule {
    Schedule(std::weak_ptr<NSRunLoop> loop, std::string_view mode);
    std::string_view mode() const { return standardMode.empty() ? otherMode : standardMode; }
    std::weak_ptr<NSRunLoop> loop;
    // The loop's standard modes refer to their constant and so need no copy.
    std::string_view standardMode;
    std::string otherMode;
  };
  std::vector<Schedule> schedules_;
  std::shared_ptr<RunLoopSource> source_;
  std::weak_ptr<NSRunLoop> sourceLoop_;
};
