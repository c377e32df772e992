// Separate connections to one database file, handed out and taken back, so that several
// threads can work on the file at once.  The pool's books (which connections wait in the pool
// and which are out) are kept on a serial queue; a connection that was handed out belongs to
// the thread that took it until it is pushed back.
//
// Bookkeeping called again from inside the pool's own locked work (from the delegate's
// question, or from a block given to executeLocked) would wait for itself for good; it fails at
// once instead: executeLocked answers false without running its block, db answers nullptr,
// pushing back and releasing do nothing and the counts answer 0.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Common/sqdb/SQDatabase.h"
#include "Common/sqdb/SQDatabaseBlocks.h"
#include "Foundation/DispatchQueue.h"
#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"

inline constexpr std::string_view SQDatabaseAlreadyInPoolException = "Database already in pool";

class SQDatabasePool;

class SQDatabasePoolDelegate {
 public:
  virtual ~SQDatabasePoolDelegate() = default;
  // Asked, inside the pool's locked work, before a connection is handed out; false closes the
  // connection and the pool answers nullptr.
  virtual bool databasePoolShouldAddDatabaseToPool(SQDatabasePool& pool,
                                                   const std::shared_ptr<SQDatabase>& db) {
    return true;
  }
};

class SQDatabasePool : public NSObject {
  struct Passkey {};

 public:
  // A nil path gives in-memory databases (a separate one per connection).
  static std::shared_ptr<SQDatabasePool> databasePoolWithPath(std::optional<std::string> path);
  SQDatabasePool(Passkey, std::optional<std::string> path);

  std::optional<std::string> path() const;
  void setPath(std::optional<std::string> path);
  std::weak_ptr<SQDatabasePoolDelegate> delegate() const;
  void setDelegate(std::weak_ptr<SQDatabasePoolDelegate> delegate);
  // 0: no limit.
  unsigned maximumNumberOfDatabasesToCreate() const { return maximum_; }
  void setMaximumNumberOfDatabasesToCreate(unsigned maximum) { maximum_ = maximum; }

  // Runs the block on the pool's lock queue and waits.
  bool executeLocked(const std::function<void()>& block);

  // An open connection: the last one waiting in the pool, else a new one unless the maximum
  // is reached; nullptr when none can be had.  The caller pushes it back when done.
  std::shared_ptr<SQDatabase> db();
  // nullptr is ignored; a connection already waiting in the pool raises NSException named
  // SQDatabaseAlreadyInPoolException.
  void pushDatabaseBackInPool(const std::shared_ptr<SQDatabase>& db);
  size_t countOfCheckedInDatabases();
  size_t countOfCheckedOutDatabases();
  size_t countOfOpenDatabases();
  // Forgets every connection; each closes when its last holder lets it go.
  void releaseAllDatabases();

  // The block with a connection taken from the pool (nullptr when none can be had), which then
  // goes back.
  void inDatabase(const SQDatabaseBlock& block);
  void inTransaction(const SQDatabaseRollbackBlock& block);
  void inDeferredTransaction(const SQDatabaseRollbackBlock& block);
  void beginTransaction(bool useDeferred, const SQDatabaseRollbackBlock& block);
  // The block inside a savepoint named "savePoint<n>", n counting the savepoints of all pools
  // of the process; the error of the savepoint steps, nullptr when all went well.
  NSErrorPtr inSavePoint(const SQDatabaseRollbackBlock& block);

  std::string description() const override;

 private:
  // Runs the block with a connection from the pool and pushes it back afterwards.
  void withDatabase(const SQDatabaseBlock& block);

  mutable std::mutex propertyMutex_;  // guards path_ and delegate_
  std::optional<std::string> path_;
  std::shared_ptr<DispatchQueue> lockQueue_;
  // Guarded by the lock queue.
  std::vector<std::shared_ptr<SQDatabase>> databaseInPool_;
  std::vector<std::shared_ptr<SQDatabase>> databaseOutPool_;
  std::weak_ptr<SQDatabasePoolDelegate> delegate_;
  std::atomic<unsigned> maximum_{0};
};
