#include "model/ChannelItem.h"

#include <algorithm>
#include <map>

#include "Common/Additions/NSDictionary+Values.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "core/NSConfig.h"
#include "core/UIFilePath.h"
#include "model/ChannelItemFiles.h"
#include "model/ParserValues.h"

using namespace channel_files;

namespace {

// A usable catalogue is an array of pages that hold at least one channel between them.
bool isUsableCatalogue(const Value& parsed) {
  if (!parsed.isArray() || parsed.count() == 0) return false;
  size_t channels = 0;
  for (const Value& page : *parsed.arrayPointer()) {
    if (!page.isArray()) continue;
    for (const Value& entry : *page.arrayPointer()) {
      if (entry.isDictionary()) ++channels;
    }
  }
  return channels > 0;
}

// The records of the parsed catalogue, page by page; nullopt when it has no pages.
std::optional<ChannelItemPages> readPages() {
  Value parsed = ChannelItem::getChannelString();
  if (!parsed.isArray()) return std::nullopt;
  ChannelItemPages pages;
  for (const Value& page : *parsed.arrayPointer()) {
    if (!page.isArray()) continue;
    ChannelItemArray records;
    for (const Value& entry : *page.arrayPointer()) {
      if (entry.isDictionary()) records.push_back(ChannelItem::initWithDic(entry));
    }
    pages.push_back(std::move(records));
  }
  if (pages.empty()) return std::nullopt;
  return pages;
}

ChannelItemArray flatten(const ChannelItemPages& pages) {
  ChannelItemArray all;
  for (const auto& page : pages) all.insert(all.end(), page.begin(), page.end());
  return all;
}

template <class Keep>
std::optional<ChannelItemArray> storedChannelsWhere(Keep keep) {
  auto pages = readPages();
  if (!pages) return std::nullopt;
  ChannelItemArray result;
  for (const auto& item : flatten(*pages)) {
    if (keep(*item)) result.push_back(item);
  }
  return result;
}

// A downloaded channel is shown only once its tile and bar images are on disk.
bool hasChannelImages(const ChannelItem& item) {
  if (!ChannelItem::usesDownloadedImages(item.type)) return true;
  return fileExists(UIFilePath::getNewChannelImageIcon(item.type)) &&
         fileExists(UIFilePath::getNewChannelImageBackground(item.type)) &&
         fileExists(UIFilePath::getNewChannelImageNavigation(item.type));
}

ValueArray pageOfDictionaries(const ChannelItemArray& items) {
  auto page = newArray();
  for (const auto& item : items) {
    if (item) page->addObject(ChannelItem::getDicByChannelItem(item));
  }
  return page;
}

ChannelItemArray itemsOf(const std::vector<ChannelItemCarrierPtr>& carriers) {
  ChannelItemArray items;
  for (const auto& carrier : carriers) {
    if (!carrier) continue;
    if (auto item = carrier->channelItem()) items.push_back(item);
  }
  return items;
}

}  // namespace

// ---- the record ----

ChannelItemPtr ChannelItem::initWithDic(const Value& dic) {
  auto item = std::make_shared<ChannelItem>();
  item->type = getIntValueForKey(dic, "type", 0);
  item->iconImage = parser_values::strText(dic, "icon");
  item->name = parser_values::strText(dic, "name");
  item->backgroundImage = parser_values::strText(dic, "background");
  item->canSubscribe = getBoolValueForKey(dic, "canSubscribe", false);
  item->hasSubscribed = getBoolValueForKey(dic, "hasSubscribed", false);
  item->APIAddress = parser_values::strText(dic, "ApiAddress");
  item->navigationImage = parser_values::strText(dic, "NaviTitle");
  item->index = getIntValueForKey(dic, "Index", 0);
  item->text = parser_values::strText(dic, "text");
  item->iconMD5 = parser_values::strText(dic, "LogoMD5");
  item->backgroundMD5 = parser_values::strText(dic, "BackMD5");
  item->navigationMD5 = parser_values::strText(dic, "NaviMD5");
  item->channelIcon = parser_values::strText(dic, "ChannelTitle");
  item->channelMD5 = parser_values::strText(dic, "ChannelMD5");
  item->channelnightImg = parser_values::strText(dic, "NightImg");
  item->channelnightMD5 = parser_values::strText(dic, "NightMD5");
  item->isEnabled = getBoolValueForKey(dic, "Enabled", true);
  item->templateId = getIntValueForKey(dic, "TemplateId", 0);
  item->isInTuiJian = getBoolValueForKey(dic, "isInTuiJian", false);
  item->isShowByUser = getBoolValueForKey(dic, "isShowByUser", true);
  item->isFixed = getBoolValueForKey(dic, "isFixed", false);
  // Without a night variant the recommended list shows the day image in both themes.
  if (item->channelnightImg.empty()) item->channelnightImg = item->channelIcon;
  if (isGroupingTemplate(item->templateId)) {
    Value ids = dic["subChannelIds"];
    if (ids.isArray() && ids.count() > 0) item->subChannelIds = ids.array()->mutableCopy();
    Value names = dic["subChannelNames"];
    if (names.isArray() && names.count() > 0) item->subChannelNames = names.array()->mutableCopy();
  }
  return item;
}

