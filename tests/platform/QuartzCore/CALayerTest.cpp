// Layers: geometry, the sublayer tree, implicit and explicit animations on the virtual clock,
// transactions, drawing passes, and what renderInContext puts on the pixels.
#include <gtest/gtest.h>

#include <array>

#include "CoreGraphics/CGBitmapContext.h"
#include "QuartzCore/CAGradientLayer.h"
#include "QuartzCore/CALayer.h"
#include "support/MainLoop.h"

namespace {

using Pixel = std::array<int, 4>;

class CALayerTest : public ::testing::Test {
 protected:
  void SetUp() override { MainLoop::install(); }
};

// A flipped RGBA context (the platform's own kind) of w × h points at scale 1.
std::shared_ptr<CGBitmapContext> canvas(size_t w, size_t h) {
  auto c = CGBitmapContext::create(nullptr, w, h, 8, 0, CGColorSpace::createDeviceRGB(),
                                   kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
  c->setBaseCTM(CGAffineTransformMake(1, 0, 0, -1, 0, CGFloat(h)));
  return c;
}

Pixel at(const std::shared_ptr<CGBitmapContext>& c, size_t x, size_t y) {
  const uint8_t* p = static_cast<const uint8_t*>(c->data()) + y * c->bytesPerRow() + x * 4;
  return {p[0], p[1], p[2], p[3]};
}

CGColorRef rgb(double r, double g, double b, double a = 1) {
  return CGColor::createGenericRGB(r, g, b, a);
}

const Pixel kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kClear{0, 0, 0, 0};

TEST_F(CALayerTest, TheFrameFollowsPositionBoundsAnchorAndTransform) {
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  auto l = CALayer::layer();
  l->setFrame(CGRectMake(10, 20, 100, 50));
  EXPECT_EQ(l->position(), CGPointMake(60, 45));
  EXPECT_EQ(l->bounds(), CGRectMake(0, 0, 100, 50));
  l->setAnchorPoint(CGPointMake(0, 0));
  EXPECT_EQ(l->frame(), CGRectMake(60, 45, 100, 50));
  l->setFrame(CGRectMake(0, 0, 20, 10));
  EXPECT_EQ(l->position(), CGPointMake(0, 0));
  l->setAnchorPoint(CGPointMake(0.5, 0.5));
  l->setAffineTransform(CGAffineTransformMakeScale(2, 2));
  EXPECT_EQ(l->frame(), CGRectMake(-20, -10, 40, 20));
  l->setFrame(CGRectMake(0, 0, 40, 20));  // scaled: the bounds stay 20 × 10
  EXPECT_EQ(l->bounds().size, CGSizeMake(20, 10));
  EXPECT_EQ(l->position(), CGPointMake(20, 10));
  // The arrow's half turn about z.
  l->setTransform(CATransform3DMakeRotation(M_PI, 0, 0, 1));
  EXPECT_NEAR(l->frame().size.width, 20, 1e-9);
  EXPECT_NEAR(l->affineTransform().a, -1, 1e-12);
  CATransaction::commit();
}

TEST_F(CALayerTest, SublayersKeepTheOrderTheyAreInsertedIn) {
  auto root = CALayer::layer(), a = CALayer::layer(), b = CALayer::layer(), c = CALayer::layer();
  root->addSublayer(a);
  root->addSublayer(b);
  root->insertSublayer(c, 0);
  EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{c, a, b}));
  root->insertSublayerAbove(c, b);
  EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{a, b, c}));
  root->insertSublayerBelow(c, a);
  EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{c, a, b}));
  root->insertSublayer(a, 99);
  EXPECT_EQ(root->sublayers().back(), a);
  auto d = CALayer::layer();
  root->replaceSublayer(b, d);
  EXPECT_EQ(root->sublayers(), (std::vector<std::shared_ptr<CALayer>>{c, d, a}));
  EXPECT_EQ(b->superlayer(), nullptr);
  a->addSublayer(root);  // below itself: refused
  EXPECT_EQ(root->superlayer(), nullptr);
  c->removeFromSuperlayer();
  EXPECT_EQ(root->sublayers().size(), 2u);
  // Moving a layer takes it from its old superlayer.
  d->addSublayer(a);
  EXPECT_EQ(root->sublayers().size(), 1u);
  EXPECT_EQ(a->superlayer(), d);
}

