// The threads of the engine: the state every request shares, the network thread with its
// hand-over to the main thread, the shared queue and the activity indicator.
#include <condition_variable>
#include <cstdlib>

#include "Foundation/Clock.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSOperation.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUUID.h"
#include "UIKit/UIApplication.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestDelegate.h"
#include "net/http/HXHTTPRequestInternal.h"

namespace hxrequest {

ClassState::ClassState() {
  sharedQueue = std::make_shared<NSOperationQueue>();
  sharedQueue->setMaxConcurrentOperationCount(4);
  auto error = [](long code, const char* text) {
    return NSError::withDescription(kHXHTTPRequestErrorDomain, code, text);
  };
  requestTimedOutError = error(HXRequestTimedOutErrorType, "The request timed out");
  authenticationError = error(HXAuthenticationErrorType, "Authentication needed");
  requestCancelledError = error(HXRequestCancelledErrorType, "The request was cancelled");
  unableToCreateRequestError =
      error(HXUnableToCreateRequestErrorType, "Unable to create request (bad url?)");
  tooMuchRedirectionError = error(HXTooMuchRedirectionErrorType,
                                  "The request failed because it redirected too many times");
}

ClassState& cls() {
  static ClassState* state = new ClassState;
  return *state;
}

std::optional<std::string> headerValue(const ValueDictionary& headers, std::string_view name) {
  if (!headers) return std::nullopt;
  Value v = headers->objectForKey(name);
  if (v.isString()) return std::string(v.string());
  std::optional<std::string> found;
  headers->enumerate([&](const std::string& key, const Value& value) {
    if (!found && equalsIgnoringASCIICase(key, name)) found = value.description();
  });
  return found;
}

double poolNow() {
  return realClock()->now();
}

std::string pathBeside(const std::string& path) {
  if (path.empty())
    return stringByAppendingPathComponent(NSTemporaryDirectory(), NSUUID::createString());
  return stringByAppendingPathComponent(
      stringByDeletingLastPathComponent(path),
      "." + lastPathComponent(path) + "." + NSUUID::createString() + ".part");
}

bool sameURL(const std::shared_ptr<NSURL>& a, const std::shared_ptr<NSURL>& b) {
  if (!a || !b) return a == b;
  return a->absoluteString() == b->absoluteString();
}

bool fileExists(const std::string& path) {
  return !path.empty() && NSFileManager::defaultManager().fileExistsAtPath(path);
}

void callProtocol(HXHTTPRequestDelegate& d, std::string_view name,
                  const std::shared_ptr<HXHTTPRequest>& request, const Value& argument) {
  if (name == "requestStarted:")
    d.requestStarted(request);
  else if (name == "request:didReceiveResponseHeaders:")
    d.requestDidReceiveResponseHeaders(request, argument.dictionary());
  else if (name == "request:willRedirectToURL:")
    d.requestWillRedirectToURL(request, argument.object<NSURL>());
  else if (name == "requestFinished:")
    d.requestFinished(request);
  else if (name == "requestFailed:")
    d.requestFailed(request);
  else if (name == "requestRedirected:")
    d.requestRedirected(request);
  else if (name == "request:didReceiveData:")
    d.requestDidReceiveData(request, std::string(argument.bytes()));
  else if (name == "authenticationNeededForRequest:")
    d.authenticationNeededForRequest(request);
  else if (name == "proxyAuthenticationNeededForRequest:")
    d.proxyAuthenticationNeededForRequest(request);
}

void sendToQueue(const std::shared_ptr<NSObject>& queue, std::string_view name,
                 const std::shared_ptr<HXHTTPRequest>& request, const Value& argument) {
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(queue.get());
  if (protocol && protocol->respondsToSelector(name))
    callProtocol(*protocol, name, request, argument);
}

bool queueResponds(const std::shared_ptr<NSObject>& queue, std::string_view name) {
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(queue.get());
  return protocol && protocol->respondsToSelector(name);
}

namespace {

// What the network thread hands to the main thread while it is busy waits in a batch, in
// order, and goes out in one hand-over when the network thread is about to wait, or once the
// oldest block has waited kLongestWait.  Waking the main thread costs the network thread more
// than a small request's own work; a busy network thread would otherwise pay it per callback.
class MainThreadBatch {
 public:
  static constexpr double kLongestWait = 0.001;

