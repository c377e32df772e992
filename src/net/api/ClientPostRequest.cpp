#include "net/api/ClientPostRequest.h"

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSHTTPURLResponse.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/UIBkImageView.h"
#include "net/api/ApplicationHelper.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSAsiFormDataRequest.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ReplyRoute.h"
#include "net/api/ServerResult.h"
#include "net/api/URLHelper.h"
#include "net/http/HXFormDataRequest.h"
#include "net/http/HXNetworkQueue.h"

namespace {

constexpr double kPostTimeOutSeconds = 60;

Value replyTextOf(const std::shared_ptr<HXHTTPRequest>& request) {
  auto text = request->responseString();
  return text ? Value(*text) : Value();
}

// Statuses after which nothing but the reply text itself goes to the receiver.
bool isPlainReplyStatus(int status) {
  return status == 200 || status == 400 || status == 401 || status == 403 || status == 40302;
}

bool isAuthenticationCancel(const std::shared_ptr<HXHTTPRequest>& request) {
  auto error = request->error();
  return error && error->code() == -1012;
}

std::string errorDescriptionOf(const std::shared_ptr<HXHTTPRequest>& request) {
  auto error = request->error();
  return error ? error->localizedDescription() : std::string();
}

bool replySucceeded(const Value& text) {
  return ServerResult::resultWithJSONString(text.isString() ? std::string(text.string())
                                                            : std::string())
      ->resultSuccess;
}

void forgetDefaults(std::initializer_list<std::string_view> keys) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  for (std::string_view key : keys) defaults->removeObjectForKey(key);
  defaults->synchronize();
}

}  // namespace

std::shared_ptr<ClientPostRequest> ClientPostRequest::create() {
  auto p = std::make_shared<ClientPostRequest>();
  p->init();
  return p;
}

void ClientPostRequest::init() {
  queue_ = HXNetworkQueue::queue();
  queue_->setShouldCancelAllRequestsOnFailure(false);
  statuL_ = feedbackPresenter()->createStatusBar();
}

ClientPostRequest::~ClientPostRequest() {
  if (queue_) queue_->cancelAllOperations();
}

std::shared_ptr<HXHTTPRequest> ClientPostRequest::asRequest(const Value& v) {
  return v.object<HXHTTPRequest>();
}

void ClientPostRequest::setPostAction(Selector action, std::weak_ptr<NSObject> receiver) {
  actionString_ = std::move(action);
  clientdelegate_ = std::move(receiver);
}

// ---- feedback ----------------------------------------------------------------------------------

void ClientPostRequest::showStatusBar() {
  statuL_->showWithStatusMessage(NSBundle::mainBundle()->localizedStringForKey("StartSend"));
}

void ClientPostRequest::showFinishStatusBar(const std::string& text) {
  statuL_->showStatusOkOneTime(text);
}

void ClientPostRequest::postFinish(const Value& replyText) {
  std::string text = replyText.isString() ? std::string(replyText.string()) : std::string();
  Value message = objectFromJSONString(text)["ResultMsg"];
  std::string shown;
  if (message.isString())
    shown = message.string();
  else if (!message.isNil() && !message.isNull())
    shown = message.description();
  auto bundle = NSBundle::mainBundle();
  if (ServerResult::resultWithJSONString(text)->resultSuccess) {
    if (shown.empty()) shown = bundle->localizedStringForKey("SendOk");
    statuL_->showWithStatusOk(shown);
    if (UIBkImageView::getCurSelect(9)) feedbackPresenter()->playAudio(true);
  } else {
    if (shown.empty()) shown = bundle->localizedStringForKey("SendFail");
    statuL_->showWithStatusMessage(shown);
  }
  performSelectorAfterDelay(
      selector(weakSelf<ClientPostRequest>(), &ClientPostRequest::removeView, "removeView:"), {},
      1.0);
}

void ClientPostRequest::removeView(const Value&) {
  statuL_->hide();
  if (queue_->requestsCount() > 0) showStatusBar();
}

// ---- sends -------------------------------------------------------------------------------------

std::string ClientPostRequest::baseURLOfServerType() const {
  auto config = NSConfig::engine();
  if (serverType_ == 1) return config->postServerURL();
  if (serverType_ == 2) return config->accountServerURL();
  return config->serverURL();
}

