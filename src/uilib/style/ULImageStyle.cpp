#include "uilib/style/ULImageStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/style/UIImage+ULCategory.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULImageStyle) {}

std::shared_ptr<ULImageStyle> ULImageStyle::styleWithImageURL(std::string imageURL,
                                                              ULStylePtr next) {
  return styleWithImageURL(std::move(imageURL), nullptr, UIViewContentMode::ScaleToFill, CGSizeZero,
                           std::move(next));
}

std::shared_ptr<ULImageStyle> ULImageStyle::styleWithImageURL(std::string imageURL,
                                                              std::shared_ptr<UIImage> defaultImage,
                                                              ULStylePtr next) {
  return styleWithImageURL(std::move(imageURL), std::move(defaultImage),
                           UIViewContentMode::ScaleToFill, CGSizeZero, std::move(next));
}

std::shared_ptr<ULImageStyle> ULImageStyle::styleWithImageURL(std::string imageURL,
                                                              std::shared_ptr<UIImage> defaultImage,
                                                              UIViewContentMode contentMode,
                                                              CGSize size, ULStylePtr next) {
  auto style = std::make_shared<ULImageStyle>(std::move(next));
  style->imageURL_ = std::move(imageURL);
  style->defaultImage_ = std::move(defaultImage);
  style->contentMode_ = contentMode;
  style->size_ = size;
  return style;
}

std::shared_ptr<ULImageStyle> ULImageStyle::styleWithImage(std::shared_ptr<UIImage> image,
                                                           ULStylePtr next) {
  return styleWithImage(std::move(image), nullptr, UIViewContentMode::ScaleToFill, CGSizeZero,
                        std::move(next));
}

std::shared_ptr<ULImageStyle> ULImageStyle::styleWithImage(std::shared_ptr<UIImage> image,
                                                           std::shared_ptr<UIImage> defaultImage,
                                                           ULStylePtr next) {
  return styleWithImage(std::move(image), std::move(defaultImage), UIViewContentMode::ScaleToFill,
                        CGSizeZero, std::move(next));
}

std::shared_ptr<ULImageStyle> ULImageStyle::styleWithImage(std::shared_ptr<UIImage> image,
                                                           std::shared_ptr<UIImage> defaultImage,
                                                           UIViewContentMode contentMode,
                                                           CGSize size, ULStylePtr next) {
  auto style = styleWithImageURL("", std::move(defaultImage), contentMode, size, std::move(next));
  style->image_ = std::move(image);
  return style;
}

const std::shared_ptr<UIImage>& ULImageStyle::image() {
  if (!image_ && !imageURL_.empty()) image_ = ULURLCache::sharedCache()->imageForURL(imageURL_);
  return image_;
}

std::shared_ptr<UIImage> ULImageStyle::imageForContext(ULStyleContext& context) {
  if (const auto& own = image()) return own;
  if (auto delegate = context.delegate()) return delegate->imageForLayerWithStyle(*this);
  return nullptr;
}

void ULImageStyle::draw(ULStyleContext& context) {
  CGContext* ctx = ULCurrentContext();
  auto picture = imageForContext(context);
  if (picture && ctx) {
    ctx->saveGState();
    CGRect content = context.contentFrame();
    context.shape()->addToPath(convertRect(*picture, content, contentMode_));
    ctx->clip();
    drawInRectContentMode(*picture, content, contentMode_);
    ctx->restoreGState();
  }
  drawNext(context);
}

CGSize ULImageStyle::addToSize(CGSize size, ULStyleContext& context) {
  if (size_.width != 0 || size_.height != 0) {
    size.width += size_.width;
    size.height += size_.height;
  } else if (int(contentMode_) > int(UIViewContentMode::ScaleAspectFill)) {
    if (auto picture = imageForContext(context)) {
      CGSize own = picture->size();
      size.width += own.width;
      size.height += own.height;
    }
  }
  return ULStyle::addToSize(size, context);
}
