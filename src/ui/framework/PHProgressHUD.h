// The progress box: a translucent rounded box with an indicator (a spinner, the pie of
// PHRoundProgressView, or a view of the caller's) and up to two lines of text, over a view or
// a window.  It fades (or zooms) in and out in 0.3 s, can wait a grace time before showing,
// stays at least a minimum time once shown, and can run a task on a thread of its own while
// it shows.  Texts, mode and progress may be set from any thread (the views follow on the main
// thread); everything else is main-thread work.
//
// The class side is how the app tells the reader something short:
// - showPrompt: a one-second text box (tag 2345) in the middle of the application window,
//   gone 1.3 s after it shows; a prompt that comes while one shows asks again every 1.0 s, so
//   none is lost and they show one after another.
// - showBarPrompt / hideBar: a 26-point strip (tag 1001, its label tag 10020) that slides down
//   from under the top edge of a view for 1.5 s; showNewBarPrompt a two-line 44-point strip
//   (tag 1314) for 3 s.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "CoreGraphics/CGAffineTransform.h"
#include "Foundation/NSObject.h"
#include "UIKit/UIFont.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"

class NSTimer;
class PHProgressHUD;
class UIWindow;

enum class PHProgressHUDMode { Indeterminate = 0, Determinate = 1, CustomView = 2 };
enum class PHProgressHUDAnimation { Fade = 0, Zoom = 1 };

inline constexpr std::string_view PHProgressHUDViewIsNillException =
    "PHProgressHUDViewIsNillException";

// Both optional: a delegate that answers only the plain form gets that one.
class PHProgressHUDDelegate {
 public:
  virtual ~PHProgressHUDDelegate() = default;
  virtual void hudWasHidden(PHProgressHUD& /*hud*/) { hudWasHidden(); }
  virtual void hudWasHidden() {}
};

class PHProgressHUD : public UIView {
  NS_CLASS(PHProgressHUD, UIView)
 public:
  static constexpr long kPromptTag = 2345;
  static constexpr long kBarPromptTag = 1001;
  static constexpr long kBarPromptLabelTag = 10020;
  static constexpr long kNewBarPromptTag = 1314;

  // initWithFrame: hidden (alpha 0), spinning indicator, margin 20, bold 16 and 12 fonts.
  explicit PHProgressHUD(CGRect frame);
  ~PHProgressHUD() override;
  // initWithView: the view's bounds; on a window the status bar's orientation applies at once.
  // A nil view raises PHProgressHUDViewIsNillException.  The box follows the device's turns
  // while it is on a window.
  static std::shared_ptr<PHProgressHUD> initWithView(const std::shared_ptr<UIView>& view);
  static std::shared_ptr<PHProgressHUD> initWithWindow(const std::shared_ptr<UIWindow>& window);

  // ---- properties
  PHProgressHUDMode mode() const { return mode_; }
  // Rebuilds the indicator, unless the mode is not the spinner's and does not change.
  void setMode(PHProgressHUDMode mode);
  PHProgressHUDAnimation animationType() const { return animationType_; }
  void setAnimationType(PHProgressHUDAnimation type) { animationType_ = type; }
  const std::string& labelText() const { return labelText_; }
  void setLabelText(std::string text);
  const std::string& detailsLabelText() const { return detailsLabelText_; }
  void setDetailsLabelText(std::string text);
  float progress() const { return progress_; }
  void setProgress(float progress);
  float opacity() const { return opacity_; }
  void setOpacity(float opacity) { opacity_ = opacity; }
  const std::shared_ptr<UIFont>& labelFont() const { return labelFont_; }
  void setLabelFont(std::shared_ptr<UIFont> font) { labelFont_ = std::move(font); }
  const std::shared_ptr<UIFont>& detailsLabelFont() const { return detailsLabelFont_; }
  void setDetailsLabelFont(std::shared_ptr<UIFont> font) { detailsLabelFont_ = std::move(font); }
  float xOffset() const { return xOffset_; }
  void setXOffset(float x) { xOffset_ = x; }
  float yOffset() const { return yOffset_; }
  void setYOffset(float y) { yOffset_ = y; }
  float margin() const { return margin_; }
  void setMargin(float margin) { margin_ = margin; }
  bool dimBackground() const { return dimBackground_; }
  void setDimBackground(bool dim) { dimBackground_ = dim; }
  float graceTime() const { return graceTime_; }
  void setGraceTime(float seconds) { graceTime_ = seconds; }
  float minShowTime() const { return minShowTime_; }
  void setMinShowTime(float seconds) { minShowTime_ = seconds; }
  bool taskInProgress() const { return taskInProgress_; }
  void setTaskInProgress(bool running) { taskInProgress_ = running; }
  bool removeFromSuperViewOnHide() const { return removeFromSuperViewOnHide_; }
  void setRemoveFromSuperViewOnHide(bool remove) { removeFromSuperViewOnHide_ = remove; }
  const std::shared_ptr<UIView>& customView() const { return customView_; }
  void setCustomView(std::shared_ptr<UIView> view) { customView_ = std::move(view); }
  std::weak_ptr<PHProgressHUDDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<PHProgressHUDDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  bool isFinished() const { return isFinished_; }
  // The box's size from the last layout.
  float width() const { return width_; }
  float height() const { return height_; }
  const std::shared_ptr<UIView>& indicator() const { return indicator_; }
  const std::shared_ptr<UILabel>& label() const { return label_; }
  const std::shared_ptr<UILabel>& detailsLabel() const { return detailsLabel_; }
  CGAffineTransform rotationTransform() const { return rotationTransform_; }

