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

#include "Foundation/NSClassDeclaration.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/StoredKeys.h"
#include "model/ChannelImageDownloader.h"

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
// The catalogue staged in Documents while its channel images download.
inline constexpr std::string_view kStagedChannelItemsFileName = "ChannelItems_temp.txt";

// The images of a channel: the index of the record's isNeedDownLoad flags, the tag of their
// downloads and the middle field of a pending-download key.
enum ChannelImageKind : int {
  kChannelImageIcon = 0,
  kChannelImageBackground = 1,
  kChannelImageNavigation = 2,
  kChannelImageTuiJian = 3,       // the image of the recommended and subscription lists
  kChannelImageTuiJianNight = 4,  // its night-theme variant
};
inline constexpr int kChannelImageKinds = 5;

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
  // Known by name: lists that show any record's "name" (the pop-up channel list) read it so.
  NS_CLASS(ChannelItem, NSObject)
 public:
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

  // ---- server channel lists and channel images (ChannelItem+Update.cpp) ----
  //
  // A server channel and a stored one are the same channel when their numbers are equal (the
  // first stored one counts).  Each merge writes nothing when the list holds a null record.
  // The catalogue's merges run on the main thread, except updateAllChannel and imageAllFinish.

  // Where channel images are fetched from; installed by the content-server client at start-up.
  static void setImageDownloader(std::weak_ptr<ChannelImageDownloader> downloader);

  // The interest set-up's answer: the enabled server channels (keeping the stored
  // subscription), shown ones first, then the stored channels the server did not mention, then
  // the hidden ones, in pages of 8.  Posts "new_channels_added".
  static void updateUserSelectChannel(const ChannelItemArray& list);
  // The channel list reply: only the enabled, shown server channels are kept, in the server's
  // order; a changed icon or navigation image address deletes the downloaded file.  Posts
  // "new_channels_added" with a message of type 125 whose data is [[numbers of new channels]].
  // An empty list changes nothing.
  static void updateNewChannelList(const ChannelItemArray& list);
  // As updateUserSelectChannel, but the stored channels the server did not mention become hidden
  // and a channel is new also when it was hidden; posts a message of type 101.
  static void updateProfileSelectChannel(const ChannelItemArray& list);
  // Worker thread: stages the all-channels reply in "ChannelItems_temp.txt", starts the
  // downloads of changed or missing channel images and records them as pending in
  // "channel_config"; the staged catalogue is installed by a later channelIsRefresh once no
  // download is pending.
  static void updateAllChannel(const ChannelItemArray& list);
  // The new-channels reply (server dictionaries, or nil): downloaded channels (numbered 100 and
  // above) are removed with their images, the new ones appended after the last channel and
  // their images fetched; "new_channels_added" is posted at once without new channels, else
  // when their downloads have finished.
  static void updateChannelItemsWithArray(const Value& array);

  // Start-up and return to the foreground: while a staged catalogue waits, restarts the
  // downloads still pending, or installs it when none is.
  static void channelIsRefresh();
  // Installs the staged catalogue (when usable) with the user's choices made since staging,
  // and posts "new_channels_added".
  static void startInRefresh();
  // Carries the stored catalogue's shown and hidden choices into the staged one.
  static void dataAsyn();
  // After an application update: the bundle's catalogue with the user's shown and hidden
  // choices, then the stored channels the bundle lacks.
  static void updataNewChannelConfig();
  // A finished channel-image download (worker thread): a file that is not an image is deleted;
  // an image of the expected MD5 is no longer pending.
  static void imageAllFinish(const ChannelImageDownload& download);
  // The end of the new-channels downloads: posts "new_channels_added".
  static void imageFinish(const Value& ignored);

  // Whether the file's MD5 is the expected one, compared without regard to case; YES when none
  // is expected, NO when the file cannot be read.
  static bool isImageMd5Ok(std::string_view path, std::string_view md5);
  // Whether a server value changed a stored one: an empty new value never does.
  static bool isMd5Change(std::string_view oldValue, std::string_view newValue);
  static bool isUrlChange(std::string_view oldValue, std::string_view newValue);
  // The image kind named by a file name's ending ("navigation", "icon", "background",
  // "tuijian"); the icon for anything else.
  static int getTypeWithName(std::string_view name);

  // Starts the download of the record's image of that kind and records it in `pending` under
  // "<number>:<kind>:<MD5>"; the flag of the kind takes the value.
  void setNeedDownLoad(int kind, bool value, NSMutableDictionary& pending);
  // The same without the flag, for an image that is missing: nothing when no MD5 is given,
  // the file is on disk or the bundle carries the image.
  void fileIsExit(int kind, NSMutableDictionary& pending);
  // Places the bundle's image of that name (or of the kind's fallback name) as the record's
  // image of the kind when none is on disk; a record without an MD5 for it takes the copy's.
  static void copyImageFrom(std::string_view name, const ChannelItemPtr& item, int kind);
};
