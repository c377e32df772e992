// The URL navigator on a shown window: URLs opened into a navigation controller that becomes
// the root, fragments sent to the visible screen, web addresses without a scheme, transitions,
// shared screens already on top, delays, modal and popover screens, the delegate, paths of
// controllers, and the history written when the app goes to the background and rebuilt on
// the next start.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UISplitViewController.h"
#include "UIKit/UITabBarController.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"
#include "support/ui/GoldenImage.h"
#include "uilib/navigator/UIViewController+ULNavigator.h"
#include "uilib/navigator/ULBaseViewController.h"
#include "uilib/navigator/ULModelViewController.h"
#include "uilib/navigator/ULNavigationController.h"
#include "uilib/navigator/ULNavigator.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

// The demo item screen: made only by initWithId:query:, its title the id.
class DemoItemScreen : public ULViewController {
  NS_CLASS(DemoItemScreen, ULViewController)
 public:
  static std::shared_ptr<DemoItemScreen> initWithId(int itemId, const ValueDictionary& query) {
    auto screen = std::make_shared<DemoItemScreen>();
    screen->itemId = itemId;
    screen->query = query;
    screen->setTitle(std::to_string(itemId));
    return screen;
  }
  void viewWillAppear(bool animated) override {
    ULViewController::viewWillAppear(animated);
    queueSuspendedWhileAppearing = ULURLRequestQueue::mainQueue()->suspended();
  }
  void edit() { ++edits; }
  bool persistView(const ValueDictionary& state) override {
    state->setObject(Value(itemId), "itemId");
    if (important) state->setObject(Value(true), "__important__");
    return true;
  }
  void restoreView(const ValueDictionary& state) override {
    restoredId = int(state->objectForKey("itemId").intValue());
  }

  int itemId = 0;
  ValueDictionary query;
  int edits = 0;
  int restoredId = -1;
  bool important = false;
  bool queueSuspendedWhileAppearing = false;
};
NS_CLASS_IMPLEMENTATION(DemoItemScreen) {
  c.initializer("initWithId:query:", &DemoItemScreen::initWithId);
  c.method("edit", &DemoItemScreen::edit);
}

// A screen made by init (the plain navigator initialiser), counting its delay's end.
class PlainScreen : public ULViewController {
  NS_CLASS(PlainScreen, ULViewController)
 public:
  void delayDidEnd() override { ++delayEnds; }
  int delayEnds = 0;
};
NS_CLASS_IMPLEMENTATION(PlainScreen) {}

// A navigation controller that URLs open as a container.
class StackScreen : public ULNavigationController {
  NS_CLASS(StackScreen, ULNavigationController)
};
NS_CLASS_IMPLEMENTATION(StackScreen) {}

class RecordingDelegate : public ULNavigatorDelegate {
 public:
  bool navigatorShouldOpenURL(ULBaseNavigator&, const NSURL& url) override {
    asked.push_back(url.absoluteString());
    return url.absoluteString().find("refused") == std::string::npos;
  }
  std::shared_ptr<NSURL> navigatorURLToOpen(ULBaseNavigator&,
                                            const std::shared_ptr<NSURL>& url) override {
    if (url->absoluteString() == "zept-demo://old")
      return NSURL::URLWithString("zept-demo://item/7");
    if (url->absoluteString() == "zept-demo://nowhere") return nullptr;
    return url;
  }
  void navigatorWillOpenURL(ULBaseNavigator&, const NSURL& url,
                            const std::shared_ptr<UIViewController>& controller) override {
    opened.push_back(url.absoluteString() + (controller ? "" : " (system)"));
  }
  std::vector<std::string> asked, opened;
};

class NavigatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
    ULBaseNavigator::setGlobalNavigator(nullptr);
    auto defaults = NSUserDefaults::standardUserDefaults();
    for (auto key : {"ULNavigatorHistory", "ULNavigatorHistoryTime", "ULNavigatorHistoryImportant"})
      defaults->removeObjectForKey(key);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->makeKeyAndVisible();
    navigator = ULNavigator::navigator();
    registerPatterns(*navigator);
  }
  void TearDown() override {
    ULBaseNavigator::setGlobalNavigator(nullptr);
    ULURLRequestQueue::mainQueue()->setSuspended(false);
  }

  static void registerPatterns(ULBaseNavigator& n) {
    ULURLMap& map = n.URLMap();
    map.fromToViewController("zept-demo://item/(initWithId:)", &DemoItemScreen::classObject());
    map.fromToViewController("zept-demo://flip/(initWithId:)", &DemoItemScreen::classObject(), {},
                             3);
    map.fromToSharedViewController("zept-demo://shared", &PlainScreen::classObject());
    map.fromToViewController("zept-demo://plain", &PlainScreen::classObject());
    map.fromToViewController("http://foo/bar", &PlainScreen::classObject());
    map.fromToModalViewController("zept-demo://modal", &PlainScreen::classObject(), {}, 2);
    map.fromToPopoverViewController("zept-demo://popover", &PlainScreen::classObject());
    map.fromToViewController("zept-demo://stack", &StackScreen::classObject());
    map.fromToViewController("zept-demo://child", &PlainScreen::classObject(), {}, 0,
                             "zept-demo://shared");
  }

  std::shared_ptr<UINavigationController> rootStack() {
    return std::dynamic_pointer_cast<UINavigationController>(navigator->rootViewController());
  }

  std::vector<std::string> stackTitles() {
    std::vector<std::string> titles;
    if (auto stack = rootStack())
      for (const auto& c : stack->viewControllers()) titles.push_back(ULNavigatorURL(*c));
    return titles;
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<ULBaseNavigator> navigator;
};

TEST_F(NavigatorTest, ADemoItemURLIsPushedIntoANavigationControllerThatBecomesTheWindowsRoot) {
  auto opened = ULOpenURLString("zept-demo://item/42?x=1");
  auto screen = std::dynamic_pointer_cast<DemoItemScreen>(opened);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->itemId, 42);
  ASSERT_NE(screen->query, nullptr);
  EXPECT_EQ(screen->query->objectForKey("x"), Value("1"));

  auto stack = std::dynamic_pointer_cast<ULNavigationController>(window->rootViewController());
  ASSERT_NE(stack, nullptr);
  EXPECT_EQ(navigator->rootViewController(), stack);
  EXPECT_EQ(stack->topViewController(), screen);
  EXPECT_EQ(ULOriginalNavigatorURL(*screen), "zept-demo://item/42?x=1");
  EXPECT_EQ(navigator->URL(), "zept-demo://item/42?x=1");

  // The animated push: the queue holds while the screen appears, and runs again after.
  EXPECT_TRUE(screen->queueSuspendedWhileAppearing);
  EXPECT_TRUE(ULURLRequestQueue::mainQueue()->suspended());
  MainLoop::advance(1);
  EXPECT_FALSE(ULURLRequestQueue::mainQueue()->suspended());

  std::string dump = window->dump();
  // The navigation controller's views, its bar titled with the id.
  EXPECT_NE(dump.find("UILayoutContainerView"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UINavigationBar frame=(0 0; 320 44)\n      UILabel"), std::string::npos)
      << dump;
  EXPECT_NE(dump.find("text=\"42\""), std::string::npos) << dump;
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "navigator_item_42"));
}

TEST_F(NavigatorTest, AFragmentCallsItsMethodOnTheVisibleScreen) {
  auto screen = std::dynamic_pointer_cast<DemoItemScreen>(ULOpenURLString("zept-demo://item/5"));
  ASSERT_NE(screen, nullptr);
  MainLoop::advance(1);
  EXPECT_EQ(navigator->openURLAction(ULURLAction::actionWithURLPath("#edit")), screen);
  EXPECT_EQ(screen->edits, 1);
  // Nothing new was presented.
  EXPECT_EQ(rootStack()->viewControllers().size(), 1u);
}

