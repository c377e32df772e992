// The SQLite wrapper against a real database file.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "Common/sqdb/SQDatabase.h"
#include "Common/sqdb/SqdbTestSupport.h"

namespace {

class SQDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = sqdbTestPath();
    db_ = SQDatabase::databaseWithPath(path_);
    ASSERT_TRUE(db_->open());
    ASSERT_TRUE(db_->executeUpdate("create table t (a, b)"));
  }

  // typeof() and quote() of the one value stored in table v.
  std::pair<std::string, std::string> stored() {
    auto rs = db_->executeQuery("select typeof(x), quote(x) from v");
    EXPECT_TRUE(rs && rs->next());
    std::pair<std::string, std::string> r{rs->stringForColumnIndex(0).value_or("?"),
                                          rs->stringForColumnIndex(1).value_or("?")};
    rs->close();
    return r;
  }

  std::string path_;
  std::shared_ptr<SQDatabase> db_;
};

TEST_F(SQDatabaseTest, OpenAndCloseAreIdempotent) {
  sqlite3* handle = db_->sqliteHandle();
  EXPECT_TRUE(db_->open());
  EXPECT_EQ(db_->sqliteHandle(), handle);
  EXPECT_TRUE(db_->databaseExists());
  EXPECT_TRUE(db_->goodConnection());

  EXPECT_TRUE(db_->close());
  EXPECT_FALSE(db_->databaseExists());
  EXPECT_EQ(db_->sqliteHandle(), nullptr);
  EXPECT_TRUE(db_->close());
  EXPECT_FALSE(db_->goodConnection());
  EXPECT_EQ(db_->executeQuery("select 1"), nullptr);
  EXPECT_FALSE(db_->executeUpdate("insert into t values (1, 2)"));

  // Reopening finds what the file kept.
  EXPECT_TRUE(db_->open());
  EXPECT_TRUE(db_->tableExists("t"));
}

TEST_F(SQDatabaseTest, NilPathIsAnInMemoryDatabase) {
  auto mem = SQDatabase::databaseWithPath(std::nullopt);
  ASSERT_TRUE(mem->open());
  EXPECT_TRUE(mem->executeUpdate("create table m (x)"));
  EXPECT_TRUE(mem->tableExists("m"));
  EXPECT_FALSE(db_->tableExists("m"));
}

TEST_F(SQDatabaseTest, AFailedOpenLeavesTheObjectClosedWithTheError) {
  auto bad = SQDatabase::databaseWithPath(path_ + ".missing/dir/x.db");
  EXPECT_FALSE(bad->open());
  EXPECT_FALSE(bad->databaseExists());
  EXPECT_TRUE(bad->hadError());
  EXPECT_EQ(bad->lastErrorCode(), SQLITE_CANTOPEN);
  // Not open, so a second attempt does not answer YES at once.
  EXPECT_FALSE(bad->open());
  EXPECT_FALSE(bad->executeUpdate("create table z (a)"));
}

TEST_F(SQDatabaseTest, UpdateSucceedsOnlyWhenTheStatementRunsToItsEnd) {
  EXPECT_TRUE(db_->executeUpdate("insert into t values (?, ?)", 1, "one"));
  EXPECT_EQ(db_->changes(), 1);
  EXPECT_EQ(db_->lastInsertRowId(), 1);
  // A SELECT that yields a row is not an update.
  EXPECT_FALSE(db_->executeUpdate("select * from t"));
  // One that yields nothing runs to its end.
  EXPECT_TRUE(db_->executeUpdate("select * from t where a = 99"));
  EXPECT_FALSE(db_->executeUpdate("insert into nosuchtable values (1)"));
  EXPECT_FALSE(db_->executeUpdate(""));
}

