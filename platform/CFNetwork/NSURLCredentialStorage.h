// Credentials, protection spaces and the shared credential storage that keeps a default
// credential per protection space (a server: host, port, protocol, realm and authentication
// method; or a proxy: host, port, proxy type, realm and method).  The storage lives in memory
// for the process.  (Foundation classes; they live beside the HTTP streams because only the
// HTTP engine uses them.)
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"

inline constexpr std::string_view NSURLAuthenticationMethodDefault =
    "NSURLAuthenticationMethodDefault";
inline constexpr std::string_view NSURLAuthenticationMethodHTTPBasic =
    "NSURLAuthenticationMethodHTTPBasic";
inline constexpr std::string_view NSURLAuthenticationMethodHTTPDigest =
    "NSURLAuthenticationMethodHTTPDigest";
inline constexpr std::string_view NSURLAuthenticationMethodNTLM = "NSURLAuthenticationMethodNTLM";
inline constexpr std::string_view NSURLProtectionSpaceHTTPProxy = "http";
inline constexpr std::string_view NSURLProtectionSpaceHTTPSProxy = "https";
inline constexpr std::string_view NSURLProtectionSpaceSOCKSProxy = "SOCKS";

enum class NSURLCredentialPersistence { None = 0, ForSession = 1, Permanent = 2 };

class NSURLCredential : public NSObject {
 public:
  NSURLCredential(std::string user, std::string password, NSURLCredentialPersistence persistence)
      : user_(std::move(user)), password_(std::move(password)), persistence_(persistence) {}
  static std::shared_ptr<NSURLCredential> credentialWithUser(
      std::string user, std::string password, NSURLCredentialPersistence persistence);

  const std::string& user() const { return user_; }
  const std::string& password() const { return password_; }
  bool hasPassword() const { return !password_.empty(); }
  NSURLCredentialPersistence persistence() const { return persistence_; }
  std::string description() const override;

 private:
  std::string user_;
  std::string password_;
  NSURLCredentialPersistence persistence_;
};

class NSURLProtectionSpace {
 public:
  // initWithHost:port:protocol:realm:authenticationMethod:
  static NSURLProtectionSpace forServer(std::string host, int port, std::string protocol,
                                        std::string realm, std::string authenticationMethod);
  // initWithProxyHost:port:type:realm:authenticationMethod:
  static NSURLProtectionSpace forProxy(std::string host, int port, std::string proxyType,
                                       std::string realm, std::string authenticationMethod);

  const std::string& host() const { return host_; }
  int port() const { return port_; }
  // The server's protocol; empty for a proxy.
  const std::string& protocol() const { return protocol_; }
  // The proxy's type; empty for a server.
  const std::string& proxyType() const { return proxyType_; }
  const std::string& realm() const { return realm_; }
  const std::string& authenticationMethod() const { return authenticationMethod_; }
  bool isProxy() const { return isProxy_; }

  // Hosts compare without regard to case; everything else exactly.
  bool operator==(const NSURLProtectionSpace& other) const;

 private:
  NSURLProtectionSpace() = default;
  std::string host_;
  int port_ = 0;
  std::string protocol_;
  std::string proxyType_;
  std::string realm_;
  std::string authenticationMethod_;
  bool isProxy_ = false;
};

class NSURLCredentialStorage {
 public:
  static NSURLCredentialStorage& sharedCredentialStorage();

  // Stores the credential for the space (replacing one of the same user) and makes it the
  // space's default.
  void setDefaultCredential(const std::shared_ptr<NSURLCredential>& credential,
                            const NSURLProtectionSpace& space);
  void setCredential(const std::shared_ptr<NSURLCredential>& credential,
                     const NSURLProtectionSpace& space);
  std::shared_ptr<NSURLCredential> defaultCredentialForProtectionSpace(
      const NSURLProtectionSpace& space) const;
  std::vector<std::shared_ptr<NSURLCredential>> credentialsForProtectionSpace(
      const NSURLProtectionSpace& space) const;
  // Removes the space's credential of the credential's user (the default with it).
  void removeCredential(const std::shared_ptr<NSURLCredential>& credential,
                        const NSURLProtectionSpace& space);

 private:
  NSURLCredentialStorage() = default;
  struct Space {
    NSURLProtectionSpace space;
    std::vector<std::shared_ptr<NSURLCredential>> credentials;
    std::string defaultUser;
    bool hasDefault = false;
  };
  Space* find(const NSURLProtectionSpace& space);
  const Space* find(const NSURLProtectionSpace& space) const;

  mutable std::mutex mutex_;
  std::vector<Space> spaces_;
};