TEST_F(NavigatorTest, APathWithoutASchemeOpensAsAWebAddress) {
  auto opened = navigator->openURLAction(ULURLAction::actionWithURLPath("foo/bar"));
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(ULOriginalNavigatorURL(*opened), "http://foo/bar");
}

TEST_F(NavigatorTest, AnActionKeepsItsTransitionAndZeroTakesThePatterns) {
  ULOpenURLString("zept-demo://plain");
  MainLoop::advance(1);
  struct Case {
    int actionTransition;
    int expected;
  } cases[] = {{1, 1}, {0, 3}};
  for (const Case& c : cases) {
    auto action = ULURLAction::actionWithURLPath("zept-demo://flip/9")
                      ->applyAnimated(true)
                      ->applyTransition(c.actionTransition);
    ASSERT_NE(navigator->openURLAction(action), nullptr);
    EXPECT_EQ(action->transition(), c.expected);
    // The navigation controller plays that transition on its view.
    auto animations = UIView::runningAnimations();
    ASSERT_FALSE(animations.empty());
    EXPECT_EQ(int(animations.back().transition), c.expected);
    MainLoop::advance(1);
  }
  EXPECT_EQ(rootStack()->viewControllers().size(), 3u);
}

TEST_F(NavigatorTest, ASharedScreenAlreadyOnTopIsReturnedAndNothingIsPresented) {
  auto first = ULOpenURLString("zept-demo://shared");
  MainLoop::advance(1);
  auto action = ULURLAction::actionWithURLPath("zept-demo://shared")->applyWithDelay(true);
  EXPECT_EQ(navigator->openURLAction(action), first);
  EXPECT_EQ(rootStack()->viewControllers().size(), 1u);
  // The delay begun for it was given back.
  EXPECT_FALSE(navigator->isDelayed());
}

TEST_F(NavigatorTest, ADelayedActionThatMakesNoScreenLeavesTheNavigatorUndelayed) {
  auto action = ULURLAction::actionWithURLPath("zept-demo://unknown/1")->applyWithDelay(true);
  EXPECT_EQ(navigator->openURLAction(action), nullptr);
  EXPECT_FALSE(navigator->isDelayed());
}

TEST_F(NavigatorTest, ScreensMadeDuringADelayAreToldWhenItEnds) {
  navigator->beginDelay();
  auto a = std::dynamic_pointer_cast<PlainScreen>(ULOpenURLString("zept-demo://plain"));
  auto b =
      std::dynamic_pointer_cast<PlainScreen>(navigator->viewControllerForURL("zept-demo://plain"));
  ASSERT_TRUE(a && b);
  navigator->beginDelay();
  navigator->endDelay();
  EXPECT_EQ(a->delayEnds, 0);  // still one delay open
  navigator->endDelay();
  EXPECT_EQ(a->delayEnds, 1);
  EXPECT_EQ(b->delayEnds, 1);
  navigator->endDelay();  // nothing open: nothing happens
  EXPECT_FALSE(navigator->isDelayed());

  // A cancelled delay tells nobody.
  navigator->beginDelay();
  auto c =
      std::dynamic_pointer_cast<PlainScreen>(navigator->viewControllerForURL("zept-demo://plain"));
  navigator->cancelDelay();
  EXPECT_EQ(c->delayEnds, 0);
}

TEST_F(NavigatorTest, ShownScreensComeToTheFrontInsteadOfBeingPushedTwice) {
  auto shared = ULOpenURLString("zept-demo://shared");
  ULOpenURLString("zept-demo://plain");
  MainLoop::advance(1);
  EXPECT_EQ(rootStack()->viewControllers().size(), 2u);
  EXPECT_EQ(ULOpenURLString("zept-demo://shared"), shared);
  MainLoop::advance(1);
  EXPECT_EQ(rootStack()->topViewController(), shared);
  EXPECT_EQ(rootStack()->viewControllers().size(), 1u);

  // A pattern's parent URL opens the parent first.
  auto child = ULOpenURLString("zept-demo://child");
  MainLoop::advance(1);
  EXPECT_EQ(rootStack()->topViewController(), child);
  EXPECT_EQ(ULPreviousViewController(*child), shared);
}

