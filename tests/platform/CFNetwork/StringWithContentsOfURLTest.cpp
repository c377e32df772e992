// Reading a whole URL as UTF-8 text: files, a real HTTP server on loopback, and failures.
#include <gtest/gtest.h>

#include <string>

#include "CFNetwork/NSString+ContentsOfURL.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "support/TestHTTPServer.h"

namespace {

using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

std::shared_ptr<NSURL> url(const std::string& text) {
  auto u = NSURL::URLWithString(text);
  EXPECT_TRUE(u) << text;
  return u;
}

TEST(StringWithContentsOfURL, AFileURLReadsTheFile) {
  std::string path = NSTemporaryDirectory() + "page.xml";
  ASSERT_TRUE(writeToFile(path, "<a>文</a>", true));
  EXPECT_EQ(stringWithContentsOfURL(*url("file://" + path)), "<a>文</a>");

  NSErrorPtr error;
  EXPECT_EQ(stringWithContentsOfURL(*url("file://" + path + ".missing"), &error), std::nullopt);
  EXPECT_NE(error, nullptr);
}

TEST(StringWithContentsOfURL, AnHTTPResourceIsFetchedFollowingRedirectsAndDecoded) {
  TestHTTPServer server;
  TestHTTPReply moved = TestHTTPReply::text("", 302);
  moved.headers = {{"Location", "/doc"}};
  server.on("/old", moved);
  TestHTTPReply doc = TestHTTPReply::text("<r>好</r>", 200, "text/xml");
  doc.gzip = true;
  server.on("/doc", doc);
  EXPECT_EQ(stringWithContentsOfURL(*url(server.url("/old"))), "<r>好</r>");
  EXPECT_EQ(server.requestCount(), 2u);

  // Any status has a body to read.
  EXPECT_EQ(stringWithContentsOfURL(*url(server.url("/nothing"))), "not found");
}

TEST(StringWithContentsOfURL, TextThatIsNotUTF8OrAResourceThatCannotBeReachedGivesNil) {
  TestHTTPServer server;
  server.on("/latin1", TestHTTPReply::text("caf\xe9"));
  NSErrorPtr error;
  EXPECT_EQ(stringWithContentsOfURL(*url(server.url("/latin1")), &error), std::nullopt);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), 261);

  std::string closed = server.url("/doc");
  server.stop();
  error = nullptr;
  EXPECT_EQ(stringWithContentsOfURL(*url(closed), &error), std::nullopt);
  EXPECT_NE(error, nullptr);

  error = nullptr;
  EXPECT_EQ(stringWithContentsOfURL(*url("ftp://127.0.0.1/x"), &error), std::nullopt);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->code(), -1002);
}

}  // namespace
