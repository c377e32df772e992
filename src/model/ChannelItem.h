// A channel as the catalogue stores it, and (through the static members) the catalogue
// itself: "ChannelItems.txt" in Documents, a JSON array of pages of channel dictionaries.
// Nothing is kept in memory: every query re-reads the file and every change rewrites it whole.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/StoredKeys.h"

struct ChannelItem;
using ChannelItemPtr = std::shared_ptr<ChannelItem>;
using ChannelItemArray = std::vector<ChannelItemPtr>;
// Pages of channels, as the home grid groups them.
using ChannelItemPages = std::vector<ChannelItemArray>;

// Anything that carries a catalogue record: the home grid's tiles hand theirs back when the
// grid's order is saved.
class ChannelItemCarrier {
 public:
  virtual ~ChannelItemCarrier() = default;
  virtual ChannelItemPtr channelItem() const = 0;
};
using ChannelItemCarrierPtr = std::shared_ptr<ChannelItemCarrier>;

// File name of the catalogue, in Documents, the temporary folder and the bundle.
inline constexpr std::string_view kChannelItemsFileName = "ChannelItems.txt";
// Value of "cache_config" blanked when a downloaded channel's images are missing, so that the
// next start asks the server for the channel list again.

// Template numbers of the screens that show a channel (the server names them, see the parser).
enum ChannelTemplate : int {
  kTemplateEditorSuggestion = 0,
  kTemplateFansStatusWall = 1,
  kTemplateLocalSubscription = 2,
  kTemplateReadLater = 3,
  kTemplateMyFavorite = 4,
  kTemplateRoDuda = 5,
  kTemplateThirdParty = 6,
  kTemplateOnlineSeminar = 7,
  kTemplateMySubscription = 8,
  kTemplateVideoPlay = 10,
  kTemplateVideoPlayLocalSub = 11,
  kTemplateMyFavAndReadLater = 12,
  kTemplateHotTopicList = 13,
  kTemplateBusinessManagement = 14,
  kTemplateVEZIExpo = 15,
  // The subscription editor tile: kept out of the side menu and out of the carried-over
  // remainder of the merges.
  kTemplateSubscriptionEditor = 50,
};

struct ChannelItem : NSObject {
  int type = 0;       // the channel number; every lookup compares against it
  int channelId = 0;  // copy of the number, set by the reply parser only
  std::string iconImage;
  std::string name;
  std::string backgroundImage;
  bool canSubscribe = false;
  bool hasSubscribed = false;
  std::string APIAddress;
  std::string navigationImage;
  int index = 0;
  std::string text;
  std::string iconMD5;
  std::string backgroundMD5;
  std::string navigationMD5;
  std::string channelIcon;
  std::string channelMD5;
  std::string channelnightImg;
  std::string channelnightMD5;
  ValueArray subChannelIds;  // sub-channel id strings of a grouping channel; nil when none
  ValueArray subChannelNames;
  bool isEnabled = false;
  int templateId = 0;
  bool isShowNews = false;
  bool isLike = false;
  bool isInTuiJian = false;
  bool isShowByUser = true;
  bool isFixed = false;
  // One flag per channel image kind (icon, background, navigation, recommended, its night
  // variant), set when a download of that kind is started.
  std::array<bool, 5> isNeedDownLoad{};

  // A record from a catalogue dictionary; a missing, null or ill-typed value takes its default.
  static ChannelItemPtr initWithDic(const Value& dic);

  // Whether a channel with this number shows images downloaded from the server rather than
  // images of the application.
  static bool usesDownloadedImages(int type) { return type >= 100; }
  // Grouping channels carry sub-channels.
  static bool isGroupingTemplate(int templateId) {
    return templateId == kTemplateBusinessManagement || templateId == kTemplateLocalSubscription ||
           templateId == kTemplateVideoPlayLocalSub;
  }

  // ---- the catalogue file ----

  // Documents/ChannelItems.txt once it exists. A first start copies the bundle's default to the
  // temporary folder and answers that path; the next call moves it to Documents.
  static std::string filePath();
  // Drops both copies and installs the bundle's default in Documents.
  static std::string fileErrorProcess();
  // The path of the name in Documents, seeded with the bundle's default catalogue when missing.
  static std::string filePathWithName(std::string_view fileName);
  // The parsed pages; an unreadable, empty or channel-less catalogue is replaced by the bundle's
  // default first.
  static Value getChannelString();
  // Whether the file at the path is a usable catalogue.
  static bool isFileNormal(std::string_view path);
  // The process-wide lock of a catalogue file (by file name): held across every read, restore
  // and read-modify-write of it, so that worker threads cannot lose an update.
  static std::recursive_mutex& fileLock(std::string_view fileName = kChannelItemsFileName);

  // ---- queries ----

  static ChannelItemArray getChannelList();
  static std::optional<ChannelItemArray> channelItemArray();
  // Every page kept; channels whose downloaded images are missing are left out.
  static std::optional<ChannelItemPages> channelItems();
  // Shown channels only; pages left empty are dropped.
  static std::optional<ChannelItemPages> userChannelItems();
  static std::optional<ChannelItemArray> userChannelItemArray();
  // Shown channels for the side menu (the channel editor stays out).
  static std::optional<ChannelItemArray> canUserChannelItemArray();
  static std::optional<ChannelItemArray> canInTuiJianChannelItems();
  static std::optional<ChannelItemArray> canSubscribeChannelItems();
  // The first channel of that number; nil outside 1...49999 or when none matches.
  static ChannelItemPtr getChannelItemByChannelId(int channelId);
  // The template of the last channel of that number; kUnknownTemplate when none.
  static int getTemplateIdByChannelId(int channelId);
  static constexpr int kUnknownTemplate = 1000;
  // The first channel whose dictionary carries "id" with that value.
  static ChannelItemPtr channelItemById(int itemId);

  // ---- conversion ----

  // The 24-key dictionary of the file format. Fills the record's missing sub-channel arrays
  // with empty ones.
  static ValueDictionary getDicByChannelItem(const ChannelItemPtr& item);
  // Pages of 8 dictionaries in list order.
  static ValueArray getArrayByChannelList(const ChannelItemArray& list);
  // Appends one page with every stored hidden channel, when there is one.
  static void addInHideItems(const ValueArray& pages);

  // ---- local writes ----

  // The home grid's pages in their own grouping, then the hidden channels.
  static void saveChannelItems(const std::vector<std::vector<ChannelItemCarrierPtr>>& pages);
  // A flat list of tiles in pages of 8, then the hidden channels.
  static void saveChannelItemsWithCustom(const std::vector<ChannelItemCarrierPtr>& items);
  // Shown channels in pages of 8, then one page of the hidden ones; answers the page that holds
  // the shown channel of number modifyIndex, -1 when none.
  static int updateChannelInfo(const ChannelItemArray& list, int modifyIndex);
  static void updateChannelInfo(const ChannelItemArray& list);
  // Replaces the stored dictionary of the record's number, in place.
  static void updateChannelItem(const ChannelItemPtr& item);
  // Appends the record to a page; a page index equal to the page count opens a new page, a
  // larger one writes nothing.
  static void addChannelItem(const ChannelItemPtr& item, int pageIndex);
  // Kept for the interest set-up view, which calls them; they change nothing.
  static void exchangeItem(const ChannelItemPtr& item, const ChannelItemPtr& other);
  static void updataZiViSelectChannel(const Value& selection);

  // Writes pages to the catalogue file atomically as UTF-8 JSON; a failed write leaves the
  // previous file.
  static bool writePages(const ValueArray& pages, const std::string& path);
};
