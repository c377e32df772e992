// The post sender: the content-server client's second sending path.  Any number of requests
// run side by side on a queue of its own; status posts, comments, picture uploads and shares
// show "sending" in the status bar while they run and the server's verdict when they end.  It
// also carries feedback and usage-log uploads, the channel-update check and the reading
// requests that endpoint operations route through it.
//
// A receiver and action registered with setPostAction go with the next request only: every
// send moves them onto the request it builds and clears them here, so a send with nothing
// registered reports to nobody.  Replies reach the receiver only while it lives and answers the
// action.  Main thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/StoredKeys.h"

class StatusBarMessageWindow;
class HXHTTPRequest;
class HXNetworkQueue;

// The composer's unsent text and picture, and the unsent feedback text (user defaults).

class ClientPostRequest : public NSObject {
 public:
  // init: the queue (one failure cancels nothing else) and the status-bar window.
  static std::shared_ptr<ClientPostRequest> create();
  ~ClientPostRequest() override;

  void setPostAction(Selector action, std::weak_ptr<NSObject> receiver);
  const Selector& actionString() const { return actionString_; }
  std::shared_ptr<NSObject> clientdelegate() const { return clientdelegate_.lock(); }
  const std::weak_ptr<NSObject>& clientdelegateRef() const { return clientdelegate_; }

  // Server group of the plain requests: 1 post, 2 account, anything else the content server.
  void setServerType(int type) { serverType_ = type; }
  int serverType() const { return serverType_; }
  // The group number handed to the request wrapper; back to 0 after each plain request.
  void setDnsServerType(int type) { dnsServerType_ = type; }
  int dnsServerType() const { return dnsServerType_; }
  const std::shared_ptr<HXNetworkQueue>& queue() const { return queue_; }
  const std::shared_ptr<StatusBarMessageWindow>& statuL() const { return statuL_; }

  // ---- status-bar feedback
  // "StartSend" with the spinner.
  void showStatusBar();
  // The text with the ok mark, hidden 1.0 s later.
  void showFinishStatusBar(const std::string& text);
  // The end of a send: the reply envelope's message (or "SendOk" / "SendFail" when it has
  // none) with the ok mark on success, the spinner on failure; removeView 1.0 s later.
  void postFinish(const Value& replyText);
  // Hides the bar; shows "StartSend" again while requests are still queued.
  void removeView(const Value& ignored = {});

  // ---- sends: 60 s timeout, the app's user agent, each started on the queue at once
  // A form to the post server: "keys" and "std" in the query, the rest as form fields.
  void reQuestUrl(std::string_view path, const ValueDictionary& parameters);
  // A multipart form to the post server: "imgfile" as the picture part, the rest as fields.
  void postImage(std::string_view path, const ValueDictionary& parameters);
  // Feedback to the log server: the parameters in the query, the body text as field "body".
  void postInfo(std::string_view path, const ValueDictionary& parameters, std::string_view body);
  // A log file to the log server: the path under "file" as the file part "log", the rest as
  // fields.
  void postFile(std::string_view path, const ValueDictionary& parameters);
  // A GET to the server group's host with every parameter in the query; replies without a
  // character set read as GB18030.
  void reQuestNormalUrl(std::string_view path, const ValueDictionary& parameters);
  void reQuestNormalUrl(std::string_view path, const ValueDictionary& parameters, bool needPrompt);
  // A GET to the content server whose reply goes to the receiver whatever its status.
  void checkChannelUpdate(std::string_view path, const ValueDictionary& parameters);

  // ---- engine callbacks (main thread)
  void requestFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void requestFailed(const std::shared_ptr<HXHTTPRequest>& request);
  void requestNormalFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void requestNormalFailed(const std::shared_ptr<HXHTTPRequest>& request);
  void requestNormalInfoFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void requestNormalLogFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void checkFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void checkFailed(const std::shared_ptr<HXHTTPRequest>& request);

  ClientPostRequest() = default;

 private:
  void init();
  // Engine settings, route hand-over, queueing.
  void send(const std::shared_ptr<HXHTTPRequest>& request,
            void (ClientPostRequest::*finish)(const Value&), std::string finishName,
            void (ClientPostRequest::*fail)(const Value&), std::string failName);
  std::string baseURLOfServerType() const;

  void onRequestFinished(const Value& r) { requestFinished(asRequest(r)); }
  void onRequestFailed(const Value& r) { requestFailed(asRequest(r)); }
  void onRequestNormalFinished(const Value& r) { requestNormalFinished(asRequest(r)); }
  void onRequestNormalFailed(const Value& r) { requestNormalFailed(asRequest(r)); }
  void onRequestNormalInfoFinished(const Value& r) { requestNormalInfoFinished(asRequest(r)); }
  void onRequestNormalLogFinished(const Value& r) { requestNormalLogFinished(asRequest(r)); }
  void onCheckFinished(const Value& r) { checkFinished(asRequest(r)); }
  void onCheckFailed(const Value& r) { checkFailed(asRequest(r)); }
  static std::shared_ptr<HXHTTPRequest> asRequest(const Value& v);

  std::shared_ptr<HXNetworkQueue> queue_;
  Selector actionString_;
  std::weak_ptr<NSObject> clientdelegate_;
  std::shared_ptr<StatusBarMessageWindow> statuL_;
  int serverType_ = 0;
  int dnsServerType_ = 0;
};
