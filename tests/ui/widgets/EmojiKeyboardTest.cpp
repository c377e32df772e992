// The emoticon keyboard as a person meets it: its two layouts, the pages of faces, a touch on a
// face, the delete key, paging by swiping the strip and by the page dots; and the shared table.
#include <filesystem>
#include <fstream>

#include "UIKit/UIButton.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIPageControl.h"
#include "UIKit/UIScreenCapture.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/UIExpressionView.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

class Composer : public EmojiSelectDelegate {
 public:
  std::vector<std::string> calls;
  bool deletes = true;
  void selectText(const std::string& text) override { calls.push_back("select " + text); }
  void delectEmoji() override { calls.push_back("delete"); }
  bool respondsToSelector(std::string_view s) const override {
    return deletes && s == "delectEmoji";
  }
};

std::string rect(CGRect r) {
  char buf[80];
  snprintf(buf, sizeof buf, "(%g %g; %g %g)", r.origin.x, r.origin.y, r.size.width, r.size.height);
  return buf;
}

std::vector<std::shared_ptr<UIButton>> buttons(const std::shared_ptr<UIView>& page) {
  std::vector<std::shared_ptr<UIButton>> out;
  for (auto& v : page->subviews())
    if (auto b = std::dynamic_pointer_cast<UIButton>(v)) out.push_back(b);
  return out;
}

class EmojiKeyboardTest : public widgettest::WindowTest {
 protected:
  std::shared_ptr<Composer> composer = std::make_shared<Composer>();
};

TEST(EmojiTable, NamesByPositionAndMembershipWithinTheFirstNames) {
  auto table = UIExpressionView::getZizaEmojiArray();
  ASSERT_EQ(table.size(), 94u);
  EXPECT_EQ(table[0], "兔子");
  EXPECT_EQ(table[9], "哈哈");
  EXPECT_EQ(UIExpressionView::getEmojiString(93), std::optional<std::string>("囧"));
  EXPECT_FALSE(UIExpressionView::getEmojiString(94));
  EXPECT_FALSE(UIExpressionView::getEmojiString(-1));
  struct Case {
    const char* name;
    long top;
    bool in;
  } cases[] = {{"兔子", 0, false}, {"兔子", -5, false}, {"兔子", 1, true},    {"熊猫", 1, false},
               {"囧", 93, false},  {"囧", 94, true},    {"囧", 200, true},    {"OK", 200, false},
               {"ok", 200, true},  {"", 200, false},    {"哈哈 ", 200, false}};
  for (auto& c : cases)
    EXPECT_EQ(UIExpressionView::isInBiaoQingList(c.name, c.top), c.in) << c.name << " " << c.top;
}

TEST_F(EmojiKeyboardTest, TheThreeRowKeyboardHasFourPagesOfFaces) {
  auto keyboard = UIExpressionView::initWithPointY(289);
  EXPECT_EQ(rect(keyboard->frame()), "(0 289; 320 191)");
  EXPECT_EQ(rect(keyboard->scroll()->frame()), "(0 0; 320 191)");
  EXPECT_EQ(keyboard->scroll()->contentSize().width, 1280);
  EXPECT_EQ(keyboard->scroll()->contentSize().height, 191);
  EXPECT_EQ(rect(keyboard->pageCtrl()->frame()), "(0 135; 320 20)");
  EXPECT_EQ(keyboard->pageCtrl()->numberOfPages(), 4);
  auto del = std::dynamic_pointer_cast<UIButton>(keyboard->subviews().back());
  ASSERT_TRUE(del);
  EXPECT_EQ(rect(del->frame()), "(250 145; 42 24)");

  auto pages = keyboard->scroll()->subviews();
  ASSERT_EQ(pages.size(), 4u);
  std::vector<std::pair<long, long>> ranges;
  for (auto& p : pages) {
    auto page = std::dynamic_pointer_cast<UIEmojiView>(p);
    ASSERT_TRUE(page);
    ranges.push_back({page->start(), page->end()});
    EXPECT_EQ(page->frame().size.width, 320);
  }
  EXPECT_EQ(ranges, (std::vector<std::pair<long, long>>{{1, 24}, {25, 48}, {49, 72}, {73, 94}}));
  EXPECT_EQ(pages[3]->frame().origin.x, 960);
  EXPECT_EQ(keyboard->leftView(), pages[0]);
  EXPECT_EQ(keyboard->rightView(), pages[2]);
  auto first = buttons(pages[0]);
  ASSERT_EQ(first.size(), 24u);
  EXPECT_EQ(rect(first[0]->frame()), "(8 10; 24 24)");
  EXPECT_EQ(rect(first[7]->frame()), "(288 10; 24 24)");
  EXPECT_EQ(rect(first[8]->frame()), "(8 55; 24 24)");
  EXPECT_EQ(first[8]->tag(), 9);
  auto last = buttons(pages[3]);
  ASSERT_EQ(last.size(), 22u);
  EXPECT_EQ(last.back()->tag(), 94);
  EXPECT_EQ(rect(last.back()->frame()), "(208 100; 24 24)");
}

