#include "CFNetwork/NSURLCredentialStorage.h"

#include <algorithm>

#include "Foundation/NSString.h"

std::shared_ptr<NSURLCredential> NSURLCredential::credentialWithUser(
    std::string user, std::string password, NSURLCredentialPersistence persistence) {
  return std::make_shared<NSURLCredential>(std::move(user), std::move(password), persistence);
}

std::string NSURLCredential::description() const {
  // Never the password.
  return "<NSURLCredential: user: " + user_ + ">";
}

NSURLProtectionSpace NSURLProtectionSpace::forServer(std::string host, int port,
                                                     std::string protocol, std::string realm,
                                                     std::string authenticationMethod) {
  NSURLProtectionSpace s;
  s.host_ = std::move(host);
  s.port_ = port;
  s.protocol_ = std::move(protocol);
  s.realm_ = std::move(realm);
  s.authenticationMethod_ = std::move(authenticationMethod);
  return s;
}

NSURLProtectionSpace NSURLProtectionSpace::forProxy(std::string host, int port,
                                                    std::string proxyType, std::string realm,
                                                    std::string authenticationMethod) {
  NSURLProtectionSpace s;
  s.host_ = std::move(host);
  s.port_ = port;
  s.proxyType_ = std::move(proxyType);
  s.realm_ = std::move(realm);
  s.authenticationMethod_ = std::move(authenticationMethod);
  s.isProxy_ = true;
  return s;
}

bool NSURLProtectionSpace::operator==(const NSURLProtectionSpace& o) const {
  return isProxy_ == o.isProxy_ && equalsIgnoringASCIICase(host_, o.host_) && port_ == o.port_ &&
         protocol_ == o.protocol_ && proxyType_ == o.proxyType_ && realm_ == o.realm_ &&
         authenticationMethod_ == o.authenticationMethod_;
}

NSURLCredentialStorage& NSURLCredentialStorage::sharedCredentialStorage() {
  static NSURLCredentialStorage* storage = new NSURLCredentialStorage;
  return *storage;
}

NSURLCredentialStorage::Space* NSURLCredentialStorage::find(const NSURLProtectionSpace& space) {
  for (auto& s : spaces_)
    if (s.space == space) return &s;
  return nullptr;
}

const NSURLCredentialStorage::Space* NSURLCredentialStorage::find(
    const NSURLProtectionSpace& space) const {
  for (auto& s : spaces_)
    if (s.space == space) return &s;
  return nullptr;
}

void NSURLCredentialStorage::setCredential(const std::shared_ptr<NSURLCredential>& credential,
                                           const NSURLProtectionSpace& space) {
  if (!credential) return;
  std::lock_guard<std::mutex> lock(mutex_);
  Space* s = find(space);
  if (!s) {
    spaces_.push_back({space, {}, {}, false});
    s = &spaces_.back();
  }
  std::erase_if(s->credentials, [&](const auto& c) { return c->user() == credential->user(); });
  s->credentials.push_back(credential);
}

void NSURLCredentialStorage::setDefaultCredential(
    const std::shared_ptr<NSURLCredential>& credential, const NSURLProtectionSpace& space) {
  if (!credential) return;
  setCredential(credential, space);
  std::lock_guard<std::mutex> lock(mutex_);
  if (Space* s = find(space)) {
    s->defaultUser = credential->user();
    s->hasDefault = true;
  }
}

std::shared_ptr<NSURLCredential> NSURLCredentialStorage::defaultCredentialForProtectionSpace(
    const NSURLProtectionSpace& space) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Space* s = find(space);
  if (!s || !s->hasDefault) return nullptr;
  for (auto& c : s->credentials)
    if (c->user() == s->defaultUser) return c;
  return nullptr;
}

std::vector<std::shared_ptr<NSURLCredential>> NSURLCredentialStorage::credentialsForProtectionSpace(
    const NSURLProtectionSpace& space) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const Space* s = find(space);
  return s ? s->credentials : std::vector<std::shared_ptr<NSURLCredential>>{};
}

void NSURLCredentialStorage::removeCredential(const std::shared_ptr<NSURLCredential>& credential,
                                              const NSURLProtectionSpace& space) {
  if (!credential) return;
  std::lock_guard<std::mutex> lock(mutex_);
  Space* s = find(space);
  if (!s) return;
  std::erase_if(s->credentials, [&](const auto& c) { return c->user() == credential->user(); });
  if (s->hasDefault && s->defaultUser == credential->user()) s->hasDefault = false;
}
