// The headless runner's record of what the screen shows, kept in a folder: every new screen
// (UIViewController's screen-shown observer: a window's root shown, a push, a pop, a
// presentation, a dismissal) and every request is written as two files,
//
//   NNN-<name>.png   the screen's pixels (the shown windows composited)
//   NNN-<name>.txt   the view trees of the shown windows (UIView::dump), lowest window first
//
// numbered from 001 in the order written (more digits past 999).  <name> is the class of the
// controller in front, or the name a request gives; characters other than ASCII letters, digits,
// '-' and '_' become '_'.
//
// A new screen is written on the main loop's pass after it was shown, so that the picture has
// what its appearance set off in the same pass; of several screens shown in one pass, the last
// is written.  Main thread only.
//
//   auto recorder = ScreenRecorder::open("out/screens", &error);   // the program: zept --headless
//   recorder->watchScreens();                 // from now on, each new screen
//   recorder->record("first-page");           // and what shows now, under a name of one's own
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class UIViewController;

class ScreenRecorder {
 public:
  // Writes into `folder`, made when missing.  The numbered records of an earlier run there are
  // removed (other files stay).  nullptr, with the reason, when the folder cannot be made.
  static std::unique_ptr<ScreenRecorder> open(std::string folder, std::string* error = nullptr);
  // Stops watching for new screens.
  ~ScreenRecorder();
  ScreenRecorder(const ScreenRecorder&) = delete;
  ScreenRecorder& operator=(const ScreenRecorder&) = delete;

  const std::string& folder() const { return folder_; }

  // Writes every new screen from now on (installs UIViewController's screen-shown observer).
  void watchScreens();

  // Writes what the screen shows now.  `name` empty: the class of the controller in front of
  // the key window.  Returns the PNG's path; empty, with the reason, when nothing is shown or
  // the files cannot be written.
  std::string record(std::string_view name = {}, std::string* error = nullptr);

  // Told the PNG's path after each record written, or the reason a new screen could not be.
  void setReporter(std::function<void(const std::string& path, const std::string& error)> r) {
    reporter_ = std::move(r);
  }

 private:
  explicit ScreenRecorder(std::string folder) : folder_(std::move(folder)) {}
  void screenShown(const std::shared_ptr<UIViewController>& screen);

  std::string folder_;
  int next_ = 1;
  // The screen to write on the next pass (its name), and whether that pass is scheduled.
  std::string pending_;
  bool scheduled_ = false;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::function<void(const std::string&, const std::string&)> reporter_;
};
