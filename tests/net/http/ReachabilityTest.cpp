// The reachability rules, the change notification and the engine's WWAN test.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "Foundation/NSNotificationCenter.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/Reachability.h"

using enginetest::runMainLoopFor;
using enginetest::runMainLoopUntil;

namespace {

constexpr SCNetworkReachabilityFlags kTransient = kSCNetworkReachabilityFlagsTransientConnection;
constexpr SCNetworkReachabilityFlags kReachable = kSCNetworkReachabilityFlagsReachable;
constexpr SCNetworkReachabilityFlags kRequired = kSCNetworkReachabilityFlagsConnectionRequired;
constexpr SCNetworkReachabilityFlags kOnTraffic = kSCNetworkReachabilityFlagsConnectionOnTraffic;
constexpr SCNetworkReachabilityFlags kIntervention =
    kSCNetworkReachabilityFlagsInterventionRequired;
constexpr SCNetworkReachabilityFlags kOnDemand = kSCNetworkReachabilityFlagsConnectionOnDemand;
constexpr SCNetworkReachabilityFlags kDirect = kSCNetworkReachabilityFlagsIsDirect;
constexpr SCNetworkReachabilityFlags kWWAN = kSCNetworkReachabilityFlagsIsWWAN;

// Forces the flags of every reachability reference for the life of the object.
struct ForcedFlags {
  explicit ForcedFlags(SCNetworkReachabilityFlags f) { SCNetworkReachabilitySetTestFlags(f); }
  ~ForcedFlags() { SCNetworkReachabilitySetTestFlags(std::nullopt); }
};

}  // namespace

TEST(Reachability, FlagWordsMapToStatusesAndSubStatuses) {
  struct Case {
    SCNetworkReachabilityFlags flags;
    int status, subStatus;
    bool online;  // isConnectedToNetwork
  } cases[] = {
      {0, 0, 0, false},
      {kWWAN | kTransient | kDirect, 0, 0, false},  // nothing without "reachable"
      {kReachable, 1, 0, true},
      {kReachable | kDirect, 1, 0, true},
      {kReachable | kRequired, 0, 0, false},
      {kReachable | kRequired | kOnTraffic, 1, 0, false},
      {kReachable | kRequired | kOnDemand, 1, 0, false},
      {kReachable | kRequired | kOnTraffic | kIntervention, 0, 0, false},
      {kReachable | kWWAN, 2, 3, true},
      {kReachable | kWWAN | kTransient, 2, 4, true},
      // WWAN wins whatever the connection flags say.
      {kReachable | kWWAN | kRequired, 2, 3, false},
      {kReachable | kTransient, 1, 0, true},
  };
  for (auto& c : cases) {
    ForcedFlags forced(c.flags);
    auto internet = Reachability::reachabilityForInternetConnection();
    ASSERT_TRUE(internet);
    EXPECT_EQ(internet->networkStatusForFlags(c.flags), c.status) << std::hex << c.flags;
    auto fresh = Reachability::reachabilityForInternetConnection();
    EXPECT_EQ(fresh->currentReachabilityStatus(), c.status) << std::hex << c.flags;
    EXPECT_EQ(fresh->subReachabilityStatus(), c.subStatus) << std::hex << c.flags;
    EXPECT_EQ(fresh->connectionRequired(), bool(c.flags & kRequired));
    EXPECT_EQ(Reachability::isConnectedToNetwork(), c.online) << std::hex << c.flags;
    EXPECT_EQ(Reachability::getCurrentNetWorkStatus(), c.status);
    EXPECT_EQ(Reachability::getCurrentSubNetWorkStatus(), c.subStatus);
    EXPECT_EQ(Reachability::isNetWorkReachable(), c.status != 0);
    EXPECT_EQ(Reachability::isNetWorkViaWiFi(), c.status == 1);
    EXPECT_EQ(Reachability::isNetWorkVia3G(), c.subStatus == 3);
    EXPECT_EQ(Reachability::isNetWorkVia2G(), c.subStatus == 4);
  }
}

TEST(Reachability, TheSubStatusKeepsTheLastWWANReading) {
  auto r = Reachability::reachabilityWithHostName("a.m.r");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->subReachabilityStatus(), 0);
  EXPECT_EQ(r->networkStatusForFlags(kReachable | kWWAN | kTransient), ReachableViaWWAN);
  EXPECT_EQ(r->subReachabilityStatus(), 4);
  EXPECT_EQ(r->networkStatusForFlags(kReachable), ReachableViaWiFi);
  EXPECT_EQ(r->subReachabilityStatus(), 4);
  EXPECT_EQ(r->networkStatusForFlags(0), NotReachable);
  EXPECT_EQ(r->subReachabilityStatus(), 4);
  EXPECT_EQ(r->networkStatusForFlags(kReachable | kWWAN), ReachableViaWWAN);
  EXPECT_EQ(r->subReachabilityStatus(), 3);
}

