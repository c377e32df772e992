// The original-page reader on the local content server: the page and the back button's
// frames, the busy signs shown once per screen and stopped by the first finished load or by
// leaving, and the back button popping the screen.
#include <gtest/gtest.h>

#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "screens/reading/OriginalReadViewController.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "support/ui/WebWindowTest.h"
#include "ui/framework/NSObject+UIViewBusy.h"

namespace {

class OriginalReaderTest : public WebWindowTest {
 protected:
  void SetUp() override {
    WebWindowTest::SetUp();
    reader = std::make_shared<OriginalReadViewController>();
    nav->pushViewController(reader, false);
    MainLoop::advance(0.5);
  }
  bool busy() const {
    return UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible() ||
           UIViewBusy::views().cover->superview();
  }

  std::shared_ptr<OriginalReadViewController> reader;
};

TEST_F(OriginalReaderTest, ThePageFillsTheScreenAndTheBusySignsShowOnceUntilTheFirstLoadEnds) {
  std::string dump = reader->view()->dump();
  EXPECT_NE(dump.find("UIYBWebView frame=(0 0; 320 460)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UIButton frame=(276 416; 44 44) image=\"returnBtn\""), std::string::npos)
      << dump;
  reader->readOriginalWithURL(server.url("/about/terms.html"));
  EXPECT_TRUE(busy());
  ASSERT_TRUE(MainLoop::runUntil([&] { return !reader->originalWebView()->isLoading(); }));
  EXPECT_FALSE(busy());
  EXPECT_EQ(reader->originalWebView()->pageTitle(), "服务条款");

  // A later load (a frame, a redirect) shows nothing new.
  ASSERT_TRUE(reader->originalWebView()->navigate(
      std::make_shared<NSURLRequest>(NSURL::URLWithString(server.url("/about/about.html")))));
  EXPECT_FALSE(busy());
  ASSERT_TRUE(MainLoop::runUntil([&] { return !reader->originalWebView()->isLoading(); }));
}

TEST_F(OriginalReaderTest, LeavingWhileThePageLoadsStopsTheBusySigns) {
  reader->readOriginalWithURL(server.url("/about/terms.html"));
  EXPECT_TRUE(busy());
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(298, 458)));
  MainLoop::advance(1);
  EXPECT_FALSE(busy());
  EXPECT_EQ(nav->topViewController(), root);
}

}  // namespace