  // ---- showing and hiding
  void show(bool animated);
  void hide(bool animated);
  void hide(bool animated, double afterDelay);
  // Runs the method with the object on a thread of its own while the box shows, then hides it
  // (on the main thread).  The method's target is kept alive until then.
  void showWhileExecuting(Selector method, Value object, bool animated);

  void updateIndicators();
  void layoutSubviews() override;
  void drawRect(CGRect rect) override;
  void deviceOrientationDidChange();
  void setTransformForCurrentOrientation(bool animated);

  // ---- the app's prompts
  // The one-second text box on the application window.
  static void showPrompt(std::string_view text);
  static void showNextPrompt(std::string_view text);
  // The strip of a view (made once): (0, -26, 320, 26), the theme's "naviMsgBk" image.
  static void initBarPrompt(const std::shared_ptr<UIView>& view);
  // The strip slides down with the text in 0.85 s and back up 1.5 s later.
  static void showBarPrompt(std::string_view text, const std::shared_ptr<UIView>& view);
  // Slides the strip (or the strip of the view) back up in 0.85 s.
  static void hideBar(const std::shared_ptr<UIView>& viewOrStrip);
  // Not animated: at once, and the pending slide-up of showBarPrompt is dropped.
  static void hideBar(const std::shared_ptr<UIView>& viewOrStrip, bool animated);
  // The window's strip made again for the current theme.
  static void changeTheme();
  // A new two-line strip (0, -44, 320, 44) that shows for 3 s and is removed after.
  static void showNewBarPrompt(std::string_view text, const std::shared_ptr<UIView>& view);
  static void hideNewBar(const std::shared_ptr<UIView>& strip);
  static void stopHideNewBar(const std::shared_ptr<UIView>& strip);
  // A text-only box in the view for a second (the empty text shows "SendOk"); it stays in the
  // view, hidden.
  static void showHUDAddedToText(const std::shared_ptr<UIView>& view, std::string_view text);
  // A new box in the view, shown.
  static std::shared_ptr<PHProgressHUD> showHUDAddedTo(const std::shared_ptr<UIView>& view,
                                                       bool animated);
  // Hides (and removes) the view's last box; false when it has none.
  static bool hideHUDForView(const std::shared_ptr<UIView>& view, bool animated);

 private:
  // Runs the step now on the main thread, or queues it there.
  void onMain(std::function<void()> step);
  void showUsingAnimation(bool animated);
  void hideUsingAnimation(bool animated);
  void done();
  void cleanUp();
  void handleGraceTimer();
  void handleMinShowTimer();
  void observeOrientation();

  PHProgressHUDMode mode_ = PHProgressHUDMode::Indeterminate;
  PHProgressHUDAnimation animationType_ = PHProgressHUDAnimation::Fade;
  Selector methodForExecution_;
  std::shared_ptr<void> targetForExecution_;
  Value objectForExecution_;
  bool useAnimation_ = false;
  float yOffset_ = 0, xOffset_ = 0;
  float width_ = 0, height_ = 0;
  float margin_ = 20;
  bool dimBackground_ = false;
  bool taskInProgress_ = false;
  float graceTime_ = 0;
  float minShowTime_ = 0;
  std::shared_ptr<NSTimer> graceTimer_, minShowTimer_;
  double showStarted_ = -1;  // on the main clock; < 0 before the box shows
  std::shared_ptr<UIView> indicator_;
  std::shared_ptr<UILabel> label_, detailsLabel_;
  float progress_ = 0;
  std::weak_ptr<PHProgressHUDDelegate> delegate_;
  std::string labelText_, detailsLabelText_;
  float opacity_ = 1;
  std::shared_ptr<UIFont> labelFont_, detailsLabelFont_;
  bool isFinished_ = false;
  bool removeFromSuperViewOnHide_ = false;
  std::shared_ptr<UIView> customView_;
  CGAffineTransform rotationTransform_ = CGAffineTransformIdentity;
  bool observing_ = false;
};
