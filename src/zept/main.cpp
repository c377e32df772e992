// The app's entry point: runs the application with its delegate on the main run loop, shown in
// a desktop window (--window), or headless writing each new screen to a folder (--headless),
// or neither.
//
// The app starts on the home screen; --exit-after-first-page ends it and --screenshot writes
// the screen's picture once start-up is over and the tiles show.  The options point the app at a
// local content server and tell it what network it is on; see --help.  The app runs until
// interrupted (SIGINT or SIGTERM end it as the system ends an app: it is told it terminates, then
// the loop stops) or its window is closed; SIGUSR1 writes the current screen to the screens folder.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSURL.h"
#include "SDLWindow/SDLWindow.h"
#include "ScreenRecorder/ScreenRecorder.h"
#include "SystemConfiguration/SCNetworkReachability.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIScreenCapture.h"
#include "UIKit/UIWindow.h"
#include "app/AppDelegate.h"
#include "app/StartUpWatch.h"
#include "core/NSConfig.h"
#include "core/StoredKeys.h"
#include "net/api/ClientRequest.h"

namespace {

constexpr const char* kUsage =
    "usage: zept [options]\n"
    "\n"
    "Runs the reader app: it starts on the home screen, the reader's channels as a grid of\n"
    "tiles, registers or logs in with the content server, and keeps running its timers and\n"
    "polls until interrupted (Ctrl-C).\n"
    "\n"
    "options:\n"
    "  --window                 show the app in a desktop window; the mouse is a finger, the\n"
    "                           wheel drags what is under it, typing goes to the text being\n"
    "                           edited; F1 home (again: back to the app), F2 shake, F3 memory\n"
    "                           warning, F12 write the screen to the screens folder; closing\n"
    "                           the window ends the app.  Without a display the app runs\n"
    "                           headless (--headless), saying so\n"
    "  --window-scale N         window pixels a point, 1 or 2 (default: 2 when the display\n"
    "                           has room for it)\n"
    "  --headless               write each new screen shown (and the home screen once\n"
    "                           start-up is over) to the\n"
    "                           screens folder: NNN-<screen>.png and its view tree in\n"
    "                           NNN-<screen>.txt\n"
    "  --screens DIR            the screens folder (default out/screens); the numbered\n"
    "                           screens of an earlier run there are removed when the first\n"
    "                           one is written.  SIGUSR1 writes the current screen there\n"
    "  --server-port N          send every content-server request (all the service's hosts)\n"
    "                           to the local content server on 127.0.0.1:N\n"
    "  --network KIND           the network the app sees: wifi, wwan, offline, or system\n"
    "                           (read from this machine; the default)\n"
    "  --exit-after-first-page  end once start-up's login or registration is over and the\n"
    "                           home screen shows its tiles (status 0), or when none can\n"
    "                           show (status 1)\n"
    "  --screenshot FILE        at that moment write what the screen shows to FILE as PNG\n"
    "                           (320 x 480 or 568 points at scale 2) and end (status 0; 1\n"
    "                           when no tiles show or the file could not be written)\n"
    "  --help                   this text\n"
    "\n"
    "The app keeps its state under $ZEPT_HOME (default ~/.local/share/zept) and reads its\n"
    "bundle from $ZEPT_RESOURCES.\n";

// The hosts of the service the app talks to: the six server groups of the configuration and
// the app store's lookup.
std::vector<std::string> serviceHosts() {
  std::vector<std::string> hosts;
  std::string middle = NSConfig::readMainValueWithKey(kMiddleDomainKey).description();
  std::string last = NSConfig::readMainValueWithKey(kRootDomainKey).description();
  for (std::string_view key : {kDomainKey, kPostDomainKey, kAccountDomainKey, kLogDomainKey,
                               kShareDomainKey, kWebDomainKey}) {
    Value label = NSConfig::readMainValueWithKey(key);
    if (label.isString() && !label.string().empty())
      hosts.push_back(std::string(label.string()) + "." + middle + "." + last);
  }
  if (auto url = NSURL::URLWithString(ClientRequest::kAppStoreLookupURL)) {
    if (auto host = url->host()) hosts.push_back(*host);
  }
  return hosts;
}

// The flags the network kind stands for (none for "system": the machine's own); false for an
// unknown kind.
bool parseNetwork(const std::string& kind, std::optional<SCNetworkReachabilityFlags>* flags) {
  if (kind == "wifi") {
    *flags = kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsDirect;
  } else if (kind == "wwan") {
    *flags = kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN;
  } else if (kind == "offline") {
    *flags = SCNetworkReachabilityFlags(0);
  } else if (kind == "system") {
    flags->reset();
  } else {
    return false;
  }
  return true;
}

// Ends the process without running static destructors: the engine's network thread lives as
// long as the process.
[[noreturn]] void endProcess(int status) {
  std::fflush(nullptr);
  _exit(status);
}

// The system ends the app: it is told it terminates, then the main loop stops.
void terminateApplication(int status) {
  UIApplicationDriver::terminate();
  UIApplication::stopMainLoop(status);
}

int usageError(const std::string& message) {
  std::fprintf(stderr, "zept: %s\n\n%s", message.c_str(), kUsage);
  return 2;
}

// The screens folder, opened when the first screen is written.
class Screens {
 public:
  explicit Screens(std::string folder) : folder_(std::move(folder)) {}

