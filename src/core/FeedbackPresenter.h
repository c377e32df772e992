// What the services below the screens show the reader: the short prompt, the busy overlay, the
// status-bar message window and the feedback sounds.  The screen framework draws them, so it
// implements this interface and installs it at start-up with setFeedbackPresenter; until one
// is installed the calls show nothing.  Callers keep the names they have in the rest of the
// app: showPrompt here, the busy-overlay calls in "core/NSObject+UIViewBusy.h".  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The status-bar message window (one line over the system status bar, with a spinner or an ok
// mark), as a service that owns one drives it.
class StatusBarMessageWindow {
 public:
  virtual ~StatusBarMessageWindow() = default;
  // Hides the ok mark; with no text nothing more, otherwise the text with the spinner.
  virtual void showWithStatusMessage(std::optional<std::string> text) = 0;
  // The message, then the ok mark in place of the spinner.
  virtual void showWithStatusOk(std::optional<std::string> text) = 0;
  // The ok message, hidden again after 1.0 s.
  virtual void showStatusOkOneTime(std::optional<std::string> text) = 0;
  // Stops the spinner; the window goes 0.5 s later.
  virtual void hide() = 0;
};

class FeedbackPresenter {
 public:
  virtual ~FeedbackPresenter() = default;
  // The app-wide short message, shown for about a second; a prompt shown meanwhile follows it.
  virtual void showPrompt(std::string_view text) = 0;
  // The shared busy-overlay views, created once.
  virtual void createBusyViews() = 0;
  // The busy overlay with the text in a small box in the middle of the screen.
  virtual void startBusyAnimation(std::string_view text) = 0;
  // Hides the overlay and the network-activity indicator; harmless when hidden.
  virtual void stopActivityIndicatorViewAnimation() = 0;
  // A new status-bar message window (never null).
  virtual std::shared_ptr<StatusBarMessageWindow> createStatusBar() = 0;
  // The "sent" sound for YES, the "failed" one for NO, when the sound setting is on.
  virtual void playAudio(bool sent) = 0;
  // The short channel sound, always: callers ask the sound setting first.
  virtual void pindaoSound() = 0;
};

// Installs the presenter; nullptr puts back the silent one.
void setFeedbackPresenter(std::shared_ptr<FeedbackPresenter> presenter);
// The installed presenter (a silent one until the screen framework installs its own).
std::shared_ptr<FeedbackPresenter> feedbackPresenter();

// The app-wide short message (what the screen framework's progress view shows).
void showPrompt(std::string_view text);
