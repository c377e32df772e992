// The usage-log uploads: the whole log file at start-up and the current section's actions.
#include "Foundation/NSDate.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSConfig.h"
#include "core/NSDesEncrypt.h"
#include "core/NSSectionItem.h"
#include "core/StoredKeys.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"

namespace {

std::string storedClientKey() {
  Value key = NSUserDefaults::standardUserDefaults()->objectForKey(kRegisterClientKey);
  return key.isString() ? std::string(key.string()) : std::string();
}

std::string now(std::string_view pattern) {
  NSDateFormatter formatter;
  formatter.setDateFormat(pattern);
  return formatter.stringFromDate(NSDate::date());
}

Value appId() {
  return Value(NSConfig::readValueWithKey(kAppIdKey).description());
}

}  // namespace

void ClientRequest::postLog(const std::string& path) {
  auto d = std::make_shared<NSMutableDictionary>();
  d->setObject(Value(path), "file");
  if (std::string key = storedClientKey(); !key.empty()) d->setObject(Value(key), "keys");
  d->setObject(appId(), "appId");
  addComParamers(d);
  postQueue_->postFile("/upLoad.aspx", d);
}

void ClientRequest::postCurActionLogs(const std::shared_ptr<NSSectionItem>& section) {
  if (!section || section->actionsArray().empty()) return;
  auto d = std::make_shared<NSMutableDictionary>();
  if (std::string key = storedClientKey(); !key.empty()) d->setObject(Value(key), "key");
  addComParamers(d);
  d->setObject(Value(Value(getNetworkType()).intValue() + 1), "Conn");
  d->setObject(Value(now("yyyy-MM-dd HH:mm:ss")), "SubmitTime");
  d->setObject(Value(section->sId().value_or("") + now("yyMMddHHmmss")), "sId");
  d->setObject(Value(NSDesEncrypt::tripleDES(std::to_string(section->zizaId()), true)), "Id");
  d->setObject(Value(NSDesEncrypt::tripleDES(
                   ZizaJsonStatusParser::reParserActionArray(section->actionsArray()), true)),
               "Actionlogs");
  d->setObject(appId(), "appid");
  postQueue_->postFile("/post.aspx", d);
}
