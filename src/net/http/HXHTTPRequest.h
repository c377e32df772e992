// One HTTP exchange: the request (URL, method, headers, body, credentials, destination) and its
// response (status, headers, cookies, body in memory or in a file), sent on the engine's
// network thread and reported to its delegate, queue and closures on the main thread.
//
// Typical use: requestWithURL, set the delegate and the finish and fail selectors, a timeout,
// a download destination, headers; startAsynchronous; read responseStatusCode and
// responseString (or the downloaded file) in the finish selector.  clearDelegatesAndCancel
// guarantees that no callback reaches the delegate afterwards.
//
// Selectors: a selector field either names a method of HXHTTPRequestDelegate (the defaults do,
// and so does a Selector made with a name only) and then goes to the delegate's method, or is
// a Selector bound to its own target.  Either way it is used only while the delegate is set
// and alive.  Bound selectors receive the request as an object Value, or, for the two-argument
// selectors, an array of the request and the second argument (headers dictionary, URL object
// or data).
//
// Threads.  A request belongs to three threads in turn, and its fields fall in four groups:
// - The configuration (URL, method, headers, body, destination, switches, timeout, credentials,
//   caller data) is set on the caller's thread before the start and is read-only afterwards,
//   except for what the exchange itself rewrites (a redirect's URL, method, body and headers;
//   the headers and body it builds).
// - The exchange (the HTTP message, streams, files, timers, progress counts, the response and
//   the error) belongs to the request's thread while the request runs: the network thread, or
//   the caller's thread for a synchronous request.  Every step of the exchange runs there, one
//   after another, so none of it needs a lock.  Other threads read the response in the finish
//   and fail callbacks and afterwards (the hand-over to the main thread orders them after the
//   exchange); reading it while the request runs is not allowed.
// - What may change while the request runs, from any thread: the delegate, the queue, the two
//   progress receivers and the closures (cleared by clearDelegatesAndCancel).  They are kept
//   under the request's one mutex; so are the URL and the method, which the caller sets and a
//   redirect rewrites, and the bodies made for the caller.
// - The operation's state (started, executing, finished, cancelled, isCanceledRequest) is
//   atomic: queues and callers ask for it from their own threads.
// - While the request waits for credentials (it asked its delegate, queue or closure, or the
//   credentials dialog), nothing of it runs: whoever was asked may set the credentials
//   (username, password, domain and the proxy's) from the main thread before it calls
//   retryUsingSuppliedCredentials, which orders them before the request reads them.
// cancel, clearDelegatesAndCancel, redirectToURL, retryUsingSuppliedCredentials and
// cancelAuthentication may be called from any thread: they hand their work to the request's
// thread.  Class-wide state (the connection pool, session stores, defaults) has locks of its
// own: plain mutexes, held for short steps that never call back into a request's steps.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSOperation.h"
#include "Foundation/NSString.h"
#include "Foundation/Value.h"
#include "net/http/HXConnectionInfo.h"
#include "net/http/HXHTTPRequestErrors.h"

class CFHTTPAuthentication;
class CFHTTPMessage;
class CFHTTPReadStream;
class CFReadStream;
class CFWriteStream;
class HXCacheDelegate;
class HXDataDecompressor;
class HXHTTPRequestDelegate;
class HXProgressDelegate;
class NSBundle;
class NSHTTPCookie;
class NSNotification;
class NSOperationQueue;
class NSRunLoop;
class NSThread;
class NSTimer;
class NSURL;
class NSURLCredential;
class Reachability;

// The run-loop mode of synchronous requests.
inline constexpr std::string_view HXHTTPRequestRunLoopMode = "HXHTTPRequestRunLoopMode";
// The usage-log event of a failed request.
inline constexpr int32_t kHXRequestFailureLogEvent = 903;

class HXHTTPRequest : public NSOperation {
 public:
  using Cookies = std::vector<std::shared_ptr<NSHTTPCookie>>;
  using BasicBlock = std::function<void()>;
  using HeadersBlock = std::function<void(const ValueDictionary&)>;
  using SizeBlock = std::function<void(int64_t size)>;
  using ProgressBlock = std::function<void(uint64_t size, uint64_t total)>;
  using DataBlock = std::function<void(const std::string& data)>;
  // A body held in memory: shared, never changed once handed out.
  using Body = std::shared_ptr<const std::string>;

  // ---- construction (initWithURL: sets the defaults; use the factories)
  struct Private {};
  HXHTTPRequest(Private, std::shared_ptr<NSURL> url);
  ~HXHTTPRequest() override;
  static std::shared_ptr<HXHTTPRequest> requestWithURL(std::shared_ptr<NSURL> url);
  static std::shared_ptr<HXHTTPRequest> requestWithURL(std::shared_ptr<NSURL> url,
                                                       std::shared_ptr<HXCacheDelegate> cache);
  static std::shared_ptr<HXHTTPRequest> requestWithURL(std::shared_ptr<NSURL> url,
                                                       std::shared_ptr<HXCacheDelegate> cache,
                                                       int cachePolicy);

  // ---- starting and stopping
  void startAsynchronous();
  void startSynchronous();
  // The operation entry point (a queue calls it): hands the work to the network thread.
  void start() override;
  bool isConcurrent() const override { return true; }
  // Hands the cancellation to the request's thread.
  void cancel() override;
  void clearDelegatesAndCancel();
  bool isCancelled() const { return cancelled_; }
  bool isExecuting() const { return inProgress_; }
  bool isFinished() const { return finished_; }
  // Whether the request was ever started.
  bool isInRequest() const { return isStarted_; }

  // ---- building (the caller's thread, before the start)
  void addRequestHeader(std::string_view header, std::string_view value);
  void appendPostData(std::string_view data);
  void appendPostDataFromFile(const std::string& file);
  void setupPostBody();
  virtual void buildPostBody();
  void buildRequestHeaders();
  void applyCookieHeader();
  void updatePartialDownloadSize();
  // A HEAD request for the same URL with this request's settings, made for this request.
  std::shared_ptr<HXHTTPRequest> HEADRequest();
  // A new request of the same class for the URL with this request's configuration: delegate,
  // method, body, headers, cookies, credentials, proxy, progress receivers, switches, timeout,
  // retries and caller data.  Its queue, user agent, closures, cache settings, the
  // application's own fields and all progress and response state start afresh.
  virtual std::shared_ptr<HXHTTPRequest> copyWithZone() const;

