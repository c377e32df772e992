#include "net/api/ClientDownload.h"

#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "core/UIFilePath.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/api/ReplyRoute.h"
#include "net/http/HXNetworkQueue.h"

namespace {

// A path with a ".." segment could land anywhere; the names come from server data.
bool climbsOut(std::string_view path) {
  for (const std::string& segment : componentsSeparatedByString(path, "/"))
    if (segment == "..") return true;
  return false;
}

}  // namespace

std::shared_ptr<ClientDownload> ClientDownload::create() {
  auto d = std::make_shared<ClientDownload>();
  d->init();
  return d;
}

void ClientDownload::init() {
  queue_ = HXNetworkQueue::queue();
  queue_->setShouldCancelAllRequestsOnFailure(false);
}

ClientDownload::~ClientDownload() {
  if (queue_) queue_->cancelAllOperations();
}

void ClientDownload::setPostAction(Selector action, std::weak_ptr<NSObject> receiver, int tag) {
  actionString_ = std::move(action);
  clientdelegate_ = std::move(receiver);
  mtag_ = tag;
}

void ClientDownload::setQueueFinish(Selector selector, std::weak_ptr<NSObject> receiver) {
  queue_->setDelegate(std::move(receiver));
  queue_->setQueueDidFinishSelector(std::move(selector));
}

void ClientDownload::startDownloadFile(std::string_view url, const std::string& destination) {
  start(url, destination, {}, std::nullopt);
}

void ClientDownload::startDownloadFile(std::string_view url, const std::string& destination,
                                       int requestTimes) {
  start(
      url, destination, [requestTimes](HXHTTPRequest& r) { r.setRetryCount(requestTimes); },
      std::nullopt);
}

void ClientDownload::startDownloadFile(std::string_view url, const std::string& destination,
                                       int tag, Value localData) {
  start(
      url, destination,
      [&localData](HXHTTPRequest& r) {
        static_cast<NSHxHttpRequest&>(r).setLocalInfo(std::move(localData));
      },
      tag);
}

void ClientDownload::start(std::string_view url, const std::string& destination,
                           const std::function<void(HXHTTPRequest&)>& adjust,
                           std::optional<int> engineTag) {
  int tag = mtag_;
  // A start consumes the registered tag, also when the destination is refused.
  mtag_ = -1;
  if (climbsOut(destination)) return;

  auto request = NSHxHttpRequest::requestWithURL(NSURL::URLWithString(url));
  request->setDidFinishSelector(
      selector(weakSelf<ClientDownload>(), &ClientDownload::onDownloadFinish, "downloadFinish:"));
  request->setDelegate(weakSelf<NSObject>());
  request->setUserAgent(std::string(ClientRequest::kUserAgent));
  request->setClientdelegate(clientdelegate_);
  request->setActionString(actionString_);
  request->setMtag(tag);
  request->setTag(engineTag.value_or(tag));
  if (adjust) adjust(*request);

  UIFilePath::makeSureFolderOf(destination);
  request->setDownloadDestinationPath(destination);
  queue_->addOperation(request);
  queue_->go();
}

void ClientDownload::addRequestInQueue(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  queue_->addOperation(request);
  queue_->go();
}

void ClientDownload::removeAllAction() {
  for (const auto& op : queue_->operations()) {
    auto request = std::dynamic_pointer_cast<NSHxHttpRequest>(op);
    if (request && request->mtag() > 0) silence(request);
  }
}

void ClientDownload::removeActionByTag(int tag) {
  for (const auto& op : queue_->operations()) {
    auto request = std::dynamic_pointer_cast<NSHxHttpRequest>(op);
    if (request && request->mtag() == tag) silence(request);
  }
}

// The receiver and the downloader let go of the request, but the queue keeps it until its
// cancellation ends: the queue's count must still come down, or the queue-finished report
// would never come again.
void ClientDownload::silence(const std::shared_ptr<NSHxHttpRequest>& request) {
  request->setActionString(Selector());
  request->setClientdelegate({});
  request->setDelegate({});
  request->cancel();
}

void ClientDownload::onDownloadFinish(const Value& request) {
  downloadFinish(request.object<HXHTTPRequest>());
}

void ClientDownload::downloadFinish(const std::shared_ptr<HXHTTPRequest>& finished) {
  auto request = std::dynamic_pointer_cast<NSHxHttpRequest>(finished);
  if (!request || request->mtag() == mtag_) return;
  if (!request->actionString().isSet() || !request->clientdelegate()) return;
  performOnReceiver(request->clientdelegateRef(), request->actionString(), Value(finished));
}
