// One SQLite connection that runs statements with Value arguments, keeps an optional cache of
// prepared statements per SQL text, and returns query results as SQResultSet cursors.
//
// Failures come back as nil, false or 0, with SQLite's last error code and message kept on the
// connection; nothing is thrown.  A connection belongs to one thread at a time.
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <variant>
#include <vector>

#include "Common/sqdb/SQResultSet.h"
#include "Common/sqdb/SQStatement.h"
#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

inline constexpr std::string_view SQDatabaseErrorDomain = "SQDatabase";

// Lets the statement cache be searched with a string_view, without building a key.
struct SQTextHash {
  using is_transparent = void;
  size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
};
using SQStatementCache =
    std::unordered_map<std::string, std::shared_ptr<SQStatement>, SQTextHash, std::equal_to<>>;

// One argument of the format forms (executeQueryWithFormat, executeUpdateWithFormat): a C
// number, a C string or an object.  The conversion character decides how it is read.
class SQFormatArg {
 public:
  template <class T>
  requires(!std::is_same_v<std::decay_t<T>, SQFormatArg>) SQFormatArg(const T& v) {
    using D = std::decay_t<T>;
    if constexpr (std::is_same_v<D, bool>) {
      v_ = int64_t(v ? 1 : 0);
    } else if constexpr (std::is_integral_v<D> && std::is_signed_v<D>) {
      v_ = int64_t(v);
    } else if constexpr (std::is_integral_v<D>) {
      v_ = uint64_t(v);
    } else if constexpr (std::is_floating_point_v<D>) {
      v_ = double(v);
    } else if constexpr (std::is_convertible_v<D, const char*>) {
      const char* s = v;
      if (s) {
        v_ = std::string(s);
      } else {
        v_ = Value();
      }
    } else if constexpr (std::is_convertible_v<D, std::string_view>) {
      v_ = std::string(std::string_view(v));
    } else {
      v_ = Value(v);
    }
  }

  long long asLongLong() const;
  unsigned long long asUnsignedLongLong() const;
  double asDouble() const;
  // The argument as an object: numbers as numbers, texts as strings.
  Value asObject() const;

 private:
  std::variant<int64_t, uint64_t, double, std::string, Value> v_;
};

class SQDatabase : public NSObject {
 public:
  using FunctionBlock =
      std::function<void(sqlite3_context* context, int argc, sqlite3_value** argv)>;

  // A nil path is an in-memory database.
  static std::shared_ptr<SQDatabase> databaseWithPath(std::optional<std::string> path);
  explicit SQDatabase(std::optional<std::string> path = std::nullopt);
  ~SQDatabase() override;
  SQDatabase(const SQDatabase&) = delete;
  SQDatabase& operator=(const SQDatabase&) = delete;

  static std::string sqliteLibVersion();
  static bool isSQLiteThreadSafe();

  const std::optional<std::string>& databasePath() const { return databasePath_; }
  sqlite3* sqliteHandle() const { return db_; }

  bool open();
  bool openWithFlags(int flags);
  // Closes the cached statements and the open result sets first; false only when a busy
  // timeout ran out (the connection then stays open).
  bool close();
  bool databaseExists() const { return db_ != nullptr; }
  bool goodConnection();
  // No encryption: always false.
  bool rekey(std::string_view key) { return false; }
  bool setKey(std::string_view key) { return false; }
  void warnInUse() const {}

  void clearCachedStatements();
  bool hasOpenResultSets() const { return !openResultSets_.empty(); }
  void closeOpenResultSets();
  void resultSetDidClose(SQResultSet* resultSet);
  std::shared_ptr<SQStatement> cachedStatementForQuery(std::string_view query) const;
  void setCachedStatement(std::shared_ptr<SQStatement> statement, const std::string& query);
  bool shouldCacheStatements() const { return shouldCacheStatements_; }
  void setShouldCacheStatements(bool value);
  const SQStatementCache& cachedStatements() const { return cachedStatements_; }
  void setCachedStatements(SQStatementCache statements) {
    cachedStatements_ = std::move(statements);
  }

  bool logsErrors() const { return logsErrors_; }
  void setLogsErrors(bool v) { logsErrors_ = v; }
  bool crashOnErrors() const { return crashOnErrors_; }
  void setCrashOnErrors(bool v) { crashOnErrors_ = v; }
  bool traceExecution() const { return traceExecution_; }
  void setTraceExecution(bool v) { traceExecution_ = v; }
  bool checkedOut() const { return checkedOut_; }
  void setCheckedOut(bool v) { checkedOut_ = v; }
  // Extra attempts on SQLITE_BUSY / SQLITE_LOCKED; 0 retries without limit.
  int busyRetryTimeout() const { return busyRetryTimeout_; }
  void setBusyRetryTimeout(int v) { busyRetryTimeout_ = v; }

