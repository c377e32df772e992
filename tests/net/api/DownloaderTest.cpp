#include <gtest/gtest.h>

#include "Foundation/NSFileManager.h"
#include "core/UIFilePath.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientDownload.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/http/HXNetworkQueue.h"

namespace {

using apitest::Receiver;
using zept::server::EndpointScript;

class DownloaderTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    downloader = ClientDownload::create();
    receiver = Receiver::make();
    folder = UIFilePath::libraryPath() + "/downloads";
  }

  std::string picture(const std::string& name) {
    return server.url("/pic/thumbnail/" + name + ".jpg");
  }
  // Every download has ended (reported or not).
  bool drained() const { return downloader->queue()->requestsCount() == 0; }
  std::shared_ptr<NSHxHttpRequest> reported(size_t i) const {
    return receiver->replies.at(i).object<NSHxHttpRequest>();
  }
  static bool isJPEG(const std::string& path) {
    auto bytes = dataWithContentsOfFile(path);
    return bytes && bytes->size() > 2 && (*bytes)[0] == '\xff' && (*bytes)[1] == '\xd8';
  }

  std::shared_ptr<ClientDownload> downloader;
  std::shared_ptr<Receiver> receiver;
  std::string folder;
};

TEST_F(DownloaderTest, ReportsTheFinishedRequestWithItsTagsToTheRegisteredReceiver) {
  std::string destination = folder + "/a/b/c.jpg";
  downloader->setPostAction(receiver->action(), receiver, 5);
  downloader->startDownloadFile(picture("steel"), destination);
  EXPECT_EQ(downloader->mtag(), -1);
  // The folders exist before the transfer.
  bool isFolder = false;
  EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(folder + "/a/b/", &isFolder));
  EXPECT_TRUE(isFolder);

  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  auto request = reported(0);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->tag(), 5);
  EXPECT_EQ(request->mtag(), 5);
  EXPECT_EQ(request->responseStatusCode(), 200);
  EXPECT_EQ(request->downloadDestinationPath(), destination);
  EXPECT_EQ(request->timeOutSeconds(), 10);  // the engine's default
  EXPECT_TRUE(isJPEG(destination));
  auto seen = server.requests("/pic/thumbnail/steel.jpg");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].header("User-Agent"), "ZeptMobileAgent_iphone");
}

TEST_F(DownloaderTest, OnlyTheFirstDownloadAfterARegistrationReports) {
  downloader->setPostAction(receiver->action(), receiver, 5);
  downloader->startDownloadFile(picture("one"), folder + "/one.jpg");
  downloader->startDownloadFile(picture("two"), folder + "/two.jpg");
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  MainLoop::pump();
  ASSERT_EQ(receiver->replies.size(), 1u);
  EXPECT_EQ(reported(0)->downloadDestinationPath(), folder + "/one.jpg");
  // The second ran all the same.
  EXPECT_TRUE(isJPEG(folder + "/two.jpg"));
}

TEST_F(DownloaderTest, ARegistrationForALaterDownloadSilencesTheEarlierOne) {
  downloader->setPostAction(receiver->action(), receiver, 5);
  downloader->startDownloadFile(picture("early"), folder + "/early.jpg");
  downloader->setPostAction(receiver->action(), receiver, 5);
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  MainLoop::pump();
  EXPECT_TRUE(receiver->replies.empty());

  downloader->startDownloadFile(picture("late"), folder + "/late.jpg");
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(reported(0)->downloadDestinationPath(), folder + "/late.jpg");
}

TEST_F(DownloaderTest, FailedDownloadReportsNothing) {
  downloader->setPostAction(receiver->action(), receiver, 4);
  downloader->startDownloadFile(apitest::closedBaseURL() + "/x.jpg", folder + "/x.jpg");
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  MainLoop::pump();
  EXPECT_TRUE(receiver->replies.empty());
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
}

TEST_F(DownloaderTest, RemoveAllActionCancelsTaggedDownloadsOnly) {
  server.script("/pic/thumbnail/held.jpg", EndpointScript::goSilent());
  for (int tag : {3, 7}) {
    downloader->setPostAction(receiver->action(), receiver, tag);
    downloader->startDownloadFile(picture("held"), folder + "/held" + std::to_string(tag) + ".jpg");
  }
  ASSERT_TRUE(server.waitForRequests("/pic/thumbnail/held.jpg", 2));
  downloader->setPostAction(receiver->action(), receiver, 0);
  downloader->startDownloadFile(picture("zero"), folder + "/zero.jpg");
  downloader->setPostAction(receiver->action(), receiver, -1);
  downloader->startDownloadFile(picture("minus"), folder + "/minus.jpg");

  downloader->removeAllAction();
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  MainLoop::pump();
  // Tag 0 reports; tag -1 ran but never reports (it matches the downloader's spent tag).
  ASSERT_EQ(receiver->replies.size(), 1u);
  EXPECT_EQ(reported(0)->tag(), 0);
  EXPECT_TRUE(isJPEG(folder + "/minus.jpg"));
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(folder + "/held3.jpg"));
}

