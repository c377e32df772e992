#include "uilib/navigator/ULURLPattern.h"

#include <algorithm>
#include <cstdio>

#include "uilib/core/NSString+ULAdditions.h"

int ULArgumentTypeForTypeCode(char code) {
  switch (code) {
    case 'c':
    case 'i':
    case 'l':
    case 's':
    case 'C':
    case 'I':
    case 'L':
    case 'S':
      return ULURLArgumentTypeInteger;
    case 'B':
      return ULURLArgumentTypeBool;
    case 'q':
    case 'Q':
      return ULURLArgumentTypeLongLong;
    case 'f':
      return ULURLArgumentTypeFloat;
    case 'd':
      return ULURLArgumentTypeDouble;
    default:
      return ULURLArgumentTypeObject;
  }
}

int ULArgumentTypeForProperty(const NSClass* cls, std::string_view name) {
  const NSProperty* property = cls ? cls->property(name) : nullptr;
  if (!property) return ULURLArgumentTypeNone;
  const std::string& attributes = property->attributes();
  return ULArgumentTypeForTypeCode(attributes.size() > 1 ? attributes[1] : '\0');
}

Value ULArgumentFromText(const std::string& text, int type) {
  Value value(text);
  switch (type) {
    case ULURLArgumentTypeNone:
      return Value();
    case ULURLArgumentTypeBool:
      return Value(value.boolValue());
    case ULURLArgumentTypeInteger:
      return Value(value.intValue());
    case ULURLArgumentTypeLongLong:
      return Value(value.longLongValue());
    case ULURLArgumentTypeFloat:
      return Value(double(float(value.doubleValue())));
    case ULURLArgumentTypeDouble:
      return Value(value.doubleValue());
    default:
      return value;
  }
}

std::string ULTextFromArgument(const Value& value, int type) {
  char buffer[64];
  switch (type) {
    case ULURLArgumentTypeNone:
      return std::string();
    case ULURLArgumentTypeBool:
      std::snprintf(buffer, sizeof buffer, "%d", int(static_cast<signed char>(value.intValue())));
      return buffer;
    case ULURLArgumentTypeInteger:
      std::snprintf(buffer, sizeof buffer, "%d", value.intValue());
      return buffer;
    case ULURLArgumentTypeLongLong:
      std::snprintf(buffer, sizeof buffer, "%lld", value.longLongValue());
      return buffer;
    case ULURLArgumentTypeFloat:
      std::snprintf(buffer, sizeof buffer, "%f", double(float(value.doubleValue())));
      return buffer;
    case ULURLArgumentTypeDouble:
      std::snprintf(buffer, sizeof buffer, "%f", value.doubleValue());
      return buffer;
    default:
      return value.description();
  }
}

// ---- elements

std::string ULURLSelector::perform(NSObject* object, int returnType) const {
  if (!object) return std::string();
  if (next) {
    const NSMethod* step = object->objectClass().instanceMethod(name);
    Value result = step ? step->invoke(object, {}) : Value();
    return next->perform(result.object().get(), returnType);
  }
  const NSMethod* method = object->objectClass().instanceMethod(name);
  if (!method) return std::string();
  // Called directly: the object need not be shared (a record on the stack works too).
  Value result = method->invoke(object, {});
  if (returnType == ULURLArgumentTypeNone)
    returnType = ULArgumentTypeForProperty(&object->objectClass(), name);
  return ULTextFromArgument(result, returnType);
}

std::string ULURLWildcard::convertPropertyOfObject(NSObject* object) const {
  return selector ? selector->perform(object, argType) : std::string();
}

void ULURLWildcard::deduceSelectorForClass(const NSClass* cls) {
  if (name.find('.') == std::string::npos) {
    argType = ULArgumentTypeForProperty(cls, name);
    selector = std::make_shared<ULURLSelector>(name);
    return;
  }
  std::shared_ptr<ULURLSelector> last;
  size_t start = 0;
  while (start <= name.size()) {
    size_t dot = std::min(name.find('.', start), name.size());
    auto step = std::make_shared<ULURLSelector>(name.substr(start, dot - start));
    if (last)
      last->next = step;
    else
      selector = step;
    last = step;
    start = dot + 1;
  }
}

