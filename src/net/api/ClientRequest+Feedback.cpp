// User feedback and crash reports (request types 59 and 98): one post to "/feedback.aspx" whose
// body is an enciphered JSON description of the device with the user's text.
#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Foundation/NSBundle.h"
#include "UIKit/UIDevice.h"
#include "core/NSConfig.h"
#include "core/NSDesEncrypt.h"
#include "core/NSGlobe.h"
#include "core/StoredKeys.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"

namespace {

std::string textOr(const Value& v) {
  return v.isString() ? std::string(v.string()) : std::string();
}

}  // namespace

void ClientRequest::userFeedBack(const Value& userMessage, const Value& content,
                                 const Value& type) {
  ValueDictionary parameters = newParameters();
  parameters->setObject(Value(textOr(type)), "type");
  parameters->setObject(Value(NSConfig::readValueWithKey(kAppIdKey).description()), "appid");

  auto account = ClientPlatformAccount::current();
  ValueDictionary body = makeDictionary({
      {"zizaid", Value(account ? account->userID() : std::string())},
      {"imsi", Value("9")},
      {"mfg", Value("QX001")},
      {"ver",
       Value(NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion").description())},
      {"imei", Value("000000")},
      {"model", Value(NSGlobe::getDeviceName())},
      {"macaddress", Value(NSGlobe::getMacAddress())},
      {"osver", Value(UIDevice::currentDevice()->systemVersion())},
      {"brand", Value("Apple")},
      {"content", Value(textOr(content))},
      {"usermsg", Value(textOr(userMessage))},
  });
  Value json = JSONString(body);
  std::string cipher =
      NSDesEncrypt::tripleDES(json.isString() ? std::string(json.string()) : "{}", true);
  postQueue_->postInfo("/feedback.aspx", parameters, cipher);
}
