// A list screen built on the channel base screen, shown in the app's navigation controller on
// a window, with rows of feed item views: a tap opens the item detail view in place (the rows
// split apart at the tapped row, 0.85 s, then the detail view starts loading) and contentAction 1
// closes it (the rows get their frames back); picture arrivals and refreshes wait for the
// close; the handlers of item views and the detail view open the screens they name; articles
// come from the page cache, the read-later copy or a download from the local content server.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableViewCell.h"
#include "UIKit/UIWindow.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/Comment.h"
#include "model/OriginalArticle.h"
#include "model/Status.h"
#include "model/User.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "screens/reading/FullArticleViewController.h"
#include "screens/reading/UIChannelBaseViewCtrl.h"
#include "screens/reading/UIContentView.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/UIInfoViewCtrl.h"
#include "ui/framework/UIMsgViewCtrl.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/framework/WebViewCtrl.h"
#include "ui/widgets/UIPhotoViewCtrl.h"

namespace {

// The address the browser screen's page was asked for; "" before it loads anything.
std::string pageAddress(const WebViewCtrl& web) {
  auto view = web.myWebView();
  if (!view || !view->request() || !view->request()->URL()) return "";
  return view->request()->URL()->absoluteString();
}

StatusPtr makeStatus(int64_t id, std::string text) {
  auto s = std::make_shared<Status>();
  s->statusId = id;
  s->text = std::move(text);
  s->user = std::make_shared<User>();
  s->user->screenName = "行业观察";
  return s;
}

// The least list screen on the base: row 0 is 40 high and every other row 80, each row's
// content holds the feed item view of its status; a tap opens the detail view, the detail
// view's contentAction 1 closes it.
class DetailList : public UIChannelBaseViewCtrl {
 public:
  std::map<long, int> cellsBuilt;  // row -> times built

  void viewDidLoad() override {
    UIChannelBaseViewCtrl::viewDidLoad();
    for (int i = 0; i < 12; ++i)
      lastdataArray().push_back(makeStatus(1000 + i, "第" + std::to_string(i) + "条"));
    dataTableView()->reloadData();
  }
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override {
    return static_cast<long>(lastdataArray().size());
  }
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                           const NSIndexPath& p) override {
    return p.row == 0 ? 40 : 80;
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& p) override {
    ++cellsBuilt[p.row];
    auto cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "Row");
    auto status = std::dynamic_pointer_cast<Status>(lastdataArray()[p.row]);
    auto item = UIHomeViewCell::initWithItem(status, weakSelf<UIChannelBaseViewCtrl>(),
                                             static_cast<int>(actionType()), p, false, true, false);
    cell->contentView()->addSubview(item);
    return cell;
  }
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>& table,
                                        const NSIndexPath& p) override {
    if (isInDetail()) return;
    setIsInDetail(true);
    startDetailAnimal(table, p);
  }
  void contentAction(int code) override {
    if (code == 1) endDetailAnimation();
  }
  std::string getChannelId() override { return "101"; }
  std::string getCurrentItemEid() override { return "e42"; }
};

using apitest::BoundAccount;

class ChannelBaseTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override { open(480); }
  void TearDown() override {
    ClientPlatformAccount::setCurrent(nullptr);
    UIDevice::resetProfile();
    ServerClientTest::TearDown();
  }

  void open(double screenHeight) {
    UIDeviceProfile profile;
    profile.screenHeight = screenHeight;
    UIDevice::setProfile(profile);
    ServerClientTest::SetUp();
    NSWeiBoNet::getNetEngine();
    root = std::make_shared<UIViewController>();
    nav = std::make_shared<UINaviCtrl>(root);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    screen = std::make_shared<DetailList>();
    nav->pushViewController(screen, false);
    MainLoop::advance(1);
  }

  std::shared_ptr<UITableView> table() { return screen->dataTableView(); }
  std::shared_ptr<UITableViewCell> cell(long row) {
    return table()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
  }
  std::map<long, CGRect> visibleFrames() {
    std::map<long, CGRect> out;
    for (const auto& c : table()->visibleCells())
      if (auto p = table()->indexPathForCell(c)) out[p->row] = c->frame();
    return out;
  }
  void tapRow(long row) {
    screen->tableViewDidSelectRowAtIndexPath(table(), NSIndexPath::indexPathForRow(row, 0));
  }
  static void bind() { ClientPlatformAccount::setCurrent(std::make_shared<BoundAccount>()); }
  std::shared_ptr<UIViewController> top() { return nav->topViewController(); }

  std::shared_ptr<UIViewController> root;
  std::shared_ptr<UINaviCtrl> nav;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<DetailList> screen;
};