void ClientPostRequest::send(const std::shared_ptr<HXHTTPRequest>& request,
                             void (ClientPostRequest::*finish)(const Value&),
                             std::string finishName, void (ClientPostRequest::*fail)(const Value&),
                             std::string failName) {
  auto self = weakSelf<ClientPostRequest>();
  request->setTimeOutSeconds(kPostTimeOutSeconds);
  request->setUserAgent(std::string(ClientRequest::kUserAgent));
  request->setDelegate(weakSelf<NSObject>());
  request->setDidFinishSelector(selector(self, finish, std::move(finishName)));
  request->setDidFailSelector(selector(self, fail, std::move(failName)));
  // The pending receiver goes with this request only.
  setRouteOfRequest(request, clientdelegate_, actionString_);
  clientdelegate_.reset();
  actionString_ = Selector();
  queue_->addOperation(request);
  queue_->go();
}

void ClientPostRequest::reQuestUrl(std::string_view path, const ValueDictionary& parameters) {
  auto request =
      NSAsiFormDataRequest::formPost(path, parameters, NSConfig::engine()->postServerURL(), 2);
  send(request, &ClientPostRequest::onRequestFinished,
       "requestFinished:", &ClientPostRequest::onRequestFailed, "requestFailed:");
  showStatusBar();
}

void ClientPostRequest::postImage(std::string_view path, const ValueDictionary& parameters) {
  auto request = HXFormDataRequest::requestWithURL(
      NSURL::URLWithString(NSConfig::engine()->postServerURL() + std::string(path)));
  request->setRequestMethod("POST");
  if (parameters) {
    parameters->enumerate([&](const std::string& key, const Value& value) {
      if (key == "imgfile")
        request->setData(value.isData() ? value : Value::data(value.string()), key);
      else
        request->setPostValue(value, key);
    });
  }
  request->buildPostBody();
  send(request, &ClientPostRequest::onRequestFinished,
       "requestFinished:", &ClientPostRequest::onRequestFailed, "requestFailed:");
  showStatusBar();
}

void ClientPostRequest::postInfo(std::string_view path, const ValueDictionary& parameters,
                                 std::string_view body) {
  std::string url =
      URLHelper::getURL(NSConfig::engine()->logServerURL() + std::string(path), parameters);
  auto request = HXFormDataRequest::requestWithURL(NSURL::URLWithString(url));
  request->setRequestMethod("POST");
  request->setPostValue(Value(body), "body");
  request->buildPostBody();
  request->setNumberOfTimesToRetryOnTimeout(1);
  send(request, &ClientPostRequest::onRequestNormalInfoFinished,
       "requestNormalInfoFinished:", &ClientPostRequest::onRequestNormalFailed,
       "requestNormalFailed:");
}

void ClientPostRequest::postFile(std::string_view path, const ValueDictionary& parameters) {
  auto request = HXFormDataRequest::requestWithURL(
      NSURL::URLWithString(NSConfig::engine()->logServerURL() + std::string(path)));
  request->setRequestMethod("POST");
  if (parameters) {
    parameters->enumerate([&](const std::string& key, const Value& value) {
      if (key == "file")
        request->addFile(value.description(), "log", "txt", "log");
      else
        request->setPostValue(value, key);
    });
  }
  request->buildPostBody();
  request->setNumberOfTimesToRetryOnTimeout(1);
  send(request, &ClientPostRequest::onRequestNormalLogFinished,
       "requestNormalLogFinished:", &ClientPostRequest::onRequestNormalFailed,
       "requestNormalFailed:");
}

void ClientPostRequest::reQuestNormalUrl(std::string_view path, const ValueDictionary& parameters) {
  ApplicationHelper::increaseNetworkActivityIndicator();
  auto request =
      NSHxHttpRequest::initRequestDNS(path, parameters, baseURLOfServerType(), dnsServerType_);
  request->setRequestMethod("GET");
  request->setDefaultResponseEncoding(NSGB18030StringEncoding);
  send(request, &ClientPostRequest::onRequestNormalFinished,
       "requestNormalFinished:", &ClientPostRequest::onRequestNormalFailed, "requestNormalFailed:");
  dnsServerType_ = 0;
}

