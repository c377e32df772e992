// The channel table on a shown window: its rows filled from home-grid tiles, the long press
// that starts editing, a row dragged by its reorder control, the tap that ends editing and
// saves the catalogue (read back from "ChannelItems.txt"), and icons downloaded from the local
// content server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Foundation/NSFileManager.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "net/http/HXHTTPRequest.h"
#include "net/api/ApiTestSupport.h"
#include "screens/home/UILaunchTableViewCell.h"
#include "screens/home/UILauncherTableView.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "uilib/views/CustomerLauncherItem.h"

namespace {

class Listener : public UILauncherTableViewDelegate {
 public:
  std::vector<std::string> log;
  void launcherCellEditState(bool editing) override {
    log.push_back(editing ? "edit YES" : "edit NO");
  }
  void launcherCellDidSelectItem(const ChannelItemPtr& channel) override {
    log.push_back("select " + std::to_string(channel->type));
  }
};

ValueArray tilesOf(const ChannelItemArray& channels) {
  ValueArray tiles = makeArray();
  for (const auto& channel : channels)
    tiles->addObject(Value(CustomerLauncherItem::initWithChannelItem(channel, false)));
  return tiles;
}

std::vector<int> typesOf(const ValueArray& tiles) {
  std::vector<int> types;
  for (const Value& v : *tiles)
    types.push_back(v.object<CustomerLauncherItem>()->channelItem()->type);
  return types;
}

// The channel numbers of the stored catalogue, page by page.
std::vector<std::vector<int>> storedPages() {
  std::vector<std::vector<int>> pages;
  Value stored = ChannelItem::getChannelString();
  for (const Value& page : *stored.array()) {
    pages.emplace_back();
    for (const Value& channel : *page.array()) pages.back().push_back(channel["type"].intValue());
  }
  return pages;
}

class LauncherTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    show();
  }
  void show() {
    NSGlobe::getEngine()->setThemeNum(1);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(std::make_shared<UIViewController>());
    window->makeKeyAndVisible();
    list = UILauncherTableView::initWithFrame(CGRectMake(0, 20, 320, 460));
    list->setLauncherDelegate(listener);
    window->addSubview(list);
    MainLoop::advance(0.5);
  }
  // The shown channels of the bundled catalogue, one tile each.
  void fillFromCatalogue() {
    list->setDataArrays(tilesOf(*ChannelItem::userChannelItemArray()));
    list->layoutIfNeeded();
  }
  std::shared_ptr<UILaunchTableViewCell> row(long index) {
    return std::dynamic_pointer_cast<UILaunchTableViewCell>(
        list->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(index, 0)));
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UILauncherTableView> list;
  std::shared_ptr<Listener> listener = std::make_shared<Listener>();
};

TEST_F(LauncherTableTest, RowsShowTheTilesOfTheCatalogue) {
  fillFromCatalogue();
  ASSERT_EQ(list->numberOfRowsInSection(0), 19);
  EXPECT_EQ(list->visibleCells().size(), 7u);  // 460 / 70
  auto first = row(0);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->frame(), CGRectMake(0, 0, 320, 70));
  EXPECT_EQ(row(1)->frame().origin.y, 70);
  EXPECT_EQ(first->dump(),
            "UILaunchTableViewCell frame=(0 0; 320 70) reuse=\"LauncherCell\"\n"
            "  UITableViewCellContentView frame=(0 0; 320 70)\n"
            "    UIImageView frame=(10 3; 300 64) image=\"channelRed.png\"\n"
            "    UIImageView frame=(20 12; 52 45) image=\"iconID1.png\"\n"
            "    UILabel frame=(84 21; 160 28) text=\"要闻\"\n"
            "    UIImageView frame=(268 6; 35 22) hidden image=\"ShowNEW\"\n"
            "    UILabel frame=(264 36; 40 22) hidden\n");
  // Without a bundle background the downloaded one, else purple; without any icon the
  // channel's "iconID" picture.
  auto bare = std::make_shared<ChannelItem>();
  bare->type = 9;
  bare->name = "我的订阅";
  first->setCellData(CustomerLauncherItem::initWithChannelItem(bare, false));
  EXPECT_EQ(first->channelBgImgView()->imageName(), "channelPurple");
  EXPECT_EQ(first->channelIconImgView()->imageName(), "iconID9");
  EXPECT_FALSE(first->iconRequest());
}

TEST_F(LauncherTableTest, TheBadgeShowsTheNumberElseTheTextElseNothing) {
  fillFromCatalogue();
  auto cell = row(0);
  struct Case {
    int number;
    std::optional<std::string> value;
    const char* shown;  // nullptr: hidden
  } cases[] = {
      {3, "新", "3"}, {0, "新", "新"}, {0, "", nullptr}, {0, std::nullopt, nullptr}, {-2, "", "-2"},
  };
  for (const Case& c : cases) {
    auto tile = list->dataArrays()->objectAtIndex(0).object<CustomerLauncherItem>();
    tile->setBadgeValue(c.value);
    if (c.number) tile->setBadgeNumber(c.number);
    cell->setCellData(tile);
    const auto& badge = cell->channelNewNumTitle();
    EXPECT_EQ(badge->isHidden(), c.shown == nullptr) << c.number;
    if (c.shown) {
      EXPECT_EQ(badge->text(), c.shown);
    }
  }
}