// ---- the catalogue file ----

std::recursive_mutex& ChannelItem::fileLock(std::string_view fileName) {
  static std::mutex registryMutex;
  static std::map<std::string, std::unique_ptr<std::recursive_mutex>, std::less<>> locks;
  std::lock_guard guard(registryMutex);
  auto it = locks.find(fileName);
  if (it == locks.end()) {
    it = locks.emplace(std::string(fileName), std::make_unique<std::recursive_mutex>()).first;
  }
  return *it->second;
}

std::string ChannelItem::filePath() {
  std::lock_guard guard(fileLock());
  const std::string documents = documentsCataloguePath();
  const std::string temporary = temporaryCataloguePath();
  if (fileExists(documents)) {
    removeFile(temporary);
    return documents;
  }
  if (fileExists(temporary)) return copyFile(temporary, documents) ? documents : temporary;
  // First start: the default is read from the temporary folder until the next call moves it.
  return copyFile(bundleCataloguePath(), temporary) ? temporary : std::string();
}

std::string ChannelItem::fileErrorProcess() {
  std::lock_guard guard(fileLock());
  const std::string documents = documentsCataloguePath();
  removeFile(temporaryCataloguePath());
  removeFile(documents);
  const std::string bundle = bundleCataloguePath();
  return copyFile(bundle, documents) ? documents : bundle;
}

std::string ChannelItem::filePathWithName(std::string_view fileName) {
  std::lock_guard guard(fileLock(fileName));
  std::string path = stringByAppendingPathComponent(NSDocumentDirectory(), fileName);
  if (!fileExists(path)) copyFile(bundleCataloguePath(), path);
  return path;
}

Value ChannelItem::getChannelString() {
  std::lock_guard guard(fileLock());
  Value parsed = readCatalogue(filePath());
  if (isUsableCatalogue(parsed)) return parsed;
  // The user's order and hidden channels are lost here: there is nothing left to keep.
  return readCatalogue(fileErrorProcess());
}

bool ChannelItem::isFileNormal(std::string_view path) {
  std::lock_guard guard(fileLock(lastPathComponent(path)));
  return isUsableCatalogue(readCatalogue(std::string(path)));
}

// ---- queries ----

ChannelItemArray ChannelItem::getChannelList() {
  auto pages = readPages();
  return pages ? flatten(*pages) : ChannelItemArray();
}

std::optional<ChannelItemArray> ChannelItem::channelItemArray() {
  return storedChannelsWhere([](const ChannelItem&) { return true; });
}

std::optional<ChannelItemPages> ChannelItem::channelItems() {
  auto pages = readPages();
  if (!pages) return std::nullopt;
  for (auto& page : *pages) {
    ChannelItemArray kept;
    for (auto& item : page) {
      if (hasChannelImages(*item)) {
        kept.push_back(std::move(item));
      } else {
        // The stored list date goes, so that the next start fetches the channel list again.
        NSConfig::setCacheValue(Value(""), kChannelUpdateDateKey);
      }
    }
    page = std::move(kept);
  }
  return pages;
}

