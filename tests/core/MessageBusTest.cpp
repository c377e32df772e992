// The message bus: bus posts deliver on the main thread and have finished when they return;
// the message and usage-event posters build the messages observers read.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "support/MainLoop.h"

namespace {

// A bus observer that keeps what it received.
class Receiver : public NSObject {
 public:
  struct Got {
    std::string name;
    Value object;
    Value userInfo;
    std::shared_ptr<NSMsgSend> msg;
    bool onMain = false;
  };
  void receive(const Value& arg) {
    auto n = arg.object<NSNotification>();
    got.push_back({n->name(), n->object(), n->userInfo(), NSMsgSend::fromNotification(arg),
                   NSThread::isMainThread()});
  }
  void listen(std::string_view name) {
    addObserverWithSelector(self<NSObject>(),
                            selector(weakSelf<Receiver>(), &Receiver::receive, "receive:"), name);
  }
  ~Receiver() override { removeObserver(weak_from_this()); }
  std::vector<Got> got;
};

// A sender with a reply action, as screens have.
class Screen : public NSObject {
 public:
  void reply(const Value& text) { replies.emplace_back(text.string()); }
  Selector replyAction() { return selector(weakSelf<Screen>(), &Screen::reply, "reply:"); }
  std::vector<std::string> replies;
};

class MessageBusTest : public ::testing::Test {
 protected:
  void SetUp() override { MainLoop::install(); }
};

TEST_F(MessageBusTest, PostFromTheMainThreadRunsEveryObserverBeforeReturning) {
  auto r1 = std::make_shared<Receiver>();
  auto r2 = std::make_shared<Receiver>();
  r1->listen(kGlobeRequest);
  r2->listen(kGlobeRequest);
  auto msg = std::make_shared<NSMsgSend>();
  msg->type = toInt(RequestType::ChannelStatuses);
  postNotificationObject(kGlobeRequest, msg);
  ASSERT_EQ(r1->got.size(), 1u);
  ASSERT_EQ(r2->got.size(), 1u);
  EXPECT_EQ(r1->got[0].msg, msg);
  EXPECT_TRUE(r1->got[0].object.isNil());
  EXPECT_TRUE(r1->got[0].onMain);
}

TEST_F(MessageBusTest, PostFromAWorkerRunsOnTheMainThreadAndHasFinishedWhenItReturns) {
  auto r = std::make_shared<Receiver>();
  r->listen(kLogAction);
  std::atomic<bool> returned{false};
  size_t deliveredWhenReturned = 0;
  auto worker = NSThread::detachNewThread([&] {
    recordeUserInfo(Value("x"), 37);
    deliveredWhenReturned = r->got.size();
    returned = true;
  });
  ASSERT_TRUE(MainLoop::runUntil([&] { return returned.load(); }));
  worker->waitUntilFinished();
  EXPECT_EQ(deliveredWhenReturned, 1u);
  ASSERT_EQ(r->got.size(), 1u);
  EXPECT_TRUE(r->got[0].onMain);
}

TEST_F(MessageBusTest, WorkerPostWaitsWhileTheMainThreadRunsAPrivateMode) {
  auto r = std::make_shared<Receiver>();
  r->listen(kGlobeRequest);
  std::atomic<bool> returned{false};
  auto worker = NSThread::detachNewThread([&] {
    postNotification(kGlobeRequest, Value(), RequestType::UpdatePoll);
    returned = true;
  });
  // A synchronous request holds the main thread in its own mode: the post stays queued.
  auto keepAlive = NSRunLoop::mainRunLoop()->addKeepAliveSource("HXHTTPRequestRunLoopMode");
  MainLoop::runUntil([] { return false; }, 0.05, "HXHTTPRequestRunLoopMode");
  EXPECT_TRUE(r->got.empty());
  EXPECT_FALSE(returned);
  keepAlive->invalidate();
  ASSERT_TRUE(MainLoop::runUntil([&] { return returned.load(); }));
  worker->waitUntilFinished();
  ASSERT_EQ(r->got.size(), 1u);
  EXPECT_EQ(r->got[0].msg->requestType(), RequestType::UpdatePoll);
}

TEST_F(MessageBusTest, UsageEventCarriesTheCodeAndTheObject) {
  auto r = std::make_shared<Receiver>();
  r->listen(kLogAction);
  recordeUserInfo(Value("x"), 37);
  recordeUserInfo(Value(), 901);
  ASSERT_EQ(r->got.size(), 2u);

  auto first = r->got[0].msg;
  ASSERT_TRUE(first);
  EXPECT_EQ(r->got[0].name, "log_action");
  EXPECT_EQ(first->type, 37);
  ASSERT_TRUE(first->data.isArray());
  EXPECT_EQ(first->data, Value::arrayOf({Value(37), Value("x")}));
  EXPECT_TRUE(first->data[0].isNumber());

  auto second = r->got[1].msg;
  EXPECT_EQ(second->type, 901);
  EXPECT_EQ(second->data, Value::arrayOf({Value(901)}));
  EXPECT_EQ(second->data.count(), 1u);
}

TEST_F(MessageBusTest, MessagePostersFillTypeDataSenderAndAction) {
  auto r = std::make_shared<Receiver>();
  r->listen(kGlobeRequest);
  auto screen = std::make_shared<Screen>();

  postNotification(kGlobeRequest, Value(), RequestType::Cancel);
  auto data = Value::arrayOf({Value("12"), Value("1"), Value("0"), Value("0")});
  postNotification(kGlobeRequest, data, RequestType::ChannelStatuses, screen->replyAction(),
                   screen);
  ASSERT_EQ(r->got.size(), 2u);

  auto cancel = r->got[0].msg;
  EXPECT_EQ(cancel->requestType(), RequestType::Cancel);
  EXPECT_TRUE(cancel->data.isNil());
  EXPECT_FALSE(cancel->action);
  EXPECT_FALSE(cancel->sender.lock());
  EXPECT_EQ(cancel->subType, 0);

  auto request = r->got[1].msg;
  EXPECT_EQ(request->requestType(), RequestType::ChannelStatuses);
  EXPECT_EQ(request->data, data);
  EXPECT_EQ(request->sender.lock(), screen);
  EXPECT_EQ(request->action.name(), "reply:");
  request->action(Value("{\"ResultBoolean\":\"YES\"}"));
  EXPECT_EQ(screen->replies, std::vector<std::string>{"{\"ResultBoolean\":\"YES\"}"});

  // The message does not keep its sender: a gone screen gets no reply.
  screen.reset();
  EXPECT_FALSE(request->sender.lock());
  EXPECT_FALSE(request->action(Value("late")));
}

TEST_F(MessageBusTest, IntegerPairPostCarriesBothIntegersAndTheRequester) {
  auto r = std::make_shared<Receiver>();
  r->listen(kChannelHasNew);
  auto requester = std::make_shared<NSObject>();
  std::atomic<bool> returned{false};
  auto worker = NSThread::detachNewThread([&] {
    PostNotificationWithOCMsgExtend(kChannelHasNew, {7, 9}, Value(requester));
    returned = true;
  });
  ASSERT_TRUE(MainLoop::runUntil([&] { return returned.load(); }));
  worker->waitUntilFinished();
  PostNotificationWithOCMsg(kChannelHasNew, {1, 2});
  ASSERT_EQ(r->got.size(), 2u);
  EXPECT_TRUE(r->got[0].onMain);
  EXPECT_EQ(r->got[0].object.object(), requester);
  EXPECT_EQ(r->got[0].userInfo["Noti_lParam"], Value(9));
  EXPECT_EQ(r->got[0].userInfo["Noti_wParam"], Value(7));
  EXPECT_FALSE(r->got[0].msg);  // no message in this form
  EXPECT_TRUE(r->got[1].object.isNil());
  EXPECT_EQ(r->got[1].userInfo["Noti_lParam"], Value(2));
}

TEST_F(MessageBusTest, ObserverRegistrationsCanBeNarrowedAndRemoved) {
  auto r = std::make_shared<Receiver>();
  auto stamp = Value("20130101");
  addObserverWithSelector(r, selector(r->weakSelf<Receiver>(), &Receiver::receive, "receive:"),
                          kSeminarHasUpdated, stamp);
  r->listen(kBindAccountOk);
  r->listen(kApplicationDelegate);

  postNotification(kSeminarHasUpdated, Value("other"));
  postNotification(kSeminarHasUpdated, stamp);
  postNotification(kChannelRefresh);  // nobody listens
  ASSERT_EQ(r->got.size(), 1u);
  EXPECT_EQ(r->got[0].object, stamp);

  removeObserverWithName(r, kSeminarHasUpdated, stamp);
  removeObserverWithName(r, kApplicationDelegate);
  postNotification(kSeminarHasUpdated, stamp);
  postNotification(kApplicationDelegate);
  postNotification(kBindAccountOk);
  ASSERT_EQ(r->got.size(), 2u);
  EXPECT_EQ(r->got[1].name, "bind_account_ok");

  removeObserver(r);
  postNotification(kBindAccountOk);
  EXPECT_EQ(r->got.size(), 2u);
}

TEST_F(MessageBusTest, AReceiverThatHasGoneIsSkipped) {
  auto r = std::make_shared<Receiver>();
  r->listen(kLoginClientCallBack);
  std::weak_ptr<Receiver> weak = r;
  r.reset();  // its destructor removed it; a dead registration would be skipped anyway
  EXPECT_TRUE(weak.expired());
  postNotification(kLoginClientCallBack);
}

}  // namespace
