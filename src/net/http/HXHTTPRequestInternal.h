// Internal to the request's source files (HXHTTPRequest*.cpp): the state every request shares,
// the hand-over to the main thread, the closures and the small helpers the files have in common.
#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"
#include "net/http/HXHTTPRequest.h"

class HXHTTPRequestDelegate;
class NSOperationQueue;
class NSThread;

namespace hxrequest {

// The name of the stream property that tells connections apart: the pool entry's number.
inline constexpr std::string_view kStreamIDProperty = "HXStreamID";

// State shared by every request, made once and never released.  Each lock guards its own group;
// none is held while another of them is taken.
struct ClassState {
  // The network thread, the default user agent and the default cache.
  std::mutex classLock;
  std::shared_ptr<NSThread> networkThread;
  // networkThread once it is made (it never changes afterwards): read without the lock.
  std::atomic<const std::shared_ptr<NSThread>*> networkThreadMade{nullptr};
  std::shared_ptr<NSOperationQueue> sharedQueue;
  // Changes of the shared queue's width, one at a time.
  std::mutex queueWidthLock;

  // The connection pool, the count of running streams and the indicator switch.
  std::mutex connectionsLock;
  unsigned runningRequestCount = 0;
  bool shouldUpdateNetworkActivityIndicator = true;
  std::vector<std::shared_ptr<HXConnectionInfo>> pool;
  int64_t nextConnectionNumber = 0;
  int64_t nextRequestID = 0;

  // Progress-bar updates, one at a time.
  std::mutex progressLock;

  // Bandwidth: what all requests moved, measured in one-second periods, and the cap.  Not
  // recursive; taken after HXInputStream's read lock and before the connections lock.
  std::mutex bandwidthThrottlingLock;
  unsigned long maxBandwidthPerSecond = 0;
  unsigned long bandwidthUsedInLastSecond = 0;
  // End of the current measurement period (real time); none before the first measurement.
  std::optional<double> bandwidthMeasurementDate;
  // Bytes of recent periods, oldest first, at most five.
  std::deque<unsigned long> bandwidthUsageTracker;
  unsigned long averageBandwidthUsedPerSecond = 0;
  // Until when throttled requests keep their streams detached.
  std::optional<double> throttleWakeUpTime;
  // YES while throttling only on WWAN is on and the link is WWAN.
  bool isThrottlingWWAN = false;
  bool shouldThrottleBandwidthForWWANOnly = false;

  std::mutex sessionCookiesLock;
  std::optional<HXHTTPRequest::Cookies> sessionCookies;

  // One request at a time looks for credentials and decides whom to ask (never held while a
  // request sends).
  std::recursive_mutex credentialPromptLock;

  std::mutex sessionCredentialsLock;
  ValueArray sessionCredentialsStore;
  ValueArray sessionProxyCredentialsStore;

  // The reachability object behind WWAN throttling, and what observes it for the class.
  std::mutex reachabilityLock;
  std::shared_ptr<Reachability> reachability;
  std::shared_ptr<int> reachabilityObserver = std::make_shared<int>(0);

  std::shared_ptr<HXCacheDelegate> defaultCache;
  bool userAgentBuilt = false;
  std::optional<std::string> defaultUserAgent;
  std::atomic<double> defaultTimeOutSeconds{10.0};
  std::atomic<bool> networkActivityIndicatorVisible{false};
  // YES while a block that brings the application's indicator in line is waiting on the main
  // thread: that block reads the wanted state when it runs, so later changes need no other.
  std::atomic<bool> indicatorSyncPending{false};

  NSErrorPtr requestTimedOutError;
  NSErrorPtr authenticationError;
  NSErrorPtr requestCancelledError;
  NSErrorPtr unableToCreateRequestError;
  NSErrorPtr tooMuchRedirectionError;

  ClassState();
};

ClassState& cls();

// Every hand-over of the engine to the main thread goes through here, so that they keep their
// order.  From the main thread the block runs at once.
void toMainThread(std::function<void()> block);
// Run by the network thread's loop: hands over what waited while it was busy.
void runNetworkThread();

// A response header by name, whatever the case of its spelling.
std::optional<std::string> headerValue(const ValueDictionary& headers, std::string_view name);
// The real clock's seconds, which the pool's expiry dates count in.
double poolNow();
// A new file name in the folder of `path` (hidden, so that nothing listing the folder takes it
// for one of its own files); a new name in the temporary folder when `path` is empty.
std::string pathBeside(const std::string& path);
bool sameURL(const std::shared_ptr<NSURL>& a, const std::shared_ptr<NSURL>& b);
bool fileExists(const std::string& path);

// The request's message named by a selector, sent to a protocol receiver.
void callProtocol(HXHTTPRequestDelegate& d, std::string_view name,
                  const std::shared_ptr<HXHTTPRequest>& request, const Value& argument);
// The queue's fixed selector, when the queue answers it.
void sendToQueue(const std::shared_ptr<NSObject>& queue, std::string_view name,
                 const std::shared_ptr<HXHTTPRequest>& request, const Value& argument = {});
bool queueResponds(const std::shared_ptr<NSObject>& queue, std::string_view name);

}  // namespace hxrequest

struct HXHTTPRequest::Blocks {
  BasicBlock started, completion, failure, authenticationNeeded, proxyAuthenticationNeeded,
      requestRedirected;
  HeadersBlock headersReceived;
  ProgressBlock bytesReceived, bytesSent;
  SizeBlock downloadSizeIncremented, uploadSizeIncremented;
  DataBlock dataReceived;
};

template <class F>
F HXHTTPRequest::block(F Blocks::*field) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return blocks_ ? blocks_.get()->*field : F();
}

template <class F>
bool HXHTTPRequest::hasInformationalReceiver(F Blocks::*field) const {
  // Without a delegate, a queue or the closure, the main thread's step would do nothing: the
  // hand-over is spared.
  std::lock_guard<std::mutex> lock(mutex_);
  return !delegate_.expired() || queue_ || (blocks_ && bool(blocks_.get()->*field));
}
