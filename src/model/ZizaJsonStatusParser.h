// The one reply parser: turns reply texts of the content server and the microblog platform
// into model records.  Class methods only; every call builds fresh records and keeps nothing.
//
// Common rules: a reply that is not JSON, or whose top-level value is not of the expected type,
// gives nil (nullptr / std::nullopt); list elements that are not dictionaries are skipped; the
// envelope keys ("ResultBoolean", "ResultCode", "ResultMsg") are the caller's business.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"
#include "core/NSSectionItem.h"
#include "core/RequestType.h"
#include "core/UsageLogFile.h"
#include "model/ChannelItem.h"
#include "model/Com_Ret_Count.h"
#include "model/Comment.h"
#include "model/NSAdInfo.h"
#include "model/NSBanner.h"
#include "model/NSBarnerItem.h"
#include "model/NSBaseItem.h"
#include "model/NSComInfo.h"
#include "model/NSCompanyDetailItem.h"
#include "model/NSCompanyItem.h"
#include "model/NSDialogPost.h"
#include "model/NSDialogPostWatch.h"
#include "model/NSFanKuiItem.h"
#include "model/NSFriendItem.h"
#include "model/NSIdollist.h"
#include "model/NSLoginData.h"
#include "model/NSMessageInfo.h"
#include "model/NSMsgItem.h"
#include "model/NSReChannelItem.h"
#include "model/NSRealTimeItem.h"
#include "model/NSSearchItem.h"
#include "model/NSSeminar.h"
#include "model/NSShopItem.h"
#include "model/NSStatusesInfo.h"
#include "model/NSTitleInfo.h"
#include "model/NSTopic.h"
#include "model/NSUserProfile.h"
#include "model/NSUserProfileItem.h"
#include "model/NSVOVUrivItem.h"
#include "model/NSZiViLocation.h"
#include "model/Status.h"
#include "model/Topic.h"
#include "model/User.h"