// ---- patterns

std::vector<std::string> ULURLPathComponents(const NSURL& url) {
  std::vector<std::string> components;
  std::string path = url.path();
  if (path.empty()) return components;
  size_t start = 0;
  if (path[0] == '/') {
    components.push_back("/");
    start = 1;
  }
  while (start < path.size()) {
    size_t slash = std::min(path.find('/', start), path.size());
    if (slash > start) components.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return components;
}

namespace {

// The URL's query, name -> first value (the null object for a name without "=").
std::vector<std::pair<std::string, Value>> firstQueryValues(const NSURL& url) {
  std::vector<std::pair<std::string, Value>> values;
  auto query = url.query();
  if (!query) return values;
  ValueDictionary contents = queryContentsUsingEncoding(*query, NSUTF8StringEncoding);
  if (!contents) return values;
  contents->enumerate([&](const std::string& name, const Value& list) {
    values.emplace_back(name, list.isArray() ? list[size_t(0)] : list);
  });
  return values;
}

}  // namespace

void ULURLPattern::compileURL() {
  auto url = NSURL::URLWithString(URL_);
  if (!url) return;
  scheme_ = url->scheme().value_or("");
  if (auto host = url->host()) {
    parsePathComponent(*host);
    std::vector<std::string> components = ULURLPathComponents(*url);
    for (const std::string& component : components)
      if (component != "/") parsePathComponent(component);
  }
  for (const auto& [name, value] : firstQueryValues(*url))
    parseParameter(name, value.isString() ? std::string(value.string()) : std::string());
  if (auto fragment = url->fragment()) fragment_ = parseText(*fragment);
}

std::shared_ptr<ULURLPatternText> ULURLPattern::parseText(const std::string& text) {
  if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
    std::string name = text.substr(1, text.size() - 2);
    if (text.size() >= 4 && !name.empty() && name.back() == ':') name.pop_back();
    specificity_ += 1;
    return std::make_shared<ULURLWildcard>(std::move(name));
  }
  specificity_ += 2;
  return std::make_shared<ULURLLiteral>(text);
}

void ULURLPattern::parsePathComponent(const std::string& text) {
  path_.push_back(parseText(text));
}

void ULURLPattern::parseParameter(const std::string& name, const std::string& value) {
  query_[name] = parseText(value);
}

void ULURLPattern::setSelectorIfPossible(const std::string& selector) {
  const NSClass* cls = classForInvocation();
  if (!cls || cls->instancesRespondToSelector(selector) || cls->respondsToSelector(selector))
    selector_ = selector;
}

void ULURLPattern::setSelectorWithNames(const std::vector<std::string>& names) {
  std::string selector;
  for (const std::string& name : names) selector += name + ":";
  setSelectorIfPossible(selector);
}

std::vector<ULURLWildcard*> ULURLPattern::wildcards() const {
  std::vector<ULURLWildcard*> found;
  auto add = [&](const std::shared_ptr<ULURLPatternText>& element) {
    if (auto* wildcard = dynamic_cast<ULURLWildcard*>(element.get())) found.push_back(wildcard);
  };
  for (const auto& element : path_) add(element);
  for (const auto& [name, element] : query_) add(element);
  add(fragment_);
  return found;
}

// ---- navigator patterns

ULURLNavigatorPattern::ULURLNavigatorPattern(const NSClass* target, int mode)
    : targetClass_(target), targetIsClass_(mode == ULNavigationModeNone), navigationMode_(mode) {}

ULURLNavigatorPattern::ULURLNavigatorPattern(const std::shared_ptr<NSObject>& target, int mode)
    : targetObject_(target), navigationMode_(mode) {}

