// GIF files as looping image-view animations.  A caller asks for a view and gets at once an
// image view showing the file's first picture; the decoding of all frames is put off to the
// next pass of the main run loop, which works through every queued file in arrival order.
// Every frame shows 0.2 s (the file's delays are not read) and the animation loops for ever.
// Frames are scaled down to the view's width when wider (never enlarged).  A file with no
// readable frame leaves the view empty.  Main thread only.
#pragma once

#include <deque>
#include <memory>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGGeometry.h"

class NSURL;
class UIImage;
class UIImageView;

// One queued file and the view waiting for its animation (kept alive until decoded).
struct GifAnimationQueueObject {
  std::shared_ptr<UIImageView> uiv;
  std::shared_ptr<NSURL> url;
};

class GifAnimatedShow {
 public:
  static GifAnimatedShow& sharedInstance();

  // getAnimationForGifAtName:fileFrame: - a new image view at the frame showing the file's
  // first picture; its animation follows on the next pass of the main run loop.
  static std::shared_ptr<UIImageView> getAnimationForGifAtName(std::string_view path, CGRect frame);
  // pressImage:withRect: - the picture scaled to the rectangle's width (proportions kept) when
  // wider; otherwise redrawn at its own size.
  static std::shared_ptr<UIImage> pressImage(const std::shared_ptr<UIImage>& image, CGRect rect);

  void addToQueue(GifAnimationQueueObject entry);
  // The decoding pass: every queued file, oldest first, until the queue is empty.
  void asynchronousLoading();
  // The frames of the GIF data, each scaled by pressImage with the frame.
  void decodeGIF(const std::string& data, CGRect frame);
  std::shared_ptr<UIImage> getFrameAsImageAtIndex(size_t index) const;
  // The decoded frames as a looping animation of imageView (made when none); nullptr when no
  // frame was decoded.
  std::shared_ptr<UIImageView> getAnimation();

  const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
  void setImageView(std::shared_ptr<UIImageView> view) { imageView_ = std::move(view); }
  bool busyDecoding() const { return busyDecoding_; }
  void setBusyDecoding(bool busy) { busyDecoding_ = busy; }

 private:
  std::deque<GifAnimationQueueObject> imageQueue_;
  std::shared_ptr<UIImageView> imageView_;
  std::vector<std::shared_ptr<UIImage>> framesData_;
  bool busyDecoding_ = false;
};