TEST_F(SQDatabaseTest, BindsArraysDictionariesAndArgumentLists) {
  EXPECT_TRUE(db_->executeUpdateWithArgumentsInArray("insert into t values (?, ?)",
                                                     makeArray({Value(1), Value("array")})));
  EXPECT_TRUE(db_->executeUpdateWithParameterDictionary(
      "insert into t values (:a, :b)", makeDictionary({{"b", Value("dict")}, {"a", Value(2)}})));
  EXPECT_TRUE(db_->executeUpdate("insert into t values (?, ?)", 3, "list"));
  // Extra arguments are ignored.
  EXPECT_TRUE(db_->executeUpdate("insert into t values (?, ?)", 4, "extra", "ignored"));

  auto rs = db_->executeQuery("select a, b from t order by a");
  std::vector<std::string> rows;
  while (rs->next()) {
    rows.push_back(std::to_string(rs->intForColumn("a")) + ":" + *rs->stringForColumn("b"));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"1:array", "2:dict", "3:list", "4:extra"}));
}

TEST_F(SQDatabaseTest, ADictionaryMustMatchTheParameterCount) {
  db_->setShouldCacheStatements(true);
  const char* sql = "insert into t values (:a, :b)";
  // Two keys for one parameter.
  EXPECT_FALSE(db_->executeUpdateWithParameterDictionary(
      "insert into t values (:a, 0)", makeDictionary({{"a", Value(1)}, {"b", Value(2)}})));
  // One key too few, on a statement that is then cached.
  EXPECT_FALSE(db_->executeUpdateWithParameterDictionary(sql, makeDictionary({{"a", Value(1)}})));
  EXPECT_TRUE(db_->executeUpdateWithParameterDictionary(
      sql, makeDictionary({{"a", Value(5)}, {"b", Value(6)}})));
  // A key naming no parameter is skipped; the other still binds, and the skipped parameter
  // does not keep the value of the statement's previous use.
  EXPECT_TRUE(db_->executeUpdateWithParameterDictionary(
      sql, makeDictionary({{"zz", Value(7)}, {"b", Value(2)}})));
  auto rs = db_->executeQuery("select a, b from t order by b");
  ASSERT_TRUE(rs->next());
  EXPECT_TRUE(rs->columnIsNull("a"));
  EXPECT_EQ(rs->intForColumn("b"), 2);
  ASSERT_TRUE(rs->next());
  EXPECT_EQ(rs->intForColumn("a"), 5);
  EXPECT_FALSE(rs->next());
  EXPECT_EQ(db_->executeQueryWithParameterDictionary("select :x", makeDictionary()), nullptr);
}

TEST_F(SQDatabaseTest, TooFewArgumentsRefuseTheStatement) {
  EXPECT_FALSE(db_->executeUpdate("insert into t values (?, ?)", 1));
  EXPECT_FALSE(
      db_->executeUpdateWithArgumentsInArray("insert into t values (?, ?)", makeArray({Value(1)})));
  EXPECT_EQ(db_->executeQuery("select ?"), nullptr);
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 0);
}

