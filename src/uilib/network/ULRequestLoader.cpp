#include "uilib/network/ULRequestLoader.h"

#include <algorithm>

#include "Foundation/NSString.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURLError.h"
#include "uilib/core/NSData+ULCategory.h"
#include "uilib/core/ULGlobal.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

constexpr double kDataURLDelay = 0.1;
// The most a Content-Length may make the buffer reserve ahead of the bytes themselves.
constexpr long long kMaxReserve = 1 << 20;

bool isDataURL(std::string_view url) {
  return url.size() >= 5 && equalsIgnoringASCIICase(url.substr(0, 5), "data:");
}

}  // namespace

ULRequestLoader::ULRequestLoader(const std::shared_ptr<ULURLRequest>& request,
                                 const std::shared_ptr<ULURLRequestQueue>& queue, bool mergeable)
    : urlPath_(request->urlPath()),
      queue_(queue),
      cacheKey_(request->cacheKey()),
      cachePolicy_(request->cachePolicy()),
      cacheExpirationAge_(request->cacheExpirationAge()),
      mergeable_(mergeable) {
  requests_.push_back(request);
}

ULRequestLoader::~ULRequestLoader() {
  stopTransfer();
}

bool ULRequestLoader::carries(const std::shared_ptr<ULURLRequest>& request) const {
  return std::find(requests_.begin(), requests_.end(), request) != requests_.end();
}

bool ULRequestLoader::isLoading() const {
  return connection_ || synchronous_ || dataDelivery_;
}

void ULRequestLoader::addRequest(const std::shared_ptr<ULURLRequest>& request) {
  if (!carries(request)) requests_.push_back(request);
}

void ULRequestLoader::removeRequest(const std::shared_ptr<ULURLRequest>& request) {
  std::erase(requests_, request);
}

// ---- starting

const std::shared_ptr<NSMutableURLRequest>& ULRequestLoader::platformRequest(
    const std::string& url) {
  if (!platformRequest_) {
    auto queue = queue_.lock();
    // A shared transfer is sent as none of its requests in particular.
    std::shared_ptr<ULURLRequest> only = requests_.size() == 1 ? requests_.front() : nullptr;
    platformRequest_ = queue ? queue->createNSURLRequest(only, url)
                             : std::make_shared<NSMutableURLRequest>(nullptr);
  }
  return platformRequest_;
}

void ULRequestLoader::load(const std::string& url) {
  if (isLoading()) return;
  if (isDataURL(url)) {
    std::weak_ptr<ULRequestLoader> weak = self<ULRequestLoader>();
    dataDelivery_ = NSTimer::scheduledTimerWithTimeInterval(
        kDataURLDelay, false, [weak, url](const std::shared_ptr<NSTimer>&) {
          if (auto self = weak.lock()) self->deliverDataResponse(url);
        });
    return;
  }
  connectToURL(url);
}

void ULRequestLoader::connectToURL(const std::string& url) {
  ULNetworkActivityBegin();
  activity_ = true;
  const auto& request = platformRequest(url);
  connection_ = NSURLConnection::connectionWithRequest(
      *request, std::dynamic_pointer_cast<NSURLConnectionDelegate>(self<ULRequestLoader>()));
}

void ULRequestLoader::deliverDataResponse(const std::string& url) {
  dataDelivery_.reset();
  auto queue = queue_.lock();
  if (!queue) return;
  auto self = this->self<ULRequestLoader>();
  std::vector<std::string> parts =
      componentsSeparatedByString(std::string_view(url).substr(5), ",");
  if (parts.size() != 2) {
    auto info = makeDictionary({{std::string(NSLocalizedDescriptionKey), Value("bad URL")},
                                {std::string(NSURLErrorFailingURLStringErrorKey), Value(url)}});
    queue->loaderDidFailLoadWithError(
        self, NSError::errorWithDomain(NSURLErrorDomain, NSURLErrorBadURL, Value(info)));
    return;
  }
  // Base64 that does not decode gives no data at all.
  Value data;
  if (parts[0].find("base64") == std::string::npos)
    data = Value::data(parts[1]);
  else if (auto decoded = dataWithBase64EncodedString(parts[1]))
    data = Value::data(std::move(*decoded));
  queue->loaderDidLoadResponse(self, nullptr, data);
}

void ULRequestLoader::loadSynchronously(const std::string& url) {
  auto self = this->self<ULRequestLoader>();
  ULNetworkActivityBegin();
  activity_ = true;
  synchronous_ = true;
  std::shared_ptr<NSURLResponse> response;
  NSErrorPtr error;
  std::optional<std::string> body =
      NSURLConnection::sendSynchronousRequest(*platformRequest(url), &response, &error);
  if (!synchronous_) return;  // cancelled meanwhile
  if (!body) {
    endActivity();
    synchronous_ = false;
    responseData_.clear();
    if (auto queue = queue_.lock()) queue->loaderDidFailLoadWithError(self, error);
    return;
  }
  // The same steps as an asynchronous transfer; a cancel on the way ends them.
  connectionDidReceiveResponse(nullptr, response);
  if (!synchronous_) return;
  connectionDidReceiveData(nullptr, *body);
  if (!synchronous_) return;
  connectionDidFinishLoading(nullptr);
}

// ---- cancelling

