// The channel screen on a shown window: its bars for each list kind, the rows of a list (item
// views, separators, the advert row, the end row), the one-time help overlay and the pan that
// leaves the screen.
#include <gtest/gtest.h>

#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/Comment.h"
#include "model/OriginalArticle.h"
#include "model/Status.h"
#include "model/User.h"
#include "screens/reading/ChannelViewController.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/widgets/CaptureView.h"
#include "ui/widgets/UINaviComView.h"
#include "ui/widgets/UINaviTabView.h"

namespace {

StatusPtr status(int64_t id) {
  auto s = std::make_shared<Status>();
  s->statusId = id;
  s->text = "第" + std::to_string(id) + "条：行业新闻的正文，说明这条消息的来龙去脉。";
  s->user = std::make_shared<User>();
  s->user->screenName = "行业观察";
  return s;
}

ValueArray statuses(int n) {
  ValueArray items = makeArray();
  for (int i = 1; i <= n; ++i)
    items->addObject(Value(std::static_pointer_cast<NSObject>(status(i))));
  return items;
}

std::string pngBytes() {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(320, 60), true, 1);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setFillColorWithColor(UIColor::redColor()->CGColor());
  ctx->fillRect(CGRectMake(0, 0, 320, 60));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return UIImagePNGRepresentation(image).value_or("");
}

// The 290 × 1 lines of a row's content view.
std::vector<CGRect> separators(const std::shared_ptr<UITableViewCell>& cell) {
  std::vector<CGRect> lines;
  for (const auto& sub : cell->contentView()->subviews())
    if (sub->frame().size == CGSizeMake(290, 1)) lines.push_back(sub->frame());
  return lines;
}

std::shared_ptr<UIHomeViewCell> itemView(const std::shared_ptr<UITableViewCell>& cell) {
  for (const auto& sub : cell->contentView()->subviews())
    if (auto item = std::dynamic_pointer_cast<UIHomeViewCell>(sub)) return item;
  return nullptr;
}

class ChannelTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    NSGlobe::getEngine()->setThemeNum(1);
    // The help overlay is tested on its own.
    NSUserDefaults::standardUserDefaults()->setBool(true, kShowListHelpKey);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    navigation = std::make_shared<UINavigationController>(std::make_shared<UIViewController>());
    navigation->setNavigationBarHidden(true);
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    MainLoop::advance(0.1);
  }
  std::shared_ptr<ChannelViewController> open(int channelType, int kind) {
    auto screen = ChannelViewController::initWithChannelType(channelType, kind);
    navigation->pushViewController(screen, false);
    MainLoop::advance(0.1);
    return screen;
  }
  void fill(const std::shared_ptr<ChannelViewController>& screen, int n, bool end = false) {
    screen->currentChannel()->setChannelStatuses(statuses(n));
    screen->setIsEnd(end);
    screen->dataTableView()->reloadData();
    screen->dataTableView()->layoutIfNeeded();
  }
  std::shared_ptr<UITableViewCell> row(const std::shared_ptr<ChannelViewController>& screen,
                                       long r) {
    auto path = NSIndexPath::indexPathForRow(r, 0);
    screen->dataTableView()->scrollToRowAtIndexPath(path, UITableViewScrollPosition::Top, false);
    screen->dataTableView()->layoutIfNeeded();
    return screen->dataTableView()->cellForRowAtIndexPath(path);
  }
  CGFloat height(const std::shared_ptr<ChannelViewController>& screen, long r) {
    return screen->tableViewHeightForRowAtIndexPath(screen->dataTableView(),
                                                    NSIndexPath::indexPathForRow(r, 0));
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UINavigationController> navigation;
};

