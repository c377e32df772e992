// The crash catcher: turns an uncaught exception or a fatal signal into a feedback report
// (bus request type 98 on "globe_request") and then lets the crash take its default course.
//
// The handlers run on the crashing thread and hand the report to the main thread, waiting; on
// the main thread the report is posted and the main loop keeps running until the report's
// action has been answered.  Every crash is bounded in real time: the wait ends at once when
// nobody took the request (no observer, offline, or the reply route let go of the action
// without calling it), and at the latest after `kReportWaitLimit` seconds; a watchdog thread
// ends the process shortly after that even when the main thread never comes to the report (it
// is blocked, or the crash left a lock held).  The reply route must keep the request's action
// until it calls it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSException.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

// Name of the exception made for a caught signal.
inline constexpr std::string_view UncaughtExceptionHandlerSignalExceptionName =
    "UncaughtExceptionHandlerSignalExceptionName";
// userInfo keys: the signal number, and the call-stack lines.
inline constexpr std::string_view UncaughtExceptionHandlerSignalKey =
    "UncaughtExceptionHandlerSignalKey";
inline constexpr std::string_view UncaughtExceptionHandlerAddressesKey =
    "UncaughtExceptionHandlerAddressesKey";

class UncaughtExceptionHandler : public NSObject {
 public:
  // The content server's request timeout plus a margin.
  static constexpr double kReportWaitLimit = 20;

  // Makes the exception handler the process's terminate handler and the signal handler the
  // handler of abort, illegal instruction, segmentation fault, floating-point exception, bus
  // error, broken pipe and trace trap (in that order).  Meant to be called once, on the main
  // thread; a second call only installs the handlers again.
  static void InstallUncaughtExceptionHandler();

  // Up to 5 symbol lines of the calling thread's stack, starting with its fifth frame (the
  // first four are the handler's own).
  static Value backtrace();

  // The report work, on the main thread: prompt, post the report, wait for its answer (bounded),
  // restore the default handling and raise the crash again.  Does not return for a signal raised
  // on another thread nor for an exception.
  void handleException(const NSException& exception);
  // The report's action: whatever the reply says, the wait is over.
  void errorLogCallBack(const Value& reply);

  const std::string& errorMsg() const { return errorMsg_; }
  const std::shared_ptr<NSException>& myException() const { return myException_; }
  bool dismissed() const;

  // Crashes caught so far in this process; the eleventh and later ones do nothing.
  static int32_t crashCount();
  // Changes the report's wait bound (tests use short or long ones).
  static void setReportWaitLimit(double seconds);

 private:
  std::string errorMsg_;
  std::shared_ptr<NSException> myException_;
  std::atomic<bool> dismissed_{false};
};

// The installation as the application delegate calls it after the client login, when the login
// data enables error logging.
inline void InstallUncaughtExceptionHandler() {
  UncaughtExceptionHandler::InstallUncaughtExceptionHandler();
}
