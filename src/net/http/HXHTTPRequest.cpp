#include "net/http/HXHTTPRequest.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cinttypes>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPReadStream.h"
#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/CFWriteStream.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "CFNetwork/NSURLCredentialStorage.h"
#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSException.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUUID.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIDevice.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "net/http/HXCacheDelegate.h"
#include "net/http/HXDataCompressor.h"
#include "net/http/HXDataDecompressor.h"
#include "net/http/HXHTTPRequestDelegate.h"
#include "net/http/HXProgressDelegate.h"
#include "net/http/Reachability.h"

namespace {

constexpr unsigned kStreamEvents =
    kCFStreamEventHasBytesAvailable | kCFStreamEventErrorOccurred | kCFStreamEventEndEncountered;
constexpr std::string_view kStreamIDProperty = "HXStreamID";
constexpr size_t kMaxReadBuffer = 262144;
constexpr std::string_view kLogActionNotification = "log_action";

// State shared by every request, made once and never released.
struct ClassState {
  // The lock on the class object: network thread creation, default user agent and cache.
  std::mutex classLock;
  std::shared_ptr<NSThread> networkThread;
  // Read without the lock once made.
  std::atomic<std::shared_ptr<NSThread>> networkThreadFast;
  std::shared_ptr<NSOperationQueue> sharedQueue;

  std::recursive_mutex connectionsLock;
  unsigned runningRequestCount = 0;
  bool shouldUpdateNetworkActivityIndicator = true;
  std::vector<std::shared_ptr<HXConnectionInfo>> pool;
  int64_t nextConnectionNumber = 0;
  int64_t nextRequestID = 0;

  std::recursive_mutex progressLock;

  std::mutex bandwidthThrottlingLock;
  unsigned long maxBandwidthPerSecond = 0;
  unsigned long bandwidthUsedInLastSecond = 0;
  // YES while throttling only on WWAN is on and the link is WWAN.
  bool isThrottlingWWAN = false;

  std::recursive_mutex sessionCookiesLock;
  std::optional<HXHTTPRequest::Cookies> sessionCookies;

  std::recursive_mutex sessionCredentialsLock;
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

  ClassState() {
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
};

ClassState& cls() {
  static ClassState* state = new ClassState;
  return *state;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// A response header by name, whatever the case of its spelling.
std::optional<std::string> headerValue(const ValueDictionary& headers, std::string_view name) {
  if (!headers) return std::nullopt;
  Value v = headers->objectForKey(name);
  if (v.isString()) return v.string();
  std::optional<std::string> found;
  headers->enumerate([&](const std::string& key, const Value& value) {
    if (!found && equalsIgnoringASCIICase(key, name)) found = value.description();
  });
  return found;
}

double poolNow() {
  return realClock()->now();
}

std::string uniqueTemporaryPath() {
  return stringByAppendingPathComponent(NSTemporaryDirectory(), NSUUID::createString());
}

bool sameURL(const std::shared_ptr<NSURL>& a, const std::shared_ptr<NSURL>& b) {
  if (!a || !b) return a == b;
  return a->absoluteString() == b->absoluteString();
}

bool fileExists(const std::string& path) {
  return !path.empty() && NSFileManager::defaultManager().fileExistsAtPath(path);
}

// The URL of a failure report, without what may carry secrets: user information, query and
// fragment.
std::string reportableURL(const std::shared_ptr<NSURL>& url) {
  if (!url) return "(null)";
  std::string s = url->absoluteString();
  size_t cut = s.find_first_of("?#");
  if (cut != std::string::npos) s.erase(cut);
  size_t scheme = s.find("://");
  if (scheme != std::string::npos) {
    size_t authority = scheme + 3;
    size_t end = s.find('/', authority);
    size_t at = s.rfind('@', end == std::string::npos ? s.size() : end);
    if (at != std::string::npos && at >= authority) s.erase(authority, at + 1 - authority);
  }
  return s;
}

std::string currentLocaleIdentifier() {
  for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    std::string s(v);
    s = s.substr(0, s.find_first_of(".@"));
    if (s.size() >= 5 && s[2] == '_') return s;
    break;
  }
  return "en_US";
}

const std::map<std::string, std::string>& mimeTypesByExtension() {
  static const std::map<std::string, std::string> types = {
      {"aac", "audio/aac"},
      {"aif", "audio/aiff"},
      {"aiff", "audio/aiff"},
      {"avi", "video/avi"},
      {"bmp", "image/bmp"},
      {"caf", "audio/x-caf"},
      {"css", "text/css"},
      {"csv", "text/csv"},
      {"doc", "application/msword"},
      {"gif", "image/gif"},
      {"gz", "application/x-gzip"},
      {"htm", "text/html"},
      {"html", "text/html"},
      {"ico", "image/vnd.microsoft.icon"},
      {"jpeg", "image/jpeg"},
      {"jpg", "image/jpeg"},
      {"js", "application/javascript"},
      {"json", "application/json"},
      {"m4a", "audio/mp4"},
      {"m4v", "video/x-m4v"},
      {"mov", "video/quicktime"},
      {"mp3", "audio/mpeg"},
      {"mp4", "video/mp4"},
      {"pdf", "application/pdf"},
      {"plist", "application/x-plist"},
      {"png", "image/png"},
      {"rtf", "text/rtf"},
      {"svg", "image/svg+xml"},
      {"tif", "image/tiff"},
      {"tiff", "image/tiff"},
      {"txt", "text/plain"},
      {"wav", "audio/wav"},
      {"xml", "application/xml"},
      {"zip", "application/zip"},
  };
  return types;
}

}  // namespace

struct HXHTTPRequest::Blocks {
  PropertyLock mutex;  // held for a copy or an assignment of one closure
  BasicBlock started, completion, failure, authenticationNeeded, proxyAuthenticationNeeded,
      requestRedirected;
  HeadersBlock headersReceived;
  ProgressBlock bytesReceived, bytesSent;
  SizeBlock downloadSizeIncremented, uploadSizeIncremented;
  DataBlock dataReceived;

