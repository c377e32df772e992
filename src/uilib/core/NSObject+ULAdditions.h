// Performs by selector with three to seven objects, over the class registry
// (Foundation/NSClass.h): the receiver's method of that name is called with the objects in
// order; the result is the method's (nil for a method without one, or when the receiver has no
// such method).
#pragma once

#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third);
Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth);
Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth,
                      const Value& fifth);
Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth,
                      const Value& fifth, const Value& sixth);
Value performSelector(NSObject& receiver, std::string_view selector, const Value& first,
                      const Value& second, const Value& third, const Value& fourth,
                      const Value& fifth, const Value& sixth, const Value& seventh);
