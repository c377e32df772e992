// Answering the challenges of servers (401) and proxies (407): credentials sent before any
// challenge, where credentials are looked for, how they are applied and remembered, and who is
// asked when none are known (the delegate or queue, a closure, the credentials dialog).
#include "CFNetwork/CFHTTPAuthentication.h"
#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPReadStream.h"
#include "CFNetwork/NSURLCredentialStorage.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "net/http/HXAuthenticationDialog.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestDelegate.h"
#include "net/http/HXHTTPRequestInternal.h"

using namespace hxrequest;

namespace {

std::string stringOf(const ValueDictionary& d, std::string_view key) {
  Value v = d ? d->objectForKey(key) : Value();
  return v.isString() ? std::string(v.string()) : std::string();
}

// The credential dictionary the platform takes; the domain only when the scheme needs one.
// nil without a user name or a password.
ValueDictionary credentialDictionary(std::string user, std::string password,
                                     const std::optional<std::string>& domain) {
  if (user.empty() || password.empty()) return nullptr;
  auto d = makeDictionary({{std::string(kCFHTTPAuthenticationUsername), Value(std::move(user))},
                           {std::string(kCFHTTPAuthenticationPassword), Value(password)}});
  if (domain) d->setObject(Value(*domain), kCFHTTPAuthenticationAccountDomain);
  return d;
}

// "DOMAIN\user" names a user of an account domain.
bool splitDomainUser(const std::string& user, std::string* domain, std::string* name) {
  auto parts = componentsSeparatedByString(user, "\\");
  if (parts.size() != 2) return false;
  *domain = parts[0];
  *name = parts[1];
  return true;
}

NSErrorPtr applyCredentialsError(bool proxy) {
  return NSError::withDescription(kHXHTTPRequestErrorDomain,
                                  HXInternalErrorWhileApplyingCredentialsType,
                                  proxy ? "Failed to apply proxy credentials to request"
                                        : "Failed to apply credentials to request");
}

}  // namespace

// ---- before the challenge ---------------------------------------------------------------------

void HXHTTPRequest::addBasicAuthenticationHeaderWithUsername(const std::string& user,
                                                             const std::string& pass) {
  addRequestHeader("Authorization", "Basic " + base64forData(user + ":" + pass));
  authenticationScheme_ = std::string(kCFHTTPAuthenticationSchemeBasic);
}

bool HXHTTPRequest::applySessionEntry(const ValueDictionary& entry, bool proxy) {
  ValueDictionary credentials = entry->objectForKey("Credentials").dictionary();
  auto authentication = entry->objectForKey("Authentication").object<CFHTTPAuthentication>();
  if (!authentication) {
    // Basic credentials that the server took when they were sent before its challenge.
    if (proxy) return false;
    addBasicAuthenticationHeaderWithUsername(stringOf(credentials, kCFHTTPAuthenticationUsername),
                                             stringOf(credentials, kCFHTTPAuthenticationPassword));
    return true;
  }
  if (CFHTTPMessageApplyCredentialDictionary(*request_, authentication, credentials)) {
    (proxy ? proxyAuthenticationScheme_ : authenticationScheme_) =
        stringOf(entry, "AuthenticationScheme");
    return true;
  }
  if (proxy)
    removeProxyAuthenticationCredentialsFromSessionStore(credentials);
  else
    removeAuthenticationCredentialsFromSessionStore(credentials);
  return false;
}

void HXHTTPRequest::applyAuthorizationHeader() {
  if (!shouldPresentCredentialsBeforeChallenge_) return;
  if (!requestHeaders_ || requestHeaders_->objectForKey("Authorization").isNil()) {
    if (!username_.empty() && !password_.empty() &&
        authenticationScheme_ == kCFHTTPAuthenticationSchemeBasic) {
      addBasicAuthenticationHeaderWithUsername(username_, password_);
    } else if (useSessionPersistence_) {
      if (auto entry = findSessionAuthenticationCredentials()) applySessionEntry(entry, false);
    }
  }
  if (useSessionPersistence_) {
    if (auto entry = findSessionProxyAuthenticationCredentials()) applySessionEntry(entry, true);
  }
}

// ---- where credentials come from --------------------------------------------------------------

ValueDictionary HXHTTPRequest::findCredentials() {
  std::string user, pass;
  auto take = [&](const std::string& u, const std::string& p) {
    if (!user.empty() || u.empty() || p.empty()) return;
    user = u;
    pass = p;
  };
  if (url_) take(url_->user().value_or(""), url_->password().value_or(""));
  if (auto main = mainRequest()) take(main->username(), main->password());
  take(username_, password_);
  if (user.empty() && useKeychainPersistence_ && url_) {
    if (auto saved = savedCredentialsForHost(url_->host().value_or(""), url_->port().value_or(0),
                                             url_->scheme().value_or(""), authenticationRealm_))
      take(saved->user(), saved->password());
  }
  std::optional<std::string> accountDomain;
  if (requestAuthentication_ && requestAuthentication_->requiresAccountDomain()) {
    accountDomain = domain_;
    std::string d, name;
    if (domain_.empty() && splitDomainUser(user, &d, &name)) {
      accountDomain = d;
      user = name;
    }
  }
  return credentialDictionary(user, pass, accountDomain);
}

ValueDictionary HXHTTPRequest::findProxyCredentials() {
  std::string user, pass;
  auto take = [&](const std::string& u, const std::string& p) {
    if (!user.empty() || u.empty() || p.empty()) return;
    user = u;
    pass = p;
  };
  if (auto main = mainRequest()) take(main->proxyUsername(), main->proxyPassword());
  take(proxyUsername_, proxyPassword_);
  if (proxyAuthenticationScheme_ == kCFHTTPAuthenticationSchemeNTLM) take(username_, password_);
  if (user.empty() && url_) {
    if (auto saved = savedCredentialsForProxy(proxyHost_, proxyPort_, url_->scheme().value_or(""),
                                              proxyAuthenticationRealm_))
      take(saved->user(), saved->password());
  }
  std::optional<std::string> accountDomain;
  if (proxyAuthentication_ && proxyAuthentication_->requiresAccountDomain()) {
    std::string d, name;
    if (!proxyDomain_.empty()) {
      accountDomain = proxyDomain_;
    } else if (splitDomainUser(user, &d, &name)) {
      accountDomain = d;
      user = name;
    } else {
      accountDomain = domain_;
    }
  }
  return credentialDictionary(user, pass, accountDomain);
}

// ---- applying ---------------------------------------------------------------------------------

bool HXHTTPRequest::applyCredentials(const ValueDictionary& credentials) {
  authenticationRetryCount_++;
  if (!credentials || !requestAuthentication_ || !request_) return false;
  if (!CFHTTPMessageApplyCredentialDictionary(*request_, requestAuthentication_, credentials)) {
    removeAuthenticationCredentialsFromSessionStore(credentials);
    return false;
  }
  if (useKeychainPersistence_) saveCredentialsToKeychain(credentials);
  if (useSessionPersistence_) {
    auto entry = makeDictionary({{"Authentication", Value(requestAuthentication_)},
                                 {"Credentials", Value(credentials)},
                                 {"URL", Value(url_)},
                                 {"AuthenticationScheme", Value(authenticationScheme_)}});
    if (!authenticationRealm_.empty())
      entry->setObject(Value(authenticationRealm_), "AuthenticationRealm");
    storeAuthenticationCredentialsInSessionStore(entry);
  }
  requestCredentials_ = credentials;
  return true;
}

bool HXHTTPRequest::applyProxyCredentials(const ValueDictionary& credentials) {
  proxyAuthenticationRetryCount_++;
  if (!credentials || !proxyAuthentication_ || !request_) return false;
  if (!CFHTTPMessageApplyCredentialDictionary(*request_, proxyAuthentication_, credentials)) {
    removeProxyAuthenticationCredentialsFromSessionStore(credentials);
    return false;
  }
  // Proxy credentials that worked are kept for the proxy whatever the request's switch says,
  // as they are looked up whatever it says.
  saveProxyCredentialsToKeychain(credentials);
  if (useSessionPersistence_) {
    storeProxyAuthenticationCredentialsInSessionStore(
        makeDictionary({{"Authentication", Value(proxyAuthentication_)},
                        {"Credentials", Value(credentials)},
                        {"Host", Value(proxyHost_)},
                        {"Port", Value(proxyPort_)},
                        {"AuthenticationScheme", Value(proxyAuthenticationScheme_)}}));
  }
  proxyCredentials_ = credentials;
  return true;
}

void HXHTTPRequest::saveCredentialsToKeychain(const ValueDictionary& credentials) {
  if (!url_) return;
  auto credential = NSURLCredential::credentialWithUser(
      stringOf(credentials, kCFHTTPAuthenticationUsername),
      stringOf(credentials, kCFHTTPAuthenticationPassword), NSURLCredentialPersistence::Permanent);
  saveCredentialsForHost(credential, url_->host().value_or(""), url_->port().value_or(0),
                         url_->scheme().value_or(""), authenticationRealm_);
}

void HXHTTPRequest::saveProxyCredentialsToKeychain(const ValueDictionary& credentials) {
  auto credential = NSURLCredential::credentialWithUser(
      stringOf(credentials, kCFHTTPAuthenticationUsername),
      stringOf(credentials, kCFHTTPAuthenticationPassword), NSURLCredentialPersistence::Permanent);
  saveCredentialsForProxy(credential, proxyHost_, proxyPort_, proxyAuthenticationRealm_);
}

// ---- after a challenge ------------------------------------------------------------------------

void HXHTTPRequest::attemptToApplyCredentialsAndResume() {
  if (error_ || isCancelled()) return;
  answerChallenge(authenticationNeeded_ == 2);
}

void HXHTTPRequest::attemptToApplyProxyCredentialsAndResume() {
  if (error_ || isCancelled()) return;
  answerChallenge(true);
}

// The two forms differ only in the fields they use; `proxy` picks them.
void HXHTTPRequest::answerChallenge(bool proxy) {
  auto self = selfPtr();
  auto& authentication = proxy ? proxyAuthentication_ : requestAuthentication_;
  auto& applied = proxy ? proxyCredentials_ : requestCredentials_;
  auto& scheme = proxy ? proxyAuthenticationScheme_ : authenticationScheme_;
  auto& realm = proxy ? proxyAuthenticationRealm_ : authenticationRealm_;
  const int& retries = proxy ? proxyAuthenticationRetryCount_ : authenticationRetryCount_;
  auto apply = [&](const ValueDictionary& c) {
    return proxy ? applyProxyCredentials(c) : applyCredentials(c);
  };
  auto sessionEntry = [&] {
    return proxy ? findSessionProxyAuthenticationCredentials()
                 : findSessionAuthenticationCredentials();
  };
  auto challengeOfResponse = [&]() -> std::shared_ptr<CFHTTPAuthentication> {
    auto header = readStream_ ? readStream_->responseHeader() : nullptr;
    return header ? CFHTTPAuthentication::createFromResponse(*header) : nullptr;
  };
  // Asks whoever may supply credentials; false when nobody will.
  auto ask = [&] {
    lastActivityTime_ = 0;  // no timeout while waiting
    if (proxy ? willAskDelegateForProxyCredentials() : willAskDelegateForCredentials()) return true;
    return proxy ? showProxyAuthenticationDialog() : showAuthenticationDialog();
  };

  if (!authentication) {
    authentication = challengeOfResponse();
    if (!authentication) {
      cancelLoad();
      failWithError(NSError::withDescription(
          kHXHTTPRequestErrorDomain, HXInternalErrorWhileApplyingCredentialsType,
          "Failed to get authentication object from response headers"));
      return;
    }
    scheme = authentication->copyMethod();
  }
  realm.clear();
  if (!authentication->requiresAccountDomain()) realm = authentication->copyRealm().value_or("");

  long invalid = 0;
  if (!authentication->isValid(&invalid)) {
    // The peer refused what was sent.
    authentication.reset();
    if (invalid != kCFStreamErrorHTTPAuthenticationBadUserName &&
        invalid != kCFStreamErrorHTTPAuthenticationBadPassword) {
      cancelLoad();
      failWithError(cls().authenticationError);
      return;
    }
    std::unique_lock<std::recursive_mutex> lock(cls().credentialPromptLock);
    if (proxy)
      removeProxyAuthenticationCredentialsFromSessionStore(applied);
    else
      removeAuthenticationCredentialsFromSessionStore(applied);
    applied = nullptr;
    if (error_ || isCancelled()) return;
    // Another request may have stored credentials that work meanwhile.
    if (auto entry = useSessionPersistence_ ? sessionEntry() : nullptr) {
      authentication = challengeOfResponse();
      if (authentication && apply(entry->objectForKey("Credentials").dictionary())) {
        lock.unlock();
        cancelLoad();
        startRequest();
        return;
      }
      authentication.reset();
    }
    if (ask()) return;
    lock.unlock();
    cancelLoad();
    failWithError(cls().authenticationError);
    return;
  }

  cancelLoad();
  const bool ntlm = scheme == kCFHTTPAuthenticationSchemeNTLM;
  if (applied) {
    if ((ntlm && retries > 1) || !apply(applied)) {
      failWithError(ntlm && retries == 2 ? cls().authenticationError
                                         : applyCredentialsError(proxy));
      return;
    }
    startRequest();
    return;
  }

  if (!authentication->requiresUserNameAndPassword()) {
    // A scheme that wants something else than a user and a password cannot be answered.
    failWithError(cls().authenticationError);
    return;
  }
  std::unique_lock<std::recursive_mutex> lock(cls().credentialPromptLock);
  if (error_ || isCancelled()) return;
  if (auto entry = useSessionPersistence_ ? sessionEntry() : nullptr) {
    if (apply(entry->objectForKey("Credentials").dictionary())) {
      lock.unlock();
      startRequest();
      return;
    }
  }
  if (auto found = proxy ? findProxyCredentials() : findCredentials()) {
    lock.unlock();
    if (apply(found))
      startRequest();
    else
      failWithError(applyCredentialsError(proxy));
    return;
  }
  if (ask()) return;
  lock.unlock();
  failWithError(cls().authenticationError);
}

// ---- asking -----------------------------------------------------------------------------------

bool HXHTTPRequest::willAskDelegateForCredentials() {
  return willAsk(false);
}

bool HXHTTPRequest::willAskDelegateForProxyCredentials() {
  return willAsk(true);
}

namespace {
std::string_view credentialsSelector(bool proxy) {
  return proxy ? "proxyAuthenticationNeededForRequest:" : "authenticationNeededForRequest:";
}

// The delegate (the queue when there is none) when it answers the selector.
HXHTTPRequestDelegate* credentialsReceiver(const std::shared_ptr<NSObject>& receiver, bool proxy) {
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(receiver.get());
  return protocol && protocol->respondsToSelector(credentialsSelector(proxy)) ? protocol : nullptr;
}
}  // namespace

bool HXHTTPRequest::willAsk(bool proxy) {
  if (isSynchronous_) return false;
  std::shared_ptr<NSObject> receiver = delegate();
  if (!receiver) receiver = queue();
  bool answers = credentialsReceiver(receiver, proxy) != nullptr;
  if (!answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers =
        blocks_ && bool(proxy ? blocks_->proxyAuthenticationNeeded : blocks_->authenticationNeeded);
  }
  if (!answers) return false;
  performOnMain(proxy ? &HXHTTPRequest::askDelegateForProxyCredentials
                      : &HXHTTPRequest::askDelegateForCredentials);
  return true;
}

void HXHTTPRequest::askDelegateForCredentials() {
  askDelegate(false);
}

void HXHTTPRequest::askDelegateForProxyCredentials() {
  askDelegate(true);
}

void HXHTTPRequest::askDelegate(bool proxy) {
  auto self = selfPtr();
  std::shared_ptr<NSObject> receiver = delegate();
  if (!receiver) receiver = queue();
  if (auto* protocol = credentialsReceiver(receiver, proxy)) {
    callProtocol(*protocol, credentialsSelector(proxy), self, {});
    return;
  }
  if (auto b = block(proxy ? &Blocks::proxyAuthenticationNeeded : &Blocks::authenticationNeeded))
    b();
}

bool HXHTTPRequest::showAuthenticationDialog() {
  return showDialog(false);
}

bool HXHTTPRequest::showProxyAuthenticationDialog() {
  return showDialog(true);
}

bool HXHTTPRequest::showDialog(bool proxy) {
  if (isSynchronous_) return false;
  if (!(proxy ? shouldPresentProxyAuthenticationDialog_ : shouldPresentAuthenticationDialog_))
    return false;
  auto self = selfPtr();
  performOnMainThread(
      [self] { HXAuthenticationDialog::presentAuthenticationDialogForRequest(self); });
  return true;
}

// ---- the answer, from any thread --------------------------------------------------------------

void HXHTTPRequest::retryUsingSuppliedCredentials() {
  performOnRequestThread([](HXHTTPRequest& r) {
    if (r.request_)
      r.attemptToApplyCredentialsAndResume();
    else
      r.main();
  });
}

void HXHTTPRequest::cancelAuthentication() {
  performOnRequestThread([](HXHTTPRequest& r) { r.failAuthentication(); });
}

void HXHTTPRequest::failAuthentication() {
  if (error_ || isCancelled()) return;
  cancelLoad();
  failWithError(cls().authenticationError);
}