  template <class F>
  F get(F Blocks::*field) {
    std::lock_guard<PropertyLock> lock(mutex);
    return this->*field;
  }
};

// ---- construction ------------------------------------------------------------------------------

HXHTTPRequest::HXHTTPRequest(Private, std::shared_ptr<NSURL> url)
    : blocks_(std::make_unique<Blocks>()) {
  requestMethod_ = "GET";
  runLoopMode_ = std::make_shared<const std::string>(NSDefaultRunLoopMode);
  shouldAttemptPersistentConnection_ = true;
  persistentConnectionTimeoutSeconds_ = 60.0;
  shouldPresentCredentialsBeforeChallenge_ = true;
  shouldRedirect_ = true;
  showAccurateProgress_ = true;
  shouldResetDownloadProgress_ = true;
  shouldResetUploadProgress_ = true;
  allowCompressedResponse_ = true;
  shouldWaitToInflateCompressedResponses_ = true;
  defaultResponseEncoding_ = NSISOLatin1StringEncoding;
  shouldPresentProxyAuthenticationDialog_ = true;
  timeOutSeconds_ = defaultTimeOutSeconds();
  useSessionPersistence_ = true;
  useCookiePersistence_ = true;
  validatesSecureCertificate_ = true;
  requestCookies_.clear();
  didStartSelector_ = Selector("requestStarted:", {}, {});
  didReceiveResponseHeadersSelector_ = Selector("request:didReceiveResponseHeaders:", {}, {});
  willRedirectSelector_ = Selector("request:willRedirectToURL:", {}, {});
  didFinishSelector_ = Selector("requestFinished:", {}, {});
  didFailSelector_ = Selector("requestFailed:", {}, {});
  didReceiveDataSelector_ = Selector("request:didReceiveData:", {}, {});
  setURL(std::move(url));
  downloadCache_ = defaultCache();
}

namespace {
void toMainThread(std::function<void()> block);
}  // namespace

HXHTTPRequest::~HXHTTPRequest() {
  authenticationNeeded_ = 0;
  requestAuthentication_.reset();
  proxyAuthentication_.reset();
  request_.reset();
  clientCertificateIdentity_.reset();
  cancelLoad();
  redirectURL_.reset();
  if (statusTimer_) statusTimer_->invalidate();
  // Closures are released on the main thread, where they were meant to run.
  if (blocks_ && !NSThread::isMainThread()) {
    auto blocks = std::make_shared<std::unique_ptr<Blocks>>(std::move(blocks_));
    toMainThread([blocks] { blocks->reset(); });
  }
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::requestWithURL(std::shared_ptr<NSURL> url) {
  return std::make_shared<HXHTTPRequest>(Private{}, std::move(url));
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::requestWithURL(
    std::shared_ptr<NSURL> url, std::shared_ptr<HXCacheDelegate> cache) {
  return requestWithURL(std::move(url), std::move(cache), 0);
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::requestWithURL(std::shared_ptr<NSURL> url,
                                                             std::shared_ptr<HXCacheDelegate> cache,
                                                             int cachePolicy) {
  auto r = requestWithURL(std::move(url));
  r->setDownloadCache(cache);
  r->setCachePolicy(cachePolicy);
  return r;
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::newRequestOfSameClass(
    std::shared_ptr<NSURL> url) const {
  return requestWithURL(std::move(url));
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::selfPtr() {
  return std::static_pointer_cast<HXHTTPRequest>(weak_from_this().lock());
}

double HXHTTPRequest::now() const {
  return NSRunLoop::currentRunLoop()->clock()->now();
}

// ---- hand-overs --------------------------------------------------------------------------------

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

// Every hand-over of the engine to the main thread goes through here, so that they keep
// their order.  From the main thread the block runs at once.
void toMainThread(std::function<void()> block) {
  if (tMainThreadBatch) {
    tMainThreadBatch->add(std::move(block));
    return;
  }
  ::performOnMainThread(std::move(block), NSThread::isMainThread());
}
}  // namespace

void HXHTTPRequest::performOnMainThread(std::function<void()> block) {
  toMainThread(std::move(block));
}

void HXHTTPRequest::performOnMain(void (HXHTTPRequest::*step)()) {
  auto self = selfPtr();
  if (!self) return;
  performOnMainThread([self, step] { ((*self).*step)(); });
}

void HXHTTPRequest::performOnNetworkThread(void (HXHTTPRequest::*step)()) {
  auto self = selfPtr();
  if (!self) return;
  // The network thread's loop runs in the default mode only; the common modes include it.
  performOnThread(
      threadForRequest(self), [self, step] { ((*self).*step)(); }, false);
}

template <class F>
bool HXHTTPRequest::hasInformationalReceiver(F Blocks::*block) const {
  // Without a delegate, a queue or the closure, the main thread's step would do nothing: the
  // hand-over is spared.  Receivers are set before the start.
  if (delegate() || queue()) return true;
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  return bool(blocks_.get()->*block);
}

bool HXHTTPRequest::delegateResponds(const Selector& selector) const {
  auto d = delegate();
  if (!d || selector.name().empty()) return false;
  if (selector.isSet()) return selector.targetAlive();
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(d.get());
  return protocol && protocol->respondsToSelector(selector.name());
}

void HXHTTPRequest::sendToDelegate(
    const Selector& selector, const Value& secondArgument,
    const std::function<void(HXHTTPRequestDelegate&)>& protocolCall) {
  if (!delegateResponds(selector)) return;
  auto self = selfPtr();
  if (selector.isSet()) {
    if (secondArgument.isNil())
      selector(Value(self));
    else
      selector(Value::arrayOf({Value(self), secondArgument}));
    return;
  }
  auto d = delegate();
  if (auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(d.get())) protocolCall(*protocol);
}

namespace {
// The request's message named by a selector, sent to a protocol receiver.
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
    d.requestDidReceiveData(request, argument.bytes());
  else if (name == "authenticationNeededForRequest:")
    d.authenticationNeededForRequest(request);
  else if (name == "proxyAuthenticationNeededForRequest:")
    d.proxyAuthenticationNeededForRequest(request);
}

// The queue's fixed selector, when the queue answers it.
void sendToQueue(const std::shared_ptr<NSObject>& queue, std::string_view name,
                 const std::shared_ptr<HXHTTPRequest>& request, const Value& argument = {}) {
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(queue.get());
  if (protocol && protocol->respondsToSelector(name))
    callProtocol(*protocol, name, request, argument);
}

bool queueResponds(const std::shared_ptr<NSObject>& queue, std::string_view name) {
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(queue.get());
  return protocol && protocol->respondsToSelector(name);
}
}  // namespace

// ---- class-wide defaults and header utilities ---------------------------------------------------

double HXHTTPRequest::defaultTimeOutSeconds() {
  return cls().defaultTimeOutSeconds;
}

void HXHTTPRequest::setDefaultTimeOutSeconds(double seconds) {
  cls().defaultTimeOutSeconds = seconds;
}

std::optional<std::string> HXHTTPRequest::defaultUserAgentString() {
  std::lock_guard<std::mutex> lock(cls().classLock);
  if (cls().userAgentBuilt) return cls().defaultUserAgent;
  auto agent = userAgentForBundle(*NSBundle::mainBundle());
  if (!agent) return std::nullopt;
  cls().defaultUserAgent = agent;
  cls().userAgentBuilt = true;
  return agent;
}

std::optional<std::string> HXHTTPRequest::userAgentForBundle(const NSBundle& bundle) {
  Value name = bundle.objectForInfoDictionaryKey("CFBundleDisplayName");
  if (!name.isString()) name = bundle.objectForInfoDictionaryKey("CFBundleName");
  // The header carries the name's UTF-8 bytes as they are.
  std::string appName = name.isString() ? name.string() : std::string();
  if (appName.empty()) return std::nullopt;
  Value shortVersion = bundle.objectForInfoDictionaryKey("CFBundleShortVersionString");
  Value buildVersion = bundle.objectForInfoDictionaryKey("CFBundleVersion");
  std::string version;
  if (shortVersion.isString() && buildVersion.isString()) {
    version = shortVersion.string() == buildVersion.string()
                  ? shortVersion.string()
                  : shortVersion.string() + " rv:" + buildVersion.string();
  } else if (shortVersion.isString()) {
    version = shortVersion.string();
  } else if (buildVersion.isString()) {
    version = buildVersion.string();
  }
  auto device = UIDevice::currentDevice();
  return stringWithFormat("%@ %@ (%@; %@ %@; %@)", appName, version, device->model(),
                          device->systemName(), device->systemVersion(), currentLocaleIdentifier());
}

void HXHTTPRequest::setDefaultUserAgentString(std::optional<std::string> agent) {
  std::lock_guard<std::mutex> lock(cls().classLock);
  if (cls().userAgentBuilt && cls().defaultUserAgent == agent) return;
  cls().defaultUserAgent = std::move(agent);
  cls().userAgentBuilt = true;
}

std::optional<std::string> HXHTTPRequest::mimeTypeForFileAtPath(const std::string& path) {
  if (!fileExists(path)) return std::nullopt;
  auto it = mimeTypesByExtension().find(lower(pathExtension(path)));
  if (it != mimeTypesByExtension().end()) return it->second;
  return "application/octet-stream";
}

std::string HXHTTPRequest::base64forData(std::string_view data) {
  static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(data[i])) << 16;
    if (i + 1 < data.size()) v |= uint32_t(uint8_t(data[i + 1])) << 8;
    if (i + 2 < data.size()) v |= uint32_t(uint8_t(data[i + 2]));
    out += table[(v >> 18) & 63];
    out += table[(v >> 12) & 63];
    out += i + 1 < data.size() ? table[(v >> 6) & 63] : '=';
    out += i + 2 < data.size() ? table[v & 63] : '=';
  }
  return out;
}

std::optional<double> HXHTTPRequest::expiryDateForRequest(const HXHTTPRequest& request,
                                                          double maxAge) {
  ValueDictionary headers = request.responseHeaders();
  if (maxAge == 0) {
    if (auto cacheControl = headerValue(headers, "Cache-Control")) {
      std::string cc = lower(*cacheControl);
      size_t at = cc.find("max-age");
      if (at != std::string::npos) {
        std::string_view rest = std::string_view(cc).substr(at + 7);
        rest = trimmed(rest);
        if (!rest.empty() && rest.front() == '=') rest.remove_prefix(1);
        std::string number(trimmed(rest));
        char* end = nullptr;
        double value = std::strtod(number.c_str(), &end);
        if (end != number.c_str()) maxAge = value;
      }
    }
  }
  if (maxAge != 0) return ClockNow() + maxAge;
  if (auto expires = headerValue(headers, "Expires")) return dateFromRFC1123String(*expires);
  return std::nullopt;
}

std::optional<double> HXHTTPRequest::dateFromRFC1123String(std::string_view string) {
  NSDateFormatter formatter;
  formatter.setLocale("en_US_POSIX");
  bool weekday = string.find(',') != std::string_view::npos;
  bool seconds = componentsSeparatedByString(string, ":").size() == 3;
  formatter.setDateFormat(
      stringWithFormat("%@dd MMM yyyy HH:mm%@ z", weekday ? "EEE, " : "", seconds ? ":ss" : ""));
  auto date = formatter.dateFromString(string);
  if (!date) return std::nullopt;
  return date->secondsSince1970;
}

void HXHTTPRequest::parseMimeType(std::string* mimeType, NSStringEncoding* stringEncoding,
                                  const std::optional<std::string>& contentType) {
  if (!contentType) return;
  std::string_view text = *contentType;
  // As the platform's scanner: leading blanks are skipped before each scan.
  std::string_view afterBlanks = trimmed(text);
  size_t semi = afterBlanks.find(';');
  if (afterBlanks.empty() || semi == 0 || semi == std::string_view::npos) {
    if (mimeType) *mimeType = std::string(trimmed(text));
    return;
  }
  if (mimeType) *mimeType = std::string(trimmed(afterBlanks.substr(0, semi)));
  std::string_view rest = afterBlanks.substr(semi);
  size_t charset = lower(rest).find("charset=");
  if (charset == std::string::npos) return;
  rest = rest.substr(charset + 8);
  std::string name(trimmed(rest.substr(0, rest.find(';'))));
  CFStringEncoding cf = CFStringConvertIANACharSetNameToEncoding(name);
  if (cf != kCFStringEncodingInvalidId && stringEncoding)
    *stringEncoding = CFStringConvertEncodingToNSStringEncoding(cf);
}

// ---- the network thread, the shared queue and the activity indicator ---------------------------

namespace {
// The network thread never ends; at exit it is parked in a block of its own so that it does
// not run into the process's statics while they are destroyed.
void parkNetworkThreadAtExit() {
  auto thread = cls().networkThreadFast.load();
  if (!thread) return;
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

std::shared_ptr<NSThread> HXHTTPRequest::threadForRequest(const std::shared_ptr<HXHTTPRequest>&) {
  if (auto thread = cls().networkThreadFast.load()) return thread;
  std::lock_guard<std::mutex> lock(cls().classLock);
  if (!cls().networkThread) {
    // What the thread's loop reads exists before the exit hook, so it is destroyed after it.
    realClock();
    processClock();
    UIApplication::sharedApplication();  // the activity indicator's owner
    auto thread = std::make_shared<NSThread>([] {
      auto loop = NSRunLoop::currentRunLoop();
      // Something to wait on, so that the loop never runs out of sources.
      loop->addKeepAliveSource(NSDefaultRunLoopMode);
      MainThreadBatch batch;
      tMainThreadBatch = &batch;
      for (;;) {
        // Busy: one source at a time without waiting; the main thread's batch goes out when
        // it is old enough.
        if (loop->runInMode(NSDefaultRunLoopMode, 0, true) == CFRunLoopRunResult::HandledSource) {
          if (batch.due()) batch.flush();
          continue;
        }
        // Nothing to do: the main thread gets its batch before this thread waits.
        batch.flush();
        loop->runInMode(NSDefaultRunLoopMode, 1.0e10, true);
      }
    });
    thread->start();
    cls().networkThread = thread;
    cls().networkThreadFast.store(thread);
    std::atexit(parkNetworkThreadAtExit);
  }
  return cls().networkThread;
}

std::shared_ptr<NSOperationQueue> HXHTTPRequest::sharedQueue() {
  return cls().sharedQueue;
}

bool HXHTTPRequest::isMultitaskingSupported() {
  // The device stand-in cannot answer the multitasking question.
  return false;
}

bool HXHTTPRequest::isNetworkInUse() {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  return cls().runningRequestCount > 0;
}

void HXHTTPRequest::setShouldUpdateNetworkActivityIndicator(bool shouldUpdate) {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
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
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  if (cls().runningRequestCount == 0) hideNetworkActivityIndicator();
}

// ---- starting and stopping ----------------------------------------------------------------------

void HXHTTPRequest::startAsynchronous() {
  isStarted_ = true;
  isCanceledRequest_ = false;
  auto self = selfPtr();
  if (!self) return;
  try {
    sharedQueue()->addOperation(self);
  } catch (const NSException&) {
    // A request is used once: starting it again changes nothing.
  }
}

void HXHTTPRequest::start() {
  isStarted_ = true;
  isCanceledRequest_ = false;
  inProgress_ = true;
  setExecuting(true);
  performOnNetworkThread(&HXHTTPRequest::main);
}

void HXHTTPRequest::startSynchronous() {
  isStarted_ = true;
  isCanceledRequest_ = false;
  setSynchronous(true);
  setRunLoopMode(std::string(HXHTTPRequestRunLoopMode));
  inProgress_ = true;
  if (!isCancelled() && !complete_) {
    main();
    auto loop = NSRunLoop::currentRunLoop();
    while (!complete_) loop->runInMode(runLoopMode(), NSRunLoop::kDistantFuture, true);
  }
  inProgress_ = false;
  // The private mode will not run again for this request: its timer goes now.
  setStatusTimer(nullptr);
}

void HXHTTPRequest::cancel() {
  performOnNetworkThread(&HXHTTPRequest::cancelOnRequestThread);
}

bool HXHTTPRequest::isCancelled() const {
  return cancelled_;
}

void HXHTTPRequest::cancelOnRequestThread() {
  auto self = selfPtr();
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  isCanceledRequest_ = true;
  if (cancelled_ || complete_) return;
  failWithError(cls().requestCancelledError);
  complete_ = true;
  cancelLoad();
  cancelled_ = true;
}

void HXHTTPRequest::clearDelegatesAndCancel() {
  {
    std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
    {
      std::lock_guard<PropertyLock> plock(propertyLock_);
      delegate_.reset();
      queue_.reset();
      uploadProgressDelegate_.reset();
      downloadProgressDelegate_.reset();
    }
    auto released = std::make_shared<Blocks>();
    {
      std::lock_guard<PropertyLock> blockLock(blocks_->mutex);
      std::swap(released->started, blocks_->started);
      std::swap(released->completion, blocks_->completion);
      std::swap(released->failure, blocks_->failure);
      std::swap(released->authenticationNeeded, blocks_->authenticationNeeded);
      std::swap(released->proxyAuthenticationNeeded, blocks_->proxyAuthenticationNeeded);
      std::swap(released->requestRedirected, blocks_->requestRedirected);
      std::swap(released->headersReceived, blocks_->headersReceived);
      std::swap(released->bytesReceived, blocks_->bytesReceived);
      std::swap(released->bytesSent, blocks_->bytesSent);
      std::swap(released->downloadSizeIncremented, blocks_->downloadSizeIncremented);
      std::swap(released->uploadSizeIncremented, blocks_->uploadSizeIncremented);
      std::swap(released->dataReceived, blocks_->dataReceived);
    }
    performOnMainThread([released]() mutable { released.reset(); });
  }
  cancel();
}

void HXHTTPRequest::cancelLoad() {
  destroyReadStream();
  if (postBodyReadStream_) {
    postBodyReadStream_->close();
    postBodyReadStream_.reset();
  }
  if (downloadDestinationPath().empty()) {
    if (!complete_) setRawResponseData(std::nullopt);
  } else {
    if (fileDownloadOutputStream_) fileDownloadOutputStream_->close();
    if (inflatedFileDownloadOutputStream_) inflatedFileDownloadOutputStream_->close();
    fileDownloadOutputStream_.reset();
    inflatedFileDownloadOutputStream_.reset();
    // A transfer torn down before its end leaves nothing behind, unless it may resume later;
    // a completed one has moved its file already.
    if (!allowResumeForFileDownloads_) removeTemporaryDownloadFile();
    removeTemporaryUncompressedDownloadFile();
  }
  if (!authenticationNeeded_ && !willRetryRequest_) {
    if (didCreateTemporaryPostDataFile_) {
      if (postBodyWriteStream_) postBodyWriteStream_->close();
      postBodyWriteStream_.reset();
      removeTemporaryUploadFile();
      removeTemporaryCompressedUploadFile();
      didCreateTemporaryPostDataFile_ = false;
    }
  }
}

// ---- building -----------------------------------------------------------------------------------

void HXHTTPRequest::addRequestHeader(std::string_view header, std::string_view value) {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  if (!requestHeaders_) requestHeaders_ = makeDictionary();
  requestHeaders_->setObject(Value(value), header);
}

void HXHTTPRequest::setupPostBody() {
  if (shouldStreamPostDataFromDisk_) {
    if (postBodyFilePath().empty()) {
      setPostBodyFilePath(uniqueTemporaryPath());
      didCreateTemporaryPostDataFile_ = true;
    }
    if (!postBodyWriteStream_) {
      postBodyWriteStream_ = CFWriteStream::createWithFile(postBodyFilePath(), false);
      postBodyWriteStream_->open();
    }
  } else {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    if (!postBody_) postBody_ = std::string();
  }
}

void HXHTTPRequest::appendPostData(std::string_view data) {
  setupPostBody();
  if (data.empty()) return;
  if (shouldStreamPostDataFromDisk_) {
    postBodyWriteStream_->write(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  } else {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    postBody_->append(data);
  }
}

void HXHTTPRequest::appendPostDataFromFile(const std::string& file) {
  setupPostBody();
  auto stream = CFReadStream::createWithFile(file);
  if (!stream->open()) return;
  std::string buffer(262144, '\0');
  for (;;) {
    long n = stream->read(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size());
    if (n <= 0) break;
    appendPostData(std::string_view(buffer.data(), size_t(n)));
  }
  stream->close();
}

void HXHTTPRequest::buildPostBody() {
  if (haveBuiltPostBody_) return;
  if (!postBodyFilePath().empty()) {
    if (postBodyWriteStream_) {
      postBodyWriteStream_->close();
      postBodyWriteStream_.reset();
    }
    std::string path = postBodyFilePath();
    if (shouldCompressRequestBody_) {
      if (compressedPostBodyFilePath_.empty()) {
        compressedPostBodyFilePath_ = uniqueTemporaryPath();
        NSErrorPtr err;
        if (!HXDataCompressor::compressDataFromFile(path, compressedPostBodyFilePath_, &err)) {
          failWithError(err);
          return;
        }
      }
      path = compressedPostBodyFilePath_;
    }
    NSErrorPtr err;
    Value attributes = NSFileManager::defaultManager().attributesOfItemAtPath(path, &err);
    if (attributes.isNil()) {
      failWithError(
          fileError(stringWithFormat("Failed to get attributes for file at path '%@'", path), err));
      return;
    }
    postLength_ = attributes[NSFileSize].unsignedLongLongValue();
  } else {
    auto body = postBody();
    if (shouldCompressRequestBody_ && body) {
      NSErrorPtr err;
      auto compressed = HXDataCompressor::compressData(*body, &err);
      if (err) {
        failWithError(err);
        return;
      }
      compressedPostBody_ = compressed.value_or(std::string());
      postLength_ = compressedPostBody_->size();
    } else {
      postLength_ = body ? body->size() : 0;
    }
  }
  if (postLength_ > 0) {
    std::string method = requestMethod();
    if (method == "GET" || method == "DELETE" || method == "HEAD") setRequestMethod("POST");
    addRequestHeader("Content-Length", std::to_string(postLength_.load()));
  }
  haveBuiltPostBody_ = true;
}

void HXHTTPRequest::buildRequestHeaders() {
  if (haveBuiltRequestHeaders_) return;
  haveBuiltRequestHeaders_ = true;
  if (auto main = mainRequest()) {
    if (auto headers = main->requestHeaders())
      headers->enumerate(
          [this](const std::string& k, const Value& v) { addRequestHeader(k, v.description()); });
    return;
  }
  applyCookieHeader();
  auto headers = requestHeaders();
  if (!headers || headers->objectForKey("User-Agent").isNil()) {
    std::optional<std::string> agent = userAgent();
    if (!agent) agent = defaultUserAgentString();
    if (agent) addRequestHeader("User-Agent", *agent);
  }
  if (allowCompressedResponse_) addRequestHeader("Accept-Encoding", "gzip");
  if (shouldCompressRequestBody_) addRequestHeader("Content-Encoding", "gzip");
  updatePartialDownloadSize();
  if (partialDownloadSize_ > 0)
    addRequestHeader(
        "Range", stringWithFormat("bytes=%llu-", (unsigned long long)partialDownloadSize_.load()));
}

void HXHTTPRequest::applyCookieHeader() {
  auto u = url();
  if (useCookiePersistence_ && u) {
    auto absolute = u->baseURL() ? u->absoluteURL() : u;
    auto stored = NSHTTPCookieStorage::sharedHTTPCookieStorage().cookiesForURL(*absolute);
    std::lock_guard<PropertyLock> lock(propertyLock_);
    requestCookies_.insert(requestCookies_.end(), stored.begin(), stored.end());
  }
  auto main = mainRequest();
  Cookies cookies = main ? main->requestCookies() : requestCookies();
  if (cookies.empty()) return;
  std::string header;
  for (auto& c : cookies) {
    if (header.empty())
      header = stringWithFormat("%@=%@", c->name(), c->value());
    else
      header = stringWithFormat("%@; %@=%@", header, c->name(), c->value());
  }
  addRequestHeader("Cookie", header);
}

void HXHTTPRequest::updatePartialDownloadSize() {
  if (!allowResumeForFileDownloads_) return;
  std::string temp = temporaryFileDownloadPath();
  if (downloadDestinationPath().empty() || temp.empty() || !fileExists(temp)) return;
  NSErrorPtr err;
  Value attributes = NSFileManager::defaultManager().attributesOfItemAtPath(temp, &err);
  if (attributes.isNil()) {
    failWithError(
        fileError(stringWithFormat("Failed to get attributes for file at path '%@'", temp), err));
    return;
  }
  partialDownloadSize_ = attributes[NSFileSize].unsignedLongLongValue();
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::HEADRequest() {
  auto head = newRequestOfSameClass(url());
  head->setRequestMethod("HEAD");
  head->setMainRequest(selfPtr());
  if (auto headers = requestHeaders()) head->setRequestHeaders(headers->mutableCopy());
  head->setRequestCookies(requestCookies());
  head->setUseCookiePersistence(useCookiePersistence_);
  head->setUseKeychainPersistence(useKeychainPersistence_);
  head->setUseSessionPersistence(useSessionPersistence_);
  head->setAllowCompressedResponse(allowCompressedResponse_);
  head->setUsername(username());
  head->setPassword(password());
  head->setDomain(domain());
  head->setProxyUsername(proxyUsername());
  head->setProxyPassword(proxyPassword());
  head->setProxyDomain(proxyDomain());
  head->setProxyHost(proxyHost());
  head->setProxyPort(proxyPort_);
  head->setProxyType(proxyType());
  head->setShouldPresentAuthenticationDialog(shouldPresentAuthenticationDialog_);
  head->setShouldPresentProxyAuthenticationDialog(shouldPresentProxyAuthenticationDialog_);
  head->setTimeOutSeconds(timeOutSeconds_);
  head->setUseHTTPVersionOne(useHTTPVersionOne_);
  head->setValidatesSecureCertificate(validatesSecureCertificate_);
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    head->clientCertificateIdentity_ = clientCertificateIdentity_;
    head->clientCertificates_ = clientCertificates_;
    head->PACurl_ = PACurl_;
  }
  head->setShouldPresentCredentialsBeforeChallenge(shouldPresentCredentialsBeforeChallenge_);
  head->setNumberOfTimesToRetryOnTimeout(numberOfTimesToRetryOnTimeout_);
  head->setShouldUseRFC2616RedirectBehaviour(shouldUseRFC2616RedirectBehaviour_);
  head->setShouldAttemptPersistentConnection(shouldAttemptPersistentConnection_);
  head->setPersistentConnectionTimeoutSeconds(persistentConnectionTimeoutSeconds_);
  return head;
}

// ---- main and sending ---------------------------------------------------------------------------

void HXHTTPRequest::main() {
  auto self = selfPtr();
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  try {
    // No background task: the platform here cannot run one (isMultitaskingSupported is NO).
    if (error()) {
      complete_ = true;
      markAsFinished();
      return;
    }
    complete_ = false;
    didUseCachedResponse_ = false;
    auto u = url();
    if (!u) {
      failWithError(cls().unableToCreateRequestError);
      return;
    }
    if (!mainRequest()) {
      buildPostBody();
      if (error()) return;
      if (requestMethod() != "GET") downloadCache_.reset();
    }
    request_.reset();
    request_ =
        CFHTTPMessage::createRequest(requestMethod(), u->absoluteString(),
                                     useHTTPVersionOne_ ? kCFHTTPVersion1_0 : kCFHTTPVersion1_1);
    if (!request_) {
      failWithError(cls().unableToCreateRequestError);
      return;
    }
    if (auto main = mainRequest()) main->buildRequestHeaders();
    buildRequestHeaders();
    if (error()) return;
    if (reapplyCookieHeader_) {
      reapplyCookieHeader_ = false;
      applyCookieHeader();
    }

    if (auto cache = downloadCache()) {
      if (cachePolicy_ == 0) cachePolicy_ = cache->defaultCachePolicy();
      if (cache->canUseCachedDataForRequest(self)) {
        useDataFromCache();
        return;
      }
      if ((cachePolicy_ & 4) || (cachePolicy_ & 8)) {
        if (auto cached = cache->cachedResponseHeadersForURL(u)) {
          if (auto etag = headerValue(cached, "Etag")) addRequestHeader("If-None-Match", *etag);
          if (auto modified = headerValue(cached, "Last-Modified"))
            addRequestHeader("If-Modified-Since", *modified);
        }
      }
    }

    applyAuthorizationHeader();
    if (auto headers = requestHeaders()) {
      headers->enumerate([this](const std::string& k, const Value& v) {
        request_->setHeaderFieldValue(k, v.description());
      });
    }
    // Proxies: only the ones the request names, which are known at once.
    startRequest();
  } catch (const NSException& e) {
    auto info =
        makeDictionary({{std::string(NSLocalizedDescriptionKey), Value(e.name())},
                        {std::string(NSLocalizedFailureReasonErrorKey), Value(e.reason())}});
    info->setObject(Value(NSError::errorWithDomain(kHXHTTPRequestErrorDomain,
                                                   HXUnhandledExceptionError, e.userInfo())),
                    NSUnderlyingErrorKey);
    failWithError(NSError::errorWithDomain(kHXHTTPRequestErrorDomain, HXUnhandledExceptionError,
                                           Value(info)));
  } catch (const std::exception& e) {
    auto info = makeDictionary({{std::string(NSLocalizedDescriptionKey), Value("std::exception")},
                                {std::string(NSLocalizedFailureReasonErrorKey), Value(e.what())}});
    failWithError(NSError::errorWithDomain(kHXHTTPRequestErrorDomain, HXUnhandledExceptionError,
                                           Value(info)));
  }
}

void HXHTTPRequest::startRequest() {
  auto self = selfPtr();
  if (isCancelled()) return;
  if (hasInformationalReceiver(&Blocks::started)) performOnMain(&HXHTTPRequest::requestStarted);

  downloadComplete_ = false;
  complete_ = false;
  totalBytesRead_ = 0;
  lastBytesRead_ = 0;
  if (redirectCount_ == 0) setOriginalURL(url());
  if (totalBytesSent_ > 0) removeUploadProgressSoFar();
  lastBytesSent_ = 0;
  contentLength_ = 0;
  setResponseHeaders(nullptr);
  if (downloadDestinationPath().empty()) setRawResponseData(std::string());
  // A body that starts from its beginning inflates from its beginning.
  if (partialDownloadSize_ == 0) dataDecompressor_.reset();
  readStreamIsScheduled_ = false;

  std::shared_ptr<CFReadStream> body;
  std::string bodyFile = postBodyFilePath();
  if (shouldStreamPostDataFromDisk_ && fileExists(bodyFile)) {
    body = CFReadStream::createWithFile(
        fileExists(compressedPostBodyFilePath_) ? compressedPostBodyFilePath_ : bodyFile);
  } else {
    auto inMemory = postBody();
    if (inMemory && !inMemory->empty()) {
      if (shouldCompressRequestBody_ && compressedPostBody_)
        body = CFReadStream::createWithBytes(*compressedPostBody_);
      else
        body = CFReadStream::createWithBytes(*inMemory);
    }
  }
  postBodyReadStream_ = body;
  readStreamHasClient_ = false;
  readStream_ = body ? CFHTTPReadStream::createForStreamedHTTPRequest(request_, body)
                     : CFHTTPReadStream::createForHTTPRequest(request_);
  if (!readStream_) {
    failWithError(NSError::withDescription(kHXHTTPRequestErrorDomain,
                                           HXInternalErrorWhileBuildingRequestType,
                                           "Unable to create read stream"));
    return;
  }

  auto u = url();
  std::string scheme = lower(u->scheme().value_or(""));
  if (scheme == "https") {
    if (!validatesSecureCertificate_) {
      readStream_->setProperty(
          kCFStreamPropertySSLSettings,
          Value(makeDictionary({{std::string(kCFStreamSSLAllowsExpiredCertificates), Value(true)},
                                {std::string(kCFStreamSSLAllowsAnyRoot), Value(true)},
                                {std::string(kCFStreamSSLValidatesCertificateChain), Value(false)},
                                {std::string(kCFStreamSSLPeerName), Value::null()}})));
    }
    std::lock_guard<PropertyLock> lock(propertyLock_);
    if (clientCertificateIdentity_) {
      auto certificates = makeArray({Value(clientCertificateIdentity_)});
      if (clientCertificates_)
        for (auto& c : *clientCertificates_) certificates->addObject(c);
      Value settings = readStream_->copyProperty(kCFStreamPropertySSLSettings);
      auto dict = settings.isDictionary() ? settings.dictionary()->mutableCopy() : makeDictionary();
      dict->setObject(Value(certificates), kCFStreamSSLCertificates);
      readStream_->setProperty(kCFStreamPropertySSLSettings, Value(dict));
    }
  }

  std::string host = proxyHost();
  if (!host.empty() && proxyPort_ != 0) {
    if (proxyType().empty()) setProxyType("HTTP");
    auto port = Value(int(proxyPort_));
    if (proxyType() == "SOCKS") {
      readStream_->setProperty(
          kCFStreamPropertySOCKSProxy,
          Value(makeDictionary({{std::string(kCFStreamPropertySOCKSProxyHost), Value(host)},
                                {std::string(kCFStreamPropertySOCKSProxyPort), port}})));
    } else if (scheme == "https") {
      readStream_->setProperty(
          kCFStreamPropertyHTTPProxy,
          Value(makeDictionary({{std::string(kCFStreamPropertyHTTPSProxyHost), Value(host)},
                                {std::string(kCFStreamPropertyHTTPSProxyPort), port}})));
    } else {
      readStream_->setProperty(
          kCFStreamPropertyHTTPProxy,
          Value(makeDictionary({{std::string(kCFStreamPropertyHTTPProxyHost), Value(host)},
                                {std::string(kCFStreamPropertyHTTPProxyPort), port}})));
    }
  }

  std::shared_ptr<CFReadStream> oldStream;
  expirePersistentConnections();
  {
    std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
    std::optional<std::string> urlHost = u->host();
    std::optional<std::string> urlScheme = u->scheme();
    int urlPort = u->port().value_or(0);
    if (!urlHost || !urlScheme) {
      connectionInfo_.reset();
      shouldAttemptPersistentConnection_ = false;
    }
    if (shouldAttemptPersistentConnection_) {
      auto& pool = cls().pool;
      if (connectionInfo_) {
        auto& c = *connectionInfo_;
        if (c.host != *urlHost || c.scheme != *urlScheme || c.port != urlPort) {
          connectionInfo_.reset();
        } else if (c.expires && *c.expires <= poolNow()) {
          std::erase(pool, connectionInfo_);
          connectionInfo_.reset();
        } else if (c.request && c.request != requestID_) {
          connectionInfo_.reset();
        }
      }
      if (!connectionInfo_) {
        for (auto& entry : pool) {
          if (!entry->request && entry->host == *urlHost && entry->scheme == *urlScheme &&
              entry->port == urlPort)
            connectionInfo_ = entry;  // the last match wins
        }
      }
      if (connectionInfo_) oldStream = connectionInfo_->stream;
      if (!connectionInfo_) {
        connectionInfo_ = std::make_shared<HXConnectionInfo>();
        connectionInfo_->id = ++cls().nextConnectionNumber;
        connectionInfo_->host = *urlHost;
        connectionInfo_->port = urlPort;
        connectionInfo_->scheme = *urlScheme;
        pool.push_back(connectionInfo_);
      }
      if (!requestID_) requestID_ = ++cls().nextRequestID;
      connectionInfo_->request = requestID_;
      connectionInfo_->stream = readStream_;
      readStream_->setProperty(kCFStreamPropertyHTTPAttemptPersistentConnection, Value(true));
      readStream_->setProperty(kStreamIDProperty,
                               Value(static_cast<long long>(connectionInfo_->id)));
    }
  }

  // No wake-up time is ever set while bandwidth is not throttled.
  if (!readStreamIsScheduled_) scheduleReadStream();

  // Scheduling gave the stream its client already.
  bool opened = readStreamHasClient_ || setReadStreamClient();
  opened = opened && readStream_->open();
  if (oldStream && oldStream != readStream_) oldStream->close();
  if (!opened) {
    connectionCanBeReused_ = false;
    destroyReadStream();
    failWithError(NSError::withDescription(kHXHTTPRequestErrorDomain,
                                           HXInternalErrorWhileBuildingRequestType,
                                           "Unable to start HTTP connection"));
    return;
  }

  if (!mainRequest()) {
    if (shouldResetUploadProgress_) {
      incrementUploadSizeBy(showAccurateProgress_ ? int64_t(postLength_) : 1);
      updateProgressIndicator(self, ProgressTarget::UploadDelegate, 0, 1);
    }
    if (shouldResetDownloadProgress_ && partialDownloadSize_ == 0)
      updateProgressIndicator(self, ProgressTarget::DownloadDelegate, 0, 1);
  }

  isStarted_ = true;
  lastActivityTime_ = now();
  auto timer = NSTimer::timerWithTimeInterval(
      0.25, true, [self](const std::shared_ptr<NSTimer>&) { self->updateStatus(); });
  setStatusTimer(timer);
  NSRunLoop::currentRunLoop()->addTimer(timer, *runLoopModeShared());
}

void HXHTTPRequest::setStatusTimer(std::shared_ptr<NSTimer> timer) {
  std::shared_ptr<NSTimer> old;
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    old = std::move(statusTimer_);
    statusTimer_ = std::move(timer);
  }
  if (old && old != statusTimer()) old->invalidate();
}

std::shared_ptr<NSTimer> HXHTTPRequest::statusTimer() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return statusTimer_;
}

void HXHTTPRequest::updateStatus() {
  checkRequestStatus();
  if (!inProgress_) setStatusTimer(nullptr);
}

void HXHTTPRequest::checkRequestStatus() {
  auto self = selfPtr();
  std::unique_lock<std::recursive_mutex> lock(cancelledLock_);
  if (complete_ || isCancelled()) return;
  performThrottling();
  if (shouldTimeOut()) {
    if (retryCount_ < numberOfTimesToRetryOnTimeout_) {
      // The download files are closed (and so complete on disk): the next attempt's first
      // piece decides again whether it goes after what they hold or starts them over.
      for (auto* stream : {&fileDownloadOutputStream_, &inflatedFileDownloadOutputStream_}) {
        if (*stream) (*stream)->close();
        stream->reset();
      }
      updatePartialDownloadSize();
      if (partialDownloadSize_ > 0) {
        std::string range =
            stringWithFormat("bytes=%llu-", (unsigned long long)partialDownloadSize_.load());
        request_->setHeaderFieldValue("Range", range);
        addRequestHeader("Range", range);
      }
      retryCount_++;
      unscheduleReadStream();
      lock.unlock();
      startRequest();
      return;
    }
    failWithError(cls().requestTimedOutError);
    cancelLoad();
    complete_ = true;
    return;
  }
  if (readStream_) {
    if (postLength_ > 0) {
      lastBytesSent_ = totalBytesSent_;
      totalBytesSent_ = readStream_->requestBytesWrittenCount();
      if (totalBytesSent_ > lastBytesSent_) {
        lastActivityTime_ = now();
        incrementBandwidthUsedInLastSecond(
            static_cast<unsigned long>(totalBytesSent_ - lastBytesSent_));
      }
    }
    updateProgressIndicators();
  }
}

bool HXHTTPRequest::shouldTimeOut() {
  double last = lastActivityTime_;
  if (!readStream_ || !readStreamIsScheduled_ || last == 0 || timeOutSeconds_ <= 0) return false;
  double idle = now() - last;
  if (idle <= timeOutSeconds_) return false;
  if (postLength_ == 0) return true;
  if (uploadBufferSize_ > 0 && totalBytesSent_ > uploadBufferSize_) return true;
  // The first buffer of a body gives no progress reports of its own.
  return idle > timeOutSeconds_ * 1.5;
}

// ---- redirects ----------------------------------------------------------------------------------

bool HXHTTPRequest::willRedirect() {
  auto headers = responseHeaders();
  auto location = headerValue(headers, "Location");
  int status = responseStatusCode_;
  if (!shouldRedirect_ || !location ||
      (status != 301 && status != 302 && status != 303 && status != 307))
    return false;
  auto target = NSURL::URLWithString(*location, url());
  // A "Location" that is no URL: the response is the final one.
  if (!target) return false;
  if (hasInformationalReceiver(&Blocks::requestRedirected))
    performOnMain(&HXHTTPRequest::requestRedirected);
  if (status == 307 || (shouldUseRFC2616RedirectBehaviour_ && status != 303)) {
    // Method, body and headers stay; the cookies are those of the new URL.
    if (auto h = requestHeaders()) h->removeObjectForKey("Cookie");
    reapplyCookieHeader_ = true;
  } else {
    setRequestMethod("GET");
    setPostBody(std::nullopt);
    compressedPostBody_.reset();
    postLength_ = 0;
    // A body streamed from disk is dropped too (its file is still cleaned up at the end).
    shouldStreamPostDataFromDisk_ = false;
    auto old = requestHeaders();
    auto kept = makeDictionary();
    for (const char* name : {"User-Agent", "Accept"}) {
      if (old) {
        Value v = old->objectForKey(name);
        if (!v.isNil()) kept->setObject(v, name);
      }
    }
    setRequestHeaders(kept);
    haveBuiltRequestHeaders_ = false;
  }
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    redirectURL_ = target->absoluteURL();
    requestCookies_.clear();
  }
  needsRedirect_ = true;
  return true;
}

void HXHTTPRequest::redirectToURL(std::shared_ptr<NSURL> newURL) {
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    redirectURL_ = std::move(newURL);
  }
  performOnNetworkThread(&HXHTTPRequest::performRedirect);
}

void HXHTTPRequest::performRedirect() {
  auto self = selfPtr();
  auto target = redirectURL();
  setURL(target);
  complete_ = true;
  needsRedirect_ = false;
  redirectCount_++;
  if (redirectCount_ > 5) {
    failWithError(cls().tooMuchRedirectionError);
    complete_ = true;
  } else {
    main();
  }
}

// ---- stream events ------------------------------------------------------------------------------

void HXHTTPRequest::handleNetworkEvent(unsigned type) {
  auto self = selfPtr();
  {
    std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
    if (complete_ || isCancelled()) return;
    if (type == kCFStreamEventEndEncountered)
      handleStreamComplete();
    else if (type == kCFStreamEventErrorOccurred)
      handleStreamError();
    else if (type == kCFStreamEventHasBytesAvailable)
      handleBytesAvailable();
    performThrottling();
  }
  if (downloadComplete_ && needsRedirect_) {
    bool confirm = delegateResponds(willRedirectSelector_) ||
                   queueResponds(queue(), "request:willRedirectToURL:");
    if (confirm) {
      auto target = redirectURL();
      {
        std::lock_guard<PropertyLock> lock(propertyLock_);
        redirectURL_.reset();
      }
      performOnMainThread([self, target] { self->requestWillRedirectToURL(target); });
    } else {
      performRedirect();
    }
  } else if (complete_ && authenticationNeeded_) {
    attemptToApplyCredentialsAndResume();
  }
}

void HXHTTPRequest::readResponseHeaders() {
  auto self = selfPtr();
  authenticationNeeded_ = 0;
  auto message = readStream_ ? readStream_->responseHeader() : nullptr;
  if (!message || !message->isHeaderComplete()) return;

  const auto& fields = message->allHeaderFields();
  auto building = std::make_shared<NSMutableDictionary>();
  building->reserve(fields.size());
  for (auto& [name, value] : fields) building->setObject(Value(value), name);
  ValueDictionary headers = std::move(building);
  setResponseHeaders(headers);
  responseStatusCode_ = message->responseStatusCode();
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    responseStatusMessage_ = message->responseStatusLine();
  }

