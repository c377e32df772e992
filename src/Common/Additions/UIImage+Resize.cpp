#include <sys/stat.h>

#include <string>

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSBundle.h"
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
  return UIImage::imageWithContentsOfFile(path);
}
