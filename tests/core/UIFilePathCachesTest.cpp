// Cached lists, pruning and clean-up of the file layout, on real files under a fresh app home.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/UIFilePath.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"
#include "support/TestImages.h"

namespace fs = std::filesystem;

namespace {

std::string lib() {
  return NSLibraryDirectory();
}

void writeBytes(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string pngOf(int w, int h) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), false, 1);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setRGBFillColor(1, 0, 0, 1);
  ctx->fillRect(CGRectMake(0, 0, w, h));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return *UIImagePNGRepresentation(image);
}

std::string twoFrameGIF() {
  GIFSpec spec = threeFrameGIF();
  spec.frames.pop_back();
  return writeGIF(spec);
}

TEST(UIFilePathCaches, IdListsRoundTripAndMissingOnesReadAsNone) {
  EXPECT_FALSE(UIFilePath::readArrayFile());
  EXPECT_FALSE(UIFilePath::readLikeArray());
  EXPECT_FALSE(UIFilePath::readLikeProductArray());
  EXPECT_FALSE(UIFilePath::readAttendArray());
  const std::vector<std::string> ids = {"3590000001", "3590000002"};
  EXPECT_TRUE(UIFilePath::saveFileByArray(ids));
  EXPECT_TRUE(UIFilePath::saveLikeArray({"7"}));
  EXPECT_TRUE(UIFilePath::saveArray({"p1"}));
  EXPECT_TRUE(UIFilePath::saveArray({"c1"}, "likeCompany.txt"));
  EXPECT_TRUE(UIFilePath::saveAttendArray({"9"}));
  EXPECT_EQ(UIFilePath::readArrayFile(), ids);
  EXPECT_EQ(UIFilePath::readLikeArray(), std::vector<std::string>{"7"});
  EXPECT_EQ(UIFilePath::readLikeProductArray(), std::vector<std::string>{"p1"});
  EXPECT_EQ(UIFilePath::readAttendArray(), std::vector<std::string>{"9"});
  // Property-list arrays where the lists live.
  EXPECT_EQ(propertyListWithContentsOfFile(UIFilePath::likeStatusPath()),
            Value(makeArray({Value("7")})));
  EXPECT_TRUE(fs::exists(lib() + "/Caches/likeCompany.txt"));
  EXPECT_TRUE(fs::exists(UIFilePath::localPath(6)));

  EXPECT_TRUE(UIFilePath::saveToFile("行情", lib() + "/Caches/note.txt"));
  EXPECT_EQ(dataWithContentsOfFile(lib() + "/Caches/note.txt"), "行情");
}

TEST(UIFilePathCaches, TheDownloadRecordKeepsThe100NewestPictures) {
  std::string folder = lib() + "/Caches/img/ziza/pic";
  // 101 pictures recorded out of order: time 1000 + i, picture i.
  std::vector<int> order;
  for (int i = 0; i < 101; ++i) order.push_back((i * 37) % 101);
  for (int i : order) {
    std::string file = folder + "/p" + std::to_string(i) + ".jpg";
    writeBytes(file, "jpg");
    UIFilePath::saveDownLoadPathRecode(file, 0, 1000 + i);
  }
  UIFilePath::saveDownLoadPathRecode("", 0, 5);  // not recorded
  ValueArray record = arrayWithContentsOfFile(UIFilePath::getSaveRecordPath());
  ASSERT_TRUE(record);
  ASSERT_EQ(record->count(), 101u);
  EXPECT_EQ(record->objectAtIndex(0), Value::dictionaryOf({{"1000", Value(folder + "/p0.jpg")}}));

  UIFilePath::cleanImageCache();
  record = arrayWithContentsOfFile(UIFilePath::getSaveRecordPath());
  ASSERT_EQ(record->count(), 100u);
  // Newest first; only the oldest picture and its entry went.
  EXPECT_EQ(record->objectAtIndex(0)["1100"], Value(folder + "/p100.jpg"));
  EXPECT_EQ(record->objectAtIndex(99)["1001"], Value(folder + "/p1.jpg"));
  EXPECT_FALSE(fs::exists(folder + "/p0.jpg"));
  for (int i = 1; i < 101; ++i) EXPECT_TRUE(fs::exists(folder + "/p" + std::to_string(i) + ".jpg"));

  // 100 entries are left exactly as they are.
  auto before = dataWithContentsOfFile(UIFilePath::getSaveRecordPath());
  UIFilePath::cleanImageCache();
  EXPECT_EQ(dataWithContentsOfFile(UIFilePath::getSaveRecordPath()), before);
}

