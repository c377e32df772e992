// The item detail view on its own, over a shown window: a feed item view of a demo status, a
// delegate that records what the view hands to its screen, the dispatcher and the local content
// server on loopback, and the virtual clock.  What goes out is read from the bus and from the
// server's request log; what the reader sees from the table's rows.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableViewCell.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/RequestType.h"
#include "core/UIFilePath.h"
#include "model/NSLoginData.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/KeychainUtils.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/WBEngine.h"
#include "screens/reading/UIContentView.h"
#include "screens/reading/UITabContentView.h"
#include "server/DemoData.h"
#include "server/PlatformServer.h"
#include "support/BusRecorder.h"
#include "support/MainLoop.h"
#include "support/TestHTTPServer.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/widgets/UINaviComView.h"

namespace {

// The status of "要闻" with 25 comments, and the one that links the demo article.
constexpr int64_t kCommented = 10087;
constexpr int64_t kLinking = 10038;
constexpr const char* kLinkingText =
    "【贝乐宝完成新一轮融资】纸尿裤品牌贝乐宝宣布完成数亿元融资，资金将用于智能工厂建设和线下渠道"
    "拓展。深度解读 http://t.ziza.example/Rt3xP9 相关阅读 http://t.ziza.example/Hc8wN4";

class FakeAccount : public ClientPlatformAccount {
 public:
  std::string uid;
  bool isLoggedIn() override { return !uid.empty(); }
  bool isAuthorizeExpired() override { return false; }
  bool isAccountTimeOut() override { return false; }
  void logIn() override {}
  void logOut() override { uid.clear(); }
  std::string userID() override { return uid; }
};

// The screen that opened the view: records the codes and calls it receives.
class Screen : public NSObject, public UIContentViewDelegate, public UIHomeViewCellDelegate {
 public:
  std::vector<std::string> calls;
  std::vector<int> actions;
  void contentAction(int code) override { actions.push_back(code); }
  void commentAction(int code, const CommentPtr& c) override {
    calls.push_back("commentAction " + std::to_string(code) + " " + (c ? c->text : "nil"));
  }
  void openArticleView(const OriginalArticlePtr& a, bool fromChannel) override {
    calls.push_back("openArticleView " + (a ? a->title : "nil") + (fromChannel ? " YES" : " NO"));
  }
  void refreshStatues(const StatusPtr& s) override {
    calls.push_back("refreshStatues " + std::to_string(s ? s->statusId : 0));
  }
  std::string getChannelId() override { return "1"; }
  bool respondsToSelector(std::string_view s) const override { return s == "getChannelId"; }
  // The swipe: the item view handed out next (once), and what was asked.
  std::shared_ptr<UIHomeViewCell> next;
  std::vector<bool> pagesAsked;
  std::shared_ptr<UIHomeViewCell> getNextPage(bool previous) override {
    pagesAsked.push_back(previous);
    return std::exchange(next, nullptr);
  }
};

StatusPtr demoStatus(int64_t id, std::string text, int comments, int reposts) {
  auto s = std::make_shared<Status>();
  s->statusId = id;
  s->vorluId = id;
  s->text = std::move(text);
  s->user = std::make_shared<User>();
  s->user->screenName = "孕婴童观察";
  s->commentsCount = comments;
  s->retweetsCount = reposts;
  return s;
}

std::string param(const zept::server::RecordedRequest& r, std::string_view name) {
  for (const auto& [k, v] : r.queryParams)
    if (k == name) return v;
  for (const auto& [k, v] : r.formParams)
    if (k == name) return v;
  return "(none)";
}

std::vector<std::string> texts(const Value& data) {
  return BusRecorder::texts(data);
}

// The texts of the labels under a view, depth first.
void labelTexts(const std::shared_ptr<UIView>& view, std::vector<std::string>& out) {
  if (auto label = std::dynamic_pointer_cast<UILabel>(view)) out.push_back(label->text());
  for (const auto& sub : view->subviews()) labelTexts(sub, out);
}

class UIContentViewTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), "registerClientKey");
    NSUserDefaults::standardUserDefaults()->setBool(true, "showDetailsHelp");
    auto globe = NSGlobe::getEngine();
    globe->setThemeNum(1);
    globe->setCurNetStatus(1);
    globe->setIsAdClose(false);
    setAdverts(false);
    account = std::make_shared<FakeAccount>();
    ClientPlatformAccount::setCurrent(account);
    NSWeiBoNet::getNetEngine();
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(std::make_shared<UIViewController>());
    window->makeKeyAndVisible();
    screen = std::make_shared<Screen>();
    bus = BusRecorder::observing({kGlobeRequest, kLogAction});
    // Comment pages of earlier tests run in the same process stay out of this one.
    for (int64_t id : {kCommented, kLinking})
      std::filesystem::remove(UIFilePath::cacheCommentPath(std::to_string(id)));
    for (const char* link : {"http://t.ziza.example/Rt3xP9", "http://t.ziza.example/Hc8wN4"})
      if (auto page = UIFilePath::localHTMLFilePath(link)) std::filesystem::remove(*page);
  }
  void TearDown() override {
    if (view) view->removeAllView();
    view.reset();
    ClientPlatformAccount::setCurrent(nullptr);
    window->setHidden(true);
    ServerClientTest::TearDown();
  }

  static void setAdverts(bool on) {
    auto config = NSConfig::engine()->config();
    if (!config) {
      config = std::make_shared<NSLoginData>();
      NSConfig::engine()->setConfig(config);
    }
    config->isShowAd = on;
  }

  // Opens the view as the list screens do: the row's frame, then full height and loading.
  void open(const StatusPtr& s, int actionType = 0) {
    item = s;
    auto cell = UIHomeViewCell::initWithItem(s, std::weak_ptr<UIHomeViewCellDelegate>(screen),
                                             actionType, NSIndexPath{0, 0}, true, true, false);
    view = UIContentView::initWithContent(cell, CGRectMake(0, 0, 320, cell->frame().size.height));
    view->setActionType(actionType);
    view->setConDelegate(std::weak_ptr<UIContentViewDelegate>(screen));
    window->addSubview(view);
    view->checkForHelp();
    view->reloadContent();
    view->startLoadTableView();
  }

  std::vector<BusRecorder::Post> requests(int type) const {
    std::vector<BusRecorder::Post> out;
    for (const auto& p : bus->posts)
      if (p.name == kGlobeRequest && p.type == type) out.push_back(p);
    return out;
  }

  std::shared_ptr<UITabContentView> tabHeader() {
    return std::dynamic_pointer_cast<UITabContentView>(
        view->tableViewViewForHeaderInSection(view->ctableView(), 1));
  }
  static std::string tabTitle(const std::shared_ptr<UITabContentView>& header, long tag) {
    auto b = std::dynamic_pointer_cast<UIButton>(header->viewWithTag(tag));
    return b ? b->titleForState(UIControlStateNormal).value_or("") : "(none)";
  }
  CGFloat height(long section, long row) {
    return view->tableViewHeightForRowAtIndexPath(view->ctableView(), NSIndexPath{section, row});
  }
  long rows(long section) {
    return view->tableViewNumberOfRowsInSection(view->ctableView(), section);
  }
  std::vector<std::string> rowTexts(long section, long row) {
    auto cell = view->tableViewCellForRowAtIndexPath(view->ctableView(), NSIndexPath{section, row});
    std::vector<std::string> out;
    labelTexts(cell, out);
    return out;
  }
  bool waitForComments() {
    return waitFor([&] { return view->commentArray().has_value() && !view->isInLoad(); });
  }
  void writeCommentCache(int64_t id, const std::string& json) {
    std::string path = UIFilePath::cacheCommentPath(std::to_string(id));
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << json;
  }

  std::shared_ptr<FakeAccount> account;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<Screen> screen;
  std::shared_ptr<BusRecorder> bus;
  std::shared_ptr<UIContentView> view;
  StatusPtr item;
};

