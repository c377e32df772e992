// Building the request (body, headers, cookies) and sending it: the read stream, the connection
// pool entry, the status timer with its timeout and retries, and redirects.
#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPReadStream.h"
#include "CFNetwork/CFWriteStream.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "net/http/HXDataCompressor.h"
#include "net/http/HXDataDecompressor.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestInternal.h"
#include "net/http/HXInputStream.h"

using namespace hxrequest;

namespace {
constexpr unsigned kStreamEvents =
    kCFStreamEventHasBytesAvailable | kCFStreamEventErrorOccurred | kCFStreamEventEndEncountered;
}  // namespace

// ---- building ---------------------------------------------------------------------------------

void HXHTTPRequest::addRequestHeader(std::string_view header, std::string_view value) {
  if (!requestHeaders_) requestHeaders_ = makeDictionary();
  requestHeaders_->setObject(Value(value), header);
}

void HXHTTPRequest::setupPostBody() {
  if (shouldStreamPostDataFromDisk_) {
    if (postBodyFilePath_.empty()) {
      postBodyFilePath_ = pathBeside({});
      didCreateTemporaryPostDataFile_ = true;
    }
    if (!postBodyWriteStream_) {
      postBodyWriteStream_ = CFWriteStream::createWithFile(postBodyFilePath_, false);
      postBodyWriteStream_->open();
    }
  } else if (!postBody_) {
    postBody_ = std::string();
  }
}

