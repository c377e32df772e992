// Usage-log sections across starts and closes, stored in the real enciphered log file.
#include <gtest/gtest.h>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSDesEncrypt.h"
#include "core/NSGlobe.h"
#include "core/NSSectionItem.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "core/UsageLogFile.h"
#include "model/ZizaJsonStatusParser.h"
#include "support/MainLoop.h"

namespace {

class NSSectionItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock = MainLoop::install();
    UsageLogFile::setCurrent(ZizaJsonStatusParser::usageLogFile());
    NSSectionItem::setPlatformUserIdReader(nullptr);
    NSGlobe::getEngine()->setCurNetStatus(1);
    NSUserDefaults::standardUserDefaults()->setObject(Value("K3Y"), kRegisterClientKey);
  }

  static std::string logPath() { return UIFilePath::getLogFilePath(); }
  static std::vector<std::shared_ptr<NSSectionItem>> stored() {
    return ZizaJsonStatusParser::parseSectionArray(logPath()).value_or(
        std::vector<std::shared_ptr<NSSectionItem>>());
  }
  // A section's actions as their text forms, the way the file keeps them.
  static std::vector<std::string> types(const NSSectionItem& s) {
    std::vector<std::string> out;
    for (const auto& a : s.actionsArray())
      out.push_back(a.channelType ? std::to_string(a.channelType) + "," : a.caType);
    return out;
  }
  // One run of the app: start, some screens viewed, close.
  std::shared_ptr<NSSectionItem> run(int screens, double seconds = 10) {
    auto section = std::make_shared<NSSectionItem>();
    section->startApp();
    for (int i = 0; i < screens; ++i) section->addActionByType(37);
    clock->advance(seconds);
    section->closeApp();
    return section;
  }

  std::shared_ptr<VirtualClock> clock;
};

TEST_F(NSSectionItemTest, AStartWithinAMinuteOfTheCloseCarriesTheSectionOnWithoutACloseInside) {
  auto first = std::make_shared<NSSectionItem>();
  EXPECT_TRUE(first->startApp());
  // 2013-01-01 00:00:00 in Shanghai.
  EXPECT_EQ(first->sId(), "130101000000");
  first->addActionByType(37);
  clock->advance(10);
  first->closeApp();
  EXPECT_EQ(first->sId(), "130101000000130101000010");
  ASSERT_EQ(stored().size(), 1u);

  clock->advance(30);
  auto again = std::make_shared<NSSectionItem>();
  EXPECT_FALSE(again->startApp());
  EXPECT_EQ(again->sId(), first->sId());
  EXPECT_EQ(types(*again), (std::vector<std::string>{"901,", ",37"}));
  EXPECT_EQ(again->actionsArray()[0].cTime, "2013-01-01 00:00:00");
  again->addActionByType(21);
  clock->advance(5);
  again->closeApp();
  // The start stamp cut to 11 characters, then the new close stamp: 23 characters.
  EXPECT_EQ(again->sId(), "13010100000130101000045");

  auto sections = stored();
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0]->sId(), "13010100000130101000045");
  EXPECT_EQ(types(*sections[0]), (std::vector<std::string>{"901,", ",37", ",21", "902,"}));
  EXPECT_EQ(sections[0]->submitTime(), "2013-01-01 00:00:45");
  EXPECT_EQ(sections[0]->key(), "K3Y");
  EXPECT_EQ(sections[0]->connType(), 2);

  // A third run carries on the 23-character section and replaces it again.
  clock->advance(20);
  auto third = std::make_shared<NSSectionItem>();
  EXPECT_FALSE(third->startApp());
  clock->advance(1);
  third->closeApp();
  sections = stored();
  ASSERT_EQ(sections.size(), 1u);
  EXPECT_EQ(sections[0]->sId(), "13010100000130101000106");
  EXPECT_EQ(types(*sections[0]), (std::vector<std::string>{"901,", ",37", ",21", "902,"}));
}

TEST_F(NSSectionItemTest, AStartAMinuteOrMoreAfterTheLastActionBeginsANewSection) {
  struct Case {
    double away;
    bool newSection;
  };
  for (Case c : {Case{59, false}, Case{60, true}, Case{3600, true}}) {
    SCOPED_TRACE(c.away);
    NSSectionItem::clearSections();
    run(1);
    clock->advance(c.away);
    auto next = std::make_shared<NSSectionItem>();
    EXPECT_EQ(next->startApp(), c.newSection);
    next->closeApp();
    auto sections = stored();
    ASSERT_EQ(sections.size(), c.newSection ? 2u : 1u);
    EXPECT_EQ(types(*sections.back()).front(), "901,");
    if (c.newSection) {
      EXPECT_EQ(types(*sections.back()), (std::vector<std::string>{"901,", "902,"}));
    }
  }
}

TEST_F(NSSectionItemTest, ALogFileOf100000BytesOrMoreStartsANewSection) {
  // Screens viewed until the stored log reaches the limit.
  auto big = std::make_shared<NSSectionItem>();
  big->startApp();
  for (int i = 0; i < 2500; ++i) big->addActionByType(37);
  big->closeApp();
  auto size = [] {
    return NSFileManager::defaultManager()
        .attributesOfItemAtPath(logPath())[std::string(NSFileSize)]
        .unsignedLongLongValue();
  };
  ASSERT_GE(size(), NSSectionItem::kMaxLogFileBytes);
  clock->advance(5);
  auto next = std::make_shared<NSSectionItem>();
  EXPECT_TRUE(next->startApp());
  EXPECT_EQ(types(*next), std::vector<std::string>{"901,"});
}

