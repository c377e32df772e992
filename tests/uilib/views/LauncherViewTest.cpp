// The launcher grid: its pages and geometry, taps, the long press that starts editing, the
// wobble, dragging a button to another slot or page, and the end of editing.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "UIKit/UIEventDriver.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreenCapture.h"
#include "ViewsTestSupport.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "uilib/views/CustomerLauncherItem.h"
#include "uilib/views/ULLauncherHighlightView.h"
#include "uilib/views/ULLauncherView.h"

namespace {

constexpr double kTheta = 0.0261799;

struct LauncherEvents : ULLauncherViewDelegate {
  std::vector<std::string> events;
  void launcherViewDidAddItem(ULLauncherView&, const ULLauncherItemPtr& i) override {
    events.push_back("add " + i->URL());
  }
  void launcherViewDidRemoveItem(ULLauncherView&, const ULLauncherItemPtr& i) override {
    events.push_back("remove " + i->URL());
  }
  void launcherViewDidMoveItem(ULLauncherView&, const ULLauncherItemPtr& i) override {
    events.push_back("move " + i->URL());
  }
  void launcherViewDidSelectItem(ULLauncherView&, const ULLauncherItemPtr& i) override {
    events.push_back("select " + i->URL());
  }
  void launcherViewDidEndDragging(ULLauncherView&) override { events.push_back("end dragging"); }
  void launcherViewDidBeginEditing(ULLauncherView&) override { events.push_back("begin editing"); }
  void launcherViewDidEndEditing(ULLauncherView&) override { events.push_back("end editing"); }
  void launcherViewUpdatePage(ULLauncherView&, long page) override {
    events.push_back("page " + std::to_string(page));
  }
};

ULLauncherPages numberedPages(std::vector<int> sizes, bool canDelete = false) {
  ULLauncherPages pages;
  int n = 1;
  for (int size : sizes) {
    std::vector<ULLauncherItemPtr> page;
    for (int i = 0; i < size; ++i, ++n)
      page.push_back(std::make_shared<ULLauncherItem>("", "", std::to_string(n), canDelete));
    pages.push_back(page);
  }
  return pages;
}

std::vector<std::vector<std::string>> urls(const ULLauncherView& launcher) {
  std::vector<std::vector<std::string>> out;
  for (auto& page : launcher.pages()) {
    out.emplace_back();
    for (auto& item : page) out.back().push_back(item->URL());
  }
  return out;
}

// The rotation of a transform (its angle).
double angleOf(const std::shared_ptr<UIView>& view) {
  CGAffineTransform t = view->transform();
  return std::atan2(t.b, t.a);
}

class LauncherViewTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    window = showWindow();
    events = std::make_shared<LauncherEvents>();
  }

  std::shared_ptr<ULLauncherView> make(ULLauncherPages pages, CGRect frame = {{0, 5}, {320, 455}}) {
    auto launcher = std::make_shared<ULLauncherView>(frame);
    launcher->setColumnCount(2);
    launcher->setDelegate(events);
    launcher->setPages(pages);
    window->addSubview(launcher);
    launcher->layoutIfNeeded();
    return launcher;
  }

  // The middle of a button on the screen.
  CGPoint middleOf(const std::shared_ptr<UIView>& view) {
    CGRect r = view->convertRectToView(view->bounds(), nullptr);
    return CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r));
  }

  // Holds the finger on the point for the long press, without lifting it.
  void hold(CGPoint point) {
    ASSERT_TRUE(UIEventDriver::touchDown(point));
    MainLoop::advance(1.05);
  }
  // Moves the held finger to the point in small steps.
  void moveTo(CGPoint from, CGPoint to, int steps = 10) {
    for (int i = 1; i <= steps; ++i) {
      MainLoop::advance(1.0 / 60);
      UIEventDriver::touchMove(
          CGPointMake(from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps));
    }
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<LauncherEvents> events;
};

}  // namespace

