#include "net/api/ClientRequest.h"

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSHTTPURLResponse.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "net/api/ApplicationHelper.h"
#include "net/api/ClientDownload.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/NSAsiFormDataRequest.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/api/ReplyRoute.h"
#include "net/api/ServerResult.h"
#include "net/api/URLHelper.h"
#include "net/http/HXFormDataRequest.h"
#include "net/http/HXNetworkQueue.h"
#include "net/http/Reachability.h"

namespace {

// The engine's text for a cancelled request.
constexpr std::string_view kCancelledDescription = "The request was cancelled";

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

// The wrappers' own cancel clears their reply route first.
void clearAndCancel(const std::shared_ptr<HXHTTPRequest>& request) {
  if (auto r = std::dynamic_pointer_cast<NSHxHttpRequest>(request))
    r->clearDelegatesAndCancel();
  else if (auto f = std::dynamic_pointer_cast<NSAsiFormDataRequest>(request))
    f->clearDelegatesAndCancel();
  else
    request->clearDelegatesAndCancel();
}

std::optional<int> mtagOf(const std::shared_ptr<NSOperation>& op) {
  if (auto r = std::dynamic_pointer_cast<NSHxHttpRequest>(op)) return r->mtag();
  if (auto f = std::dynamic_pointer_cast<NSAsiFormDataRequest>(op)) return f->mtag();
  return std::nullopt;
}

void setMtag(const std::shared_ptr<HXHTTPRequest>& request, int tag) {
  if (auto r = std::dynamic_pointer_cast<NSHxHttpRequest>(request))
    r->setMtag(tag);
  else if (auto f = std::dynamic_pointer_cast<NSAsiFormDataRequest>(request))
    f->setMtag(tag);
}

// The reply lands in the cache file of its URL; read back as UTF-8 unless the server names
// another character set.
void writeToCacheFile(const std::shared_ptr<HXHTTPRequest>& request, const std::string& url) {
  request->setResponseEncoding(NSUTF8StringEncoding);
  request->setDefaultResponseEncoding(NSUTF8StringEncoding);
  if (auto path = UIFilePath::getFilePath(url)) {
    // The engine moves the reply into the file when it is complete: its folder must be there,
    // also when another hand removed it since the layout last saw it.
    UIFilePath::makeSureFolderOf(*path);
    request->setDownloadDestinationPath(*path);
    // The service answers these in JSON: anything else (a proxy's page, a body cut where its
    // length could not tell) is delivered but keeps the last good page for reading offline.
    request->setDownloadCheck([](const std::string& file) {
      auto bytes = dataWithContentsOfFile(file);
      if (!bytes) return false;
      auto text = isValidUTF8(*bytes) ? std::optional<std::string>(std::move(*bytes))
                                      : stringWithData(*bytes, NSGB18030StringEncoding);
      if (!text) return false;
      Value reply = objectFromJSONString(*text);
      return reply.isDictionary() || reply.isArray();
    });
  }
}

bool isCancelledFailure(const std::shared_ptr<HXHTTPRequest>& request) {
  auto error = request->error();
  return request->isCanceledRequest() ||
         (error && error->localizedDescription() == kCancelledDescription);
}

bool isAuthenticationCancel(const std::shared_ptr<HXHTTPRequest>& request) {
  auto error = request->error();
  return error && error->code() == -1012;
}

Value asValue(const std::optional<std::string>& text) {
  return text ? Value(*text) : Value();
}

}  // namespace

// ---- set-up ------------------------------------------------------------------------------------

std::shared_ptr<ClientRequest> ClientRequest::engine() {
  static std::shared_ptr<ClientRequest> shared = create();
  return shared;
}

std::shared_ptr<ClientRequest> ClientRequest::create() {
  auto c = std::make_shared<ClientRequest>();
  c->init();
  return c;
}

void ClientRequest::init() {
  postQueue_ = ClientPostRequest::create();
  downloadQueue_ = ClientDownload::create();
  queue_ = HXNetworkQueue::queue();
  queue_->setShouldCancelAllRequestsOnFailure(false);
  timeOutSec_ = kDefaultTimeOutSec;
}

