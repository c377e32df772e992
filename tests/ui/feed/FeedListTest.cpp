// The fixture list: every kind of status row in a table of the list screen's width, each row
// as high as its height rule says, written as PNG goldens (top and bottom of the list) and a
// view dump golden of all rows; and what a scroll redraws: only the rows that came into view
// or were marked changed draw again, the others show what they kept.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "FeedTestSupport.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "support/TestImages.h"
#include "support/ui/GoldenImage.h"

namespace {

using feedtest::FeedTest;
using feedtest::pngBytes;
using feedtest::putInCache;
using feedtest::status;

struct Fixture {
  std::string name;
  StatusPtr item;
  bool video = false;
  bool picturesOff = false;
};

class FixtureList : public UITableViewDataSource, public UITableViewDelegate {
 public:
  std::vector<Fixture> rows;
  std::weak_ptr<UIHomeViewCellDelegate> delegate;

  CGFloat height(long row) {
    const auto& f = rows[size_t(row)];
    Mode mode(f.picturesOff);
    NSIndexPath p{0, row};
    return f.video ? UIHomeViewCell::getVideoHeightForCellRowAtIndexPath(
                         p, f.item, int(rows.size()), 0, delegate, true, false)
                   : UIHomeViewCell::getHeightForCellRowAtIndexPath(p, f.item, int(rows.size()), 0,
                                                                    delegate, true, false);
  }
  std::shared_ptr<UIHomeViewCell> build(long row) {
    const auto& f = rows[size_t(row)];
    Mode mode(f.picturesOff);
    NSIndexPath p{0, row};
    return f.video ? UIHomeViewCell::initWithVideoItem(f.item, delegate, 0, p, false, true, false)
                   : UIHomeViewCell::initWithItem(f.item, delegate, 0, p, false, true, false);
  }

  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override {
    return long(rows.size());
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& table, const NSIndexPath& indexPath) override {
    auto cell = table->dequeueReusableCellWithIdentifier("feed");
    if (!cell) cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "feed");
    for (auto& v : std::vector(cell->contentView()->subviews())) v->removeFromSuperview();
    cell->contentView()->addSubview(build(indexPath.row));
    return cell;
  }
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                           const NSIndexPath& indexPath) override {
    return height(indexPath.row);
  }

 private:
  // Picture mode switched off for one row, as a list built in that mode would have it.
  struct Mode {
    explicit Mode(bool off) : was(NSGlobe::getEngine()->showStatusPicture()) {
      if (off) NSGlobe::getEngine()->setShowStatusPicture(false);
    }
    ~Mode() { NSGlobe::getEngine()->setShowStatusPicture(was); }
    bool was;
  };
};

class FeedListTest : public FeedTest {
 protected:
  void SetUp() override {
    FeedTest::SetUp();
    list = std::make_shared<FixtureList>();
    list->delegate = delegate;
    long now = long(MainLoop::now());
    auto at = [&](StatusPtr s, int minutes) {
      s->createdAt = now - 60 * minutes;
      return s;
    };
    putInCache("http://img.example/blue.jpg", pngBytes(CGSizeMake(120, 90), UIColor::blueColor()));
    putInCache("http://img.example/green.jpg",
               pngBytes(CGSizeMake(60, 120), UIColor::greenColor()));
    putInCache("http://img.example/anim.gif", writeGIF(threeFrameGIF()));

    auto plain =
        at(status("【母婴行业年中盘点】上半年行业整体增速放缓至8%左右，但细分品类分化明显。"), 5);
    auto thumb =
        at(status("纸尿裤品牌完成新一轮融资，资金将用于智能工厂建设和线下渠道拓展。深度解读",
                  "母婴周刊"),
           12);
    thumb->thumbnailPic = "http://img.example/blue.jpg";
    thumb->commentsCount = 3;
    thumb->retweetsCount = 12;
    auto off = at(status("图片模式关闭时，缩略图只留下时间左边的小标记。", "读图"), 20);
    off->thumbnailPic = "http://img.example/blue.jpg";
    auto repost = at(status("值得一看", "行业观察"), 31);
    repost->retweetedStatus = status("孕婴童展报名启动，预计展览面积达8万平方米。", "展会快讯");
    repost->retweetedStatus->commentsCount = 5;
    repost->retweetedStatus->retweetsCount = 2;
    auto anonymous = at(status("转发：原作者已不可见"), 45);
    anonymous->retweetedStatus = status("辅食、洗护和智能育儿产品增速均超过20%。", "");
    anonymous->retweetedStatus->thumbnailPic = "http://img.example/green.jpg";
    auto liked = at(status("这条已经赞过了。", "点赞者"), 50);
    liked->haveLiked = true;
    liked->likeCount = 12;
    auto verified = at(status("认证账号发布的行业消息。", "认证媒体"), 58);
    verified->user->verified = true;
    auto video = at(status("视频：展会现场探访", "视频频道"), 90);
    video->thumbnailPic = "http://img.example/green.jpg";
    video->commentsCount = 4;
    auto gif = at(status("动图缩略图带有标记。", "动图"), 120);
    gif->thumbnailPic = "http://img.example/anim.gif";
    list->rows = {{"plain", plain},
                  {"thumbnail", thumb},
                  {"pictures off", off, false, true},
                  {"repost", repost},
                  {"repost without author", anonymous},
                  {"liked", liked},
                  {"verified", verified},
                  {"video", video, true},
                  {"gif thumbnail", gif}};

    table = std::make_shared<UITableView>(CGRectMake(0, 20, 320, 460));
    table->setDataSource(list);
    table->setDelegate(list);
    window->addSubview(table);
    table->reloadData();
    MainLoop::advance(0.1);
  }

