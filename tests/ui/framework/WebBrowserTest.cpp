// The in-app browser on the local content server (loopback), its pages fetched through the
// HTTP engine: the screen's frames and title, the history buttons, POST bodies, the spinner
// item beside someone else's, a failed load, and the automatic play presses of a video page.
#include <gtest/gtest.h>

#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationItem.h"
#include "core/NSGlobe.h"
#include "support/MainLoop.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "support/ui/WebWindowTest.h"
#include "ui/framework/NSObject+UIViewBusy.h"
#include "ui/framework/UIViewController+Custom.h"
#include "ui/framework/WebViewCtrl.h"

namespace {

using zept::server::EndpointScript;

constexpr const char* kVideoPage =
    "<html><head><title>视频</title></head><body><p>片花</p>"
    "<button>播放</button></body></html>";

class WebBrowserTest : public WebWindowTest {
 protected:
  WebBrowserTest() : WebWindowTest("首页") {}
  void SetUp() override {
    installCustomTitles();
    NSGlobe::getEngine()->setThemeNum(1);
    WebWindowTest::SetUp();
  }
  void TearDown() override {
    WebWindowTest::TearDown();
    UIViewController::setTitleHook({});
  }

  // Opens the browser as the app's screens do: push, then the address.
  std::shared_ptr<WebViewCtrl> open(const std::string& url,
                                    const std::function<void(WebViewCtrl&)>& before = {}) {
    auto browser = std::make_shared<WebViewCtrl>();
    if (before) before(*browser);
    nav->pushViewController(browser, true);
    browser->displayWithURL(url);
    MainLoop::advance(0.5);
    return browser;
  }
  bool loaded(const std::shared_ptr<WebViewCtrl>& browser) {
    bool done = MainLoop::runUntil([&] { return !browser->myWebView()->isLoading(); });
    MainLoop::advance(0.5);
    return done;
  }
  static std::string shownTitle(WebViewCtrl& browser) {
    auto label = std::dynamic_pointer_cast<UILabel>(browser.navigationItem()->titleView());
    return label ? label->text() : std::string();
  }
  bool indicatorOn() {
    return UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible();
  }
};

TEST_F(WebBrowserTest, ALocalPageShowsUnderTheDefaultTitleAndBackWorksOnceALinkWasFollowed) {
  // Loading: the spinner item holds the right slot, the indicator and the overlay show. Looked
  // at before the clock moves: the loopback server may answer within any step of it.
  auto browser = std::make_shared<WebViewCtrl>();
  nav->pushViewController(browser, true);
  browser->displayWithURL(server.url("/about/about.html?v=i_1.2"));
  auto web = browser->myWebView();
  EXPECT_TRUE(web->isLoading());
  EXPECT_EQ(browser->navigationItem()->rightBarButtonItem(), browser->activityItem());
  EXPECT_TRUE(indicatorOn());
  MainLoop::advance(0.5);
  ASSERT_TRUE(loaded(browser));

  EXPECT_EQ(shownTitle(*browser), "网页");
  EXPECT_FALSE(nav->isNavigationBarHidden());
  EXPECT_EQ(web->frame(), CGRectMake(0, 0, 320, 416));
  EXPECT_EQ(web->pageTitle(), "关于");
  EXPECT_NE(web->pageText().find("版本 1.2"), std::string::npos);
  EXPECT_EQ(browser->navigationItem()->rightBarButtonItem(), nullptr);
  EXPECT_FALSE(indicatorOn());
  EXPECT_FALSE(UIViewBusy::views().cover->superview());
  EXPECT_FALSE(browser->btnBack()->isEnabled());
  EXPECT_FALSE(browser->btnForward()->isEnabled());
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "web_browser_about"));

  ASSERT_TRUE(web->followLink("服务条款"));
  ASSERT_TRUE(loaded(browser));
  EXPECT_EQ(web->pageTitle(), "服务条款");
  EXPECT_TRUE(browser->btnBack()->isEnabled());
  EXPECT_FALSE(browser->btnForward()->isEnabled());

  ASSERT_TRUE(ScreenDriver::tap(browser->btnBack()));
  ASSERT_TRUE(loaded(browser));
  EXPECT_EQ(web->pageTitle(), "关于");
  EXPECT_FALSE(browser->btnBack()->isEnabled());
  EXPECT_TRUE(browser->btnForward()->isEnabled());

  ASSERT_TRUE(ScreenDriver::tap(browser->btnForward()));
  ASSERT_TRUE(loaded(browser));
  EXPECT_EQ(web->pageTitle(), "服务条款");
}

TEST_F(WebBrowserTest, APostBodyReachesTheServerAsItsUtf8BytesAndOtherwiseTheLinkIsAGet) {
  auto posted = open(server.url("/about/about.html?v=i_1.0"),
                     [](WebViewCtrl& b) { b.setPostBosy("name=张三&city=上海"); });
  ASSERT_TRUE(loaded(posted));
  nav->popViewControllerAnimated(false);
  auto plain = open(server.url("/about/terms.html"));
  ASSERT_TRUE(loaded(plain));

  auto posts = server.requests("/about/about.html");
  ASSERT_EQ(posts.size(), 1u);
  EXPECT_EQ(posts[0].method, "POST");
  EXPECT_EQ(posts[0].body, "name=张三&city=上海");
  auto gets = server.requests("/about/terms.html");
  ASSERT_EQ(gets.size(), 1u);
  EXPECT_EQ(gets[0].method, "GET");
  EXPECT_EQ(gets[0].body, "");
}

