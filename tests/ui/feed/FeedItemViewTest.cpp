// The status item of the feed item view: its row height rule, its layout read from the view
// (head, time, like button, picture, mark, text, repost box), the 60-line cap shared by view
// and rule, and the taps that reach the screen.
#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UIButtonView.h"
#include "ui/widgets/MyLabel.h"

namespace {

using feedtest::FeedTest;
using feedtest::RecordingDelegate;
using feedtest::status;

std::string imageName(const std::shared_ptr<UIView>& view) {
  auto iv = std::dynamic_pointer_cast<UIImageView>(view);
  return iv && iv->image() ? iv->image()->name() : "";
}

std::string manyLines(int sentences) {
  std::string s;
  for (int i = 0; i < sentences; ++i) s += "第" + std::to_string(i) + "句行业观察。\n";
  return s;
}

TEST_F(FeedTest, TheRowAfterTwentyLoadedItemsLoadsMore) {
  auto s = status("hi");
  struct Case {
    long row;
    int num;
    bool ad;
    bool more;
  } cases[] = {
      {20, 20, false, true}, {21, 20, true, true},  {20, 20, true, false},
      {0, 0, false, false},  {40, 40, false, true}, {19, 19, false, false},
  };
  for (const auto& c : cases) {
    CGFloat h = UIHomeViewCell::getHeightForCellRowAtIndexPath(NSIndexPath{0, c.row}, s, c.num, 0,
                                                               delegate, true, c.ad);
    EXPECT_EQ(h == 40, c.more) << "row " << c.row << " num " << c.num << " ad " << c.ad;
  }
}

TEST_F(FeedTest, AnEmptyStatusIs50HighAndCountsAdd22OutsideKind51) {
  auto s = status("");
  EXPECT_EQ(rowHeight(s), 50);
  s->commentsCount = 3;
  EXPECT_EQ(rowHeight(s), 72);
  EXPECT_EQ(rowHeight(s, 51), 50);
}

TEST_F(FeedTest, WithHeadsShownTheKind1RowHasItsHeadAndEverythingMovesRight) {
  auto s = status("今天的行业新闻");
  s->createdAt = 1;
  auto view = build(s, 1);
  EXPECT_EQ(view->frame().origin, CGPointMake(15, 10));
  EXPECT_EQ(view->frame().size.width, 290);
  ASSERT_TRUE(view->imgView());
  EXPECT_EQ(view->imgView()->frame(), CGRectMake(0, 0, 35, 35));
  EXPECT_EQ(view->imgView()->layer()->cornerRadius(), 5);
  EXPECT_EQ(imageName(view->imgView()), "loading.png");  // no head address: the placeholder
  EXPECT_EQ(view->viewWithTag(44)->frame().origin.x, 45);
  EXPECT_EQ(view->viewWithTag(41)->frame().origin.x, 45);
  EXPECT_EQ(CGRectGetMaxX(view->viewWithTag(43)->frame()), 290);
  EXPECT_FALSE(view->viewWithTag(40));
}

TEST_F(FeedTest, OtherListsHaveTheLikeButtonRightOfTheTime) {
  auto s = status("今天的行业新闻");
  auto view = build(s, 0);
  EXPECT_FALSE(view->imgView());
  EXPECT_EQ(CGRectGetMaxX(view->viewWithTag(43)->frame()), 230);
  EXPECT_EQ(view->viewWithTag(40)->frame(), CGRectMake(238, 0, 52, 21));
  EXPECT_EQ(imageName(view->viewWithTag(40)), "goodButton");
  EXPECT_EQ(imageName(view->viewWithTag(39)), "goodIcon");
  EXPECT_EQ(view->viewWithTag(37)->frame(), CGRectMake(238, 0, 52, 40));
  auto count = std::dynamic_pointer_cast<UILabel>(view->viewWithTag(38));
  ASSERT_TRUE(count);
  EXPECT_EQ(count->text(), "0");

  s->haveLiked = true;
  s->likeCount = 7;
  auto liked = build(s, 0);
  EXPECT_EQ(imageName(liked->viewWithTag(39)), "goodAlreadyIcon");
  EXPECT_FALSE(liked->viewWithTag(37));
  EXPECT_EQ(std::dynamic_pointer_cast<UILabel>(liked->viewWithTag(38))->text(), "7");

  for (int kind : {1, 5, 7, 51, 103}) EXPECT_FALSE(build(s, kind)->viewWithTag(40)) << kind;
}

TEST_F(FeedTest, ATapOnTheLikeAreaSendsTheRowsIndexPath) {
  auto view = build(status("今天的行业新闻"), 0, 4);
  window->addSubview(view);
  MainLoop::advance(0.1);
  ASSERT_TRUE(ScreenDriver::tapTag(37));
  MainLoop::advance(0.5);
  EXPECT_EQ(delegate->calls, std::vector<std::string>{"goodAction {0, 4}"});
}

TEST_F(FeedTest, ATapOnTheNameShowsTheAuthorAndTouchesFadeTheRow) {
  auto view = build(status("今天的行业新闻"), 0);
  window->addSubview(view);
  MainLoop::advance(0.1);
  ASSERT_TRUE(ScreenDriver::tapTag(41));
  MainLoop::advance(0.5);
  EXPECT_EQ(delegate->calls, std::vector<std::string>{"showInfo"});
  EXPECT_EQ(view->alpha(), 1.0);
  view->touchesBegan({}, nullptr);
  EXPECT_DOUBLE_EQ(view->alpha(), 0.3);
  view->touchesCancelled({}, nullptr);
  EXPECT_EQ(view->alpha(), 1.0);
}

TEST_F(FeedTest, AThumbnailGoesLeftOfTheTextAndTheRowMeasuresItByTheThumbnailLabel) {
  auto s = status("今天的行业新闻");
  s->thumbnailPic = "http://img.example/t1.jpg";
  auto view = build(s, 0);
  auto button = view->viewWithTag(45);
  ASSERT_TRUE(button);
  EXPECT_EQ(button->frame(), CGRectMake(0, 30, 50, 50));
  EXPECT_EQ(button->layer()->borderWidth(), 1);
  EXPECT_EQ(imageName(button), "");  // a UIButtonView: its picture is the placeholder
  EXPECT_EQ(std::dynamic_pointer_cast<UIButtonView>(button)->image()->name(), "loadImg.png");
  auto text = std::dynamic_pointer_cast<UIDrawLabel>(view->viewWithTag(44));
  ASSERT_TRUE(text);
  EXPECT_EQ(text->drawType(), UIDrawLabel::kPictureLeft);
  EXPECT_EQ(text->frame(), CGRectMake(0, 30, 290, 57.5));
  EXPECT_EQ(view->frame().size.height, 30 + 57 + 25);
  EXPECT_EQ(rowHeight(s), 57.5 + 50);
  EXPECT_FALSE(view->picRequest());  // downloads held back
}

TEST_F(FeedTest, WithPicturesOffAThumbnailIsOnlyAMarkLeftOfTheTime) {
  NSGlobe::getEngine()->setShowStatusPicture(false);
  auto s = status("今天的行业新闻");
  s->thumbnailPic = "http://img.example/t1.jpg";
  auto view = build(s, 0);
  EXPECT_FALSE(view->viewWithTag(45));
  auto mark = view->viewWithTag(80);
  ASSERT_TRUE(mark);
  EXPECT_EQ(imageName(mark), "pic");
  CGRect time = view->viewWithTag(43)->frame();
  EXPECT_EQ(mark->frame(), CGRectMake(time.origin.x - 20, 5, 17, 12));
  EXPECT_EQ(view->viewWithTag(44)->frame().size.width, 290);
}

TEST_F(FeedTest, ATextOfMoreThan60LinesIsCutTo60InViewAndRuleAlike) {
  CGFloat line = NSGlobe::getEngine()->getLineHeight();
  ASSERT_GT(line, 0);
  auto s = status(manyLines(80));
  auto view = build(s, 0);
  EXPECT_EQ(view->viewWithTag(44)->frame().size.height, 60 * line);
  EXPECT_EQ(rowHeight(s), 60 * line + 50);

  // Beside a thumbnail the thumbnail label measures it whole.
  s->thumbnailPic = "http://img.example/t1.jpg";
  auto beside = build(s, 0);
  EXPECT_GT(beside->viewWithTag(44)->frame().size.height, 60 * line);
  EXPECT_EQ(rowHeight(s), beside->viewWithTag(44)->frame().size.height + 50);
}

TEST_F(FeedTest, TheRepostBoxStartsBelowTheTextWithItsAuthorAndText) {
  CGFloat line = NSGlobe::getEngine()->getLineHeight();
  auto s = status("转发一下");
  s->retweetedStatus = status("原文内容", "原作者");
  auto view = build(s, 0);
  CGFloat Y = std::trunc(view->viewWithTag(44)->frame().size.height + 30);
  EXPECT_EQ(view->viewWithTag(83)->frame().origin.y, Y);
  auto author = std::dynamic_pointer_cast<MyLabel>(view->viewWithTag(84));
  ASSERT_TRUE(author);
  EXPECT_EQ(author->text(), "@原作者");
  EXPECT_EQ(author->frame().origin.y, Y + 18);
  EXPECT_EQ(view->viewWithTag(85)->frame(), CGRectMake(20, Y + 38, 250, line));

  s->retweetedStatus->user->screenName.clear();
  auto anonymous = build(s, 0);
  EXPECT_FALSE(anonymous->viewWithTag(84));
  EXPECT_EQ(anonymous->viewWithTag(83)->frame().origin.y, Y + 1);
  EXPECT_EQ(anonymous->viewWithTag(85)->frame().origin.y, Y + 21);
}

TEST_F(FeedTest, ATapOnTheRepostAuthorOpensItThroughTheDelegate) {
  auto s = status("转发一下");
  s->retweetedStatus = status("原文内容", "原作者");
  auto view = build(s, 0);
  window->addSubview(view);
  MainLoop::advance(0.1);
  ASSERT_TRUE(ScreenDriver::tapTag(84));
  MainLoop::advance(0.5);
  EXPECT_EQ(delegate->calls, std::vector<std::string>{"openURL @原作者"});
}

TEST_F(FeedTest, CountsStandRightAlignedUnderTheText) {
  auto s = status("今天的行业新闻");
  s->commentsCount = 3;
  s->retweetsCount = 12;
  auto view = build(s, 0);
  auto comments = view->viewWithTag(78);
  auto retweets = view->viewWithTag(46);
  ASSERT_TRUE(comments && retweets);
  EXPECT_EQ(CGRectGetMaxX(comments->frame()), 290);
  EXPECT_EQ(std::dynamic_pointer_cast<UILabel>(retweets)->text(), "12");
  EXPECT_EQ(CGRectGetMaxX(retweets->frame()), 268 - comments->frame().size.width - 18);
  EXPECT_EQ(imageName(view->viewWithTag(79)), "comments.png");
  EXPECT_EQ(imageName(view->viewWithTag(47)), "retweet.png");
  EXPECT_FALSE(build(s, 51)->viewWithTag(78));

  s->commentsCount = 30;
  view->setWeiboitem(s);
  view->reFreshContentCount();
  EXPECT_EQ(std::dynamic_pointer_cast<UILabel>(view->viewWithTag(78))->text(), "30");
}

TEST_F(FeedTest, ThePictureAddressForTheViewerPrefersTheLargestAndAvoidsGIFs) {
  auto s = status("x");
  EXPECT_EQ(UIHomeViewCell::fullPictureAddress(s), std::nullopt);
  s->thumbnailPic = "http://img.example/t.jpg";
  EXPECT_EQ(UIHomeViewCell::fullPictureAddress(s), "http://img.example/t.jpg");
  s->originalPic = "http://img.example/o.gif";
  EXPECT_EQ(UIHomeViewCell::fullPictureAddress(s), "http://img.example/o.gif");
  s->bmiddlePic = "http://img.example/m.jpg";
  EXPECT_EQ(UIHomeViewCell::fullPictureAddress(s), "http://img.example/m.jpg");
}

TEST_F(FeedTest, ActionBarButtonsSendTheirCodes) {
  auto view = build(status("x"), 0);
  struct Case {
    long tag;
    int code;
  } cases[] = {{91, 4}, {92, 4}, {93, 6}, {94, 8}, {117, 9}, {95, 11}, {96, 11}, {120, 120}};
  for (const auto& c : cases) {
    auto button = std::make_shared<UIView>(CGRectZero);
    button->setTag(c.tag);
    view->btnAction(Value(std::static_pointer_cast<NSObject>(button)));
  }
  EXPECT_EQ(delegate->calls,
            (std::vector<std::string>{"lineAction 4", "lineAction 4", "lineAction 6",
                                      "lineAction 8", "lineAction 9", "lineAction 11",
                                      "lineAction 11", "lineAction 120"}));
}

// A text label that knows its links, as the rich-text labels do.
class LinkLabel : public UIDrawLabel, public UILinkTextSource {
 public:
  std::vector<std::string> links;
  std::optional<std::string> getHttpStr(int n) override {
    if (n < 0 || size_t(n) >= links.size()) return std::nullopt;
    return links[size_t(n)];
  }
};

TEST_F(FeedTest, OnlyThePlatformsShortLinksOfAnItemsTextAreGiven) {
  auto view = build(status("详见 http://t.ziza.example/Mb7kQ2"), 0);
  EXPECT_EQ(view->getHttpStr(false, 0), std::nullopt);  // the thumbnail label names no links
  auto own = std::make_shared<LinkLabel>();
  own->setTag(44);
  own->links = {"http://t.ziza.example/Mb7kQ2", "http://other.example/Mb7kQ2"};
  view->viewWithTag(44)->removeFromSuperview();
  view->addSubview(own);
  EXPECT_EQ(view->getHttpStr(false, 0), "http://t.ziza.example/Mb7kQ2");
  EXPECT_EQ(view->getHttpStr(false, 1), std::nullopt);
  EXPECT_EQ(view->getHttpStr(false, 2), std::nullopt);
  EXPECT_EQ(view->getHttpStr(true, 0), std::nullopt);  // no repost text
}

TEST_F(FeedTest, ACopyIsTheSameRowBuiltAgain) {
  auto s = status("今天的行业新闻");
  s->commentsCount = 2;
  auto view = build(s, 0, 6);
  view->setNeedSeminarBtn(2);
  auto copy = view->copyWithZone();
  EXPECT_NE(copy, view);
  EXPECT_EQ(copy->dump(), view->dump());
  EXPECT_EQ(copy->indexPath(), (NSIndexPath{0, 6}));
  EXPECT_EQ(copy->needSeminarBtn(), 2);
}

std::shared_ptr<UIHomeViewCell> video(const StatusPtr& s, std::shared_ptr<RecordingDelegate> d) {
  return UIHomeViewCell::initWithVideoItem(s, d, 1, NSIndexPath{0, 0}, false, true, false);
}

CGFloat videoHeight(const StatusPtr& s) {
  return UIHomeViewCell::getVideoHeightForCellRowAtIndexPath(NSIndexPath{0, 0}, s, 1, 1, {}, true,
                                                             false);
}

TEST_F(FeedTest, AVideoRowHasNoHeadTimeOrCountsAndAlwaysItsLikeButton) {
  auto s = status("视频：展会现场探访");
  s->createdAt = 1;
  auto plain = video(s, delegate);
  EXPECT_FALSE(plain->imgView());
  EXPECT_FALSE(plain->viewWithTag(43));
  EXPECT_TRUE(plain->viewWithTag(40));  // even in kind 1
  EXPECT_FALSE(plain->viewWithTag(131));
  EXPECT_EQ(plain->viewWithTag(44)->frame().size.width, 290);  // no picture: full width

  s->thumbnailPic = "http://img.example/v.jpg";
  auto pictured = video(s, delegate);
  auto button = pictured->viewWithTag(45);
  ASSERT_TRUE(button);
  EXPECT_EQ(button->frame(), CGRectMake(0, 30, 50, 50));
  EXPECT_EQ(button->layer()->borderWidth(), 2);
  EXPECT_FLOAT_EQ(button->layer()->shadowOpacity(), 0.2f);
  auto play = button->viewWithTag(131);
  ASSERT_TRUE(play);
  EXPECT_EQ(play->frame(), button->bounds());
  EXPECT_EQ(imageName(play), "videoPlay");
}

TEST_F(FeedTest, AVideoRowWithCountsIsNoTallerThanWithout) {
  auto s = status("视频：展会现场探访");
  CGFloat without = videoHeight(s);
  auto viewWithout = video(s, delegate)->frame().size.height;
  s->commentsCount = 9;
  s->retweetsCount = 4;
  EXPECT_EQ(videoHeight(s), without);
  auto view = video(s, delegate);
  EXPECT_EQ(view->frame().size.height, viewWithout);
  EXPECT_FALSE(view->viewWithTag(78));
  EXPECT_FALSE(view->viewWithTag(46));
  // The status row adds 22 for the same counts.
  EXPECT_EQ(rowHeight(s), without + 22);
}

}  // namespace