std::optional<UIViewAnimationRecord> running(std::string_view name) {
  for (const auto& a : UIView::runningAnimations())
    if (a.animationID == name) return a;
  return std::nullopt;
}

// ---- opening and closing in place

TEST_F(ChannelBaseTest, ATapOpensTheRowInPlaceAndTheRowsSplitApartAroundIt) {
  table()->setContentOffset(CGPointMake(0, 100), false);
  MainLoop::advance(0.1);
  auto before = visibleFrames();
  ASSERT_EQ(before.at(3), CGRectMake(0, 200, 320, 80));

  tapRow(3);
  ASSERT_NE(screen->contentView(), nullptr);
  // The detail view starts from a copy of the row's item view at the row's place.
  EXPECT_EQ(screen->contentView()->frame().origin.y, 100);
  EXPECT_EQ(screen->contentView()->frame().size.width, 320);
  EXPECT_EQ(screen->contentView()->superview(), screen->view());
  auto opening = running("rawReadAnimation");
  ASSERT_TRUE(opening);
  EXPECT_DOUBLE_EQ(opening->duration, 0.85);
  EXPECT_EQ(opening->curve, UIViewAnimationCurve::EaseInOut);
  EXPECT_EQ(screen->animalLock().depth(), 1);

  for (const auto& [row, frame] : before) {
    CGRect now = cell(row)->frame();
    if (row < 3) {
      EXPECT_EQ(now.origin.y, frame.origin.y - 100) << "row " << row;
    } else if (row > 3) {
      EXPECT_EQ(now.origin.y, frame.origin.y + 192) << "row " << row;
    }
  }
  EXPECT_EQ(cell(3)->frame(), CGRectMake(0, 100, 320, 372));
  EXPECT_EQ(screen->anmiDic().size(), before.size());

  // The detail view starts loading only when the open animation stopped.
  MainLoop::advance(0.8);
  EXPECT_EQ(screen->animalLock().depth(), 1);
  EXPECT_EQ(screen->contentView()->ctableView(), nullptr);
  MainLoop::advance(0.1);
  EXPECT_FALSE(running("rawReadAnimation"));
  EXPECT_EQ(screen->animalLock().depth(), 0);
  EXPECT_NE(screen->contentView()->ctableView(), nullptr);
  EXPECT_TRUE(screen->isInDetail());

  // Closing: contentAction 1 gives the rows their frames back.
  screen->contentAction(1);
  auto closing = running("endDetailAnimation");
  ASSERT_TRUE(closing);
  EXPECT_DOUBLE_EQ(closing->duration, 0.85);
  EXPECT_EQ(visibleFrames(), before);
  MainLoop::advance(0.9);
  EXPECT_FALSE(screen->isInDetail());
  EXPECT_EQ(screen->contentView(), nullptr);
  EXPECT_TRUE(screen->anmiDic().empty());
  EXPECT_EQ(screen->animalLock().depth(), 0);
}

TEST_F(ChannelBaseTest, TheTappedRowFillsTheTallerListOfA568Screen) {
  TearDown();
  open(568);
  EXPECT_EQ(UIChannelBaseViewCtrl::visibleListHeight(), 460);
  tapRow(2);
  EXPECT_EQ(cell(2)->frame(), CGRectMake(0, 0, 320, 460));
  MainLoop::advance(1);
}

