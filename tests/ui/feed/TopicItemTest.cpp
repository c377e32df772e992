// The topic item of the topic list: its layout (fixed text metrics, read from the view dump),
// its row height, which ends where the topic frame ends, and a render to look at.
#include <filesystem>
#include <fstream>

#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIScreenCapture.h"
#include "model/NSTopic.h"
#include "support/ui/GoldenImage.h"
#include "ui/feed/FeedTestSupport.h"
#include "ui/widgets/UIImageLabel.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

std::shared_ptr<NSTopic> topic(std::string name, std::string query, int64_t read, int64_t join) {
  auto t = std::make_shared<NSTopic>();
  t->name = std::move(name);
  t->query = std::move(query);
  t->readAmount = read;
  t->amount = join;
  return t;
}

class TopicItemTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    WindowTest::SetUp();
  }
  void TearDown() override { TextMeasurer::setCurrent(nullptr); }
};

TEST_F(TopicItemTest, TheNameBetweenMarksTheRuleTheNoteAndTheCounts) {
  // 15 points: lines of 18, Latin 7.5 wide; 14 points: Latin 7, CJK 14.
  auto item = topic("行业", "q", 3, 5);
  auto view = UIHomeViewCell::initWithItem(item, {}, 9, NSIndexPath::indexPathForRow(2, 0));
  EXPECT_EQ(
      view->dump(),
      "UIHomeViewCell frame=(15 10; 290 101)\n"
      "  UIImageView frame=(0 0; 290 81) tag=133 image=\"topicFrame\"\n"
      "    UIImageLabel frame=(10 5; 120 18) text=\"<img alt=\\\"img\\\" src=\\\"topicImg\\\"> "
      "行业 <img alt=\\\"img\\\" src=\\\"topicImg\\\">\"\n"
      "    UILabel frame=(5 23; 280 10) text=\" " +
          std::string(57, '.') +
          "\"\n"
          "    UILabel frame=(10 33; 8 18) text=\"q\"\n"
          "    UILabel frame=(10 51; 270 20) text=\"浏览(3) 参与(5)\"\n"
          "    UIImageView frame=(145 53; 24 16) image=\"SpeakerS\"\n");
  EXPECT_EQ(view->weiboitem(), item);
  EXPECT_EQ(view->actionType(), 9);
  // The row ends where the topic frame ends: 10 above it, 81 of frame.
  EXPECT_EQ(UIHomeViewCell::getTopicHeightForCellRow(item), 91);

  // An empty note: the counts come right under the rule.
  auto bare = UIHomeViewCell::initWithItem(topic("行业", "", 0, 0), {}, 9, {});
  auto frame = bare->viewWithTag(UIHomeViewCell::kTopicFrameTag);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->subviews()[2]->frame().size.height, 0);
  EXPECT_EQ(frame->subviews()[3]->frame().origin.y, 33);
  EXPECT_EQ(UIHomeViewCell::getTopicHeightForCellRow(topic("行业", "", 0, 0)), 73);
  EXPECT_EQ(UIHomeViewCell::getTopicHeightForCellRow(topic("", "", 0, 0)), 55);

  // Any other item gives the empty view.
  auto other = UIHomeViewCell::initWithItem(feedtest::status("x"), {}, 9, {});
  EXPECT_TRUE(other->subviews().empty());
  EXPECT_EQ(other->frame().size.height, 160);

  // The night theme: the frame's night picture and the theme's font colour.
  NSGlobe::getEngine()->setThemeNum(2);
  auto night = UIHomeViewCell::initWithItem(item, {}, 9, {});
  EXPECT_NE(night->dump().find("image=\"topicFrame_theme1\""), std::string::npos);
  NSGlobe::getEngine()->setThemeNum(1);
}

TEST(TopicItemRender, ATopicAsTheListShowsIt) {
  MainLoop::install();
  NSGlobe::getEngine()->setThemeNum(1);
  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  window->setBackgroundColor(UIColor::colorWithWhite(0.93, 1));
  window->makeKeyAndVisible();
  auto first = UIHomeViewCell::initWithItem(
      topic("新能源汽车", "电池、充电桩与补贴政策的最新讨论", 12034, 586), {}, 9, {});
  window->addSubview(first);
  auto second = UIHomeViewCell::initWithItem(topic("展会直击", "", 77, 3), {}, 9, {});
  CGRect f = second->frame();
  f.origin.y = 10 + UIHomeViewCell::getTopicHeightForCellRow(first->weiboitem()) + 10;
  second->setFrame(f);
  window->addSubview(second);
  MainLoop::advance(0.1);

  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "richtext";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "topic-items.png").string(), &error)) << error;
  std::ofstream(dir / "topic-items.txt") << window->dump();
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "topic-items"));
}

}  // namespace
