// The request's defaults, its property rules and the class-wide header utilities.
#include <gtest/gtest.h>

#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSURL.h"
#include "net/http/HXHTTPRequest.h"

namespace {

std::shared_ptr<HXHTTPRequest> request() {
  return HXHTTPRequest::requestWithURL(NSURL::URLWithString("http://a.m.r/x"));
}

}  // namespace

TEST(HXHTTPRequestDefaults, ANewRequestHasTheDocumentedDefaults) {
  auto r = request();
  EXPECT_EQ(r->timeOutSeconds(), 10.0);
  EXPECT_EQ(r->requestMethod(), "GET");
  EXPECT_TRUE(r->shouldAttemptPersistentConnection());
  EXPECT_EQ(r->persistentConnectionTimeoutSeconds(), 60.0);
  EXPECT_TRUE(r->allowCompressedResponse());
  EXPECT_TRUE(r->shouldWaitToInflateCompressedResponses());
  EXPECT_EQ(r->defaultResponseEncoding(), NSISOLatin1StringEncoding);
  EXPECT_TRUE(r->shouldRedirect());
  EXPECT_TRUE(r->validatesSecureCertificate());
  EXPECT_TRUE(r->useCookiePersistence());
  EXPECT_TRUE(r->useSessionPersistence());
  EXPECT_FALSE(r->useKeychainPersistence());
  EXPECT_TRUE(r->showAccurateProgress());
  EXPECT_EQ(r->runLoopMode(), NSDefaultRunLoopMode);
  EXPECT_EQ(r->didFinishSelector().name(), "requestFinished:");
  EXPECT_EQ(r->didFailSelector().name(), "requestFailed:");
  EXPECT_FALSE(r->isInRequest());
  EXPECT_FALSE(r->isCanceledRequest());
  EXPECT_FALSE(r->downloadCache());

  HXHTTPRequest::setDefaultTimeOutSeconds(3);
  EXPECT_EQ(request()->timeOutSeconds(), 3.0);
  EXPECT_EQ(r->timeOutSeconds(), 10.0);
  HXHTTPRequest::setDefaultTimeOutSeconds(10);
}

TEST(HXHTTPRequestDefaults, PostPutOrABodyTurnPersistentConnectionsOff) {
  struct Case {
    std::string method;
    bool body;
    bool persistent;
  } cases[] = {{"POST", false, false},
               {"PUT", false, false},
               {"DELETE", false, true},
               {"HEAD", false, true},
               {"GET", true, true}};
  for (auto& c : cases) {
    auto r = request();
    if (c.body) {
      // Setting the same method changes nothing; a different one looks at the body.
      r->appendPostData("x");
      r->setRequestMethod("GET");
      EXPECT_TRUE(r->shouldAttemptPersistentConnection());
      r->setRequestMethod("OPTIONS");
      EXPECT_FALSE(r->shouldAttemptPersistentConnection());
      continue;
    }
    r->setRequestMethod(c.method);
    EXPECT_EQ(r->shouldAttemptPersistentConnection(), c.persistent) << c.method;
  }
}

TEST(HXHTTPRequestDefaults, Base64FollowsTheStandardAlphabetWithPadding) {
  struct Case {
    std::string in, out;
  } cases[] = {{"", ""},
               {"a", "YQ=="},
               {"ab", "YWI="},
               {"abc", "YWJj"},
               {"abcd", "YWJjZA=="},
               {"\xff\xfe\xfd", "//79"},
               {"user:pass", "dXNlcjpwYXNz"}};
  for (auto& c : cases) EXPECT_EQ(HXHTTPRequest::base64forData(c.in), c.out) << c.in;
}

TEST(HXHTTPRequestDefaults, ContentTypesGiveTheirMimeTypeAndKnownCharsets) {
  struct Case {
    std::optional<std::string> contentType;
    std::string mime;
    NSStringEncoding encoding;
  } cases[] = {
      {"text/html; charset=utf-8", "text/html", NSUTF8StringEncoding},
      {"text/html;charset=UTF-8", "text/html", NSUTF8StringEncoding},
      {" text/plain ", "text/plain", 99},
      {"text/html", "text/html", 99},
      {"text/html; Charset=ISO-8859-1; x=y", "text/html", NSISOLatin1StringEncoding},
      {"text/html; charset=gb18030", "text/html", NSGB18030StringEncoding},
      {"text/html; charset=no-such-set", "text/html", 99},
      {"text/html; level=1", "text/html", 99},
      {std::nullopt, "unchanged", 99},
  };
  for (auto& c : cases) {
    std::string mime = "unchanged";
    NSStringEncoding encoding = 99;
    HXHTTPRequest::parseMimeType(&mime, &encoding, c.contentType);
    EXPECT_EQ(mime, c.mime) << c.contentType.value_or("nil");
    EXPECT_EQ(encoding, c.encoding) << c.contentType.value_or("nil");
  }
}

