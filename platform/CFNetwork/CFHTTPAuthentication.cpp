#include "CFNetwork/CFHTTPAuthentication.h"

#include <openssl/rand.h>

#include <cstdio>

#include "CFNetwork/CFHTTPMessage.h"
#include "CommonCrypto/CCBase64.h"
#include "CommonCrypto/CommonDigest.h"
#include "Foundation/NSString.h"

namespace {

bool isTokenChar(char c) {
  if (c <= ' ' || c >= 127) return false;
  return std::string_view("()<>@,;:\\\"/[]?={}").find(c) == std::string_view::npos;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

// Reads challenges by RFC 7235: a scheme, then either a token68 or comma-separated parameters
// (name=token or name="quoted"); a token followed by a blank and no "=" starts the next
// challenge.
class ChallengeReader {
 public:
  explicit ChallengeReader(std::string_view text) : s_(text) {}

  std::vector<CFHTTPAuthentication::Challenge> read() {
    std::vector<CFHTTPAuthentication::Challenge> out;
    for (;;) {
      skipSeparators();
      if (atEnd()) break;
      std::string scheme = token();
      if (scheme.empty()) {  // not a challenge: skip to the next comma
        while (!atEnd() && s_[i_] != ',') ++i_;
        continue;
      }
      CFHTTPAuthentication::Challenge c;
      c.scheme = scheme;
      readParameters(c);
      out.push_back(std::move(c));
    }
    return out;
  }

 private:
  bool atEnd() const { return i_ >= s_.size(); }
  void skipBlanks() {
    while (!atEnd() && isBlank(s_[i_])) ++i_;
  }
  void skipSeparators() {
    while (!atEnd() && (isBlank(s_[i_]) || s_[i_] == ',')) ++i_;
  }
  std::string token() {
    size_t start = i_;
    while (!atEnd() && isTokenChar(s_[i_])) ++i_;
    return std::string(s_.substr(start, i_ - start));
  }
  std::string quoted() {
    std::string v;
    ++i_;  // the opening quote
    while (!atEnd() && s_[i_] != '"') {
      if (s_[i_] == '\\' && i_ + 1 < s_.size()) ++i_;
      v.push_back(s_[i_++]);
    }
    if (!atEnd()) ++i_;
    return v;
  }

  void readParameters(CFHTTPAuthentication::Challenge& c) {
    skipBlanks();
    // token68: letters, digits and -._~+/ followed by "=" padding, then the end or a comma.
    size_t start = i_;
    while (!atEnd() && (std::isalnum(static_cast<unsigned char>(s_[i_])) ||
                        std::string_view("-._~+/").find(s_[i_]) != std::string_view::npos))
      ++i_;
    size_t body = i_;
    while (!atEnd() && s_[i_] == '=') ++i_;
    size_t after = i_;
    skipBlanks();
    if (body > start && after > body && (atEnd() || s_[i_] == ',')) {
      c.params.emplace_back("", std::string(s_.substr(start, after - start)));
      return;
    }
    i_ = start;
    for (;;) {
      skipBlanks();
      size_t at = i_;
      std::string name = token();
      skipBlanks();
      if (name.empty() || atEnd() || s_[i_] != '=') {
        // The next challenge's scheme (or nothing more).
        i_ = at;
        return;
      }
      ++i_;
      skipBlanks();
      std::string value = (!atEnd() && s_[i_] == '"') ? quoted() : token();
      c.params.emplace_back(lowercaseASCIIString(name), std::move(value));
      skipBlanks();
      if (atEnd()) return;
      if (s_[i_] != ',') return;
      // A comma: another parameter, or the next challenge.
      size_t comma = i_;
      ++i_;
      skipSeparators();
      size_t next = i_;
      token();
      skipBlanks();
      bool parameter = !atEnd() && s_[i_] == '=';
      i_ = parameter ? next : comma;
      if (!parameter) return;
    }
  }

  std::string_view s_;
  size_t i_ = 0;
};

int preference(const std::string& scheme) {
  if (equalsIgnoringASCIICase(scheme, kCFHTTPAuthenticationSchemeDigest)) return 3;
  if (equalsIgnoringASCIICase(scheme, kCFHTTPAuthenticationSchemeBasic)) return 2;
  if (equalsIgnoringASCIICase(scheme, kCFHTTPAuthenticationSchemeNTLM)) return 1;
  return 0;
}

std::string hex(const unsigned char* bytes, size_t n) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  out.reserve(n * 2);
  for (size_t i = 0; i < n; ++i) {
    out.push_back(digits[bytes[i] >> 4]);
    out.push_back(digits[bytes[i] & 15]);
  }
  return out;
}

std::string digestHex(std::string_view text, bool sha256) {
  unsigned char md[CC_SHA256_DIGEST_LENGTH];
  if (sha256) {
    CC_SHA256(text.data(), CC_LONG(text.size()), md);
    return hex(md, CC_SHA256_DIGEST_LENGTH);
  }
  CC_MD5(text.data(), CC_LONG(text.size()), md);
  return hex(md, CC_MD5_DIGEST_LENGTH);
}

std::string credential(const ValueDictionary& d, std::string_view key) {
  Value v = d ? d->objectForKey(key) : Value();
  return v.isString() ? std::string(v.string()) : std::string();
}

// A quoted-string of a header parameter.
std::string quote(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

bool listsAuth(std::string_view qop) {
  for (auto& part : componentsSeparatedByString(std::string(qop), ","))
    if (equalsIgnoringASCIICase(trimmedASCII(part), "auth")) return true;
  return false;
}

}  // namespace

std::optional<std::string> CFHTTPAuthentication::Challenge::param(std::string_view name) const {
  for (auto& [k, v] : params)
    if (equalsIgnoringASCIICase(k, name)) return v;
  return std::nullopt;
}

std::vector<CFHTTPAuthentication::Challenge> CFHTTPAuthentication::parseChallenges(
    std::string_view value) {
  return ChallengeReader(value).read();
}

CFHTTPAuthentication::CFHTTPAuthentication(Challenge challenge, bool proxy)
    : challenge_(std::move(challenge)), proxy_(proxy) {
  const std::string& s = challenge_.scheme;
  if (equalsIgnoringASCIICase(s, kCFHTTPAuthenticationSchemeDigest)) {
    auto algorithm = lowercaseASCIIString(challenge_.param("algorithm").value_or("md5"));
    auto qop = challenge_.param("qop");
    bool known = algorithm == "md5" || algorithm == "md5-sess" || algorithm == "sha-256" ||
                 algorithm == "sha-256-sess";
    if (!known || !challenge_.param("nonce") || (qop && !listsAuth(*qop)))
      invalidReason_ = kCFStreamErrorHTTPAuthenticationTypeUnsupported;
  } else if (preference(s) == 0) {
    invalidReason_ = kCFStreamErrorHTTPAuthenticationTypeUnsupported;
  }
}

std::shared_ptr<CFHTTPAuthentication> CFHTTPAuthentication::createFromResponse(
    const CFHTTPMessage& response) {
  int status = response.responseStatusCode();
  if (status != 401 && status != 407) return nullptr;
  const bool proxy = status == 407;
  std::string_view field = proxy ? "Proxy-Authenticate" : "WWW-Authenticate";
  std::optional<Challenge> chosen;
  for (auto& [name, value] : response.headerLines()) {
    if (!equalsIgnoringASCIICase(name, field)) continue;
    for (auto& c : parseChallenges(value))
      if (!chosen || preference(c.scheme) > preference(chosen->scheme)) chosen = std::move(c);
  }
  if (!chosen) return nullptr;
  return std::make_shared<CFHTTPAuthentication>(std::move(*chosen), proxy);
}

bool CFHTTPAuthentication::isValid(long* error) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (error) *error = invalidReason_;
  return invalidReason_ == 0;
}

