// Classes known by name: the run-time class information behind every call the app makes by
// name (the URL navigator's patterns and map, the style sheets' selectors, add-ons found by the
// prefix of their method names, performs with several objects, screens named in usage records).
//
// A class registers itself where it is defined: NS_CLASS(Type, Super) first in its body
// (Foundation/NSClassDeclaration.h) and, in its source file, one NS_CLASS_IMPLEMENTATION whose
// body lists what may be looked up by name; other files may add methods with
// NS_CLASS_CATEGORY.  `c` is the class's builder:
//
//   NS_CLASS_IMPLEMENTATION(ChannelViewController) {
//     c.initializer("initWithChannelItem:", &ChannelViewController::initWithChannelItem);
//     c.method("refreshTableView", &ChannelViewController::refreshTableView);
//     c.classMethod("screenWithId:", [](int id) { return ...; });
//     c.property("title", &ChannelViewController::title, &ChannelViewController::setTitle);
//   }
//
// The name, the superclass, and "init" for a class that C++ can make without arguments come
// by themselves; an empty body is a class known by name only.
//
// What callers rely on:
// - Names: a class is found by its name (NSClassFromString) once its header is part of the
//   program.  Selectors keep the platform's spelling: one ':' per argument ("initWithId:name:").
// - Methods carry the platform's type codes: 'c' 'C' 's' 'S' 'i' 'I' 'q' 'Q' for the integers
//   of 1, 2, 4 and 8 bytes (C++ long is 8 bytes here, so 'q'), 'B' for bool, 'f' float,
//   'd' double, '@' for objects (texts, Values, containers, shared objects), 'v' for no result.
//   An enumeration takes its underlying type's code.  A layer above may add a type of its own
//   by specialising NSArgumentType.
// - Calls take and give Values: an argument is converted to the parameter's type as the
//   platform's number and text readers do (the text "12" gives the integer 12, nil gives 0 or
//   the empty text); a missing argument counts as nil, extra ones are ignored; the result keeps
//   its kind (an int result is an integer Value, a void one nil).
// - Unknown names answer nil, false or nullptr; a method called on an object that is not of
//   its class does nothing and answers nil.  Nothing here raises for a name it does not know.
// - Instance methods and properties are inherited; initializers make exactly their own class
//   and are not; class methods are inherited.  Listing by prefix lists a class's own methods.
// - Classes register before main() and are read-only afterwards: lookups are safe from any
//   thread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "Foundation/NSClassDeclaration.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

// ---- argument types

// How one C++ type travels through a call by name: its type code, how a Value becomes an
// argument of that type (`from`) and how a result becomes a Value (`to`).  Undefined for the
// types no layer has taught it.
template <class T, class Enable = void>
struct NSArgumentType;

template <>
struct NSArgumentType<bool> {
  static constexpr char code = 'B';
  static bool from(const Value& v) { return v.boolValue(); }
  static Value to(bool b) { return Value(b); }
};

template <class T>
struct NSArgumentType<T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool>>> {
  static constexpr char code = [] {
    constexpr bool u = std::is_unsigned_v<T>;
    if constexpr (sizeof(T) == 1) return u ? 'C' : 'c';
    if constexpr (sizeof(T) == 2) return u ? 'S' : 's';
    if constexpr (sizeof(T) == 4) return u ? 'I' : 'i';
    return u ? 'Q' : 'q';
  }();
  static T from(const Value& v) {
    if constexpr (std::is_unsigned_v<T>)
      return T(v.unsignedLongLongValue());
    else
      return T(v.longLongValue());
  }
  static Value to(T x) {
    if constexpr (code == 'c') return Value::character(static_cast<signed char>(x));
    if constexpr (std::is_unsigned_v<T> && sizeof(T) == 8) return Value((unsigned long long)x);
    return Value((long long)x);
  }
};

template <class T>
struct NSArgumentType<T, std::enable_if_t<std::is_floating_point_v<T>>> {
  static constexpr char code = sizeof(T) == sizeof(float) ? 'f' : 'd';
  static T from(const Value& v) { return T(v.doubleValue()); }
  static Value to(T x) { return Value(double(x)); }
};

