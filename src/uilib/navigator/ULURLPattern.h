// URL patterns: a URL with placeholders, registered once against a target.  A pattern compiles
// its text into path elements (element 0 is the host), query elements and a fragment element;
// each is a literal (matched exactly, case-sensitively) or a wildcard "(name)" (matches any
// text).  A navigator pattern matches concrete URLs and turns their text into the typed
// arguments of an initialiser or a method of its target; a generator pattern writes an object's
// properties back into a URL.
//
// What callers rely on:
// - Specificity: 2 per literal, 1 per wildcard, over every compiled element.  The map tries the
//   most specific pattern first.
// - The selector is deduced from the wildcards' names ("app://x/(initWithId:)" asks for
//   initWithId:, then initWithId:query:) unless one was set before compiling; with no named
//   wildcard it is initWithNavigatorURL:query:.  A selector the target does not answer is never
//   kept.
// - Query parameters of the URL that no wildcard takes are handed over as a dictionary in the
//   method's last argument, when that argument is not taken by a wildcard.
// - Nothing here raises: a URL that does not match or a method that is missing gives nil.
#pragma once

#include <climits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURL.h"
#include "Foundation/Value.h"

// How a URL's text becomes an argument, and a value becomes text.
enum ULURLArgumentType {
  ULURLArgumentTypeNone = 0,
  ULURLArgumentTypeObject = 1,
  ULURLArgumentTypeBool = 2,
  ULURLArgumentTypeInteger = 3,
  ULURLArgumentTypeLongLong = 4,
  ULURLArgumentTypeFloat = 5,
  ULURLArgumentTypeDouble = 6,
};

// How the navigator shows what a URL gives.
enum ULNavigationMode {
  ULNavigationModeNone = 0,      // a method of an existing object is called
  ULNavigationModeCreate = 1,    // a new controller each time
  ULNavigationModeShare = 2,     // one controller per URL, reused
  ULNavigationModeModal = 3,     // a new controller, presented modally
  ULNavigationModePopover = 4,   // a new controller, in a popover
  ULNavigationModeExternal = 5,  // the URL goes to the operating system
};

int ULArgumentTypeForTypeCode(char code);
// The type of the class's property of that name; none for a class without it.
int ULArgumentTypeForProperty(const NSClass* cls, std::string_view name);
// `text` converted to an argument of the type (nil for none).
Value ULArgumentFromText(const std::string& text, int type);
// `value` written as text for the type: the empty text for none, "%d", "%lld", "%f" or "%@".
std::string ULTextFromArgument(const Value& value, int type);

// One compiled element of a pattern.
class ULURLPatternText {
 public:
  virtual ~ULURLPatternText() = default;
  virtual bool match(const std::string& text) const = 0;
  virtual std::string convertPropertyOfObject(NSObject* object) const = 0;
};

class ULURLLiteral : public ULURLPatternText {
 public:
  explicit ULURLLiteral(std::string name) : name(std::move(name)) {}
  bool match(const std::string& text) const override { return text == name; }
  std::string convertPropertyOfObject(NSObject*) const override { return name; }

  std::string name;
};

// One step of a property read ("user.name" is two).
class ULURLSelector {
 public:
  explicit ULURLSelector(std::string name) : name(std::move(name)) {}
  // The property read on the object, written as text for the type (0: the property's own).
  std::string perform(NSObject* object, int returnType) const;

  std::string name;
  std::shared_ptr<ULURLSelector> next;
};

class ULURLWildcard : public ULURLPatternText {
 public:
  static constexpr int kNotFound = INT_MAX;
  explicit ULURLWildcard(std::string name) : name(std::move(name)) {}
  bool match(const std::string&) const override { return true; }
  // The empty text without a selector.
  std::string convertPropertyOfObject(NSObject* object) const override;
  // Finds the property (or chain of properties) of the class the name reads.
  void deduceSelectorForClass(const NSClass* cls);

  std::string name;
  int argIndex = kNotFound;
  int argType = ULURLArgumentTypeNone;
  std::shared_ptr<ULURLSelector> selector;
};

class ULURLPattern {
 public:
  virtual ~ULURLPattern() = default;

  const std::string& URL() const { return URL_; }
  void setURL(std::string url) { URL_ = std::move(url); }
  const std::string& scheme() const { return scheme_; }
  int specificity() const { return specificity_; }
  const std::string& selector() const { return selector_; }
  void setSelector(std::string selector) { selector_ = std::move(selector); }
  // The class whose methods the selector must name; nullptr lets any selector through.
  virtual const NSClass* classForInvocation() const { return nullptr; }