TEST_F(NavigatorTest, ModalAndPopoverScreens) {
  auto base = ULOpenURLString("zept-demo://plain");
  MainLoop::advance(1);
  auto modal = ULOpenURLString("zept-demo://modal");
  MainLoop::advance(1);
  ASSERT_NE(modal, nullptr);
  auto wrapper = std::dynamic_pointer_cast<ULNavigationController>(modal->navigationController());
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(base->modalViewController(), wrapper);
  EXPECT_EQ(wrapper->modalTransitionStyle(), 2);
  EXPECT_EQ(navigator->topViewController(), modal);
  EXPECT_EQ(navigator->visibleViewController(), modal);

  // No anchor: no popover.
  EXPECT_NE(ULOpenURLString("zept-demo://popover"), nullptr);
  EXPECT_EQ(navigator->popoverController(), nullptr);
  auto item = std::make_shared<UIBarButtonItem>(UIBarButtonSystemItemAdd, Selector());
  auto content = navigator->openURLAction(
      ULURLAction::actionWithURLPath("zept-demo://popover")->applySourceButton(item));
  auto popover = navigator->popoverController();
  ASSERT_NE(popover, nullptr);
  EXPECT_EQ(popover->contentViewController(), content);
  EXPECT_EQ(popover->presentedFromItem(), item);
  EXPECT_EQ(popover->permittedArrowDirections(), 15u);
  // A second popover replaces the first; the user dismissing it clears the navigator's.
  auto view = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
  navigator->openURLAction(ULURLAction::actionWithURLPath("zept-demo://popover")
                               ->applySourceView(view)
                               ->applySourceRect(CGRectMake(10, 10, 20, 20)));
  EXPECT_FALSE(popover->isPopoverVisible());
  auto second = navigator->popoverController();
  ASSERT_NE(second, popover);
  EXPECT_EQ(second->presentedInView(), view);
  second->dismissByUser();
  EXPECT_EQ(navigator->popoverController(), nullptr);
}

TEST_F(NavigatorTest, TheDelegateMayRefuseOrRewriteAURL) {
  auto delegate = std::make_shared<RecordingDelegate>();
  navigator->setDelegate(delegate);
  EXPECT_EQ(ULOpenURLString("zept-demo://item/1?refused=1"), nullptr);
  EXPECT_EQ(ULOpenURLString("zept-demo://nowhere"), nullptr);
  auto rewritten = std::dynamic_pointer_cast<DemoItemScreen>(ULOpenURLString("zept-demo://old"));
  ASSERT_NE(rewritten, nullptr);
  EXPECT_EQ(rewritten->itemId, 7);
  EXPECT_EQ(delegate->opened, std::vector<std::string>{"zept-demo://item/7"});

  // A URL without a pattern goes to the system only when the navigator opens external URLs.
  EXPECT_EQ(ULOpenURLString("https://example.org/page"), nullptr);
  EXPECT_TRUE(UIApplicationDriver::openedURLs().empty());
  navigator->setOpensExternalURLs(true);
  EXPECT_EQ(ULOpenURLString("https://example.org/page"), nullptr);
  EXPECT_EQ(UIApplicationDriver::openedURLs(),
            std::vector<std::string>{"https://example.org/page"});
  EXPECT_EQ(delegate->opened.back(), "https://example.org/page (system)");
}

TEST_F(NavigatorTest, ControllersAreFoundByTheirPathFromTheRoot) {
  auto first = ULOpenURLString("zept-demo://item/1");
  auto second = ULOpenURLString("zept-demo://item/2");
  MainLoop::advance(1);
  EXPECT_EQ(navigator->pathForObject(second), "1");
  EXPECT_EQ(navigator->objectForPath("1"), second);
  EXPECT_EQ(navigator->objectForPath("0"), first);
  EXPECT_EQ(navigator->objectForPath("5"), nullptr);
  EXPECT_EQ(ULNextViewController(*first), second);
}