struct StopLog : CAAnimationDelegate {
  std::vector<std::string> events;
  void animationDidStart(const std::shared_ptr<CAAnimation>&) override {
    events.push_back("start");
  }
  void animationDidStop(const std::shared_ptr<CAAnimation>& a, bool finished) override {
    auto basic = std::dynamic_pointer_cast<CABasicAnimation>(a);
    double to = basic && std::holds_alternative<double>(basic->toValue())
                    ? std::get<double>(basic->toValue())
                    : 0;
    events.push_back(std::string(finished ? "stop " : "cut ") + std::to_string(int(to)));
  }
};

TEST_F(CALayerTest, ASpinUnderTheSameKeyReplacesTheTurnBeforeAndEndsOnTheClock) {
  auto layer = CALayer::layer();
  auto log = std::make_shared<StopLog>();
  double t0 = MainLoop::now();
  auto spin = CABasicAnimation::animationWithKeyPath("transform.rotation");
  spin->setToValue(2 * M_PI);
  spin->setDuration(0.8);
  spin->setDelegate(log);
  layer->addAnimation(spin, "spinAnimation");
  auto added = std::dynamic_pointer_cast<CABasicAnimation>(layer->animationForKey("spinAnimation"));
  ASSERT_NE(added, nullptr);
  EXPECT_NE(added, spin);  // a copy
  EXPECT_EQ(added->keyPath(), "transform.rotation");
  EXPECT_DOUBLE_EQ(std::get<double>(added->toValue()), 2 * M_PI);
  EXPECT_DOUBLE_EQ(added->duration(), 0.8);
  EXPECT_DOUBLE_EQ(added->beginTime(), t0);

  MainLoop::advance(0.5);
  auto again = CABasicAnimation::animationWithKeyPath("transform.rotation");
  again->setToValue(4.0);
  again->setDuration(0.8);
  again->setDelegate(log);
  layer->addAnimation(again, "spinAnimation");
  EXPECT_EQ(layer->animationKeys(), std::vector<std::string>{"spinAnimation"});
  MainLoop::advance(0.79);
  EXPECT_NE(layer->animationForKey("spinAnimation"), nullptr);
  MainLoop::advance(0.02);
  EXPECT_EQ(layer->animationForKey("spinAnimation"), nullptr);
  EXPECT_EQ(log->events, (std::vector<std::string>{"start", "cut 6", "start", "stop 4"}));

  // Repeats lengthen it; for ever never ends.
  auto forever = CABasicAnimation::animationWithKeyPath("opacity");
  forever->setDuration(0.1);
  forever->setRepeatCount(HUGE_VALF);
  layer->addAnimation(forever, "pulse");
  MainLoop::advance(100);
  EXPECT_NE(layer->animationForKey("pulse"), nullptr);
  layer->removeAllAnimations();
  EXPECT_TRUE(layer->animationKeys().empty());
}

struct Owner : CALayerDelegate {
  int draws = 0;
  bool paint = true;
  std::optional<std::shared_ptr<CAAnimation>> actionForLayer(CALayer&, std::string_view) override {
    return std::shared_ptr<CAAnimation>();
  }
  void drawLayerInContext(CALayer& layer, const CGContextRef& ctx) override {
    ++draws;
    if (!paint) return;
    ctx->setFillColorWithColor(rgb(0, 0, 1));
    ctx->fillRect(layer.bounds());
  }
};

TEST_F(CALayerTest, StandAloneLayersAnimateChangesImplicitlyUnlessToldNot) {
  auto layer = CALayer::layer();
  layer->setOpacity(0.5);
  auto fade = std::dynamic_pointer_cast<CABasicAnimation>(layer->animationForKey("opacity"));
  ASSERT_NE(fade, nullptr);
  EXPECT_DOUBLE_EQ(fade->duration(), 0.25);
  EXPECT_DOUBLE_EQ(std::get<double>(fade->fromValue()), 1);
  EXPECT_DOUBLE_EQ(std::get<double>(fade->toValue()), 0.5);
  EXPECT_FLOAT_EQ(layer->opacity(), 0.5);  // the model value at once

  // The arrow turning in a transaction of 0.18 s.
  CATransaction::begin();
  CATransaction::setAnimationDuration(0.18);
  layer->setTransform(CATransform3DMakeRotation(M_PI, 0, 0, 1));
  CATransaction::commit();
  EXPECT_DOUBLE_EQ(layer->animationForKey("transform")->duration(), 0.18);
  MainLoop::advance(0.26);
  EXPECT_EQ(layer->animationForKey("transform"), nullptr);
  EXPECT_EQ(layer->animationForKey("opacity"), nullptr);

  // Hidden without animation.
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  layer->setHidden(true);
  CATransaction::commit();
  EXPECT_TRUE(layer->animationKeys().empty());

  // The layer a view owns moves only inside the view's animations.
  Owner owner;
  auto owned = CALayer::layer();
  owned->setOwner(&owner);
  owned->setPosition(CGPointMake(5, 5));
  EXPECT_TRUE(owned->animationKeys().empty());
  owned->setOwner(nullptr);
}