template <class T>
struct NSArgumentType<T, std::enable_if_t<std::is_enum_v<T>>> {
  using Underlying = NSArgumentType<std::underlying_type_t<T>>;
  static constexpr char code = Underlying::code;
  static T from(const Value& v) { return static_cast<T>(Underlying::from(v)); }
  static Value to(T x) { return Underlying::to(static_cast<std::underlying_type_t<T>>(x)); }
};

template <>
struct NSArgumentType<Value> {
  static constexpr char code = '@';
  static const Value& from(const Value& v) { return v; }
  static Value to(const Value& v) { return v; }
};

// Texts: a non-text argument gives its "%@" text, nil and NSNull the empty one.
template <>
struct NSArgumentType<std::string> {
  static constexpr char code = '@';
  static std::string from(const Value& v) {
    if (v.isString()) return std::string(v.string());
    return v.isNil() || v.isNull() ? std::string() : v.description();
  }
  static Value to(const std::string& s) { return Value(s); }
};
template <>
struct NSArgumentType<std::string_view> : NSArgumentType<std::string> {
  static Value to(std::string_view s) { return Value(s); }
};

template <>
struct NSArgumentType<ValueArray> {
  static constexpr char code = '@';
  static ValueArray from(const Value& v) { return v.array(); }
  static Value to(const ValueArray& a) { return Value(a); }
};
template <>
struct NSArgumentType<ValueDictionary> {
  static constexpr char code = '@';
  static ValueDictionary from(const Value& v) { return v.dictionary(); }
  static Value to(const ValueDictionary& d) { return Value(d); }
};

// Shared objects, held strongly or weakly: an argument of another class gives nullptr.
template <class T>
struct NSArgumentType<std::shared_ptr<T>, std::enable_if_t<std::is_base_of_v<NSObject, T>>> {
  static constexpr char code = '@';
  static std::shared_ptr<T> from(const Value& v) { return v.object<T>(); }
  static Value to(const std::shared_ptr<T>& p) { return Value(std::shared_ptr<NSObject>(p)); }
};
template <class T>
struct NSArgumentType<std::weak_ptr<T>, std::enable_if_t<std::is_base_of_v<NSObject, T>>> {
  static constexpr char code = '@';
  static std::weak_ptr<T> from(const Value& v) { return v.object<T>(); }
  static Value to(const std::weak_ptr<T>& p) { return Value(std::shared_ptr<NSObject>(p.lock())); }
};

template <class T>
using NSArgumentTypeOf = NSArgumentType<std::remove_cvref_t<T>>;

// ---- methods, properties, invocations

class NSMethod {
 public:
  enum class Kind {
    Instance,     // called on an object of the class
    Class,        // called on the class
    Initializer,  // makes a new object of the class (the platform's alloc + init...)
  };
  using Invoker = std::function<Value(NSObject* receiver, std::span<const Value> arguments)>;

  NSMethod(std::string selector, Kind kind, char returnType, std::string argumentTypes,
           Invoker invoker, const NSClass* owner)
      : selector_(std::move(selector)),
        kind_(kind),
        returnType_(returnType),
        argumentTypes_(std::move(argumentTypes)),
        invoker_(std::move(invoker)),
        owner_(owner) {}

  const std::string& selector() const { return selector_; }
  Kind kind() const { return kind_; }
  // The class that registered the method.
  const NSClass& owner() const { return *owner_; }
  // 'v' when it gives nothing; an initializer gives '@'.
  char returnType() const { return returnType_; }
  // One code per argument, in order.
  const std::string& argumentTypes() const { return argumentTypes_; }
  // As the platform's method signatures count: the receiver and the selector, then the
  // arguments.
  size_t numberOfArguments() const { return argumentTypes_.size() + 2; }
  // '@' for slot 0 (the receiver), ':' for slot 1 (the selector), then the arguments' codes;
  // '\0' past the last.
  char argumentTypeAtIndex(size_t index) const;