TEST_F(ChannelBaseTest, RowsAtTheEdgesOfTheVisibleListLeaveThroughTheNearEdge) {
  // The last visible row: the rows above slide up by its top, none moves down.
  table()->setContentOffset(CGPointMake(0, 0), false);
  MainLoop::advance(0.1);
  auto before = visibleFrames();
  long last = before.rbegin()->first;
  CGFloat top = before.at(last).origin.y;
  tapRow(last);
  for (const auto& [row, frame] : before) {
    if (row != last) {
      EXPECT_EQ(cell(row)->frame().origin.y, frame.origin.y - top) << row;
    }
  }
  MainLoop::advance(1);
  screen->contentAction(1);
  MainLoop::advance(1);

  // A row partly above the list (top −30) is the first visible one: it is pulled down to the
  // list's top, and the rows below leave through the bottom by 372 − 50.
  table()->setContentOffset(CGPointMake(0, 150), false);
  MainLoop::advance(0.1);
  before = visibleFrames();
  ASSERT_EQ(before.begin()->first, 2);
  ASSERT_EQ(before.at(2), CGRectMake(0, 120, 320, 80));
  tapRow(2);
  EXPECT_EQ(cell(2)->frame(), CGRectMake(0, 150, 320, 372));
  for (const auto& [row, frame] : before) {
    if (row > 2) {
      EXPECT_EQ(cell(row)->frame().origin.y, frame.origin.y + 322) << row;
    }
  }
  MainLoop::advance(1);
}

TEST_F(ChannelBaseTest, TheAnimationLockIsReleasedEvenWhenAnimationsAreOff) {
  UIView::setAnimationsEnabled(false);
  tapRow(1);
  MainLoop::pump();
  EXPECT_EQ(screen->animalLock().depth(), 0);
  screen->contentAction(1);
  MainLoop::pump();
  UIView::setAnimationsEnabled(true);
  EXPECT_EQ(screen->animalLock().depth(), 0);
  EXPECT_EQ(screen->contentView(), nullptr);
}

TEST_F(ChannelBaseTest, ARowWithoutAnItemViewOpensNothing) {
  screen->setIsInDetail(true);
  screen->startDetailAnimal(table(), NSIndexPath::indexPathForRow(40, 0));
  EXPECT_EQ(screen->contentView(), nullptr);
  EXPECT_FALSE(screen->isInDetail());
  EXPECT_EQ(screen->animalLock().depth(), 0);
  EXPECT_FALSE(running("rawReadAnimation"));
}

// ---- deferred reloads

TEST_F(ChannelBaseTest, PicturesAndRefreshesWhileTheDetailViewIsOpenReloadOnceAfterItCloses) {
  tapRow(1);
  MainLoop::advance(1);
  // Two pictures of row 4 (once in another section) and one of row 5: two entries.
  screen->addInReFreshArray(NSIndexPath::indexPathForRow(4, 0));
  screen->addInReFreshArray(NSIndexPath::indexPathForRow(4, 1));
  screen->addInReFreshArray(NSIndexPath::indexPathForRow(5, 0));
  ASSERT_TRUE(screen->reFreshArray());
  EXPECT_EQ(screen->reFreshArray()->size(), 2u);
  screen->refreshTableView();
  screen->refreshTableView();
  EXPECT_TRUE(screen->needLaterRefresh());
  // A load-more ending while the detail view is open leaves the rows waiting.
  screen->loadMoreAnimationgOver();
  EXPECT_TRUE(screen->reFreshArray());

  screen->cellsBuilt.clear();
  screen->contentAction(1);
  MainLoop::advance(1);
  EXPECT_FALSE(screen->reFreshArray());
  EXPECT_FALSE(screen->needLaterRefresh());
  // The two rows reloaded, then the whole list once.
  EXPECT_EQ(screen->cellsBuilt[4], 2);
  EXPECT_EQ(screen->cellsBuilt[5], 2);
  EXPECT_EQ(screen->cellsBuilt[2], 1);
}