bool ULURLNavigatorPattern::instantiatesClass() const {
  return targetClass_ && !targetIsClass_;
}

bool ULURLNavigatorPattern::callsInstanceMethod() const {
  return !targetObject_.expired() || instantiatesClass();
}

const NSClass* ULURLNavigatorPattern::classForInvocation() const {
  if (targetClass_) return targetClass_;
  auto object = targetObject_.lock();
  return object ? &object->objectClass() : nullptr;
}

void ULURLNavigatorPattern::compile() {
  if (isUniversal()) {
    if (selector_.empty()) deduceSelector();
    return;
  }
  compileURL();
  if (selector_.empty()) deduceSelector();
  if (!selector_.empty()) analyzeMethod();
}

void ULURLNavigatorPattern::deduceSelector() {
  std::vector<std::string> names;
  for (ULURLWildcard* wildcard : wildcards())
    if (!wildcard->name.empty()) names.push_back(wildcard->name);
  if (names.empty()) {
    setSelectorIfPossible("initWithNavigatorURL:query:");
    return;
  }
  setSelectorWithNames(names);
  if (selector_.empty()) {
    names.push_back("query");
    setSelectorWithNames(names);
  }
}

const NSMethod* ULURLNavigatorPattern::method() const {
  const NSClass* cls = classForInvocation();
  if (!cls || selector_.empty()) return nullptr;
  return callsInstanceMethod() ? cls->instanceMethod(selector_) : cls->classMethod(selector_);
}

void ULURLNavigatorPattern::analyzeMethod() {
  const NSMethod* found = method();
  if (!found) return;
  argumentCount_ = int(found->numberOfArguments()) - 2;
  std::vector<std::string> names;
  size_t start = 0;
  for (size_t colon; (colon = selector_.find(':', start)) != std::string::npos; start = colon + 1)
    names.push_back(selector_.substr(start, colon - start));
  for (ULURLWildcard* wildcard : wildcards()) {
    auto at = std::find(names.begin(), names.end(), wildcard->name);
    if (at == names.end()) continue;
    wildcard->argIndex = int(at - names.begin());
    wildcard->argType =
        ULArgumentTypeForTypeCode(found->argumentTypeAtIndex(wildcard->argIndex + 2));
  }
}

bool ULURLNavigatorPattern::matchURL(const NSURL& url) const {
  auto urlScheme = url.scheme();
  auto host = url.host();
  if (!urlScheme || !host || *urlScheme != scheme_) return false;
  std::vector<std::string> components = ULURLPathComponents(url);
  size_t count = components.empty() ? 1 : components.size();
  if (count != path_.size()) return false;
  if (!path_[0]->match(*host)) return false;
  for (size_t i = 1; i < path_.size(); ++i)
    if (!path_[i]->match(components[i])) return false;
  auto urlFragment = url.fragment();
  if (urlFragment || fragment_) {
    if (!urlFragment || !fragment_ || !fragment_->match(*urlFragment)) return false;
  }
  return true;
}

int ULURLNavigatorPattern::compareSpecificity(const ULURLNavigatorPattern& other) const {
  if (specificity_ > other.specificity_) return -1;
  if (specificity_ < other.specificity_) return 1;
  return 0;
}

bool ULURLNavigatorPattern::setArgument(const std::string& text, const ULURLPatternText* element,
                                        NSInvocation& invocation) const {
  auto* wildcard = dynamic_cast<const ULURLWildcard*>(element);
  if (!wildcard || wildcard->argIndex == ULURLWildcard::kNotFound ||
      wildcard->argIndex >= argumentCount_)
    return false;
  if (wildcard->argType != ULURLArgumentTypeNone)
    invocation.setArgument(ULArgumentFromText(text, wildcard->argType), wildcard->argIndex + 2);
  return true;
}

