// The inline-picture label: how it cuts a text into runs, breaks and picture tags, and where it
// draws each piece (fixed text metrics, a recording context), with one real render to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "CoreGraphics/CGContext.h"
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIScreenCapture.h"
#include "UIKit/UIWindow.h"
#include "support/ui/GoldenImage.h"
#include "ui/widgets/UIImageLabel.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

struct Token {
  std::string text;
  int type;
  int subType = 0;
  std::string src = "", alt = "";
  bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Token& t) {
  return os << "(\"" << t.text << "\", " << t.type << ", " << t.subType << ", \"" << t.src
            << "\", \"" << t.alt << "\")";
}

std::vector<Token> tokens(const std::string& text) {
  auto label = UIImageLabel::initWithFrame(CGRectMake(0, 0, 100, 100));
  label->setText(text);
  label->parseText();
  std::vector<Token> out;
  int index = 0;
  for (auto& item : label->mutiTextArr()) {
    EXPECT_EQ(item->index(), index++);
    out.push_back({item->text(), item->type(), item->type() == 4 ? item->subType() : 0, item->src(),
                   item->alt()});
  }
  return out;
}

const std::string kMark = "<img alt=\"img\" src=\"topicImg\">";

TEST(ImageLabelTokens, TextsCutIntoRunsBreaksAndPictureTags) {
  const std::string tag = "<img src=\"topicImg\">";
  const std::string remote = "<img alt=\"a\" src=\"http://h.example/p.png\">";
  struct Case {
    std::string text;
    std::vector<Token> expected;
  } cases[] = {
      {"", {}},
      {"plain", {{"plain", 0}}},
      {"a\r\nb", {{"a", 3}, {"b", 0}}},
      {"a\rb\nc", {{"a", 1}, {"b", 2}, {"c", 0}}},
      {"a\n\n", {{"a", 2}, {"", 2}}},
      {"a\r", {{"a", 1}}},
      {"\r\r\n", {{"", 1}, {"", 3}}},
      {"x " + tag + " y", {{"x ", 0}, {tag, 4, 5, "topicImg", ""}, {" y", 0}}},
      {kMark + "话题" + kMark,
       {{"", 0}, {kMark, 4, 5, "topicImg", "img"}, {"话题", 0}, {kMark, 4, 5, "topicImg", "img"}}},
      {remote, {{"", 0}, {remote, 4, 6, "http://h.example/p.png", "a"}}},
      // No src attribute: a remote picture with no source.
      {"<img alt=\"x\">", {{"", 0}, {"<img alt=\"x\">", 4, 6, "", "x"}}},
      // A value with no closing quote runs to the end of the tag.
      {"<img src=\"face>", {{"", 0}, {"<img src=\"face>", 4, 5, "face>", ""}}},
      // "<img" without a later ">" is plain text to the end.
      {"a<imgb", {{"a<imgb", 0}}},
      {"a\n<img", {{"a", 2}, {"<img", 0}}},
      {"中\r\n文" + tag, {{"中", 3}, {"文", 0}, {tag, 4, 5, "topicImg", ""}}},
  };
  for (auto& c : cases) EXPECT_EQ(tokens(c.text), c.expected) << c.text;
}

TEST(ImageLabelTokens, MarkersAreFoundInCharactersOfTheText) {
  auto label = UIImageLabel::initWithFrame(CGRectMake(0, 0, 100, 100));
  label->setText("中\r\n文<img>😀\r");
  label->parseText();
  EXPECT_EQ(label->length(), 12);  // the emoji is two units
  auto first = label->searchStrByIndex(0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->position, 1u);
  EXPECT_EQ(first->kind, 3);
  auto second = label->searchStrByIndex(2);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->position, 2u);
  EXPECT_EQ(second->kind, 2);
  EXPECT_EQ(label->searchStrByIndex(3)->kind, 4);
  EXPECT_EQ(label->searchStrByIndex(3)->position, 4u);
  EXPECT_EQ(label->searchStrByIndex(5)->position, 11u);
  EXPECT_EQ(label->searchStrByIndex(5)->kind, 1);
  EXPECT_FALSE(label->searchStrByIndex(12));
  EXPECT_EQ(label->searchStr(">", 0), std::optional<size_t>(8));
  EXPECT_FALSE(label->searchStr("", 0));
  EXPECT_FALSE(label->searchStr("<a", 0));
  EXPECT_FALSE(label->searchStr(">", 9));
}

// Fixed metrics: the 15-point font has lines of 18, Latin characters 7.5 wide, CJK 15.
class ImageLabelDrawing : public ::testing::Test {
 protected:
  void SetUp() override { TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>()); }
  void TearDown() override { TextMeasurer::setCurrent(nullptr); }

  // What the label draws, one record a line: pictures by name, texts with their box.
  std::vector<std::string> draw(CGFloat width, const std::string& text, CGFloat height = 100) {
    auto label = UIImageLabel::initWithFrame(CGRectMake(0, 0, width, height));
    label->setMyFont(UIFont::systemFontOfSize(15));
    EXPECT_EQ(label->imgWH(), 18);
    label->setText(text);
    auto ctx = CGContext::createRecording(CGSizeMake(width, height));
    UIGraphicsPushContext(ctx);
    label->drawRect(label->bounds());
    UIGraphicsPopContext();
    std::vector<std::string> out;
    for (auto& r : ctx->records()) {
      char box[64];
      snprintf(box, sizeof box, "(%g %g; %g %g)", r.rect.origin.x, r.rect.origin.y,
               r.rect.size.width, r.rect.size.height);
      if (r.op == "drawImage")
        out.push_back(std::string("image ") + box);
      else if (r.op == "drawText")
        out.push_back("text " + r.detail.substr(0, r.detail.find('"', 1) + 1) + " " + box);
    }
    return out;
  }
};

