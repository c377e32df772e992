// The small list files, the bounds of the picture and article caches, cached-page counters,
// update stamps, channel tiles, animated-picture classes, emoticon look-ups and the cache size.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "Common/Additions/UIImage+Resize.h"
#include "Common/Additions/UIImage+Scale.h"
#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPropertyList.h"
#include "ImageIO/CGImageSource.h"
#include "UIKit/UIImage.h"
#include "core/EmojiTable.h"
#include "core/NSGlobe.h"
#include "core/UIFilePath.h"

namespace {

// The newest pictures the download record keeps.
constexpr size_t kMaxRecordedPictures = 100;
// Article pages: pruning starts at this many entries and leaves one fewer.
constexpr size_t kMaxArticlePages = 100;
// Paths of the cache-size walk are assembled in a buffer of this size.
constexpr size_t kPathBufferSize = 1024;

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Strings as they are, numbers as their decimal text; nullopt for anything else.
std::optional<std::string> idText(const Value& v) {
  if (v.isString()) return std::string(v.string());
  if (v.isNumber()) return v.description();
  return std::nullopt;
}

std::optional<std::vector<std::string>> readIds(const std::string& path) {
  ValueArray list = arrayWithContentsOfFile(path);
  if (!list) return std::nullopt;
  std::vector<std::string> ids;
  for (const Value& v : *list)
    if (auto id = idText(v)) ids.push_back(*id);
  return ids;
}

bool saveIds(const std::vector<std::string>& ids, const std::string& path, bool atomically) {
  if (path.empty()) return false;
  std::vector<Value> items(ids.begin(), ids.end());
  return writePropertyListToFile(Value(makeArray(std::move(items))), path, atomically);
}

// One entry of the download record: {time stamp: picture path}.
struct RecordedPicture {
  double time = 0;
  Value entry;
  std::string path() const {
    std::string out;
    if (ValueDictionary d = entry.dictionary())
      d->enumerate([&](const std::string&, const Value& v) {
        if (out.empty() && v.isString()) out = v.string();
      });
    return out;
  }
};

double recordTime(const Value& entry) {
  double time = 0;
  bool seen = false;
  if (ValueDictionary d = entry.dictionary())
    d->enumerate([&](const std::string& key, const Value&) {
      if (!seen) time = Value(key).doubleValue();
      seen = true;
    });
  return time;
}

// The text of a file read as JSON; nil when missing or malformed.
Value readJSONFile(const std::string& path, bool mutableContainers = false) {
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return {};
  return mutableContainers ? mutableObjectFromJSONString(*bytes) : objectFromJSONString(*bytes);
}

std::string updateStamp(std::string_view word) {
  Value doc = readJSONFile(UIFilePath::updateDatePath());
  Value list = doc["otherchannels"];
  if (!list.isArray()) return {};
  for (const Value& entry : *list.array()) {
    Value cids = entry["cids"];
    if (cids.isString() && cids.string() == word) return idText(entry["updt"]).value_or("");
  }
  return {};
}

int64_t walkFolder(const char* folder) {
  DIR* dir = ::opendir(folder);
  if (!dir) return 0;
  int64_t total = 0;
  char child[kPathBufferSize];
  size_t folderLength = std::strlen(folder);
  bool slash = folderLength > 0 && folder[folderLength - 1] == '/';
  while (struct dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    int n = std::snprintf(child, sizeof child, "%s%s%s", folder, slash ? "" : "/", entry->d_name);
    if (n < 0 || size_t(n) >= sizeof child) continue;
    struct stat st;
    if (::lstat(child, &st) != 0) continue;
    if (S_ISDIR(st.st_mode))
      total += int64_t(st.st_size) + walkFolder(child);
    else if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))
      total += int64_t(st.st_size);
  }
  ::closedir(dir);
  return total;
}

std::string cachesFolder() {
  return UIFilePath::libraryPath() + "/Caches/";
}

}  // namespace

// ---- small lists ---------------------------------------------------------------------------

std::optional<std::vector<std::string>> UIFilePath::readAttendArray() {
  return readIds(localPath(7));
}

std::optional<std::vector<std::string>> UIFilePath::readArrayFile() {
  return readIds(localPath(6));
}