  void add(std::function<void()> block) {
    if (blocks_.empty()) since_ = steadySeconds();
    blocks_.push_back(std::move(block));
  }
  bool due() const { return !blocks_.empty() && steadySeconds() - since_ >= kLongestWait; }
  void flush() {
    if (blocks_.empty()) return;
    auto blocks = std::make_shared<std::vector<std::function<void()>>>(std::move(blocks_));
    blocks_.clear();
    ::performOnMainThread([blocks] { runAll(blocks, 0); }, false);
  }

 private:
  static void runAll(const std::shared_ptr<std::vector<std::function<void()>>>& blocks,
                     size_t from) {
    for (size_t i = from; i < blocks->size(); ++i) {
      try {
        (*blocks)[i]();
      } catch (...) {
        // The rest still run, as a hand-over of their own.
        if (i + 1 < blocks->size())
          ::performOnMainThread([blocks, i] { runAll(blocks, i + 1); }, false);
        throw;
      }
    }
  }

  std::vector<std::function<void()>> blocks_;
  double since_ = 0;
};

// Set on the network thread only.
thread_local MainThreadBatch* tMainThreadBatch = nullptr;

// The network thread never ends; at exit it is parked in a block of its own so that it does
// not run into the process's statics while they are destroyed.
void parkNetworkThreadAtExit() {
  const std::shared_ptr<NSThread>* made = cls().networkThreadMade.load();
  if (!made) return;
  std::shared_ptr<NSThread> thread = *made;
  struct Park {
    std::mutex mutex;
    std::condition_variable cv;
    bool parked = false;
  };
  auto* park = new Park;  // never freed: the parked thread waits on it until the process ends
  performOnThread(thread,
                  [park] {
                    std::unique_lock<std::mutex> lock(park->mutex);
                    park->parked = true;
                    park->cv.notify_all();
                    park->cv.wait(lock, [] { return false; });
                  },
                  false, {std::string(NSDefaultRunLoopMode)});
  std::unique_lock<std::mutex> lock(park->mutex);
  park->cv.wait_for(lock, std::chrono::seconds(2), [park] { return park->parked; });
}

}  // namespace

void toMainThread(std::function<void()> block) {
  if (tMainThreadBatch) {
    tMainThreadBatch->add(std::move(block));
    return;
  }
  ::performOnMainThread(std::move(block), NSThread::isMainThread());
}

void runNetworkThread() {
  auto loop = NSRunLoop::currentRunLoop();
  // Something to wait on, so that the loop never runs out of sources.
  loop->addKeepAliveSource(NSDefaultRunLoopMode);
  MainThreadBatch batch;
  tMainThreadBatch = &batch;
  for (;;) {
    // Busy: one source at a time without waiting; the main thread's batch goes out when it is
    // old enough.
    if (loop->runInMode(NSDefaultRunLoopMode, 0, true) == CFRunLoopRunResult::HandledSource) {
      if (batch.due()) batch.flush();
      continue;
    }
    // Nothing to do: the main thread gets its batch before this thread waits.
    batch.flush();
    loop->runInMode(NSDefaultRunLoopMode, 1.0e10, true);
  }
}

}  // namespace hxrequest

using namespace hxrequest;

void HXHTTPRequest::performOnMainThread(std::function<void()> block) {
  toMainThread(std::move(block));
}

void HXHTTPRequest::performOnMain(void (HXHTTPRequest::*step)()) {
  auto self = selfPtr();
  if (!self) return;
  performOnMainThread([self, step] { ((*self).*step)(); });
}