  if (auto cache = downloadCache()) {
    if (cache->canUseCachedDataForRequest(self)) {
      cache->updateExpiryForRequest(self, secondsToCache_);
      useDataFromCache();
      return;
    }
  }

  if (responseStatusCode_ == 401)
    authenticationNeeded_ = 1;
  else if (responseStatusCode_ == 407)
    authenticationNeeded_ = 2;

  // Basic credentials sent before any challenge and taken by the server are remembered for the
  // session (once: an entry for this URL with these credentials is not stored again).
  if (!authenticationNeeded_ && !requestAuthentication_ && authenticationScheme() == "Basic" &&
      !username().empty() && !password().empty() && useSessionPersistence_) {
    auto known = findSessionAuthenticationCredentials();
    bool stored = false;
    if (known) {
      auto knownURL = known->objectForKey("URL").object<NSURL>();
      stored = knownURL && sameURL(knownURL, url());
    }
    if (!stored) {
      auto credentials =
          makeDictionary({{std::string(kCFHTTPAuthenticationUsername), Value(username())},
                          {std::string(kCFHTTPAuthenticationPassword), Value(password())}});
      storeAuthenticationCredentialsInSessionStore(
          makeDictionary({{"Credentials", Value(credentials)},
                          {"URL", Value(url())},
                          {"AuthenticationScheme", Value("Basic")}}));
    }
  }