  // ---- the response (in the finish and fail callbacks and afterwards)
  // The body as it arrived (still compressed when the server compressed it and inflating was
  // deferred); nullptr when it went to a file or a data receiver, or nothing was read.
  Body rawResponseData() const { return rawResponseData_; }
  void setRawResponseData(std::shared_ptr<std::string> data);
  // The body: inflated when the server compressed it and inflating was deferred (once; the
  // request keeps the result).
  Body responseData();
  // The body as UTF-8 text, decoded from responseEncoding (once for each encoding); nullptr
  // when there is no body or it does not decode.
  Body responseString();
  bool isResponseCompressed() const;

  // ---- redirects and credentials, from any thread
  void redirectToURL(std::shared_ptr<NSURL> newURL);
  // The answer of whoever was asked for credentials (the delegate or queue in
  // authenticationNeededForRequest or proxyAuthenticationNeededForRequest, a closure, the
  // credentials dialog): set the credentials first (setUsername and setPassword, or the
  // proxy's; the domain for NTLM), then retry; or give up, which fails the request with
  // HXAuthenticationErrorType.
  void retryUsingSuppliedCredentials();
  void cancelAuthentication();
  // Sends "Authorization: Basic ..." with these credentials before any challenge.
  void addBasicAuthenticationHeaderWithUsername(const std::string& user, const std::string& pass);

  // ---- class-wide defaults and header utilities
  static double defaultTimeOutSeconds();
  static void setDefaultTimeOutSeconds(double seconds);
  // Built from the main bundle and the device on first use; nullopt when the bundle names no
  // application.
  static std::optional<std::string> defaultUserAgentString();
  static void setDefaultUserAgentString(std::optional<std::string> agent);
  // The agent text a bundle gives: "<name> <version> (<model>; <system> <version>; <locale>)".
  static std::optional<std::string> userAgentForBundle(const NSBundle& bundle);
  static std::optional<std::string> mimeTypeForFileAtPath(const std::string& path);
  static std::string base64forData(std::string_view data);
  static std::optional<double> expiryDateForRequest(const HXHTTPRequest& request, double maxAge);
  static std::optional<double> dateFromRFC1123String(std::string_view string);
  // Writes the MIME type and, when the content type names a charset the platform knows, the
  // encoding; changes nothing without a content type.
  static void parseMimeType(std::string* mimeType, NSStringEncoding* stringEncoding,
                            const std::optional<std::string>& contentType);

  // ---- the network thread, the shared queue and the activity indicator
  static std::shared_ptr<NSThread> threadForRequest(const std::shared_ptr<HXHTTPRequest>& request);
  static std::shared_ptr<NSOperationQueue> sharedQueue();
  static bool isMultitaskingSupported();
  static bool isNetworkInUse();
  static void setShouldUpdateNetworkActivityIndicator(bool shouldUpdate);
  static void showNetworkActivityIndicator();
  static void hideNetworkActivityIndicator();
  static void hideNetworkActivityIndicatorAfterDelay();
  static void hideNetworkActivityIndicatorIfNeeeded();
  // Whether the indicator is shown (the application's indicator property).
  static bool networkActivityIndicatorVisible();

  // ---- persistent connections, session cookies, the default cache
  static void expirePersistentConnections();
  static std::vector<std::shared_ptr<HXConnectionInfo>> persistentConnectionsPool();
  static Cookies sessionCookies();
  static void setSessionCookies(std::optional<Cookies> cookies);
  static void addSessionCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
  static std::shared_ptr<HXCacheDelegate> defaultCache();
  static void setDefaultCache(std::shared_ptr<HXCacheDelegate> cache);
  // The number of the request's pool entry.
  std::optional<int64_t> connectionID() const;

  // ---- session credential stores, saved credentials and the session
  // Entries of the server store: "Authentication", "Credentials" (the credential dictionary),
  // "URL", "AuthenticationScheme" and, when known, "AuthenticationRealm"; of the proxy store:
  // "Authentication", "Credentials", "Host", "Port" and "AuthenticationScheme".  The lists are
  // made on first use and live for the process.
  static ValueArray sessionCredentialsStore();
  static ValueArray sessionProxyCredentialsStore();
  // Appends the entry after removing any entry that holds the same credential dictionary
  // (the same object, not equal contents).
  static void storeAuthenticationCredentialsInSessionStore(const ValueDictionary& entry);
  static void storeProxyAuthenticationCredentialsInSessionStore(const ValueDictionary& entry);
  // Removes the first entry holding this very credential dictionary.
  static void removeAuthenticationCredentialsFromSessionStore(const ValueDictionary& credentials);
  static void removeProxyAuthenticationCredentialsFromSessionStore(
      const ValueDictionary& credentials);
  // The stored entry for this request's URL, else the first one for its scheme, host and port,
  // that agrees with the request's realm and credentials; nil when none does.
  ValueDictionary findSessionAuthenticationCredentials() const;
  // The first proxy entry for this request's proxy host and port; nil when none.
  ValueDictionary findSessionProxyAuthenticationCredentials() const;
  // The platform's shared credential storage (the long-term store), by protection space.
  static void saveCredentialsForHost(const std::shared_ptr<NSURLCredential>& credentials,
                                     const std::string& host, int port, const std::string& protocol,
                                     const std::string& realm);
  static void saveCredentialsForProxy(const std::shared_ptr<NSURLCredential>& credentials,
                                      const std::string& host, int port, const std::string& realm);
  static std::shared_ptr<NSURLCredential> savedCredentialsForHost(const std::string& host, int port,
                                                                  const std::string& protocol,
                                                                  const std::string& realm);
  // The protocol is not part of a proxy's protection space.
  static std::shared_ptr<NSURLCredential> savedCredentialsForProxy(const std::string& host,
                                                                   int port,
                                                                   const std::string& protocol,
                                                                   const std::string& realm);
  static void removeCredentialsForHost(const std::string& host, int port,
                                       const std::string& protocol, const std::string& realm);
  static void removeCredentialsForProxy(const std::string& host, int port,
                                        const std::string& realm);
  // Forgets the session: the server credential store (not the proxy store), the session
  // cookies (deleted from the shared cookie storage too) and the default cache's responses
  // kept for the session.
  static void clearSession();

  // ---- network reachability (behind throttling on WWAN)
  // Starts an internet-connection reachability object on the calling thread's run loop and
  // observes its changes with reachabilityChanged.
  static void registerForNetworkReachabilityNotifications();
  static void unsubscribeFromNetworkReachabilityNotifications();
  static bool isNetworkReachableViaWWAN();
  static void reachabilityChanged(const std::shared_ptr<NSNotification>& notification);