TEST_F(UIContentViewTest, OpeningAStatusWithCommentsAsksTheServerListAndLogsTheReadOnce) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  auto asked = requests(toInt(RequestType::CommentList));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(texts(asked[0].data),
            (std::vector<std::string>{std::to_string(kCommented), "0", "20"}));
  EXPECT_EQ(bus->count(kLogAction, 8), 1);
  ASSERT_TRUE(waitForComments());
  ASSERT_EQ(view->commentArray()->size(), 20u);
  // Twenty comments and more to come: one row more, the one that asks for them.
  EXPECT_EQ(rows(1), 21);
  EXPECT_EQ(bus->count(kLogAction, 8), 1);
  EXPECT_EQ(server.requests("/Channels/Comments.aspx").size(), 1u);
  auto r = server.requests("/Channels/Comments.aspx")[0];
  EXPECT_EQ(param(r, "blog_id"), std::to_string(kCommented));

  // A row reads "name: text (time)"; the newest comment is first.
  const auto& first = (*view->commentArray())[0];
  auto texts0 = rowTexts(1, 0);
  ASSERT_FALSE(texts0.empty());
  EXPECT_EQ(texts0[0].rfind(first->user->screenName + ": " + first->text + " (", 0), 0u)
      << texts0[0];
}

TEST_F(UIContentViewTest, TheOpenedDetailLooksRight) {
  open(
      demoStatus(kCommented, "【行业信用评价结果公布】孕婴童行业首批企业信用评价结果公布", 25, 38));
  ASSERT_TRUE(waitForComments());
  // The heads of the rows on screen come from the server; the rows are built again with them.
  auto headsCached = [&] {
    for (size_t i = 0; i < 5; ++i) {
      auto path = UIFilePath::getImageWithPath((*view->commentArray())[i]->user->profileImageUrl);
      if (!path || !std::filesystem::exists(*path)) return false;
    }
    return true;
  };
  ASSERT_TRUE(waitFor(headsCached));
  MainLoop::advance(0.1);
  view->ctableView()->reloadData();
  MainLoop::advance(0.5);
  std::string dump = view->dump();
  EXPECT_NE(dump.find("评论:25"), std::string::npos) << dump;
  EXPECT_NE(dump.find("转发:38"), std::string::npos) << dump;
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "detail-view-comments"));
}