TEST_F(LauncherViewTest, ATallLauncherHoldsFourRowsOfTwoButtonsAPage) {
  auto launcher = make(numberedPages({8, 3}));
  EXPECT_TRUE(sameRect(launcher->scrollView()->frame(), CGRectMake(0, 0, 320, 430)));
  EXPECT_TRUE(sameRect(launcher->pager()->frame(), CGRectMake(0, 430, 320, 20)));
  EXPECT_EQ(launcher->rowHeight(), 106);
  EXPECT_EQ(launcher->rowCount(), 4);
  EXPECT_EQ(launcher->pager()->numberOfPages(), 2);
  EXPECT_EQ(launcher->scrollView()->contentSize().width, 640);

  const auto& buttons = launcher->buttons();
  ASSERT_EQ(buttons.size(), 2u);
  ASSERT_EQ(buttons[0].size(), 8u);
  std::vector<CGRect> expected;
  for (CGFloat y : {3, 108, 213, 318})
    for (CGFloat x : {15, 125}) expected.push_back(CGRectMake(x, y, 110, 106));
  for (size_t i = 0; i < 8; ++i)
    EXPECT_TRUE(sameRect(buttons[0][i]->frame(), expected[i])) << "button " << i;
  EXPECT_TRUE(sameRect(buttons[1][0]->frame(), CGRectMake(335, 3, 110, 106)));
  EXPECT_TRUE(sameRect(buttons[1][2]->frame(), CGRectMake(335, 108, 110, 106)));
}

TEST_F(LauncherViewTest, RowHeightAndRowCountFollowTheLaunchersHeight) {
  struct Case {
    CGFloat height;
    CGFloat scrollHeight, rowHeight;
    long rows;
  };
  for (const Case& c :
       std::vector<Case>{{455, 430, 106, 4}, {523, 498, 123, 4}, {60, 35, 7, 8}, {30, 5, -1, 1}}) {
    auto launcher = make(numberedPages({1}), CGRectMake(0, 0, 320, c.height));
    EXPECT_EQ(launcher->scrollView()->frame().size.height, c.scrollHeight) << c.height;
    EXPECT_EQ(launcher->rowHeight(), c.rowHeight) << c.height;
    EXPECT_EQ(launcher->rowCount(), c.rows) << c.height;
    launcher->removeFromSuperview();
  }
}

TEST_F(LauncherViewTest, TappingAButtonSelectsItsItemAndDeselectsTheButtonSoonAfter) {
  auto pages = numberedPages({2});
  pages[0][1]->setURL("");
  auto launcher = make(pages);
  auto first = launcher->buttons()[0][0];
  ASSERT_TRUE(ScreenDriver::tap(middleOf(first)));
  EXPECT_EQ(events->events, std::vector<std::string>{"select 1"});
  EXPECT_TRUE(first->isSelected());
  MainLoop::advance(0.31);
  EXPECT_FALSE(first->isSelected());

  // An item without a URL is selected briefly and reported to nobody.
  auto second = launcher->buttons()[0][1];
  ASSERT_TRUE(ScreenDriver::tap(middleOf(second)));
  EXPECT_TRUE(second->isSelected());
  EXPECT_EQ(events->events.size(), 1u);
  EXPECT_FALSE(launcher->editing());
}

TEST_F(LauncherViewTest, HoldingAButtonStartsEditingAndTheButtonsWobble) {
  auto launcher = make(numberedPages({3}));
  auto pressed = launcher->buttons()[0][0];
  CGPoint p = middleOf(pressed);
  ASSERT_TRUE(UIEventDriver::touchDown(p));
  MainLoop::advance(0.9);
  EXPECT_FALSE(launcher->editing());
  MainLoop::advance(0.15);
  ASSERT_TRUE(launcher->editing());
  EXPECT_EQ(events->events, std::vector<std::string>{"begin editing"});
  // One empty page to drop buttons onto.
  EXPECT_EQ(urls(*launcher), (std::vector<std::vector<std::string>>{{"1", "2", "3"}, {}}));
  EXPECT_EQ(launcher->pager()->numberOfPages(), 2);

  // The pressed button is dragged: enlarged, in the launcher itself, not wobbling.
  EXPECT_TRUE(pressed->dragging());
  EXPECT_EQ(pressed->superview().get(), launcher.get());
  EXPECT_NEAR(pressed->transform().a, 1.4, 1e-9);
  EXPECT_NEAR(pressed->alpha(), 0.7, 1e-9);

  // The others turn one way and the other by their running number, and swap every 0.07 s.
  auto b1 = launcher->buttons()[0][1], b2 = launcher->buttons()[0][2];
  double a1 = angleOf(b1), a2 = angleOf(b2);
  EXPECT_NEAR(std::fabs(a1), kTheta, 1e-6);
  EXPECT_NEAR(a2, -a1, 1e-9);
  MainLoop::advance(0.071);
  EXPECT_NEAR(angleOf(b1), -a1, 1e-9);
  EXPECT_NEAR(angleOf(b2), a1, 1e-9);
  MainLoop::advance(0.07);
  EXPECT_NEAR(angleOf(b1), a1, 1e-9);

  // Lifting the finger drops the button back into its slot.
  ASSERT_TRUE(UIEventDriver::touchUp(p));
  MainLoop::advance(0.21);
  EXPECT_FALSE(pressed->dragging());
  EXPECT_EQ(pressed->superview().get(), launcher->scrollView().get());
  EXPECT_TRUE(sameRect(pressed->frame(), CGRectMake(15, 3, 110, 106)));
  EXPECT_TRUE(launcher->editing());
  EXPECT_EQ(events->events, (std::vector<std::string>{"begin editing", "end dragging"}));
}

