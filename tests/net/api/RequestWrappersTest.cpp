#include <gtest/gtest.h>

#include "Foundation/NSURL.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/NSAsiFormDataRequest.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/api/URLHelper.h"

namespace {

using apitest::params;

std::string urlOf(const std::shared_ptr<HXHTTPRequest>& r) {
  return r->url() ? r->url()->absoluteString() : std::string("(none)");
}

TEST(URLHelper, QueryKeepsOrderEscapesValuesButNotKeys) {
  auto p = params({{"keys", "K+1/2"},
                   {"std", "2.0"},
                   {"c_url", "http://t.ziza.example/a?b=c&d={e}"},
                   {"kw", "钢铁 价格;$,<>@:"},
                   {"page", 2}});
  EXPECT_EQ(URLHelper::getURL("http://h/P.aspx", p),
            "http://h/P.aspx?keys=K%2B1%2F2&std=2.0"
            "&c_url=http%3A%2F%2Ft.ziza.example%2Fa%3Fb%3Dc%26d%3D%7Be%7D"
            "&kw=%E9%92%A2%E9%93%81%20%E4%BB%B7%E6%A0%BC%3B%24%2C%3C%3E%40%3A&page=2");
  EXPECT_EQ(URLHelper::getURL("http://h/P.aspx", nullptr), "http://h/P.aspx");
  EXPECT_EQ(URLHelper::getURL("http://h/P.aspx", params({})), "http://h/P.aspx");
  // A "?" goes in even when the base already holds a query.
  EXPECT_EQ(URLHelper::getURL("http://h/P.aspx?a=1", params({{"b", "2"}})),
            "http://h/P.aspx?a=1?b=2");
}

TEST(RequestWrappers, UrlFromBasePathAndParametersWhateverTheServerGroup) {
  auto p = params({{"keys", "K 1"}});
  for (int group : {0, 1, 2, 3, 4}) {
    auto r = NSHxHttpRequest::initRequestDNS("/P.aspx", p, "http://b.example", group);
    EXPECT_EQ(urlOf(r), "http://b.example/P.aspx?keys=K%201") << group;
    auto f = NSAsiFormDataRequest::initRequestDNS("/P.aspx", p, "http://b.example", group);
    EXPECT_EQ(urlOf(f), "http://b.example/P.aspx?keys=K%201") << group;
  }
  EXPECT_EQ(urlOf(NSHxHttpRequest::initRequestDNS("/P.aspx", nullptr, "http://b.example", 2)),
            "http://b.example/P.aspx");
}

TEST(RequestWrappers, FreshRequestsAndTheirCopies) {
  auto r = NSHxHttpRequest::initRequestDNS("/P.aspx", nullptr, "http://b.example", 0);
  EXPECT_TRUE(r->needPromptSelf());
  EXPECT_EQ(r->mtag(), 0);
  EXPECT_TRUE(r->localInfo().isNil());
  auto f = NSAsiFormDataRequest::initRequestDNS("/P.aspx", nullptr, "http://b.example", 0);
  EXPECT_EQ(f->mtag(), 0);
  EXPECT_EQ(f->requestMethod(), "POST");
  // Requests the engine makes for a wrapper (its HEAD twin) are wrappers too.
  EXPECT_NE(std::dynamic_pointer_cast<NSHxHttpRequest>(r->HEADRequest()), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<NSAsiFormDataRequest>(f->HEADRequest()), nullptr);
}

TEST(RequestWrappers, ClearDelegatesAndCancelDropsTheRoute) {
  auto receiver = apitest::Receiver::make();
  auto r = NSHxHttpRequest::initRequestDNS("/P.aspx", nullptr, "http://b.example", 0);
  r->setClientdelegate(receiver);
  r->setActionString(receiver->action());
  r->setMtag(5);
  r->setLocalInfo(Value::arrayOf({Value("a")}));
  r->clearDelegatesAndCancel();
  EXPECT_FALSE(r->actionString().isSet());
  EXPECT_EQ(r->clientdelegate(), nullptr);
  EXPECT_EQ(r->mtag(), 5);

  auto f = NSAsiFormDataRequest::initRequestDNS("/P.aspx", nullptr, "http://b.example", 0);
  f->setClientdelegate(receiver);
  f->setActionString(receiver->action());
  f->clearDelegatesAndCancel();
  EXPECT_FALSE(f->actionString().isSet());
  EXPECT_EQ(f->clientdelegate(), nullptr);
}

}  // namespace