TEST_F(UIContentViewTest, TabsShowTheCountsAndSwitchTheListAfterATenthOfASecond) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 5, 3));
  auto header = tabHeader();
  ASSERT_TRUE(header);
  auto title = [&](long tag) { return tabTitle(header, tag); };
  auto repost = std::dynamic_pointer_cast<UIButton>(header->viewWithTag(2));
  auto comment = std::dynamic_pointer_cast<UIButton>(header->viewWithTag(3));
  EXPECT_EQ(title(2), "转发:3");
  EXPECT_EQ(title(3), "评论:5");
  EXPECT_TRUE(comment->titleColorForState(UIControlStateNormal)->isEqual(*UIColor::redColor()));

  // The shown tab: nothing happens, nothing is asked.
  bus->posts.clear();
  header->tapSelect(Value(std::static_pointer_cast<NSObject>(comment)));
  MainLoop::advance(0.2);
  EXPECT_FALSE(view->isShowRet());
  EXPECT_EQ(bus->count(kGlobeRequest), 0);
  // The other one: the view hears of it a tenth of a second later.
  header->tapSelect(Value(std::static_pointer_cast<NSObject>(repost)));
  MainLoop::advance(0.05);
  EXPECT_FALSE(view->isShowRet());
  MainLoop::advance(0.06);
  EXPECT_TRUE(view->isShowRet());
  EXPECT_TRUE(repost->titleColorForState(UIControlStateNormal)->isEqual(*UIColor::redColor()));

  header->refreshCount(-1, 7);
  EXPECT_EQ(title(2), "转发:3");
  EXPECT_EQ(title(3), "评论:7");
}

TEST_F(UIContentViewTest, SectionHeightsFollowTheItemAndTheTabHeader) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  ASSERT_TRUE(waitForComments());
  EXPECT_EQ(rows(0), 1);
  EXPECT_EQ(height(0, 0), view->contentCell()->frame().size.height + 20);
  EXPECT_EQ(view->tableViewHeightForHeaderInSection(view->ctableView(), 0), 0);
  EXPECT_EQ(view->tableViewHeightForHeaderInSection(view->ctableView(), 1), 30);
  // Section 1 fills at least 430 points: the last row takes what the others leave.
  long n = rows(1);
  CGFloat sum = 0;
  for (long i = 0; i < n; ++i) sum += height(1, i);
  EXPECT_GE(sum, 430);
  EXPECT_EQ(height(1, n - 1), 30);
}

TEST_F(UIContentViewTest, ANilCommentListShowsOneTallRowWhoseTextSaysWhy) {
  struct Case {
    const char* name;
    bool bound;
    bool loading;
    std::vector<std::string> texts;
  };
  const Case cases[] = {
      {"loading", false, true, {"正在加载评论..."}},
      {"unbound", false, false, {"点击绑定紫扎微博查看更多评论"}},
      {"bound", true, false, {"暂无评论"}},
  };
  // The server keeps silent: a first page asked for never answers.
  server.script("/Channels/Comments.aspx", zept::server::EndpointScript::goSilent());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    account->uid = c.bound ? "2010000001" : "";
    // Offline nothing is asked and nothing is loading.
    NSGlobe::getEngine()->setCurNetStatus(c.loading ? 1 : 0);
    open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
    EXPECT_FALSE(view->commentArray().has_value());
    EXPECT_EQ(view->isInLoad(), c.loading);
    EXPECT_EQ(rows(1), 1);
    EXPECT_EQ(height(1, 0), 430);
    EXPECT_EQ(rowTexts(1, 0), c.texts);
    if (c.loading) {
      ASSERT_TRUE(view->indicatorView());
      EXPECT_TRUE(view->indicatorView()->isAnimating());
    }
    view->removeAllView();
  }
}

