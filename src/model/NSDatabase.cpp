#include "model/NSDatabase.h"

#include <initializer_list>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"

namespace {

// Fills each "%@" with the next argument; "%%" gives "%".
std::string fill(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string out;
  auto next = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == '@') {
        if (next != args.end()) out += *next++;
        ++i;
        continue;
      }
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

}  // namespace

NSDatabase::~NSDatabase() {
  closeDatabase();
}

std::string NSDatabase::databasePath(std::string_view name) {
  std::string file(name);
  if (file.empty()) {
    file = NSBundle::mainBundle()->localizedStringForKey("KastelDBName", "", "");
  }
  return NSLibraryDirectory() + "/Config/" + file;
}

bool NSDatabase::initDatabase() {
  return initDatabase("");
}

bool NSDatabase::initDatabase(std::string_view name) {
  std::string path = databasePath(name);
  // Even when the file cannot be had, the tables get a (closed) connection whose operations
  // fail quietly.
  db_ = SQDatabase::databaseWithPath(path);
  NSFileManager& fm = NSFileManager::defaultManager();
  if (!fm.fileExistsAtPath(path)) {
    // The configuration store normally made the folder already; a fresh home may lack it.
    fm.createDirectoryAtPath(stringByDeletingLastPathComponent(path), true);
    if (!fm.createFileAtPath(path)) return false;
  }
  if (!db_->open()) return false;
  db_->setShouldCacheStatements(true);
  return true;
}

void NSDatabase::closeDatabase() {
  if (db_) db_->close();
}

std::string NSDatabase::SQL(std::string_view format, std::string_view table) {
  return fill(format, {table});
}

std::string NSDatabase::SQLInTableInItemId(std::string_view format, std::string_view table,
                                           std::string_view itemId) {
  return fill(format, {table, itemId});
}

std::string NSDatabase::SQLInParamInTable(std::string_view format, std::string_view param,
                                          std::string_view table) {
  return fill(format, {table, param});
}