std::optional<ChannelItemPages> ChannelItem::userChannelItems() {
  auto pages = channelItems();
  if (!pages) return std::nullopt;
  ChannelItemPages shown;
  for (const auto& page : *pages) {
    ChannelItemArray kept;
    for (const auto& item : page) {
      if (item->isShowByUser) kept.push_back(item);
    }
    if (!kept.empty()) shown.push_back(std::move(kept));
  }
  return shown;
}

std::optional<ChannelItemArray> ChannelItem::userChannelItemArray() {
  return storedChannelsWhere([](const ChannelItem& c) { return c.isShowByUser; });
}

std::optional<ChannelItemArray> ChannelItem::canUserChannelItemArray() {
  return storedChannelsWhere([](const ChannelItem& c) {
    return c.isShowByUser && c.templateId != kTemplateSubscriptionEditor;
  });
}

std::optional<ChannelItemArray> ChannelItem::canInTuiJianChannelItems() {
  return storedChannelsWhere([](const ChannelItem& c) { return c.isInTuiJian; });
}

std::optional<ChannelItemArray> ChannelItem::canSubscribeChannelItems() {
  return storedChannelsWhere([](const ChannelItem& c) { return c.canSubscribe; });
}

namespace {
bool isLookupNumber(int channelId) {
  return channelId >= 1 && channelId <= 49999;
}
}  // namespace

ChannelItemPtr ChannelItem::getChannelItemByChannelId(int channelId) {
  if (!isLookupNumber(channelId)) return nullptr;
  for (auto& item : getChannelList()) {
    if (item->type == channelId) return item;
  }
  return nullptr;
}

int ChannelItem::getTemplateIdByChannelId(int channelId) {
  if (!isLookupNumber(channelId)) return kUnknownTemplate;
  int templateId = kUnknownTemplate;
  for (const auto& item : getChannelList()) {
    if (item->type == channelId) templateId = item->templateId;
  }
  return templateId;
}

ChannelItemPtr ChannelItem::channelItemById(int itemId) {
  Value parsed = getChannelString();
  if (!parsed.isArray()) return nullptr;
  for (const Value& page : *parsed.arrayPointer()) {
    if (!page.isArray()) continue;
    for (const Value& entry : *page.arrayPointer()) {
      // Only entries that carry the key match: a missing "id" must not read as 0.
      if (!entry.isDictionary() || entry["id"].isNil()) continue;
      if (getIntValueForKey(entry, "id", 0) == itemId) return initWithDic(entry);
    }
  }
  return nullptr;
}

// ---- conversion ----

ValueDictionary ChannelItem::getDicByChannelItem(const ChannelItemPtr& item) {
  if (!item) return nullptr;
  if (!item->subChannelIds) item->subChannelIds = newArray();
  if (!item->subChannelNames) item->subChannelNames = newArray();
  auto dic = std::make_shared<NSMutableDictionary>();
  dic->setObject(item->iconImage, "icon");
  dic->setObject(item->type, "type");
  dic->setObject(item->backgroundImage, "background");
  dic->setObject(item->name, "name");
  dic->setObject(item->navigationImage, "NaviTitle");
  dic->setObject(item->APIAddress, "ApiAddress");
  dic->setObject(item->iconMD5, "LogoMD5");
  dic->setObject(item->backgroundMD5, "BackMD5");
  dic->setObject(item->navigationMD5, "NaviMD5");
  dic->setObject(item->channelIcon, "ChannelTitle");
  dic->setObject(item->subChannelIds, "subChannelIds");
  dic->setObject(item->subChannelNames, "subChannelNames");
  dic->setObject(item->channelMD5, "ChannelMD5");
  dic->setObject(item->channelnightImg, "NightImg");
  dic->setObject(item->channelnightMD5, "NightMD5");
  dic->setObject(item->index, "Index");
  dic->setObject(item->isEnabled, "Enabled");
  dic->setObject(item->templateId, "TemplateId");
  dic->setObject(item->canSubscribe, "canSubscribe");
  dic->setObject(item->isInTuiJian, "isInTuiJian");
  dic->setObject(item->isShowByUser, "isShowByUser");
  dic->setObject(item->hasSubscribed, "hasSubscribed");
  dic->setObject(item->isFixed, "isFixed");
  dic->setObject(item->text, "text");
  return dic;
}

