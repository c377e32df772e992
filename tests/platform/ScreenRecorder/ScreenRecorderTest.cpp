// The headless runner's record of the screens shown: a PNG and a view dump for each new screen
// (root, push, pop, presentation, dismissal) and for each request, numbered in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "ImageIO/CGImageSource.h"
#include "ScreenRecorder/ScreenRecorder.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"

namespace {

class TitledScreen : public UIViewController {
  NS_CLASS(TitledScreen, UIViewController)
 public:
  explicit TitledScreen(std::string text) : text_(std::move(text)) {}
  void viewDidLoad() override {
    auto label = std::make_shared<UILabel>(CGRectMake(10, 10, 200, 20));
    label->setText(text_);
    view()->addSubview(label);
  }

 private:
  std::string text_;
};

class DetailScreen : public TitledScreen {
  NS_CLASS(DetailScreen, TitledScreen)
 public:
  using TitledScreen::TitledScreen;
};

NS_CLASS_IMPLEMENTATION(TitledScreen) {}
NS_CLASS_IMPLEMENTATION(DetailScreen) {}

class ScreenRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
    folder_ = NSTemporaryDirectory() + "/screens";
  }
  void TearDown() override { UIApplicationDriver::reset(); }

  std::vector<std::string> files() {
    auto names = NSFileManager::defaultManager().contentsOfDirectoryAtPath(folder_);
    std::vector<std::string> out = names ? *names : std::vector<std::string>{};
    std::sort(out.begin(), out.end());
    return out;
  }
  std::string read(const std::string& name) {
    return NSFileManager::defaultManager().contentsAtPath(folder_ + "/" + name).value_or("");
  }

  std::string folder_;
};

TEST_F(ScreenRecorderTest, EachNewScreenIsWrittenAsPictureAndViewDumpOnTheNextPass) {
  std::vector<std::string> reported;
  auto recorder = ScreenRecorder::open(folder_);
  ASSERT_TRUE(recorder);
  recorder->setReporter([&](const std::string& path, const std::string& error) {
    reported.push_back(path.empty() ? "error: " + error : path.substr(folder_.size() + 1));
  });
  recorder->watchScreens();

  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  auto nav = std::make_shared<UINavigationController>(std::make_shared<TitledScreen>("频道"));
  window->setRootViewController(nav);
  window->makeKeyAndVisible();
  EXPECT_EQ(files(), std::vector<std::string>{}) << "written on the loop's next pass";
  MainLoop::pump();

  nav->pushViewController(std::make_shared<DetailScreen>("正文"), true);
  MainLoop::advance(UIViewController::kTransitionDuration);
  nav->popViewControllerAnimated(false);
  MainLoop::pump();
  // Asked for by name, and by the controller in front.
  EXPECT_EQ(recorder->record("first page").substr(folder_.size() + 1), "004-first_page.png");
  recorder->record();

  EXPECT_EQ(reported, (std::vector<std::string>{"001-TitledScreen.png", "002-DetailScreen.png",
                                                "003-TitledScreen.png"}));
  EXPECT_EQ(files(), (std::vector<std::string>{"001-TitledScreen.png", "001-TitledScreen.txt",
                                               "002-DetailScreen.png", "002-DetailScreen.txt",
                                               "003-TitledScreen.png", "003-TitledScreen.txt",
                                               "004-first_page.png", "004-first_page.txt",
                                               "005-TitledScreen.png", "005-TitledScreen.txt"}));
  // What a person would see: the detail's text in its dump, the screen's pixels in the PNG.
  EXPECT_NE(read("002-DetailScreen.txt").find("正文"), std::string::npos);
  EXPECT_EQ(read("002-DetailScreen.txt").find("频道"), std::string::npos);
  auto source = CGImageSource::createWithData(read("002-DetailScreen.png"));
  ASSERT_TRUE(source);
  auto picture = source->createImageAtIndex(0);
  ASSERT_TRUE(picture);
  CGSize pixels = UIScreen::mainScreen()->bounds().size;
  double scale = UIScreen::mainScreen()->scale();
  EXPECT_EQ(picture->width(), size_t(pixels.width * scale));
  EXPECT_EQ(picture->height(), size_t(pixels.height * scale));
}

TEST_F(ScreenRecorderTest, ScreensShownInOnePassAreWrittenOnceAsTheLast) {
  auto recorder = ScreenRecorder::open(folder_);
  recorder->watchScreens();
  auto window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  auto nav = std::make_shared<UINavigationController>(std::make_shared<TitledScreen>("a"));
  window->setRootViewController(nav);
  window->makeKeyAndVisible();
  nav->pushViewController(std::make_shared<DetailScreen>("b"), false);
  MainLoop::pump();
  EXPECT_EQ(files(), (std::vector<std::string>{"001-DetailScreen.png", "001-DetailScreen.txt"}));

  // Gone, the recorder writes nothing more.
  recorder.reset();
  nav->popViewControllerAnimated(false);
  MainLoop::pump();
  EXPECT_EQ(files().size(), 2u);
}

TEST_F(ScreenRecorderTest, AnEarlierRunsScreensGoOtherFilesStayAndFailuresSayWhy) {
  auto& fm = NSFileManager::defaultManager();
  ASSERT_TRUE(fm.createDirectoryAtPath(folder_, true));
  for (const char* name :
       {"001-Old.png", "002-Old.txt", "1000-Old.png", "notes.txt", "01-short.png"})
    ASSERT_TRUE(fm.createFileAtPath(folder_ + "/" + name, "x"));
  auto recorder = ScreenRecorder::open(folder_);
  ASSERT_TRUE(recorder);
  EXPECT_EQ(files(), (std::vector<std::string>{"01-short.png", "notes.txt"}));

  std::string error;
  EXPECT_EQ(recorder->record({}, &error), "");
  EXPECT_EQ(error, "no window is shown");

  // A folder that cannot be made.
  EXPECT_FALSE(ScreenRecorder::open(folder_ + "/notes.txt/screens", &error));
  EXPECT_NE(error.find("cannot make"), std::string::npos) << error;
}

}  // namespace
