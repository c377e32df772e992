// The app's local database: the file, the tables' layouts, login switches, adverts and the
// status table, against the real database file under the test's app home.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "Common/sqdb/SQDatabase.h"
#include "Foundation/NSPathUtilities.h"
#include "model/NSAdInfo.h"
#include "model/NSChannelAdDB.h"
#include "model/NSDatabase.h"
#include "model/NSLoginDB.h"
#include "model/NSLoginData.h"
#include "model/StatusDB.h"

namespace {

class DatabaseTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::error_code ec;
    std::filesystem::remove_all(NSLibraryDirectory() + "/Config", ec);
  }

  // A connection of the test's own to the app's database file.
  std::shared_ptr<SQDatabase> openFile() {
    std::filesystem::create_directories(NSLibraryDirectory() + "/Config");
    auto db = SQDatabase::databaseWithPath(NSDatabase::databasePath());
    EXPECT_TRUE(db->open());
    return db;
  }

  // "name type" of every column, in order.
  std::vector<std::string> columns(const std::string& table) {
    auto db = openFile();
    std::vector<std::string> out;
    auto rs = db->getTableSchema(table);
    while (rs && rs->next()) {
      out.push_back(*rs->stringForColumn("name") + " " + rs->stringForColumn("type").value_or(""));
    }
    return out;
  }

  static std::shared_ptr<NSAdInfo> advert(int64_t id, std::string img) {
    auto ad = std::make_shared<NSAdInfo>();
    ad->adId = id;
    ad->c_img = std::move(img);
    ad->c_link_url = "http://example.invalid/ad/" + std::to_string(id);
    ad->c_link_type = 2;
    ad->c_can_close = true;
    ad->showRate = 0.25;
    return ad;
  }

  // itemID:adId:c_img of every row of an advert table, by itemID.
  std::vector<std::string> advertRows(const std::string& table) {
    auto db = openFile();
    std::vector<std::string> out;
    auto rs = db->executeQuery("SELECT itemID, adId, c_img FROM " + table +
                               " ORDER BY CAST(itemID AS INTEGER)");
    while (rs && rs->next()) {
      out.push_back(*rs->stringForColumnIndex(0) + ":" + *rs->stringForColumnIndex(1) + ":" +
                    rs->stringForColumnIndex(2).value_or(""));
    }
    return out;
  }
};

TEST_F(DatabaseTablesTest, TheFileLiesInTheConfigFolderUnderTheBundleName) {
  EXPECT_EQ(NSDatabase::databasePath(), NSLibraryDirectory() + "/Config/Kastel.sqlite");
  EXPECT_EQ(NSDatabase::databasePath("other.db"), NSLibraryDirectory() + "/Config/other.db");
  NSDatabase named;
  EXPECT_TRUE(named.initDatabase("other.db"));
  EXPECT_TRUE(std::filesystem::exists(NSLibraryDirectory() + "/Config/other.db"));
  EXPECT_TRUE(named.getDatabase()->shouldCacheStatements());
  named.closeDatabase();
  EXPECT_FALSE(named.getDatabase()->databaseExists());
}

TEST_F(DatabaseTablesTest, TablesHaveExactlyTheirColumns) {
  NSLoginDB login;
  NSChannelAdDB channel(12);
  NSChannelAdDB banners("list");
  StatusDB statuses;
  EXPECT_EQ(
      columns("loginTable"),
      (std::vector<std::string>{
          "itemID TEXT", "isShowAd TEXT", "isOpenSeminarNeedAccound TEXT", "isShardOdozuEdit TEXT",
          "isGrayUser TEXT", "isShowListAd TEXT", "errorLogEnable TEXT", "errorLogSubmit TEXT",
          "useBehaviorEnable TEXT", "useBehaviorSubmit TEXT", "mDicStr TEXT"}));
  const std::vector<std::string> advertColumns{
      "itemID TEXT",      "c_img TEXT",     "c_link_url TEXT", "c_link_type TEXT",
      "c_can_close TEXT", "isImgExit TEXT", "adId TEXT",       "showRate TEXT"};
  EXPECT_EQ(columns("channelAdTable12"), advertColumns);
  EXPECT_EQ(columns("channelAdTablelist"), advertColumns);
  EXPECT_EQ(columns("T_STATUS"),
            (std::vector<std::string>{
                "STATUS_ID TEXT",       "VORLU_ID TEXT",        "CREATE_AT TEXT",
                "TIMESTAMP TEXT",       "STATUS_TEXT TEXT",     "STATUS_SOURCE TEXT",
                "IS_FAVORITED TEXT",    "IS_TRUNCATED TEXT",    "REPLY_STATUS_ID TEXT",
                "REPLY_USER_ID TEXT",   "REPLY_USER_NAME TEXT", "THUMBNAIL_PIC TEXT",
                "BMIDDLE_PIC TEXT",     "ORIGINAL_PIC TEXT",    "USER_ID TEXT",
                "COMMENTS_COUNT TEXT",  "RETWEETS_COUNT ",      "RETWEET_STATUS_ID TEXT",
                "CURSOR_ID TEXT",       "IMAGE_TYPE TEXT",      "LIKE_COUINT TEXT",
                "HAVE_LIKED TEXT",      "IS_DELECTED TEXT",     "THEMBNAIL_WIDTH ",
                "THEMBANIL_HEIGHT TEXT"}));
  // The primary keys are the id columns.
  auto db = openFile();
  EXPECT_EQ(db->intForQuery("SELECT pk FROM pragma_table_info('loginTable') WHERE name='itemID'"),
            1);
  EXPECT_EQ(db->intForQuery("SELECT pk FROM pragma_table_info('T_STATUS') WHERE name='STATUS_ID'"),
            1);
}