  responseEncoding_ = defaultResponseEncoding_.load();
  parseStringEncodingFromHeaders();

  auto u = url();
  if (u) {
    std::vector<std::shared_ptr<NSHTTPCookie>> cookies;
    const auto& lines = message->headerLines();
    if (std::any_of(lines.begin(), lines.end(), [](const auto& line) {
          return equalsIgnoringASCIICase(line.first, "Set-Cookie");
        })) {
      auto absolute = u->baseURL() ? u->absoluteURL() : u;
      cookies = NSHTTPCookie::cookiesWithResponseHeaderFields(lines, *absolute);
    }
    {
      std::lock_guard<PropertyLock> lock(propertyLock_);
      responseCookies_ = cookies;
    }
    if (useCookiePersistence_ && !cookies.empty()) {
      NSHTTPCookieStorage::sharedHTTPCookieStorage().setCookies(cookies, u.get(), nullptr);
      for (auto& c : cookies) addSessionCookie(c);
    }
  }

  if (!willRedirect()) {
    auto main = mainRequest();
    HXHTTPRequest& owner = main ? *main : *this;
    auto length = headerValue(headers, "Content-Length");
    if (length) {
      // Decimal only: a leading "0" or "0x" does not change the base.
      std::string digits(trimmed(*length));
      uint64_t value = 0;
      for (char c : digits) {
        if (c < '0' || c > '9') break;
        value = value * 10 + uint64_t(c - '0');
      }
      if (main && allowCompressedResponse_ && value == 20 && showAccurateProgress_ &&
          shouldResetDownloadProgress_) {
        // A gzip body of an empty answer says nothing about the real size.
        main->setShowAccurateProgress(false);
        main->incrementDownloadSizeBy(1);
      } else {
        owner.contentLength_ = value;
        if (showAccurateProgress_ && shouldResetDownloadProgress_)
          owner.incrementDownloadSizeBy(int64_t(owner.contentLength_ + partialDownloadSize_));
      }
    } else if (showAccurateProgress_ && shouldResetDownloadProgress_) {
      owner.setShowAccurateProgress(false);
      owner.incrementDownloadSizeBy(1);
    }
  }

  if (shouldAttemptPersistentConnection_) {
    // Each response decides for itself whether its connection stays.
    connectionCanBeReused_ = false;
    std::string connection = lower(headerValue(headers, "Connection").value_or(""));
    std::string version = message->version();
    if ((version != kCFHTTPVersion1_0 || connection == "keep-alive") && connection != "close") {
      if (auto keepAlive = headerValue(headers, "Keep-Alive")) {
        // Read as the platform's scanner does: up to "timeout=", a number, up to "max=", a
        // number; a missing part leaves 0.
        std::string text = *keepAlive;
        size_t pos = text.find("timeout=");
        double timeout = 0;
        int max = 0;
        if (pos != std::string::npos) {
          pos += 8;
          char* end = nullptr;
          timeout = std::strtod(text.c_str() + pos, &end);
          pos = size_t(end - text.c_str());
        } else {
          pos = text.size();
        }
        size_t m = text.find("max=", pos);
        if (m != std::string::npos) max = std::atoi(text.c_str() + m + 4);
        if (max > 5) {
          connectionCanBeReused_ = true;
          persistentConnectionTimeoutSeconds_ = timeout;
        }
      } else {
        connectionCanBeReused_ = true;
      }
    }
  }

  if (hasInformationalReceiver(&Blocks::headersReceived)) {
    auto copy = headers->copy();
    performOnMainThread([self, copy] { self->requestReceivedResponseHeaders(copy); });
  }
}

