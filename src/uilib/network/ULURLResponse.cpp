#include "uilib/network/ULURLResponse.h"

#include "UIKit/UIImage.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/network/ULURLRequest.h"

NSErrorPtr ULURLDataResponse::requestProcessResponse(const std::shared_ptr<ULURLRequest>&,
                                                     const std::shared_ptr<NSHTTPURLResponse>&,
                                                     const Value& data) {
  if (data.isData()) data_ = data.bytes();
  return nullptr;
}

NSErrorPtr ULURLImageResponse::requestProcessResponse(const std::shared_ptr<ULURLRequest>& request,
                                                      const std::shared_ptr<NSHTTPURLResponse>&,
                                                      const Value& data) {
  if (auto image = data.object<UIImage>()) {
    image_ = image;
    return nullptr;
  }
  if (!data.isData()) return nullptr;
  auto cache = ULURLCache::sharedCache();
  std::shared_ptr<UIImage> image = cache->imageForURL(request->urlPath(), false);
  if (!image) image = UIImage::imageWithData(std::string(data.bytes()));
  if (!image) return NSError::errorWithDomain(kULNetworkErrorDomain, kULNetworkErrorCodeBadImage);
  if (!request->respondedFromCache()) cache->storeImage(image, request->urlPath());
  image_ = image;
  return nullptr;
}
