// Answering 401 challenges end to end: credentials from the URL, from the delegate and from the
// session store; Basic and Digest as a server checks them; what fails and with which error.
#include <gtest/gtest.h>

#include <mutex>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "EngineTestSupport.h"
#include "Foundation/NSString.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXNetworkQueue.h"
#include "support/Md5Hex.h"
#include "support/TestHTTPServer.h"

using enginetest::Exchange;
using enginetest::RecordingDelegate;
using enginetest::runMainLoopUntil;
using testsupport::md5Hex;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPRequest;
using testsupport::TestHTTPServer;

namespace {

TestHTTPReply challenge(const std::string& value) {
  TestHTTPReply r = TestHTTPReply::text("who are you?", 401);
  r.headers = {{"WWW-Authenticate", value}};
  return r;
}

// A server path that takes one Basic user and challenges everyone else.
TestHTTPServer::Handler basicGate(const std::string& user, const std::string& password) {
  std::string expected = "Basic " + HXHTTPRequest::base64forData(user + ":" + password);
  return [expected](const TestHTTPRequest& r) {
    if (r.header("Authorization") == expected) return TestHTTPReply::text("welcome");
    return challenge("Basic realm=\"staff\"");
  };
}

// The server's side of Digest (qop "auth", MD5), written from the standard's formulas: checks
// the "Authorization" of a request against the user's password and the nonces it gave out.
class DigestGate {
 public:
  DigestGate(std::string user, std::string password)
      : user_(std::move(user)), password_(std::move(password)) {}

  // The nonce handed out from now on; the older ones are stale.
  void renewNonce(std::string nonce) {
    std::lock_guard<std::mutex> lock(mutex_);
    nonce_ = std::move(nonce);
  }

  TestHTTPReply operator()(const TestHTTPRequest& r) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string header = r.header("Authorization");
    if (header.rfind("Digest ", 0) != 0) return digestChallenge(false);
    auto challenges = CFHTTPAuthentication::parseChallenges(header);
    if (challenges.empty()) return TestHTTPReply::text("bad", 400);
    auto& c = challenges.front();
    auto p = [&](const char* name) { return c.param(name).value_or(""); };
    std::string ha1 = md5Hex(user_ + ":zept-digest:" + password_);
    std::string ha2 = md5Hex(r.method + ":" + p("uri"));
    std::string expected =
        md5Hex(ha1 + ":" + p("nonce") + ":" + p("nc") + ":" + p("cnonce") + ":auth:" + ha2);
    ncSeen.push_back(p("nc"));
    if (p("username") != user_ || p("response") != expected || p("uri") != r.target ||
        p("opaque") != "op4que")
      return digestChallenge(false);
    if (p("nonce") != nonce_) return digestChallenge(true);
    return TestHTTPReply::text("digest welcome");
  }

  std::vector<std::string> ncSeen;

 private:
  TestHTTPReply digestChallenge(bool stale) {
    return challenge("Digest realm=\"zept-digest\", qop=\"auth,auth-int\", nonce=\"" + nonce_ +
                     "\", opaque=\"op4que\"" + (stale ? ", stale=true" : ""));
  }

  std::mutex mutex_;
  std::string user_, password_;
  std::string nonce_ = "n0nce-1";
};

class CredentialsDelegate : public RecordingDelegate {
 public:
  std::string user, password;
  int asked = 0;
  void authenticationNeededForRequest(const std::shared_ptr<HXHTTPRequest>& request) override {
    ++asked;
    EXPECT_TRUE(NSThread::isMainThread());
    request->setUsername(user);
    request->setPassword(password);
    request->retryUsingSuppliedCredentials();
  }
  bool respondsToSelector(std::string_view name) const override {
    return name == "authenticationNeededForRequest:" || RecordingDelegate::respondsToSelector(name);
  }
};

// The URL of the server with credentials in it.
std::string withCredentials(const std::string& url, const std::string& userInfo) {
  return "http://" + userInfo + "@" + url.substr(7);
}

}  // namespace

TEST(HXAuthentication, ABasicChallengeIsAnsweredFromTheURLAndTheNextRequestSendsAtOnce) {
  TestHTTPServer server;
  server.on("/staff", basicGate("ann", "s3cret"));
  Exchange first(withCredentials(server.url("/staff"), "ann:s3cret"));
  first.run();
  ASSERT_TRUE(first.delegate->finished);
  EXPECT_EQ(first.request->responseStatusCode(), 200);
  EXPECT_EQ(enginetest::bodyOr(first.request->responseString()), "welcome");
  EXPECT_EQ(first.request->authenticationScheme(), "Basic");
  EXPECT_EQ(first.request->authenticationRealm(), "staff");
  ASSERT_EQ(server.requestCount(), 2u);  // the challenge, then the answer
  EXPECT_FALSE(server.requests()[0].hasHeader("Authorization"));

  // Remembered for the session: no challenge this time, and no credentials in the URL.
  Exchange second(server.url("/staff"));
  second.run();
  ASSERT_TRUE(second.delegate->finished);
  EXPECT_EQ(second.request->responseStatusCode(), 200);
  ASSERT_EQ(server.requestCount(), 3u);
  EXPECT_EQ(server.lastRequest().header("Authorization"),
            "Basic " + HXHTTPRequest::base64forData("ann:s3cret"));
}