TEST_F(NSSectionItemTest, AfterACrashTheLastRealActionIsKept) {
  // The app died after a screen was viewed: the stored section ends without its close.
  auto crashed = std::make_shared<NSSectionItem>();
  crashed->startApp();
  crashed->addActionByType(37);
  crashed->setSId("130101000000130101000000");
  ZizaJsonStatusParser::addLogInfo(logPath(), *crashed);
  clock->advance(20);
  auto next = std::make_shared<NSSectionItem>();
  EXPECT_FALSE(next->startApp());
  EXPECT_EQ(types(*next), (std::vector<std::string>{"901,", ",37"}));
}

TEST_F(NSSectionItemTest, ActionsTakeTheirTextFromTheirOrigin) {
  NSGlobe::getEngine()->setCurChannel("12");
  NSSectionItem section;
  section.addActionByType(16);
  section.addAction(Value::arrayOf({Value(8), Value("900123")}));
  section.addAction(Value::arrayOf({Value(9)}));
  section.addSystemAction(Value::arrayOf({Value(903), Value("url:x Reason:y des:z")}));
  // Nothing for an empty list, nil or a value that is not a list.
  section.addAction(Value::arrayOf({}));
  section.addAction(Value());
  section.addSystemAction(Value("903"));
  ASSERT_EQ(section.actionsArray().size(), 4u);
  std::vector<std::pair<std::string, std::string>> seen;
  for (const auto& a : section.actionsArray()) seen.emplace_back(a.caType, a.sparams);
  EXPECT_EQ(seen,
            (std::vector<std::pair<std::string, std::string>>{
                {",16", ""}, {"12,8", "900123"}, {"12,9", ""}, {"903,", "url:x Reason:y des:z"}}));
  EXPECT_EQ(section.actionsArray()[0].cTime, "2013-01-01 00:00:00");
  EXPECT_EQ(section.actionsArray()[0].cTimeInt, VirtualClock::kDefaultStart);
}

TEST_F(NSSectionItemTest, TheCloseRecordsKeyAccountAndNetwork) {
  struct Case {
    int netStatus;
    int32_t conn;
  };
  NSSectionItem::setPlatformUserIdReader([] { return std::string("1750000001"); });
  for (Case c : {Case{1, 2}, Case{2, 1}, Case{0, 0}}) {
    NSGlobe::getEngine()->setCurNetStatus(c.netStatus);
    NSSectionItem section;
    section.startApp();
    section.closeApp();
    EXPECT_EQ(section.connType(), c.conn);
    EXPECT_EQ(section.zizaId(), 1750000001);
    EXPECT_EQ(section.key(), "K3Y");
    clock->advance(120);
  }
  // Without an account and without a stored key nothing is recorded for them.
  NSSectionItem::setPlatformUserIdReader([] { return std::string(); });
  NSUserDefaults::standardUserDefaults()->removeObjectForKey(kRegisterClientKey);
  NSSectionItem section;
  section.startApp();
  section.closeApp();
  EXPECT_EQ(section.zizaId(), 0);
  EXPECT_FALSE(section.key());
}

TEST_F(NSSectionItemTest, TheStoredLogGoesOnlyOnceItsLastSectionCannotGoOn) {
  NSSectionItem empty;
  EXPECT_FALSE(empty.startSend());  // no log yet

  run(2);
  run(1, 5);  // carried on: still one section
  clock->advance(30);
  EXPECT_FALSE(NSSectionItem().startSend());
  clock->advance(100);
  run(0);  // a new section
  clock->advance(60);
  EXPECT_TRUE(NSSectionItem().startSend());
  auto sections = stored();
  ASSERT_EQ(sections.size(), 2u);
  for (const auto& s : sections) EXPECT_EQ(s->submitTime(), "2013-01-01 00:03:35");
}

TEST_F(NSSectionItemTest, ClearingKeepsTheStartActionAndWhatCameAfterTheUpload) {
  NSSectionItem section;
  section.clearActions(3);  // nothing to clear
  section.startApp();
  for (int type : {1, 2, 3}) section.addActionByType(type);
  section.clearActions(3);  // the start and the first two went up; ",3" came later
  std::vector<std::string> left;
  for (const auto& a : section.actionsArray()) left.push_back(a.channelType ? "start" : a.caType);
  EXPECT_EQ(left, (std::vector<std::string>{"start", ",3"}));

  run(1);
  NSSectionItem::clearSections();
  EXPECT_EQ(dataWithContentsOfFile(logPath()), "[]");
  ASSERT_TRUE(ZizaJsonStatusParser::parseSectionArray(logPath()));
  EXPECT_TRUE(stored().empty());
  // The empty log is readable and takes the next section.
  clock->advance(100);
  run(1);
  EXPECT_EQ(stored().size(), 1u);
}

TEST_F(NSSectionItemTest, TheLogFileIsEnciphered) {
  run(1);
  auto bytes = dataWithContentsOfFile(logPath());
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->find("901"), std::string::npos);
  EXPECT_EQ(NSDesEncrypt::tripleDES(*bytes, false).substr(0, 9), "[{\"Key\":\"");
}

}  // namespace
