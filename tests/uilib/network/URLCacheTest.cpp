// The URL cache: bodies on disk named by MD5 and aged by their file dates, ETags, images in
// memory within their limits, local and temporary URLs.
#include <gtest/gtest.h>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "support/MainLoop.h"
#include "uilib/core/NSData+ULCategory.h"
#include "uilib/network/ULURLCache.h"

namespace {

std::shared_ptr<UIImage> imageOf(double width, double height) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(width, height), true, 1);
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

class URLCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    cache = ULURLCache::sharedCache();
  }
  std::string folder() const { return NSCachesDirectory() + "/ULKit"; }
  std::shared_ptr<ULURLCache> cache;
};

}  // namespace

TEST_F(URLCacheTest, BodiesAreFilesNamedByTheMd5OfTheirURL) {
  const std::string url = "http://pictures.zept.example/a.png";
  cache->storeDataForURL(std::string("\x89PNG\0body", 9), url);
  EXPECT_EQ(cache->keyForURL(url), md5Hash(url));
  EXPECT_EQ(cache->cachePathForURL(url), folder() + "/" + md5Hash(url));
  EXPECT_EQ(dataWithContentsOfFile(folder() + "/" + md5Hash(url)), std::string("\x89PNG\0body", 9));
  EXPECT_TRUE(cache->hasDataForURL(url));
  EXPECT_EQ(cache->dataForURL(url), std::string("\x89PNG\0body", 9));
  EXPECT_EQ(cache->etagCachePath(), folder() + "/etag");
  EXPECT_EQ(ULURLCache::cacheWithName("Other")->cachePath(), NSCachesDirectory() + "/Other");
  EXPECT_EQ(ULURLCache::cacheWithName("Other"), ULURLCache::cacheWithName("Other"));
  EXPECT_NE(ULURLCache::cacheWithName("ULKit"), cache);

  cache->removeKey(md5Hash(url));
  EXPECT_FALSE(cache->hasDataForURL(url));
  cache->setDisableDiskCache(true);
  cache->storeDataForURL("x", url);
  EXPECT_FALSE(cache->hasDataForURL(url));
}

TEST_F(URLCacheTest, DataIsFreshUntilItsAgePassesTheReadersExpiry) {
  const std::string key = "0123456789abcdef0123456789abcdef";
  double stored = MainLoop::now();
  cache->storeDataForKey("body", key);
  std::optional<NSDateValue> timestamp;
  EXPECT_EQ(cache->dataForKey(key, 0, &timestamp), "body");
  EXPECT_EQ(timestamp->secondsSince1970, stored);
  MainLoop::advance(1);
  EXPECT_EQ(cache->dataForKey(key, 0, nullptr), std::nullopt);
  EXPECT_TRUE(cache->hasDataForKey(key, 1));  // exactly the age is still fresh
  EXPECT_FALSE(cache->hasDataForKey(key, 0.5));

  // Invalidated: a day old, stale for a shorter age, fresh for a request's week.
  cache->invalidateKey(key);
  EXPECT_FALSE(cache->hasDataForKey(key, 86399));
  EXPECT_TRUE(cache->hasDataForKey(key, 604800));
  EXPECT_EQ(cache->dataForURL("temp:none"), std::nullopt);

  // Storing again makes it fresh; invalidating everything ages the ETags too.
  cache->storeDataForKey("body", key);
  cache->storeEtagForKey("\"v1\"", key);
  cache->invalidateAll();
  EXPECT_FALSE(cache->hasDataForKey(key, 86399));
  Value etagDate = NSFileManager::defaultManager().attributesOfItemAtPath(
      cache->etagCachePathForKey(key))[NSFileModificationDate];
  EXPECT_EQ(etagDate.dateSeconds(), MainLoop::now() - 86400);
}

TEST_F(URLCacheTest, ETagsAreKeptBesideTheBodiesAndSurviveRemovingAll) {
  cache->storeEtagForKey("\"v1\"", "k");
  EXPECT_EQ(dataWithContentsOfFile(folder() + "/etag/k"), "\"v1\"");
  EXPECT_EQ(cache->etagForKey("k"), "\"v1\"");
  EXPECT_EQ(cache->etagForKey("none"), std::nullopt);
  cache->setDisableDiskCache(true);
  cache->storeEtagForKey("\"v2\"", "k");  // written whether or not the disk cache is on
  EXPECT_EQ(cache->etagForKey("k"), "\"v2\"");
  cache->setDisableDiskCache(false);

  cache->storeDataForKey("body", "k");
  cache->removeAll(true);
  EXPECT_FALSE(cache->hasDataForKey("k", 1e9));
  EXPECT_EQ(cache->etagForKey("k"), std::nullopt);
  // The folders are there again, the ETag folder included.
  cache->storeEtagForKey("\"v3\"", "k");
  EXPECT_EQ(cache->etagForKey("k"), "\"v3\"");
}