  // ---- progress receivers
  // Sets a progress receiver's bar to progress / total on the main thread (waiting only when
  // already there), under the progress lock.  `indicator` is read again on the main thread, so
  // a receiver cleared meanwhile hears nothing.
  static void updateProgressIndicator(std::function<std::shared_ptr<NSObject>()> indicator,
                                      uint64_t progress, uint64_t total);

  // ---- temporary files
  // Removes, under `folder` and its subfolders, the temporary files the engine names itself
  // (downloads being written beside their destination, bodies in the temporary folder) that
  // were last written before `before` (seconds on the real clock): those of an earlier run,
  // which no request of this one owns.  The number removed.
  static size_t removeStaleTemporaryFiles(const std::string& folder, double before);
  static bool removeFileAtPath(const std::string& path, NSErrorPtr* error);
  bool removeTemporaryDownloadFile();
  bool removeTemporaryUncompressedDownloadFile();
  bool removeTemporaryUploadFile();
  bool removeTemporaryCompressedUploadFile();

  // ---- bandwidth: all requests together, measured per second and optionally capped
  // Throttled: a cap applies now (a plain cap, or the WWAN cap while the link is WWAN).
  static bool isBandwidthThrottled();
  // The cap in bytes per second for every request together; 0, the default, is none.
  static unsigned long maxBandwidthPerSecond();
  static void setMaxBandwidthPerSecond(unsigned long bytes);
  // Counts bytes sent or received by any request.
  static void incrementBandwidthUsedInLastSecond(unsigned long bytes);
  // The mean of the bytes used in the last (up to five) measured seconds.
  static unsigned long averageBandwidthUsedPerSecond();
  // Closes the measurement period when it has ended, and sets the wake-up time of throttled
  // requests when the period's allowance is overdrawn.
  static void measureBandwidthUsage();
  // How many bytes an upload read may take now.
  static unsigned long maxUploadReadLength();
  // YES caps requests at 14800 bytes per second while the link is WWAN; NO removes every cap.
  static void setShouldThrottleBandwidthForWWAN(bool throttle);
  static void throttleBandwidthForWWANUsingLimit(unsigned long limit);
  // End of the current measurement period and the wake-up time (real-clock seconds).
  static std::optional<double> bandwidthMeasurementDate();
  static std::optional<double> throttleWakeUpTime();
  // Detaches the read stream while a wake-up time lies ahead, attaches it otherwise.  The
  // request's thread.
  void performThrottling();

  // ---- under the request's mutex: any thread
  std::shared_ptr<NSURL> url() const;
  void setURL(std::shared_ptr<NSURL> url);
  std::string requestMethod() const;
  void setRequestMethod(std::string method);
  std::shared_ptr<NSObject> delegate() const;
  void setDelegate(std::weak_ptr<NSObject> delegate);
  std::shared_ptr<NSObject> queue() const;
  void setQueue(std::shared_ptr<NSObject> queue);
  std::shared_ptr<NSObject> uploadProgressDelegate() const;
  void setUploadProgressDelegate(std::weak_ptr<NSObject> delegate);
  std::shared_ptr<NSObject> downloadProgressDelegate() const;
  void setDownloadProgressDelegate(std::weak_ptr<NSObject> delegate);

  // ---- closures (set on the caller's thread, called on the main thread; any thread)
  void setStartedBlock(BasicBlock b);
  void setHeadersReceivedBlock(HeadersBlock b);
  void setCompletionBlock(BasicBlock b);
  void setFailedBlock(BasicBlock b);
  void setBytesReceivedBlock(ProgressBlock b);
  void setBytesSentBlock(ProgressBlock b);
  void setDownloadSizeIncrementedBlock(SizeBlock b);
  void setUploadSizeIncrementedBlock(SizeBlock b);
  void setDataReceivedBlock(DataBlock b);
  void setAuthenticationNeededBlock(BasicBlock b);
  void setProxyAuthenticationNeededBlock(BasicBlock b);
  void setRequestRedirectedBlock(BasicBlock b);

  // ---- the application's own fields (the caller's thread; any thread for the cancel mark)
  bool isCanceledRequest() const { return isCanceledRequest_; }
  void setIsCanceledRequest(bool v) { isCanceledRequest_ = v; }
  bool needPromptSelf() const { return needPromptSelf_; }
  void setNeedPromptSelf(bool v) { needPromptSelf_ = v; }
  int netServerType() const { return netServerType_; }
  void setNetServerType(int v) { netServerType_ = v; }