TEST_F(UIContentViewTest, AdvertsOnAskTheWholeContentOrOnlyTheAdvertWhenCommentsAreCached) {
  setAdverts(true);
  struct Case {
    const char* name;
    bool cached;
    bool bound;
    std::vector<std::string> whole;
    int platformComments;
  };
  const std::string id = std::to_string(kCommented);
  const Case cases[] = {
      {"cached", true, false, {id, id, "1", "0", "1"}, 0},
      {"unbound", false, false, {id, id, "1", "1", "1"}, 0},
      {"bound", false, true, {id, id, "1", "0", "1"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(UIFilePath::cacheCommentPath(id));
    if (c.cached)
      writeCommentCache(
          kCommented,
          R"({"comments":[{"id":1,"text":"好","created_at":"Thu Jun 13 18:08:00 +0800 2013",)"
          R"("user":{"id":7,"screen_name":"小店"}}],"next_cursor":0,"total_number":1})");
    account->uid = c.bound ? "2010000001" : "";
    bus->posts.clear();
    open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
    auto whole = requests(toInt(RequestType::ShowContent));
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_EQ(texts(whole[0].data), c.whole);
    EXPECT_EQ(requests(toInt(RequestType::CommentList)).size(), 0u);
    EXPECT_EQ(static_cast<int>(requests(toInt(RequestType::PlatformComments)).size()),
              c.platformComments);
    // Nothing else goes out for the item.
    EXPECT_EQ(bus->count(kGlobeRequest), 1 + c.platformComments);
    if (c.cached) {
      ASSERT_TRUE(view->commentArray());
      EXPECT_EQ(view->commentArray()->size(), 1u);
    }
    view->removeAllView();
  }
}

TEST_F(UIContentViewTest, AdvertsOffAskNoWholeContent) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  EXPECT_EQ(requests(toInt(RequestType::ShowContent)).size(), 0u);
}

TEST_F(UIContentViewTest, ToolbarTagsBecomeScreenActions) {
  account->uid = "2010000001";
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  struct Case {
    long tag;
    std::vector<int> actions;
  };
  const Case cases[] = {{1, {2}}, {14, {2}}, {2, {3}},  {12, {3}},  {3, {4}},   {5, {6}},
                        {6, {8}}, {7, {}},   {8, {10}}, {13, {12}}, {17, {14}}, {99, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    screen->actions.clear();
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setTag(c.tag);
    view->toolBarAction(button);
    EXPECT_EQ(screen->actions, c.actions);
  }
}

TEST_F(UIContentViewTest, SearchIsOnlyForTheThirdKind) {
  account->uid = "2010000001";
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38), 6);
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setTag(7);
  view->toolBarAction(button);
  EXPECT_EQ(screen->actions, std::vector<int>{9});
}

TEST_F(UIContentViewTest, TheFavouriteButtonAsksTheServerAndTellsTheScreen) {
  account->uid = "2010000001";
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setTag(4);
  view->toolBarAction(button);
  auto fav = requests(toInt(RequestType::AddFavorite));
  ASSERT_EQ(fav.size(), 1u);
  EXPECT_EQ(texts(fav[0].data), std::vector<std::string>{std::to_string(kCommented)});
  ASSERT_TRUE(waitFor([&] { return item->favorited; }));
  EXPECT_EQ(screen->calls, std::vector<std::string>{"refreshStatues 10087"});
  // A favourite: the same button takes it back.
  view->toolBarAction(button);
  auto removed = requests(toInt(RequestType::RemoveFavorite));
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(texts(removed[0].data), std::vector<std::string>{std::to_string(kCommented)});
  ASSERT_TRUE(waitFor([&] { return !item->favorited; }));
  EXPECT_EQ(requests(toInt(RequestType::AddFavorite)).size(), 1u);
}

TEST_F(UIContentViewTest, UnboundButtonsWaitForTheBindingAndRunAfterIt) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38), 6);
  bus->posts.clear();
  for (long tag = 1; tag <= 7; ++tag) {
    SCOPED_TRACE(tag);
    auto waiting = UIButton::buttonWithType(UIButtonType::Custom);
    waiting->setTag(tag);
    view->toolBarAction(waiting);
    EXPECT_EQ(view->evenItem().object<UIButton>(), waiting);
  }
  EXPECT_TRUE(screen->actions.empty());
  EXPECT_EQ(bus->count(kGlobeRequest), 0);
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setTag(2);
  view->toolBarAction(button);
  EXPECT_TRUE(screen->actions.empty());
  EXPECT_EQ(view->evenItem().object<UIButton>(), button);
  account->uid = "2010000001";
  postNotification(kBindAccountOk, Value(), 147);
  EXPECT_EQ(screen->actions, std::vector<int>{3});
}

TEST_F(UIContentViewTest, TheReturnButtonClosesThroughTheScreen) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setTag(10);
  view->toolBarAction(button);
  EXPECT_EQ(screen->actions, std::vector<int>{1});
}

