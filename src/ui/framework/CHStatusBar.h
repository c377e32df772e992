// The status-bar message window: a window one level above the status bar, over the status
// bar's frame, showing one line of text with a small grey spinner and a sliding loading line,
// or with an ok icon in place of the spinner.  It starts hidden; a message shows it, hide()
// takes it away 0.5 s later.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "UIKit/UIWindow.h"
#include "core/FeedbackPresenter.h"

class NSTimer;
class UIActivityIndicatorView;
class UIImageView;
class UILabel;

class CHStatusBar : public UIWindow, public StatusBarMessageWindow {
  NS_CLASS(CHStatusBar, UIWindow)
 public:
  // initWithFrame: the window takes the status bar's frame itself and starts hidden.
  static std::shared_ptr<CHStatusBar> create();
  ~CHStatusBar() override;

  // Hides the ok icon; with no text nothing more.  Otherwise shows the text with the spinner,
  // shows the window and starts the loading slide.
  void showWithStatusMessage(std::optional<std::string> text) override;
  void showWithStatusMessageTimer(std::optional<std::string> text) { showWithStatusMessage(text); }
  // The message, then the ok icon in place of the spinner.
  void showWithStatusOk(std::optional<std::string> text) override;
  // The ok message, hidden again after 1.0 s.
  void showStatusOkOneTime(std::optional<std::string> text) override;
  // Stops the slide and the spinner; the window goes 0.5 s later.  A message shown meanwhile
  // replaces the text but does not stop that pending hide.
  void hide() override;
  void waitHide();

  // The slide: a repeating 1.0 s timer (one at most) of slide steps, each moving the loading
  // line from the left edge out past the right edge over 1.0 s.  A step on a hidden window
  // stops the timer instead.
  void startAnimalByTime();
  void startAnimal();
  void stopAnimal();

  // What the window shows.
  std::string text() const;
  bool isSpinning() const;
  bool isOkShown() const;
  bool isSliding() const { return timer_ != nullptr; }

  std::shared_ptr<UILabel> lblStatus() const { return lblStatus_; }
  std::shared_ptr<UIActivityIndicatorView> indicator() const { return indicator_; }
  std::shared_ptr<UIImageView> netload() const { return netload_; }
  std::shared_ptr<UIImageView> loadOk() const { return loadOk_; }

  CHStatusBar();

 private:
  std::shared_ptr<UILabel> lblStatus_;
  std::shared_ptr<UIActivityIndicatorView> indicator_;
  std::shared_ptr<UIImageView> netload_;
  std::shared_ptr<UIImageView> loadOk_;
  std::shared_ptr<NSTimer> timer_;
};