TEST_F(DatabaseTablesTest, SqlTextsAreFilledInOrder) {
  EXPECT_EQ(NSDatabase::SQL("SELECT * FROM %@", "t"), "SELECT * FROM t");
  EXPECT_EQ(NSDatabase::SQLInTableInItemId("SELECT * FROM %@ WHERE %@ = ?", "t", "itemID"),
            "SELECT * FROM t WHERE itemID = ?");
  EXPECT_EQ(NSDatabase::SQLInParamInTable("CREATE TABLE %@ (%@);", "a TEXT", "t"),
            "CREATE TABLE t (a TEXT);");
}

TEST_F(DatabaseTablesTest, AFreshInstallReadsTheDefaultSwitches) {
  auto data = NSLoginData::readFromDB();
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->isShardOdozuEdit);
  EXPECT_TRUE(data->useBehaviorEnable);
  EXPECT_FALSE(data->isShowAd || data->isShowListAd || data->isOpenSeminarNeedAccound ||
               data->isGrayUser || data->errorLogEnable || data->errorLogSubmit ||
               data->useBehaviorSubmit);
  EXPECT_FALSE(data->mDic);
  EXPECT_EQ(NSLoginDB::getData(), nullptr);
}

TEST_F(DatabaseTablesTest, LoginSwitchesRoundTripInOneRow) {
  auto first = std::make_shared<NSLoginData>();
  first->isShowAd = true;
  first->mDic = makeDictionary({{"others", Value("2013-05-01 10:00")}, {"3,4", Value("t2")}});
  first->setDicStr();
  EXPECT_EQ(first->mDicStr, "2013-05-01 10:00|others;t2|3,4");
  NSLoginDB::setValueDB(first);

  auto second = std::make_shared<NSLoginData>();
  second->isShowListAd = true;
  second->isOpenSeminarNeedAccound = true;
  second->isShardOdozuEdit = false;
  second->isGrayUser = true;
  second->errorLogEnable = true;
  second->errorLogSubmit = true;
  second->useBehaviorEnable = false;
  second->useBehaviorSubmit = true;
  second->isSession = true;  // not stored
  second->mDic = makeDictionary({{"others", Value("2013-06-01")}});
  second->setDicStr();
  NSLoginDB::setValueDB(second);

  auto db = openFile();
  EXPECT_EQ(db->intForQuery("SELECT count(*) FROM loginTable"), 1);
  EXPECT_EQ(db->stringForQuery("SELECT itemID FROM loginTable"), "0");
  EXPECT_EQ(db->stringForQuery("SELECT isShowAd || isGrayUser FROM loginTable"), "01");

  auto stored = NSLoginData::readFromDB();
  ASSERT_TRUE(stored);
  EXPECT_FALSE(stored->isShowAd);
  EXPECT_TRUE(stored->isShowListAd);
  EXPECT_TRUE(stored->isOpenSeminarNeedAccound);
  EXPECT_FALSE(stored->isShardOdozuEdit);
  EXPECT_TRUE(stored->isGrayUser);
  EXPECT_TRUE(stored->errorLogEnable);
  EXPECT_TRUE(stored->errorLogSubmit);
  EXPECT_FALSE(stored->useBehaviorEnable);
  EXPECT_TRUE(stored->useBehaviorSubmit);
  EXPECT_FALSE(stored->isSession);
  EXPECT_EQ(stored->mDicStr, "2013-06-01|others");
  ASSERT_TRUE(stored->mDic);
  EXPECT_EQ(stored->mDic->objectForKey("others").string(), "2013-06-01");
  EXPECT_EQ(stored->mDic->count(), 1u);
}