// A pane container with a navigator of its own.
class PaneContainer : public ULViewController, public ULNavigatorRootContainer {
  NS_CLASS(PaneContainer, ULViewController)
 public:
  void navigatorSetRootViewController(ULBaseNavigator&,
                                      const std::shared_ptr<UIViewController>& root) override {
    paneRoot = root;
  }
  std::shared_ptr<ULBaseNavigator> getNavigatorForController(
      const std::shared_ptr<UIViewController>&) override {
    return paneNavigator;
  }
  std::shared_ptr<ULBaseNavigator> paneNavigator = std::make_shared<ULNavigator>();
  std::shared_ptr<UIViewController> paneRoot;
};
NS_CLASS_IMPLEMENTATION(PaneContainer) {}

TEST_F(NavigatorTest, AViewInAPaneOpensURLsThroughThePanesNavigator) {
  auto pane = std::make_shared<PaneContainer>();
  auto inside = std::make_shared<PlainScreen>();
  ULSetSuperController(inside, pane);
  EXPECT_EQ(ULBaseNavigator::navigatorForView(inside->view()), pane->paneNavigator);
  auto loose = std::make_shared<UIView>();
  EXPECT_EQ(ULBaseNavigator::navigatorForView(loose), navigator);

  // The pane's navigator installs its root through the container.
  pane->paneNavigator->setRootContainer(pane);
  registerPatterns(*pane->paneNavigator);
  ULOpenURLStringFromView("zept-demo://plain", inside->view());
  EXPECT_NE(std::dynamic_pointer_cast<ULNavigationController>(pane->paneRoot), nullptr);
  EXPECT_EQ(navigator->rootViewController(), nullptr);
}

// ---- history

class LaunchedApp : public UIApplicationDelegate {};

TEST_F(NavigatorTest, GoingToTheBackgroundWritesTheHistoryAndTheNextStartRebuildsIt) {
  UIApplicationDriver::launch(std::make_shared<LaunchedApp>());
  navigator->setPersistenceMode(ULBaseNavigator::PersistenceModeAll);
  ULOpenURLString("zept-demo://item/1");
  auto second = std::dynamic_pointer_cast<DemoItemScreen>(ULOpenURLString("zept-demo://item/2"));
  ULOpenURLString("zept-demo://item/3");
  MainLoop::advance(1);
  second->important = true;

  UIApplicationDriver::enterBackground();
  auto defaults = NSUserDefaults::standardUserDefaults();
  auto history = defaults->arrayForKey("ULNavigatorHistory");
  ASSERT_NE(history, nullptr);
  ASSERT_EQ(history->count(), 3u);
  auto entry = history->objectAtIndex(1).dictionary();
  EXPECT_EQ(entry->objectForKey("__navigatorURL__"), Value("zept-demo://item/2"));
  EXPECT_EQ(entry->objectForKey("itemId"), Value(2));
  EXPECT_TRUE(defaults->objectForKey("ULNavigatorHistoryTime").isDate());
  EXPECT_EQ(defaults->integerForKey("ULNavigatorHistoryImportant"), 1);
  std::string before = window->dump();
  auto pictureBefore = window->compositeFrame();

  // The next start: a new navigator on a new window, the defaults read again from disk.
  ULBaseNavigator::setGlobalNavigator(nullptr);
  navigator.reset();
  NSUserDefaults::resetStandardUserDefaults();
  UIApplicationDriver::reset();
  window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  window->makeKeyAndVisible();
  navigator = ULNavigator::navigator();
  registerPatterns(*navigator);
  navigator->setPersistenceMode(ULBaseNavigator::PersistenceModeAll);
  auto restored = std::dynamic_pointer_cast<DemoItemScreen>(navigator->restoreViewControllers());
  MainLoop::advance(1);
  ASSERT_NE(restored, nullptr);
  EXPECT_EQ(restored->itemId, 3);
  EXPECT_EQ(restored->restoredId, 3);
  EXPECT_NE(restored->frozenState(), nullptr);
  EXPECT_EQ(stackTitles(), (std::vector<std::string>{"zept-demo://item/1", "zept-demo://item/2",
                                                     "zept-demo://item/3"}));
  EXPECT_EQ(window->dump(), before);
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "navigator_history_restored"));
  (void)pictureBefore;
}

