#include "Common/QXML/QXML.h"

#include <cctype>
#include <cstring>

#include "CFNetwork/NSString+ContentsOfURL.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "uilib/core/NSData+ULCategory.h"

namespace {

constexpr std::string_view kCommentStart = "<!--";
constexpr std::string_view kCommentEnd = "-->";
constexpr std::string_view kCDATAStart = "<![CDATA[";
constexpr std::string_view kCDATAEnd = "]]>";
// What a CDATA section loses when its content joins the text around it.
constexpr size_t kCDATAMarks = kCDATAStart.size() + kCDATAEnd.size();

// Every search below stays inside [from, end): the document may end anywhere.

bool startsWith(const char* p, const char* end, std::string_view s) {
  return p <= end && size_t(end - p) >= s.size() && std::memcmp(p, s.data(), s.size()) == 0;
}

char* findChar(char* from, char* end, char c) {
  if (from >= end) return nullptr;
  return static_cast<char*>(std::memchr(from, c, size_t(end - from)));
}

char* find(char* from, char* end, std::string_view s) {
  if (from >= end) return nullptr;
  size_t at = std::string_view(from, size_t(end - from)).find(s);
  return at == std::string_view::npos ? nullptr : from + at;
}

bool isSpace(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// The end of the CDATA section that starts at p; nullptr when it has none.
char* cdataSectionEnd(char* p, char* end) {
  return find(p + kCDATAStart.size(), end, kCDATAEnd);
}

// The next "<" from `from` on that does not begin a CDATA section, such sections being skipped
// whole.  nullptr when there is none; *truncated when a section has no end.
char* nextTagStart(char* from, char* end, bool* truncated) {
  for (char* p = findChar(from, end, '<'); p; p = findChar(p + 1, end, '<')) {
    if (!startsWith(p, end, kCDATAStart)) return p;
    char* sectionEnd = cdataSectionEnd(p, end);
    if (!sectionEnd) {
      *truncated = true;
      return nullptr;
    }
    p = sectionEnd + kCDATAEnd.size() - 1;
  }
  return nullptr;
}

// The end of the tag that starts at tagStart: the first "<" or ">" after it that does not
// begin a CDATA section; nullptr when the document ends first.
char* findTagEnd(char* tagStart, char* end) {
  for (char* p = tagStart + 1; p < end; ++p) {
    if (*p == '>') return p;
    if (*p != '<') continue;
    if (!startsWith(p, end, kCDATAStart)) return p;
    char* sectionEnd = cdataSectionEnd(p, end);
    if (!sectionEnd) return nullptr;
    p = sectionEnd + kCDATAEnd.size() - 1;
  }
  return nullptr;
}

// Strips white space from both ends of a zero-terminated text in place.
void trim(char*& text) {
  if (!text) return;
  while (isSpace(*text)) ++text;
  size_t length = std::strlen(text);
  while (length > 0 && isSpace(text[length - 1])) text[--length] = '\0';
}

// Removes the CDATA marks from a zero-terminated attribute value, keeping their content.
void removeCDATAMarks(char* value) {
  for (char* at = std::strstr(value, kCDATAStart.data()); at;
       at = std::strstr(at, kCDATAStart.data())) {
    char* rest = at + kCDATAStart.size();
    std::memmove(at, rest, std::strlen(rest) + 1);
    char* close = std::strstr(at, kCDATAEnd.data());
    if (!close) break;
    rest = close + kCDATAEnd.size();
    std::memmove(close, rest, std::strlen(rest) + 1);
    at = close;
  }
}

std::string utf8Text(const char* text) {
  if (!text) return std::string();
  std::string_view bytes(text);
  return isValidUTF8(bytes) ? std::string(bytes) : std::string();
}

bool named(const char* name, std::string_view wanted) {
  if (!name) return false;
  return std::string_view(name) == wanted;
}

}  // namespace

// ---- Creation ----

std::shared_ptr<QXML> QXML::withBytes(std::string_view bytes) {
  auto reader = std::make_shared<QXML>(Passkey{});
  reader->decodeData(bytes);
  return reader;
}

std::shared_ptr<QXML> QXML::qxmlWithURL(std::string_view url) {
  std::string text;
  if (auto address = NSURL::URLWithString(url)) {
    text = stringWithContentsOfURL(*address).value_or(std::string());
  }
  return withBytes(text);
}

std::shared_ptr<QXML> QXML::qxmlWithXMLString(std::string_view xml) {
  return withBytes(xml);
}

std::shared_ptr<QXML> QXML::qxmlWithXMLData(std::string_view data) {
  return withBytes(data);
}

std::shared_ptr<QXML> QXML::qxmlWithXMLFile(std::string_view fileName) {
  return qxmlWithXMLFile(stringByDeletingPathExtension(fileName), pathExtension(fileName));
}

std::shared_ptr<QXML> QXML::qxmlWithXMLFile(std::string_view name, std::string_view extension) {
  std::string path = NSBundle::mainBundle()->pathForResource(name, extension);
  std::string data;
  if (!path.empty()) data = dataWithUncompressedContentsOfFile(path).value_or(std::string());
  return withBytes(data);
}

void QXML::decodeData(std::string_view data) {
  bytesLength_ = data.size();
  bytes_ = std::make_unique<char[]>(bytesLength_ + 1);
  if (!data.empty()) std::memcpy(bytes_.get(), data.data(), data.size());
  decodeBytes();
}

QXMLElement* QXML::nextAvailableElement() {
  if (currentElement_ == kRecordsPerBlock) {
    elementBlocks_.push_back(std::make_unique<ElementBlock>());
    currentElement_ = 0;
  }
  QXMLElement* element = &(*elementBlocks_.back())[currentElement_++];
  if (!rootXMLElement_) rootXMLElement_ = element;
  return element;
}

QXMLAttribute* QXML::nextAvailableAttribute() {
  if (currentAttribute_ == kRecordsPerBlock) {
    attributeBlocks_.push_back(std::make_unique<AttributeBlock>());
    currentAttribute_ = 0;
  }
  return &(*attributeBlocks_.back())[currentAttribute_++];
}

// ---- The parse ----

void QXML::decodeBytes() {
  char* const end = bytes_.get() + bytesLength_;
  QXMLElement* currentParent = nullptr;
  char* tagStart = findChar(bytes_.get(), end, '<');
  while (tagStart) {
    if (startsWith(tagStart, end, kCommentStart)) {
      char* commentEnd = find(tagStart + kCommentStart.size(), end, kCommentEnd);
      if (!commentEnd) return;
      tagStart = findChar(commentEnd + kCommentEnd.size(), end, '<');
      continue;
    }

    if (startsWith(tagStart, end, kCDATAStart)) {
      // The section's content joins the text around it: it moves left over the opening mark,
      // the text up to the next tag follows it, and blanks fill the room the marks took.
      char* sectionEnd = cdataSectionEnd(tagStart, end);
      if (!sectionEnd) return;
      bool truncated = false;
      char* nextTag = nextTagStart(sectionEnd + kCDATAEnd.size(), end, &truncated);
      if (truncated) return;
      if (!nextTag) nextTag = end;
      char* content = tagStart + kCDATAStart.size();
      const size_t contentLength = size_t(sectionEnd - content);
      std::memmove(tagStart, content, contentLength);
      char* after = sectionEnd + kCDATAEnd.size();
      std::memmove(tagStart + contentLength, after, size_t(nextTag - after));
      std::memset(nextTag - kCDATAMarks, ' ', kCDATAMarks);
      // A "<" in the content is text, not a tag.
      tagStart = findChar(tagStart + contentLength, end, '<');
      continue;
    }

    char* tagEnd = findTagEnd(tagStart, end);
    if (!tagEnd) return;
    // Read before any zero byte is written into the tag: "<a/>" ends its own name with the
    // slash that also closes it.
    const bool selfClosing = tagEnd[-1] == '/';
    *tagStart = '\0';
    *tagEnd = '\0';
    const char kind = tagStart[1];

    if (kind == '!' || kind == '?') {
      // A declaration or a processing instruction: nothing to build.
    } else if (kind == '/') {
      if (currentParent) {
        trim(currentParent->text);
        currentParent = currentParent->parent;
        // An element that holds child elements has no text of its own.
        if (currentParent && currentParent->firstChild) currentParent->text = nullptr;
      }
    } else {
      QXMLElement* element = nextAvailableElement();
      element->name = tagStart + 1;
      if (currentParent) {
        element->parent = currentParent;
        if (currentParent->lastChild) {
          currentParent->lastChild->nextSibling = element;
          element->previousSibling = currentParent->lastChild;
        } else {
          currentParent->firstChild = element;
        }
        currentParent->lastChild = element;
      }
      for (char* p = element->name; p < tagEnd; ++p) {
        if (*p == ' ' || *p == '/') {
          *p = '\0';
          readAttributes(element, p + 1, tagEnd);
          break;
        }
      }
      if (!selfClosing) {
        if (tagEnd[1] != '>') element->text = tagEnd + 1;
        currentParent = element;
      }
    }
    tagStart = findChar(tagEnd + 1, end, '<');
  }
}

void QXML::readAttributes(QXMLElement* element, char* p, char* tagEnd) {
  enum class State { BeforeName, InName, BeforeValue, InValue, InCDATA };
  State state = State::BeforeName;
  char* name = nullptr;
  char* value = nullptr;
  char quote = 0;
  QXMLAttribute* previous = nullptr;
  for (; p < tagEnd; ++p) {
    switch (state) {
      case State::BeforeName:
        if (!isSpace(*p)) {
          name = p;
          state = State::InName;
        }
        break;
      case State::InName:
        if (isSpace(*p) || *p == '=') {
          *p = '\0';
          state = State::BeforeValue;
        }
        break;
      case State::BeforeValue:
        if (*p == '"' || *p == '\'') {
          quote = *p;
          value = p + 1;
          state = State::InValue;
        }
        break;
      case State::InValue:
        if (*p == '<' && startsWith(p, tagEnd, kCDATAStart)) {
          p += kCDATAStart.size() - 1;
          state = State::InCDATA;
        } else if (*p == quote) {
          *p = '\0';
          removeCDATAMarks(value);
          QXMLAttribute* attribute = nextAvailableAttribute();
          attribute->name = name;
          attribute->value = value;
          if (!element->firstAttribute) element->firstAttribute = attribute;
          if (previous) previous->next = attribute;
          previous = attribute;
          state = State::BeforeName;
        }
        break;
      case State::InCDATA:
        if (startsWith(p, tagEnd, kCDATAEnd)) {
          p += kCDATAEnd.size() - 1;
          state = State::InValue;
        }
        break;
    }
  }
  // An attribute still open at the end of the tag is dropped.
}

// ---- Reading ----

std::string QXML::elementName(const QXMLElement* element) {
  return element ? utf8Text(element->name) : std::string();
}

std::string QXML::textForElement(const QXMLElement* element) {
  return element ? utf8Text(element->text) : std::string();
}

std::string QXML::attributeName(const QXMLAttribute* attribute) {
  return attribute ? utf8Text(attribute->name) : std::string();
}

std::string QXML::attributeValue(const QXMLAttribute* attribute) {
  return attribute ? utf8Text(attribute->value) : std::string();
}

std::optional<std::string> QXML::valueOfAttributeNamed(std::string_view name,
                                                       const QXMLElement* element) {
  if (!element) return std::nullopt;
  for (const QXMLAttribute* a = element->firstAttribute; a; a = a->next) {
    if (!named(a->name, name)) continue;
    std::string_view value(a->value ? a->value : "");
    if (!isValidUTF8(value)) return std::nullopt;
    return std::string(value);
  }
  return std::nullopt;
}

const QXMLElement* QXML::childElementNamed(std::string_view name, const QXMLElement* parent) {
  if (!parent) return nullptr;
  for (const QXMLElement* child = parent->firstChild; child; child = child->nextSibling) {
    if (named(child->name, name)) return child;
  }
  return nullptr;
}

const QXMLElement* QXML::nextSiblingNamed(std::string_view name, const QXMLElement* element) {
  if (!element) return nullptr;
  for (const QXMLElement* sibling = element->nextSibling; sibling; sibling = sibling->nextSibling) {
    if (named(sibling->name, name)) return sibling;
  }
  return nullptr;
}
