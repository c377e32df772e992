// The home grid's channel tile: the pictures it picks, its layout, the NEW mark, and the icon
// it downloads from the content server when the app has none.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "ViewsTestSupport.h"
#include "core/UIFilePath.h"
#include "server/ContentServer.h"
#include "support/TestImages.h"
#include "uilib/views/CustomerLauncherItem.h"
#include "uilib/views/ULLauncherButton.h"

namespace {

ChannelItemPtr channel(int type, std::string name) {
  auto c = std::make_shared<ChannelItem>();
  c->type = type;
  c->name = std::move(name);
  return c;
}

// A picture twice as wide as high, written where the tile looks for the channel's icon.
void storeWideIcon(int type) {
  GIFSpec spec;
  spec.width = 4;
  spec.height = 2;
  spec.palette = {0xff0000, 0x00ff00};
  GIFFrameSpec frame;
  frame.width = 4;
  frame.height = 2;
  frame.indices.assign(8, 1);
  spec.frames.push_back(frame);
  UIFilePath::getChannelFileDir(type);
  std::ofstream(UIFilePath::getNewChannelImageIcon(type), std::ios::binary) << writeGIF(spec);
}

std::shared_ptr<UIImageView> iconOf(const std::shared_ptr<ULLauncherButton>& button) {
  return std::dynamic_pointer_cast<UIImageView>(button->viewWithTag(ULLauncherButton::kIconTag));
}

std::vector<std::shared_ptr<UIView>> ofClass(const std::shared_ptr<UIView>& view,
                                             const std::string& name) {
  std::vector<std::shared_ptr<UIView>> out;
  for (auto& v : view->subviews())
    if (v->className() == name) out.push_back(v);
  return out;
}

class LauncherButtonTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    server.start();
  }
  std::shared_ptr<ULLauncherButton> tile(ChannelItemPtr c) {
    return ULLauncherButton::initWithItem(CustomerLauncherItem::initWithChannelItem(c, false));
  }
  zept::server::ContentServer server;
};

}  // namespace

TEST_F(LauncherButtonTest, ABundledChannelTileShowsItsBackgroundIconAndName) {
  auto c = channel(1, "要闻");
  c->backgroundImage = "channelRed.png";
  c->iconImage = "iconID1.png";
  auto button = tile(c);
  auto images = ofClass(button, "UIImageView");
  ASSERT_EQ(images.size(), 2u);
  EXPECT_TRUE(sameRect(images[0]->frame(), CGRectMake(10, 10, 100, 95)));
  EXPECT_EQ(std::static_pointer_cast<UIImageView>(images[0])->imageName(), "channelRed.png");
  auto icon = iconOf(button);
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->layer()->cornerRadius(), 5);
  EXPECT_TRUE(icon->clipsToBounds());
  auto labels = ofClass(button, "UILabel");
  ASSERT_EQ(labels.size(), 1u);
  auto name = std::static_pointer_cast<UILabel>(labels[0]);
  EXPECT_EQ(name->text(), "要闻");
  EXPECT_TRUE(sameRect(name->frame(), CGRectMake(10, 70, 100, 28)));
  EXPECT_EQ(name->numberOfLines(), 0);
  EXPECT_FALSE(button->closeButton());
}

TEST_F(LauncherButtonTest, TheIconIsPlacedByTheNameAndThePicturesShape) {
  // Without a name: the fixed frame.
  auto unnamed = tile(channel(1, ""));
  EXPECT_TRUE(sameRect(iconOf(unnamed)->frame(), CGRectMake(34, 32, 52, 45)));
  // A named channel with a picture twice as wide as high: 90 wide, centred in 120.
  storeWideIcon(150);
  auto named = tile(channel(150, "Wide"));
  EXPECT_TRUE(sameRect(iconOf(named)->frame(), CGRectMake(15, 22, 90, 45)));
  // No background anywhere: the purple one.
  EXPECT_EQ(std::static_pointer_cast<UIImageView>(ofClass(named, "UIImageView")[0])->imageName(),
            "channelPurple");
}

