// The reply envelope: success flag, code, message and payload read from a reply text of the
// content server, the usage-log server or the microblog platform; and the synthetic replies
// the content-server client hands over in place of a server reply.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class ServerResult : public NSObject {
 public:
  bool resultSuccess = false;
  // The server's result or error code; 0 when absent.
  int resultCode = 0;
  // The message and the payload exactly as the JSON reader produced them ("" when absent in a
  // dictionary reply; nil when the reply was no dictionary at all).
  Value resultMsg;
  Value resultObj;

  // Content server: "ResultBoolean", "ResultCode", "ResultMsg", "ResultObj".
  static std::shared_ptr<ServerResult> resultWithJSONString(std::string_view text);
  // Usage-log server: "Result", "ErrorCode", "Error", "Request".
  static std::shared_ptr<ServerResult> resultWithLogJSONString(std::string_view text);
  // Microblog platform: "error_code", "error", "request"; success when the code is 0.
  static std::shared_ptr<ServerResult> resultWithZizaJSONString(std::string_view text);
  // The platform's token errors (21319, 21325, 21327, 21332): the bound account is no longer
  // accepted.  They come in the content server's "ResultCode" and in platform replies alike.
  static bool isPlatformTokenError(int code);

  // {"ResultCode":"1","ResultBoolean":"YES" or "NO","ResultMsg":message}: both forms carry
  // code "1"; receivers decide by "ResultBoolean".  The reply always reads back: NULs are left
  // out of the message, bytes that are not UTF-8 become "?", and a message holding a
  // noncharacter is left out whole.
  static std::string replyText(bool ok, std::string_view message);
  // The reply after a transport failure: the localised "NetworkConnectionFail".
  static std::string getErrorJsonString();
  // Post result: "发送成功" or "发送失败".
  static std::string getJsonStringIsOk(bool ok);
  // Comment result: "评论成功!" or "评论失败!".
  static std::string getCommentStringIsOk(bool ok);
  static std::string getJsonStringIsOk(bool ok, std::string_view message);
};

// A platform error reply.
struct ServerSideError {
  std::string request;
  int error_code = 0;
  std::string error;
};
