#include "Common/sqdb/SQDatabaseBlocks.h"

#include <sqlite3.h>

#include <string>

namespace sqdb_blocks {

void runTransaction(const std::shared_ptr<SQDatabase>& db, bool useDeferred,
                    const SQDatabaseRollbackBlock& block) {
  if (db) {
    if (useDeferred) {
      db->beginDeferredTransaction();
    } else {
      db->beginTransaction();
    }
  }
  bool shouldRollback = false;
  block(db, &shouldRollback);
  if (!db) return;
  if (shouldRollback) {
    db->rollback();
  } else {
    db->commit();
  }
}

NSErrorPtr runSavePoint(const std::shared_ptr<SQDatabase>& db, std::string_view name,
                        const SQDatabaseRollbackBlock& block) {
  if (!db) {
    return NSError::withDescription(SQDatabaseErrorDomain, SQLITE_CANTOPEN,
                                    "The database could not be opened");
  }
  return db->inSavePointNamed(name, [&](bool* rollback) { block(db, rollback); });
}

NSErrorPtr reentrantCallError(std::string_view what) {
  return NSError::withDescription(
      SQDatabaseErrorDomain, SQLITE_MISUSE,
      std::string(what) + " was called from inside its own work and would wait for itself");
}

}  // namespace sqdb_blocks