TEST_F(DownloaderTest, BatchReportsOnceWhenTheQueueRunsDry) {
  server.script("/pic/thumbnail/held.jpg", EndpointScript::goSilent());
  auto whole = Receiver::make();
  // One tagged download that the caller then cancels...
  downloader->setPostAction(receiver->action(), receiver, 3);
  downloader->startDownloadFile(picture("held"), folder + "/held.jpg");
  // ...and a batch without a receiver of its own, one of which fails.
  downloader->setPostAction(Selector(), {}, -1);
  downloader->setQueueFinish(whole->action("queueFinished:"), whole);
  downloader->startDownloadFile(picture("icon1"), folder + "/icon1.jpg");
  downloader->startDownloadFile(picture("icon2"), folder + "/icon2.jpg");
  downloader->startDownloadFile(apitest::closedBaseURL() + "/icon3.jpg", folder + "/icon3.jpg");
  ASSERT_TRUE(server.waitForRequests("/pic/thumbnail/held.jpg", 1));
  downloader->removeAllAction();

  ASSERT_TRUE(waitFor([&] { return !whole->replies.empty(); }));
  MainLoop::pump();
  ASSERT_EQ(whole->replies.size(), 1u);
  EXPECT_EQ(whole->replies[0].object<HXNetworkQueue>(), downloader->queue());
  EXPECT_TRUE(receiver->replies.empty());
  EXPECT_TRUE(isJPEG(folder + "/icon1.jpg"));
  EXPECT_TRUE(isJPEG(folder + "/icon2.jpg"));
}

TEST_F(DownloaderTest, CallerDataAndItsOwnTagTravelWithTheDownload) {
  downloader->setPostAction(receiver->action(), receiver, 2);
  downloader->startDownloadFile(picture("channel105"), folder + "/105/icon.jpg", 11,
                                Value::arrayOf({Value("icon"), Value(105)}));
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  auto request = reported(0);
  EXPECT_EQ(request->tag(), 11);
  EXPECT_EQ(request->mtag(), 2);
  EXPECT_EQ(request->localInfo(), Value::arrayOf({Value("icon"), Value(105)}));
}

TEST_F(DownloaderTest, RetryPresetAddsNoTimeoutRetries) {
  downloader->startDownloadFile(picture("banner"), folder + "/banner.jpg", 2);
  auto ops = downloader->queue()->operations();
  ASSERT_EQ(ops.size(), 1u);
  auto request = std::dynamic_pointer_cast<NSHxHttpRequest>(ops[0]);
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(request->retryCount(), 2);
  EXPECT_EQ(request->numberOfTimesToRetryOnTimeout(), 0);
  ASSERT_TRUE(waitFor([&] { return drained(); }));
}

TEST_F(DownloaderTest, DestinationClimbingOutOfItsFolderIsRefused) {
  downloader->setPostAction(receiver->action(), receiver, 6);
  downloader->startDownloadFile(picture("evil"), folder + "/x/../../../escape.jpg");
  EXPECT_EQ(downloader->mtag(), -1);
  EXPECT_TRUE(downloader->queue()->operations().empty());
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(folder + "/x"));
  MainLoop::pump();
  EXPECT_TRUE(server.requests().empty());
  EXPECT_TRUE(receiver->replies.empty());
}

TEST_F(DownloaderTest, TheClientForwardsToItsDownloader) {
  auto client = ClientRequest::create();
  client->setDownloadAction(receiver->action(), receiver, 7);
  client->startDownloadFile(picture("advert"), folder + "/advert.jpg");
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(reported(0)->tag(), 7);

  server.script("/pic/thumbnail/held.jpg", EndpointScript::goSilent());
  auto other = Receiver::make();
  client->setDownloadAction(other->action(), other, 8);
  client->startDownloadFile(picture("held"), folder + "/held.jpg");
  ASSERT_TRUE(server.waitForRequests("/pic/thumbnail/held.jpg", 1));
  client->removeActionByTag(8);
  ASSERT_TRUE(waitFor([&] { return client->downloadQueue()->queue()->requestsCount() == 0; }));
  EXPECT_TRUE(other->replies.empty());
}

}  // namespace
