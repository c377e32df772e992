#include "core/UncaughtExceptionHandler.h"

#include <cxxabi.h>
#include <execinfo.h>
#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <mutex>
#include <thread>
#include <typeinfo>
#include <vector>

#include "Foundation/NSBundle.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIDevice.h"
#include "core/FeedbackPresenter.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"

namespace {

constexpr int kCaughtSignals[] = {SIGABRT, SIGILL, SIGSEGV, SIGFPE, SIGBUS, SIGPIPE, SIGTRAP};
constexpr int32_t kMaxReports = 10;
constexpr int kMaxStackFrames = 128;
constexpr int kSkippedFrames = 4;
constexpr int kMaxStackLines = 5;
// What the regular path gets beyond the report's bound to restore and re-raise before the
// watchdog does it.
constexpr double kWatchdogGrace = 2;
constexpr std::string_view kCrashPrompt = "十分抱歉，暂时有异常退出应用，请重新启动！";

std::atomic<int32_t> gCrashCount{0};
std::atomic<double> gWaitLimit{UncaughtExceptionHandler::kReportWaitLimit};
std::atomic<std::terminate_handler> gPreviousTerminate{nullptr};

// The watchdog: a thread with every signal blocked that sleeps until the first crash posts its
// semaphore (sem_post is safe in a signal handler), then ends the process at the crash's
// deadline if it still lives.
std::once_flag gWatchdogOnce;
sem_t gWatchdogWake;
std::atomic<bool> gWatchdogReady{false};
std::atomic<bool> gArmed{false};
std::atomic<int64_t> gDeadlineNs{0};
std::atomic<int> gCrashSignal{SIGABRT};

int64_t monotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

int64_t secondsToNs(double seconds) {
  return int64_t(seconds * 1e9);
}

// Starts the crash's clock; only the first crash of the process counts.
void arm(int signo) {
  if (gArmed.exchange(true)) return;
  gCrashSignal.store(signo);
  gDeadlineNs.store(monotonicNs() + secondsToNs(gWaitLimit.load()));
  if (gWatchdogReady.load()) sem_post(&gWatchdogWake);
}

void restoreDefaultHandling() {
  if (auto previous = gPreviousTerminate.load()) std::set_terminate(previous);
  struct sigaction sa {};
  sa.sa_handler = SIG_DFL;
  sigemptyset(&sa.sa_mask);
  for (int s : kCaughtSignals) sigaction(s, &sa, nullptr);
}

void watchdogMain() {
  while (sem_wait(&gWatchdogWake) != 0) {
  }
  int64_t wake = gDeadlineNs.load() + secondsToNs(kWatchdogGrace);
  timespec ts{time_t(wake / 1000000000), long(wake % 1000000000)};
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
  int signo = gCrashSignal.load();
  restoreDefaultHandling();
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signo);
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  // Aimed at this thread, so that it ends the process before the fallback below can run.
  raise(signo);
  _exit(128 + signo);
}

void startWatchdog() {
  std::call_once(gWatchdogOnce, [] {
    if (sem_init(&gWatchdogWake, 0, 0) != 0) return;
    // The thread inherits the blocked mask, so no crash signal is ever handled on it.
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &old);
    std::thread(watchdogMain).detach();
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    gWatchdogReady.store(true);
  });
}

double steadyNow() {
  return double(monotonicNs()) / 1e9;
}

std::string deviceDescription() {
  auto bundle = NSBundle::mainBundle();
  auto device = UIDevice::currentDevice();
  return stringWithFormat(
      "Crash!!!! App : %@ %@(%@)\nDevice : %@\nOS Version : %@ %@\nmacAddress : %@\n",
      bundle->objectForInfoDictionaryKey("CFBundleDisplayName"),
      bundle->objectForInfoDictionaryKey("CFBundleShortVersionString"),
      bundle->objectForInfoDictionaryKey("CFBundleVersion"), device->model(), device->systemName(),
      device->systemVersion(), NSGlobe::getMacAddress());
}

// Runs the report on the main thread and waits for it; on the main thread itself it runs here.
void reportOnMainThread(const NSException& exception) {
  auto handler = std::make_shared<UncaughtExceptionHandler>();
  performOnMainThread([handler, exception] { handler->handleException(exception); }, true);
}

void signalHandler(int signo) {
  if (gCrashCount.fetch_add(1) + 1 > kMaxReports) return;
  arm(signo);
  Value userInfo =
      Value::dictionaryOf({{std::string(UncaughtExceptionHandlerSignalKey), Value(signo)}});
  userInfo.dictionary()->setObject(UncaughtExceptionHandler::backtrace(),
                                   UncaughtExceptionHandlerAddressesKey);
  std::string reason =
      stringWithFormat(NSLocalizedString("Signal %d was raised.\n%@"), signo, deviceDescription());
  reportOnMainThread(
      NSException(std::string(UncaughtExceptionHandlerSignalExceptionName), reason, userInfo));
  // Back here when the crash happened on this thread while it was the main thread: the signal
  // sent again is pending until this handler returns, and then takes its default action.
}

