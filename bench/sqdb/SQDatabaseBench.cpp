// 100,000 rows written in one transaction with a cached statement and read back, through the
// wrapper and through the plain SQLite C interface, on a real database file.  The wrapper is
// meant to stay within 1.2 times the plain interface.
// Peer: the plain C interface runs the same statements, prepared once, on a file of its own in
// the same folder with the same settings, so the gap is the wrapper's own work per row.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "Common/sqdb/SQDatabase.h"

namespace {

constexpr int kRows = 100000;

// The run's own folder, removed when the program ends.
struct BenchFolder {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zept-sqdb-bench-" + std::to_string(getpid()));
  BenchFolder() { std::filesystem::create_directories(dir); }
  ~BenchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

std::string benchPath(const char* name) {
  static BenchFolder folder;
  return (folder.dir / name).string();
}

void removeDatabase(const std::string& path) {
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-journal");
}

std::string nameOf(int i) {
  return "row name " + std::to_string(i);
}

void BM_InsertWrapper(benchmark::State& state) {
  std::string path = benchPath("insert-wrapper.db");
  for (auto _ : state) {
    state.PauseTiming();
    removeDatabase(path);
    SQDatabase db(path);
    db.open();
    db.setShouldCacheStatements(true);
    db.executeUpdate("create table t (id INTEGER, name TEXT, score REAL)");
    state.ResumeTiming();

    db.beginTransaction();
    for (int i = 0; i < kRows; ++i) {
      db.executeUpdate("insert into t values (?, ?, ?)", i, nameOf(i), i * 0.5);
    }
    db.commit();

    state.PauseTiming();
    db.close();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  removeDatabase(path);
}

void BM_InsertPlain(benchmark::State& state) {
  std::string path = benchPath("insert-plain.db");
  for (auto _ : state) {
    state.PauseTiming();
    removeDatabase(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "create table t (id INTEGER, name TEXT, score REAL)", nullptr, nullptr,
                 nullptr);
    state.ResumeTiming();

    sqlite3_exec(db, "begin exclusive transaction", nullptr, nullptr, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "insert into t values (?, ?, ?)", -1, &stmt, nullptr);
    for (int i = 0; i < kRows; ++i) {
      std::string name = nameOf(i);
      sqlite3_bind_int64(stmt, 1, i);
      sqlite3_bind_text(stmt, 2, name.data(), int(name.size()), SQLITE_TRANSIENT);
      sqlite3_bind_double(stmt, 3, i * 0.5);
      sqlite3_step(stmt);
      sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    sqlite3_exec(db, "commit transaction", nullptr, nullptr, nullptr);

    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  removeDatabase(path);
}

// A file of kRows rows shared by both readers.
const std::string& readPath() {
  static const std::string path = [] {
    std::string p = benchPath("read.db");
    removeDatabase(p);
    SQDatabase db(p);
    db.open();
    db.setShouldCacheStatements(true);
    db.executeUpdate("create table t (id INTEGER, name TEXT, score REAL)");
    db.beginTransaction();
    for (int i = 0; i < kRows; ++i) {
      db.executeUpdate("insert into t values (?, ?, ?)", i, nameOf(i), i * 0.5);
    }
    db.commit();
    return p;
  }();
  return path;
}

void BM_ReadWrapper(benchmark::State& state) {
  SQDatabase db(readPath());
  db.open();
  db.setShouldCacheStatements(true);
  for (auto _ : state) {
    int64_t sum = 0;
    auto rs = db.executeQuery("select id, name, score from t");
    while (rs->next()) {
      sum += rs->longLongIntForColumnIndex(0);
      std::optional<std::string> name = rs->stringForColumnIndex(1);
      sum += int64_t(name->size());
      sum += int64_t(rs->doubleForColumnIndex(2));
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_ReadPlain(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(readPath().c_str(), &db);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "select id, name, score from t", -1, &stmt, nullptr);
  for (auto _ : state) {
    int64_t sum = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      sum += sqlite3_column_int64(stmt, 0);
      std::string name(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)),
                       size_t(sqlite3_column_bytes(stmt, 1)));
      sum += int64_t(name.size());
      sum += int64_t(sqlite3_column_double(stmt, 2));
    }
    sqlite3_reset(stmt);
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_InsertWrapper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadWrapper)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlain)->Unit(benchmark::kMillisecond);

}  // namespace
