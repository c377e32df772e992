#include "net/api/ServerResult.h"

#include "Common/Additions/NSDictionary+Values.h"
#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"

namespace {

struct Dialect {
  std::string_view success, code, message, payload;
};

constexpr Dialect kContent{"ResultBoolean", "ResultCode", "ResultMsg", "ResultObj"};
constexpr Dialect kLog{"Result", "ErrorCode", "Error", "Request"};

std::shared_ptr<ServerResult> read(std::string_view text, const Dialect* dialect) {
  auto result = std::make_shared<ServerResult>();
  Value reply = objectFromJSONString(text);
  if (!reply.isDictionary()) return result;
  const Value empty("");
  if (dialect) {
    result->resultSuccess = getBoolValueForKey(reply, dialect->success, false);
    result->resultCode = getIntValueForKey(reply, dialect->code, 0);
    result->resultMsg = getStringValueForKey(reply, dialect->message, empty);
    result->resultObj = getStringValueForKey(reply, dialect->payload, empty);
  } else {
    result->resultCode = getIntValueForKey(reply, "error_code", 0);
    result->resultMsg = getStringValueForKey(reply, "error", empty);
    result->resultObj = getStringValueForKey(reply, "request", empty);
    result->resultSuccess = result->resultCode == 0;
  }
  return result;
}

}  // namespace

std::shared_ptr<ServerResult> ServerResult::resultWithJSONString(std::string_view text) {
  return read(text, &kContent);
}

std::shared_ptr<ServerResult> ServerResult::resultWithLogJSONString(std::string_view text) {
  return read(text, &kLog);
}

std::shared_ptr<ServerResult> ServerResult::resultWithZizaJSONString(std::string_view text) {
  return read(text, nullptr);
}

std::string ServerResult::replyText(bool ok, std::string_view message) {
  // Written by the JSON writer so that any message stays valid JSON (bytes that are not UTF-8
  // become question marks); the platform dictionary keeps the key order of the fixed text.
  // The reader refuses an escaped NUL, so NULs are left out.
  std::string text(message);
  std::erase(text, '\0');
  auto reply = makeDictionary({{"ResultCode", Value("1")},
                               {"ResultBoolean", Value(ok ? "YES" : "NO")},
                               {"ResultMsg", Value(std::move(text))}});
  Value written = JSONString(reply);
  // The writer passes a noncharacter on as it is, which the reader refuses: a message the
  // reply would not read back with is left out.
  if (written.isString() && objectFromJSONString(written.string()).isDictionary())
    return std::string(written.string());
  return ok ? R"({"ResultCode":"1","ResultBoolean":"YES","ResultMsg":""})"
            : R"({"ResultCode":"1","ResultBoolean":"NO","ResultMsg":""})";
}

std::string ServerResult::getErrorJsonString() {
  return replyText(false, NSBundle::mainBundle()->localizedStringForKey("NetworkConnectionFail"));
}

std::string ServerResult::getJsonStringIsOk(bool ok) {
  return replyText(ok, ok ? "发送成功" : "发送失败");
}

std::string ServerResult::getCommentStringIsOk(bool ok) {
  return replyText(ok, ok ? "评论成功!" : "评论失败!");
}

std::string ServerResult::getJsonStringIsOk(bool ok, std::string_view message) {
  return replyText(ok, message);
}

bool ServerResult::isPlatformTokenError(int code) {
  return code == 21319 || code == 21325 || code == 21327 || code == 21332;
}
