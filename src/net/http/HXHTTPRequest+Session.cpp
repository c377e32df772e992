// What outlives single requests: the persistent connection pool, the session cookies and
// credentials, the saved credentials, the default cache, reachability and bandwidth; and the
// request's authentication steps, which use them.
#include <algorithm>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFReadStream.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "CFNetwork/NSURLCredentialStorage.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "net/http/HXCacheDelegate.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestInternal.h"
#include "net/http/Reachability.h"

using namespace hxrequest;

// ---- persistent connections -------------------------------------------------------------------

void HXHTTPRequest::expirePersistentConnections() {
  std::vector<std::shared_ptr<CFReadStream>> closing;
  {
    std::lock_guard<std::mutex> lock(cls().connectionsLock);
    double current = poolNow();
    std::erase_if(cls().pool, [&](const std::shared_ptr<HXConnectionInfo>& entry) {
      if (entry->request || !entry->expires || *entry->expires > current) return false;
      if (entry->stream) closing.push_back(entry->stream);
      return true;
    });
  }
  for (auto& stream : closing) stream->close();
}

std::vector<std::shared_ptr<HXConnectionInfo>> HXHTTPRequest::persistentConnectionsPool() {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  return cls().pool;
}

std::optional<int64_t> HXHTTPRequest::connectionID() const {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  if (!connectionInfo_) return std::nullopt;
  return connectionInfo_->id;
}

std::shared_ptr<HXConnectionInfo> HXHTTPRequest::connectionInfo() const {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  return connectionInfo_;
}

void HXHTTPRequest::setConnectionInfo(std::shared_ptr<HXConnectionInfo> info) {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  connectionInfo_ = std::move(info);
}

std::optional<int64_t> HXHTTPRequest::requestID() const {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  return requestID_;
}

void HXHTTPRequest::setRequestID(std::optional<int64_t> v) {
  std::lock_guard<std::mutex> lock(cls().connectionsLock);
  requestID_ = v;
}

// ---- session cookies and the default cache ----------------------------------------------------

HXHTTPRequest::Cookies HXHTTPRequest::sessionCookies() {
  std::lock_guard<std::mutex> lock(cls().sessionCookiesLock);
  if (!cls().sessionCookies) cls().sessionCookies = Cookies();
  return *cls().sessionCookies;
}

void HXHTTPRequest::setSessionCookies(std::optional<Cookies> cookies) {
  std::lock_guard<std::mutex> lock(cls().sessionCookiesLock);
  if (cls().sessionCookies)
    for (auto& c : *cls().sessionCookies)
      NSHTTPCookieStorage::sharedHTTPCookieStorage().deleteCookie(c);
  cls().sessionCookies = std::move(cookies);
}

void HXHTTPRequest::addSessionCookie(const std::shared_ptr<NSHTTPCookie>& cookie) {
  std::lock_guard<std::mutex> lock(cls().sessionCookiesLock);
  if (!cls().sessionCookies) cls().sessionCookies = Cookies();
  auto& list = *cls().sessionCookies;
  auto same = std::find_if(list.begin(), list.end(), [&](const auto& c) {
    return c->domain() == cookie->domain() && c->path() == cookie->path() &&
           c->name() == cookie->name();
  });
  if (same != list.end()) list.erase(same);
  list.push_back(cookie);
}

std::shared_ptr<HXCacheDelegate> HXHTTPRequest::defaultCache() {
  std::lock_guard<std::mutex> lock(cls().classLock);
  return cls().defaultCache;
}

void HXHTTPRequest::setDefaultCache(std::shared_ptr<HXCacheDelegate> cache) {
  std::lock_guard<std::mutex> lock(cls().classLock);
  cls().defaultCache = std::move(cache);
}

// ---- session credential stores, saved credentials and the session -----------------------------

