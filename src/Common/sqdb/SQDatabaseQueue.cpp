#include "Common/sqdb/SQDatabaseQueue.h"

#include <atomic>
#include <cstdio>
#include <utility>

namespace {

std::atomic<long> savePointIndex{0};

}  // namespace

std::shared_ptr<SQDatabaseQueue> SQDatabaseQueue::databaseQueueWithPath(
    std::optional<std::string> path) {
  auto db = SQDatabase::databaseWithPath(path);
  if (!db->open()) return nullptr;
  return std::make_shared<SQDatabaseQueue>(Passkey{}, std::move(path), std::move(db));
}

SQDatabaseQueue::SQDatabaseQueue(Passkey, std::optional<std::string> path,
                                 std::shared_ptr<SQDatabase> db)
    : path_(std::move(path)), db_(std::move(db)) {
  queue_ = DispatchQueue::createSerial("sqdb." + description());
}

std::optional<std::string> SQDatabaseQueue::path() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

void SQDatabaseQueue::setPath(std::optional<std::string> path) {
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = std::move(path);
}

std::shared_ptr<SQDatabase> SQDatabaseQueue::database() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!db_) {
    auto db = SQDatabase::databaseWithPath(path_);
    if (db->open()) db_ = std::move(db);
  }
  return db_;
}

bool SQDatabaseQueue::runOnQueue(const std::function<void()>& work) {
  if (queue_->isCurrent()) return false;
  auto keepAlive = weak_from_this().lock();
  queue_->sync(work);
  return true;
}

bool SQDatabaseQueue::inDatabase(const SQDatabaseBlock& block) {
  return runOnQueue([&] { block(database()); });
}

bool SQDatabaseQueue::inTransaction(const SQDatabaseRollbackBlock& block) {
  return beginTransaction(false, block);
}

bool SQDatabaseQueue::inDeferredTransaction(const SQDatabaseRollbackBlock& block) {
  return beginTransaction(true, block);
}

bool SQDatabaseQueue::beginTransaction(bool useDeferred, const SQDatabaseRollbackBlock& block) {
  return runOnQueue([&] { sqdb_blocks::runTransaction(database(), useDeferred, block); });
}

NSErrorPtr SQDatabaseQueue::inSavePoint(const SQDatabaseRollbackBlock& block) {
  NSErrorPtr error;
  bool ran = runOnQueue([&] {
    std::string name = "savePoint" + std::to_string(savePointIndex++);
    error = sqdb_blocks::runSavePoint(database(), name, block);
  });
  if (!ran) return sqdb_blocks::reentrantCallError("SQDatabaseQueue inSavePoint");
  return error;
}

bool SQDatabaseQueue::close() {
  return runOnQueue([&] {
    std::shared_ptr<SQDatabase> db;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      db = std::move(db_);
    }
    if (db) db->close();
  });
}

std::string SQDatabaseQueue::description() const {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(this));
  return std::string("<SQDatabaseQueue: ") + address + ">";
}