TEST_F(ChannelBaseTest,
       WithTheDetailViewClosedALoadMoreEndReloadsTheRecordedRowsAndARefreshIsAtOnce) {
  screen->addInReFreshArray(NSIndexPath::indexPathForRow(3, 0));
  screen->cellsBuilt.clear();
  screen->loadMoreAnimationgOver();
  EXPECT_FALSE(screen->reFreshArray());
  EXPECT_EQ(screen->cellsBuilt[3], 1);
  screen->cellsBuilt.clear();
  screen->refreshTableView();
  EXPECT_FALSE(screen->needLaterRefresh());
  MainLoop::advance(0.1);
  EXPECT_EQ(screen->cellsBuilt[0], 1);
}

// ---- list items

TEST_F(ChannelBaseTest, FavouritesAreMarkedFromTheFavouritesListOrTheDispatchersIds) {
  NSWeiBoNet::getNetEngine()->favoriteList() = {"77", "1001"};
  struct Case {
    long kind;
    int64_t id;
    bool favorited;
  } cases[] = {{0, 1001, true}, {0, 1002, false}, {3, 77, true}, {4, 5, true}};
  for (const auto& c : cases) {
    screen->setActionType(c.kind);
    auto s = makeStatus(c.id, "x");
    screen->checkInsFav(s);
    EXPECT_EQ(s->favorited, c.favorited) << c.kind << " " << c.id;
  }
  // The flag is never cleared here.
  screen->setActionType(0);
  auto marked = makeStatus(9, "x");
  marked->favorited = true;
  screen->checkInsFav(marked);
  EXPECT_TRUE(marked->favorited);
  NSWeiBoNet::getNetEngine()->favoriteList().clear();
}

// ---- what item views and the detail view ask

TEST_F(ChannelBaseTest, WebLinksOpenTheBrowserWrappedOutsideTheMicroblogKinds) {
  const std::string shortLink =
      "http://" + std::string(ClientRequest::kPlatformShortLinkHost) + "/Mb7kQ2";
  std::string wrapped(
      ClientRequest::getWebHttp(Value(shortLink), Value("e42"), Value("101")).string());
  ASSERT_NE(wrapped, shortLink);
  struct Case {
    long kind;
    std::string expected;
    bool media;
  } cases[] = {{0, wrapped, false},   {1, shortLink, false}, {5, shortLink, false},
               {7, shortLink, false}, {9, shortLink, false}, {15, shortLink, false},
               {10, wrapped, true},   {11, wrapped, true}};
  for (const auto& c : cases) {
    screen->setActionType(c.kind);
    screen->openURL(shortLink);
    auto web = std::dynamic_pointer_cast<WebViewCtrl>(top());
    ASSERT_NE(web, nullptr) << c.kind;
    EXPECT_EQ(pageAddress(*web), c.expected) << c.kind;
    EXPECT_EQ(web->isMediaPlay(), c.media) << c.kind;
    nav->popToViewController(screen, false);
  }
  // openURLWeb takes only web addresses.
  screen->openURLWeb("ftp://x");
  EXPECT_EQ(top(), screen);
  screen->openURLWeb("http://a.example/");
  EXPECT_EQ(pageAddress(*std::dynamic_pointer_cast<WebViewCtrl>(top())), "http://a.example/");
}

TEST_F(ChannelBaseTest, NamesOpenTheProfileOnceTheAccountIsBound) {
  // Not bound: the name waits in evenItem, no screen opens.
  screen->openURL("@张三");
  EXPECT_EQ(top(), screen);
  EXPECT_EQ(screen->evenItem().string(), "@张三");

  bind();
  screen->openURL("@张三");
  auto profile = std::dynamic_pointer_cast<UIInfoViewCtrl>(top());
  ASSERT_NE(profile, nullptr);
  EXPECT_EQ(profile->nibName(), "UIInfoViewCtrl");
  EXPECT_EQ(profile->item()->username, "张三");
  nav->popToViewController(screen, false);
  screen->openURL("@李");
  EXPECT_EQ(std::dynamic_pointer_cast<UIInfoViewCtrl>(top())->item()->username, "李");
  nav->popToViewController(screen, false);
  // A lone @ names nobody.
  screen->openURL("@");
  EXPECT_EQ(top(), screen);

  // A user's head: the profile, or the user waits.
  ClientPlatformAccount::setCurrent(nullptr);
  auto user = std::make_shared<User>();
  user->username = "王五";
  screen->showHead(user);
  EXPECT_EQ(top(), screen);
  EXPECT_EQ(screen->evenItem().object<User>(), user);
  bind();
  screen->showHead(user);
  EXPECT_EQ(std::dynamic_pointer_cast<UIInfoViewCtrl>(top())->item(), user);
}

