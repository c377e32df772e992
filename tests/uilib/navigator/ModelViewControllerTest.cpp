// A screen that follows its model: which of loading, content, empty and error it shows and in
// which order the hooks run, updates held back while off screen or between begin and end,
// failed loads, memory warnings, models made late while the navigator is delayed, and messages
// from other models.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSError.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"
#include "uilib/navigator/ULModelViewController.h"
#include "uilib/navigator/ULNavigator.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

class StubModel : public ULModel {
 public:
  bool isLoaded() const override { return loaded; }
  bool isLoading() const override { return loading; }
  bool isOutdated() const override { return outdated; }
  void load(int cachePolicy, bool more) override {
    loads.push_back(std::to_string(cachePolicy) + (more ? " more" : ""));
  }

  void start() {
    loading = true;
    didStartLoad();
  }
  void finish() {
    loading = false;
    loaded = true;
    didFinishLoad();
  }
  void fail() {
    loading = false;
    didFailLoadWithError(NSError::errorWithDomain("ulkit.network", 1));
  }

  bool loaded = false, loading = false, outdated = false;
  std::vector<std::string> loads;
};

class RecordingScreen : public ULModelViewController {
  NS_CLASS(RecordingScreen, ULModelViewController)
 public:
  void createModel() override {
    ++creates;
    if (next) setModel(next);
  }
  void didLoadModel(bool firstTime) override { log("didLoad", firstTime); }
  void didShowModel(bool firstTime) override { log("didShow", firstTime); }
  void showLoading(bool show) override { log("loading", show); }
  void showModel(bool show) override { log("model", show); }
  void showEmpty(bool show) override { log("empty", show); }
  void showError(bool show) override { log("error", show); }

  std::vector<std::string> take() { return std::exchange(calls, {}); }
  void log(const char* name, bool on) { calls.push_back(std::string(name) + (on ? "+" : "-")); }

  std::shared_ptr<StubModel> next;
  int creates = 0;
  std::vector<std::string> calls;
};
NS_CLASS_IMPLEMENTATION(RecordingScreen) {}

using Calls = std::vector<std::string>;

class ModelViewControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
    ULBaseNavigator::setGlobalNavigator(nullptr);
    screen = std::make_shared<RecordingScreen>();
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  }
  void TearDown() override {
    ULBaseNavigator::setGlobalNavigator(nullptr);
    ULURLRequestQueue::mainQueue()->setSuspended(false);
  }

  // Shows the screen in a navigation controller on the window.
  void show() {
    stack = std::make_shared<UINavigationController>(screen);
    window->setRootViewController(stack);
    window->makeKeyAndVisible();
    MainLoop::advance(1);
  }
  // Covers it with another screen.
  void cover() {
    stack->pushViewController(std::make_shared<UIViewController>(), false);
    MainLoop::advance(1);
  }
  void uncover() {
    stack->popViewControllerAnimated(false);
    MainLoop::advance(1);
  }

  std::shared_ptr<RecordingScreen> screen;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UINavigationController> stack;
};

TEST_F(ModelViewControllerTest, ALoadedModelShowsAtOnceAndOnlyItsFirstShowCountsAsFirst) {
  auto model = std::make_shared<StubModel>();
  model->loaded = true;
  screen->next = model;
  show();
  EXPECT_EQ(screen->take(), (Calls{"didLoad-", "model+", "didShow+"}));
  EXPECT_TRUE(screen->isShowingModel());
  EXPECT_TRUE(model->loads.empty());

  // A reload: loading over the content, then the content shown anew.
  screen->reload();
  EXPECT_EQ(model->loads, Calls{"4"});
  model->start();
  EXPECT_EQ(screen->take(), Calls{"loading+"});
  model->finish();
  EXPECT_EQ(screen->take(), (Calls{"didLoad+", "loading-", "model+", "didShow-"}));
}

