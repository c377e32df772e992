#include "CoreText/PangoTextMeasurer.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <tuple>

#include "CoreText/TextScan.h"
#include "Foundation/NSBundle.h"

namespace {

// The face every family maps to (the configuration pins it; the name only picks it out).
constexpr const char* kFamily = "WenQuanYi Micro Hei";

std::string bundleFontConfig() {
  return NSBundle::mainBundle()->pathForResource("fonts", "conf", "fonts");
}

// Sizes Pango can hold in its fixed-point units (a NaN becomes the smallest, so that it can
// key a map too).
CGFloat pangoSize(CGFloat pointSize) {
  return pointSize > 0.1 ? std::min<CGFloat>(pointSize, 10000) : 0.1;
}

std::tuple<CGFloat, bool, bool> fontKey(const TextFont& font) {
  return {pangoSize(font.pointSize), font.bold, font.italic};
}

CGFloat fromPango(int units) {
  return CGFloat(units) / PANGO_SCALE;
}

// The width a line takes: its advance, or for a slanted font the right end of its ink, which
// runs past the advance, so that what is drawn stays within what was measured.
CGFloat lineExtent(PangoLayoutLine* line, const TextFont& font) {
  PangoRectangle ink, logical;
  pango_layout_line_get_extents(line, font.italic ? &ink : nullptr, &logical);
  int right = logical.x + logical.width;
  if (font.italic && ink.width > 0) right = std::max(right, ink.x + ink.width);
  return fromPango(right);
}

}  // namespace

struct PangoTextMeasurer::Impl {
  std::mutex mutex;
  FcConfig* config = nullptr;
  PangoFontMap* fontMap = nullptr;
  PangoContext* context = nullptr;      // measuring: identity matrix
  PangoContext* drawContext = nullptr;  // drawing: follows the target's matrix
  PangoLayout* layout = nullptr;        // reused for every measurement
  std::map<std::tuple<CGFloat, bool, bool>, PangoFontDescription*> descriptions;
  std::map<std::tuple<CGFloat, bool, bool>, TextFontMetrics> metrics;