TEST_F(ChannelBaseTest, PicturesOpenTheirMiddleSizeModally) {
  screen->setActionType(3);
  screen->showPic("http://p.example/thumbnail/a_thumbnail.jpg");
  auto photo = std::dynamic_pointer_cast<UIPhotoViewCtrl>(screen->modalViewController());
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(photo->filePath(), "http://p.example/bmiddle/a_bmiddle.jpg");
  EXPECT_EQ(photo->weiboType(), 3);
}

TEST_F(ChannelBaseTest, ACommentReplyOpensTheComposerFilledWithTheName) {
  auto comment = std::make_shared<Comment>();
  comment->status = makeStatus(1234567890123LL, "原文");
  comment->user = std::make_shared<User>();
  comment->user->screenName = "评论者";
  for (int code : {0, 1, 6, 8}) {
    screen->commentAction(code, comment);
    EXPECT_EQ(top(), screen) << code;
  }
  // Replying needs the account.
  screen->replyComment(comment);
  EXPECT_EQ(top(), screen);
  bind();
  screen->replyComment(comment);
  auto composer = std::dynamic_pointer_cast<UIMsgViewCtrl>(top());
  ASSERT_NE(composer, nullptr);
  EXPECT_EQ(composer->type(), 0);
  EXPECT_EQ(composer->msgTitle(), "回复评论");
  EXPECT_EQ(composer->weiboId(), 1234567890123LL);
  EXPECT_EQ(composer->sourceComment(), comment);
  EXPECT_EQ(composer->textV()->text(), "回复@评论者:");
}

TEST_F(ChannelBaseTest, TheMailShareIsDroppedWhenTheComposerIsDone) {
  auto mail = std::make_shared<UISendMailViewCtrl>();
  mail->setMailDelegate(screen);
  screen->setMailVC(mail);
  mail->sendEmailOver(1);
  EXPECT_EQ(screen->mailVC(), nullptr);
}

// ---- articles

class ChannelArticleTest : public ChannelBaseTest {
 protected:
  std::shared_ptr<OriginalArticle> article(std::string code) {
    auto a = std::make_shared<OriginalArticle>();
    a->originalURL = "http://" + std::string(ClientRequest::kPlatformShortLinkHost) + "/" + code;
    a->title = "文章";
    return a;
  }
  size_t readerRequests() const {
    size_t n = 0;
    for (const auto& r : server.requests())
      if (r.path.find("NewsReader") != std::string::npos) ++n;
    return n;
  }
  static void writeFile(const std::string& path, const std::string& text) {
    ASSERT_TRUE(UIFilePath::makeSureFolderOf(path));
    ASSERT_TRUE(UIFilePath::writeFile(path, text));
  }
  static bool exists(const std::optional<std::string>& path) {
    return path && std::filesystem::exists(*path);
  }
};

