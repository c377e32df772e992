// Server channel lists merged into the catalogue, and the channel images that channels numbered
// 100 and above are shown with.
//
// The all-channels reply is staged in "ChannelItems_temp.txt" while its images download; the
// downloads still pending are kept in "channel_config" under "channel_md5_new", keyed
// "<number>:<kind>:<MD5>", with "channelNews" "1" until a later start installs the staged list.
//
// Locks: a thread that needs more than one takes them in this order: the "channel_config"
// store, the catalogue file, the staged file.  The staging (a worker thread) holds the store
// from clearing the pending downloads to recording them, so that the completion of a download
// it started cannot come in between and be undone.
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "Common/Additions/NSDictionary+Values.h"
#include "Foundation/NSString.h"
#include "UIKit/UIImage.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "model/ChannelItemFiles.h"
#include "model/ZizaJsonStatusParser.h"
#include "uilib/core/NSData+ULCategory.h"

using namespace channel_files;

namespace {

// Bus message types of "new_channels_added".
constexpr int kNewChannelListMessage = 125;
constexpr int kProfileChannelsMessage = 101;

// ---- the image kinds ----

struct ImageKind {
  std::string ChannelItem::*source;
  std::string ChannelItem::*md5;
  std::string (*destination)(int channel);
};

const ImageKind kImageKinds[kChannelImageKinds] = {
    {&ChannelItem::iconImage, &ChannelItem::iconMD5, &UIFilePath::getNewChannelImageIcon},
    {&ChannelItem::backgroundImage, &ChannelItem::backgroundMD5,
     &UIFilePath::getNewChannelImageBackground},
    {&ChannelItem::navigationImage, &ChannelItem::navigationMD5,
     &UIFilePath::getNewChannelImageNavigation},
    {&ChannelItem::channelIcon, &ChannelItem::channelMD5, &UIFilePath::getNewChannelImageTuiJian},
    {&ChannelItem::channelnightImg, &ChannelItem::channelnightMD5,
     &UIFilePath::getNewChannelImageTuiJian_Theme1},
};

bool isImageKind(int kind) {
  return kind >= 0 && kind < kChannelImageKinds;
}

std::string pendingKey(int channel, int kind, std::string_view md5) {
  return std::to_string(channel) + ":" + std::to_string(kind) + ":" + std::string(md5);
}

// ---- locks and the downloader ----

std::recursive_mutex& configLock() {
  return NSConfig::storeLock(kChannelConfigStoreName);
}

std::recursive_mutex& catalogueLock() {
  return ChannelItem::fileLock(kChannelItemsFileName);
}

std::recursive_mutex& stagedLock() {
  return ChannelItem::fileLock(kStagedChannelItemsFileName);
}

std::mutex downloaderMutex;
std::weak_ptr<ChannelImageDownloader> installedDownloader;

std::shared_ptr<ChannelImageDownloader> downloader() {
  std::lock_guard guard(downloaderMutex);
  return installedDownloader.lock();
}

// ---- "channel_config" ----

// The pending downloads as stored; null when none are stored.
std::shared_ptr<NSMutableDictionary> storedPending() {
  Value stored = NSConfig::readDicWrithKey(kChannelMd5NewKey, kChannelConfigStoreName);
  if (!stored.isDictionary()) return nullptr;
  return std::dynamic_pointer_cast<NSMutableDictionary>(stored.dictionary()->mutableCopy());
}

void storePending(const std::shared_ptr<NSMutableDictionary>& pending) {
  NSConfig::setDicValue(Value(ValueDictionary(pending)), kChannelMd5NewKey,
                        kChannelConfigStoreName);
}

// ---- downloads ----

void startImageDownload(const ChannelItem& item, int kind, NSMutableDictionary& pending) {
  const std::string& source = item.*kImageKinds[kind].source;
  const std::string& md5 = item.*kImageKinds[kind].md5;
  if (auto fetcher = downloader()) {
    fetcher->downloadChannelImage(item.type, UIFilePath::getNewChannelSourceImage(source),
                                  kImageKinds[kind].destination(item.type), kind,
                                  Value(makeArray({Value(md5)})));
  }
  pending.setObject(Value(source), pendingKey(item.type, kind, md5));
}

// ---- bundle images ----

// The bundle file of an image name; empty when the bundle has none.  The bundle is one folder,
// so a name with a "/" (a server address) names none.
std::string bundleImagePath(std::string_view name) {
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos)
    return {};
  std::string path = NSBundle::mainBundle()->resourcePath() + "/" + std::string(name);
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? path : std::string();
}

