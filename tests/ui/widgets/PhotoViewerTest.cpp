// The photo screen against the local content server on loopback, on the virtual clock: the
// download with its spinner, bar and counting percentage (a paced body released part by part),
// the fitted picture, the cache, GIFs by weight, taps and drags, failures, and saving to the
// album.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Common/Additions/UIImage+RawData.h"
#include "Foundation/NSBundle.h"
#include "QuartzCore/CALayer.h"
#include "SystemConfiguration/SCNetworkReachability.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIProgressView.h"
#include "UIKit/UISavedPhotosAlbum.h"
#include "WidgetTestSupport.h"
#include "core/NSConfig.h"
#include "core/UIFilePath.h"
#include "server/ContentServer.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"
#include "support/TestImages.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/UIGifView.h"
#include "ui/widgets/UIPhotoViewCtrl.h"

namespace fs = std::filesystem;
using zept::server::ContentServer;
using zept::server::EndpointScript;

namespace {

// A GIF of `frames` 20 x 20 frames, frame i a flat red of 20 × i, grown to `bytes` with a
// comment block (which decoders skip).
std::string gifOfSize(int frames, size_t bytes) {
  GIFSpec spec;
  spec.width = spec.height = 20;
  for (int i = 0; i < 16; ++i) spec.palette.push_back(uint32_t(20 * i) << 16);
  spec.loopCount = 0;
  for (int i = 0; i < frames; ++i) {
    GIFFrameSpec f;
    f.width = f.height = 20;
    f.indices.assign(400, uint8_t(i));
    spec.frames.push_back(f);
  }
  std::string gif = writeGIF(spec);
  gif.pop_back();  // the trailer
  std::string comment = "\x21\xFE";
  while (gif.size() + comment.size() + 258 < bytes) comment += '\xFF' + std::string(255, 'z');
  gif += comment + '\0' + ';';
  return gif;
}

int frameOf(const CGImageRef& image) {
  if (!image) return -1;
  auto raw = rawImageData(UIImage::imageWithCGImage(image));
  return raw && raw->size() >= 4 ? (uint8_t((*raw)[1]) + 10) / 20 : -1;
}

// A loopback port that refuses connections: bound once for its number, then closed.
int closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

std::string jpegOf(size_t w, size_t h) {
  std::string argb;
  for (size_t i = 0; i < w * h; ++i) argb += std::string("\xff\x30\x80\xc0", 4);
  return *UIImageJPEGRepresentation(imageWithRawImageData(argb, w, h), 0.9);
}

class PhotoViewerTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    widgettest::WindowTest::SetUp();
    stand = StandInRecorder::install();
    NSConfig::engine()->setSystemVersion(6.0f);
    server.start();
    online();
    UISavedPhotosAlbum::setWritable(true);
  }
  void TearDown() override {
    server.releaseSilent();
    SCNetworkReachabilitySetTestFlags(std::nullopt);
  }
  static void online() {
    SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable |
                                      kSCNetworkReachabilityFlagsIsDirect);
  }

  // Presented as the app does, animated; `settle` lets the presentation end.
  std::shared_ptr<UIPhotoViewCtrl> present(const std::string& url, bool settle = true) {
    auto ctrl = UIPhotoViewCtrl::initWithNibName("UIPhotoViewCtrl");
    ctrl->setFilePath(url);
    window->rootViewController()->presentModalViewController(ctrl, true);
    if (settle) MainLoop::advance(0.5);
    return ctrl;
  }
  // The bar's button of the tag on the presented screen.
  bool tapButton(long tag) {
    auto ctrl = window->rootViewController()->modalViewController();
    return ctrl && ScreenDriver::tap(ctrl->view()->viewWithTag(tag));
  }
  bool presented() { return window->rootViewController()->modalViewController() != nullptr; }
  // Puts the bytes where the picture of the URL is cached.
  static std::string cache(const std::string& url, const std::string& bytes) {
    auto path = UIFilePath::getImageWithPath(url);
    UIFilePath::makeSureFolderOf(*path);
    std::ofstream(*path, std::ios::binary) << bytes;
    return *path;
  }
  std::string gifURL(const std::string& name = "o_funding_day") {
    return server.url("/pic/bmiddle/" + name + ".gif");
  }

  std::shared_ptr<StandInRecorder> stand;
  ContentServer server;
};

}  // namespace