std::string CFHTTPAuthentication::copyMethod() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return challenge_.scheme;
}

std::optional<std::string> CFHTTPAuthentication::copyRealm() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return challenge_.param("realm");
}

bool CFHTTPAuthentication::requiresAccountDomain() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return equalsIgnoringASCIICase(challenge_.scheme, kCFHTTPAuthenticationSchemeNTLM);
}

bool CFHTTPAuthentication::requiresUserNameAndPassword() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return preference(challenge_.scheme) > 0;
}

void CFHTTPAuthentication::responseReceived(const CFHTTPMessage& response) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (response.responseStatusCode() != (proxy_ ? 407 : 401)) {
    staleRenewals_ = 0;  // taken
    return;
  }
  std::string_view field = proxy_ ? "Proxy-Authenticate" : "WWW-Authenticate";
  if (invalidReason_) return;
  if (equalsIgnoringASCIICase(challenge_.scheme, kCFHTTPAuthenticationSchemeDigest)) {
    for (auto& [name, value] : response.headerLines()) {
      if (!equalsIgnoringASCIICase(name, field)) continue;
      for (auto& c : parseChallenges(value)) {
        if (!equalsIgnoringASCIICase(c.scheme, kCFHTTPAuthenticationSchemeDigest) ||
            !equalsIgnoringASCIICase(c.param("stale").value_or(""), "true") || !c.param("nonce"))
          continue;
        // Only the nonce aged: the same credentials go again with the new one, once; a peer
        // that finds every new nonce stale as well refuses them.
        if (staleRenewals_ > 0) break;
        staleRenewals_++;
        challenge_ = std::move(c);
        nonceCount_ = 0;
        return;
      }
    }
  }
  invalidReason_ = kCFStreamErrorHTTPAuthenticationBadPassword;
}

