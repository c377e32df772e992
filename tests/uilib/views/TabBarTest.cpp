// Tab bars: badges, selection and what the delegate hears, the layouts of the bar and the
// grid's corner styles.
#include <gtest/gtest.h>

#include "ViewsTestSupport.h"
#include "uilib/views/ULTabStrip.h"

namespace {

struct TabLog : ULTabDelegate {
  std::vector<long> selected;
  void tabBarTabSelected(ULTabBar&, long index) override { selected.push_back(index); }
};

std::vector<std::shared_ptr<ULTabItem>> items(int n) {
  std::vector<std::shared_ptr<ULTabItem>> out;
  for (int i = 0; i < n; ++i)
    out.push_back(std::make_shared<ULTabItem>("Tab " + std::to_string(i)));
  return out;
}

using TabBarTest = ViewsTest;

TEST_F(TabBarTest, BadgesCapAtNinetyNineAndHideAtZero) {
  auto bar = std::make_shared<ULTabBar>(CGRectMake(0, 0, 320, 44));
  auto list = items(2);
  bar->setTabItems(list);
  auto tab = bar->tabViews()[0];
  bar->layoutIfNeeded();
  struct Case {
    long number;
    long stored;
    const char* shown;  // nullptr: hidden
  };
  const Case cases[] = {{100, 100, "99+"}, {99, 99, "99"}, {1, 1, "1"}, {-3, 0, nullptr}};
  for (const auto& c : cases) {
    list[0]->setBadgeNumber(c.number);
    EXPECT_EQ(list[0]->badgeNumber(), c.stored) << c.number;
    ASSERT_TRUE(tab->badge()) << c.number;
    if (c.shown) {
      EXPECT_FALSE(tab->badge()->isHidden()) << c.number;
      EXPECT_EQ(tab->badge()->text(), c.shown);
      // In the top-right corner, one point in.
      CGRect f = tab->badge()->frame();
      EXPECT_EQ(f.origin.y, 1);
      EXPECT_EQ(f.origin.x + f.size.width, tab->bounds().size.width - 1);
    } else {
      EXPECT_TRUE(tab->badge()->isHidden()) << c.number;
    }
  }
  // A tab made for an item that already carries a badge shows it at once.
  auto carried = std::make_shared<ULTabItem>("More");
  carried->setBadgeNumber(7);
  auto shown = ULTab::tabWithItem(carried);
  ASSERT_TRUE(shown->badge());
  EXPECT_EQ(shown->badge()->text(), "7");
  EXPECT_EQ(carried->tabBar(), shown);
  // Laid out at its size, the tab keeps the badge in its corner.
  shown->setFrame(CGRectMake(0, 0, 80, 44));
  shown->layoutIfNeeded();
  CGRect f = shown->badge()->frame();
  EXPECT_EQ(f.origin.x + f.size.width, 79);
}

TEST_F(TabBarTest, NewItemsSelectTheFirstTabWithoutTellingTheDelegate) {
  auto bar = std::make_shared<ULTabBar>(CGRectMake(0, 0, 320, 44));
  auto log = std::make_shared<TabLog>();
  bar->setDelegate(log);
  EXPECT_EQ(bar->selectedTabIndex(), ULTabBarNoSelection);
  auto list = items(3);
  bar->setTabItems(list);
  EXPECT_EQ(bar->selectedTabIndex(), 0);
  EXPECT_TRUE(bar->tabViews()[0]->isSelected());
  bar->setSelectedTabIndex(2);
  bar->setSelectedTabIndex(2);
  EXPECT_EQ(log->selected, std::vector<long>{2});
  EXPECT_EQ(bar->selectedTabItem(), list[2]);
  EXPECT_EQ(bar->selectedTabView(), bar->tabViews()[2]);
  EXPECT_FALSE(bar->tabViews()[0]->isSelected());

  bar->setTabItems(items(4));
  EXPECT_EQ(bar->selectedTabIndex(), 0);
  EXPECT_EQ(log->selected, std::vector<long>{2});
  EXPECT_EQ(bar->tabViews().size(), 4u);
  EXPECT_EQ(bar->subviews().size(), 4u);  // the old tabs left

  // An empty list keeps index 0, and nothing is selected behind it.
  bar->setTabItems({});
  EXPECT_EQ(bar->selectedTabIndex(), 0);
  EXPECT_EQ(bar->selectedTabItem(), nullptr);
  EXPECT_EQ(bar->selectedTabView(), nullptr);
  bar->setSelectedTabItem(list[0]);
  EXPECT_EQ(log->selected, (std::vector<long>{2, ULTabBarNoSelection}));
}

TEST_F(TabBarTest, TabsStandSideBySideOrShareTheWidth) {
  auto bar = std::make_shared<ULTabBar>(CGRectMake(0, 0, 320, 44));
  bar->setTabItems(items(3));
  bar->layoutIfNeeded();
  CGFloat x = 10;
  for (auto& tab : bar->tabViews()) {
    EXPECT_EQ(tab->frame().origin.x, x);
    EXPECT_EQ(tab->frame().size.height, 44);
    x += tab->frame().size.width;
  }
  EXPECT_TRUE(CGSizeEqualToSize(bar->layoutTabs(), CGSizeMake(x, 44)));

  // Scale to fill: three short tabs share 300 points, 100 each.
  bar->setContentMode(UIViewContentMode::ScaleToFill);
  bar->layoutTabs();
  for (size_t i = 0; i < 3; ++i)
    EXPECT_TRUE(
        sameRect(bar->tabViews()[i]->frame(), CGRectMake(10 + 100 * CGFloat(i), 0, 100, 44)));

  // No tabs, or no room at all: nothing is divided by zero and nothing moves.
  bar->setTabItems({});
  EXPECT_TRUE(CGSizeEqualToSize(bar->layoutTabs(), CGSizeMake(10, 44)));
  // Tabs without text room (unstyled, 20 wide) in a bar too narrow for their margins: the
  // shrinking has nothing to share out, and the tabs keep their frames.
  auto narrow = std::make_shared<ULTabBar>(CGRectMake(0, 0, 40, 44));
  narrow->setContentMode(UIViewContentMode::ScaleToFill);
  narrow->setTabStyle("noSuchTab:");
  narrow->setTabItems(items(2));
  for (auto& tab : narrow->tabViews()) tab->setFrame(CGRectMake(3, 4, 20, 30));
  narrow->layoutTabs();
  for (auto& tab : narrow->tabViews())
    EXPECT_TRUE(sameRect(tab->frame(), CGRectMake(3, 4, 20, 30)));
}

TEST_F(TabBarTest, AStripWhoseTabsFitShowsNoIndicator) {
  auto strip = std::make_shared<ULTabStrip>(CGRectMake(0, 0, 320, 44));
  strip->setTabItems(items(2));
  strip->layoutIfNeeded();
  EXPECT_TRUE(!strip->overflowRight() || strip->overflowRight()->isHidden());
  EXPECT_TRUE(!strip->overflowLeft() || strip->overflowLeft()->isHidden());
  EXPECT_EQ(strip->tabViews()[0]->superview(), strip->scrollView());
  EXPECT_EQ(strip->tabStyle(), "tabRound:");
}

TEST_F(TabBarTest, GridTabsTakeTheStyleOfTheirCorner) {
  auto sheet = ULStyleSheet::globalStyleSheet();
  auto styleOf = [&](const std::shared_ptr<ULTab>& tab) -> std::string {
    for (const char* name :
         {"tabGridTabTopLeft:", "tabGridTabTopRight:", "tabGridTabBottomLeft:",
          "tabGridTabBottomRight:", "tabGridTabLeft:", "tabGridTabRight:", "tabGridTabCenter:"})
      if (tab->styleForState(UIControlStateNormal) == sheet->styleWithSelector(name, 0))
        return name;
    return "?";
  };
  struct Case {
    int tabs;
    std::vector<std::string> styles;
  };
  const Case cases[] = {
      {7,
       {"tabGridTabTopLeft:", "tabGridTabCenter:", "tabGridTabTopRight:", "tabGridTabCenter:",
        "tabGridTabCenter:", "tabGridTabCenter:", "tabGridTabBottomLeft:"}},
      {6,
       {"tabGridTabTopLeft:", "tabGridTabCenter:", "tabGridTabTopRight:", "tabGridTabBottomLeft:",
        "tabGridTabCenter:", "tabGridTabBottomRight:"}},
      {2, {"tabGridTabLeft:", "tabGridTabCenter:"}},
      {3, {"tabGridTabLeft:", "tabGridTabCenter:", "tabGridTabRight:"}},
  };
  for (const auto& c : cases) {
    auto grid = std::make_shared<ULTabGrid>(CGRectMake(0, 0, 300, 100));
    grid->setTabItems(items(c.tabs));
    std::vector<std::string> styles;
    for (auto& tab : grid->tabViews()) styles.push_back(styleOf(tab));
    EXPECT_EQ(styles, c.styles) << c.tabs << " tabs";
  }
}

TEST_F(TabBarTest, AGridIsAsHighAsItsRowsOfTabs) {
  auto grid = std::make_shared<ULTabGrid>(CGRectMake(0, 0, 300, 100));
  EXPECT_TRUE(CGSizeEqualToSize(grid->sizeThatFits(CGSizeMake(300, 10)), CGSizeMake(300, 10)));
  grid->setTabItems(items(7));
  EXPECT_EQ(grid->rowCount(), 3);
  CGFloat tabHeight = grid->tabViews()[0]->sizeThatFits(CGSizeZero).height;
  CGFloat own = grid->ULTabBar::sizeThatFits(CGSizeZero).height;
  EXPECT_EQ(grid->sizeThatFits(CGSizeMake(280, 0)).height, own + 3 * tabHeight);
  EXPECT_EQ(grid->sizeThatFits(CGSizeMake(280, 0)).width, 280);

  grid->layoutIfNeeded();
  // Three columns inside a padding of 1.
  EXPECT_EQ(grid->tabViews()[0]->frame().origin.x, 1);
  EXPECT_GT(grid->tabViews()[1]->frame().origin.x, grid->tabViews()[0]->frame().origin.x);
  EXPECT_GT(grid->tabViews()[3]->frame().origin.y, grid->tabViews()[0]->frame().origin.y);

  // Without columns there are no rows, and a grid of no size places nothing.
  grid->setColumnCount(0);
  EXPECT_EQ(grid->rowCount(), 0);
  auto flat = std::make_shared<ULTabGrid>(CGRectMake(0, 0, 0, 0));
  flat->setTabItems(items(2));
  EXPECT_TRUE(CGSizeEqualToSize(flat->layoutTabs(), CGSizeZero));
}

}  // namespace
