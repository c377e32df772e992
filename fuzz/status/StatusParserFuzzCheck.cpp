#include "status/StatusParserFuzzCheck.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "FuzzHome.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

using P = ZizaJsonStatusParser;

template <class T>
size_t countOf(const std::optional<std::vector<T>>& list) {
  return list ? list->size() : 0;
}
template <class T>
size_t countOf(const std::vector<T>& list) {
  return list.size();
}

// A status keeps text that was UTF-8 as UTF-8 through the link and picture clean-ups.
std::string checkStatus(const Status& s, bool utf8) {
  for (const RecordText* t : {&s.text, &s.source, &s.thumbnailPic, &s.bmiddlePic, &s.originalPic})
    if (utf8 && !isValidUTF8(*t)) return "a status text is no longer UTF-8: " + *t;
  Status copy = s;
  P::toSetStatusURL(copy);
  P::setRepostImage(copy);
  for (const RecordText* t : {&copy.text, &copy.source, &copy.thumbnailPic})
    if (utf8 && !isValidUTF8(*t)) return "a status text cut inside a character: " + *t;
  return {};
}

std::string checkStatuses(const std::optional<StatusArray>& list, bool utf8) {
  if (!list) return {};
  for (const StatusPtr& s : *list) {
    if (!s) return "a null status";
    std::string fault = checkStatus(*s, utf8);
    if (!fault.empty()) return fault;
  }
  return {};
}

// The cache file after an edit: a JSON dictionary whose list holds at most 1000 items and,
// after a merge, says how many in "total_number".
std::string checkCache(const std::string& path, std::string_view listKey, bool merged) {
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return {};
  Value cache = objectFromJSONString(*bytes);
  if (!cache.isDictionary()) return {};  // a content-server page is kept as it came
  Value list = cache[listKey];
  if (!list.isArray()) return {};
  if (list.count() > 1000) return "a cached list of " + std::to_string(list.count()) + " items";
  if (merged && cache["total_number"].isNumber() &&
      cache["total_number"].longLongValue() != (long long)list.count())
    return "a cached count that is not the list's";
  return {};
}

}  // namespace

