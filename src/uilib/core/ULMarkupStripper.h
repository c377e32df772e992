// Markup to plain text: a fragment of HTML-like markup is read as XML inside one root element
// and only its character data is kept.  Named entities come from ULEntityTables (a name the
// table lacks stands for nothing); external entities are never loaded.  Markup the reader
// rejects ends the walk: the text found before the fault is the result.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/NSXMLParser.h"

// Make it with std::make_shared: the reader holds it only weakly.  One parse at a time.
class ULMarkupStripper : public NSObject, public NSXMLParserDelegate {
 public:
  std::string parse(std::string_view markup);

  void parserFoundCharacters(NSXMLParser& parser, const std::string& string) override;
  std::optional<std::string> parserResolveExternalEntityName(NSXMLParser& parser,
                                                             const std::string& name,
                                                             const std::string& systemID) override;

 private:
  std::vector<std::string> strings_;
};