TEST_F(ChannelTableTest, EachListKindGetsItsTabsAndBars) {
  struct Case {
    int kind;
    std::vector<std::string> names;  // the channel's sub-channel names
    std::vector<std::string> tabs;   // shown; empty: no tab strip
  } cases[] = {
      {2, {"市场", "技术", "政策"}, {"市场", "技术", "政策"}},
      {2, {}, {"热点", "新品", "酷评", "八卦"}},
      {8, {}, {"热点", "新品", "酷评", "八卦"}},
      {14, {}, {"营销", "管理", "创业", "案例"}},
      {11, {}, {"新品发布", "教育培训", "行业活动"}},
      {1, {}, {}},
      {6, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    auto screen = ChannelViewController::initWithChannelType(3, c.kind);
    if (!c.names.empty()) {
      ValueArray names = makeArray();
      for (const auto& n : c.names) names->addObject(Value(n));
      auto channel = Channel::initWithChannelType(3, c.kind);
      channel->setSubChannelNames(names);
      screen->setCurrentChannel(channel);
    }
    navigation->pushViewController(screen, false);
    MainLoop::advance(0.1);
    CGFloat viewHeight = screen->view()->frame().size.height;
    if (c.tabs.empty()) {
      EXPECT_FALSE(screen->naviTapView());
      EXPECT_EQ(screen->dataTableView()->frame().size.height, viewHeight);
    } else {
      ASSERT_TRUE(screen->naviTapView());
      EXPECT_EQ(screen->naviTapView()->frame().origin.y, 416);
      EXPECT_EQ(screen->naviTapView()->superview(), screen->view());
      EXPECT_EQ(screen->dataTableView()->frame().size.height, viewHeight - 44);
      std::string tabs = screen->naviTapView()->dump();
      for (const auto& t : c.tabs) EXPECT_NE(tabs.find("\"" + t + "\""), std::string::npos) << t;
    }
    if (c.kind != 2 && c.kind != 8 && c.kind != 14 && c.kind != 11) {
      ASSERT_TRUE(screen->naviBarView());
      EXPECT_EQ(screen->naviBarView()->frame().origin.y, 416);
    }
    // A title view with the channel's title, always the only one.
    int titles = 0;
    for (const auto& sub : screen->view()->subviews()) titles += sub->tag() == 251;
    EXPECT_EQ(titles, 1);
    navigation->popViewControllerAnimated(false);
    MainLoop::advance(0.1);
  }
}

TEST(ChannelTallScreenTest, BarsSitAboveTheBottomOfA568PointScreen) {
  MainLoop::install();
  UIDeviceProfile tall;
  tall.screenHeight = 568;
  UIDevice::setProfile(tall);
  NSGlobe::getEngine()->setThemeNum(1);
  NSUserDefaults::standardUserDefaults()->setBool(true, kShowListHelpKey);
  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  auto navigation = std::make_shared<UINavigationController>(std::make_shared<UIViewController>());
  navigation->setNavigationBarHidden(true);
  window->setRootViewController(navigation);
  window->makeKeyAndVisible();
  auto news = ChannelViewController::initWithChannelType(1, 1);
  navigation->pushViewController(news, false);
  MainLoop::advance(0.1);
  ASSERT_TRUE(news->naviBarView());
  EXPECT_EQ(news->naviBarView()->frame().origin.y, 504);
  EXPECT_EQ(news->dataTableView()->frame().size.height, news->view()->frame().size.height);
  auto tabbed = ChannelViewController::initWithChannelType(3, 2);
  navigation->pushViewController(tabbed, false);
  MainLoop::advance(0.1);
  ASSERT_TRUE(tabbed->naviTapView());
  EXPECT_EQ(tabbed->naviTapView()->frame().origin.y, 504);
  EXPECT_EQ(tabbed->dataTableView()->frame().size.height, tabbed->view()->frame().size.height - 44);
  UIDevice::resetProfile();
}

TEST_F(ChannelTableTest, SearchHasATopBarAndNoBottomBarTimelinesHaveBoth) {
  auto search = open(0, 51);
  EXPECT_FALSE(search->naviBarView());
  ASSERT_TRUE(search->navigationView());
  EXPECT_EQ(search->navigationView()->frame(), CGRectMake(0, 0, 320, 44));
  EXPECT_TRUE(search->navigationView()->viewWithTag(323));
  EXPECT_EQ(search->dataTableView()->frame().origin.y, 44);
  EXPECT_EQ(search->dataTableView()->frame().size.height, search->view()->frame().size.height - 44);
  EXPECT_TRUE(ScreenDriver::findText("返回"));

  auto timeline = open(3, 5);
  ASSERT_TRUE(timeline->naviBarView());
  EXPECT_EQ(timeline->naviBarView()->frame().origin.y, 416);
  EXPECT_EQ(timeline->currentSelectType(), 1);
  std::vector<CGRect> tabs;
  for (const auto& sub : timeline->view()->subviews())
    if (sub->className() == "UIButton" && sub->frame().size == CGSizeMake(80, 44))
      tabs.push_back(sub->frame());
  EXPECT_EQ(tabs, (std::vector<CGRect>{CGRectMake(0, 0, 80, 44), CGRectMake(80, 0, 80, 44),
                                       CGRectMake(160, 0, 80, 44), CGRectMake(240, 0, 80, 44)}));
}

TEST_F(ChannelTableTest, FeedRowsHoldTheirItemViewsAndTwoSeparators) {
  auto screen = open(1, 1);
  EXPECT_EQ(screen->dataTableView()->numberOfRowsInSection(0), 0);  // empty: no rows at all
  fill(screen, 20);
  ASSERT_EQ(screen->dataTableView()->numberOfRowsInSection(0), 20);
  auto first = row(screen, 0);
  ASSERT_TRUE(first);
  auto item = itemView(first);
  ASSERT_TRUE(item);
  EXPECT_EQ(item->frame().origin, CGPointMake(15, 34));
  EXPECT_EQ(item->indexPath().row, 0);
  CGFloat h0 = height(screen, 0);
  EXPECT_EQ(h0, UIHomeViewCell::getHeightForCellRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0),
                                                               status(1), 20, 1, {}, true, false) +
                    24);
  EXPECT_EQ(first->frame().size.height, h0);
  EXPECT_EQ(separators(first),
            (std::vector<CGRect>{CGRectMake(15, h0 - 1, 290, 1), CGRectMake(15, h0, 290, 1)}));
  auto second = row(screen, 1);
  EXPECT_EQ(itemView(second)->frame().origin, CGPointMake(15, 10));
  EXPECT_TRUE(itemView(second)->picInLeft());  // row 1 of a list without an advert
  CGFloat h1 = height(screen, 1);
  EXPECT_EQ(separators(second),
            (std::vector<CGRect>{CGRectMake(15, h1 - 1, 290, 1), CGRectMake(15, h1, 290, 1)}));
}