void HXHTTPRequest::parseStringEncodingFromHeaders() {
  NSStringEncoding encoding = responseEncoding_;
  parseMimeType(nullptr, &encoding, headerValue(responseHeaders(), "Content-Type"));
  responseEncoding_ = encoding;
}

bool HXHTTPRequest::isResponseCompressed() const {
  auto encoding = headerValue(responseHeaders(), "Content-Encoding");
  return encoding && encoding->find("gzip") != std::string::npos;
}

void HXHTTPRequest::handleBytesAvailable() {
  if (!responseHeaders()) readResponseHeaders();
  if (complete_ || !readStream_) return;
  if (!readStream_->hasBytesAvailable()) return;

  size_t bufferSize = 16384;
  if (contentLength_ > 262144)
    bufferSize = 262144;
  else if (contentLength_ > 65536)
    bufferSize = 65536;
  thread_local std::string buffer(kMaxReadBuffer, '\0');
  long bytesRead = readStream_->read(reinterpret_cast<uint8_t*>(buffer.data()), bufferSize);
  if (bytesRead < 0) {
    handleStreamError();
    return;
  }
  if (bytesRead == 0) return;
  std::string_view piece(buffer.data(), size_t(bytesRead));

  std::optional<std::string> inflated;
  bool inflating = isResponseCompressed() && !shouldWaitToInflateCompressedResponses_;
  if (inflating) {
    if (!dataDecompressor_) dataDecompressor_ = HXDataDecompressor::decompressor();
    NSErrorPtr err;
    inflated = dataDecompressor_->uncompressBytes(piece, &err);
    if (err) {
      failWithError(err);
      return;
    }
    if (!inflated) inflated = std::string();
  }

  totalBytesRead_ += uint64_t(bytesRead);
  lastActivityTime_ = now();
  incrementBandwidthUsedInLastSecond(static_cast<unsigned long>(bytesRead));

  if (needsRedirect_ && shouldRedirect_ && allowResumeForFileDownloads_) return;
  bool handledExternally;
  {
    std::lock_guard<PropertyLock> lock(blocks_->mutex);
    handledExternally = bool(blocks_->dataReceived);
  }
  handledExternally = handledExternally || delegateResponds(didReceiveDataSelector_);
  if (handledExternally) {
    auto self = selfPtr();
    std::string data = inflating ? *inflated : std::string(piece);
    performOnMainThread([self, data = std::move(data)] { self->passOnReceivedData(data); });
  } else if (!downloadDestinationPath().empty()) {
    writeDownloadPiece(std::string(piece), inflated);
  } else {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    if (!rawResponseData_) rawResponseData_ = std::string();
    if (rawResponseData_->empty() && contentLength_ > 0 && !inflating)
      rawResponseData_->reserve(contentLength_);
    if (inflating)
      rawResponseData_->append(*inflated);
    else
      rawResponseData_->append(piece);
  }
}

void HXHTTPRequest::writeDownloadPiece(const std::string& raw,
                                       const std::optional<std::string>& inflated) {
  auto openStream = [this](std::string& path, std::shared_ptr<CFWriteStream>& stream) {
    bool append = false;
    if (path.empty()) {
      path = uniqueTemporaryPath();
    } else if (allowResumeForFileDownloads_) {
      auto headers = requestHeaders();
      if (headers && !headers->objectForKey("Range").isNil()) {
        if (headerValue(responseHeaders(), "Content-Range")) {
          append = true;
        } else if (&stream == &fileDownloadOutputStream_) {
          incrementDownloadSizeBy(-int64_t(partialDownloadSize_));
          partialDownloadSize_ = 0;
        }
      }
    }
    stream = CFWriteStream::createWithFile(path, append);
    stream->open();
  };
  std::string tempPath, inflatedPath;
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    tempPath = temporaryFileDownloadPath_;
    inflatedPath = temporaryUncompressedDataDownloadPath_;
  }
  if (!fileDownloadOutputStream_) {
    openStream(tempPath, fileDownloadOutputStream_);
    setTemporaryFileDownloadPath(tempPath);
  }
  if (fileDownloadOutputStream_->write(raw) < 0) {
    failWithError(fileError(
        stringWithFormat("Failed to write to file at path '%@'", fileDownloadOutputStream_->path()),
        fileDownloadOutputStream_->copyError()));
    return;
  }
  if (inflated) {
    if (!inflatedFileDownloadOutputStream_) {
      openStream(inflatedPath, inflatedFileDownloadOutputStream_);
      setTemporaryUncompressedDataDownloadPath(inflatedPath);
    }
    if (inflatedFileDownloadOutputStream_->write(*inflated) < 0) {
      failWithError(fileError(stringWithFormat("Failed to write to file at path '%@'",
                                               inflatedFileDownloadOutputStream_->path()),
                              inflatedFileDownloadOutputStream_->copyError()));
    }
  }
}

void HXHTTPRequest::handleStreamComplete() {
  auto self = selfPtr();
  setStatusTimer(nullptr);
  downloadComplete_ = true;
  if (!responseHeaders()) readResponseHeaders();
  if (didUseCachedResponse_) return;

  NSErrorPtr fileErr;
  {
    std::lock_guard<std::recursive_mutex> progressLock(cls().progressLock);
    lastBytesSent_ = totalBytesSent_;
    if (readStream_) totalBytesSent_ = readStream_->requestBytesWrittenCount();
    complete_ = true;
    if (contentLength_ == 0) contentLength_ = totalBytesRead_.load();
    updateProgressIndicators();
    if (postBodyReadStream_) {
      postBodyReadStream_->close();
      postBodyReadStream_.reset();
    }
    dataDecompressor_.reset();
    if (didCreateTemporaryPostDataFile_ && !authenticationNeeded_) {
      removeTemporaryUploadFile();
      removeTemporaryCompressedUploadFile();
    }

    std::string tempPath = temporaryFileDownloadPath();
    if (!tempPath.empty() || fileDownloadOutputStream_) {
      if (fileDownloadOutputStream_) fileDownloadOutputStream_->close();
      if (inflatedFileDownloadOutputStream_) inflatedFileDownloadOutputStream_->close();
      fileDownloadOutputStream_.reset();
      inflatedFileDownloadOutputStream_.reset();
      if (!(shouldRedirect_ && needsRedirect_ && allowResumeForFileDownloads_)) {
        std::string destination = downloadDestinationPath();
        auto& fm = NSFileManager::defaultManager();
        if (isResponseCompressed()) {
          if (shouldWaitToInflateCompressedResponses_) {
            HXDataDecompressor::uncompressDataFromFile(tempPath, destination, &fileErr);
          } else {
            std::string inflatedPath = temporaryUncompressedDataDownloadPath();
            NSErrorPtr moveErr;
            // The inflated copy replaces what was there, as the plain download does.
            if (!removeFileAtPath(destination, &fileErr)) {
            } else if (!fm.moveItemAtPath(inflatedPath, destination, &moveErr)) {
              fileErr = fileError(stringWithFormat("Failed to move file from '%@' to '%@'",
                                                   inflatedPath, destination),
                                  moveErr);
            }
            setTemporaryUncompressedDataDownloadPath("");
          }
          removeTemporaryDownloadFile();
        } else {
          NSErrorPtr moveErr;
          if (!removeFileAtPath(destination, &fileErr)) {
          } else if (!fm.moveItemAtPath(tempPath, destination, &moveErr)) {
            fileErr = fileError(
                stringWithFormat("Failed to move file from '%@' to '%@'", tempPath, destination),
                moveErr);
          }
          setTemporaryFileDownloadPath("");
        }
      }
    }

    if (auto cache = downloadCache(); cache && !didUseCachedResponse_)
      cache->storeResponseForRequest(self, secondsToCache_);
  }

  {
    std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
    if (!connectionCanBeReused_) unscheduleReadStream();
    if (connectionInfo_) {
      connectionInfo_->request.reset();
      connectionInfo_->expires = poolNow() + persistentConnectionTimeoutSeconds_;
    }
  }

  if (!authenticationNeeded_) destroyReadStream();

  if (!needsRedirect_ && !authenticationNeeded_ && !didUseCachedResponse_) {
    if (fileErr)
      failWithError(fileErr);
    else
      requestFinished();
    markAsFinished();
  }
}

void HXHTTPRequest::handleStreamError() {
  NSErrorPtr underlying = readStream_ ? readStream_->copyError() : nullptr;
  if (!error()) {
    if (underlying) {
      bool deadConnection =
          (underlying->domain() == kCFErrorDomainPOSIX &&
           (underlying->code() == kPOSIXErrorENOTCONN || underlying->code() == kPOSIXErrorEPIPE)) ||
          (underlying->domain() == kCFErrorDomainCFNetwork &&
           underlying->code() == kCFURLErrorNetworkConnectionLost);
      if (deadConnection && retryUsingNewConnection()) return;
    }
    std::string reason = "A connection failure occurred";
    if (underlying && underlying->domain() == kCFErrorDomainOSStatus &&
        underlying->code() >= -9818 && underlying->code() <= -9800)
      reason = stringWithFormat(
          "%@: SSL problem (Possible causes may include a bad/expired/self-signed certificate, "
          "clock set to wrong date)",
          reason);
    cancelLoad();
    failWithError(NSError::withDescription(kHXHTTPRequestErrorDomain, HXConnectionFailureErrorType,
                                           reason, underlying));
  } else {
    cancelLoad();
  }
  checkRequestStatus();
}

bool HXHTTPRequest::retryUsingNewConnection() {
  if (retryCount_ != 0) return false;
  willRetryRequest_ = true;
  cancelLoad();
  willRetryRequest_ = false;
  {
    std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
    if (connectionInfo_) {
      connectionInfo_->request.reset();
      std::erase(cls().pool, connectionInfo_);
      connectionInfo_.reset();
    }
  }
  retryCount_++;
  startRequest();
  return true;
}

void HXHTTPRequest::markAsFinished() {
  auto self = selfPtr();
  request_.reset();
  requestAuthentication_.reset();
  proxyAuthentication_.reset();
  bool wasFinished = finished_.exchange(true);
  inProgress_ = false;
  if (!wasFinished) setFinished(true);
}

// ---- the read stream on the run loop ------------------------------------------------------------

void HXHTTPRequest::scheduleReadStream() {
  if (!readStream_ || readStreamIsScheduled_) return;
  {
    std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
    cls().runningRequestCount++;
    if (cls().shouldUpdateNetworkActivityIndicator) showNetworkActivityIndicator();
  }
  lastActivityTime_ = now();
  setReadStreamClient();
  auto loop = NSRunLoop::currentRunLoop();
  scheduledLoop_ = loop;
  readStream_->scheduleWithRunLoop(loop, *runLoopModeShared());
  readStreamIsScheduled_ = true;
}

bool HXHTTPRequest::setReadStreamClient() {
  std::weak_ptr<HXHTTPRequest> weak = selfPtr();
  readStreamHasClient_ =
      readStream_->setClient(kStreamEvents, [weak](CFReadStream&, CFStreamEventType e) {
        if (auto r = weak.lock()) r->handleNetworkEvent(e);
      });
  return readStreamHasClient_;
}

void HXHTTPRequest::unscheduleReadStream() {
  if (!readStream_ || !readStreamIsScheduled_) return;
  {
    std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
    bool wasLast = cls().runningRequestCount == 1;
    if (cls().runningRequestCount > 0) cls().runningRequestCount--;
    if (cls().shouldUpdateNetworkActivityIndicator && wasLast)
      toMainThread([] { hideNetworkActivityIndicatorAfterDelay(); });
  }
  readStream_->setClient(0, nullptr);
  readStreamHasClient_ = false;
  if (auto loop = scheduledLoop_.lock())
    readStream_->unscheduleFromRunLoop(loop, *runLoopModeShared());
  readStreamIsScheduled_ = false;
}

void HXHTTPRequest::destroyReadStream() {
  if (!readStream_) return;
  unscheduleReadStream();
  if (!connectionCanBeReused_) {
    if (auto loop = scheduledLoop_.lock())
      readStream_->unscheduleFromRunLoop(loop, *runLoopModeShared());
    readStream_->close();
  }
  readStream_.reset();
  readStreamHasClient_ = false;
}

// ---- failing and finishing ----------------------------------------------------------------------

void HXHTTPRequest::failWithError(NSErrorPtr theError) {
  auto self = selfPtr();
  complete_ = true;
  if (theError && theError->code() != HXAuthenticationErrorType &&
      theError->code() != HXTooMuchRedirectionErrorType) {
    std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
    if (connectionInfo_) {
      connectionInfo_->request.reset();
      std::erase(cls().pool, connectionInfo_);
    }
    destroyReadStream();
  }
  if (connectionCanBeReused_ && connectionInfo_) {
    std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
    connectionInfo_->expires = poolNow() + persistentConnectionTimeoutSeconds_;
  }
  if (isCancelled() || error()) return;
  if (!self) {  // being destroyed: nobody is left to hear of it
    setError(theError);
    return;
  }
  if (auto cache = downloadCache(); cache && (cachePolicy_ & 64)) {
    if (cache->canUseCachedDataForRequest(self)) {
      useDataFromCache();
      return;
    }
  }
  setError(theError);
  auto reporting = self;
  if (auto main = mainRequest()) {
    main->setError(theError);
    reporting = main;
  }
  reporting->performOnMain(&HXHTTPRequest::reportFailure);
  if (inProgress_) markAsFinished();
}

void HXHTTPRequest::requestFinished() {
  if (error() || mainRequest()) return;
  performOnMain(&HXHTTPRequest::reportFinished);
}

