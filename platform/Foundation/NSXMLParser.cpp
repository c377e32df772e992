#include "Foundation/NSXMLParser.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <deque>
#include <mutex>

namespace {

// An entity reference the reader turns into plain text: libxml2 inlines the content of an
// entity of the predefined kind as character data, whatever its name.
struct InlineEntity {
  InlineEntity() = default;
  InlineEntity(const InlineEntity&) = delete;
  InlineEntity& operator=(const InlineEntity&) = delete;
  // What the parser may have hung on it.
  ~InlineEntity() {
    if (entity.orig) xmlFree(entity.orig);
  }
  std::string name;
  std::string content;
  xmlEntity entity{};
};

xmlParserInputPtr refuseExternalEntity(const char*, const char*, xmlParserCtxtPtr) {
  return nullptr;
}

void setUpLibxml2Once() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    xmlSetExternalEntityLoader(&refuseExternalEntity);
  });
}

std::string text(const xmlChar* s) {
  return s ? std::string(reinterpret_cast<const char*>(s)) : std::string();
}
std::string text(const xmlChar* s, int length) {
  return s && length > 0 ? std::string(reinterpret_cast<const char*>(s), size_t(length))
                         : std::string();
}
std::string qualified(const xmlChar* prefix, const xmlChar* localname) {
  return prefix ? text(prefix) + ":" + text(localname) : text(localname);
}

}  // namespace

struct NSXMLParser::Walk {
  NSXMLParser* parser = nullptr;
  std::shared_ptr<NSXMLParserDelegate> delegate;
  xmlParserCtxtPtr ctxt = nullptr;
  std::deque<InlineEntity> entities;  // addresses stay put while libxml2 holds them
  bool ended = false;                 // an error or an abort ended the walk

  static Walk& of(void* ctx) {
    return *static_cast<Walk*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
  }

  xmlEntityPtr inlined(const std::string& name, std::string content) {
    InlineEntity& e = entities.emplace_back();
    e.name = name;
    e.content = std::move(content);
    e.entity.type = XML_ENTITY_DECL;
    e.entity.etype = XML_INTERNAL_PREDEFINED_ENTITY;
    e.entity.name = reinterpret_cast<const xmlChar*>(e.name.c_str());
    e.entity.content = reinterpret_cast<xmlChar*>(e.content.data());
    e.entity.length = int(std::min<size_t>(e.content.size(), INT_MAX));
    return &e.entity;
  }

  void fail(NSErrorPtr error) {
    if (ended) return;
    ended = true;
    parser->error_ = error;
    xmlStopParser(ctxt);
    if (delegate) delegate->parserParseErrorOccurred(*parser, error);
  }

  // ---- SAX handlers
  static void startDocument(void* ctx) {
    xmlSAX2StartDocument(ctx);  // the document node the DTD's declarations are kept in
    Walk& w = of(ctx);
    if (w.delegate && !w.ended) w.delegate->parserDidStartDocument(*w.parser);
  }
  static void endDocument(void* ctx) {
    Walk& w = of(ctx);
    if (w.delegate && !w.ended && w.ctxt->wellFormed) w.delegate->parserDidEndDocument(*w.parser);
  }
  static void startElement(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                           const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                           int attributeCount, int defaulted, const xmlChar** attributes) {
    Walk& w = of(ctx);
    if (!w.delegate || w.ended) return;
    auto dict = std::make_shared<NSMutableDictionary>();
    for (int i = 0; i < namespaceCount; ++i) {
      const xmlChar* nsPrefix = namespaces[2 * i];
      dict->setObject(Value(text(namespaces[2 * i + 1])),
                      nsPrefix ? "xmlns:" + text(nsPrefix) : std::string("xmlns"));
    }
    // Five pointers an attribute: local name, prefix, URI, value start, value end.
    for (int i = 0; i < attributeCount; ++i) {
      const xmlChar** a = attributes + 5 * i;
      dict->setObject(Value(text(a[3], int(a[4] - a[3]))), qualified(a[1], a[0]));
    }
    std::string name = qualified(prefix, localname);
    w.delegate->parserDidStartElement(*w.parser, name, std::string(), name, dict);
  }
  static void endElement(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                         const xmlChar* uri) {
    Walk& w = of(ctx);
    if (!w.delegate || w.ended) return;
    std::string name = qualified(prefix, localname);
    w.delegate->parserDidEndElement(*w.parser, name, std::string(), name);
  }
  static void characters(void* ctx, const xmlChar* ch, int length) {
    Walk& w = of(ctx);
    if (!w.delegate || w.ended || length <= 0) return;
    w.delegate->parserFoundCharacters(*w.parser, text(ch, length));
  }
  static void cdata(void* ctx, const xmlChar* value, int length) {
    Walk& w = of(ctx);
    if (!w.delegate || w.ended) return;
    w.delegate->parserFoundCDATA(*w.parser, text(value, length));
  }
  static xmlEntityPtr getEntity(void* ctx, const xmlChar* name) {
    Walk& w = of(ctx);
    // Within the DTD the parser looks its declarations up (and keeps things in them): it gets
    // the declared entity itself.
    if (w.ctxt->inSubset) return xmlSAX2GetEntity(ctx, name);
    std::string entityName = text(name);
    xmlEntityPtr declared = xmlSAX2GetEntity(ctx, name);
    if (declared && declared->etype == XML_INTERNAL_GENERAL_ENTITY)
      return w.inlined(entityName, text(declared->content, declared->length));
    // Undeclared, or declared as external: the delegate says what it stands for.
    std::string systemID = declared ? text(declared->SystemID) : std::string();
    std::optional<std::string> bytes;
    if (w.delegate && !w.ended)
      bytes = w.delegate->parserResolveExternalEntityName(*w.parser, entityName, systemID);
    return w.inlined(entityName, bytes.value_or(std::string()));
  }
  static xmlEntityPtr getParameterEntity(void* ctx, const xmlChar* name) {
    xmlEntityPtr declared = xmlSAX2GetParameterEntity(ctx, name);
    return declared && declared->etype == XML_INTERNAL_PARAMETER_ENTITY ? declared : nullptr;
  }
  static xmlParserInputPtr resolveEntity(void*, const xmlChar*, const xmlChar*) { return nullptr; }
  static void externalSubset(void*, const xmlChar*, const xmlChar*, const xmlChar*) {}
  static void structuredError(void* ctx, xmlErrorPtr error) {
    if (!error || error->level != XML_ERR_FATAL || !ctx) return;
    Walk& w = of(ctx);
    std::string message = error->message ? error->message : "";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
      message.pop_back();
    w.fail(NSError::withDescription(NSXMLParserErrorDomain, error->code, message));
  }
  static void quiet(void*, const char*, ...) {}
};