TEST_F(ImageLabelDrawing, PicturesAndRunsFollowEachOtherOnTheLine) {
  const std::string tag = "<img src=\"topicImg\">";
  const std::string remote = "<img src=\"http://h.example/t.png\">";
  struct Case {
    const char* what;
    CGFloat width;
    std::string text;
    std::vector<std::string> drawn;
  } cases[] = {
      {"a topic title on one line",
       100,
       kMark + " 话题 " + kMark,
       {"image (0 0; 18 18)", "text \" 话题 \" (18 0; 82 18)", "image (63 0; 18 18)"}},
      {"a picture that would pass the right edge moves down first",
       80,
       kMark + " 话题 " + kMark,
       {"image (0 0; 18 18)", "text \" 话题 \" (18 0; 62 18)", "image (0 18; 18 18)"}},
      {"a remote picture keeps its square empty",
       100,
       "a" + remote + "b",
       {"text \"a\" (0 0; 100 18)", "text \"b\" (26 0; 74 18)"}},
      {"a run that does not fit the rest of the line is split where it stops fitting",
       60,
       "ab" + tag + "cdefghij",
       {"text \"ab\" (0 0; 60 18)", "image (15 0; 18 18)", "text \"cde\" (33 0; 27 18)",
        "text \"fghij\" (0 18; 60 18)"}},
      {"fewer than two characters fit: the run starts on the next line",
       60,
       "abcd" + tag + "efgh",
       {"text \"abcd\" (0 0; 60 18)", "image (30 0; 18 18)", "text \"efgh\" (0 18; 60 18)"}},
      {"a piece ending within half a line of the edge sends the next one down",
       60,
       "abcdefg" + tag,
       {"text \"abcdefg\" (0 0; 60 18)", "image (0 18; 18 18)"}},
      {"a long run fills whole lines",
       60,
       "abcdefghijklmnopqrst",
       {"text \"abcdefgh\" (0 0; 60 18)", "text \"ijklmnop\" (0 18; 60 18)",
        "text \"qrst\" (0 36; 60 18)"}},
      {"line breaks start new lines, an empty line included",
       100,
       "ab\r\ncd\n\nef" + tag,
       {"text \"ab\" (0 0; 100 18)", "text \"cd\" (0 18; 100 18)", "text \"ef\" (0 54; 100 18)",
        "image (15 54; 18 18)"}},
  };
  for (auto& c : cases) EXPECT_EQ(draw(c.width, c.text), c.drawn) << c.what;
}

TEST_F(ImageLabelDrawing, AFontSetWithoutSetMyFontKeepsTheOldLineHeight) {
  auto label = UIImageLabel::initWithFrame(CGRectMake(0, 0, 100, 40));
  EXPECT_EQ(label->imgWH(), 21);  // 17 points
  label->setFont(UIFont::systemFontOfSize(15));
  EXPECT_EQ(label->imgWH(), 21);
  label->setMyFont(UIFont::systemFontOfSize(15));
  EXPECT_EQ(label->imgWH(), 18);
  EXPECT_EQ(label->getLenByStr("abcdefghij", 30), 4);
  EXPECT_EQ(label->getLenByStr("abc", 30), 3);
}

// The topic title as the topic item and header show it, drawn with the app's font.
TEST(ImageLabelRender, ATopicTitleBetweenTwoMarks) {
  MainLoop::install();
  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  window->setBackgroundColor(UIColor::whiteColor());
  window->makeKeyAndVisible();
  auto title = UIImageLabel::initWithFrame(CGRectMake(10, 5, 270, 30));
  title->setMyFont(UIFont::systemFontOfSize(15));
  title->setText(kMark + " 行业新闻一周回顾 " + kMark);
  title->setRealText("行业新闻一周回顾");
  window->addSubview(title);
  auto wrapped = UIImageLabel::initWithFrame(CGRectMake(10, 40, 120, 70));
  wrapped->setMyFont(UIFont::systemFontOfSize(15));
  wrapped->setText(kMark + " 一个很长的话题名字会折到下一行 " + kMark);
  window->addSubview(wrapped);
  MainLoop::advance(0.1);

  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "richtext";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "image-label.png").string(), &error)) << error;
  std::string dump = window->dump();
  std::ofstream(dir / "image-label.txt") << dump;
  EXPECT_NE(dump.find("UIImageLabel frame=(10 5; 270 30)"), std::string::npos) << dump;
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "image-label"));
}

}  // namespace
