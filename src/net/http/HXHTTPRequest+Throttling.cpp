// Bandwidth: every request counts the bytes it moves into one class-wide measurement of
// one-second periods.  With a cap, a request that overdrew the current second's allowance
// detaches its read stream until a wake-up time past the period's end, in proportion to the
// excess; uploads read their body in pieces the allowance permits (HXInputStream).
//
// The measurement reads the real clock, as the network thread does.
#include <algorithm>

#include "Foundation/Clock.h"
#include "Foundation/NSNotificationCenter.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestInternal.h"
#include "net/http/Reachability.h"

using namespace hxrequest;

namespace {

// The WWAN cap of setShouldThrottleBandwidthForWWAN.
constexpr unsigned long kWWANBandwidthLimit = 14800;

double throttleNow() {
  return realClock()->now();
}

// The lock is held.
bool throttlingApplies(const ClassState& c) {
  return c.isThrottlingWWAN ||
         (!c.shouldThrottleBandwidthForWWANOnly && c.maxBandwidthPerSecond > 0);
}

// Closes a measurement period; the lock is held.
void recordBandwidthUsage(ClassState& c, double now) {
  if (c.bandwidthUsedInLastSecond == 0) {
    c.bandwidthUsageTracker.clear();
  } else {
    // One entry goes for every whole second that passed without a measurement; five stay.
    double since = c.bandwidthMeasurementDate ? *c.bandwidthMeasurementDate - now : 0;
    while ((since < 0 || c.bandwidthUsageTracker.size() > 5) && !c.bandwidthUsageTracker.empty()) {
      c.bandwidthUsageTracker.pop_front();
      since += 1;
    }
  }
  c.bandwidthUsageTracker.push_back(c.bandwidthUsedInLastSecond);
  c.bandwidthMeasurementDate = now + 1;
  c.bandwidthUsedInLastSecond = 0;
  unsigned long long total = 0;
  for (unsigned long used : c.bandwidthUsageTracker) total += used;
  c.averageBandwidthUsedPerSecond =
      static_cast<unsigned long>(total / c.bandwidthUsageTracker.size());
}

}  // namespace

bool HXHTTPRequest::isBandwidthThrottled() {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  return throttlingApplies(cls());
}

unsigned long HXHTTPRequest::maxBandwidthPerSecond() {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  return cls().maxBandwidthPerSecond;
}

void HXHTTPRequest::setMaxBandwidthPerSecond(unsigned long bytes) {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  cls().maxBandwidthPerSecond = bytes;
}

void HXHTTPRequest::incrementBandwidthUsedInLastSecond(unsigned long bytes) {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  cls().bandwidthUsedInLastSecond += bytes;
}

unsigned long HXHTTPRequest::averageBandwidthUsedPerSecond() {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  return cls().averageBandwidthUsedPerSecond;
}

std::optional<double> HXHTTPRequest::bandwidthMeasurementDate() {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  return cls().bandwidthMeasurementDate;
}

std::optional<double> HXHTTPRequest::throttleWakeUpTime() {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  return cls().throttleWakeUpTime;
}

void HXHTTPRequest::measureBandwidthUsage() {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  auto& c = cls();
  double now = throttleNow();
  if (!c.bandwidthMeasurementDate || *c.bandwidthMeasurementDate <= now)
    recordBandwidthUsage(c, now);
  if (throttlingApplies(c) && c.maxBandwidthPerSecond > 0 &&
      c.bandwidthUsedInLastSecond > c.maxBandwidthPerSecond) {
    double excess = double(c.bandwidthUsedInLastSecond - c.maxBandwidthPerSecond);
    c.throttleWakeUpTime = *c.bandwidthMeasurementDate + excess / double(c.maxBandwidthPerSecond);
  }
}

unsigned long HXHTTPRequest::maxUploadReadLength() {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  auto& c = cls();
  unsigned long length = c.maxBandwidthPerSecond / 4;
  if (c.maxBandwidthPerSecond > 0 && c.bandwidthUsedInLastSecond + length > c.maxBandwidthPerSecond)
    length = c.bandwidthUsedInLastSecond < c.maxBandwidthPerSecond
                 ? c.maxBandwidthPerSecond - c.bandwidthUsedInLastSecond
                 : 0;
  if (length == 0 || !c.bandwidthMeasurementDate || *c.bandwidthMeasurementDate <= throttleNow())
    c.throttleWakeUpTime = c.bandwidthMeasurementDate;
  return length;
}

void HXHTTPRequest::setShouldThrottleBandwidthForWWAN(bool throttle) {
  if (throttle) {
    throttleBandwidthForWWANUsingLimit(kWWANBandwidthLimit);
    return;
  }
  unsubscribeFromNetworkReachabilityNotifications();
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  cls().maxBandwidthPerSecond = 0;
  cls().isThrottlingWWAN = false;
  cls().shouldThrottleBandwidthForWWANOnly = false;
}

void HXHTTPRequest::throttleBandwidthForWWANUsingLimit(unsigned long limit) {
  {
    std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
    cls().shouldThrottleBandwidthForWWANOnly = true;
    cls().maxBandwidthPerSecond = limit;
  }
  registerForNetworkReachabilityNotifications();
  // The flag follows the link from now on; this sets it for the link of the moment.
  reachabilityChanged(nullptr);
}

void HXHTTPRequest::performThrottling() {
  if (!readStream_) return;
  measureBandwidthUsage();
  if (!isBandwidthThrottled()) {
    if (!readStreamIsScheduled_) scheduleReadStream();
    return;
  }
  std::optional<double> wakeUp = throttleWakeUpTime();
  if (!wakeUp) return;
  if (*wakeUp > throttleNow()) {
    if (readStreamIsScheduled_) unscheduleReadStream();
  } else if (!readStreamIsScheduled_) {
    scheduleReadStream();
  }
}

unsigned long HXHTTPRequest::maxDownloadReadLength(unsigned long bufferSize) {
  if (!isBandwidthThrottled()) return bufferSize;
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  auto& c = cls();
  // A quarter of what is left of this second's allowance, at least one byte.
  unsigned long left = c.bandwidthUsedInLastSecond < c.maxBandwidthPerSecond
                           ? c.maxBandwidthPerSecond - c.bandwidthUsedInLastSecond
                           : 0;
  return std::clamp(left / 4, 1UL, bufferSize);
}