TEST_F(DatabaseTablesTest, TheUpdateListTextKeepsOnlyWellFormedEntries) {
  NSLoginData data;
  data.mDicStr = "d1|a;;d2|b;broken;d3|c|extra;d4|";
  data.parseDicStr();
  ASSERT_TRUE(data.mDic);
  EXPECT_EQ(data.mDic->allKeys(), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_EQ(data.mDic->objectForKey("b").string(), "d2");

  // Nothing to read or write leaves the other side alone.
  NSLoginData empty;
  empty.mDic = makeDictionary({{"k", Value("v")}});
  empty.parseDicStr();
  EXPECT_EQ(empty.mDic->count(), 1u);
  NSLoginData noDic;
  noDic.mDicStr = "v|k";
  noDic.setDicStr();
  EXPECT_EQ(noDic.mDicStr, "v|k");
  noDic.mDic = makeDictionary();
  noDic.setDicStr();
  EXPECT_EQ(noDic.mDicStr, "");
}

TEST_F(DatabaseTablesTest, AnOutdatedLoginTableIsDroppedAndRebuilt) {
  {
    auto db = openFile();
    ASSERT_TRUE(
        db->executeUpdate("CREATE TABLE loginTable (itemID TEXT PRIMARY KEY, isShowAd TEXT)"));
    ASSERT_TRUE(db->executeUpdate("INSERT INTO loginTable VALUES ('0', '1')"));
  }
  auto data = std::make_shared<NSLoginData>();
  data->isGrayUser = true;
  NSLoginDB::setValueDB(data);  // the update fails on the missing columns: the table goes
  EXPECT_FALSE(openFile()->tableExists("loginTable"));

  NSLoginDB::setValueDB(data);  // a fresh table takes the switches
  auto stored = NSLoginDB::getData();
  ASSERT_TRUE(stored);
  EXPECT_TRUE(stored->isGrayUser);
  EXPECT_TRUE(openFile()->columnExists("mDicStr", "loginTable"));
}

TEST_F(DatabaseTablesTest, BannerAdvertsStoreUpdateInPlaceAndKeep64BitIds) {
  const int64_t bigId = 5000000000LL;  // above 2^31
  std::vector<std::shared_ptr<NSAdInfo>> list{advert(11, "a.png"), advert(bigId, "b.png"),
                                              advert(13, "c.png")};
  NSChannelAdDB::setListValueDB(list, "list");
  EXPECT_EQ(advertRows("channelAdTablelist"),
            (std::vector<std::string>{"0:11:a.png", "1:5000000000:b.png", "2:13:c.png"}));

  list[1]->c_img = "b2.png";
  list[1]->showRate = 0.75;
  NSChannelAdDB::setListValueDB(list, "list");
  EXPECT_EQ(advertRows("channelAdTablelist"),
            (std::vector<std::string>{"0:11:a.png", "1:5000000000:b2.png", "2:13:c.png"}));

  NSChannelAdDB::setListValueDB({advert(14, "d.png")}, "list");
  EXPECT_EQ(advertRows("channelAdTablelist").back(), "3:14:d.png");

  NSChannelAdDB table("list");
  auto loaded =
      std::dynamic_pointer_cast<NSAdInfo>(table.getItemWithItemId(std::to_string(bigId), "adId"));
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded->adId, bigId);
  EXPECT_EQ(loaded->c_img, "b2.png");
  EXPECT_EQ(loaded->c_link_url, "http://example.invalid/ad/5000000000");
  EXPECT_EQ(loaded->c_link_type, 2);
  EXPECT_TRUE(loaded->c_can_close);
  EXPECT_FALSE(loaded->isImgExit);
  EXPECT_DOUBLE_EQ(loaded->showRate, 0.75);
  EXPECT_EQ(table.count(), 4);
  EXPECT_EQ(table.queryItems().size(), 4u);
}

