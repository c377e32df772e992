// The JSON writer: arrays and dictionaries of strings, numbers, booleans and nulls back into
// JSON text.  Each call makes its own serializer, so writers may run on any thread at once;
// the objects being written must not change during the call.
#pragma once

#include <functional>
#include <memory>

#include "Common/JXKit/JXKit.h"
#include "Foundation/NSError.h"
#include "Foundation/NSException.h"
#include "Foundation/Value.h"

struct JXEncodeState;

// What the entry points ask for (bits may be combined).
using JXEncodeOptionType = unsigned;
inline constexpr JXEncodeOptionType JXEncodeOptionAsData = 1;
inline constexpr JXEncodeOptionType JXEncodeOptionAsString = 2;
// The top-level object must be an array or a dictionary.
inline constexpr JXEncodeOptionType JXEncodeOptionCollectionObj = 8;
// The top-level object must be a string ...
inline constexpr JXEncodeOptionType JXEncodeOptionStringObj = 16;
// ... written without its quotes.
inline constexpr JXEncodeOptionType JXEncodeOptionStringObjTrimQuotes = 32;

// Answers the object to write in place of one of a kind the writer does not know (data, dates,
// other objects), or nil to fail the call.
using JXUnsupportedClassBlock = std::function<Value(const Value& object)>;
// The delegate form of the same: the delegate's method, called with the object.
using JXUnsupportedClassSelector = std::function<Value(const Value& object)>;

class JXSerializer {
 public:
  JXSerializer();
  ~JXSerializer();
  JXSerializer(const JXSerializer&) = delete;
  JXSerializer& operator=(const JXSerializer&) = delete;

  // The text as a string (JXEncodeOptionAsString) or data (JXEncodeOptionAsData), or nil with
  // the first error in `error` (which is first cleared).  With a delegate, a missing selector
  // raises NSInvalidArgumentException.
  static Value serializeObject(const Value& object, JXSerializeOptionFlags options,
                               JXEncodeOptionType encodeOption,
                               const JXUnsupportedClassBlock& block,
                               const std::shared_ptr<void>& delegate,
                               const JXUnsupportedClassSelector& selector, NSErrorPtr* error);
  // The class name the writer's messages give for a value ("__NSCFString", "__NSArrayM" ...).
  static std::string classNameOf(const Value& object);

 private:
  Value serialize(const Value& object, JXSerializeOptionFlags options,
                  JXEncodeOptionType encodeOption, const JXUnsupportedClassBlock& block,
                  const std::shared_ptr<void>& delegate, const JXUnsupportedClassSelector& selector,
                  NSErrorPtr* error);
  void releaseState();
  std::unique_ptr<JXEncodeState> encodeState_;
};

// Binds a delegate's method as the selector of the delegate forms.
template <class T>
JXUnsupportedClassSelector JXDelegateSelector(const std::shared_ptr<T>& delegate,
                                              Value (T::*method)(const Value&)) {
  if (!method) return {};
  std::weak_ptr<T> weak = delegate;
  return [weak, method](const Value& object) -> Value {
    if (auto d = weak.lock()) return ((*d).*method)(object);
    return Value();
  };
}