TEST_F(UIContentViewTest, TheLinkedArticleAddsItsRowAndAFailedLinkTriesTheNext) {
  open(demoStatus(kLinking, kLinkingText, 4, 71));
  auto asked = requests(toInt(RequestType::FullArticle));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(texts(asked[0].data),
            (std::vector<std::string>{"http://t.ziza.example/Rt3xP9", "1", std::to_string(kLinking),
                                      std::to_string(kLinking)}));
  ASSERT_TRUE(waitFor([&] { return view->article() != nullptr; }));
  auto pages = server.requests("/News/NewsReader.aspx");
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].paramOr("c_url"), "http://t.ziza.example/Rt3xP9");
  EXPECT_FALSE(view->article()->title.empty());
  EXPECT_EQ(view->article()->statusId, kLinking);
  EXPECT_EQ(rows(0), 2);
  EXPECT_EQ(height(0, 1), 120);
  // The row: the two rules, then the article with its title, read-later and read-now buttons.
  auto cell = view->tableViewCellForRowAtIndexPath(view->ctableView(), NSIndexPath{0, 1});
  std::string dump = cell->contentView()->dump();
  EXPECT_NE(dump.find("UIView frame=(15 0; 290 1)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UIView frame=(15 1; 290 1)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UIHomeViewCell frame=(15 0; 290 120)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("text=\"" + view->article()->title + "\""), std::string::npos) << dump;
  EXPECT_NE(dump.find("tag=91 image=\"readLater\""), std::string::npos) << dump;
  EXPECT_NE(dump.find("image=\"readNow\""), std::string::npos) << dump;
  EXPECT_TRUE(cell->viewWithTag(UIContentView::kReadLaterTag));
  // A tap on the row opens the article through the screen.
  view->tableViewDidSelectRowAtIndexPath(view->ctableView(), NSIndexPath{0, 1});
  EXPECT_EQ(screen->calls,
            std::vector<std::string>{"openArticleView " + view->article()->title + " NO"});
}

TEST_F(UIContentViewTest, ASavedPageShowsItsSavedArticleOrElseItsTextBeforeTheServerIsAsked) {
  // The server keeps its reader page to itself, so that no answer rewrites the saved page.
  server.script("/News/NewsReader.aspx", zept::server::EndpointScript::goSilent());
  const std::string link = "http://t.ziza.example/Rt3xP9";
  const std::string pagePath = *UIFilePath::localHTMLFilePath(link);
  auto saved = OriginalArticle::initWithURL(link);
  saved->title = "稍后阅读里的文章";
  struct Case {
    const char* name;
    std::optional<std::string> page;  // the saved page's text; nullopt: no page
    bool savedArticle;
    const char* shownTitle;  // nullptr: nothing shown yet, the server is asked
    bool hasOriginal;
  } cases[] = {
      {"no page", std::nullopt, false, nullptr, false},
      {"a page", "<html><head><title>存下的页面</title></head></html>", false, "存下的页面", false},
      {"an empty page", "", false, nullptr, false},
      {"a page and a saved article", "<html><head><title>存下的页面</title></head></html>", true,
       "稍后阅读里的文章", true},
      {"a saved article without its page", std::nullopt, true, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (auto old = OriginalArticle::articleWithURL(link)) OriginalArticle::removeArticle(*old);
    std::filesystem::remove(pagePath);
    if (c.page) {
      std::filesystem::create_directories(std::filesystem::path(pagePath).parent_path());
      std::ofstream(pagePath) << *c.page;
    }
    if (c.savedArticle) {
      ASSERT_TRUE(OriginalArticle::addArticle(*saved));
    }
    bus->posts.clear();
    open(demoStatus(kLinking, kLinkingText, 4, 71));
    EXPECT_EQ(requests(toInt(RequestType::FullArticle)).size(), c.shownTitle ? 0u : 1u);
    if (c.shownTitle) {
      ASSERT_TRUE(view->article());
      EXPECT_EQ(view->article()->title, c.shownTitle);
    } else {
      EXPECT_FALSE(view->article());
    }
    EXPECT_EQ(view->hasOriginalArticle(), c.hasOriginal);
    view->removeAllView();
    if (c.savedArticle) OriginalArticle::removeArticle(*saved);
  }
  std::filesystem::remove(pagePath);
}

TEST_F(UIContentViewTest, AReplyStartingWithZeroTriesTheSecondLinkOfTheText) {
  // The server keeps its reader page to itself: only the reply below answers link 1.
  server.script("/News/NewsReader.aspx", zept::server::EndpointScript::goSilent());
  open(demoStatus(kLinking, kLinkingText, 4, 71));
  EXPECT_EQ(view->originalURL(), "http://t.ziza.example/Rt3xP9");
  bus->posts.clear();
  view->articleCallback(Value("0abc"));
  auto asked = requests(toInt(RequestType::FullArticle));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(texts(asked[0].data)[0], "http://t.ziza.example/Hc8wN4");
  EXPECT_EQ(view->originalURL(), "http://t.ziza.example/Hc8wN4");
  EXPECT_FALSE(view->article());
  // The second link fails as well: none is left, nothing more is asked.
  bus->posts.clear();
  view->articleCallback(
      Value(R"({"ResultBoolean":false,"ResultCode":1,"ResultMsg":"文章不存在"})"));
  EXPECT_EQ(requests(toInt(RequestType::FullArticle)).size(), 0u);
  EXPECT_FALSE(view->article());
}

TEST_F(UIContentViewTest, WithoutAnAccountThePlatformKindsShowTabsWithoutCounts) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 5, 3), 1);
  auto header = tabHeader();
  ASSERT_TRUE(header);
  auto title = [&](long tag) { return tabTitle(header, tag); };
  EXPECT_EQ(title(2), "  转发  ");
  EXPECT_EQ(title(3), "  评论  ");
}