TEST_F(DatabaseTablesTest, AnAdvertAddedAfterADeletionReplacesNoOther) {
  NSChannelAdDB::setListValueDB({advert(1, "1"), advert(2, "2"), advert(3, "3")}, "list");
  NSChannelAdDB table("list");
  EXPECT_TRUE(table.deleteWithItemId("1"));
  NSChannelAdDB::setListValueDB({advert(4, "4")}, "list");
  EXPECT_EQ(advertRows("channelAdTablelist"),
            (std::vector<std::string>{"0:1:1", "2:3:3", "3:4:4"}));
}

TEST_F(DatabaseTablesTest, AChannelAdvertIsReadFromRowZero) {
  EXPECT_EQ(NSAdInfo::readFromDB(12), nullptr);  // empty table
  NSChannelAdDB::setValueDB(advert(21, "x.png"), 12);
  auto ad = NSAdInfo::readFromDB(12);
  ASSERT_TRUE(ad);
  EXPECT_EQ(ad->adId, 21);
  EXPECT_EQ(NSAdInfo::readFromDB(13), nullptr);
  // A stored channel advert is only ever updated under its own id.
  NSChannelAdDB::setValueDB(advert(22, "y.png"), 12);
  EXPECT_EQ(NSAdInfo::readFromDB(12)->adId, 21);
  auto same = advert(21, "z.png");
  NSChannelAdDB::setValueDB(same, 12);
  EXPECT_EQ(NSAdInfo::readFromDB(12)->c_img, "z.png");
  // The word form uses its own table.
  NSChannelAdDB::setValueDB(advert(23, "w.png"), "start");
  EXPECT_EQ(advertRows("channelAdTablestart"), (std::vector<std::string>{"0:23:w.png"}));
}

TEST_F(DatabaseTablesTest, IdsAreBoundNotPastedIntoTheStatement) {
  NSChannelAdDB::setListValueDB({advert(1, "1"), advert(2, "2")}, "list");
  NSChannelAdDB table("list");
  EXPECT_EQ(table.getItemWithItemId("0' OR '1'='1"), nullptr);
  EXPECT_TRUE(table.deleteWithItemId("x' OR '1'='1"));
  EXPECT_EQ(table.count(), 2);
  EXPECT_TRUE(table.deleteWithItemId("2", "adId"));
  EXPECT_EQ(advertRows("channelAdTablelist"), (std::vector<std::string>{"0:1:1"}));
  table.deleteTable();
  EXPECT_FALSE(openFile()->tableExists("channelAdTablelist"));
}

TEST_F(DatabaseTablesTest, OnlyAPlainIdentifierNamesATable) {
  auto data = std::make_shared<NSLoginData>();
  data->isGrayUser = true;
  NSLoginDB::setValueDB(data);
  NSChannelAdDB::setListValueDB({advert(1, "1")}, "list");
  const std::vector<std::string> refused = {
      "list (a TEXT); DROP TABLE loginTable; CREATE TABLE x",
      "list; DELETE FROM channelAdTablelist",
      "list\"",
      "list x",
      "list-2",
      "表",
  };
  for (const std::string& word : refused) {
    SCOPED_TRACE(word);
    NSChannelAdDB::setValueDB(advert(7, "7"), word);
    NSChannelAdDB::setListValueDB({advert(8, "8")}, word);
    NSChannelAdDB table(word);
    EXPECT_EQ(table.count(), 0);
    EXPECT_TRUE(table.queryItems().empty());
    EXPECT_FALSE(table.updateWithItem(advert(1, "1")));
    EXPECT_FALSE(table.deleteWithItemId("0"));
    table.deleteTable();
  }
  // A negative channel id makes no identifier either.
  NSChannelAdDB::setValueDB(advert(9, "9"), -5);
  EXPECT_EQ(NSAdInfo::readFromDB(-5), nullptr);

  // Nothing else was touched, and no table but the two real ones exists.
  ASSERT_TRUE(NSLoginDB::getData());
  EXPECT_TRUE(NSLoginDB::getData()->isGrayUser);
  EXPECT_EQ(advertRows("channelAdTablelist"), (std::vector<std::string>{"0:1:1"}));
  std::vector<std::string> tables;
  auto db = openFile();
  auto rs = db->executeQuery("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name");
  while (rs && rs->next()) tables.push_back(*rs->stringForColumnIndex(0));
  EXPECT_EQ(tables, (std::vector<std::string>{"channelAdTablelist", "loginTable"}));

  // Letters, digits and underscores make a name, whatever the word.
  NSChannelAdDB::setValueDB(advert(10, "10"), "_start_2");
  EXPECT_EQ(advertRows("channelAdTable_start_2"), (std::vector<std::string>{"0:10:10"}));
}