// The bundle image a channel falls back on when the named one is missing; empty when none.
std::string fallbackImage(int kind, int channel, const std::string& base) {
  const std::string number = std::to_string(channel);
  switch (kind) {
    case kChannelImageIcon:
      return UIFilePath::getCurDeviceBundleSourcePath("iconID" + number);
    case kChannelImageNavigation:
      return UIFilePath::getBundleSourcePath("naviTitle" + number + ".png");
    case kChannelImageTuiJian:
      return UIFilePath::getBundleSourcePath("channeliconID" + number + "@2x.png");
    case kChannelImageTuiJianNight:
      for (const std::string& name : {base + "_theme1.png", base + "_theme1@2x.png",
                                      "channeliconID" + number + "_theme1@2x.png"}) {
        std::string path = bundleImagePath(name);
        if (!path.empty()) return path;
      }
      return {};
    default:
      return {};
  }
}

// ---- matching and pages ----

bool holdsNull(const ChannelItemArray& list) {
  for (const auto& item : list) {
    if (!item) return true;
  }
  return false;
}

// Removes the first stored record of the number from the working list and returns it.
ChannelItemPtr takeMatch(ChannelItemArray& stored, int number) {
  for (auto it = stored.begin(); it != stored.end(); ++it) {
    if ((*it)->type == number) {
      ChannelItemPtr match = *it;
      stored.erase(it);
      return match;
    }
  }
  return nullptr;
}

// The same over catalogue dictionaries; nil when none matches.
Value takeEntry(std::vector<Value>& stored, int number) {
  for (auto it = stored.begin(); it != stored.end(); ++it) {
    if (getIntValueForKey(*it, "type", 0) == number) {
      Value match = *it;
      stored.erase(it);
      return match;
    }
  }
  return {};
}

// The enabled server channels into shown and hidden ones, each with the subscription of its
// stored match, which leaves `stored`.  `added`, when given, takes the numbers of the shown
// ones that were not stored shown.
void sortServerChannels(const ChannelItemArray& list, ChannelItemArray& stored,
                        ChannelItemArray& shown, ChannelItemArray& hidden,
                        std::vector<int>* added) {
  for (const auto& server : list) {
    ChannelItemPtr match = takeMatch(stored, server->type);
    if (!server->isEnabled) continue;
    if (match) server->hasSubscribed = match->hasSubscribed;
    if (!server->isShowByUser) {
      hidden.push_back(server);
      continue;
    }
    shown.push_back(server);
    if (added && (!match || !match->isShowByUser)) added->push_back(server->type);
  }
}

ChannelItemArray joined(std::initializer_list<const ChannelItemArray*> parts) {
  ChannelItemArray all;
  for (const auto* part : parts) all.insert(all.end(), part->begin(), part->end());
  return all;
}

// The channel dictionaries of a parsed catalogue, in file order.
std::vector<Value> entriesOf(const Value& pages) {
  std::vector<Value> entries;
  if (!pages.isArray()) return entries;
  for (const Value& page : *pages.arrayPointer()) {
    if (!page.isArray()) continue;
    for (const Value& entry : *page.arrayPointer()) {
      if (entry.isDictionary()) entries.push_back(entry);
    }
  }
  return entries;
}

// The entry with its "isShowByUser" set.
Value withShown(const Value& entry, bool shown) {
  auto copy = entry.dictionary()->mutableCopy();
  copy->setObject(Value(shown), "isShowByUser");
  return Value(copy);
}

bool isShownEntry(const Value& entry) {
  return getBoolValueForKey(entry, "isShowByUser", true);
}

