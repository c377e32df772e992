// The XML reader: elements, attributes, text, CDATA, malformed and truncated documents, and
// documents read from strings, data, bundle files and URLs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "Common/QXML/QXML.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "support/TestHTTPServer.h"

namespace {

using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

// The tree as text: name[attr=value,...](text){children}, siblings in order; an empty text is
// left out.
std::string outline(const QXMLElement* e) {
  std::string out;
  for (; e; e = e->nextSibling) {
    out += QXML::elementName(e);
    if (e->firstAttribute) {
      out += "[";
      for (const QXMLAttribute* a = e->firstAttribute; a; a = a->next) {
        out += QXML::attributeName(a) + "=" + QXML::attributeValue(a);
        if (a->next) out += ",";
      }
      out += "]";
    }
    if (std::string text = QXML::textForElement(e); !text.empty()) out += "(" + text + ")";
    if (e->firstChild) out += "{" + outline(e->firstChild) + "}";
    if (e->nextSibling) out += " ";
  }
  return out;
}

std::string outlineOf(std::string_view xml) {
  return outline(QXML::qxmlWithXMLString(xml)->rootXMLElement());
}

TEST(QXML, ChildrenAndSiblingsAreFoundByName) {
  auto xml = QXML::qxmlWithXMLString("<root><x>1</x><y>2</y><x>3</x><y>4</y></root>");
  const QXMLElement* root = xml->rootXMLElement();
  ASSERT_TRUE(root);
  EXPECT_EQ(QXML::elementName(root), "root");
  const QXMLElement* x = QXML::childElementNamed("x", root);
  ASSERT_EQ(x, root->firstChild);
  const QXMLElement* y = QXML::nextSiblingNamed("y", x);
  ASSERT_EQ(y, x->nextSibling);
  EXPECT_EQ(QXML::textForElement(y), "2");
  EXPECT_EQ(QXML::textForElement(QXML::nextSiblingNamed("x", x)), "3");
  EXPECT_EQ(QXML::nextSiblingNamed("z", x), nullptr);
  EXPECT_EQ(QXML::childElementNamed("X", root), nullptr);
  EXPECT_EQ(y->parent, root);
  EXPECT_EQ(QXML::textForElement(root->lastChild), "4");
  EXPECT_EQ(root->lastChild->previousSibling, QXML::nextSiblingNamed("x", x));
}

TEST(QXML, DocumentsAndTheTreesTheyGive) {
  const std::pair<const char*, const char*> cases[] = {
      // Text loses the white space around it.
      {"<a>\n\t  hello world \r\n</a>", "a(hello world)"},
      // An element holding child elements has no text; a self-closing one has none either.
      {"<a>lead<b>x</b>tail</a>", "a{b(x)}"},
      {"<a>lead<b/></a>", "a(lead){b}"},
      {"<a><b/><c x='1'/><d /></a>", "a{b c[x=1] d}"},
      // CDATA joins the text, "<" and all; successive sections too.
      {"<a><![CDATA[1 < 2]]></a>", "a(1 < 2)"},
      {"<a>x <![CDATA[<b>]]> y</a>", "a(x <b> y)"},
      {"<a><![CDATA[p]]><![CDATA[q]]></a>", "a(pq)"},
      // Quotes of the other kind stand inside a value; CDATA marks leave a value.
      {R"(<a q='say "hi"' d="it's" c="x<![CDATA["q'>"]]>y"/>)",
       R"(a[q=say "hi",d=it's,c=x"q'>"y])"},
      {R"(<a  k = "v"   m="w"></a>)", "a[k=v,m=w]"},
      // Comments, declarations and processing instructions build nothing.
      {"<?xml version=\"1.0\"?><!DOCTYPE a><!-- <no/> --><a><b/><!-- c --></a>", "a{b}"},
      // Entity references stay as they are.
      {"<a>&amp;&lt;</a>", "a(&amp;&lt;)"},
      // Closing tags are not matched: an extra one moves up a level, one at the top is ignored.
      {"<a><b>1</c><d>2</d></a></a></a>", "a{b(1) d(2)}"},
      // A second top-level element is not reachable from the root.
      {"<a>1</a><b>2</b>", "a(1)"},
      {"text only, no markup", ""},
      {"", ""},
  };
  for (const auto& [xml, expected] : cases) {
    SCOPED_TRACE(xml);
    EXPECT_EQ(outlineOf(xml), expected);
  }
}

TEST(QXML, AttributesAreLookedUpByTheirExactName) {
  auto xml = QXML::qxmlWithXMLString(R"(<item id="7" idx="8" name=''/>)");
  const QXMLElement* item = xml->rootXMLElement();
  EXPECT_EQ(QXML::valueOfAttributeNamed("id", item), "7");
  EXPECT_EQ(QXML::valueOfAttributeNamed("idx", item), "8");
  EXPECT_EQ(QXML::valueOfAttributeNamed("name", item), "");
  EXPECT_EQ(QXML::valueOfAttributeNamed("ID", item), std::nullopt);
  EXPECT_EQ(QXML::valueOfAttributeNamed("i", item), std::nullopt);
}

TEST(QXML, ManyElementsAndAttributesStayReadable) {
  // 150 attributes over 3 elements need a second block of attributes; 250 elements a third
  // block of elements.
  std::string doc = "<root>";
  for (int e = 0; e < 3; ++e) {
    doc += "<e";
    for (int a = 0; a < 50; ++a) {
      doc += " a" + std::to_string(a) + "=\"" + std::to_string(e * 50 + a) + "\"";
    }
    doc += "/>";
  }
  for (int i = 0; i < 247; ++i) doc += "<n>" + std::to_string(i) + "</n>";
  doc += "</root>";
  auto xml = QXML::qxmlWithXMLString(doc);

  const QXMLElement* e = QXML::childElementNamed("e", xml->rootXMLElement());
  int expected = 0;
  for (; e; e = QXML::nextSiblingNamed("e", e)) {
    for (int a = 0; a < 50; ++a) {
      EXPECT_EQ(QXML::valueOfAttributeNamed("a" + std::to_string(a), e),
                std::to_string(expected++));
    }
  }
  EXPECT_EQ(expected, 150);
  int count = 0;
  for (const QXMLElement* n = QXML::childElementNamed("n", xml->rootXMLElement()); n;
       n = QXML::nextSiblingNamed("n", n)) {
    EXPECT_EQ(QXML::textForElement(n), std::to_string(count++));
  }
  EXPECT_EQ(count, 247);
}

TEST(QXML, ATruncatedDocumentKeepsWhatWasReadBeforeTheCut) {
  const std::string doc =
      R"(<a><b k="v">t</b><!-- note --><c><![CDATA[x<y]]></c><d q="<![CDATA[z]]>"/></a>)";
  // Cut inside the second tag, the comment, the CDATA section and the attribute's CDATA.
  const std::pair<size_t, const char*> cuts[] = {
      {doc.find("k=") + 1, "a"},
      {doc.find("note"), "a{b[k=v](t)}"},
      {doc.find("x<y"), "a{b[k=v](t) c"},
      {doc.find("z]]"), "a{b[k=v](t) c(x<y)}"},
      {doc.size() - 1, "a{b[k=v](t) c(x<y) d[q=z]}"},
      {doc.size(), "a{b[k=v](t) c(x<y) d[q=z]}"},
  };
  for (const auto& [length, expected] : cuts) {
    SCOPED_TRACE(doc.substr(0, length));
    std::string outlined = outlineOf(doc.substr(0, length));
    // The element open at the cut may keep text that was never trimmed; compare the shape.
    EXPECT_EQ(outlined.substr(0, std::string(expected).size()), expected);
  }
  // Every prefix of the document reads without leaving the buffer.
  for (size_t length = 0; length <= doc.size(); ++length) {
    auto xml = QXML::qxmlWithXMLData(std::string_view(doc).substr(0, length));
    EXPECT_EQ(xml->bytesLength(), length);
  }
}

TEST(QXML, LookupsOnNothingGiveNothing) {
  auto xml = QXML::qxmlWithXMLString("no elements here");
  EXPECT_EQ(xml->rootXMLElement(), nullptr);
  EXPECT_EQ(QXML::elementName(nullptr), "");
  EXPECT_EQ(QXML::textForElement(nullptr), "");
  EXPECT_EQ(QXML::attributeName(nullptr), "");
  EXPECT_EQ(QXML::attributeValue(nullptr), "");
  EXPECT_EQ(QXML::valueOfAttributeNamed("a", nullptr), std::nullopt);
  EXPECT_EQ(QXML::childElementNamed("a", nullptr), nullptr);
  EXPECT_EQ(QXML::nextSiblingNamed("a", nullptr), nullptr);
}

TEST(QXML, BytesThatAreNotUTF8ReadAsNothing) {
  auto xml = QXML::qxmlWithXMLData("<a v=\"\xff\">\xfe</a>");
  const QXMLElement* a = xml->rootXMLElement();
  ASSERT_TRUE(a);
  EXPECT_EQ(QXML::elementName(a), "a");
  EXPECT_EQ(QXML::textForElement(a), "");
  EXPECT_EQ(QXML::valueOfAttributeNamed("v", a), std::nullopt);
  // A zero byte ends the text it falls in, not the document.
  auto zero = QXML::qxmlWithXMLData(std::string_view("<a>x\0y</a><b/>", 14));
  EXPECT_EQ(QXML::textForElement(zero->rootXMLElement()), "x");
}

// Bundle files of a bundle folder of the test's own.
class QXMLFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bundle_ = NSHomeDirectory() + "/bundle";
    std::filesystem::create_directories(bundle_);
    // Read when the bundle is first asked for, which happens in these tests only.
    setenv("ZEPT_RESOURCES", bundle_.c_str(), 1);
  }
  std::string bundle_;
};

