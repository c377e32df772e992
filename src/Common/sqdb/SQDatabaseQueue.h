// One connection to a database file behind a serial queue, so that several threads can use the
// file safely: every call runs its block on the queue, alone, and waits for it.
//
// A call made from inside a block of the same queue would wait for itself for good; it fails
// at once instead: its block does not run, inDatabase and the transactions answer false,
// inSavePoint answers an error and close answers false.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Common/sqdb/SQDatabase.h"
#include "Common/sqdb/SQDatabaseBlocks.h"
#include "Foundation/DispatchQueue.h"
#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"

class SQDatabaseQueue : public NSObject {
  struct Passkey {};

 public:
  // A queue with its connection open; nullptr when the database cannot be opened.  A nil path
  // is an in-memory database.
  static std::shared_ptr<SQDatabaseQueue> databaseQueueWithPath(std::optional<std::string> path);
  SQDatabaseQueue(Passkey, std::optional<std::string> path, std::shared_ptr<SQDatabase> db);

  std::optional<std::string> path() const;
  void setPath(std::optional<std::string> path);

  // The connection; after close, a new one opened for the path (nullptr, and none kept, when
  // that open fails).
  std::shared_ptr<SQDatabase> database();

  bool inDatabase(const SQDatabaseBlock& block);
  // The block inside an exclusive (resp. deferred) transaction: committed unless it sets
  // *rollback.
  bool inTransaction(const SQDatabaseRollbackBlock& block);
  bool inDeferredTransaction(const SQDatabaseRollbackBlock& block);
  bool beginTransaction(bool useDeferred, const SQDatabaseRollbackBlock& block);
  // The block inside a savepoint named "savePoint<n>", n counting the savepoints of all queues
  // of the process; the error of the savepoint steps, nullptr when all went well.
  NSErrorPtr inSavePoint(const SQDatabaseRollbackBlock& block);
  // Closes and forgets the connection; the next use opens a new one.
  bool close();

  std::string description() const override;

 private:
  // Runs the work on the queue and waits, keeping this object alive meanwhile; false, without
  // running it, when the calling thread is inside this queue's work already.
  bool runOnQueue(const std::function<void()>& work);

  mutable std::mutex mutex_;  // guards path_ and db_, never held while a block runs
  std::optional<std::string> path_;
  std::shared_ptr<DispatchQueue> queue_;
  std::shared_ptr<SQDatabase> db_;
};