  const std::vector<std::shared_ptr<ULURLPatternText>>& path() const { return path_; }
  // By parameter name.
  const std::map<std::string, std::shared_ptr<ULURLPatternText>>& query() const { return query_; }
  const std::shared_ptr<ULURLPatternText>& fragment() const { return fragment_; }

  void compileURL();
  std::shared_ptr<ULURLPatternText> parseText(const std::string& text);
  void parsePathComponent(const std::string& text);
  void parseParameter(const std::string& name, const std::string& value);
  void setSelectorIfPossible(const std::string& selector);
  // {"initWithId", "name"} offers "initWithId:name:".
  void setSelectorWithNames(const std::vector<std::string>& names);

 protected:
  // Every wildcard of the path, the query and the fragment, in that order.
  std::vector<ULURLWildcard*> wildcards() const;

  std::string URL_;
  std::string scheme_;
  std::vector<std::shared_ptr<ULURLPatternText>> path_;
  std::map<std::string, std::shared_ptr<ULURLPatternText>> query_;
  std::shared_ptr<ULURLPatternText> fragment_;
  int specificity_ = 0;
  std::string selector_;
};

// The host, then the path's components: "/" first for a path that begins with one ("/12" gives
// "/", "12"), so that "app://photo/12" has two elements.  Shared by matching and conversion.
std::vector<std::string> ULURLPathComponents(const NSURL& url);

class ULURLNavigatorPattern : public ULURLPattern {
 public:
  ULURLNavigatorPattern() = default;
  // A class with a mode other than none is instantiated; with none its class methods are
  // called.  An object target is not kept alive by the pattern.
  ULURLNavigatorPattern(const NSClass* target, int mode);
  ULURLNavigatorPattern(const std::shared_ptr<NSObject>& target, int mode = ULNavigationModeNone);

  const NSClass* targetClass() const { return targetClass_; }
  std::shared_ptr<NSObject> targetObject() const { return targetObject_.lock(); }
  int navigationMode() const { return navigationMode_; }
  const std::string& parentURL() const { return parentURL_; }
  void setParentURL(std::string url) { parentURL_ = std::move(url); }
  int transition() const { return transition_; }
  void setTransition(int transition) { transition_ = transition; }
  int argumentCount() const { return argumentCount_; }

  bool isUniversal() const { return URL_ == "*"; }
  bool isFragment() const { return URL_.find('#') != std::string::npos; }
  bool instantiatesClass() const;
  bool callsInstanceMethod() const;
  const NSClass* classForInvocation() const override;

  void compile();
  bool matchURL(const NSURL& url) const;
  // -1 when this one is more specific, +1 when less, 0 when equal.
  int compareSpecificity(const ULURLNavigatorPattern& other) const;

  // A new object of the target class, or the result of the selector on the target object.
  Value createObjectFromURL(const std::shared_ptr<NSURL>& url, const ValueDictionary& query);
  // The selector called on the target (nullptr for a class method) with the URL's arguments;
  // nil when the target has no such method.
  Value invoke(const std::shared_ptr<NSObject>& target, const std::shared_ptr<NSURL>& url,
               const ValueDictionary& query);
  void setArgumentsFromURL(const NSURL& url, NSInvocation& invocation,
                           const ValueDictionary& query) const;
  bool setArgument(const std::string& text, const ULURLPatternText* element,
                   NSInvocation& invocation) const;

  std::string description() const;

 private:
  const NSMethod* method() const;
  void deduceSelector();
  void analyzeMethod();

  const NSClass* targetClass_ = nullptr;
  // A class given with mode none: its class methods are the target's methods.
  bool targetIsClass_ = false;
  std::weak_ptr<NSObject> targetObject_;
  int navigationMode_ = ULNavigationModeNone;
  std::string parentURL_;
  int transition_ = 0;
  int argumentCount_ = 0;
};

class ULURLGeneratorPattern : public ULURLPattern {
 public:
  explicit ULURLGeneratorPattern(const NSClass* targetClass = nullptr)
      : targetClass_(targetClass) {}
  const NSClass* targetClass() const { return targetClass_; }
  const NSClass* classForInvocation() const override { return targetClass_; }

  void compile();
  // "app://user/(name)" gives "app://user/Ann" for an object whose name is "Ann"; query
  // parameters follow in name order.
  std::string generateURLFromObject(NSObject* object) const;

 private:
  const NSClass* targetClass_;
};
