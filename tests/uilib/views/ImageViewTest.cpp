// Pictures from URLs: loading through the request queue from the local content server, the
// memory cache, the default picture, sizing to the picture, cancelling, and the switch between
// layer contents and style drawing.
#include <gtest/gtest.h>

#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"
#include "ViewsTestSupport.h"
#include "server/ContentServer.h"
#include "uilib/style/ULContentStyle.h"
#include "uilib/style/ULSolidFillStyle.h"

namespace {

// A plain picture of the size, in one colour.
std::shared_ptr<UIImage> picture(CGFloat w, CGFloat h, CGFloat red = 1) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), true, 1);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setRGBFillColor(red, 0, 0, 1);
  ctx->fillRect(CGRectMake(0, 0, w, h));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

// Records the hooks a subclass gets.
class HookedImageView : public ULImageView {
 public:
  using ULImageView::ULImageView;
  std::vector<std::string> hooks;
  void imageViewDidStartLoad() override { hooks.push_back("start"); }
  void imageViewDidLoadImage(const std::shared_ptr<UIImage>&) override { hooks.push_back("load"); }
  void imageViewDidFailLoadWithError(const NSErrorPtr& e) override {
    hooks.push_back(e ? "fail" : "fail without error");
  }
};

class ImageViewTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    server.start();
    events = std::make_shared<ImageEvents>();
  }
  std::shared_ptr<HookedImageView> make(CGRect frame) {
    auto v = std::make_shared<HookedImageView>(frame);
    v->setDelegate(events);
    return v;
  }
  size_t requests(const std::string& path) { return server.requests(path).size(); }

  zept::server::ContentServer server;
  std::shared_ptr<ImageEvents> events;
};

TEST_F(ImageViewTest, APictureLoadsOnceAndTheSamePathAgainStartsNothing) {
  auto view = make(CGRectMake(0, 0, 60, 60));
  std::string url = server.url("/img/sample/face.png");
  view->setUrlPath(url);
  EXPECT_TRUE(view->isLoading());
  ASSERT_TRUE(MainLoop::runUntil([&] { return view->isLoaded(); }));
  EXPECT_FALSE(view->isLoading());
  EXPECT_EQ(events->events, (std::vector<std::string>{"started", "loaded"}));
  EXPECT_EQ(view->hooks, (std::vector<std::string>{"start", "load"}));

  view->setUrlPath(url);
  MainLoop::pump();
  EXPECT_EQ(requests("/img/sample/face.png"), 1u);
  EXPECT_EQ(events->events.size(), 2u);

  // Another view of the same picture takes it from memory at once, and still hears it.
  auto other = make(CGRectMake(0, 0, 60, 60));
  other->setUrlPath(url);
  EXPECT_TRUE(other->isLoaded());
  EXPECT_EQ(other->image(), view->image());
  EXPECT_EQ(requests("/img/sample/face.png"), 1u);
  EXPECT_EQ(events->events.back(), "loaded");
}

TEST_F(ImageViewTest, TheDefaultPictureShowsMeanwhileAndIsNeverReportedAsLoaded) {
  auto view = make(CGRectMake(0, 0, 60, 60));
  auto fallback = picture(10, 10);
  view->setDefaultImage(fallback);
  EXPECT_EQ(view->image(), fallback);
  EXPECT_FALSE(view->isLoaded());
  EXPECT_TRUE(events->events.empty());

  view->setUrlPath(server.url("/img/sample/slow.png?delay=100"));
  EXPECT_EQ(view->image(), fallback);
  EXPECT_EQ(events->events, std::vector<std::string>{"started"});
  ASSERT_TRUE(MainLoop::runUntil([&] { return view->isLoaded(); }));

  // An empty path shows the default picture again, unreported.
  view->setUrlPath("");
  EXPECT_EQ(view->image(), fallback);
  EXPECT_EQ(events->events, (std::vector<std::string>{"started", "loaded"}));
}

