// The event-driven XML reader: events in document order, entities through the delegate, the
// walk ending at the first fault, and nothing ever loaded from outside the bytes given.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSXMLParser.h"
#include "support/TestHTTPServer.h"

namespace {

// Writes every event as a line.
struct Recorder : NSXMLParserDelegate {
  std::vector<std::string> events;
  std::vector<std::pair<std::string, std::string>> entitiesAsked;
  std::map<std::string, std::string> entities;  // what the delegate answers
  NSErrorPtr error;
  std::string abortAfterElement;

  void parserDidStartDocument(NSXMLParser&) override { events.push_back("start document"); }
  void parserDidEndDocument(NSXMLParser&) override { events.push_back("end document"); }
  void parserDidStartElement(NSXMLParser&, const std::string& name, const std::string&,
                             const std::string&, const ValueDictionary& attributes) override {
    std::string line = "<" + name;
    attributes->enumerate([&](const std::string& k, const Value& v) {
      line += " " + k + "=" + std::string(v.string());
    });
    events.push_back(line + ">");
  }
  void parserDidEndElement(NSXMLParser& parser, const std::string& name, const std::string&,
                           const std::string&) override {
    events.push_back("</" + name + ">");
    if (name == abortAfterElement) parser.abortParsing();
  }
  void parserFoundCharacters(NSXMLParser&, const std::string& text) override {
    // Pieces of one run are joined, as a reader of the text would.
    if (!events.empty() && events.back().rfind("text ", 0) == 0)
      events.back() += text;
    else
      events.push_back("text " + text);
  }
  void parserFoundCDATA(NSXMLParser&, const std::string& data) override {
    events.push_back("cdata " + data);
  }
  std::optional<std::string> parserResolveExternalEntityName(NSXMLParser&, const std::string& name,
                                                             const std::string& systemID) override {
    entitiesAsked.emplace_back(name, systemID);
    auto it = entities.find(name);
    if (it == entities.end()) return std::nullopt;
    return it->second;
  }
  void parserParseErrorOccurred(NSXMLParser&, const NSErrorPtr& e) override {
    events.push_back("error");
    error = e;
  }
};

struct Walk {
  bool ok;
  std::shared_ptr<Recorder> recorder;
};

Walk walk(const std::string& document, std::map<std::string, std::string> entities = {}) {
  auto recorder = std::make_shared<Recorder>();
  recorder->entities = std::move(entities);
  NSXMLParser parser(document);
  parser.setDelegate(recorder);
  bool ok = parser.parse();
  return {ok, recorder};
}

using Events = std::vector<std::string>;

}  // namespace

TEST(NSXMLParser, TellsElementsAttributesAndTextInDocumentOrder) {
  auto w = walk("<?xml version=\"1.0\"?><a x=\"1\" y=\"two\">Hi <b>there</b><![CDATA[<raw>]]></a>");
  EXPECT_TRUE(w.ok);
  EXPECT_EQ(w.recorder->events,
            (Events{"start document", "<a x=1 y=two>", "text Hi ", "<b>", "text there", "</b>",
                    "cdata <raw>", "</a>", "end document"}));
}

TEST(NSXMLParser, EntitiesComeFromTheParserTheDocumentOrTheDelegate) {
  // The five XML entities need nobody; "nbsp" is the delegate's to answer, and an entity it
  // does not answer stands for nothing while the walk goes on.
  auto w = walk("<a>1 &amp; 2&lt;3&nbsp;x&unknown;y</a>", {{"nbsp", " "}});
  EXPECT_TRUE(w.ok);
  EXPECT_EQ(w.recorder->events[2], "text 1 & 2<3 xy");
  EXPECT_EQ(w.recorder->entitiesAsked,
            (std::vector<std::pair<std::string, std::string>>{{"nbsp", ""}, {"unknown", ""}}));

  // An internal entity of the document's own DTD is its text.
  auto declared = walk("<!DOCTYPE a [<!ENTITY me \"zept\">]><a>by &me;</a>");
  EXPECT_TRUE(declared.ok);
  EXPECT_EQ(declared.recorder->events[2], "text by zept");
  EXPECT_TRUE(declared.recorder->entitiesAsked.empty());
}

