// The microblog platform client: the platform credentials of the app, the one bound account
// (user id, access token, expiry, profile), its login (WBEngine+Login.cpp) and the REST calls
// under "/2/" (WBEngine+Calls.cpp).
//
// The bound account lives in the keychain, in items of the service "WB_<app key>_WeiBoServiceName":
// "WeiBoUserID", "WeiBoAccessToken" and "WeiBoExpireTime" (seconds since 1970 as "%lf" text),
// written by a login and read by every new engine, so a binding survives restarts.  The
// expiry is not compared with the clock: a token counts until the platform rejects it (a token
// error of a reply logs the account out and posts the bind prompt) or the reader logs out.
// The account name typed into the platform's login page is remembered in "WeiboUsername".
//
// One engine carries one REST request at a time: a call cancels the engine's previous request
// unless that one went through the engine's queue.  The reply text goes to the action of the
// receiver set with setAction (only while the receiver lives); a queued request answers the
// receiver and action it was sent with.  Tokens and the app secret never reach the usage log,
// failure prompts or standard output.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/WBAuthorize.h"

class HXHTTPRequest;
class HXNetworkQueue;
class NSURL;
struct User;
class WBEngine;

// What the engine tells its delegate; each is sent only to a delegate that adopts this.
class WBEngineDelegate {
 public:
  virtual ~WBEngineDelegate() = default;
  virtual void engineAlreadyLoggedIn(WBEngine&) {}
  virtual void engineDidLogIn(WBEngine&) {}
  virtual void zizaweiboLogInDidCancel(WBEngine&) {}
  virtual void zizaweiboLogInDidFailWithError(WBEngine&, const NSErrorPtr&) {}
  virtual void engineDidFailToLogInWithError(WBEngine&, const NSErrorPtr&) {}
  virtual void engineDidLogOut(WBEngine&) {}
  virtual void engineNotAuthorized(WBEngine&) {}
};

class WBEngine : public NSObject, public ClientPlatformAccount, public WBAuthorizeDelegate {
 public:
  static constexpr std::string_view kAppKey = "2718093456";
  static constexpr std::string_view kRedirectURI = "http://www.zept.example/callback.aspx";
  static constexpr std::string_view kErrorDomain = "WeiBoSDKErrorDomain";
  static constexpr int kDefaultTimeOutSec = 15;

  // A new engine with the app's credentials, reading the bound account from the keychain.
  static std::shared_ptr<WBEngine> create();
  ~WBEngine() override;

  // ---- the account (account and token store)
  const std::string& appKey() const { return appKey_; }
  const std::optional<std::string>& userIDValue() const { return userID_; }
  const std::optional<std::string>& accessTokenValue() const { return accessToken_; }
  double expireTime() const { return expireTime_; }
  const std::shared_ptr<User>& user() const { return user_; }
  const std::string& redirectURI() const { return redirectURI_; }
  void setRedirectURI(std::string uri) { redirectURI_ = std::move(uri); }
  const std::optional<std::string>& refreshToken() const { return refreshToken_; }
  const std::string& ssoCallbackScheme() const { return ssoCallbackScheme_; }
  const std::shared_ptr<WBAuthorize>& authorize() const { return authorize_; }
  // "WB_" + the app key.
  std::string urlSchemeString() const;
  // The keychain service of the account's items.
  std::string serviceName() const;
  // Copies the account of another engine (the dispatcher's two engines speak for one account).
  void takeAccountOf(const WBEngine& other);

  void saveAuthorizeDataToKeychain();
  void readAuthorizeDataFromKeychain();
  // Clears the account and deletes its keychain items and the profile file.
  void deleteAuthorizeDataInKeychain();
  // Loads the profile of the bound account from its file.
  void setUserInfo();
  void saveToKeychainWithUsername(const std::optional<std::string>& name,
                                  const std::optional<std::string>& password);
  std::optional<std::string> readUsernameFromKeychain();

  bool isLoggedIn() override;
  // An engine without a token forgets its account data and answers true.
  bool isAuthorizeExpired() override;
  bool isAccountTimeOut() override;
  void logOut() override;
  bool isSSOBindOkFirst() override;
  // With true: remembers that a login by the web page happened and answers false; with false:
  // whether one happened.
  bool hasLoginByNormal(bool set);
  std::string userID() override { return userID_.value_or(""); }
  std::string accessToken() override { return accessToken_.value_or(""); }
  bool isBindBySso() override { return isBindBySso_; }
  bool needAttend() override { return authorize_ && authorize_->needAttend(); }
  void deleteAccountDataInKeychain() override;
  std::string userName() const;
  std::optional<std::string> headUrl() const;

