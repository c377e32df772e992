// The result set: stepping, column access by index and by name, whole-row readers.
#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>
#include <vector>

#include "Common/sqdb/SQDatabase.h"
#include "Common/sqdb/SQResultSet.h"
#include "Common/sqdb/SqdbTestSupport.h"

namespace {

class SQResultSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = SQDatabase::databaseWithPath(sqdbTestPath());
    ASSERT_TRUE(db_->open());
    ASSERT_TRUE(db_->executeUpdate(
        "create table r (Id INTEGER, Name TEXT, Score REAL, Pic BLOB, Note TEXT, At REAL)"));
    ASSERT_TRUE(db_->executeUpdate("insert into r values (?, ?, ?, ?, ?, ?)", 1099511627776LL,
                                   "Ann", 2.5, Value::data("\x01\x02"), Value(),
                                   Value::date(1386381600)));
    ASSERT_TRUE(db_->executeUpdate("insert into r values (?, ?, ?, ?, ?, ?)", -1, "Bob", 0.0,
                                   Value::data(""), "note", Value()));
  }

  std::shared_ptr<SQResultSet> firstRow() {
    auto rs = db_->executeQuery("select * from r order by Name");
    EXPECT_TRUE(rs && rs->next());
    return rs;
  }

  std::shared_ptr<SQDatabase> db_;
};

TEST_F(SQResultSetTest, AQueryWithoutRowsClosesAtTheFirstNext) {
  auto rs = db_->executeQuery("select * from r where 0");
  ASSERT_TRUE(rs);
  EXPECT_TRUE(db_->hasOpenResultSets());
  EXPECT_FALSE(rs->next());
  EXPECT_FALSE(db_->hasOpenResultSets());
  EXPECT_EQ(rs->statement(), nullptr);
  EXPECT_EQ(rs->parentDB(), nullptr);
  EXPECT_FALSE(rs->next());
  rs->close();
  rs->close();
}

