// The URL navigator: turns a URL into a presented screen.  A caller describes what to open in a
// ULURLAction and hands it to openURLAction; the navigator asks its URL map for the
// controller, restores saved state into it, finds (or opens) the parent it must appear in and
// presents it by the pattern's mode: as the root, pushed, modally or in a popover.  It can write
// its whole controller path into the user defaults when the application leaves the foreground
// and rebuild it on the next start, and can hold back the work of controllers made while a
// delay is open.
//
// What callers rely on:
// - One navigator is global (ULNavigator::navigator()); it installs its map as the one the
//   controller registers clean up (ULControllerRegisters::globalURLMap).
// - openURLAction answers the controller opened (or found), nullptr when nothing was: no URL, a
//   URL refused or rewritten to nothing by the delegate, an application URL (handed to the
//   system), a URL without a pattern.  A delay begun for an action that gave no controller,
//   or that presented nothing new, is cancelled again.
// - "#name" opens the fragment on the current screen: its method `name` is called.  A path
//   without a scheme is opened as "http://" plus the path.
// - History (persistence mode 1 or 2) is written on will-terminate and did-enter-background:
//   "ULNavigatorHistory" (one dictionary per controller, root first, with
//   "__navigatorURL__"), "ULNavigatorHistoryTime" and "ULNavigatorHistoryImportant" (1 when an
//   entry holds "__important__"); under persistenceKey as one dictionary when that is set.
// - Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURL.h"
#include "Foundation/Value.h"
#include "UIKit/UIPopoverController.h"
#include "UIKit/UIWindow.h"
#include "uilib/navigator/ULURLMap.h"

class UIBarButtonItem;
class UINavigationController;
class UIView;
class UIViewController;
class ULBaseNavigator;

class ULURLAction : public NSObject {
  NS_CLASS(ULURLAction, NSObject)
 public:
  ULURLAction() = default;
  explicit ULURLAction(std::string urlPath) : urlPath_(std::move(urlPath)) {}
  static std::shared_ptr<ULURLAction> action() { return std::make_shared<ULURLAction>(); }
  static std::shared_ptr<ULURLAction> actionWithURLPath(std::string urlPath) {
    return std::make_shared<ULURLAction>(std::move(urlPath));
  }

  // Chaining setters: each sets one field and answers the action.
  std::shared_ptr<ULURLAction> applyParentURLPath(std::string path);
  std::shared_ptr<ULURLAction> applyQuery(const ValueDictionary& query);
  std::shared_ptr<ULURLAction> applyState(const ValueDictionary& state);
  std::shared_ptr<ULURLAction> applyAnimated(bool animated);
  std::shared_ptr<ULURLAction> applyWithDelay(bool withDelay);
  std::shared_ptr<ULURLAction> applySourceRect(CGRect rect);
  std::shared_ptr<ULURLAction> applySourceView(std::shared_ptr<UIView> view);
  std::shared_ptr<ULURLAction> applySourceButton(std::shared_ptr<UIBarButtonItem> button);
  std::shared_ptr<ULURLAction> applyTransition(int transition);

  const std::string& urlPath() const { return urlPath_; }
  void setUrlPath(std::string path) { urlPath_ = std::move(path); }
  const std::string& parentURLPath() const { return parentURLPath_; }
  const ValueDictionary& query() const { return query_; }
  const ValueDictionary& state() const { return state_; }
  bool animated() const { return animated_; }
  bool withDelay() const { return withDelay_; }
  CGRect sourceRect() const { return sourceRect_; }
  const std::shared_ptr<UIView>& sourceView() const { return sourceView_; }
  const std::shared_ptr<UIBarButtonItem>& sourceButton() const { return sourceButton_; }
  int transition() const { return transition_; }
  void setTransition(int transition) { transition_ = transition; }

 private:
  std::shared_ptr<ULURLAction> me();

  std::string urlPath_;
  std::string parentURLPath_;
  ValueDictionary query_;
  ValueDictionary state_;
  bool animated_ = false;
  bool withDelay_ = false;
  CGRect sourceRect_ = CGRectZero;
  std::shared_ptr<UIView> sourceView_;
  std::shared_ptr<UIBarButtonItem> sourceButton_;
  int transition_ = 0;
};

// What a container that holds several navigators (one per pane) does for them.
class ULNavigatorRootContainer {
 public:
  virtual ~ULNavigatorRootContainer() = default;
  // Installs the controller as that navigator's root.
  virtual void navigatorSetRootViewController(ULBaseNavigator& navigator,
                                              const std::shared_ptr<UIViewController>& root) = 0;
  // The navigator of the pane the controller is in, or nullptr.
  virtual std::shared_ptr<ULBaseNavigator> getNavigatorForController(
      const std::shared_ptr<UIViewController>& controller) = 0;
};

