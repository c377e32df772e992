#include "images/ImageDecoderFuzzCheck.h"

#include <algorithm>

#include "ImageIO/CGImageDestination.h"
#include "ImageIO/CGImageSource.h"

std::string imageDecoderFuzzCheck(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  auto source = CGImageSource::createWithData(bytes);
  if (!source) return {};
  size_t count = source->count();
  if (count == 0) return "a source without pictures";
  if (source->type() != kUTTypeGIF && count != 1) return "a still file with several pictures";
  for (size_t i = 0; i < std::min<size_t>(count, 8); ++i) {
    auto image = source->createImageAtIndex(i);
    if (!image) return "picture " + std::to_string(i) + " missing";
    Value props = source->copyPropertiesAtIndex(i);
    if (props[kCGImagePropertyPixelWidth].unsignedLongLongValue() != image->width() ||
        props[kCGImagePropertyPixelHeight].unsignedLongLongValue() != image->height())
      return "picture " + std::to_string(i) + " has another size than its properties";
    if (image->width() == 0 || image->height() == 0) return "an empty picture";
    if (!image->surface()) return "a picture without pixels";
  }
  if (source->createImageAtIndex(count)) return "a picture past the last";
  auto first = source->createImageAtIndex(0);
  auto png = CGImageDestination::encodePNG(first);
  if (!png) return "the first picture does not encode";
  auto again = CGImageSource::createWithData(*png);
  if (!again) return "the encoded picture does not decode";
  auto back = again->createImageAtIndex(0);
  if (!back || back->width() != first->width() || back->height() != first->height())
    return "the encoded picture decodes to another size";
  return {};
}
