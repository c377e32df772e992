// The one reply parser: turns reply texts of the content server and the microblog platform
// into model records.  Class methods only; every call builds fresh records and keeps nothing.
//
// Common rules: a reply that is not JSON, or whose top-level value is not of the expected type,
// gives nil (nullptr / std::nullopt); list elements that are not dictionaries are skipped; the
// envelope keys ("ResultBoolean", "ResultCode", "ResultMsg") are the caller's business.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"
#include "model/ChannelItem.h"
#include "model/NSAdInfo.h"
#include "model/NSLoginData.h"
#include "model/NSStatusesInfo.h"
#include "model/NSUserProfile.h"
#include "model/NSUserProfileItem.h"
#include "model/Status.h"
#include "model/User.h"

class ZizaJsonStatusParser {
 public:
  ZizaJsonStatusParser() = delete;

  // ---- Status lists, statuses and users ----

  // A JSON array of status dictionaries.
  static std::optional<StatusArray> parseToStatuses(std::string_view reply);
  static std::optional<StatusArray> parseToStatusArray(std::string_view reply);
  // A dictionary with a "statuses" array (timelines, channel pages and their cached copies).
  static std::optional<StatusArray> parseDicToStatuses(std::string_view reply);
  // A status page with its paging cursors; the page comes back even without "statuses".
  static std::shared_ptr<NSStatusesInfo> parseDicToStatusesInfo(std::string_view reply);
  // A content-server channel page: as above, plus "query_id" in otherInfo and the sponsor
  // status as the page's second item.
  static std::shared_ptr<NSStatusesInfo> parseDicToNormalStatusesInfo(std::string_view reply);
  // Builds nothing: there is no product list of statuses.
  static std::optional<StatusArray> parseDicToProductStatuses(std::string_view reply);
  static StatusPtr parseToStatus(std::string_view reply);
  static StatusPtr dicToStatus(const NSDictionary& dic);
  static UserPtr parseToUser(std::string_view reply);
  static UserPtr dicToUser(const NSDictionary& dic);
  // A search result entry: id, name and avatar only.
  static UserPtr dicToSearchUser(const NSDictionary& dic);
  // An array of users, or a dictionary whose "results" holds search entries; never nil (a
  // reply that is not JSON gives an empty list).
  static std::vector<UserPtr> parseToSearchUserList(std::string_view reply);
  // Replaces the server's entities and escaped punctuation; an empty text stays empty.
  static std::string stringReplaceSpecialPunctuation(std::string_view text);
  // Reduces an anchor source to its display text and derives the missing picture addresses.
  static void toSetStatusURL(Status& status);
  // For a status without a repost: moves a picture address trailing a "[来源" note out of the
  // text into thumbnailPic.
  static void setRepostImage(Status& status);

  // ---- Adverts, login switches and profile ----

  static NSAdInfoPtr dicToAdInfo(const NSDictionary& dic);
  // An advert dictionary.
  static NSAdInfoPtr parseToAdInfo(std::string_view reply);
  // The advert under "adInfo" of a channel page.
  static NSAdInfoPtr parseToStatueAdInfo(std::string_view reply);
  // A banner list: a JSON array of adverts.
  static std::optional<std::vector<NSAdInfoPtr>> parseToAdList(std::string_view reply);
  // The login or session re-open reply; a missing switch takes its default.
  static NSLoginDataPtr parseToLogin(std::string_view reply);
  // The basic profile reply: any dictionary gives a new record, nothing is read from it.
  static NSLoginDataPtr parseToProfile(std::string_view reply);

  // ---- Channel entries and user set-up ----

  // One channel dictionary; a record is always made (initial values for a non-dictionary).
  static ChannelItemPtr parseToChannel(const Value& channel);
  // A JSON array of channel dictionaries.
  static std::optional<ChannelItemArray> praseToChannelList(std::string_view reply);
  // The set-up option lists: the "title" texts under "industrysectorlist", "jobtitlelist" and
  // "businesstypes" (each only when it is an array), and "enable" (YES when absent).
  static ValueDictionary parseToUserSetup(std::string_view reply);
  static std::shared_ptr<NSUserProfileItem> dicToUserSetup(const NSDictionary& dic);
  // One wizard step; an empty profile when the reply is not a dictionary.
  static std::shared_ptr<NSUserProfile> parseToNormalUserSetup(std::string_view reply);
  // The titles of the reader's interests.
  static std::optional<std::vector<std::string>> parseToZiViInfo(std::string_view reply);

 private:
  static StatusPtr dicToStatus(const NSDictionary& dic, int depth);
  static UserPtr dicToUser(const NSDictionary& dic, int depth);
  static void fillStatuses(NSStatusesInfo& info, const NSDictionary& dic);
};