void HXHTTPRequest::requestStarted() {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  sendToDelegate(didStartSelector_, {}, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didStartSelector_.name(), self, {});
  });
  if (auto b = blocks_->get(&Blocks::started)) b();
  sendToQueue(queue(), "requestStarted:", self);
}

void HXHTTPRequest::requestRedirected() {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  Selector fixed("requestRedirected:", {}, {});
  sendToDelegate(fixed, {}, [&](HXHTTPRequestDelegate& d) { d.requestRedirected(self); });
  if (auto b = blocks_->get(&Blocks::requestRedirected)) b();
}

void HXHTTPRequest::requestReceivedResponseHeaders(const ValueDictionary& headers) {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  Value arg(headers);
  sendToDelegate(didReceiveResponseHeadersSelector_, arg, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didReceiveResponseHeadersSelector_.name(), self, arg);
  });
  if (auto b = blocks_->get(&Blocks::headersReceived)) b(headers);
  sendToQueue(queue(), "request:didReceiveResponseHeaders:", self, arg);
}

void HXHTTPRequest::requestWillRedirectToURL(const std::shared_ptr<NSURL>& newURL) {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  Value arg(newURL);
  sendToDelegate(willRedirectSelector_, arg, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, willRedirectSelector_.name(), self, arg);
  });
  sendToQueue(queue(), "request:willRedirectToURL:", self, arg);
}

void HXHTTPRequest::passOnReceivedData(const std::string& data) {
  auto self = selfPtr();
  Value arg = Value::data(data);
  sendToDelegate(didReceiveDataSelector_, arg, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didReceiveDataSelector_.name(), self, arg);
  });
  if (auto b = blocks_->get(&Blocks::dataReceived)) b(data);
}

void HXHTTPRequest::reportFinished() {
  auto self = selfPtr();
  sendToDelegate(didFinishSelector_, {}, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didFinishSelector_.name(), self, {});
  });
  if (auto b = blocks_->get(&Blocks::completion)) b();
  sendToQueue(queue(), "requestFinished:", self);
}

void HXHTTPRequest::reportFailure() {
  auto self = selfPtr();
  sendToDelegate(didFailSelector_, {}, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didFailSelector_.name(), self, {});
  });
  if (auto b = blocks_->get(&Blocks::failure)) b();
  if (!isCancelled() && !isCanceledRequest_) {
    NSErrorPtr e = error();
    std::string reason = e ? e->localizedFailureReason() : std::string();
    recordURLFail(stringWithFormat("url:%@ Reason:%@ des:%@", reportableURL(url()),
                                   reason.empty() ? Value() : Value(reason),
                                   e ? Value(e->localizedDescription()) : Value()));
  }
  sendToQueue(queue(), "requestFailed:", self);
}

void HXHTTPRequest::recordURLFail(const std::string& text) {
  auto message = std::make_shared<NSMsgSend>();
  message->type = kHXRequestFailureLogEvent;
  message->data = Value::arrayOf({Value(kHXRequestFailureLogEvent), Value(text)});
  postNotificationObject(kLogActionNotification, message);
}

// ---- progress -----------------------------------------------------------------------------------

std::shared_ptr<NSObject> HXHTTPRequest::progressTarget(ProgressTarget target) const {
  switch (target) {
    case ProgressTarget::Queue:
      return queue();
    case ProgressTarget::UploadDelegate:
      return uploadProgressDelegate();
    case ProgressTarget::DownloadDelegate:
      return downloadProgressDelegate();
  }
  return nullptr;
}

// The call is only wrapped for the main thread once there is somebody to call.
template <class F>
void HXHTTPRequest::performProgress(const std::shared_ptr<HXHTTPRequest>& request,
                                    ProgressTarget target, F&& call) {
  if (!request) return;
  auto t = request->progressTarget(target);
  if (!dynamic_cast<HXProgressDelegate*>(t.get())) return;
  request->performOnMainThread([request, target, call = std::forward<F>(call)] {
    // A receiver cleared in the meantime hears nothing.
    auto current = request->progressTarget(target);
    if (auto* p = dynamic_cast<HXProgressDelegate*>(current.get())) call(*p);
  });
}

void HXHTTPRequest::updateProgressIndicator(const std::shared_ptr<HXHTTPRequest>& request,
                                            ProgressTarget target, uint64_t progress,
                                            uint64_t total) {
  std::lock_guard<std::recursive_mutex> lock(cls().progressLock);
  float value = total == 0 ? 0.0f : float(double(progress) / double(total));
  performProgress(request, target, [value](HXProgressDelegate& p) { p.setProgress(value); });
}

void HXHTTPRequest::updateProgressIndicator(std::function<std::shared_ptr<NSObject>()> indicator,
                                            uint64_t progress, uint64_t total) {
  if (!indicator || !dynamic_cast<HXProgressDelegate*>(indicator().get())) return;
  std::lock_guard<std::recursive_mutex> lock(cls().progressLock);
  float value = total == 0 ? 0.0f : float(double(progress) / double(total));
  toMainThread([indicator = std::move(indicator), value] {
    if (auto* p = dynamic_cast<HXProgressDelegate*>(indicator().get())) p->setProgress(value);
  });
}

void HXHTTPRequest::updateProgressIndicators() {
  if (mainRequest()) return;
  if (!showAccurateProgress_ && !(complete_ && !updatedProgress_)) return;
  updateUploadProgress();
  updateDownloadProgress();
}

void HXHTTPRequest::updateDownloadProgress() {
  auto self = selfPtr();
  if (!self || !responseHeaders() || needsRedirect_ || (contentLength_ == 0 && !complete_)) return;
  uint64_t soFar = totalBytesRead_ + partialDownloadSize_;
  int64_t value;
  if (showAccurateProgress_ && contentLength_ > 0) {
    value = int64_t(soFar) - int64_t(lastBytesRead_);
    if (value == 0) return;
  } else {
    value = 1;
    updatedProgress_ = true;
  }
  performProgress(self, ProgressTarget::Queue,
                  [self, value](HXProgressDelegate& p) { p.requestDidReceiveBytes(self, value); });
  performProgress(self, ProgressTarget::DownloadDelegate,
                  [self, value](HXProgressDelegate& p) { p.requestDidReceiveBytes(self, value); });
  updateProgressIndicator(self, ProgressTarget::DownloadDelegate, soFar,
                          contentLength_ + partialDownloadSize_);
  if (auto b = blocks_->get(&Blocks::bytesReceived)) {
    uint64_t total = contentLength_ + partialDownloadSize_;
    performOnMainThread([b, value, total] { b(uint64_t(value), total); });
  }
  lastBytesRead_ = soFar;
}

