// The registry of the library's add-ons.  An add-on, known by an identifier, announces itself
// by adding to this class (NS_CLASS_CATEGORY) a method named "loadExtensionNamed" followed by
// its identifier, which loads it and answers a non-empty value on success, and optionally one
// named "extensionInfoNamed" followed by the identifier, which answers its ULExtensionInfo.
// The loader finds them by name, loads them and keeps the lists of loaded and failed ones.
// The program has no add-on of its own: its lists stay empty.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSClass.h"
#include "Foundation/NSObject.h"
#include "uilib/extensions/ULExtensionInfo.h"

class ULExtensionLoader : public NSObject {
  NS_CLASS(ULExtensionLoader, NSObject)
 public:
  using Extensions = std::map<std::string, std::shared_ptr<ULExtensionInfo>>;

  // Makes the loaded and failed lists when missing.
  static void setupStaticData();
  // Loads every available add-on (adding to the loaded or failed list).
  static void loadAllExtensions();
  // By identifier; copies.  The available ones are found on the first call.
  static Extensions availableExtensions();
  static Extensions loadedExtensions();
  static Extensions failedExtensions();

  // callExtensionID:methodWithPrefix: what the method named prefix + identifier answers; nil
  // when there is none.
  Value callExtensionID(std::string_view identifier, std::string_view prefix);
  // The add-on's own description, else a new default one; with the identifier set either way.
  std::shared_ptr<ULExtensionInfo> extensionWithID(std::string_view identifier);
  // YES (and listed as loaded) when the add-on's load method answers something; else listed
  // as failed.
  bool loadExtension(const std::shared_ptr<ULExtensionInfo>& extension);
};
