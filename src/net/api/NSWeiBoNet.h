// The request dispatcher.  Screens never call a server operation themselves: they post a bus
// message (NSMsgSend) under "globe_request", and the dispatcher, on the main thread inside that
// post, checks connectivity, registers the message's sender and action as the receiver of the
// reply, calls the operation its type selects and records a usage event for the types that
// have one.  Usage events posted under "log_action" arrive here too.
//
// One table maps each request type to its operation (NSWeiBoNet.cpp); types whose operations are
// not built yet do nothing, as an unknown type does.  The dispatcher also keeps the usage log's
// current section and its uploads, the favourite and liked lists, and the checks and prompts
// that have the reader bind a platform account (NSWeiBoNet+UsageLog.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "UIKit/UIAlertView.h"
#include "core/RequestType.h"

class NSMsgSend;
class NSSectionItem;
class NSTimer;
class WBEngine;

class NSWeiBoNet : public NSObject, public UIAlertViewDelegate {
 public:
  // The shared dispatcher, created under a lock on first call; it subscribes to the bus then.
  static std::shared_ptr<NSWeiBoNet> getNetEngine();
  // A second creation is refused: nullptr once the instance exists.
  static std::shared_ptr<NSWeiBoNet> allocWithZone();
  ~NSWeiBoNet() override;

  // ---- the platform clients: weiboEngine for logins and calls, checkEngine for the unread
  // counters.  Both are made with the dispatcher and speak for one account.
  const std::shared_ptr<WBEngine>& weiboEngine() const { return weiboEngine_; }
  const std::shared_ptr<WBEngine>& checkEngine() const { return checkEngine_; }
  // Replaces weiboEngine and gives checkEngine its account.
  void setWeiboEngine(std::shared_ptr<WBEngine> engine);

  // ---- favourite and liked ids, loaded from their files when the dispatcher is created
  std::vector<std::string>& favoriteList() { return favoriteList_; }
  std::vector<std::string>& goodList() { return goodList_; }
  // Reloads both lists from their files (the liked list only when its file holds any).
  void readLocalData();
  // Adds the id unless the list holds it, and saves the list.
  void addFavorite(const std::string& statusId);
  // Removes the id and saves the list; an id that is not there changes and writes nothing.
  void removeFavorite(const std::string& statusId);
  // Adds the id unless the list holds it; saving (UIFilePath::saveLikeArray) is the caller's.
  void addGood(const std::string& itemId);

  // "globe_request": the dispatch.  Takes the notification as the bus delivers it.
  void mainRequest(const Value& notification);
  // The same for a message in hand (what mainRequest does after unpacking it).
  void dispatch(const std::shared_ptr<NSMsgSend>& msg);

  // ---- the usage log
  //
  // Events are recorded in the current section from the start event (901) to the close event
  // (902) while the login data allows recording (useBehaviorEnable); uploads need
  // useBehaviorSubmit.  The start uploads the whole log file when its last section cannot go
  // on (at once on Wi-Fi, 45 s later otherwise); an ordinary event uploads the section once it
  // holds 10 actions, and the 60-second timer once it holds 2.  Failures of requests (903) are
  // recorded but start no upload.  One upload at a time: the next may go 30 s after a reply
  // that succeeded, 60 s after one that did not.  What a successful upload carried is dropped;
  // what was recorded meanwhile stays for the next one.

  // A usage event: a "log_action" notification, or an array [code, detail] of the dispatcher's
  // own records.
  void logAction(const Value& notificationOrArray);
  // The 60-second check (the dispatcher's timer).
  void logTime(const Value& timer = {});
  void startSendLog();
  void startSendCurLog();
  // Replies of the two uploads (the log server's envelope, or the failure text).
  void logSendCallBack(const Value& reply);
  void logCurCallBack(const Value& reply);
  // The upload in flight is over: the next may start.
  void setSubmiteStatus();
  const std::shared_ptr<NSSectionItem>& curSection() const { return curSection_; }
  bool isSubmiteLog() const { return isSubmiteLog_; }

  // ---- binding a platform account before an action that needs one
  //
  // The event names what waits for the binding (ClientRequest::eventType; 128 for none).

  // Whether a platform account is bound and valid.  Without one: event 0 asks nothing (the
  // waiting event becomes 128); any other event shows the bind alert ("BandTimeOutPrompt" when
  // the binding ran out, else "BandPrompt"), becomes the waiting event (128 for events up to
  // 128) and plays the channel sound when sounds are on.
  static bool isLogined(int event);
  static bool isLoginedNoPrompt();
  // Like isLogined, but starts the platform login at once instead of asking.
  static bool isStartBind(int event);
  // The alert that asks to bind again after the platform refused the account ("AcoundTokenTime").
  static void showPromptBind();
  // True when the content-server reply carries one of the platform's token errors (21319,
  // 21325, 21327, 21332): the platform account is then logged out and asked to be bound again.
  static bool weiboBindProcess(std::string_view reply);
  // The bind alerts' answer: "绑定" starts the login, "取消" leaves no event waiting.
  void alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& alertView,
                                          long buttonIndex) override;

  // Type 3: drops the platform clients' pending replies and stops the busy overlay.
  void clearNoti();
  void cancelEngine();
  // Type 121: the client's single request.
  void cancelNormal();
  // Every request of the client.
  void cancel();
  // Starts the platform login.
  void startLoginWeiBo();

  // Whether a request of the type reaches an operation (an unknown type, or one whose
  // operation comes later, does nothing).
  static bool handlesType(RequestType type);

  NSWeiBoNet() = default;

 private:
  void init();
  // The usage record of a dispatched request: [code] or [code, detail].
  void record(int32_t code, const Value& detail = {});
  // Uploads the current section when it holds at least `threshold` actions.
  void sendCurrentSection(size_t threshold);
  void submitFinished(bool succeeded);
  void startLoginWeiBoSoon();

  std::shared_ptr<WBEngine> weiboEngine_;
  std::shared_ptr<WBEngine> checkEngine_;
  std::vector<std::string> favoriteList_;
  std::vector<std::string> goodList_;
  std::shared_ptr<NSTimer> logTimer_;
  std::shared_ptr<NSSectionItem> curSection_;
  bool isSubmiteLog_ = false;
  // What the upload in flight carries: the log file's bytes, or the section and its number of
  // actions.
  std::optional<std::string> sentLog_;
  std::weak_ptr<NSSectionItem> sentSection_;
  size_t sentActions_ = 0;
};
