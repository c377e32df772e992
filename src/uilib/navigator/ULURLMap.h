// The registry behind the navigator: URL patterns mapped to what a URL produces (a new
// controller, a shared one, a modal or popover one, a call on an existing object), objects
// already produced for exact URLs, classes mapped back to URLs, and the classing of URLs as the
// application's, the web's or another application's.
//
// What callers rely on:
// - The most specific pattern that matches wins; equally specific ones are tried in the order
//   they were registered.  "*" is the pattern of last resort; patterns with a fragment are used
//   only by dispatchURL.
// - Stored objects are not kept alive by the map: an object that has gone is not found.
// - A URL that does not parse matches nothing; nothing here raises.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURL.h"
#include "Foundation/Value.h"
#include "uilib/navigator/ULURLPattern.h"

class ULURLMap {
 public:
  // ---- registration
  void from(const std::string& url, const std::shared_ptr<NSObject>& object);
  void from(const std::string& url, const std::shared_ptr<NSObject>& object,
            const std::string& selector);
  void fromToViewController(const std::string& url, const NSClass* cls,
                            const std::string& selector = {}, int transition = 0,
                            const std::string& parentURL = {});
  void fromToSharedViewController(const std::string& url, const NSClass* cls,
                                  const std::string& selector = {},
                                  const std::string& parentURL = {});
  void fromToModalViewController(const std::string& url, const NSClass* cls,
                                 const std::string& selector = {}, int transition = 0,
                                 const std::string& parentURL = {});
  void fromToPopoverViewController(const std::string& url, const NSClass* cls,
                                   const std::string& selector = {});
  // Objects of the class (or of a subclass without its own) are written as URLs by the pattern.
  void fromClassToURL(const NSClass* cls, const std::string& url, const std::string& name = {});

  void addObjectPattern(const std::shared_ptr<ULURLNavigatorPattern>& pattern,
                        const std::string& url);
  void addStringPattern(const std::shared_ptr<ULURLGeneratorPattern>& pattern,
                        const std::string& url, const std::string& name);
  static std::string keyForClass(const NSClass* cls, const std::string& name);
  void registerScheme(const std::string& scheme);

  // ---- look-ups
  std::shared_ptr<ULURLNavigatorPattern> matchObjectPattern(const NSURL& url);
  // The object stored for the URL, else the one its pattern makes (stored when shared).  With
  // `pattern`, the pattern is required: a stored object whose pattern is gone is not returned.
  Value objectForURL(const std::string& url, const ValueDictionary& query = nullptr,
                     std::shared_ptr<ULURLNavigatorPattern>* pattern = nullptr);
  // The first fragment pattern that matches calls its method on the target; without one, a
  // fragment that names a method of the target calls it (and the result is nil).
  Value dispatchURL(const std::string& url, const std::shared_ptr<NSObject>& target,
                    const ValueDictionary& query = nullptr);

  void setObject(const std::shared_ptr<NSObject>& object, const std::string& url);
  // The stored object and the first pattern registered with exactly that text.
  void removeURL(const std::string& url);
  void removeObjectForURL(const std::string& url);
  void removeAllObjects();
  // Kept for callers that remove by object: the map keeps no reverse index, so nothing happens.
  void removeObject(const std::shared_ptr<NSObject>&) {}

  int navigationModeForURL(const std::string& url);
  int transitionForURL(const std::string& url);
  bool isSchemeSupported(const std::string& scheme) const;
  static bool isWebURL(const NSURL& url);
  static bool isExternalURL(const NSURL& url);
  bool isAppURL(const std::shared_ptr<NSURL>& url) const;

  // The URL of the object by the generator of its class or the nearest superclass; empty when
  // none is registered.
  std::string URLForObject(NSObject& object, const std::string& name = {}) const;

  // The hosts of the map service and of the application store: always other applications'.
  static constexpr std::string_view kMapsHost = "maps.zept.example";
  static constexpr std::string_view kAppStoreHost = "apps.zept.example";
  static constexpr std::string_view kAppStoreDownloadHost = "store.zept.example";

 private:
  void addPattern(const NSClass* cls, int mode, const std::string& url, const std::string& selector,
                  int transition, const std::string& parentURL);

  std::map<std::string, std::weak_ptr<NSObject>> objectMappings_;
  std::vector<std::shared_ptr<ULURLNavigatorPattern>> objectPatterns_;
  std::vector<std::shared_ptr<ULURLNavigatorPattern>> fragmentPatterns_;
  std::map<std::string, std::shared_ptr<ULURLGeneratorPattern>> stringPatterns_;
  std::set<std::string> schemes_;
  std::shared_ptr<ULURLNavigatorPattern> defaultObjectPattern_;
  bool invalidPatterns_ = false;
};
