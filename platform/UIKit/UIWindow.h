// Windows: the roots of view trees.  A window starts hidden; makeKeyAndVisible shows it, makes it
// the application's key window and lets its root controller appear.  Windows above others have
// a higher level (the status-bar message window over the app window).
#pragma once

#include <memory>

#include "CoreGraphics/CGImage.h"
#include "UIKit/UIView.h"

class UIViewController;

using UIWindowLevel = double;
inline constexpr UIWindowLevel UIWindowLevelNormal = 0;
inline constexpr UIWindowLevel UIWindowLevelStatusBar = 1000;
inline constexpr UIWindowLevel UIWindowLevelAlert = 2000;

class UIWindow : public UIView {
  NS_CLASS(UIWindow, UIView)
 public:
  UIWindow();
  explicit UIWindow(CGRect frame);
  ~UIWindow() override;

  // The application.
  std::shared_ptr<UIResponder> nextResponder() const override;

  void makeKeyAndVisible();
  void makeKeyWindow();
  bool isKeyWindow() const;
  // Showing a window lists it among the application's windows and lets its root controller
  // appear.
  void setHidden(bool hidden) override;

  UIWindowLevel windowLevel() const { return windowLevel_; }
  void setWindowLevel(UIWindowLevel level) { windowLevel_ = level; }

  // The controller whose view fills the window below the status bar.  Replacing it removes the
  // old controller's view; on a visible window the old one disappears and the new one appears.
  std::shared_ptr<UIViewController> rootViewController() const { return rootViewController_; }
  void setRootViewController(std::shared_ptr<UIViewController> controller);

  // Where a root or presented controller's view goes: the bounds less the status bar (unless it
  // is hidden).
  CGRect contentFrame() const;

  // What the screen shows of this window and the shown windows above it (by level), as one
  // opaque frame of the screen's pixel size (points × scale) on black.  Due layout runs first;
  // views draw what they must redraw.
  CGImageRef compositeFrame();

 private:
  void registerWithApplication();
  UIWindowLevel windowLevel_ = UIWindowLevelNormal;
  std::shared_ptr<UIViewController> rootViewController_;
};