  // ---- the configuration (the caller's thread before the start; read-only afterwards)
  std::shared_ptr<NSURL> originalURL() const { return originalURL_; }
  void setOriginalURL(std::shared_ptr<NSURL> url) { originalURL_ = std::move(url); }
  std::shared_ptr<NSURL> redirectURL() const { return redirectURL_; }
  void setRedirectURL(std::shared_ptr<NSURL> url) { redirectURL_ = std::move(url); }
  const std::optional<std::string>& postBody() const { return postBody_; }
  void setPostBody(std::optional<std::string> body) { postBody_ = std::move(body); }
  bool shouldStreamPostDataFromDisk() const { return shouldStreamPostDataFromDisk_; }
  void setShouldStreamPostDataFromDisk(bool v) { shouldStreamPostDataFromDisk_ = v; }
  const std::string& postBodyFilePath() const { return postBodyFilePath_; }
  void setPostBodyFilePath(std::string path) { postBodyFilePath_ = std::move(path); }
  const std::optional<std::string>& compressedPostBody() const { return compressedPostBody_; }
  void setCompressedPostBody(std::optional<std::string> body) {
    compressedPostBody_ = std::move(body);
  }
  const std::string& compressedPostBodyFilePath() const { return compressedPostBodyFilePath_; }
  void setCompressedPostBodyFilePath(std::string path) {
    compressedPostBodyFilePath_ = std::move(path);
  }
  std::shared_ptr<CFWriteStream> postBodyWriteStream() const { return postBodyWriteStream_; }
  void setPostBodyWriteStream(std::shared_ptr<CFWriteStream> s) {
    postBodyWriteStream_ = std::move(s);
  }
  std::shared_ptr<CFReadStream> postBodyReadStream() const { return postBodyReadStream_; }
  void setPostBodyReadStream(std::shared_ptr<CFReadStream> s) {
    postBodyReadStream_ = std::move(s);
  }
  bool didCreateTemporaryPostDataFile() const { return didCreateTemporaryPostDataFile_; }
  void setDidCreateTemporaryPostDataFile(bool v) { didCreateTemporaryPostDataFile_ = v; }
  const ValueDictionary& requestHeaders() const { return requestHeaders_; }
  void setRequestHeaders(ValueDictionary headers) { requestHeaders_ = std::move(headers); }
  bool haveBuiltRequestHeaders() const { return haveBuiltRequestHeaders_; }
  void setHaveBuiltRequestHeaders(bool v) { haveBuiltRequestHeaders_ = v; }
  const Cookies& requestCookies() const { return requestCookies_; }
  void setRequestCookies(Cookies cookies) { requestCookies_ = std::move(cookies); }
  bool useCookiePersistence() const { return useCookiePersistence_; }
  void setUseCookiePersistence(bool v) { useCookiePersistence_ = v; }
  bool useKeychainPersistence() const { return useKeychainPersistence_; }
  void setUseKeychainPersistence(bool v) { useKeychainPersistence_ = v; }
  bool useSessionPersistence() const { return useSessionPersistence_; }
  void setUseSessionPersistence(bool v) { useSessionPersistence_ = v; }
  bool allowCompressedResponse() const { return allowCompressedResponse_; }
  void setAllowCompressedResponse(bool v) { allowCompressedResponse_ = v; }
  bool shouldCompressRequestBody() const { return shouldCompressRequestBody_; }
  void setShouldCompressRequestBody(bool v) { shouldCompressRequestBody_ = v; }
  // The file the body goes to.  It is written beside the file (see temporaryFileDownloadPath)
  // and put in its place only once complete: a failed download leaves what was there, and so
  // does a reply with status 400 or above, whose body is kept in memory (responseData) instead.
  const std::string& downloadDestinationPath() const { return downloadDestinationPath_; }
  void setDownloadDestinationPath(std::string path) { downloadDestinationPath_ = std::move(path); }
  // Decides, once a download is whole, whether it may take the destination's place: a cache
  // keeps its last good file when a reply is not what the request expects.  Called on the
  // request's thread with the complete (inflated) file.  A refused body is kept in memory
  // (responseData), as an error status's is, and the request finishes normally.
  using DownloadCheck = std::function<bool(const std::string& completeFile)>;
  void setDownloadCheck(DownloadCheck check) { downloadCheck_ = std::move(check); }
  // The file the body is written to while it arrives; without one, a new name in the
  // destination's folder.
  const std::string& temporaryFileDownloadPath() const { return temporaryFileDownloadPath_; }
  void setTemporaryFileDownloadPath(std::string path) {
    temporaryFileDownloadPath_ = std::move(path);
  }
  const std::string& temporaryUncompressedDataDownloadPath() const {
    return temporaryUncompressedDataDownloadPath_;
  }
  void setTemporaryUncompressedDataDownloadPath(std::string path) {
    temporaryUncompressedDataDownloadPath_ = std::move(path);
  }
  const std::string& username() const { return username_; }
  void setUsername(std::string v) { username_ = std::move(v); }
  const std::string& password() const { return password_; }
  void setPassword(std::string v) { password_ = std::move(v); }
  const std::optional<std::string>& userAgent() const { return userAgent_; }
  void setUserAgent(std::optional<std::string> v) { userAgent_ = std::move(v); }
  const std::string& domain() const { return domain_; }
  void setDomain(std::string v) { domain_ = std::move(v); }
  const std::string& proxyUsername() const { return proxyUsername_; }
  void setProxyUsername(std::string v) { proxyUsername_ = std::move(v); }
  const std::string& proxyPassword() const { return proxyPassword_; }
  void setProxyPassword(std::string v) { proxyPassword_ = std::move(v); }
  const std::string& proxyDomain() const { return proxyDomain_; }
  void setProxyDomain(std::string v) { proxyDomain_ = std::move(v); }
  bool shouldPresentAuthenticationDialog() const { return shouldPresentAuthenticationDialog_; }
  void setShouldPresentAuthenticationDialog(bool v) { shouldPresentAuthenticationDialog_ = v; }
  bool shouldPresentProxyAuthenticationDialog() const {
    return shouldPresentProxyAuthenticationDialog_;
  }
  void setShouldPresentProxyAuthenticationDialog(bool v) {
    shouldPresentProxyAuthenticationDialog_ = v;
  }
  const Selector& didStartSelector() const { return didStartSelector_; }
  void setDidStartSelector(Selector s) { didStartSelector_ = std::move(s); }
  const Selector& didReceiveResponseHeadersSelector() const {
    return didReceiveResponseHeadersSelector_;
  }
  void setDidReceiveResponseHeadersSelector(Selector s) {
    didReceiveResponseHeadersSelector_ = std::move(s);
  }
  const Selector& willRedirectSelector() const { return willRedirectSelector_; }
  void setWillRedirectSelector(Selector s) { willRedirectSelector_ = std::move(s); }
  const Selector& didFinishSelector() const { return didFinishSelector_; }
  void setDidFinishSelector(Selector s) { didFinishSelector_ = std::move(s); }
  const Selector& didFailSelector() const { return didFailSelector_; }
  void setDidFailSelector(Selector s) { didFailSelector_ = std::move(s); }
  const Selector& didReceiveDataSelector() const { return didReceiveDataSelector_; }
  void setDidReceiveDataSelector(Selector s) { didReceiveDataSelector_ = std::move(s); }
  double timeOutSeconds() const { return timeOutSeconds_; }
  void setTimeOutSeconds(double v) { timeOutSeconds_ = v; }
  bool shouldResetUploadProgress() const { return shouldResetUploadProgress_; }
  void setShouldResetUploadProgress(bool v) { shouldResetUploadProgress_ = v; }
  bool shouldResetDownloadProgress() const { return shouldResetDownloadProgress_; }
  void setShouldResetDownloadProgress(bool v) { shouldResetDownloadProgress_ = v; }
  std::shared_ptr<HXHTTPRequest> mainRequest() const { return mainRequest_.lock(); }
  void setMainRequest(std::weak_ptr<HXHTTPRequest> r) { mainRequest_ = std::move(r); }
  bool showAccurateProgress() const { return showAccurateProgress_; }
  void setShowAccurateProgress(bool v) { showAccurateProgress_ = v; }
  NSStringEncoding defaultResponseEncoding() const { return defaultResponseEncoding_; }
  void setDefaultResponseEncoding(NSStringEncoding v) { defaultResponseEncoding_ = v; }
  bool allowResumeForFileDownloads() const { return allowResumeForFileDownloads_; }
  void setAllowResumeForFileDownloads(bool v) { allowResumeForFileDownloads_ = v; }
  // The most bytes of body the request takes, as received and as inflated (0: no limit).  A
  // larger "Content-Length", body or inflated body fails the request with
  // HXResponseTooLargeErrorType, keeping nothing of it and leaving the destination as it was.
  static constexpr uint64_t kDefaultMaxResponseSize = 64ull << 20;
  uint64_t maxResponseSize() const { return maxResponseSize_; }
  void setMaxResponseSize(uint64_t v) { maxResponseSize_ = v; }
  const Value& userInfo() const { return userInfo_; }
  void setUserInfo(Value v) { userInfo_ = std::move(v); }
  int tag() const { return tag_; }
  void setTag(int v) { tag_ = v; }
  bool useHTTPVersionOne() const { return useHTTPVersionOne_; }
  void setUseHTTPVersionOne(bool v) { useHTTPVersionOne_ = v; }
  bool shouldRedirect() const { return shouldRedirect_; }
  void setShouldRedirect(bool v) { shouldRedirect_ = v; }
  bool validatesSecureCertificate() const { return validatesSecureCertificate_; }
  void setValidatesSecureCertificate(bool v) { validatesSecureCertificate_ = v; }
  const std::string& proxyHost() const { return proxyHost_; }
  void setProxyHost(std::string v) { proxyHost_ = std::move(v); }
  int proxyPort() const { return proxyPort_; }
  void setProxyPort(int v) { proxyPort_ = v; }
  const std::string& proxyType() const { return proxyType_; }
  void setProxyType(std::string v) { proxyType_ = std::move(v); }
  const std::shared_ptr<NSURL>& PACurl() const { return PACurl_; }
  void setPACurl(std::shared_ptr<NSURL> v) { PACurl_ = std::move(v); }
  // The client identity and the further certificates sent after it on https.
  const std::shared_ptr<NSObject>& clientCertificateIdentity() const {
    return clientCertificateIdentity_;
  }
  void setClientCertificateIdentity(std::shared_ptr<NSObject> identity) {
    clientCertificateIdentity_ = std::move(identity);
  }
  const ValueArray& clientCertificates() const { return clientCertificates_; }
  void setClientCertificates(ValueArray v) { clientCertificates_ = std::move(v); }
  bool shouldPresentCredentialsBeforeChallenge() const {
    return shouldPresentCredentialsBeforeChallenge_;
  }
  void setShouldPresentCredentialsBeforeChallenge(bool v) {
    shouldPresentCredentialsBeforeChallenge_ = v;
  }
  int numberOfTimesToRetryOnTimeout() const { return numberOfTimesToRetryOnTimeout_; }
  void setNumberOfTimesToRetryOnTimeout(int v) { numberOfTimesToRetryOnTimeout_ = v; }
  int retryCount() const { return retryCount_; }
  void setRetryCount(int v) { retryCount_ = v; }
  bool shouldAttemptPersistentConnection() const { return shouldAttemptPersistentConnection_; }
  void setShouldAttemptPersistentConnection(bool v) { shouldAttemptPersistentConnection_ = v; }
  double persistentConnectionTimeoutSeconds() const { return persistentConnectionTimeoutSeconds_; }
  void setPersistentConnectionTimeoutSeconds(double v) { persistentConnectionTimeoutSeconds_ = v; }
  bool shouldUseRFC2616RedirectBehaviour() const { return shouldUseRFC2616RedirectBehaviour_; }
  void setShouldUseRFC2616RedirectBehaviour(bool v) { shouldUseRFC2616RedirectBehaviour_ = v; }
  const std::string& runLoopMode() const { return *runLoopMode_; }
  void setRunLoopMode(std::string mode);
  std::shared_ptr<HXCacheDelegate> downloadCache() const { return downloadCache_.lock(); }
  void setDownloadCache(std::weak_ptr<HXCacheDelegate> cache) { downloadCache_ = std::move(cache); }
  int cachePolicy() const { return cachePolicy_; }
  void setCachePolicy(int v) { cachePolicy_ = v; }
  int cacheStoragePolicy() const { return cacheStoragePolicy_; }
  void setCacheStoragePolicy(int v) { cacheStoragePolicy_ = v; }
  double secondsToCache() const { return secondsToCache_; }
  void setSecondsToCache(double v) { secondsToCache_ = v; }
  bool shouldContinueWhenAppEntersBackground() const {
    return shouldContinueWhenAppEntersBackground_;
  }
  void setShouldContinueWhenAppEntersBackground(bool v) {
    shouldContinueWhenAppEntersBackground_ = v;
  }
  bool shouldWaitToInflateCompressedResponses() const {
    return shouldWaitToInflateCompressedResponses_;
  }
  void setShouldWaitToInflateCompressedResponses(bool v) {
    shouldWaitToInflateCompressedResponses_ = v;
  }
  bool isSynchronous() const { return isSynchronous_; }
  void setSynchronous(bool v) { isSynchronous_ = v; }
  bool isPACFileRequest() const { return isPACFileRequest_; }
  void setIsPACFileRequest(bool v) { isPACFileRequest_ = v; }

