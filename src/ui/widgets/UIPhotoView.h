// A zoomable full-screen view of one picture (zoom 1 to 2, black background).  It shows a
// picture in hand, or the picture of a URL: from the picture cache at once, or downloaded with a
// spinner, a progress bar and a percentage that counts up 0.05 a tick every 0.1 s toward the
// last reported fraction.  A finished download is read and recompressed on a thread of its own
// and shown on the main thread; GIFs animate (up to 1 MB through GifAnimatedShow, up to 4 MB in
// a UIGifView, larger ones still).  A tap that did not move is reported to the touch delegate,
// and so is a failed download.
//
// The download goes to a temporary file that replaces the cache file only when it is complete
// and decodes as a picture, so a broken or foreign body never becomes a cached picture.
// Main thread only (but for the recompression thread, which touches no view).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/Value.h"
#include "UIKit/UIScrollView.h"
#include "net/http/HXProgressDelegate.h"

class HXHTTPRequest;
class NSTimer;
class UIActivityIndicatorView;
class UIImage;
class UILabel;
class UIProgressView;

// Told of taps and failures; every method is optional.
class PhotoTouch {
 public:
  virtual ~PhotoTouch() = default;
  virtual void touch() {}
  virtual long isDownLoadOkImg(const Value& /*object*/) { return 0; }
  virtual void downLoadFail() {}
};

class UIPhotoView : public UIScrollView, public UIScrollViewDelegate, public HXProgressDelegate {
  NS_CLASS(UIPhotoView, UIScrollView)
 public:
  static constexpr double kProgressTick = 0.1;
  static constexpr float kProgressStep = 0.05f;
  static constexpr double kTimeout = 60;
  inline static const std::string kFailText = "下载图片失败!";

  // initWithImage: - the picture laid out by the fit rule.
  static std::shared_ptr<UIPhotoView> initWithImage(const std::shared_ptr<UIImage>& image);
  // initWithPath:withType: - the cached picture of the URL, else its download.
  static std::shared_ptr<UIPhotoView> initWithPath(std::string_view url, int weiboType);
  explicit UIPhotoView(CGRect frame);
  ~UIPhotoView() override;

  // The frame of a picture view of the size and the content size, by the fit rule for a screen
  // `screenHeight` points high: at most 320 wide, centred across and (when shorter than the
  // screen less the status bar) down.
  static CGRect fitFrame(CGSize size, CGFloat screenHeight);
  static CGSize fitContentSize(CGSize size, CGFloat screenHeight);

  // showPic: - the downloaded picture of the file: a still view, or a GIF player by the file's
  // weight; then the download furniture goes.
  void showPic(const std::shared_ptr<UIImage>& image, const std::string& path);
  // The download's progress (0 to 1): ignored for a reply whose status is set and is not 200.
  void setProgress(float progress) override;
  // drawLabel: - one tick of the percentage.
  void drawLabel();
  // stopDownload - the download's delegates cleared and the download cancelled.
  void stopDownload();

  bool isImageOk() const { return isImageOk_; }
  int weiboType() const { return weiboType_; }
  void setWeiboType(int type) { weiboType_ = type; }
  std::weak_ptr<PhotoTouch> touchDelegate() const { return touchDelegate_; }
  void setTouchDelegate(std::weak_ptr<PhotoTouch> d) { touchDelegate_ = std::move(d); }

  // The picture view (a plain or animated image view, or a UIGifView); nullptr before one shows.
  const std::shared_ptr<UIView>& img() const { return img_; }
  const std::shared_ptr<UIActivityIndicatorView>& indicatorView() const { return indicatorView_; }
  const std::shared_ptr<UILabel>& textL() const { return textL_; }
  const std::shared_ptr<UILabel>& progressLabel() const { return progress_; }
  const std::shared_ptr<UIProgressView>& progressView() const { return progressView_; }
  const std::shared_ptr<HXHTTPRequest>& request() const { return request_; }

  // ---- scroll view delegate (the view is its own)
  std::shared_ptr<UIView> viewForZoomingInScrollView(const std::shared_ptr<UIScrollView>&) override;
  void scrollViewDidEndZoomingWithViewAtScale(const std::shared_ptr<UIScrollView>&,
                                              const std::shared_ptr<UIView>& view,
                                              CGFloat scale) override;

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 private:
  void commonSetUp();
  void startDownload(const std::string& url, const std::string& cachePath);
  // The picture view for the file (Algorithms of showPic, step 1), added and laid out.
  void placePicture(const std::shared_ptr<UIImage>& image, const std::string& path);
  void finsh(const Value& request);
  void doNothing();
  void requestFailed(const Value& request);
  void responseHeaders(const Value& requestAndHeaders);
  void startAnimalProgress();
  void startAnimal();
  void stopAnimal();
  void loadAnimalFail(const std::string& text);
  void tellDownLoadFail();

  std::shared_ptr<UIView> img_;
  std::shared_ptr<UIActivityIndicatorView> indicatorView_;
  std::shared_ptr<UILabel> textL_;
  std::shared_ptr<UILabel> progress_;
  std::shared_ptr<UIProgressView> progressView_;
  float cfprogress_ = 0;
  float mfprogress_ = 0;
  std::shared_ptr<NSTimer> animationTimer_;
  std::shared_ptr<HXHTTPRequest> request_;
  // The status of the download's reply once its headers came (0 before).
  int responseStatus_ = 0;
  bool isMove_ = false;
  bool isImageOk_ = false;
  int weiboType_ = 0;
  std::weak_ptr<PhotoTouch> touchDelegate_;
};