TEST_F(DatabaseTablesTest, AdvertAndLoginChecks) {
  struct Case {
    int64_t id;
    const char* img;
    bool canDownload;
  };
  for (const Case& c :
       {Case{1, "a.png", true}, Case{0, "a.png", false}, Case{1, "", false}, Case{-5, "a", true}}) {
    NSAdInfo ad;
    ad.adId = c.id;
    ad.c_img = c.img;
    EXPECT_EQ(ad.isAdCanDownload(), c.canDownload) << c.id << " " << c.img;
  }
  NSLoginData data;
  EXPECT_FALSE(data.isAdInfoExit());
  data.adInfo = advert(0, "a.png");
  EXPECT_FALSE(data.isAdInfoExit());
  data.adInfo->adId = 9;
  EXPECT_TRUE(data.isAdInfoExit());
}

TEST_F(DatabaseTablesTest, AnUnopenableDatabaseFailsQuietly) {
  // A file where the Config folder should be: nothing can be created below it.
  std::filesystem::create_directories(NSLibraryDirectory());
  std::ofstream(NSLibraryDirectory() + "/Config") << "not a folder";
  auto data = std::make_shared<NSLoginData>();
  data->isGrayUser = true;
  NSLoginDB::setValueDB(data);
  EXPECT_EQ(NSLoginDB::getData(), nullptr);
  EXPECT_FALSE(NSLoginData::readFromDB()->isGrayUser);
  NSChannelAdDB::setListValueDB({advert(1, "1")}, "list");
  EXPECT_EQ(NSAdInfo::readFromDB(1), nullptr);
  NSChannelAdDB table("list");
  EXPECT_EQ(table.count(), 0);
  EXPECT_TRUE(table.queryItems().empty());
  EXPECT_FALSE(table.deleteWithItemId("0"));
  EXPECT_FALSE(table.updateWithItem(advert(1, "1")));
  StatusDB statuses;
  EXPECT_TRUE(statuses.queryStatuses().empty());
  EXPECT_FALSE(statuses.deleteWithStatusId("1"));
}