TEST_F(SQDatabaseTest, ValueKindsAreStoredAsTheirSQLiteTypes) {
  ASSERT_TRUE(db_->executeUpdate("create table v (x)"));
  struct Case {
    const char* name;
    Value value;
    const char* type;
    const char* quoted;
  };
  const Case cases[] = {
      {"YES", Value(true), "integer", "1"},
      {"NO", Value(false), "integer", "0"},
      {"char 5 as a flag", Value::character(5), "integer", "1"},
      {"int", Value(-42), "integer", "-42"},
      {"64-bit", Value(5000000000LL), "integer", "5000000000"},
      {"unsigned max", Value(ULLONG_MAX), "integer", "-1"},
      {"double", Value(3.5), "real", "3.5"},
      {"date", Value::date(1386381600.25), "real", "1386381600.25"},
      {"text", Value("中文 'q'"), "text", "'中文 ''q'''"},
      {"data", Value::data(std::string("\x01\x00\xff", 3)), "blob", "X'0100FF'"},
      {"empty data", Value::data(""), "blob", "X''"},
      {"nil", Value(), "null", "NULL"},
      {"NSNull", Value::null(), "null", "NULL"},
      {"array", Value::arrayOf({Value(1), Value("a")}), "text", "'(\n    1,\n    a\n)'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(db_->executeUpdate("delete from v"));
    ASSERT_TRUE(db_->executeUpdate("insert into v values (?)", c.value));
    auto [type, quoted] = stored();
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(quoted, c.quoted);
  }
}

TEST_F(SQDatabaseTest, FormatConversionsBecomeParameters) {
  struct Case {
    const char* format;
    std::vector<SQFormatArg> args;
    const char* sql;
    std::vector<Value> values;
  };
  const char* text = "txt";
  const Case cases[] = {
      {"a = %d and b = %@", {5, Value("x")}, "a = ? and b = ?", {Value(5), Value("x")}},
      {"'100%%'", {}, "'100%'", {}},
      {"%D %i %u %U", {1, 2, 3u, 4u}, "? ? ? ?", {Value(1), Value(2), Value(3), Value(4)}},
      {"%c%s", {'A', text}, "??", {Value("A"), Value("txt")}},
      {"%f %g", {0.1, 0.1}, "? ?", {Value(0.1), Value(double(0.1f))}},
      {"%hi %hu", {short(-2), 65535}, "? ?", {Value(-2), Value(65535)}},
      {"%ld %lu", {-3L, 7UL}, "? ?", {Value(-3L), Value(7UL)}},
      {"%lld %llu %qi %qu",
       {-4LL, 8ULL, -5LL, 9ULL},
       "? ? ? ?",
       {Value(-4LL), Value(8ULL), Value(-5LL), Value(9ULL)}},
      // Characters outside the table are copied with the percent sign dropped.
      {"%hx %qx %lx %llx %z", {}, "hx qx lx llx z", {}},
      {"x%", {}, "x", {}},
      // A missing argument binds NULL.
      {"%@", {}, "?", {Value()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    std::string sql;
    std::vector<Value> values;
    SQDatabase::extractSQL(c.format, c.args, sql, values);
    EXPECT_EQ(sql, c.sql);
    ASSERT_EQ(values.size(), c.values.size());
    for (size_t i = 0; i < values.size(); ++i) {
      EXPECT_EQ(values[i].kind(), c.values[i].kind()) << i;
      EXPECT_TRUE(values[i].isEqual(c.values[i])) << i << ": " << values[i].description();
    }
  }
}

TEST_F(SQDatabaseTest, FormatFormsRunEndToEnd) {
  EXPECT_TRUE(db_->executeUpdateWithFormat("insert into t values (%d, %@)", 5, "five"));
  auto rs = db_->executeQueryWithFormat("select b, '100%%' from t where a = %d", 5);
  ASSERT_TRUE(rs);
  EXPECT_EQ(rs->query(), "select b, '100%' from t where a = ?");
  ASSERT_TRUE(rs->next());
  EXPECT_EQ(rs->stringForColumnIndex(0), "five");
  EXPECT_EQ(rs->stringForColumnIndex(1), "100%");
}

TEST_F(SQDatabaseTest, ErrorsAreKeptOnTheConnection) {
  auto rs = db_->executeQuery("selec nonsense");
  EXPECT_EQ(rs, nullptr);
  EXPECT_TRUE(db_->hadError());
  EXPECT_EQ(db_->lastErrorCode(), SQLITE_ERROR);
  EXPECT_NE(db_->lastErrorMessage().find("syntax error"), std::string::npos);
  NSErrorPtr err = db_->lastError();
  EXPECT_EQ(err->domain(), "SQDatabase");
  EXPECT_EQ(err->code(), SQLITE_ERROR);
  EXPECT_EQ(err->localizedDescription(), db_->lastErrorMessage());

  NSErrorPtr updateErr;
  EXPECT_FALSE(db_->update("insert into nowhere values (?)", &updateErr, 1));
  ASSERT_TRUE(updateErr);
  EXPECT_EQ(updateErr->domain(), "SQDatabase");
  EXPECT_NE(updateErr->localizedDescription().find("no such table"), std::string::npos);

  // A row or the end of the rows is not an error.
  ASSERT_TRUE(db_->executeUpdate("insert into t values (1, 2)"));
  rs = db_->executeQuery("select * from t");
  ASSERT_TRUE(rs->next());
  EXPECT_FALSE(db_->hadError());
  EXPECT_TRUE(rs->hasAnotherRow());
  EXPECT_FALSE(rs->next());
  EXPECT_FALSE(db_->hadError());
}

TEST_F(SQDatabaseTest, SchemaQuestionsIgnoreCase) {
  ASSERT_TRUE(db_->executeUpdate("create table MyTable (SomeColumn TEXT, other)"));
  EXPECT_TRUE(db_->tableExists("MyTable"));
  EXPECT_TRUE(db_->tableExists("mytable"));
  EXPECT_TRUE(db_->tableExists("MYTABLE"));
  EXPECT_FALSE(db_->tableExists("MyTable2"));
  EXPECT_TRUE(db_->columnExists("somecolumn", "MYTABLE"));
  EXPECT_TRUE(db_->columnExistsColumnName("mytable", "OTHER"));
  EXPECT_FALSE(db_->columnExists("nothere", "mytable"));
  EXPECT_FALSE(db_->hasOpenResultSets());

  std::vector<std::string> names;
  auto schema = db_->getSchema();
  while (schema->next()) names.push_back(*schema->stringForColumn("name"));
  EXPECT_EQ(names, (std::vector<std::string>{"MyTable", "t"}));

  // A table name cannot break out of its quotes.
  auto rs = db_->getTableSchema("t'); drop table t; --");
  ASSERT_TRUE(rs);
  EXPECT_FALSE(rs->next());
  EXPECT_TRUE(db_->tableExists("t"));
}

TEST_F(SQDatabaseTest, OneValueQueries) {
  ASSERT_TRUE(db_->executeUpdate("create table q (s, i, d, blob, at)"));
  ASSERT_TRUE(db_->executeUpdate("insert into q values (?, ?, ?, ?, ?)", "text", 5000000000LL, 2.5,
                                 Value::data("xyz"), Value::date(1000.5)));
  EXPECT_EQ(db_->stringForQuery("select s from q where i = ?", 5000000000LL), "text");
  EXPECT_EQ(db_->longForQuery("select i from q"), 5000000000L);
  EXPECT_EQ(db_->intForQuery("select 7"), 7);
  EXPECT_TRUE(db_->boolForQuery("select i from q"));
  EXPECT_DOUBLE_EQ(db_->doubleForQuery("select d from q"), 2.5);
  EXPECT_EQ(db_->dataForQuery("select blob from q")->bytes, "xyz");
  EXPECT_DOUBLE_EQ(db_->dateForQuery("select at from q")->secondsSince1970, 1000.5);
  // No row: nil or 0.
  EXPECT_EQ(db_->stringForQuery("select s from q where 0"), std::nullopt);
  EXPECT_EQ(db_->intForQuery("select i from q where 0"), 0);
  EXPECT_EQ(db_->dataForQuery("select blob from q where 0"), std::nullopt);
  EXPECT_FALSE(db_->hasOpenResultSets());
}

TEST_F(SQDatabaseTest, ValidateSQL) {
  NSErrorPtr err;
  EXPECT_TRUE(db_->validateSQL("select * from t", &err));
  EXPECT_FALSE(err);
  EXPECT_FALSE(db_->validateSQL("select * from nowhere", &err));
  ASSERT_TRUE(err);
  EXPECT_EQ(err->domain(), NSCocoaErrorDomain);
  EXPECT_EQ(err->code(), SQLITE_ERROR);
}

TEST_F(SQDatabaseTest, TransactionsCommitAndRollBack) {
  EXPECT_TRUE(db_->beginTransaction());
  EXPECT_TRUE(db_->inTransaction());
  EXPECT_TRUE(db_->executeUpdate("insert into t values (1, 1)"));
  EXPECT_TRUE(db_->rollback());
  EXPECT_FALSE(db_->inTransaction());
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 0);

  EXPECT_TRUE(db_->beginDeferredTransaction());
  EXPECT_TRUE(db_->executeUpdate("insert into t values (2, 2)"));
  EXPECT_TRUE(db_->commit());
  EXPECT_FALSE(db_->inTransaction());
  // A commit with no transaction fails and leaves the flag alone.
  EXPECT_FALSE(db_->commit());
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 1);
}

TEST_F(SQDatabaseTest, SavePoints) {
  NSErrorPtr err;
  // A quote in the name is doubled rather than ending the name.
  EXPECT_TRUE(db_->startSavePointWithName("it's", &err));
  EXPECT_TRUE(db_->executeUpdate("insert into t values (1, 1)"));
  EXPECT_TRUE(db_->rollbackToSavePointWithName("it's", &err));
  EXPECT_TRUE(db_->releaseSavePointWithName("it's", &err));
  EXPECT_FALSE(err);
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 0);
  EXPECT_FALSE(db_->releaseSavePointWithName("never", &err));
  ASSERT_TRUE(err);
  EXPECT_EQ(err->domain(), "SQDatabase");

  EXPECT_EQ(db_->inSavePoint([&](bool*) { db_->executeUpdate("insert into t values (2, 2)"); }),
            nullptr);
  EXPECT_EQ(db_->inSavePoint([&](bool* rollback) {
    db_->executeUpdate("insert into t values (3, 3)");
    *rollback = true;
  }),
            nullptr);
  // The rolled-back savepoint does not leave a transaction open behind it: what follows is
  // committed and survives a reopen.
  EXPECT_NE(sqlite3_get_autocommit(db_->sqliteHandle()), 0);
  EXPECT_TRUE(db_->executeUpdate("insert into t values (4, 4)"));
  ASSERT_TRUE(db_->close());
  ASSERT_TRUE(db_->open());
  std::vector<int> rows;
  auto rs = db_->executeQuery("select a from t order by a");
  while (rs->next()) rows.push_back(rs->intForColumnIndex(0));
  EXPECT_EQ(rows, (std::vector<int>{2, 4}));
}