std::optional<std::vector<std::string>> UIFilePath::readLikeArray() {
  return readIds(likeStatusPath());
}

std::optional<std::vector<std::string>> UIFilePath::readLikeProductArray() {
  return readIds(likePath());
}

bool UIFilePath::saveAttendArray(const std::vector<std::string>& ids) {
  return saveIds(ids, localPath(7), false);
}

bool UIFilePath::saveFileByArray(const std::vector<std::string>& ids) {
  return saveIds(ids, localPath(6), true);
}

bool UIFilePath::saveLikeArray(const std::vector<std::string>& ids) {
  return saveIds(ids, likeStatusPath(), true);
}

bool UIFilePath::saveArray(const std::vector<std::string>& ids, std::string_view name) {
  return saveIds(ids, likePath(name), true);
}

bool UIFilePath::saveToFile(std::string_view text, std::string_view path) {
  return writeFile(path, text);
}

// ---- cache bounds ----------------------------------------------------------------------------

void UIFilePath::saveDownLoadPathRecode(std::string_view path, int, long time) {
  if (path.empty()) return;
  std::string record = getSaveRecordPath();
  ValueArray entries = arrayWithContentsOfFile(record);
  if (!entries) entries = makeArray();
  auto list = entries->mutableCopy();
  list->addObject(Value::dictionaryOf({{std::to_string(time), Value(path)}}));
  writePropertyListToFile(Value(list), record);
}

void UIFilePath::cleanImageCache() {
  std::string record = getSaveRecordPath();
  ValueArray entries = arrayWithContentsOfFile(record);
  if (!entries || entries->count() == 0) return;
  std::vector<RecordedPicture> pictures;
  for (const Value& entry : *entries) pictures.push_back({recordTime(entry), entry});
  // Newest first: each position takes, in turn, every later entry that is newer.
  for (size_t i = 0; i < pictures.size(); ++i)
    for (size_t j = i + 1; j < pictures.size(); ++j)
      if (pictures[j].time > pictures[i].time) std::swap(pictures[i], pictures[j]);
  if (pictures.size() <= kMaxRecordedPictures) return;
  while (pictures.size() > kMaxRecordedPictures) {
    std::string file = pictures.back().path();
    if (!file.empty()) ::unlink(file.c_str());
    pictures.pop_back();
  }
  std::vector<Value> kept;
  for (const RecordedPicture& p : pictures) kept.push_back(p.entry);
  writePropertyListToFile(Value(makeArray(std::move(kept))), record);
}

void UIFilePath::removeLocalHTMLFile() {
  std::string folder = libraryPath() + "/Caches/HTML/NewsReader";
  auto& files = NSFileManager::defaultManager();
  auto names = files.contentsOfDirectoryAtPath(folder);
  if (!names || names->size() < kMaxArticlePages) return;
  struct Page {
    std::string path;
    double modified;
  };
  std::vector<Page> pages;
  for (const std::string& name : *names) {
    std::string path = folder + "/" + name;
    Value attributes = files.attributesOfItemAtPath(path);
    pages.push_back({path, attributes[std::string(NSFileModificationDate)].dateSeconds()});
  }
  std::stable_sort(pages.begin(), pages.end(),
                   [](const Page& a, const Page& b) { return a.modified < b.modified; });
  forgetKnownFolders();
  for (size_t i = 0; i + (kMaxArticlePages - 1) < pages.size(); ++i) {
    std::error_code ec;
    std::filesystem::remove_all(pages[i].path, ec);
  }
}

// ---- cached pages and stamps -----------------------------------------------------------------