  std::map<long, std::shared_ptr<UIHomeViewCell>> visibleRows() {
    std::map<long, std::shared_ptr<UIHomeViewCell>> out;
    for (const auto& cell : table->visibleCells()) {
      auto& views = cell->contentView()->subviews();
      if (views.empty()) continue;
      auto row = std::dynamic_pointer_cast<UIHomeViewCell>(views.front());
      if (row) out[row->indexPath().row] = row;
    }
    return out;
  }

  std::shared_ptr<FixtureList> list;
  std::shared_ptr<UITableView> table;
};

// The text golden beside the PNGs: rewritten with ZEPT_UPDATE_GOLDENS=1.
::testing::AssertionResult matchesTextGolden(const std::string& text, const std::string& name) {
  std::string path = std::string(ZEPT_GOLDEN_DIR) + "/" + name + ".txt";
  if (std::getenv("ZEPT_UPDATE_GOLDENS")) {
    std::ofstream(path) << text;
    return ::testing::AssertionSuccess();
  }
  std::ifstream in(path);
  std::stringstream golden;
  golden << in.rdbuf();
  if (golden.str() == text) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << path << " differs; now:\n" << text;
}

TEST_F(FeedListTest, EveryRowIsAsHighAsItsRuleWithItsItemViewAt15And10) {
  auto rows = visibleRows();
  ASSERT_GE(rows.size(), 3u);
  for (const auto& cell : table->visibleCells()) {
    auto row = std::dynamic_pointer_cast<UIHomeViewCell>(cell->contentView()->subviews().front());
    EXPECT_EQ(cell->frame().size.height, list->height(row->indexPath().row))
        << list->rows[size_t(row->indexPath().row)].name;
    EXPECT_EQ(row->frame().origin, CGPointMake(15, 10));
    EXPECT_EQ(row->frame().size.width, 290);
  }
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "fixture_list_top"));
  table->setContentOffset(
      CGPointMake(0, table->contentSize().height - table->bounds().size.height));
  MainLoop::advance(0.1);
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "fixture_list_bottom"));
}

TEST_F(FeedListTest, TheFixtureRowsDumpTheirParts) {
  std::string dump;
  for (long r = 0; r < long(list->rows.size()); ++r) {
    auto view = list->build(r);
    dump += "# " + list->rows[size_t(r)].name + ": row height " +
            std::to_string(int(list->height(r) * 10)) + "/10\n" + view->dump();
    if (list->rows[size_t(r)].name == "gif thumbnail") {
      auto badge = view->viewWithTag(81);
      ASSERT_TRUE(badge);
      EXPECT_EQ(badge->frame(), CGRectMake(20, 20, 30, 30));
    }
    if (list->rows[size_t(r)].video) {
      auto play = view->viewWithTag(131);
      ASSERT_TRUE(play);
      EXPECT_EQ(play->superview(), view->viewWithTag(45));
      EXPECT_EQ(play->autoresizingMask(), 63u);
    }
  }
  EXPECT_TRUE(matchesTextGolden(dump, "fixture_rows"));
}

TEST_F(FeedListTest, AScrollRedrawsOnlyTheRowsThatCameIntoViewOrWereMarkedChanged) {
  window->compositeFrame();
  auto before = visibleRows();
  std::map<const UIView*, CGImageRef> kept;
  for (const auto& [row, view] : before)
    for (long tag : {44L, 85L})
      if (auto label = view->viewWithTag(tag)) kept[label.get()] = label->layer()->contents();
  ASSERT_FALSE(kept.empty());
  const long marked = before.begin()->first + 1;
  ASSERT_TRUE(before.count(marked));
  before[marked]->reDrawUIZMLabel();

  table->setContentOffset(CGPointMake(0, 100));
  window->compositeFrame();
  auto after = visibleRows();
  size_t redrawn = 0, reused = 0;
  for (const auto& [row, view] : after) {
    for (long tag : {44L, 85L}) {
      auto label = view->viewWithTag(tag);
      if (!label) continue;
      auto it = kept.find(label.get());
      bool cameIntoView = it == kept.end();
      if (cameIntoView || row == marked) {
        EXPECT_TRUE(cameIntoView || label->layer()->contents() != it->second) << "row " << row;
        ++redrawn;
      } else {
        EXPECT_EQ(label->layer()->contents(), it->second) << "row " << row << " drew again";
        ++reused;
      }
    }
  }
  EXPECT_GT(redrawn, 0u);
  EXPECT_GT(reused, 0u);
}

}  // namespace
