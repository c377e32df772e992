#include <sys/stat.h>

#include <string>

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/Value.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"

namespace {

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool retinaScreen() {
  return Value(UIDevice::currentDevice()->systemVersion()).intValue() >= 4 &&
         UIScreen::mainScreen()->scale() >= 2.0;
}

// The picture of the file, named `name`; a "@2x" file has scale 2 only on a retina screen.
std::shared_ptr<UIImage> loadNamed(const std::string& path, const std::string& file,
                                   std::string_view name) {
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return nullptr;
  std::string_view base = std::string_view(file).substr(0, file.rfind('.'));
  CGFloat scale = endsWith(base, "@2x") && UIScreen::mainScreen()->scale() >= 2 ? 2 : 1;
  auto decoded = UIImage::imageWithData(*bytes, scale);
  if (!decoded) return nullptr;
  // A freshly decoded picture: naming it touches nobody else's image.
  decoded->CGImage()->setSourceName(std::string(name));
  return std::make_shared<UIImage>(decoded->CGImage(), scale, decoded->imageOrientation());
}

}  // namespace

std::shared_ptr<UIImage> imageFileNamed(std::string_view name) {
  std::string folder = NSBundle::mainBundle()->resourcePath() + "/";
  std::string file(name);
  if (!endsWith(name, ".png") && !endsWith(name, ".jpg")) {
    std::string retina = file + "@2x.png";
    std::string plain = file + ".png";
    if (retinaScreen() && fileExists(folder + retina))
      file = retina;
    else
      file = fileExists(folder + plain) ? plain : retina;
  }
  std::string path = folder + file;
  if (!fileExists(path)) return nullptr;
  return loadNamed(path, file, name);
}

std::shared_ptr<UIImage> retina4ImageNamed(std::string_view name) {
  std::string folder = NSBundle::mainBundle()->resourcePath();
  if (UIScreen::mainScreen()->bounds().size.height == 568) {
    std::string tall = std::string(name) + "-568h@2x.png";
    if (fileExists(folder + "/" + tall)) return imageFileNamed(tall);
  }
  return imageFileNamed(name);
}