TEST_F(PhotoViewerTest, ADownloadShowsTheFurnitureAndCountsUpPartByPartThenThePictureFits) {
  server.script("/pic/bmiddle/o_funding_day.gif", EndpointScript::paced(5).forRequests(1));
  auto ctrl = present(gifURL());
  auto photo = ctrl->photoView();
  ASSERT_NE(photo, nullptr);
  ASSERT_TRUE(MainLoop::runUntil([&] { return photo->progressView()->progress() > 0.1f; }));
  EXPECT_EQ(photo->tag(), 41);
  EXPECT_EQ(photo->frame(), CGRectMake(0, 0, 320, 460));
  EXPECT_TRUE(photo->indicatorView()->isAnimating());
  EXPECT_EQ(photo->dump(),
            "UIPhotoView frame=(0 0; 320 460) tag=41\n"
            "  UIActivityIndicatorView frame=(80 190; 20 20) animating\n"
            "  UILabel frame=(105 180; 200 40)\n"
            "  UILabel frame=(150 220; 100 30) text=\"0.00％\"\n"
            // The platform's bar keeps its own height.
            "  UIProgressView frame=(80 250; 170 9) progress=0.2\n");
  EXPECT_TRUE(widgettest::sameColor(photo->progressView()->progressTintColor(), 68, 188, 240));
  EXPECT_EQ(photo->backgroundColor()->patternImage() != nullptr, true);

  // The first part: the text climbs 0.05 a tick to 20.00.
  std::vector<std::string> seen;
  for (int tick = 0; tick < 5; ++tick) {
    MainLoop::advance(0.1);
    seen.push_back(photo->progressLabel()->text());
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"5.00％", "10.00％", "15.00％", "20.00％", "20.00％"}));
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "photo_downloading"));

  // Each released part moves the bar at once and the text from where it stood.
  server.releaseSilent();
  ASSERT_TRUE(MainLoop::runUntil([&] { return photo->progressView()->progress() > 0.3f; }));
  EXPECT_EQ(photo->progressLabel()->text(), "20.00％");
  MainLoop::advance(0.1);
  EXPECT_EQ(photo->progressLabel()->text(), "25.00％");
  MainLoop::advance(0.1);
  EXPECT_EQ(photo->progressLabel()->text(), "30.00％");

  for (int part = 3; part <= 5; ++part) server.releaseSilent();
  ASSERT_TRUE(MainLoop::runUntil([&] { return photo->isImageOk(); }));
  // 440 x 330 fitted to 320 x 240, centred down; the furniture gone, the background clear.
  EXPECT_EQ(photo->img()->frame(), CGRectMake(0, 110, 320, 240));
  EXPECT_EQ(photo->contentSize(), CGSizeMake(320, 480));
  EXPECT_EQ(photo->progressLabel()->superview(), nullptr);
  EXPECT_EQ(photo->progressView()->superview(), nullptr);
  EXPECT_EQ(photo->textL()->superview(), nullptr);
  EXPECT_FALSE(photo->indicatorView()->isAnimating());
  EXPECT_EQ(photo->backgroundColor()->patternImage(), nullptr);
  // A GIF under 1 MB plays through the queue's image-view animation.
  MainLoop::pump();
  auto animated = std::dynamic_pointer_cast<UIImageView>(photo->img());
  ASSERT_NE(animated, nullptr);
  EXPECT_EQ(animated->animationImages().size(), 4u);
  EXPECT_TRUE(animated->isAnimating());

  // Closed and opened again: shown at once from the cache, without a request.
  ASSERT_TRUE(ScreenDriver::tap(photo->img()));
  MainLoop::advance(0.5);
  EXPECT_FALSE(presented());
  auto path = UIFilePath::getImageWithPath(gifURL());
  ASSERT_TRUE(path && path->find("Caches/img/ziza") != std::string::npos);
  EXPECT_TRUE(fs::exists(*path));
  auto before = server.requests("/pic/bmiddle/o_funding_day.gif").size();
  auto again = present(gifURL())->photoView();
  EXPECT_TRUE(again->isImageOk());
  EXPECT_EQ(again->indicatorView(), nullptr);
  EXPECT_EQ(again->img()->frame(), CGRectMake(0, 110, 320, 240));
  EXPECT_EQ(server.requests("/pic/bmiddle/o_funding_day.gif").size(), before);
}

