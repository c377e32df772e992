// HTTP authentication: the challenge of a 401 (server) or 407 (proxy) response, and credentials
// applied to a request message with it.
//
// Basic and Digest (algorithms MD5, MD5-sess, SHA-256 and SHA-256-sess; quality of protection
// "auth", or none) are answered here.  NTLM challenges are recognised (they need an account
// domain) but cannot be answered on this machine: applying credentials to one fails, as the
// platform refuses a scheme it cannot use.  Any other scheme (Negotiate, Bearer, ...) gives an
// object that is not valid, with kCFStreamErrorHTTPAuthenticationTypeUnsupported.  When a
// response offers several challenges, the one answered is Digest, else Basic, else NTLM, else
// the first.
//
// A challenge object stays valid until the peer refuses what was sent with it: when a read
// stream receives another 401 (or 407) for a message whose credentials came from the object,
// the object becomes invalid with kCFStreamErrorHTTPAuthenticationBadPassword, unless that
// response only says the Digest nonce went stale, which renews the nonce and keeps it valid
// (once between two responses that took the credentials).
// One object may answer for many messages (a session keeps it for later requests); Digest
// counts its uses.  Objects may be used from any thread.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class CFHTTPMessage;

// Keys of the credential dictionaries applied to a challenge.
inline constexpr std::string_view kCFHTTPAuthenticationUsername = "kCFHTTPAuthenticationUsername";
inline constexpr std::string_view kCFHTTPAuthenticationPassword = "kCFHTTPAuthenticationPassword";
inline constexpr std::string_view kCFHTTPAuthenticationAccountDomain =
    "kCFHTTPAuthenticationAccountDomain";

// Scheme names, as copyMethod gives them.
inline constexpr std::string_view kCFHTTPAuthenticationSchemeBasic = "Basic";
inline constexpr std::string_view kCFHTTPAuthenticationSchemeDigest = "Digest";
inline constexpr std::string_view kCFHTTPAuthenticationSchemeNTLM = "NTLM";

// Why a challenge object is not valid, or why credentials could not be applied.
inline constexpr long kCFStreamErrorHTTPAuthenticationTypeUnsupported = -1000;
inline constexpr long kCFStreamErrorHTTPAuthenticationBadUserName = -1001;
inline constexpr long kCFStreamErrorHTTPAuthenticationBadPassword = -1002;

class CFHTTPAuthentication : public NSObject {
 public:
  // CFHTTPAuthenticationCreateFromResponse: nullptr when the response is neither a 401 nor a
  // 407, or carries no challenge ("WWW-Authenticate", "Proxy-Authenticate").
  static std::shared_ptr<CFHTTPAuthentication> createFromResponse(const CFHTTPMessage& response);

  // The error says why it is not (nullptr for none wanted).
  bool isValid(long* error = nullptr) const;
  // The scheme as the challenge named it ("Basic", "Digest", "NTLM", ...).
  std::string copyMethod() const;
  // The realm; nullopt when the challenge names none.
  std::optional<std::string> copyRealm() const;
  bool requiresAccountDomain() const;
  bool requiresUserNameAndPassword() const;
  // Whether a proxy (407) issued the challenge.
  bool isProxy() const { return proxy_; }

  // What the peer answered to a message that carried credentials of this object.  Called by
  // the read stream.
  void responseReceived(const CFHTTPMessage& response);

  std::string description() const override;

  struct Challenge {
    std::string scheme;
    // Parameter names lower-cased, values unquoted; a token68 form is kept under "".
    std::vector<std::pair<std::string, std::string>> params;
    std::optional<std::string> param(std::string_view name) const;
  };
  // The challenges of one header value ("Basic realm=\"a\", Digest realm=\"b\", nonce=...").
  static std::vector<Challenge> parseChallenges(std::string_view value);

  // Private: use createFromResponse.
  CFHTTPAuthentication(Challenge challenge, bool proxy);

 private:
  friend bool CFHTTPMessageApplyCredentialDictionary(
      CFHTTPMessage& request, const std::shared_ptr<CFHTTPAuthentication>& authentication,
      const ValueDictionary& credentials, long* error);
  // The header value for one message; nullopt with the error when it cannot be made.
  std::optional<std::string> authorization(const CFHTTPMessage& request, const std::string& user,
                                           const std::string& password, long* error);

  mutable std::mutex mutex_;
  Challenge challenge_;
  bool proxy_ = false;
  long invalidReason_ = 0;  // 0: valid
  unsigned nonceCount_ = 0;
  // Stale nonces renewed since the peer last took what was sent.
  int staleRenewals_ = 0;
};

// Sets "Authorization" ("Proxy-Authorization" for a proxy's challenge) on the request from
// the credentials (kCFHTTPAuthenticationUsername, kCFHTTPAuthenticationPassword and, where the
// scheme needs one, kCFHTTPAuthenticationAccountDomain).  False, leaving the message as it
// was, when the object is not valid, a credential is missing or the scheme cannot be answered
// here; the error says why.
bool CFHTTPMessageApplyCredentialDictionary(
    CFHTTPMessage& request, const std::shared_ptr<CFHTTPAuthentication>& authentication,
    const ValueDictionary& credentials, long* error = nullptr);
