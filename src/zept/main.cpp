// The app's entry point: runs the application with its delegate on the main run loop.
//
// The home screen, a placeholder, writes what it shows to standard output; --screenshot writes
// the screen's picture once the first page is in.  The options point the app at a local
// content server and tell it what network it is on; see --help.  The app runs until interrupted
// (SIGINT or SIGTERM end it as the system ends an app: it is told it terminates, then the loop
// stops).
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
#include "SystemConfiguration/SCNetworkReachability.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIScreenCapture.h"
#include "UIKit/UIWindow.h"
#include "app/AppDelegate.h"
#include "core/NSConfig.h"
#include "core/StoredKeys.h"
#include "net/api/ClientRequest.h"
#include "screens/home/varimostaViewController.h"

namespace {

constexpr const char* kUsage =
    "usage: zept [options]\n"
    "\n"
    "Runs the reader app.  Until its screens are drawn, the home screen writes to standard\n"
    "output what it shows: the start-up steps (registration or login), the channels of the\n"
    "catalogue and the first page of the first channel that has one.  The app then keeps\n"
    "running its timers and polls until interrupted (Ctrl-C).\n"
    "\n"
    "options:\n"
    "  --server-port N          send every content-server request (all the service's hosts)\n"
    "                           to the local content server on 127.0.0.1:N\n"
    "  --network KIND           the network the app sees: wifi, wwan, offline, or system\n"
    "                           (read from this machine; the default)\n"
    "  --exit-after-first-page  end once the first page was shown (status 0) or could not be\n"
    "                           (status 1)\n"
    "  --screenshot FILE        once the first page was shown (or could not be), write what\n"
    "                           the screen shows to FILE as PNG (320 x 480 or 568 points at\n"
    "                           scale 2) and end (status 0; 1 when no page came or the file\n"
    "                           could not be written)\n"
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
      hosts.push_back(label.string() + "." + middle + "." + last);
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

}  // namespace

int main(int argc, char** argv) {
  bool exitAfterFirstPage = false;
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

  // SIGINT and SIGTERM are read from a descriptor on the main loop; blocked before any thread
  // starts so that every thread leaves them to it.
  sigset_t endSignals;
  sigemptyset(&endSignals);
  sigaddset(&endSignals, SIGINT);
  sigaddset(&endSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &endSignals, nullptr);
  int signalFd = signalfd(-1, &endSignals, SFD_CLOEXEC | SFD_NONBLOCK);

  if (serverPort) {
    for (const auto& host : serviceHosts()) CFNetworkMapHost(host, 0, "127.0.0.1", *serverPort);
  }
  if (flags) SCNetworkReachabilitySetTestFlags(flags);

  // With a first page awaited, an app that ends itself before the page could be shown (it
  // gave up registering, say) reports that, whatever status it ends with.
  static std::atomic<bool> awaitingFirstPage{false};
  awaitingFirstPage = exitAfterFirstPage || screenshot.has_value();
  UIApplication::terminateHook = [](int status) { endProcess(awaitingFirstPage ? 1 : status); };

  std::string version = NSBundle::mainBundle()
                            ->objectForInfoDictionaryKey("CFBundleShortVersionString")
                            .description();
  std::printf("zept %s, app home %s\n", version.c_str(), NSHomeDirectory().c_str());
  if (serverPort) std::printf("content server: 127.0.0.1:%d\n", *serverPort);
  std::fflush(stdout);

  if (screenshot) {
    varimostaViewController::setFirstPageHandler([path = *screenshot](bool shown) {
      awaitingFirstPage = false;
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
    varimostaViewController::setFirstPageHandler([](bool shown) {
      awaitingFirstPage = false;
      terminateApplication(shown ? 0 : 1);
    });
  }

  auto loop = NSRunLoop::mainRunLoop();
  std::shared_ptr<RunLoopFdSource> signalSource;
  if (signalFd >= 0) {
    signalSource =
        std::make_shared<RunLoopFdSource>(signalFd, RunLoopFdSource::Read, [](int fd, int) {
          signalfd_siginfo info{};
          if (read(fd, &info, sizeof info) == ssize_t(sizeof info)) terminateApplication(0);
        });
    loop->addFdSource(signalSource, NSDefaultRunLoopMode);
  }

  int result = UIApplicationMain(argc, argv, std::make_shared<AppDelegate>());
  endProcess(result);
}
