// The event-driven XML reader: it walks a document once and tells its delegate of elements,
// character data and errors as it meets them, building nothing.
//
// Entities: the five XML entities are resolved by the reader itself.  Every other entity
// reference (an undeclared one such as "&nbsp;", or one the document's own DTD declares) is
// put to the delegate's parserResolveExternalEntityName with the entity's name and its system
// identifier (empty when it has none); the bytes it answers stand in the text as character
// data, and no answer makes the reference stand for nothing.  An internal entity declared in
// the document stands for its declared text.
//
// The reader never reads anything but the bytes it was given: no DTD, no external entity, no
// file and no URL is ever loaded (nor by any other user of libxml2 in the process, whose
// external entity loader it replaces with one that refuses everything).
//
// The first error that makes the document not well-formed ends the walk: the delegate hears of
// it through parserParseErrorOccurred, after the events of everything read before the fault.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

inline constexpr std::string_view NSXMLParserErrorDomain = "NSXMLParserErrorDomain";
// The error code when the delegate stops the walk (abortParsing).
inline constexpr long NSXMLParserDelegateAbortedParseError = 512;

class NSXMLParser;

// Every method is optional.
class NSXMLParserDelegate {
 public:
  virtual ~NSXMLParserDelegate() = default;

  virtual void parserDidStartDocument(NSXMLParser& parser) {}
  virtual void parserDidEndDocument(NSXMLParser& parser) {}
  // Names as written ("prefix:name"); the namespace URI is empty.  Attributes by name, in
  // document order.
  virtual void parserDidStartElement(NSXMLParser& parser, const std::string& elementName,
                                     const std::string& namespaceURI,
                                     const std::string& qualifiedName,
                                     const ValueDictionary& attributes) {}
  virtual void parserDidEndElement(NSXMLParser& parser, const std::string& elementName,
                                   const std::string& namespaceURI,
                                   const std::string& qualifiedName) {}
  // Character data, in pieces of any size (one run of text may come in several).
  virtual void parserFoundCharacters(NSXMLParser& parser, const std::string& string) {}
  virtual void parserFoundCDATA(NSXMLParser& parser, const std::string& data) {}
  // The bytes an entity stands for; nullopt: it stands for nothing.
  virtual std::optional<std::string> parserResolveExternalEntityName(NSXMLParser& parser,
                                                                     const std::string& name,
                                                                     const std::string& systemID) {
    return std::nullopt;
  }
  virtual void parserParseErrorOccurred(NSXMLParser& parser, const NSErrorPtr& parseError) {}
};

class NSXMLParser : public NSObject {
 public:
  // initWithData: the document's bytes (UTF-8 unless its declaration names an encoding).
  explicit NSXMLParser(std::string data);
  ~NSXMLParser() override;

  // The delegate is not kept alive by the parser.
  void setDelegate(std::weak_ptr<NSXMLParserDelegate> delegate) { delegate_ = std::move(delegate); }
  std::shared_ptr<NSXMLParserDelegate> delegate() const { return delegate_.lock(); }

  // Walks the document; YES when it was well-formed and the walk was not aborted.  A parser
  // walks once: a second call answers NO.
  bool parse();
  // From a delegate method: ends the walk after the current event.
  void abortParsing();
  // The error that ended the walk, or nullptr.
  NSErrorPtr parserError() const { return error_; }
  // Where the reader is (1-based), for error messages.
  long lineNumber() const;
  long columnNumber() const;

  struct Walk;

 private:
  std::string data_;
  std::weak_ptr<NSXMLParserDelegate> delegate_;
  NSErrorPtr error_;
  bool parsed_ = false;
  Walk* walk_ = nullptr;  // while parse() runs
  long line_ = 0, column_ = 0;
};
