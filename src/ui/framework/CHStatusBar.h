// The status-bar message window: one line of text over the system status bar with a small
// spinner, or with an ok mark.  Until the screen framework draws it, the window keeps its
// state (shown or hidden, text, spinner, ok mark, loading slide) and records every message and
// hide in order, so that callers and tests can read what the user would have seen.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"

class NSTimer;

class CHStatusBar : public NSObject {
 public:
  // initWithFrame: the window takes the status bar's frame itself and starts hidden.
  static std::shared_ptr<CHStatusBar> create();

  // Hides the ok mark; with no text nothing more.  Otherwise shows the text with the spinner
  // and starts the loading slide.
  void showWithStatusMessage(std::optional<std::string> text);
  // The message, then the ok mark in place of the spinner.
  void showWithStatusOk(std::optional<std::string> text);
  // The ok message, hidden again after 1.0 s.
  void showStatusOkOneTime(std::optional<std::string> text);
  // Stops the slide and the spinner; the window goes 0.5 s later.  A message shown meanwhile
  // replaces the text but does not stop that pending hide.
  void hide();

  bool isHidden() const { return hidden_; }
  const std::string& text() const { return text_; }
  bool isSpinning() const { return spinning_; }
  bool isOkShown() const { return okShown_; }
  bool isSliding() const { return sliding_; }

  // "message:<text>" for a message with the spinner, "ok:<text>" for one with the ok mark,
  // "hide" when hiding starts and "hidden" when the window goes; oldest first.
  const std::vector<std::string>& events() const { return events_; }
  void clearEvents() { events_.clear(); }

  CHStatusBar() = default;

 private:
  void show(const std::optional<std::string>& text);
  void waitHide();

  bool hidden_ = true;
  std::string text_;
  bool spinning_ = false;
  bool okShown_ = false;
  bool sliding_ = false;
  std::vector<std::string> events_;
};