TEST_F(ChannelArticleTest, ACachedPageOpensTheReaderWithoutARequest) {
  auto a = article("Mb7kQ2");
  writeFile(*UIFilePath::localHTMLFilePath(a->originalURL), "<html>cached</html>");
  screen->openArticleView(a, false);
  auto reader = std::dynamic_pointer_cast<FullArticleViewController>(top());
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader->article(), a);
  EXPECT_FALSE(reader->readFromChannel());
  MainLoop::advance(1);
  EXPECT_EQ(readerRequests(), 0u);

  // The read-later copy.
  nav->popToViewController(screen, false);
  auto later = article("Rt3xP9");
  writeFile(*UIFilePath::readLaterHTMLFilePath(later->originalURL), "<html>later</html>");
  screen->openArticleView(later, true);
  reader = std::dynamic_pointer_cast<FullArticleViewController>(top());
  ASSERT_NE(reader, nullptr);
  EXPECT_TRUE(reader->readFromChannel());
  EXPECT_EQ(readerRequests(), 0u);
}

TEST_F(ChannelArticleTest, AnArticleSavedForLaterFromTheReaderMarksTheOpenDetailViewOnce) {
  tapRow(1);
  MainLoop::advance(1);
  auto a = article("Ex6nJ3");
  writeFile(*UIFilePath::localHTMLFilePath(a->originalURL), "<html>cached</html>");
  screen->openArticleView(a, false);
  ASSERT_NE(std::dynamic_pointer_cast<FullArticleViewController>(top()), nullptr);
  EXPECT_FALSE(screen->contentView()->hasOriginalArticle());
  postNotification(kArticleAdded);
  EXPECT_TRUE(screen->contentView()->hasOriginalArticle());
  // Observed once: a later save elsewhere does not reach this screen.
  screen->contentView()->setHasOriginalArticle(false);
  postNotification(kArticleAdded);
  EXPECT_FALSE(screen->contentView()->hasOriginalArticle());
}

TEST_F(ChannelArticleTest, AMissingPageIsDownloadedThenOpens) {
  auto a = article("Hc8wN4");
  ASSERT_FALSE(exists(UIFilePath::localHTMLFilePath(a->originalURL)));
  screen->openArticleView(a, false);
  EXPECT_EQ(top(), screen);
  EXPECT_EQ(screen->tempArticle(), a);
  ASSERT_TRUE(waitFor([&] { return top() != screen; }));
  EXPECT_EQ(readerRequests(), 1u);
  auto requests = server.requests();
  auto request = *std::find_if(requests.begin(), requests.end(), [](const auto& r) {
    return r.path.find("NewsReader") != std::string::npos;
  });
  EXPECT_EQ(request.paramOr("c_url"), a->originalURL);
  EXPECT_EQ(request.paramOr("channelID"), "101");
  auto reader = std::dynamic_pointer_cast<FullArticleViewController>(top());
  ASSERT_NE(reader, nullptr);
  EXPECT_FALSE(reader->readFromChannel());
  EXPECT_TRUE(exists(UIFilePath::localHTMLFilePath(a->originalURL)));
}

TEST_F(ChannelArticleTest, FromTheReadLaterListTheDownloadedPageIsCopiedForLater) {
  auto a = article("Lq5vZ1");
  screen->openArticleView(a, true);
  ASSERT_TRUE(waitFor([&] { return top() != screen; }));
  auto reader = std::dynamic_pointer_cast<FullArticleViewController>(top());
  ASSERT_NE(reader, nullptr);
  EXPECT_TRUE(reader->readFromChannel());
  EXPECT_TRUE(exists(UIFilePath::readLaterHTMLFilePath(a->originalURL)));
  EXPECT_TRUE(exists(UIFilePath::localHTMLFilePath(a->originalURL)));
}

TEST_F(ChannelArticleTest, AFailedDownloadOpensNothingAndLeavesNoPageBehind) {
  auto a = article("NoSuch");
  screen->openArticleView(a, false);
  ASSERT_TRUE(waitFor([&] { return readerRequests() == 1; }));
  // Nothing opens, however long the reply takes.
  EXPECT_FALSE(waitFor([&] { return top() != screen; }, 1));
  // The next open asks again instead of showing the failure as the page.
  EXPECT_FALSE(exists(UIFilePath::localHTMLFilePath(a->originalURL)));
  // Replies beginning with "0" are failures too.
  screen->articleCallback(Value("0"));
  EXPECT_EQ(top(), screen);
}

}  // namespace
