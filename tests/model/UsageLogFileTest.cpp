// The usage-log file: section and action dictionaries, the enciphered file, and what a process
// killed while writing it leaves behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "core/NSDesEncrypt.h"
#include "core/UIFilePath.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

NSActonItem action(int32_t channelType, int32_t subType, int32_t aType, std::string caType = {},
                   std::string sparams = {}, int64_t sId = 0, int64_t rId = 0) {
  NSActonItem a;
  a.cTime = "2013-06-03 08:30:00";
  a.channelType = channelType;
  a.subType = subType;
  a.aType = aType;
  a.caType = std::move(caType);
  a.sparams = std::move(sparams);
  a.sId = sId;
  a.rId = rId;
  return a;
}

std::shared_ptr<NSSectionItem> section(std::string id, int actions = 1) {
  auto s = std::make_shared<NSSectionItem>();
  s->setKey("K3Y");
  s->setSId(std::move(id));
  s->setConnType(2);
  s->setSubmitTime("2013-06-03 08:31:00");
  for (int i = 0; i < actions; ++i) s->actionsArray().push_back(action(0, 0, 0, ",37"));
  return s;
}

std::string logPath() {
  return UIFilePath::getLogFilePath();
}

std::vector<std::string> storedIds() {
  std::vector<std::string> ids;
  for (auto& s : ZizaJsonStatusParser::parseSectionArray(logPath()).value_or(
           std::vector<std::shared_ptr<NSSectionItem>>()))
    ids.push_back(s->sId().value_or("(nil)"));
  return ids;
}

TEST(UsageLogFile, ActionsTakeTheirTextForm) {
  struct Case {
    NSActonItem action;
    const char* aType;
    const char* sparams;
  };
  const Case cases[] = {
      {action(4, 2, 7), "4-2,7", ""},
      {action(4, 0, 7), "4,7", ""},
      {action(901, 0, 0), "901,", ""},
      {action(0, 0, 0, "x"), "x", ""},
      {action(0, 0, 5, "5,9"), "5,95", ""},
      {action(0, 0, 0, "", "", 12, 0), "", "12"},
      {action(0, 0, 0, "", "", 0, 5), "", ",5"},
      {action(0, 0, 0, "", "", 12, 5), "", "12,5"},
      {action(0, 0, 0, "", "900123", 12, 5), "", "900123"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.aType);
    Value json = objectFromJSONString(ZizaJsonStatusParser::reParserActionArray({c.action}));
    ASSERT_EQ(json.count(), 1u);
    EXPECT_EQ(json[0].count(), 3u);
    EXPECT_EQ(json[0]["aType"], Value(c.aType));
    EXPECT_EQ(json[0]["sparams"], Value(c.sparams));
    EXPECT_EQ(json[0]["cTime"], Value("2013-06-03 08:30:00"));
  }
}

TEST(UsageLogFile, ActionsReadBackWithTheirWholeTypeAndTheirIds) {
  struct Case {
    const char* sparams;
    int64_t sId, rId;
  };
  for (Case c : {Case{"12", 12, 0}, Case{"3,4", 3, 4}, Case{",5", 0, 5}, Case{"1,2,3", 0, 0},
                 Case{"", 0, 0}}) {
    SCOPED_TRACE(c.sparams);
    auto dic = makeDictionary({{"cTime", Value("2013-06-03 08:30:00")},
                               {"sparams", Value(c.sparams)},
                               {"aType", Value("4-2,7")}});
    NSActonItem a = ZizaJsonStatusParser::parseAction(*dic);
    EXPECT_EQ(a.caType, "4-2,7");
    EXPECT_EQ(a.channelType, 0);
    EXPECT_EQ(a.sparams, c.sparams);
    EXPECT_EQ(a.sId, c.sId);
    EXPECT_EQ(a.rId, c.rId);
    // Read in the device's zone (Shanghai, UTC+8).
    EXPECT_EQ(a.cTimeInt, 1370219400.0);
  }
  auto bad = makeDictionary({{"cTime", Value("yesterday")}});
  EXPECT_EQ(ZizaJsonStatusParser::parseAction(*bad).cTimeInt, 0);
}

TEST(UsageLogFile, SectionDictionariesLeaveOutWhatTheSectionLacks) {
  auto s = section("130603083000130603083100", 2);
  Value dic(ZizaJsonStatusParser::reParserSection(*s));
  EXPECT_EQ(dic.dictionary()->allKeys(),
            (std::vector<std::string>{"Key", "sId", "Conn", "SubmitTime", "std", "Actionlogs",
                                      "total_number"}));
  EXPECT_EQ(dic["Conn"], Value(2));
  EXPECT_EQ(dic["std"], Value("2.0"));
  EXPECT_EQ(dic["total_number"].intValue(), 2);
  EXPECT_EQ(dic["Actionlogs"].count(), 2u);

  s->setZizaId(1750000001);
  s->setKey(std::nullopt);
  s->setSubmitTime(std::nullopt);
  dic = Value(ZizaJsonStatusParser::reParserSection(*s));
  EXPECT_EQ(dic["Id"], Value("1750000001"));
  EXPECT_TRUE(dic["Key"].isNil());
  EXPECT_TRUE(dic["SubmitTime"].isNil());

  // Read back, from the text of a dictionary or from the dictionary.
  std::string text(JSONString(dic.dictionary()).string());
  auto back = ZizaJsonStatusParser::parseSection(std::string_view(text));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->zizaId(), 1750000001);
  EXPECT_EQ(back->sId(), "130603083000130603083100");
  EXPECT_EQ(back->key(), "");
  EXPECT_EQ(back->actionsArray().size(), 2u);
  EXPECT_EQ(ZizaJsonStatusParser::parseSectionByDic(dic)->zizaId(), 1750000001);
  EXPECT_FALSE(ZizaJsonStatusParser::parseSection(std::string_view("[1]")));
  EXPECT_FALSE(ZizaJsonStatusParser::parseSectionByDic(Value("x")));
}