TEST_F(UIContentViewTest, TheAdvertBannerRowShowsOnlyOnceItsPictureIsOnDisk) {
  setAdverts(true);
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  ASSERT_TRUE(waitFor([&] { return view->adInfo() != nullptr; }));
  auto picture = UIFilePath::getImageWithPath(view->adInfo()->c_img, 0);
  ASSERT_TRUE(picture);
  if (!view->adInfo()->isImgExit) {
    // Still downloading: no banner row yet.
    EXPECT_FALSE(std::filesystem::exists(*picture));
    EXPECT_EQ(rows(0), 1);
    EXPECT_EQ(height(0, 0), view->contentCell()->frame().size.height + 20);
  }
  ASSERT_TRUE(waitFor([&] { return view->adInfo()->isImgExit; }));
  EXPECT_TRUE(std::filesystem::exists(*picture));
  EXPECT_EQ(rows(0), 2);
  EXPECT_EQ(height(0, 0), 60);
  EXPECT_EQ(height(0, 1), view->contentCell()->frame().size.height + 20);
  auto shown = requests(toInt(RequestType::AdvertShown));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(texts(shown[0].data), std::vector<std::string>{std::to_string(view->adInfo()->adId)});
  // Its close button: the row goes, the server hears of it, and adverts stay closed.
  long long adId = view->adInfo()->adId;
  view->adCloseAction(Value());
  EXPECT_EQ(rows(0), 1);
  auto closed = requests(toInt(RequestType::CloseAdvert));
  ASSERT_EQ(closed.size(), 1u);
  EXPECT_EQ(texts(closed[0].data), std::vector<std::string>{std::to_string(adId)});
  EXPECT_TRUE(NSGlobe::getEngine()->isAdClose());
}

TEST_F(UIContentViewTest, TheHelpOverlayShowsOnceAndGoesAfterTenSecondsOrATap) {
  NSUserDefaults::standardUserDefaults()->removeObjectForKey("showDetailsHelp");
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  auto overlay = window->viewWithTag(UIContentView::kHelpTag);
  ASSERT_TRUE(overlay);
  EXPECT_EQ(overlay->frame(), CGRectMake(0, 20, 320, 460));
  ASSERT_EQ(overlay->subviews().size(), 1u);
  auto picture = std::dynamic_pointer_cast<UIImageView>(overlay->subviews()[0]);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->frame(), CGRectMake(0, 0, 320, 460));
  // The bundle's picture, drawn at 2x for those points.
  ASSERT_TRUE(picture->image());
  EXPECT_EQ(picture->imageName(), "helpDetails.jpg");
  EXPECT_EQ(picture->image()->CGImage()->width(), 640u);
  EXPECT_EQ(picture->image()->CGImage()->height(), 920u);
  MainLoop::advance(9.9);
  EXPECT_TRUE(window->viewWithTag(UIContentView::kHelpTag));
  MainLoop::advance(0.2);
  EXPECT_FALSE(window->viewWithTag(UIContentView::kHelpTag));
  EXPECT_TRUE(NSUserDefaults::standardUserDefaults()->boolForKey("showDetailsHelp"));
  // Once per installation.
  view->removeAllView();
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  EXPECT_FALSE(window->viewWithTag(UIContentView::kHelpTag));

  // A tap closes it at once.
  view->removeAllView();
  NSUserDefaults::standardUserDefaults()->removeObjectForKey("showDetailsHelp");
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  ASSERT_TRUE(window->viewWithTag(UIContentView::kHelpTag));
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 240)));
  EXPECT_FALSE(window->viewWithTag(UIContentView::kHelpTag));
  EXPECT_TRUE(NSUserDefaults::standardUserDefaults()->boolForKey("showDetailsHelp"));
}