TEST_F(SQDatabaseTest, ANestedExecuteIsRefused) {
  ASSERT_TRUE(db_->executeUpdate("insert into t values (1, 1)"));
  bool innerRefused = false;
  int64_t innerRowId = -1;
  db_->makeFunctionNamed("reenter", 0, [&](sqlite3_context* context, int, sqlite3_value**) {
    innerRefused = db_->executeQuery("select 1") == nullptr &&
                   !db_->executeUpdate("insert into t values (9, 9)");
    innerRowId = db_->lastInsertRowId();
    sqlite3_result_int(context, 42);
  });
  EXPECT_TRUE(db_->executeUpdate("update t set b = reenter()"));
  EXPECT_TRUE(innerRefused);
  EXPECT_EQ(innerRowId, 0);
  EXPECT_EQ(db_->intForQuery("select b from t"), 42);
  EXPECT_EQ(db_->intForQuery("select count(*) from t"), 1);
}

TEST_F(SQDatabaseTest, UserFunctionsReceiveTheirArguments) {
  db_->makeFunctionNamed("twice", 1, [](sqlite3_context* context, int argc, sqlite3_value** argv) {
    sqlite3_result_int64(context, argc == 1 ? 2 * sqlite3_value_int64(argv[0]) : -1);
  });
  db_->makeFunctionNamed("boom", 0, [](sqlite3_context*, int, sqlite3_value**) {
    throw std::runtime_error("boom failed");
  });
  EXPECT_EQ(db_->longForQuery("select twice(?)", 21), 42);
  EXPECT_EQ(db_->executeQuery("select boom()")->next(), false);
  EXPECT_NE(db_->lastErrorMessage().find("boom failed"), std::string::npos);
}