  // ---- the login
  std::shared_ptr<NSObject> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<NSObject> delegate) { delegate_ = std::move(delegate); }
  // Single sign-on through the platform's app when it takes the request, else the web page.
  void logIn() override;
  bool ssoLogin();
  bool handleOpenURL(const std::string& url) override;
  void applicationDidBecomeActive() override;
  void logInDidFinishWithAuthInfo(const Value& info);
  void logInDidFailWithErrorInfo(const Value& info);
  void logInDidCancel();
  void authorizeDidSucceed(WBAuthorize& authorize, const std::string& accessToken,
                           const std::string& userID, long long expiresIn) override;
  void authorizeDidFail(WBAuthorize& authorize, const NSErrorPtr& error) override;
  // The profile reply of a new login (whatever it holds).
  void userInfoCallBack(const Value& reply);

  // ---- REST calls
  // The receiver of the next replies and its one-argument action.
  void setAction(Selector action, std::weak_ptr<NSObject> delegate);
  const Selector& action() const { return action_; }
  int timeOutSec() const { return timeOutSec_; }
  void setTimeOutSec(int seconds) { timeOutSec_ = seconds; }
  bool needAddToQueue() const { return needAddToQueue_; }
  // One-shot: the next call goes through the engine's queue.
  void setNeedAddToQueue(bool v) { needAddToQueue_ = v; }
  bool needPromptSelf() const { return needPromptSelf_; }
  const std::shared_ptr<HXHTTPRequest>& request() const { return request_; }
  const std::shared_ptr<HXNetworkQueue>& taskQueue() const { return taskQueue_; }
  // "https://" + the platform's API host + "/2/".
  static std::string apiBaseURL();

  void getMyStatuses(const Value& count, const Value& page);
  void getUserStatuses(const Value& userId, const Value& count, const Value& page);
  void getUserStatusesByName(const Value& screenName, const Value& count, const Value& page);
  void getUserStatusesById(const Value& userId, const Value& count, const Value& page);
  void getMentionsStatuses(const Value& page, const Value& count);
  void getFriendsStatuses(const Value& maxId, const Value& count);
  void getCommentsToMe(const Value& page, const Value& count);
  // The first 20 ids, as 64-bit decimals joined by ",".
  void getCommentCounts(const Value& ids);
  void getFriends(const Value& userId, const Value& count, const Value& cursor);
  void getUserInfo(const Value& userId);
  void getUserInfoByName(const Value& screenName);
  void getUserRelationship(const Value& targetScreenName);
  void getUserRelationshipById(const Value& targetId);
  void attendUser(const Value& userId, bool attend);
  void attendUserWithName(const Value& screenName, bool attend);
  void reloadStatue(const Value& statusId);
  void deletdOdoZu(const Value& statusId);
  void checkMessageUpdate();
  void resetMessageCount(const Value& type);
  // [full GET URL, timeout text] of a list the content-server client sends; nil while no
  // account is bound.
  Value getCommentParameDic(const Value& statusId, const Value& maxId, const Value& count);
  Value getRetweetParameDic(const Value& statusId, const Value& maxId, const Value& count);

  // The common sender: GET parameters in the query, POST ones as form fields.
  void loadRequestWithMethodName(std::string_view methodName, std::string_view httpMethod,
                                 const ValueDictionary& params);
  // Cancels the current request, keeping the receiver.
  void disconnect();
  void requestFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void requestFailed(const std::shared_ptr<HXHTTPRequest>& request);
  static std::string getErrorJsonString();

  WBEngine() = default;

 private:
  void init();
  // Sends a callback to the delegate when it adopts WBEngineDelegate.
  template <class Call>
  void tellDelegate(Call call) {
    if (auto d = std::dynamic_pointer_cast<WBEngineDelegate>(delegate_.lock())) call(*d);
  }
  void completeLogin();
  void startConnect();
  ValueDictionary tokenParameters();
  Value listURL(std::string_view methodName, const ValueDictionary& params);
  // What a finished or failed request answers: the route it was sent with when queued, else
  // the engine's.
  void deliver(const std::weak_ptr<NSObject>& receiver, const Selector& action,
               const std::string& text);
  void finished(const std::shared_ptr<HXHTTPRequest>& request, std::weak_ptr<NSObject> receiver,
                Selector action);
  void failed(const std::shared_ptr<HXHTTPRequest>& request, std::weak_ptr<NSObject> receiver,
              Selector action);

  std::string appKey_;
  std::string appSecret_;
  std::optional<std::string> userID_;
  std::optional<std::string> accessToken_;
  double expireTime_ = 0;
  std::shared_ptr<User> user_;
  std::string redirectURI_;
  std::shared_ptr<WBAuthorize> authorize_;
  std::weak_ptr<NSObject> delegate_;
  std::weak_ptr<NSObject> tempDel_;
  Selector action_;
  std::shared_ptr<HXHTTPRequest> request_;
  int timeOutSec_ = kDefaultTimeOutSec;
  bool needPromptSelf_ = false;
  std::shared_ptr<HXNetworkQueue> taskQueue_;
  bool needAddToQueue_ = false;
  std::string ssoCallbackScheme_;
  bool ssoLoggingIn_ = false;
  bool isBindBySso_ = false;
  std::optional<std::string> refreshToken_;
};
