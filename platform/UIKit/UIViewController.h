// View controllers.  The view is made on first use (loadView, then viewDidLoad).  A controller
// appears and disappears as the window, a navigation controller or a modal presentation shows
// and hides its view: viewWillAppear / viewWillDisappear before the views change, the did-calls
// after (at once, or when an animated transition ends on the main run loop's clock).
//
// Ownership: a container owns its children and a presenter the controller it presents; a child
// or a presented controller keeps a plain back pointer, cleared when it leaves.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIOrientation.h"
#include "UIKit/UIResponder.h"
#include "UIKit/UIView.h"

class NSTimer;
class UINavigationController;
class UIViewController;

// What brought a new screen to the front.
enum class UIScreenChange {
  Root,     // a window's root controller appeared (the window was shown or given a new root)
  Push,     // a navigation controller pushed it
  Pop,      // a navigation controller popped back to it
  Present,  // it was presented
  Dismiss,  // what it presented was dismissed
};

// Told each time a new screen was shown.  `screen` is the controller now in front (the pushed
// one, the top one popped back to, the presented one; a navigation controller stands for its
// visible controller).
using UIScreenShownObserver =
    std::function<void(const std::shared_ptr<UIViewController>& screen, UIScreenChange change)>;
class UINavigationItem;

class UIViewController : public UIResponder {
  NS_CLASS(UIViewController, UIResponder)
 public:
  // How long an animated push, pop, presentation or dismissal takes.
  static constexpr double kTransitionDuration = 0.35;

  UIViewController();
  ~UIViewController() override;
  UIViewController(const UIViewController&) = delete;
  UIViewController& operator=(const UIViewController&) = delete;

  // The superview of the controller's view.
  std::shared_ptr<UIResponder> nextResponder() const override;

  // ---- the view
  // Loads the view when there is none yet.
  std::shared_ptr<UIView> view();
  void setView(std::shared_ptr<UIView> view);
  bool isViewLoaded() const { return bool(view_); }
  // Makes the view; the default is a plain view filling the screen below the status bar.
  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewWillAppear(bool /*animated*/) {}
  virtual void viewDidAppear(bool /*animated*/) {}
  virtual void viewWillDisappear(bool /*animated*/) {}
  virtual void viewDidDisappear(bool /*animated*/) {}
  // Called for every memory warning of the application once the view has been loaded.
  virtual void didReceiveMemoryWarning() {}

  // The title.  Setting it runs the title hook when one is installed (an app that shows its
  // titles its own way; the controller then keeps no title), else the controller keeps the
  // title and gives it to its navigation item.
  const std::string& title() const { return title_; }
  virtual void setTitle(std::string title);
  using TitleHook = std::function<void(UIViewController& controller, const std::string& title)>;
  // Process-wide; an empty hook removes it.
  static void setTitleHook(TitleHook hook);

  // What a navigation bar shows for the controller; made on first use.
  std::shared_ptr<UINavigationItem> navigationItem();

  // ---- rotation.  The application asks the root controller of its key window whether the
  // interface may turn with the device (shouldAutorotate, then the supported orientations);
  // the older per-orientation question is the controller's own answer.
  virtual bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) {
    return orientation == UIInterfaceOrientation::Portrait;
  }
  virtual bool shouldAutorotate() { return true; }
  virtual UIInterfaceOrientationMask supportedInterfaceOrientations() {
    return UIInterfaceOrientationMaskAllButUpsideDown;
  }

  // ---- relations
  // The container (a navigation controller), else the controller presenting this one.
  std::shared_ptr<UIViewController> parentViewController() const;
  // The nearest navigation controller among the containers above.
  std::shared_ptr<UINavigationController> navigationController() const;

  // ---- modal presentation
  // The controller's view covers the presenter's window below the status bar; the presenter
  // (with the container it sits in) disappears.  Ignored for nil, for a controller that is
  // already shown elsewhere, and while this controller presents another.
  void presentModalViewController(const std::shared_ptr<UIViewController>& controller,
                                  bool animated);
  // Dismisses the controller this one presents (with what it presents in turn); sent to a
  // presented controller that presents nothing, it dismisses that controller itself.
  void dismissModalViewControllerAnimated(bool animated);
  std::shared_ptr<UIViewController> modalViewController() const { return modal_; }
  // How a presentation of this controller animates and covers the screen (the platform's
  // styles: 0 cover vertical, 1 flip, 2 cross dissolve, 3 partial curl; 0 full screen, 1 page
  // sheet, 2 form sheet).  Recorded: every presentation here slides the view up.
  int modalTransitionStyle() const { return modalTransitionStyle_; }
  void setModalTransitionStyle(int style) { modalTransitionStyle_ = style; }
  int modalPresentationStyle() const { return modalPresentationStyle_; }
  void setModalPresentationStyle(int style) { modalPresentationStyle_ = style; }
  std::shared_ptr<UIViewController> presentingViewController() const;

  // ---- screens shown
  // The process-wide observer of new screens (one at a time; nullptr removes it), installed by
  // the headless runner.  It is told once a change has ended: the new screen's viewDidAppear
  // has run (at once when not animated, kTransitionDuration later when animated).  Changes
  // that leave no controller on screen (a push onto a stack that is not shown) tell nothing.
  // Main thread only.
  static void setScreenShownObserver(UIScreenShownObserver observer);
  // Tells the observer that `screen` (or, for a container or a presenting controller, what it
  // shows in front) was shown.  Custom transitions call it when they end.
  static void screenShown(const std::shared_ptr<UIViewController>& screen, UIScreenChange change);
  // What the controller shows in front: what it presents (in turn), else a navigation
  // controller's top, else itself.
  std::shared_ptr<UIViewController> frontViewController();

  // ---- appearance (containers call these for their children)
  // Calls viewWillAppear / viewWillDisappear (once per change) and passes it on to the children
  // that show with this controller.
  void beginAppearanceTransition(bool isAppearing, bool animated);
  // Calls the matching did-method and passes it on.
  void endAppearanceTransition();
  // Between viewWillAppear and viewWillDisappear.
  bool isAppearing() const;

 protected:
  // The children that appear and disappear with this controller.
  virtual std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance() const {
    return {};
  }
  // Container support: adopting sets the child's back pointer, releasing clears it.
  void adoptChild(UIViewController& child) { child.parent_ = this; }
  static void releaseChild(UIViewController& child) { child.parent_ = nullptr; }
  static bool isContained(const UIViewController& c) { return c.parent_ || c.presenting_; }
  // Runs `end` after kTransitionDuration on the main run loop when animated, else now.  A
  // transition still running ends at once before the next one starts (finishTransition).
  void runTransition(bool animated, std::function<void()> end);
  void finishTransition();
  // This controller as a shared pointer (nullptr while it is not owned by one).
  std::shared_ptr<UIViewController> selfPtr() const;

 private:
  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
  UIViewController* appearanceRoot();
  void observeMemoryWarnings();

  std::shared_ptr<UIView> view_;
  std::string title_;
  std::shared_ptr<UINavigationItem> navigationItem_;
  UIViewController* parent_ = nullptr;      // the container
  UIViewController* presenting_ = nullptr;  // for a presented controller
  std::shared_ptr<UIViewController> modal_;
  int modalTransitionStyle_ = 0;
  int modalPresentationStyle_ = 0;
  Appearance appearance_ = Appearance::Disappeared;
  bool appearanceAnimated_ = false;
  std::vector<std::shared_ptr<UIViewController>> appearanceChildren_;
  bool observingMemoryWarnings_ = false;
  std::shared_ptr<NSTimer> transitionTimer_;
  std::function<void()> transitionEnd_;
};
