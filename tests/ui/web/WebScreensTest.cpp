// The general web page screen, the about screen and the library's browser screen on the local
// content server (loopback), their pages fetched through the HTTP engine: the themed top bar,
// the frames, the page title, the right-hand button of the first page, the about page's
// address, application URLs, the saved URL and the header view.
#include <gtest/gtest.h>

#include "Foundation/NSBundle.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "support/MainLoop.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/WebWindowTest.h"
#include "ui/framework/NSObject+UIViewBusy.h"
#include "ui/framework/UIYBToolBar.h"
#include "ui/web/AppWebScreen.h"
#include "ui/web/UIComWebViewCtrl.h"
#include "ui/web/UIMoreAboutViewController.h"
#include "uilib/navigator/ULNavigator.h"

namespace {

class WebScreensTest : public WebWindowTest {
 protected:
  void SetUp() override {
    NSGlobe::getEngine()->setThemeNum(1);
    WebWindowTest::SetUp();
  }
  void TearDown() override {
    WebWindowTest::TearDown();
    NSGlobe::getEngine()->setThemeNum(1);
  }
  void setTheme(int theme) { NSGlobe::getEngine()->setThemeNum(theme); }

  template <class Screen>
  std::shared_ptr<Screen> show(const std::function<void(Screen&)>& open) {
    auto screen = std::make_shared<Screen>();
    open(*screen);
    nav->pushViewController(screen, false);
    MainLoop::advance(0.5);
    return screen;
  }
  bool loaded(const std::shared_ptr<ULWebController>& screen) {
    bool done = MainLoop::runUntil([&] { return !screen->webView()->isLoading(); });
    MainLoop::advance(0.5);
    return done;
  }
  static bool shows(const std::string& dump, const std::string& line) {
    return dump.find(line) != std::string::npos;
  }
};

TEST_F(WebScreensTest, TheGeneralWebScreenShowsThePageTitleInItsOwnBarBetweenItsBars) {
  auto screen = show<UIComWebViewCtrl>(
      [&](UIComWebViewCtrl& s) { s.initWithNavigatorString(server.url("/about/terms.html")); });
  ASSERT_TRUE(loaded(screen));
  EXPECT_FALSE(UIViewBusy::views().cover->superview());

  std::string dump = screen->view()->dump();
  EXPECT_TRUE(shows(dump, "UIImageView frame=(0 0; 320 44) image=\"channelTopBar\"")) << dump;
  EXPECT_TRUE(shows(dump, "UIButton frame=(5 6; 56 32) title=\"返回\"")) << dump;
  EXPECT_TRUE(shows(dump, "UILabel frame=(60 0; 200 44) text=\"服务条款\"")) << dump;
  CGFloat height = screen->view()->bounds().size.height;
  EXPECT_EQ(screen->toolbar()->frame(), CGRectMake(0, height - 44, 320, 44));
  EXPECT_EQ(screen->webView()->frame().origin.y, 44);
  EXPECT_EQ(screen->webView()->frame().size.height, 372);
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "com_web_terms"));

  // The back button pops the screen.
  screen->back(Value());
  MainLoop::advance(1);
  EXPECT_EQ(nav->topViewController(), root);
}

TEST_F(WebScreensTest, OtherThemesTakeTheNightBarAndTheFontColour) {
  setTheme(2);
  auto screen = show<UIComWebViewCtrl>(
      [&](UIComWebViewCtrl& s) { s.initWithNavigatorString(server.url("/about/terms.html")); });
  ASSERT_TRUE(loaded(screen));
  std::string dump = screen->view()->dump();
  EXPECT_TRUE(shows(dump, "image=\"topBar_theme1\"")) << dump;
  EXPECT_TRUE(shows(dump, "background=\"leftBtn_theme1\"")) << dump;
  auto colour = screen->titleLabel()->textColor();
  EXPECT_NEAR(colour->red(), 0.753, 0.002);
  EXPECT_NEAR(colour->blue(), 0.871, 0.002);
}

