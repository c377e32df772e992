#include "uilib/core/ULMarkupStripper.h"

#include "uilib/core/ULEntityTables.h"

std::string ULMarkupStripper::parse(std::string_view markup) {
  strings_.clear();
  std::string document;
  document.reserve(markup.size() + 7);
  document.append("<x>").append(markup).append("</x>");
  NSXMLParser parser(std::move(document));
  parser.setDelegate(std::weak_ptr<NSXMLParserDelegate>(self<ULMarkupStripper>()));
  parser.parse();
  std::string text;
  for (auto& piece : strings_) text += piece;
  strings_.clear();
  return text;
}

void ULMarkupStripper::parserFoundCharacters(NSXMLParser&, const std::string& string) {
  strings_.push_back(string);
}

std::optional<std::string> ULMarkupStripper::parserResolveExternalEntityName(
    NSXMLParser&, const std::string& name, const std::string&) {
  const auto& table = ULEntityTables::sharedInstance()->iso88591();
  auto it = table.find(name);
  if (it == table.end()) return std::nullopt;
  return it->second;
}