  // ---- the exchange (the request's thread while it runs; others in the finish and fail
  // callbacks and afterwards)
  std::shared_ptr<CFWriteStream> fileDownloadOutputStream() const {
    return fileDownloadOutputStream_;
  }
  void setFileDownloadOutputStream(std::shared_ptr<CFWriteStream> s) {
    fileDownloadOutputStream_ = std::move(s);
  }
  std::shared_ptr<CFWriteStream> inflatedFileDownloadOutputStream() const {
    return inflatedFileDownloadOutputStream_;
  }
  void setInflatedFileDownloadOutputStream(std::shared_ptr<CFWriteStream> s) {
    inflatedFileDownloadOutputStream_ = std::move(s);
  }
  bool complete() const { return complete_; }
  void setComplete(bool v) { complete_ = v; }
  // Under the mutex: a step handed to the main thread may look while the request fails.
  NSErrorPtr error() const;
  void setError(NSErrorPtr error);
  const ValueDictionary& responseHeaders() const { return responseHeaders_; }
  void setResponseHeaders(ValueDictionary headers) { responseHeaders_ = std::move(headers); }
  const Cookies& responseCookies() const { return responseCookies_; }
  void setResponseCookies(Cookies cookies) { responseCookies_ = std::move(cookies); }
  const std::string& authenticationScheme() const { return authenticationScheme_; }
  void setAuthenticationScheme(std::string v) { authenticationScheme_ = std::move(v); }
  const std::string& authenticationRealm() const { return authenticationRealm_; }
  void setAuthenticationRealm(std::string v) { authenticationRealm_ = std::move(v); }
  const std::string& proxyAuthenticationScheme() const { return proxyAuthenticationScheme_; }
  void setProxyAuthenticationScheme(std::string v) { proxyAuthenticationScheme_ = std::move(v); }
  const std::string& proxyAuthenticationRealm() const { return proxyAuthenticationRealm_; }
  void setProxyAuthenticationRealm(std::string v) { proxyAuthenticationRealm_ = std::move(v); }
  // The credential dictionaries applied to the server's and the proxy's challenges.
  const ValueDictionary& requestCredentials() const { return requestCredentials_; }
  void setRequestCredentials(ValueDictionary v) { requestCredentials_ = std::move(v); }
  const ValueDictionary& proxyCredentials() const { return proxyCredentials_; }
  void setProxyCredentials(ValueDictionary v) { proxyCredentials_ = std::move(v); }
  int authenticationRetryCount() const { return authenticationRetryCount_; }
  void setAuthenticationRetryCount(int v) { authenticationRetryCount_ = v; }
  int proxyAuthenticationRetryCount() const { return proxyAuthenticationRetryCount_; }
  void setProxyAuthenticationRetryCount(int v) { proxyAuthenticationRetryCount_ = v; }
  int responseStatusCode() const { return responseStatusCode_; }
  void setResponseStatusCode(int v) { responseStatusCode_ = v; }
  const std::string& responseStatusMessage() const { return responseStatusMessage_; }
  void setResponseStatusMessage(std::string v) { responseStatusMessage_ = std::move(v); }
  uint64_t contentLength() const { return contentLength_; }
  void setContentLength(uint64_t v) { contentLength_ = v; }
  uint64_t partialDownloadSize() const { return partialDownloadSize_; }
  void setPartialDownloadSize(uint64_t v) { partialDownloadSize_ = v; }
  uint64_t postLength() const { return postLength_; }
  void setPostLength(uint64_t v) { postLength_ = v; }
  uint64_t totalBytesRead() const { return totalBytesRead_; }
  void setTotalBytesRead(uint64_t v) { totalBytesRead_ = v; }
  uint64_t totalBytesSent() const { return totalBytesSent_; }
  void setTotalBytesSent(uint64_t v) { totalBytesSent_ = v; }
  uint64_t lastBytesRead() const { return lastBytesRead_; }
  void setLastBytesRead(uint64_t v) { lastBytesRead_ = v; }
  uint64_t lastBytesSent() const { return lastBytesSent_; }
  void setLastBytesSent(uint64_t v) { lastBytesSent_ = v; }
  // Seconds since 1970 on the clock of the loop the request runs on; 0 for none.
  double lastActivityTime() const { return lastActivityTime_; }
  void setLastActivityTime(double t) { lastActivityTime_ = t; }
  uint64_t uploadBufferSize() const { return uploadBufferSize_; }
  void setUploadBufferSize(uint64_t v) { uploadBufferSize_ = v; }
  bool updatedProgress() const { return updatedProgress_; }
  void setUpdatedProgress(bool v) { updatedProgress_ = v; }
  bool haveBuiltPostBody() const { return haveBuiltPostBody_; }
  void setHaveBuiltPostBody(bool v) { haveBuiltPostBody_ = v; }
  NSStringEncoding responseEncoding() const { return responseEncoding_; }
  void setResponseEncoding(NSStringEncoding v) { responseEncoding_ = v; }
  bool needsRedirect() const { return needsRedirect_; }
  void setNeedsRedirect(bool v) { needsRedirect_ = v; }
  int redirectCount() const { return redirectCount_; }
  void setRedirectCount(int v) { redirectCount_ = v; }
  int authenticationNeeded() const { return authenticationNeeded_; }
  void setAuthenticationNeeded(int v) { authenticationNeeded_ = v; }
  bool inProgress() const { return inProgress_; }
  void setInProgress(bool v) { inProgress_ = v; }
  bool readStreamIsScheduled() const { return readStreamIsScheduled_; }
  void setReadStreamIsScheduled(bool v) { readStreamIsScheduled_ = v; }
  std::shared_ptr<CFHTTPReadStream> readStream() const { return readStream_; }
  void setReadStream(std::shared_ptr<CFHTTPReadStream> s) { readStream_ = std::move(s); }
  bool willRetryRequest() const { return willRetryRequest_; }
  void setWillRetryRequest(bool v) { willRetryRequest_ = v; }
  bool connectionCanBeReused() const { return connectionCanBeReused_; }
  void setConnectionCanBeReused(bool v) { connectionCanBeReused_ = v; }
  // The pool entry (under the pool's lock: entries are shared).
  std::shared_ptr<HXConnectionInfo> connectionInfo() const;
  void setConnectionInfo(std::shared_ptr<HXConnectionInfo> info);
  bool downloadComplete() const { return downloadComplete_; }
  void setDownloadComplete(bool v) { downloadComplete_ = v; }
  std::optional<int64_t> requestID() const;
  void setRequestID(std::optional<int64_t> v);
  std::shared_ptr<NSTimer> statusTimer() const { return statusTimer_; }
  void setStatusTimer(std::shared_ptr<NSTimer> timer);
  bool didUseCachedResponse() const { return didUseCachedResponse_; }
  void setDidUseCachedResponse(bool v) { didUseCachedResponse_ = v; }
  std::shared_ptr<HXDataDecompressor> dataDecompressor() const { return dataDecompressor_; }
  void setDataDecompressor(std::shared_ptr<HXDataDecompressor> d) {
    dataDecompressor_ = std::move(d);
  }

