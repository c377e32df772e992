// Reading the response: stream events, the header, the body into memory, a file or a data
// receiver, the end of the stream, stream errors and retries, failing and finishing, and
// answers from the download cache.
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPReadStream.h"
#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/CFWriteStream.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUUID.h"
#include "net/http/HXCacheDelegate.h"
#include "net/http/HXDataDecompressor.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestInternal.h"

using namespace hxrequest;

namespace {

constexpr size_t kMaxReadBuffer = 262144;
// The most a body buffer is reserved from the announced length: a header is no promise, and
// a lying one must not cost its size in memory.  A longer body grows the buffer as it comes.
constexpr uint64_t kMaxReservedBody = 1u << 20;

// Puts `from` in the place of `to` in one step (a rename replaces what was there), copying it
// beside `to` first when the two lie on different file systems.  The underlying error when it
// cannot.
NSErrorPtr replaceFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return nullptr;
  int e = errno;
  if (e == EXDEV) {
    auto& fm = NSFileManager::defaultManager();
    std::string beside = pathBeside(to);
    NSErrorPtr copyError;
    if (!fm.copyItemAtPath(from, beside, &copyError)) return copyError;
    if (::rename(beside.c_str(), to.c_str()) == 0) {
      fm.removeItemAtPath(from);
      return nullptr;
    }
    e = errno;
    fm.removeItemAtPath(beside);
  }
  return NSError::withDescription(NSPOSIXErrorDomain, e, std::strerror(e));
}

}  // namespace

// ---- stream events ----------------------------------------------------------------------------