TEST_F(DatabaseTablesTest, ADamagedDatabaseIsKeptAsideAndAFreshOneServes) {
  namespace fs = std::filesystem;
  std::string folder = NSLibraryDirectory() + "/Config";
  fs::create_directories(folder);
  auto bytesOf = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  // A database of some pages, then damaged each way.
  auto whole = [&](const std::string& path) {
    auto db = SQDatabase::databaseWithPath(path);
    EXPECT_TRUE(db->open());
    EXPECT_TRUE(db->beginTransaction());
    EXPECT_TRUE(db->executeUpdate("CREATE TABLE t (a TEXT)"));
    for (int i = 0; i < 200; ++i)
      EXPECT_TRUE(db->executeUpdate("INSERT INTO t VALUES (?)", std::string(1000, 'a' + i % 26)));
    EXPECT_TRUE(db->commit());
    db->close();
  };
  struct Case {
    std::string name;
    std::function<void(const std::string&)> damage;
  } cases[] = {
      {"random",
       [](const std::string& p) {
         std::string junk(8192, '\0');
         for (size_t i = 0; i < junk.size(); ++i) junk[i] = char(i * 131 + 7);
         std::ofstream(p, std::ios::binary) << junk;
       }},
      {"zeroed",
       [](const std::string& p) {
         std::ofstream(p, std::ios::binary) << std::string(65536, '\0');
       }},
      {"truncated",
       [&](const std::string& p) {
         whole(p);
         fs::resize_file(p, fs::file_size(p) / 2);
       }},
      {"overwritten",
       [&](const std::string& p) {
         whole(p);
         std::fstream f(p, std::ios::binary | std::ios::in | std::ios::out);
         f.seekp(4096 * 3);
         f << std::string(4096 * 4, '\x5a');
       }},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = NSDatabase::databasePath(c.name + ".db");
    c.damage(path);
    std::string damaged = bytesOf(path);
    NSDatabase database;
    ASSERT_TRUE(database.initDatabase(c.name + ".db"));
    auto db = database.getDatabase();
    EXPECT_TRUE(db->executeUpdate("CREATE TABLE u (b TEXT)"));
    EXPECT_TRUE(db->executeUpdate("INSERT INTO u VALUES ('kept')"));
    EXPECT_EQ(db->stringForQuery("SELECT b FROM u"), "kept");
    EXPECT_EQ(bytesOf(path + ".corrupt"), damaged);
  }
  // A whole database is left as it is.
  std::string fine = NSDatabase::databasePath("whole.db");
  whole(fine);
  NSDatabase database;
  ASSERT_TRUE(database.initDatabase("whole.db"));
  EXPECT_EQ(database.getDatabase()->intForQuery("SELECT count(*) FROM t"), 200);
  EXPECT_FALSE(fs::exists(fine + ".corrupt"));

  // The app's own file: login data is stored again, and only its owner may read it.
  std::ofstream(NSDatabase::databasePath(), std::ios::binary) << std::string(4096, '\0');
  auto data = std::make_shared<NSLoginData>();
  data->isGrayUser = true;
  NSLoginDB::setValueDB(data);
  EXPECT_TRUE(NSLoginData::readFromDB()->isGrayUser);
  EXPECT_EQ(fs::status(NSDatabase::databasePath()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(DatabaseTablesTest, StatusesStoreAndLoadWithoutAuthorOrRepost) {
  StatusDB table;
  Status s;
  s.statusId = 3500000000000001LL;
  s.vorluId = 77;
  s.createdAt = 1386381600;
  s.text = "第一条 'quoted'";
  s.source = "web";
  s.favorited = true;
  s.inReplyToStatusId = 12;
  s.inReplyToUserId = 34;
  s.inReplyToScreenName = "someone";
  s.thumbnailPic = "http://example.invalid/t.jpg";
  s.commentsCount = 5;
  s.retweetsCount = 6;
  s.cursor_id = "c9";
  s.imageType = 1;
  s.likeCount = 8;
  s.delected = true;
  s.thumbnailSize = {120.5f, 80.0f};
  s.user = std::make_shared<User>();
  table.insertWithStatus(s);

  auto db = openFile();
  EXPECT_EQ(db->stringForQuery("SELECT TIMESTAMP FROM T_STATUS"), s.timestamp());
  auto userId = db->executeQuery("SELECT USER_ID, RETWEET_STATUS_ID FROM T_STATUS");
  ASSERT_TRUE(userId->next());
  EXPECT_TRUE(userId->columnIndexIsNull(0));
  EXPECT_TRUE(userId->columnIndexIsNull(1));
  userId->close();

  auto loaded = table.getStatusWithStatusId("3500000000000001");
  EXPECT_EQ(loaded->statusId, s.statusId);
  EXPECT_EQ(loaded->vorluId, 77);
  EXPECT_EQ(loaded->createdAt, s.createdAt);
  EXPECT_EQ(loaded->text, s.text);
  EXPECT_EQ(loaded->source, "web");
  EXPECT_TRUE(loaded->favorited);
  EXPECT_FALSE(loaded->truncated);
  EXPECT_EQ(loaded->inReplyToStatusId, 12);
  EXPECT_EQ(loaded->inReplyToUserId, 34);
  EXPECT_EQ(loaded->inReplyToScreenName, "someone");
  EXPECT_EQ(loaded->thumbnailPic, s.thumbnailPic);
  EXPECT_EQ(loaded->commentsCount, 5);
  EXPECT_EQ(loaded->retweetsCount, 6);
  EXPECT_EQ(loaded->cursor_id, "c9");
  EXPECT_EQ(loaded->imageType, 1);
  EXPECT_EQ(loaded->likeCount, 8);
  EXPECT_FALSE(loaded->haveLiked);
  EXPECT_TRUE(loaded->delected);
  EXPECT_FLOAT_EQ(loaded->thumbnailSize.width, 120.5f);
  EXPECT_FLOAT_EQ(loaded->thumbnailSize.height, 80.0f);
  EXPECT_FALSE(loaded->user);

  s.text = "changed";
  s.likeCount = 9;
  EXPECT_TRUE(table.updateWithStatus(s));
  EXPECT_EQ(table.getStatusWithStatusId("3500000000000001")->text, "changed");
  EXPECT_EQ(table.queryStatuses().size(), 1u);

  // A missing id gives an empty status, and a quote cannot widen the match.
  EXPECT_EQ(table.getStatusWithStatusId("1' OR '1'='1")->statusId, 0);
  EXPECT_TRUE(table.deleteWithStatusId("3500000000000001"));
  EXPECT_TRUE(table.queryStatuses().empty());
}

}  // namespace
