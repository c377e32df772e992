// User defaults: a persistent dictionary of property-list values kept in
// <Library>/Preferences/<bundle identifier>.plist.  Changes are held in memory and written by
// synchronize(), and when the defaults object goes away (at process exit) as long as its folder
// still exists.  Registered defaults answer for keys that were never set and are never
// written.  The file holds the app's keys and tokens: only its owner may read it (0600).
// Thread-safe.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

class NSUserDefaults {
 public:
  // Defaults kept in the given file, read at once (a missing file is an empty start).
  explicit NSUserDefaults(std::string path);
  ~NSUserDefaults();
  NSUserDefaults(const NSUserDefaults&) = delete;
  NSUserDefaults& operator=(const NSUserDefaults&) = delete;

  static std::shared_ptr<NSUserDefaults> standardUserDefaults();
  // Synchronises and drops the shared object; the next standardUserDefaults() reads the file
  // again (as a new launch would).
  static void resetStandardUserDefaults();
  // The file of the standard defaults under the current app home.
  static std::string standardPath();

  Value objectForKey(std::string_view key) const;
  // Strings as they are, numbers as their decimal text; nullopt otherwise.
  std::optional<std::string> stringForKey(std::string_view key) const;
  // Numbers and numeric text; 0 otherwise.
  long integerForKey(std::string_view key) const;
  double doubleForKey(std::string_view key) const;
  // Numbers and text read as the platform reads them ("YES", "true", "1"); NO otherwise.
  bool boolForKey(std::string_view key) const;
  ValueDictionary dictionaryForKey(std::string_view key) const;
  ValueArray arrayForKey(std::string_view key) const;

  // Stores an immutable deep copy.  nil removes the key.  A value that is not a property list
  // (NSNull, objects, or data the file format cannot hold) is refused: false, nothing changes.
  bool setObject(const Value& value, std::string_view key);
  void setInteger(long value, std::string_view key);
  void setBool(bool value, std::string_view key);
  void setDouble(double value, std::string_view key);
  void removeObjectForKey(std::string_view key);
  // Fallback values for keys that are not set; kept in memory only.
  void registerDefaults(const ValueDictionary& defaults);

  // Writes pending changes to the file (atomically); true when the file is up to date.
  bool synchronize();
  // The stored and registered values together, stored ones winning.
  ValueDictionary dictionaryRepresentation() const;
  const std::string& path() const { return path_; }

 private:
  bool writeLocked();

  std::string path_;
  mutable std::mutex mutex_;
  std::shared_ptr<NSMutableDictionary> values_;
  std::shared_ptr<NSMutableDictionary> registered_;
  bool dirty_ = false;
  bool ownerOnly_ = false;  // the file's permissions were made the owner's alone
};
