#include "CoreGraphics/CGGradient.h"

#include <algorithm>
#include <cmath>

namespace {

CGFloat clamp01(CGFloat v) {
  return std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0);
}

CGFloat locationAt(const std::vector<CGFloat>& locations, size_t i, size_t count) {
  if (i < locations.size()) return clamp01(locations[i]);
  return count > 1 ? CGFloat(i) / CGFloat(count - 1) : 0;
}

}  // namespace

CGGradient::CGGradient(std::vector<Stop> stops) : stops_(std::move(stops)) {
  std::stable_sort(stops_.begin(), stops_.end(),
                   [](const Stop& a, const Stop& b) { return a.location < b.location; });
}

CGGradientRef CGGradient::createWithColorComponents(const CGColorSpaceRef& space,
                                                    const std::vector<CGFloat>& components,
                                                    const std::vector<CGFloat>& locations,
                                                    size_t count) {
  if (!space || count == 0) return nullptr;
  size_t n = space->numberOfComponents();
  if (n == 0 || components.size() < count * (n + 1)) return nullptr;
  std::vector<Stop> stops;
  for (size_t i = 0; i < count; ++i) {
    const CGFloat* c = &components[i * (n + 1)];
    CGRGBA rgba = n == 1 ? CGRGBA{clamp01(c[0]), clamp01(c[0]), clamp01(c[0]), clamp01(c[1])}
                         : CGRGBA{clamp01(c[0]), clamp01(c[1]), clamp01(c[2]), clamp01(c[3])};
    stops.push_back({locationAt(locations, i, count), rgba});
  }
  return std::make_shared<CGGradient>(std::move(stops));
}

CGGradientRef CGGradient::createWithColors(const CGColorSpaceRef&,
                                           const std::vector<CGColorRef>& colors,
                                           const std::vector<CGFloat>& locations) {
  std::vector<CGColorRef> usable;
  std::vector<CGFloat> usableLocations;
  for (size_t i = 0; i < colors.size(); ++i) {
    if (!colors[i] || colors[i]->isPattern()) continue;
    usable.push_back(colors[i]);
    if (i < locations.size()) usableLocations.push_back(locations[i]);
  }
  if (usable.empty()) return nullptr;
  if (usableLocations.size() != usable.size()) usableLocations.clear();
  std::vector<Stop> stops;
  for (size_t i = 0; i < usable.size(); ++i)
    stops.push_back({locationAt(usableLocations, i, usable.size()), usable[i]->rgba()});
  return std::make_shared<CGGradient>(std::move(stops));
}
