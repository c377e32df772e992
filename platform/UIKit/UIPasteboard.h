// Named pasteboards shared by the apps of the device.  A persistent pasteboard outlives the
// process: it is a file in the device's pasteboard folder (ZEPT_PASTEBOARDS, else
// <home>/SystemPasteboards); others live in memory.  Each holds one item of typed data.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

class UIPasteboard {
 public:
  // The pasteboard of that name; with create NO, nullptr when none exists.
  static std::shared_ptr<UIPasteboard> pasteboardWithName(std::string_view name, bool create);
  static void removePasteboardWithName(std::string_view name);
  static std::string pasteboardDirectory();

  const std::string& name() const { return name_; }
  bool isPersistent() const;
  // Making a pasteboard persistent writes it to the device folder; clearing the flag removes
  // the file.
  void setPersistent(bool persistent);

  std::optional<std::string> dataForPasteboardType(std::string_view type) const;
  // Replaces the item with one of this type.
  void setData(std::string_view data, std::string_view pasteboardType);

  explicit UIPasteboard(std::string name) : name_(std::move(name)) {}

 private:
  void save() const;
  std::string name_;
  mutable std::mutex lock_;
  bool persistent_ = false;
  std::map<std::string, std::string, std::less<>> items_;
  friend struct PasteboardRegistry;
};
