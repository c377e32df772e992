// The read-later store on its real list file and page folders in the test's app home, and the
// title, source and summary scraped from saved pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/JXKit/NSArray+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "core/UIFilePath.h"
#include "model/OriginalArticle.h"

namespace {

std::string urlOf(int n) {
  return "http://news.example/a/" + std::to_string(n) + ".html";
}

OriginalArticlePtr article(int n, std::string_view title = "") {
  auto a = OriginalArticle::initWithURL(urlOf(n));
  a->title = title.empty() ? "title " + std::to_string(n) : std::string(title);
  a->statusId = n;
  return a;
}

bool exists(const std::string& path) {
  return NSFileManager::defaultManager().fileExistsAtPath(path);
}

void writeText(const std::string& path, std::string_view text) {
  ASSERT_TRUE(writeToFile(path, text, true)) << path;
}

std::string listPath() {
  return stringByAppendingPathComponent(NSDocumentDirectory(), kArticleItemsFileName);
}

Value storedList() {
  return objectFromJSONString(dataWithContentsOfFile(listPath()).value_or(""));
}

std::vector<std::string> storedURLs() {
  std::vector<std::string> urls;
  Value list = storedList();
  for (size_t i = 0; i < list.count(); ++i) urls.emplace_back(list[i]["url"].string());
  return urls;
}

std::vector<std::string> urlsOf(const OriginalArticleArray& records) {
  std::vector<std::string> urls;
  for (const auto& r : records) urls.push_back(r->originalURL);
  return urls;
}

std::vector<std::string> urlRange(int first, int last) {
  std::vector<std::string> urls;
  for (int n = first; n <= last; ++n) urls.push_back(urlOf(n));
  return urls;
}

// The store belongs to the process: every test starts from an empty list and empty page
// folders, whatever ran before it.
class ReadLaterStore : public ::testing::Test {
 protected:
  void SetUp() override {
    // The list in memory is emptied through the store, from a file that agrees with it.
    if (auto items = OriginalArticle::articleItems()) {
      std::vector<Value> entries;
      for (const auto& a : *items) entries.push_back(Value(a->entry()));
      writeText(listPath(), JSONString(makeArray(entries)).string());
      for (const auto& a : *items) OriginalArticle::removeArticle(*a);
    }
    auto& files = NSFileManager::defaultManager();
    if (exists(listPath())) files.removeItemAtPath(listPath());
    for (const char* folder : {"Caches/HTML/NewsReader", "Data/NewsReader"}) {
      std::string path = stringByAppendingPathComponent(NSLibraryDirectory(), folder);
      if (exists(path)) files.removeItemAtPath(path);
    }
    UIFilePath::forgetKnownFolders();
  }

  // Stores entries for the articles first..last, newest (first) first, as a saved list.
  static void storeList(int first, int last) {
    std::vector<Value> entries;
    for (int n = first; n <= last; ++n) entries.push_back(Value(article(n)->entry()));
    writeText(listPath(), JSONString(makeArray(entries)).string());
  }

