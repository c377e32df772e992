// A fixture for web screens on the local content server (loopback), their pages fetched through
// the HTTP engine: a shown window whose navigation controller, its bar hidden as the app's
// screens draw their own, starts on a plain root screen.  Only for test targets that link the
// screen framework, the HTTP engine and the local servers.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "UIKit/UIScreen.h"
#include "UIKit/UIWebView.h"
#include "UIKit/UIWindow.h"
#include "core/UIBkImageView.h"
#include "net/http/HXWebPageLoader.h"
#include "server/ContentServer.h"
#include "support/MainLoop.h"
#include "ui/framework/FeedbackViews.h"
#include "ui/framework/UINaviCtrl.h"

class WebWindowTest : public ::testing::Test {
 protected:
  explicit WebWindowTest(std::string rootTitle = {}) : rootTitle_(std::move(rootTitle)) {}

  void SetUp() override {
    MainLoop::install();
    FeedbackViews::install();
    UIBkImageView::defaultSet();
    HXWebPageLoader::install();
    server.start();
    root = std::make_shared<UIViewController>();
    if (!rootTitle_.empty()) root->setTitle(rootTitle_);
    nav = std::make_shared<UINaviCtrl>(root);
    nav->setNavigationBarHidden(true);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    MainLoop::advance(1);
  }
  void TearDown() override {
    UIWebView::setPageLoader({});
    server.stop();
  }

  zept::server::ContentServer server;
  std::shared_ptr<UIViewController> root;
  std::shared_ptr<UINaviCtrl> nav;
  std::shared_ptr<UIWindow> window;

 private:
  std::string rootTitle_;
};