void HXHTTPRequest::updateUploadProgress() {
  auto self = selfPtr();
  if (!self || isCancelled() || totalBytesSent_ == 0) return;
  if (uploadBufferSize_ == 0 && totalBytesSent_ != postLength_) {
    uploadBufferSize_ = totalBytesSent_;
    incrementUploadSizeBy(-int64_t(uploadBufferSize_));
  }
  int64_t value;
  if (showAccurateProgress_) {
    if (totalBytesSent_ != postLength_ && lastBytesSent_ == 0) return;
    value = int64_t(totalBytesSent_) - int64_t(lastBytesSent_);
  } else {
    value = 1;
    updatedProgress_ = true;
  }
  if (value == 0) return;
  performProgress(self, ProgressTarget::Queue,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  performProgress(self, ProgressTarget::UploadDelegate,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  updateProgressIndicator(self, ProgressTarget::UploadDelegate, totalBytesSent_ - uploadBufferSize_,
                          postLength_ - uploadBufferSize_);
  if (auto b = blocks_->get(&Blocks::bytesSent)) {
    uint64_t total = postLength_;
    performOnMainThread([b, value, total] { b(uint64_t(value), total); });
  }
}

void HXHTTPRequest::incrementUploadSizeBy(int64_t length) {
  auto self = selfPtr();
  if (!self) return;
  performProgress(self, ProgressTarget::Queue, [self, length](HXProgressDelegate& p) {
    p.requestIncrementUploadSizeBy(self, length);
  });
  performProgress(self, ProgressTarget::UploadDelegate, [self, length](HXProgressDelegate& p) {
    p.requestIncrementUploadSizeBy(self, length);
  });
  if (auto b = blocks_->get(&Blocks::uploadSizeIncremented))
    performOnMainThread([b, length] { b(length); });
}

void HXHTTPRequest::incrementDownloadSizeBy(int64_t length) {
  auto self = selfPtr();
  if (!self) return;
  performProgress(self, ProgressTarget::Queue, [self, length](HXProgressDelegate& p) {
    p.requestIncrementDownloadSizeBy(self, length);
  });
  performProgress(self, ProgressTarget::DownloadDelegate, [self, length](HXProgressDelegate& p) {
    p.requestIncrementDownloadSizeBy(self, length);
  });
  if (auto b = blocks_->get(&Blocks::downloadSizeIncremented))
    performOnMainThread([b, length] { b(length); });
}

void HXHTTPRequest::removeUploadProgressSoFar() {
  auto self = selfPtr();
  if (!self) return;
  int64_t value = -int64_t(totalBytesSent_);
  performProgress(self, ProgressTarget::Queue,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  performProgress(self, ProgressTarget::UploadDelegate,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  updateProgressIndicator(self, ProgressTarget::UploadDelegate, 0, postLength_);
  if (auto b = blocks_->get(&Blocks::bytesSent)) {
    uint64_t total = postLength_;
    performOnMainThread([b, value, total] { b(uint64_t(value), total); });
  }
}

// ---- credentials, cache answers and throttling (the engine's simple cases) ----------------------

void HXHTTPRequest::applyAuthorizationHeader() {
  if (!shouldPresentCredentialsBeforeChallenge_) return;
  auto headers = requestHeaders();
  if (headers && !headers->objectForKey("Authorization").isNil()) return;
  std::string user = username(), pass = password();
  if (!user.empty() && !pass.empty() && authenticationScheme() == "Basic") {
    std::string header = "Basic " + base64forData(user + ":" + pass);
    addRequestHeader("Authorization", header);
    request_->setHeaderFieldValue("Authorization", header);
  }
}

void HXHTTPRequest::attemptToApplyCredentialsAndResume() {
  if (error() || isCancelled()) return;
  // Nobody here supplies credentials: the challenge ends the request.
  cancelLoad();
  failWithError(cls().authenticationError);
}

void HXHTTPRequest::retryUsingSuppliedCredentials() {
  performOnNetworkThread(request_ ? &HXHTTPRequest::attemptToApplyCredentialsAndResume
                                  : &HXHTTPRequest::main);
}

void HXHTTPRequest::cancelAuthentication() {
  auto self = selfPtr();
  if (!self) return;
  performOnThread(threadForRequest(self),
                  [self] {
                    std::lock_guard<std::recursive_mutex> lock(self->cancelledLock_);
                    self->cancelLoad();
                    self->failWithError(cls().authenticationError);
                  },
                  false, {std::string(NSDefaultRunLoopMode)});
}

void HXHTTPRequest::useDataFromCache() {
  auto self = selfPtr();
  auto cache = downloadCache();
  auto main = mainRequest();
  auto receiving = main ? main : self;
  auto u = url();
  ValueDictionary headers = cache ? cache->cachedResponseHeadersForURL(u) : nullptr;
  std::string dataPath = cache ? cache->pathToCachedResponseDataForURL(u) : std::string();
  if (headers && !dataPath.empty()) {
    responseStatusCode_ =
        Value(headerValue(headers, "X-HXHTTPRequest-Response-Status-Code").value_or("")).intValue();
    didUseCachedResponse_ = true;
    receiving->setResponseHeaders(headers);
    if (!receiving->downloadDestinationPath().empty())
      receiving->setDownloadDestinationPath(dataPath);
    else
      receiving->setRawResponseData(dataWithContentsOfFile(dataPath));
    receiving->contentLength_ =
        Value(headerValue(headers, "Content-Length").value_or("")).unsignedLongLongValue();
    receiving->totalBytesRead_ = receiving->contentLength_.load();
    receiving->parseStringEncodingFromHeaders();
    if (u) {
      CFHTTPMessage::HeaderFields fields;
      headers->enumerate(
          [&](const std::string& k, const Value& v) { fields.emplace_back(k, v.description()); });
      auto cookies = NSHTTPCookie::cookiesWithResponseHeaderFields(fields, *u->absoluteURL());
      std::lock_guard<PropertyLock> lock(receiving->propertyLock_);
      receiving->responseCookies_ = cookies;
    }
    if (receiving->willRedirect()) {
      if (!delegateResponds(willRedirectSelector_)) receiving->performRedirect();
      return;
    }
  }
  receiving->complete_ = true;
  receiving->downloadComplete_ = true;
  if (receiving->redirectCount_ == 0) receiving->setOriginalURL(receiving->url());
  receiving->updateProgressIndicators();
  receiving->requestFinished();
  receiving->markAsFinished();
  if (main) markAsFinished();
}

bool HXHTTPRequest::isBandwidthThrottled() {
  // The engine only measures: the application sets no cap, and WWAN throttling is on only
  // while the class observes reachability.
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  return cls().isThrottlingWWAN || cls().maxBandwidthPerSecond > 0;
}

void HXHTTPRequest::incrementBandwidthUsedInLastSecond(unsigned long bytes) {
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  cls().bandwidthUsedInLastSecond += bytes;
}

void HXHTTPRequest::performThrottling() {
  if (!readStream_) return;
  if (!isBandwidthThrottled() && !readStreamIsScheduled_) scheduleReadStream();
}

// ---- persistent connections, session cookies, the default cache --------------------------------

void HXHTTPRequest::expirePersistentConnections() {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  double current = poolNow();
  auto& pool = cls().pool;
  for (size_t i = 0; i < pool.size();) {
    auto& entry = pool[i];
    if (!entry->request && entry->expires && *entry->expires <= current) {
      if (entry->stream) entry->stream->close();
      pool.erase(pool.begin() + long(i));
    } else {
      ++i;
    }
  }
}

std::vector<std::shared_ptr<HXConnectionInfo>> HXHTTPRequest::persistentConnectionsPool() {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  return cls().pool;
}

HXHTTPRequest::Cookies HXHTTPRequest::sessionCookies() {
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCookiesLock);
  if (!cls().sessionCookies) cls().sessionCookies = Cookies();
  return *cls().sessionCookies;
}

void HXHTTPRequest::setSessionCookies(std::optional<Cookies> cookies) {
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCookiesLock);
  if (cls().sessionCookies)
    for (auto& c : *cls().sessionCookies)
      NSHTTPCookieStorage::sharedHTTPCookieStorage().deleteCookie(c);
  cls().sessionCookies = std::move(cookies);
}

void HXHTTPRequest::addSessionCookie(const std::shared_ptr<NSHTTPCookie>& cookie) {
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCookiesLock);
  if (!cls().sessionCookies) cls().sessionCookies = Cookies();
  auto& list = *cls().sessionCookies;
  auto same = std::find_if(list.begin(), list.end(), [&](const auto& c) {
    return c->domain() == cookie->domain() && c->path() == cookie->path() &&
           c->name() == cookie->name();
  });
  if (same != list.end()) list.erase(same);
  list.push_back(cookie);
}

std::shared_ptr<HXCacheDelegate> HXHTTPRequest::defaultCache() {
  std::lock_guard<std::mutex> lock(cls().classLock);
  return cls().defaultCache;
}

void HXHTTPRequest::setDefaultCache(std::shared_ptr<HXCacheDelegate> cache) {
  std::lock_guard<std::mutex> lock(cls().classLock);
  cls().defaultCache = std::move(cache);
}

void HXHTTPRequest::changeSharedQueueWidthBy(long delta) {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  auto queue = sharedQueue();
  queue->setMaxConcurrentOperationCount(std::max(1L, queue->maxConcurrentOperationCount() + delta));
}

std::optional<int64_t> HXHTTPRequest::connectionID() const {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  if (!connectionInfo_) return std::nullopt;
  return connectionInfo_->id;
}

// ---- session credential stores, saved credentials and the session -----------------------------

namespace {
ValueArray& credentialsStore(bool proxy) {
  auto& store = proxy ? cls().sessionProxyCredentialsStore : cls().sessionCredentialsStore;
  if (!store) store = makeArray();
  return store;
}

// Removes the first entry whose "Credentials" is this very dictionary.
void removeCredentials(ValueArray& store, const ValueDictionary& credentials) {
  if (!credentials) return;
  for (size_t i = 0; i < store->count(); ++i) {
    ValueDictionary entry = store->objectAtIndex(i).dictionary();
    if (entry && entry->objectForKey("Credentials").dictionary() == credentials) {
      store->removeObjectAtIndex(i);
      return;
    }
  }
}

void storeCredentials(bool proxy, const ValueDictionary& entry) {
  if (!entry) return;
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
  auto& store = credentialsStore(proxy);
  removeCredentials(store, entry->objectForKey("Credentials").dictionary());
  store->addObject(Value(entry));
}

std::string stringOf(const ValueDictionary& d, std::string_view key) {
  Value v = d ? d->objectForKey(key) : Value();
  return v.isString() ? v.string() : std::string();
}
}  // namespace

ValueArray HXHTTPRequest::sessionCredentialsStore() {
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
  return credentialsStore(false);
}

ValueArray HXHTTPRequest::sessionProxyCredentialsStore() {
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
  return credentialsStore(true);
}

void HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(const ValueDictionary& entry) {
  storeCredentials(false, entry);
}

void HXHTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(
    const ValueDictionary& entry) {
  storeCredentials(true, entry);
}

void HXHTTPRequest::removeAuthenticationCredentialsFromSessionStore(
    const ValueDictionary& credentials) {
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
  removeCredentials(credentialsStore(false), credentials);
}

void HXHTTPRequest::removeProxyAuthenticationCredentialsFromSessionStore(
    const ValueDictionary& credentials) {
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
  removeCredentials(credentialsStore(true), credentials);
}

ValueDictionary HXHTTPRequest::findSessionAuthenticationCredentials() const {
  auto requestURL = url();
  if (!requestURL) return nullptr;
  std::string realm = authenticationRealm();
  std::string user = username(), pass = password();
  auto passes = [&](const ValueDictionary& entry) {
    std::string entryRealm = stringOf(entry, "AuthenticationRealm");
    if (!realm.empty() && !entryRealm.empty() && realm != entryRealm) return false;
    if (!user.empty() && !pass.empty()) {
      ValueDictionary credentials = entry->objectForKey("Credentials").dictionary();
      if (stringOf(credentials, kCFHTTPAuthenticationUsername) != user ||
          stringOf(credentials, kCFHTTPAuthenticationPassword) != pass)
        return false;
    }
    return true;
  };
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
  ValueDictionary candidate;
  for (const Value& v : *credentialsStore(false)) {
    ValueDictionary entry = v.dictionary();
    if (!entry) continue;
    auto entryURL = entry->objectForKey("URL").object<NSURL>();
    if (!entryURL) continue;
    if (sameURL(entryURL, requestURL)) {
      if (passes(entry)) return entry;
    } else if (!candidate && entryURL->host() == requestURL->host() &&
               entryURL->port() == requestURL->port() &&
               entryURL->scheme() == requestURL->scheme() && passes(entry)) {
      candidate = entry;
    }
  }
  return candidate;
}

ValueDictionary HXHTTPRequest::findSessionProxyAuthenticationCredentials() const {
  std::string host = proxyHost();
  int port = proxyPort_;
  std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
  for (const Value& v : *credentialsStore(true)) {
    ValueDictionary entry = v.dictionary();
    if (!entry) continue;
    Value entryPort = entry->objectForKey("Port");
    if (stringOf(entry, "Host") == host && entryPort.isNumber() && entryPort.intValue() == port)
      return entry;
  }
  return nullptr;
}

namespace {
NSURLProtectionSpace serverSpace(const std::string& host, int port, const std::string& protocol,
                                 const std::string& realm) {
  return NSURLProtectionSpace::forServer(host, port, protocol, realm,
                                         std::string(NSURLAuthenticationMethodDefault));
}
NSURLProtectionSpace proxySpace(const std::string& host, int port, const std::string& realm) {
  return NSURLProtectionSpace::forProxy(host, port, std::string(NSURLProtectionSpaceHTTPProxy),
                                        realm, std::string(NSURLAuthenticationMethodDefault));
}
void removeDefaultCredential(const NSURLProtectionSpace& space) {
  auto& storage = NSURLCredentialStorage::sharedCredentialStorage();
  if (auto credential = storage.defaultCredentialForProtectionSpace(space))
    storage.removeCredential(credential, space);
}
}  // namespace

void HXHTTPRequest::saveCredentialsForHost(const std::shared_ptr<NSURLCredential>& credentials,
                                           const std::string& host, int port,
                                           const std::string& protocol, const std::string& realm) {
  NSURLCredentialStorage::sharedCredentialStorage().setDefaultCredential(
      credentials, serverSpace(host, port, protocol, realm));
}

void HXHTTPRequest::saveCredentialsForProxy(const std::shared_ptr<NSURLCredential>& credentials,
                                            const std::string& host, int port,
                                            const std::string& realm) {
  NSURLCredentialStorage::sharedCredentialStorage().setDefaultCredential(
      credentials, proxySpace(host, port, realm));
}

std::shared_ptr<NSURLCredential> HXHTTPRequest::savedCredentialsForHost(const std::string& host,
                                                                        int port,
                                                                        const std::string& protocol,
                                                                        const std::string& realm) {
  return NSURLCredentialStorage::sharedCredentialStorage().defaultCredentialForProtectionSpace(
      serverSpace(host, port, protocol, realm));
}

std::shared_ptr<NSURLCredential> HXHTTPRequest::savedCredentialsForProxy(const std::string& host,
                                                                         int port,
                                                                         const std::string&,
                                                                         const std::string& realm) {
  return NSURLCredentialStorage::sharedCredentialStorage().defaultCredentialForProtectionSpace(
      proxySpace(host, port, realm));
}

void HXHTTPRequest::removeCredentialsForHost(const std::string& host, int port,
                                             const std::string& protocol,
                                             const std::string& realm) {
  removeDefaultCredential(serverSpace(host, port, protocol, realm));
}

void HXHTTPRequest::removeCredentialsForProxy(const std::string& host, int port,
                                              const std::string& realm) {
  removeDefaultCredential(proxySpace(host, port, realm));
}

void HXHTTPRequest::clearSession() {
  {
    std::lock_guard<std::recursive_mutex> lock(cls().sessionCredentialsLock);
    credentialsStore(false)->removeAllObjects();
  }
  setSessionCookies(std::nullopt);
  if (auto cache = defaultCache()) cache->clearCachedResponsesForStoragePolicy(0);
}

// ---- network reachability -----------------------------------------------------------------------

void HXHTTPRequest::registerForNetworkReachabilityNotifications() {
  auto reachability = Reachability::reachabilityForInternetConnection();
  if (reachability) reachability->startNotifer();
  {
    // Kept, so that it goes on notifying; a second registration replaces it.
    std::lock_guard<std::mutex> lock(cls().reachabilityLock);
    cls().reachability = reachability;
  }
  auto center = NSNotificationCenter::defaultCenter();
  std::weak_ptr<void> observer = cls().reachabilityObserver;
  center->removeObserver(observer, kReachabilityChangedNotification);
  center->addObserver(
      observer, [](const NSNotificationPtr& n) { reachabilityChanged(n); },
      kReachabilityChangedNotification);
}

void HXHTTPRequest::unsubscribeFromNetworkReachabilityNotifications() {
  NSNotificationCenter::defaultCenter()->removeObserver(
      std::weak_ptr<void>(cls().reachabilityObserver), kReachabilityChangedNotification);
  // Released outside the lock.
  std::shared_ptr<Reachability> dropped;
  {
    std::lock_guard<std::mutex> lock(cls().reachabilityLock);
    dropped = std::move(cls().reachability);
  }
}

bool HXHTTPRequest::isNetworkReachableViaWWAN() {
  auto reachability = Reachability::reachabilityForInternetConnection();
  return reachability && reachability->currentReachabilityStatus() == ReachableViaWWAN;
}

void HXHTTPRequest::reachabilityChanged(const std::shared_ptr<NSNotification>&) {
  bool viaWWAN = isNetworkReachableViaWWAN();
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  cls().isThrottlingWWAN = viaWWAN;
}

// ---- copying ------------------------------------------------------------------------------------

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::copyWithZone() const {
  auto copy = newRequestOfSameClass(url());
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    copy->setDelegate(delegate_);
  }
  copy->setRequestMethod(requestMethod());
  copy->setPostBody(postBody());
  copy->setShouldStreamPostDataFromDisk(shouldStreamPostDataFromDisk_);
  copy->setPostBodyFilePath(postBodyFilePath());
  if (auto headers = requestHeaders()) copy->setRequestHeaders(headers->mutableCopy());
  copy->setRequestCookies(requestCookies());
  copy->setUseCookiePersistence(useCookiePersistence_);
  copy->setUseKeychainPersistence(useKeychainPersistence_);
  copy->setUseSessionPersistence(useSessionPersistence_);
  copy->setAllowCompressedResponse(allowCompressedResponse_);
  copy->setDownloadDestinationPath(downloadDestinationPath());
  copy->setTemporaryFileDownloadPath(temporaryFileDownloadPath());
  copy->setUsername(username());
  copy->setPassword(password());
  copy->setDomain(domain());
  copy->setProxyUsername(proxyUsername());
  copy->setProxyPassword(proxyPassword());
  copy->setProxyDomain(proxyDomain());
  copy->setProxyHost(proxyHost());
  copy->setProxyPort(proxyPort_);
  copy->setProxyType(proxyType());
  {
    std::lock_guard<PropertyLock> lock(propertyLock_);
    copy->setUploadProgressDelegate(uploadProgressDelegate_);
    copy->setDownloadProgressDelegate(downloadProgressDelegate_);
  }
  copy->setShouldPresentAuthenticationDialog(shouldPresentAuthenticationDialog_);
  copy->setShouldPresentProxyAuthenticationDialog(shouldPresentProxyAuthenticationDialog_);
  copy->setPostLength(postLength_);
  copy->setHaveBuiltPostBody(haveBuiltPostBody_);
  copy->setDidStartSelector(didStartSelector_);
  copy->setDidFinishSelector(didFinishSelector_);
  copy->setDidFailSelector(didFailSelector_);
  copy->setTimeOutSeconds(timeOutSeconds_);
  copy->setShouldResetDownloadProgress(shouldResetDownloadProgress_);
  copy->setShouldResetUploadProgress(shouldResetUploadProgress_);
  copy->setShowAccurateProgress(showAccurateProgress_);
  copy->setDefaultResponseEncoding(defaultResponseEncoding_);
  copy->setAllowResumeForFileDownloads(allowResumeForFileDownloads_);
  Value info = userInfo();
  if (info.isDictionary())
    info = Value(info.dictionary()->copy());
  else if (info.isArray())
    info = Value(info.array()->copy());
  copy->setUserInfo(info);
  copy->setTag(tag_);
  copy->setUseHTTPVersionOne(useHTTPVersionOne_);
  copy->setShouldRedirect(shouldRedirect_);
  copy->setValidatesSecureCertificate(validatesSecureCertificate_);
  copy->setClientCertificateIdentity(clientCertificateIdentity());
  if (auto certificates = clientCertificates()) copy->setClientCertificates(certificates->copy());
  copy->setPACurl(PACurl());
  copy->setShouldPresentCredentialsBeforeChallenge(shouldPresentCredentialsBeforeChallenge_);
  copy->setNumberOfTimesToRetryOnTimeout(numberOfTimesToRetryOnTimeout_);
  copy->setShouldUseRFC2616RedirectBehaviour(shouldUseRFC2616RedirectBehaviour_);
  copy->setShouldAttemptPersistentConnection(shouldAttemptPersistentConnection_);
  copy->setPersistentConnectionTimeoutSeconds(persistentConnectionTimeoutSeconds_);
  copy->setAuthenticationScheme(authenticationScheme());
  return copy;
}

