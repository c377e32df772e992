// The content-server client's advert endpoints: an item's and a channel's adverts, the records
// of adverts hidden and shown, the banner list, and the tracked links adverts open.
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "model/NSAdInfo.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/EndpointParameters.h"

using namespace endpoint;

namespace {

// The tag of the advert reads, by which screens cancel them.
constexpr int kAdvertTag = 7;

// "keys=...&std=..." of the tracked links.
std::string keyAndVersion() {
  return "keys=" + ClientRequest::engine()->getRegisterClientKey() +
         "&std=" + localized("SERVER_VERSION");
}

std::string adIdOf(const std::shared_ptr<NSAdInfo>& ad) {
  return std::to_string(ad ? ad->adId : 0);
}

std::string linkOf(const std::shared_ptr<NSAdInfo>& ad) {
  return ad ? ad->c_link_url : std::string();
}

}  // namespace

void ClientRequest::getADInfo(const Value& eventId, std::weak_ptr<NSObject> receiver,
                              Selector action) {
  auto d = newParameters();
  put(d, "eid", eventId);
  d->setObject(Value(currentChannelId()), "channelID");
  putSource(d);
  methodType_ = 0;
  serverType_ = 0;
  reQueueUrl("/AD/AD_Get.aspx", d, std::move(receiver), std::move(action), kAdvertTag, true);
}

void ClientRequest::getChannelADInfo(const Value& channelId, std::weak_ptr<NSObject> receiver,
                                     Selector action) {
  auto d = newParameters();
  put(d, "channelid", channelId);
  methodType_ = 0;
  serverType_ = 0;
  reQueueUrl("/AD/ADChannelList.aspx", d, std::move(receiver), std::move(action), kAdvertTag,
             false);
}

// The records of adverts hidden and shown: the advert ids, the current channel and the page
// that led the reader here, to the post server without reply.
void ClientRequest::sendAdvertRecord(std::string_view path, const Value& adIds) {
  auto d = newParameters();
  put(d, "id", adIds);
  d->setObject(Value(currentChannelId()), "channelID");
  putSource(d);
  serverType_ = 1;
  queueGet({.pathOrURL = path, .parameters = d}, {}, Selector());
  serverType_ = 0;
}

void ClientRequest::closeAd(const Value& adId) {
  sendAdvertRecord("/AD/AD_Hide.aspx", adId);
}

void ClientRequest::showAdOk(const Value& adId) {
  sendAdvertRecord("/AD/AD_show.aspx", adId);
}

void ClientRequest::showAdOkList(const Value& adIds) {
  // Every id follows a comma, the first one too.
  std::string ids;
  for (size_t i = 0; i < adIds.count(); ++i) ids += "," + textOf(adIds[i]);
  sendAdvertRecord("/AD/AD_show.aspx", Value(ids));
}

void ClientRequest::getBannerList() {
  auto d = newParameters();
  d->setObject(Value(is2x()), "is2x");
  postQueue_->setServerType(0);
  postQueue_->setPostAction(replyHandlerNamed("getBannerListCallback:"), weakSelf<NSObject>());
  postQueue_->reQuestNormalUrl("/AD/GetBannerList.aspx", d, false);
  hideActivityIndicatorLater(self<ClientRequest>());
}

// ---- tracked links ----------------------------------------------------------------------------

std::string ClientRequest::addParameToUrl(std::string_view url,
                                          const std::shared_ptr<NSAdInfo>& adInfo,
                                          const Value& channelID) {
  return std::string(url) + "?channelid=" + textOf(channelID) + "&" + keyAndVersion() +
         "&id=" + adIdOf(adInfo);
}

std::string ClientRequest::getAdInfoUrl(const std::shared_ptr<NSAdInfo>& adInfo) {
  return linkOf(adInfo) + "?" + keyAndVersion() + "&id=" + adIdOf(adInfo);
}

std::string ClientRequest::addAdParameToUrl(const std::shared_ptr<NSAdInfo>& adInfo,
                                            const Value& eid, const Value& channelID) {
  std::string link = linkOf(adInfo) + "?";
  if (isGiven(eid)) link += "eid=" + textOf(eid) + "&";
  link += "channelid=" + textOf(channelID) + "&" + keyAndVersion() + "&id=" + adIdOf(adInfo);
  auto globe = NSGlobe::getEngine();
  if (!globe->sourceInfo().empty() && !globe->sourceIds().empty())
    link += "&source=" + globe->sourceInfo() + "&ref_id=" + globe->sourceIds();
  return link;
}

std::string ClientRequest::addParameToUrl(std::string_view url, const Value& eid,
                                          const Value& channelID) {
  std::string link = std::string(url) + "?";
  if (isGiven(eid)) link += "eid=" + textOf(eid) + "&";
  return link + "channelid=" + textOf(channelID) + "&" + keyAndVersion();
}