  // Errors and results.
  std::string lastErrorMessage() const;
  int lastErrorCode() const;
  // SQLite codes 1 to 99; SQLITE_ROW and SQLITE_DONE are not errors.
  bool hadError() const;
  NSErrorPtr errorWithMessage(std::string_view message) const;
  NSErrorPtr lastError() const;
  // 0 while another statement of this connection is executing.
  int64_t lastInsertRowId();
  int changes();

  // Queries: one argument per "?", in order.
  template <class... Args>
  std::shared_ptr<SQResultSet> executeQuery(std::string_view sql, Args&&... args) {
    std::array<Value, sizeof...(Args)> list{Value(std::forward<Args>(args))...};
    return executeQueryWithArgumentsInArrayOrDictionaryOrVAList(sql, nullptr, nullptr, list);
  }
  std::shared_ptr<SQResultSet> executeQueryWithArgumentsInArray(std::string_view sql,
                                                                const ValueArray& arguments);
  // Named parameters ":key"; the dictionary must have as many keys as the statement has
  // parameters.
  std::shared_ptr<SQResultSet> executeQueryWithParameterDictionary(
      std::string_view sql, const ValueDictionary& arguments);
  // printf-like: every conversion becomes a "?" bound to its argument; "%%" gives "%".
  template <class... Args>
  std::shared_ptr<SQResultSet> executeQueryWithFormat(std::string_view format,
                                                      const Args&... args) {
    std::vector<SQFormatArg> list{SQFormatArg(args)...};
    std::string sql;
    std::vector<Value> values;
    extractSQL(format, list, sql, values);
    return executeQueryWithArgumentsInArrayOrDictionaryOrVAList(sql, nullptr, nullptr, values);
  }
  // The core query method; exactly one of the argument sources is used (the dictionary when
  // given, else the array, else the list).
  std::shared_ptr<SQResultSet> executeQueryWithArgumentsInArrayOrDictionaryOrVAList(
      std::string_view sql, const NSArray* arrayArgs, const NSDictionary* dictionaryArgs,
      std::span<const Value> listArgs);

  // Updates: true when the statement ran to its end; a statement that yields a row fails.
  template <class... Args>
  bool executeUpdate(std::string_view sql, Args&&... args) {
    std::array<Value, sizeof...(Args)> list{Value(std::forward<Args>(args))...};
    return executeUpdateErrorWithArgumentsInArrayOrDictionaryOrVAList(sql, nullptr, nullptr,
                                                                      nullptr, list);
  }
  bool executeUpdateWithArgumentsInArray(std::string_view sql, const ValueArray& arguments);
  bool executeUpdateWithParameterDictionary(std::string_view sql, const ValueDictionary& arguments);
  template <class... Args>
  bool executeUpdateWithFormat(std::string_view format, const Args&... args) {
    std::vector<SQFormatArg> list{SQFormatArg(args)...};
    std::string sql;
    std::vector<Value> values;
    extractSQL(format, list, sql, values);
    return executeUpdateErrorWithArgumentsInArrayOrDictionaryOrVAList(sql, nullptr, nullptr,
                                                                      nullptr, values);
  }
  template <class... Args>
  bool update(std::string_view sql, NSErrorPtr* outErr, Args&&... args) {
    std::array<Value, sizeof...(Args)> list{Value(std::forward<Args>(args))...};
    return executeUpdateErrorWithArgumentsInArrayOrDictionaryOrVAList(sql, outErr, nullptr, nullptr,
                                                                      list);
  }
  bool executeUpdateErrorWithArgumentsInArrayOrDictionaryOrVAList(
      std::string_view sql, NSErrorPtr* outErr, const NSArray* arrayArgs,
      const NSDictionary* dictionaryArgs, std::span<const Value> listArgs);

  // Turns a printf-like format into SQL with "?" and the argument objects.
  static void extractSQL(std::string_view format, const std::vector<SQFormatArg>& args,
                         std::string& cleanedSQL, std::vector<Value>& arguments);
  // Binds one value: nil and NSNull as NULL, data as a blob, dates as seconds since 1970,
  // numbers by their kind (flags as 0 or 1), texts as UTF-8, anything else as its description.
  // Texts and blobs are copied by SQLite.
  static int bindObject(const Value& obj, int idx, sqlite3_stmt* statement);