TEST_F(LauncherTableTest, ARowKeepsWhatItShowedForAnItemThatIsNoChannelTile) {
  fillFromCatalogue();
  auto cell = row(1);
  const std::string before = cell->dump();
  cell->setCellData(std::make_shared<ULLauncherItem>("其他", "", "x"));
  cell->setCellData(nullptr);
  EXPECT_EQ(cell->dump(), before);
}

TEST_F(LauncherTableTest, NewsMarksFollowTheTemplateOrTheChannelNumber) {
  fillFromCatalogue();
  // Channels 1 and 12 ... share no template; 1, 21, 22 and 23 have template 0.
  list->refreshCellNewsByActionType(0, true);
  EXPECT_FALSE(row(0)->channelNewImgView()->isHidden());  // the first with template 0 only
  long others = 0;
  for (long r = 1; r < 7; ++r) others += !row(r)->channelNewImgView()->isHidden();
  EXPECT_EQ(others, 0);
  list->refreshCellNewsByChannelType(2, true);
  EXPECT_FALSE(row(1)->channelNewImgView()->isHidden());
  list->refreshCellNewsByChannelType(2, false);
  EXPECT_TRUE(row(1)->channelNewImgView()->isHidden());
}

TEST_F(LauncherTableTest, ScrollingToARowBringsItToTheBottom) {
  fillFromCatalogue();
  list->scrollCellToIndex(19);  // the row count: nothing
  list->scrollCellToIndex(-1);
  MainLoop::advance(1);
  EXPECT_EQ(list->contentOffset().y, 0);
  list->scrollCellToIndex(10);
  MainLoop::advance(1);
  EXPECT_EQ(list->contentOffset().y, 11 * 70 - 460);
}

TEST_F(LauncherTableTest, ATapOnARowWhileBrowsingHandsItsChannelToTheDelegate) {
  fillFromCatalogue();
  ASSERT_TRUE(ScreenDriver::tap(row(2)));
  EXPECT_EQ(listener->log, std::vector<std::string>{"select 3"});
}

TEST_F(LauncherTableTest, ALongPressEditsADraggedRowMovesAndATapSavesPagesOfEight) {
  fillFromCatalogue();
  const std::vector<std::vector<int>> before = storedPages();
  ASSERT_EQ(before.size(), 4u);  // 8, 8, 3 shown and 2 hidden

  ASSERT_TRUE(ScreenDriver::longPress(row(0), 1.0));
  EXPECT_TRUE(list->isEditing());
  EXPECT_EQ(listener->log, std::vector<std::string>{"edit YES"});
  EXPECT_TRUE(row(0)->showsReorderControl());
  EXPECT_EQ(row(0)->editingStyle(), UITableViewCellEditingStyle::None);
  EXPECT_FALSE(list->needSave());

  // Row 0's reorder control dragged down two rows.
  CGPoint grip = row(0)->convertPointToView(CGPointMake(300, 35), nullptr);
  ASSERT_TRUE(ScreenDriver::drag(grip, CGPointMake(grip.x, grip.y + 140), 0.3));
  EXPECT_TRUE(list->needSave());
  std::vector<int> order = typesOf(list->dataArrays());
  EXPECT_EQ(std::vector<int>(order.begin(), order.begin() + 4), (std::vector<int>{2, 3, 1, 4}));
  EXPECT_EQ(storedPages(), before);  // nothing written while editing

  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 300)));
  EXPECT_FALSE(list->isEditing());
  EXPECT_EQ(listener->log, (std::vector<std::string>{"edit YES", "edit NO"}));
  std::vector<std::vector<int>> after = storedPages();
  ASSERT_EQ(after.size(), 4u);
  EXPECT_EQ(after[0], (std::vector<int>{2, 3, 1, 4, 5, 6, 7, 8}));
  EXPECT_EQ(after[1], before[1]);
  EXPECT_EQ(after[2], before[2]);
  EXPECT_EQ(after[3], (std::vector<int>{24, 25}));  // the hidden channels last
  // Browsing again: a tap selects.
  ASSERT_TRUE(ScreenDriver::tap(row(0)));
  EXPECT_EQ(listener->log.back(), "select 2");
}

TEST_F(LauncherTableTest, EditingWithoutAMoveWritesNothing) {
  fillFromCatalogue();
  // The catalogue as stored, with a mark that any rewrite would drop.
  const std::string path = ChannelItem::filePath();
  auto original = dataWithContentsOfFile(path);
  ASSERT_TRUE(original);
  ASSERT_TRUE(writeToFile(path, *original + "\n\n", true));

  ASSERT_TRUE(ScreenDriver::longPress(row(3), 1.0));
  // A move onto its own place is no move.
  list->tableViewMoveRowAtIndexPathToIndexPath(list, NSIndexPath::indexPathForRow(2, 0),
                                               NSIndexPath::indexPathForRow(2, 0));
  EXPECT_FALSE(list->needSave());
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 300)));
  EXPECT_EQ(listener->log, (std::vector<std::string>{"edit YES", "edit NO"}));
  EXPECT_EQ(dataWithContentsOfFile(path), *original + "\n\n");
  // A second long press starts editing afresh; the tap recogniser went with the last cycle.
  ASSERT_TRUE(ScreenDriver::longPress(row(1), 1.0));
  EXPECT_TRUE(list->isEditing());
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 300)));
  EXPECT_FALSE(list->isEditing());
  EXPECT_EQ(listener->log.size(), 4u);
}