ValueArray ChannelItem::getArrayByChannelList(const ChannelItemArray& list) {
  auto pages = newArray();
  for (size_t start = 0; start < list.size(); start += kPageSize) {
    const size_t end = std::min(list.size(), start + kPageSize);
    pages->addObject(
        pageOfDictionaries(ChannelItemArray(list.begin() + start, list.begin() + end)));
  }
  return pages;
}

void ChannelItem::addInHideItems(const ValueArray& pages) {
  if (!pages) return;
  ChannelItemArray hidden;
  for (const auto& item : getChannelList()) {
    if (!item->isShowByUser) hidden.push_back(item);
  }
  if (!hidden.empty()) pages->addObject(pageOfDictionaries(hidden));
}

// ---- local writes ----

bool ChannelItem::writePages(const ValueArray& pages, const std::string& path) {
  return parser_values::writeJSONFile(path, Value(pages));
}

void ChannelItem::saveChannelItems(const std::vector<std::vector<ChannelItemCarrierPtr>>& pages) {
  std::lock_guard guard(fileLock());
  auto out = newArray();
  for (const auto& page : pages) out->addObject(pageOfDictionaries(itemsOf(page)));
  addInHideItems(out);
  writePages(out, filePath());
}

void ChannelItem::saveChannelItemsWithCustom(const std::vector<ChannelItemCarrierPtr>& items) {
  std::lock_guard guard(fileLock());
  auto out = getArrayByChannelList(itemsOf(items));
  addInHideItems(out);
  writePages(out, filePath());
}

int ChannelItem::updateChannelInfo(const ChannelItemArray& list, int modifyIndex) {
  std::lock_guard guard(fileLock());
  ChannelItemArray shown, hidden;
  for (const auto& item : list) {
    if (!item) continue;
    (item->isShowByUser ? shown : hidden).push_back(item);
  }
  int page = -1;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i]->type == modifyIndex) {
      page = int(i / kPageSize);
      break;
    }
  }
  auto out = getArrayByChannelList(shown);
  if (!hidden.empty()) out->addObject(pageOfDictionaries(hidden));
  writePages(out, filePath());
  return page;
}

void ChannelItem::updateChannelInfo(const ChannelItemArray& list) {
  updateChannelInfo(list, 0);
}

void ChannelItem::updateChannelItem(const ChannelItemPtr& item) {
  if (!item) return;
  std::lock_guard guard(fileLock());
  Value parsed = getChannelString();
  if (!parsed.isArray()) return;
  auto pages = parsed.array()->mutableCopy();
  for (size_t p = 0; p < pages->count(); ++p) {
    const Value& page = pages->objectAtIndex(p);
    if (!page.isArray()) continue;
    for (size_t i = 0; i < page.count(); ++i) {
      const Value entry = page[i];
      if (!entry.isDictionary() || getIntValueForKey(entry, "type", 0) != item->type) continue;
      auto edited = page.array()->mutableCopy();
      edited->replaceObjectAtIndex(i, getDicByChannelItem(item));
      pages->replaceObjectAtIndex(p, edited);
      writePages(pages, filePath());
      return;
    }
  }
}

void ChannelItem::addChannelItem(const ChannelItemPtr& item, int pageIndex) {
  if (!item || pageIndex < 0) return;
  std::lock_guard guard(fileLock());
  Value parsed = getChannelString();
  if (!parsed.isArray()) return;
  auto pages = parsed.array()->mutableCopy();
  const size_t index = size_t(pageIndex);
  // Beyond the last page there is nothing to append to: writing would leave a gap.
  if (index > pages->count()) return;
  if (index == pages->count()) pages->addObject(newArray());
  const Value page = pages->objectAtIndex(index);
  if (!page.isArray()) return;
  auto edited = page.array()->mutableCopy();
  edited->addObject(getDicByChannelItem(item));
  pages->replaceObjectAtIndex(index, edited);
  writePages(pages, filePath());
}

void ChannelItem::exchangeItem(const ChannelItemPtr&, const ChannelItemPtr&) {}

void ChannelItem::updataZiViSelectChannel(const Value&) {}

NS_CLASS_IMPLEMENTATION(ChannelItem) {
  c.property("name", &ChannelItem::name);
}
