// Form posts, checked byte for byte where they arrive: a raw server on loopback keeps every
// request exactly as it came.
#include <gtest/gtest.h>

#include <regex>

#include "EngineTestSupport.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "net/http/HXFormDataRequest.h"
#include "support/TestHTTPServer.h"

using enginetest::RecordingDelegate;
using enginetest::runMainLoopUntil;
using enginetest::url;
using testsupport::TestRawHTTPServer;

namespace {

struct Received {
  std::string head;  // request line and headers
  std::string body;
  std::string header(const std::string& name) const {
    std::string needle = "\r\n" + name + ": ";
    size_t at = head.find(needle);
    if (at == std::string::npos) return {};
    size_t start = at + needle.size();
    return head.substr(start, head.find("\r\n", start) - start);
  }
};

class FormServer {
 public:
  FormServer()
      : server_([](const std::string&) {
          return TestRawHTTPServer::RawReply{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"};
        }) {}
  std::string url() const { return server_.url("/post"); }
  Received last() const {
    auto all = server_.requests();
    if (all.empty()) return {};
    const std::string& raw = all.back();
    size_t end = raw.find("\r\n\r\n");
    return {raw.substr(0, end + 2), raw.substr(end + 4)};
  }
  size_t count() const { return server_.requests().size(); }

 private:
  TestRawHTTPServer server_;
};

// Sends the form and waits for the end.
std::shared_ptr<RecordingDelegate> send(const std::shared_ptr<HXFormDataRequest>& form) {
  auto delegate = std::make_shared<RecordingDelegate>();
  form->setDelegate(delegate);
  form->startAsynchronous();
  EXPECT_TRUE(runMainLoopUntil([&] { return delegate->done(); }));
  return delegate;
}

std::shared_ptr<HXFormDataRequest> form(const std::string& u) {
  return HXFormDataRequest::requestWithURL(url(u));
}

// The boundary of a multipart content type.
std::string boundaryOf(const std::string& contentType) {
  std::smatch m;
  static const std::regex pattern(
      "^multipart/form-data; charset=utf-8; boundary=(0xKhTmLbOuNdArY-"
      "[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})$");
  return std::regex_match(contentType, m, pattern) ? m[1].str() : std::string();
}

std::string documents(const std::string& name) {
  return stringByAppendingPathComponent(NSDocumentDirectory(), name);
}

}  // namespace

TEST(HXFormDataRequest, ValuesAreSentURLEncodedWithEveryOtherByteEscaped) {
  FormServer server;
  auto f = form(server.url());
  EXPECT_EQ(f->requestMethod(), "POST");
  EXPECT_EQ(f->postFormat(), 1);
  EXPECT_EQ(f->stringEncoding(), NSUTF8StringEncoding);
  f->addPostValue(Value(1), "a");
  f->addPostValue(Value("x y&z"), "b");
  f->addPostValue(Value("~é:/?#[]@!$'()*+,;=\"<>%{}|\\^`-._"), "c d");
  f->addPostValue(Value("ignored"), std::nullopt);
  auto d = send(f);
  ASSERT_TRUE(d->finished);
  auto got = server.last();
  EXPECT_EQ(got.head.substr(0, 10), "POST /post");
  EXPECT_EQ(got.header("Content-Type"), "application/x-www-form-urlencoded; charset=utf-8");
  EXPECT_EQ(got.body,
            "a=1&b=x%20y%26z&c%20d=%7E%C3%A9%3A%2F%3F%23%5B%5D%40%21%24%27%28%29%2A%2B%2C%3B%3D"
            "%22%3C%3E%25%7B%7D%7C%5C%5E%60-._");
  EXPECT_EQ(got.header("Content-Length"), std::to_string(got.body.size()));
}

TEST(HXFormDataRequest, SettingAValueReplacesEveryEarlierValueOfItsKeyAndMovesItLast) {
  FormServer server;
  auto f = form(server.url());
  f->addPostValue(Value("1"), "a");
  f->addPostValue(Value("2"), "b");
  f->addPostValue(Value("3"), "a");
  f->setPostValue(Value("new"), "a");
  ASSERT_TRUE(f->postData());
  EXPECT_EQ(f->postData()->size(), 2u);
  send(f);
  EXPECT_EQ(server.last().body, "b=2&a=new");
}

TEST(HXFormDataRequest, AValueAndAFilePartMakeExactlyTheMultipartBody) {
  FormServer server;
  auto f = form(server.url());
  f->setPostFormat(0);
  f->setPostValue(Value("v"), "k");
  std::string bytes("D\0\r\nD", 5);
  f->setData(Value::data(bytes), "f");
  auto d = send(f);
  ASSERT_TRUE(d->finished);
  auto got = server.last();
  std::string b = boundaryOf(got.header("Content-Type"));
  ASSERT_FALSE(b.empty()) << got.header("Content-Type");
  EXPECT_EQ(got.body, "--" + b + "\r\n" + "Content-Disposition: form-data; name=\"k\"\r\n" +
                          "\r\n" + "v\r\n" + "--" + b + "\r\n" +
                          "Content-Disposition: form-data; name=\"f\"; filename=\"file\"\r\n" +
                          "Content-Type: application/octet-stream\r\n" + "\r\n" + bytes + "\r\n--" +
                          b + "--\r\n");
  EXPECT_EQ(got.header("Content-Length"), std::to_string(got.body.size()));
  // Any form with a file part goes through a temporary body file, removed afterwards.
  EXPECT_TRUE(f->shouldStreamPostDataFromDisk());
  EXPECT_EQ(f->postBodyFilePath(), "");
}

TEST(HXFormDataRequest, OnlyValuesOrOnlyFilesLeaveOutTheSeparatorsTheyDoNotNeed) {
  FormServer server;
  auto values = form(server.url());
  values->setPostFormat(0);
  values->addPostValue(Value("1"), "a");
  values->addPostValue(Value("2"), "b");
  send(values);
  auto got = server.last();
  std::string b = boundaryOf(got.header("Content-Type"));
  ASSERT_FALSE(b.empty());
  EXPECT_EQ(got.body, "--" + b + "\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--" +
                          b + "\r\nContent-Disposition: form-data; name=\"b\"\r\n\r\n2\r\n--" + b +
                          "--\r\n");

  auto files = form(server.url());
  files->addData(Value::data("one"), "1.txt", "text/plain", "x");
  files->addData(Value::data("two"), "2.bin", std::nullopt, "x");
  send(files);
  // A file part makes the URL-encoded form multipart.
  EXPECT_EQ(files->postFormat(), 0);
  got = server.last();
  b = boundaryOf(got.header("Content-Type"));
  ASSERT_FALSE(b.empty());
  EXPECT_EQ(got.body, "--" + b +
                          "\r\nContent-Disposition: form-data; name=\"x\"; filename=\"1.txt\"\r\n"
                          "Content-Type: text/plain\r\n\r\none\r\n--" +
                          b +
                          "\r\nContent-Disposition: form-data; name=\"x\"; filename=\"2.bin\"\r\n"
                          "Content-Type: application/octet-stream\r\n\r\ntwo\r\n--" +
                          b + "--\r\n");
}

TEST(HXFormDataRequest, AFileNamedByPathIsSentWholeWithItsNameAndType) {
  FormServer server;
  std::string photo = documents("holiday.jpg");
  std::string contents(700000, '\0');
  for (size_t i = 0; i < contents.size(); ++i) contents[i] = char(i * 7 % 251);
  ASSERT_TRUE(writeToFile(photo, contents, false));
  auto f = form(server.url());
  f->addPostValue(Value("trip"), "title");
  f->addFile(photo, std::nullopt, std::nullopt, "photo");
  // A name and a type given are written as they are, quotes and all.
  f->addFile(photo, "my \"best\".jpg", "image/x-mine", "photo\"2");
  auto d = send(f);
  ASSERT_TRUE(d->finished);
  auto got = server.last();
  std::string b = boundaryOf(got.header("Content-Type"));
  ASSERT_FALSE(b.empty());
  std::string expected =
      "--" + b + "\r\nContent-Disposition: form-data; name=\"title\"\r\n\r\ntrip\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"photo\"; filename=\"holiday.jpg\"\r\n"
      "Content-Type: image/jpeg\r\n\r\n" +
      contents + "\r\n--" + b +
      "\r\nContent-Disposition: form-data; name=\"photo\"2\"; filename=\"my \"best\".jpg\"\r\n"
      "Content-Type: image/x-mine\r\n\r\n" +
      contents + "\r\n--" + b + "--\r\n";
  EXPECT_TRUE(got.body == expected) << got.body.size() << " " << expected.size();
  // The file itself is the caller's.
  EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(photo));
}