  explicit Impl(const std::string& file) {
    config = FcConfigCreate();
    bool loaded =
        !file.empty() && std::filesystem::exists(file) &&
        FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue) &&
        FcConfigBuildFonts(config);
    if (!loaded)
      std::fprintf(stderr, "text: cannot load the font configuration \"%s\"\n", file.c_str());
    // Ours is the process's configuration too: Pango would otherwise load the machine's own
    // (which it never uses for our font map, and whose loading leaks inside fontconfig).
    if (loaded) FcConfigSetCurrent(config);
    fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap), config);
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap), 72);

    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    context = pango_font_map_create_context(fontMap);
    drawContext = pango_font_map_create_context(fontMap);
    for (PangoContext* c : {context, drawContext}) {
      pango_cairo_context_set_font_options(c, options);
      pango_context_set_round_glyph_positions(c, FALSE);
      pango_context_set_language(c, pango_language_from_string("zh-cn"));
    }
    cairo_font_options_destroy(options);
    layout = pango_layout_new(context);

    if (loaded) {
      PangoFontDescription* probe = pango_font_description_from_string(kFamily);
      PangoFont* font = pango_font_map_load_font(fontMap, context, probe);
      PangoFontDescription* found = font ? pango_font_describe(font) : nullptr;
      const char* family = found ? pango_font_description_get_family(found) : nullptr;
      if (!family || std::string_view(family) != kFamily)
        std::fprintf(stderr, "text: the font \"%s\" is not installed (scripts/setup)\n", kFamily);
      if (found) pango_font_description_free(found);
      if (font) g_object_unref(font);
      pango_font_description_free(probe);
    }
  }

  ~Impl() {
    for (auto& [key, d] : descriptions) pango_font_description_free(d);
    g_object_unref(layout);
    g_object_unref(drawContext);
    g_object_unref(context);
    g_object_unref(fontMap);
    FcConfigDestroy(config);
  }

  const PangoFontDescription* description(const TextFont& font) {
    auto key = fontKey(font);
    auto it = descriptions.find(key);
    if (it != descriptions.end()) return it->second;
    PangoFontDescription* d = pango_font_description_new();
    pango_font_description_set_family_static(d, kFamily);
    pango_font_description_set_absolute_size(d, std::get<0>(key) * PANGO_SCALE);
    pango_font_description_set_weight(d, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(d, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    descriptions.emplace(key, d);
    return d;
  }

  // The reused layout, set for one line of text without a width.
  PangoLayout* oneLine(std::string_view text, const TextFont& font) {
    pango_layout_set_font_description(layout, description(font));
    pango_layout_set_width(layout, -1);
    pango_layout_set_text(layout, text.empty() ? "" : text.data(), int(text.size()));
    return layout;
  }
};

PangoTextMeasurer::PangoTextMeasurer() : PangoTextMeasurer(bundleFontConfig()) {}

PangoTextMeasurer::PangoTextMeasurer(const std::string& fontConfigFile)
    : impl_(std::make_unique<Impl>(fontConfigFile)) {}

PangoTextMeasurer::~PangoTextMeasurer() = default;

TextFontMetrics PangoTextMeasurer::metrics(const TextFont& font) {
  std::lock_guard lock(impl_->mutex);
  auto key = fontKey(font);
  if (auto it = impl_->metrics.find(key); it != impl_->metrics.end()) return it->second;

  TextFontMetrics m;
  const PangoFontDescription* d = impl_->description(font);
  PangoFontMetrics* pm = pango_context_get_metrics(impl_->context, d, nullptr);
  m.ascender = fromPango(pango_font_metrics_get_ascent(pm));
  m.descender = -fromPango(pango_font_metrics_get_descent(pm));
  m.lineHeight = std::max<CGFloat>(1, std::ceil(m.ascender - m.descender - 1e-6));
  pango_font_metrics_unref(pm);

  // Cap and x heights are the ink tops of "H" and "x" above the baseline.
  auto inkTop = [&](const char* glyph) {
    PangoLayout* l = impl_->oneLine(glyph, font);
    PangoRectangle ink;
    pango_layout_get_extents(l, &ink, nullptr);
    return fromPango(pango_layout_get_baseline(l) - ink.y);
  };
  m.capHeight = inkTop("H");
  m.xHeight = inkTop("x");

  PangoFont* loaded = pango_font_map_load_font(impl_->fontMap, impl_->context, d);
  if (loaded) {
    PangoFontDescription* described = pango_font_describe(loaded);
    if (const char* family = pango_font_description_get_family(described)) m.familyName = family;
    pango_font_description_free(described);
    g_object_unref(loaded);
  }
  impl_->metrics.emplace(key, m);
  return m;
}

std::vector<TextLine> PangoTextMeasurer::wrapLines(std::string_view text, const TextFont& font,
                                                   CGFloat maxWidth, bool byCharacter) {
  std::vector<TextLine> lines;
  if (text.empty()) return lines;
  std::lock_guard lock(impl_->mutex);
  PangoLayout* l = impl_->layout;
  pango_layout_set_font_description(l, impl_->description(font));
  // Widths beyond what Pango's units hold wrap at line breaks only, as no limit does.
  pango_layout_set_width(l, maxWidth > 0 && maxWidth < 1e6 ? int(maxWidth * PANGO_SCALE) : -1);
  pango_layout_set_wrap(l, byCharacter ? PANGO_WRAP_CHAR : PANGO_WRAP_WORD_CHAR);
  pango_layout_set_text(l, text.data(), int(text.size()));

  for (GSList* it = pango_layout_get_lines_readonly(l); it; it = it->next) {
    auto* line = static_cast<PangoLayoutLine*>(it->data);
    TextLine out;
    out.start = size_t(line->start_index);
    out.length = size_t(line->length);
    out.width = lineExtent(line, font);
    // Spaces at a soft break hang past the line.
    auto* next = it->next ? static_cast<PangoLayoutLine*>(it->next->data) : nullptr;
    if (next && !next->is_paragraph_start) {
      size_t end = textscan::trailingSpaceStart(text.substr(out.start, out.length));
      if (end < out.length) {
        int x = 0;
        pango_layout_line_index_to_x(line, int(out.start + end), FALSE, &x);
        out.width = fromPango(x);
      }
    }
    lines.push_back(out);
  }
  return lines;
}

std::vector<TextMeasurer::Caret> PangoTextMeasurer::carets(std::string_view line,
                                                           const TextFont& font) {
  std::vector<Caret> out;
  std::lock_guard lock(impl_->mutex);
  PangoLayout* l = impl_->oneLine(line, font);
  int count = 0;
  const PangoLogAttr* attrs = pango_layout_get_log_attrs_readonly(l, &count);
  size_t k = 0;
  for (size_t i = 0; i < line.size(); ++k) {
    PangoRectangle pos;
    pango_layout_index_to_pos(l, int(i), &pos);
    out.push_back({i, fromPango(pos.x), int(k) < count && attrs[k].is_cursor_position});
    i += textscan::decode(line, i).length;
  }
  out.push_back({line.size(), lineExtent(pango_layout_get_line_readonly(l, 0), font), true});
  return out;
}

CGFloat PangoTextMeasurer::lineWidth(std::string_view line, const TextFont& font) {
  std::lock_guard lock(impl_->mutex);
  return lineExtent(pango_layout_get_line_readonly(impl_->oneLine(line, font), 0), font);
}

void PangoTextMeasurer::drawLine(cairo_t* cr, std::string_view line, const TextFont& font,
                                 CGFloat x, CGFloat baseline) {
  if (line.empty()) return;
  std::lock_guard lock(impl_->mutex);
  pango_cairo_update_context(cr, impl_->drawContext);
  PangoLayout* l = pango_layout_new(impl_->drawContext);
  pango_layout_set_font_description(l, impl_->description(font));
  pango_layout_set_text(l, line.data(), int(line.size()));
  cairo_move_to(cr, x, baseline);
  pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(l, 0));
  g_object_unref(l);
}