  // Calls the method.  The receiver is needed by instance methods only: nil when it is
  // missing or not of the method's class.  Arguments as described at the top.
  Value invoke(NSObject* receiver, std::span<const Value> arguments) const;

 private:
  std::string selector_;
  Kind kind_;
  char returnType_;
  std::string argumentTypes_;
  Invoker invoker_;
  const NSClass* owner_;
};

class NSProperty {
 public:
  NSProperty(std::string name, char typeCode, std::string attributes, const NSMethod* getter,
             const NSMethod* setter)
      : name_(std::move(name)),
        typeCode_(typeCode),
        attributes_(std::move(attributes)),
        getter_(getter),
        setter_(setter) {}

  const std::string& name() const { return name_; }
  char typeCode() const { return typeCode_; }
  // The platform's attribute text: "T" and the type code ("Ti", "Td", "T@\"NSString\"", "T@"),
  // then ",R" for a read-only property.
  const std::string& attributes() const { return attributes_; }
  bool isReadOnly() const { return setter_ == nullptr; }
  // The getter and setter are methods too ("title", "setTitle:").
  const NSMethod& getter() const { return *getter_; }
  const NSMethod* setter() const { return setter_; }

  Value get(NSObject& object) const { return getter_->invoke(&object, {}); }
  // False for a read-only property or an object of another class.
  bool set(NSObject& object, const Value& value) const;

 private:
  std::string name_;
  char typeCode_;
  std::string attributes_;
  const NSMethod* getter_;
  const NSMethod* setter_;
};

// A call being put together slot by slot, then made (the platform's NSInvocation).  Slots are
// numbered as a method signature counts them: 0 the target, 1 the selector, 2 and on the
// arguments; a slot never set is nil.
class NSInvocation {
 public:
  explicit NSInvocation(const NSMethod& method)
      : method_(&method), arguments_(method.argumentTypes().size()) {}

  const NSMethod& method() const { return *method_; }
  const std::string& selector() const { return method_->selector(); }

  const std::shared_ptr<NSObject>& target() const { return target_; }
  void setTarget(std::shared_ptr<NSObject> target) { target_ = std::move(target); }
  // Slots outside the arguments are left alone.
  void setArgument(Value value, size_t index);
  Value argumentAtIndex(size_t index) const;

  // Calls the method on the target (class methods and initializers need none) and keeps the
  // result.
  void invoke();
  void invokeWithTarget(std::shared_ptr<NSObject> target);
  const Value& returnValue() const { return returnValue_; }

 private:
  const NSMethod* method_;
  std::shared_ptr<NSObject> target_;
  std::vector<Value> arguments_;
  Value returnValue_;
};

// ---- classes

class NSClass {
 public:
  NSClass(const NSClass&) = delete;
  NSClass& operator=(const NSClass&) = delete;

  const std::string& name() const { return name_; }
  // nullptr for a root class.
  const NSClass* superclass() const { return superclass_; }
  // This class or one below it.
  bool isSubclassOfClass(const NSClass& other) const;
  bool isSubclassOfClass(std::string_view name) const;

  // A new object made by the class's "init" (alloc + init); nullptr when it has none.
  std::shared_ptr<NSObject> makeInstance() const;

  // Methods by selector: the class's own, then (but for initializers) its superclasses'.
  const NSMethod* instanceMethod(std::string_view selector) const;
  const NSMethod* classMethod(std::string_view selector) const;
  bool instancesRespondToSelector(std::string_view selector) const {
    return instanceMethod(selector) != nullptr;
  }
  // The class side: class methods.
  bool respondsToSelector(std::string_view selector) const {
    return classMethod(selector) != nullptr;
  }
  // The class's or a superclass's property.
  const NSProperty* property(std::string_view name) const;

  // The selectors of the class's own methods (initializers among the instance ones) and its
  // own properties that begin with the prefix, in name order.
  std::vector<std::string> instanceMethodNames(std::string_view prefix = {}) const;
  std::vector<std::string> classMethodNames(std::string_view prefix = {}) const;
  std::vector<std::string> propertyNames(std::string_view prefix = {}) const;

