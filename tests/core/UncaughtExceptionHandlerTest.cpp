// The crash catcher: every crash runs in a forked child, with a bus observer standing in for the
// dispatcher.  The child sends what the observer saw through a pipe; the parent checks that and
// how the child ended.
#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIDevice.h"
#include "core/FeedbackPresenter.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UncaughtExceptionHandler.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"

namespace {

constexpr std::string_view kCrashPrompt = "十分抱歉，暂时有异常退出应用，请重新启动！";
// Long enough that only an answer (or a refusal) can end the report's wait in time.
constexpr double kNoBound = 600;

// ---- the child's side

int gReportFd = -1;

void report(std::string_view key, std::string_view value) {
  std::string record;
  record.append(key).push_back('\0');
  record.append(value).push_back('\0');
  const char* p = record.data();
  size_t left = record.size();
  while (left > 0) {
    ssize_t n = write(gReportFd, p, left);
    if (n <= 0) return;
    p += n;
    left -= size_t(n);
  }
}

// A device unlike the defaults, so the report shows where its text came from.
void prepareChild() {
  MainLoop::install();
  UIDeviceProfile profile;
  profile.model = "iPod touch";
  profile.systemName = "iPhone OS";
  profile.systemVersion = "5.1";
  profile.macAddress = {0x00, 0x1B, 0x63, 0x84, 0x45, 0xE6};
  UIDevice::setProfile(profile);
}

// Stands in for the dispatcher on "globe_request".
class StandInDispatcher : public NSObject {
 public:
  enum class Reply {
    Answer,     // keeps the action and answers through it on the main loop's next pass
    Silent,     // keeps the action and never answers
    DropLater,  // keeps the action, then lets it go without answering
    Refuse,     // as offline: prompts and keeps nothing
    Hang,       // never returns from the post
  };

  explicit StandInDispatcher(Reply reply) : reply_(reply) {}
  ~StandInDispatcher() override { removeObserver(weak_from_this()); }

  void listen() {
    addObserverWithSelector(
        self<NSObject>(),
        selector(weakSelf<StandInDispatcher>(), &StandInDispatcher::mainRequest, "mainRequest:"),
        kGlobeRequest);
  }

  void mainRequest(const Value& notification) {
    auto msg = NSMsgSend::fromNotification(notification);
    if (!msg) return;
    report("type", std::to_string(msg->type));
    report("data", msg->data.isString() ? std::string(msg->data.string()) : "<not a string>");
    report("action", msg->action.name());
    report("onMain", NSThread::isMainThread() ? "yes" : "no");
    report("prompt", StandInRecorder::shownPrompt());
    if (auto handler = std::dynamic_pointer_cast<UncaughtExceptionHandler>(msg->sender.lock())) {
      const auto& exception = handler->myException();
      report("exceptionName", exception->name());
      report("errorMsgIsData", handler->errorMsg() == msg->data.string() ? "yes" : "no");
      Value info = exception->userInfo();
      if (info.isDictionary())
        for (const auto& key : info.dictionary()->allKeys())
          report("userInfo", key + "=" + info[key].description());
    }
    switch (reply_) {
      case Reply::Answer: {
        // Kept as a reply route keeps it, so only the answer itself can end the wait.
        kept_.push_back(msg->action);
        Selector action = msg->action;
        dispatchAsyncMain([action] {
          report("answered", "yes");
          action(Value("{\"ResultBoolean\":true,\"ResultCode\":\"1\"}"));
        });
        break;
      }
      case Reply::Silent:
        kept_.push_back(msg->action);
        break;
      case Reply::DropLater:
        kept_.push_back(msg->action);
        dispatchAsyncMain([self = self<StandInDispatcher>()] { self->kept_.clear(); });
        break;
      case Reply::Refuse:
        showPrompt(NSLocalizedString("NetworkError"));
        break;
      case Reply::Hang:
        for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
    }
  }

 private:
  Reply reply_;
  std::shared_ptr<StandInRecorder> stand = StandInRecorder::install();
  std::vector<Selector> kept_;
};

std::shared_ptr<StandInDispatcher> listeningDispatcher(StandInDispatcher::Reply reply) {
  auto dispatcher = std::make_shared<StandInDispatcher>(reply);
  dispatcher->listen();
  return dispatcher;
}

// Keeps the main loop turning (for crashes on other threads) until the child dies.
void runMainLoopUntilDeath() {
  MainLoop::runUntil([] { return false; }, 120);
  report("survived", "yes");
}

void crashOnWorkerThread(std::function<void()> crash) {
  std::thread(std::move(crash)).detach();
  runMainLoopUntilDeath();
}

void throwListException() {
  NSException::raise("ZeptTestException", "the list ran dry",
                     Value::dictionaryOf({{"row", Value(3)}}));
}

// An exception leaving a noexcept function is uncaught wherever the call sits.
void callWithoutExceptions(void (*f)()) noexcept {
  f();
}

// ---- the parent's side

struct ChildOutcome {
  bool ended = false;  // within the bound
  bool signaled = false;
  int signal = 0;
  bool exited = false;
  int exitCode = 0;
  std::vector<std::pair<std::string, std::string>> records;