TEST_F(SQDatabaseTest, TheStatementCacheReusesOneStatementPerText) {
  db_->setShouldCacheStatements(true);
  const char* sql = "insert into t values (?, ?)";
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(db_->executeUpdate(sql, i, "x"));
  auto statement = db_->cachedStatementForQuery(sql);
  ASSERT_TRUE(statement);
  EXPECT_EQ(statement->useCount(), 3);
  EXPECT_EQ(statement->query(), sql);
  EXPECT_NE(statement->description().find("3 hit(s) for query insert"), std::string::npos);
  // Bindings of an earlier use never leak into the next one.
  ASSERT_TRUE(db_->executeUpdate("insert into t (a) values (?)", 10));
  ASSERT_TRUE(db_->executeUpdate("insert into t (a) values (?)", Value()));
  EXPECT_EQ(db_->intForQuery("select count(*) from t where a is null"), 1);

  db_->clearCachedStatements();
  EXPECT_TRUE(db_->cachedStatements().empty());
  EXPECT_EQ(statement->statement(), nullptr);
  db_->setShouldCacheStatements(false);
  ASSERT_TRUE(db_->executeUpdate(sql, 5, "y"));
  EXPECT_TRUE(db_->cachedStatements().empty());
}

TEST_F(SQDatabaseTest, TwoOpenResultSetsOfOneCachedTextKeepTheirOwnPlace) {
  db_->setShouldCacheStatements(true);
  for (int i = 1; i <= 3; ++i) ASSERT_TRUE(db_->executeUpdate("insert into t values (?, ?)", i, i));
  const char* sql = "select a from t where a >= ? order by a";
  auto first = db_->executeQuery(sql, 1);
  ASSERT_TRUE(first->next());
  EXPECT_EQ(first->intForColumnIndex(0), 1);

  auto second = db_->executeQuery(sql, 2);
  ASSERT_TRUE(second);
  EXPECT_NE(second->statement(), first->statement());
  std::vector<int> secondRows;
  while (second->next()) secondRows.push_back(second->intForColumnIndex(0));
  EXPECT_EQ(secondRows, (std::vector<int>{2, 3}));

  std::vector<int> firstRows;
  while (first->next()) firstRows.push_back(first->intForColumnIndex(0));
  EXPECT_EQ(firstRows, (std::vector<int>{2, 3}));

  // Both closed: the cached statement serves the next query again.
  auto cached = db_->cachedStatementForQuery(sql);
  auto third = db_->executeQuery(sql, 3);
  EXPECT_EQ(third->statement(), cached);
  ASSERT_TRUE(third->next());
  EXPECT_EQ(third->intForColumnIndex(0), 3);
}

