// Reading JSON text (the receiver's UTF-8 bytes).  Each call parses with a private decoder, so
// these may run on any thread.  The result is nil when the text is not acceptable JSON.
#pragma once

#include <string_view>

#include "Common/JXKit/JXKit.h"
#include "Foundation/NSError.h"
#include "Foundation/Value.h"

// Strict options, immutable containers: what the app uses for every reply and file.
Value objectFromJSONString(std::string_view json);
Value objectFromJSONStringWithParseOptions(std::string_view json, JXParseOptionFlags options);
Value objectFromJSONStringWithParseOptions(std::string_view json, JXParseOptionFlags options,
                                           NSErrorPtr* error);
// The same with mutable containers at every depth.
Value mutableObjectFromJSONString(std::string_view json);
Value mutableObjectFromJSONStringWithParseOptions(std::string_view json,
                                                  JXParseOptionFlags options);
Value mutableObjectFromJSONStringWithParseOptions(std::string_view json, JXParseOptionFlags options,
                                                  NSErrorPtr* error);