TEST_F(NavigatorTest, AnExpiredHistoryIsRestoredOnlyWhenImportant) {
  for (bool important : {false, true}) {
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(Value(makeArray({Value(
                            makeDictionary({{"__navigatorURL__", Value("zept-demo://item/4")}}))})),
                        "ULNavigatorHistory");
    defaults->setObject(Value(NSDate::dateWithTimeIntervalSinceNow(-10)), "ULNavigatorHistoryTime");
    defaults->setInteger(important ? 1 : 0, "ULNavigatorHistoryImportant");
    navigator->setPersistenceExpirationAge(5);
    auto restored = navigator->restoreViewControllers();
    EXPECT_EQ(restored != nullptr, important);
    // An expired history is left in place.
    EXPECT_NE(defaults->arrayForKey("ULNavigatorHistory"), nullptr);
  }
}

TEST_F(NavigatorTest, TopModeStopsAfterTheFirstScreenFollowingAContainer) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  auto entry = [](const char* url) {
    return Value(makeDictionary({{"__navigatorURL__", Value(url)}}));
  };
  defaults->setObject(Value(makeArray({entry("zept-demo://stack"), entry("zept-demo://item/1"),
                                       entry("zept-demo://item/2")})),
                      "ULNavigatorHistory");
  navigator->setPersistenceMode(ULBaseNavigator::PersistenceModeTop);
  auto last = std::dynamic_pointer_cast<DemoItemScreen>(navigator->restoreViewControllers());
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->itemId, 1);
  EXPECT_NE(std::dynamic_pointer_cast<StackScreen>(navigator->rootViewController()), nullptr);
  EXPECT_EQ(stackTitles(), std::vector<std::string>{"zept-demo://item/1"});
}

TEST_F(NavigatorTest, AHistoryUnderAPersistenceKeyIsOneDictionaryAndAnEmptyPathClearsIt) {
  navigator->setPersistenceKey("paneHistory");
  ULOpenURLString("zept-demo://item/8");
  MainLoop::advance(1);
  navigator->persistViewControllers();
  auto defaults = NSUserDefaults::standardUserDefaults();
  auto stored = defaults->dictionaryForKey("paneHistory");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->objectForKey("ULNavigatorHistory").count(), 1u);
  EXPECT_EQ(stored->objectForKey("ULNavigatorHistoryImportant"), Value(0));
  EXPECT_TRUE(defaults->objectForKey("ULNavigatorHistory").isNil());

  navigator->removeAllViewControllers();
  navigator->persistViewControllers();
  EXPECT_TRUE(defaults->objectForKey("paneHistory").isNil());
}

// Tabs made from URLs: the shared screen (in a navigation controller of its own) and a plain
// one.
class TabsScreen : public UITabBarController {
  NS_CLASS(TabsScreen, UITabBarController)
 public:
  static std::shared_ptr<TabsScreen> initWithNavigatorURL(const std::string&,
                                                          const ValueDictionary&) {
    auto tabs = std::make_shared<TabsScreen>();
    ULSetTabURLs(*tabs, {"zept-demo://shared", "zept-demo://unknown", "zept-demo://stack"});
    return tabs;
  }
};
NS_CLASS_IMPLEMENTATION(TabsScreen) {
  c.initializer("initWithNavigatorURL:query:", &TabsScreen::initWithNavigatorURL);
}

TEST_F(NavigatorTest, TabsComeFromURLsAndTopModeRestoresOnlyTheFirstTab) {
  navigator->URLMap().fromToViewController("zept-demo://tabs", &TabsScreen::classObject());
  auto tabs = std::dynamic_pointer_cast<TabsScreen>(ULOpenURLString("zept-demo://tabs"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(window->rootViewController(), tabs);
  // A URL without a controller is left out; a container is its own tab.
  ASSERT_EQ(tabs->viewControllers().size(), 2u);
  auto firstTab = std::dynamic_pointer_cast<ULNavigationController>(tabs->viewControllers()[0]);
  ASSERT_NE(firstTab, nullptr);
  auto shared = firstTab->topViewController();
  EXPECT_EQ(ULOriginalNavigatorURL(*shared), "zept-demo://shared");
  EXPECT_NE(std::dynamic_pointer_cast<StackScreen>(tabs->viewControllers()[1]), nullptr);
  EXPECT_TRUE(ULCanContainControllers(*tabs));
  EXPECT_EQ(ULTopSubcontroller(*tabs), firstTab);
  EXPECT_EQ(navigator->frontNavigationController(), firstTab);

  auto pushed = ULOpenURLString("zept-demo://item/5");
  MainLoop::advance(1);
  EXPECT_EQ(firstTab->topViewController(), pushed);
  EXPECT_EQ(navigator->topViewController(), pushed);
  EXPECT_EQ(navigator->frontViewController(), pushed);
  EXPECT_EQ(navigator->visibleViewController(), pushed);

  // The second tab is brought to the front by opening what it shows.
  navigator->setPersistenceMode(ULBaseNavigator::PersistenceModeTop);
  navigator->persistViewControllers();
  auto history = NSUserDefaults::standardUserDefaults()->arrayForKey("ULNavigatorHistory");
  ASSERT_NE(history, nullptr);
  std::vector<std::string> urls;
  for (const Value& entry : *history)
    urls.push_back(textOf(entry.dictionary()->objectForKey("__navigatorURL__")));
  EXPECT_EQ(urls, (std::vector<std::string>{"zept-demo://tabs", "zept-demo://shared",
                                            "zept-demo://item/5"}));

  // The next start, top mode: the tab bar and its first tab, not the screen pushed on it.
  ULBaseNavigator::setGlobalNavigator(nullptr);
  navigator.reset();
  tabs.reset();
  window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  window->makeKeyAndVisible();
  navigator = ULNavigator::navigator();
  registerPatterns(*navigator);
  navigator->URLMap().fromToViewController("zept-demo://tabs", &TabsScreen::classObject());
  navigator->setPersistenceMode(ULBaseNavigator::PersistenceModeTop);
  auto last = navigator->restoreViewControllers();
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(ULOriginalNavigatorURL(*last), "zept-demo://shared");
  auto restoredTabs = std::dynamic_pointer_cast<TabsScreen>(navigator->rootViewController());
  ASSERT_NE(restoredTabs, nullptr);
  auto restoredFirst =
      std::dynamic_pointer_cast<UINavigationController>(restoredTabs->viewControllers()[0]);
  EXPECT_EQ(restoredFirst->viewControllers().size(), 1u);
}

TEST_F(NavigatorTest, ASplitViewIsAContainerAtTheTopOfItsTree) {
  auto split = std::make_shared<UISplitViewController>();
  auto master = std::make_shared<PlainScreen>();
  auto detail = std::make_shared<PlainScreen>();
  split->setViewControllers({master, detail});
  EXPECT_TRUE(ULCanContainControllers(*split));
  EXPECT_TRUE(ULCanBeTopViewController(*split));
  EXPECT_EQ(ULSuperController(*master), split);
  EXPECT_EQ(ULSuperController(*split), nullptr);
  window->setRootViewController(split);
  MainLoop::advance(1);
  EXPECT_EQ(master->view()->frame(), CGRectMake(0, 0, 320, 460));
  EXPECT_TRUE(detail->isViewAppearing());
}

// An object written as a URL and back.
class Channel : public NSObject {
  NS_CLASS(Channel, NSObject)
 public:
  int channelId = 0;
};
NS_CLASS_IMPLEMENTATION(Channel) {
  c.property("channelId", &Channel::channelId);
}

class TargetScreen : public ULViewController {
  NS_CLASS(TargetScreen, ULViewController)
 public:
  static std::shared_ptr<TargetScreen> initWithNavigatorURL(const std::string&,
                                                            const ValueDictionary& query) {
    auto screen = std::make_shared<TargetScreen>();
    screen->query = query;
    return screen;
  }
  ValueDictionary query;
};
NS_CLASS_IMPLEMENTATION(TargetScreen) {
  c.initializer("initWithNavigatorURL:query:", &TargetScreen::initWithNavigatorURL);
}

TEST_F(NavigatorTest, ObjectsAndURLsConvertThroughTheGlobalMap) {
  ULURLMap& map = navigator->URLMap();
  map.fromClassToURL(&Channel::classObject(), "zept-demo://channel/(channelId)");
  Channel channel;
  channel.channelId = 12;
  EXPECT_EQ(ULURLValue(channel), "zept-demo://channel/12");
  EXPECT_EQ(ULURLValueWithName(channel, "other"), "");
  // A shared screen made by its URL is the one the URL opens later.
  auto made = ULObjectValue("zept-demo://shared").object<PlainScreen>();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(ULOpenURL("zept-demo://shared"), made);

  // A button's URL carries the button as its target.
  map.fromToViewController("zept-demo://target", &TargetScreen::classObject());
  auto button = std::make_shared<UIView>(CGRectMake(0, 0, 40, 40));
  auto opened =
      std::dynamic_pointer_cast<TargetScreen>(ULOpenURLFromButton("zept-demo://target", button));
  ASSERT_NE(opened, nullptr);
  ASSERT_NE(opened->query, nullptr);
  EXPECT_EQ(opened->query->objectForKey("__target__").object(), button);
  MainLoop::advance(1);

  // Hiding the bars: the status bar and the navigation bar (faded out).
  ULShowBars(*opened, false, false);
  EXPECT_TRUE(UIApplication::sharedApplication()->isStatusBarHidden());
  EXPECT_EQ(opened->navigationController()->navigationBar()->alpha(), 0);
  ULShowBars(*opened, true, false);
  EXPECT_FALSE(UIApplication::sharedApplication()->isStatusBarHidden());
  EXPECT_EQ(opened->navigationController()->navigationBar()->alpha(), 1);
}

// ---- shake to reload

class CountingModel : public ULModel {
 public:
  void load(int, bool) override { ++loads; }
  int loads = 0;
};

class ModelScreen : public ULModelViewController {
  NS_CLASS(ModelScreen, ULModelViewController)
 public:
  void createModel() override { setModel(std::make_shared<CountingModel>()); }
};
NS_CLASS_IMPLEMENTATION(ModelScreen) {}

TEST_F(NavigatorTest, AShakeReloadsTheVisibleModelScreenOnlyWhenTheNavigatorSupportsIt) {
  auto shakeWindow = std::dynamic_pointer_cast<ULNavigatorWindow>(
      navigator->makeWindow(UIScreen::mainScreen()->bounds()));
  ASSERT_NE(shakeWindow, nullptr);
  navigator->URLMap().fromToViewController("zept-demo://model", &ModelScreen::classObject());
  auto screen = std::dynamic_pointer_cast<ModelScreen>(ULOpenURLString("zept-demo://model"));
  MainLoop::advance(1);
  auto model = std::dynamic_pointer_cast<CountingModel>(screen->model());
  ASSERT_NE(model, nullptr);
  int before = model->loads;
  shakeWindow->motionBegan(UIEventSubtype::MotionShake, nullptr);
  EXPECT_EQ(model->loads, before);
  navigator->setSupportsShakeToReload(true);
  shakeWindow->motionBegan(UIEventSubtype::MotionShake, nullptr);
  EXPECT_EQ(model->loads, before + 1);
}

}  // namespace
