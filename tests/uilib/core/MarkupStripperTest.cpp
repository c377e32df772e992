// Markup to plain text through the XML reader, with the Latin-1 entity table.
#include <gtest/gtest.h>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "server/ContentServer.h"
#include "uilib/core/NSString+ULAdditions.h"
#include "uilib/core/ULEntityTables.h"
#include "uilib/core/ULMarkupStripper.h"

TEST(ULEntityTables, TheLatin1TableHasItsHundredNames) {
  auto tables = ULEntityTables::sharedInstance();
  EXPECT_EQ(tables, ULEntityTables::sharedInstance());
  const auto& t = tables->iso88591();
  EXPECT_EQ(t.size(), 100u);
  const std::pair<const char*, const char*> entries[] = {
      {"quot", "\""},      {"apos", "'"},          {"amp", "&"},          {"lt", "<"},
      {"gt", ">"},         {"nbsp", " "},          {"iexcl", "\xc2\xa1"}, {"copy", "\xc2\xa9"},
      {"reg", "\xc2\xae"}, {"eacute", "\xc3\xa9"}, {"yuml", "\xc3\xbf"},
  };
  for (auto& [name, bytes] : entries) EXPECT_EQ(t.at(name), bytes) << name;
  EXPECT_EQ(t.count("shy"), 0u);
  ULEntityTables::releaseSharedInstance();
  EXPECT_NE(ULEntityTables::sharedInstance(), nullptr);
}

TEST(ULMarkupStripper, KeepsOnlyTheText) {
  const std::pair<const char*, const char*> cases[] = {
      {"<p><b>Hi</b></p>", "Hi"},
      {"a &amp; b", "a & b"},
      {"caf&eacute; &copy;&nbsp;2013", "caf\xc3\xa9 \xc2\xa9 2013"},
      {"x &nosuch; y", "x  y"},
      {"<p>before <b>unclosed</p> after", "before unclosed"},
      {"plain", "plain"},
      {"", ""},
      {"<a href=\"http://z\">link</a> and <br/>more", "link and more"},
      {"\xe4\xb8\xad<i>\xe6\x96\x87</i>", "\xe4\xb8\xad\xe6\x96\x87"},
  };
  for (auto& [markup, text] : cases) EXPECT_EQ(stringByRemovingHTMLTags(markup), text) << markup;
  // One stripper may be used again.
  auto stripper = std::make_shared<ULMarkupStripper>();
  EXPECT_EQ(stripper->parse("<b>one</b>"), "one");
  EXPECT_EQ(stripper->parse("two"), "two");
}

TEST(ULMarkupStripper, ASystemEntityYieldsNothingAndFetchesNothing) {
  std::string secret = NSTemporaryDirectory() + "passwords";
  ASSERT_TRUE(writeToFile(secret, "hunter2", true));
  zept::server::ContentServer server;
  server.start();
  const std::string markups[] = {
      "<!DOCTYPE x [<!ENTITY s SYSTEM \"file://" + secret + "\">]>a&s;b",
      "<!DOCTYPE x [<!ENTITY s SYSTEM \"" + server.url("/img/sample/cat.png") + "\">]>a&s;b",
  };
  for (auto& markup : markups) {
    std::string text = stringByRemovingHTMLTags(markup);
    EXPECT_EQ(text.find("hunter2"), std::string::npos) << markup;
    EXPECT_EQ(text.find("PNG"), std::string::npos) << markup;
  }
  EXPECT_TRUE(server.requests().empty());
}
