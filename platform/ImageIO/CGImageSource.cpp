#include "ImageIO/CGImageSource.h"

#include "Foundation/NSFileManager.h"
#include "Foundation/NSURL.h"
#include "ImageIO/ImageCodecs.h"

struct CGImageSource::Made : CGImageSource {};

CGImageSource::~CGImageSource() = default;

CGImageSourceRef CGImageSource::createWithData(std::string data, const Value&) {
  auto source = std::make_shared<Made>();
  source->dataSize_ = data.size();
  switch (imageio::sniff(data)) {
    case imageio::Format::PNG:
    case imageio::Format::JPEG: {
      bool png = imageio::sniff(data) == imageio::Format::PNG;
      auto still = png ? imageio::decodePNG(data) : imageio::decodeJPEG(data);
      if (!still) return nullptr;
      source->type_ = std::string(png ? kUTTypePNG : kUTTypeJPEG);
      source->still_ = CGImage::createWithSurface(still->surface.s);
      source->orientation_ = still->exifOrientation;
      if (!source->still_) return nullptr;
      return source;
    }
    case imageio::Format::GIF: {
      source->gif_ = imageio::GIFDecoder::open(data);
      if (!source->gif_) return nullptr;
      source->type_ = std::string(kUTTypeGIF);
      return source;
    }
    case imageio::Format::Unknown:
      break;
  }
  return nullptr;
}

CGImageSourceRef CGImageSource::createWithURL(const std::shared_ptr<NSURL>& url,
                                              const Value& options) {
  if (!url || !url->isFileURL()) return nullptr;
  auto bytes = dataWithContentsOfFile(url->path());
  if (!bytes) return nullptr;
  return createWithData(std::move(*bytes), options);
}

std::string_view CGImageSource::type() const {
  return type_;
}

size_t CGImageSource::count() const {
  return gif_ ? gif_->frameCount() : 1;
}

CGImageRef CGImageSource::createImageAtIndex(size_t index, const Value&) {
  if (!gif_) return index == 0 ? still_ : nullptr;
  std::lock_guard lock(mutex_);
  imageio::Surface frame = gif_->composite(index);
  if (!frame) return nullptr;
  return CGImage::createWithSurface(frame.s);
}

Value CGImageSource::copyProperties(const Value&) const {
  Value props = Value::dictionaryOf({{std::string(kCGImagePropertyFileSize), Value(dataSize_)}});
  if (gif_ && gif_->loopCount() >= 0) {
    props.dictionary()->setObject(Value::dictionaryOf({{std::string(kCGImagePropertyGIFLoopCount),
                                                        Value(gif_->loopCount())}}),
                                  kCGImagePropertyGIFDictionary);
  }
  return props;
}

Value CGImageSource::copyPropertiesAtIndex(size_t index, const Value&) const {
  if (index >= count()) return {};
  size_t w = gif_ ? gif_->width() : still_->width();
  size_t h = gif_ ? gif_->height() : still_->height();
  bool alpha = gif_ || still_->alphaInfo() != kCGImageAlphaNoneSkipFirst;
  Value props = Value::dictionaryOf({{std::string(kCGImagePropertyPixelWidth), Value(w)},
                                     {std::string(kCGImagePropertyPixelHeight), Value(h)},
                                     {std::string(kCGImagePropertyHasAlpha), Value(alpha)}});
  if (type_ == kUTTypeJPEG)
    props.dictionary()->setObject(Value(orientation_), kCGImagePropertyOrientation);
  if (gif_) {
    double unclamped = gif_->delay(index);
    double delay = unclamped <= 0.01 ? 0.1 : unclamped;
    props.dictionary()->setObject(
        Value::dictionaryOf(
            {{std::string(kCGImagePropertyGIFDelayTime), Value(delay)},
             {std::string(kCGImagePropertyGIFUnclampedDelayTime), Value(unclamped)}}),
        kCGImagePropertyGIFDictionary);
  }
  return props;
}