namespace {
// Under sessionCredentialsLock.
ValueArray& credentialsStore(bool proxy) {
  auto& store = proxy ? cls().sessionProxyCredentialsStore : cls().sessionCredentialsStore;
  if (!store) store = makeArray();
  return store;
}

// Removes the first entry whose "Credentials" is this very dictionary.
void removeCredentials(ValueArray& store, const ValueDictionary& credentials) {
  if (!credentials) return;
  for (size_t i = 0; i < store->count(); ++i) {
    ValueDictionary entry = store->objectAtIndex(i).dictionary();
    if (entry && entry->objectForKey("Credentials").dictionary() == credentials) {
      store->removeObjectAtIndex(i);
      return;
    }
  }
}

void storeCredentials(bool proxy, const ValueDictionary& entry) {
  if (!entry) return;
  std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
  auto& store = credentialsStore(proxy);
  removeCredentials(store, entry->objectForKey("Credentials").dictionary());
  store->addObject(Value(entry));
}

std::string stringOf(const ValueDictionary& d, std::string_view key) {
  Value v = d ? d->objectForKey(key) : Value();
  return v.isString() ? std::string(v.string()) : std::string();
}

NSURLProtectionSpace serverSpace(const std::string& host, int port, const std::string& protocol,
                                 const std::string& realm) {
  return NSURLProtectionSpace::forServer(host, port, protocol, realm,
                                         std::string(NSURLAuthenticationMethodDefault));
}

NSURLProtectionSpace proxySpace(const std::string& host, int port, const std::string& realm) {
  return NSURLProtectionSpace::forProxy(host, port, std::string(NSURLProtectionSpaceHTTPProxy),
                                        realm, std::string(NSURLAuthenticationMethodDefault));
}

void removeDefaultCredential(const NSURLProtectionSpace& space) {
  auto& storage = NSURLCredentialStorage::sharedCredentialStorage();
  if (auto credential = storage.defaultCredentialForProtectionSpace(space))
    storage.removeCredential(credential, space);
}
}  // namespace

ValueArray HXHTTPRequest::sessionCredentialsStore() {
  std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
  return credentialsStore(false);
}

ValueArray HXHTTPRequest::sessionProxyCredentialsStore() {
  std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
  return credentialsStore(true);
}

void HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(const ValueDictionary& entry) {
  storeCredentials(false, entry);
}

void HXHTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(
    const ValueDictionary& entry) {
  storeCredentials(true, entry);
}

void HXHTTPRequest::removeAuthenticationCredentialsFromSessionStore(
    const ValueDictionary& credentials) {
  std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
  removeCredentials(credentialsStore(false), credentials);
}

void HXHTTPRequest::removeProxyAuthenticationCredentialsFromSessionStore(
    const ValueDictionary& credentials) {
  std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
  removeCredentials(credentialsStore(true), credentials);
}

ValueDictionary HXHTTPRequest::findSessionAuthenticationCredentials() const {
  auto requestURL = url();
  if (!requestURL) return nullptr;
  const std::string& realm = authenticationRealm_;
  const std::string& user = username_;
  const std::string& pass = password_;
  auto passes = [&](const ValueDictionary& entry) {
    std::string entryRealm = stringOf(entry, "AuthenticationRealm");
    if (!realm.empty() && !entryRealm.empty() && realm != entryRealm) return false;
    if (!user.empty() && !pass.empty()) {
      ValueDictionary credentials = entry->objectForKey("Credentials").dictionary();
      if (stringOf(credentials, kCFHTTPAuthenticationUsername) != user ||
          stringOf(credentials, kCFHTTPAuthenticationPassword) != pass)
        return false;
    }
    return true;
  };
  std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
  ValueDictionary candidate;
  for (const Value& v : *credentialsStore(false)) {
    ValueDictionary entry = v.dictionary();
    if (!entry) continue;
    auto entryURL = entry->objectForKey("URL").object<NSURL>();
    if (!entryURL) continue;
    if (sameURL(entryURL, requestURL)) {
      if (passes(entry)) return entry;
    } else if (!candidate && entryURL->host() == requestURL->host() &&
               entryURL->port() == requestURL->port() &&
               entryURL->scheme() == requestURL->scheme() && passes(entry)) {
      candidate = entry;
    }
  }
  return candidate;
}

ValueDictionary HXHTTPRequest::findSessionProxyAuthenticationCredentials() const {
  std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
  for (const Value& v : *credentialsStore(true)) {
    ValueDictionary entry = v.dictionary();
    if (!entry) continue;
    Value entryPort = entry->objectForKey("Port");
    if (stringOf(entry, "Host") == proxyHost_ && entryPort.isNumber() &&
        entryPort.intValue() == proxyPort_)
      return entry;
  }
  return nullptr;
}

void HXHTTPRequest::saveCredentialsForHost(const std::shared_ptr<NSURLCredential>& credentials,
                                           const std::string& host, int port,
                                           const std::string& protocol, const std::string& realm) {
  NSURLCredentialStorage::sharedCredentialStorage().setDefaultCredential(
      credentials, serverSpace(host, port, protocol, realm));
}

void HXHTTPRequest::saveCredentialsForProxy(const std::shared_ptr<NSURLCredential>& credentials,
                                            const std::string& host, int port,
                                            const std::string& realm) {
  NSURLCredentialStorage::sharedCredentialStorage().setDefaultCredential(
      credentials, proxySpace(host, port, realm));
}

std::shared_ptr<NSURLCredential> HXHTTPRequest::savedCredentialsForHost(const std::string& host,
                                                                        int port,
                                                                        const std::string& protocol,
                                                                        const std::string& realm) {
  return NSURLCredentialStorage::sharedCredentialStorage().defaultCredentialForProtectionSpace(
      serverSpace(host, port, protocol, realm));
}

std::shared_ptr<NSURLCredential> HXHTTPRequest::savedCredentialsForProxy(const std::string& host,
                                                                         int port,
                                                                         const std::string&,
                                                                         const std::string& realm) {
  return NSURLCredentialStorage::sharedCredentialStorage().defaultCredentialForProtectionSpace(
      proxySpace(host, port, realm));
}

void HXHTTPRequest::removeCredentialsForHost(const std::string& host, int port,
                                             const std::string& protocol,
                                             const std::string& realm) {
  removeDefaultCredential(serverSpace(host, port, protocol, realm));
}

void HXHTTPRequest::removeCredentialsForProxy(const std::string& host, int port,
                                              const std::string& realm) {
  removeDefaultCredential(proxySpace(host, port, realm));
}

void HXHTTPRequest::clearSession() {
  {
    std::lock_guard<std::mutex> lock(cls().sessionCredentialsLock);
    credentialsStore(false)->removeAllObjects();
  }
  setSessionCookies(std::nullopt);
  if (auto cache = defaultCache()) cache->clearCachedResponsesForStoragePolicy(0);
}

// ---- network reachability and bandwidth -------------------------------------------------------

void HXHTTPRequest::registerForNetworkReachabilityNotifications() {
  auto reachability = Reachability::reachabilityForInternetConnection();
  if (reachability) reachability->startNotifer();
  {
    // Kept, so that it goes on notifying; a second registration replaces it.
    std::lock_guard<std::mutex> lock(cls().reachabilityLock);
    cls().reachability = reachability;
  }
  auto center = NSNotificationCenter::defaultCenter();
  std::weak_ptr<void> observer = cls().reachabilityObserver;
  center->removeObserver(observer, kReachabilityChangedNotification);
  center->addObserver(
      observer, [](const NSNotificationPtr& n) { reachabilityChanged(n); },
      kReachabilityChangedNotification);
}

void HXHTTPRequest::unsubscribeFromNetworkReachabilityNotifications() {
  NSNotificationCenter::defaultCenter()->removeObserver(
      std::weak_ptr<void>(cls().reachabilityObserver), kReachabilityChangedNotification);
  // Released outside the lock.
  std::shared_ptr<Reachability> dropped;
  {
    std::lock_guard<std::mutex> lock(cls().reachabilityLock);
    dropped = std::move(cls().reachability);
  }
}

bool HXHTTPRequest::isNetworkReachableViaWWAN() {
  auto reachability = Reachability::reachabilityForInternetConnection();
  return reachability && reachability->currentReachabilityStatus() == ReachableViaWWAN;
}

void HXHTTPRequest::reachabilityChanged(const std::shared_ptr<NSNotification>&) {
  bool viaWWAN = isNetworkReachableViaWWAN();
  std::lock_guard<std::mutex> lock(cls().bandwidthThrottlingLock);
  cls().isThrottlingWWAN = viaWWAN;
}