 protected:
  // A new request of the same class for the URL (HEAD requests and copies use it).
  virtual std::shared_ptr<HXHTTPRequest> newRequestOfSameClass(std::shared_ptr<NSURL> url) const;
  // The one place where the shared queue's width changes (a proxy-script download widens it
  // while it runs and narrows it again when it ends or is cancelled).
  static void changeSharedQueueWidthBy(long delta);
  // How much one read of a response body may take now: the normal buffer, or while throttled
  // a quarter of what is left of this second's allowance (at least one byte).
  static unsigned long maxDownloadReadLength(unsigned long bufferSize);

  // ---- steps, on the request's thread
  void main() override;
  void startRequest();
  void cancelOnRequestThread();
  void cancelLoad();
  void discardDownloadFiles();
  void failWithTooLargeResponse();
  void failWithError(NSErrorPtr error);
  virtual void requestFinished();
  // The delegate answers the selector field (a bound selector with a live target, or a
  // protocol method it implements).
  bool delegateResponds(const Selector& selector) const;
  void markAsFinished();
  void checkRequestStatus();
  bool shouldTimeOut();
  void updateStatus();
  bool willRedirect();
  void performRedirect();
  // ---- proxies (before the connection opens)
  // YES when the request may open its connection now; NO while a PAC script is fetched (the
  // fetch starts the request) or when the request failed.
  bool configureProxies();
  void fetchPACFile();
  // The local PAC file's stream events.
  void handlePACFileStreamEvent(unsigned event);
  void timeOutPACRead();
  // Takes the first proxy the script names for the URL; leaves the proxy unchanged when the
  // script fails or names none.
  void runPACScript(const std::string& script);
  // Both the finish and the failure selector of the PAC download; the argument is that
  // request.
  void finishedDownloadingPACFile(const Value& request);
  // Stops a PAC fetch the request waits for (its cancellation).
  void cancelPACFetch();
  void handleNetworkEvent(unsigned type);
  void readResponseHeaders();
  void parseStringEncodingFromHeaders();
  void handleBytesAvailable();
  void handleStreamComplete();
  void handleStreamError();
  bool retryUsingNewConnection();
  void scheduleReadStream();
  void unscheduleReadStream();
  void destroyReadStream();
  void applyAuthorizationHeader();
  void attemptToApplyCredentialsAndResume();
  void attemptToApplyProxyCredentialsAndResume();
  // The first credentials found (user name and password both set), as the dictionary the
  // platform takes; nil when there are none.
  ValueDictionary findCredentials();
  ValueDictionary findProxyCredentials();
  bool applyCredentials(const ValueDictionary& credentials);
  bool applyProxyCredentials(const ValueDictionary& credentials);
  void saveCredentialsToKeychain(const ValueDictionary& credentials);
  void saveProxyCredentialsToKeychain(const ValueDictionary& credentials);
  bool willAskDelegateForCredentials();
  bool willAskDelegateForProxyCredentials();
  bool showAuthenticationDialog();
  bool showProxyAuthenticationDialog();
  void failAuthentication();
  void useDataFromCache();
  void incrementUploadSizeBy(int64_t length);
  void incrementDownloadSizeBy(int64_t length);
  void removeUploadProgressSoFar();
  void updateProgressIndicators();
  void updateUploadProgress();
  void updateDownloadProgress();

