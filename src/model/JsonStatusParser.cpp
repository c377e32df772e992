#include "model/JsonStatusParser.h"

#include <cinttypes>
#include <cstdio>

#include "model/ParserValues.h"

using namespace parser_values;

bool JsonStatusParser::parseToClient(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return false;
  return boolValue(*root.dictionaryPointer(), "ResultBoolean", false);
}

std::optional<std::vector<std::string>> JsonStatusParser::parseToBlock(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isArray()) return std::nullopt;
  std::vector<std::string> ids;
  ids.reserve(root.count());
  for (const Value& item : *root.arrayPointer()) {
    // Only numbers and numeric texts are ids; anything else in the list is skipped.
    if (!item.isNumber() && !item.isString()) continue;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%lld", item.longLongValue());
    ids.push_back(buf);
  }
  return ids;
}