TEST(UIFilePathCaches, ArticlePagesAreCutTo99OldestFirstOnceThereAre100) {
  std::string folder = lib() + "/Caches/HTML/NewsReader";
  auto page = [&](int i) { return folder + "/a" + std::to_string(i) + ".html"; };
  auto now = fs::file_time_type::clock::now();
  // Pages 0 ... 98 and the stylesheet, page i i minutes old (the stylesheet the newest).
  for (int i = 0; i < 99; ++i) {
    writeBytes(page(i), "<html/>");
    fs::last_write_time(page(i), now - std::chrono::minutes(i + 1));
  }
  writeBytes(UIFilePath::cssFilePath(), "p{}");
  auto count = [&] {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator{});
  };
  ASSERT_EQ(count(), 100);
  UIFilePath::removeLocalHTMLFile();
  EXPECT_EQ(count(), 99);
  EXPECT_FALSE(fs::exists(page(98)));  // the oldest
  EXPECT_TRUE(fs::exists(page(97)));
  EXPECT_TRUE(fs::exists(UIFilePath::cssFilePath()));
  UIFilePath::removeLocalHTMLFile();
  EXPECT_EQ(count(), 99);
}

TEST(UIFilePathCaches, CacheGroupsClearWhatTheyName) {
  auto stand = StandInRecorder::install();
  std::string comments = UIFilePath::cacheCommentPath("1");
  std::string retweets = UIFilePath::cacheRetweetPath("1");
  std::string products = UIFilePath::cacheProductPath("1");
  std::string page = UIFilePath::getChannelFilePath(14, "5");
  std::string account = UIFilePath::localPath(5);
  for (const auto& f : {comments, retweets, products, page, account}) writeBytes(f, "{}");

  UIFilePath::removeLocalProductFile();
  EXPECT_FALSE(fs::exists(products));
  EXPECT_TRUE(fs::exists(comments));
  UIFilePath::removeFileType(4);  // the content server's channel pages
  EXPECT_FALSE(fs::exists(page));
  EXPECT_TRUE(fs::exists(comments));
  UIFilePath::removeFileType(1);  // the platform account's data
  EXPECT_FALSE(fs::exists(comments));
  EXPECT_FALSE(fs::exists(account));
  EXPECT_TRUE(fs::exists(retweets));
  UIFilePath::removeFileType(7);  // no such group
  EXPECT_TRUE(fs::exists(retweets));

  // The settings screen's clearing: the busy overlay at once, the clearing 0.1 s later.
  MainLoop::install();
  UIFilePath::removeFileType(3, Value("token"));
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "正在删除中...");
  EXPECT_TRUE(fs::exists(retweets));
  MainLoop::advance(0.1);
  EXPECT_FALSE(fs::exists(retweets));
  EXPECT_TRUE(fs::is_directory(lib() + "/Caches"));
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
  EXPECT_EQ(StandInRecorder::shownPrompt(), "删除完成！");
}