void UIFilePath::updateLikeCount(std::string_view reply, std::string_view filePath) {
  Value counters = objectFromJSONString(reply);
  if (!counters.isArray() || counters.count() == 0) return;
  std::string path(filePath);
  Value page = readJSONFile(path, true);
  Value statuses = page["statuses"];
  if (!page.isDictionary() || !statuses.isArray() || statuses.count() == 0) return;
  auto merged = makeArray();
  for (const Value& status : *statuses.array()) {
    if (!status.isDictionary()) {
      merged->addObject(status);
      continue;
    }
    ValueDictionary copy = status.dictionary()->mutableCopy();
    long long eid = status["eid"].longLongValue();
    Value match;
    for (const Value& entry : *counters.array()) {
      if (entry.isDictionary() && entry["id"].longLongValue() == eid) {
        match = entry;
        break;
      }
    }
    if (!match.isNil()) {
      if (match["closed"].intValue() == 1) continue;
      copy->setObject(Value(match["likes"].intValue()), "likes_count");
      copy->setObject(Value(match["C_rt_num"].intValue()), "reposts_count");
      copy->setObject(Value(match["C_cmt_num"].intValue()), "comments_count");
    }
    merged->addObject(Value(copy));
  }
  ValueDictionary out = page.dictionary();
  out->setObject(Value(merged), "statuses");
  Value text = JSONString(out);
  if (text.isString()) writeFile(path, text.string());
}

std::string UIFilePath::getTopicDate() {
  return updateStamp("topics");
}

std::string UIFilePath::getDialogUpDataTime() {
  return updateStamp("dialog");
}

std::string UIFilePath::getVEZIUpDataTime() {
  return updateStamp("vezi");
}

// ---- pictures --------------------------------------------------------------------------------

std::shared_ptr<UIImage> UIFilePath::getIconImageWithChannelId(int channelId) {
  return imageFileNamed("iconID" + std::to_string(channelId));
}

std::shared_ptr<UIImage> UIFilePath::getImageByName(std::string_view name, int channelId) {
  bool day = NSGlobe::getEngine()->getCurThemeSelect() == 1;
  std::string stored =
      day ? getNewChannelImageTuiJian(channelId) : getNewChannelImageTuiJian_Theme1(channelId);
  std::shared_ptr<UIImage> image = UIImage::imageWithContentsOfFile(stored);
  if (!image) {
    std::string tile(name);
    if (!day) {
      size_t png = tile.find(".png");
      if (png != std::string::npos) tile.resize(png);
      tile += "_theme1";
    }
    image = UIImage::imageNamed("channel" + tile);
    if (!image) image = UIImage::imageNamed("channeliconID" + std::to_string(channelId));
    if (!image) image = imageFileNamed("channeliconID11");
  }
  if (image && !NSGlobe::getEngine()->isIphone4()) image = scaleWithSize(image, CGSizeMake(40, 40));
  return image;
}

int UIFilePath::isBigGifImage(std::string_view path) {
  std::string file(path);
  if (file.size() < 4 || file.compare(file.size() - 4, 4, ".gif") != 0) {
    auto bytes = dataWithContentsOfFile(file);
    if (!bytes) return 2;
    auto source = CGImageSource::createWithData(std::move(*bytes));
    if (!source || source->count() < 2) return 0;
  }
  Value attributes = NSFileManager::defaultManager().attributesOfItemAtPath(file);
  if (attributes.isNil()) return 0;
  float megabytes =
      float(attributes[std::string(NSFileSize)].unsignedLongLongValue() / 1024.0 / 1024.0);
  if (megabytes > 4) return 0;
  if (megabytes > 3) return 3;
  if (megabytes > 1) return 2;
  return 1;
}

// ---- emoticons -------------------------------------------------------------------------------

std::optional<std::string> UIFilePath::getBiaoQingByName(std::string_view name) {
  const auto& table = getZizaEmojiArray();
  auto found = std::find(table.begin(), table.end(), name);
  if (found == table.end()) return std::nullopt;
  return std::to_string(found - table.begin() + 1);
}

bool UIFilePath::isInBiaoQingList(std::string_view name) {
  return getBiaoQingByName(name).has_value();
}

// ---- cache size ------------------------------------------------------------------------------

std::string UIFilePath::folderSizeWithPath() {
  std::string folder = cachesFolder();
  if (!isDirectory(folder)) return "0M";
  char text[64];
  std::snprintf(text, sizeof text, "%.2fM",
                double(_folderSizeAtPath(folder.c_str())) / 1024 / 1024);
  return text;
}

int64_t UIFilePath::_folderSizeAtPath(const char* folderPath) {
  return folderPath ? walkFolder(folderPath) : 0;
}

int64_t UIFilePath::folderSizeAtPath3(std::string_view folderPath) {
  return _folderSizeAtPath(std::string(folderPath).c_str());
}