TEST_F(WebScreensTest, TheRightButtonShowsForTheFirstPageAndHidesFromTheSecondFinishedLoad) {
  auto screen = show<UIComWebViewCtrl>([&](UIComWebViewCtrl& s) {
    s.initWithNavigatorString(server.url("/about/about.html?v=i_1.0"));
  });
  screen->setRightBtn("官方微博", freeSelector("rightAction:", [](const Value&) {}));
  auto button = screen->view()->viewWithTag(UIComWebViewCtrl::kRightButtonTag);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->frame().origin.x, 310 - button->frame().size.width);
  EXPECT_EQ(button->frame().origin.y, 6);
  ASSERT_TRUE(loaded(screen));
  EXPECT_FALSE(button->isHidden());

  ASSERT_TRUE(screen->webView()->followLink("服务条款"));
  ASSERT_TRUE(loaded(screen));
  EXPECT_TRUE(button->isHidden());
  EXPECT_TRUE(screen->backButton()->isEnabled());
  // Back to the first page: the button stays hidden.
  screen->backAction();
  ASSERT_TRUE(loaded(screen));
  EXPECT_TRUE(button->isHidden());
  EXPECT_EQ(screen->titleLabel()->text(), "关于");
}

TEST_F(WebScreensTest, TheAboutScreenLoadsTheServersAboutPageForTheInstalledVersion) {
  NSConfig::engine()->setServerURL(server.baseURL());
  std::string version =
      NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion").description();
  auto screen = show<UIMoreAboutViewController>([](UIMoreAboutViewController& s) {
    s.initWithNavigatorURL(NSURL::URLWithString("http://127.0.0.1:1/ignored"), nullptr);
  });
  ASSERT_TRUE(loaded(screen));
  auto requests = server.requests("/about/about.html");
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].query, "v=i_" + version);
  EXPECT_EQ(screen->titleLabel()->text(), "关于");
  EXPECT_NE(screen->webView()->pageText().find("版本 " + version), std::string::npos);
  EXPECT_EQ(screen->webView()->frame().origin.y, 44);
  EXPECT_TRUE(shows(screen->view()->dump(), "image=\"topBar\""));
  EXPECT_EQ(UIMoreAboutViewController::aboutPageURL(),
            server.baseURL() + "/about/about.html?v=i_" + version);
}

TEST_F(WebScreensTest, BothScreensShowTheSpinnerWhileBusyTheTitleInTheirBarAndPopOnBack) {
  NSConfig::engine()->setServerURL(server.baseURL());
  struct Case {
    const char* name;
    std::function<std::shared_ptr<AppWebScreen>()> open;
  };
  const Case cases[] = {
      {"general",
       [&] {
         return show<UIComWebViewCtrl>([&](UIComWebViewCtrl& s) {
           s.initWithNavigatorString(server.url("/about/terms.html"));
         });
       }},
      {"about",
       [&] {
         return show<UIMoreAboutViewController>([](UIMoreAboutViewController& s) { s.init(); });
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto screen = c.open();
    ASSERT_TRUE(loaded(screen));
    // The page's own load has come and gone: a second load shows the spinner in the bar again.
    auto spinner = screen->activityItem()->customView();
    std::shared_ptr<UIView> bar;
    for (auto& view : screen->view()->subviews())
      if (std::dynamic_pointer_cast<UIImageView>(view) &&
          view->frame() == CGRectMake(0, 0, 320, 44))
        bar = view;
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(spinner->isHidden());
    EXPECT_EQ(spinner->superview(), bar);
    for (int load = 0; load < 2; ++load) {
      screen->startActivity();
      EXPECT_FALSE(spinner->isHidden());
      EXPECT_EQ(spinner->superview(), bar);
      EXPECT_EQ(spinner->frame(), CGRectMake(280, 7, 30, 30));
      screen->stopActivity();
      EXPECT_TRUE(spinner->isHidden());
    }

    screen->setTitle("标题");
    EXPECT_EQ(screen->titleLabel()->text(), "标题");
    EXPECT_EQ(screen->title(), "");
    CGFloat height = screen->view()->bounds().size.height;
    EXPECT_NE(std::dynamic_pointer_cast<UIYBToolBar>(screen->toolbar()), nullptr);
    EXPECT_EQ(screen->toolbar()->frame(), CGRectMake(0, height - 44, 320, 44));
    EXPECT_TRUE(screen->shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation::Portrait));
    EXPECT_FALSE(
        screen->shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation::LandscapeLeft));

    // The bar's "返回" button pops the screen.
    std::shared_ptr<UIButton> back;
    for (auto& view : screen->view()->subviews())
      if (auto button = std::dynamic_pointer_cast<UIButton>(view);
          button && button->currentTitle() == "返回")
        back = button;
    ASSERT_NE(back, nullptr);
    back->sendActionsForControlEvents(UIControlEventTouchUpInside);
    MainLoop::advance(1);
    EXPECT_EQ(nav->topViewController(), root);
  }
}