  // Calls a class method or an initializer by name; nil when the class has neither.
  Value performSelector(std::string_view selector, std::vector<Value> arguments = {}) const;

  // The class registered under the name; nullptr when there is none.
  static const NSClass* named(std::string_view name);

  // Registering.  `define` builds the class of a type that uses NS_CLASS (NS_CLASS_IMPLEMENTATION
  // calls it); `declare` a class known by name and superclass only.  A second class under a
  // name already taken raises NSInternalInconsistencyException.
  template <class T>
  static const NSClass& define();
  static const NSClass& declare(std::string name, const NSClass* superclass);

 private:
  template <class T>
  friend class NSClassBuilder;
  template <class T>
  friend struct NSClassCategory;
  friend class NSObject;

  NSClass(std::string name, const NSClass* superclass)
      : name_(std::move(name)), superclass_(superclass) {}
  static NSClass& create(std::string name, const NSClass* superclass);
  static void publish(NSClass& cls);

  NSMethod& addMethod(NSMethod method);
  void addProperty(NSProperty property);

  std::string name_;
  const NSClass* superclass_;
  std::map<std::string, NSMethod, std::less<>> instanceMethods_;
  std::map<std::string, NSMethod, std::less<>> classMethods_;
  std::map<std::string, NSProperty, std::less<>> properties_;
};

// The platform's look-ups: the class of a name (nullptr when unknown) and the name of a class
// (empty for nullptr).
const NSClass* NSClassFromString(std::string_view name);
std::string NSStringFromClass(const NSClass* cls);

// ---- building a class's description

namespace nsclass_detail {

template <class F>
struct FunctionTraits : FunctionTraits<decltype(&F::operator())> {};
template <class R, class... A>
struct FunctionTraits<R (*)(A...)> {
  using Result = R;
  using Arguments = std::tuple<A...>;
};
template <class R, class... A>
struct FunctionTraits<R (*)(A...) noexcept> : FunctionTraits<R (*)(A...)> {};
template <class C, class R, class... A>
struct FunctionTraits<R (C::*)(A...)> {
  using Class = C;
  using Result = R;
  using Arguments = std::tuple<A...>;
};
template <class C, class R, class... A>
struct FunctionTraits<R (C::*)(A...) const> : FunctionTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct FunctionTraits<R (C::*)(A...) noexcept> : FunctionTraits<R (C::*)(A...)> {};
template <class C, class R, class... A>
struct FunctionTraits<R (C::*)(A...) const noexcept> : FunctionTraits<R (C::*)(A...)> {};

template <class Tuple>
struct DropFirst {
  using Type = std::tuple<>;
};
template <class First, class... Rest>
struct DropFirst<std::tuple<First, Rest...>> {
  using Type = std::tuple<Rest...>;
};

template <class R>
constexpr char returnCode() {
  if constexpr (std::is_void_v<R>)
    return 'v';
  else
    return NSArgumentTypeOf<R>::code;
}

template <class Tuple>
struct Codes;
template <class... A>
struct Codes<std::tuple<A...>> {
  static std::string text() { return std::string{NSArgumentTypeOf<A>::code...}; }
};

inline const Value& argumentAt(std::span<const Value> arguments, size_t index) {
  static const Value nil;
  return index < arguments.size() ? arguments[index] : nil;
}

// Calls `call` with the arguments converted to A..., and the result made a Value.
template <class R, class... A, class Call>
Value apply(Call&& call, std::span<const Value> arguments, std::tuple<A...>*) {
  return [&]<size_t... I>(std::index_sequence<I...>)->Value {
    if constexpr (std::is_void_v<R>) {
      call(NSArgumentTypeOf<A>::from(argumentAt(arguments, I))...);
      return Value();
    } else {
      return NSArgumentTypeOf<R>::to(call(NSArgumentTypeOf<A>::from(argumentAt(arguments, I))...));
    }
  }
  (std::index_sequence_for<A...>{});
}

size_t selectorArity(std::string_view selector);
// Raises NSInternalInconsistencyException when the selector's colons and the argument count
// differ: a description that cannot be called as written is a programming error.
void checkArity(const std::string& className, std::string_view selector, size_t count);
std::string setterName(std::string_view property);

}  // namespace nsclass_detail

