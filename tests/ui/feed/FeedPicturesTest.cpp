// The feed item view's pictures: cached thumbnails and their GIF badge, downloads restarted
// against a loopback server into the image cache, what a finished, failed or stopped download
// does, the medium-picture handler of the detail layouts, and the link and name tests.
#include <gtest/gtest.h>

#include "FeedTestSupport.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIImageView.h"
#include "net/http/HXHTTPRequest.h"
#include "support/TestHTTPServer.h"
#include "support/TestImages.h"
#include "ui/framework/UIButtonView.h"

namespace {

using feedtest::FeedTest;
using feedtest::inCache;
using feedtest::pngBytes;
using feedtest::putInCache;
using feedtest::status;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

std::string red() {
  return pngBytes(CGSizeMake(80, 40), UIColor::redColor());
}

class FeedPicturesTest : public FeedTest {
 protected:
  // A status whose thumbnail is the address, with its row built with downloads held back.
  std::shared_ptr<UIHomeViewCell> row(const std::string& address, long index = 3) {
    item = status("图片新闻");
    item->thumbnailPic = address;
    return build(item, 0, index, false);
  }
  StatusPtr item;
};

TEST_F(FeedPicturesTest, ACachedThumbnailIsShownFittedAndAGIFGetsItsBadge) {
  struct Case {
    std::string address;
    std::string bytes;
    int imageType;
  } cases[] = {
      {"http://img.example/a.GIF", red(), 1},                       // by the address, any case
      {"http://img.example/noext1", writeGIF(threeFrameGIF()), 1},  // by the file's first byte
      {"http://img.example/noext2", red(), 2},
  };
  for (const auto& c : cases) {
    putInCache(c.address, c.bytes);
    auto view = row(c.address);
    EXPECT_EQ(item->imageType, c.imageType) << c.address;
    auto button = std::dynamic_pointer_cast<UIButtonView>(view->viewWithTag(45));
    ASSERT_TRUE(button && button->image());
    EXPECT_NE(button->image()->name(), "loadImg.png");
    auto badge = view->viewWithTag(81);
    if (c.imageType == 1) {
      ASSERT_TRUE(badge) << c.address;
      EXPECT_EQ(badge->frame(), CGRectMake(20, 20, 30, 30));
      EXPECT_EQ(badge->superview(), button);
      EXPECT_EQ(std::dynamic_pointer_cast<UIImageView>(badge)->image()->name(), "gifIcon");
    } else {
      EXPECT_FALSE(badge) << c.address;
    }
  }
}

TEST_F(FeedPicturesTest, PicturesAreFittedInto50PointsKeepingTheirShape) {
  auto wide = UIImage::imageWithData(red());
  auto fitted = UIHomeViewCell::processImage(wide, 50, 50);
  CGSize expected = NSGlobe::getEngine()->isIphone4() ? CGSizeMake(100, 50) : CGSizeMake(50, 25);
  EXPECT_EQ(fitted->size(), expected);
  auto tall = UIImage::imageWithData(pngBytes(CGSizeMake(20, 200), UIColor::blueColor()));
  CGSize t = UIHomeViewCell::processImage(tall, 290, 100)->size();
  EXPECT_EQ(t.height, NSGlobe::getEngine()->isIphone4() ? 200 : 100);
}

TEST_F(FeedPicturesTest, ARestartFetchesAnUncachedThumbnailAndReportsTheRow) {
  TestHTTPServer server;
  TestHTTPReply reply;
  reply.contentType = "image/png";
  reply.body = red();
  server.on("/thumb/1", reply);
  std::string address = server.url("/thumb/1");
  auto view = row(address, 7);
  EXPECT_FALSE(view->picRequest());
  EXPECT_TRUE(delegate->calls.empty());

  view->reStartDownload();
  ASSERT_TRUE(view->picRequest());
  EXPECT_EQ(view->picRequest()->timeOutSeconds(), 60);
  EXPECT_TRUE(view->isStartDownload());
  ASSERT_TRUE(MainLoop::runUntil([&] { return !delegate->downloads.empty(); }));
  EXPECT_EQ(delegate->calls, std::vector<std::string>{"DownloadOver {0, 7}"});
  EXPECT_EQ(server.lastRequest().header("User-Agent"), "ZeptMobileAgent_iphone");
  EXPECT_TRUE(inCache(address));
  EXPECT_FALSE(view->picRequest());

  // The row built again finds it cached; a restart then starts nothing.
  auto rebuilt = row(address, 7);
  EXPECT_NE(std::dynamic_pointer_cast<UIButtonView>(rebuilt->viewWithTag(45))->image()->name(),
            "loadImg.png");
  rebuilt->reStartDownload();
  EXPECT_FALSE(rebuilt->picRequest());
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(FeedPicturesTest, ADownloadThatIsNoPictureKeepsThePlaceholderAndItsRequest) {
  TestHTTPServer server;
  server.on("/thumb/bad", TestHTTPReply::text("not a picture"));
  auto view = row(server.url("/thumb/bad"));
  view->reStartDownload();
  auto request = view->picRequest();
  ASSERT_TRUE(request);
  ASSERT_TRUE(MainLoop::runUntil([&] { return request->isFinished(); }));
  MainLoop::pump();
  EXPECT_TRUE(delegate->calls.empty());
  EXPECT_EQ(view->picRequest(), request);  // a rebuilt row tries again
  view->reStartDownload();                 // this one does not
  EXPECT_EQ(view->picRequest(), request);
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(FeedPicturesTest, AStoppedViewHearsNothingOfItsDownloads) {
  TestHTTPServer server;
  TestHTTPReply slow;
  slow.contentType = "image/png";
  slow.body = red();
  slow.delaySeconds = 0.3;
  server.on("/thumb/slow", slow);
  auto view = row(server.url("/thumb/slow"));
  view->reStartDownload();
  ASSERT_TRUE(view->picRequest());
  ASSERT_TRUE(server.waitForRequests(1));
  view->stopAllRequest();
  EXPECT_FALSE(view->picRequest());
  EXPECT_FALSE(view->weiboitem());
  EXPECT_FALSE(view->cellDelegate());
  MainLoop::runUntil([] { return false; }, 0.8);
  EXPECT_TRUE(delegate->calls.empty());
}

TEST_F(FeedPicturesTest, AFinishedMediumPictureClearsOnlyItsOwnField) {
  putInCache("http://img.example/m1.jpg", red());
  auto view = row("http://img.example/m1.jpg");
  auto make = [](const std::string& address) {
    auto r = HXHTTPRequest::requestWithURL(NSURL::URLWithString(address));
    r->setDownloadDestinationPath(*UIFilePath::getImageWithPath(address));
    return r;
  };
  auto own = make("http://img.example/m1.jpg");
  auto reposted = make("http://img.example/m2.jpg");
  view->setPicRequest(own);
  view->setRePicRequest(reposted);
  view->midpicFinish(own);
  EXPECT_EQ(delegate->calls, std::vector<std::string>{"refreshDetail"});
  EXPECT_FALSE(view->picRequest());
  EXPECT_EQ(view->rePicRequest(), reposted);
}

TEST(FeedLinkTest, LinksAndNamesEndAtTheFirstCharacterOutsideTheirSet) {
  struct Case {
    NSRange (*test)(std::string_view);
    const char* text;
    size_t location;
  } cases[] = {
      {UIHomeViewCell::isHttpString, "http://abcde z", 12},
      {UIHomeViewCell::isHttpString, "http://t.ziza.example/Mb7kQ2", 28},
      {UIHomeViewCell::isHttpString, "h", NSNotFound},
      {UIHomeViewCell::isHttpString, "http://a.b/c，好", 12},
      {UIHomeViewCell::isAtString, "abcd:", 4},
      {UIHomeViewCell::isAtString, "abcd", NSNotFound},
      {UIHomeViewCell::isAtString, ":abcd", NSNotFound},
      {UIHomeViewCell::isAtDrawString, "a育儿观察_x，好", 7},
      {UIHomeViewCell::isAtDrawString, "a育儿", NSNotFound},
      {UIHomeViewCell::isAtDrawString, "😀x", 1},  // a pair's second unit is outside
  };
  for (const auto& c : cases) EXPECT_EQ(c.test(c.text).location, c.location) << c.text;
}

TEST(FeedLinkTest, OnlyThePlatformsShortLinksCount) {
  EXPECT_TRUE(UIHomeViewCell::isShortLink("http://t.ziza.example/Mb7kQ2"));
  EXPECT_TRUE(UIHomeViewCell::isShortLink("http://t.ziza.example/abcde"));
  EXPECT_FALSE(UIHomeViewCell::isShortLink("http://t.ziza.example/abcd"));
  EXPECT_FALSE(UIHomeViewCell::isShortLink("http://t.ziza.example/abcdefghi"));
  EXPECT_FALSE(UIHomeViewCell::isShortLink("http://t.ziza.example/ab_cde"));
  EXPECT_FALSE(UIHomeViewCell::isShortLink("http://other.example/Mb7kQ2"));
  EXPECT_FALSE(UIHomeViewCell::isShortLink("https://t.ziza.example/Mb7kQ2"));
}

}  // namespace
