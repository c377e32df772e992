#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "Foundation/NSPathUtilities.h"
#include "core/NSConfig.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/UIFilePath.h"
#include "support/FileSizeLimit.h"
#include "support/StandInRecorder.h"

namespace fs = std::filesystem;

namespace {

// The bundle's content server is http://api.zept.example: the host labels A = "api" and
// M.R = "zept.example".
const std::string kBase = "http://api.zept.example";

std::string lib() {
  return NSLibraryDirectory();
}

std::string cache(std::string_view rel) {
  return lib() + "/Caches/" + std::string(rel);
}

TEST(UIFilePath, WorkedExamples) {
  ASSERT_EQ(NSConfig::engine()->serverURL(), kBase);
  EXPECT_EQ(UIFilePath::getFilePath(kBase + "/Channels/Channel.aspx?keys=K3Y&std=2&page=1&max_id=0"
                                            "&channel_id=5&temp_id=0"),
            cache("api/Channels/Channel_max_id_0_page_1_channel_id_5.txt"));
  EXPECT_EQ(
      UIFilePath::getFilePath(kBase + "/Dialog/GetDialogPost.aspx?keys=K3Y&type=2&event_id=9&page=1"
                                      "&since_id=7"),
      cache("api/Dialog/GetDialogPost_since_id_7_page_1_event_id_9_type_2.txt"));
  EXPECT_EQ(UIFilePath::getFilePath(kBase + "/VEZI/GetBanner.aspx"),
            cache("api/VEZI/GetBanner.txt"));
  // A path ending in "/" names the folder's hello.txt; the folder is made.
  EXPECT_EQ(UIFilePath::getFilePath(kBase + "/Search/"), cache("api/Search/hello.txt"));
  EXPECT_TRUE(fs::is_directory(cache("api/Search")));
  EXPECT_TRUE(fs::is_directory(cache("api/Channels")));
}

TEST(UIFilePath, DevelopmentServersKeepTheirHostAndPort) {
  NSConfig::engine()->changeServer(true);
  EXPECT_EQ(UIFilePath::getFilePath("http://api-dev.zept.example:8030/Channels/Channel.aspx?"
                                    "page=1&max_id=0&channel_id=5&keys=x"),
            cache("api-dev.zept.example/8030/Channels/Channel_max_id_0_page_1_channel_id_5.txt"));
  EXPECT_EQ(UIFilePath::getChannelFilePath(14, "5"),
            cache("api-dev.zept.example/8030/Channels/Channel_max_id_0_page_1_channel_id_5.txt"));
  NSConfig::engine()->changeServer(false);
}

TEST(UIFilePath, OrderAndPerLoginValuesDoNotChangeTheFile) {
  const std::string expected = cache("api/Channels/Channel_max_id_0_page_2_channel_id_7.txt");
  const char* urls[] = {
      "/Channels/Channel.aspx?page=2&max_id=0&channel_id=7",
      "/Channels/Channel.aspx?channel_id=7&page=2&max_id=0",
      "/Channels/Channel.aspx?keys=AAA&std=2&channel_id=7&max_id=0&page=2&temp_id=3",
      "/Channels/Channel.aspx?keys=BBB&std=3&is2x=1&u_id=9&ptype=2&lat=30.1&lon=120.2&test=1"
      "&max_id=0&page=2&channel_id=7",
      "/Channels/Channel.aspx?&max_id=0&&page=2&channel_id=7&",
  };
  for (const char* u : urls) EXPECT_EQ(UIFilePath::getFilePath(kBase + u), expected) << u;
}

TEST(UIFilePath, ParameterGroups) {
  struct Case {
    const char* query;
    const char* file;
  } cases[] = {
      // "lat" anywhere drops the parameter, also inside a value.
      {"?order=latest&page=1", "api/List_page_1.txt"},
      // "ptype" is dropped before the "type" test; "type" goes last but one.
      {"?type=3&ptype=1&page=1", "api/List_page_1_type_3.txt"},
      {"?channel_ids=1,2&page=1&max_id=9", "api/List_max_id_9_page_1_channel_ids_1,2.txt"},
      {"?x=1&event_id=4&topicId=8&since_id=2", "api/List_since_id_2_topicId_8_event_id_4_x_1.txt"},
      {"?b=2&a=1", "api/List_b_2_a_1.txt"},  // the rest keeps the URL's order
      {"?categoryId=5&group_id=6", "api/List_categoryId_5_group_id_6.txt"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UIFilePath::getFilePath(kBase + "/List.aspx" + c.query), cache(c.file)) << c.query;
}

TEST(UIFilePath, WithoutQueryOnlyDomainAspxAndEquals) {
  EXPECT_EQ(UIFilePath::getFilePath(kBase + "/a=b/Item.aspx"), cache("api/a_b/Item.txt"));
  EXPECT_EQ(UIFilePath::modifyFilePath("x/api.zept.example/p.aspx"), "x/api/p");
  // A colon anywhere, also in a value, makes a folder level.
  EXPECT_EQ(UIFilePath::getFilePath(kBase + "/Go.aspx?url=a:b"), cache("api/Go_url_a/b.txt"));
}

TEST(UIFilePath, RefusesURLsWithoutScheme) {
  EXPECT_FALSE(UIFilePath::getFilePath(""));
  EXPECT_FALSE(UIFilePath::getFilePath("api.zept.example/x"));
  EXPECT_FALSE(UIFilePath::getImageWithPath(""));
  EXPECT_FALSE(UIFilePath::localFilePath("nothing"));
}

TEST(UIFilePath, CachePathsNeverLeaveTheirFolder) {
  const char* urls[] = {
      "http://api.zept.example/../../../etc/passwd",
      "http://api.zept.example/a/./../b",
      "http://api.zept.example/x:..:..:..:outside",
      "http://api.zept.example/q.aspx?page=../../../../x",
      "http://..:..:../up",
      "http://api.zept.example/..",
      "http://api.zept.example/..M.R./",
  };
  for (const char* u : urls) {
    auto path = UIFilePath::getFilePath(u);
    if (!path) continue;
    EXPECT_EQ(path->rfind(lib() + "/Caches/", 0), 0u) << u << " -> " << *path;
    EXPECT_EQ(path->find("/../"), std::string::npos) << u << " -> " << *path;
    EXPECT_EQ(path->find("/./"), std::string::npos) << u << " -> " << *path;
    EXPECT_EQ(fs::weakly_canonical(*path).string().rfind(lib() + "/Caches/", 0), 0u) << u;
  }
  std::string withNul("http://api.zept.example/a\0b.aspx", 32);
  EXPECT_EQ(UIFilePath::getFilePath(withNul), cache("api/ab.txt"));
  EXPECT_EQ(UIFilePath::messageImagePath("http://x/.."), "");
  EXPECT_EQ(UIFilePath::cacheCommentPath("../../x"), "");
}

TEST(UIFilePath, OtherCacheKinds) {
  EXPECT_EQ(UIFilePath::getImageWithPath(kBase + "/img/p.jpg?keys=1"),
            lib() + "/Caches/img/ziza/api/img/p.jpg");
  EXPECT_EQ(UIFilePath::getImageWithPath(kBase + "/img/"),
            lib() + "/Caches/img/ziza/api/img/hello.jpg");
  EXPECT_EQ(UIFilePath::localFilePath("https://api.ziza.example/2/statuses/mentions.json?page=1"),
            lib() + "/Caches/HTML/api.ziza.example/2/statuses/mentions.json_page_1.json");
  EXPECT_EQ(UIFilePath::localFilePath("https://api.ziza.example/2/a.json"),
            lib() + "/Caches/HTML/api.ziza.example/2/a.json");
  EXPECT_EQ(UIFilePath::localPath(5),
            lib() + "/CachesDate/HTML/api.ziza.example/2/account/verify_credentials.json");
  EXPECT_EQ(UIFilePath::localPath(6),
            lib() + "/Caches/HTML/api.ziza.example/2/favoritesList/favorites.json");
  EXPECT_EQ(UIFilePath::localPath(1), "");

  const std::string url = "https://api.ziza.example/2/statuses/friends_timeline.json";
  EXPECT_FALSE(UIFilePath::getDataByUrl(url));
  EXPECT_TRUE(UIFilePath::saveFileByData("{\"a\":1}", url));
  EXPECT_EQ(UIFilePath::getDataByUrl(url), "{\"a\":1}");
  EXPECT_EQ(UIFilePath::localPath(0), *UIFilePath::localFilePath(url));
}

TEST(UIFilePath, AFullDiskKeepsTheFileThatWasThereAndLeavesNoTemporaryFile) {
  const std::string url = "https://api.ziza.example/2/statuses/friends_timeline.json";
  const std::string old = "{\"statuses\":[1,2,3]}";
  ASSERT_TRUE(UIFilePath::saveFileByData(old, url));
  std::string path = *UIFilePath::localFilePath(url);
  auto folder = fs::path(path).parent_path();
  auto names = [&] {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(folder)) out.push_back(e.path().filename());
    return out;
  };
  const auto before = names();
  bool wroteLarger, wroteSmaller;
  {
    // The disk takes 8 KB of any file: a short write, and a write that fails at once.
    testsupport::FileSizeLimit full(8192);
    ASSERT_TRUE(full.applied());
    wroteLarger = UIFilePath::saveFileByData(std::string(100000, 'x'), url);
    wroteSmaller = UIFilePath::saveFileByData(std::string(8192 + 1, 'y'), url);
  }
  EXPECT_FALSE(wroteLarger);
  EXPECT_FALSE(wroteSmaller);
  EXPECT_EQ(UIFilePath::getDataByUrl(url), old);
  EXPECT_EQ(names(), before);
}

TEST(UIFilePath, NamedFiles) {
  EXPECT_EQ(UIFilePath::localHTMLFilePath("http://x/a/page.html"),
            lib() + "/Caches/HTML/NewsReader/page.html");
  EXPECT_EQ(UIFilePath::localHTMLFilePath("http://x/a/page"),
            lib() + "/Caches/HTML/NewsReader/page.html");
  EXPECT_FALSE(UIFilePath::localHTMLFilePath("page.html"));
  EXPECT_FALSE(UIFilePath::readLaterHTMLFilePath(""));
  EXPECT_EQ(UIFilePath::readLaterHTMLFilePath("/x/7"), lib() + "/Data/NewsReader/7.html");
  EXPECT_EQ(UIFilePath::cacheCommentPath("12"), lib() + "/Caches/StatusComments/12.json");
  EXPECT_TRUE(fs::is_directory(lib() + "/Caches/StatusComments"));
  EXPECT_EQ(UIFilePath::likePath(), lib() + "/Caches/likeProduct.txt");
  EXPECT_EQ(UIFilePath::messageImagePath("http://h/m/pic.png"),
            lib() + "/Caches/messageImage/pic.png");
  EXPECT_EQ(UIFilePath::messageImagePath("nopath"), "");
  EXPECT_EQ(UIFilePath::getSaveRecordPath(), lib() + "/ziza.json");
  EXPECT_TRUE(fs::is_regular_file(lib() + "/ziza.json"));
  EXPECT_EQ(UIFilePath::getLogFilePath(), lib() + "/Log/log.txt");
  // The default device has a retina screen.
  EXPECT_EQ(UIFilePath::getNewChannelImageIcon(3), lib() + "/NewChannelImages/3/icon@2x.png");
  EXPECT_FALSE(fs::exists(lib() + "/NewChannelImages/3"));
  EXPECT_EQ(UIFilePath::getChannelFileDir(3), lib() + "/NewChannelImages/3/");
  EXPECT_TRUE(fs::is_directory(lib() + "/NewChannelImages/3"));
  EXPECT_EQ(UIFilePath::getMainBackGroundImagePath(10),
            lib() + "/NewChannelImages/mainBackGround/mainBackground10.jpg");
}

TEST(UIFilePath, ListPagesMatchTheirRequests) {
  EXPECT_EQ(UIFilePath::getChannelFilePath(14, "5", 1, 0),
            UIFilePath::getFilePath(kBase + "/Channels/Channel.aspx?keys=K&std=2&page=1&max_id=0"
                                            "&channel_id=5&temp_id=0"));
  EXPECT_EQ(UIFilePath::getChannelFilePathSinceId(14, "5", 2, 77),
            UIFilePath::getFilePath(kBase + "/Channels/Channel.aspx?keys=K&page=2&since_id=77"
                                            "&channel_id=5"));
  EXPECT_EQ(UIFilePath::getChannelFilePath(0, "0", 1, 0),
            cache("api/Channels/FeedV2_max_id_0_page_1_channel_id_0.txt"));
  EXPECT_EQ(UIFilePath::getChannelFilePath(9, "4", 3, 0),
            cache("api/VEZI/SearchCompany_page_3_categoryId_4.txt"));
  EXPECT_EQ(UIFilePath::getChannelFilePath(99, "4", 3, 0), ".txt");
  EXPECT_EQ(UIFilePath::getChannelFilePathSinceId(8, "4", 3, 0), ".txt");
  EXPECT_EQ(
      UIFilePath::getSeminarFilePath(2, {"2", "1", "9", "7"}),
      UIFilePath::getFilePath(kBase + "/Dialog/GetDialogPost.aspx?keys=K&type=2&event_id=9&page=1"
                                      "&since_id=7"));
  EXPECT_EQ(UIFilePath::getSeminarFilePath(2, {"2"}), ".txt");
  EXPECT_EQ(UIFilePath::getSeminarFilePath(0, int64_t(9)),
            cache("api/Dialog/GetWatchDialogPost_event_id_9.txt"));
  EXPECT_EQ(UIFilePath::getBannerAD(), cache("api/Dialog/GetBannerAD.txt"));
  EXPECT_EQ(UIFilePath::getSeminarDialogPath(), cache("api/Dialog/"));
}

TEST(UIFilePath, APlatformCacheIsSavedAlsoWhenItsFolderWasJustRemovedByAnotherHand) {
  const std::string url = "https://api.ziza.example/2/statuses/mentions.json";
  UIFilePath::forgetKnownFolders();
  ASSERT_TRUE(UIFilePath::localFilePath(url));  // the folder is seen now
  fs::remove_all(lib() + "/Caches");
  EXPECT_TRUE(UIFilePath::saveFileByData("{\"a\":1}", url));
  EXPECT_EQ(UIFilePath::getDataByUrl(url), "{\"a\":1}");
}

TEST(UIFilePath, EveryLookUpsFolderRemovedBehindItsBackIsMadeAgainForTheWrite) {
  const std::string platform = "https://api.ziza.example/2/statuses/mentions.json";
  struct Case {
    const char* name;
    std::function<std::string()> lookUp;
  };
  const std::vector<Case> cases = {
      {"reply cache", [] { return *UIFilePath::getFilePath(kBase + "/Channels/Hot.aspx?page=1"); }},
      {"picture", [] { return *UIFilePath::getImageWithPath(kBase + "/img/a/p.jpg"); }},
      {"platform cache", [&] { return *UIFilePath::localFilePath(platform); }},
      {"platform account", [&] { return *UIFilePath::localZizaFilePath(platform); }},
      {"article page", [] { return *UIFilePath::localHTMLFilePath("http://x/a/page"); }},
      {"read-later copy", [] { return *UIFilePath::readLaterHTMLFilePath("http://x/a/page"); }},
      {"stylesheet", [] { return UIFilePath::cssFilePath(); }},
      {"comment list", [] { return UIFilePath::cacheCommentPath("12"); }},
      {"repost list", [] { return UIFilePath::cacheRetweetPath("12"); }},
      {"product feedback", [] { return UIFilePath::cacheProductPath("12"); }},
      {"liked statuses", [] { return UIFilePath::likeStatusPath(); }},
      {"server message", [] { return UIFilePath::messageStringPath(); }},
      {"message picture", [] { return UIFilePath::messageImagePath("http://h/m/pic.png"); }},
      {"update check", [] { return UIFilePath::updateDatePath(); }},
      {"usage log", [] { return UIFilePath::getLogFilePath(); }},
      {"network log", [] { return UIFilePath::getNetLogPath(); }},
      {"channel images", [] { return UIFilePath::getChannelFileDir(3) + "icon.png"; }},
      {"home background", [] { return UIFilePath::getMainBackGroundImagePath(10); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UIFilePath::forgetKnownFolders();
    std::string path = c.lookUp();  // the folder is seen now, and remembered
    fs::path folder = fs::path(path).parent_path();
    ASSERT_TRUE(fs::is_directory(folder));
    fs::remove_all(folder);
    ASSERT_EQ(c.lookUp(), path);
    EXPECT_TRUE(UIFilePath::writeFile(path, "bytes"));
    std::ifstream in(path);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "bytes");
    // A writer that hands the path on makes sure of the folder first.
    fs::remove_all(folder);
    EXPECT_TRUE(UIFilePath::makeSureFolderOf(path));
    EXPECT_TRUE(fs::is_directory(folder));
  }
  // A write that fails for another reason is not retried into success.
  fs::create_directories(lib() + "/Caches/blocked.txt");
  EXPECT_FALSE(UIFilePath::writeFile(lib() + "/Caches/blocked.txt", "x"));
  std::ofstream(lib() + "/Caches/plain.txt") << "x";
  EXPECT_FALSE(UIFilePath::makeSureFolderOf(lib() + "/Caches/plain.txt/x/y"));
}

TEST(UIFilePath, RemovingPicturesKeepsReplies) {
  auto stand = StandInRecorder::install();
  auto reply = *UIFilePath::getFilePath(kBase + "/VEZI/GetBanner.aspx");
  std::ofstream(reply) << "{}";
  auto picture = *UIFilePath::getImageWithPath(kBase + "/img/p.jpg");
  std::ofstream(picture) << "jpg";
  std::string record = UIFilePath::getSaveRecordPath();
  createBusyViews();
  startBusyAnimation();
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "正在加载...");
  UIFilePath::startRemoveFileType(2);
  EXPECT_TRUE(fs::exists(reply));
  EXPECT_FALSE(fs::exists(picture));
  EXPECT_TRUE(fs::is_directory(lib() + "/Caches/img"));
  EXPECT_FALSE(fs::exists(record));
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
  EXPECT_EQ(StandInRecorder::shownPrompt(), "删除完成！");
  UIFilePath::removeFileType(3);
  EXPECT_FALSE(fs::exists(reply));
  EXPECT_TRUE(fs::is_directory(lib() + "/Caches"));
}

}  // namespace