template <class T>
class NSClassBuilder {
 public:
  explicit NSClassBuilder(NSClass& cls) : cls_(cls) {}

  // An instance method: a member function of the class (or of a class above it), or a callable
  // taking the object (T&) first.
  template <class F>
  NSClassBuilder& method(std::string_view selector, F f) {
    static_assert(std::is_base_of_v<NSObject, T>, "only objects have methods by name");
    using Traits = nsclass_detail::FunctionTraits<F>;
    using R = typename Traits::Result;
    // A callable's first parameter is the object, not an argument.
    using Arguments =
        std::conditional_t<std::is_member_function_pointer_v<F>, typename Traits::Arguments,
                           typename nsclass_detail::DropFirst<typename Traits::Arguments>::Type>;
    add(selector, NSMethod::Kind::Instance, nsclass_detail::returnCode<R>(),
        nsclass_detail::Codes<Arguments>::text(), std::tuple_size_v<Arguments>,
        [f](NSObject* receiver, std::span<const Value> arguments) -> Value {
          T* self = dynamic_cast<T*>(receiver);
          if (!self) return Value();
          return nsclass_detail::apply<R>(
              [&](auto&&... a) -> decltype(auto) {
                return std::invoke(f, *self, std::forward<decltype(a)>(a)...);
              },
              arguments, static_cast<Arguments*>(nullptr));
        });
    return *this;
  }

  // A class method: a static member function or a callable.
  template <class F>
  NSClassBuilder& classMethod(std::string_view selector, F f) {
    addStatic(selector, NSMethod::Kind::Class, std::move(f));
    return *this;
  }

  // An initializer: a static member function or a callable that makes an object of this
  // class ("initWithId:" made by `std::shared_ptr<T> initWithId(int)`).
  template <class F>
  NSClassBuilder& initializer(std::string_view selector, F f) {
    using R = std::remove_cvref_t<typename nsclass_detail::FunctionTraits<F>::Result>;
    static_assert(std::is_base_of_v<NSObject, T>, "only objects have initializers");
    static_assert(std::is_convertible_v<R, std::shared_ptr<T>>,
                  "an initializer gives a shared object of its class");
    addStatic(selector, NSMethod::Kind::Initializer, std::move(f));
    return *this;
  }

  // A property with its getter and setter (member functions or callables taking T& first);
  // its type code is the getter's result's.  The getter is also the method of the property's
  // name and the setter the method "set<Name>:", unless the class registers those itself.
  template <class G, class S>
  NSClassBuilder& property(std::string_view name, G getter, S setter) {
    using R = std::remove_cvref_t<typename nsclass_detail::FunctionTraits<G>::Result>;
    const NSMethod* get = getterMethod(name, std::move(getter));
    const NSMethod* set = nullptr;
    std::string setName = nsclass_detail::setterName(name);
    if (const NSMethod* own = ownInstanceMethod(setName))
      set = own;
    else
      set = &method(setName, std::move(setter)).lastAdded();
    addProperty<R>(name, get, set);
    return *this;
  }
  // A read-only property.
  template <class G>
  NSClassBuilder& property(std::string_view name,
                           G getter) requires(!std::is_member_object_pointer_v<G>) {
    using R = std::remove_cvref_t<typename nsclass_detail::FunctionTraits<G>::Result>;
    addProperty<R>(name, getterMethod(name, std::move(getter)), nullptr);
    return *this;
  }
  // A property that is a public field of a record.
  template <class M, class C>
  NSClassBuilder& property(std::string_view name, M C::*field) requires(!std::is_function_v<M>) {
    static_assert(std::is_base_of_v<C, T>);
    return property(
        name, [field](T& self) -> const M& { return self.*field; },
        [field](T& self, const M& value) { self.*field = value; });
  }