TEST_F(LauncherButtonTest, TheNewMarkShowsOnlyForAChannelWithNews) {
  auto c = channel(2, "微博墙");
  EXPECT_EQ(ofClass(tile(c), "UIImageView").size(), 2u);
  c->isShowNews = true;
  auto marked = ofClass(tile(c), "UIImageView");
  ASSERT_EQ(marked.size(), 3u);
  EXPECT_TRUE(sameRect(marked[2]->frame(), CGRectMake(73, 12, 35, 22)));
  EXPECT_EQ(std::static_pointer_cast<UIImageView>(marked[2])->imageName(), "ShowNEW");
}

TEST_F(LauncherButtonTest, AChannelWithoutAnIconDownloadsItFromTheContentServer) {
  auto c = channel(103, "经营管理");
  c->iconImage = server.url("/img/channel/103/icon@2x.png");
  std::string path = UIFilePath::getNewChannelImageIcon(103);
  ASSERT_FALSE(std::filesystem::exists(path));

  auto first = tile(c);
  auto second = tile(c);  // made before the first download finished: its own download
  EXPECT_EQ(iconOf(first)->imageName(), "iconDefault");
  ASSERT_TRUE(MainLoop::runUntil([&] {
    return iconOf(first)->imageName() != "iconDefault" &&
           iconOf(second)->imageName() != "iconDefault";
  }));
  EXPECT_EQ(server.requests("/img/channel/103/icon@2x.png").size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_GT(iconOf(first)->image()->size().width, 0);
  // Only the icon is left in the channel's folder: no half-written download beside it.
  size_t files = 0;
  for (auto& entry : std::filesystem::directory_iterator(UIFilePath::getChannelFileDir(103))) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1u);

  // The next tile of the channel reads the stored icon and downloads nothing.
  auto third = tile(c);
  EXPECT_NE(iconOf(third)->imageName(), "iconDefault");
  MainLoop::pump();
  EXPECT_EQ(server.requests("/img/channel/103/icon@2x.png").size(), 2u);
}

TEST_F(LauncherButtonTest, AFailedDownloadKeepsTheDefaultIconAndLeavesNoFile) {
  auto c = channel(104, "渠道零售");
  c->iconImage = server.url("/img/channel/104/nothing.png");
  auto button = tile(c);
  ASSERT_TRUE(
      MainLoop::runUntil([&] { return !server.requests("/img/channel/104/nothing.png").empty(); }));
  MainLoop::runUntil([] { return false; }, 0.3);
  EXPECT_EQ(iconOf(button)->imageName(), "iconDefault");
  EXPECT_FALSE(std::filesystem::exists(UIFilePath::getNewChannelImageIcon(104)));
  EXPECT_TRUE(std::filesystem::is_empty(UIFilePath::getChannelFileDir(104)));
}

TEST_F(LauncherButtonTest, ATileThatGoesAwayBeforeItsIconArrivesIsLeftAlone) {
  auto c = channel(105, "育儿科普");
  c->iconImage = server.url("/img/channel/105/icon@2x.png");
  tile(c).reset();
  MainLoop::runUntil([] { return false; }, 0.3);
  EXPECT_FALSE(std::filesystem::exists(UIFilePath::getNewChannelImageIcon(105)));
}

TEST_F(LauncherButtonTest, DraggingEnlargesTheButtonAndHidesItsHighlight) {
  auto button = ULLauncherButton::initWithItem(std::make_shared<ULLauncherItem>("", "", "1"));
  button->setHighlighted(true);
  button->setDragging(true);
  EXPECT_EQ(button->state() & UIControlStateHighlighted, 0u);
  EXPECT_NEAR(button->transform().a, 1.4, 1e-9);
  EXPECT_NEAR(button->alpha(), 0.7, 1e-9);
  button->setDragging(false);
  EXPECT_NE(button->state() & UIControlStateHighlighted, 0u);
  EXPECT_TRUE(CGAffineTransformIsIdentity(button->transform()));
  EXPECT_EQ(button->alpha(), 1);
}
