#include "uilib/network/ULURLCache.h"

#include <filesystem>
#include <limits>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImage.h"
#include "uilib/core/NSData+ULCategory.h"
#include "uilib/core/ULGlobal.h"

namespace {

constexpr double kAnyAge = std::numeric_limits<double>::infinity();
constexpr unsigned long long kLargeImagePixels = 240000;

std::shared_ptr<ULURLCache>& sharedSlot() {
  static std::shared_ptr<ULURLCache> cache;
  return cache;
}

std::map<std::string, std::shared_ptr<ULURLCache>, std::less<>>& namedCaches() {
  static std::map<std::string, std::shared_ptr<ULURLCache>, std::less<>> caches;
  return caches;
}

// The running number of temporary URLs, for the whole process.
int gTemporaryCount = 0;

NSFileManager& files() {
  return NSFileManager::defaultManager();
}

bool fileExists(const std::string& path) {
  bool dir = false;
  return files().fileExistsAtPath(path, &dir) && !dir;
}

// Moves a file, replacing whatever the destination held.
bool replaceWith(const std::string& source, const std::string& destination) {
  if (files().fileExistsAtPath(destination)) files().removeItemAtPath(destination);
  return files().moveItemAtPath(source, destination);
}

}  // namespace

// ---- class operations

std::shared_ptr<ULURLCache> ULURLCache::sharedCache() {
  auto& cache = sharedSlot();
  if (!cache) cache = initWithName("ULKit");
  return cache;
}

void ULURLCache::setSharedCache(std::shared_ptr<ULURLCache> cache) {
  sharedSlot() = std::move(cache);
}

std::shared_ptr<ULURLCache> ULURLCache::cacheWithName(std::string_view name) {
  auto& caches = namedCaches();
  auto it = caches.find(name);
  if (it != caches.end()) return it->second;
  auto cache = initWithName(name);
  caches.emplace(std::string(name), cache);
  return cache;
}

std::shared_ptr<ULURLCache> ULURLCache::initWithName(std::string_view name) {
  auto cache = std::make_shared<ULURLCache>(Private{}, name);
  NSNotificationCenter::defaultCenter()->addObserver(
      cache,
      selector(std::weak_ptr<ULURLCache>(cache), &ULURLCache::didReceiveMemoryWarning,
               "didReceiveMemoryWarning:"),
      UIApplicationDidReceiveMemoryWarningNotification);
  return cache;
}

ULURLCache::ULURLCache(Private, std::string_view name)
    : name_(name), cachePath_(cachePathWithName(name)) {}

std::string ULURLCache::cachePathWithName(std::string_view name) {
  std::string path = stringByAppendingPathComponent(NSCachesDirectory(), name);
  createPathIfNecessary(path);
  createPathIfNecessary(stringByAppendingPathComponent(path, "etag"));
  return path;
}

bool ULURLCache::createPathIfNecessary(std::string_view path) {
  if (files().fileExistsAtPath(path)) return true;
  return files().createDirectoryAtPath(path, true);
}

std::string ULURLCache::doubleImageURLPath(std::string_view url) {
  if (url.empty() || url.front() == '.') return std::string(url);
  // Only the last name of the path is touched, so "scheme://" keeps its slashes.
  size_t slash = url.rfind('/');
  size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  size_t dot = url.rfind('.');
  if (dot == std::string_view::npos || dot <= nameStart) return std::string(url) + "@2x";
  return std::string(url.substr(0, dot)) + "@2x" + std::string(url.substr(dot));
}

// ---- keys and paths

std::string ULURLCache::etagCachePath() const {
  return stringByAppendingPathComponent(cachePath_, "etag");
}

std::string ULURLCache::keyForURL(std::string_view url) const {
  return md5Hash(url);
}

std::string ULURLCache::cachePathForURL(std::string_view url) const {
  return cachePathForKey(keyForURL(url));
}

std::string ULURLCache::cachePathForKey(std::string_view key) const {
  return stringByAppendingPathComponent(cachePath_, key);
}

std::string ULURLCache::etagCachePathForKey(std::string_view key) const {
  return stringByAppendingPathComponent(etagCachePath(), key);
}

// ---- bodies on disk

std::optional<NSDateValue> ULURLCache::modificationDate(const std::string& path) const {
  Value date = files().attributesOfItemAtPath(path)[NSFileModificationDate];
  if (!date.isDate()) return std::nullopt;
  return NSDateValue{date.dateSeconds()};
}

void ULURLCache::touch(const std::string& path, NSDateValue date) const {
  files().setAttributes(Value::dictionaryOf({{std::string(NSFileModificationDate), Value(date)}}),
                        path);
}

bool ULURLCache::hasDataForURL(std::string_view url) const {
  return fileExists(cachePathForURL(url));
}