TEST(Reachability, TheLocalWiFiObjectNeedsAReachableDirectLink) {
  auto wifi = Reachability::reachabilityForLocalWiFi();
  ASSERT_TRUE(wifi);
  EXPECT_TRUE(wifi->localWiFiRef());
  EXPECT_FALSE(Reachability::reachabilityForInternetConnection()->localWiFiRef());
  struct Case {
    SCNetworkReachabilityFlags flags;
    int status;
  } cases[] = {{kReachable | kDirect, 1},
               {kReachable | kDirect | kWWAN, 1},
               {kReachable, 0},
               {kDirect, 0},
               {0, 0}};
  for (auto& c : cases) {
    ForcedFlags forced(c.flags);
    EXPECT_EQ(wifi->localWiFiStatusForFlags(c.flags), c.status) << std::hex << c.flags;
    EXPECT_EQ(wifi->currentReachabilityStatus(), c.status) << std::hex << c.flags;
    EXPECT_EQ(wifi->subReachabilityStatus(), 0);
  }
  sockaddr_in none{};
  none.sin_family = AF_UNIX;
  EXPECT_FALSE(Reachability::reachabilityWithAddress(&none));
  EXPECT_FALSE(Reachability::reachabilityWithAddress(nullptr));
  EXPECT_FALSE(Reachability::reachabilityWithHostName(""));
}

TEST(Reachability, ChangesArePostedWithTheObjectWhileItsNotifierRuns) {
  auto watched = Reachability::reachabilityWithHostName("a.m.r");
  ASSERT_TRUE(watched);
  std::vector<std::shared_ptr<Reachability>> posted;
  auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
      kReachabilityChangedNotification, Value(), [&](const NSNotificationPtr& n) {
        posted.push_back(n->object().object<Reachability>());
        EXPECT_TRUE(n->userInfo().isNil());
        EXPECT_TRUE(NSThread::isMainThread());
      });
  ASSERT_TRUE(watched->startNotifer());
  {
    ForcedFlags forced(kReachable | kWWAN | kTransient);
    SCNetworkReachabilityFireTestChange();
    ASSERT_TRUE(runMainLoopUntil([&] { return !posted.empty(); }));
  }
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0], watched);
  // The notification carries no state: observers read it from the object.
  EXPECT_EQ(watched->subReachabilityStatus(), 0);

  watched->stopNotifer();
  SCNetworkReachabilityFireTestChange();
  runMainLoopFor(0.1);
  EXPECT_EQ(posted.size(), 1u);

  // Gone, it is heard no more.
  ASSERT_TRUE(watched->startNotifer());
  SCNetworkReachabilityFireTestChange();
  watched.reset();
  posted.clear();
  runMainLoopFor(0.1);
  EXPECT_TRUE(posted.empty());
  NSNotificationCenter::defaultCenter()->removeObserver(token);
}

TEST(Reachability, HostNamesAreLookedUpToTheirFirstIPv4Address) {
  EXPECT_FALSE(Reachability::getIpByHost(std::nullopt));
  EXPECT_FALSE(Reachability::getIpByHost(""));
  EXPECT_EQ(Reachability::getIpByHost("localhost").value_or(""), "127.0.0.1");
  EXPECT_EQ(Reachability::getIpByHost("10.1.2.3").value_or(""), "10.1.2.3");
  Reachability::parseIpAdrress("localhost");
  Reachability::parseIpAdrress(nullptr);
}

TEST(Reachability, TheEngineThrottlesForWWANOnlyWhileItObservesReachability) {
  ForcedFlags forced(kReachable);
  EXPECT_FALSE(HXHTTPRequest::isNetworkReachableViaWWAN());
  HXHTTPRequest::registerForNetworkReachabilityNotifications();
  EXPECT_FALSE(HXHTTPRequest::isBandwidthThrottled());

  SCNetworkReachabilitySetTestFlags(kReachable | kWWAN);
  EXPECT_TRUE(HXHTTPRequest::isNetworkReachableViaWWAN());
  SCNetworkReachabilityFireTestChange();
  ASSERT_TRUE(runMainLoopUntil([] { return HXHTTPRequest::isBandwidthThrottled(); }));

  SCNetworkReachabilitySetTestFlags(kReachable);
  SCNetworkReachabilityFireTestChange();
  ASSERT_TRUE(runMainLoopUntil([] { return !HXHTTPRequest::isBandwidthThrottled(); }));

  HXHTTPRequest::unsubscribeFromNetworkReachabilityNotifications();
  SCNetworkReachabilitySetTestFlags(kReachable | kWWAN);
  SCNetworkReachabilityFireTestChange();
  runMainLoopFor(0.1);
  EXPECT_FALSE(HXHTTPRequest::isBandwidthThrottled());
}
