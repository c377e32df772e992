// Reading JSON from data (UTF-8 bytes).  Each call parses with a private decoder.  Nil data
// gives nil; a value that is not data raises NSInvalidArgumentException.
#pragma once

#include "Common/JXKit/JXKit.h"
#include "Foundation/NSError.h"
#include "Foundation/Value.h"

Value objectFromJSONData(const Value& data);
Value objectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options);
Value objectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options,
                                         NSErrorPtr* error);
Value mutableObjectFromJSONData(const Value& data);
Value mutableObjectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options);
Value mutableObjectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options,
                                                NSErrorPtr* error);
