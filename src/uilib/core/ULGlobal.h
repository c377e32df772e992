// What the whole UI library shares: lists and maps that do not keep their elements alive (the
// library's delegate lists and weak object maps), its texts from "ULKit.bundle", the user texts
// of network errors, "bundle://" and "documents://" paths, rectangle arithmetic, and the count
// of running transfers behind the status bar's network activity indicator.
#pragma once

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSError.h"
#include "Foundation/Value.h"
#include "UIKit/UIGeometry.h"

// A list that does not keep its elements alive (ULCreateWeakMutableArray).  An element that
// has gone away is skipped and dropped; elements are compared by identity, whatever pointer
// type names them.
template <class T>
class ULWeakArray {
 public:
  void addObject(const std::shared_ptr<T>& object) {
    if (object) items_.push_back(object);
  }
  template <class U>
  void removeObject(const std::shared_ptr<U>& object) {
    std::erase_if(items_,
                  [&](const std::weak_ptr<T>& w) { return w.expired() || same(w, object); });
  }
  template <class U>
  bool containsObject(const std::shared_ptr<U>& object) const {
    return object && std::any_of(items_.begin(), items_.end(), [&](const std::weak_ptr<T>& w) {
             return !w.expired() && same(w, object);
           });
  }
  template <class U>
  bool containsObject(const std::weak_ptr<U>& object) const {
    return containsObject(object.lock());
  }
  // Whether an element, alive or gone, is the object the reference names (an object that is
  // going away still finds itself).
  template <class U>
  bool containsOwner(const std::weak_ptr<U>& owner) const {
    return std::any_of(items_.begin(), items_.end(), [&](const std::weak_ptr<T>& w) {
      return !w.owner_before(owner) && !owner.owner_before(w);
    });
  }
  void removeAllObjects() { items_.clear(); }
  // The elements still alive, in order: a copy that may be walked while the list changes.
  std::vector<std::shared_ptr<T>> objects() const {
    std::vector<std::shared_ptr<T>> out;
    for (auto& w : items_)
      if (auto o = w.lock()) out.push_back(std::move(o));
    return out;
  }
  size_t count() const {
    return size_t(std::count_if(items_.begin(), items_.end(),
                                [](const std::weak_ptr<T>& w) { return !w.expired(); }));
  }

 private:
  template <class U>
  static bool same(const std::weak_ptr<T>& w, const std::shared_ptr<U>& o) {
    return !w.owner_before(o) && !o.owner_before(w);
  }
  std::vector<std::weak_ptr<T>> items_;
};

// A map from keys to values it does not keep alive (ULCreateWeakValueDictionary): a value that
// has gone away reads as none.
template <class T>
class ULWeakValueDictionary {
 public:
  void setObject(const std::shared_ptr<T>& object, const std::string& key) { map_[key] = object; }
  std::shared_ptr<T> objectForKey(const std::string& key) const {
    auto it = map_.find(key);
    return it == map_.end() ? nullptr : it->second.lock();
  }
  void removeObjectForKey(const std::string& key) { map_.erase(key); }
  void removeAllObjects() { map_.clear(); }
  std::vector<std::string> allKeys() const {
    std::vector<std::string> keys;
    for (auto& [k, v] : map_)
      if (!v.expired()) keys.push_back(k);
    return keys;
  }

 private:
  std::map<std::string, std::weak_ptr<T>> map_;
};

template <class T>
ULWeakArray<T> ULCreateWeakMutableArray() {
  return {};
}
template <class T>
ULWeakValueDictionary<T> ULCreateWeakValueDictionary() {
  return {};
}

// YES for a string of at least one character.
bool ULStringHasText(const Value& object);

// The locale of the user's first preferred language ("AppleLanguages"), else the current one,
// as an identifier.
std::string ULUserLanguageLocale();

// The text for the key in the library bundle's string table; the key itself when the table has
// none (the bundle carries no table: the keys are the English texts).  The comment is for
// translators only.
std::string ULLibraryLocalizedString(std::string_view key, std::string_view comment = {});

// "Connection Timed Out" (URL error -1001), "No Internet Connection" (-1009), "Connection
// Error" (any other URL error), "Error" (any other domain), through ULLibraryLocalizedString.
std::string ULErrorUserText(const NSErrorPtr& error);

// The integer with the current locale's grouping separators ("1,234").
std::string ULFormatDecimalInteger(long long number);

bool ULHasBundleScheme(std::string_view url);     // begins with "bundle://"
bool ULHasDocumentsScheme(std::string_view url);  // begins with "documents://"
// The main bundle's resource folder, or the documents folder, joined with the relative path.
std::string ULBundleResourcePath(std::string_view relativePath);
std::string ULDocumentsResourcePath(std::string_view relativePath);

// Same origin, the size reduced by dx and dy.
CGRect ULRectShrink(CGRect rect, CGFloat dx, CGFloat dy);
// The rectangle inside the insets.
CGRect ULRectApplyInsets(CGRect rect, UIEdgeInsets insets);

// The process-wide count of running transfers, from any thread: the first begin shows the
// status bar's network activity indicator and the end of the last hides it.  An end without a
// begin leaves the count at 0.
void ULNetworkActivityBegin();
void ULNetworkActivityEnd();