TEST(HXAuthentication, DigestIsAnsweredAndAStaleNonceIsRenewedWithTheSameCredentials) {
  TestHTTPServer server;
  auto gate = std::make_shared<DigestGate>("bo", "pa ss");
  server.on("/digest", [gate](const TestHTTPRequest& r) { return (*gate)(r); });

  Exchange first(withCredentials(server.url("/digest?page=2"), "bo:pa%20ss"));
  first.run();
  ASSERT_TRUE(first.delegate->finished);
  EXPECT_EQ(enginetest::bodyOr(first.request->responseString()), "digest welcome");
  EXPECT_EQ(first.request->authenticationScheme(), "Digest");
  EXPECT_EQ(server.requestCount(), 2u);

  // The next request answers at once with the remembered challenge, counting its use; when the
  // server has moved on to a new nonce, one more round trip takes it.
  gate->renewNonce("n0nce-2");
  Exchange second(server.url("/digest"));
  second.run();
  ASSERT_TRUE(second.delegate->finished) << second.request->error()->localizedDescription();
  EXPECT_EQ(enginetest::bodyOr(second.request->responseString()), "digest welcome");
  EXPECT_EQ(server.requestCount(), 4u);
  EXPECT_EQ(gate->ncSeen, (std::vector<std::string>{"00000001", "00000002", "00000001"}));
}

TEST(HXAuthentication, ChallengesThatCannotBeAnsweredFailWithTheirErrors) {
  struct Case {
    std::string name;
    std::string challengeHeader;  // empty: a 401 without any
    std::string userInfo;         // credentials in the URL; empty: none
    long code;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"no credentials anywhere", "Basic realm=\"x\"", "", 3, "Authentication needed"},
      {"a wrong password", "Basic realm=\"x\"", "ann:wrong", 3, "Authentication needed"},
      {"no challenge in the reply", "", "ann:s3cret", 7,
       "Failed to get authentication object from response headers"},
      {"NTLM, which this machine cannot answer", "NTLM", "CORP%5Cann:s3cret", 7,
       "Failed to apply credentials to request"},
      {"a scheme without user and password", "Bearer realm=\"api\"", "ann:s3cret", 3,
       "Authentication needed"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestHTTPServer server;
    TestHTTPReply refusal = TestHTTPReply::text("no", 401);
    if (!c.challengeHeader.empty()) refusal.headers = {{"WWW-Authenticate", c.challengeHeader}};
    server.on("/x", refusal);
    std::string u = server.url("/x");
    if (!c.userInfo.empty()) u = withCredentials(u, c.userInfo);
    Exchange x(u);
    x.run();
    ASSERT_TRUE(x.delegate->failed);
    EXPECT_EQ(x.request->error()->code(), c.code);
    EXPECT_EQ(x.request->error()->localizedDescription(), c.text);
  }
}

TEST(HXAuthentication, RefusedCredentialsAreForgottenSoTheNextRequestIsNotSentThem) {
  TestHTTPServer server;
  server.on("/staff", basicGate("ann", "s3cret"));
  Exchange wrong(withCredentials(server.url("/staff"), "ann:wrong"));
  wrong.run();
  ASSERT_TRUE(wrong.delegate->failed);
  EXPECT_EQ(server.requestCount(), 2u);

  Exchange next(server.url("/staff"));
  next.run();
  ASSERT_TRUE(next.delegate->failed);
  EXPECT_FALSE(server.lastRequest().hasHeader("Authorization"));
}

TEST(HXAuthentication, TheDelegateSuppliesCredentialsButASynchronousRequestNeverAsks) {
  TestHTTPServer server;
  server.on("/staff", basicGate("ann", "s3cret"));

  auto delegate = std::make_shared<CredentialsDelegate>();
  delegate->user = "ann";
  delegate->password = "s3cret";
  auto request = HXHTTPRequest::requestWithURL(enginetest::url(server.url("/staff")));
  request->setDelegate(delegate);
  request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return delegate->done(); }));
  EXPECT_TRUE(delegate->finished);
  EXPECT_EQ(delegate->asked, 1);
  EXPECT_EQ(request->responseStatusCode(), 200);

  HXHTTPRequest::clearSession();
  auto silent = std::make_shared<CredentialsDelegate>();
  auto sync = HXHTTPRequest::requestWithURL(enginetest::url(server.url("/staff")));
  sync->setDelegate(silent);
  sync->startSynchronous();
  ASSERT_TRUE(sync->error());
  EXPECT_EQ(sync->error()->code(), 3);
  EXPECT_EQ(silent->asked, 0);
}

TEST(HXAuthentication, AQueueForwardsTheQuestionToItsDelegate) {
  TestHTTPServer server;
  server.on("/staff", basicGate("ann", "s3cret"));
  auto owner = std::make_shared<CredentialsDelegate>();
  owner->user = "ann";
  owner->password = "s3cret";
  auto queue = HXNetworkQueue::queue();
  queue->setDelegate(owner);
  queue->setShouldCancelAllRequestsOnFailure(false);
  auto request = HXHTTPRequest::requestWithURL(enginetest::url(server.url("/staff")));
  bool done = false;
  request->setCompletionBlock([&] { done = true; });
  request->setFailedBlock([&] { done = true; });
  queue->addOperation(request);
  queue->go();
  ASSERT_TRUE(runMainLoopUntil([&] { return done; }));
  EXPECT_EQ(owner->asked, 1);
  EXPECT_EQ(request->responseStatusCode(), 200);
}

TEST(HXAuthentication, ACancelledQuestionFailsTheRequest) {
  TestHTTPServer server;
  server.on("/staff", basicGate("ann", "s3cret"));
  auto request = HXHTTPRequest::requestWithURL(enginetest::url(server.url("/staff")));
  bool failed = false;
  int asked = 0;
  request->setAuthenticationNeededBlock([&] {
    ++asked;
    request->cancelAuthentication();
  });
  request->setFailedBlock([&] { failed = true; });
  request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return failed; }));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(request->error()->code(), 3);
}