TEST_F(QXMLFileTest, ABundleFileIsReadAndAGzFileInflated) {
  ASSERT_TRUE(writeToFile(bundle_ + "/feed.xml", "<feed><t>plain</t></feed>", true));
  ASSERT_TRUE(writeToFile(bundle_ + "/packed.gz",
                          testsupport::gzipBytes("<feed><t>packed</t></feed>"), true));
  EXPECT_EQ(outline(QXML::qxmlWithXMLFile("feed.xml")->rootXMLElement()), "feed{t(plain)}");
  EXPECT_EQ(outline(QXML::qxmlWithXMLFile("feed", "xml")->rootXMLElement()), "feed{t(plain)}");
  EXPECT_EQ(outline(QXML::qxmlWithXMLFile("packed.gz")->rootXMLElement()), "feed{t(packed)}");
  EXPECT_EQ(QXML::qxmlWithXMLFile("missing.xml")->rootXMLElement(), nullptr);
}

TEST(QXMLURL, AURLIsReadAsUTF8Text) {
  TestHTTPServer server;
  server.on("/feed", TestHTTPReply::text("<feed><t>网</t></feed>", 200, "text/xml"));
  EXPECT_EQ(outline(QXML::qxmlWithURL(server.url("/feed"))->rootXMLElement()), "feed{t(网)}");
  EXPECT_EQ(QXML::qxmlWithURL("not a url")->rootXMLElement(), nullptr);
  std::string gone = server.url("/feed");
  server.stop();
  EXPECT_EQ(QXML::qxmlWithURL(gone)->rootXMLElement(), nullptr);
}

}  // namespace