TEST(HXFormDataRequest, AFormWithNothingAddedIsThePlainRequest) {
  FormServer server;
  auto f = form(server.url());
  f->appendPostData("raw body");
  send(f);
  auto got = server.last();
  EXPECT_EQ(got.header("Content-Type"), "");
  EXPECT_EQ(got.body, "raw body");
}

TEST(HXFormDataRequest, TheBodyIsBuiltOnceAndEveryRequestHasItsOwnBoundary) {
  FormServer server;
  auto first = form(server.url());
  first->setPostFormat(0);
  first->addPostValue(Value("1"), "a");
  first->buildPostBody();
  uint64_t length = first->postLength();
  std::string contentType(first->requestHeaders()->objectForKey("Content-Type").string());
  first->buildPostBody();
  EXPECT_EQ(first->postLength(), length);
  send(first);
  auto got = server.last();
  EXPECT_EQ(got.header("Content-Type"), contentType);
  EXPECT_EQ(got.body.size(), length);

  auto second = form(server.url());
  second->setPostFormat(0);
  second->addPostValue(Value("1"), "a");
  send(second);
  std::string other = boundaryOf(server.last().header("Content-Type"));
  ASSERT_FALSE(other.empty());
  EXPECT_NE(other, boundaryOf(contentType));
}

