// The notification centre: matching by name and object, order, removal (also during a post),
// observers that have gone away.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"

namespace {

class Observer : public NSObject {
 public:
  Observer(std::string tag, std::vector<std::string>* log) : tag_(std::move(tag)), log_(log) {}
  void handle(const Value& arg) {
    auto n = arg.object<NSNotification>();
    log_->push_back(tag_ + ":" + (n ? n->name() : "?"));
    if (onCall) onCall(n);
  }
  Selector handler() { return selector(weakSelf<Observer>(), &Observer::handle, "handle:"); }
  std::function<void(const NSNotificationPtr&)> onCall;

 private:
  std::string tag_;
  std::vector<std::string>* log_;
};

class NotificationCenterTest : public ::testing::Test {
 protected:
  std::shared_ptr<Observer> make(std::string tag) { return std::make_shared<Observer>(tag, &log_); }
  // A private centre per test keeps registrations from leaking between tests.
  std::shared_ptr<NSNotificationCenter> center_ = std::make_shared<NSNotificationCenter>();
  std::vector<std::string> log_;
};

TEST_F(NotificationCenterTest, DeliversByNameAndObjectInRegistrationOrder) {
  auto poster = std::make_shared<NSObject>();
  auto other = std::make_shared<NSObject>();
  auto a = make("a"), b = make("b"), c = make("c"), d = make("d"), e = make("e");
  center_->addObserver(a, a->handler(), "n1");
  center_->addObserver(b, b->handler(), "", Value(poster));  // any name from poster
  center_->addObserver(c, c->handler(), "n1", Value(poster));
  center_->addObserver(d, d->handler(), "n2");
  center_->addObserver(e, e->handler(), "n1", Value("stamp"));  // a string poster, by value

  center_->postNotificationName("n1");
  EXPECT_EQ(log_, (std::vector<std::string>{"a:n1"}));
  log_.clear();
  center_->postNotificationName("n1", Value(poster));
  EXPECT_EQ(log_, (std::vector<std::string>{"a:n1", "b:n1", "c:n1"}));
  log_.clear();
  center_->postNotificationName("n1", Value(other));
  EXPECT_EQ(log_, (std::vector<std::string>{"a:n1"}));
  log_.clear();
  center_->postNotificationName("n1", Value(std::string("stamp")));
  EXPECT_EQ(log_, (std::vector<std::string>{"a:n1", "e:n1"}));
  log_.clear();
  center_->postNotificationName("nobody-listens");
  EXPECT_TRUE(log_.empty());
}

TEST_F(NotificationCenterTest, NotificationCarriesNameObjectAndUserInfo) {
  auto poster = std::make_shared<NSObject>();
  NSNotificationPtr got;
  auto token = center_->addObserverForName("n", {}, [&](const NSNotificationPtr& n) { got = n; });
  center_->postNotificationName("n", Value(poster), Value::dictionaryOf({{"k", Value(3)}}));
  ASSERT_TRUE(got);
  EXPECT_EQ(got->name(), "n");
  EXPECT_EQ(got->object().object(), poster);
  EXPECT_EQ(got->userInfo()["k"].intValue(), 3);

  // The centre keeps a block registration until its token is removed.
  got.reset();
  std::weak_ptr<NSObject> weakToken = token;
  token.reset();
  center_->postNotificationName("n");
  EXPECT_TRUE(got);
  got.reset();
  center_->removeObserver(weakToken);
  center_->postNotificationName("n");
  EXPECT_FALSE(got);
}

TEST_F(NotificationCenterTest, RemovalByNameAndObjectLeavesTheOtherRegistrations) {
  auto poster = std::make_shared<NSObject>();
  auto a = make("a");
  center_->addObserver(a, a->handler(), "n1");
  center_->addObserver(a, a->handler(), "n1", Value(poster));
  center_->addObserver(a, a->handler(), "n2");

  center_->removeObserver(a, "n1", Value(poster));
  center_->postNotificationName("n1", Value(poster));
  center_->postNotificationName("n2");
  EXPECT_EQ(log_, (std::vector<std::string>{"a:n1", "a:n2"}));

  log_.clear();
  center_->removeObserver(a, "n1");  // any object
  center_->postNotificationName("n1");
  center_->postNotificationName("n2");
  EXPECT_EQ(log_, (std::vector<std::string>{"a:n2"}));

  log_.clear();
  center_->removeObserver(a);
  center_->postNotificationName("n2");
  EXPECT_TRUE(log_.empty());
}

TEST_F(NotificationCenterTest, ObserverRemovedDuringAPostIsNotCalledAfterwards) {
  auto a = make("a"), b = make("b"), c = make("c");
  a->onCall = [&](const NSNotificationPtr&) {
    center_->removeObserver(b);
    // Added during the post: not part of it.
    center_->addObserver(c, c->handler(), "n");
  };
  center_->addObserver(a, a->handler(), "n");
  center_->addObserver(b, b->handler(), "n");
  center_->postNotificationName("n");
  EXPECT_EQ(log_, (std::vector<std::string>{"a:n"}));
}

TEST_F(NotificationCenterTest, DeadObserverIsSkippedAndAnObserverMayRemoveItselfOnDestruction) {
  auto a = make("a");
  auto b = make("b");
  center_->addObserver(a, a->handler(), "n");
  center_->addObserver(b, b->handler(), "n");
  std::weak_ptr<Observer> weakA = a;
  a.reset();
  EXPECT_TRUE(weakA.expired());
  center_->postNotificationName("n");
  EXPECT_EQ(log_, (std::vector<std::string>{"b:n"}));

  // A destructor can only offer its expired weak self: removal still finds the registrations.
  struct SelfRemoving : NSObject {
    std::shared_ptr<NSNotificationCenter> center;
    ~SelfRemoving() override { center->removeObserver(weak_from_this()); }
  };
  auto s = std::make_shared<SelfRemoving>();
  s->center = center_;
  int calls = 0;
  center_->addObserver(
      s, [&](const NSNotificationPtr&) { ++calls; }, "n");
  center_->postNotificationName("n");
  s.reset();
  center_->postNotificationName("n");
  EXPECT_EQ(calls, 1);
}

TEST_F(NotificationCenterTest, DeliveryRunsOnThePostingThread) {
  auto a = make("a");
  bool onMain = true;
  a->onCall = [&](const NSNotificationPtr&) { onMain = NSThread::isMainThread(); };
  center_->addObserver(a, a->handler(), "n");
  std::thread([&] { center_->postNotificationName("n"); }).join();
  EXPECT_FALSE(onMain);
  EXPECT_EQ(NSNotificationCenter::defaultCenter(), NSNotificationCenter::defaultCenter());
}

}  // namespace
