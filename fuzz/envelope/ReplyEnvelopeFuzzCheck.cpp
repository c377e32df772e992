#include "envelope/ReplyEnvelopeFuzzCheck.h"

#include <string_view>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSString.h"
#include "net/api/ServerResult.h"

std::string replyEnvelopeFuzzCheck(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const bool dictionary = objectFromJSONString(text).isDictionary();
  for (auto read : {&ServerResult::resultWithJSONString, &ServerResult::resultWithLogJSONString,
                    &ServerResult::resultWithZizaJSONString}) {
    auto r = read(text);
    if (!r) return "no result";
    if (!dictionary) {
      if (r->resultSuccess || r->resultCode != 0 || !r->resultMsg.isNil() || !r->resultObj.isNil())
        return "a reply that is no dictionary reads as something";
      continue;
    }
    if (r->resultMsg.isNil() || r->resultObj.isNil())
      return "a dictionary reply without its message or payload";
    if (read == &ServerResult::resultWithZizaJSONString && r->resultSuccess != (r->resultCode == 0))
      return "a platform reply whose success is not its code 0";
  }

  // The synthetic replies carry any message: text as it is, without NUL (which the reader
  // refuses escaped); bytes that are not UTF-8 come back as question marks, and a message
  // holding a noncharacter is left out.
  std::string sent(text);
  std::erase(sent, '\0');
  for (bool ok : {true, false}) {
    auto r = ServerResult::resultWithJSONString(ServerResult::replyText(ok, text));
    if (!r || r->resultSuccess != ok || r->resultCode != 1) return "a synthetic reply misread";
    if (!r->resultMsg.isString()) return "a synthetic reply without its message";
    const std::string message(r->resultMsg.string());
    if (message != sent && (isValidUTF8(sent) ? !message.empty() : !isValidUTF8(message)))
      return "a synthetic reply's message comes back as " + message;
  }
  return {};
}