  // ---- steps on the main thread
  void requestStarted();
  void requestRedirected();
  void requestReceivedResponseHeaders(const ValueDictionary& headers);
  void requestWillRedirectToURL(const std::shared_ptr<NSURL>& url);
  void passOnReceivedData(const std::string& data);
  void reportFinished();
  void reportFailure();
  void recordURLFail(const std::string& text);
  void askDelegateForCredentials();
  void askDelegateForProxyCredentials();

  // Hands a block to the main thread (runs it at once when already there), in order with the
  // engine's other hand-overs.
  void performOnMainThread(std::function<void()> block);

 private:
  struct Blocks;
  // Runs a step on the main thread, waiting only when already there; keeps the request alive.
  void performOnMain(void (HXHTTPRequest::*step)());
  // Runs a step on the request's thread, after what runs there now; keeps the request alive.
  void performOnRequestThread(std::function<void(HXHTTPRequest&)> step);
  std::shared_ptr<HXHTTPRequest> selfPtr();
  // A copy of one closure (under the mutex).
  template <class F>
  F block(F Blocks::*field) const;
  template <class F>
  bool hasInformationalReceiver(F Blocks::*block) const;
  // Sends a selector field to the delegate when it answers it.
  void sendToDelegate(const Selector& selector, const Value& secondArgument,
                      const std::function<void(HXHTTPRequestDelegate&)>& protocolCall);
  NSErrorPtr fileError(std::string text, NSErrorPtr underlying = nullptr);
  void writeDownloadPiece(std::string_view raw, const std::optional<std::string>& inflated);
  // Puts the completed download in its place; the error that kept it from getting there.
  NSErrorPtr placeDownloadedFile();
  void keepDownloadInMemory(const std::string& complete);
  // The inflated form of a compressed body held in memory, checked whole; the error when it is
  // not.
  NSErrorPtr inflateBodyInMemory();
  // A request header whose name or value would break the message's lines; empty when none.
  std::string headerBreakingTheMessage() const;
  double now() const;

  // Progress receivers, read again on the main thread before each call.
  enum class ProgressTarget { Queue, UploadDelegate, DownloadDelegate };
  template <class F>
  static void performProgress(const std::shared_ptr<HXHTTPRequest>& request, ProgressTarget target,
                              F&& call);
  static void updateProgressIndicator(const std::shared_ptr<HXHTTPRequest>& request,
                                      ProgressTarget target, uint64_t progress, uint64_t total);
  std::shared_ptr<NSObject> progressTarget(ProgressTarget target) const;
  // Makes this request the read stream's client; says whether the stream took it.
  bool setReadStreamClient();
  // Authentication steps shared by the server's and the proxy's form.
  void answerChallenge(bool proxy);
  bool applySessionEntry(const ValueDictionary& entry, bool proxy);
  bool willAsk(bool proxy);
  void askDelegate(bool proxy);
  bool showDialog(bool proxy);

  // ==== Any thread: the operation's state and the application's cancel mark.
  std::atomic<bool> isStarted_{false};
  std::atomic<bool> isCanceledRequest_{false};
  std::atomic<bool> inProgress_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> cancelled_{false};

  // ==== Under mutex_.
  mutable std::mutex mutex_;
  std::weak_ptr<NSObject> delegate_;
  std::shared_ptr<NSObject> queue_;
  std::weak_ptr<NSObject> uploadProgressDelegate_;
  std::weak_ptr<NSObject> downloadProgressDelegate_;
  std::unique_ptr<Blocks> blocks_;
  // The thread of a synchronous request while it runs; nullptr otherwise.
  std::shared_ptr<NSThread> synchronousThread_;
  // What responseData and responseString made for the caller.
  Body inflatedResponseData_;
  Body responseString_;
  NSStringEncoding responseStringEncoding_ = 0;
  // Written under the mutex by their owner (the caller before the start, the request's thread
  // afterwards), who reads them without it.
  std::shared_ptr<NSURL> url_;
  std::string requestMethod_ = "GET";
  NSErrorPtr error_;

  // ==== The application's fields: the caller's thread.
  bool needPromptSelf_ = false;
  int netServerType_ = 0;

