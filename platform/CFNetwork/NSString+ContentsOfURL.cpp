#include <curl/curl.h>

#include <memory>

#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/NSString+ContentsOfURL.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"

namespace {

constexpr long kTimeoutSeconds = 60;
constexpr long kMaxRedirects = 16;
// NSFileReadInapplicableStringEncodingError.
constexpr long kInapplicableStringEncodingError = 261;

size_t appendBody(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

NSErrorPtr urlError(long code, std::string text) {
  return NSError::withDescription(kCFErrorDomainCFNetwork, code, std::move(text));
}

std::optional<std::string> fetch(const std::string& url, NSErrorPtr* error) {
  // curl_easy_init sets the library up on first use (thread-safe in the libcurl we build on).
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> easy(curl_easy_init(), &curl_easy_cleanup);
  if (!easy) {
    if (error) *error = urlError(kCFURLErrorUnknown, "The transfer could not be set up");
    return std::nullopt;
  }
  std::string body;
  char detail[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(easy.get(), CURLOPT_ACCEPT_ENCODING, "");
  curl_easy_setopt(easy.get(), CURLOPT_TIMEOUT, kTimeoutSeconds);
  curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &appendBody);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body);
  CURLcode rc = curl_easy_perform(easy.get());
  if (rc != CURLE_OK) {
    if (error) {
      long code = rc == CURLE_OPERATION_TIMEDOUT ? kCFURLErrorTimedOut : kCFURLErrorUnknown;
      *error = urlError(code, detail[0] ? detail : curl_easy_strerror(rc));
    }
    return std::nullopt;
  }
  return body;
}

}  // namespace

std::optional<std::string> stringWithContentsOfURL(const NSURL& url, NSErrorPtr* error) {
  const std::string scheme = url.scheme().value_or("");
  std::optional<std::string> bytes;
  if (scheme == "file") {
    bytes = dataWithContentsOfFile(url.path(), error);
  } else if (scheme == "http" || scheme == "https") {
    bytes = fetch(url.absoluteString(), error);
  } else if (error) {
    *error = urlError(kCFURLErrorUnsupportedURL, "Unsupported URL: " + url.absoluteString());
  }
  if (!bytes) return std::nullopt;
  if (!isValidUTF8(*bytes)) {
    if (error) {
      *error = NSError::withDescription(NSCocoaErrorDomain, kInapplicableStringEncodingError,
                                        "The text is not UTF-8");
    }
    return std::nullopt;
  }
  return bytes;
}
