// A picture's pixels as bytes and back (the image category "RawData").  Any thread.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>

class UIImage;

// rawImageData - 4 × width × height bytes (width and height the integer parts of the size in
// points): rows from the top, each pixel alpha, red, green, blue with the colours
// premultiplied by alpha.  nullopt for no picture or an empty one.
std::optional<std::string> rawImageData(const std::shared_ptr<UIImage>& image);
// imageWithRawImageData:width:height: - the picture of such bytes (scale 1); nullptr when the
// bytes are too few for the size.
std::shared_ptr<UIImage> imageWithRawImageData(const std::string& data, size_t width,
                                               size_t height);
