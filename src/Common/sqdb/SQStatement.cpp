#include "Common/sqdb/SQStatement.h"

SQStatement::~SQStatement() {
  close();
}

void SQStatement::close() {
  if (statement_) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
  }
}

void SQStatement::reset() {
  if (statement_) sqlite3_reset(statement_);
}

std::string SQStatement::description() const {
  return NSObject::description() + " " + std::to_string(useCount_) + " hit(s) for query " + query_;
}