TEST_F(EmojiKeyboardTest, TheFourRowKeyboardHasThreePagesOfFaces) {
  auto keyboard = UIExpressionView::initWithFrame(CGRectMake(30, 244, 10, 10));
  EXPECT_EQ(rect(keyboard->frame()), "(0 244; 320 236)");
  EXPECT_EQ(keyboard->scroll()->contentSize().width, 960);
  EXPECT_EQ(keyboard->scroll()->contentSize().height, 236);
  EXPECT_EQ(rect(keyboard->pageCtrl()->frame()), "(0 190; 320 20)");
  EXPECT_EQ(keyboard->pageCtrl()->numberOfPages(), 3);
  EXPECT_EQ(rect(keyboard->subviews().back()->frame()), "(250 186; 42 24)");
  auto pages = keyboard->scroll()->subviews();
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(buttons(pages[0]).size(), 32u);
  EXPECT_EQ(buttons(pages[1]).front()->tag(), 33);
  auto last = buttons(pages[2]);
  ASSERT_EQ(last.size(), 30u);
  EXPECT_EQ(last.back()->tag(), 94);
  EXPECT_EQ(rect(last.back()->frame()), "(208 145; 24 24)");
  // The grid: four rows of lines, the left edge and eight columns, 180 high.
  long lines = 0;
  for (auto& v : pages[0]->subviews())
    if (!std::dynamic_pointer_cast<UIButton>(v)) ++lines;
  EXPECT_EQ(lines, 13);
  EXPECT_EQ(rect(pages[0]->subviews()[4]->frame()), "(0 0; 1 180)");
  EXPECT_EQ(rect(pages[0]->subviews()[5]->frame()), "(40 2; 1 178)");
}

TEST_F(EmojiKeyboardTest, TouchingAFaceSendsItsNameAndTheDeleteKeyAsksToDelete) {
  auto keyboard = UIExpressionView::initWithPointY(289);
  keyboard->setEmojiDelegate(composer);
  window->rootViewController()->view()->addSubview(keyboard);
  MainLoop::advance(0.1);

  ASSERT_TRUE(ScreenDriver::tap(keyboard->leftView()->viewWithTag(10)));
  ASSERT_TRUE(ScreenDriver::tap(keyboard->leftView()->viewWithTag(1)));
  ASSERT_TRUE(ScreenDriver::tap(keyboard->subviews().back()));
  EXPECT_EQ(composer->calls,
            (std::vector<std::string>{"select [哈哈]", "select [兔子]", "delete"}));

  // A composer without a delete action is not asked.
  composer->calls.clear();
  composer->deletes = false;
  ASSERT_TRUE(ScreenDriver::tap(keyboard->subviews().back()));
  EXPECT_TRUE(composer->calls.empty());
}

TEST_F(EmojiKeyboardTest, ScrollingTurnsThePageDotsAndTheDotsTurnThePages) {
  auto keyboard = UIExpressionView::initWithPointY(289);
  keyboard->setEmojiDelegate(composer);
  window->rootViewController()->view()->addSubview(keyboard);
  MainLoop::advance(0.1);

  keyboard->scroll()->setContentOffset(CGPointMake(700, 0));
  EXPECT_EQ(keyboard->pageCtrl()->currentPage(), 2);
  // A swipe to the left from the first page shows the second.
  keyboard->scroll()->setContentOffset(CGPointMake(0, 0));
  ASSERT_TRUE(
      ScreenDriver::swipe(CGPointMake(250, 340), UISwipeGestureRecognizerDirectionLeft, 150, 0.15));
  ScreenDriver::wait(2);
  EXPECT_EQ(keyboard->scroll()->contentOffset().x, 320);
  EXPECT_EQ(keyboard->pageCtrl()->currentPage(), 1);
  // The dots turn to the last page, whose last face is the last of the table.
  keyboard->pageCtrl()->setCurrentPage(3);
  keyboard->valueChange(Value());
  EXPECT_EQ(keyboard->scroll()->contentOffset().x, 960);
  MainLoop::advance(0.1);
  auto lastPage = keyboard->scroll()->subviews()[3];
  ASSERT_TRUE(ScreenDriver::tap(lastPage->viewWithTag(94)));
  ASSERT_FALSE(composer->calls.empty());
  EXPECT_EQ(composer->calls.back(), "select [囧]");
}

TEST_F(EmojiKeyboardTest, BothKeyboardsAsTheyShow) {
  auto page = window->rootViewController()->view();
  page->setBackgroundColor(UIColor::whiteColor());
  page->addSubview(UIExpressionView::initWithPointY(0));
  page->addSubview(UIExpressionView::initWithFrame(CGRectMake(0, 200, 320, 236)));
  MainLoop::advance(0.1);
  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "richtext";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "emoji-keyboards.png").string(), &error))
      << error;
  std::ofstream(dir / "emoji-keyboards.txt") << window->dump();
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "emoji-keyboards"));
}

}  // namespace