TEST_F(WebBrowserTest, TheOpenersTitleWinsAndSomeoneElsesRightItemIsKept) {
  auto browser = std::make_shared<WebViewCtrl>();
  nav->pushViewController(browser, false);
  auto share = std::make_shared<UIBarButtonItem>(std::make_shared<UIView>());
  browser->navigationItem()->setRightBarButtonItem(share);
  browser->displayWithURL(server.url("/about/terms.html"));
  browser->setTitle("行业资讯");
  EXPECT_EQ(browser->navigationItem()->rightBarButtonItem(), share);
  ASSERT_TRUE(loaded(browser));
  EXPECT_EQ(browser->navigationItem()->rightBarButtonItem(), share);
  EXPECT_EQ(shownTitle(*browser), "行业资讯");
}

TEST_F(WebBrowserTest, AFailedLoadEndsTheBusySignsAndGivesBackTheHistoryButtons) {
  auto browser = open(server.url("/about/about.html?v=i_1.0"));
  ASSERT_TRUE(loaded(browser));
  ASSERT_TRUE(browser->myWebView()->followLink("服务条款"));
  ASSERT_TRUE(loaded(browser));
  // A page that never answers: the server goes away.
  server.stop();
  browser->myWebView()->navigate(
      std::make_shared<NSURLRequest>(NSURL::URLWithString("http://127.0.0.1:1/gone.html")));
  EXPECT_FALSE(browser->btnBack()->isEnabled());
  ASSERT_TRUE(loaded(browser));
  EXPECT_EQ(browser->navigationItem()->rightBarButtonItem(), nullptr);
  EXPECT_FALSE(indicatorOn());
  EXPECT_FALSE(UIViewBusy::views().cover->superview());
  EXPECT_TRUE(browser->btnBack()->isEnabled());
  EXPECT_EQ(browser->myWebView()->pageTitle(), "服务条款");
}

TEST_F(WebBrowserTest, AVideoPageIsPressedEveryHalfSecondUntilFullScreenAndLeavingItCloses) {
  server.script("/video/clip.html",
                EndpointScript::replyWith(kVideoPage, 200, "text/html; charset=utf-8"));
  // Opened without moving the clock, so that the presses count from the finished load.
  auto browser = std::make_shared<WebViewCtrl>();
  browser->setIsMediaPlay(true);
  nav->pushViewController(browser, true);
  browser->displayWithURL(server.url("/video/clip.html"));
  ASSERT_NE(browser->activityView(), nullptr);
  EXPECT_EQ(browser->activityView()->frame(), CGRectMake(130, 173, 60, 60));
  ASSERT_TRUE(MainLoop::runUntil([&] { return !browser->myWebView()->isLoading(); }));
  auto play = WebViewCtrl::findButtonInView(browser->myWebView());
  ASSERT_NE(play, nullptr);
  int presses = 0;
  play->addTarget(freeSelector("pressed", [&](const Value&) { ++presses; }),
                  UIControlEventTouchUpInside);
  MainLoop::advance(0.45);
  EXPECT_EQ(presses, 0);
  MainLoop::advance(0.1);
  EXPECT_EQ(presses, 1);
  MainLoop::advance(1.0);
  EXPECT_EQ(presses, 3);

  UIWebView::postMovieFullscreen(true);
  EXPECT_TRUE(browser->isInPlay());
  MainLoop::advance(2);
  EXPECT_EQ(presses, 3);
  UIWebView::postMovieFullscreen(false);
  MainLoop::advance(1);
  EXPECT_EQ(nav->topViewController(), root);
  EXPECT_TRUE(nav->isNavigationBarHidden());
}

TEST_F(WebBrowserTest, TheButtonSearchTakesTheFirstPlainButtonDepthFirst) {
  class FancyButton : public UIButton {};
  auto top = std::make_shared<UIView>();
  auto inner = std::make_shared<UIView>();
  auto fancy = std::make_shared<FancyButton>();
  auto deep = UIButton::buttonWithType(UIButtonType::Custom);
  auto later = UIButton::buttonWithType(UIButtonType::Custom);
  top->addSubview(fancy);
  inner->addSubview(deep);
  top->addSubview(inner);
  top->addSubview(later);
  EXPECT_EQ(WebViewCtrl::findButtonInView(top), deep);
  EXPECT_EQ(WebViewCtrl::findButtonInView(fancy), nullptr);
}

TEST(WebBrowserOnATallScreen, ThePageTakesTheTallerScreen) {
  UIDeviceProfile profile = UIDevice::profile();
  profile.screenHeight = 568;
  UIDevice::setProfile(profile);
  MainLoop::install();
  auto browser = std::make_shared<WebViewCtrl>();
  browser->displayWithURL("http://127.0.0.1:1/none.html");
  EXPECT_EQ(browser->myWebView()->frame(), CGRectMake(0, 0, 320, 504));
}

}  // namespace