  std::vector<std::string> all(std::string_view key) const {
    std::vector<std::string> out;
    for (const auto& [k, v] : records)
      if (k == key) out.push_back(v);
    return out;
  }
  std::string first(std::string_view key) const {
    auto values = all(key);
    return values.empty() ? std::string("<none>") : values.front();
  }
  bool has(std::string_view key) const { return !all(key).empty(); }
};

// Runs the body in a forked child (no core files) and collects its records and its end.  A
// child still alive after `bound` real seconds is killed and reported as not ended.
ChildOutcome runInChild(const std::function<void()>& body, double bound = 60) {
  ChildOutcome outcome;
  int fds[2];
  if (pipe(fds) != 0) return outcome;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    gReportFd = fds[1];
    prctl(PR_SET_DUMPABLE, 0);
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    body();
    report("returned", "yes");
    _exit(0);
  }
  close(fds[1]);
  double deadline = steadySeconds() + bound;
  std::string bytes;
  for (;;) {
    double left = deadline - steadySeconds();
    if (left <= 0) break;
    pollfd p{fds[0], POLLIN, 0};
    if (poll(&p, 1, int(left * 1000) + 1) <= 0) continue;
    char buffer[4096];
    ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;  // the child has gone
    bytes.append(buffer, size_t(n));
  }
  close(fds[0]);
  int status = 0;
  for (;;) {
    pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      outcome.ended = true;
      break;
    }
    if (steadySeconds() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (outcome.ended) {
    outcome.signaled = WIFSIGNALED(status);
    outcome.signal = outcome.signaled ? WTERMSIG(status) : 0;
    outcome.exited = WIFEXITED(status);
    outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : 0;
  }
  size_t pos = 0;
  for (;;) {
    size_t keyEnd = bytes.find('\0', pos);
    if (keyEnd == std::string::npos) break;
    size_t valueEnd = bytes.find('\0', keyEnd + 1);
    if (valueEnd == std::string::npos) break;
    outcome.records.emplace_back(bytes.substr(pos, keyEnd - pos),
                                 bytes.substr(keyEnd + 1, valueEnd - keyEnd - 1));
    pos = valueEnd + 1;
  }
  return outcome;
}

// The stack lines of a report: the array text after the reason.
std::vector<std::string> stackLines(const std::string& data) {
  std::vector<std::string> lines;
  size_t open = data.rfind("\n(\n");
  size_t close = data.rfind("\n)");
  if (open == std::string::npos || close == std::string::npos || close < open) return lines;
  std::string body = data.substr(open + 3, close - open - 3);
  size_t pos = 0;
  while (pos <= body.size() && !body.empty()) {
    size_t end = body.find('\n', pos);
    lines.push_back(body.substr(pos, end == std::string::npos ? std::string::npos : end - pos));
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return lines;
}

const std::string kDeviceDescription =
    "Crash!!!! App : Zept 2.0.1(2.0.1)\nDevice : iPod touch\nOS Version : iPhone OS 5.1\n"
    "macAddress : 001B638445E6\n";

// ---- tests

TEST(UncaughtExceptionHandlerTest, SignalIsReportedOnceAndThenTakesItsDefaultAction) {
  struct Case {
    const char* name;
    std::function<void()> crash;
    size_t minLines;  // a worker's stack is shallow
  };
  const Case cases[] = {
      {"on the main thread", [] { raise(SIGTRAP); }, 5},
      {"on a worker thread", [] { crashOnWorkerThread([] { raise(SIGTRAP); }); }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto outcome = runInChild([&] {
      prepareChild();
      auto dispatcher = listeningDispatcher(StandInDispatcher::Reply::Answer);
      UncaughtExceptionHandler::setReportWaitLimit(kNoBound);
      InstallUncaughtExceptionHandler();
      c.crash();
    });
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.signaled);
    EXPECT_EQ(outcome.signal, SIGTRAP);
    EXPECT_FALSE(outcome.has("survived"));
    EXPECT_FALSE(outcome.has("returned"));

    ASSERT_EQ(outcome.all("type"),
              std::vector<std::string>{std::to_string(toInt(RequestType::CrashReport))});
    EXPECT_EQ(outcome.first("action"), "errorLogCallBack:");
    EXPECT_EQ(outcome.first("onMain"), "yes");
    EXPECT_EQ(outcome.first("prompt"), kCrashPrompt);
    EXPECT_EQ(outcome.first("answered"), "yes");
    EXPECT_EQ(outcome.first("exceptionName"), UncaughtExceptionHandlerSignalExceptionName);
    EXPECT_EQ(outcome.first("errorMsgIsData"), "yes");
    auto info = outcome.all("userInfo");
    EXPECT_NE(std::find(info.begin(), info.end(), "UncaughtExceptionHandlerSignalKey=5"),
              info.end());

    std::string data = outcome.first("data");
    EXPECT_EQ(data.rfind("Signal 5 was raised.\n" + kDeviceDescription + "\n(\n", 0), 0u) << data;
    auto lines = stackLines(data);
    EXPECT_GE(lines.size(), c.minLines) << data;
    EXPECT_LE(lines.size(), 5u) << data;
    for (const auto& line : lines) EXPECT_FALSE(line.empty());
  }
}

TEST(UncaughtExceptionHandlerTest, EveryCaughtSignalIsReportedWithItsNumber) {
  for (int signo : {SIGABRT, SIGILL, SIGSEGV, SIGFPE, SIGBUS, SIGPIPE, SIGTRAP}) {
    SCOPED_TRACE(signo);
    auto outcome = runInChild([signo] {
      prepareChild();
      auto dispatcher = listeningDispatcher(StandInDispatcher::Reply::Answer);
      UncaughtExceptionHandler::setReportWaitLimit(kNoBound);
      InstallUncaughtExceptionHandler();
      raise(signo);
    });
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.signaled);
    EXPECT_EQ(outcome.signal, signo);
    ASSERT_EQ(outcome.all("type").size(), 1u);
    EXPECT_EQ(outcome.first("data").rfind("Signal " + std::to_string(signo) + " was raised.\n", 0),
              0u);
  }
}

TEST(UncaughtExceptionHandlerTest, NothingIsCaughtWhenNotInstalled) {
  struct Case {
    const char* name;
    std::function<void()> crash;
    int signal;
  };
  const Case cases[] = {
      {"trace trap", [] { raise(SIGTRAP); }, SIGTRAP},
      {"uncaught exception", [] { callWithoutExceptions(throwListException); }, SIGABRT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto outcome = runInChild([&] {
      prepareChild();
      auto dispatcher = listeningDispatcher(StandInDispatcher::Reply::Answer);
      c.crash();
    });
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.signaled);
    EXPECT_EQ(outcome.signal, c.signal);
    EXPECT_FALSE(outcome.has("type"));
  }
}

TEST(UncaughtExceptionHandlerTest, UncaughtExceptionIsReportedWithItsReason) {
  struct Case {
    const char* name;
    std::function<void()> crash;
    std::string exceptionName;
    std::string reason;
    std::string extraUserInfo;
  };
  const Case cases[] = {
      {"platform exception on the main thread", [] { callWithoutExceptions(throwListException); },
       "ZeptTestException", "the list ran dry", "row=3"},
      {"standard exception on a worker thread",
       [] { crashOnWorkerThread([] { throw std::runtime_error("worker failed"); }); },
       "std::runtime_error", "worker failed", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto outcome = runInChild([&] {
      prepareChild();
      auto dispatcher = listeningDispatcher(StandInDispatcher::Reply::Answer);
      UncaughtExceptionHandler::setReportWaitLimit(kNoBound);
      InstallUncaughtExceptionHandler();
      c.crash();
    });
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.signaled);
    EXPECT_EQ(outcome.signal, SIGABRT);
    ASSERT_EQ(outcome.all("type"),
              std::vector<std::string>{std::to_string(toInt(RequestType::CrashReport))});
    EXPECT_EQ(outcome.first("exceptionName"), c.exceptionName);
    EXPECT_EQ(outcome.first("prompt"), kCrashPrompt);
    EXPECT_EQ(outcome.first("answered"), "yes");
    std::string data = outcome.first("data");
    EXPECT_EQ(data.rfind(c.reason + "\n(\n", 0), 0u) << data;
    auto lines = stackLines(data);
    EXPECT_GE(lines.size(), 1u);
    EXPECT_LE(lines.size(), 5u);
    auto info = outcome.all("userInfo");
    bool hasLines = false;
    for (const auto& entry : info)
      if (entry.rfind("UncaughtExceptionHandlerAddressesKey=", 0) == 0) hasLines = true;
    EXPECT_TRUE(hasLines);
    if (!c.extraUserInfo.empty()) {
      EXPECT_NE(std::find(info.begin(), info.end(), c.extraUserInfo), info.end());
    }
  }
}

TEST(UncaughtExceptionHandlerTest, CrashEndsWithoutAnAnswer) {
  using Reply = StandInDispatcher::Reply;
  struct Case {
    const char* name;
    double waitLimit;
    bool listen;
    Reply reply;
    bool blockMainThread;  // the main thread waits for the crashing thread
    bool posted;
  };
  const Case cases[] = {
      {"nobody answers", 0.5, true, Reply::Silent, false, true},
      {"the reply route lets go of the action", kNoBound, true, Reply::DropLater, false, true},
      {"the request is refused offline", kNoBound, true, Reply::Refuse, false, true},
      {"no dispatcher listens", kNoBound, false, Reply::Answer, false, false},
      {"the post never returns", 0.5, true, Reply::Hang, false, true},
      {"the main thread is blocked", 0.5, true, Reply::Answer, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto outcome = runInChild([&] {
      prepareChild();
      std::shared_ptr<StandInDispatcher> dispatcher;
      if (c.listen) dispatcher = listeningDispatcher(c.reply);
      UncaughtExceptionHandler::setReportWaitLimit(c.waitLimit);
      InstallUncaughtExceptionHandler();
      if (c.blockMainThread) {
        std::thread([] { raise(SIGTRAP); }).join();
        report("survived", "yes");
      } else {
        raise(SIGTRAP);
        report("survived", "yes");
      }
    });
    ASSERT_TRUE(outcome.ended);
    EXPECT_TRUE(outcome.signaled);
    EXPECT_EQ(outcome.signal, SIGTRAP);
    EXPECT_FALSE(outcome.has("survived"));
    EXPECT_FALSE(outcome.has("answered"));
    EXPECT_EQ(outcome.all("type").size(), c.posted ? 1u : 0u);
  }
}

TEST(UncaughtExceptionHandlerTest, EleventhCrashDoesNothing) {
  auto outcome = runInChild([] {
    prepareChild();
    auto dispatcher = listeningDispatcher(StandInDispatcher::Reply::Answer);
    UncaughtExceptionHandler::setReportWaitLimit(kNoBound);
    InstallUncaughtExceptionHandler();
    // Ten crashes on workers, each waiting for a main thread that does not run its loop.
    for (int i = 0; i < 10; ++i) std::thread([] { raise(SIGTRAP); }).detach();
    double giveUp = steadySeconds() + 30;
    while (UncaughtExceptionHandler::crashCount() < 10 && steadySeconds() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    report("crashes", std::to_string(UncaughtExceptionHandler::crashCount()));
    raise(SIGTRAP);
    report("survived", std::to_string(UncaughtExceptionHandler::crashCount()));
    // An uncaught exception now takes the default path.
    callWithoutExceptions(throwListException);
  });
  ASSERT_TRUE(outcome.ended);
  EXPECT_EQ(outcome.first("crashes"), "10");
  EXPECT_EQ(outcome.first("survived"), "11");
  EXPECT_TRUE(outcome.signaled);
  EXPECT_EQ(outcome.signal, SIGABRT);
  EXPECT_FALSE(outcome.has("type"));
}

// ---- the stack lines, in this process

__attribute__((noinline)) Value backtraceAtDepth(int depth) {
  if (depth == 0) return UncaughtExceptionHandler::backtrace();
  Value lines = backtraceAtDepth(depth - 1);
  asm volatile("" ::: "memory");  // keeps the recursion from becoming a loop
  return lines;
}

void* backtraceOnBareThread(void* out) {
  *static_cast<Value*>(out) = UncaughtExceptionHandler::backtrace();
  return nullptr;
}

TEST(UncaughtExceptionHandlerTest, BacktraceKeepsAtMostFiveLinesAfterTheHandlerFrames) {
  Value deep = backtraceAtDepth(20);
  ASSERT_TRUE(deep.isArray());
  ASSERT_EQ(deep.count(), 5u);
  for (size_t i = 0; i < deep.count(); ++i) EXPECT_FALSE(deep[i].string().empty());

  // A bare thread's stack is only a few frames deep.
  Value shallow;
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, nullptr, backtraceOnBareThread, &shallow), 0);
  pthread_join(thread, nullptr);
  ASSERT_TRUE(shallow.isArray());
  EXPECT_LT(shallow.count(), 5u);
}

}  // namespace
