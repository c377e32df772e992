// A small, fast XML reader: one pass over a private copy of the document builds a tree of
// elements, cutting the copy into zero-terminated strings in place instead of copying names,
// texts and values.  Elements, attributes, text and CDATA sections are read; entity references
// are not decoded, closing tags are not matched against opening ones, namespaces mean nothing
// and nothing is validated.
//
// What callers rely on:
// - Every element, attribute, name, text and value points into the reader's copy: they stay
//   valid exactly as long as the QXML object lives.
// - No error is reported.  Unmatched closing tags move up one level (or are ignored at the
//   top), text outside the root element is ignored, a second top-level element is built but is
//   not reachable from the root, and a document that ends inside a tag, a comment or a CDATA
//   section keeps what was read before it.  A document without "<" has no root element.
// - An element's text has the white space around it stripped when its closing tag is read; an
//   element that holds child elements with closing tags has no text.  A CDATA section becomes
//   part of its element's text, "<" and all.
// - The reader is not shared between threads.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"

struct QXMLAttribute {
  char* name = nullptr;
  char* value = nullptr;
  QXMLAttribute* next = nullptr;  // the element's next attribute
};

struct QXMLElement {
  char* name = nullptr;
  char* text = nullptr;  // none for an element without text
  QXMLAttribute* firstAttribute = nullptr;
  QXMLElement* parent = nullptr;
  QXMLElement* firstChild = nullptr;
  QXMLElement* lastChild = nullptr;
  QXMLElement* nextSibling = nullptr;
  QXMLElement* previousSibling = nullptr;
};

class QXML : public NSObject {
  struct Passkey {};

 public:
  // The URL's content, read synchronously as UTF-8 text (a document that cannot be read is
  // empty).
  static std::shared_ptr<QXML> qxmlWithURL(std::string_view url);
  // The string's UTF-8 bytes.
  static std::shared_ptr<QXML> qxmlWithXMLString(std::string_view xml);
  // The bytes as they are.
  static std::shared_ptr<QXML> qxmlWithXMLData(std::string_view data);
  // The bundle resource named by the file name, its extension being the resource type; a
  // ".gz" resource is inflated first.  A resource that cannot be read is an empty document.
  static std::shared_ptr<QXML> qxmlWithXMLFile(std::string_view fileName);
  static std::shared_ptr<QXML> qxmlWithXMLFile(std::string_view name, std::string_view extension);

  explicit QXML(Passkey) {}
  QXML(const QXML&) = delete;
  QXML& operator=(const QXML&) = delete;

  // The first element of the document; nullptr for a document without elements.
  const QXMLElement* rootXMLElement() const { return rootXMLElement_; }

  // Names, texts and values as strings; the empty string when there is none (or for a missing
  // element or attribute), as for bytes that are not UTF-8.
  static std::string elementName(const QXMLElement* element);
  static std::string textForElement(const QXMLElement* element);
  static std::string attributeName(const QXMLAttribute* attribute);
  static std::string attributeValue(const QXMLAttribute* attribute);
  // The value of the element's first attribute whose name is the given one, byte for byte;
  // nullopt when there is none (or its value is not UTF-8).
  static std::optional<std::string> valueOfAttributeNamed(std::string_view name,
                                                          const QXMLElement* element);
  // The first child of the parent with that name.
  static const QXMLElement* childElementNamed(std::string_view name, const QXMLElement* parent);
  // The first element after the given one, along its next siblings, with that name.
  static const QXMLElement* nextSiblingNamed(std::string_view name, const QXMLElement* element);

  // The document copy the tree points into, and its length without the terminating zero.
  const char* bytes() const { return bytes_.get(); }
  size_t bytesLength() const { return bytesLength_; }

 private:
  static constexpr size_t kRecordsPerBlock = 100;
  using ElementBlock = std::array<QXMLElement, kRecordsPerBlock>;
  using AttributeBlock = std::array<QXMLAttribute, kRecordsPerBlock>;

  static std::shared_ptr<QXML> withBytes(std::string_view bytes);
  // Copies the bytes, adds the terminating zero and parses.
  void decodeData(std::string_view data);
  void decodeBytes();
  // A zeroed record from the current block; a new block when that one is used up.  The first
  // element handed out becomes the root.
  QXMLElement* nextAvailableElement();
  QXMLAttribute* nextAvailableAttribute();
  // Reads the attributes between the element's name and the end of its tag.
  void readAttributes(QXMLElement* element, char* begin, char* tagEnd);

  QXMLElement* rootXMLElement_ = nullptr;
  // Records are handed out from blocks of 100 so that a large document costs few allocations;
  // the blocks never move, so the records keep their addresses.
  std::vector<std::unique_ptr<ElementBlock>> elementBlocks_;
  std::vector<std::unique_ptr<AttributeBlock>> attributeBlocks_;
  size_t currentElement_ = kRecordsPerBlock;  // records of the last block handed out
  size_t currentAttribute_ = kRecordsPerBlock;
  std::unique_ptr<char[]> bytes_;
  size_t bytesLength_ = 0;
};