TEST_F(WebScreensTest, AQueryRequestWinsOverTheURL) {
  auto request =
      std::make_shared<NSURLRequest>(NSURL::URLWithString(server.url("/about/terms.html")));
  auto query = makeDictionary();
  query->setObject(Value(std::static_pointer_cast<NSObject>(request)), "request");
  auto screen = show<UIComWebViewCtrl>([&](UIComWebViewCtrl& s) {
    s.initWithNavigatorURL(NSURL::URLWithString(server.url("/about/about.html")), query);
  });
  ASSERT_TRUE(loaded(screen));
  EXPECT_EQ(server.requests("/about/about.html").size(), 0u);
  EXPECT_EQ(server.requests("/about/terms.html").size(), 1u);
}

TEST_F(WebScreensTest, ApplicationURLsGoToTheSystemAndTheScreenReportsABlankPage) {
  ULBaseNavigator::setGlobalNavigator(std::make_shared<ULNavigator>());
  auto screen = show<UIComWebViewCtrl>(
      [&](UIComWebViewCtrl& s) { s.initWithNavigatorString(server.url("/about/terms.html")); });
  ASSERT_TRUE(loaded(screen));
  UIApplicationDriver::clearOpenedURLs();
  EXPECT_FALSE(screen->webView()->navigate(
      std::make_shared<NSURLRequest>(NSURL::URLWithString("tel:10086"))));
  EXPECT_EQ(screen->URL()->absoluteString(), "about:blank");
  EXPECT_EQ(UIApplicationDriver::openedURLs(), std::vector<std::string>{"tel:10086"});
  EXPECT_FALSE(screen->persistView(makeDictionary()));
  ULBaseNavigator::setGlobalNavigator(nullptr);
}

TEST_F(WebScreensTest, TheSavedURLReopensAndABlankOneDoesNot) {
  auto screen = show<UIComWebViewCtrl>(
      [&](UIComWebViewCtrl& s) { s.initWithNavigatorString(server.url("/about/terms.html")); });
  ASSERT_TRUE(loaded(screen));
  auto state = makeDictionary();
  ASSERT_TRUE(screen->persistView(state));
  EXPECT_EQ(state->objectForKey("URL").description(), server.url("/about/terms.html"));

  auto again = show<UIComWebViewCtrl>([](UIComWebViewCtrl&) {});
  again->restoreView(state);
  ASSERT_TRUE(loaded(again));
  EXPECT_EQ(again->titleLabel()->text(), "服务条款");
  auto blank = makeDictionary();
  blank->setObject(Value("about:blank"), "URL");
  auto idle = show<UIComWebViewCtrl>([](UIComWebViewCtrl&) {});
  idle->restoreView(blank);
  EXPECT_EQ(idle->webView()->request(), nullptr);
}

TEST_F(WebScreensTest, AHeaderPushesThePageDownAndRemovingItBringsThePageBack) {
  auto screen = show<UIComWebViewCtrl>(
      [&](UIComWebViewCtrl& s) { s.initWithNavigatorString(server.url("/about/terms.html")); });
  ASSERT_TRUE(loaded(screen));
  auto document = screen->webView()->documentView();
  CGRect before = document->frame();
  auto header = std::make_shared<UIView>(CGRectMake(0, 0, 10, 60));
  screen->setHeaderView(header);
  EXPECT_EQ(header->frame(), CGRectMake(0, 0, screen->webView()->frame().size.width, 60));
  EXPECT_EQ(header->superview().get(), screen->webView()->scroller().get());
  EXPECT_EQ(document->frame().origin.y, before.origin.y + 60);
  EXPECT_EQ(document->frame().size.height, before.size.height - 60);
  // Another header in its place moves nothing.
  screen->setHeaderView(std::make_shared<UIView>(CGRectMake(0, 0, 10, 60)));
  EXPECT_EQ(document->frame().origin.y, before.origin.y + 60);
  screen->setHeaderView(nullptr);
  EXPECT_EQ(document->frame(), before);
}

}  // namespace
