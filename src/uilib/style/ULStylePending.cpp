#include "uilib/style/ULStylePending.h"

#include <cstdlib>
#include <string>

#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"
#include "UIKit/UIImage.h"

namespace ul_pending {

int versionStringCompare(std::string_view version, std::string_view other) {
  auto split = [](std::string_view v) {
    size_t a = v.find('a');
    return std::pair{v.substr(0, a), a == std::string_view::npos ? std::string_view()
                                                                 : v.substr(a + 1)};
  };
  auto [first, alpha] = split(version);
  auto [otherFirst, otherAlpha] = split(other);
  if (int c = first.compare(otherFirst)) return c < 0 ? -1 : 1;
  bool hasAlpha = version.find('a') != std::string_view::npos;
  bool otherHasAlpha = other.find('a') != std::string_view::npos;
  if (hasAlpha != otherHasAlpha) return hasAlpha ? -1 : 1;
  if (!hasAlpha) return 0;
  long a = std::strtol(std::string(alpha).c_str(), nullptr, 10);
  long b = std::strtol(std::string(otherAlpha).c_str(), nullptr, 10);
  return a < b ? -1 : a > b ? 1 : 0;
}

std::shared_ptr<UIImage> imageForURL(std::string_view url) {
  constexpr std::string_view bundle = "bundle://", documents = "documents://";
  std::string path;
  if (url.starts_with(bundle))
    path = NSBundle::mainBundle()->resourcePath() + "/" + std::string(url.substr(bundle.size()));
  else if (url.starts_with(documents))
    path = NSDocumentDirectory() + "/" + std::string(url.substr(documents.size()));
  else
    return nullptr;
  return UIImage::imageWithContentsOfFile(path);
}

}  // namespace ul_pending
