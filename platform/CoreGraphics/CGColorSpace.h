// Colour spaces: the device grey and device RGB spaces, and the pattern space that pattern
// colours live in.  There is no colour management: device colours are used as they are.
#pragma once

#include <memory>

enum class CGColorSpaceModel { Unknown = -1, Monochrome = 0, RGB = 1, Pattern = 6 };

class CGColorSpace {
 public:
  explicit CGColorSpace(CGColorSpaceModel model) : model_(model) {}

  static std::shared_ptr<CGColorSpace> createDeviceRGB() {
    static auto space = std::make_shared<CGColorSpace>(CGColorSpaceModel::RGB);
    return space;
  }
  static std::shared_ptr<CGColorSpace> createDeviceGray() {
    static auto space = std::make_shared<CGColorSpace>(CGColorSpaceModel::Monochrome);
    return space;
  }
  static std::shared_ptr<CGColorSpace> createPattern() {
    static auto space = std::make_shared<CGColorSpace>(CGColorSpaceModel::Pattern);
    return space;
  }

  CGColorSpaceModel model() const { return model_; }
  // Colour components without alpha: 1 for grey, 3 for RGB, 0 for patterns.
  size_t numberOfComponents() const {
    switch (model_) {
      case CGColorSpaceModel::Monochrome:
        return 1;
      case CGColorSpaceModel::RGB:
        return 3;
      default:
        return 0;
    }
  }

 private:
  CGColorSpaceModel model_;
};

using CGColorSpaceRef = std::shared_ptr<CGColorSpace>;