TEST(NSXMLParser, ExternalEntitiesAreNeverLoaded) {
  std::string secretPath = NSTemporaryDirectory() + "secret.txt";
  ASSERT_TRUE(writeToFile(secretPath, "top secret", true));
  testsupport::TestHTTPServer server;
  server.on("/dtd", testsupport::TestHTTPReply::text("<!ENTITY leak \"from the server\">"));
  server.on("/text", testsupport::TestHTTPReply::text("from the server"));

  const std::string documents[] = {
      // A general entity naming a file and one naming a URL.
      "<!DOCTYPE a [<!ENTITY f SYSTEM \"file://" + secretPath + "\">]><a>[&f;]</a>",
      "<!DOCTYPE a [<!ENTITY f SYSTEM \"" + secretPath + "\">]><a>[&f;]</a>",
      "<!DOCTYPE a [<!ENTITY u SYSTEM \"" + server.url("/text") + "\">]><a>[&u;]</a>",
      // A parameter entity, and an external DTD.
      "<!DOCTYPE a [<!ENTITY % p SYSTEM \"" + server.url("/dtd") + "\"> %p;]><a>[&leak;]</a>",
      "<!DOCTYPE a SYSTEM \"" + server.url("/dtd") + "\"><a>[&leak;]</a>",
  };
  for (const std::string& document : documents) {
    auto w = walk(document);
    std::string text;
    for (auto& e : w.recorder->events)
      if (e.rfind("text ", 0) == 0) text += e.substr(5);
    EXPECT_EQ(text.find("secret"), std::string::npos) << document;
    EXPECT_EQ(text.find("server"), std::string::npos) << document;
  }
  // The delegate hears the entity's name and system identifier, and may answer it itself.
  auto asked = walk("<!DOCTYPE a [<!ENTITY f SYSTEM \"" + secretPath + "\">]><a>&f;</a>",
                    {{"f", "answered"}});
  EXPECT_EQ(asked.recorder->entitiesAsked.at(0),
            (std::pair<std::string, std::string>{"f", secretPath}));
  EXPECT_EQ(asked.recorder->events[2], "text answered");
  EXPECT_EQ(server.requestCount(), 0u);
}

TEST(NSXMLParser, TheFirstFaultEndsTheWalkAfterWhatCameBefore) {
  auto w = walk("<a>kept<b>also kept</a>never");
  EXPECT_FALSE(w.ok);
  ASSERT_TRUE(w.recorder->error);
  EXPECT_EQ(w.recorder->error->domain(), NSXMLParserErrorDomain);
  EXPECT_EQ(w.recorder->events,
            (Events{"start document", "<a>", "text kept", "<b>", "text also kept", "error"}));

  for (const char* bad : {"", "plain text", "<a>", "<a></b>", "<a x=1/>", "<a>&#0;</a>"}) {
    auto each = walk(bad);
    EXPECT_FALSE(each.ok) << bad;
    EXPECT_TRUE(each.recorder->error) << bad;
  }
}

TEST(NSXMLParser, TheDelegateMayAbortAndAParserWalksOnce) {
  auto recorder = std::make_shared<Recorder>();
  recorder->abortAfterElement = "b";
  NSXMLParser parser("<a><b/><c/></a>");
  parser.setDelegate(recorder);
  EXPECT_FALSE(parser.parse());
  EXPECT_EQ(parser.parserError()->code(), NSXMLParserDelegateAbortedParseError);
  EXPECT_EQ(recorder->events, (Events{"start document", "<a>", "<b>", "</b>"}));
  EXPECT_FALSE(parser.parse());
}