  // Transactions and savepoints.
  bool beginTransaction();
  bool beginDeferredTransaction();
  bool commit();
  bool rollback();
  bool inTransaction() const { return inTransaction_; }
  bool startSavePointWithName(std::string_view name, NSErrorPtr* outErr);
  bool releaseSavePointWithName(std::string_view name, NSErrorPtr* outErr);
  bool rollbackToSavePointWithName(std::string_view name, NSErrorPtr* outErr);
  // Runs the block inside a savepoint of its own; the block sets *rollback to undo its work.
  NSErrorPtr inSavePoint(const std::function<void(bool* rollback)>& block);
  // The same with a savepoint name of the caller's; a rolled-back savepoint is released too,
  // so that the transaction it opened ends.
  NSErrorPtr inSavePointNamed(std::string_view name,
                              const std::function<void(bool* rollback)>& block);

  // Registers a SQL function; the block stays alive as long as the connection object.
  void makeFunctionNamed(std::string_view name, int maximumArguments, FunctionBlock block);

  // One-value queries: column 0 of the first row; nil or 0 when there is none.
  template <class... Args>
  std::optional<std::string> stringForQuery(std::string_view sql, const Args&... args) {
    return stringForQueryWithArguments(sql, {Value(args)...});
  }
  template <class... Args>
  int intForQuery(std::string_view sql, const Args&... args) {
    return intForQueryWithArguments(sql, {Value(args)...});
  }
  template <class... Args>
  long longForQuery(std::string_view sql, const Args&... args) {
    return longForQueryWithArguments(sql, {Value(args)...});
  }
  template <class... Args>
  bool boolForQuery(std::string_view sql, const Args&... args) {
    return boolForQueryWithArguments(sql, {Value(args)...});
  }
  template <class... Args>
  double doubleForQuery(std::string_view sql, const Args&... args) {
    return doubleForQueryWithArguments(sql, {Value(args)...});
  }
  template <class... Args>
  std::optional<NSDataBytes> dataForQuery(std::string_view sql, const Args&... args) {
    return dataForQueryWithArguments(sql, {Value(args)...});
  }
  template <class... Args>
  std::optional<NSDateValue> dateForQuery(std::string_view sql, const Args&... args) {
    return dateForQueryWithArguments(sql, {Value(args)...});
  }
  std::optional<std::string> stringForQueryWithArguments(std::string_view sql,
                                                         std::vector<Value> args);
  int intForQueryWithArguments(std::string_view sql, std::vector<Value> args);
  long longForQueryWithArguments(std::string_view sql, std::vector<Value> args);
  bool boolForQueryWithArguments(std::string_view sql, std::vector<Value> args);
  double doubleForQueryWithArguments(std::string_view sql, std::vector<Value> args);
  std::optional<NSDataBytes> dataForQueryWithArguments(std::string_view sql,
                                                       std::vector<Value> args);
  std::optional<NSDateValue> dateForQueryWithArguments(std::string_view sql,
                                                       std::vector<Value> args);

  // Schema questions.
  bool tableExists(std::string_view tableName);
  std::shared_ptr<SQResultSet> getSchema();
  std::shared_ptr<SQResultSet> getTableSchema(std::string_view tableName);
  bool columnExists(std::string_view columnName, std::string_view tableName);
  bool columnExistsColumnName(std::string_view tableName, std::string_view columnName);
  bool validateSQL(std::string_view sql, NSErrorPtr* outErr);

 private:
  friend class SQResultSet;
  // Runs the query and hands its first row to `read` (with nullptr when there is none).
  void readFirstRow(std::string_view sql, std::span<const Value> args,
                    const std::function<void(SQResultSet*)>& read);
  // A statement for the SQL: the cached one when it is free, else a fresh one.
  std::shared_ptr<SQStatement> statementForQuery(std::string_view query, sqlite3_stmt** handle,
                                                 bool* timedOut);
  bool bindArguments(sqlite3_stmt* statement, const NSArray* arrayArgs,
                     const NSDictionary* dictionaryArgs, std::span<const Value> listArgs);
  std::shared_ptr<SQStatement> wrapStatement(sqlite3_stmt* handle, std::string_view query);

  sqlite3* db_ = nullptr;
  // The error of the last failed open, reported while there is no connection.
  int openErrorCode_ = 0;
  std::string openErrorMessage_;
  std::optional<std::string> databasePath_;
  bool logsErrors_ = false;
  bool crashOnErrors_ = false;
  bool traceExecution_ = false;
  bool checkedOut_ = false;
  bool shouldCacheStatements_ = false;
  bool isExecutingStatement_ = false;
  bool inTransaction_ = false;
  int busyRetryTimeout_ = 0;
  SQStatementCache cachedStatements_;
  std::set<SQResultSet*> openResultSets_;
  std::vector<std::unique_ptr<FunctionBlock>> openFunctions_;
  // Every statement made on this connection, so that close() can finalize those that
  // outlive their result sets without finalizing any handle twice.
  std::vector<std::weak_ptr<SQStatement>> statements_;
  size_t statementsPruneAt_ = 64;
};