 private:
  template <class F>
  void addStatic(std::string_view selector, NSMethod::Kind kind, F f) {
    using Traits = nsclass_detail::FunctionTraits<F>;
    using R = typename Traits::Result;
    using Arguments = typename Traits::Arguments;
    add(selector, kind, nsclass_detail::returnCode<R>(), nsclass_detail::Codes<Arguments>::text(),
        std::tuple_size_v<Arguments>, [f](NSObject*, std::span<const Value> arguments) -> Value {
          return nsclass_detail::apply<R>(
              [&](auto&&... a) -> decltype(auto) { return f(std::forward<decltype(a)>(a)...); },
              arguments, static_cast<Arguments*>(nullptr));
        });
  }

  template <class G>
  const NSMethod* getterMethod(std::string_view name, G getter) {
    if (const NSMethod* own = ownInstanceMethod(name)) return own;
    return &method(name, std::move(getter)).lastAdded();
  }

  template <class R>
  void addProperty(std::string_view name, const NSMethod* getter, const NSMethod* setter) {
    std::string attributes = "T";
    attributes += NSArgumentTypeOf<R>::code;
    if constexpr (std::is_same_v<R, std::string> || std::is_same_v<R, std::string_view>)
      attributes += "\"NSString\"";
    if (!setter) attributes += ",R";
    cls_.addProperty(NSProperty(std::string(name), NSArgumentTypeOf<R>::code, std::move(attributes),
                                getter, setter));
  }

  void add(std::string_view selector, NSMethod::Kind kind, char returnType,
           std::string argumentTypes, size_t count, NSMethod::Invoker invoker) {
    nsclass_detail::checkArity(cls_.name(), selector, count);
    last_ = &cls_.addMethod(NSMethod(std::string(selector), kind, returnType,
                                     std::move(argumentTypes), std::move(invoker), &cls_));
  }
  const NSMethod* ownInstanceMethod(std::string_view selector) const {
    auto it = cls_.instanceMethods_.find(selector);
    return it == cls_.instanceMethods_.end() ? nullptr : &it->second;
  }
  const NSMethod& lastAdded() const { return *last_; }

  NSClass& cls_;
  const NSMethod* last_ = nullptr;
};

template <class T>
const NSClass& NSClass::define() {
  using Super = typename T::NSSuperclass;
  static_assert(std::is_base_of_v<Super, T>, "NS_CLASS names a superclass the type derives from");
  NSClass& cls = create(std::string(T::nsClassName), &Super::classObject());
  NSClassBuilder<T> builder(cls);
  if constexpr (std::is_base_of_v<NSObject, T> && std::is_default_constructible_v<T> &&
                !std::is_abstract_v<T>)
    builder.initializer("init", [] { return std::make_shared<T>(); });
  T::nsDescribeClass(builder);
  publish(cls);
  return cls;
}

// What another file adds to a class described elsewhere, as the platform's categories add
// methods: NS_CLASS_CATEGORY(Type, Name) at namespace scope, followed by a body that adds
// through `c` as NS_CLASS_IMPLEMENTATION's body does.  It runs when the program starts, after
// the class's own description, and its methods are the class's own (listed by prefix too).
template <class T>
struct NSClassCategory {
  explicit NSClassCategory(void (*describe)(NSClassBuilder<T>&)) {
    // Classes are made mutable and published read-only; a category still starts the program.
    NSClassBuilder<T> builder(const_cast<NSClass&>(T::classObject()));
    describe(builder);
  }
};

#define NS_CLASS_CATEGORY(Type, Name)                                        \
  static void nsCategory_##Type##_##Name(NSClassBuilder<Type>& c);           \
  static const NSClassCategory<Type> nsCategoryRegistration_##Type##_##Name{ \
      &nsCategory_##Type##_##Name};                                          \
  static void nsCategory_##Type##_##Name([[maybe_unused]] NSClassBuilder<Type>& c)

// In the class's source file, followed by the body that describes it (through `c`).
#define NS_CLASS_IMPLEMENTATION(Type)                    \
  const NSClass& Type::classObject() {                   \
    static const NSClass& cls = NSClass::define<Type>(); \
    return cls;                                          \
  }                                                      \
  void Type::nsDescribeClass([[maybe_unused]] NSClassBuilder<Type>& c)
