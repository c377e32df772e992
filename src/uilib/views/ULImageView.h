// A view that shows a picture fetched from a URL through the library's request queue and URL
// cache, with a default picture while none is loaded.  Without a style it draws nothing itself:
// its layer (ULImageLayer) takes the picture as its contents, the fast path for lists of
// thumbnails.  With a style (rounded or framed pictures) the chain draws, and a content style
// of the chain places the picture.
//
// What callers rely on:
// - A new URL path stops the running load and starts one; the path already shown starts
//   nothing.  A picture the URL cache holds in memory shows at once, without a request.
// - The delegate (not kept alive) hears didStartLoad, didLoadImage and didFailLoadWithError
//   (no error for a cancelled load); showing the default picture is never reported as loaded.
// - Sizing to a new picture: with autoresizesToImage, or a frame of zero size, the view takes
//   the picture's size; a zero height (or width) follows from the other side by the picture's
//   proportions.  A picture with a zero side leaves the frame as it was.
// Main thread only.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSError.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIImage.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULURLRequestDelegate.h"
#include "uilib/views/ULView.h"

class ULImageView;

// What an image view (or a button's picture) tells its delegate.  Every method is optional;
// the image view argument is empty where a button's picture reports.
class ULImageViewDelegate {
 public:
  virtual ~ULImageViewDelegate() = default;
  virtual void imageViewDidLoadImage(ULImageView* imageView,
                                     const std::shared_ptr<UIImage>& image) {}
  virtual void imageViewDidStartLoad(ULImageView* imageView) {}
  virtual void imageViewDidFailLoadWithError(ULImageView* imageView, const NSErrorPtr& error) {}
};

// The layer of an image view: with an override view it shows that view's picture as its
// contents, without drawing; otherwise it draws as every layer does.
class ULImageLayer : public CALayer {
  NS_CLASS(ULImageLayer, CALayer)

 public:
  std::shared_ptr<ULImageView> override() const { return override_.lock(); }
  void setOverride(std::weak_ptr<ULImageView> view) { override_ = std::move(view); }
  void display() override;

 private:
  std::weak_ptr<ULImageView> override_;
};

class ULImageView : public ULView, public ULURLRequestDelegate {
  NS_CLASS(ULImageView, ULView)

 public:
  ULImageView() : ULImageView(CGRectZero) {}
  explicit ULImageView(CGRect frame);
  ~ULImageView() override;

  const std::string& urlPath() const { return urlPath_; }
  void setUrlPath(std::string urlPath);
  const std::shared_ptr<UIImage>& image() const { return image_; }
  void setImage(std::shared_ptr<UIImage> image);
  const std::shared_ptr<UIImage>& defaultImage() const { return defaultImage_; }
  void setDefaultImage(std::shared_ptr<UIImage> image);
  bool autoresizesToImage() const { return autoresizesToImage_; }
  void setAutoresizesToImage(bool yes) { autoresizesToImage_ = yes; }
  std::shared_ptr<ULImageViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ULImageViewDelegate> delegate) { delegate_ = std::move(delegate); }

  // A request runs.
  bool isLoading() const { return request_ != nullptr; }
  // A picture other than the default one shows.
  bool isLoaded() const { return image_ && image_ != defaultImage_; }
  void reload();
  void stopLoading();
  // Stops loading and shows nothing.
  void unsetImage();

  void setStyle(ULStylePtr style) override;
  // Points the layer at the view (no style) or lets it draw (a style), and redisplays it.
  void updateLayer();

  void drawRect(CGRect rect) override;
  // The picture (or the default one) by the view's content mode.
  void drawContent(CGRect rect) override;
  bool drawLayer(ULStyleContext& context, ULStyle& style) override;

  // Hooks for subclasses; nothing here.
  virtual void imageViewDidStartLoad() {}
  virtual void imageViewDidLoadImage(const std::shared_ptr<UIImage>& image) {}
  virtual void imageViewDidFailLoadWithError(const NSErrorPtr& error) {}

  // ---- request delegate
  void requestDidStartLoad(const std::shared_ptr<ULURLRequest>& request) override;
  void requestDidFinishLoad(const std::shared_ptr<ULURLRequest>& request) override;
  void requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>& request,
                                   const NSErrorPtr& error) override;
  void requestDidCancelLoad(const std::shared_ptr<ULURLRequest>& request) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::shared_ptr<ULImageLayer> imageLayer() const;

  std::shared_ptr<ULURLRequest> request_;
  std::string urlPath_;
  std::shared_ptr<UIImage> image_, defaultImage_;
  bool autoresizesToImage_ = false;
  std::weak_ptr<ULImageViewDelegate> delegate_;
};