TEST(UsageLogFile, TheFileIsTheEncipheredArrayOfSections) {
  EXPECT_FALSE(ZizaJsonStatusParser::parseSectionArray(logPath()));  // missing
  ZizaJsonStatusParser::addLogInfo(logPath(), *section("A"));
  ZizaJsonStatusParser::addLogInfo(logPath(), *section("B", 3));
  EXPECT_EQ(storedIds(), (std::vector<std::string>{"A", "B"}));

  auto bytes = dataWithContentsOfFile(logPath());
  ASSERT_TRUE(bytes);
  Value plain = objectFromJSONString(NSDesEncrypt::tripleDES(*bytes, false));
  ASSERT_TRUE(plain.isArray());
  EXPECT_EQ(plain[1]["total_number"].intValue(), 3);
  EXPECT_EQ(ZizaJsonStatusParser::parseSection(logPath(), 1)->actionsArray().size(), 3u);
  EXPECT_FALSE(ZizaJsonStatusParser::parseSection(logPath(), 2));
  EXPECT_FALSE(ZizaJsonStatusParser::parseSection(logPath(), -1));

  // The plain empty log reads as no sections; text that is no array reads as none at all, and
  // the next section starts the file afresh.
  UIFilePath::writeFile(logPath(), "[]");
  ASSERT_TRUE(ZizaJsonStatusParser::parseSectionArray(logPath()));
  EXPECT_TRUE(storedIds().empty());
  UIFilePath::writeFile(logPath(), NSDesEncrypt::tripleDES("{\"not\":\"a list\"}", true));
  EXPECT_FALSE(ZizaJsonStatusParser::parseSectionArray(logPath()));
  ZizaJsonStatusParser::addLogInfo(logPath(), *section("C"));
  EXPECT_EQ(storedIds(), std::vector<std::string>{"C"});
}

TEST(UsageLogFile, TheCurrentSectionIsRewrittenInPlace) {
  // Nothing is written where there is no log.
  ZizaJsonStatusParser::modifyLogInfo(logPath(), *section("A2"), "A");
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(logPath()));
  UIFilePath::writeFile(logPath(), "");
  ZizaJsonStatusParser::modifyLogInfo(logPath(), *section("A2"), "A");
  EXPECT_EQ(dataWithContentsOfFile(logPath()), "");

  ZizaJsonStatusParser::addLogInfo(logPath(), *section("A"));
  ZizaJsonStatusParser::addLogInfo(logPath(), *section("B"));
  // The last section is the one with the id: replaced.
  ZizaJsonStatusParser::modifyLogInfo(logPath(), *section("B2", 4), "B");
  EXPECT_EQ(storedIds(), (std::vector<std::string>{"A", "B2"}));
  // Only the last one is looked at: another id appends.
  ZizaJsonStatusParser::modifyLogInfo(logPath(), *section("A3"), "A");
  EXPECT_EQ(storedIds(), (std::vector<std::string>{"A", "B2", "A3"}));
}

TEST(UsageLogFile, StampingSetsTheKeyInEverySection) {
  EXPECT_FALSE(ZizaJsonStatusParser::updataSectionArray(logPath(), "SubmitTime", Value("x")));
  UIFilePath::writeFile(logPath(), "[]");
  EXPECT_FALSE(ZizaJsonStatusParser::updataSectionArray(logPath(), "SubmitTime", Value("x")));
  EXPECT_EQ(dataWithContentsOfFile(logPath()), "[]");

  ZizaJsonStatusParser::addLogInfo(logPath(), *section("A"));
  ZizaJsonStatusParser::addLogInfo(logPath(), *section("B"));
  EXPECT_TRUE(ZizaJsonStatusParser::updataSectionArray(logPath(), "SubmitTime",
                                                       Value("2013-06-03 09:00:00")));
  auto sections = *ZizaJsonStatusParser::parseSectionArray(logPath());
  ASSERT_EQ(sections.size(), 2u);
  for (auto& s : sections) {
    EXPECT_EQ(s->submitTime(), "2013-06-03 09:00:00");
    EXPECT_EQ(s->actionsArray().size(), 1u);
  }
}

// A child process appends sections to the log as fast as it can; it is killed at some moment of
// its work, again and again.  Every time the log must read whole.
TEST(UsageLogFile, AProcessKilledWhileWritingLeavesAReadableLog) {
  ZizaJsonStatusParser::addLogInfo(logPath(), *section("seed", 50));
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(round);
    size_t before = storedIds().size();
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i) {
        ZizaJsonStatusParser::addLogInfo(logPath(), *section("s" + std::to_string(i), 200));
        if (storedIds().size() > 40) UIFilePath::writeFile(logPath(), "[]");
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(15 + 13 * round));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    auto sections = ZizaJsonStatusParser::parseSectionArray(logPath());
    ASSERT_TRUE(sections) << "round " << round << " after " << before << " sections";
  }
}

}  // namespace
