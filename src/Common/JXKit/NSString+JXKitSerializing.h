// Writing one string as JSON text: quoted and escaped by the writer's rules, optionally without
// the quotes.
#pragma once

#include <string_view>

#include "Common/JXKit/JXSerializer.h"

Value JSONData(std::string_view string);
Value JSONDataWithOptions(std::string_view string, JXSerializeOptionFlags options,
                          bool includeQuotes, NSErrorPtr* error);
Value JSONString(std::string_view string);
Value JSONStringWithOptions(std::string_view string, JXSerializeOptionFlags options,
                            bool includeQuotes, NSErrorPtr* error);