TEST_F(ChannelTableTest, TheEndRowClosesTheListWithItsTextOnly) {
  auto screen = open(1, 1);
  fill(screen, 5, true);
  ASSERT_EQ(screen->dataTableView()->numberOfRowsInSection(0), 6);
  EXPECT_EQ(height(screen, 5), 30);
  auto end = row(screen, 5);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->textLabel()->text(), "已经是最后一页");
  EXPECT_EQ(end->textLabel()->textAlignment(), UITextAlignmentCenter);
  EXPECT_TRUE(separators(end).empty());
  EXPECT_FALSE(itemView(end));
  // A tap on it opens nothing.
  screen->tableViewDidSelectRowAtIndexPath(screen->dataTableView(),
                                           NSIndexPath::indexPathForRow(5, 0));
  EXPECT_FALSE(screen->isInDetail());
}

TEST_F(ChannelTableTest, AnAdvertRowShowsOnlyWithItsPictureOnDiskAndShiftsTheItems) {
  auto ad = std::make_shared<NSAdInfo>();
  ad->c_img = "http://127.0.0.1:1/ad/banner.png";
  ad->isImgExit = true;
  struct Case {
    int kind;
    bool onDisk;
    long rows;         // for 3 items
    CGFloat adHeight;  // 0: no advert row
    CGFloat adY;
  } cases[] = {
      {1, false, 3, 0, 0},   {1, true, 4, 84, 24},
      {103, true, 4, 60, 0}, {7, true, 4, 0, 0},  // the seminar list: banner row, no advert
      {15, true, 3, 0, 0},                        // the trade-fair list: no advert
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + (c.onDisk ? " on disk" : " missing"));
    auto path = *UIFilePath::getImageWithPath(ad->c_img);
    if (c.onDisk) {
      UIFilePath::makeSureFolderOf(path);
      ASSERT_TRUE(NSFileManager::defaultManager().createFileAtPath(path, pngBytes()));
    } else {
      NSFileManager::defaultManager().removeItemAtPath(path);
    }
    auto screen = open(33, c.kind);
    screen->setAdInfo(ad);
    fill(screen, 3);
    EXPECT_EQ(screen->dataTableView()->numberOfRowsInSection(0), c.rows);
    EXPECT_EQ(screen->advertRowShown(), c.adHeight > 0);
    if (c.adHeight > 0) {
      EXPECT_EQ(height(screen, 0), c.adHeight);
      auto top = row(screen, 0);
      std::shared_ptr<UIView> banner;
      for (const auto& sub : top->contentView()->subviews())
        if (sub->className() == "UIAdView") banner = sub;
      ASSERT_TRUE(banner);
      EXPECT_EQ(banner->frame(), CGRectMake(0, c.adY, 320, 60));
      EXPECT_TRUE(separators(top).empty());
      // The first item is row 1, its picture side from the table row.
      auto first = itemView(row(screen, 1));
      ASSERT_TRUE(first);
      EXPECT_EQ(first->weiboitem(),
                screen->currentChannel()->channelStatuses()->objectAtIndex(0).object<NSObject>());
      EXPECT_TRUE(first->picInLeft());
      EXPECT_EQ(first->frame().origin.y, 10);
      // The advert row opens nothing.
      screen->tableViewDidSelectRowAtIndexPath(screen->dataTableView(),
                                               NSIndexPath::indexPathForRow(0, 0));
      EXPECT_FALSE(screen->isInDetail());
    }
    if (c.kind == 7) {
      EXPECT_EQ(height(screen, 0), 152);
    }
    if (c.kind == 15) {
      EXPECT_EQ(height(screen, 1), 70);
    }
    navigation->popViewControllerAnimated(false);
    MainLoop::advance(0.1);
  }
}

