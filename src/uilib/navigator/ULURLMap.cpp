#include "uilib/navigator/ULURLMap.h"

#include <algorithm>

#include "UIKit/UIApplication.h"
#include "uilib/core/NSString+ULAdditions.h"

// ---- registration

void ULURLMap::from(const std::string& url, const std::shared_ptr<NSObject>& object) {
  from(url, object, std::string());
}

void ULURLMap::from(const std::string& url, const std::shared_ptr<NSObject>& object,
                    const std::string& selector) {
  auto pattern = std::make_shared<ULURLNavigatorPattern>(object, ULNavigationModeNone);
  pattern->setSelector(selector);
  addObjectPattern(pattern, url);
}

void ULURLMap::addPattern(const NSClass* cls, int mode, const std::string& url,
                          const std::string& selector, int transition,
                          const std::string& parentURL) {
  auto pattern = std::make_shared<ULURLNavigatorPattern>(cls, mode);
  pattern->setSelector(selector);
  pattern->setTransition(transition);
  pattern->setParentURL(parentURL);
  addObjectPattern(pattern, url);
}

void ULURLMap::fromToViewController(const std::string& url, const NSClass* cls,
                                    const std::string& selector, int transition,
                                    const std::string& parentURL) {
  addPattern(cls, ULNavigationModeCreate, url, selector, transition, parentURL);
}

void ULURLMap::fromToSharedViewController(const std::string& url, const NSClass* cls,
                                          const std::string& selector,
                                          const std::string& parentURL) {
  addPattern(cls, ULNavigationModeShare, url, selector, 0, parentURL);
}

void ULURLMap::fromToModalViewController(const std::string& url, const NSClass* cls,
                                         const std::string& selector, int transition,
                                         const std::string& parentURL) {
  addPattern(cls, ULNavigationModeModal, url, selector, transition, parentURL);
}

void ULURLMap::fromToPopoverViewController(const std::string& url, const NSClass* cls,
                                           const std::string& selector) {
  addPattern(cls, ULNavigationModePopover, url, selector, 0, std::string());
}

void ULURLMap::fromClassToURL(const NSClass* cls, const std::string& url, const std::string& name) {
  addStringPattern(std::make_shared<ULURLGeneratorPattern>(cls), url, name);
}

void ULURLMap::addObjectPattern(const std::shared_ptr<ULURLNavigatorPattern>& pattern,
                                const std::string& url) {
  pattern->setURL(url);
  pattern->compile();
  registerScheme(pattern->scheme());
  if (pattern->isUniversal()) {
    defaultObjectPattern_ = pattern;
  } else if (pattern->isFragment()) {
    fragmentPatterns_.push_back(pattern);
  } else {
    objectPatterns_.push_back(pattern);
    invalidPatterns_ = true;
  }
}

void ULURLMap::addStringPattern(const std::shared_ptr<ULURLGeneratorPattern>& pattern,
                                const std::string& url, const std::string& name) {
  pattern->setURL(url);
  pattern->compile();
  registerScheme(pattern->scheme());
  stringPatterns_[keyForClass(pattern->targetClass(), name)] = pattern;
}

std::string ULURLMap::keyForClass(const NSClass* cls, const std::string& name) {
  return NSStringFromClass(cls) + "_" + name;
}

void ULURLMap::registerScheme(const std::string& scheme) {
  if (!scheme.empty()) schemes_.insert(scheme);
}

// ---- look-ups

std::shared_ptr<ULURLNavigatorPattern> ULURLMap::matchObjectPattern(const NSURL& url) {
  if (invalidPatterns_) {
    // Stable: equally specific patterns stay in the order they were registered.
    std::stable_sort(objectPatterns_.begin(), objectPatterns_.end(),
                     [](const auto& a, const auto& b) { return a->compareSpecificity(*b) < 0; });
    invalidPatterns_ = false;
  }
  for (const auto& pattern : objectPatterns_)
    if (pattern->matchURL(url)) return pattern;
  return defaultObjectPattern_;
}

