// What the library has downloaded: response bodies as files named by the MD5 of their URL (or of
// their request's cache key) in <Caches>/<name>/, the ETag of each body in <Caches>/<name>/etag/
// under the same name (its text, quotes included), and decoded images in memory.  A file's
// modification date is its age: data is fresh while it is not older than the reader's expiry
// age (exactly that age is still fresh).  No index is kept.
//
// Images in memory: one under 240000 pixels (width x height in points) is held unless forced;
// with a budget (maxPixelCount, 0 = none) the oldest are dropped first when a new one would
// pass it; a low-memory warning empties the memory part.
//
// Local URLs: "bundle://path" is a file of the main bundle's resources, "documents://path" one
// of the documents folder.  Temporary URLs "temp:N" name data cached under a made-up address.
//
// File-system failures are not reported: they end as missing data for later readers.  Main
// thread only.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSDate.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSObject.h"

class UIImage;

class ULURLCache : public NSObject {
 public:
  // The shared cache "ULKit", made on first use.
  static std::shared_ptr<ULURLCache> sharedCache();
  static void setSharedCache(std::shared_ptr<ULURLCache> cache);
  // The cache of a name, made and registered on first request (apart from the shared one).
  static std::shared_ptr<ULURLCache> cacheWithName(std::string_view name);
  // initWithName: a cache in <Caches>/<name>, listening for low-memory warnings.
  static std::shared_ptr<ULURLCache> initWithName(std::string_view name);
  // The cache's folder, made (with its "etag" folder) when missing.
  static std::string cachePathWithName(std::string_view name);
  // YES when the folder exists or could be made with its parents.
  static bool createPathIfNecessary(std::string_view path);
  // ".../b.png" -> ".../b@2x.png", ".../b" -> ".../b@2x"; a text beginning with "." as it is.
  static std::string doubleImageURLPath(std::string_view url);

  const std::string& name() const { return name_; }
  const std::string& cachePath() const { return cachePath_; }
  void setCachePath(std::string path) { cachePath_ = std::move(path); }
  std::string etagCachePath() const;
  unsigned long long maxPixelCount() const { return maxPixelCount_; }
  void setMaxPixelCount(unsigned long long count) { maxPixelCount_ = count; }
  double invalidationAge() const { return invalidationAge_; }
  void setInvalidationAge(double seconds) { invalidationAge_ = seconds; }
  bool disableDiskCache() const { return disableDiskCache_; }
  void setDisableDiskCache(bool disable) { disableDiskCache_ = disable; }
  bool disableImageCache() const { return disableImageCache_; }
  void setDisableImageCache(bool disable) { disableImageCache_ = disable; }

  // ---- keys and paths
  std::string keyForURL(std::string_view url) const;
  std::string cachePathForURL(std::string_view url) const;
  std::string cachePathForKey(std::string_view key) const;
  std::string etagCachePathForKey(std::string_view key) const;

  // ---- bodies on disk
  bool hasDataForURL(std::string_view url) const;  // any age
  bool hasDataForKey(std::string_view key, double expires) const;
  std::optional<std::string> dataForURL(std::string_view url) const;  // any age
  std::optional<std::string> dataForURL(std::string_view url, double expires,
                                        std::optional<NSDateValue>* timestamp) const;
  // The bytes when fresh; `timestamp` (when given) receives the file's modification date.
  std::optional<std::string> dataForKey(std::string_view key, double expires,
                                        std::optional<NSDateValue>* timestamp) const;
  // Writes (replacing) the file, dated now; nothing while the disk cache is disabled.
  void storeDataForURL(std::string_view data, std::string_view url);
  void storeDataForKey(std::string_view data, std::string_view key);
  void removeKey(std::string_view key);
  // Dates the file invalidationAge in the past: stale for shorter ages, fresh for longer ones.
  void invalidateURL(std::string_view url);
  void invalidateKey(std::string_view key);
  // The same for every file of the cache, ETags included.
  void invalidateAll();

  // ---- ETags (written whether or not the disk cache is disabled)
  std::optional<std::string> etagForKey(std::string_view key) const;
  void storeEtagForKey(std::string_view etag, std::string_view key);

  // ---- images in memory
  // The image held under the exact URL; else, fromDisk, a "bundle://" or "documents://" file
  // loaded (and held when small enough); other URLs: none (bodies on disk are not decoded).
  std::shared_ptr<UIImage> imageForURL(std::string_view url, bool fromDisk = true);
  bool hasImageForURL(std::string_view url, bool fromDisk) const;
  void storeImage(const std::shared_ptr<UIImage>& image, std::string_view url, bool force = false);
  void removeURL(std::string_view url, bool fromDisk);
  // Empties the memory part; fromDisk also deletes the cache's folder and makes it (with its
  // "etag" folder) again.
  void removeAll(bool fromDisk);
  void expireImagesFromMemory();
  unsigned long long totalPixelCount() const { return totalPixelCount_; }

  // ---- local files
  bool imageExistsFromBundle(std::string_view url) const;
  bool imageExistsFromDocuments(std::string_view url) const;
  std::shared_ptr<UIImage> loadImageFromBundle(std::string_view url) const;
  std::shared_ptr<UIImage> loadImageFromDocuments(std::string_view url) const;

  // ---- temporary URLs
  // "temp:N" with a process-wide count from 0.
  std::string createTemporaryURL();
  // The next "temp:N" whose cache file does not exist.
  std::string createUniqueTemporaryURL();
  std::string storeTemporaryData(std::string_view data);
  // A file URL's file moved into the cache under a new temporary URL; nullopt when it is not a
  // file URL, there is no such file, or the move fails.
  std::optional<std::string> storeTemporaryFile(std::string_view fileURL);
  // The image held (forced) and its PNG on disk, under a new temporary URL.
  std::string storeTemporaryImage(const std::shared_ptr<UIImage>& image, bool toDisk);
  void moveDataForURL(std::string_view oldURL, std::string_view newURL);
  void moveDataFromPath(std::string_view path, std::string_view newURL);
  std::string moveDataFromPathToTemporaryURL(std::string_view path);

  void didReceiveMemoryWarning(const Value& notification);
  void logMemoryUsage() const {}

  // Private: use initWithName.
  struct Private {};
  ULURLCache(Private, std::string_view name);

 private:
  static unsigned long long pixelsOf(const std::shared_ptr<UIImage>& image);
  void touch(const std::string& path, NSDateValue date) const;
  std::optional<NSDateValue> modificationDate(const std::string& path) const;

  std::string name_;
  std::string cachePath_;
  std::map<std::string, std::shared_ptr<UIImage>> imageCache_;
  std::vector<std::string> imageSortedList_;  // oldest first
  unsigned long long totalPixelCount_ = 0;
  unsigned long long maxPixelCount_ = 0;
  double invalidationAge_ = 86400;
  bool disableDiskCache_ = false;
  bool disableImageCache_ = false;
};