TEST_F(SQDatabaseTest, AResultSetLetsGoOfItsStatementWhenDestroyed) {
  db_->setShouldCacheStatements(true);
  ASSERT_TRUE(db_->executeUpdate("insert into t values (1, 1)"));
  const char* sql = "select a from t";
  std::shared_ptr<SQStatement> statement;
  {
    auto rs = db_->executeQuery(sql);
    ASSERT_TRUE(rs->next());
    statement = rs->statement();
    EXPECT_TRUE(db_->hasOpenResultSets());
  }
  EXPECT_FALSE(db_->hasOpenResultSets());
  EXPECT_FALSE(statement->inUse());
  // Not left mid-read: a write after it is not blocked and the statement is reused.
  EXPECT_TRUE(db_->executeUpdate("drop table t"));
  EXPECT_FALSE(db_->tableExists("t"));
}

TEST_F(SQDatabaseTest, ClosingTheDatabaseClosesItsResultSets) {
  ASSERT_TRUE(db_->executeUpdate("insert into t values (1, 1)"));
  ASSERT_TRUE(db_->executeUpdate("insert into t values (2, 2)"));
  db_->setShouldCacheStatements(true);
  auto rs = db_->executeQuery("select * from t");
  ASSERT_TRUE(rs->next());
  // A caller may even keep the statement itself.
  auto kept = rs->statement();
  EXPECT_TRUE(db_->close());
  EXPECT_FALSE(db_->hasOpenResultSets());
  EXPECT_FALSE(rs->next());
  EXPECT_EQ(rs->parentDB(), nullptr);
  EXPECT_EQ(kept->statement(), nullptr);

  // The database can go before the result sets it handed out.
  ASSERT_TRUE(db_->open());
  auto orphan = db_->executeQuery("select * from t");
  ASSERT_TRUE(orphan->next());
  db_.reset();
  EXPECT_FALSE(orphan->next());
  orphan->close();
}

}  // namespace
