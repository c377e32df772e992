#include "Common/sqdb/SQDatabase.h"

#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "Common/sqdb/SQBusyRetry.h"

namespace {

// Marks the connection as executing for the length of one execute call.
class ExecutingGuard {
 public:
  explicit ExecutingGuard(bool& flag) : flag_(flag) { flag_ = true; }
  ~ExecutingGuard() { flag_ = false; }

 private:
  bool& flag_;
};

// Savepoint names use single quotes; a quote inside the name is doubled.
std::string quoted(std::string_view name) {
  std::string out = "'";
  for (char c : name) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

}  // namespace

long long SQFormatArg::asLongLong() const {
  switch (v_.index()) {
    case 0:
      return std::get<int64_t>(v_);
    case 1:
      return (long long)std::get<uint64_t>(v_);
    case 2:
      return (long long)std::get<double>(v_);
    default:
      return asObject().longLongValue();
  }
}

unsigned long long SQFormatArg::asUnsignedLongLong() const {
  switch (v_.index()) {
    case 0:
      return (unsigned long long)std::get<int64_t>(v_);
    case 1:
      return std::get<uint64_t>(v_);
    case 2:
      return (unsigned long long)(long long)std::get<double>(v_);
    default:
      return asObject().unsignedLongLongValue();
  }
}

double SQFormatArg::asDouble() const {
  switch (v_.index()) {
    case 0:
      return double(std::get<int64_t>(v_));
    case 1:
      return double(std::get<uint64_t>(v_));
    case 2:
      return std::get<double>(v_);
    default:
      return asObject().doubleValue();
  }
}

Value SQFormatArg::asObject() const {
  switch (v_.index()) {
    case 0:
      return Value((long long)std::get<int64_t>(v_));
    case 1:
      return Value((unsigned long long)std::get<uint64_t>(v_));
    case 2:
      return Value(std::get<double>(v_));
    case 3:
      return Value(std::get<std::string>(v_));
    default:
      return std::get<Value>(v_);
  }
}

std::shared_ptr<SQDatabase> SQDatabase::databaseWithPath(std::optional<std::string> path) {
  return std::make_shared<SQDatabase>(std::move(path));
}

SQDatabase::SQDatabase(std::optional<std::string> path) : databasePath_(std::move(path)) {
  if (!sqlite3_threadsafe()) {
    std::fprintf(stderr,
                 "*** Assertion failure in -[SQDatabase initWithPath:], Common/sqdb/SQDatabase:34: "
                 "sqlite3_threadsafe()\n");
    std::abort();
  }
}

SQDatabase::~SQDatabase() {
  close();
  // A busy timeout can leave the connection open; let SQLite close it once it is free.
  if (db_) sqlite3_close_v2(db_);
}

std::string SQDatabase::sqliteLibVersion() {
  return sqlite3_libversion();
}

bool SQDatabase::isSQLiteThreadSafe() {
  return sqlite3_threadsafe() != 0;
}

bool SQDatabase::open() {
  if (db_) return true;
  return openWithFlags(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
}

bool SQDatabase::openWithFlags(int flags) {
  // Opening again must not leak the current connection (and the locks it holds).
  if (db_) close();
  const char* name = databasePath_ ? databasePath_->c_str() : ":memory:";
  sqlite3* handle = nullptr;
  int rc = sqlite3_open_v2(name, &handle, flags, nullptr);
  if (rc == SQLITE_OK) {
    db_ = handle;
    openErrorCode_ = SQLITE_OK;
    openErrorMessage_.clear();
    return true;
  }
  // A failed open still gives a handle that only carries the error; keep the error, not the
  // handle, so that the object does not count as open.
  openErrorCode_ = handle ? sqlite3_errcode(handle) : rc;
  openErrorMessage_ = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
  if (handle) sqlite3_close(handle);
  return false;
}

bool SQDatabase::close() {
  clearCachedStatements();
  closeOpenResultSets();
  if (!db_) return true;
  bool triedFinalizingOpenStatements = false;
  int numberOfRetries = 0;
  for (;;) {
    int rc = sqlite3_close(db_);
    if (!sqdb::isBusy(rc)) break;
    if (!sqdb::retryAfterBusy(busyRetryTimeout_, numberOfRetries)) return false;
    if (!triedFinalizingOpenStatements) {
      triedFinalizingOpenStatements = true;
      // Statements still held outside the connection (by a caller keeping a result set's
      // statement) are closed through their owners so that none is finalized twice.
      for (auto& weak : statements_) {
        if (auto statement = weak.lock()) statement->close();
      }
      while (sqlite3_stmt* pStmt = sqlite3_next_stmt(db_, nullptr)) sqlite3_finalize(pStmt);
    }
  }
  db_ = nullptr;
  inTransaction_ = false;
  statements_.clear();
  return true;
}

bool SQDatabase::goodConnection() {
  if (!db_) return false;
  auto rs = executeQuery("select name from sqlite_master where type='table'");
  if (!rs) return false;
  rs->close();
  return true;
}

void SQDatabase::clearCachedStatements() {
  for (auto& [query, statement] : cachedStatements_) {
    // A statement an open result set is still stepping is finalized when that set lets go.
    if (!statement->inUse()) statement->close();
  }
  cachedStatements_.clear();
}

void SQDatabase::closeOpenResultSets() {
  auto sets = openResultSets_;
  for (SQResultSet* rs : sets) {
    rs->setParentDB(nullptr);
    rs->close();
    openResultSets_.erase(rs);
  }
}

void SQDatabase::resultSetDidClose(SQResultSet* resultSet) {
  openResultSets_.erase(resultSet);
}

std::shared_ptr<SQStatement> SQDatabase::cachedStatementForQuery(std::string_view query) const {
  auto it = cachedStatements_.find(query);
  return it == cachedStatements_.end() ? nullptr : it->second;
}

void SQDatabase::setCachedStatement(std::shared_ptr<SQStatement> statement,
                                    const std::string& query) {
  statement->setQuery(query);
  cachedStatements_[query] = std::move(statement);
}

void SQDatabase::setShouldCacheStatements(bool value) {
  shouldCacheStatements_ = value;
  // Dropped statements are finalized as their last holder releases them.
  if (!value) cachedStatements_.clear();
}

std::string SQDatabase::lastErrorMessage() const {
  if (!db_) return openErrorCode_ ? openErrorMessage_ : sqlite3_errstr(SQLITE_MISUSE);
  return sqlite3_errmsg(db_);
}

int SQDatabase::lastErrorCode() const {
  if (!db_) return openErrorCode_ ? openErrorCode_ : SQLITE_MISUSE;
  return sqlite3_errcode(db_);
}

bool SQDatabase::hadError() const {
  int code = lastErrorCode();
  return code > SQLITE_OK && code < SQLITE_ROW;
}

NSErrorPtr SQDatabase::errorWithMessage(std::string_view message) const {
  return NSError::errorWithDomain(
      SQDatabaseErrorDomain, lastErrorCode(),
      Value::dictionaryOf({{std::string(NSLocalizedDescriptionKey), Value(std::string(message))}}));
}

NSErrorPtr SQDatabase::lastError() const {
  return errorWithMessage(lastErrorMessage());
}

int64_t SQDatabase::lastInsertRowId() {
  if (isExecutingStatement_ || !db_) return 0;
  ExecutingGuard guard(isExecutingStatement_);
  return sqlite3_last_insert_rowid(db_);
}

int SQDatabase::changes() {
  if (isExecutingStatement_ || !db_) return 0;
  ExecutingGuard guard(isExecutingStatement_);
  return sqlite3_changes(db_);
}

std::shared_ptr<SQStatement> SQDatabase::wrapStatement(sqlite3_stmt* handle,
                                                       std::string_view query) {
  auto statement = std::make_shared<SQStatement>();
  statement->setStatement(handle);
  statement->setQuery(std::string(query));
  if (statements_.size() >= statementsPruneAt_) {
    std::erase_if(statements_, [](const std::weak_ptr<SQStatement>& w) { return w.expired(); });
    statementsPruneAt_ = std::max<size_t>(64, statements_.size() * 2);
  }
  statements_.push_back(statement);
  return statement;
}

std::shared_ptr<SQStatement> SQDatabase::statementForQuery(std::string_view query,
                                                           sqlite3_stmt** handle, bool* timedOut) {
  *handle = nullptr;
  *timedOut = false;
  if (shouldCacheStatements_) {
    auto statement = cachedStatementForQuery(query);
    // A cached statement still stepped by an open result set is left alone: the query gets
    // a fresh one instead.
    if (statement && statement->statement() && !statement->inUse()) {
      // Every use leaves it reset; binding then replaces every parameter (a dictionary
      // binding clears them first).
      if (sqlite3_stmt_busy(statement->statement())) sqlite3_reset(statement->statement());
      *handle = statement->statement();
      return statement;
    }
  }
  if (query.size() >= size_t(INT_MAX)) return nullptr;
  int numberOfRetries = 0;
  for (;;) {
    int rc = sqlite3_prepare_v2(db_, query.data(), int(query.size()), handle, nullptr);
    if (rc == SQLITE_OK) break;
    sqlite3_finalize(*handle);
    *handle = nullptr;
    if (!sqdb::isBusy(rc)) break;
    if (!sqdb::retryAfterBusy(busyRetryTimeout_, numberOfRetries)) {
      *timedOut = true;
      break;
    }
  }
  return nullptr;
}

bool SQDatabase::bindArguments(sqlite3_stmt* statement, const NSArray* arrayArgs,
                               const NSDictionary* dictionaryArgs,
                               std::span<const Value> listArgs) {
  int queryCount = sqlite3_bind_parameter_count(statement);
  if (dictionaryArgs) {
    if (dictionaryArgs->count() != size_t(queryCount)) return false;
    // Keys naming no parameter leave parameters unbound: none may keep an earlier value.
    sqlite3_clear_bindings(statement);
    std::string name;
    dictionaryArgs->enumerate([&](const std::string& key, const Value& value) {
      name = ":" + key;
      int idx = sqlite3_bind_parameter_index(statement, name.c_str());
      if (idx > 0) bindObject(value, idx, statement);
    });
    return true;
  }
  size_t available = arrayArgs ? arrayArgs->count() : listArgs.size();
  // Too few arguments would leave parameters silently NULL: refuse the statement instead.
  if (available < size_t(queryCount)) return false;
  for (int i = 0; i < queryCount; ++i) {
    bindObject(arrayArgs ? arrayArgs->objectAtIndex(size_t(i)) : listArgs[size_t(i)], i + 1,
               statement);
  }
  return true;
}

int SQDatabase::bindObject(const Value& obj, int idx, sqlite3_stmt* statement) {
  switch (obj.kind()) {
    case Value::Kind::Nil:
    case Value::Kind::Null:
      return sqlite3_bind_null(statement, idx);
    case Value::Kind::Data: {
      const std::string_view bytes = obj.bytes();
      // Empty data is an empty blob, not NULL.
      return sqlite3_bind_blob64(statement, idx, bytes.empty() ? "" : bytes.data(), bytes.size(),
                                 SQLITE_TRANSIENT);
    }
    case Value::Kind::Date:
      return sqlite3_bind_double(statement, idx, obj.dateSeconds());
    case Value::Kind::Bool:
    case Value::Kind::Char:
      return sqlite3_bind_int(statement, idx, obj.boolValue() ? 1 : 0);
    case Value::Kind::Int:
      return sqlite3_bind_int64(statement, idx, obj.longLongValue());
    case Value::Kind::UInt:
      return sqlite3_bind_int64(statement, idx, sqlite3_int64(obj.unsignedLongLongValue()));
    case Value::Kind::Double:
      return sqlite3_bind_double(statement, idx, obj.doubleValue());
    case Value::Kind::String: {
      const std::string_view s = obj.string();
      return sqlite3_bind_text64(statement, idx, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    default: {
      std::string text = obj.description();
      return sqlite3_bind_text64(statement, idx, text.data(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    }
  }
}

void SQDatabase::extractSQL(std::string_view format, const std::vector<SQFormatArg>& args,
                            std::string& cleanedSQL, std::vector<Value>& arguments) {
  cleanedSQL.clear();
  cleanedSQL.reserve(format.size());
  size_t nextArg = 0;
  auto take = [&]() -> const SQFormatArg* {
    return nextArg < args.size() ? &args[nextArg++] : nullptr;
  };
  auto add = [&](Value v) {
    cleanedSQL += '?';
    arguments.push_back(std::move(v));
  };
  auto at = [&](size_t i) { return i < format.size() ? format[i] : '\0'; };
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%') {
      cleanedSQL += c;
      continue;
    }
    if (++i >= format.size()) break;
    char conv = format[i];
    switch (conv) {
      case '@': {
        const SQFormatArg* a = take();
        add(a ? a->asObject() : Value());
        break;
      }
      case 'd':
      case 'D':
      case 'i': {
        const SQFormatArg* a = take();
        add(Value(a ? int(a->asLongLong()) : 0));
        break;
      }
      case 'u':
      case 'U': {
        const SQFormatArg* a = take();
        add(Value(a ? unsigned(a->asUnsignedLongLong()) : 0u));
        break;
      }
      case 'c': {
        const SQFormatArg* a = take();
        add(Value(std::string(1, char(a ? a->asLongLong() : 0))));
        break;
      }
      case 'f': {
        const SQFormatArg* a = take();
        add(Value(a ? a->asDouble() : 0.0));
        break;
      }
      case 'g': {
        const SQFormatArg* a = take();
        add(Value(double(float(a ? a->asDouble() : 0.0))));
        break;
      }
      case 's': {
        const SQFormatArg* a = take();
        Value v = a ? a->asObject() : Value();
        add(v.isNil() || v.isString() ? v : Value(v.description()));
        break;
      }
      case 'h':
        if (at(i + 1) == 'i') {
          const SQFormatArg* a = take();
          add(Value(int(short(a ? a->asLongLong() : 0))));
          ++i;
        } else if (at(i + 1) == 'u') {
          const SQFormatArg* a = take();
          add(Value(unsigned((unsigned short)(a ? a->asUnsignedLongLong() : 0))));
          ++i;
        } else {
          cleanedSQL += conv;
        }
        break;
      case 'q':
        if (at(i + 1) == 'i') {
          const SQFormatArg* a = take();
          add(Value(a ? a->asLongLong() : 0LL));
          ++i;
        } else if (at(i + 1) == 'u') {
          const SQFormatArg* a = take();
          add(Value(a ? a->asUnsignedLongLong() : 0ULL));
          ++i;
        } else {
          cleanedSQL += conv;
        }
        break;
      case 'l':
        if (at(i + 1) == 'd') {
          const SQFormatArg* a = take();
          add(Value(long(a ? a->asLongLong() : 0)));
          ++i;
        } else if (at(i + 1) == 'u') {
          const SQFormatArg* a = take();
          add(Value((unsigned long)(a ? a->asUnsignedLongLong() : 0)));
          ++i;
        } else if (at(i + 1) == 'l' && at(i + 2) == 'd') {
          const SQFormatArg* a = take();
          add(Value(a ? a->asLongLong() : 0LL));
          i += 2;
        } else if (at(i + 1) == 'l' && at(i + 2) == 'u') {
          const SQFormatArg* a = take();
          add(Value(a ? a->asUnsignedLongLong() : 0ULL));
          i += 2;
        } else {
          cleanedSQL += conv;
        }
        break;
      default:
        cleanedSQL += conv;
    }
  }
}

std::shared_ptr<SQResultSet> SQDatabase::executeQueryWithArgumentsInArray(
    std::string_view sql, const ValueArray& arguments) {
  return executeQueryWithArgumentsInArrayOrDictionaryOrVAList(sql, arguments.get(), nullptr, {});
}

std::shared_ptr<SQResultSet> SQDatabase::executeQueryWithParameterDictionary(
    std::string_view sql, const ValueDictionary& arguments) {
  auto empty = makeDictionary();
  return executeQueryWithArgumentsInArrayOrDictionaryOrVAList(
      sql, nullptr, arguments ? arguments.get() : empty.get(), {});
}

std::shared_ptr<SQResultSet> SQDatabase::executeQueryWithArgumentsInArrayOrDictionaryOrVAList(
    std::string_view sql, const NSArray* arrayArgs, const NSDictionary* dictionaryArgs,
    std::span<const Value> listArgs) {
  if (!db_ || isExecutingStatement_) return nullptr;
  ExecutingGuard guard(isExecutingStatement_);

  sqlite3_stmt* handle = nullptr;
  bool timedOut = false;
  std::shared_ptr<SQStatement> statement = statementForQuery(sql, &handle, &timedOut);
  if (!handle) return nullptr;

  if (!bindArguments(handle, arrayArgs, dictionaryArgs, listArgs)) {
    if (statement) {
      statement->reset();
    } else {
      sqlite3_finalize(handle);
    }
    return nullptr;
  }

  if (!statement) {
    statement = wrapStatement(handle, sql);
    if (shouldCacheStatements_) setCachedStatement(statement, std::string(sql));
  }

  auto rs = SQResultSet::resultSetWithStatement(statement, this);
  rs->setQuery(std::string(sql));
  openResultSets_.insert(rs.get());
  statement->setUseCount(statement->useCount() + 1);
  return rs;
}

bool SQDatabase::executeUpdateWithArgumentsInArray(std::string_view sql,
                                                   const ValueArray& arguments) {
  return executeUpdateErrorWithArgumentsInArrayOrDictionaryOrVAList(sql, nullptr, arguments.get(),
                                                                    nullptr, {});
}

bool SQDatabase::executeUpdateWithParameterDictionary(std::string_view sql,
                                                      const ValueDictionary& arguments) {
  auto empty = makeDictionary();
  return executeUpdateErrorWithArgumentsInArrayOrDictionaryOrVAList(
      sql, nullptr, nullptr, arguments ? arguments.get() : empty.get(), {});
}

bool SQDatabase::executeUpdateErrorWithArgumentsInArrayOrDictionaryOrVAList(
    std::string_view sql, NSErrorPtr* outErr, const NSArray* arrayArgs,
    const NSDictionary* dictionaryArgs, std::span<const Value> listArgs) {
  if (!db_ || isExecutingStatement_) return false;
  ExecutingGuard guard(isExecutingStatement_);

  sqlite3_stmt* handle = nullptr;
  bool timedOut = false;
  std::shared_ptr<SQStatement> statement = statementForQuery(sql, &handle, &timedOut);
  if (!handle) {
    if (!timedOut && outErr) *outErr = errorWithMessage(lastErrorMessage());
    return false;
  }

  if (!bindArguments(handle, arrayArgs, dictionaryArgs, listArgs)) {
    if (statement) {
      statement->reset();
    } else {
      sqlite3_finalize(handle);
    }
    return false;
  }

  int rc;
  int numberOfRetries = 0;
  for (;;) {
    rc = sqlite3_step(handle);
    if (!sqdb::isBusy(rc)) break;
    if (!sqdb::retryAfterBusy(busyRetryTimeout_, numberOfRetries)) break;
    if (rc == SQLITE_LOCKED) sqlite3_reset(handle);
  }

  if (shouldCacheStatements_ && !statement) {
    statement = wrapStatement(handle, sql);
    setCachedStatement(statement, std::string(sql));
  }
  if (statement) {
    statement->setUseCount(statement->useCount() + 1);
    sqlite3_reset(handle);
  } else {
    sqlite3_finalize(handle);
  }
  return rc == SQLITE_DONE || rc == SQLITE_OK;
}

bool SQDatabase::beginTransaction() {
  bool b = executeUpdate("begin exclusive transaction");
  if (b) inTransaction_ = true;
  return b;
}

bool SQDatabase::beginDeferredTransaction() {
  bool b = executeUpdate("begin deferred transaction");
  if (b) inTransaction_ = true;
  return b;
}

bool SQDatabase::commit() {
  bool b = executeUpdate("commit transaction");
  if (b) inTransaction_ = false;
  return b;
}

bool SQDatabase::rollback() {
  bool b = executeUpdate("rollback transaction");
  if (b) inTransaction_ = false;
  return b;
}

bool SQDatabase::startSavePointWithName(std::string_view name, NSErrorPtr* outErr) {
  bool b = executeUpdate("savepoint " + quoted(name) + ";");
  if (!b && outErr) *outErr = lastError();
  return b;
}

bool SQDatabase::releaseSavePointWithName(std::string_view name, NSErrorPtr* outErr) {
  bool b = executeUpdate("release savepoint " + quoted(name) + ";");
  if (!b && outErr) *outErr = lastError();
  return b;
}

bool SQDatabase::rollbackToSavePointWithName(std::string_view name, NSErrorPtr* outErr) {
  bool b = executeUpdate("rollback transaction to savepoint " + quoted(name) + ";");
  if (!b && outErr) *outErr = lastError();
  return b;
}

NSErrorPtr SQDatabase::inSavePoint(const std::function<void(bool* rollback)>& block) {
  static std::atomic<long> savePointIdx{0};
  return inSavePointNamed("dbSavePoint" + std::to_string(savePointIdx++), block);
}

NSErrorPtr SQDatabase::inSavePointNamed(std::string_view name,
                                        const std::function<void(bool* rollback)>& block) {
  NSErrorPtr err;
  if (!startSavePointWithName(name, &err)) return err;
  bool shouldRollback = false;
  if (block) block(&shouldRollback);
  if (shouldRollback) {
    rollbackToSavePointWithName(name, &err);
    // A rolled-back savepoint stays open, and with it the transaction it began: release it
    // so that later statements are not left uncommitted.
    if (!err) releaseSavePointWithName(name, &err);
  } else {
    releaseSavePointWithName(name, &err);
  }
  return err;
}

namespace {

void functionTrampoline(sqlite3_context* context, int argc, sqlite3_value** argv) {
  auto* block = static_cast<SQDatabase::FunctionBlock*>(sqlite3_user_data(context));
  // Exceptions must not unwind through SQLite's C frames.
  try {
    (*block)(context, argc, argv);
  } catch (const std::exception& e) {
    sqlite3_result_error(context, e.what(), -1);
  } catch (...) {
    sqlite3_result_error(context, "function failed", -1);
  }
}

}  // namespace

void SQDatabase::makeFunctionNamed(std::string_view name, int maximumArguments,
                                   FunctionBlock block) {
  if (!db_) return;
  auto copy = std::make_unique<FunctionBlock>(std::move(block));
  sqlite3_create_function(db_, std::string(name).c_str(), maximumArguments, SQLITE_UTF8, copy.get(),
                          &functionTrampoline, nullptr, nullptr);
  openFunctions_.push_back(std::move(copy));
}
