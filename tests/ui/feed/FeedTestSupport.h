// Statuses, a delegate that records what the rows tell it, and cached pictures for the feed
// item view tests, on a shown window and the virtual clock in the day theme.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Foundation/NSFileManager.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "core/UIFilePath.h"
#include "model/Status.h"
#include "support/MainLoop.h"
#include "ui/feed/UIHomeViewCell.h"

namespace feedtest {

inline StatusPtr status(std::string text, std::string name = "育儿观察") {
  auto s = std::make_shared<Status>();
  s->statusId = 1;
  s->text = std::move(text);
  s->user = std::make_shared<User>();
  s->user->screenName = std::move(name);
  return s;
}

// What the rows told their screen, in order, as "call argument".
class RecordingDelegate : public UIHomeViewCellDelegate {
 public:
  std::vector<std::string> calls;
  std::vector<NSIndexPath> downloads;

  void showInfo() override { calls.push_back("showInfo"); }
  void showPic(const std::optional<std::string>& a) override {
    calls.push_back("showPic " + a.value_or("nil"));
  }
  void goodAction(const NSIndexPath& p) override {
    calls.push_back("goodAction " + p.description());
  }
  void lineAction(int code) override { calls.push_back("lineAction " + std::to_string(code)); }
  void openURL(const std::string& text) override { calls.push_back("openURL " + text); }
  void DownloadOver(const NSIndexPath& p) override {
    downloads.push_back(p);
    calls.push_back("DownloadOver " + p.description());
  }
  void refreshDetail() override { calls.push_back("refreshDetail"); }
  bool respondsToSelector(std::string_view s) const override {
    return s == "showInfo" || s == "goodAction:" || s == "lineAction:" || s == "openURL:" ||
           s == "DownloadOver:" || s == "refreshDetail";
  }
};

// A plain PNG picture of the size and colour.
inline std::string pngBytes(CGSize size, std::shared_ptr<UIColor> colour) {
  UIGraphicsBeginImageContextWithOptions(size, true, 1);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setFillColorWithColor(colour->CGColor());
  ctx->fillRect(CGRectMake(0, 0, size.width, size.height));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return UIImagePNGRepresentation(image).value_or("");
}

// Writes the bytes as the cache file of the picture address.
inline void putInCache(const std::string& address, const std::string& bytes) {
  auto path = UIFilePath::getImageWithPath(address);
  ASSERT_TRUE(path);
  UIFilePath::makeSureFolderOf(*path);
  ASSERT_TRUE(NSFileManager::defaultManager().createFileAtPath(*path, bytes));
}

inline bool inCache(const std::string& address) {
  auto path = UIFilePath::getImageWithPath(address);
  return path && NSFileManager::defaultManager().fileExistsAtPath(*path);
}

class FeedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    auto globe = NSGlobe::getEngine();
    globe->setThemeNum(1);
    globe->setShowStatusPicture(true);
    globe->setShowUserHead(true);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(std::make_shared<UIViewController>());
    window->makeKeyAndVisible();
    delegate = std::make_shared<RecordingDelegate>();
    MainLoop::advance(0.1);
  }
  void TearDown() override { window->setHidden(true); }

  // A status row as a list builds it: at the row, pictures downloaded, reposts shown.
  std::shared_ptr<UIHomeViewCell> build(const StatusPtr& s, int actionType = 0, long row = 0,
                                        bool startDownload = false) {
    return UIHomeViewCell::initWithItem(s, delegate, actionType, NSIndexPath{0, row}, false, true,
                                        startDownload);
  }
  CGFloat rowHeight(const StatusPtr& s, int actionType = 0) {
    return UIHomeViewCell::getHeightForCellRowAtIndexPath(NSIndexPath{0, 0}, s, 1, actionType,
                                                          delegate, true, false);
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<RecordingDelegate> delegate;
};

}  // namespace feedtest
