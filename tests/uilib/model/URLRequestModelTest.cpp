// Models: the base model's notifications, and a URL-request model that loads through the
// queue, knows when it was loaded and when it is outdated.
#include <gtest/gtest.h>

#include "server/ContentServer.h"
#include "support/MainLoop.h"
#include "uilib/model/ULModel.h"
#include "uilib/model/ULURLRequestModel.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULURLRequestQueue.h"

namespace {

struct Watcher : ULModelDelegate {
  std::vector<std::string> events;
  std::shared_ptr<ULModel> leaveOn;  // the model to stop watching when told it started
  std::weak_ptr<Watcher> me;
  void modelDidStartLoad(const std::shared_ptr<ULModel>&) override {
    events.push_back("start");
    if (leaveOn) leaveOn->delegates().removeObject(me.lock());
  }
  void modelDidFinishLoad(const std::shared_ptr<ULModel>&) override { events.push_back("finish"); }
  void modelDidFailLoadWithError(const std::shared_ptr<ULModel>&, const NSErrorPtr& e) override {
    events.push_back("fail " + std::to_string(e->code()));
  }
  void modelDidCancelLoad(const std::shared_ptr<ULModel>&) override { events.push_back("cancel"); }
  void modelDidChange(const std::shared_ptr<ULModel>&) override { events.push_back("change"); }
  void modelDidInsertObject(const std::shared_ptr<ULModel>&, const Value& object,
                            const NSIndexPath& path) override {
    events.push_back("insert " + object.description() + " at " + std::to_string(path.section) +
                     "." + std::to_string(path.row));
  }
  void modelDidBeginUpdates(const std::shared_ptr<ULModel>&) override { events.push_back("begin"); }
  void modelDidEndUpdates(const std::shared_ptr<ULModel>&) override { events.push_back("end"); }
};

// A model of one picture's bytes.
class PictureModel : public ULURLRequestModel {
 public:
  explicit PictureModel(std::string url) : url_(std::move(url)) {}
  void load(int cachePolicy, bool more) override {
    auto request = ULURLRequest::requestWithURL(url_, self<PictureModel>());
    request->setCachePolicy(cachePolicy);
    request->setResponse(std::make_shared<ULURLDataResponse>());
    setIsLoadingMore(more);
    request->send();
  }

 private:
  std::string url_;
};

using Events = std::vector<std::string>;

}  // namespace

TEST(ULModel, TellsEveryWatcherEachChangeOnce) {
  auto model = std::make_shared<ULModel>();
  EXPECT_TRUE(model->isLoaded());
  EXPECT_FALSE(model->isLoading() || model->isLoadingMore() || model->isOutdated());
  model->didChange();  // nobody watches yet
  auto a = std::make_shared<Watcher>(), b = std::make_shared<Watcher>();
  model->delegates().addObject(a);
  model->delegates().addObject(b);
  // A watcher that leaves while told is not told again; the others are.
  a->leaveOn = model;
  a->me = a;
  model->didStartLoad();
  model->beginUpdates();
  model->didInsertObject(Value("x"), NSIndexPath::indexPathForRow(2, 1));
  model->endUpdates();
  model->didChange();
  EXPECT_EQ(a->events, (Events{"start"}));
  EXPECT_EQ(b->events, (Events{"start", "begin", "insert x at 1.2", "end", "change"}));
  b.reset();
  model->didFinishLoad();  // a watcher that went away is skipped
}

class URLRequestModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    server.start();
  }
  zept::server::ContentServer server;
};

TEST_F(URLRequestModelTest, LoadsAndAgesByItsCacheKey) {
  auto model = std::make_shared<PictureModel>(server.url("/img/sample/m.png?delay=100"));
  auto watcher = std::make_shared<Watcher>();
  model->delegates().addObject(watcher);
  EXPECT_FALSE(model->isLoaded() || model->isLoading() || model->isOutdated());
  model->load(ULURLRequestCachePolicyDefault, false);
  EXPECT_TRUE(model->isLoading());
  ASSERT_TRUE(MainLoop::runUntil([&] { return !model->isLoading(); }));
  EXPECT_EQ(watcher->events, (Events{"start", "finish"}));
  EXPECT_TRUE(model->isLoaded());
  EXPECT_EQ(model->loadedTime()->secondsSince1970, MainLoop::now());
  EXPECT_FALSE(model->cacheKey().empty());
  EXPECT_FALSE(model->isOutdated());
  MainLoop::advance(86401);
  EXPECT_TRUE(model->isOutdated());

  // Invalidating ages the body a day and forgets the key: outdated while loaded.
  std::string key = model->cacheKey();
  model->invalidate(false);
  EXPECT_TRUE(model->cacheKey().empty());
  EXPECT_TRUE(model->isOutdated());
  EXPECT_TRUE(ULURLCache::sharedCache()->hasDataForKey(key, 604800));
  EXPECT_FALSE(ULURLCache::sharedCache()->hasDataForKey(key, 86399));
  model->reset();
  EXPECT_FALSE(model->isLoaded() || model->isOutdated());
}

TEST_F(URLRequestModelTest, ABodyCachedDaysAgoIsOutdatedAtOnce) {
  const std::string url = server.url("/img/sample/old.png");
  ULURLCache::sharedCache()->storeDataForURL("old bytes", url);
  MainLoop::advance(2 * 86400);
  auto model = std::make_shared<PictureModel>(url);
  model->load(ULURLRequestCachePolicyDefault, false);
  EXPECT_FALSE(model->isLoading());  // answered from the disk at once
  EXPECT_EQ(model->loadedTime()->secondsSince1970, MainLoop::now() - 2 * 86400);
  EXPECT_TRUE(model->isOutdated());
  EXPECT_TRUE(server.requests().empty());

  // Loading a further page leaves the time and key alone; erasing deletes the body.
  auto before = model->loadedTime();
  model->load(ULURLRequestCachePolicyDefault, true);
  EXPECT_EQ(model->loadedTime(), before);
  model->invalidate(true);
  EXPECT_FALSE(ULURLCache::sharedCache()->hasDataForURL(url));
}

TEST_F(URLRequestModelTest, FailuresCancelsAndGoingAwayAreTold) {
  auto watcher = std::make_shared<Watcher>();
  auto failing = std::make_shared<PictureModel>(server.url("/none.png"));
  failing->delegates().addObject(watcher);
  failing->load(ULURLRequestCachePolicyDefault, false);
  ASSERT_TRUE(MainLoop::runUntil([&] { return !failing->isLoading(); }));
  EXPECT_EQ(watcher->events, (Events{"start", "fail 404"}));
  EXPECT_FALSE(failing->isLoaded());

  auto slow = std::make_shared<PictureModel>(server.url("/img/sample/s.png?delay=300"));
  slow->delegates().addObject(watcher);
  slow->load(ULURLRequestCachePolicyDefault, false);
  EXPECT_EQ(slow->downloadProgress(), 0);
  slow->cancel();
  EXPECT_FALSE(slow->isLoading());
  EXPECT_EQ(watcher->events.back(), "cancel");

  // A model that goes away takes its transfers with it: the queue's slots come free.
  for (int i = 0; i < 5; ++i) {
    auto doomed = std::make_shared<PictureModel>(
        server.url("/img/sample/gone" + std::to_string(i) + ".png?delay=2000"));
    doomed->load(ULURLRequestCachePolicyDefault, false);
  }
  auto next = std::make_shared<PictureModel>(server.url("/img/sample/next.png"));
  next->load(ULURLRequestCachePolicyDefault, false);
  ASSERT_TRUE(MainLoop::runUntil([&] { return next->isLoaded(); }, 1.5));
}