// Every method is optional; the defaults let every URL through unchanged.
class ULNavigatorDelegate {
 public:
  virtual ~ULNavigatorDelegate() = default;
  virtual bool navigatorShouldOpenURL(ULBaseNavigator& /*navigator*/, const NSURL& /*url*/) {
    return true;
  }
  // nullptr: nothing is opened.
  virtual std::shared_ptr<NSURL> navigatorURLToOpen(ULBaseNavigator& /*navigator*/,
                                                    const std::shared_ptr<NSURL>& url) {
    return url;
  }
  // The controller is nullptr for a URL handed to the system.
  virtual void navigatorWillOpenURL(ULBaseNavigator& /*navigator*/, const NSURL& /*url*/,
                                    const std::shared_ptr<UIViewController>& /*controller*/) {}
};

class ULBaseNavigator : public NSObject, public UIPopoverControllerDelegate {
  NS_CLASS(ULBaseNavigator, NSObject)
 public:
  enum PersistenceMode { PersistenceModeNone = 0, PersistenceModeTop = 1, PersistenceModeAll = 2 };
  static constexpr const char* kHistoryKey = "ULNavigatorHistory";
  static constexpr const char* kHistoryTimeKey = "ULNavigatorHistoryTime";
  static constexpr const char* kHistoryImportantKey = "ULNavigatorHistoryImportant";
  static constexpr const char* kNavigatorURLKey = "__navigatorURL__";
  static constexpr const char* kImportantKey = "__important__";

  ULBaseNavigator();
  ~ULBaseNavigator() override;

  // ---- class side
  static std::shared_ptr<ULBaseNavigator> globalNavigator();
  // Also makes the navigator's map the one the controller registers clean up.
  static void setGlobalNavigator(const std::shared_ptr<ULBaseNavigator>& navigator);
  // The navigator of the pane the view is in (the first root container above the view's
  // controller that knows one), else the global one.
  static std::shared_ptr<ULBaseNavigator> navigatorForView(const std::shared_ptr<UIView>& view);
  // A tab bar controller's selected controller, a navigation controller's top, then down the
  // modal controllers.
  static std::shared_ptr<UIViewController> frontViewControllerForController(
      const std::shared_ptr<UIViewController>& controller);

  // ---- state
  ULURLMap& URLMap() { return URLMap_; }
  // The window set, else the application's key window (kept), else a new window of the
  // oriented screen made key and visible.
  std::shared_ptr<UIWindow> window();
  void setWindow(std::shared_ptr<UIWindow> window) { window_ = std::move(window); }
  const std::shared_ptr<UIViewController>& rootViewController() const { return root_; }
  // Installs it in the root container, else as the window's root controller.
  void setRootViewController(const std::shared_ptr<UIViewController>& controller);
  const std::shared_ptr<UIPopoverController>& popoverController() const { return popover_; }
  const std::string& persistenceKey() const { return persistenceKey_; }
  void setPersistenceKey(std::string key) { persistenceKey_ = std::move(key); }
  int persistenceMode() const { return persistenceMode_; }
  void setPersistenceMode(int mode) { persistenceMode_ = mode; }
  // Seconds; 0: a history never expires.
  double persistenceExpirationAge() const { return persistenceExpirationAge_; }
  void setPersistenceExpirationAge(double seconds) { persistenceExpirationAge_ = seconds; }
  bool supportsShakeToReload() const { return supportsShakeToReload_; }
  void setSupportsShakeToReload(bool supports) { supportsShakeToReload_ = supports; }
  bool opensExternalURLs() const { return opensExternalURLs_; }
  void setOpensExternalURLs(bool opens) { opensExternalURLs_ = opens; }
  // Neither is kept alive by the navigator.
  std::shared_ptr<ULNavigatorDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::weak_ptr<ULNavigatorDelegate>& delegate) { delegate_ = delegate; }
  std::shared_ptr<ULNavigatorRootContainer> rootContainer() const { return rootContainer_.lock(); }
  void setRootContainer(const std::weak_ptr<ULNavigatorRootContainer>& container) {
    rootContainer_ = container;
  }

  // The root when it is a navigation controller; a tab bar root's selected (else first)
  // controller; else nullptr.
  std::shared_ptr<UIViewController> frontNavigationController() const;
  std::shared_ptr<UIViewController> frontViewController() const;
  // Down the modal controllers and the visible children from the root.
  std::shared_ptr<UIViewController> visibleViewController();
  // Down the popups (that may be on top), modal controllers and top subcontrollers.
  std::shared_ptr<UIViewController> topViewController() const;
  // The top controller's navigator URL; setURL opens the text, animated.
  std::string URL() const;
  void setURL(const std::string& url);

  // ---- opening
  std::shared_ptr<UIViewController> openURLAction(const std::shared_ptr<ULURLAction>& action);
  // Each as a plain (not animated) action, in order; the last result.
  std::shared_ptr<UIViewController> openURLs(const std::vector<std::string>& urls);
  std::shared_ptr<UIViewController> viewControllerForURL(
      const std::string& url, const ValueDictionary& query = nullptr,
      std::shared_ptr<ULURLNavigatorPattern>* pattern = nullptr);

  // ---- presenting
  bool presentController(const std::shared_ptr<UIViewController>& controller,
                         const std::string& parentURLPath,
                         const std::shared_ptr<ULURLNavigatorPattern>& pattern,
                         const std::shared_ptr<ULURLAction>& action);
  std::shared_ptr<UIViewController> parentForController(
      const std::shared_ptr<UIViewController>& controller, bool isContainer,
      const std::string& parentURLPath);
  bool presentController(const std::shared_ptr<UIViewController>& controller,
                         const std::shared_ptr<UIViewController>& parent, int mode,
                         const std::shared_ptr<ULURLAction>& action);
  virtual void presentDependantController(const std::shared_ptr<UIViewController>& controller,
                                          const std::shared_ptr<UIViewController>& parent, int mode,
                                          const std::shared_ptr<ULURLAction>& action);
  void presentModalController(const std::shared_ptr<UIViewController>& controller,
                              const std::shared_ptr<UIViewController>& parent, bool animated,
                              int transition);
  void presentPopoverController(const std::shared_ptr<UIViewController>& controller,
                                const std::shared_ptr<UIBarButtonItem>& sourceButton,
                                const std::shared_ptr<UIView>& sourceView, CGRect sourceRect,
                                bool animated);
  void popoverControllerDidDismissPopover(
      const std::shared_ptr<UIPopoverController>& popover) override;

  // ---- delay
  bool isDelayed() const { return delayCount_ > 0; }
  void beginDelay();
  // At 0, every controller made meanwhile gets delayDidEnd, in order.
  void endDelay();
  // At 0, the controllers made meanwhile are forgotten without being told.
  void cancelDelay();

  // ---- history
  void persistViewControllers();
  // nullptr when there is no history or it has expired (and is not important).
  std::shared_ptr<UIViewController> restoreViewControllers();
  void persistController(UIViewController& controller, const ValueArray& path);
  void resetDefaults();
  // The keys each super controller gives its child, leaf first, joined by "/".
  std::string pathForObject(const std::shared_ptr<UIViewController>& controller) const;
  std::shared_ptr<UIViewController> objectForPath(const std::string& path) const;

  // Takes the root off the window and forgets it and the map's stored objects.
  void removeAllViewControllers();

  // ---- for subclasses
  virtual std::shared_ptr<UIWindow> makeWindow(CGRect frame);
  virtual std::shared_ptr<UINavigationController> makeNavigationController();
  virtual void didRestoreController(const std::shared_ptr<UIViewController>& /*controller*/) {}
  virtual std::shared_ptr<UIViewController> getVisibleChildController(
      const std::shared_ptr<UIViewController>& controller);

 protected:
  // Called on will-terminate and did-enter-background.
  void applicationWillLeaveForeground();

 private:
  ULURLMap URLMap_;
  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UIViewController> root_;
  std::vector<std::shared_ptr<UIViewController>> delayedControllers_;
  std::shared_ptr<UIPopoverController> popover_;
  std::string persistenceKey_;
  int persistenceMode_ = PersistenceModeNone;
  double persistenceExpirationAge_ = 0;
  unsigned char delayCount_ = 0;
  bool supportsShakeToReload_ = false;
  bool opensExternalURLs_ = false;
  std::weak_ptr<ULNavigatorDelegate> delegate_;
  std::weak_ptr<ULNavigatorRootContainer> rootContainer_;
  std::vector<std::shared_ptr<NSObject>> observations_;
};