TEST(UIFilePathCaches, CountersMergeIntoTheCachedPage) {
  std::string path = UIFilePath::getChannelFilePath(14, "5");
  const std::string page = R"({"next_cursor":7,"statuses":[{"eid":11,"text":"a","likes_count":0},)"
                           R"({"eid":12,"text":"b"},{"eid":13,"text":"c","likes_count":4}]})";
  writeBytes(path, page);
  // Malformed or empty replies change nothing.
  for (const char* reply : {"", "[]", "{}", "not json"}) UIFilePath::updateLikeCount(reply, path);
  EXPECT_EQ(dataWithContentsOfFile(path), page);

  UIFilePath::updateLikeCount(
      R"([{"id":11,"closed":0,"likes":5,"C_rt_num":2,"C_cmt_num":3},{"id":12,"closed":1}])", path);
  Value merged = objectFromJSONString(*dataWithContentsOfFile(path));
  EXPECT_EQ(merged["next_cursor"].intValue(), 7);
  Value statuses = merged["statuses"];
  ASSERT_EQ(statuses.count(), 2u);  // the closed one went
  EXPECT_EQ(statuses[0]["likes_count"].intValue(), 5);
  EXPECT_EQ(statuses[0]["reposts_count"].intValue(), 2);
  EXPECT_EQ(statuses[0]["comments_count"].intValue(), 3);
  EXPECT_EQ(statuses[0]["text"], Value("a"));
  EXPECT_EQ(statuses[1]["eid"].intValue(), 13);
  EXPECT_EQ(statuses[1]["likes_count"].intValue(), 4);
  EXPECT_TRUE(statuses[1]["reposts_count"].isNil());
}

TEST(UIFilePathCaches, UpdateStampsComeFromTheUpdateCheckDocument) {
  EXPECT_EQ(UIFilePath::getTopicDate(), "");
  writeBytes(UIFilePath::updateDatePath(),
             R"({"otherchannels":[{"cids":"5","updt":"1"},{"cids":"topics","updt":"20130603"},)"
             R"({"cids":"dialog","updt":"20130601"}]})");
  EXPECT_EQ(UIFilePath::getTopicDate(), "20130603");
  EXPECT_EQ(UIFilePath::getDialogUpDataTime(), "20130601");
  EXPECT_EQ(UIFilePath::getVEZIUpDataTime(), "");
}

