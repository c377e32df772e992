// The rich-text labels: how a text is cut into emoticons, links, names and plain pieces (the
// mended cases included), where the pieces go (fixed text metrics), what a finger on a link
// reports, and a status text rendered as the detail view shows it.
#include <filesystem>
#include <fstream>

#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIScreenCapture.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/FeedTestSupport.h"
#include "ui/feed/UIYMLabel.h"
#include "ui/feed/UIZMLabel.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

std::string rect(CGRect r) {
  char buf[80];
  snprintf(buf, sizeof buf, "(%g %g; %g %g)", r.origin.x, r.origin.y, r.size.width, r.size.height);
  return buf;
}

struct Cut {
  std::vector<std::string> pieces;
  std::vector<size_t> links;
  bool operator==(const Cut&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Cut& c) {
  for (auto& p : c.pieces) os << "\"" << p << "\" ";
  os << "links";
  for (auto l : c.links) os << " " << l;
  return os;
}

Cut cut(const std::string& text, bool links = true) {
  UIZMLabel label;
  label.setNeedHyperlink(links);
  auto pieces = label.tokenise(text);
  return {pieces.pieces, pieces.links};
}

TEST(RichTextCutting, TextsBecomeEmoticonsLinksNamesAndPlainPieces) {
  struct Case {
    std::string text;
    Cut expected;
    bool links = true;
  } cases[] = {
      {"a http://x b @n c", {{"a ", "http://x", " b ", "@n", " c"}, {1, 3}}},
      {"a http://x b @n c", {{"a http://x b @n c"}, {}}, false},
      {"[哈哈]好[abc]", {{"[哈哈]", "好", "[abc]"}, {}}},
      {"[哈哈]http://t.example/a", {{"[哈哈]", "http://t.example/a", ""}, {1}}},
      {"[@张三]", {{"[", "@张三", "]"}, {1}}},
      // An "@" that starts no name stays with the text before it.
      {"a @ b", {{"a @", " b"}, {}}},
      {"a@", {{"a@"}, {}}},
      // Nothing is dropped: a "[" that starts no emoticon stays, and so does a part with two
      // or more "]".
      {"a[", {{"a", "["}, {}}},
      {"x[y", {{"x", "[y"}, {}}},
      {"[a]b]c", {{"[a]b]c"}, {}}},
      {"[[哈哈]", {{"[", "[哈哈]"}, {}}},
      {"]x[", {{"]x", "["}, {}}},
      {"", {{}, {}}},
  };
  for (auto& c : cases) EXPECT_EQ(cut(c.text, c.links), c.expected) << c.text;
}

class RichTextLabelTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    WindowTest::SetUp();
    NSGlobe::getEngine()->setTextFont(UIFont::systemFontOfSize(10));  // lines of 12
  }
  void TearDown() override { TextMeasurer::setCurrent(nullptr); }

  std::shared_ptr<UIZMLabel> show(const std::string& text, CGFloat width, bool links = true) {
    auto label = std::make_shared<UIZMLabel>(CGRectMake(10, 100, width, 100));
    label->setTextFont(UIFont::systemFontOfSize(10));
    label->setNeedHyperlink(links);
    label->setDelegate(delegate);
    label->setText(text);
    window->rootViewController()->view()->addSubview(label);
    MainLoop::advance(0.1);
    window->compositeFrame();
    return label;
  }

  static std::vector<std::string> views(const std::shared_ptr<UIView>& label) {
    std::vector<std::string> out;
    for (auto& v : label->subviews()) {
      if (auto l = std::dynamic_pointer_cast<MyLabel>(v))
        out.push_back("link " + rect(l->frame()) + " #" + std::to_string(l->index()) + " " +
                      l->text());
      else
        out.push_back("picture " + rect(v->frame()));
    }
    return out;
  }

  class Delegate : public MyLabelDelegate {
   public:
    std::vector<std::string> calls;
    void openURL(const std::string& t) override { calls.push_back("open " + t); }
    void longPressAction(const std::string& t) override { calls.push_back("long " + t); }
  };
  std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
};

TEST_F(RichTextLabelTest, LinksAndNamesBecomeLabelsAtThePenAndEmoticonsPictures) {
  // "ab " 15, the face 12, " " 5, "http://x" 40, " " 5, "@n" 10.
  auto label = show("ab [哈哈] http://x @n", 200);
  EXPECT_EQ(views(label),
            (std::vector<std::string>{"link (77 0; 10 12) #-1 @n",
                                      "link (32 0; 40 12) #-1 http://x", "picture (15 0; 12 12)"}));
  EXPECT_EQ(label->getHttpStr(1), std::optional<std::string>("http://x"));
  EXPECT_FALSE(label->getHttpStr(2));
  // Without links, only the picture.
  auto plain = show("ab [哈哈] http://x @n", 200, false);
  EXPECT_EQ(views(plain), (std::vector<std::string>{"picture (15 0; 12 12)"}));
  EXPECT_FALSE(plain->getHttpStr(1));
  // A name that is no emoticon is text.
  EXPECT_TRUE(views(show("[abc]", 200)).empty());
}

