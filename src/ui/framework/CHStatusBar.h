// The status-bar message window: one line of text over the system status bar with a small
// spinner, or with an ok mark.  Until the screen framework draws it, the window keeps its
// state (shown or hidden, text, spinner, ok mark, loading slide) and reports each message and
// hide to the stand-in sink ("CHStatusBar"): "message" with the text for a message with the
// spinner, "ok" with the text for one with the ok mark, "hide" when hiding starts and "hidden"
// when the window goes.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "core/FeedbackPresenter.h"

class NSTimer;

class CHStatusBar : public NSObject, public StatusBarMessageWindow {
 public:
  // initWithFrame: the window takes the status bar's frame itself and starts hidden.
  static std::shared_ptr<CHStatusBar> create();

  // Hides the ok mark; with no text nothing more.  Otherwise shows the text with the spinner
  // and starts the loading slide.
  void showWithStatusMessage(std::optional<std::string> text) override;
  // The message, then the ok mark in place of the spinner.
  void showWithStatusOk(std::optional<std::string> text) override;
  // The ok message, hidden again after 1.0 s.
  void showStatusOkOneTime(std::optional<std::string> text) override;
  // Stops the slide and the spinner; the window goes 0.5 s later.  A message shown meanwhile
  // replaces the text but does not stop that pending hide.
  void hide() override;

  bool isHidden() const { return hidden_; }
  const std::string& text() const { return text_; }
  bool isSpinning() const { return spinning_; }
  bool isOkShown() const { return okShown_; }
  bool isSliding() const { return sliding_; }

  CHStatusBar() = default;

 private:
  void show(const std::optional<std::string>& text);
  void waitHide();

  bool hidden_ = true;
  std::string text_;
  bool spinning_ = false;
  bool okShown_ = false;
  bool sliding_ = false;
};