TEST_F(UIContentViewTest, ThePageButtonsSwipeToTheNeighbouringItemAndLoadIt) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  ASSERT_TRUE(waitForComments());
  auto pageDown = view->toolBar()->viewWithTag(UINaviComView::kPageDownTag);
  auto pageUp = view->toolBar()->viewWithTag(UINaviComView::kPageUpTag);
  ASSERT_TRUE(pageDown && pageUp);

  // No next item: nothing moves.
  ASSERT_TRUE(ScreenDriver::tap(pageDown));
  EXPECT_EQ(screen->pagesAsked, std::vector<bool>{false});
  EXPECT_FALSE(view->isStartChangePage());
  EXPECT_FALSE(window->viewWithTag(UIContentView::kIncomingViewTag));

  auto next = demoStatus(kLinking, kLinkingText, 4, 71);
  screen->next = UIHomeViewCell::initWithItem(next, std::weak_ptr<UIHomeViewCellDelegate>(screen),
                                              0, NSIndexPath{0, 1}, true, true, false);
  auto nextCell = screen->next;
  bus->posts.clear();
  ASSERT_TRUE(ScreenDriver::tap(pageDown));
  EXPECT_EQ(screen->pagesAsked, (std::vector<bool>{false, false}));
  // The view takes the next item at once and slides out to the left as the new one comes in.
  EXPECT_TRUE(view->isStartChangePage());
  EXPECT_EQ(view->contentCell(), nextCell);
  EXPECT_FALSE(view->commentArray());
  EXPECT_FALSE(view->isShowRet());
  auto incoming = window->viewWithTag(UIContentView::kIncomingViewTag);
  ASSERT_TRUE(incoming);
  EXPECT_EQ(incoming->frame().origin.x, 0);
  EXPECT_EQ(view->frame().origin.x, -320);
  // A second swipe while the first runs is refused before asking for an item.
  view->swipePage(true);
  EXPECT_EQ(screen->pagesAsked.size(), 2u);

  MainLoop::advance(0.3);
  EXPECT_EQ(view->frame().origin.x, 0);
  EXPECT_FALSE(window->viewWithTag(UIContentView::kIncomingViewTag));
  EXPECT_FALSE(view->isStartChangePage());
  EXPECT_FALSE(view->isInAnimal());
  // The new item is read, its comments and its linked article asked for.
  const std::string id = std::to_string(kLinking);
  ASSERT_EQ(bus->count(kLogAction, 8), 1);
  auto comments = requests(toInt(RequestType::CommentList));
  ASSERT_EQ(comments.size(), 1u);
  EXPECT_EQ(texts(comments[0].data), (std::vector<std::string>{id, "0", "20"}));
  auto article = requests(toInt(RequestType::FullArticle));
  ASSERT_EQ(article.size(), 1u);
  EXPECT_EQ(texts(article[0].data)[0], "http://t.ziza.example/Rt3xP9");
  ASSERT_TRUE(waitForComments());
  ASSERT_TRUE(waitFor([&] { return view->article() != nullptr; }));
  EXPECT_EQ(rows(0), 2);
}

TEST_F(UIContentViewTest, ASwipeWhileTheItemGrowsIsIgnored) {
  open(demoStatus(kCommented, "【行业信用评价结果公布】", 25, 38));
  screen->next = UIHomeViewCell::initWithItem(demoStatus(kLinking, kLinkingText, 4, 71),
                                              std::weak_ptr<UIHomeViewCellDelegate>(screen), 0,
                                              NSIndexPath{0, 1}, true, true, false);
  view->reloadContentCell();
  EXPECT_TRUE(view->isInAnimal());
  view->swipePage(false);
  EXPECT_TRUE(screen->pagesAsked.empty());
  MainLoop::advance(0.31);
  EXPECT_FALSE(view->isInAnimal());
  view->swipePage(false);
  EXPECT_EQ(screen->pagesAsked, std::vector<bool>{false});
  MainLoop::advance(0.31);
}

// ---- the repost tab against the platform ----------------------------------------------------

// The platform status of the linked news item, and its reposts: the demo data's three and 22
// more, so that the tab has a second page.
constexpr int64_t kPlatformLinked = 3589120000010038;
constexpr int64_t kReader = 3100000001;
constexpr size_t kReposts = 25;