  // Writes each new screen from now on.
  bool watch() {
    if (!open()) return false;
    recorder_->watchScreens();
    return true;
  }

  // Writes what the screen shows now.
  void record(std::string_view name = {}) {
    if (!open()) return;
    std::string error;
    std::string path = recorder_->record(name, &error);
    report(path, error);
  }

 private:
  bool open() {
    if (recorder_) return true;
    std::string error;
    recorder_ = ScreenRecorder::open(folder_, &error);
    if (!recorder_) {
      std::fprintf(stderr, "zept: screens: %s\n", error.c_str());
      return false;
    }
    recorder_->setReporter(report);
    return true;
  }
  static void report(const std::string& path, const std::string& error) {
    if (path.empty()) {
      std::fprintf(stderr, "zept: screen not written: %s\n", error.c_str());
    } else {
      std::printf("screen: %s\n", path.c_str());
    }
    std::fflush(stdout);
  }

  std::string folder_;
  std::unique_ptr<ScreenRecorder> recorder_;
};

}  // namespace

int main(int argc, char** argv) {
  bool exitAfterFirstPage = false;
  bool window = false, headless = false;
  int windowScale = 0;
  std::string screensFolder = "out/screens";
  std::optional<std::string> screenshot;
  std::optional<int> serverPort;
  std::optional<SCNetworkReachabilityFlags> flags;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> std::optional<std::string> {
      if (i + 1 < argc) return std::string(argv[++i]);
      return std::nullopt;
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--exit-after-first-page") {
      exitAfterFirstPage = true;
    } else if (arg == "--window") {
      window = true;
    } else if (arg == "--headless") {
      headless = true;
    } else if (arg == "--window-scale") {
      auto v = value();
      if (!v || (*v != "1" && *v != "2")) return usageError("--window-scale needs 1 or 2");
      windowScale = std::stoi(*v);
    } else if (arg == "--screens") {
      auto v = value();
      if (!v || v->empty()) return usageError("--screens needs a folder");
      screensFolder = *v;
    } else if (arg == "--screenshot") {
      auto v = value();
      if (!v || v->empty()) return usageError("--screenshot needs a file name");
      screenshot = *v;
    } else if (arg == "--server-port") {
      auto v = value();
      char* end = nullptr;
      long port = v ? std::strtol(v->c_str(), &end, 10) : 0;
      if (!v || v->empty() || *end || port < 1 || port > 65535)
        return usageError("--server-port needs a port number from 1 to 65535");
      serverPort = int(port);
    } else if (arg == "--network") {
      auto v = value();
      if (!v || !parseNetwork(*v, &flags))
        return usageError("--network needs wifi, wwan, offline or system");
    } else {
      return usageError("unknown option " + arg);
    }
  }

  if (window && headless) return usageError("--window and --headless exclude each other");

  // SIGINT and SIGTERM (the end) and SIGUSR1 (write the screen) are read from a descriptor on
  // the main loop; blocked before any thread starts so that every thread leaves them to it.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  int signalFd = signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);

  if (serverPort) {
    for (const auto& host : serviceHosts()) CFNetworkMapHost(host, 0, "127.0.0.1", *serverPort);
  }
  if (flags) SCNetworkReachabilitySetTestFlags(flags);

  // With the tiles awaited, an app that ends itself before they could show (it gave up
  // registering, say) reports that, whatever status it ends with.
  static std::atomic<bool> awaitingFirstPage{false};
  awaitingFirstPage = exitAfterFirstPage || screenshot.has_value();
  UIApplication::terminateHook = [](int status) { endProcess(awaitingFirstPage ? 1 : status); };

  std::string version = NSBundle::mainBundle()
                            ->objectForInfoDictionaryKey("CFBundleShortVersionString")
                            .description();
  std::printf("zept %s, app home %s\n", version.c_str(), NSHomeDirectory().c_str());
  if (serverPort) std::printf("content server: 127.0.0.1:%d\n", *serverPort);
  std::fflush(stdout);

  static Screens screens(screensFolder);
  std::unique_ptr<SDLWindow> sdlWindow;
  if (window) {
    SDLWindow::Options options;
    options.scale = windowScale;
    options.title = "zept";
    options.onClose = [] { terminateApplication(0); };
    options.onScreenshot = [] { screens.record(); };
    std::string error;
    sdlWindow = SDLWindow::open(std::move(options), &error);
    if (sdlWindow) {
      std::printf(
          "window: %s, %d pixels a point (F1 home, F2 shake, F3 memory warning, F12 screen to "
          "%s; close the window to end)\n",
          sdlWindow->driver().c_str(), sdlWindow->scale(), screensFolder.c_str());
    } else {
      std::printf("window: none (%s); running headless\n", error.c_str());
      headless = true;
    }
  }
  if (headless) {
    if (!screens.watch()) return 1;
    std::printf(
        "screens: each new screen goes to %s/ as NNN-<screen>.png and .txt "
        "(kill -USR1 %d writes the current one)\n",
        screensFolder.c_str(), int(getpid()));
  }
  std::fflush(stdout);

  std::shared_ptr<StartUpWatch> startUp;
  if (screenshot) {
    startUp = StartUpWatch::start([path = *screenshot, headless](bool shown) {
      awaitingFirstPage = false;
      if (headless && shown) screens.record("home");
      std::string error;
      bool written =
          UIScreenCaptureWritePNG(UIApplication::sharedApplication()->keyWindow(), path, &error);
      if (written) {
        std::printf("screenshot: %s\n", path.c_str());
      } else {
        std::fprintf(stderr, "zept: screenshot %s: %s\n", path.c_str(), error.c_str());
      }
      std::fflush(stdout);
      terminateApplication(shown && written ? 0 : 1);
    });
  } else if (exitAfterFirstPage) {
    startUp = StartUpWatch::start([headless](bool shown) {
      awaitingFirstPage = false;
      if (headless && shown) screens.record("home");
      terminateApplication(shown ? 0 : 1);
    });
  } else if (headless) {
    startUp = StartUpWatch::start([](bool shown) {
      if (shown) screens.record("home");
    });
  }

  auto loop = NSRunLoop::mainRunLoop();
  std::shared_ptr<RunLoopFdSource> signalSource;
  if (signalFd >= 0) {
    signalSource =
        std::make_shared<RunLoopFdSource>(signalFd, RunLoopFdSource::Read, [](int fd, int) {
          signalfd_siginfo info{};
          if (read(fd, &info, sizeof info) != ssize_t(sizeof info)) return;
          if (info.ssi_signo == SIGUSR1) {
            screens.record();
          } else {
            terminateApplication(0);
          }
        });
    loop->addFdSource(signalSource, NSDefaultRunLoopMode);
  }

  int result = UIApplicationMain(argc, argv, std::make_shared<AppDelegate>());
  endProcess(result);
}
