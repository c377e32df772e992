// The process-wide table of named character entities the markup stripper resolves: the five
// XML ones, "nbsp" as a plain space, and the HTML 4 Latin-1 names from "iexcl" to "yuml"
// without "shy" (100 names in all), each mapped to the UTF-8 bytes of its character.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

class ULEntityTables {
 public:
  // The table, made on first use under a lock.
  static std::shared_ptr<ULEntityTables> sharedInstance();
  // Forgets the table (under the same lock); the next sharedInstance makes a new one.
  static void releaseSharedInstance();

  // Entity name -> the bytes it stands for; built on first read.
  const std::map<std::string, std::string>& iso88591() const;

  ULEntityTables(const ULEntityTables&) = delete;
  ULEntityTables& operator=(const ULEntityTables&) = delete;
  struct Private {};
  explicit ULEntityTables(Private) {}

 private:
  mutable std::once_flag built_;
  mutable std::map<std::string, std::string> iso88591_;
};