Value ULURLMap::objectForURL(const std::string& url, const ValueDictionary& query,
                             std::shared_ptr<ULURLNavigatorPattern>* pattern) {
  std::shared_ptr<NSObject> object;
  if (auto stored = objectMappings_.find(url); stored != objectMappings_.end()) {
    object = stored->second.lock();
    if (object && !pattern) return Value(object);
  }
  auto parsed = NSURL::URLWithString(url);
  std::shared_ptr<ULURLNavigatorPattern> found = parsed ? matchObjectPattern(*parsed) : nullptr;
  if (!found) return Value();
  Value result = object ? Value(object) : found->createObjectFromURL(parsed, query);
  if (found->navigationMode() == ULNavigationModeShare)
    if (auto made = result.object()) setObject(made, url);
  if (pattern) *pattern = found;
  return result;
}

Value ULURLMap::dispatchURL(const std::string& url, const std::shared_ptr<NSObject>& target,
                            const ValueDictionary& query) {
  auto parsed = NSURL::URLWithString(url);
  if (!parsed) return Value();
  for (const auto& pattern : fragmentPatterns_)
    if (pattern->matchURL(*parsed)) return pattern->invoke(target, parsed, query);
  auto fragment = parsed->fragment();
  if (fragment && target && target->respondsToSelector(*fragment))
    target->performSelector(*fragment);
  return Value();
}

void ULURLMap::setObject(const std::shared_ptr<NSObject>& object, const std::string& url) {
  objectMappings_[url] = object;
}

void ULURLMap::removeURL(const std::string& url) {
  objectMappings_.erase(url);
  auto at = std::find_if(objectPatterns_.begin(), objectPatterns_.end(),
                         [&](const auto& pattern) { return pattern->URL() == url; });
  if (at != objectPatterns_.end()) objectPatterns_.erase(at);
}

void ULURLMap::removeObjectForURL(const std::string& url) {
  objectMappings_.erase(url);
}

void ULURLMap::removeAllObjects() {
  objectMappings_.clear();
}

int ULURLMap::navigationModeForURL(const std::string& url) {
  auto parsed = NSURL::URLWithString(url);
  if (!parsed) return ULNavigationModeExternal;
  if (isAppURL(parsed)) return ULNavigationModeExternal;
  auto pattern = matchObjectPattern(*parsed);
  return pattern ? pattern->navigationMode() : ULNavigationModeExternal;
}

int ULURLMap::transitionForURL(const std::string& url) {
  auto parsed = NSURL::URLWithString(url);
  auto pattern = parsed ? matchObjectPattern(*parsed) : nullptr;
  return pattern ? pattern->transition() : 0;
}

bool ULURLMap::isSchemeSupported(const std::string& scheme) const {
  return !scheme.empty() && schemes_.count(scheme) > 0;
}

bool ULURLMap::isWebURL(const NSURL& url) {
  std::string scheme = url.scheme().value_or("");
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  for (const char* web : {"http", "https", "ftp", "ftps", "data", "file"})
    if (scheme == web) return true;
  return false;
}

bool ULURLMap::isExternalURL(const NSURL& url) {
  auto host = url.host();
  return host && (*host == kMapsHost || *host == kAppStoreHost || *host == kAppStoreDownloadHost);
}

bool ULURLMap::isAppURL(const std::shared_ptr<NSURL>& url) const {
  if (!url) return false;
  if (isExternalURL(*url)) return true;
  auto application = UIApplication::sharedApplication();
  return application && application->canOpenURL(url) &&
         !isSchemeSupported(url->scheme().value_or("")) && !isWebURL(*url);
}

std::string ULURLMap::URLForObject(NSObject& object, const std::string& name) const {
  for (const NSClass* cls = &object.objectClass(); cls; cls = cls->superclass()) {
    auto pattern = stringPatterns_.find(keyForClass(cls, name));
    if (pattern != stringPatterns_.end()) return pattern->second->generateURLFromObject(&object);
  }
  return std::string();
}