// Pages of 8 entries, then one page of the hidden ones when there are any.
ValueArray pagesWithHiddenLast(const std::vector<Value>& shown, const std::vector<Value>& hidden) {
  auto pages = newArray();
  for (size_t start = 0; start < shown.size(); start += kPageSize) {
    const size_t end = std::min(shown.size(), start + kPageSize);
    pages->addObject(makeArray(std::vector<Value>(shown.begin() + start, shown.begin() + end)));
  }
  if (!hidden.empty()) pages->addObject(makeArray(hidden));
  return pages;
}

bool isKeptOutOfRemainder(int templateId) {
  return templateId == kTemplateReadLater || templateId == kTemplateMyFavorite ||
         templateId == kTemplateSubscriptionEditor;
}

void postNewChannels(int messageType, const std::vector<int>& numbers) {
  std::vector<Value> values(numbers.begin(), numbers.end());
  postNotification(kNewChannelsAdded, Value(makeArray({Value(makeArray(values))})), messageType);
}

// The staged catalogue replaces the stored one when usable, and goes.  Holds the locks.
void installStaged() {
  std::lock_guard config(configLock());
  NSConfig::setCacheValue(Value("0"), kChannelNewsKey, kChannelConfigStoreName);
  std::scoped_lock files(catalogueLock(), stagedLock());
  ChannelItem::dataAsyn();
  const std::string staged = documentsPath(kStagedChannelItemsFileName);
  if (ChannelItem::isFileNormal(staged)) {
    if (auto bytes = dataWithContentsOfFile(staged)) {
      // Written whole in place of the stored one: a reader never meets a half-copied catalogue.
      UIFilePath::writeFile(ChannelItem::filePath(), *bytes);
    }
  }
  removeFile(staged);
}

}  // namespace

// ---- the downloader ----

void ChannelItem::setImageDownloader(std::weak_ptr<ChannelImageDownloader> fetcher) {
  std::lock_guard guard(downloaderMutex);
  installedDownloader = std::move(fetcher);
}

// ---- merges of server lists ----

void ChannelItem::updateUserSelectChannel(const ChannelItemArray& list) {
  if (holdsNull(list)) return;
  {
    std::lock_guard guard(catalogueLock());
    ChannelItemArray stored = getChannelList();
    ChannelItemArray shown, hidden;
    sortServerChannels(list, stored, shown, hidden, nullptr);
    writePages(getArrayByChannelList(joined({&shown, &stored, &hidden})), filePath());
  }
  postNotification(kNewChannelsAdded);
}

void ChannelItem::updateNewChannelList(const ChannelItemArray& list) {
  if (list.empty() || holdsNull(list)) return;
  std::vector<int> added;
  {
    std::lock_guard guard(catalogueLock());
    ChannelItemArray stored = getChannelList();
    ChannelItemArray written;
    for (const auto& server : list) {
      ChannelItemPtr match = takeMatch(stored, server->type);
      if (match) {
        if (server->isEnabled) server->hasSubscribed = match->hasSubscribed;
        // A new address means a new picture: the old file must not stand in for it.
        if (isUrlChange(match->iconImage, server->iconImage))
          removeFile(UIFilePath::getNewChannelImageIcon(server->type));
        if (isUrlChange(match->navigationImage, server->navigationImage))
          removeFile(UIFilePath::getNewChannelImageNavigation(server->type));
      }
      if (!server->isEnabled || !server->isShowByUser) continue;
      written.push_back(server);
      if (!match) added.push_back(server->type);
    }
    writePages(getArrayByChannelList(written), filePath());
  }
  postNewChannels(kNewChannelListMessage, added);
}

void ChannelItem::updateProfileSelectChannel(const ChannelItemArray& list) {
  if (holdsNull(list)) return;
  std::vector<int> added;
  {
    std::lock_guard guard(catalogueLock());
    ChannelItemArray stored = getChannelList();
    ChannelItemArray shown, hidden;
    sortServerChannels(list, stored, shown, hidden, &added);
    for (const auto& rest : stored) {
      rest->isShowByUser = false;
      hidden.push_back(rest);
    }
    writePages(getArrayByChannelList(joined({&shown, &hidden})), filePath());
  }
  postNewChannels(kProfileChannelsMessage, added);
}