ClientRequest::~ClientRequest() {
  if (queue_) queue_->cancelAllOperations();
  if (request_) clearAndCancel(request_);
}

// ---- receivers ---------------------------------------------------------------------------------

void ClientRequest::setAction(Selector action, std::weak_ptr<NSObject> delegate) {
  needDownload_ = false;
  action_ = std::move(action);
  delegate_ = std::move(delegate);
  actionString_ = Selector();
}

void ClientRequest::setStringAction(Selector actionString, std::weak_ptr<NSObject> delegate) {
  needDownload_ = false;
  actionString_ = std::move(actionString);
  delegate_ = std::move(delegate);
  action_ = Selector();
}

void ClientRequest::setPostAction(Selector action, std::weak_ptr<NSObject> delegate) {
  needDownload_ = false;
  postQueue_->setPostAction(std::move(action), std::move(delegate));
}

void ClientRequest::setDownloadAction(Selector action, std::weak_ptr<NSObject> delegate, int tag) {
  needDownload_ = false;
  downloadQueue_->setPostAction(std::move(action), std::move(delegate), tag);
}

void ClientRequest::setDownloadFinish(Selector selector, std::weak_ptr<NSObject> queueDelegate) {
  needDownload_ = false;
  downloadQueue_->setQueueFinish(std::move(selector), std::move(queueDelegate));
}

// ---- sends -------------------------------------------------------------------------------------

std::string ClientRequest::baseURL() const {
  auto config = NSConfig::engine();
  if (serverType_ == 1) return config->postServerURL();
  if (serverType_ == 2) return config->accountServerURL();
  return config->serverURL();
}

bool ClientRequest::platformAccountUsable() const {
  auto account = ClientPlatformAccount::current();
  return account && account->isLoggedIn() && !account->isAuthorizeExpired();
}

bool ClientRequest::passBindCheck() {
  if (needAuthorize_ && !platformAccountUsable()) return false;
  if (!noNeedPromptLoad_) startBusyAnimation();
  return true;
}

void ClientRequest::showBindPrompt() {
  auto account = ClientPlatformAccount::current();
  bool timedOut = account && account->isAccountTimeOut();
  auto alert = std::make_shared<UIAlertView>(
      "温馨提示", localized(timedOut ? "BandTimeOutPrompt" : "BandPrompt"),
      std::weak_ptr<UIAlertViewDelegate>(self<ClientRequest>()), "取消",
      std::vector<std::string>{"绑定"});
  alert->show();
}

void ClientRequest::setEngineCallbacks(const std::shared_ptr<HXHTTPRequest>& request, bool queued) {
  auto self = weakSelf<ClientRequest>();
  request->setDelegate(weakSelf<NSObject>());
  if (queued) {
    request->setDidFinishSelector(
        selector(self, &ClientRequest::onRequestQueueFinished, "requestQueueFinished:"));
    request->setDidFailSelector(
        selector(self, &ClientRequest::onRequestQueueFailed, "requestQueueFailed:"));
  } else {
    request->setDidFinishSelector(
        selector(self, &ClientRequest::onRequestFinished, "requestFinished:"));
    request->setDidFailSelector(selector(self, &ClientRequest::onRequestFailed, "requestFailed:"));
  }
  request->setTimeOutSeconds(timeOutSec_);
}

void ClientRequest::reQuestUrl(std::string_view path, const ValueDictionary& parameters) {
  sendSingle(path, parameters, true);
}