void ClientPostRequest::reQuestNormalUrl(std::string_view path, const ValueDictionary& parameters,
                                         bool needPrompt) {
  if (needPrompt) ApplicationHelper::increaseNetworkActivityIndicator();
  auto request =
      NSHxHttpRequest::initRequestDNS(path, parameters, baseURLOfServerType(), dnsServerType_);
  request->setRequestMethod("GET");
  request->setDefaultResponseEncoding(NSGB18030StringEncoding);
  request->setNeedPromptSelf(needPrompt);
  send(request, &ClientPostRequest::onRequestNormalFinished,
       "requestNormalFinished:", &ClientPostRequest::onRequestNormalFailed, "requestNormalFailed:");
  dnsServerType_ = 0;
}

void ClientPostRequest::checkChannelUpdate(std::string_view path,
                                           const ValueDictionary& parameters) {
  auto request =
      NSHxHttpRequest::initRequestDNS(path, parameters, NSConfig::engine()->serverURL(), 1);
  request->setRequestMethod("GET");
  send(request, &ClientPostRequest::onCheckFinished,
       "checkFinished:", &ClientPostRequest::onCheckFailed, "checkFailed:");
}

// ---- engine callbacks --------------------------------------------------------------------------

void ClientPostRequest::requestFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  stopActivityIndicatorViewAnimation();
  Value text = replyTextOf(request);
  NSWeiBoNet::weiboBindProcess(text.isString() ? std::string(text.string()) : std::string());
  RequestRoute route = routeOfRequest(request);
  int status = request->responseStatusCode();
  if (!isPlainReplyStatus(status)) {
    Value first =
        status == 304 ? Value() : Value(NSHTTPURLResponse::localizedStringForStatusCode(status));
    if (route.responds())
      route.perform(first);
    else
      postFinish(text);
  }
  postFinish(text);
  if (route.action.name() == "postStatusCallback:") {
    // The composer has closed by now: a status that went out takes its saved draft with it.
    if (replySucceeded(text)) forgetDefaults({kWriteTextKey, kWriteImageKey});
    return;
  }
  route.perform(text);
}

void ClientPostRequest::requestFailed(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  stopActivityIndicatorViewAnimation();
  ApplicationHelper::decreaseNetworkActivityIndicator();
  if (isAuthenticationCancel(request)) return;
  Value description(errorDescriptionOf(request));
  RequestRoute route = routeOfRequest(request);
  if (route.responds())
    route.perform(description);
  else
    postFinish(description);
}

void ClientPostRequest::requestNormalFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  if (request->needPromptSelf()) stopActivityIndicatorViewAnimation();
  Value text = replyTextOf(request);
  int status = request->responseStatusCode();
  RequestRoute route = routeOfRequest(request);
  if (isPlainReplyStatus(status))
    route.perform(text);
  else if (status == 304)
    route.perform(Value());
  else
    route.perform(Value(NSHTTPURLResponse::localizedStringForStatusCode(status)));
}

void ClientPostRequest::requestNormalFailed(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  if (request->needPromptSelf()) stopActivityIndicatorViewAnimation();
  ApplicationHelper::decreaseNetworkActivityIndicator();
  if (isAuthenticationCancel(request)) return;
  routeOfRequest(request).perform(Value(errorDescriptionOf(request)));
}

void ClientPostRequest::requestNormalInfoFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  requestFinished(request);
  if (replySucceeded(replyTextOf(request))) forgetDefaults({kWriteTextKeyUserFeedBack});
}

void ClientPostRequest::requestNormalLogFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  stopActivityIndicatorViewAnimation();
  Value text = replyTextOf(request);
  int status = request->responseStatusCode();
  RequestRoute route = routeOfRequest(request);
  if (status == 304)
    route.perform(Value());
  else if (!isPlainReplyStatus(status))
    route.perform(Value(NSHTTPURLResponse::localizedStringForStatusCode(status)));
  route.perform(text);
}

void ClientPostRequest::checkFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  routeOfRequest(request).perform(replyTextOf(request));
}

void ClientPostRequest::checkFailed(const std::shared_ptr<HXHTTPRequest>&) {}