void ChannelItem::updateAllChannel(const ChannelItemArray& list) {
  if (holdsNull(list)) return;
  std::lock_guard config(configLock());
  NSConfig::setDicValue(Value(makeDictionary()), kChannelMd5NewKey, kChannelConfigStoreName);
  NSMutableDictionary pending;

  ChannelItemArray stored = getChannelList();
  ChannelItemArray staged, disabled;
  for (const auto& server : list) {
    ChannelItemPtr match = takeMatch(stored, server->type);
    const bool listsImages = server->isInTuiJian || server->canSubscribe;
    if (match && server->isEnabled) {
      // A changed picture is fetched; an unchanged one is placed from the bundle when the
      // channel has none on disk yet.
      auto decide = [&](int kind, bool mayDownload) {
        const ImageKind& k = kImageKinds[kind];
        if (mayDownload && isMd5Change((*match).*k.md5, (*server).*k.md5))
          server->setNeedDownLoad(kind, true, pending);
        else
          copyImageFrom((*match).*k.source, server, kind);
      };
      decide(kChannelImageIcon, true);
      decide(kChannelImageNavigation, true);
      decide(kChannelImageBackground, true);
      decide(kChannelImageTuiJian, listsImages);
      decide(kChannelImageTuiJianNight, listsImages);
      server->hasSubscribed = match->hasSubscribed;
      server->isShowByUser = match->isShowByUser;
    }
    if (!server->isEnabled) {
      disabled.push_back(server);
      continue;
    }
    staged.push_back(server);
    if (!match) {
      server->fileIsExit(kChannelImageIcon, pending);
      server->fileIsExit(kChannelImageNavigation, pending);
      server->fileIsExit(kChannelImageBackground, pending);
      if (listsImages) {
        server->fileIsExit(kChannelImageTuiJian, pending);
        server->fileIsExit(kChannelImageTuiJianNight, pending);
      }
    }
  }
  {
    std::scoped_lock files(catalogueLock(), stagedLock());
    writePages(getArrayByChannelList(joined({&staged, &stored, &disabled})),
               filePathWithName(kStagedChannelItemsFileName));
  }

  NSConfig::setCacheValue(Value("1"), kChannelNewsKey, kChannelConfigStoreName);
  auto merged = storedPending();
  if (!merged) merged = std::make_shared<NSMutableDictionary>();
  pending.enumerate(
      [&](const std::string& key, const Value& source) { merged->setObject(source, key); });
  storePending(merged);
}

void ChannelItem::updateChannelItemsWithArray(const Value& array) {
  bool awaitDownloads = false;
  ChannelItemArray added;
  if (array.isArray()) {
    for (const Value& element : *array.arrayPointer()) {
      if (element.isDictionary()) added.push_back(ZizaJsonStatusParser::parseToChannel(element));
    }
  }
  {
    std::lock_guard guard(catalogueLock());
    // Downloaded channels go with their pictures; the reply brings the ones that stay.
    std::vector<Value> pages;
    Value parsed = getChannelString();
    if (parsed.isArray()) pages = parsed.array()->toVector();
    for (auto it = pages.begin(); it != pages.end();) {
      if (!it->isArray()) {
        ++it;
        continue;
      }
      std::vector<Value> kept;
      for (const Value& entry : *it->array()) {
        const int number = getIntValueForKey(entry, "type", 0);
        if (entry.isDictionary() && usesDownloadedImages(number)) {
          std::string folder = UIFilePath::getNewChannelImage(number);
          if (fileExists(folder)) NSFileManager::defaultManager().removeItemAtPath(folder);
        } else {
          kept.push_back(entry);
        }
      }
      if (kept.size() == it->count()) {
        ++it;
      } else if (kept.empty()) {
        it = pages.erase(it);
      } else {
        *it = Value(makeArray(kept));
        ++it;
      }
    }
    UIFilePath::forgetKnownFolders();

    if (!added.empty()) {
      std::vector<std::pair<std::string, std::string>> downloads;
      std::vector<Value> entries;
      for (const auto& item : added) {
        for (int kind : {kChannelImageIcon, kChannelImageBackground, kChannelImageNavigation}) {
          const ImageKind& k = kImageKinds[kind];
          downloads.emplace_back(UIFilePath::getNewChannelSourceImage((*item).*k.source),
                                 k.destination(item->type));
        }
        entries.push_back(Value(getDicByChannelItem(item)));
      }
      if (auto fetcher = downloader()) {
        fetcher->downloadNewChannelImages(downloads);
        awaitDownloads = true;
      }

      // With no page left the new channels open one.
      if (pages.empty() || !pages.back().isArray()) pages.push_back(Value(makeArray()));
      std::vector<Value> last = pages.back().array()->toVector();
      size_t next = 0;
      while (last.size() < kPageSize && next < entries.size()) last.push_back(entries[next++]);
      pages.back() = Value(makeArray(last));
      const size_t newPages = (entries.size() - next) / kPageSize + 1;
      for (size_t p = 0; p < newPages; ++p) {
        const size_t end = std::min(entries.size(), next + kPageSize);
        pages.push_back(
            Value(makeArray(std::vector<Value>(entries.begin() + next, entries.begin() + end))));
        next = end;
      }
    }
    writePages(makeArray(pages), filePath());
  }
  // Without downloads to wait for, the new list is announced at once.
  if (!awaitDownloads) postNotification(kNewChannelsAdded);
}