// ---- temporary files ----------------------------------------------------------------------------

bool HXHTTPRequest::removeFileAtPath(const std::string& path, NSErrorPtr* error) {
  auto& fm = NSFileManager::defaultManager();
  if (path.empty() || !fm.fileExistsAtPath(path)) return true;
  NSErrorPtr removeError;
  if (!fm.removeItemAtPath(path, &removeError)) {
    if (error)
      *error = NSError::withDescription(
          kHXHTTPRequestErrorDomain, HXFileManagementError,
          stringWithFormat("Failed to delete file at path '%@'", path), removeError);
    return false;
  }
  return true;
}

namespace {
template <class Clear>
bool removeTemporaryFile(HXHTTPRequest& request, const std::string& path, Clear clear,
                         const std::function<void(NSErrorPtr)>& fail) {
  if (path.empty()) return true;
  NSErrorPtr err;
  HXHTTPRequest::removeFileAtPath(path, &err);
  if (err) fail(err);
  clear();
  return !err;
}
}  // namespace

bool HXHTTPRequest::removeTemporaryDownloadFile() {
  return removeTemporaryFile(
      *this, temporaryFileDownloadPath(), [this] { setTemporaryFileDownloadPath(""); },
      [this](NSErrorPtr e) { failWithError(e); });
}

bool HXHTTPRequest::removeTemporaryUncompressedDownloadFile() {
  return removeTemporaryFile(
      *this, temporaryUncompressedDataDownloadPath(),
      [this] { setTemporaryUncompressedDataDownloadPath(""); },
      [this](NSErrorPtr e) { failWithError(e); });
}

bool HXHTTPRequest::removeTemporaryUploadFile() {
  return removeTemporaryFile(
      *this, postBodyFilePath(), [this] { setPostBodyFilePath(""); },
      [this](NSErrorPtr e) { failWithError(e); });
}

bool HXHTTPRequest::removeTemporaryCompressedUploadFile() {
  return removeTemporaryFile(
      *this, compressedPostBodyFilePath_, [this] { compressedPostBodyFilePath_.clear(); },
      [this](NSErrorPtr e) { failWithError(e); });
}

NSErrorPtr HXHTTPRequest::fileError(std::string text, NSErrorPtr underlying) {
  return NSError::withDescription(kHXHTTPRequestErrorDomain, HXFileManagementError, std::move(text),
                                  std::move(underlying));
}

// ---- the response -------------------------------------------------------------------------------

std::optional<std::string> HXHTTPRequest::responseData() {
  auto raw = rawResponseData();
  if (raw && isResponseCompressed() && shouldWaitToInflateCompressedResponses_)
    return HXDataDecompressor::uncompressData(*raw);
  return raw;
}

std::optional<std::string> HXHTTPRequest::responseString() {
  auto data = responseData();
  if (!data) return std::nullopt;
  return stringWithData(*data, responseEncoding_);
}

// ---- properties ---------------------------------------------------------------------------------

std::shared_ptr<NSURL> HXHTTPRequest::url() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return url_;
}

void HXHTTPRequest::setURL(std::shared_ptr<NSURL> newURL) {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  std::lock_guard<PropertyLock> plock(propertyLock_);
  if (newURL == url_ || (newURL && url_ && newURL->absoluteString() == url_->absoluteString()))
    return;
  url_ = std::move(newURL);
  requestAuthentication_.reset();
  proxyAuthentication_.reset();
  request_.reset();
  redirectURL_.reset();
}

std::string HXHTTPRequest::requestMethod() const {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  return requestMethod_;
}

void HXHTTPRequest::setRequestMethod(std::string method) {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  if (requestMethod_ == method) return;
  requestMethod_ = std::move(method);
  bool hasBody;
  {
    std::lock_guard<PropertyLock> plock(propertyLock_);
    hasBody = (postBody_ && !postBody_->empty()) || !postBodyFilePath_.empty();
  }
  if (requestMethod_ == "POST" || requestMethod_ == "PUT" || hasBody)
    shouldAttemptPersistentConnection_ = false;
}

std::shared_ptr<NSObject> HXHTTPRequest::delegate() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return delegate_.lock();
}

void HXHTTPRequest::setDelegate(std::weak_ptr<NSObject> d) {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  std::lock_guard<PropertyLock> plock(propertyLock_);
  delegate_ = std::move(d);
}

std::shared_ptr<NSObject> HXHTTPRequest::queue() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return queue_;
}

void HXHTTPRequest::setQueue(std::shared_ptr<NSObject> q) {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  std::lock_guard<PropertyLock> plock(propertyLock_);
  queue_ = std::move(q);
}

std::shared_ptr<NSObject> HXHTTPRequest::uploadProgressDelegate() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return uploadProgressDelegate_.lock();
}

void HXHTTPRequest::setUploadProgressDelegate(std::weak_ptr<NSObject> d) {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  std::lock_guard<PropertyLock> plock(propertyLock_);
  uploadProgressDelegate_ = std::move(d);
}

std::shared_ptr<NSObject> HXHTTPRequest::downloadProgressDelegate() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return downloadProgressDelegate_.lock();
}

void HXHTTPRequest::setDownloadProgressDelegate(std::weak_ptr<NSObject> d) {
  std::lock_guard<std::recursive_mutex> lock(cancelledLock_);
  std::lock_guard<PropertyLock> plock(propertyLock_);
  downloadProgressDelegate_ = std::move(d);
}

#define HX_LOCKED_PROPERTY(Type, getter, Setter, member) \
  Type HXHTTPRequest::getter() const {                   \
    std::lock_guard<PropertyLock> lock(propertyLock_);   \
    return member;                                       \
  }                                                      \
  void HXHTTPRequest::Setter(Type value) {               \
    std::lock_guard<PropertyLock> lock(propertyLock_);   \
    member = std::move(value);                           \
  }

HX_LOCKED_PROPERTY(std::shared_ptr<NSURL>, originalURL, setOriginalURL, originalURL_)
HX_LOCKED_PROPERTY(std::optional<std::string>, postBody, setPostBody, postBody_)
HX_LOCKED_PROPERTY(std::string, postBodyFilePath, setPostBodyFilePath, postBodyFilePath_)
HX_LOCKED_PROPERTY(ValueDictionary, requestHeaders, setRequestHeaders, requestHeaders_)
HX_LOCKED_PROPERTY(ValueDictionary, responseHeaders, setResponseHeaders, responseHeaders_)
HX_LOCKED_PROPERTY(HXHTTPRequest::Cookies, requestCookies, setRequestCookies, requestCookies_)
HX_LOCKED_PROPERTY(std::string, downloadDestinationPath, setDownloadDestinationPath,
                   downloadDestinationPath_)
HX_LOCKED_PROPERTY(std::string, temporaryFileDownloadPath, setTemporaryFileDownloadPath,
                   temporaryFileDownloadPath_)
HX_LOCKED_PROPERTY(std::string, temporaryUncompressedDataDownloadPath,
                   setTemporaryUncompressedDataDownloadPath, temporaryUncompressedDataDownloadPath_)
HX_LOCKED_PROPERTY(NSErrorPtr, error, setError, error_)
HX_LOCKED_PROPERTY(std::string, username, setUsername, username_)
HX_LOCKED_PROPERTY(std::string, password, setPassword, password_)
HX_LOCKED_PROPERTY(std::optional<std::string>, userAgent, setUserAgent, userAgent_)
HX_LOCKED_PROPERTY(std::string, domain, setDomain, domain_)
HX_LOCKED_PROPERTY(std::string, proxyUsername, setProxyUsername, proxyUsername_)
HX_LOCKED_PROPERTY(std::string, proxyPassword, setProxyPassword, proxyPassword_)
HX_LOCKED_PROPERTY(std::string, proxyDomain, setProxyDomain, proxyDomain_)
HX_LOCKED_PROPERTY(std::optional<std::string>, rawResponseData, setRawResponseData,
                   rawResponseData_)
HX_LOCKED_PROPERTY(std::string, authenticationScheme, setAuthenticationScheme,
                   authenticationScheme_)
HX_LOCKED_PROPERTY(std::string, authenticationRealm, setAuthenticationRealm, authenticationRealm_)
HX_LOCKED_PROPERTY(Value, userInfo, setUserInfo, userInfo_)
HX_LOCKED_PROPERTY(std::string, proxyHost, setProxyHost, proxyHost_)
HX_LOCKED_PROPERTY(std::string, proxyType, setProxyType, proxyType_)
HX_LOCKED_PROPERTY(std::shared_ptr<NSURL>, redirectURL, setRedirectURL, redirectURL_)
HX_LOCKED_PROPERTY(HXHTTPRequest::Cookies, responseCookies, setResponseCookies, responseCookies_)
HX_LOCKED_PROPERTY(std::string, responseStatusMessage, setResponseStatusMessage,
                   responseStatusMessage_)
HX_LOCKED_PROPERTY(std::optional<std::string>, compressedPostBody, setCompressedPostBody,
                   compressedPostBody_)
HX_LOCKED_PROPERTY(std::string, compressedPostBodyFilePath, setCompressedPostBodyFilePath,
                   compressedPostBodyFilePath_)
HX_LOCKED_PROPERTY(std::string, proxyAuthenticationScheme, setProxyAuthenticationScheme,
                   proxyAuthenticationScheme_)
HX_LOCKED_PROPERTY(std::string, proxyAuthenticationRealm, setProxyAuthenticationRealm,
                   proxyAuthenticationRealm_)
HX_LOCKED_PROPERTY(ValueDictionary, requestCredentials, setRequestCredentials, requestCredentials_)
HX_LOCKED_PROPERTY(ValueDictionary, proxyCredentials, setProxyCredentials, proxyCredentials_)
HX_LOCKED_PROPERTY(std::shared_ptr<NSURL>, PACurl, setPACurl, PACurl_)
HX_LOCKED_PROPERTY(std::shared_ptr<NSObject>, clientCertificateIdentity,
                   setClientCertificateIdentity, clientCertificateIdentity_)
HX_LOCKED_PROPERTY(ValueArray, clientCertificates, setClientCertificates, clientCertificates_)
HX_LOCKED_PROPERTY(std::shared_ptr<HXDataDecompressor>, dataDecompressor, setDataDecompressor,
                   dataDecompressor_)

#undef HX_LOCKED_PROPERTY

std::string HXHTTPRequest::runLoopMode() const {
  return *runLoopModeShared();
}

std::shared_ptr<const std::string> HXHTTPRequest::runLoopModeShared() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return runLoopMode_;
}

void HXHTTPRequest::setRunLoopMode(std::string mode) {
  auto shared = std::make_shared<const std::string>(std::move(mode));
  std::lock_guard<PropertyLock> lock(propertyLock_);
  runLoopMode_ = std::move(shared);
}

std::shared_ptr<HXConnectionInfo> HXHTTPRequest::connectionInfo() const {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  return connectionInfo_;
}

void HXHTTPRequest::setConnectionInfo(std::shared_ptr<HXConnectionInfo> info) {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  connectionInfo_ = std::move(info);
}

std::optional<int64_t> HXHTTPRequest::requestID() const {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  return requestID_;
}

void HXHTTPRequest::setRequestID(std::optional<int64_t> v) {
  std::lock_guard<std::recursive_mutex> lock(cls().connectionsLock);
  requestID_ = v;
}

std::shared_ptr<HXCacheDelegate> HXHTTPRequest::downloadCache() const {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  return downloadCache_.lock();
}

void HXHTTPRequest::setDownloadCache(std::weak_ptr<HXCacheDelegate> cache) {
  std::lock_guard<PropertyLock> lock(propertyLock_);
  downloadCache_ = std::move(cache);
}

void HXHTTPRequest::setStartedBlock(BasicBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->started = std::move(b);
}
void HXHTTPRequest::setHeadersReceivedBlock(HeadersBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->headersReceived = std::move(b);
}
void HXHTTPRequest::setCompletionBlock(BasicBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->completion = std::move(b);
}
void HXHTTPRequest::setFailedBlock(BasicBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->failure = std::move(b);
}
void HXHTTPRequest::setBytesReceivedBlock(ProgressBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->bytesReceived = std::move(b);
}
void HXHTTPRequest::setBytesSentBlock(ProgressBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->bytesSent = std::move(b);
}
void HXHTTPRequest::setDownloadSizeIncrementedBlock(SizeBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->downloadSizeIncremented = std::move(b);
}
void HXHTTPRequest::setUploadSizeIncrementedBlock(SizeBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->uploadSizeIncremented = std::move(b);
}
void HXHTTPRequest::setDataReceivedBlock(DataBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->dataReceived = std::move(b);
}
void HXHTTPRequest::setAuthenticationNeededBlock(BasicBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->authenticationNeeded = std::move(b);
}
void HXHTTPRequest::setProxyAuthenticationNeededBlock(BasicBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->proxyAuthenticationNeeded = std::move(b);
}
void HXHTTPRequest::setRequestRedirectedBlock(BasicBlock b) {
  std::lock_guard<PropertyLock> lock(blocks_->mutex);
  blocks_->requestRedirected = std::move(b);
}
