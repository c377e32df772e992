// How the usage-log sections are kept in their file: the file's JSON format belongs to the
// content model, which implements this and installs it at start-up (setCurrent).  Until one is
// installed the log file reads as empty and nothing is stored.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"

class NSSectionItem;

class UsageLogFile {
 public:
  virtual ~UsageLogFile() = default;

  // Every section of the file, oldest first; nullopt when the file is missing, does not
  // decipher to a JSON array, or cannot be read.
  virtual std::optional<std::vector<std::shared_ptr<NSSectionItem>>> parseSectionArray(
      const std::string& path) = 0;
  // Appends the section; a missing or empty file starts a new array.
  virtual void addLogInfo(const std::string& path, const NSSectionItem& section) = 0;
  // Replaces the last section when its id is `sectionId`, else appends; a missing or empty
  // file is left as it is.
  virtual void modifyLogInfo(const std::string& path, const NSSectionItem& section,
                             const std::string& sectionId) = 0;
  // Sets the key to the value in every section; false (nothing written) when the file holds
  // no section.
  virtual bool updataSectionArray(const std::string& path, std::string_view key,
                                  const Value& value) = 0;

  static std::shared_ptr<UsageLogFile> current();
  static void setCurrent(std::shared_ptr<UsageLogFile> file);
};
