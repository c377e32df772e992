// A link over content: a tap opens its URL through the navigator, a press shows the highlight,
// and a link without an action or a release outside opens nothing.
#include <gtest/gtest.h>

#include "Foundation/NSURL.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "uilib/navigator/ULLink.h"
#include "uilib/views/ULView.h"

namespace {

// Records the URLs the navigator is asked to open and lets none open.
struct AskedURLs : ULNavigatorDelegate {
  bool navigatorShouldOpenURL(ULBaseNavigator&, const NSURL& url) override {
    asked.push_back(url.absoluteString());
    return false;
  }
  std::vector<std::string> asked;
};

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
    ULBaseNavigator::setGlobalNavigator(nullptr);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->makeKeyAndVisible();
    ULNavigator::navigator()->setDelegate(delegate);
    link = std::make_shared<ULLink>(CGRectMake(20, 100, 200, 40));
    window->addSubview(link);
  }
  void TearDown() override { ULBaseNavigator::setGlobalNavigator(nullptr); }

  std::shared_ptr<AskedURLs> delegate = std::make_shared<AskedURLs>();
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<ULLink> link;
};

TEST_F(LinkTest, ATapOpensTheLinksURLThroughTheNavigator) {
  link->setURL("zept-demo://item/7");
  EXPECT_EQ(link->URL(), "zept-demo://item/7");
  EXPECT_TRUE(link->URLAction()->animated());
  EXPECT_TRUE(link->isUserInteractionEnabled());
  ScreenDriver::tap(link);
  EXPECT_EQ(delegate->asked, std::vector<std::string>{"zept-demo://item/7"});
}

TEST_F(LinkTest, ALinkWithoutAnActionIgnoresTouches) {
  EXPECT_FALSE(link->isUserInteractionEnabled());
  ScreenDriver::tap(link);
  link->setURL("zept-demo://item/7");
  link->setURLAction(nullptr);
  EXPECT_FALSE(link->isUserInteractionEnabled());
  ScreenDriver::tap(link);
  EXPECT_TRUE(delegate->asked.empty());
}

TEST_F(LinkTest, APressShowsTheHighlightOverTheLinkAndReleasingOutsideOpensNothing) {
  link->setURL("zept-demo://item/7");
  link->setHighlighted(true);
  ASSERT_NE(link->screenView(), nullptr);
  EXPECT_FALSE(link->screenView()->isHidden());
  EXPECT_TRUE(CGRectEqualToRect(link->screenView()->frame(), CGRectMake(0, 0, 200, 40)));
  link->setHighlighted(false);
  EXPECT_TRUE(link->screenView()->isHidden());

  ScreenDriver::drag(CGPointMake(120, 120), CGPointMake(120, 300));
  EXPECT_FALSE(link->isHighlighted());
  EXPECT_TRUE(delegate->asked.empty());
}

}  // namespace
