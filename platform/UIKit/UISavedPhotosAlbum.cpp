#include "UIKit/UISavedPhotosAlbum.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "UIKit/UIImage.h"

namespace fs = std::filesystem;

namespace {

std::atomic<bool> gWritable{true};
std::mutex gMutex;

}  // namespace

std::string UISavedPhotosAlbum::path() {
  return (fs::path(NSHomeDirectory()) / "Media" / "DCIM").string();
}

std::vector<std::string> UISavedPhotosAlbum::files() {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(path(), ec))
    if (entry.is_regular_file() && entry.path().filename().string().rfind("IMG_", 0) == 0)
      out.push_back(entry.path().string());
  // IMG_<n> is zero-padded, so the names sort in saving order.
  std::sort(out.begin(), out.end());
  return out;
}

void UISavedPhotosAlbum::setWritable(bool writable) {
  gWritable = writable;
}

bool UIImageWriteToSavedPhotosAlbum(const std::shared_ptr<UIImage>& image) {
  if (!gWritable || !image) return false;
  auto png = UIImagePNGRepresentation(image);
  if (!png || png->empty()) return false;
  std::lock_guard<std::mutex> lock(gMutex);
  std::error_code ec;
  fs::path dir = UISavedPhotosAlbum::path();
  fs::create_directories(dir, ec);
  if (ec) return false;
  size_t n = UISavedPhotosAlbum::files().size() + 1;
  char name[32];
  std::snprintf(name, sizeof name, "IMG_%04zu.PNG", n);
  return writeToFile((dir / name).string(), *png, true);
}
