#include <algorithm>
#include <cmath>

#include "uilib/style/UIColor+ULCategory.h"

namespace {

struct HSV {
  CGFloat h = 0, s = 0, v = 0;
};

HSV ULConvertRGBToHSV(CGFloat r, CGFloat g, CGFloat b) {
  CGFloat max = std::max({r, g, b}), min = std::min({r, g, b});
  HSV out;
  out.v = max;
  if (max == 0) {
    out.s = 0;
    out.h = -1;
    return out;
  }
  CGFloat delta = max - min;
  out.s = delta / max;
  // Two channels sharing the maximum: red wins over green, green over blue.  A grey divides 0
  // by 0 here, which leaves its hue not a number.
  if (r == max)
    out.h = (g - b) / delta;
  else if (g == max)
    out.h = 2 + (b - r) / delta;
  else
    out.h = 4 + (r - g) / delta;
  out.h *= 60;
  if (out.h < 0) out.h += 360;
  return out;
}

void ULConvertHSVToRGB(CGFloat h, CGFloat s, CGFloat v, CGFloat* r, CGFloat* g, CGFloat* b) {
  if (s == 0) {
    *r = *g = *b = v;
    return;
  }
  h /= 60;
  CGFloat fl = std::floor(h);
  // A hue that is not a number or far out of range falls to the last case, as any other index.
  int i = std::isfinite(fl) && std::fabs(fl) < 1e6 ? int(fl) : -1;
  CGFloat f = h - i;
  CGFloat p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0:
      *r = v, *g = t, *b = p;
      break;
    case 1:
      *r = q, *g = v, *b = p;
      break;
    case 2:
      *r = p, *g = v, *b = t;
      break;
    case 3:
      *r = p, *g = q, *b = v;
      break;
    case 4:
      *r = t, *g = p, *b = v;
      break;
    default:
      *r = v, *g = p, *b = q;
      break;
  }
}

HSV hsvOf(const UIColor& c) {
  return ULConvertRGBToHSV(c.red(), c.green(), c.blue());
}

std::shared_ptr<UIColor> fromHSV(const HSV& hsv, CGFloat alpha) {
  CGFloat r, g, b;
  ULConvertHSVToRGB(hsv.h, hsv.s, hsv.v, &r, &g, &b);
  return UIColor::colorWithRed(r, g, b, alpha);
}

}  // namespace

std::shared_ptr<UIColor> colorWithHue(CGFloat h, CGFloat s, CGFloat v, CGFloat alpha) {
  return fromHSV({h, s, v}, alpha);
}

std::shared_ptr<UIColor> multiplyHue(const UIColor& color, CGFloat h, CGFloat s, CGFloat v) {
  HSV hsv = hsvOf(color);
  return fromHSV({hsv.h * h, hsv.s * s, hsv.v * v}, color.alpha());
}

std::shared_ptr<UIColor> addHue(const UIColor& color, CGFloat h, CGFloat s, CGFloat v) {
  HSV hsv = hsvOf(color);
  return fromHSV({hsv.h + h, hsv.s + s, hsv.v + v}, color.alpha());
}

std::shared_ptr<UIColor> copyWithAlpha(const UIColor& color, CGFloat alpha) {
  return UIColor::colorWithRed(color.red(), color.green(), color.blue(), alpha);
}

std::shared_ptr<UIColor> highlight(const UIColor& color) {
  return multiplyHue(color, 1, 0.4, 1.2);
}

std::shared_ptr<UIColor> shadow(const UIColor& color) {
  return multiplyHue(color, 1, 0.6, 0.6);
}

CGFloat hue(const UIColor& color) {
  return hsvOf(color).h;
}

CGFloat saturation(const UIColor& color) {
  return hsvOf(color).s;
}

CGFloat value(const UIColor& color) {
  return hsvOf(color).v;
}