std::string CFHTTPAuthentication::description() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return "<CFHTTPAuthentication " + challenge_.scheme + (proxy_ ? " proxy>" : ">");
}

std::optional<std::string> CFHTTPAuthentication::authorization(const CFHTTPMessage& request,
                                                               const std::string& user,
                                                               const std::string& password,
                                                               long* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (invalidReason_) {
    *error = invalidReason_;
    return std::nullopt;
  }
  const std::string& scheme = challenge_.scheme;
  if (equalsIgnoringASCIICase(scheme, kCFHTTPAuthenticationSchemeBasic))
    return "Basic " + CCBase64Encode(user + ":" + password);
  if (!equalsIgnoringASCIICase(scheme, kCFHTTPAuthenticationSchemeDigest)) {
    // NTLM needs the platform's own security service, which this machine does not have.
    *error = kCFStreamErrorHTTPAuthenticationTypeUnsupported;
    return std::nullopt;
  }

  std::string host, uri;
  if (!CFHTTPMessage::splitRequestURL(request.requestURL(), &host, &uri)) {
    *error = kCFStreamErrorHTTPAuthenticationTypeUnsupported;
    return std::nullopt;
  }
  const std::string realm = challenge_.param("realm").value_or("");
  const std::string nonce = challenge_.param("nonce").value_or("");
  const std::string algorithm = challenge_.param("algorithm").value_or("MD5");
  const std::string lower = lowercaseASCIIString(algorithm);
  const bool sha256 = lower.starts_with("sha-256");
  const bool sess = lower.ends_with("-sess");
  const auto qopList = challenge_.param("qop");
  const bool qop = qopList.has_value();

  unsigned char random[8];
  if (RAND_bytes(random, sizeof random) != 1) {
    *error = kCFStreamErrorHTTPAuthenticationTypeUnsupported;
    return std::nullopt;
  }
  const std::string cnonce = hex(random, sizeof random);
  char nc[9];
  std::snprintf(nc, sizeof nc, "%08x", ++nonceCount_);

  std::string ha1 = digestHex(user + ":" + realm + ":" + password, sha256);
  if (sess) ha1 = digestHex(ha1 + ":" + nonce + ":" + cnonce, sha256);
  const std::string ha2 = digestHex(request.requestMethod() + ":" + uri, sha256);
  const std::string response =
      qop ? digestHex(ha1 + ":" + nonce + ":" + nc + ":" + cnonce + ":auth:" + ha2, sha256)
          : digestHex(ha1 + ":" + nonce + ":" + ha2, sha256);

  std::string h = "Digest username=" + quote(user) + ", realm=" + quote(realm) +
                  ", nonce=" + quote(nonce) + ", uri=" + quote(uri) +
                  ", response=" + quote(response) + ", algorithm=" + algorithm;
  if (auto opaque = challenge_.param("opaque")) h += ", opaque=" + quote(*opaque);
  if (qop) h += std::string(", qop=auth, nc=") + nc + ", cnonce=" + quote(cnonce);
  return h;
}

bool CFHTTPMessageApplyCredentialDictionary(
    CFHTTPMessage& request, const std::shared_ptr<CFHTTPAuthentication>& authentication,
    const ValueDictionary& credentials, long* error) {
  long ignored = 0;
  if (!error) error = &ignored;
  *error = 0;
  if (!authentication || !request.isRequest()) {
    *error = kCFStreamErrorHTTPAuthenticationTypeUnsupported;
    return false;
  }
  std::string user = credential(credentials, kCFHTTPAuthenticationUsername);
  std::string password = credential(credentials, kCFHTTPAuthenticationPassword);
  if (user.empty() && authentication->requiresUserNameAndPassword()) {
    *error = kCFStreamErrorHTTPAuthenticationBadUserName;
    return false;
  }
  auto header = authentication->authorization(request, user, password, error);
  if (!header) return false;
  const bool proxy = authentication->isProxy();
  request.setHeaderFieldValue(proxy ? "Proxy-Authorization" : "Authorization", *header);
  request.setAppliedAuthentication(authentication, proxy);
  return true;
}