TEST_F(SQResultSetTest, ColumnsByIndexAndByNameInAnyCase) {
  auto rs = firstRow();
  EXPECT_EQ(rs->columnCount(), 6);
  EXPECT_EQ(rs->columnNameForIndex(1), "Name");
  for (const char* name : {"name", "NAME", "Name", "nAmE"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(rs->columnIndexForName(name), 1);
    EXPECT_EQ(rs->stringForColumn(name), "Ann");
  }
  EXPECT_EQ(rs->stringForColumnIndex(1), "Ann");
  EXPECT_STREQ(rs->UTF8StringForColumnName("name"), "Ann");

  EXPECT_EQ(rs->longLongIntForColumn("id"), 1099511627776LL);
  EXPECT_EQ(rs->longForColumn("ID"), 1099511627776L);
  EXPECT_EQ(rs->intForColumn("id"), 0);  // the low 32 bits
  EXPECT_TRUE(rs->boolForColumn("score"));
  EXPECT_DOUBLE_EQ(rs->doubleForColumn("Score"), 2.5);
  EXPECT_EQ(rs->dataForColumn("pic")->bytes, "\x01\x02");
  EXPECT_EQ(*rs->dataNoCopyForColumn("pic"), "\x01\x02");
  EXPECT_DOUBLE_EQ(rs->dateForColumn("at")->secondsSince1970, 1386381600);
  EXPECT_TRUE(rs->columnIsNull("note"));
  EXPECT_EQ(rs->stringForColumn("note"), std::nullopt);
  EXPECT_EQ(rs->UTF8StringForColumnIndex(4), nullptr);
  EXPECT_EQ(rs->dataForColumn("note"), std::nullopt);
  EXPECT_EQ(rs->dateForColumn("note"), std::nullopt);

  ASSERT_TRUE(rs->next());
  EXPECT_EQ(rs->stringForColumn("name"), "Bob");
  EXPECT_EQ(rs->unsignedLongLongIntForColumn("id"), ULLONG_MAX);
  EXPECT_FALSE(rs->boolForColumn("score"));
  // An empty blob is data, not nil.
  ASSERT_TRUE(rs->dataForColumn("pic"));
  EXPECT_EQ(rs->dataForColumn("pic")->bytes, "");
  EXPECT_FALSE(rs->next());
}

TEST_F(SQResultSetTest, MissingColumnsReadAsNothing) {
  auto rs = firstRow();
  EXPECT_EQ(rs->columnIndexForName("nosuch"), -1);
  EXPECT_EQ(rs->stringForColumn("nosuch"), std::nullopt);
  EXPECT_EQ(rs->intForColumn("nosuch"), 0);
  EXPECT_EQ(rs->dataForColumn("nosuch"), std::nullopt);
  EXPECT_EQ(rs->dateForColumn("nosuch"), std::nullopt);
  EXPECT_TRUE(rs->objectForColumnName("nosuch").isNull());
  EXPECT_EQ(rs->stringForColumnIndex(-1), std::nullopt);
  EXPECT_EQ(rs->stringForColumnIndex(99), std::nullopt);
  EXPECT_EQ(rs->longLongIntForColumnIndex(99), 0);
  // Reading past the columns does not put an error on the connection.
  EXPECT_FALSE(db_->hadError());
  // Nor does reading a closed set crash.
  rs->close();
  EXPECT_EQ(rs->stringForColumn("name"), std::nullopt);
  EXPECT_EQ(rs->columnCount(), 0);
  EXPECT_EQ(rs->resultDictionary(), nullptr);
}

TEST_F(SQResultSetTest, ObjectsKeepTheColumnTypes) {
  auto rs = firstRow();
  Value id = rs->objectForColumnIndex(0);
  EXPECT_EQ(id.kind(), Value::Kind::Int);
  EXPECT_EQ(id.longLongValue(), 1099511627776LL);
  EXPECT_EQ(rs->objectForColumnName("name").string(), "Ann");
  EXPECT_EQ(rs->objectForColumnName("score").kind(), Value::Kind::Double);
  EXPECT_EQ(rs->objectForColumnName("pic").bytes(), "\x01\x02");
  EXPECT_TRUE(rs->objectForColumnName("note").isNull());
}

TEST_F(SQResultSetTest, WholeRowDictionaries) {
  auto rs = db_->executeQuery("select Id, Name AS DisplayName, Note from r order by Name");
  EXPECT_EQ(rs->resultDictionary(), nullptr);  // no row yet
  ASSERT_TRUE(rs->next());

  ValueDictionary exact = rs->resultDictionary();
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->allKeys(), (std::vector<std::string>{"Id", "DisplayName", "Note"}));
  EXPECT_EQ(exact->objectForKey("DisplayName").string(), "Ann");
  EXPECT_TRUE(exact->objectForKey("Note").isNull());
  EXPECT_TRUE(exact->isMutable());

  ValueDictionary lower = rs->resultDict();
  ASSERT_TRUE(lower);
  EXPECT_EQ(lower->allKeys(), (std::vector<std::string>{"id", "displayname", "note"}));
  EXPECT_EQ(lower->objectForKey("displayname").string(), "Ann");
  EXPECT_EQ(lower->objectForKey("id").longLongValue(), 1099511627776LL);
  EXPECT_FALSE(lower->isMutable());

  std::map<std::string, std::string> seen;
  rs->kvcMagic([&](const std::string& value, const std::string& key) { seen[key] = value; });
  EXPECT_EQ(seen,
            (std::map<std::string, std::string>{{"Id", "1099511627776"}, {"DisplayName", "Ann"}}));
}

TEST_F(SQResultSetTest, ALaterColumnOfTheSameNameWins) {
  auto rs = db_->executeQuery("select 1 AS x, 2 AS X");
  ASSERT_TRUE(rs->next());
  EXPECT_EQ(rs->intForColumn("x"), 2);
  EXPECT_EQ(rs->columnNameToIndexMap().size(), 1u);
  EXPECT_EQ(rs->resultDict()->objectForKey("x").intValue(), 2);
}

TEST_F(SQResultSetTest, HasAnotherRowFollowsTheLastStep) {
  auto rs = db_->executeQuery("select Name from r");
  ASSERT_TRUE(rs->next());
  EXPECT_TRUE(rs->hasAnotherRow());
  ASSERT_TRUE(rs->next());
  EXPECT_TRUE(rs->hasAnotherRow());
  EXPECT_FALSE(rs->next());
  EXPECT_FALSE(rs->hasAnotherRow());
}

}  // namespace