TEST_F(PhotoViewerTest, TheFitRuleNarrowsWidePicturesAndCentresTheRest) {
  struct Case {
    CGSize picture;
    CGRect frame;
    CGSize content;
  };
  for (const Case& c : {
           Case{CGSizeMake(640, 480), CGRectMake(0, 110, 320, 240), CGSizeMake(320, 480)},
           Case{CGSizeMake(200, 100), CGRectMake(60, 180, 200, 100), CGSizeMake(320, 480)},
           // Taller than the screen once fitted: from the top, scrolling 20 points further.
           Case{CGSizeMake(640, 1200), CGRectMake(0, 0, 320, 600), CGSizeMake(320, 620)},
           Case{CGSizeMake(320, 470), CGRectMake(0, 0, 320, 470), CGSizeMake(320, 480)},
       }) {
    EXPECT_EQ(UIPhotoView::fitFrame(c.picture, 480), c.frame) << c.picture.width;
    EXPECT_EQ(UIPhotoView::fitContentSize(c.picture, 480), c.content) << c.picture.width;
  }
  // The same rule for a picture in hand.
  auto photo = UIPhotoView::initWithImage(UIImage::imageWithData(jpegOf(640, 480)));
  EXPECT_EQ(photo->img()->frame(), CGRectMake(0, 110, 320, 240));
  EXPECT_EQ(photo->contentSize(), CGSizeMake(320, 480));
  EXPECT_EQ(photo->maximumZoomScale(), 2.0);
  EXPECT_TRUE(photo->isImageOk());
}

TEST_F(PhotoViewerTest, AStillTapClosesTheScreenAndCancelsTheDownloadButADragDoesNot) {
  std::string url = server.url("/pic/large/o_tap.jpg");
  cache(url, jpegOf(200, 100));
  auto ctrl = present(url);
  auto photo = ctrl->photoView();
  ASSERT_TRUE(photo->isImageOk());
  EXPECT_EQ(photo->img()->frame(), CGRectMake(60, 180, 200, 100));
  ASSERT_TRUE(ScreenDriver::drag(photo->img(), CGPointMake(0, 60)));
  MainLoop::advance(0.5);
  EXPECT_TRUE(presented());
  ASSERT_TRUE(ScreenDriver::tap(photo->img()));
  MainLoop::advance(0.5);
  EXPECT_FALSE(presented());

  // A tap during a download cancels it: nothing is cached.
  std::string slow = gifURL("o_slow");
  server.script("/pic/bmiddle/o_slow.gif", EndpointScript::paced(4).forRequests(1));
  auto downloading = present(slow)->photoView();
  ASSERT_TRUE(MainLoop::runUntil([&] { return downloading->progressView()->progress() > 0.1f; }));
  ASSERT_NE(downloading->request(), nullptr);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 400)));
  EXPECT_EQ(downloading->request(), nullptr);
  MainLoop::advance(0.5);
  EXPECT_FALSE(presented());
  for (int i = 0; i < 4; ++i) server.releaseSilent();
  MainLoop::advance(0.5);
  EXPECT_FALSE(fs::exists(*UIFilePath::getImageWithPath(slow)));
}

TEST_F(PhotoViewerTest, AFailureOfflinePromptsTheNetworkErrorAndOnlineSaysSoThenTheScreenCloses) {
  struct Case {
    const char* name;
    bool offline;
    bool refused;
    EndpointScript reply;
    std::string label;
    std::string prompt;
  };
  for (const Case& c : {
           Case{"offline", true, true, EndpointScript(), "", "网络不可用，请检查网络设置"},
           Case{"online", false, true, EndpointScript(), UIPhotoView::kFailText, ""},
           // A finished download that is no picture, and a missing one: never cached.
           Case{"text", false, false, EndpointScript::replyWith("no picture", 200, "image/gif"),
                UIPhotoView::kFailText, ""},
           Case{"missing", false, false, EndpointScript::failWith(404, "gone"),
                UIPhotoView::kFailText, ""},
       }) {
    SCOPED_TRACE(c.name);
    std::string url = gifURL(std::string("o_fail_") + c.name);
    if (c.refused) {
      // Nothing listens there: the transfer fails at once.
      url = "http://127.0.0.1:" + std::to_string(closedPort()) + "/pic/bmiddle/o_fail.gif";
      if (c.offline) SCNetworkReachabilitySetTestFlags(SCNetworkReachabilityFlags(0));
    } else {
      server.script("/pic/bmiddle/o_fail_" + std::string(c.name) + ".gif",
                    EndpointScript(c.reply).forRequests(1));
    }
    // The clock stands still until the failure is in.
    auto photo = present(url, false)->photoView();
    ASSERT_TRUE(MainLoop::runUntil([&] { return !photo->indicatorView()->isAnimating(); }));
    MainLoop::pump();
    EXPECT_EQ(photo->textL()->text(), c.label);
    EXPECT_EQ(photo->textL()->superview() != nullptr, !c.offline);
    EXPECT_EQ(StandInRecorder::shownPrompt(), c.prompt);
    EXPECT_FALSE(photo->isImageOk());
    EXPECT_FALSE(fs::exists(*UIFilePath::getImageWithPath(url)));
    MainLoop::advance(0.9);
    EXPECT_TRUE(presented());
    MainLoop::advance(0.6);
    EXPECT_FALSE(presented());
    online();
    MainLoop::advance(2);
  }
}