std::string statusParserFuzzCheck(const uint8_t* data, size_t size) {
  ensureFuzzHome();
  std::string_view reply(reinterpret_cast<const char*>(data), size);
  // Every record comes from a dictionary of the reply, every text from a string.
  const size_t dictionaries = size_t(std::count(reply.begin(), reply.end(), '{'));
  const bool utf8 = isValidUTF8(reply);
  std::string fault;
  auto bounded = [&](const char* name, size_t n, size_t limit) {
    if (fault.empty() && n > limit)
      fault = std::string(name) + " made " + std::to_string(n) + " records of " +
              std::to_string(limit) + " dictionaries";
  };

  auto statuses = P::parseToStatuses(reply);
  bounded("parseToStatuses", countOf(statuses), dictionaries);
  if (fault.empty()) fault = checkStatuses(statuses, utf8);
  auto dicStatuses = P::parseDicToStatuses(reply);
  bounded("parseDicToStatuses", countOf(dicStatuses), dictionaries);
  if (fault.empty()) fault = checkStatuses(dicStatuses, utf8);
  bounded("parseToStatusArray", countOf(P::parseToStatusArray(reply)), dictionaries);
  for (auto info : {P::parseDicToStatusesInfo(reply), P::parseDicToNormalStatusesInfo(reply),
                    P::parseDicToCommentsInfo(reply), P::parseDicToRetweetsInfo(reply),
                    P::parseDicToTopicList(reply)}) {
    if (!info) continue;
    bounded("a page's statuses", countOf(info->statuses), dictionaries + 1);
    bounded("a page's comments", countOf(info->comments), dictionaries);
    if (fault.empty()) fault = checkStatuses(info->statuses, utf8);
  }
  P::parseDicToProductStatuses(reply);
  if (auto s = P::parseToStatus(reply); s && fault.empty()) fault = checkStatus(*s, utf8);
  P::parseToUser(reply);
  bounded("parseToSearchUserList", countOf(P::parseToSearchUserList(reply)), dictionaries);
  std::string punctuated = P::stringReplaceSpecialPunctuation(reply);
  if (fault.empty() && utf8 && !isValidUTF8(punctuated))
    fault = "stringReplaceSpecialPunctuation broke UTF-8";

  P::parseToComment(reply);
  bounded("parseDicToComments", countOf(P::parseDicToComments(reply)), dictionaries);
  bounded("parseToComments", countOf(P::parseToComments(reply)), dictionaries);
  bounded("parseToRetweet", countOf(P::parseToRetweet(reply)), dictionaries);
  P::countOfCommentsInfo(reply);
  bounded("parseToCD_Count", countOf(P::parseToCD_Count(reply)), dictionaries);
  P::parseToContent(reply, "");

  P::parseToAdInfo(reply);
  P::parseToStatueAdInfo(reply);
  bounded("parseToAdList", countOf(P::parseToAdList(reply)), dictionaries);
  P::parseToLogin(reply);
  P::parseToProfile(reply);

  bounded("praseToChannelList", countOf(P::praseToChannelList(reply)), dictionaries);
  P::parseToUserSetup(reply);
  if (auto wizard = P::parseToNormalUserSetup(reply))
    bounded("parseToNormalUserSetup", wizard->profilelist.size(), dictionaries);
  bounded("parseToZiViInfo", countOf(P::parseToZiViInfo(reply)), size);

  for (auto list : {P::parseToFiles(reply), P::parseToClientFriend(reply), P::parseToFriend(reply)})
    if (list) bounded("a friend list", list->info.size(), dictionaries);
  P::isFriends(reply);
  bounded("parseToFavorites", countOf(P::parseToFavorites(reply)), dictionaries);
  bounded("parseToClientTrends", countOf(P::parseToClientTrends(reply)), size);
  bounded("parseToTrends", countOf(P::parseToTrends(reply)), size);
  bounded("parseToChannelArray", countOf(P::parseToChannelArray(reply)), dictionaries);

  bounded("parseToSeminar", countOf(P::parseToSeminar(reply)), dictionaries);
  bounded("parseToDialogList", countOf(P::parseToDialogList(reply)), dictionaries);
  bounded("parseToWenTiGenZong", countOf(P::parseToWenTiGenZong(reply)), dictionaries);
  bounded("parseToAttendList", countOf(P::parseToAttendList(reply)), dictionaries);
  bounded("parseToBannerList", countOf(P::parseToBannerList(reply)), dictionaries);
  if (ValueArray expo = P::parseToVEZI(reply))
    bounded("parseToVEZI", expo->count(), dictionaries + 1);
  if (auto companies = P::praseToCompanyList(reply))
    bounded("praseToCompanyList", countOf(companies->statuses), dictionaries);

  P::parseToMsgInfo(reply);
  P::parseToZizaMsgInfo(reply);
  bounded("parseToHotSearchList", countOf(P::parseToHotSearchList(reply)), dictionaries);
  bounded("parseToFanKuiList", countOf(P::parseToFanKuiList(reply)), dictionaries);
  bounded("parseToCerSearchList", countOf(P::parseToCerSearchList(reply)), dictionaries);
  bounded("parseToRealTimeQuotesList", countOf(P::parseToRealTimeQuotesList(reply)), dictionaries);
  bounded("parseToShopList", countOf(P::parseToShopList(reply)), dictionaries);
  P::parseToShopDicList(reply);
  if (auto location = P::parseToZiViLocation(reply))
    bounded("parseToZiViLocation", location->teamList.size(), dictionaries);
  if (!fault.empty()) return fault;

  // The cached-list edits: the input is the cached text and the new page at once.
  const std::string path = NSLibraryDirectory() + "/fuzz-cache.json";
  auto edited = [&](const char* name, std::string_view listKey, bool merged,
                    const std::function<void()>& edit) {
    NSFileManager::defaultManager().removeItemAtPath(path);
    edit();
    std::string f = checkCache(path, listKey, merged);
    return f.empty() ? f : std::string(name) + ": " + f;
  };
  for (bool pre : {false, true}) {
    fault = edited("addInArray", "statuses", true, [&] { P::addInArray(path, reply, reply, pre); });
    if (fault.empty())
      fault = edited("addInZizaArray", "statuses", true,
                     [&] { P::addInZizaArray(path, reply, reply, pre); });
    if (fault.empty())
      fault = edited("addInZizaComment", "comments", true,
                     [&] { P::addInZizaComment(path, reply, reply, pre); });
    if (!fault.empty()) return fault;
  }
  fault = edited("removeInArray", "statuses", false, [&] { P::removeInArray(path, reply, 0); });
  if (fault.empty())
    fault = edited("modifyAdInfo", "statuses", false, [&] { P::modifyAdInfo(path, reply, reply); });
  if (fault.empty())
    fault = edited("addInComment", "comments", false, [&] {
      writeToFile(path, reply, true);
      P::addInComment(path, reply);
    });
  NSFileManager::defaultManager().removeItemAtPath(path);
  return fault;
}