  static std::string cachedPage(int n, std::string_view html = "<html>page</html>") {
    std::string path = *UIFilePath::localHTMLFilePath(urlOf(n));
    writeText(path, html);
    return path;
  }
  static std::string readLaterCopy(int n) { return *UIFilePath::readLaterHTMLFilePath(urlOf(n)); }
};

TEST_F(ReadLaterStore, AnEntryHoldsAllSixKeysWithEmptyTextsForWhatTheRecordLacks) {
  auto a = OriginalArticle::initWithURL(urlOf(1));
  a->statusId = 3652874118035870LL;
  a->title = "标题";
  ASSERT_TRUE(OriginalArticle::addArticle(*a));

  Value list = storedList();
  ASSERT_EQ(list.count(), 1u);
  Value entry = list[0];
  EXPECT_EQ(entry.count(), 6u);
  EXPECT_EQ(entry["title"].string(), "标题");
  EXPECT_EQ(entry["url"].string(), urlOf(1));
  for (const char* key : {"summary", "from", "imageUrl"}) {
    EXPECT_TRUE(entry[key].isString()) << key;
    EXPECT_EQ(entry[key].string(), "") << key;
  }
  EXPECT_TRUE(entry["statusId"].isNumber());
  EXPECT_EQ(entry["statusId"].longLongValue(), 3652874118035870LL);

  auto back = OriginalArticle::initWithDic(entry);
  EXPECT_EQ(back->statusId, 3652874118035870LL);
  EXPECT_EQ(back->title, "标题");
  EXPECT_EQ(back->originalURL, urlOf(1));
}

TEST_F(ReadLaterStore, ARecordOfAnEntryReadsMissingAndNullTextsAsEmpty) {
  auto a = OriginalArticle::initWithDic(objectFromJSONString(
      R"({"title": null, "url": "http://x/1", "from": "站点", "statusId": "12", "summary": 5})"));
  EXPECT_EQ(a->title, "");
  EXPECT_EQ(a->originalURL, "http://x/1");
  EXPECT_EQ(a->source, "站点");
  EXPECT_EQ(a->imageUrl, "");
  EXPECT_EQ(a->summary, "5");
  EXPECT_EQ(a->statusId, 12);
}

TEST_F(ReadLaterStore, SavingThe201stArticleDropsTheOldestAndItsPageCopy) {
  storeList(2, 201);  // 200 entries, 201 the oldest
  writeText(readLaterCopy(201), "oldest");
  writeText(readLaterCopy(200), "kept");
  cachedPage(1, "<html>newest</html>");

  ASSERT_TRUE(OriginalArticle::addArticle(*article(1)));
  auto urls = storedURLs();
  EXPECT_EQ(urls, urlRange(1, 200));
  EXPECT_FALSE(exists(readLaterCopy(201)));
  EXPECT_TRUE(exists(readLaterCopy(200)));
  EXPECT_EQ(dataWithContentsOfFile(readLaterCopy(1)).value_or(""), "<html>newest</html>");
}

TEST_F(ReadLaterStore, TheListInMemoryFollowsEverySaveAndRemoval) {
  storeList(2, 201);
  auto before = OriginalArticle::articleItems();
  ASSERT_TRUE(before);
  EXPECT_EQ(before->size(), 200u);

  ASSERT_TRUE(OriginalArticle::addArticle(*article(1)));
  ASSERT_TRUE(OriginalArticle::addArticle(*article(0)));
  auto after = OriginalArticle::articleItems();
  ASSERT_TRUE(after);
  EXPECT_EQ(urlsOf(*after), urlRange(0, 199));
  EXPECT_EQ(urlsOf(*after), storedURLs());

  ASSERT_TRUE(OriginalArticle::removeArticle(*article(100)));
  after = OriginalArticle::articleItems();
  ASSERT_TRUE(after);
  EXPECT_EQ(after->size(), 199u);
  EXPECT_FALSE(OriginalArticle::articleWithURL(urlOf(100)));
  EXPECT_EQ(urlsOf(*after), storedURLs());
}

TEST_F(ReadLaterStore, AnAddressSavedTwiceGivesTwoEntriesAndRemovalTakesTheNewer) {
  ASSERT_TRUE(OriginalArticle::addArticle(*article(5, "older")));
  ASSERT_TRUE(OriginalArticle::addArticle(*article(6)));
  ASSERT_TRUE(OriginalArticle::articleItems());  // the list in memory exists from here on
  ASSERT_TRUE(OriginalArticle::addArticle(*article(5, "newer")));
  EXPECT_EQ(storedURLs(), (std::vector<std::string>{urlOf(5), urlOf(6), urlOf(5)}));
  EXPECT_EQ(OriginalArticle::articleWithURL(urlOf(5))->title, "newer");

  ASSERT_TRUE(OriginalArticle::removeArticle(*OriginalArticle::initWithURL(urlOf(5))));
  EXPECT_EQ(storedURLs(), (std::vector<std::string>{urlOf(6), urlOf(5)}));
  EXPECT_EQ(storedList()[1]["title"].string(), "older");
  auto items = OriginalArticle::articleItems();
  ASSERT_TRUE(items);
  EXPECT_EQ(urlsOf(*items), storedURLs());
  EXPECT_EQ(OriginalArticle::articleWithURL(urlOf(5))->title, "older");

  // An address that is not saved is refused.
  EXPECT_FALSE(OriginalArticle::removeArticle(*article(7)));
  EXPECT_EQ(storedURLs().size(), 2u);
}

TEST_F(ReadLaterStore, SavingCopiesTheCachedPageOnceAndSucceedsWithoutOne) {
  cachedPage(1, "first");
  ASSERT_TRUE(OriginalArticle::addArticle(*article(1)));
  EXPECT_EQ(dataWithContentsOfFile(readLaterCopy(1)).value_or(""), "first");

  // Saved again: the copy that is there stays, and that counts as success.
  cachedPage(1, "second");
  EXPECT_TRUE(OriginalArticle::addArticle(*article(1)));
  EXPECT_EQ(dataWithContentsOfFile(readLaterCopy(1)).value_or(""), "first");

  // No cached page: nothing to copy.
  EXPECT_TRUE(OriginalArticle::addArticle(*article(2)));
  EXPECT_FALSE(exists(readLaterCopy(2)));

  // Removal leaves the page copy.
  EXPECT_TRUE(OriginalArticle::removeArticle(*article(1)));
  EXPECT_TRUE(exists(readLaterCopy(1)));
}

TEST_F(ReadLaterStore, AListThatIsNoJSONArrayIsReplacedByTheNewEntry) {
  for (std::string_view text : {"garbage", "{\"url\": \"x\"}", ""}) {
    writeText(listPath(), text);
    ASSERT_TRUE(OriginalArticle::addArticle(*article(9))) << text;
    EXPECT_EQ(storedURLs(), (std::vector<std::string>{urlOf(9)})) << text;
  }
  // Removing from an empty list file is refused.
  writeText(listPath(), "");
  EXPECT_FALSE(OriginalArticle::removeArticle(*article(9)));
}

TEST_F(ReadLaterStore, AListThatCannotBeReadRefusesSavesAndRemovals) {
  NSFileManager::defaultManager().createDirectoryAtPath(listPath(), true);
  EXPECT_FALSE(OriginalArticle::addArticle(*article(1)));
  EXPECT_FALSE(OriginalArticle::removeArticle(*article(1)));
  EXPECT_FALSE(OriginalArticle::articleItems());
  NSFileManager::defaultManager().removeItemAtPath(listPath());

  writeText(listPath(), "[\"\xff\xfe\"]");
  EXPECT_FALSE(OriginalArticle::addArticle(*article(1)));
}

TEST_F(ReadLaterStore, TheListFileIsMadeEmptyWhenMissingAndAnEmptyStoreHasNoItems) {
  EXPECT_FALSE(exists(listPath()));
  EXPECT_EQ(OriginalArticle::filePath(), listPath());
  EXPECT_TRUE(exists(listPath()));
  EXPECT_EQ(dataWithContentsOfFile(listPath()).value_or("x"), "");
  EXPECT_FALSE(OriginalArticle::articleItems());
  EXPECT_FALSE(OriginalArticle::articleItemsWithPage(1));
  EXPECT_FALSE(OriginalArticle::articleWithURL(urlOf(1)));
  EXPECT_FALSE(OriginalArticle::articleWithURL(""));
}

TEST_F(ReadLaterStore, PagesOfTwentyCountFromOne) {
  storeList(1, 45);
  struct Case {
    int page;
    int count;
    std::optional<std::vector<std::string>> urls;
  } cases[] = {
      {1, 20, urlRange(1, 20)},  {2, 20, urlRange(21, 40)},
      {3, 20, urlRange(41, 45)}, {4, 20, std::vector<std::string>()},
      {0, 20, std::nullopt},     {-1, 20, std::nullopt},
      {1, 0, std::nullopt},      {2, 7, urlRange(8, 14)},
      {1, 100, urlRange(1, 45)}, {2147483647, 2147483647, std::vector<std::string>()},
  };
  for (const auto& c : cases) {
    auto page = OriginalArticle::articleItemsWithPage(c.page, c.count);
    ASSERT_EQ(page.has_value(), c.urls.has_value()) << c.page << " x " << c.count;
    if (page) {
      EXPECT_EQ(urlsOf(*page), *c.urls) << c.page << " x " << c.count;
    }
  }
  auto third = OriginalArticle::articleItemsWithPage(3);
  ASSERT_TRUE(third);
  EXPECT_EQ(urlsOf(*third), urlRange(41, 45));
}

// ---- Scraping saved pages ----

TEST(ReadLaterPages, TheTitleLiesBetweenItsTagsInOrder) {
  struct Case {
    std::string_view page;
    std::string_view title;
  } cases[] = {
      {"<html><head><title> 光伏 周报 </title></head>", " 光伏 周报 "},
      {"<title></title>", ""},
      {"</title>late<title>", ""},
      {"<title>no end", ""},
      {"no start</title>", ""},
      {"<TITLE>upper</TITLE>", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OriginalArticle::getTitleWithHTML(c.page), c.title) << c.page;
}

TEST(ReadLaterPages, TheSourceIsTheHostMetaTagFoundInAnyLetterCase) {
  struct Case {
    std::string_view page;
    std::string_view source;
  } cases[] = {
      {R"(<meta name="host" content="news.example.com" />)", "news.example.com"},
      {R"(<META NAME="HOST" CONTENT="	News.Example.COM"/>)", "News.Example.COM"},
      // Blanks are trimmed before the closing quote is dropped.
      {R"(<meta name="host" content="a.example "/>)", "a.example "},
      // Characters whose lower case is longer stand before the tag: offsets still hold.
      {"<p>İİİ ẞ Ω</p><meta name=\"Host\" content=\"站点\"/>", "站点"},
      {R"(<meta name="host" content="a.example">)", ""},
      {R"(<meta name="hostname" content="a.example"/>)", ""},
      {R"(<meta content="a.example" name="host"/>)", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OriginalArticle::getSourceWithHTML(c.page), c.source) << c.page;
}

TEST(ReadLaterPages, TheSummaryIsTheDescriptionOrTheFirstParagraphWithoutAPicture) {
  struct Case {
    std::string_view page;
    std::string_view summary;
  } cases[] = {
      {R"(<meta name="Description" content=" 摘要"/><p>text</p>)", "摘要"},
      {R"(<meta name="description" content=""/><p>text</p>)", ""},
      {"<p>\t 第一段 </p><p>second</p>", "第一段"},
      {R"(<p class="lead">attributes</p>)", "attributes"},
      {R"(<p><img src="a.jpg"></p><p><img src="b.jpg"/></p><p>third</p>)", "third"},
      {R"(<p><img src="a.jpg"></p>)", ""},
      {R"(<p><img src="a.jpg"></p><p>open)", ""},
      {"no paragraph", ""},
      {"<p>unclosed", ""},
      // Without a "/>" after it the description tag does not count.
      {R"(<meta name="description" content="x"><p>para</p>)", "para"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(OriginalArticle::getSummaryWithHTML(c.page), c.summary) << c.page;
}

TEST(ReadLaterPages, APageOfFiftyThousandPictureParagraphsStillGivesItsSummary) {
  std::string page;
  for (int i = 0; i < 50000; ++i) page += "<p><img src=\"x.jpg\"></p>";
  page += "<p>at last</p>";
  EXPECT_EQ(OriginalArticle::getSummaryWithHTML(page), "at last");
}

TEST(ReadLaterPages, ParsingAPageFillsTitleSourceAndSummary) {
  auto a = OriginalArticle::initWithURL(urlOf(1));
  a->parseHTML(R"(<html><head><title>标题</title><meta name="host" content="site.example"/>
    </head><body><p><img src="a.jpg"/></p><p>正文第一段</p></body></html>)");
  EXPECT_EQ(a->title, "标题");
  EXPECT_EQ(a->source, "site.example");
  EXPECT_EQ(a->summary, "正文第一段");
  EXPECT_EQ(a->originalURL, urlOf(1));
}

TEST(ReadLaterPages, TheMessageBodyIsThePlainBodyWithHeadingsAsBlocks) {
  struct Case {
    std::string_view page;
    std::string_view body;
  } cases[] = {
      {"<html><body><h1>A</h1><h2>B</h2><h3>C</h3><h4>D</h4></body></html>",
       "<div>A</div><div>B</div><div>C</div><h4>D</h4>"},
      {R"(<html><body class="x"><h1>A</h1></body></html>)",
       R"(<html><body class="x"><h1>A</h1></body></html>)"},
      {"</body><body>", "</body><body>"},
      {"<body>open", "<body>open"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(OriginalArticle::removeCSS(c.page), c.body) << c.page;
}

}  // namespace
