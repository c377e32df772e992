// The detail layout of a status item: the head and name with and without heads, the action
// bar and its third key by item, the whole text as a rich-text label, the middle-size picture
// and the quoted status; a render to look at.
#include <filesystem>
#include <fstream>

#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIScreenCapture.h"
#include "support/ui/GoldenImage.h"
#include "ui/feed/FeedTestSupport.h"
#include "ui/feed/UIZMLabel.h"

namespace {

using feedtest::FeedTest;

std::string rect(CGRect r) {
  char buf[80];
  snprintf(buf, sizeof buf, "(%g %g; %g %g)", r.origin.x, r.origin.y, r.size.width, r.size.height);
  return buf;
}

StatusPtr fixture() {
  auto s = feedtest::status(
      "[哈哈]新品发布会今天下午两点开始，直播地址 http://t.ziza.example/Rt3xP9 欢迎 @张三 一起围观",
      "育儿观察与行业动态一周汇总频道");
  s->likeCount = 12;
  auto quoted =
      feedtest::status("原文：展会现场的第一批照片 http://t.ziza.example/Ab12C", "展会直击");
  quoted->commentsCount = 4;
  quoted->retweetsCount = 9;
  s->retweetedStatus = quoted;
  return s;
}

class DetailLayoutTest : public FeedTest {};

TEST_F(DetailLayoutTest, HeadsOnPutTheHeadWhereTheNameStoodAndTheNameBesideIt) {
  auto s = fixture();
  auto view = build(s, 0);
  auto name = view->viewWithTag(UIHomeViewCell::kNameTag);
  ASSERT_TRUE(name);
  CGPoint old = name->frame().origin;
  view->reloadCell();
  ASSERT_TRUE(view->imgView());
  EXPECT_EQ(rect(view->imgView()->frame()), rect(CGRectMake(old.x, old.y, 50, 50)));
  EXPECT_EQ(name->frame().origin.x, 60);
  EXPECT_EQ(name->frame().origin.y, 12);
  EXPECT_LE(name->frame().size.width, 185);
  EXPECT_GT(name->frame().size.width, 100);
  CGFloat y = old.y + 50;
  EXPECT_EQ(rect(view->viewWithTag(UIHomeViewCell::kActionLineTag)->frame()),
            rect(CGRectMake(0, y, 290, 24)));
  std::vector<std::string> keys;
  for (auto& v : view->subviews())
    if (auto b = std::dynamic_pointer_cast<UIButton>(v))
      keys.push_back(std::to_string(b->tag()) + " " + rect(b->frame()));
  EXPECT_EQ(keys, (std::vector<std::string>{"1 " + rect(CGRectMake(121, y - 1, 44, 44)),
                                            "2 " + rect(CGRectMake(178, y - 1, 44, 44)),
                                            "91 " + rect(CGRectMake(235, y - 1, 44, 44))}));
  auto text = std::dynamic_pointer_cast<UIZMLabel>(view->viewWithTag(UIHomeViewCell::kTextTag));
  ASSERT_TRUE(text);
  EXPECT_TRUE(text->needHyperlink());
  EXPECT_EQ(text->frame().origin.y, y + 34 + 10);
  EXPECT_EQ(text->frame().size.width, 290);
  // The detail view finds the link before any frame is drawn.
  EXPECT_EQ(text->getHttpStr(1), std::optional<std::string>("http://t.ziza.example/Rt3xP9"));
  EXPECT_TRUE(
      std::dynamic_pointer_cast<UIZMLabel>(view->viewWithTag(UIHomeViewCell::kRepostTextTag)));
  EXPECT_FALSE(view->viewWithTag(UIHomeViewCell::kCommentCountTag));

  // A second run only moves what is there.
  size_t count = view->subviews().size();
  CGFloat height = view->frame().size.height;
  view->reloadCell();
  EXPECT_EQ(view->subviews().size(), count);
  EXPECT_EQ(view->frame().size.height, height);
}

TEST_F(DetailLayoutTest, HeadsOffPutTheNameAtTheLeftEdgeAndTheTextUnderTheBar) {
  NSGlobe::getEngine()->setShowUserHead(false);
  auto s = fixture();
  auto view = build(s, 0);
  view->reloadCell();
  auto name = view->viewWithTag(UIHomeViewCell::kNameTag);
  EXPECT_EQ(name->frame().origin.x, 0);
  EXPECT_EQ(name->frame().origin.y, 12);
  EXPECT_LE(name->frame().size.width, 245);
  EXPECT_GT(name->frame().size.width, 185);
  CGFloat y = name->frame().origin.y + name->frame().size.height;
  EXPECT_EQ(rect(view->viewWithTag(UIHomeViewCell::kActionLineTag)->frame()),
            rect(CGRectMake(0, y, 290, 24)));
}

TEST_F(DetailLayoutTest, TheThirdKeyDeletesMailsOrFavours) {
  struct Case {
    bool canDelete;
    int kind;
    bool favourite;
    long tag;
    const char* normal;
  } cases[] = {{true, 1, true, 93, "conDel"},      {false, 1, true, 94, "conMail"},
               {false, 5, false, 94, "conMail"},   {false, 7, false, 94, "conMail"},
               {false, 103, false, 94, "conMail"}, {false, 0, true, 92, "conFavS"},
               {false, 2, false, 91, "conFav"}};
  for (auto& c : cases) {
    auto s = fixture();
    s->favorited = c.favourite;
    auto view = build(s, c.kind);
    view->setCanDelete(c.canDelete);
    view->reloadCell();
    auto key = std::dynamic_pointer_cast<UIButton>(view->viewWithTag(c.tag));
    ASSERT_TRUE(key) << c.tag;
    EXPECT_EQ(key->frame().origin.x, 235);
    auto image = key->imageForState(UIControlStateNormal);
    ASSERT_TRUE(image) << c.normal;
    EXPECT_EQ(image->name(), c.normal);
  }
}

TEST_F(DetailLayoutTest, TheOpenedItemAsTheDetailViewShowsIt) {
  auto s = fixture();
  auto view = build(s, 0);
  view->reloadCell();
  window->rootViewController()->view()->setBackgroundColor(UIColor::whiteColor());
  window->rootViewController()->view()->addSubview(view);
  MainLoop::advance(0.5);
  window->compositeFrame();
  MainLoop::advance(0.5);
  std::string dump = view->dump();
  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "richtext";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "detail-layout.png").string(), &error))
      << error;
  std::ofstream(dir / "detail-layout.txt") << dump;
  EXPECT_NE(dump.find("MyLabel"), std::string::npos) << dump;
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "detail-layout"));
}

}  // namespace
