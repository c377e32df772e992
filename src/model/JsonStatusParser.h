// The older reply parser.  Only the envelope's success flag and the number list are read; the
// other readers were never filled in and answer nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"

class JsonStatusParser {
 public:
  JsonStatusParser() = delete;

  // The envelope's "ResultBoolean"; NO for anything that is not a JSON dictionary.
  static bool parseToClient(std::string_view reply);
  // A JSON array of ids, each as its "%lld" text; nil when the reply is no array.
  static std::optional<std::vector<std::string>> parseToBlock(std::string_view reply);

  static Value parseToStatuses(std::string_view) { return {}; }
  static Value parseToStatus(std::string_view) { return {}; }
  static Value parseToComment(std::string_view) { return {}; }
  static Value parseToComments(std::string_view) { return {}; }
  static Value parseToUser(std::string_view) { return {}; }
  static Value parseToDms(std::string_view) { return {}; }
};
