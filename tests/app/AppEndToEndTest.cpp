// The app running end to end against the local content server: in process (the delegate and
// the server in one test), as the two programs the runner starts, and with the crash catcher
// reporting a real signal from a child process.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "AppTestSupport.h"
#include "Foundation/Clock.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSURL.h"
#include "ImageIO/CGImageSource.h"
#include "ProgramRunner.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationItem.h"
#include "core/UIFilePath.h"
#include "core/UncaughtExceptionHandler.h"
#include "model/ChannelItem.h"
#include "net/http/HXHTTPRequest.h"
#include "screens/home/varimostaViewController.h"

using namespace apptest;

// ---- in process --------------------------------------------------------------------------------

TEST_F(AppTest, NewUserRegistersLogsInAndSeesTheHomeScreensTiles) {
  launch();
  ASSERT_TRUE(waitFor([&] { return startUpOver(); }));
  EXPECT_EQ(tilesShown, true);
  EXPECT_TRUE(loggedIn());
  std::string key =
      NSUserDefaults::standardUserDefaults()->stringForKey("registerClientKey").value_or("");
  ASSERT_FALSE(key.empty());
  EXPECT_TRUE(server.client(key).has_value());
  EXPECT_EQ(server.requests("/Accounts/Register.aspx").size(), 1u);

  // The home screen is the navigation root and shows the stored catalogue, a tile a channel.
  auto home = app->homeScreen();
  ASSERT_TRUE(home);
  EXPECT_EQ(app->navigationController()->viewControllers().front(), home);
  auto title = std::dynamic_pointer_cast<UILabel>(home->navigationItem()->titleView());
  ASSERT_TRUE(title);
  EXPECT_EQ(title->text(), "主页");
  size_t channels = 0;
  auto stored = ChannelItem::userChannelItems();
  ASSERT_TRUE(stored);
  for (const auto& page : *stored) channels += page.size();
  size_t tiles = 0;
  for (const auto& page : home->launcherView()->buttons()) tiles += page.size();
  EXPECT_EQ(tiles, channels);
  std::string dump = app->window()->dump();
  EXPECT_NE(dump.find("ULLauncherView frame=(0 5; 320 455)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UIMenuBar frame=(262 12;"), std::string::npos) << dump;
  // The key is a secret: the screen never shows it.
  EXPECT_EQ(dump.find(key), std::string::npos);
}

TEST_F(AppTest, AClientTheServerForgotRegistersAnewAndShowsTheTiles) {
  // A key stored by an earlier run, unknown to this server.
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value("FORGOTTEN0KEY0000"), "registerClientKey");
  defaults->setObject(Value(NSGlobe::getMacAddressOrIdentifier()), "register_key");
  defaults->synchronize();
  launch();
  ASSERT_TRUE(waitFor([&] { return startUpOver(); }));
  EXPECT_EQ(tilesShown, true);
  EXPECT_TRUE(loggedIn());
  std::string key = defaults->stringForKey("registerClientKey").value_or("");
  EXPECT_NE(key, "FORGOTTEN0KEY0000");
  EXPECT_TRUE(server.client(key).has_value());
  EXPECT_EQ(server.requests("/Accounts/Login.aspx").size(), 2u);
}

TEST_F(AppTest, ARefusedLoginStillEndsStartUpOnTheTiles) {
  storeClientKey();
  server.script("/Accounts/Login.aspx", zept::server::EndpointScript::failWith(503));
  launch();
  ASSERT_TRUE(waitFor([&] { return startUpOver(); }));
  EXPECT_FALSE(ClientRequest::engine()->loginGranted());
  EXPECT_EQ(tilesShown, true);
}

// ---- the crash catcher, in a child ------------------------------------------------------------

TEST_F(AppTest, EnabledCrashCatcherReportsASignalToTheFeedbackEndpoint) {
  // Set up in this process: the child only talks to the server over the network.
  server.setLoginSwitch("ErrorLogEnable", true);
  storeClientKey();

  pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_DUMPABLE, 0);
    rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    launch();
    if (!waitFor([&] { return loggedIn(); })) _exit(3);
    struct sigaction current {};
    sigaction(SIGTRAP, nullptr, &current);
    if (current.sa_handler == SIG_DFL) _exit(4);
    raise(SIGTRAP);
    // The report sends the signal again to the process; it may end it from another thread.
    for (int i = 0; i < 300; ++i) usleep(100000);
    _exit(5);
  }
  ASSERT_GT(pid, 0);
  int status = 0;
  ASSERT_TRUE(reap(pid, steadySeconds() + 90, &status));
  ASSERT_TRUE(WIFSIGNALED(status)) << "child exited with " << WEXITSTATUS(status);
  EXPECT_EQ(WTERMSIG(status), SIGTRAP);

  std::vector<zept::server::LogUpload> reports;
  for (const auto& upload : server.logUploads())
    if (upload.path == "/feedback.aspx") reports.push_back(upload);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].field("type"), "2");
  EXPECT_NE(reports[0].field("body").find("Signal 5 was raised."), std::string::npos)
      << reports[0].field("body");
}

// A peer that closes every connection at once, with a reset: whoever keeps writing to it gets
// "broken pipe" on that socket.
class ResettingPeer {
 public:
  ResettingPeer() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    listen(fd_, 16);
    socklen_t len = sizeof addr;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        int c = accept(fd_, nullptr, nullptr);
        if (c < 0) continue;
        linger reset{1, 0};
        setsockopt(c, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        close(c);
      }
    });
  }
  ~ResettingPeer() {
    stop_ = true;
    thread_.join();
    close(fd_);
  }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// With the crash catcher in place, a peer that drops an upload halfway is a failed request, not