void ULURLNavigatorPattern::setArgumentsFromURL(const NSURL& url, NSInvocation& invocation,
                                                const ValueDictionary& query) const {
  int remaining = argumentCount_;
  ValueDictionary leftover = query ? query->mutableCopy() : nullptr;
  std::vector<std::string> components = ULURLPathComponents(url);
  for (size_t i = 0; i < path_.size(); ++i) {
    std::string text = i == 0                  ? url.host().value_or("")
                       : i < components.size() ? components[i]
                                               : "";
    if (setArgument(text, path_[i].get(), invocation)) --remaining;
  }
  for (const auto& [name, value] : firstQueryValues(url)) {
    auto element = query_.find(name);
    if (element != query_.end()) {
      if (setArgument(value.isString() ? std::string(value.string()) : std::string(),
                      element->second.get(), invocation))
        --remaining;
    } else {
      if (!leftover) leftover = std::make_shared<NSMutableDictionary>();
      leftover->setObject(value, name);
    }
  }
  if (remaining != 0 && leftover && leftover->count() > 0)
    invocation.setArgument(Value(leftover), size_t(argumentCount_) + 1);
  auto urlFragment = url.fragment();
  if (urlFragment && fragment_) setArgument(*urlFragment, fragment_.get(), invocation);
}

Value ULURLNavigatorPattern::invoke(const std::shared_ptr<NSObject>& target,
                                    const std::shared_ptr<NSURL>& url,
                                    const ValueDictionary& query) {
  const NSMethod* found = nullptr;
  if (target)
    found = target->objectClass().instanceMethod(selector_);
  else if (targetClass_)
    found = instantiatesClass() ? targetClass_->instanceMethod(selector_)
                                : targetClass_->classMethod(selector_);
  if (!found) return Value();
  NSInvocation invocation(*found);
  if (isUniversal()) {
    invocation.setArgument(Value(url), 2);
    if (query) invocation.setArgument(Value(query), 3);
  } else if (url) {
    setArgumentsFromURL(*url, invocation, query);
  }
  invocation.invokeWithTarget(target);
  return found->returnType() == 'v' ? Value() : invocation.returnValue();
}

Value ULURLNavigatorPattern::createObjectFromURL(const std::shared_ptr<NSURL>& url,
                                                 const ValueDictionary& query) {
  if (instantiatesClass()) {
    const NSMethod* found = selector_.empty() ? nullptr : targetClass_->instanceMethod(selector_);
    if (found && found->kind() == NSMethod::Kind::Initializer) return invoke(nullptr, url, query);
    // A plain instance made by init, then the method (if any) called on it.
    std::shared_ptr<NSObject> object = targetClass_->makeInstance();
    if (!object || !found) return Value(object);
    Value result = invoke(object, url, query);
    return result.isNil() && found->returnType() == 'v' ? Value(object) : result;
  }
  if (selector_.empty()) return Value();
  if (targetIsClass_) return invoke(nullptr, url, query);
  std::shared_ptr<NSObject> target = targetObject_.lock();  // held for the call
  if (!target) return Value();
  return invoke(target, url, query);
}

std::string ULURLNavigatorPattern::description() const {
  std::string target;
  if (targetClass_)
    target = targetClass_->name();
  else if (auto object = targetObject_.lock())
    target = object->description();
  else
    target = "(null)";
  return URL_ + " => " + target;
}

// ---- generator patterns

void ULURLGeneratorPattern::compile() {
  compileURL();
  for (ULURLWildcard* wildcard : wildcards())
    if (wildcard != fragment_.get()) wildcard->deduceSelectorForClass(targetClass_);
}

std::string ULURLGeneratorPattern::generateURLFromObject(NSObject* object) const {
  std::string url = scheme_ + ":/";
  for (const auto& element : path_) url += "/" + element->convertPropertyOfObject(object);
  std::string parameters;
  for (const auto& [name, element] : query_) {
    if (!parameters.empty()) parameters += "&";
    parameters += name + "=" + element->convertPropertyOfObject(object);
  }
  if (!parameters.empty()) url += "?" + parameters;
  return url;
}