TEST_F(ChannelTableTest, AnAdvertRowComesWithTheReloadAfterItsPictureLandsAndGoesWhenClosed) {
  auto ad = std::make_shared<NSAdInfo>();
  ad->c_img = "http://127.0.0.1:1/ad/landing.png";
  ad->isImgExit = true;
  auto path = *UIFilePath::getImageWithPath(ad->c_img);
  NSFileManager::defaultManager().removeItemAtPath(path);
  auto screen = open(34, 1);
  screen->setAdInfo(ad);
  fill(screen, 3);
  auto table = screen->dataTableView();
  auto firstItem = screen->currentChannel()->channelStatuses()->objectAtIndex(0).object<NSObject>();
  // The list after a reload (as a reply or a refresh makes one): the advert row on top, 84
  // high, with the items under it; or the items alone.
  auto expectAfterReload = [&](bool advert) {
    screen->refreshTableView();
    table->layoutIfNeeded();
    EXPECT_EQ(table->numberOfRowsInSection(0), advert ? 4 : 3);
    EXPECT_EQ(screen->advertRowShown(), advert);
    bool banner = false;
    for (const auto& sub : row(screen, 0)->contentView()->subviews())
      banner = banner || sub->className() == "UIAdView";
    EXPECT_EQ(banner, advert);
    if (advert) {
      EXPECT_EQ(height(screen, 0), 84);
    }
    EXPECT_EQ(itemView(row(screen, advert ? 1 : 0))->weiboitem(), firstItem);
  };
  {
    SCOPED_TRACE("no picture yet");
    expectAfterReload(false);
  }
  {
    SCOPED_TRACE("the picture landed");
    UIFilePath::makeSureFolderOf(path);
    ASSERT_TRUE(NSFileManager::defaultManager().createFileAtPath(path, pngBytes()));
    expectAfterReload(true);
  }
  {
    SCOPED_TRACE("closed: the advert loses its picture flag and leaves the screen");
    ad->isImgExit = false;
    screen->setAdInfo(nullptr);
    expectAfterReload(false);
  }
  {
    SCOPED_TRACE("shown again, then its picture removed from disk (a cleared cache)");
    ad->isImgExit = true;
    screen->setAdInfo(ad);
    expectAfterReload(true);
    NSFileManager::defaultManager().removeItemAtPath(path);
    expectAfterReload(false);
  }
}