bool ULURLCache::hasDataForKey(std::string_view key, double expires) const {
  std::string path = cachePathForKey(key);
  if (!fileExists(path)) return false;
  auto date = modificationDate(path);
  return date && -NSDate::timeIntervalSinceNow(*date) <= expires;
}

std::optional<std::string> ULURLCache::dataForURL(std::string_view url) const {
  return dataForURL(url, kAnyAge, nullptr);
}

std::optional<std::string> ULURLCache::dataForURL(std::string_view url, double expires,
                                                  std::optional<NSDateValue>* timestamp) const {
  return dataForKey(keyForURL(url), expires, timestamp);
}

std::optional<std::string> ULURLCache::dataForKey(std::string_view key, double expires,
                                                  std::optional<NSDateValue>* timestamp) const {
  std::string path = cachePathForKey(key);
  if (!fileExists(path)) return std::nullopt;
  auto date = modificationDate(path);
  if (!date || -NSDate::timeIntervalSinceNow(*date) > expires) return std::nullopt;
  auto data = dataWithContentsOfFile(path);
  if (data && timestamp) *timestamp = date;
  return data;
}

void ULURLCache::storeDataForURL(std::string_view data, std::string_view url) {
  storeDataForKey(data, keyForURL(url));
}

void ULURLCache::storeDataForKey(std::string_view data, std::string_view key) {
  if (disableDiskCache_) return;
  std::string path = cachePathForKey(key);
  // Dated by the process clock, which every reader of the age compares with.
  if (writeToFile(path, data, true)) touch(path, NSDate::date());
}

void ULURLCache::removeKey(std::string_view key) {
  std::string path = cachePathForKey(key);
  if (fileExists(path)) files().removeItemAtPath(path);
}

void ULURLCache::invalidateURL(std::string_view url) {
  invalidateKey(keyForURL(url));
}

void ULURLCache::invalidateKey(std::string_view key) {
  std::string path = cachePathForKey(key);
  if (fileExists(path)) touch(path, NSDate::dateWithTimeIntervalSinceNow(-invalidationAge_));
}

void ULURLCache::invalidateAll() {
  NSDateValue old = NSDate::dateWithTimeIntervalSinceNow(-invalidationAge_);
  std::error_code ec;
  for (std::filesystem::recursive_directory_iterator it(cachePath_, ec), end; !ec && it != end;
       it.increment(ec))
    touch(it->path().string(), old);
}

// ---- ETags

std::optional<std::string> ULURLCache::etagForKey(std::string_view key) const {
  auto bytes = dataWithContentsOfFile(etagCachePathForKey(key));
  if (!bytes || !isValidUTF8(*bytes)) return std::nullopt;
  return bytes;
}

void ULURLCache::storeEtagForKey(std::string_view etag, std::string_view key) {
  writeToFile(etagCachePathForKey(key), etag, true);
}

// ---- images in memory

unsigned long long ULURLCache::pixelsOf(const std::shared_ptr<UIImage>& image) {
  CGSize size = image->size();
  double pixels = size.width * size.height;
  return pixels > 0 ? (unsigned long long)pixels : 0;
}

std::shared_ptr<UIImage> ULURLCache::imageForURL(std::string_view url, bool fromDisk) {
  if (auto it = imageCache_.find(std::string(url)); it != imageCache_.end()) return it->second;
  if (!fromDisk) return nullptr;
  std::shared_ptr<UIImage> image;
  if (ULHasBundleScheme(url))
    image = loadImageFromBundle(url);
  else if (ULHasDocumentsScheme(url))
    image = loadImageFromDocuments(url);
  if (image) storeImage(image, url);
  return image;
}

bool ULURLCache::hasImageForURL(std::string_view url, bool fromDisk) const {
  if (imageCache_.count(std::string(url))) return true;
  if (!fromDisk) return false;
  if (ULHasBundleScheme(url))
    return imageExistsFromBundle(url) || imageExistsFromBundle(doubleImageURLPath(url));
  if (ULHasDocumentsScheme(url))
    return imageExistsFromDocuments(url) || imageExistsFromDocuments(doubleImageURLPath(url));
  return false;
}

void ULURLCache::storeImage(const std::shared_ptr<UIImage>& image, std::string_view url,
                            bool force) {
  if (!image) return;
  if (!force && disableImageCache_) return;
  unsigned long long pixels = pixelsOf(image);
  if (!force && pixels >= kLargeImagePixels) return;
  std::string key(url);
  if (auto it = imageCache_.find(key); it != imageCache_.end()) {
    unsigned long long held = pixelsOf(it->second);
    totalPixelCount_ -= std::min(held, totalPixelCount_);
    std::erase(imageSortedList_, key);
    imageCache_.erase(it);
  }
  totalPixelCount_ += pixels;
  if (maxPixelCount_ && totalPixelCount_ > maxPixelCount_) expireImagesFromMemory();
  imageSortedList_.push_back(key);
  imageCache_[key] = image;
}