TEST_F(RichTextLabelTest, ALinkOverSeveralLinesIsOneLinkOfThreeLabels) {
  std::string link = "http://t.example/" + std::string(53, 'k');  // 70 characters, 350 wide
  auto label = std::make_shared<UIZMLabel>(CGRectMake(10, 100, 100, 100));
  label->setTextFont(UIFont::systemFontOfSize(10));
  label->setNeedHyperlink(true);
  label->setDelegate(delegate);
  label->setText("ab " + link);
  // Asked before any drawing, the label lays its pieces out first.
  EXPECT_EQ(label->getHttpStr(1), std::optional<std::string>(link));
  window->rootViewController()->view()->addSubview(label);
  MainLoop::advance(0.1);
  window->compositeFrame();

  // From x 15: 265 over, four pieces: up (85 wide), two middle lines, down.
  EXPECT_EQ(views(label), (std::vector<std::string>{
                              "link (0 36; 65 12) #0 " + link.substr(57),
                              "link (0 12; 100 24) #0 " + link.substr(17, 40),
                              "link (15 0; 85 12) #0 " + link.substr(0, 17),
                          }));
  ASSERT_EQ(label->mutiLineLabel().size(), 1u);
  auto item = label->mutiLineLabel()[0];
  EXPECT_EQ(item->itemType, 1);
  auto up = std::dynamic_pointer_cast<MyLabel>(item->upLabel);
  auto middle = std::dynamic_pointer_cast<MyLabel>(item->middleLabel);
  auto down = std::dynamic_pointer_cast<MyLabel>(item->downLabel);
  ASSERT_TRUE(up && middle && down);

  middle->touchesBegan({}, nullptr);
  EXPECT_EQ(up->textColor(), UIColor::grayColor());
  EXPECT_EQ(down->textColor(), UIColor::grayColor());
  middle->touchesCancelled({}, nullptr);
  EXPECT_TRUE(widgettest::sameColor(up->textColor(), 30, 129, 199));

  ASSERT_TRUE(ScreenDriver::tap(down));
  ASSERT_TRUE(ScreenDriver::longPress(up));
  EXPECT_EQ(delegate->calls, (std::vector<std::string>{"open " + link, "long " + link}));
  EXPECT_EQ(label->getHttpStr(1), std::optional<std::string>(link));
}

TEST_F(RichTextLabelTest, ALowLabelGrowsToOneLineAndModifiedTextsHaveNoBreaks) {
  auto label = std::make_shared<UIZMLabel>(CGRectMake(0, 0, 100, 5));
  label->setModifyText("a\nb\r\nc");
  EXPECT_EQ(label->text(), "a b  c");
  label->getHttpStr(1);
  EXPECT_EQ(label->frame().size.height, 12);
  EXPECT_EQ(label->imgWH(), 12);

  // The comment rows' label: its own font's line height, links left plain.
  auto comment = std::make_shared<UIYMLabel>(CGRectMake(0, 0, 100, 50));
  comment->setTextFont(UIFont::systemFontOfSize(15));
  comment->setText("[哈哈] http://x @n");
  comment->getHttpStr(1);
  EXPECT_EQ(views(comment), (std::vector<std::string>{"picture (0 0; 18 18)"}));
}

// The status text of the detail view, drawn with the app's font.
TEST(RichTextRender, AStatusTextWithAnEmoticonALinkAndAName) {
  MainLoop::install();
  NSGlobe::getEngine()->setThemeNum(1);
  NSGlobe::getEngine()->setTextFont(UIFont::systemFontOfSize(15));
  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  window->setBackgroundColor(UIColor::whiteColor());
  window->makeKeyAndVisible();
  auto label = std::make_shared<UIZMLabel>(CGRectMake(15, 30, 290, 60));
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextFont(UIFont::systemFontOfSize(15));
  label->setNeedHyperlink(true);
  label->setText("[哈哈] http://t.ziza.example/Rt3xP9 @张三");
  window->addSubview(label);
  auto plain = std::make_shared<UIZMLabel>(CGRectMake(15, 100, 290, 60));
  plain->setBackgroundColor(UIColor::clearColor());
  plain->setTextFont(UIFont::systemFontOfSize(15));
  plain->setText("[哈哈] http://t.ziza.example/Rt3xP9 @张三");
  window->addSubview(plain);
  MainLoop::advance(0.5);
  window->compositeFrame();
  MainLoop::advance(0.5);

  long wh = label->imgWH();
  auto subviews = label->subviews();
  ASSERT_EQ(subviews.size(), 3u);
  auto face = std::dynamic_pointer_cast<UIImageView>(subviews.back());
  ASSERT_TRUE(face);
  EXPECT_EQ(rect(face->frame()), rect(CGRectMake(0, 0, wh, wh)));
  std::string dump = window->dump();
  // The face's frames, decoded from "face10.gif" and fitted into the square.
  ASSERT_FALSE(face->animationImages().empty());
  EXPECT_EQ(face->animationImages()[0]->size().width, wh);
  EXPECT_EQ(std::dynamic_pointer_cast<MyLabel>(subviews[1])->text(),
            "http://t.ziza.example/Rt3xP9");
  EXPECT_EQ(std::dynamic_pointer_cast<MyLabel>(subviews[0])->text(), "@张三");
  for (auto& v : plain->subviews()) EXPECT_FALSE(std::dynamic_pointer_cast<MyLabel>(v));

  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "richtext";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "status-text.png").string(), &error)) << error;
  std::ofstream(dir / "status-text.txt") << dump;
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "status-text"));
}

}  // namespace

// Replays the saved inputs of the rich-text labels' fuzz target through its own check.
#include "richtext/RichTextFuzzCheck.h"
#include "support/FuzzCorpus.h"

namespace {

TEST(RichTextCorpusTest, EverySavedInputPassesTheFuzzCheck) {
  MainLoop::install();
  testsupport::replayFuzzCorpus(ZEPT_FUZZ_CORPUS "/rich_text", richTextFuzzCheck);
  TextMeasurer::setCurrent(nullptr);
}

}  // namespace