  // ==== The configuration: the caller's thread before the start, read-only afterwards
  // (but for what a redirect rewrites and the body and headers the request builds).
  std::shared_ptr<NSURL> originalURL_;
  std::shared_ptr<NSURL> redirectURL_;
  std::optional<std::string> postBody_;
  std::optional<std::string> compressedPostBody_;
  bool shouldStreamPostDataFromDisk_ = false;
  std::string postBodyFilePath_;
  std::string compressedPostBodyFilePath_;
  bool didCreateTemporaryPostDataFile_ = false;
  std::shared_ptr<CFWriteStream> postBodyWriteStream_;
  ValueDictionary requestHeaders_;
  bool haveBuiltRequestHeaders_ = false;
  Cookies requestCookies_;
  bool useCookiePersistence_ = true;
  bool useKeychainPersistence_ = false;
  bool useSessionPersistence_ = true;
  bool allowCompressedResponse_ = true;
  bool shouldCompressRequestBody_ = false;
  std::string downloadDestinationPath_;
  DownloadCheck downloadCheck_;
  std::string username_, password_;
  std::optional<std::string> userAgent_;
  std::string domain_;
  std::string proxyUsername_, proxyPassword_, proxyDomain_;
  bool shouldPresentAuthenticationDialog_ = false;
  bool shouldPresentProxyAuthenticationDialog_ = true;
  Selector didStartSelector_;
  Selector didReceiveResponseHeadersSelector_;
  Selector willRedirectSelector_;
  Selector didFinishSelector_;
  Selector didFailSelector_;
  Selector didReceiveDataSelector_;
  double timeOutSeconds_ = 10.0;
  bool shouldResetUploadProgress_ = true;
  bool shouldResetDownloadProgress_ = true;
  std::weak_ptr<HXHTTPRequest> mainRequest_;
  bool showAccurateProgress_ = true;
  NSStringEncoding defaultResponseEncoding_ = NSISOLatin1StringEncoding;
  bool allowResumeForFileDownloads_ = false;
  uint64_t maxResponseSize_ = kDefaultMaxResponseSize;
  Value userInfo_;
  int tag_ = 0;
  bool useHTTPVersionOne_ = false;
  bool shouldRedirect_ = true;
  bool validatesSecureCertificate_ = true;
  std::shared_ptr<NSObject> clientCertificateIdentity_;
  ValueArray clientCertificates_;
  std::string proxyHost_;
  int proxyPort_ = 0;
  std::string proxyType_;
  std::shared_ptr<NSURL> PACurl_;
  bool shouldPresentCredentialsBeforeChallenge_ = true;
  int numberOfTimesToRetryOnTimeout_ = 0;
  int retryCount_ = 0;
  bool shouldAttemptPersistentConnection_ = true;
  double persistentConnectionTimeoutSeconds_ = 60.0;
  bool shouldUseRFC2616RedirectBehaviour_ = false;
  // Shared, so that copying the mode copies a pointer, not the text.
  std::shared_ptr<const std::string> runLoopMode_;
  std::weak_ptr<HXCacheDelegate> downloadCache_;
  int cachePolicy_ = 0;
  int cacheStoragePolicy_ = 0;
  double secondsToCache_ = 0;
  bool shouldContinueWhenAppEntersBackground_ = false;
  bool shouldWaitToInflateCompressedResponses_ = true;
  bool isSynchronous_ = false;
  bool isPACFileRequest_ = false;
  // The PAC script being fetched: its download (asynchronous requests), or the local file's
  // stream, the bytes read so far and the time limit of the read.
  std::shared_ptr<HXHTTPRequest> PACFileRequest_;
  std::shared_ptr<CFReadStream> PACFileReadStream_;
  std::optional<std::string> PACFileData_;
  std::shared_ptr<NSTimer> PACReadTimer_;

  // ==== The exchange: the request's thread while the request runs.
  std::shared_ptr<CFReadStream> postBodyReadStream_;
  ValueDictionary responseHeaders_;
  Cookies responseCookies_;
  std::string temporaryFileDownloadPath_;
  std::string temporaryUncompressedDataDownloadPath_;
  std::shared_ptr<CFWriteStream> fileDownloadOutputStream_;
  std::shared_ptr<CFWriteStream> inflatedFileDownloadOutputStream_;
  bool complete_ = false;
  // Appended to while the body arrives; handed out as a Body once the request has ended.
  std::shared_ptr<std::string> rawResponseData_;
  std::shared_ptr<CFHTTPMessage> request_;
  std::shared_ptr<CFHTTPReadStream> readStream_;
  std::shared_ptr<CFHTTPAuthentication> requestAuthentication_;
  ValueDictionary requestCredentials_;
  int authenticationRetryCount_ = 0;
  std::string authenticationScheme_, authenticationRealm_;
  std::shared_ptr<CFHTTPAuthentication> proxyAuthentication_;
  ValueDictionary proxyCredentials_;
  int proxyAuthenticationRetryCount_ = 0;
  std::string proxyAuthenticationScheme_, proxyAuthenticationRealm_;
  int responseStatusCode_ = 0;
  std::string responseStatusMessage_;
  uint64_t contentLength_ = 0;
  uint64_t partialDownloadSize_ = 0;
  uint64_t postLength_ = 0;
  uint64_t totalBytesRead_ = 0;
  uint64_t totalBytesSent_ = 0;
  uint64_t lastBytesRead_ = 0;
  uint64_t lastBytesSent_ = 0;
  double lastActivityTime_ = 0;
  bool updatedProgress_ = false;
  bool haveBuiltPostBody_ = false;
  uint64_t uploadBufferSize_ = 0;
  NSStringEncoding responseEncoding_ = 0;
  bool needsRedirect_ = false;
  int redirectCount_ = 0;
  int authenticationNeeded_ = 0;
  bool readStreamIsScheduled_ = false;
  bool readStreamHasClient_ = false;
  bool willRetryRequest_ = false;
  bool connectionCanBeReused_ = false;
  std::shared_ptr<HXConnectionInfo> connectionInfo_;  // under the pool's lock
  std::optional<int64_t> requestID_;                  // under the pool's lock
  bool downloadComplete_ = false;
  std::shared_ptr<NSTimer> statusTimer_;
  bool didUseCachedResponse_ = false;
  std::shared_ptr<HXDataDecompressor> dataDecompressor_;
  // A redirect that kept the headers needs the cookies of its new URL.
  bool reapplyCookieHeader_ = false;
  std::weak_ptr<NSRunLoop> scheduledLoop_;
};