NSXMLParser::NSXMLParser(std::string data) : data_(std::move(data)) {}

NSXMLParser::~NSXMLParser() = default;

bool NSXMLParser::parse() {
  if (parsed_) return false;
  parsed_ = true;
  setUpLibxml2Once();

  xmlSAXHandler sax;
  std::memset(&sax, 0, sizeof sax);
  xmlSAXVersion(&sax, 2);
  sax.startDocument = &Walk::startDocument;
  sax.endDocument = &Walk::endDocument;
  sax.startElementNs = &Walk::startElement;
  sax.endElementNs = &Walk::endElement;
  sax.startElement = nullptr;
  sax.endElement = nullptr;
  sax.characters = &Walk::characters;
  sax.ignorableWhitespace = &Walk::characters;
  sax.cdataBlock = &Walk::cdata;
  sax.getEntity = &Walk::getEntity;
  sax.getParameterEntity = &Walk::getParameterEntity;
  sax.resolveEntity = &Walk::resolveEntity;
  sax.externalSubset = &Walk::externalSubset;
  sax.reference = nullptr;
  sax.comment = nullptr;
  sax.processingInstruction = nullptr;
  sax.serror = &Walk::structuredError;
  sax.warning = &Walk::quiet;
  sax.error = &Walk::quiet;
  sax.fatalError = &Walk::quiet;

  Walk walk;
  walk.parser = this;
  walk.delegate = delegate_.lock();
  xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr);
  if (!ctxt) {
    error_ = NSError::withDescription(NSXMLParserErrorDomain, XML_ERR_NO_MEMORY,
                                      "The reader could not be set up");
    if (walk.delegate) walk.delegate->parserParseErrorOccurred(*this, error_);
    return false;
  }
  walk.ctxt = ctxt;
  ctxt->_private = &walk;
  // Never fetch, never load the DTD, never expand entities behind the handlers' back.
  xmlCtxtUseOptions(ctxt, XML_PARSE_NONET | XML_PARSE_NOWARNING);
  ctxt->replaceEntities = 0;
  ctxt->loadsubset = 0;
  ctxt->validate = 0;
  walk_ = &walk;

  constexpr size_t kPiece = 1 << 16;
  const char* bytes = data_.data();
  size_t left = data_.size();
  while (!walk.ended && left > kPiece) {
    xmlParseChunk(ctxt, bytes, int(kPiece), 0);
    bytes += kPiece;
    left -= kPiece;
  }
  if (!walk.ended) xmlParseChunk(ctxt, bytes, int(left), 1);
  if (!walk.ended && !ctxt->wellFormed) {
    // A fault libxml2 reported without a fatal-level error.
    walk.fail(NSError::withDescription(NSXMLParserErrorDomain, XML_ERR_INTERNAL_ERROR,
                                       "The document is not well-formed"));
  }
  line_ = xmlSAX2GetLineNumber(ctxt);
  column_ = xmlSAX2GetColumnNumber(ctxt);
  walk_ = nullptr;
  if (ctxt->myDoc) {
    xmlFreeDoc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
  }
  xmlFreeParserCtxt(ctxt);
  return !error_;
}

void NSXMLParser::abortParsing() {
  if (!walk_ || walk_->ended) return;
  walk_->ended = true;
  error_ = NSError::withDescription(NSXMLParserErrorDomain, NSXMLParserDelegateAbortedParseError,
                                    "The delegate aborted the walk");
  xmlStopParser(walk_->ctxt);
}

long NSXMLParser::lineNumber() const {
  return walk_ ? xmlSAX2GetLineNumber(walk_->ctxt) : line_;
}

long NSXMLParser::columnNumber() const {
  return walk_ ? xmlSAX2GetColumnNumber(walk_->ctxt) : column_;
}