void ClientRequest::sendSingle(std::string_view path, const ValueDictionary& parameters,
                               bool formFields) {
  ApplicationHelper::increaseNetworkActivityIndicator();
  bool sendNow = passBindCheck();
  cancel();
  if (serverType_ == 1) methodType_ = 1;
  std::string base = baseURL();
  std::shared_ptr<HXHTTPRequest> request;
  if (methodType_ == 1) {
    if (formFields) {
      request = NSAsiFormDataRequest::formPost(path, parameters, base, dnsServerType_);
    } else {
      request = NSAsiFormDataRequest::initRequestDNS(path, parameters, base, dnsServerType_);
      request->setRequestMethod("POST");
    }
  } else {
    std::string url = URLHelper::getURL(base + std::string(path), parameters);
    request = HXHTTPRequest::requestWithURL(NSURL::URLWithString(url));
    if (needDownload_) writeToCacheFile(request, url);
    request->setRequestMethod("GET");
  }
  request->setUserAgent(std::string(kUserAgent));
  setEngineCallbacks(request, false);
  request_ = request;
  if (sendNow)
    request->startAsynchronous();
  else
    showBindPrompt();  // the request waits in request_ for a binding
  needAuthorize_ = false;
  dnsServerType_ = 0;
}

void ClientRequest::enqueue(const std::shared_ptr<HXHTTPRequest>& request,
                            std::weak_ptr<NSObject> receiver, Selector action, int tag,
                            bool promptSelf) {
  setRouteOfRequest(request, std::move(receiver), std::move(action));
  setMtag(request, tag);
  request->setTag(tag);
  request->setNeedPromptSelf(promptSelf);
  needPromptSelf_ = true;
  queue_->addOperation(request);
  queue_->go();
  needAuthorize_ = false;
  dnsServerType_ = 0;
}

void ClientRequest::reQueueUrl(std::string_view path, const ValueDictionary& parameters,
                               std::weak_ptr<NSObject> receiver, Selector action, int tag,
                               bool isNeed) {
  if (isNeed) ApplicationHelper::increaseNetworkActivityIndicator();
  if (!passBindCheck()) {
    showBindPrompt();
    needAuthorize_ = false;
    dnsServerType_ = 0;
    return;
  }
  if (serverType_ == 1) methodType_ = 1;
  std::string base = baseURL();
  std::shared_ptr<HXHTTPRequest> request;
  if (methodType_ == 1) {
    request = NSAsiFormDataRequest::formPost(path, parameters, base, dnsServerType_);
  } else {
    request = NSHxHttpRequest::initRequestDNS(path, parameters, base, dnsServerType_);
    request->setRequestMethod("GET");
  }
  if (needDownload_)
    writeToCacheFile(request, URLHelper::getURL(base + std::string(path), parameters));
  request->setUserAgent(std::string(kUserAgent));
  setEngineCallbacks(request, true);
  enqueue(request, std::move(receiver), std::move(action), tag, isNeed);
}

void ClientRequest::reQueueNormalUrl(std::string_view url, const ValueDictionary& parameters,
                                     std::weak_ptr<NSObject> receiver, Selector action, int tag,
                                     bool isNeedR) {
  ApplicationHelper::increaseNetworkActivityIndicator();
  if (!noNeedPromptLoad_) startBusyAnimation();
  std::shared_ptr<HXHTTPRequest> request;
  if (methodType_ == 1) {
    request = NSAsiFormDataRequest::formPost("", parameters, url, 0);
  } else {
    request = NSHxHttpRequest::initRequestDNS("", parameters, url, 0);
    request->setRequestMethod("GET");
  }
  if (needDownload_) writeToCacheFile(request, URLHelper::getURL(url, parameters));
  setEngineCallbacks(request, true);
  enqueue(request, std::move(receiver), std::move(action), tag, isNeedR);
}

// ---- cancelling --------------------------------------------------------------------------------

void ClientRequest::cancel() {
  if (request_) {
    auto dropped = std::move(request_);
    request_.reset();
    clearAndCancel(dropped);
    timeOutSec_ = kDefaultTimeOutSec;
  }
  ApplicationHelper::decreaseNetworkActivityIndicator();
}

void ClientRequest::cancelAction() {
  needDownload_ = false;
  delegate_.reset();
  action_ = Selector();
  actionString_ = Selector();
}