TEST_F(LauncherViewTest, DraggingAButtonOntoTheNextSlotMovesItsItemThere) {
  auto launcher = make(numberedPages({4}));
  auto first = launcher->buttons()[0][0];
  CGPoint from = middleOf(first);
  hold(from);
  CGPoint to = middleOf(launcher->buttons()[0][1]);
  moveTo(from, to);
  EXPECT_EQ(urls(*launcher), (std::vector<std::vector<std::string>>{{"2", "1", "3", "4"}, {}}));
  EXPECT_EQ(events->events, (std::vector<std::string>{"begin editing", "move 1"}));
  ASSERT_TRUE(UIEventDriver::touchUp(to));
  MainLoop::advance(0.31);
  // Back in its new slot (the buttons still wobble: their centres tell the slot).
  EXPECT_EQ(launcher->buttons()[0][1], first);
  EXPECT_EQ(first->center(), CGPointMake(180, 56));
  EXPECT_EQ(launcher->buttons()[0][0]->center(), CGPointMake(70, 56));

  // A still tap on the scroll view ends editing, drops the empty page and stops the wobble.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 5 + 400)));
  EXPECT_FALSE(launcher->editing());
  EXPECT_EQ(urls(*launcher), (std::vector<std::vector<std::string>>{{"2", "1", "3", "4"}}));
  EXPECT_EQ(launcher->pager()->numberOfPages(), 1);
  MainLoop::advance(0.5);
  for (auto& button : launcher->buttons()[0]) EXPECT_EQ(angleOf(button), 0);
  EXPECT_EQ(events->events.back(), "end editing");
}

TEST_F(LauncherViewTest, AButtonDroppedPastTheEndOfAPageTakesItsLastSlot) {
  auto launcher = make(numberedPages({3}));
  CGPoint from = middleOf(launcher->buttons()[0][0]);
  hold(from);
  moveTo(from, CGPointMake(180, 5 + 380));
  EXPECT_EQ(urls(*launcher), (std::vector<std::vector<std::string>>{{"2", "3", "1"}, {}}));
  UIEventDriver::touchUp(CGPointMake(180, 385));
}

TEST_F(LauncherViewTest,
       HeldAtTheRightEdgeTheDraggedButtonTurnsToTheNextPageAndStaysUnderTheFinger) {
  auto launcher = make(numberedPages({8, 2}));
  auto dragged = launcher->buttons()[0][1];
  CGPoint from = middleOf(dragged);
  hold(from);
  CGPoint edge = CGPointMake(310, from.y);
  moveTo(from, edge);
  EXPECT_EQ(launcher->currentPageIndex(), 0);
  MainLoop::advance(0.45);
  EXPECT_EQ(launcher->currentPageIndex(), 0);
  // The turn starts 0.5 s after the button reached the edge and takes 0.3 s.
  MainLoop::advance(0.4);
  EXPECT_EQ(launcher->currentPageIndex(), 1);
  EXPECT_EQ(launcher->pager()->currentPage(), 1);
  EXPECT_NE(std::find(events->events.begin(), events->events.end(), "page 1"),
            events->events.end());
  CGPoint onPage = CGPointMake(70, from.y);
  moveTo(edge, onPage);
  // The button left page 1 for the first slot of page 2, under the finger.
  EXPECT_EQ(urls(*launcher)[1].front(), "2");
  EXPECT_EQ(urls(*launcher)[0].size(), 7u);
  CGPoint centre = dragged->center();
  EXPECT_NEAR(centre.x, onPage.x, 1);
  UIEventDriver::touchUp(onPage);
  MainLoop::advance(0.5);
}

