// The catalogue's file helpers, shared by the store (ChannelItem.cpp) and its server-list
// merges (ChannelItem+Update.cpp).  Internal to the model.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/Value.h"
#include "model/ChannelItem.h"

namespace channel_files {

// Pages cut by the store hold this many channels.
inline constexpr size_t kPageSize = 8;

inline std::string documentsPath(std::string_view fileName) {
  return stringByAppendingPathComponent(NSDocumentDirectory(), fileName);
}

inline std::string documentsCataloguePath() {
  return documentsPath(kChannelItemsFileName);
}

inline std::string temporaryCataloguePath() {
  return stringByAppendingPathComponent(NSTemporaryDirectory(), kChannelItemsFileName);
}

// The bundle's default catalogue; empty when the bundle lacks it.
inline std::string bundleCataloguePath() {
  return NSBundle::mainBundle()->pathForResource(kChannelItemsFileName);
}

inline bool fileExists(const std::string& path) {
  return !path.empty() && NSFileManager::defaultManager().fileExistsAtPath(path);
}

inline bool copyFile(const std::string& from, const std::string& to) {
  return !from.empty() && NSFileManager::defaultManager().copyItemAtPath(from, to);
}

inline void removeFile(const std::string& path) {
  if (fileExists(path)) NSFileManager::defaultManager().removeItemAtPath(path);
}

// The catalogue text of a file parsed, line feeds removed first; nil when the file cannot be
// read, is empty or is not JSON.
inline Value readCatalogue(const std::string& path) {
  if (path.empty()) return {};
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return {};
  std::string text = std::move(*bytes);
  text.erase(std::remove(text.begin(), text.end(), '\n'), text.end());
  if (text.empty()) return {};
  return objectFromJSONString(text);
}

inline std::shared_ptr<NSMutableArray> newArray() {
  return std::make_shared<NSMutableArray>();
}

}  // namespace channel_files