TEST(UIFilePathCaches, AnimatedPicturesAreClassedByTheirSize) {
  std::string dir = lib() + "/Caches/img/ziza/";
  auto sized = [&](const std::string& name, const std::string& head, size_t bytes) {
    std::string data = head;
    data.resize(bytes, '\0');
    writeBytes(dir + name, data);
    return dir + name;
  };
  std::string gif = twoFrameGIF();
  ASSERT_FALSE(gif.empty());
  struct Case {
    std::string path;
    int expected;
  };
  const Case cases[] = {
      // Two frames whatever the name, padded after the picture.
      {sized("half.png", gif, 512 * 1024), 1},
      {sized("two.jpg", gif, 2 * 1024 * 1024), 2},
      {sized("three.jpg", gif, 3 * 1024 * 1024 + 1024), 3},
      {sized("five.jpg", gif, 5 * 1024 * 1024), 0},
      // A ".gif" name is not looked into.
      {sized("five.gif", "", 5 * 1024 * 1024), 0},
      {sized("small.gif", "", 1024), 1},
      // One frame, no picture at all, no file.
      {sized("still.png", pngOf(4, 4), 600), 0},
      {sized("text.jpg", "hello", 600), 0},
      {dir + "missing.jpg", 2},
      {dir + "missing.gif", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(UIFilePath::isBigGifImage(c.path), c.expected);
  }
}

TEST(UIFilePathCaches, EmoticonNamesAreLookedUpInTheSharedTable) {
  EXPECT_EQ(UIFilePath::getBiaoQingByName("兔子"), "1");
  EXPECT_EQ(UIFilePath::getBiaoQingByName("哈哈"), "10");
  EXPECT_EQ(UIFilePath::getBiaoQingByName("good"), "64");
  EXPECT_EQ(UIFilePath::getBiaoQingByName("囧"), "94");
  EXPECT_FALSE(UIFilePath::getBiaoQingByName("Good"));
  EXPECT_FALSE(UIFilePath::getBiaoQingByName("[哈哈]"));
  EXPECT_TRUE(UIFilePath::isInBiaoQingList("ok"));
  EXPECT_FALSE(UIFilePath::isInBiaoQingList(""));
}

TEST(UIFilePathCaches, TheCacheSizeIsShownInMegabytes) {
  fs::remove_all(lib() + "/Caches");
  EXPECT_EQ(UIFilePath::folderSizeWithPath(), "0M");
  fs::create_directories(lib() + "/Caches");
  EXPECT_EQ(UIFilePath::folderSizeWithPath(), "0.00M");

  writeBytes(lib() + "/Caches/img/a.jpg", std::string(1536 * 1024, 'x'));
  writeBytes(lib() + "/Caches/b.txt", std::string(100, 'x'));
  fs::create_symlink("/nonexistent/target/of/some/length", lib() + "/Caches/link");
  struct stat folder, link;
  ASSERT_EQ(::lstat((lib() + "/Caches/img").c_str(), &folder), 0);
  ASSERT_EQ(::lstat((lib() + "/Caches/link").c_str(), &link), 0);
  int64_t expected = 1536 * 1024 + 100 + folder.st_size + link.st_size;
  EXPECT_EQ(UIFilePath::_folderSizeAtPath((lib() + "/Caches/").c_str()), expected);
  EXPECT_EQ(UIFilePath::folderSizeAtPath3(lib() + "/Caches"), expected);
  char text[32];
  std::snprintf(text, sizeof text, "%.2fM", double(expected) / 1024 / 1024);
  EXPECT_EQ(UIFilePath::folderSizeWithPath(), text);

  // An entry whose path would not fit in 1024 bytes is not counted; the folders on the way are.
  std::string path = lib() + "/Caches";
  int64_t folders = 0;
  while (path.size() < 800) {
    path += "/" + std::string(150, 'd');
    fs::create_directory(path);
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    folders += st.st_size;
  }
  writeBytes(path + "/" + std::string(250, 'f'), std::string(4096, 'x'));
  ASSERT_GE(path.size() + 251, 1024u);
  EXPECT_EQ(UIFilePath::_folderSizeAtPath((lib() + "/Caches").c_str()), expected + folders);
}

TEST(UIFilePathCaches, ChannelTilesComeFromTheStoreOrTheBundle) {
  auto globe = NSGlobe::getEngine();
  globe->setThemeNum(1);
  // A stored day tile wins.
  UIFilePath::getChannelFileDir(105);
  writeBytes(UIFilePath::getNewChannelImageTuiJian(105), pngOf(120, 100));
  auto stored = UIFilePath::getImageByName("Blue.png", 105);
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->CGImage()->width(), 120u);
  // Without one, the bundle's: "channel<name>", then "channeliconID<id>".
  auto named = UIFilePath::getImageByName("Blue", 7);
  ASSERT_TRUE(named);
  EXPECT_EQ(named->name(), "channelBlue");
  auto byId = UIFilePath::getImageByName("Nothing", 1);
  ASSERT_TRUE(byId);
  EXPECT_EQ(byId->name(), "channeliconID1");
  // The night theme asks for "_theme1" tiles.
  globe->setThemeNum(2);
  auto night = UIFilePath::getImageByName("Nothing.png", 1);
  ASSERT_TRUE(night);
  EXPECT_EQ(night->name(), "channeliconID1");
  EXPECT_FALSE(UIFilePath::getImageByName("Nothing", 99999));
}

TEST(UIFilePathCaches, OnAScreenThatIsNotRetinaTilesAre40Points) {
  UIDeviceProfile profile;
  profile.screenScale = 1;
  profile.machine = "iPhone2,1";
  UIDevice::setProfile(profile);
  ASSERT_FALSE(NSGlobe::getEngine()->isIphone4());
  NSGlobe::getEngine()->setThemeNum(1);
  auto tile = UIFilePath::getImageByName("Blue", 7);
  ASSERT_TRUE(tile);
  EXPECT_EQ(tile->size().width, 40);
  EXPECT_EQ(tile->size().height, 40);
  UIDevice::resetProfile();
}

}  // namespace