void HXHTTPRequest::performOnRequestThread(std::function<void(HXHTTPRequest&)> step) {
  auto self = selfPtr();
  if (!self) return;
  std::shared_ptr<NSThread> synchronous;
  bool wasSynchronous;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    synchronous = synchronousThread_;
    wasSynchronous = isSynchronous_;
  }
  if (synchronous) {
    // The caller's loop runs the request's private mode until the request is complete; a step
    // that arrives later runs when the thread runs its default mode.
    performOnThread(synchronous, [self, step] { step(*self); }, false,
                    {std::string(HXHTTPRequestRunLoopMode), std::string(NSDefaultRunLoopMode)});
  } else if (wasSynchronous) {
    // A synchronous request that ran: nothing runs its steps any more, so this thread may.
    step(*self);
  } else {
    // The network thread's loop runs in the default mode only; the common modes include it.
    performOnThread(
        threadForRequest(self), [self, step] { step(*self); }, false);
  }
}

std::shared_ptr<NSThread> HXHTTPRequest::threadForRequest(const std::shared_ptr<HXHTTPRequest>&) {
  if (const std::shared_ptr<NSThread>* made = cls().networkThreadMade.load()) return *made;
  std::lock_guard<std::mutex> lock(cls().classLock);
  if (!cls().networkThread) {
    // What the thread's loop reads exists before the exit hook, so it is destroyed after it.
    realClock();
    processClock();
    UIApplication::sharedApplication();  // the activity indicator's owner
    auto thread = std::make_shared<NSThread>([] { runNetworkThread(); });
    thread->start();
    cls().networkThread = thread;
    cls().networkThreadMade.store(&cls().networkThread);
    std::atexit(parkNetworkThreadAtExit);
  }
  return cls().networkThread;
}

std::shared_ptr<NSOperationQueue> HXHTTPRequest::sharedQueue() {
  return cls().sharedQueue;
}

void HXHTTPRequest::changeSharedQueueWidthBy(long delta) {
  std::lock_guard<std::mutex> lock(cls().queueWidthLock);
  auto queue = sharedQueue();
  queue->setMaxConcurrentOperationCount(std::max(1L, queue->maxConcurrentOperationCount() + delta));
}

bool HXHTTPRequest::isMultitaskingSupported() {
  // The device stand-in cannot answer the multitasking question.
  return false;
}

// ---- the activity indicator -------------------------------------------------------------------

bool HXHTTPRequest::isNetworkInUse() {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  return cls().runningRequestCount > 0;
}

void HXHTTPRequest::setShouldUpdateNetworkActivityIndicator(bool shouldUpdate) {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  cls().shouldUpdateNetworkActivityIndicator = shouldUpdate;
}

namespace {
// The application's indicator is user interface: it is set on the main thread, to whatever the
// engine wants by the time the main thread gets there.
void syncApplicationIndicator() {
  if (NSThread::isMainThread()) {
    UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(
        cls().networkActivityIndicatorVisible);
    return;
  }
  // Every attached stream asks again: when the application shows what the engine wants already,
  // or a waiting block will bring it in line, the main thread is spared a wake-up.
  if (!cls().indicatorSyncPending &&
      UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible() ==
          cls().networkActivityIndicatorVisible)
    return;
  if (cls().indicatorSyncPending.exchange(true)) return;
  toMainThread([] {
    cls().indicatorSyncPending = false;
    UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(
        cls().networkActivityIndicatorVisible);
  });
}
}  // namespace

void HXHTTPRequest::showNetworkActivityIndicator() {
  cls().networkActivityIndicatorVisible = true;
  syncApplicationIndicator();
}

void HXHTTPRequest::hideNetworkActivityIndicator() {
  cls().networkActivityIndicatorVisible = false;
  syncApplicationIndicator();
}

bool HXHTTPRequest::networkActivityIndicatorVisible() {
  return cls().networkActivityIndicatorVisible;
}

void HXHTTPRequest::hideNetworkActivityIndicatorAfterDelay() {
  performAfterDelay([] { hideNetworkActivityIndicatorIfNeeeded(); }, 0.5);
}

void HXHTTPRequest::hideNetworkActivityIndicatorIfNeeeded() {
  // Under the lock, so that a stream attached meanwhile shows it after this hides it.
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  if (cls().runningRequestCount == 0) hideNetworkActivityIndicator();
}