TEST_F(ImageViewTest, ANewPathWhileLoadingCancelsTheOldLoadWithoutAnError) {
  auto view = make(CGRectMake(0, 0, 60, 60));
  view->setUrlPath(server.url("/img/sample/first.png?delay=300"));
  view->setUrlPath(server.url("/img/sample/second.png"));
  EXPECT_EQ(events->events,
            (std::vector<std::string>{"started", "failed without error", "started"}));
  ASSERT_TRUE(MainLoop::runUntil([&] { return view->isLoaded(); }));
  EXPECT_EQ(view->urlPath(), server.url("/img/sample/second.png"));

  // A failing load is reported with its error.
  view->setUrlPath(server.url("/img/sample/no/such.png"));
  ASSERT_TRUE(MainLoop::runUntil([&] { return !view->isLoading(); }));
  EXPECT_EQ(events->events.back(), "failed 404");
  EXPECT_EQ(view->hooks.back(), "fail");
}

TEST_F(ImageViewTest, TheFrameFollowsThePictureWhereItHasNoSizeOfItsOwn) {
  struct Case {
    CGRect frame;
    bool autoresizes;
    CGSize picture;
    CGSize expected;
  };
  const Case cases[] = {
      {CGRectMake(5, 5, 100, 0), false, {200, 50}, {100, 25}},
      {CGRectMake(5, 5, 0, 30), false, {200, 50}, {120, 30}},
      {CGRectMake(5, 5, 0, 0), false, {200, 50}, {200, 50}},
      {CGRectMake(5, 5, 40, 40), false, {200, 50}, {40, 40}},
      {CGRectMake(5, 5, 40, 40), true, {200, 50}, {200, 50}},
      // A picture with a side of 0 gives no proportions: the frame stays.
      {CGRectMake(5, 5, 100, 0), false, {0, 0}, {100, 0}},
      {CGRectMake(5, 5, 0, 30), false, {0, 0}, {0, 30}},
  };
  for (const auto& c : cases) {
    auto view = make(c.frame);
    view->setAutoresizesToImage(c.autoresizes);
    // A picture without pixels stands for one with a side of 0.
    auto image = c.picture.width > 0 && c.picture.height > 0
                     ? picture(c.picture.width, c.picture.height)
                     : std::make_shared<UIImage>(CGImageRef(), 1, UIImageOrientation::Up);
    view->setImage(image);
    EXPECT_TRUE(sameRect(view->frame(), CGRectMake(5, 5, c.expected.width, c.expected.height)))
        << c.frame.size.width << " x " << c.frame.size.height;
  }
}

TEST_F(ImageViewTest, WithoutAStyleTheLayerShowsThePictureAndAStyleDrawsItInstead) {
  auto window = showWindow();
  auto view = make(CGRectMake(10, 10, 40, 40));
  window->addSubview(view);
  view->setImage(picture(40, 40));
  auto layer = std::static_pointer_cast<ULImageLayer>(view->layer());
  EXPECT_EQ(layer->override(), view);
  FramePixels plain(window->compositeFrame());
  EXPECT_EQ(plain.at(30, 30), (Pixel{255, 0, 0, 255}));

  // A style that draws a frame and then the content: the picture clipped to the shape.
  view->setStyle(
      ULSolidFillStyle::styleWithColor(UIColor::greenColor(), ULContentStyle::styleWithNext()));
  EXPECT_EQ(layer->override(), nullptr);
  FramePixels styled(window->compositeFrame());
  EXPECT_EQ(styled.at(30, 30), (Pixel{255, 0, 0, 255}));

  // A style with no content part: the picture is drawn over what the chain drew.
  view->setStyle(ULSolidFillStyle::styleWithColor(UIColor::greenColor()));
  view->setImage(nullptr);
  view->setDefaultImage(picture(40, 40, 0));
  FramePixels fill(window->compositeFrame());
  EXPECT_EQ(fill.at(30, 30), (Pixel{0, 0, 0, 255}));

  view->setStyle(nullptr);
  EXPECT_EQ(layer->override(), view);
  view->unsetImage();
  EXPECT_FALSE(view->image());
}

}  // namespace