// a crash: no socket write raises the broken-pipe signal.
TEST(AppSignalsTest, PeerDroppingAnUploadIsAFailedRequestNotACrash) {
  ResettingPeer peer;
  pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_DUMPABLE, 0);
    MainLoop::install();
    UncaughtExceptionHandler::InstallUncaughtExceptionHandler();
    auto request = HXHTTPRequest::requestWithURL(
        NSURL::URLWithString("http://127.0.0.1:" + std::to_string(peer.port()) + "/upload"));
    request->setRequestMethod("POST");
    request->appendPostData(std::string(8 << 20, 'x'));
    request->setTimeOutSeconds(30);
    request->startSynchronous();
    _exit(request->error() && UncaughtExceptionHandler::crashCount() == 0 ? 0 : 6);
  }
  ASSERT_GT(pid, 0);
  int status = 0;
  ASSERT_TRUE(reap(pid, steadySeconds() + 90, &status));
  ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// ---- the two programs -------------------------------------------------------------------------

TEST(AppProgramsTest, AppStartsOnTheHomeScreenWithTheServerProgramAndEnds) {
  int serverOut = -1;
  pid_t server = spawn({ZEPT_SERVER_PROGRAM, "--port", "0"}, {}, &serverOut);
  ASSERT_GT(server, 0);
  std::string banner;
  readUntil(serverOut, banner, steadySeconds() + 30,
            [&] { return banner.find('\n') != std::string::npos; });
  ASSERT_EQ(banner.rfind("port ", 0), 0u) << banner;
  std::string port = banner.substr(5, banner.find('\n') - 5);

  std::string home = std::string(std::getenv("ZEPT_HOME")) + "/program-home";
  std::string screens = home + "/screens";
  ProgramResult app = runProgram({ZEPT_APP_PROGRAM, "--server-port", port, "--network", "wifi",
                                  "--exit-after-first-page", "--headless", "--screens", screens},
                                 {"ZEPT_HOME=" + home, "ZEPT_RESOURCES=" + resourcesDir()}, 90);

  // Again, writing what the screen shows once the tiles show.
  std::string shot = home + "/screen.png";
  ProgramResult pictured = runProgram(
      {ZEPT_APP_PROGRAM, "--server-port", port, "--network", "wifi", "--screenshot", shot},
      {"ZEPT_HOME=" + home, "ZEPT_RESOURCES=" + resourcesDir()}, 90);

  kill(server, SIGTERM);
  int status = 0;
  EXPECT_TRUE(reap(server, steadySeconds() + 30, &status));
  close(serverOut);

  ASSERT_TRUE(pictured.ended) << pictured.output;
  EXPECT_EQ(pictured.exitCode, 0) << pictured.output;
  EXPECT_NE(pictured.output.find("screenshot: " + shot), std::string::npos) << pictured.output;
  auto source = CGImageSource::createWithURL(NSURL::fileURLWithPath(shot));
  ASSERT_NE(source, nullptr);
  auto picture = source->createImageAtIndex(0);
  EXPECT_EQ(picture->width(), 640u);
  EXPECT_EQ(picture->height(), 960u);

  ASSERT_TRUE(app.ended) << app.output;
  EXPECT_EQ(app.exitCode, 0) << app.output;
  // The home screen's view tree, written when start-up was over.
  std::string dump;
  for (const auto& entry : std::filesystem::directory_iterator(screens)) {
    std::string name = entry.path().filename().string();
    if (name.size() > 9 && name.substr(name.size() - 9) == "-home.txt")
      dump = dataWithContentsOfFile(entry.path().string()).value_or("");
  }
  ASSERT_FALSE(dump.empty()) << app.output;
  EXPECT_NE(dump.find("ULLauncherView frame=(0 5; 320 455)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("ULLauncherButton"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UIMenuBar frame=(262 12;"), std::string::npos) << dump;
  // The placeholder's lines are gone.
  EXPECT_EQ(app.output.find("start-up:"), std::string::npos) << app.output;
}

TEST(AppProgramsTest, OfflineAppWithoutAKeyEndsWithoutTiles) {
  std::string home = std::string(std::getenv("ZEPT_HOME")) + "/offline-home";
  ProgramResult app =
      runProgram({ZEPT_APP_PROGRAM, "--network", "offline", "--exit-after-first-page"},
                 {"ZEPT_HOME=" + home, "ZEPT_RESOURCES=" + resourcesDir()});
  // Offline without a client key the app closes itself after its exit animation: start-up
  // never ends on the tiles, which the option reports as status 1.
  ASSERT_TRUE(app.ended) << app.output;
  EXPECT_EQ(app.exitCode, 1) << app.output;
}

TEST(AppProgramsTest, OptionsAreExplainedAndCheckedByTheApp) {
  ProgramResult help = runProgram({ZEPT_APP_PROGRAM, "--help"}, {});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.output.find("--exit-after-first-page"), std::string::npos);
  EXPECT_NE(help.output.find("--server-port"), std::string::npos);
  EXPECT_NE(help.output.find("--network"), std::string::npos);
  EXPECT_NE(help.output.find("--screenshot FILE"), std::string::npos);
  for (std::vector<std::string> bad : {std::vector<std::string>{"--bogus"},
                                       {"--screenshot"},
                                       {"--server-port", "0"},
                                       {"--server-port", "x"},
                                       {"--network", "lte"},
                                       {"--network"}}) {
    bad.insert(bad.begin(), ZEPT_APP_PROGRAM);
    EXPECT_EQ(runProgram(bad, {}).exitCode, 2) << bad[1];
  }
}
