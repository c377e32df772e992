// The measurer of the app: Pango and HarfBuzz over Cairo, with one pinned face.
//
// Fonts come only from the font configuration of the bundle ("fonts/fonts.conf"), never from
// the machine's own configuration: it lists the folder of the CJK face that scripts/setup
// installs and maps every family onto it, with bold and italic synthesised.  Metrics are
// unhinted at 72 dots per inch (one point is one unit of user space), so sizes do not change
// with the scale a context draws at.  The line height is the face's ascent plus descent
// rounded up to whole points; glyph advances stay fractional until a layout's size is rounded.
//
// A missing configuration file or face is reported once on standard error; text then
// measures with whatever Pango falls back to.
#pragma once

#include <memory>
#include <string>

#include "CoreText/TextMeasurer.h"

class PangoTextMeasurer : public TextMeasurer {
 public:
  PangoTextMeasurer();
  explicit PangoTextMeasurer(const std::string& fontConfigFile);
  ~PangoTextMeasurer() override;

  TextFontMetrics metrics(const TextFont& font) override;

 protected:
  std::vector<TextLine> wrapLines(std::string_view text, const TextFont& font, CGFloat maxWidth,
                                  bool byCharacter) override;
  std::vector<Caret> carets(std::string_view line, const TextFont& font) override;
  CGFloat lineWidth(std::string_view line, const TextFont& font) override;
  void drawLine(cairo_t* cr, std::string_view line, const TextFont& font, CGFloat x,
                CGFloat baseline) override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