TEST_F(LauncherViewTest, AtTheLastPagesRightEdgeNothingTurns) {
  auto launcher = make(numberedPages({1}));
  CGPoint from = middleOf(launcher->buttons()[0][0]);
  hold(from);
  moveTo(from, CGPointMake(310, from.y));
  MainLoop::advance(0.85);
  // The editing page is the last one.
  EXPECT_EQ(launcher->currentPageIndex(), 1);
  moveTo(CGPointMake(310, from.y), CGPointMake(312, from.y));
  MainLoop::advance(0.9);
  EXPECT_EQ(launcher->currentPageIndex(), 1);
  UIEventDriver::touchUp(CGPointMake(312, from.y));
}

TEST_F(LauncherViewTest, APageThatOverflowsPushesItsLastButtonOntoTheNextPage) {
  auto launcher = make(numberedPages({8, 1}));
  launcher->scrollToPage(1, false);
  auto dragged = launcher->buttons()[1][0];
  CGPoint from = middleOf(dragged);
  hold(from);
  moveTo(from, CGPointMake(8, from.y));
  MainLoop::advance(0.9);
  EXPECT_EQ(launcher->currentPageIndex(), 0);
  moveTo(CGPointMake(8, from.y), CGPointMake(70, from.y));
  auto pages = urls(*launcher);
  EXPECT_EQ(pages[0], (std::vector<std::string>{"9", "1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(pages[1], (std::vector<std::string>{"8"}));
  UIEventDriver::touchUp(CGPointMake(70, from.y));
}

TEST_F(LauncherViewTest, APromptFillsASecondPageUntilEditingStarts) {
  auto launcher = std::make_shared<ULLauncherView>(CGRectMake(0, 5, 320, 455));
  launcher->setPrompt("Hold a tile to arrange the tiles");
  launcher->setPages(numberedPages({2}));
  window->addSubview(launcher);
  launcher->layoutIfNeeded();
  EXPECT_EQ(launcher->pager()->numberOfPages(), 2);
  auto prompt = std::dynamic_pointer_cast<UILabel>(launcher->scrollView()->viewWithTag(997));
  ASSERT_TRUE(prompt);
  EXPECT_TRUE(sameRect(prompt->frame(), CGRectMake(360, 40, 240, 350)));
  EXPECT_EQ(prompt->text(), "Hold a tile to arrange the tiles");
  launcher->beginEditing();
  EXPECT_FALSE(launcher->scrollView()->viewWithTag(997));
  EXPECT_EQ(launcher->pager()->numberOfPages(), 2);
}

TEST_F(LauncherViewTest, ThePageReportedAfterScrollingIsTheNearestOne) {
  auto launcher = make(numberedPages({8, 8, 8}));
  for (auto [pages, expected] : std::vector<std::pair<double, long>>{{1.4, 1}, {1.6, 2}, {0, 0}}) {
    launcher->scrollView()->setContentOffset(CGPointMake(320 * pages, 0));
    launcher->scrollViewDidEndDecelerating(launcher->scrollView());
    EXPECT_EQ(launcher->pager()->currentPage(), expected) << pages;
    EXPECT_EQ(events->events.back(), "page " + std::to_string(expected));
  }
}

TEST_F(LauncherViewTest, ItemsAreAddedOncePerURLAndRemovedWithTheirButtons) {
  auto launcher = make(numberedPages({8}));
  launcher->addItem(std::make_shared<ULLauncherItem>("", "", "9"), false);
  launcher->addItem(std::make_shared<ULLauncherItem>("", "", "3"), false);
  EXPECT_EQ(urls(*launcher).size(), 2u);
  EXPECT_EQ(urls(*launcher)[1], std::vector<std::string>{"9"});
  EXPECT_EQ(launcher->itemWithURL("9")->launcher(), launcher);

  auto removed = launcher->itemWithURL("9");
  auto button = launcher->buttonForItem(*removed);
  ASSERT_TRUE(button);
  launcher->removeItem(removed, true);
  EXPECT_FALSE(removed->launcher());
  EXPECT_EQ(button->superview().get(), launcher->scrollView().get());
  MainLoop::advance(0.21);
  EXPECT_FALSE(button->superview());
  // The emptied page stays until editing ends.
  EXPECT_EQ(urls(*launcher).size(), 2u);
  launcher->beginEditing();
  launcher->endEditing();
  EXPECT_EQ(urls(*launcher).size(), 1u);
  EXPECT_EQ(events->events,
            (std::vector<std::string>{"add 9", "remove 9", "begin editing", "end editing"}));
}

TEST_F(LauncherViewTest, CloseButtonsShowWhileEditingAndRemoveTheirItems) {
  auto launcher = make(numberedPages({2}, true));
  launcher->beginEditing();
  auto button = launcher->buttons()[0][1];
  auto close = button->closeButton();
  ASSERT_TRUE(close);
  EXPECT_EQ(close->superview(), button);
  EXPECT_TRUE(sameRect(close->frame(), CGRectMake(0, 0, 26, 29)));
  close->sendActionsForControlEvents(UIControlEventTouchUpInside);
  EXPECT_EQ(urls(*launcher), (std::vector<std::vector<std::string>>{{"1"}, {}}));
  launcher->endEditing();
  MainLoop::advance(0.31);
  EXPECT_FALSE(launcher->buttons()[0][0]->closeButton()->superview());
}

TEST_F(LauncherViewTest, BadgesShowTheItemsBadgeText) {
  auto launcher = make(numberedPages({1}));
  auto item = launcher->pages()[0][0];
  auto button = launcher->buttons()[0][0];
  EXPECT_FALSE(button->badge());
  struct Case {
    std::optional<std::string> value;
    std::string shown;
  };
  for (const Case& c : std::vector<Case>{
           {"5", "5"}, {"100", "99+"}, {"99", "99"}, {"New", "New"}, {"100a", "100a"}}) {
    item->setBadgeValue(c.value);
    ASSERT_TRUE(button->badge());
    EXPECT_EQ(button->badge()->text(), c.shown);
    EXPECT_FALSE(button->badge()->isHidden());
  }
  item->setBadgeValue(std::nullopt);
  EXPECT_TRUE(button->badge()->isHidden());
  item->setBadgeNumber(7);
  EXPECT_FALSE(button->badge()->isHidden());
  item->setBadgeNumber(0);
  EXPECT_TRUE(button->badge()->isHidden());
}

TEST_F(LauncherViewTest, TheHomeGridShowsTheBundledCatalogueAsTilesEightAPage) {
  auto stored = ChannelItem::userChannelItems();
  ASSERT_TRUE(stored);
  ULLauncherPages pages;
  size_t channels = 0;
  for (auto& page : *stored) {
    pages.emplace_back();
    for (auto& c : page)
      pages.back().push_back(CustomerLauncherItem::initWithChannelItem(c, false));
    channels += page.size();
  }
  auto launcher = make(pages);
  ASSERT_GE(launcher->buttons().size(), 2u);
  ASSERT_EQ(launcher->buttons()[0].size(), 8u);
  // Tiles are numbered by their channel, carry no close button, and the next page starts at 335.
  EXPECT_EQ(launcher->pages()[0][0]->URL(), std::to_string((*stored)[0][0]->type));
  EXPECT_FALSE(launcher->buttons()[0][0]->closeButton());
  EXPECT_EQ(launcher->buttons()[1][0]->frame().origin, CGPointMake(335, 3));

  std::string dump = window->dump();
  size_t tiles = 0;
  for (size_t at = dump.find("ULLauncherButton"); at != std::string::npos;
       at = dump.find("ULLauncherButton", at + 1))
    ++tiles;
  EXPECT_EQ(tiles, channels);
  EXPECT_NE(dump.find("ULLauncherScrollView frame=(0 0; 320 430)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("ULLauncherButton frame=(125 318; 110 106)"), std::string::npos) << dump;

  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "uilib";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "home-tiles.png").string(), &error)) << error;
  std::ofstream(dir / "home-tiles.txt") << dump;
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "home-tiles"));
}