// The type of the exception being handled, as the compiler spells it.
std::string currentExceptionTypeName() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  if (!type) return "unknown exception";
  int status = 0;
  char* demangled = abi::__cxa_demangle(type->name(), nullptr, nullptr, &status);
  std::string name = status == 0 && demangled ? demangled : type->name();
  std::free(demangled);
  return name;
}

[[noreturn]] void reRaiseException(const NSException& exception) {
  restoreDefaultHandling();
  std::fprintf(stderr, "Uncaught exception %s: %s\n", exception.name().c_str(),
               exception.reason().c_str());
  std::abort();
}

[[noreturn]] void callPreviousTerminate() {
  if (auto previous = gPreviousTerminate.load()) previous();
  std::abort();
}

[[noreturn]] void terminateHandler() {
  std::exception_ptr current = std::current_exception();
  // A terminate without an exception is an abort, which the signal handler reports.
  if (!current) callPreviousTerminate();
  if (gCrashCount.fetch_add(1) + 1 > kMaxReports) callPreviousTerminate();
  arm(SIGABRT);

  std::string name, reason;
  Value original;
  try {
    std::rethrow_exception(current);
  } catch (const NSException& e) {
    name = e.name();
    reason = e.reason();
    original = e.userInfo();
  } catch (const std::exception& e) {
    name = currentExceptionTypeName();
    reason = e.what();
  } catch (...) {
    name = currentExceptionTypeName();
  }
  ValueDictionary userInfo = original.isDictionary() ? original.dictionary()->mutableCopy()
                                                     : Value::dictionaryOf().dictionary();
  userInfo->setObject(UncaughtExceptionHandler::backtrace(), UncaughtExceptionHandlerAddressesKey);
  NSException exception(name, reason, Value(userInfo));
  reportOnMainThread(exception);
  reRaiseException(exception);
}

}  // namespace

void UncaughtExceptionHandler::InstallUncaughtExceptionHandler() {
  startWatchdog();
  std::terminate_handler previous = std::set_terminate(terminateHandler);
  if (previous != terminateHandler) gPreviousTerminate.store(previous);
  struct sigaction sa {};
  sa.sa_handler = signalHandler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kCaughtSignals) sigaction(s, &sa, nullptr);
}

// Not inlined, so that the frames it skips are always the same ones.
__attribute__((noinline)) Value UncaughtExceptionHandler::backtrace() {
  void* frames[kMaxStackFrames];
  int count = ::backtrace(frames, kMaxStackFrames);
  std::vector<Value> lines;
  if (char** symbols = ::backtrace_symbols(frames, count)) {
    for (int i = kSkippedFrames; i < count && i < kSkippedFrames + kMaxStackLines; ++i)
      lines.emplace_back(symbols[i]);
    std::free(symbols);
  }
  return Value::arrayOf(std::move(lines));
}

void UncaughtExceptionHandler::handleException(const NSException& exception) {
  myException_ = std::make_shared<NSException>(exception);
  errorMsg_ = stringWithFormat(NSLocalizedString("%@\n%@"), exception.reason(),
                               exception.userInfo()[UncaughtExceptionHandlerAddressesKey]);
  showPrompt(kCrashPrompt);

  // Whoever takes the request keeps its action until the reply: while the action's closure is
  // held elsewhere, the report is under way.
  auto route = std::make_shared<char>(0);
  {
    std::weak_ptr<UncaughtExceptionHandler> weak = weakSelf<UncaughtExceptionHandler>();
    auto msg = std::make_shared<NSMsgSend>();
    msg->sender = weakSelf<NSObject>();
    msg->action = Selector("errorLogCallBack:", weak, [weak, route](const Value& reply) {
      if (auto self = weak.lock()) self->errorLogCallBack(reply);
    });
    msg->type = toInt(RequestType::CrashReport);
    msg->data = Value(errorMsg_);
    postNotificationObject(kGlobeRequest, msg);
  }

  double deadline =
      gArmed.load() ? double(gDeadlineNs.load()) / 1e9 : steadyNow() + gWaitLimit.load();
  auto loop = NSRunLoop::currentRunLoop();
  const std::vector<std::string> modes = loop->allModes();
  // The loop's clock may be virtual (tests), so every run is bounded in real time too.
  while (!dismissed() && route.use_count() > 1 && steadyNow() < deadline) {
    bool waited = false;
    for (const auto& mode : modes) {
      if (loop->runInMode(mode, 0.001, true, 0.001) != CFRunLoopRunResult::Finished) waited = true;
      if (dismissed()) break;
    }
    if (!waited) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  restoreDefaultHandling();
  if (exception.name() == UncaughtExceptionHandlerSignalExceptionName) {
    kill(getpid(), exception.userInfo()[UncaughtExceptionHandlerSignalKey].intValue());
    return;
  }
  reRaiseException(exception);
}

void UncaughtExceptionHandler::errorLogCallBack(const Value&) {
  dismissed_.store(true);
}

bool UncaughtExceptionHandler::dismissed() const {
  return dismissed_.load();
}

int32_t UncaughtExceptionHandler::crashCount() {
  return gCrashCount.load();
}

void UncaughtExceptionHandler::setReportWaitLimit(double seconds) {
  gWaitLimit.store(seconds);
}