class UIContentViewRepostTest : public UIContentViewTest {
 protected:
  void SetUp() override {
    UIContentViewTest::SetUp();
    nlohmann::json data;
    std::ifstream(zept::server::DemoData::defaultDataDir() / "platform.json") >> data;
    for (int i = 0; i < 22; ++i)
      data["statuses"].push_back({{"id", 3700000000000100 + i},
                                  {"user", kReader + i % 3},
                                  {"created_at", "Tue Jun 04 09:00:00 +0800 2013"},
                                  {"text", "转发第" + std::to_string(i + 1) + "条"},
                                  {"retweeted_status", kPlatformLinked}});
    dataFile = std::filesystem::path(::testing::TempDir()) / "platform-reposts.json";
    std::ofstream(dataFile) << data.dump();

    auto files = testsupport::TestCertificateAuthority::issueServerCertificate(
        {NSConfig::platformApiHost()});
    zept::server::PlatformServer::Options options;
    options.certificateFile = files.certificatePath;
    options.keyFile = files.keyPath;
    options.dataFile = dataFile;
    platform = std::make_unique<zept::server::PlatformServer>(options);
    int port = platform->start();
    CFNetworkMapHost(NSConfig::platformApiHost(), 443, "127.0.0.1", port);
    ASSERT_TRUE(CFNetworkAddTrustedCertificatesFromFile(
        testsupport::TestCertificateAuthority::shared().caCertificatePath));
    // The reader bound, as a login leaves it.
    auto net = NSWeiBoNet::getNetEngine();
    auto engine = net->weiboEngine();
    ClientPlatformAccount::setCurrent(engine);
    const std::string service = engine->serviceName();
    KeychainUtils::storeUsername(std::string("WeiBoUserID"), std::to_string(kReader), service,
                                 true);
    KeychainUtils::storeUsername(std::string("WeiBoAccessToken"), platform->issueToken(kReader),
                                 service, true);
    KeychainUtils::storeUsername(std::string("WeiBoExpireTime"), "1900000000", service, true);
    engine->readAuthorizeDataFromKeychain();
    net->checkEngine()->readAuthorizeDataFromKeychain();
  }
  void TearDown() override {
    UIContentViewTest::TearDown();
    platform->stop();
    CFNetworkRemoveHostMappings();
    CFNetworkRemoveTrustedCertificates();
    std::filesystem::remove(dataFile);
  }

  std::unique_ptr<zept::server::PlatformServer> platform;
  std::filesystem::path dataFile;
};

TEST_F(UIContentViewRepostTest, TheRepostTabPagesThroughThePlatformsReposts) {
  auto s = demoStatus(kPlatformLinked, "【贝乐宝完成新一轮融资】", 0, static_cast<int>(kReposts));
  s->vorluId = kLinking;
  std::filesystem::remove(UIFilePath::cacheRetweetPath(std::to_string(kPlatformLinked)));
  open(s);
  auto header = tabHeader();
  ASSERT_TRUE(header);
  bus->posts.clear();
  header->tapSelect(Value(std::static_pointer_cast<NSObject>(header->viewWithTag(2))));
  MainLoop::advance(0.11);
  ASSERT_TRUE(view->isShowRet());
  const std::string id = std::to_string(kPlatformLinked);
  auto first = requests(toInt(RequestType::PlatformReposts));
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(texts(first[0].data), (std::vector<std::string>{id, "0", "20"}));

  ASSERT_TRUE(waitFor([&] { return view->retweetArray().has_value() && !view->isInLoad(); }));
  ASSERT_EQ(view->retweetArray()->size(), 20u);
  const std::string cursor = view->retweetArray()->back()->cursor_id;
  EXPECT_NE(cursor, "0");
  // Twenty reposts and a further page: the extra row offers it.
  EXPECT_EQ(rows(1), 21);
  EXPECT_EQ(rowTexts(1, 20), std::vector<std::string>{"查看更多转发"});
  // A repost row has no reply button (its text takes the button's room).
  auto row = view->tableViewCellForRowAtIndexPath(view->ctableView(), NSIndexPath{1, 0});
  std::string dump = row->contentView()->dump();
  EXPECT_NE(dump.find("UIHomeViewCell"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("inCommont"), std::string::npos) << dump;

  // A tap on the extra row asks for the next page from the last cursor.
  bus->posts.clear();
  view->tableViewDidSelectRowAtIndexPath(view->ctableView(), NSIndexPath{1, 20});
  auto more = requests(toInt(RequestType::PlatformReposts));
  ASSERT_EQ(more.size(), 1u);
  EXPECT_EQ(texts(more[0].data), (std::vector<std::string>{id, cursor, "20"}));
  ASSERT_TRUE(waitFor([&] { return view->retweetArray()->size() == kReposts; }));
  auto asked = platform->requests("/2/statuses/repost_timeline.json");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0].paramOr("max_id"), "0");
  EXPECT_EQ(asked[1].paramOr("max_id"), cursor);
  // The last page ends the list.
  EXPECT_EQ(view->retweetArray()->back()->cursor_id, "0");
  EXPECT_EQ(rows(1), static_cast<long>(kReposts) + 1);
  EXPECT_EQ(rowTexts(1, kReposts), std::vector<std::string>{"已经是最后一条"});
}

}  // namespace