void HXHTTPRequest::appendPostData(std::string_view data) {
  setupPostBody();
  if (data.empty()) return;
  if (shouldStreamPostDataFromDisk_)
    postBodyWriteStream_->write(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  else
    postBody_->append(data);
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
  if (!postBodyFilePath_.empty()) {
    if (postBodyWriteStream_) {
      postBodyWriteStream_->close();
      postBodyWriteStream_.reset();
    }
    std::string path = postBodyFilePath_;
    if (shouldCompressRequestBody_) {
      if (compressedPostBodyFilePath_.empty()) {
        compressedPostBodyFilePath_ = pathBeside({});
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
  } else if (shouldCompressRequestBody_ && postBody_) {
    NSErrorPtr err;
    auto compressed = HXDataCompressor::compressData(*postBody_, &err);
    if (err) {
      failWithError(err);
      return;
    }
    compressedPostBody_ = compressed.value_or(std::string());
    postLength_ = compressedPostBody_->size();
  } else {
    postLength_ = postBody_ ? postBody_->size() : 0;
  }
  if (postLength_ > 0) {
    if (requestMethod_ == "GET" || requestMethod_ == "DELETE" || requestMethod_ == "HEAD")
      setRequestMethod("POST");
    addRequestHeader("Content-Length", std::to_string(postLength_));
  }
  haveBuiltPostBody_ = true;
}

void HXHTTPRequest::buildRequestHeaders() {
  if (haveBuiltRequestHeaders_) return;
  haveBuiltRequestHeaders_ = true;
  if (auto main = mainRequest()) {
    if (const auto& headers = main->requestHeaders())
      headers->enumerate(
          [this](const std::string& k, const Value& v) { addRequestHeader(k, v.description()); });
    return;
  }
  applyCookieHeader();
  if (!requestHeaders_ || requestHeaders_->objectForKey("User-Agent").isNil()) {
    std::optional<std::string> agent = userAgent_;
    if (!agent) agent = defaultUserAgentString();
    if (agent) addRequestHeader("User-Agent", *agent);
  }
  if (allowCompressedResponse_) addRequestHeader("Accept-Encoding", "gzip");
  if (shouldCompressRequestBody_) addRequestHeader("Content-Encoding", "gzip");
  updatePartialDownloadSize();
  if (partialDownloadSize_ > 0)
    addRequestHeader("Range",
                     stringWithFormat("bytes=%llu-", (unsigned long long)partialDownloadSize_));
}

void HXHTTPRequest::applyCookieHeader() {
  if (useCookiePersistence_ && url_) {
    auto absolute = url_->baseURL() ? url_->absoluteURL() : url_;
    auto stored = NSHTTPCookieStorage::sharedHTTPCookieStorage().cookiesForURL(*absolute);
    requestCookies_.insert(requestCookies_.end(), stored.begin(), stored.end());
  }
  auto main = mainRequest();
  const Cookies& cookies = main ? main->requestCookies() : requestCookies_;
  if (cookies.empty()) return;
  std::string header;
  for (auto& c : cookies) {
    if (!header.empty()) header += "; ";
    header += c->name() + "=" + c->value();
  }
  addRequestHeader("Cookie", header);
}

void HXHTTPRequest::updatePartialDownloadSize() {
  if (!allowResumeForFileDownloads_) return;
  const std::string& temp = temporaryFileDownloadPath_;
  if (downloadDestinationPath_.empty() || temp.empty() || !fileExists(temp)) return;
  NSErrorPtr err;
  Value attributes = NSFileManager::defaultManager().attributesOfItemAtPath(temp, &err);
  if (attributes.isNil()) {
    failWithError(
        fileError(stringWithFormat("Failed to get attributes for file at path '%@'", temp), err));
    return;
  }
  partialDownloadSize_ = attributes[NSFileSize].unsignedLongLongValue();
}

std::string HXHTTPRequest::headerBreakingTheMessage() const {
  std::string found;
  if (requestHeaders_) {
    requestHeaders_->enumerate([&](const std::string& name, const Value& value) {
      if (!found.empty()) return;
      std::string text = value.description();
      constexpr std::string_view kBreaks("\r\n\0", 3);
      if (name.find_first_of(kBreaks) != std::string::npos ||
          text.find_first_of(kBreaks) != std::string::npos)
        found = name;
    });
  }
  return found;
}

// ---- sending ----------------------------------------------------------------------------------

void HXHTTPRequest::startRequest() {
  auto self = selfPtr();
  if (isCancelled()) return;
  if (hasInformationalReceiver(&Blocks::started)) performOnMain(&HXHTTPRequest::requestStarted);

  downloadComplete_ = false;
  complete_ = false;
  totalBytesRead_ = 0;
  lastBytesRead_ = 0;
  if (redirectCount_ == 0) setOriginalURL(url_);
  if (totalBytesSent_ > 0) removeUploadProgressSoFar();
  lastBytesSent_ = 0;
  contentLength_ = 0;
  responseHeaders_.reset();
  // A new buffer, so that a body handed out before stays as it was.
  rawResponseData_ = downloadDestinationPath_.empty() ? std::make_shared<std::string>() : nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    inflatedResponseData_.reset();
    responseString_.reset();
  }
  // A body that starts from its beginning inflates from its beginning.
  if (partialDownloadSize_ == 0) dataDecompressor_.reset();
  readStreamIsScheduled_ = false;

  // The body goes through the throttled stream, which also counts what it sends.
  std::shared_ptr<CFReadStream> body;
  if (shouldStreamPostDataFromDisk_ && fileExists(postBodyFilePath_)) {
    body = HXInputStream::inputStreamWithFileAtPath(
        fileExists(compressedPostBodyFilePath_) ? compressedPostBodyFilePath_ : postBodyFilePath_,
        self);
  } else if (postBody_ && !postBody_->empty()) {
    if (shouldCompressRequestBody_ && compressedPostBody_)
      body = HXInputStream::inputStreamWithData(*compressedPostBody_, self);
    else
      body = HXInputStream::inputStreamWithData(*postBody_, self);
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

  const auto& u = url_;
  std::string scheme = lowercaseASCIIString(u->scheme().value_or(""));
  if (scheme == "https") {
    if (!validatesSecureCertificate_) {
      readStream_->setProperty(
          kCFStreamPropertySSLSettings,
          Value(makeDictionary({{std::string(kCFStreamSSLAllowsExpiredCertificates), Value(true)},
                                {std::string(kCFStreamSSLAllowsAnyRoot), Value(true)},
                                {std::string(kCFStreamSSLValidatesCertificateChain), Value(false)},
                                {std::string(kCFStreamSSLPeerName), Value::null()}})));
    }
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

  if (!proxyHost_.empty() && proxyPort_ != 0) {
    if (proxyType_.empty()) proxyType_ = "HTTP";
    auto port = Value(proxyPort_);
    if (proxyType_ == "SOCKS") {
      readStream_->setProperty(
          kCFStreamPropertySOCKSProxy,
          Value(makeDictionary({{std::string(kCFStreamPropertySOCKSProxyHost), Value(proxyHost_)},
                                {std::string(kCFStreamPropertySOCKSProxyPort), port}})));
    } else if (scheme == "https") {
      readStream_->setProperty(
          kCFStreamPropertyHTTPProxy,
          Value(makeDictionary({{std::string(kCFStreamPropertyHTTPSProxyHost), Value(proxyHost_)},
                                {std::string(kCFStreamPropertyHTTPSProxyPort), port}})));
    } else {
      readStream_->setProperty(
          kCFStreamPropertyHTTPProxy,
          Value(makeDictionary({{std::string(kCFStreamPropertyHTTPProxyHost), Value(proxyHost_)},
                                {std::string(kCFStreamPropertyHTTPProxyPort), port}})));
    }
  }

  std::shared_ptr<CFReadStream> oldStream;
  expirePersistentConnections();
  {
    std::lock_guard<std::mutex> lock(cls().connectionsLock);
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

  // Attached at once; a throttled request whose wake-up time lies ahead lets go of it again
  // right after the open.
  if (!readStreamIsScheduled_) scheduleReadStream();

  // Scheduling gave the stream its client already.
  bool opened = readStreamHasClient_ || setReadStreamClient();
  opened = opened && readStream_->open();
  if (oldStream && oldStream != readStream_) oldStream->close();
  if (opened && isBandwidthThrottled()) performThrottling();
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
  NSRunLoop::currentRunLoop()->addTimer(timer, *runLoopMode_);
}

void HXHTTPRequest::setStatusTimer(std::shared_ptr<NSTimer> timer) {
  std::shared_ptr<NSTimer> old = std::move(statusTimer_);
  statusTimer_ = std::move(timer);
  if (old && old != statusTimer_) old->invalidate();
}

void HXHTTPRequest::updateStatus() {
  checkRequestStatus();
  if (!inProgress_) setStatusTimer(nullptr);
}

void HXHTTPRequest::checkRequestStatus() {
  auto self = selfPtr();
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
            stringWithFormat("bytes=%llu-", (unsigned long long)partialDownloadSize_);
        request_->setHeaderFieldValue("Range", range);
        addRequestHeader("Range", range);
      }
      retryCount_++;
      unscheduleReadStream();
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
      // The bytes were counted into the bandwidth as the body stream gave them.
      if (totalBytesSent_ > lastBytesSent_) lastActivityTime_ = now();
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

// ---- redirects --------------------------------------------------------------------------------

bool HXHTTPRequest::willRedirect() {
  auto location = headerValue(responseHeaders_, "Location");
  int status = responseStatusCode_;
  if (!shouldRedirect_ || !location ||
      (status != 301 && status != 302 && status != 303 && status != 307))
    return false;
  auto target = NSURL::URLWithString(*location, url_);
  // A "Location" that is no URL: the response is the final one.
  if (!target) return false;
  if (hasInformationalReceiver(&Blocks::requestRedirected))
    performOnMain(&HXHTTPRequest::requestRedirected);
  if (status == 307 || (shouldUseRFC2616RedirectBehaviour_ && status != 303)) {
    // Method, body and headers stay; the cookies are those of the new URL.
    if (requestHeaders_) requestHeaders_->removeObjectForKey("Cookie");
    reapplyCookieHeader_ = true;
  } else {
    setRequestMethod("GET");
    postBody_.reset();
    compressedPostBody_.reset();
    postLength_ = 0;
    // A body streamed from disk is dropped too (its file is still cleaned up at the end).
    shouldStreamPostDataFromDisk_ = false;
    auto kept = makeDictionary();
    for (const char* name : {"User-Agent", "Accept"}) {
      if (requestHeaders_) {
        Value v = requestHeaders_->objectForKey(name);
        if (!v.isNil()) kept->setObject(v, name);
      }
    }
    requestHeaders_ = kept;
    haveBuiltRequestHeaders_ = false;
  }
  redirectURL_ = target->absoluteURL();
  requestCookies_.clear();
  needsRedirect_ = true;
  return true;
}

void HXHTTPRequest::redirectToURL(std::shared_ptr<NSURL> newURL) {
  performOnRequestThread([newURL = std::move(newURL)](HXHTTPRequest& r) {
    r.redirectURL_ = newURL;
    r.performRedirect();
  });
}

void HXHTTPRequest::performRedirect() {
  auto self = selfPtr();
  setURL(redirectURL_);
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

// ---- the read stream on the run loop ----------------------------------------------------------

void HXHTTPRequest::scheduleReadStream() {
  if (!readStream_ || readStreamIsScheduled_) return;
  {
    std::lock_guard<std::mutex> lock(cls().connectionsLock);
    cls().runningRequestCount++;
    if (cls().shouldUpdateNetworkActivityIndicator) showNetworkActivityIndicator();
  }
  lastActivityTime_ = now();
  setReadStreamClient();
  auto loop = NSRunLoop::currentRunLoop();
  scheduledLoop_ = loop;
  readStream_->scheduleWithRunLoop(loop, *runLoopMode_);
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
    std::lock_guard<std::mutex> lock(cls().connectionsLock);
    bool wasLast = cls().runningRequestCount == 1;
    if (cls().runningRequestCount > 0) cls().runningRequestCount--;
    if (cls().shouldUpdateNetworkActivityIndicator && wasLast)
      toMainThread([] { hideNetworkActivityIndicatorAfterDelay(); });
  }
  readStream_->setClient(0, nullptr);
  readStreamHasClient_ = false;
  if (auto loop = scheduledLoop_.lock()) readStream_->unscheduleFromRunLoop(loop, *runLoopMode_);
  readStreamIsScheduled_ = false;
}

void HXHTTPRequest::destroyReadStream() {
  if (!readStream_) return;
  unscheduleReadStream();
  if (!connectionCanBeReused_) {
    if (auto loop = scheduledLoop_.lock()) readStream_->unscheduleFromRunLoop(loop, *runLoopMode_);
    readStream_->close();
  }
  readStream_.reset();
  readStreamHasClient_ = false;
}