TEST(HXHTTPRequestDefaults, RFC1123DatesParseWithOrWithoutWeekdayAndSeconds) {
  auto full = HXHTTPRequest::dateFromRFC1123String("Sun, 06 Nov 1994 08:49:37 GMT");
  ASSERT_TRUE(full);
  EXPECT_EQ(*full, 784111777.0);
  auto bare = HXHTTPRequest::dateFromRFC1123String("06 Nov 1994 08:49 GMT");
  ASSERT_TRUE(bare);
  EXPECT_EQ(*bare, 784111740.0);
  EXPECT_FALSE(HXHTTPRequest::dateFromRFC1123String("yesterday"));
}

TEST(HXHTTPRequestDefaults, ExpiryComesFromMaxAgeThenFromExpires) {
  auto r = request();
  auto headers = makeDictionary({{"Cache-Control", Value("public, Max-Age=300")}});
  r->setResponseHeaders(headers);
  double before = ClockNow();
  auto expiry = HXHTTPRequest::expiryDateForRequest(*r, 0);
  ASSERT_TRUE(expiry);
  EXPECT_GE(*expiry, before + 300);
  EXPECT_LE(*expiry, ClockNow() + 300);
  // A given maximum age wins.
  EXPECT_GE(*HXHTTPRequest::expiryDateForRequest(*r, 20), before + 20);

  r->setResponseHeaders(makeDictionary({{"Cache-Control", Value("max-age=0")},
                                        {"Expires", Value("Sun, 06 Nov 1994 08:49:37 GMT")}}));
  EXPECT_EQ(HXHTTPRequest::expiryDateForRequest(*r, 0).value_or(0), 784111777.0);
  r->setResponseHeaders(makeDictionary({{"Cache-Control", Value("no-cache")}}));
  EXPECT_FALSE(HXHTTPRequest::expiryDateForRequest(*r, 0));
}

TEST(HXHTTPRequestDefaults, TheUserAgentNamesTheAppItsVersionAndTheDevice) {
  struct Case {
    const char* shortVersion;
    const char* buildVersion;
    std::string version;
  } cases[] = {{"1.2", "1.2", "1.2"},
               {"1.2", "345", "1.2 rv:345"},
               {"1.2", nullptr, "1.2"},
               {nullptr, "345", "345"}};
  int n = 0;
  for (auto& c : cases) {
    std::string dir =
        stringByAppendingPathComponent(NSDocumentDirectory(), "bundle" + std::to_string(n++));
    NSFileManager::defaultManager().createDirectoryAtPath(dir, true);
    std::string plist =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
        "<key>CFBundleName</key><string>Zeit\xC3\xBCng</string>";
    if (c.shortVersion)
      plist += std::string("<key>CFBundleShortVersionString</key><string>") + c.shortVersion +
               "</string>";
    if (c.buildVersion)
      plist += std::string("<key>CFBundleVersion</key><string>") + c.buildVersion + "</string>";
    plist += "</dict></plist>";
    ASSERT_TRUE(writeToFile(stringByAppendingPathComponent(dir, "Info.plist"), plist, false));
    NSBundle bundle(dir);
    EXPECT_EQ(HXHTTPRequest::userAgentForBundle(bundle).value_or(""),
              "Zeit\xC3\xBCng " + c.version + " (iPhone; iPhone OS 6.1; en_US)");
  }
  NSBundle empty(NSDocumentDirectory());
  EXPECT_FALSE(HXHTTPRequest::userAgentForBundle(empty));
}

TEST(HXHTTPRequestDefaults, FilesHaveAMimeTypeOnlyWhenTheyExist) {
  std::string dir = NSDocumentDirectory();
  std::string png = stringByAppendingPathComponent(dir, "picture.PNG");
  std::string odd = stringByAppendingPathComponent(dir, "data.zzq");
  ASSERT_TRUE(writeToFile(png, "x", false));
  ASSERT_TRUE(writeToFile(odd, "x", false));
  EXPECT_EQ(HXHTTPRequest::mimeTypeForFileAtPath(png).value_or(""), "image/png");
  EXPECT_EQ(HXHTTPRequest::mimeTypeForFileAtPath(odd).value_or(""), "application/octet-stream");
  EXPECT_FALSE(HXHTTPRequest::mimeTypeForFileAtPath(stringByAppendingPathComponent(dir, "no.png")));
}

TEST(HXHTTPRequestDefaults, RemovingAMissingFileSucceedsWithoutError) {
  NSErrorPtr error;
  EXPECT_TRUE(HXHTTPRequest::removeFileAtPath(
      stringByAppendingPathComponent(NSDocumentDirectory(), "never"), &error));
  EXPECT_FALSE(error);
}