TEST_F(PhotoViewerTest, GifsPlayByTheirWeight) {
  // Up to 1 MB: the queue's animation, 0.2 s a frame.
  std::string light = server.url("/pic/bmiddle/light.gif");
  cache(light, gifOfSize(10, 500 * 1024));
  auto photo = present(light)->photoView();
  MainLoop::pump();
  auto animated = std::dynamic_pointer_cast<UIImageView>(photo->img());
  ASSERT_NE(animated, nullptr);
  EXPECT_EQ(animated->animationImages().size(), 10u);
  EXPECT_DOUBLE_EQ(animated->animationDuration(), 2.0);
  EXPECT_EQ(photo->img()->frame(), CGRectMake(150, 220, 20, 20));
  ScreenDriver::tap(photo->img());
  MainLoop::advance(0.5);

  // Up to 4 MB: the view that decodes a frame every 0.05 s.
  std::string heavy = server.url("/pic/bmiddle/heavy.gif");
  cache(heavy, gifOfSize(3, 2 * 1024 * 1024));
  photo = present(heavy)->photoView();
  auto gif = std::dynamic_pointer_cast<UIGifView>(photo->img());
  ASSERT_NE(gif, nullptr);
  std::vector<int> frames;
  for (int tick = 0; tick < 4; ++tick) {
    frames.push_back(frameOf(gif->layer()->contents()));
    MainLoop::advance(0.05);
  }
  EXPECT_EQ(frames.size(), 4u);
  EXPECT_EQ((frames[1] - frames[0] + 3) % 3, 1);
  EXPECT_EQ((frames[2] - frames[1] + 3) % 3, 1);
  ScreenDriver::tap(photo->img());
  MainLoop::advance(0.5);

  // Over 4 MB: the first frame, still.
  std::string huge = server.url("/pic/bmiddle/huge.gif");
  cache(huge, gifOfSize(3, 5 * 1024 * 1024));
  photo = present(huge)->photoView();
  MainLoop::pump();
  auto still = std::dynamic_pointer_cast<UIImageView>(photo->img());
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(std::dynamic_pointer_cast<UIGifView>(photo->img()), nullptr);
  EXPECT_TRUE(still->animationImages().empty());
  EXPECT_EQ(frameOf(still->image()->CGImage()), 0);
}

TEST_F(PhotoViewerTest, SavingAlertsOnlyWhenTheAlbumTookThePicture) {
  std::string url = server.url("/pic/large/o_save.jpg");
  cache(url, jpegOf(200, 100));
  auto ctrl = present(url);
  ASSERT_TRUE(tapButton(UIPhotoViewCtrl::kSaveTag));
  ASSERT_EQ(UISavedPhotosAlbum::files().size(), 1u);
  auto saved = UIImage::imageWithContentsOfFile(UISavedPhotosAlbum::files()[0]);
  ASSERT_NE(saved, nullptr);
  EXPECT_EQ(saved->size(), CGSizeMake(200, 100));
  auto alerts = UIAlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->title(), "提示");
  EXPECT_EQ(alerts[0]->message(), "图片已保存到相册");
  EXPECT_EQ(alerts[0]->buttonTitleAtIndex(0), "确定");
  UIAlertView::removeAllVisibleAlerts();

  // An album that cannot be written: the save-failed prompt, no alert.
  UISavedPhotosAlbum::setWritable(false);
  ASSERT_TRUE(tapButton(UIPhotoViewCtrl::kSaveTag));
  EXPECT_EQ(StandInRecorder::shownPrompt(), UIPhotoViewCtrl::kSaveFailedText);
  EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
  EXPECT_EQ(UISavedPhotosAlbum::files().size(), 1u);
  UISavedPhotosAlbum::setWritable(true);
  MainLoop::advance(2);
  ASSERT_TRUE(tapButton(UIPhotoViewCtrl::kCloseTag));
  MainLoop::advance(2);
  EXPECT_FALSE(presented());

  // No picture yet: the same prompt.
  server.script("/pic/bmiddle/o_wait.gif", EndpointScript::paced(2).forRequests(1));
  present(gifURL("o_wait"));
  ASSERT_TRUE(tapButton(UIPhotoViewCtrl::kSaveTag));
  EXPECT_EQ(StandInRecorder::shownPrompt(), UIPhotoViewCtrl::kSaveFailedText);
  EXPECT_EQ(UISavedPhotosAlbum::files().size(), 1u);
}