TEST_F(LauncherViewTest, TheSpotlightShowsTheButtonThroughItsHoleAndATapThereSelectsIt) {
  window->setBackgroundColor(UIColor::whiteColor());
  auto launcher = make(numberedPages({4}));
  auto item = launcher->pages()[0][1];
  launcher->beginHighlightItem(item, "Your channels live here");
  auto spot = launcher->highlightView();
  ASSERT_TRUE(spot);
  EXPECT_EQ(spot->superview(), window);
  // The button at (125, 3) of the pages, which stand 5 below the window's top.
  EXPECT_TRUE(sameRect(spot->highlightRect(), CGRectMake(127, 16, 106, 102)));
  MainLoop::advance(0.55);
  EXPECT_TRUE(sameRect(spot->frame(), window->bounds()));
  EXPECT_EQ(spot->alpha(), 1);
  EXPECT_EQ(spot->textLabel()->alpha(), 1);
  EXPECT_EQ(spot->statusBarCover()->alpha(), 1);
  EXPECT_EQ(spot->statusBarCover()->windowLevel(), UIWindowLevelStatusBar);
  // The hole is in the upper half: the text stands 20 below it.
  EXPECT_EQ(spot->textLabel()->frame().origin, CGPointMake(20, 138));
  EXPECT_EQ(spot->textLabel()->text(), "Your channels live here");
  // Dark everywhere but in the hole.
  FramePixels pixels(window->compositeFrame());
  EXPECT_GT(pixels.at(180, 60)[0], 200);
  EXPECT_LT(pixels.at(40, 400)[0], 100);

  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(180, 60)));
  EXPECT_EQ(events->events, std::vector<std::string>{"select 2"});
  MainLoop::advance(0.21);
  EXPECT_FALSE(spot->superview());
  EXPECT_FALSE(launcher->highlightView());
}