// ---- installation ----

void ChannelItem::channelIsRefresh() {
  {
    std::lock_guard config(configLock());
    Value news = NSConfig::readCacheValueWithKey(kChannelNewsKey, kChannelConfigStoreName);
    if (news.isNil() || news.intValue() != 1) return;
    auto pending = storedPending();
    bool dropped = false, restarted = false;
    if (pending) {
      for (const std::string& key : pending->allKeys()) {
        const std::string source = textOf(pending->objectForKey(key));
        if (fileExists(source)) {
          pending->removeObjectForKey(key);
          dropped = true;
          continue;
        }
        std::vector<std::string> fields = componentsSeparatedByString(key, ":");
        if (fields.size() < 3) continue;
        const int channel = Value(fields[0]).intValue();
        const int kind = Value(fields[1]).intValue();
        if (!isImageKind(kind)) continue;
        if (auto fetcher = downloader()) {
          fetcher->downloadChannelImage(channel, UIFilePath::getNewChannelSourceImage(source),
                                        kImageKinds[kind].destination(channel), kind,
                                        Value(makeArray({Value(fields[2])})));
        }
        restarted = true;
      }
    }
    if (dropped) storePending(pending);
    if (restarted) return;
    installStaged();
  }
  postNotification(kNewChannelsAdded);
}

void ChannelItem::startInRefresh() {
  installStaged();
  postNotification(kNewChannelsAdded);
}

void ChannelItem::dataAsyn() {
  std::scoped_lock files(catalogueLock(), stagedLock());
  const std::string stagedPath = documentsPath(kStagedChannelItemsFileName);
  std::vector<Value> stored = entriesOf(getChannelString());
  std::vector<Value> staged = entriesOf(readCatalogue(stagedPath));
  if (stored.empty() || staged.empty()) return;
  std::vector<Value> shown, hidden;
  for (const Value& entry : staged) {
    // Read-later, favourites and the channel editor stay as the user has them.
    if (isKeptOutOfRemainder(getIntValueForKey(entry, "TemplateId", 0))) continue;
    const bool enabled = getBoolValueForKey(entry, "Enabled", true);
    Value match = takeEntry(stored, getIntValueForKey(entry, "type", 0));
    if (!enabled) continue;
    const bool show = match.isNil() ? isShownEntry(entry) : isShownEntry(match);
    (show ? shown : hidden).push_back(match.isNil() ? entry : withShown(entry, show));
  }
  shown.insert(shown.end(), stored.begin(), stored.end());
  writePages(pagesWithHiddenLast(shown, hidden), stagedPath);
}

void ChannelItem::updataNewChannelConfig() {
  std::lock_guard guard(catalogueLock());
  const std::string documents = documentsCataloguePath();
  if (!fileExists(documents)) return;
  std::vector<Value> stored = entriesOf(getChannelString());
  std::vector<Value> bundle = entriesOf(readCatalogue(bundleCataloguePath()));
  if (stored.empty() || bundle.empty()) return;
  std::vector<Value> shown, hidden;
  for (const Value& entry : bundle) {
    Value match = takeEntry(stored, getIntValueForKey(entry, "type", 0));
    const bool show = match.isNil() ? isShownEntry(entry) : isShownEntry(match);
    (show ? shown : hidden).push_back(withShown(entry, show));
  }
  for (const Value& rest : stored) {
    if (!isKeptOutOfRemainder(getIntValueForKey(rest, "TemplateId", 0))) shown.push_back(rest);
  }
  writePages(pagesWithHiddenLast(shown, hidden), documents);
}

