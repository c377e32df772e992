// Helpers of the channel catalogue tests: write a catalogue into the test's own Documents
// folder and read back what the store wrote.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "model/ChannelItem.h"

namespace channel_test {

inline std::string documentsCatalogue() {
  return stringByAppendingPathComponent(NSDocumentDirectory(), kChannelItemsFileName);
}

inline std::string temporaryCatalogue() {
  return stringByAppendingPathComponent(NSTemporaryDirectory(), kChannelItemsFileName);
}

inline std::string bundleCatalogue() {
  return NSBundle::mainBundle()->pathForResource(kChannelItemsFileName);
}

inline bool exists(const std::string& path) {
  return NSFileManager::defaultManager().fileExistsAtPath(path);
}

inline std::string contents(const std::string& path) {
  return dataWithContentsOfFile(path).value_or("");
}

inline void writeText(const std::string& path, std::string_view text) {
  ASSERT_TRUE(writeToFile(path, text, true)) << path;
}

// A channel of the given number and template, enabled and shown.
inline ChannelItemPtr channel(int type, int templateId = 0) {
  auto item = std::make_shared<ChannelItem>();
  item->type = type;
  item->templateId = templateId;
  item->isEnabled = true;
  item->name = "channel " + std::to_string(type);
  return item;
}

inline ChannelItemPtr hidden(ChannelItemPtr item) {
  item->isShowByUser = false;
  return item;
}

// Stores the pages as the catalogue in Documents (or in the file given).
inline void storeCatalogue(const ChannelItemPages& pages, const std::string& path = {}) {
  auto out = std::make_shared<NSMutableArray>();
  for (const auto& page : pages) {
    auto dics = std::make_shared<NSMutableArray>();
    for (const auto& item : page) dics->addObject(ChannelItem::getDicByChannelItem(item));
    out->addObject(dics);
  }
  ASSERT_TRUE(ChannelItem::writePages(out, path.empty() ? documentsCatalogue() : path));
}

// The catalogue file in Documents, parsed.
inline Value storedJSON() {
  return objectFromJSONString(contents(documentsCatalogue()));
}

// The channel numbers of each stored page.
inline std::vector<std::vector<int>> storedNumbers() {
  std::vector<std::vector<int>> numbers;
  Value pages = storedJSON();
  if (!pages.isArray()) return numbers;
  for (const Value& page : *pages.array()) {
    std::vector<int> row;
    if (page.isArray()) {
      for (const Value& entry : *page.array()) row.push_back(entry["type"].intValue());
    }
    numbers.push_back(row);
  }
  return numbers;
}

// The dictionary of a channel number in a catalogue file; nil when none.
inline Value entryIn(const std::string& path, int number) {
  Value pages = objectFromJSONString(contents(path));
  if (!pages.isArray()) return {};
  for (const Value& page : *pages.array()) {
    if (!page.isArray()) continue;
    for (const Value& entry : *page.array()) {
      if (entry["type"].intValue() == number) return entry;
    }
  }
  return {};
}

inline std::vector<int> numbersOf(const ChannelItemArray& items) {
  std::vector<int> numbers;
  for (const auto& item : items) numbers.push_back(item->type);
  return numbers;
}

inline std::vector<std::vector<int>> numbersOf(const ChannelItemPages& pages) {
  std::vector<std::vector<int>> numbers;
  for (const auto& page : pages) numbers.push_back(numbersOf(page));
  return numbers;
}

}  // namespace channel_test