void ClientRequest::cacelAll() {
  cancel();
  cancelAction();
  for (const auto& op : queue_->operations()) {
    auto request = std::dynamic_pointer_cast<NSHxHttpRequest>(op);
    if (request && request->mtag() > 0) request->clearDelegatesAndCancel();
  }
}

void ClientRequest::removeQueueActionByTag(int tag) {
  for (const auto& op : queue_->operations()) {
    if (mtagOf(op) == tag) {
      op->cancel();
      return;
    }
  }
}

void ClientRequest::removeAllAction() {
  downloadQueue_->removeAllAction();
}

void ClientRequest::removeActionByTag(int tag) {
  downloadQueue_->removeActionByTag(tag);
}

void ClientRequest::stopNetWorkActivity() {
  UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(false);
}

// ---- downloads ---------------------------------------------------------------------------------

void ClientRequest::addRequestInQueue(const std::shared_ptr<HXHTTPRequest>& request) {
  downloadQueue_->addRequestInQueue(request);
}

void ClientRequest::startDownloadFile(std::string_view url, const std::string& destination) {
  downloadQueue_->startDownloadFile(url, destination);
}

void ClientRequest::startDownloadFile(std::string_view url, const std::string& destination,
                                      int requestTimes) {
  downloadQueue_->startDownloadFile(url, destination, requestTimes);
}

void ClientRequest::startDownloadFile(std::string_view url, const std::string& destination, int tag,
                                      Value localData) {
  downloadQueue_->startDownloadFile(url, destination, tag, std::move(localData));
}

// ---- channel images ----------------------------------------------------------------------------

void ClientRequest::downloadChannelImage(int channel, const std::string& source,
                                         const std::string& destination, int kind,
                                         const Value& localData) {
  if (NSThread::isMainThread()) {
    startChannelImageDownload(channel, source, destination, kind, localData);
    return;
  }
  // The catalogue stages a new list on a worker thread; the downloader is the main thread's.
  performOnMainThread(
      [weak = weakSelf<ClientRequest>(), channel, source, destination, kind, localData] {
        if (auto client = weak.lock())
          client->startChannelImageDownload(channel, source, destination, kind, localData);
      },
      false);
}

void ClientRequest::startChannelImageDownload(int channel, const std::string& source,
                                              const std::string& destination, int kind,
                                              const Value& localData) {
  setDownloadAction(
      selector(weakSelf<ClientRequest>(), &ClientRequest::onImageAllFinish, "imageAllFinish:"),
      weakSelf<NSObject>(), channel);
  startDownloadFile(source, destination, kind, localData);
}

void ClientRequest::downloadNewChannelImages(
    const std::vector<std::pair<std::string, std::string>>& downloads) {
  setDownloadAction(Selector(), {}, -1);
  setDownloadFinish(
      selector(weakSelf<ClientRequest>(), &ClientRequest::onChannelImagesFinished, "imageFinish:"),
      weakSelf<NSObject>());
  for (const auto& [source, destination] : downloads) startDownloadFile(source, destination);
}

void ClientRequest::onChannelImagesFinished(const Value& queue) {
  ChannelItem::imageFinish(queue);
}

void ClientRequest::onImageAllFinish(const Value& request) {
  imageAllFinish(request.object<HXHTTPRequest>());
}

std::shared_ptr<NSThread> ClientRequest::imageAllFinish(
    const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return nullptr;
  ChannelImageDownload download;
  download.downloadDestinationPath = request->downloadDestinationPath();
  download.tag = request->tag();
  if (auto wrapper = std::dynamic_pointer_cast<NSHxHttpRequest>(request)) {
    download.mtag = wrapper->mtag();
    download.localInfo = wrapper->localInfo();
  }
  return NSThread::detachNewThread([lock = imgCondition_, download = std::move(download)] {
    std::lock_guard guard(*lock);
    ChannelItem::imageAllFinish(download);
  });
}

// ---- network type ------------------------------------------------------------------------------