// Keys of the parseToContent result.
inline constexpr std::string_view kContentAdInfoKey = "NSAdInfo";
inline constexpr std::string_view kContentCommentsKey = "NSStatusesInfo";

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

  // ---- Cached reply edits ----
  //
  // A list screen's cache file is the reply text itself: a JSON dictionary with its list under
  // "statuses" or "comments" beside the cursors, "total_number" and whatever else the server
  // sent.  These edit that JSON in place (other keys survive) and write it back atomically as
  // UTF-8; a failed write is ignored.  `old` is the cached text as the caller read it from
  // `path` (nullopt when there is none); text that is not a JSON dictionary counts as an empty
  // reply.  Main thread only: two edits of one file must not overlap.
  //
  // Merge limits: at most 1000 items are kept; a page is appended only while the cache holds
  // fewer than 100 (prepending is not limited by that).

  // Merges a content-server page: with no cache the reply is written as it came; an empty
  // page changes nothing; the merged list is cut to a multiple of 20.
  static void addInArray(std::string_view path, std::optional<std::string_view> old,
                         std::string_view reply, bool isInPre);
  // Merges a platform timeline page ("statuses") or comments page ("comments"); an empty
  // page still rewrites the cursor and the count, and no multiple of 20 is kept.
  static void addInZizaArray(std::string_view path, std::optional<std::string_view> old,
                             std::string_view reply, bool isInPre);
  static void addInZizaComment(std::string_view path, std::optional<std::string_view> old,
                               std::string_view reply, bool isInPre);
  // Puts a just-sent comment (JSON text) first in the cached "comments"; cursors and count
  // stay.  An empty text or one that is not JSON writes nothing.
  static void addInComment(std::string_view path, std::string_view comment);
  // Sets one key of the first cached status whose "id" (resp. "Id") is the given id; a nil
  // value removes the key.  Nothing is written when the file is missing or nothing matches.
  static void updateStatus(int64_t statusId, std::string_view key, const Value& newValue,
                           std::string_view path);
  static void updateProduct(int64_t itemId, std::string_view key, const Value& newValue,
                            std::string_view path);
  // Removes the status at the row; a row outside the list writes nothing.
  static void removeInArray(std::string_view path, std::optional<std::string_view> old,
                            int32_t row);
  // Replaces the cached "adInfo" with the reply's (removed when the reply has none); both must
  // be dictionaries.
  static void modifyAdInfo(std::string_view path, std::optional<std::string_view> old,
                           std::string_view reply);

  // ---- Comments, reposts and counts ----

  static CommentPtr dicToComment(const NSDictionary& dic);
  // A comment dictionary.
  static CommentPtr parseToComment(std::string_view reply);
  // The records of a dictionary's "comments" array.
  static std::optional<CommentArray> parseDicToComments(std::string_view reply);
  // The same, with the reply's "next_cursor" on the last record (cursorId).
  static std::optional<CommentArray> parseToComments(std::string_view reply);
  // The statuses of a dictionary's "reposts" array, the last one carrying "next_cursor"
  // (cursor_id).
  static std::optional<StatusArray> parseToRetweet(std::string_view reply);
  // A comments page (records in `comments`) and a reposts page (records in `statuses`) with
  // their cursors; the page comes back even without its list.
  static std::shared_ptr<NSStatusesInfo> parseDicToCommentsInfo(std::string_view reply);
  static std::shared_ptr<NSStatusesInfo> parseDicToRetweetsInfo(std::string_view reply);
  // "total_number" of a comments page; 0 when the reply is not a dictionary.
  static int32_t countOfCommentsInfo(std::string_view reply);
  // A JSON array of {"id", "comments", "reposts"} counts.
  static std::optional<std::vector<Com_Ret_CountPtr>> parseToCD_Count(std::string_view reply);
  // A status content reply: kContentAdInfoKey holds the NSAdInfo of "adinfo", and when
  // "zizacomments" gives at least one comment, kContentCommentsKey holds that page and the
  // "zizacomments" dictionary is written to `savePath` as the comment list's cache.  Never nil.
  static ValueDictionary parseToContent(std::string_view reply, std::string_view savePath);

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

  // ---- Friends, topics and recommended channels ----

  // A platform user and a content-server user as a friend list entry.  A missing
  // "profile_image_url" gives the head text "(null)", as the platform formats nil.
  static std::shared_ptr<NSFriendItem> dictoFriend(const NSDictionary& dic);
  static std::shared_ptr<NSFriendItem> dictoUserFriend(const NSDictionary& dic);
  // A JSON array of friend groups: the users of every group, and in hasnext the number of
  // groups.  With two or more groups each group is also written, as a one-element array, to
  // the cache file of that group's own request.
  static std::shared_ptr<NSIdollist> parseToFiles(std::string_view reply);
  // A JSON array whose first element is one group: that group's users.
  static std::shared_ptr<NSIdollist> parseToClientFriend(std::string_view reply);
  // A platform followers page ("users", "next_cursor" in hasnext).
  static std::shared_ptr<NSIdollist> parseToFriend(std::string_view reply);
  // A platform friendship reply: whether "source" is followed by the other side.
  static bool isFriends(std::string_view reply);
  // The "id" of every favourite entry of a JSON array.
  static std::optional<std::vector<int64_t>> parseToFavorites(std::string_view reply);
  static std::shared_ptr<Topic> dicToTopic(const NSDictionary& dic);
  static std::shared_ptr<NSTopic> dicToNSTopic(const NSDictionary& dic);
  // A JSON array of hot topic names.
  static std::optional<std::vector<std::shared_ptr<Topic>>> parseToClientTrends(
      std::string_view reply);
  // A platform trends reply: the trends of every date under "trends" ("as_of" aside), in the
  // dictionary's own order.  Never nil.
  static std::vector<std::shared_ptr<Topic>> parseToTrends(std::string_view reply);
  // A dictionary with "TopicList": the topics in `topics`, and their number (skipped elements
  // included) in total_number.
  static std::shared_ptr<NSStatusesInfo> parseDicToTopicList(std::string_view reply);
  // The recommended channels of a dictionary with "channels".
  static std::optional<std::vector<std::shared_ptr<NSReChannelItem>>> parseToChannelArray(
      std::string_view reply);

  // Where the reply of a request of a type with its parameters is cached; the content-server
  // client installs this at start-up.  Until then, or when it gives no path, parseToFiles
  // writes no file.
  using RequestLocalPath =
      std::function<std::optional<std::string>(RequestType type, const Value& param)>;
  static void setRequestLocalPath(RequestLocalPath resolver);

  // ---- Seminars, trade fair and companies ----

  // A JSON array of seminar dictionaries, each with its hosts, registration lines and tips.
  static std::optional<std::vector<NSSeminarPtr>> parseToSeminar(std::string_view reply);
  static NSSeminarPtr dicToSeminar(const NSDictionary& dic);
  // The seminar's "host", "dialogsub" and "tip" lists; nil when the key holds no array.
  static std::optional<std::vector<NSSHostPtr>> parseToHost(const NSDictionary& seminar);
  static std::optional<std::vector<NSDSubscriptionPtr>> parseToDialog(const NSDictionary& seminar);
  static std::optional<std::vector<NSTextInfoPtr>> parseToTip(const NSDictionary& seminar);
  static NSSHostPtr dicToHost(const NSDictionary& dic);
  static NSDSubscriptionPtr dicToDialog(const NSDictionary& dic);
  static NSTextInfoPtr dicToText(const NSDictionary& dic);
  // The posts of a dictionary's "statuses" array: a seminar's questions, and the questions
  // the reader tracks.
  static std::optional<std::vector<NSDialogPostPtr>> parseToDialogList(std::string_view reply);
  static std::optional<std::vector<NSDialogPostPtr>> parseToWenTiGenZong(std::string_view reply);
  // An empty post for anything but a dictionary.
  static NSDialogPostPtr dicToDialogPost(const Value& post);
  static std::optional<std::vector<NSDialogPostWatchPtr>> parseToAttendList(std::string_view reply);
  static NSDialogPostWatchPtr dicToDialogWatch(const NSDictionary& dic);
  static std::optional<std::vector<NSBannerPtr>> parseToBannerList(std::string_view reply);
  static NSBannerPtr dicToBanner(const NSDictionary& dic);
  // The trade-fair page as the channel lists it: first the array of its banners
  // (NSBarnerItem, possibly empty), then its entries (NSVOVUrivItem); the catalogue entries
  // carry the page's categories in dataInfo.  Nil when the reply is not a dictionary.
  static ValueArray parseToVEZI(std::string_view reply);
  static NSBarnerItemPtr dicToBarner(const NSDictionary& dic);
  static NSCompanyItemPtr dicToCompanyItem(const NSDictionary& dic);
  static NSVOVUrivItemPtr dicToVEZIItem(const NSDictionary& dic);
  // A company list page; never nil (zero counts and no list for a reply of another shape).
  static std::shared_ptr<NSComInfo> praseToCompanyList(std::string_view reply);
  static NSCompanyDetailItemPtr parseToCompanyDetail(const NSDictionary& dic);

  // ---- Messages, search, feedback and shops ----

  // The server announcement under "Announce".
  static std::shared_ptr<NSMsgItem> parseToMsgInfo(std::string_view reply);
  // The platform's unread counts.
  static std::shared_ptr<NSMessageInfo> parseToZizaMsgInfo(std::string_view reply);
  static std::optional<std::vector<std::shared_ptr<NSSearchItem>>> parseToHotSearchList(
      std::string_view reply);
  static std::optional<std::vector<std::shared_ptr<NSFanKuiItem>>> parseToFanKuiList(
      std::string_view reply);
  static std::optional<std::vector<NSRealTimeItemPtr>> parseToCerSearchList(std::string_view reply);
  static std::optional<std::vector<NSRealTimeItemPtr>> parseToRealTimeQuotesList(
      std::string_view reply);
  // The shops of a dictionary's "ShopBrandList".
  static std::optional<std::vector<NSShopItemPtr>> parseToShopList(std::string_view reply);
  // Never nil: "shoplist" (NSShopItem objects) and "citylist" (NSBaseItem objects), each only
  // when the reply's "ShopBrandList" resp. "CityList" is an array.
  static ValueDictionary parseToShopDicList(std::string_view reply);
  // The reader's interest groups ("GroupList", "TeamId" and the group's "Topic").
  static std::shared_ptr<NSZiViLocation> parseToZiViLocation(std::string_view reply);
  // Reads nothing.
  static std::shared_ptr<NSTitleInfo> dicToTitleInfo(const Value& any);
  static std::shared_ptr<NSSearchItem> dicToHotSearchItem(const NSDictionary& dic);
  static std::shared_ptr<NSFanKuiItem> dicToFanKuiItem(const NSDictionary& dic);
  static NSRealTimeItemPtr dicToRealTimeItem(const NSDictionary& dic);
  static NSShopItemPtr dicToShopItem(const NSDictionary& dic);
  static std::shared_ptr<NSBaseItem> dicToCityItem(const NSDictionary& dic);

  // ---- Usage-log file ----
  //
  // The log file (its path given by the caller) holds the unsent sections, oldest first, as
  // the enciphered (NSDesEncrypt) JSON text of an array of section dictionaries: "Key", "Id"
  // (only for a platform account), "sId", "Conn", "SubmitTime", "std", "Actionlogs" and
  // "total_number"; an action is {"cTime", "sparams", "aType"}.  Every change rewrites the
  // file atomically, so a process killed while writing leaves the previous log whole.  A
  // missing, undecipherable or malformed file reads as nil; write errors are ignored.

  // The section's dictionary; keys whose text is nil are left out.
  static ValueDictionary reParserSection(const NSSectionItem& section);
  // The actions' dictionaries as JSON text: the upload form.
  static std::string reParserActionArray(const std::vector<NSActonItem>& actions);
  // One action dictionary read back: its whole type text in caType, the ids from "sparams".
  static NSActonItem parseAction(const NSDictionary& dic);
  // A section from the JSON text of its dictionary, or from the dictionary; nullptr for
  // anything else.
  static std::shared_ptr<NSSectionItem> parseSection(std::string_view json);
  static std::shared_ptr<NSSectionItem> parseSectionByDic(const Value& dic);
  // Every section of the file (elements that are no dictionary skipped); the section at an
  // index, nullptr outside the array.
  static std::optional<std::vector<std::shared_ptr<NSSectionItem>>> parseSectionArray(
      std::string_view path);
  static std::shared_ptr<NSSectionItem> parseSection(std::string_view path, int32_t index);
  // Appends the section; a missing or empty file starts a new array (and so does one that
  // does not read as an array).
  static void addLogInfo(std::string_view path, const NSSectionItem& section);
  // Replaces the last section when its "sId" is `sectionId`, else appends; a missing or empty
  // file is left as it is.
  static void modifyLogInfo(std::string_view path, const NSSectionItem& section,
                            std::string_view sectionId);
  // Sets the key to the value in every section; false, writing nothing, when the file holds
  // no section.
  static bool updataSectionArray(std::string_view path, std::string_view key, const Value& value);
  // These operations as the usage-log sections use them (install with UsageLogFile::setCurrent
  // at start-up).
  static std::shared_ptr<UsageLogFile> usageLogFile();

 private:
  static StatusPtr dicToStatus(const NSDictionary& dic, int depth);
  static UserPtr dicToUser(const NSDictionary& dic, int depth);
  static CommentPtr dicToComment(const NSDictionary& dic, int depth);
  // The page's statuses from the array under the key; left unset when that is no array.
  static void fillStatuses(NSStatusesInfo& info, const NSDictionary& dic,
                           std::string_view key = "statuses");
  // A page with the cursors and "total_number" every page reader shares.
  static std::shared_ptr<NSStatusesInfo> pageWithCursors(const NSDictionary& dic);
  // A comments page of a parsed dictionary.
  static std::shared_ptr<NSStatusesInfo> commentsPage(const NSDictionary& dic);
};
