#include "uilib/views/ULImageView.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/network/ULURLResponse.h"
#include "uilib/style/UIImage+ULCategory.h"
#include "uilib/style/ULContentStyle.h"
#include "uilib/style/ULStyleDrawing.h"

void ULImageLayer::display() {
  if (auto view = override_.lock()) {
    auto image = view->image();
    setContents(image ? image->CGImage() : CGImageRef());
    return;
  }
  CALayer::display();
}

ULImageView::ULImageView(CGRect frame) : ULView(frame, std::make_shared<ULImageLayer>()) {}

ULImageView::~ULImageView() {
  delegate_.reset();
  if (auto request = std::move(request_)) request->cancel();
}

std::shared_ptr<ULImageLayer> ULImageView::imageLayer() const {
  return std::static_pointer_cast<ULImageLayer>(layer());
}

void ULImageView::setUrlPath(std::string urlPath) {
  if (image_ && urlPath == urlPath_) return;
  stopLoading();
  urlPath_ = std::move(urlPath);
  if (!urlPath_.empty()) {
    reload();
  } else {
    setImage(defaultImage_);
  }
}

void ULImageView::setDefaultImage(std::shared_ptr<UIImage> image) {
  if (image != defaultImage_) defaultImage_ = std::move(image);
  if (urlPath_.empty()) setImage(defaultImage_);
}

void ULImageView::reload() {
  if (request_ || urlPath_.empty()) return;
  if (auto cached = ULURLCache::sharedCache()->imageForURL(urlPath_)) {
    setImage(cached);
    return;
  }
  auto request = ULURLRequest::requestWithURL(urlPath_, self<ULImageView>());
  request->setResponse(std::make_shared<ULURLImageResponse>());
  if (!request->send() && defaultImage_ && !image_) setImage(defaultImage_);
}

void ULImageView::stopLoading() {
  auto request = request_;
  if (!request) return;
  request->cancel();
  // The queue reports the cancel at once; should it not, the view is free all the same.
  if (request_ == request) request_.reset();
}

void ULImageView::unsetImage() {
  stopLoading();
  setImage(nullptr);
}

void ULImageView::setImage(std::shared_ptr<UIImage> image) {
  if (image == image_) return;
  image_ = image;
  updateLayer();

  CGRect frame = this->frame();
  CGSize is = image ? image->size() : CGSizeZero;
  CGFloat w = frame.size.width, h = frame.size.height;
  if (autoresizesToImage_ || (w == 0 && h == 0)) {
    frame.size = is;
  } else if (w != 0 && h == 0) {
    // A picture with a zero side gives no proportions: the frame stays.
    if (is.width != 0) frame.size.height = std::floor(w * is.height / is.width);
  } else if (h != 0 && w == 0) {
    if (is.height != 0) frame.size.width = std::floor(h * is.width / is.height);
  }
  if (!CGSizeEqualToSize(frame.size, this->frame().size)) setFrame(frame);

  if (!(defaultImage_ && image == defaultImage_)) {
    auto keep = weak_from_this().lock();
    imageViewDidLoadImage(image);
    if (auto d = delegate()) d->imageViewDidLoadImage(this, image);
  }
}

void ULImageView::setStyle(ULStylePtr style) {
  if (style == this->style()) return;
  ULView::setStyle(std::move(style));
  updateLayer();
}

void ULImageView::updateLayer() {
  auto layer = imageLayer();
  if (style()) {
    layer->setOverride({});
  } else {
    layer->setOverride(self<ULImageView>());
  }
  layer->setNeedsDisplay();
}

void ULImageView::drawRect(CGRect rect) {
  if (style()) ULView::drawRect(rect);
}

void ULImageView::drawContent(CGRect rect) {
  const auto& image = image_ ? image_ : defaultImage_;
  if (image) drawInRectContentMode(*image, rect, contentMode());
}

bool ULImageView::drawLayer(ULStyleContext& context, ULStyle& style) {
  if (!style.isKindOfClass(ULContentStyle::classObject())) return false;
  CGContext* ctx = ULCurrentContext();
  if (!ctx) return false;
  ctx->saveGState();
  ctx->beginPath();
  context.shape()->addToPath(context.frame());
  ctx->clip();
  drawContent(context.frame());
  ctx->restoreGState();
  return true;
}

void ULImageView::requestDidStartLoad(const std::shared_ptr<ULURLRequest>& request) {
  request_ = request;
  auto keep = weak_from_this().lock();
  imageViewDidStartLoad();
  if (auto d = delegate()) d->imageViewDidStartLoad(this);
}

void ULImageView::requestDidFinishLoad(const std::shared_ptr<ULURLRequest>& request) {
  auto keep = weak_from_this().lock();
  auto response = std::dynamic_pointer_cast<ULURLImageResponse>(request->response());
  setImage(response ? response->image() : nullptr);
  if (request_ == request) request_.reset();
}

void ULImageView::requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>& request,
                                              const NSErrorPtr& error) {
  auto keep = weak_from_this().lock();
  if (request_ == request) request_.reset();
  imageViewDidFailLoadWithError(error);
  if (auto d = delegate()) d->imageViewDidFailLoadWithError(this, error);
}

void ULImageView::requestDidCancelLoad(const std::shared_ptr<ULURLRequest>& request) {
  auto keep = weak_from_this().lock();
  if (request_ == request) request_.reset();
  imageViewDidFailLoadWithError(nullptr);
  if (auto d = delegate()) d->imageViewDidFailLoadWithError(this, nullptr);
}

void ULImageView::describeAttributes(std::string& line) const {
  ULView::describeAttributes(line);
  if (!urlPath_.empty()) line += " url=" + quoted(urlPath_);
  if (isLoaded()) line += " loaded";
}

NS_CLASS_IMPLEMENTATION(ULImageLayer) {}
NS_CLASS_IMPLEMENTATION(ULImageView) {
  c.property("urlPath", &ULImageView::urlPath, &ULImageView::setUrlPath);
}
