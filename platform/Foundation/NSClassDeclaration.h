// What a class writes in its own body to be known by name: NS_CLASS(Type, Super), first in the
// body.  It gives the class its class object (Type::classObject(), what the platform writes
// [Type class]), makes objectClass() and so className() answer it, and registers the class
// when the program starts.  What the class offers by name (its initializers, methods and
// properties) is listed once in its source file with NS_CLASS_IMPLEMENTATION
// (Foundation/NSClass.h).
//
//   class ChannelViewController : public UIViewController {
//     NS_CLASS(ChannelViewController, UIViewController)
//    public:
//     ...
//   };
//
// NS_CLASS_NAMED(Type, Super, "name") registers the class under another name than its C++ one
// (a stand-in that shows itself under the platform class it stands for).  The macros leave the
// body private, as a class body starts.
#pragma once

#include <string_view>

class NSClass;
template <class T>
class NSClassBuilder;

#define NS_CLASS_NAMED(Type, Super, Name)                              \
 public:                                                               \
  using NSSuperclass = Super;                                          \
  static constexpr std::string_view nsClassName = Name;                \
  static const NSClass& classObject();                                 \
  const NSClass& objectClass() const override {                        \
    return classObject();                                              \
  }                                                                    \
                                                                       \
 private:                                                              \
  static void nsDescribeClass(NSClassBuilder<Type>& c);                \
  /* Registers the class in every program that includes its header. */ \
  inline static const NSClass& nsRegisteredClass_ = classObject();     \
  friend class ::NSClass;                                              \
                                                                       \
 private:

#define NS_CLASS(Type, Super) NS_CLASS_NAMED(Type, Super, #Type)
