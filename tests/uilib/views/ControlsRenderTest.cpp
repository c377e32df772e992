// The library's controls as a person sees them: a headless render of a screen of button bars,
// a tab strip, page dots and a button whose picture comes from the local content server,
// written as a PNG with its view dump, and driven by taps through the screen driver.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "UIKit/UIColor.h"
#include "UIKit/UIScreenCapture.h"
#include "ViewsTestSupport.h"
#include "server/ContentServer.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "uilib/views/ULButtonBar.h"
#include "uilib/views/ULPageControl.h"
#include "uilib/views/ULTabStrip.h"

namespace {

// Counts the selections a tab bar reports.
struct TabLog : ULTabDelegate {
  std::vector<long> selected;
  void tabBarTabSelected(ULTabBar&, long index) override { selected.push_back(index); }
};

class ControlsRenderTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    TextMeasurer::setCurrent(nullptr);  // the bundled font, as the app draws
    server.start();
    window = showWindow();
    window->setBackgroundColor(UIColor::colorWithWhite(0.25, 1));
  }

  std::shared_ptr<ULTabStrip> strip(CGFloat y) {
    auto s = std::make_shared<ULTabStrip>(CGRectMake(0, y, 320, 44));
    std::vector<std::shared_ptr<ULTabItem>> items;
    for (const char* t :
         {"要闻", "微博墙", "行业订阅", "产品评测", "展会", "人物", "观点", "视频", "专题", "招聘"})
      items.push_back(std::make_shared<ULTabItem>(t));
    s->setTabItems(items);
    window->addSubview(s);
    return s;
  }

  std::shared_ptr<ULButtonBar> bar(CGFloat y, std::vector<std::string> titles) {
    auto b = std::make_shared<ULButtonBar>(CGRectMake(0, y, 320, 44));
    b->setBackgroundColor(UIColor::colorWithWhite(0.45, 1));
    for (auto& t : titles)
      b->addButton(t, freeSelector("tapped:", [this, t](const Value&) { taps.push_back(t); }));
    window->addSubview(b);
    return b;
  }

  static std::vector<CGRect> frames(const ULButtonBar& b) {
    std::vector<CGRect> out;
    for (auto& button : b.buttons()) out.push_back(button->frame());
    return out;
  }

  // The render and its dump, kept for a person to look at.
  std::string render(const std::string& name) {
    std::string dump = window->dump();
    std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "uilib";
    std::filesystem::create_directories(dir);
    std::string error;
    EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / (name + ".png")).string(), &error)) << error;
    std::ofstream(dir / (name + ".txt")) << dump;
    return dump;
  }

  zept::server::ContentServer server;
  std::shared_ptr<UIWindow> window;
  std::vector<std::string> taps;
};

TEST_F(ControlsRenderTest, ButtonBarsCentreTheirButtonsAndATapFiresTheMiddleOneOnce) {
  auto three = bar(0, {"One", "Two", "Three"});
  auto two = bar(50, {"Left", "Right"});
  auto none = bar(100, {});
  window->layoutIfNeeded();

  auto f3 = frames(*three);
  ASSERT_EQ(f3.size(), 3u);
  EXPECT_TRUE(sameRect(f3[0], CGRectMake(15, 7, 93, 30)));
  EXPECT_TRUE(sameRect(f3[1], CGRectMake(118, 7, 93, 30)));
  EXPECT_TRUE(sameRect(f3[2], CGRectMake(221, 7, 93, 30)));
  auto f2 = frames(*two);
  ASSERT_EQ(f2.size(), 2u);
  EXPECT_TRUE(sameRect(f2[0], CGRectMake(40, 7, 120, 30)));
  EXPECT_TRUE(sameRect(f2[1], CGRectMake(170, 7, 120, 30)));
  EXPECT_TRUE(none->buttons().empty());
  EXPECT_TRUE(none->subviews().empty());

  std::string dump = render("button-bars");
  EXPECT_NE(dump.find("ULButton frame=(118 7; 93 30) title=\"Two\""), std::string::npos) << dump;
  EXPECT_NE(dump.find("ULButtonBar frame=(0 100; 320 44)\n"), std::string::npos) << dump;

  ASSERT_TRUE(ScreenDriver::tap(three->buttons()[1]));
  EXPECT_EQ(taps, std::vector<std::string>{"Two"});
  // Between the buttons the bar takes the touch and nothing fires.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(113, 22)));
  EXPECT_EQ(taps.size(), 1u);

  // The buttons are drawn in their style: the middle of a button is not the bar's grey.
  FramePixels pixels(window->compositeFrame());
  EXPECT_NE(pixels.at(164, 10), pixels.at(113, 22));
}