TEST_F(URLCacheTest, ImagesInMemoryKeepToTheirLimits) {
  // Below 240000 pixels unless forced.
  const std::tuple<double, double, bool, bool> sizes[] = {
      {500, 480, false, false}, {499, 480, false, true}, {800, 600, true, true}};
  for (auto& [w, h, force, held] : sizes) {
    std::string url = "http://h/" + std::to_string(int(w));
    cache->storeImage(imageOf(w, h), url, force);
    EXPECT_EQ(cache->hasImageForURL(url, false), held) << w;
  }
  cache->removeAll(false);
  EXPECT_EQ(cache->totalPixelCount(), 0u);

  // A budget drops the oldest first; storing again under a URL moves it to the newest place.
  cache->setMaxPixelCount(100000);
  cache->storeImage(imageOf(200, 200), "a");
  cache->storeImage(imageOf(200, 200), "b");
  cache->storeImage(imageOf(200, 200), "a");
  EXPECT_EQ(cache->totalPixelCount(), 80000u);
  cache->storeImage(imageOf(200, 200), "c");
  EXPECT_FALSE(cache->hasImageForURL("b", false));
  EXPECT_TRUE(cache->hasImageForURL("a", false));
  EXPECT_TRUE(cache->hasImageForURL("c", false));
  EXPECT_EQ(cache->totalPixelCount(), 80000u);
  cache->removeURL("a", false);
  EXPECT_EQ(cache->totalPixelCount(), 40000u);

  // A low-memory warning empties the memory, not the disk.
  cache->storeDataForURL("body", "c");
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UIApplicationDidReceiveMemoryWarningNotification);
  EXPECT_FALSE(cache->hasImageForURL("c", false));
  EXPECT_TRUE(cache->hasDataForURL("c"));
  cache->setDisableImageCache(true);
  cache->storeImage(imageOf(10, 10), "d");
  EXPECT_FALSE(cache->hasImageForURL("d", false));
  cache->storeImage(imageOf(10, 10), "d", true);
  EXPECT_TRUE(cache->hasImageForURL("d", false));
}

TEST_F(URLCacheTest, BundleAndDocumentsURLsAreLocalFiles) {
  // The bundle holds only the "@2x" file of this picture.
  const std::string bundleURL = "bundle://bkcolor1.png";
  EXPECT_FALSE(cache->imageExistsFromBundle(bundleURL));
  EXPECT_TRUE(cache->hasImageForURL(bundleURL, true));
  EXPECT_FALSE(cache->hasImageForURL(bundleURL, false));
  auto image = cache->imageForURL(bundleURL);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->scale(), 2);
  EXPECT_TRUE(cache->hasImageForURL(bundleURL, false));  // held once loaded

  auto png = UIImagePNGRepresentation(imageOf(30, 20));
  ASSERT_TRUE(writeToFile(NSDocumentDirectory() + "/pic.png", *png, true));
  EXPECT_EQ(cache->imageForURL("documents://pic.png", false), nullptr);
  auto document = cache->imageForURL("documents://pic.png");
  ASSERT_TRUE(document);
  EXPECT_EQ(document->size(), CGSizeMake(30, 20));
  EXPECT_EQ(cache->imageForURL("documents://missing.png"), nullptr);
  EXPECT_EQ(cache->imageForURL("http://h/not-decoded-from-disk"), nullptr);

  const std::pair<const char*, const char*> doubles[] = {
      {"bundle://a/b.png", "bundle://a/b@2x.png"},
      {"documents://dir.v2/name", "documents://dir.v2/name@2x"},
      {".hidden.png", ".hidden.png"},
      {"name", "name@2x"},
  };
  for (auto& [url, twice] : doubles) EXPECT_EQ(ULURLCache::doubleImageURLPath(url), twice);
}

TEST_F(URLCacheTest, TemporaryURLsCountUpAndMoveDataIn) {
  EXPECT_EQ(cache->createTemporaryURL(), "temp:0");
  // A number whose file exists is passed over.
  cache->storeDataForURL("taken", "temp:1");
  std::string url = cache->storeTemporaryData("data");
  EXPECT_EQ(url, "temp:2");
  EXPECT_EQ(cache->dataForURL(url), "data");

  std::string file = NSTemporaryDirectory() + "upload.bin";
  ASSERT_TRUE(writeToFile(file, "file bytes", true));
  auto moved = cache->storeTemporaryFile(NSURL::fileURLWithPath(file)->absoluteString());
  ASSERT_TRUE(moved);
  EXPECT_EQ(cache->dataForURL(*moved), "file bytes");
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(file));
  EXPECT_EQ(cache->storeTemporaryFile("http://h/x"), std::nullopt);
  EXPECT_EQ(cache->storeTemporaryFile("file:///no/such/file"), std::nullopt);

  std::string imageURL = cache->storeTemporaryImage(imageOf(700, 700), false);
  EXPECT_TRUE(cache->hasImageForURL(imageURL, false));  // held though large
  EXPECT_EQ(UIImage::imageWithData(*cache->dataForURL(imageURL))->size(), CGSizeMake(700, 700));

  cache->moveDataForURL(imageURL, "http://h/final.png");
  EXPECT_FALSE(cache->hasImageForURL(imageURL, false));
  EXPECT_TRUE(cache->hasImageForURL("http://h/final.png", false));
  EXPECT_FALSE(cache->hasDataForURL(imageURL));
  EXPECT_TRUE(cache->hasDataForURL("http://h/final.png"));
  EXPECT_EQ(cache->totalPixelCount(), 490000u);
}
