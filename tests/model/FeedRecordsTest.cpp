// Feed and list records: defaults, relative times, pasteboard text and the small behaviours.
#include <gtest/gtest.h>

#include <memory>

#include "Foundation/Clock.h"
#include "model/Com_Ret_Count.h"
#include "model/Comment.h"
#include "model/DirectList.h"
#include "model/NSAttendList.h"
#include "model/NSFanKuiItem.h"
#include "model/NSIdollist.h"
#include "model/NSMessageInfo.h"
#include "model/NSReChannelItem.h"
#include "model/NSStatusesInfo.h"
#include "model/NSTopic.h"
#include "model/NSUserProfile.h"
#include "model/NSZiViLocation.h"
#include "model/RelativeTime.h"
#include "model/Status.h"
#include "model/StatusList.h"

namespace {

// 2013-12-07 10:00:00 in Asia/Shanghai.
constexpr int64_t kNoon = 1386381600;

class ClockedTest : public ::testing::Test {
 protected:
  void SetUp() override { setProcessClock(clock_); }
  void TearDown() override { setProcessClock(nullptr); }
  std::shared_ptr<VirtualClock> clock_ = std::make_shared<VirtualClock>(double(kNoon));
};

TEST(RelativeTime, Boundaries) {
  struct Case {
    int64_t elapsed;
    const char* text;
  } cases[] = {
      {0, "0秒前"},       {1, "1秒前"},
      {59, "59秒前"},     {60, "1分钟前"},
      {119, "1分钟前"},   {3599, "59分钟前"},
      {3600, "1小时前"},  {86399, "23小时前"},
      {86400, "12月6日"}, {86400 * 40, "10月28日"},
      {-5, "0秒前"},      {-100000, "0秒前"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(relativeTimeText(kNoon - c.elapsed, double(kNoon)), c.text) << c.elapsed;
}

TEST(RelativeTime, FractionOfSecondIsCutTowardZero) {
  EXPECT_EQ(relativeTimeText(kNoon, kNoon + 59.999), "59秒前");
  EXPECT_EQ(relativeTimeText(kNoon, kNoon + 60.2), "1分钟前");
  EXPECT_EQ(relativeTimeText(kNoon, kNoon - 0.5), "0秒前");
}

TEST(RelativeTime, DateUsesDeviceZoneWithoutPadding) {
  // 2013-01-01 07:30 in Shanghai is still 31 December in UTC.
  int64_t newYearMorning = 1356996600;
  EXPECT_EQ(relativeTimeText(newYearMorning, double(kNoon)), "1月1日");
  // The 64-bit time past 2038 still formats.
  int64_t far = 4102444800;  // 2100-01-01 08:00 Shanghai
  EXPECT_EQ(relativeTimeText(far, far + 86400.0 * 3), "1月1日");
}

TEST_F(ClockedTest, RecordsReadTheProcessClock) {
  Status s;
  s.createdAt = kNoon - 59;
  EXPECT_EQ(s.timestamp(), "59秒前");
  Comment c;
  c.createdAt = kNoon - 7200;
  EXPECT_EQ(c.timestamp(), "2小时前");
  NSFanKuiItem f;
  f.create_at = kNoon - 90;
  EXPECT_EQ(f.timestamp(), "1分钟前");
  s.createdAt = kNoon + 30;  // a server clock ahead of ours
  EXPECT_EQ(s.timestamp(), "0秒前");
  // The text follows the clock: no formatter caches an old "now".
  s.createdAt = kNoon - 59;
  clock_->advance(1);
  EXPECT_EQ(s.timestamp(), "1分钟前");
  clock_->advance(86400);
  EXPECT_EQ(s.timestamp(), "12月7日");
  EXPECT_EQ(f.timestamp(), "12月7日");
}

TEST(Status, PasteboardQuotesOnlyTheDirectRepost) {
  auto author = std::make_shared<User>();
  author->screenName = "行业观察";
  auto mid = std::make_shared<User>();
  mid->screenName = "中间人";
  auto origin = std::make_shared<User>();
  origin->screenName = "原作者";

  auto root = std::make_shared<Status>();
  root->text = "最初的消息";
  root->user = origin;
  auto middle = std::make_shared<Status>();
  middle->text = "转发理由//@原作者:最初的消息";
  middle->user = mid;
  middle->retweetedStatus = root;
  Status top;
  top.text = "值得一看";
  top.user = author;
  EXPECT_EQ(top.getPasteboardString(), "@行业观察:值得一看");
  top.retweetedStatus = middle;
  EXPECT_EQ(top.getPasteboardString(), "@行业观察:值得一看//@中间人:转发理由//@原作者:最初的消息");
}

TEST(Status, PasteboardWithoutAuthorsKeepsTheTexts) {
  Status s;
  s.text = "无作者";
  s.retweetedStatus = std::make_shared<Status>();
  s.retweetedStatus->text = "原文";
  EXPECT_EQ(s.getPasteboardString(), "@:无作者//@:原文");
}

TEST(Records, NewRecordsAreZero) {
  Status s;
  EXPECT_EQ(s.statusId, 0);
  EXPECT_EQ(s.createdAt, 0);
  EXPECT_TRUE(s.text.empty());
  EXPECT_FALSE(s.user);
  EXPECT_FALSE(s.retweetedStatus);
  EXPECT_FALSE(s.delected);
  EXPECT_EQ(s.thumbnailSize.width, 0);
  EXPECT_EQ(s.imageType, 0);
  User u;
  EXPECT_EQ(u.gender, 0);
  EXPECT_FALSE(u.lastStatus);
  NSStatusesInfo info;
  EXPECT_FALSE(info.statuses.has_value());
  EXPECT_TRUE(info.otherInfo.isNil());
  EXPECT_EQ(info.total_number, 0);
  Com_Ret_Count counts;
  EXPECT_EQ(counts.comNum + counts.retNum + counts.statusId, 0);
  NSMessageInfo m;
  EXPECT_EQ(m.photo, 0);
  NSUserProfile p;
  EXPECT_FALSE(p.enable);
  EXPECT_TRUE(p.profilelist.empty());
  NSZiViLocation loc;
  EXPECT_FALSE(loc.topic);
}

TEST(Records, ListRecordsStartWithEmptyInfo) {
  StatusList a;
  DirectList b;
  NSAttendList c;
  NSIdollist d;
  EXPECT_EQ(a.info.size(), 0u);
  EXPECT_EQ(b.info.size(), 0u);
  EXPECT_EQ(c.info.size(), 0u);
  EXPECT_EQ(d.info.size(), 0u);
  a.info.push_back(Value(1));
  EXPECT_EQ(a.info.size(), 1u);
}

TEST(Records, ReChannelIdNamesTheIcon) {
  NSReChannelItem item;
  EXPECT_EQ(item.channelid(), 0);
  EXPECT_EQ(item.imgName, "");
  item.setChannelid(1000);
  EXPECT_EQ(item.channelid(), 1000);
  EXPECT_EQ(item.imgName, "all");
  item.setChannelid(7);
  EXPECT_EQ(item.imgName, "iconID7");
  item.setChannelid(-3);
  EXPECT_EQ(item.imgName, "iconID-3");
}

TEST(Records, TopicCopyIsIndependent) {
  NSTopic t;
  t.name = "新能源";
  t.query = "说明";
  t.amount = 5000000000LL;
  t.readAmount = 7;
  t.delta = -2;
  t.topicId = 42;
  t.img = "http://img/t.png";
  t.c_intro = "介绍";
  auto copy = t.copy();
  t.name = "改名";
  EXPECT_EQ(copy->name, "新能源");
  EXPECT_EQ(copy->query, "说明");
  EXPECT_EQ(copy->amount, 5000000000LL);
  EXPECT_EQ(copy->readAmount, 7);
  EXPECT_EQ(copy->delta, -2);
  EXPECT_EQ(copy->topicId, 42);
  EXPECT_EQ(copy->img, "http://img/t.png");
  EXPECT_EQ(copy->c_intro, "介绍");
}

TEST(Records, OwnedChildrenGoWithTheirParent) {
  std::weak_ptr<User> author;
  std::weak_ptr<Status> repost;
  std::weak_ptr<Comment> answered;
  {
    auto s = std::make_shared<Status>();
    s->user = std::make_shared<User>();
    s->retweetedStatus = std::make_shared<Status>();
    author = s->user;
    repost = s->retweetedStatus;
    Comment c;
    c.replyComment = std::make_shared<Comment>();
    answered = c.replyComment;
  }
  EXPECT_TRUE(author.expired());
  EXPECT_TRUE(repost.expired());
  EXPECT_TRUE(answered.expired());
}

TEST(Records, StatusesInfoCarriesRecordsInValues) {
  // A page travels inside dynamic data (a parse result dictionary) and comes back out.
  auto info = std::make_shared<NSStatusesInfo>();
  info->total_number = 3;
  Value v(info);
  auto back = v.object<NSStatusesInfo>();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->total_number, 3);
}

}  // namespace