std::string ClientRequest::getNetworkType() const {
  switch (NSGlobe::getEngine()->curNetStatus()) {
    case 1:
      return "1";
    case 2:
      return "0";
    case 0:
      return "-1";
    default:
      return "";
  }
}

void ClientRequest::changeNetWork() {
  int type = Value(getNetworkType()).intValue();
  long width;
  if (type == 1)
    width = 1;
  else if (type == 0)
    width = NSOperationQueue::NSOperationQueueDefaultMaxConcurrentOperationCount;
  else
    return;
  queue_->setMaxConcurrentOperationCount(width);
  postQueue_->queue()->setMaxConcurrentOperationCount(width);
  downloadQueue_->queue()->setMaxConcurrentOperationCount(width);
}

ValueDictionary ClientRequest::addComParamers(const ValueDictionary& parameters) {
  if (parameters) parameters->setObject(Value(localized("SERVER_VERSION")), "std");
  return parameters;
}

std::string ClientRequest::getErrorJsonString() {
  return ServerResult::getErrorJsonString();
}

// ---- replies -----------------------------------------------------------------------------------

std::optional<std::string> ClientRequest::replyTextOfRequest(
    const std::shared_ptr<HXHTTPRequest>& request) {
  // The cache file decides, not the client's download flag: the reply went to the file
  // whenever the request had one, and only the file holds it then.  An error status (400 and
  // above) or a reply the cache refused never replaces the file: the engine keeps that body in
  // memory.
  std::string path = request->downloadDestinationPath();
  if (!path.empty() && request->responseStatusCode() < 400 && !request->responseData()) {
    if (auto bytes = dataWithContentsOfFile(path)) {
      auto text = stringWithData(*bytes, request->responseEncoding());
      if (!text || text->empty()) text = stringWithData(*bytes, NSGB18030StringEncoding);
      if (text) return text;
    }
  }
  if (auto text = request->responseString()) return *text;
  return std::nullopt;
}

bool ClientRequest::deliverTo(const Selector& selector, const Value& text) {
  if (!receiverResponds(delegate_, selector)) return false;
  performOnReceiver(delegate_, selector, text);
  return true;
}

bool ClientRequest::deliverToLoader(const Value& text) {
  auto receiver = delegate_.lock();
  auto* loader = dynamic_cast<ClientReplyReceiver*>(receiver.get());
  if (!loader) return false;
  loader->URLConnectionDidFinishLoading(text);
  return true;
}

void ClientRequest::onRequestFinished(const Value& r) {
  requestFinished(r.object<HXHTTPRequest>());
}

void ClientRequest::onRequestFailed(const Value& r) {
  requestFailed(r.object<HXHTTPRequest>());
}

void ClientRequest::onRequestQueueFinished(const Value& r) {
  requestQueueFinished(r.object<HXHTTPRequest>());
}

void ClientRequest::onRequestQueueFailed(const Value& r) {
  requestQueueFailed(r.object<HXHTTPRequest>());
}

void ClientRequest::requestFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  stopActivityIndicatorViewAnimation();
  timeOutSec_ = kDefaultTimeOutSec;
  Value text = asValue(replyTextOfRequest(request));
  int status = request->responseStatusCode();
  statusCode_ = status;
  bool dropAfterwards = true;
  switch (status) {
    case 200:
    case 400:
      deliverTo(action_, text) || deliverToLoader(text);
      dropAfterwards = false;
      break;
    case 403:
    case 40302:
      hasError_ = true;
      deliverTo(action_, text) || deliverToLoader(text);
      dropAfterwards = false;
      break;
    case 304:
      deliverTo(action_, text) || deliverTo(actionString_, text) || deliverToLoader(text);
      break;
    case 401:
      hasError_ = true;
      break;
    default:
      hasError_ = true;
      deliverTo(action_, text) ||
          deliverTo(actionString_,
                    Value(NSHTTPURLResponse::localizedStringForStatusCode(status))) ||
          deliverToLoader(text);
      break;
  }
  // A receiver that sent a new request from its action keeps it and its registration.
  if (dropAfterwards && request_ == request) {
    cancel();
    cancelAction();
  }
}