TEST_F(ChannelTableTest, CommentAndReadLaterRowsTakeTheirItemsByTheRowAndStayEmptyOtherwise) {
  // The comments tab: a Comment row holds its comment view, anything else stays empty.
  auto comments = open(3, 5);
  comments->setCurrentSelectType(3);
  auto comment = std::make_shared<Comment>();
  comment->commentId = 7;
  comment->text = "说得好";
  comment->user = std::make_shared<User>();
  comment->user->screenName = "读者";
  comment->status = status(1);
  ValueArray items = makeArray();
  items->addObject(Value(std::static_pointer_cast<NSObject>(comment)));
  items->addObject(Value(std::static_pointer_cast<NSObject>(status(2))));
  comments->currentChannel()->setChannelStatuses(items);
  comments->setIsEnd(false);
  comments->dataTableView()->reloadData();
  ASSERT_EQ(comments->dataTableView()->numberOfRowsInSection(0), 2);
  EXPECT_EQ(height(comments, 0), UIHomeViewCell::getHeightWithComment(comment));
  auto first = row(comments, 0);
  ASSERT_TRUE(itemView(first));
  // No title room on the timelines: the view where its builder put it.
  EXPECT_EQ(itemView(first)->frame(), UIHomeViewCell::initWithItem(comment, 5)->frame());
  EXPECT_EQ(separators(first).size(), 2u);
  auto other = row(comments, 1);
  EXPECT_TRUE(other->contentView()->subviews().empty());

  // The read-later list: 120-point rows, the first 24 taller with its view 24 lower.
  auto later = open(3, 3);
  auto article = std::make_shared<OriginalArticle>();
  article->title = "行业周报";
  ValueArray articles = makeArray();
  articles->addObject(Value(std::static_pointer_cast<NSObject>(article)));
  articles->addObject(Value(std::static_pointer_cast<NSObject>(status(3))));
  later->currentChannel()->setChannelStatuses(articles);
  later->dataTableView()->reloadData();
  EXPECT_EQ(height(later, 0), 144);
  EXPECT_EQ(height(later, 1), 120);
  auto top = row(later, 0);
  ASSERT_TRUE(itemView(top));
  EXPECT_EQ(itemView(top)->frame().origin.y, 24);
  EXPECT_EQ(separators(top).size(), 2u);
  EXPECT_TRUE(row(later, 1)->contentView()->subviews().empty());
}

TEST_F(ChannelTableTest, TheHelpOverlayShowsOnceAndGoesByItself) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setBool(false, kShowListHelpKey);
  open(1, 1);
  auto help = window->viewWithTag(298);
  ASSERT_TRUE(help);
  EXPECT_EQ(help->frame(),
            CGRectMake(0, 20, 320, UIScreen::mainScreen()->bounds().size.height - 20));
  // The bundle's picture, drawn at 2x for the 320 x 460 points under the status bar.
  ASSERT_EQ(help->subviews().size(), 1u);
  auto picture = std::dynamic_pointer_cast<UIImageView>(help->subviews()[0]);
  ASSERT_TRUE(picture && picture->image());
  EXPECT_EQ(picture->imageName(), "helpList.jpg");
  EXPECT_EQ(picture->image()->CGImage()->width(), 640u);
  EXPECT_EQ(picture->image()->CGImage()->height(), 920u);
  MainLoop::advance(9.5);
  EXPECT_TRUE(window->viewWithTag(298));
  MainLoop::advance(1);
  EXPECT_FALSE(window->viewWithTag(298));
  EXPECT_TRUE(defaults->boolForKey(kShowListHelpKey));
  open(1, 1);
  EXPECT_FALSE(window->viewWithTag(298));
}

