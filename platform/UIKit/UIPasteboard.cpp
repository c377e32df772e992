#include "UIKit/UIPasteboard.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"

namespace fs = std::filesystem;

struct PasteboardRegistry {
  std::mutex lock;
  std::map<std::string, std::shared_ptr<UIPasteboard>, std::less<>> boards;
};

namespace {

PasteboardRegistry& registry() {
  static PasteboardRegistry r;
  return r;
}

// Pasteboard names become file names with anything but letters, digits, "." and "-" escaped.
std::string fileFor(std::string_view name) {
  static const char* hex = "0123456789ABCDEF";
  std::string file;
  for (unsigned char c : name) {
    if (std::isalnum(c) || c == '.' || c == '-') {
      file += char(c);
    } else {
      file += '_';
      file += hex[c >> 4];
      file += hex[c & 15];
    }
  }
  if (file.empty() || file[0] == '.') file.insert(0, "_");
  return UIPasteboard::pasteboardDirectory() + "/" + file + ".pasteboard";
}

}  // namespace

std::string UIPasteboard::pasteboardDirectory() {
  if (const char* d = std::getenv("ZEPT_PASTEBOARDS"); d && *d) return d;
  return NSHomeDirectory() + "/SystemPasteboards";
}

std::shared_ptr<UIPasteboard> UIPasteboard::pasteboardWithName(std::string_view name, bool create) {
  PasteboardRegistry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  auto it = r.boards.find(name);
  if (it != r.boards.end()) return it->second;
  // A persistent pasteboard written by an earlier process (or another app).
  Value stored = propertyListWithContentsOfFile(fileFor(name));
  if (stored.isDictionary()) {
    auto board = std::make_shared<UIPasteboard>(std::string(name));
    board->persistent_ = true;
    stored.dictionary()->enumerate([&](const std::string& type, const Value& data) {
      if (data.isData()) board->items_[type] = data.bytes();
    });
    r.boards.emplace(std::string(name), board);
    return board;
  }
  if (!create) return nullptr;
  auto board = std::make_shared<UIPasteboard>(std::string(name));
  r.boards.emplace(std::string(name), board);
  return board;
}

void UIPasteboard::removePasteboardWithName(std::string_view name) {
  PasteboardRegistry& r = registry();
  std::lock_guard<std::mutex> guard(r.lock);
  if (auto it = r.boards.find(name); it != r.boards.end()) r.boards.erase(it);
  std::error_code ec;
  fs::remove(fileFor(name), ec);
}

bool UIPasteboard::isPersistent() const {
  std::lock_guard<std::mutex> guard(lock_);
  return persistent_;
}

void UIPasteboard::setPersistent(bool persistent) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    persistent_ = persistent;
  }
  if (persistent) {
    save();
  } else {
    std::error_code ec;
    fs::remove(fileFor(name_), ec);
  }
}

std::optional<std::string> UIPasteboard::dataForPasteboardType(std::string_view type) const {
  std::lock_guard<std::mutex> guard(lock_);
  auto it = items_.find(type);
  if (it == items_.end()) return std::nullopt;
  return it->second;
}

void UIPasteboard::setData(std::string_view data, std::string_view pasteboardType) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    items_.clear();
    items_[std::string(pasteboardType)] = std::string(data);
  }
  save();
}

void UIPasteboard::save() const {
  Value dict = Value::dictionaryOf();
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!persistent_) return;
    for (const auto& [type, data] : items_) dict.dictionary()->setObject(Value::data(data), type);
  }
  std::error_code ec;
  fs::create_directories(pasteboardDirectory(), ec);
  writePropertyListToFile(dict, fileFor(name_), true, NSPropertyListFormat::Binary);
}