TEST_F(ControlsRenderTest, ATabStripShowsItsOverflowAndATapSelectsATabOnce) {
  auto strip = std::make_shared<ULTabStrip>(CGRectMake(0, 150, 320, 44));
  std::vector<std::shared_ptr<ULTabItem>> items;
  for (const char* t :
       {"要闻", "微博墙", "行业订阅", "产品评测", "展会", "人物", "观点", "视频", "专题", "招聘"})
    items.push_back(std::make_shared<ULTabItem>(t));
  strip->setTabItems(items);
  auto log = std::make_shared<TabLog>();
  strip->setDelegate(log);
  window->addSubview(strip);
  window->layoutIfNeeded();

  // More tabs than fit: only the right indicator at the start.
  CGSize content = strip->scrollView()->contentSize();
  ASSERT_GT(content.width, 320);
  ASSERT_TRUE(strip->overflowRight());
  EXPECT_FALSE(strip->overflowRight()->isHidden());
  EXPECT_TRUE(!strip->overflowLeft() || strip->overflowLeft()->isHidden());
  EXPECT_EQ(strip->selectedTabIndex(), 0);

  // A tap on the third tab selects it; the delegate hears it once, and a second tap is quiet.
  ASSERT_TRUE(ScreenDriver::tap(strip->tabViews()[2]));
  ASSERT_TRUE(ScreenDriver::tap(strip->tabViews()[2]));
  EXPECT_EQ(log->selected, std::vector<long>{2});
  EXPECT_TRUE(strip->tabViews()[2]->isSelected());
  EXPECT_FALSE(strip->tabViews()[0]->isSelected());

  // Its selected look: a filled pill where the unselected tabs show the strip's own fill.
  window->layoutIfNeeded();
  FramePixels pixels(window->compositeFrame());
  CGRect selected = strip->tabViews()[2]->frame(), other = strip->tabViews()[1]->frame();
  EXPECT_NE(pixels.at(selected.origin.x + 3, 150 + 22), pixels.at(other.origin.x + 3, 150 + 22));
  std::string dump = render("tab-strip");
  EXPECT_NE(dump.find("ULTabStrip frame=(0 150; 320 44)"), std::string::npos) << dump;

  // Scrolled to the middle both indicators show.
  strip->scrollView()->setContentOffset(CGPointMake((content.width - 320) / 2, 0));
  strip->setNeedsLayout();
  window->layoutIfNeeded();
  ASSERT_TRUE(strip->overflowLeft());
  EXPECT_FALSE(strip->overflowLeft()->isHidden());
  EXPECT_FALSE(strip->overflowRight()->isHidden());

  // An item that is not among the tabs clears the selection, and the delegate hears so.
  strip->setSelectedTabItem(std::make_shared<ULTabItem>("外"));
  EXPECT_EQ(log->selected, (std::vector<long>{2, 2147483647}));
  EXPECT_FALSE(strip->selectedTabItem());
}

TEST_F(ControlsRenderTest, LauncherPageDotsSitInTheMiddleOfTheirRow) {
  auto dots = std::make_shared<ULPageControl>(CGRectMake(0, 200, 320, 20));
  dots->setDotStyle("launcherPageDot:");
  dots->setNumberOfPages(2);
  window->addSubview(dots);
  EXPECT_TRUE(CGSizeEqualToSize(dots->sizeThatFits(CGSizeMake(320, 20)), CGSizeMake(22, 6)));

  FramePixels pixels(window->compositeFrame());
  // The current page's dot is white at x 149, the other grey at x 165, both from y 7.
  Pixel current = pixels.at(152, 210), other = pixels.at(168, 210);
  EXPECT_EQ(current, (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(other, (Pixel{77, 77, 77, 255}));
  EXPECT_NE(pixels.at(152, 206), current);  // above the dots (y 7 .. 13 in the row)
  EXPECT_NE(pixels.at(147, 210), current);  // left of the first dot
  EXPECT_NE(pixels.at(163, 210), other);    // between the dots
  render("page-dots");
}

TEST_F(ControlsRenderTest, AButtonPictureFromTheServerLoadsOnceAndShows) {
  auto button = ULButton::buttonWithStyle("launcherButton:", "图片");
  button->setIsVertical(true);
  button->setFrame(CGRectMake(100, 240, 120, 120));
  auto events = std::make_shared<ImageEvents>();
  button->setImageDelegate(events);
  std::string url = server.url("/img/sample/tile.png");
  button->setImage(url, UIControlStateNormal);
  // The same URL again while it loads: the load starts over, the queue sends one request.
  button->setImage(url, UIControlStateNormal);
  window->addSubview(button);
  ASSERT_TRUE(MainLoop::runUntil([&] { return button->imageForCurrentState() != nullptr; }));
  EXPECT_EQ(server.requests("/img/sample/tile.png").size(), 1u);
  EXPECT_EQ(events->events, (std::vector<std::string>{"started", "started", "loaded"}));

  // Shown: the picture's middle is not the window's grey.
  FramePixels pixels(window->compositeFrame());
  CGRect image = button->rectForImage();
  EXPECT_GT(image.size.width, 0);
  EXPECT_NE(pixels.at(100 + 60, 240 + 40), (Pixel{64, 64, 64, 255}));
  render("picture-button");

  // A second button for the same picture takes it from memory: no request, still reported.
  auto again = ULButton::buttonWithStyle("launcherButton:", "again");
  auto events2 = std::make_shared<ImageEvents>();
  again->setImageDelegate(events2);
  again->setImage(url, UIControlStateNormal);
  EXPECT_TRUE(again->imageForCurrentState());
  EXPECT_EQ(events2->events, std::vector<std::string>{"loaded"});
  MainLoop::pump();
  EXPECT_EQ(server.requests("/img/sample/tile.png").size(), 1u);
}

TEST_F(ControlsRenderTest, TheControlsLookAsTheirGoldenShows) {
  bar(0, {"One", "Two", "Three"});
  bar(50, {"Left", "Right"});
  bar(100, {});
  auto tabs = strip(150);
  tabs->setSelectedTabIndex(2);
  tabs->tabItems()[1]->setBadgeNumber(120);
  auto dots = std::make_shared<ULPageControl>(CGRectMake(0, 200, 320, 20));
  dots->setDotStyle("launcherPageDot:");
  dots->setNumberOfPages(2);
  window->addSubview(dots);
  window->layoutIfNeeded();
  render("library-controls");
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "library-controls"));
}

}  // namespace