void HXHTTPRequest::handleNetworkEvent(unsigned type) {
  auto self = selfPtr();
  if (complete_ || isCancelled()) return;
  if (type == kCFStreamEventEndEncountered)
    handleStreamComplete();
  else if (type == kCFStreamEventErrorOccurred)
    handleStreamError();
  else if (type == kCFStreamEventHasBytesAvailable)
    handleBytesAvailable();
  performThrottling();
  if (downloadComplete_ && needsRedirect_) {
    bool confirm = delegateResponds(willRedirectSelector_) ||
                   queueResponds(queue(), "request:willRedirectToURL:");
    if (confirm) {
      auto target = std::move(redirectURL_);
      redirectURL_.reset();
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
  responseHeaders_ = std::move(building);
  const ValueDictionary& headers = responseHeaders_;
  responseStatusCode_ = message->responseStatusCode();
  responseStatusMessage_ = message->responseStatusLine();

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
  if (!authenticationNeeded_ && !requestAuthentication_ && authenticationScheme_ == "Basic" &&
      !username_.empty() && !password_.empty() && useSessionPersistence_) {
    auto known = findSessionAuthenticationCredentials();
    bool stored = false;
    if (known) {
      auto knownURL = known->objectForKey("URL").object<NSURL>();
      stored = knownURL && sameURL(knownURL, url_);
    }
    if (!stored) {
      auto credentials =
          makeDictionary({{std::string(kCFHTTPAuthenticationUsername), Value(username_)},
                          {std::string(kCFHTTPAuthenticationPassword), Value(password_)}});
      storeAuthenticationCredentialsInSessionStore(
          makeDictionary({{"Credentials", Value(credentials)},
                          {"URL", Value(url_)},
                          {"AuthenticationScheme", Value("Basic")}}));
    }
  }

  responseEncoding_ = defaultResponseEncoding_;
  parseStringEncodingFromHeaders();

  if (url_) {
    const auto& lines = message->headerLines();
    responseCookies_.clear();
    if (std::any_of(lines.begin(), lines.end(), [](const auto& line) {
          return equalsIgnoringASCIICase(line.first, "Set-Cookie");
        })) {
      auto absolute = url_->baseURL() ? url_->absoluteURL() : url_;
      responseCookies_ = NSHTTPCookie::cookiesWithResponseHeaderFields(lines, *absolute);
    }
    if (useCookiePersistence_ && !responseCookies_.empty()) {
      NSHTTPCookieStorage::sharedHTTPCookieStorage().setCookies(responseCookies_, url_.get(),
                                                                nullptr);
      for (auto& c : responseCookies_) addSessionCookie(c);
    }
  }

  if (!willRedirect()) {
    auto main = mainRequest();
    HXHTTPRequest& owner = main ? *main : *this;
    auto length = headerValue(headers, "Content-Length");
    if (length) {
      // Decimal only: a leading "0" or "0x" does not change the base.
      std::string digits(trimmedASCII(*length));
      uint64_t value = 0;
      for (char c : digits) {
        if (c < '0' || c > '9') break;
        if (value > (UINT64_MAX - 9) / 10) {  // too long to count: as large as can be
          value = UINT64_MAX;
          break;
        }
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
    std::string connection = lowercaseASCIIString(headerValue(headers, "Connection").value_or(""));
    if ((message->version() != kCFHTTPVersion1_0 || connection == "keep-alive") &&
        connection != "close") {
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

  // A body announced larger than the request takes is not waited for.
  if (maxResponseSize_ && !needsRedirect_ && !authenticationNeeded_ &&
      contentLength_ > maxResponseSize_)
    failWithTooLargeResponse();
}

void HXHTTPRequest::failWithTooLargeResponse() {
  rawResponseData_.reset();
  failWithError(HXDataDecompressor::tooLargeError(maxResponseSize_));
}

void HXHTTPRequest::parseStringEncodingFromHeaders() {
  parseMimeType(nullptr, &responseEncoding_, headerValue(responseHeaders_, "Content-Type"));
}

bool HXHTTPRequest::isResponseCompressed() const {
  auto encoding = headerValue(responseHeaders_, "Content-Encoding");
  return encoding && encoding->find("gzip") != std::string::npos;
}

// ---- the body ---------------------------------------------------------------------------------

void HXHTTPRequest::handleBytesAvailable() {
  if (!responseHeaders_) readResponseHeaders();
  if (complete_ || !readStream_) return;
  if (!readStream_->hasBytesAvailable()) return;

  size_t bufferSize = 16384;
  if (contentLength_ > 262144)
    bufferSize = 262144;
  else if (contentLength_ > 65536)
    bufferSize = 65536;
  bufferSize = maxDownloadReadLength(bufferSize);
  thread_local std::string buffer(kMaxReadBuffer, '\0');
  long bytesRead = readStream_->read(reinterpret_cast<uint8_t*>(buffer.data()), bufferSize);
  if (bytesRead < 0) {
    handleStreamError();
    return;
  }
  if (bytesRead == 0) return;
  std::string_view piece(buffer.data(), size_t(bytesRead));
  if (maxResponseSize_ && totalBytesRead_ + uint64_t(bytesRead) > maxResponseSize_) {
    failWithTooLargeResponse();
    return;
  }

  std::optional<std::string> inflated;
  bool inflating = isResponseCompressed() && !shouldWaitToInflateCompressedResponses_;
  if (inflating) {
    if (!dataDecompressor_) {
      dataDecompressor_ = HXDataDecompressor::decompressor();
      dataDecompressor_->setOutputLimit(maxResponseSize_);
    }
    NSErrorPtr err;
    inflated = dataDecompressor_->uncompressBytes(piece, &err);
    if (err) {
      if (err->code() == HXResponseTooLargeErrorType) rawResponseData_.reset();
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
    std::lock_guard<std::mutex> lock(mutex_);
    handledExternally = blocks_ && bool(blocks_->dataReceived);
  }
  handledExternally = handledExternally || delegateResponds(didReceiveDataSelector_);
  if (handledExternally) {
    auto self = selfPtr();
    std::string data = inflating ? std::move(*inflated) : std::string(piece);
    performOnMainThread([self, data = std::move(data)] { self->passOnReceivedData(data); });
  } else if (!downloadDestinationPath_.empty() && responseStatusCode_ < 400) {
    writeDownloadPiece(piece, inflated);
  } else {
    if (!rawResponseData_) rawResponseData_ = std::make_shared<std::string>();
    std::string& body = *rawResponseData_;
    if (body.empty() && contentLength_ > 0 && !inflating)
      body.reserve(size_t(std::min(contentLength_, kMaxReservedBody)));
    if (inflating)
      body.append(*inflated);
    else
      body.append(piece);
  }
}

void HXHTTPRequest::writeDownloadPiece(std::string_view raw,
                                       const std::optional<std::string>& inflated) {
  auto openStream = [this](std::string& path, std::shared_ptr<CFWriteStream>& stream) {
    bool append = false;
    if (path.empty()) {
      // Beside the destination, which stays as it is until the body is whole.
      path = pathBeside(downloadDestinationPath_);
    } else if (allowResumeForFileDownloads_) {
      if (requestHeaders_ && !requestHeaders_->objectForKey("Range").isNil()) {
        if (headerValue(responseHeaders_, "Content-Range")) {
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
  if (!fileDownloadOutputStream_) openStream(temporaryFileDownloadPath_, fileDownloadOutputStream_);
  if (fileDownloadOutputStream_->write(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()) <
      0) {
    failWithError(fileError(
        stringWithFormat("Failed to write to file at path '%@'", fileDownloadOutputStream_->path()),
        fileDownloadOutputStream_->copyError()));
    return;
  }
  if (inflated) {
    if (!inflatedFileDownloadOutputStream_)
      openStream(temporaryUncompressedDataDownloadPath_, inflatedFileDownloadOutputStream_);
    if (inflatedFileDownloadOutputStream_->write(*inflated) < 0) {
      failWithError(fileError(stringWithFormat("Failed to write to file at path '%@'",
                                               inflatedFileDownloadOutputStream_->path()),
                              inflatedFileDownloadOutputStream_->copyError()));
    }
  }
}

NSErrorPtr HXHTTPRequest::placeDownloadedFile() {
  const std::string& destination = downloadDestinationPath_;
  NSErrorPtr error;
  // The whole body, inflated.
  std::string complete;
  const bool compressed = isResponseCompressed();
  if (compressed && shouldWaitToInflateCompressedResponses_) {
    complete = pathBeside(destination);
    if (!HXDataDecompressor::uncompressDataFromFile(temporaryFileDownloadPath_, complete, &error,
                                                    maxResponseSize_)) {
      removeFileAtPath(complete, nullptr);
      complete.clear();
    }
  } else if (compressed) {
    complete = std::move(temporaryUncompressedDataDownloadPath_);
    temporaryUncompressedDataDownloadPath_.clear();
  } else {
    complete = std::move(temporaryFileDownloadPath_);
    temporaryFileDownloadPath_.clear();
  }
  if (!error && downloadCheck_ && !downloadCheck_(complete)) {
    keepDownloadInMemory(complete);
    removeFileAtPath(complete, nullptr);
  } else if (!error) {
    if (NSErrorPtr e = replaceFile(complete, destination)) {
      error = fileError(
          stringWithFormat("Failed to move file from '%@' to '%@'", complete, destination), e);
      removeFileAtPath(complete, nullptr);
    }
  }
  removeTemporaryDownloadFile();
  return error;
}

// The body as the in-memory forms hold it: raw, and inflated when it waited to be.
void HXHTTPRequest::keepDownloadInMemory(const std::string& complete) {
  auto inflated = dataWithContentsOfFile(complete);
  if (!inflated) return;
  if (isResponseCompressed() && shouldWaitToInflateCompressedResponses_) {
    auto raw = dataWithContentsOfFile(temporaryFileDownloadPath_);
    rawResponseData_ = std::make_shared<std::string>(std::move(raw).value_or(""));
    std::lock_guard<std::mutex> lock(mutex_);
    inflatedResponseData_ = std::make_shared<const std::string>(std::move(*inflated));
  } else {
    rawResponseData_ = std::make_shared<std::string>(std::move(*inflated));
  }
}

NSErrorPtr HXHTTPRequest::inflateBodyInMemory() {
  if (!rawResponseData_ || rawResponseData_->empty()) return nullptr;
  NSErrorPtr error;
  auto inflated = HXDataDecompressor::uncompressData(*rawResponseData_, &error, maxResponseSize_);
  if (error) {
    if (error->code() == HXResponseTooLargeErrorType) rawResponseData_.reset();
    return error;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  inflatedResponseData_ = std::make_shared<const std::string>(std::move(inflated).value_or(""));
  return nullptr;
}

// ---- the end of the stream --------------------------------------------------------------------

void HXHTTPRequest::handleStreamComplete() {
  auto self = selfPtr();
  setStatusTimer(nullptr);
  downloadComplete_ = true;
  if (!responseHeaders_) readResponseHeaders();
  if (didUseCachedResponse_ || error_) return;

  lastBytesSent_ = totalBytesSent_;
  if (readStream_) totalBytesSent_ = readStream_->requestBytesWrittenCount();
  complete_ = true;
  if (contentLength_ == 0) contentLength_ = totalBytesRead_;
  updateProgressIndicators();
  if (postBodyReadStream_) {
    postBodyReadStream_->close();
    postBodyReadStream_.reset();
  }
  // The response itself is what the caller gets: a body cut short is an error, wherever it
  // went.  (A redirect's or a challenge's body is dropped.)
  const bool finalResponse = !needsRedirect_ && !authenticationNeeded_;
  NSErrorPtr bodyError;
  if (finalResponse && dataDecompressor_ && !dataDecompressor_->streamEnded())
    bodyError = HXDataDecompressor::truncatedStreamError();
  dataDecompressor_.reset();
  if (didCreateTemporaryPostDataFile_ && !authenticationNeeded_) {
    removeTemporaryUploadFile();
    removeTemporaryCompressedUploadFile();
  }

  // A reply with an error status stayed in memory: the destination keeps what it had.
  if (responseStatusCode_ < 400 &&
      (!temporaryFileDownloadPath_.empty() || fileDownloadOutputStream_)) {
    if (fileDownloadOutputStream_) fileDownloadOutputStream_->close();
    if (inflatedFileDownloadOutputStream_) inflatedFileDownloadOutputStream_->close();
    fileDownloadOutputStream_.reset();
    inflatedFileDownloadOutputStream_.reset();
    if (bodyError) {
      removeTemporaryUncompressedDownloadFile();
      removeTemporaryDownloadFile();
    } else if (!(shouldRedirect_ && needsRedirect_ && allowResumeForFileDownloads_)) {
      bodyError = placeDownloadedFile();
    }
  } else if (finalResponse && !bodyError && isResponseCompressed() &&
             shouldWaitToInflateCompressedResponses_) {
    bodyError = inflateBodyInMemory();
  }

  if (auto cache = downloadCache(); cache && !didUseCachedResponse_ && !bodyError)
    cache->storeResponseForRequest(self, secondsToCache_);

  {
    std::lock_guard<std::mutex> lock(cls().connectionsLock);
    if (connectionInfo_) {
      connectionInfo_->request.reset();
      connectionInfo_->expires = poolNow() + persistentConnectionTimeoutSeconds_;
    }
  }
  if (!connectionCanBeReused_) unscheduleReadStream();
  if (!authenticationNeeded_) destroyReadStream();

  if (finalResponse && !didUseCachedResponse_) {
    if (bodyError)
      failWithError(bodyError);
    else
      requestFinished();
    markAsFinished();
  }
}

void HXHTTPRequest::handleStreamError() {
  NSErrorPtr underlying = readStream_ ? readStream_->copyError() : nullptr;
  if (!error_) {
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
    std::lock_guard<std::mutex> lock(cls().connectionsLock);
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

// ---- failing and finishing --------------------------------------------------------------------

void HXHTTPRequest::failWithError(NSErrorPtr theError) {
  auto self = selfPtr();
  complete_ = true;
  const bool dropConnection = theError && theError->code() != HXAuthenticationErrorType &&
                              theError->code() != HXTooMuchRedirectionErrorType;
  {
    std::lock_guard<std::mutex> lock(cls().connectionsLock);
    if (dropConnection && connectionInfo_) {
      connectionInfo_->request.reset();
      std::erase(cls().pool, connectionInfo_);
    }
    if (connectionCanBeReused_ && connectionInfo_)
      connectionInfo_->expires = poolNow() + persistentConnectionTimeoutSeconds_;
  }
  if (dropConnection) destroyReadStream();
  // A failed download leaves nothing behind, unless it may resume later.
  if (!downloadDestinationPath_.empty()) discardDownloadFiles();
  if (isCancelled() || error_) return;
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
  if (error_ || mainRequest()) return;
  performOnMain(&HXHTTPRequest::reportFinished);
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

// ---- answers from the download cache ----------------------------------------------------------

void HXHTTPRequest::useDataFromCache() {
  auto self = selfPtr();
  auto cache = downloadCache();
  auto main = mainRequest();
  auto receiving = main ? main : self;
  const auto& u = url_;
  ValueDictionary headers = cache ? cache->cachedResponseHeadersForURL(u) : nullptr;
  std::string dataPath = cache ? cache->pathToCachedResponseDataForURL(u) : std::string();
  if (headers && !dataPath.empty()) {
    responseStatusCode_ =
        Value(headerValue(headers, "X-HXHTTPRequest-Response-Status-Code").value_or("")).intValue();
    didUseCachedResponse_ = true;
    receiving->responseHeaders_ = headers;
    if (!receiving->downloadDestinationPath_.empty()) {
      receiving->downloadDestinationPath_ = dataPath;
    } else {
      auto data = dataWithContentsOfFile(dataPath);
      receiving->setRawResponseData(data ? std::make_shared<std::string>(std::move(*data))
                                         : nullptr);
    }
    receiving->contentLength_ =
        Value(headerValue(headers, "Content-Length").value_or("")).unsignedLongLongValue();
    receiving->totalBytesRead_ = receiving->contentLength_;
    // Stored headers without a charset read as a network answer without one does.
    receiving->responseEncoding_ = receiving->defaultResponseEncoding_;
    receiving->parseStringEncodingFromHeaders();
    if (u) {
      CFHTTPMessage::HeaderFields fields;
      headers->enumerate(
          [&](const std::string& k, const Value& v) { fields.emplace_back(k, v.description()); });
      receiving->responseCookies_ =
          NSHTTPCookie::cookiesWithResponseHeaderFields(fields, *u->absoluteURL());
    }
    if (receiving->willRedirect()) {
      if (!delegateResponds(willRedirectSelector_)) receiving->performRedirect();
      return;
    }
  }
  receiving->complete_ = true;
  receiving->downloadComplete_ = true;
  if (receiving->redirectCount_ == 0) receiving->setOriginalURL(receiving->url_);
  receiving->updateProgressIndicators();
  receiving->requestFinished();
  receiving->markAsFinished();
  if (main) markAsFinished();
}

// ---- temporary files --------------------------------------------------------------------------

namespace {
// The names pathBeside gives: ".<name>.<UUID>.part" beside a destination, or a bare UUID in
// the temporary folder.
bool isEngineTemporaryName(const std::string& name) {
  constexpr size_t kUUID = 36;
  auto isUUID = [](std::string_view s) { return NSUUID::fromString(s).has_value(); };
  if (name.size() == kUUID) return isUUID(name);
  constexpr std::string_view kPart = ".part";
  if (name.size() < 2 + kUUID + kPart.size() || name.front() != '.' || !name.ends_with(kPart))
    return false;
  size_t uuidAt = name.size() - kPart.size() - kUUID;
  return name[uuidAt - 1] == '.' && isUUID(std::string_view(name).substr(uuidAt, kUUID));
}
}  // namespace

size_t HXHTTPRequest::removeStaleTemporaryFiles(const std::string& folder, double before) {
  namespace fs = std::filesystem;
  size_t removed = 0;
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const fs::directory_entry& entry = *it;
    std::error_code statError;
    if (!entry.is_regular_file(statError) || !isEngineTemporaryName(entry.path().filename()))
      continue;
    struct stat st;
    if (::lstat(entry.path().c_str(), &st) != 0) continue;
    double written = double(st.st_mtim.tv_sec) + double(st.st_mtim.tv_nsec) / 1e9;
    if (written < before && ::unlink(entry.path().c_str()) == 0) ++removed;
  }
  return removed;
}

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
// Removes the file at `path` (when there is one) and forgets the path; a failure fails the
// request.
bool removeTemporaryFile(std::string& path, const std::function<void(NSErrorPtr)>& fail) {
  if (path.empty()) return true;
  NSErrorPtr err;
  HXHTTPRequest::removeFileAtPath(path, &err);
  path.clear();
  if (err) fail(err);
  return !err;
}
}  // namespace

bool HXHTTPRequest::removeTemporaryDownloadFile() {
  return removeTemporaryFile(temporaryFileDownloadPath_,
                             [this](NSErrorPtr e) { failWithError(e); });
}

bool HXHTTPRequest::removeTemporaryUncompressedDownloadFile() {
  return removeTemporaryFile(temporaryUncompressedDataDownloadPath_,
                             [this](NSErrorPtr e) { failWithError(e); });
}

bool HXHTTPRequest::removeTemporaryUploadFile() {
  return removeTemporaryFile(postBodyFilePath_, [this](NSErrorPtr e) { failWithError(e); });
}

bool HXHTTPRequest::removeTemporaryCompressedUploadFile() {
  return removeTemporaryFile(compressedPostBodyFilePath_,
                             [this](NSErrorPtr e) { failWithError(e); });
}

NSErrorPtr HXHTTPRequest::fileError(std::string text, NSErrorPtr underlying) {
  return NSError::withDescription(kHXHTTPRequestErrorDomain, HXFileManagementError, std::move(text),
                                  std::move(underlying));
}