TEST_F(ModelViewControllerTest, AModelNeitherLoadedNorLoadingShowsOnlyTheEmptyDisplay) {
  auto model = std::make_shared<StubModel>();
  screen->next = model;
  show();
  // Not loaded: a load from memory, disk or network was asked for.
  EXPECT_EQ(model->loads, Calls{"7"});
  EXPECT_EQ(screen->take(), Calls{"empty+"});
  EXPECT_TRUE(screen->isShowingEmpty());
  model->start();
  EXPECT_EQ(screen->take(), (Calls{"empty-", "loading+"}));
}

TEST_F(ModelViewControllerTest, AFailedLoadKeepsTheContentAndAddsTheErrorWithoutRetrying) {
  auto model = std::make_shared<StubModel>();
  model->loaded = true;
  screen->next = model;
  show();
  screen->take();
  model->start();
  model->outdated = true;
  model->fail();
  EXPECT_TRUE(screen->isShowingModel());
  EXPECT_TRUE(screen->isShowingError());
  EXPECT_NE(screen->modelError(), nullptr);
  // Outdated, but a model with an error is not retried.
  screen->reloadIfNeeded();
  EXPECT_TRUE(model->loads.empty());

  // The next successful load clears the error.
  model->start();
  model->finish();
  EXPECT_EQ(screen->modelError(), nullptr);
  EXPECT_FALSE(screen->isShowingError());
}

TEST_F(ModelViewControllerTest, ChangesWaitWhileOffScreenOrBetweenBeginAndEndUpdates) {
  auto model = std::make_shared<StubModel>();
  screen->next = model;
  show();
  screen->take();

  screen->beginUpdates();
  model->start();
  model->finish();
  EXPECT_TRUE(screen->take().empty());
  screen->endUpdates();
  // Every hiding call before every showing one.
  EXPECT_EQ(screen->take(), (Calls{"didLoad+", "empty-", "model+", "didShow+"}));

  cover();
  model->start();
  screen->invalidateView();
  EXPECT_TRUE(screen->take().empty());
  uncover();
  EXPECT_EQ(screen->take(), (Calls{"loading+"}));
}

TEST_F(ModelViewControllerTest, OtherModelsAreIgnoredAndAReplacedModelIsLeft) {
  auto model = std::make_shared<StubModel>();
  model->loaded = true;
  screen->next = model;
  show();
  screen->take();
  auto other = std::make_shared<StubModel>();
  other->delegates().addObject(std::shared_ptr<ULModelDelegate>(screen));
  other->start();
  EXPECT_TRUE(screen->take().empty());

  auto replacement = std::make_shared<StubModel>();
  replacement->loaded = true;
  screen->setModel(replacement);
  EXPECT_FALSE(model->delegates().containsObject(std::shared_ptr<ULModelDelegate>(screen)));
  EXPECT_EQ(screen->take(), (Calls{"didLoad-", "model+", "didShow+"}));
}

TEST_F(ModelViewControllerTest, AMemoryWarningWhileHiddenRefreshesTheModel) {
  UIApplicationDriver::launch(std::make_shared<UIApplicationDelegate>());
  auto model = std::make_shared<StubModel>();
  screen->next = model;
  show();
  cover();
  model->loads.clear();
  UIApplicationDriver::receiveMemoryWarning();
  EXPECT_EQ(model->loads, Calls{"7"});
  EXPECT_FALSE(screen->hasViewAppeared());
  EXPECT_NE(screen->frozenState(), nullptr);
}

TEST_F(ModelViewControllerTest, WhileTheNavigatorIsDelayedAnInterstitialModelStandsIn) {
  auto navigator = ULNavigator::navigator();
  navigator->URLMap().fromToViewController("zept-demo://recording",
                                           &RecordingScreen::classObject());
  navigator->beginDelay();
  auto opened = std::dynamic_pointer_cast<RecordingScreen>(
      navigator->viewControllerForURL("zept-demo://recording"));
  ASSERT_NE(opened, nullptr);
  opened->next = std::make_shared<StubModel>();
  auto interstitial = opened->model();
  EXPECT_EQ(opened->creates, 0);
  EXPECT_EQ(std::dynamic_pointer_cast<StubModel>(interstitial), nullptr);

  navigator->endDelay();
  EXPECT_EQ(opened->creates, 1);
  EXPECT_EQ(opened->model(), opened->next);
}

}  // namespace