void ULURLCache::removeURL(std::string_view url, bool fromDisk) {
  std::string key(url);
  std::erase(imageSortedList_, key);
  if (auto it = imageCache_.find(key); it != imageCache_.end()) {
    totalPixelCount_ -= std::min(pixelsOf(it->second), totalPixelCount_);
    imageCache_.erase(it);
  }
  if (fromDisk) removeKey(keyForURL(url));
}

void ULURLCache::removeAll(bool fromDisk) {
  imageCache_.clear();
  imageSortedList_.clear();
  totalPixelCount_ = 0;
  if (fromDisk) {
    if (files().fileExistsAtPath(cachePath_)) files().removeItemAtPath(cachePath_);
    createPathIfNecessary(cachePath_);
    // The ETag folder comes back too, or the ETags written meanwhile would be lost.
    createPathIfNecessary(etagCachePath());
  }
}

void ULURLCache::expireImagesFromMemory() {
  while (!imageSortedList_.empty()) {
    std::string oldest = imageSortedList_.front();
    imageSortedList_.erase(imageSortedList_.begin());
    if (auto it = imageCache_.find(oldest); it != imageCache_.end()) {
      totalPixelCount_ -= std::min(pixelsOf(it->second), totalPixelCount_);
      imageCache_.erase(it);
    }
    if (totalPixelCount_ <= maxPixelCount_) break;
  }
}

// ---- local files

bool ULURLCache::imageExistsFromBundle(std::string_view url) const {
  return url.size() >= 9 && fileExists(ULBundleResourcePath(url.substr(9)));
}

bool ULURLCache::imageExistsFromDocuments(std::string_view url) const {
  return url.size() >= 12 && fileExists(ULDocumentsResourcePath(url.substr(12)));
}

std::shared_ptr<UIImage> ULURLCache::loadImageFromBundle(std::string_view url) const {
  if (url.size() < 9) return nullptr;
  // The image loader picks a "@2x" file itself on a high-resolution screen.
  return UIImage::imageWithContentsOfFile(ULBundleResourcePath(url.substr(9)));
}

std::shared_ptr<UIImage> ULURLCache::loadImageFromDocuments(std::string_view url) const {
  if (url.size() < 12) return nullptr;
  auto bytes = dataWithContentsOfFile(ULDocumentsResourcePath(url.substr(12)));
  return bytes ? UIImage::imageWithData(*bytes) : nullptr;
}

// ---- temporary URLs

std::string ULURLCache::createTemporaryURL() {
  return "temp:" + std::to_string(gTemporaryCount++);
}

std::string ULURLCache::createUniqueTemporaryURL() {
  std::string url = createTemporaryURL();
  while (files().fileExistsAtPath(cachePathForURL(url))) url = createTemporaryURL();
  return url;
}

std::string ULURLCache::storeTemporaryData(std::string_view data) {
  std::string url = createUniqueTemporaryURL();
  storeDataForURL(data, url);
  return url;
}

std::optional<std::string> ULURLCache::storeTemporaryFile(std::string_view fileURL) {
  auto url = NSURL::URLWithString(fileURL);
  if (!url || !url->isFileURL()) return std::nullopt;
  std::string path = url->path();
  if (!fileExists(path)) return std::nullopt;
  std::string temporary = createUniqueTemporaryURL();
  if (!replaceWith(path, cachePathForURL(temporary))) return std::nullopt;
  return temporary;
}

std::string ULURLCache::storeTemporaryImage(const std::shared_ptr<UIImage>& image, bool) {
  std::string url = createUniqueTemporaryURL();
  storeImage(image, url, true);
  if (auto png = UIImagePNGRepresentation(image)) storeDataForURL(*png, url);
  return url;
}

void ULURLCache::moveDataForURL(std::string_view oldURL, std::string_view newURL) {
  if (auto image = imageForURL(oldURL)) {
    removeURL(oldURL, false);
    std::string newKey(newURL);
    if (auto held = imageCache_.find(newKey); held != imageCache_.end()) {
      totalPixelCount_ -= std::min(pixelsOf(held->second), totalPixelCount_);
      std::erase(imageSortedList_, newKey);
    }
    totalPixelCount_ += pixelsOf(image);
    imageSortedList_.push_back(newKey);
    imageCache_[newKey] = image;
  }
  std::string oldPath = cachePathForURL(oldURL);
  if (fileExists(oldPath)) replaceWith(oldPath, cachePathForURL(newURL));
}

void ULURLCache::moveDataFromPath(std::string_view path, std::string_view newURL) {
  std::string source(path);
  if (fileExists(source)) replaceWith(source, cachePathForURL(newURL));
}

std::string ULURLCache::moveDataFromPathToTemporaryURL(std::string_view path) {
  std::string url = createUniqueTemporaryURL();
  moveDataFromPath(path, url);
  return url;
}

void ULURLCache::didReceiveMemoryWarning(const Value&) {
  removeAll(false);
}
