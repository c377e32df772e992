// The content-server client's profile wizard endpoints: the option lists, the questionnaire
// steps, the reader's industry, job and business choice, the baby wizard's interests and the
// channel choice.
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/EndpointParameters.h"

using namespace endpoint;

namespace {

// Server groups of the post sender's plain requests.
constexpr int kContentServer = 0;
constexpr int kPostServer = 1;

void sendPlain(ClientPostRequest& sender, int serverType, std::string_view path,
               const ValueDictionary& parameters) {
  sender.setServerType(serverType);
  sender.reQuestNormalUrl(path, parameters);
  sender.setServerType(kContentServer);
}

}  // namespace

void ClientRequest::getUserSetupInfo() {
  sendPlain(*postQueue_, kContentServer, "/Profile/UserProfileOption.aspx", newParameters());
}

void ClientRequest::getZiviSetupInfo() {
  sendPlain(*postQueue_, kContentServer, "/Profile/UserProfileOption.aspx", newParameters());
}

void ClientRequest::getUserNormalSetupInfo(const Value& type) {
  auto d = std::make_shared<NSMutableDictionary>();
  std::string key = getRegisterClientKey();
  if (!key.empty()) d->setObject(Value(key), "keys");
  put(d, "type", ifGiven(type));
  addComParamers(d);
  sendOwn("/Profile/UserGuide.aspx", d, false, false);
}

void ClientRequest::getUserSelectSetupInfo(const Value& industrySector, const Value& jobTitle,
                                           const Value& businessType) {
  auto d = newParameters();
  put(d, "industrySector", ifGiven(industrySector));
  put(d, "jobtitle", ifGiven(jobTitle));
  put(d, "businesstype", ifGiven(businessType));
  d->setObject(Value(is2x()), "is2x");
  sendPlain(*postQueue_, kPostServer, "/Profile/UserIndustrySectorSaveV2.aspx", d);
}

void ClientRequest::getUserSelectSetupInfo(const Value& profile, const Value& type) {
  auto d = newParameters();
  put(d, "profile", profile);
  put(d, "type", type);
  d->setObject(Value(is2x()), "is2x");
  methodType_ = 1;
  serverType_ = 1;
  reQuestUrl("/Profile/UserGuideSave.aspx", d);
  methodType_ = 0;
  serverType_ = 0;
}

void ClientRequest::getZiViSelectSetupInfo(const Value& interest, const Value& birthdate,
                                           const Value& gender) {
  auto d = newParameters();
  put(d, "interest", interest);
  put(d, "birthday", birthdate);
  put(d, "gender", gender);
  sendPlain(*postQueue_, kPostServer, "/Profile/ProfileRegister.aspx", d);
}

void ClientRequest::saveUserSelectChannelSetupInfo(const Value& profileId) {
  auto d = newParameters();
  put(d, "profileId", profileId);
  sendPlain(*postQueue_, kPostServer, "/Profile/UserChannelSave.aspx", d);
}

void ClientRequest::saveZiViUserSelectSetupInfo(const Value& interest) {
  auto d = newParameters();
  put(d, "interest", interest);
  sendAccountGet("/Profile/UserChannelSave.aspx", d);
}

void ClientRequest::saveUserSelectSetupInfo(const Value& profileId) {
  auto d = newParameters();
  put(d, "profileId", profileId);
  sendPlain(*postQueue_, kPostServer, "/Profile/UserProfileSave.aspx", d);
}