TEST_F(CALayerTest, ATransactionsCompletionWaitsForItsAnimations) {
  auto layer = CALayer::layer();
  bool done = false;
  CATransaction::begin();
  CATransaction::setAnimationDuration(0.3);
  CATransaction::setCompletionBlock([&] { done = true; });
  layer->setPosition(CGPointMake(10, 0));
  CATransaction::commit();
  MainLoop::advance(0.29);
  EXPECT_FALSE(done);
  MainLoop::advance(0.02);
  EXPECT_TRUE(done);

  bool empty = false;
  CATransaction::begin();
  CATransaction::setCompletionBlock([&] { empty = true; });
  CATransaction::commit();
  EXPECT_FALSE(empty);
  MainLoop::pump();
  EXPECT_TRUE(empty);
}

TEST_F(CALayerTest, ALayerDrawsOnItsNextDisplayAndKeepsItUntilToldAgain) {
  Owner owner;
  auto layer = CALayer::layer();
  layer->setOwner(&owner);
  layer->setBounds(CGRectMake(0, 0, 4, 4));
  layer->setPosition(CGPointMake(2, 2));
  layer->setNeedsDisplayOnBoundsChange(true);
  layer->setNeedsDisplay();
  auto c = canvas(4, 4);
  layer->renderInContext(c);
  layer->renderInContext(c);
  EXPECT_EQ(owner.draws, 1);
  EXPECT_EQ(at(c, 3, 3), kBlue);
  ASSERT_NE(layer->contents(), nullptr);
  layer->setBounds(CGRectMake(0, 0, 2, 2));  // a size change draws again
  layer->renderInContext(canvas(4, 4));
  EXPECT_EQ(owner.draws, 2);
  owner.paint = false;
  layer->setNeedsDisplay();
  layer->renderInContext(canvas(4, 4));
  EXPECT_EQ(layer->contents(), nullptr);  // nothing painted: no drawn contents
  layer->setOwner(nullptr);
}

TEST_F(CALayerTest, RenderingDrawsBackgroundCornersBorderAndMaskedSublayers) {
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  auto box = CALayer::layer();
  box->setFrame(CGRectMake(0, 0, 20, 20));
  box->setBackgroundColor(rgb(1, 0, 0));
  box->setCornerRadius(6);
  box->setBorderWidth(2);
  box->setBorderColor(rgb(0, 1, 0));
  auto inner = CALayer::layer();
  inner->setFrame(CGRectMake(10, 10, 20, 20));  // overhangs the box
  inner->setBackgroundColor(rgb(0, 0, 1));
  box->addSublayer(inner);
  auto hidden = CALayer::layer();
  hidden->setFrame(CGRectMake(0, 0, 5, 5));
  hidden->setBackgroundColor(rgb(1, 1, 1));
  hidden->setHidden(true);
  box->addSublayer(hidden);
  CATransaction::commit();

  auto c = canvas(30, 30);
  box->renderInContext(c);
  EXPECT_EQ(at(c, 0, 0), kClear);    // the rounded corner
  EXPECT_EQ(at(c, 10, 0), kGreen);   // the border, on top
  EXPECT_EQ(at(c, 5, 5), kRed);      // the background (the hidden layer is not drawn)
  EXPECT_EQ(at(c, 15, 15), kBlue);   // the sublayer
  EXPECT_EQ(at(c, 25, 25), kBlue);   // overhanging: drawn without masking
  EXPECT_EQ(at(c, 19, 12), kGreen);  // the border is above the sublayer

  box->setMasksToBounds(true);
  auto masked = canvas(30, 30);
  box->renderInContext(masked);
  EXPECT_EQ(at(masked, 25, 25), kClear);
  EXPECT_EQ(at(masked, 15, 15), kBlue);

  // Half opacity applies to the layer and its sublayers as one.
  box->setOpacity(0.5);
  box->setBorderWidth(0);
  box->setMasksToBounds(false);
  auto faded = canvas(30, 30);
  box->renderInContext(faded);
  EXPECT_EQ(at(faded, 15, 15), (Pixel{0, 0, 128, 128}));
}