TEST_F(LauncherViewTest, ATapOutsideTheSpotlightsHoleOnlyEndsIt) {
  auto launcher = make(numberedPages({8}));
  launcher->beginHighlightItem(launcher->pages()[0][7], "Last one");
  auto spot = launcher->highlightView();
  MainLoop::advance(0.55);
  // The hole is in the lower half: the text stands 20 above it.
  CGRect hole = spot->highlightRect();
  EXPECT_EQ(CGRectGetMaxY(spot->textLabel()->frame()), CGRectGetMinY(hole) - 20);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(60, 60)));
  MainLoop::advance(0.21);
  EXPECT_TRUE(events->events.empty());
  EXPECT_FALSE(launcher->highlightView());
}

TEST_F(LauncherViewTest, APanThatStartsOnATileTurnsThePageAndStartsNoEditing) {
  auto launcher = make(numberedPages({8, 8}));
  CGPoint from = middleOf(launcher->buttons()[0][1]);
  ASSERT_TRUE(ScreenDriver::drag(from, CGPointMake(from.x - 200, from.y), 0.2));
  MainLoop::advance(1.5);
  EXPECT_EQ(launcher->currentPageIndex(), 1);
  EXPECT_EQ(launcher->pager()->currentPage(), 1);
  EXPECT_FALSE(launcher->editing());
  EXPECT_EQ(events->events, std::vector<std::string>{"page 1"});
}

TEST_F(LauncherViewTest, SwipesCanReplacePaging) {
  auto launcher = make(numberedPages({8, 8}));
  int swipes = 0;
  launcher->setSwipeLeftAndRight(freeSelector("swiped:", [&](const Value&) { ++swipes; }));
  EXPECT_FALSE(launcher->scrollEnabled());
  EXPECT_FALSE(launcher->scrollView()->isPagingEnabled());
  ASSERT_TRUE(ScreenDriver::swipe(CGPointMake(200, 300), UISwipeGestureRecognizerDirectionLeft));
  ASSERT_TRUE(ScreenDriver::swipe(CGPointMake(100, 300), UISwipeGestureRecognizerDirectionRight));
  MainLoop::advance(0.5);
  EXPECT_EQ(swipes, 2);
  EXPECT_EQ(launcher->currentPageIndex(), 0);
}