// ---- image bookkeeping ----

void ChannelItem::imageAllFinish(const ChannelImageDownload& download) {
  const std::string& path = download.downloadDestinationPath;
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes || !UIImage::imageWithData(*bytes)) {
    // An error page or a cut-off transfer: the next start fetches it again.
    removeFile(path);
    return;
  }
  const std::string md5 = textOf(download.localInfo[size_t(0)]);
  std::lock_guard config(configLock());
  auto pending = storedPending();
  if (!pending || !isImageMd5Ok(path, md5)) return;
  const std::string key = pendingKey(download.mtag, download.tag, md5);
  if (pending->objectForKey(key).isNil()) return;
  pending->removeObjectForKey(key);
  storePending(pending);
}

void ChannelItem::imageFinish(const Value&) {
  postNotification(kNewChannelsAdded);
}

bool ChannelItem::isImageMd5Ok(std::string_view path, std::string_view md5) {
  if (md5.empty()) return true;
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return false;
  return uppercaseString(md5Hash(*bytes)) == uppercaseString(md5);
}

bool ChannelItem::isMd5Change(std::string_view oldValue, std::string_view newValue) {
  if (newValue.empty()) return false;
  return oldValue.empty() || oldValue != newValue;
}

bool ChannelItem::isUrlChange(std::string_view oldValue, std::string_view newValue) {
  return isMd5Change(oldValue, newValue);
}

int ChannelItem::getTypeWithName(std::string_view name) {
  const std::pair<std::string_view, int> endings[] = {{"navigation", kChannelImageNavigation},
                                                      {"icon", kChannelImageIcon},
                                                      {"background", kChannelImageBackground},
                                                      {"tuijian", kChannelImageTuiJian}};
  for (const auto& [ending, kind] : endings) {
    if (name.size() >= ending.size() && name.substr(name.size() - ending.size()) == ending)
      return kind;
  }
  return kChannelImageIcon;
}

void ChannelItem::setNeedDownLoad(int kind, bool value, NSMutableDictionary& pending) {
  if (!isImageKind(kind)) return;
  isNeedDownLoad[size_t(kind)] = value;
  startImageDownload(*this, kind, pending);
}

void ChannelItem::fileIsExit(int kind, NSMutableDictionary& pending) {
  if (!isImageKind(kind)) return;
  const ImageKind& k = kImageKinds[kind];
  if ((this->*k.md5).empty() || fileExists(k.destination(type)) ||
      !bundleImagePath(this->*k.source).empty())
    return;
  startImageDownload(*this, kind, pending);
}

void ChannelItem::copyImageFrom(std::string_view name, const ChannelItemPtr& item, int kind) {
  if (!item || !isImageKind(kind)) return;
  const std::string base(name.substr(0, name.find('.')));
  const std::string retinaName = base + "@2x.png";
  std::string chosen;
  if (NSGlobe::getEngine()->isIphone4())
    chosen = bundleImagePath(retinaName).empty() ? std::string(name) : retinaName;
  else
    chosen = bundleImagePath(name).empty() ? retinaName : std::string(name);
  if (chosen.empty()) return;

  UIFilePath::getChannelFileDir(item->type);
  std::string source = bundleImagePath(chosen);
  if (source.empty()) source = fallbackImage(kind, item->type, base);
  const ImageKind& k = kImageKinds[kind];
  const std::string destination = k.destination(item->type);
  if (source.empty() || !fileExists(source) || fileExists(destination)) return;
  if (!copyFile(source, destination)) return;
  std::string& md5 = (*item).*k.md5;
  if (kind != kChannelImageBackground && md5.empty()) {
    md5 = uppercaseString(md5Hash(dataWithContentsOfFile(destination).value_or("")));
  }
}
