// What a request builds: its cache key, content type and form bodies, and the platform request.
#include <gtest/gtest.h>

#include "Foundation/NSURL.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "uilib/core/NSData+ULCategory.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

const std::string kURL = "http://post.zept.example/upload";
const std::string kBoundary(kULURLRequestBoundary);

std::shared_ptr<ULURLRequest> postWith(
    std::initializer_list<std::pair<std::string, Value>> parameters, std::string method = "POST") {
  auto request = ULURLRequest::requestWithURL(kURL);
  request->setHttpMethod(method);
  for (auto& [name, value] : parameters) request->parameters()->setObject(value, name);
  return request;
}

std::shared_ptr<UIImage> picture() {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(8, 8), true, 1);
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

}  // namespace

TEST(ULURLRequest, CacheKeysJoinAFormsParametersSortedByName) {
  // The same form filled in either order has one key: the URL, then name=value pairs.
  auto ab = postWith({{"a", Value("1")}, {"b", Value("2")}});
  auto ba = postWith({{"b", Value("2")}, {"a", Value("1")}});
  EXPECT_EQ(ab->cacheKey(), md5Hash(kURL + "a=1b=2"));
  EXPECT_EQ(ba->cacheKey(), ab->cacheKey());
  // A value that is no text adds its name alone; a GET's key is its URL's.
  EXPECT_EQ(postWith({{"n", Value(5)}, {"s", Value("x")}})->cacheKey(), md5Hash(kURL + "n=s=x"));
  EXPECT_EQ(postWith({{"a", Value("1")}}, "GET")->cacheKey(), md5Hash(kURL));
  EXPECT_EQ(postWith({{"a", Value("1")}}, "post")->cacheKey(), md5Hash(kURL));
  auto fixed = postWith({{"a", Value("1")}});
  fixed->setCacheKey("mine");
  EXPECT_EQ(fixed->cacheKey(), "mine");
}

TEST(ULURLRequest, UrlEncodedFormsEscapeTheirValues) {
  auto request = postWith({{"q", Value("x y")}, {"amp", Value("a&b+c")}, {"n", Value(1)}});
  request->setMultiPartForm(false);
  EXPECT_EQ(request->contentType(), "application/x-www-form-urlencoded");
  EXPECT_EQ(request->httpBody(), "amp=a%26b+c&q=x+y");
  // A lower-case method builds the body, but derives no type.
  auto lower = postWith({{"q", Value("1")}}, "post");
  lower->setMultiPartForm(false);
  EXPECT_EQ(lower->httpBody(), "q=1");
  EXPECT_EQ(lower->contentType(), "");
  EXPECT_EQ(postWith({{"q", Value("1")}}, "GET")->httpBody(), std::nullopt);
  request->setHttpBody(std::string("as set"));
  EXPECT_EQ(request->httpBody(), "as set");
}

TEST(ULURLRequest, MultipartFormsListTextThenPicturesThenFiles) {
  auto request = postWith({{"text", Value("hello")}, {"photo", Value(picture())}});
  request->addFile("<xml/>", "text/xml", "doc.xml");
  EXPECT_EQ(request->contentType(), "multipart/form-data; boundary=" + kBoundary);
  std::string body = request->httpBody().value();
  std::string jpeg = UIImageJPEGRepresentation(picture(), 0.75).value();
  std::string expected =
      "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"text\"\r\n\r\nhello\r\n" +
      "--" + kBoundary +
      "\r\nContent-Disposition: form-data; name=\"photo\"; filename=\"image.jpg\"\r\n" +
      "Content-Length: " + std::to_string(jpeg.size()) + "\r\nContent-Type: image/jpeg\r\n\r\n" +
      jpeg + "\r\n" + "--" + kBoundary +
      "\r\nContent-Disposition: form-data; name=\"doc.xml\"; filename=\"doc.xml\"\r\n" +
      "Content-Length: 6\r\nContent-Type: text/xml\r\n\r\n<xml/>\r\n" + "--" + kBoundary + "--\r\n";
  EXPECT_EQ(body, expected);
  // The picture leaves the parameters once written: a second body lacks it.
  EXPECT_TRUE(request->parameters()->objectForKey("photo").isNil());
  EXPECT_EQ(request->httpBody()->find("image.jpg"), std::string::npos);

  EXPECT_EQ(postWith({})->httpBody(), "--" + kBoundary + "--\r\n");
}

TEST(ULURLRequest, ThePlatformRequestCarriesWhatTheRequestSets) {
  auto queue = ULURLRequestQueue::mainQueue();
  queue->setUserAgent("zept-test");
  auto request = postWith({{"a", Value("1")}});
  request->setValueForHTTPHeaderField("text/plain", "Content-Type");
  request->setValueForHTTPHeaderField("yes", "X-Extra");
  request->setShouldHandleCookies(false);
  auto platform = request->createNSURLRequest();
  EXPECT_EQ(platform->URL()->absoluteString(), kURL);
  EXPECT_EQ(platform->HTTPMethod(), "POST");
  EXPECT_EQ(platform->cachePolicy(), NSURLRequestCachePolicy::ReloadIgnoringLocalCacheData);
  EXPECT_EQ(platform->timeoutInterval(), 300);
  EXPECT_EQ(platform->valueForHTTPHeaderField("User-Agent"), "zept-test");
  // The request's own headers win over the derived type.
  EXPECT_EQ(platform->valueForHTTPHeaderField("Content-Type"), "text/plain");
  EXPECT_EQ(platform->valueForHTTPHeaderField("X-Extra"), "yes");
  EXPECT_FALSE(platform->HTTPShouldHandleCookies());
  EXPECT_TRUE(platform->HTTPBody());

  request->setTimeoutInterval(15);
  EXPECT_EQ(request->createNSURLRequest()->timeoutInterval(), 15);
  // Without a request: the URL, the cache setting, the user agent and the default timeout.
  auto bare = queue->createNSURLRequest(nullptr, std::string("http://h/x"));
  EXPECT_EQ(bare->HTTPMethod(), "GET");
  EXPECT_EQ(bare->timeoutInterval(), 300);
  EXPECT_EQ(bare->allHTTPHeaderFields().size(), 1u);
}
