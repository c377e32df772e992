// The comment items: the comment-list item with its bubble, the detail comment and repost rows
// under the detail view, and the framed form.  Fixed text metrics, so that frames read from
// the dumps can be checked by hand; every height rule is held against the view it sizes.
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIButton.h"
#include "core/UIBkImageView.h"
#include "model/Comment.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/FeedTestSupport.h"
#include "ui/feed/UIYMLabel.h"

namespace {

std::shared_ptr<User> user(std::string name, bool verified = false) {
  auto u = std::make_shared<User>();
  u->screenName = std::move(name);
  u->verified = verified;
  return u;
}

// A comment made three minutes ago.
CommentPtr comment(std::string text, std::string name = "阿明") {
  auto c = std::make_shared<Comment>();
  c->text = std::move(text);
  c->user = user(std::move(name));
  c->createdAt = int64_t(MainLoop::now()) - 180;
  c->status = feedtest::status("原微博");
  return c;
}

StatusPtr repost(std::string text) {
  auto s = feedtest::status(std::move(text), "小周");
  s->createdAt = int64_t(MainLoop::now()) - 180;
  return s;
}

class ReplyRecorder : public feedtest::RecordingDelegate {
 public:
  void replyComment(const std::shared_ptr<NSObject>& item) override { replied.push_back(item); }
  void showHead(const std::shared_ptr<User>& u) override {
    calls.push_back("showHead " + (u ? u->screenName : std::string("nil")));
  }
  bool respondsToSelector(std::string_view s) const override {
    return s == "replyComment:" || s == "showHead:" || RecordingDelegate::respondsToSelector(s);
  }
  std::vector<std::shared_ptr<NSObject>> replied;
};

class CommentItemTest : public feedtest::FeedTest {
 protected:
  void SetUp() override {
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    FeedTest::SetUp();
  }
  void TearDown() override {
    NSGlobe::getEngine()->setShowUserHead(true);
    NSGlobe::getEngine()->setThemeNum(1);
    FeedTest::TearDown();
    TextMeasurer::setCurrent(nullptr);
  }
  std::shared_ptr<UIYMLabel> textLabel(const std::shared_ptr<UIHomeViewCell>& view) {
    for (auto& v : view->subviews())
      if (auto l = std::dynamic_pointer_cast<UIYMLabel>(v)) return l;
    return nullptr;
  }
};

TEST_F(CommentItemTest, ADetailTimeShorterThanTwoCharactersLeavesTheBracketsEmpty) {
  struct Case {
    const char* time;
    const char* expected;
  } cases[] = {
      {"", "阿明: 好 ()"},
      {"x", "阿明: 好 ()"},
      {"刚", "阿明: 好 ()"},
      {"ab", "阿明: 好 (ab)"},
      {"3分钟前", "阿明: 好 (3分钟前)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(UIHomeViewCell::detailCommentText("阿明", "好", c.time), c.expected) << c.time;
}

TEST_F(CommentItemTest, AOneLineDetailCommentIsCentredInA65PointRowWithAReplyButton) {
  // Small font 15: lines of 18, CJK 15, Latin 7.5; the text is 135 wide, so y = (36 - 18) / 2.
  auto item = comment("好");
  auto view = UIHomeViewCell::initWithItem(item, 3, delegate);
  EXPECT_EQ(view->dump(),
            "UIHomeViewCell frame=(15 10; 290 37)\n"
            "  UIImageView frame=(5 0; 40 40) image=\"loading.png\"\n"
            "  UIButton frame=(260 8; 22 22)\n"
            "  UIYMLabel frame=(55 9; 135 28) text=\"阿明: 好 (3分钟前)\"\n");
  EXPECT_EQ(view->weiboitem(), item);
  EXPECT_EQ(view->timeTampe(), item->createdAt);
  EXPECT_EQ(UIHomeViewCell::getHeightWithComment(item, 3), 65);
}

TEST_F(CommentItemTest, DetailRowHeightsHoldTheirTextsForCommentsAndReposts) {
  const std::string texts[] = {
      "好",
      "这条消息说得很对，我们工厂上个月也遇到了同样的问题，希望行业协会尽快出台标准",
      "a very long english comment about supply chains, exports and the prices of steel this "
      "year, with http://t.ziza.example/abc in it",
      std::string(300, 'x'),
  };
  for (bool heads : {true, false}) {
    NSGlobe::getEngine()->setShowUserHead(heads);
    for (const auto& text : texts) {
      for (std::shared_ptr<NSObject> item :
           {std::shared_ptr<NSObject>(comment(text)), std::shared_ptr<NSObject>(repost(text))}) {
        SCOPED_TRACE(text + (heads ? " heads" : " no heads"));
        auto view = UIHomeViewCell::initWithItem(item, 0, delegate);
        CGFloat row = UIHomeViewCell::getHeightWithComment(item, 0);
        auto label = textLabel(view);
        ASSERT_TRUE(label);
        CGRect f = label->frame();
        CGFloat textBottom = 10 + f.origin.y + f.size.height - 10;
        EXPECT_LE(textBottom, row);
        if (f.origin.y == 0) {
          // Several lines: the row is the view with 10 above and 5 below.
          EXPECT_EQ(row, 10 + view->frame().size.height + 5);
        } else if (heads) {
          EXPECT_EQ(row, 65);
        }
        // A repost gives its text the reply button's 30 points.
        bool isComment = bool(std::dynamic_pointer_cast<Comment>(item));
        EXPECT_EQ(view->subviews().size(), size_t((heads ? 1 : 0) + (isComment ? 1 : 0) + 1));
      }
    }
  }
}

TEST_F(CommentItemTest, ARepostRowIsThirtyPointsWiderAndHasNoReplyButton) {
  std::string text(80, 'x');
  auto asComment = textLabel(UIHomeViewCell::initWithItem(comment(text), 0, delegate));
  auto asRepost = textLabel(UIHomeViewCell::initWithItem(repost(text), 0, delegate));
  // Character wrap at 205 (comment) and 235 (repost).
  EXPECT_LE(asComment->frame().size.width, 205);
  EXPECT_GT(asRepost->frame().size.width, 205);
  EXPECT_LE(asRepost->frame().size.width, 235);
  auto view = UIHomeViewCell::initWithItem(repost(text), 0, delegate);
  for (auto& v : view->subviews()) EXPECT_FALSE(std::dynamic_pointer_cast<UIButton>(v));
}

TEST_F(CommentItemTest, TheReplyButtonAndTheHeadReportToTheDelegate) {
  auto recorder = std::make_shared<ReplyRecorder>();
  auto item = comment("好");
  item->user->verified = true;
  auto view = UIHomeViewCell::initWithItem(item, 0, recorder);
  window->addSubview(view);
  auto badge = view->viewWithTag(UIHomeViewCell::kVerifiedTag);
  ASSERT_TRUE(badge);
  EXPECT_EQ(badge->frame(), CGRectMake(35, 30, 15, 15));

  std::shared_ptr<UIButton> reply;
  for (auto& v : view->subviews())
    if (auto b = std::dynamic_pointer_cast<UIButton>(v)) reply = b;
  ASSERT_TRUE(reply);
  ASSERT_TRUE(ScreenDriver::tap(reply));
  ASSERT_EQ(recorder->replied.size(), 1u);
  EXPECT_EQ(recorder->replied[0], item);

  ASSERT_TRUE(ScreenDriver::tap(view->imgView()));
  EXPECT_EQ(recorder->calls, std::vector<std::string>{"showHead 阿明"});
  view->removeFromSuperview();
}

TEST_F(CommentItemTest, ACommentListItemQuotesWhatItAnswersInABubble) {
  // Text font 18: lines of 22.  Each text takes one line.
  auto item = comment("评论");
  auto view = UIHomeViewCell::initWithItem(item, 0);
  EXPECT_EQ(view->dump(),
            "UIHomeViewCell frame=(5 0; 290 50)\n"
            "  UILabel frame=(50 5; 130 20) text=\"阿明\"\n"
            "  UILabel frame=(200 5; 100 20) text=\"3分钟前\"\n"
            "  UILabel frame=(50 30; 250 22) text=\"评论\"\n"
            "  UIImageView frame=(50 52; 250 42) image=\"pop.png\"\n"
            "  UILabel frame=(60 62; 235 22) text=\"回复我的微博：原微博\"\n"
            "  UIImageView frame=(10 10; 25 25) image=\"loading.png\"\n");
  // 22 + 22 + 60: the bubble ends at 94, ten points above the row's end.
  EXPECT_EQ(UIHomeViewCell::getHeightWithComment(item), 104);

  // An answer to a comment quotes that comment.
  item->replyComment = comment("原评论");
  auto answer = UIHomeViewCell::initWithItem(item, 0);
  EXPECT_NE(answer->dump().find("text=\"回复我的评论：原评论\""), std::string::npos);
}

TEST_F(CommentItemTest, CommentListHeightsEndTenPointsBelowTheBubble) {
  const std::string texts[] = {"评论", std::string(120, 'x'),
                               "长评论长评论长评论长评论长评论长评论长评论长评论长评论长评论"};
  for (bool heads : {true, false}) {
    NSGlobe::getEngine()->setShowUserHead(heads);
    for (const auto& text : texts) {
      SCOPED_TRACE(text);
      auto item = comment(text);
      item->status = feedtest::status(text + text);
      auto view = UIHomeViewCell::initWithItem(item, 0);
      auto bubble = view->subviews()[3];
      EXPECT_EQ(UIHomeViewCell::getHeightWithComment(item),
                bubble->frame().origin.y + bubble->frame().size.height + 10);
      auto card = UIHomeViewCell::initWithNewItem(item, 0);
      auto frame = card->subviews()[2];
      EXPECT_EQ(UIHomeViewCell::getHeightWithNewComment(item),
                frame->frame().origin.y + frame->frame().size.height + 10);
    }
  }
}

TEST_F(CommentItemTest, NightThemeRowsTakeTheSettingsColoursAndPictures) {
  NSGlobe::getEngine()->setThemeNum(2);
  auto row = UIHomeViewCell::initWithItem(comment("评论"), 0);
  EXPECT_NE(row->dump().find("image=\"pop_theme1.png\""), std::string::npos);
  auto label = std::dynamic_pointer_cast<UILabel>(row->subviews()[2]);
  ASSERT_TRUE(label);
  EXPECT_TRUE(label->textColor()->isEqual(*UIBkImageView::getFontColor()));
}

}  // namespace
