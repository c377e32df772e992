// Reachability flags read from this machine, forced by tests, and change callbacks on a run
// loop.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>

#include "Foundation/NSRunLoop.h"
#include "Foundation/NSThread.h"
#include "SystemConfiguration/SCNetworkReachability.h"
#include "support/MainLoop.h"

namespace {

constexpr SCNetworkReachabilityFlags kLocal = kSCNetworkReachabilityFlagsReachable |
                                              kSCNetworkReachabilityFlagsIsLocalAddress |
                                              kSCNetworkReachabilityFlagsIsDirect;

SCNetworkReachabilityRef forAddress(const char* text) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  inet_pton(AF_INET, text, &a.sin_addr);
  return SCNetworkReachabilityCreateWithAddress(reinterpret_cast<sockaddr*>(&a));
}

SCNetworkReachabilityFlags flagsOf(const SCNetworkReachabilityRef& ref) {
  SCNetworkReachabilityFlags flags = 0xffffffff;
  EXPECT_TRUE(SCNetworkReachabilityGetFlags(ref, &flags));
  return flags;
}

// Whether this machine has an IPv4 default route through an interface other than "lo".
bool hasIPv4DefaultRoute() {
  std::ifstream routes("/proc/net/route");
  std::string line;
  std::getline(routes, line);
  while (std::getline(routes, line)) {
    char name[64];
    unsigned destination = 1, flags = 0, mask = 1;
    if (std::sscanf(line.c_str(), "%63s %x %*x %x %*d %*d %*d %x", name, &destination, &flags,
                    &mask) == 4 &&
        destination == 0 && mask == 0 && (flags & 1) && std::string(name) != "lo")
      return true;
  }
  return false;
}

struct Heard {
  int calls = 0;
  SCNetworkReachabilityFlags flags = 0;
  bool onMainThread = true;
  void* info = nullptr;
};

void record(const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags flags, void* info) {
  auto* heard = static_cast<Heard*>(info);
  heard->calls++;
  heard->flags = flags;
  heard->info = info;
  if (!NSThread::isMainThread()) heard->onMainThread = false;
}

}  // namespace

TEST(SCNetworkReachability, TheMachinesOwnAddressesAreLocalAndTheInternetFollowsTheDefaultRoute) {
  EXPECT_EQ(flagsOf(forAddress("127.0.0.1")), kLocal);
  EXPECT_EQ(flagsOf(SCNetworkReachabilityCreateWithName("localhost")), kLocal);
  EXPECT_EQ(flagsOf(SCNetworkReachabilityCreateWithName("127.0.0.1")), kLocal);

  SCNetworkReachabilityFlags internet = flagsOf(forAddress("0.0.0.0"));
  if (hasIPv4DefaultRoute()) {
    EXPECT_TRUE(internet & kSCNetworkReachabilityFlagsReachable);
  }
  // Reachable or not, never "local" and never asking for a connection first.
  EXPECT_FALSE(internet & kSCNetworkReachabilityFlagsIsLocalAddress);
  EXPECT_FALSE(internet & kSCNetworkReachabilityFlagsConnectionRequired);

  EXPECT_FALSE(SCNetworkReachabilityCreateWithName(""));
  EXPECT_FALSE(SCNetworkReachabilityCreateWithName(nullptr));
  EXPECT_FALSE(SCNetworkReachabilityCreateWithAddress(nullptr));
  SCNetworkReachabilityFlags flags;
  EXPECT_FALSE(SCNetworkReachabilityGetFlags(nullptr, &flags));
}

TEST(SCNetworkReachability, TestsForceTheFlagWordOfEveryReference) {
  auto internet = forAddress("0.0.0.0");
  auto host = SCNetworkReachabilityCreateWithName("a.m.r");
  SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable |
                                    kSCNetworkReachabilityFlagsIsWWAN);
  EXPECT_EQ(flagsOf(internet),
            kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsWWAN);
  EXPECT_EQ(flagsOf(host), flagsOf(internet));
  SCNetworkReachabilitySetTestFlags(0);
  EXPECT_EQ(flagsOf(forAddress("127.0.0.1")), 0u);
  SCNetworkReachabilitySetTestFlags(std::nullopt);
  EXPECT_EQ(flagsOf(forAddress("127.0.0.1")), kLocal);
}

TEST(SCNetworkReachability, AChangeCallsBackScheduledReferencesOnTheirLoopInTheirMode) {
  MainLoop::install();
  auto ref = SCNetworkReachabilityCreateWithName("a.m.r");
  Heard heard;
  SCNetworkReachabilityContext context;
  context.info = &heard;
  ASSERT_TRUE(SCNetworkReachabilitySetCallback(ref, record, &context));
  ASSERT_TRUE(SCNetworkReachabilityScheduleWithRunLoop(ref, NSRunLoop::mainRunLoop(),
                                                       NSDefaultRunLoopMode));
  // A reference serves one loop.
  std::shared_ptr<NSRunLoop> other;
  std::thread([&] { other = NSRunLoop::currentRunLoop(); }).join();
  EXPECT_FALSE(SCNetworkReachabilityScheduleWithRunLoop(ref, other, NSDefaultRunLoopMode));

  SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable);
  SCNetworkReachabilityFireTestChange();
  EXPECT_EQ(heard.calls, 0);
  // Not in another mode.
  MainLoop::pump("other mode");
  EXPECT_EQ(heard.calls, 0);
  MainLoop::pump();
  EXPECT_EQ(heard.calls, 1);
  EXPECT_EQ(heard.flags, kSCNetworkReachabilityFlagsReachable);
  EXPECT_EQ(heard.info, &heard);
  EXPECT_TRUE(heard.onMainThread);

  // Unscheduled, or without a callback, it is quiet.
  ASSERT_TRUE(SCNetworkReachabilityUnscheduleFromRunLoop(ref, NSRunLoop::mainRunLoop(),
                                                         NSDefaultRunLoopMode));
  SCNetworkReachabilityFireTestChange();
  MainLoop::pump();
  EXPECT_EQ(heard.calls, 1);
  ASSERT_TRUE(SCNetworkReachabilityScheduleWithRunLoop(ref, NSRunLoop::mainRunLoop(),
                                                       NSDefaultRunLoopMode));
  SCNetworkReachabilitySetCallback(ref, nullptr, nullptr);
  SCNetworkReachabilityFireTestChange();
  MainLoop::pump();
  EXPECT_EQ(heard.calls, 1);

  // A change already on its way is dropped with the reference.
  SCNetworkReachabilitySetCallback(ref, record, &context);
  SCNetworkReachabilityFireTestChange();
  ref.reset();
  MainLoop::pump();
  EXPECT_EQ(heard.calls, 1);
  SCNetworkReachabilitySetTestFlags(std::nullopt);
}
