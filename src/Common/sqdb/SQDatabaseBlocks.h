// The transaction and savepoint steps that the database queue and the pool run around a
// caller's block.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "Common/sqdb/SQDatabase.h"
#include "Foundation/NSError.h"

// Work on one connection; the connection is nullptr when none could be opened.
using SQDatabaseBlock = std::function<void(const std::shared_ptr<SQDatabase>& db)>;
// The same inside a transaction or savepoint: setting *rollback undoes the block's work.
using SQDatabaseRollbackBlock =
    std::function<void(const std::shared_ptr<SQDatabase>& db, bool* rollback)>;

namespace sqdb_blocks {

// Begins an exclusive (or deferred) transaction, runs the block, then rolls back when the block
// asked for it and commits otherwise.  The results of these steps are not reported.
void runTransaction(const std::shared_ptr<SQDatabase>& db, bool useDeferred,
                    const SQDatabaseRollbackBlock& block);
// Runs the block inside the named savepoint; the error of the savepoint steps, nullptr when all
// went well.  Without a connection the block does not run and an error is returned.
NSErrorPtr runSavePoint(const std::shared_ptr<SQDatabase>& db, std::string_view name,
                        const SQDatabaseRollbackBlock& block);
// The error of a call refused because it came from inside its own queue's work.
NSErrorPtr reentrantCallError(std::string_view what);

}  // namespace sqdb_blocks
