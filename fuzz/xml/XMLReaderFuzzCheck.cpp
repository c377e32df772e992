#include "xml/XMLReaderFuzzCheck.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "Common/QXML/QXML.h"
#include "Foundation/NSString.h"

namespace {

// A zero-terminated text of the reader must start inside its copy of the document and end
// there too.
bool insideBuffer(const QXML& xml, const char* text) {
  const char* begin = xml.bytes();
  const char* end = begin + xml.bytesLength();
  if (text < begin || text > end) return false;
  const void* zero = std::memchr(text, '\0', size_t(end - text) + 1);
  return zero != nullptr;
}

std::string checkElement(const QXML& xml, const QXMLElement* e, size_t* attributes) {
  if (!e->name || !insideBuffer(xml, e->name)) return "element name outside the document";
  if (e->text && !insideBuffer(xml, e->text)) return "element text outside the document";
  if (!isValidUTF8(QXML::elementName(e)) || !isValidUTF8(QXML::textForElement(e)))
    return "a text read back is not UTF-8";
  if (!e->firstChild != !e->lastChild) return "first and last child disagree";

  const QXMLElement* previous = nullptr;
  for (const QXMLElement* child = e->firstChild; child; child = child->nextSibling) {
    if (child->parent != e) return "a child names another parent";
    if (child->previousSibling != previous) return "a child's previous sibling is wrong";
    previous = child;
  }
  if (previous != e->lastChild) return "the last child is not the end of the child list";

  for (const QXMLAttribute* a = e->firstAttribute; a; a = a->next) {
    if (++*attributes > xml.bytesLength()) return "more attributes than bytes";
    if (!a->name || !insideBuffer(xml, a->name)) return "attribute name outside the document";
    if (!a->value || !insideBuffer(xml, a->value)) return "attribute value outside the document";
    // The lookup by name finds the first attribute of that name.
    std::string_view name(a->name);
    const QXMLAttribute* first = e->firstAttribute;
    while (std::string_view(first->name) != name) first = first->next;
    auto found = QXML::valueOfAttributeNamed(name, e);
    if (isValidUTF8(first->value)) {
      if (found != std::string(first->value)) return "attribute lookup finds another value";
    } else if (found) {
      return "attribute lookup gives text that is not UTF-8";
    }
  }
  if (e->firstChild) {
    const QXMLElement* byName = QXML::childElementNamed(e->firstChild->name, e);
    if (byName != e->firstChild) return "child lookup misses the first child";
  }
  return {};
}

}  // namespace

std::string xmlReaderFuzzCheck(const uint8_t* data, size_t size) {
  std::string_view document(reinterpret_cast<const char*>(data), size);
  auto xml = QXML::qxmlWithXMLData(document);
  if (xml->bytesLength() != size) return "the copy has another length";
  if (std::memcmp(xml->bytes() + size, "", 1) != 0) return "the copy is not zero-terminated";

  // Every element reachable from the root, without recursion: documents nest without limit.
  size_t elements = 0;
  size_t attributes = 0;
  std::vector<const QXMLElement*> pending;
  if (xml->rootXMLElement()) pending.push_back(xml->rootXMLElement());
  if (xml->rootXMLElement() && xml->rootXMLElement()->parent) return "the root has a parent";
  while (!pending.empty()) {
    const QXMLElement* e = pending.back();
    pending.pop_back();
    // Every element is opened by a "<" of its own.
    if (++elements > size) return "more elements than bytes";
    std::string fault = checkElement(*xml, e, &attributes);
    if (!fault.empty()) return fault;
    for (const QXMLElement* child = e->firstChild; child; child = child->nextSibling) {
      pending.push_back(child);
    }
  }
  if (elements > 0 && document.find('<') == std::string_view::npos)
    return "elements without a \"<\"";

  // The same bytes read again give the same tree.
  auto again = QXML::qxmlWithXMLData(document);
  const QXMLElement* a = xml->rootXMLElement();
  const QXMLElement* b = again->rootXMLElement();
  while (a && b) {
    if (QXML::elementName(a) != QXML::elementName(b) ||
        QXML::textForElement(a) != QXML::textForElement(b))
      return "a second reading differs";
    a = a->firstChild ? a->firstChild : a->nextSibling;
    b = b->firstChild ? b->firstChild : b->nextSibling;
  }
  if (a || b) return "a second reading has another shape";
  return {};
}