TEST_F(CALayerTest, AShadowFollowsTheDrawnShapeWithItsOffset) {
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  auto box = CALayer::layer();
  box->setFrame(CGRectMake(5, 5, 10, 10));
  box->setBackgroundColor(rgb(1, 1, 1));
  box->setShadowOpacity(1);
  box->setShadowRadius(0);
  box->setShadowOffset(CGSizeMake(4, 4));
  CATransaction::commit();
  auto c = canvas(30, 30);
  box->renderInContext(c);
  EXPECT_EQ(at(c, 17, 17), (Pixel{0, 0, 0, 255}));  // below-right, black
  EXPECT_EQ(at(c, 10, 10), (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(at(c, 3, 3), kClear);
}

// A 4 × 2 picture: left half red, right half green.
CGImageRef halves() {
  auto c = canvas(4, 2);
  c->setFillColorWithColor(rgb(1, 0, 0));
  c->fillRect(CGRectMake(0, 0, 2, 2));
  c->setFillColorWithColor(rgb(0, 1, 0));
  c->fillRect(CGRectMake(2, 0, 2, 2));
  return c->createImage();
}

TEST_F(CALayerTest, ContentsFollowTheirGravityScaleAndStretchableMiddle) {
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  auto layer = CALayer::layer();
  layer->setFrame(CGRectMake(0, 0, 8, 8));
  // The picture's 4 × 2 pixels upside down would be wrong: contents are upright.
  auto image = canvas(4, 4);
  image->setFillColorWithColor(rgb(1, 0, 0));
  image->fillRect(CGRectMake(0, 0, 4, 1));  // a red top row
  layer->setContents(image->createImage());
  CATransaction::commit();
  auto c = canvas(8, 8);
  c->setInterpolationQuality(CGInterpolationQuality::None);
  layer->renderInContext(c);
  EXPECT_EQ(at(c, 4, 0), kRed);
  EXPECT_EQ(at(c, 4, 7), kClear);

  layer->setContents(halves());
  layer->setContentsGravity(kCAGravityResizeAspect);
  auto fit = canvas(8, 8);
  fit->setInterpolationQuality(CGInterpolationQuality::None);
  layer->renderInContext(fit);
  EXPECT_EQ(at(fit, 1, 1), kClear);  // letterboxed: 8 × 4 in the middle
  EXPECT_EQ(at(fit, 1, 3), kRed);
  EXPECT_EQ(at(fit, 6, 4), kGreen);

  layer->setContentsGravity(kCAGravityCenter);
  layer->setContentsScale(2);  // 2 × 1 points
  layer->setFrame(CGRectMake(0, 0, 8, 9));
  auto centred = canvas(8, 9);
  centred->setInterpolationQuality(CGInterpolationQuality::None);
  layer->renderInContext(centred);
  EXPECT_EQ(at(centred, 3, 4), kRed);
  EXPECT_EQ(at(centred, 4, 4), kGreen);
  EXPECT_EQ(at(centred, 2, 4), kClear);
  EXPECT_EQ(at(centred, 3, 3), kClear);

  // Stretched with a one-pixel-wide middle column: the caps keep their width.
  layer->setContentsScale(1);
  layer->setContentsGravity(kCAGravityResize);
  layer->setContentsCenter(CGRectMake(1.0 / 4, 0, 1.0 / 4, 1));
  layer->setFrame(CGRectMake(0, 0, 20, 2));
  auto stretched = canvas(20, 2);
  stretched->setInterpolationQuality(CGInterpolationQuality::None);
  layer->renderInContext(stretched);
  EXPECT_EQ(at(stretched, 0, 0), kRed);
  EXPECT_EQ(at(stretched, 10, 0), kRed);  // the stretched red middle column
  EXPECT_EQ(at(stretched, 17, 0), kRed);
  EXPECT_EQ(at(stretched, 18, 0), kGreen);  // the right cap: 2 green columns
  EXPECT_EQ(at(stretched, 19, 0), kGreen);
  EXPECT_EQ(at(stretched, 16, 1), kRed);
}

TEST_F(CALayerTest, AGradientLayerRunsBetweenItsColoursFromStartToEnd) {
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  auto g = CAGradientLayer::layer();
  g->setFrame(CGRectMake(0, 0, 100, 4));
  g->setColors({rgb(1, 0, 0), rgb(0, 0, 1)});
  g->setStartPoint(CGPointMake(0, 0.5));
  g->setEndPoint(CGPointMake(1, 0.5));
  CATransaction::commit();
  auto c = canvas(100, 4);
  g->renderInContext(c);
  Pixel left = at(c, 0, 2), right = at(c, 99, 2), mid = at(c, 50, 2);
  EXPECT_GT(left[0], 250);
  EXPECT_LT(left[2], 5);
  EXPECT_GT(right[2], 250);
  EXPECT_NEAR(mid[0], 127, 4);
  EXPECT_NEAR(mid[2], 127, 4);
  EXPECT_EQ(mid[3], 255);
}

TEST_F(CALayerTest, RenderingIntoARecordingContextLogsEachLayerWhereItLies) {
  CATransaction::begin();
  CATransaction::setDisableActions(true);
  Owner owner;
  auto root = CALayer::layer();
  root->setFrame(CGRectMake(0, 0, 100, 100));
  root->setBackgroundColor(rgb(1, 1, 1));
  auto child = CALayer::layer();
  child->setOwner(&owner);
  child->setFrame(CGRectMake(10, 20, 30, 40));
  root->addSublayer(child);
  CATransaction::commit();
  auto ctx = CGContext::createRecording(CGSizeMake(100, 100));
  root->renderInContext(ctx);
  EXPECT_EQ(ctx->recordsText(),
            "fillRect (0 0; 100 100) fill=rgba(1 1 1 1)\n"
            "fillRect (10 20; 30 40) fill=rgba(0 0 1 1)\n");
  child->setOwner(nullptr);
}

}  // namespace

// ---- the screen's change observer

TEST_F(CALayerTest, TheScreenHearsOfTheFirstChangeAfterEachFrame) {
  auto root = CALayer::layer();
  auto child = CALayer::layer();
  root->addSublayer(child);
  int told = 0;
  CALayer::setChangeObserver([&] { ++told; });
  CALayer::takeChanges();

  struct Case {
    const char* what;
    std::function<void()> change;
  };
  const std::vector<Case> changes = {
      {"position",
       [&] {
         child->setPosition({5, 5});
       }},
      {"hidden", [&] { child->setHidden(true); }},
      {"background", [&] { child->setBackgroundColor(rgb(1, 0, 0)); }},
      {"clipping", [&] { child->setMasksToBounds(true); }},
      {"shadow offset",
       [&] {
         child->setShadowOffset({0, 2});
       }},
      {"contents gravity", [&] { child->setContentsGravity(kCAGravityTopLeft); }},
      {"needs display", [&] { child->setNeedsDisplay(); }},
      {"removed", [&] { child->removeFromSuperlayer(); }},
      {"added", [&] { root->addSublayer(child); }},
      {"actions off",
       [&] {
         CATransaction::begin();
         CATransaction::setDisableActions(true);
         child->setOpacity(0.5f);
         CATransaction::commit();
       }},
  };
  for (const auto& c : changes) {
    told = 0;
    c.change();
    c.change();  // the second change of a frame tells nothing more
    EXPECT_EQ(told, 1) << c.what;
    EXPECT_TRUE(CALayer::takeChanges()) << c.what;
    EXPECT_FALSE(CALayer::takeChanges()) << c.what;
  }

  // Setting what is already there is no change.
  told = 0;
  child->setPosition({5, 5});
  child->setMasksToBounds(true);
  child->setContentsGravity(kCAGravityTopLeft);
  EXPECT_EQ(told, 0);
  EXPECT_FALSE(CALayer::takeChanges());
  CALayer::setChangeObserver(nullptr);
}
