#include <gtest/gtest.h>

#include "CFNetwork/NSHTTPCookie.h"
#include "Foundation/Clock.h"
#include "Foundation/NSURL.h"

namespace {
std::vector<std::shared_ptr<NSHTTPCookie>> parse(const std::string& setCookie,
                                                 const std::string& url) {
  return NSHTTPCookie::cookiesWithResponseHeaderFields({{"Set-Cookie", setCookie}},
                                                       *NSURL::URLWithString(url));
}
}  // namespace

TEST(NSHTTPCookie, AttributesDecideDomainPathAndLifetime) {
  auto a = parse("a=1", "http://www.a.m.r/news/item.html");
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0]->domain(), "www.a.m.r");
  EXPECT_EQ(a[0]->path(), "/news");
  EXPECT_TRUE(a[0]->isSessionOnly());

  auto b = parse("b=2; Domain=.a.m.r; Path=/; Secure; HttpOnly; Max-Age=60", "https://www.a.m.r/x");
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0]->domain(), ".a.m.r");
  EXPECT_TRUE(b[0]->isSecure());
  EXPECT_TRUE(b[0]->isHTTPOnly());
  EXPECT_NEAR(b[0]->expiresDate().value_or(0), ClockNow() + 60, 2);
  EXPECT_TRUE(b[0]->matchesURL(*NSURL::URLWithString("https://img.a.m.r/p")));
  EXPECT_FALSE(b[0]->matchesURL(*NSURL::URLWithString("http://img.a.m.r/p")));

  // A domain the URL does not belong to is refused.
  EXPECT_TRUE(parse("c=3; Domain=other.r", "http://www.a.m.r/").empty());
  // Several cookies in one field, one with a date holding a comma.
  auto two = parse("d=4; Expires=Wed, 09 Jun 2100 10:18:14 GMT, e=5", "http://a.m.r/");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0]->expiresDate().value_or(0), 4116219494.0);
  EXPECT_EQ(two[1]->name(), "e");
}

TEST(NSHTTPCookie, TheStoreReplacesByNameDomainAndPathAndMatchesPaths) {
  auto& store = NSHTTPCookieStorage::sharedHTTPCookieStorage();
  store.deleteAllCookies();
  auto url = NSURL::URLWithString("http://a.m.r/app/page");
  store.setCookies(parse("s=1; Path=/app", "http://a.m.r/"), url.get(), nullptr);
  store.setCookies(parse("s=2; Path=/app", "http://a.m.r/"), url.get(), nullptr);
  store.setCookies(parse("s=3; Path=/", "http://a.m.r/"), url.get(), nullptr);
  auto sent = store.cookiesForURL(*url);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0]->value(), "2");  // the longer path first
  EXPECT_EQ(sent[1]->value(), "3");
  EXPECT_EQ(store.cookiesForURL(*NSURL::URLWithString("http://a.m.r/application")).size(), 1u);
  // An expired cookie deletes its namesake.
  store.setCookies(parse("s=gone; Path=/app; Max-Age=0", "http://a.m.r/"), url.get(), nullptr);
  EXPECT_EQ(store.cookiesForURL(*url).size(), 1u);
}

// A cookie goes back out in a "Cookie" field: one whose name or value holds a control character
// (a carriage return from a bare CR in the reply, a NUL, DEL) would make every later request
// to its host fail to build, so it is refused; tabs are text.
TEST(NSHTTPCookie, ControlCharactersRefuseTheCookie) {
  const std::string url = "http://a.m.r/";
  const std::string refused[] = {"a=b\rc",  "a=b\nc", std::string("a=b\0c", 5), "a=b\x01",
                                 "a\x7f=b", "a\rb=c", "a=b\x1f; Path=/"};
  for (const std::string& text : refused) {
    SCOPED_TRACE(text);
    EXPECT_TRUE(parse(text, url).empty());
  }
  auto tab = parse("a=b\tc", url);
  ASSERT_EQ(tab.size(), 1u);
  EXPECT_EQ(tab[0]->value(), "b\tc");
  // The other cookies of the field stay.
  auto two = parse("a=b\x01, c=d", url);
  ASSERT_EQ(two.size(), 1u);
  EXPECT_EQ(two[0]->name(), "c");
}