TEST_F(LauncherTableTest, AMoveBeyondTheEndAppends) {
  fillFromCatalogue();
  list->tableViewMoveRowAtIndexPathToIndexPath(list, NSIndexPath::indexPathForRow(0, 0),
                                               NSIndexPath::indexPathForRow(40, 0));
  std::vector<int> order = typesOf(list->dataArrays());
  EXPECT_EQ(order.back(), 1);
  EXPECT_EQ(order.front(), 2);
  EXPECT_TRUE(list->needSave());
}

}  // namespace

namespace {

// Rows of channels whose icons are on the local content server only.
class LauncherTableDownloadTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSGlobe::getEngine()->setThemeNum(1);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(std::make_shared<UIViewController>());
    window->makeKeyAndVisible();
    list = UILauncherTableView::initWithFrame(CGRectMake(0, 20, 320, 460));
    window->addSubview(list);
    advance(0.5);
  }
  ChannelItemPtr channel(int type, const std::string& icon) {
    auto c = std::make_shared<ChannelItem>();
    c->type = type;
    c->name = "频道" + std::to_string(type);
    c->iconImage = icon;
    return c;
  }
  std::string iconURL(int type) {
    return server.baseURL() + "/img/channel/" + std::to_string(type) + "/icon@2x.png";
  }
  size_t requestsFor(const std::string& path) const {
    size_t n = 0;
    for (const auto& r : server.requests()) n += r.path == path;
    return n;
  }
  std::shared_ptr<UILaunchTableViewCell> row(long index) {
    return std::dynamic_pointer_cast<UILaunchTableViewCell>(
        list->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(index, 0)));
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UILauncherTableView> list;
};

TEST_F(LauncherTableDownloadTest, AMissingIconShowsTheDefaultThenTheDownloadedPicture) {
  list->setDataArrays(tilesOf({channel(101, iconURL(101))}));
  list->layoutIfNeeded();
  auto cell = row(0);
  ASSERT_TRUE(cell);
  EXPECT_EQ(cell->channelIconImgView()->imageName(), "iconDefault");
  ASSERT_TRUE(cell->iconRequest());
  ASSERT_TRUE(waitFor([&] { return !cell->iconRequest(); }));
  EXPECT_EQ(requestsFor("/img/channel/101/icon@2x.png"), 1u);
  const std::string stored = UIFilePath::getNewChannelImageIcon(101);
  EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(stored));
  auto icon = cell->channelIconImgView()->image();
  ASSERT_TRUE(icon);
  EXPECT_NE(cell->channelIconImgView()->imageName(), "iconDefault");
  // Filled again, the row finds the icon on the device and asks for nothing.
  cell->setCellData(list->dataArrays()->objectAtIndex(0).object());
  EXPECT_FALSE(cell->iconRequest());
  EXPECT_EQ(requestsFor("/img/channel/101/icon@2x.png"), 1u);
}

TEST_F(LauncherTableDownloadTest, ARowFilledAgainDropsItsDownloadAndABodyThatIsNoPictureIsIgnored) {
  list->setDataArrays(tilesOf({channel(102, iconURL(102))}));
  list->layoutIfNeeded();
  auto cell = row(0);
  auto first = cell->iconRequest();
  ASSERT_TRUE(first);
  // The row now shows another channel, whose own icon comes with the application.
  cell->setCellData(CustomerLauncherItem::initWithChannelItem(channel(3, ""), false));
  EXPECT_FALSE(cell->iconRequest());
  EXPECT_EQ(cell->channelIconImgView()->imageName(), "iconID3");
  // The dropped download never reaches the row.
  cell->finish(Value(first));
  advance(0.5);
  EXPECT_EQ(cell->channelIconImgView()->imageName(), "iconID3");

  // A reply that is not a picture (a picture cut short) leaves the default icon and no icon
  // file; so does a missing one.
  const std::string notAPicture = server.baseURL() + "/img/sample/cut.png?length=10";
  cell->setCellData(CustomerLauncherItem::initWithChannelItem(channel(103, notAPicture), false));
  ASSERT_TRUE(cell->iconRequest());
  ASSERT_TRUE(waitFor([&] { return !cell->iconRequest(); }));
  EXPECT_EQ(cell->channelIconImgView()->imageName(), "iconDefault");
  EXPECT_FALSE(
      NSFileManager::defaultManager().fileExistsAtPath(UIFilePath::getNewChannelImageIcon(103)));
}

}  // namespace