bool ULRequestLoader::cancel(const std::shared_ptr<ULURLRequest>& request) {
  if (carries(request)) {
    request->setIsLoading(false);
    for (auto& d : request->delegates().objects()) d->requestDidCancelLoad(request);
    removeRequest(request);
  }
  if (!requests_.empty()) return true;
  bool wasLoading = isLoading();
  stopTransfer();
  if (auto queue = queue_.lock()) queue->loaderDidCancel(self<ULRequestLoader>(), wasLoading);
  return false;
}

void ULRequestLoader::cancel() {
  auto keep = self<ULRequestLoader>();
  for (auto& request : requests()) cancel(request);
}

void ULRequestLoader::endActivity() {
  if (!activity_) return;
  activity_ = false;
  ULNetworkActivityEnd();
}

void ULRequestLoader::stopTransfer() {
  endActivity();
  if (connection_) connection_->cancel();
  connection_.reset();
  if (dataDelivery_) dataDelivery_->invalidate();
  dataDelivery_.reset();
  synchronous_ = false;
  responseData_.clear();
}

// ---- results

NSErrorPtr ULRequestLoader::processResponse(const std::shared_ptr<NSHTTPURLResponse>& response,
                                            const Value& data) {
  for (auto& request : requests()) {
    const auto& processor = request->response();
    long status = response ? response->statusCode() : 0;
    NSErrorPtr error;
    if (!response || (status >= 200 && status <= 299) || status == 304) {
      if (processor) error = processor->requestProcessResponse(request, response, data);
    } else {
      if (processor) error = processor->requestProcessErrorResponse(request, response, data);
      if (!error) {
        auto info = makeDictionary({{"responsedata", data}});
        error = NSError::errorWithDomain(NSURLErrorDomain, status, Value(info));
      }
    }
    if (error) return error;
  }
  return nullptr;
}

void ULRequestLoader::dispatchLoaded(std::optional<NSDateValue> timestamp) {
  for (auto& request : requests()) {
    request->setTimestamp(timestamp);
    request->setIsLoading(false);
    for (auto& d : request->delegates().objects()) d->requestDidFinishLoad(request);
  }
}

void ULRequestLoader::dispatchError(const NSErrorPtr& error) {
  for (auto& request : requests()) {
    request->setIsLoading(false);
    for (auto& d : request->delegates().objects()) d->requestDidFailLoadWithError(request, error);
  }
}

void ULRequestLoader::dispatchLoadedBytes(long long written, long long expected) {
  for (auto& request : requests()) {
    request->setTotalBytesLoaded(written);
    request->setTotalBytesExpected(expected);
    for (auto& d : request->delegates().objects()) d->requestDidUploadData(request);
  }
}

// ---- the connection's events

void ULRequestLoader::connectionDidReceiveResponse(const std::shared_ptr<NSURLConnection>&,
                                                   const std::shared_ptr<NSURLResponse>& response) {
  response_ = std::dynamic_pointer_cast<NSHTTPURLResponse>(response);
  long long length = 0;
  if (response_)
    length = Value(response_->allHeaderFields()->objectForKey("Content-Length")).longLongValue();
  auto queue = queue_.lock();
  unsigned long long limit = queue ? queue->maxContentLength() : 0;
  if (limit && (unsigned long long)length > limit) {
    cancel();
    return;
  }
  responseData_.clear();
  if (length > 0) responseData_.reserve(size_t(std::min(length, kMaxReserve)));
  for (auto& request : requests()) request->setTotalContentLength(length);
}

void ULRequestLoader::connectionDidReceiveData(const std::shared_ptr<NSURLConnection>&,
                                               const std::string& data) {
  responseData_ += data;
  for (auto& request : requests())
    request->setTotalBytesDownloaded(request->totalBytesDownloaded() + (long long)data.size());
}

void ULRequestLoader::connectionDidSendBodyData(const std::shared_ptr<NSURLConnection>&, long long,
                                                long long totalBytesWritten,
                                                long long totalBytesExpectedToWrite) {
  dispatchLoadedBytes(totalBytesWritten, totalBytesExpectedToWrite);
}

void ULRequestLoader::connectionDidFinishLoading(const std::shared_ptr<NSURLConnection>&) {
  auto self = this->self<ULRequestLoader>();
  endActivity();
  auto response = response_;
  Value data = Value::data(std::move(responseData_));
  responseData_.clear();
  connection_.reset();
  synchronous_ = false;
  auto queue = queue_.lock();
  if (!queue) return;
  if (response && response->statusCode() == 304)
    queue->loaderDidLoadUnmodifiedResponse(self, response);
  else
    queue->loaderDidLoadResponse(self, response, data);
}

void ULRequestLoader::connectionDidFailWithError(const std::shared_ptr<NSURLConnection>&,
                                                 const NSErrorPtr& error) {
  auto self = this->self<ULRequestLoader>();
  endActivity();
  responseData_.clear();
  connection_.reset();
  synchronous_ = false;
  if (error && error->domain() == NSURLErrorDomain && error->code() == NSURLErrorCannotFindHost &&
      retriesLeft_ > 0) {
    --retriesLeft_;
    load(urlPath_);
    return;
  }
  if (auto queue = queue_.lock()) queue->loaderDidFailLoadWithError(self, error);
}
