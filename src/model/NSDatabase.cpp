#include "model/NSDatabase.h"

#include <cerrno>
#include <cstdio>
#include <initializer_list>
#include <mutex>
#include <set>

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

namespace {

// Files of this run's connections that were found readable: each file is read through once.
bool checkedAlready(const std::string& path) {
  static std::mutex mutex;
  static std::set<std::string> checked;
  std::lock_guard<std::mutex> lock(mutex);
  return !checked.insert(path).second;
}

// The database and its journals are moved aside whole: a journal must never be played into a
// fresh file.
void setAside(const std::string& path) {
  for (std::string suffix : {"", "-journal", "-wal", "-shm"}) {
    std::string from = path + suffix;
    std::string to = path + ".corrupt" + suffix;
    if (::rename(from.c_str(), to.c_str()) != 0 && errno != ENOENT) ::unlink(from.c_str());
  }
}

// Made or kept private: the login data holds the client's keys.
bool makeFile(const std::string& path) {
  NSFileManager& fm = NSFileManager::defaultManager();
  if (!fm.fileExistsAtPath(path)) {
    // The configuration store normally made the folder already; a fresh home may lack it.
    fm.createDirectoryAtPath(stringByDeletingLastPathComponent(path), true);
    if (!fm.createFileAtPath(path)) return false;
  }
  fm.setAttributes(Value::dictionaryOf({{std::string(NSFilePosixPermissions), Value(0600)}}), path);
  return true;
}

}  // namespace

bool NSDatabase::initDatabase(std::string_view name) {
  std::string path = databasePath(name);
  // Even when the file cannot be had, the tables get a (closed) connection whose operations
  // fail quietly.
  db_ = SQDatabase::databaseWithPath(path);
  if (!makeFile(path)) return false;
  bool opened = db_->open();
  // A file that is no database, or one damaged (cut short, overwritten), would fail every
  // read and write for good: it is kept aside under a ".corrupt" name and a new one made.
  if (!checkedAlready(path) &&
      (!opened || db_->stringForQuery("PRAGMA quick_check").value_or("") != "ok")) {
    std::fprintf(stderr, "database %s cannot be read; kept as %s.corrupt, starting anew\n",
                 path.c_str(), path.c_str());
    db_->close();
    setAside(path);
    db_ = SQDatabase::databaseWithPath(path);
    if (!makeFile(path)) return false;
    opened = db_->open();
  }
  if (!opened) return false;
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
