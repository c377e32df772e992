#include <gtest/gtest.h>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "net/api/ServerResult.h"

namespace {

TEST(ServerResult, ContentReplySuccess) {
  auto r = ServerResult::resultWithJSONString(
      R"({"ResultBoolean":"YES","ResultCode":"0","ResultMsg":"ok","ResultObj":{"id":7}})");
  EXPECT_TRUE(r->resultSuccess);
  EXPECT_EQ(r->resultCode, 0);
  EXPECT_EQ(r->resultMsg, Value("ok"));
  ASSERT_TRUE(r->resultObj.isDictionary());
  EXPECT_EQ(r->resultObj["id"].intValue(), 7);
}

TEST(ServerResult, ContentReplyValuesAsTheReaderGaveThem) {
  auto r = ServerResult::resultWithJSONString(
      R"({"ResultBoolean":true,"ResultCode":21327,"ResultMsg":null,"ResultObj":[1,2]})");
  EXPECT_TRUE(r->resultSuccess);
  EXPECT_EQ(r->resultCode, 21327);
  EXPECT_EQ(r->resultMsg, Value(""));  // null reads as the empty text
  EXPECT_TRUE(r->resultObj.isArray());
  auto numberMsg = ServerResult::resultWithJSONString(R"({"ResultMsg":12})");
  EXPECT_FALSE(numberMsg->resultSuccess);
  EXPECT_TRUE(numberMsg->resultMsg.isNumber());  // kept as the number it was
  EXPECT_EQ(numberMsg->resultObj, Value(""));
}

TEST(ServerResult, NonDictionaryRepliesReadAsEmptyFailure) {
  for (const char* text : {"[1,2]", "", "not json", "\"YES\"", "{\"ResultBoolean\":"}) {
    auto r = ServerResult::resultWithJSONString(text);
    EXPECT_FALSE(r->resultSuccess) << text;
    EXPECT_EQ(r->resultCode, 0) << text;
    EXPECT_TRUE(r->resultMsg.isNil()) << text;
    EXPECT_TRUE(r->resultObj.isNil()) << text;
  }
}

TEST(ServerResult, LogServerDialect) {
  auto r = ServerResult::resultWithLogJSONString(R"({"Result":true})");
  EXPECT_TRUE(r->resultSuccess);
  EXPECT_EQ(r->resultCode, 0);
  auto f = ServerResult::resultWithLogJSONString(
      R"({"Result":false,"ErrorCode":"12","Error":"bad","Request":"/log"})");
  EXPECT_FALSE(f->resultSuccess);
  EXPECT_EQ(f->resultCode, 12);
  EXPECT_EQ(f->resultMsg, Value("bad"));
  EXPECT_EQ(f->resultObj, Value("/log"));
}

TEST(ServerResult, PlatformDialectSucceedsOnCodeZero) {
  auto ok = ServerResult::resultWithZizaJSONString(R"({"id":1,"text":"hi"})");
  EXPECT_TRUE(ok->resultSuccess);
  EXPECT_EQ(ok->resultCode, 0);
  auto bad = ServerResult::resultWithZizaJSONString(
      R"({"error_code":21327,"error":"expired_token","request":"/2/statuses/update.json"})");
  EXPECT_FALSE(bad->resultSuccess);
  EXPECT_EQ(bad->resultCode, 21327);
  EXPECT_EQ(bad->resultMsg, Value("expired_token"));
  EXPECT_EQ(bad->resultObj, Value("/2/statuses/update.json"));
  EXPECT_FALSE(ServerResult::resultWithZizaJSONString("[]")->resultSuccess);
}

TEST(ServerResult, SyntheticReplies) {
  std::string failure = NSBundle::mainBundle()->localizedStringForKey("NetworkConnectionFail");
  ASSERT_NE(failure, "NetworkConnectionFail");
  EXPECT_EQ(ServerResult::getErrorJsonString(),
            R"({"ResultCode":"1","ResultBoolean":"NO","ResultMsg":")" + failure + "\"}");
  auto r = ServerResult::resultWithJSONString(ServerResult::getErrorJsonString());
  EXPECT_FALSE(r->resultSuccess);
  EXPECT_EQ(r->resultCode, 1);
  EXPECT_EQ(r->resultMsg, Value(failure));

  EXPECT_EQ(ServerResult::getJsonStringIsOk(true),
            R"({"ResultCode":"1","ResultBoolean":"YES","ResultMsg":"发送成功"})");
  EXPECT_EQ(ServerResult::getJsonStringIsOk(false),
            R"({"ResultCode":"1","ResultBoolean":"NO","ResultMsg":"发送失败"})");
  EXPECT_EQ(ServerResult::getCommentStringIsOk(true),
            R"({"ResultCode":"1","ResultBoolean":"YES","ResultMsg":"评论成功!"})");
  EXPECT_EQ(ServerResult::getCommentStringIsOk(false),
            R"({"ResultCode":"1","ResultBoolean":"NO","ResultMsg":"评论失败!"})");
  auto ok = ServerResult::resultWithJSONString(ServerResult::getJsonStringIsOk(true));
  EXPECT_TRUE(ok->resultSuccess);
  EXPECT_EQ(ok->resultCode, 1);
}

TEST(ServerResult, SyntheticReplyOfAnyMessageStaysJSON) {
  const std::string message = "he said \"no\"\\ \n\t/ 中文";
  std::string text = ServerResult::getJsonStringIsOk(false, message);
  EXPECT_TRUE(objectFromJSONString(text).isDictionary()) << text;
  auto r = ServerResult::resultWithJSONString(text);
  EXPECT_FALSE(r->resultSuccess);
  EXPECT_EQ(r->resultMsg, Value(message));

  // The reader refuses an escaped NUL, so a NUL of the message is left out rather than making
  // the whole reply unreadable (a success read as a failure).
  for (bool ok : {true, false}) {
    auto withNul = ServerResult::resultWithJSONString(
        ServerResult::getJsonStringIsOk(ok, std::string("a\0b\0", 4)));
    EXPECT_EQ(withNul->resultSuccess, ok);
    EXPECT_EQ(withNul->resultMsg, Value("ab"));
  }
  // Nor does it take a noncharacter, which the writer passes on as it is: such a message is
  // left out, and the verdict stays.
  for (bool ok : {true, false}) {
    auto withNoncharacter = ServerResult::resultWithJSONString(
        ServerResult::getJsonStringIsOk(ok, "a\xEF\xBF\xBF and \xF1\xBF\xBF\xBF"));
    EXPECT_EQ(withNoncharacter->resultSuccess, ok);
    EXPECT_EQ(withNoncharacter->resultCode, 1);
    EXPECT_EQ(withNoncharacter->resultMsg, Value(""));
  }
}

}  // namespace