TEST(HXFormDataRequest, AFileThatDoesNotExistFailsTheRequestAtOnce) {
  FormServer server;
  for (std::string path : {documents("missing.txt"), NSDocumentDirectory()}) {
    auto f = form(server.url());
    auto delegate = std::make_shared<RecordingDelegate>();
    f->setDelegate(delegate);
    f->addFile(path, std::nullopt, std::nullopt, "file");
    ASSERT_TRUE(f->error()) << path;
    EXPECT_EQ(f->error()->domain(), "HXHTTPRequestErrorDomain");
    EXPECT_EQ(f->error()->code(), 6);
    EXPECT_EQ(f->error()->localizedDescription(), "No file exists at " + path);
    EXPECT_TRUE(runMainLoopUntil([&] { return delegate->failed; }));
    // The part is kept, with the defaults.
    ASSERT_TRUE(f->fileData());
    ASSERT_EQ(f->fileData()->size(), 1u);
    EXPECT_EQ((*f->fileData())[0].fileName, lastPathComponent(path));
    EXPECT_EQ((*f->fileData())[0].contentType, "application/octet-stream");
    // Started anyway, it ends without sending anything.
    f->startAsynchronous();
    EXPECT_TRUE(runMainLoopUntil([&] { return f->isFinished(); }));
  }
  EXPECT_EQ(server.count(), 0u);
}

TEST(HXFormDataRequest, ACopyCarriesTheFormAndSendsTheSameBody) {
  FormServer server;
  auto f = form(server.url());
  f->addPostValue(Value("1"), "a");
  f->addData(Value::data("bytes"), "b.bin", std::nullopt, "b");
  f->setStringEncoding(NSUTF8StringEncoding);
  auto copy = std::dynamic_pointer_cast<HXFormDataRequest>(f->copyWithZone());
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->postData()->size(), 1u);
  EXPECT_EQ(copy->fileData()->size(), 1u);
  EXPECT_EQ(copy->requestMethod(), "POST");
  send(copy);
  auto got = server.last();
  std::string b = boundaryOf(got.header("Content-Type"));
  ASSERT_FALSE(b.empty());
  EXPECT_NE(got.body.find("name=\"b\"; filename=\"b.bin\"\r\nContent-Type: "
                          "application/octet-stream\r\n\r\nbytes\r\n--" +
                          b + "--\r\n"),
            std::string::npos);
}
