// Bandwidth throttling: the allowance arithmetic, WWAN-only caps that follow reachability, and
// downloads and uploads on loopback that keep to the cap.
#include <gtest/gtest.h>

#include <chrono>

#include "EngineTestSupport.h"
#include "Foundation/Clock.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/Reachability.h"
#include "support/TestHTTPServer.h"

using enginetest::bodyOr;
using enginetest::Exchange;
using enginetest::runMainLoopUntil;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPRequest;
using testsupport::TestHTTPServer;

namespace {

// Starts a fresh measurement period with nothing used in it.
void freshPeriod() {
  HXHTTPRequest::measureBandwidthUsage();
  ASSERT_TRUE(HXHTTPRequest::bandwidthMeasurementDate());
}

}  // namespace

TEST(HXThrottling, AnOverdrawnAllowanceSleepsPastThePeriodInProportionToTheExcess) {
  // No cap: not throttled, but measured.
  EXPECT_FALSE(HXHTTPRequest::isBandwidthThrottled());
  freshPeriod();
  HXHTTPRequest::incrementBandwidthUsedInLastSecond(1500);
  HXHTTPRequest::measureBandwidthUsage();
  EXPECT_FALSE(HXHTTPRequest::throttleWakeUpTime());

  HXHTTPRequest::setMaxBandwidthPerSecond(1000);
  EXPECT_TRUE(HXHTTPRequest::isBandwidthThrottled());
  HXHTTPRequest::measureBandwidthUsage();
  double periodEnd = *HXHTTPRequest::bandwidthMeasurementDate();
  ASSERT_TRUE(HXHTTPRequest::throttleWakeUpTime());
  EXPECT_DOUBLE_EQ(*HXHTTPRequest::throttleWakeUpTime(), periodEnd + 0.5);
  HXHTTPRequest::setMaxBandwidthPerSecond(0);
}

TEST(HXThrottling, AnUploadReadTakesWhatIsLeftOfTheAllowanceAndAtEmptyWaitsForThePeriodEnd) {
  HXHTTPRequest::setMaxBandwidthPerSecond(1000);
  freshPeriod();
  EXPECT_EQ(HXHTTPRequest::maxUploadReadLength(), 250u);  // a quarter
  HXHTTPRequest::incrementBandwidthUsedInLastSecond(900);
  EXPECT_EQ(HXHTTPRequest::maxUploadReadLength(), 100u);
  EXPECT_FALSE(HXHTTPRequest::throttleWakeUpTime());
  HXHTTPRequest::incrementBandwidthUsedInLastSecond(200);
  EXPECT_EQ(HXHTTPRequest::maxUploadReadLength(), 0u);
  EXPECT_EQ(HXHTTPRequest::throttleWakeUpTime(), HXHTTPRequest::bandwidthMeasurementDate());
  HXHTTPRequest::setMaxBandwidthPerSecond(0);
}

TEST(HXThrottling, TheWWANCapFollowsTheLinkAndIsRemovedWithEveryOtherCap) {
  SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable);
  HXHTTPRequest::setShouldThrottleBandwidthForWWAN(true);
  EXPECT_EQ(HXHTTPRequest::maxBandwidthPerSecond(), 14800u);
  EXPECT_FALSE(HXHTTPRequest::isBandwidthThrottled());  // on WiFi

  SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable |
                                    kSCNetworkReachabilityFlagsIsWWAN);
  SCNetworkReachabilityFireTestChange();
  EXPECT_TRUE(runMainLoopUntil([] { return HXHTTPRequest::isBandwidthThrottled(); }));

  HXHTTPRequest::setShouldThrottleBandwidthForWWAN(false);
  EXPECT_FALSE(HXHTTPRequest::isBandwidthThrottled());
  EXPECT_EQ(HXHTTPRequest::maxBandwidthPerSecond(), 0u);
  SCNetworkReachabilitySetTestFlags(std::nullopt);
}

// A transfer of two and a half seconds' worth at the cap.  The engine's own per-second
// measurement stays within 10 % of the cap, and the transfer as a whole never goes faster
// than the cap allows (it may go slower on a busy machine).
TEST(HXThrottling, ADownloadAndAnUploadKeepToTheCap) {
  constexpr unsigned long kCap = 20000;
  const std::string payload(kCap * 5 / 2, 'z');
  TestHTTPServer server;
  server.on("/big", TestHTTPReply::text(payload));
  server.on("/upload", [](const TestHTTPRequest& r) {
    return TestHTTPReply::text(std::to_string(r.body.size()));
  });
  HXHTTPRequest::setMaxBandwidthPerSecond(kCap);

  for (bool upload : {false, true}) {
    SCOPED_TRACE(upload ? "upload" : "download");
    Exchange e(server.url(upload ? "/upload" : "/big"));
    if (upload) e.request->appendPostData(payload);
    e.request->setTimeOutSeconds(30);
    double started = steadySeconds();
    e.run(60);
    double elapsed = steadySeconds() - started;
    ASSERT_TRUE(e.delegate->finished);
    EXPECT_EQ(bodyOr(e.request->responseString()),
              upload ? std::to_string(payload.size()) : payload);

    unsigned long average = HXHTTPRequest::averageBandwidthUsedPerSecond();
    EXPECT_GE(average, kCap * 9 / 10);
    EXPECT_LE(average, kCap * 11 / 10);
    // The first second's allowance goes at once; the rest waits for the seconds after it.
    EXPECT_GE(elapsed, double(payload.size() - kCap) / kCap / 1.1);
  }
  HXHTTPRequest::setMaxBandwidthPerSecond(0);
}
