// Compositing a 320 × 480 window at scale 2 holding 50 labels (white plates with a line of
// mixed CJK and Latin text, cut at the tail) and 20 pictures, beside drawing the same plates,
// texts and pictures straight into a Cairo surface with Pango.  Ratios of one run:
//   cold_vs_cairo = a frame in which every label draws its text again / the plain drawing
//                   (target: at most 1.3)
//   warm_vs_cairo = a frame of views whose drawings are kept (the usual frame) / the plain
//                   drawing
// The plain drawing is the least such a frame can cost: one reused PangoLayout over the same
// font configuration, the pictures painted from their surfaces.
// Peer: plain Cairo and Pango draw the same plates, texts and pictures into a surface of the
// same size, with nothing kept between frames, so the cold frame compares like with like.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIWindow.h"
#include "support/BundledPango.h"

namespace {

constexpr double kScale = 2;
constexpr double kFontSize = 13;

struct Item {
  CGRect frame;
  std::string text;  // empty for a picture
};

// 20 rows of 24 points: a 20 × 20 picture, then three labels (rows 0-9) or two (rows 10-19).
std::vector<Item> layout() {
  static const char* texts[] = {"要闻 Headlines today",     "孕婴童资讯 · Mother & Baby",
                                "行业订阅 Industry feeds",  "微博墙 Microblog wall",
                                "产品评测 Product reviews", "母婴行业观察 Market watch"};
  std::vector<Item> items;
  int t = 0;
  for (int row = 0; row < 20; ++row) {
    CGFloat y = 2 + row * 24;
    items.push_back({CGRectMake(4, y, 20, 20), ""});
    int labels = row < 10 ? 3 : 2;
    CGFloat width = (320 - 30 - 4 * labels) / labels;
    for (int i = 0; i < labels; ++i)
      items.push_back({CGRectMake(30 + i * (width + 4), y + 2, width, 18), texts[t++ % 6]});
  }
  return items;
}

// A 40 × 40 pixel picture: a coloured tile with a lighter square.
cairo_surface_t* tileSurface() {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 40, 40);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 0.2, 0.45, 0.8);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0.9, 0.8, 0.3);
  cairo_rectangle(cr, 10, 10, 20, 20);
  cairo_fill(cr);
  cairo_destroy(cr);
  return s;
}

// Pango and Cairo on their own.
struct PlainDrawing {
  PlainDrawing() {
    layout = pango.newLayout(kFontSize);
    pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
    tile = tileSurface();
  }
  ~PlainDrawing() {
    cairo_surface_destroy(tile);
    g_object_unref(layout);
  }
  void draw(const std::vector<Item>& items) {
    cairo_surface_t* frame = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 640, 960);
    cairo_t* cr = cairo_create(frame);
    cairo_scale(cr, kScale, kScale);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    pango_cairo_update_context(cr, pango.context);
    for (const Item& it : items) {
      const CGRect& f = it.frame;
      if (it.text.empty()) {
        cairo_save(cr);
        cairo_translate(cr, f.origin.x, f.origin.y);
        cairo_scale(cr, f.size.width / 40, f.size.height / 40);
        cairo_set_source_surface(cr, tile, 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
        cairo_paint(cr);
        cairo_restore(cr);
        continue;
      }
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_rectangle(cr, f.origin.x, f.origin.y, f.size.width, f.size.height);
      cairo_fill(cr);
      pango_layout_set_width(layout, int(f.size.width * PANGO_SCALE));
      pango_layout_set_text(layout, it.text.data(), int(it.text.size()));
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_move_to(cr, f.origin.x, f.origin.y);
      pango_cairo_show_layout(cr, layout);
    }
    cairo_destroy(cr);
    cairo_surface_flush(frame);
    benchmark::DoNotOptimize(cairo_image_surface_get_data(frame));
    cairo_surface_destroy(frame);
  }
  BundledPango pango;
  PangoLayout* layout;
  cairo_surface_t* tile;
};

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void BM_CompositeWindow(benchmark::State& state) {
  const std::vector<Item> items = layout();
  PlainDrawing plain;

  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  window->setBackgroundColor(UIColor::whiteColor());
  window->makeKeyAndVisible();
  cairo_surface_t* tile = tileSurface();
  auto picture = UIImage::imageWithCGImage(CGImage::createWithSurface(tile), 2);
  cairo_surface_destroy(tile);
  std::vector<std::shared_ptr<UILabel>> labels;
  for (const Item& it : items) {
    if (it.text.empty()) {
      auto view = std::make_shared<UIImageView>(it.frame);
      view->setImage(picture);
      window->addSubview(view);
    } else {
      auto label = std::make_shared<UILabel>(it.frame);
      label->setFont(UIFont::systemFontOfSize(kFontSize));
      label->setText(it.text);
      window->addSubview(label);
      labels.push_back(label);
    }
  }
  window->compositeFrame();  // first drawings and caches

  double plainUs = 0, coldUs = 0, warmUs = 0;
  size_t rounds = 0;
  for (auto _ : state) {
    // Alternate who goes first, so neither gains from the other's warm caches.
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (rounds % 2 == 0)) {
        auto t = Clock::now();
        plain.draw(items);
        plainUs += since(t);
      } else {
        for (auto& label : labels) label->setNeedsDisplay();
        auto t = Clock::now();
        benchmark::DoNotOptimize(window->compositeFrame());
        coldUs += since(t);
      }
    }
    auto t = Clock::now();
    benchmark::DoNotOptimize(window->compositeFrame());
    warmUs += since(t);
    ++rounds;
  }
  state.counters["plain_us"] = plainUs / double(rounds);
  state.counters["cold_us"] = coldUs / double(rounds);
  state.counters["warm_us"] = warmUs / double(rounds);
  state.counters["cold_vs_cairo"] = coldUs / plainUs;
  state.counters["warm_vs_cairo"] = warmUs / plainUs;
  UIApplicationDriver::reset();
}
BENCHMARK(BM_CompositeWindow)->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace
