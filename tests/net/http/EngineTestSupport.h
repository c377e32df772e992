// Helpers of the HTTP engine tests: pumping the main loop, a delegate that records what it
// hears, one request run to its end, a recorder of the usage-log events on the bus, and the
// files of a folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "core/NSMsgSend.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestDelegate.h"
#include "net/http/HXProgressDelegate.h"

namespace enginetest {

// Runs the main loop (real time) until done() holds; false after `seconds`.
inline bool runMainLoopUntil(const std::function<bool()>& done, double seconds = 30) {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  auto loop = NSRunLoop::mainRunLoop();
  // Something to wait on, so that an idle loop sleeps instead of spinning.
  static auto keepAlive = loop->addKeepAliveSource(NSDefaultRunLoopMode);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    loop->runInMode(NSDefaultRunLoopMode, 0.05, true);
  }
  return true;
}

// Runs the main loop for a while, for checking that nothing happens.
inline void runMainLoopFor(double seconds) {
  runMainLoopUntil([] { return false; }, seconds);
}

// The paths of the files in a folder, sorted.
inline std::vector<std::string> filesIn(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto& e : std::filesystem::directory_iterator(dir, ec)) names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline std::shared_ptr<NSURL> url(const std::string& text) {
  return NSURL::URLWithString(text);
}

// A body the request handed out, or the fallback when there is none.
inline std::string bodyOr(const HXHTTPRequest::Body& body, std::string_view fallback = "") {
  return body ? *body : std::string(fallback);
}

class RecordingDelegate : public NSObject, public HXHTTPRequestDelegate {
 public:
  std::vector<std::string> events;
  bool allOnMainThread = true;
  bool finished = false;
  bool failed = false;
  ValueDictionary headers;
  std::string data;
  bool takeData = false;
  bool confirmRedirects = false;
  std::function<void(const std::shared_ptr<HXHTTPRequest>&, const std::shared_ptr<NSURL>&)>
      onRedirectConfirmation;

  bool done() const { return finished || failed; }

  void requestStarted(const std::shared_ptr<HXHTTPRequest>&) override { note("started"); }
  void requestDidReceiveResponseHeaders(const std::shared_ptr<HXHTTPRequest>&,
                                        const ValueDictionary& h) override {
    note("headers");
    headers = h;
  }
  void requestWillRedirectToURL(const std::shared_ptr<HXHTTPRequest>& request,
                                const std::shared_ptr<NSURL>& newURL) override {
    note("willRedirect " + (newURL ? newURL->absoluteString() : std::string("nil")));
    if (onRedirectConfirmation) onRedirectConfirmation(request, newURL);
  }
  void requestRedirected(const std::shared_ptr<HXHTTPRequest>&) override { note("redirected"); }
  void requestFinished(const std::shared_ptr<HXHTTPRequest>&) override {
    note("finished");
    finished = true;
  }
  void requestFailed(const std::shared_ptr<HXHTTPRequest>&) override {
    note("failed");
    failed = true;
  }
  void requestDidReceiveData(const std::shared_ptr<HXHTTPRequest>&,
                             const std::string& piece) override {
    note("data");
    data += piece;
  }
  bool respondsToSelector(std::string_view name) const override {
    if (name == "request:didReceiveData:") return takeData;
    if (name == "request:willRedirectToURL:") return confirmRedirects;
    return HXHTTPRequestDelegate::respondsToSelector(name);
  }

 private:
  void note(std::string e) {
    events.push_back(std::move(e));
    if (!NSThread::isMainThread()) allOnMainThread = false;
  }
};

class RecordingProgress : public NSObject, public HXProgressDelegate {
 public:
  std::vector<int64_t> received;
  std::vector<int64_t> downloadSizeIncrements;
  std::vector<float> progress;
  void setProgress(float p) override { progress.push_back(p); }
  void requestDidReceiveBytes(const std::shared_ptr<HXHTTPRequest>&, int64_t bytes) override {
    received.push_back(bytes);
  }
  void requestIncrementDownloadSizeBy(const std::shared_ptr<HXHTTPRequest>&,
                                      int64_t length) override {
    downloadSizeIncrements.push_back(length);
  }
};

// One request with a recording delegate.
struct Exchange {
  std::shared_ptr<HXHTTPRequest> request;
  std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>();

  explicit Exchange(const std::string& u) : request(HXHTTPRequest::requestWithURL(url(u))) {
    request->setDelegate(delegate);
  }
  // Starts asynchronously and waits for the finish or the failure.
  Exchange& run(double seconds = 30) {
    request->startAsynchronous();
    EXPECT_TRUE(runMainLoopUntil([&] { return delegate->done(); }, seconds));
    return *this;
  }
};

// The usage events posted on "log_action" while it lives.
class UsageLogRecorder {
 public:
  struct Event {
    int32_t type;
    Value data;
  };
  UsageLogRecorder() : token_(std::make_shared<int>(0)) {
    NSNotificationCenter::defaultCenter()->addObserver(
        token_,
        [this](const NSNotificationPtr& n) {
          if (auto msg = NSMsgSend::fromNotification(Value(n)))
            events.push_back({msg->type, msg->data});
        },
        "log_action");
  }
  ~UsageLogRecorder() { NSNotificationCenter::defaultCenter()->removeObserver(token_); }
  std::vector<Event> events;

 private:
  std::shared_ptr<int> token_;
};

}  // namespace enginetest