TEST_F(ChannelTableTest, TheHelpOverlayClosesOnATapAndNeverShowsInSearch) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setBool(false, kShowListHelpKey);
  open(0, 51);
  EXPECT_FALSE(window->viewWithTag(298));
  open(1, 1);
  ASSERT_TRUE(window->viewWithTag(298));
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 240)));
  MainLoop::advance(0.5);
  EXPECT_FALSE(window->viewWithTag(298));
  EXPECT_TRUE(defaults->boolForKey(kShowListHelpKey));
}

TEST_F(ChannelTableTest, APanToTheRightLeavesTheScreenOnce) {
  auto screen = open(1, 1);
  fill(screen, 3);
  ASSERT_EQ(navigation->viewControllers().size(), 2u);
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(100, 300), CGPointMake(260, 305), 0.4));
  MainLoop::advance(1);
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
}

TEST_F(ChannelTableTest, APanOfMoreThan100ToTheRightClosesTheOpenRowAndTheRowsGetTheirFramesBack) {
  struct Case {
    CGFloat distance;
    bool closes;
  } cases[] = {{80, false}, {160, true}};
  // The detail view's own one-time help is not what this is about.
  NSUserDefaults::standardUserDefaults()->setBool(true, "showDetailsHelp");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.distance);
    auto screen = open(1, 1);
    fill(screen, 20);
    auto table = screen->dataTableView();
    table->setContentOffset(CGPointMake(0, 100), false);
    table->layoutIfNeeded();
    std::map<long, CGRect> before;
    for (const auto& cell : table->visibleCells())
      if (auto p = table->indexPathForCell(cell)) before[p->row] = cell->frame();
    ASSERT_GT(before.size(), 2u);
    long tapped = std::next(before.begin())->first;
    screen->tableViewDidSelectRowAtIndexPath(table, NSIndexPath::indexPathForRow(tapped, 0));
    ASSERT_TRUE(screen->isInDetail());
    MainLoop::advance(3);  // open, loading its comments, and any prompt gone
    ASSERT_FALSE(window->viewWithTag(2345));
    ASSERT_TRUE(screen->contentView());
    ASSERT_NE(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(tapped, 0))->frame(),
              before.at(tapped));

    // Over the open item, as a person pans across it.
    ASSERT_TRUE(ScreenDriver::drag(CGPointMake(60, 300), CGPointMake(60 + c.distance, 305), 0.4));
    MainLoop::advance(0.9);
    EXPECT_EQ(screen->isInDetail(), !c.closes);
    EXPECT_EQ(screen->contentView() == nullptr, c.closes);
    if (c.closes) {
      for (const auto& [r, frame] : before)
        EXPECT_EQ(table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(r, 0))->frame(), frame)
            << "row " << r;
    }
    // Closing the item is all the pan does: the screen stays where it was.
    EXPECT_EQ(navigation->topViewController(), screen);
    EXPECT_EQ(navigation->view()->frame().origin.x, 0);
    navigation->popViewControllerAnimated(false);
    MainLoop::advance(0.1);
  }
}

TEST_F(ChannelTableTest, AVerticalDragScrollsWithoutLeaving) {
  auto screen = open(1, 1);
  fill(screen, 20);
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(165, 150), 0.4));
  MainLoop::advance(2);
  EXPECT_EQ(navigation->viewControllers().size(), 2u);
  EXPECT_GT(screen->dataTableView()->contentOffset().y, 0);
}

}  // namespace
