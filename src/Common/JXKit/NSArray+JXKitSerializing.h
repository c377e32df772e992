// Writing an array as JSON: a string (JSONString...) or UTF-8 data (JSONData...), or nil with the
// first error.  Compact by default; see JXKit.h for the options.  Objects of kinds the writer
// does not know can be replaced through a block or a delegate's method.
#pragma once

#include <memory>
#include <type_traits>

#include "Common/JXKit/JXSerializer.h"

Value JSONData(const ValueArray& object);
Value JSONDataWithOptions(const ValueArray& object, JXSerializeOptionFlags options,
                          NSErrorPtr* error);
Value JSONDataWithOptions(const ValueArray& object, JXSerializeOptionFlags options,
                          const JXUnsupportedClassBlock& block, NSErrorPtr* error);
Value JSONString(const ValueArray& object);
Value JSONStringWithOptions(const ValueArray& object, JXSerializeOptionFlags options,
                            NSErrorPtr* error);
Value JSONStringWithOptions(const ValueArray& object, JXSerializeOptionFlags options,
                            const JXUnsupportedClassBlock& block, NSErrorPtr* error);

// The delegate forms; a delegate without a method raises NSInvalidArgumentException.
template <class T>
Value JSONDataWithOptions(const ValueArray& object, JXSerializeOptionFlags options,
                          const std::shared_ptr<T>& delegate,
                          std::type_identity_t<Value (T::*)(const Value&)> selector,
                          NSErrorPtr* error) {
  return JXSerializer::serializeObject(Value(object), options,
                                       JXEncodeOptionAsData | JXEncodeOptionCollectionObj, {},
                                       delegate, JXDelegateSelector(delegate, selector), error);
}
template <class T>
Value JSONStringWithOptions(const ValueArray& object, JXSerializeOptionFlags options,
                            const std::shared_ptr<T>& delegate,
                            std::type_identity_t<Value (T::*)(const Value&)> selector,
                            NSErrorPtr* error) {
  return JXSerializer::serializeObject(Value(object), options,
                                       JXEncodeOptionAsString | JXEncodeOptionCollectionObj, {},
                                       delegate, JXDelegateSelector(delegate, selector), error);
}
