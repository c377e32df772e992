// Pango on its own over the bundle's font configuration, set up as the app's measurer is
// (72 units an inch, unhinted metrics): what benchmarks compare the app's text work with.
#pragma once

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <string>

#include "Foundation/NSBundle.h"

struct BundledPango {
  BundledPango() {
    FcConfig* config = FcConfigCreate();
    std::string file = NSBundle::mainBundle()->pathForResource("fonts", "conf", "fonts");
    FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(file.c_str()), FcTrue);
    FcConfigBuildFonts(config);
    fontMap = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
    pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fontMap), config);
    FcConfigDestroy(config);
    pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(fontMap), 72);
    context = pango_font_map_create_context(fontMap);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    pango_cairo_context_set_font_options(context, options);
    cairo_font_options_destroy(options);
  }
  ~BundledPango() {
    g_object_unref(context);
    g_object_unref(fontMap);
  }
  BundledPango(const BundledPango&) = delete;
  BundledPango& operator=(const BundledPango&) = delete;

  // A layout in the bundled face at the size in points; the caller unrefs it.
  PangoLayout* newLayout(double pointSize) const {
    PangoLayout* layout = pango_layout_new(context);
    PangoFontDescription* font = pango_font_description_from_string("WenQuanYi Micro Hei");
    pango_font_description_set_absolute_size(font, pointSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_font_description_free(font);
    return layout;
  }

  PangoFontMap* fontMap;
  PangoContext* context;
};

// One word-wrapping layout in the bundled face, reused for every text: plain Pango's height of
// a text at a width, the peer the app's measuring is compared with.
struct PlainPango {
  explicit PlainPango(double pointSize) {
    pango_context_set_round_glyph_positions(pango.context, FALSE);
    layout = pango.newLayout(pointSize);
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
  }
  ~PlainPango() { g_object_unref(layout); }
  PlainPango(const PlainPango&) = delete;
  PlainPango& operator=(const PlainPango&) = delete;

  int height(std::string_view text, double width) {
    pango_layout_set_width(layout, int(width * PANGO_SCALE));
    pango_layout_set_text(layout, text.data(), int(text.size()));
    int w = 0, h = 0;
    pango_layout_get_pixel_size(layout, &w, &h);
    return h;
  }

  BundledPango pango;
  PangoLayout* layout;
};