// The navigator the library uses: ULNavigatorWindow windows, ULNavigationController stacks, a
// restored model controller's model made before it shows, and reloading on a shake.
class ULNavigator : public ULBaseNavigator {
  NS_CLASS(ULNavigator, ULBaseNavigator)
 public:
  // The global navigator; a new ULNavigator made global when there is none.
  static std::shared_ptr<ULBaseNavigator> navigator();

  std::shared_ptr<UIWindow> makeWindow(CGRect frame) override;
  std::shared_ptr<UINavigationController> makeNavigationController() override;
  void didRestoreController(const std::shared_ptr<UIViewController>& controller) override;
  // Sends reload to the visible controller when it is a model view controller.
  void reload();
};

// A window that reloads the global navigator's visible screen on a shake, when the navigator
// supports it.
class ULNavigatorWindow : public UIWindow {
  NS_CLASS(ULNavigatorWindow, UIWindow)
 public:
  using UIWindow::UIWindow;
  void motionBegan(UIEventSubtype motion, UIEvent* event) override;
};

// Opens the URL through the global navigator (ULNavigator::navigator()), animated.
std::shared_ptr<UIViewController> ULOpenURLString(const std::string& url);
// The same through the navigator of the view's pane.
std::shared_ptr<UIViewController> ULOpenURLStringFromView(const std::string& url,
                                                          const std::shared_ptr<UIView>& view);

// ---- URLs of objects and objects of URLs, through the global navigator's map.
std::string ULURLValue(NSObject& object);
std::string ULURLValueWithName(NSObject& object, const std::string& name);
Value ULObjectValue(const std::string& url);
// Opens the URL through the global navigator, animated.
std::shared_ptr<UIViewController> ULOpenURL(const std::string& url);
// Opens it through the navigator of the button's pane with the query {"__target__": button}.
std::shared_ptr<UIViewController> ULOpenURLFromButton(const std::string& url,
                                                      const std::shared_ptr<UIView>& button);