void ClientRequest::showFailurePrompt(bool cancelled) {
  if (!Reachability::isConnectedToNetwork())
    showPrompt(localized("NetworkError"));
  else if (!cancelled)
    showPrompt(localized("RequestError"));
}

void ClientRequest::requestFailed(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  stopActivityIndicatorViewAnimation();
  ApplicationHelper::decreaseNetworkActivityIndicator();
  timeOutSec_ = kDefaultTimeOutSec;
  statusCode_ = request->responseStatusCode();
  hasError_ = true;
  if (isAuthenticationCancel(request)) {
    statusCode_ = 401;
    return;
  }
  Value reply(getErrorJsonString());
  bool taken = deliverTo(action_, reply) || deliverToLoader(reply);
  if (needPromptSelf_ && Reachability::isConnectedToNetwork()) {
    needPromptSelf_ = false;
    return;
  }
  bool cancelled = !taken || isCancelledFailure(request);
  if (request_ == request) cancelAction();
  showFailurePrompt(cancelled);
}

void ClientRequest::requestQueueFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  if (request->needPromptSelf()) stopActivityIndicatorViewAnimation();
  timeOutSec_ = kDefaultTimeOutSec;
  Value text = asValue(replyTextOfRequest(request));
  int status = request->responseStatusCode();
  statusCode_ = status;
  if (status == 401) {
    hasError_ = true;
    return;
  }
  if (status != 200 && status != 304 && status != 400) hasError_ = true;
  routeOfRequest(request).perform(text);
}

void ClientRequest::requestQueueFailed(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  if (request->needPromptSelf()) stopActivityIndicatorViewAnimation();
  ApplicationHelper::decreaseNetworkActivityIndicator();
  timeOutSec_ = kDefaultTimeOutSec;
  statusCode_ = request->responseStatusCode();
  hasError_ = true;
  if (isAuthenticationCancel(request)) {
    statusCode_ = 401;
    return;
  }
  bool cancelledRequest = isCancelledFailure(request);
  bool taken = false;
  if (!cancelledRequest) {
    RequestRoute route = routeOfRequest(request);
    if (route.responds()) taken = route.perform(Value(getErrorJsonString()));
  }
  if (request->tag() == 8) failToLogin(request);
  if (request->tag() == 9) failToOpen(request);
  if (needPromptSelf_ && Reachability::isConnectedToNetwork()) {
    needPromptSelf_ = false;
    return;
  }
  showFailurePrompt(cancelledRequest || !taken);
}

// ---- platform account --------------------------------------------------------------------------

void ClientRequest::logIn() {
  if (auto account = ClientPlatformAccount::current()) account->logIn();
}

void ClientRequest::onLogIn() {
  logIn();
}

void ClientRequest::engineDidLogIn() {
  // Only a request that never went out: one that already ran is not sent twice.
  if (request_ && !request_->isInRequest()) {
    auto held = request_;
    held->startSynchronous();
  }
}

void ClientRequest::engineDidFailToLogIn(bool withError) {
  cancel();
  if (withError && eventType_ != 129) showPrompt("帐号绑定不成功，无法执行该操作！");
}

void ClientRequest::failToLogin(const std::shared_ptr<HXHTTPRequest>&) {
  loginGranted_ = false;
  postNotification(kLoginClientCallBack);
}

void ClientRequest::failToOpen(const std::shared_ptr<HXHTTPRequest>&) {
  postNotification(kOpenClientCallBack);
}

void ClientRequest::alertViewDidDismissWithButtonIndex(
    const std::shared_ptr<UIAlertView>& alertView, long buttonIndex) {
  if (!alertView || buttonIndex == alertView->cancelButtonIndex()) return;
  performSelectorAfterDelay(selector(weakSelf<ClientRequest>(), &ClientRequest::onLogIn, "logIn"),
                            {}, 0.01);
}
