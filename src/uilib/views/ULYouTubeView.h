// A web view that plays an online video: it loads a small page embedding the video's address
// as a movie object of the view's size, and when the view is resized it resizes the embedded
// player by a script ("yt.width = W; yt.height = H") instead of loading the page again.
//
// The address is escaped for HTML (& " < > ') where it enters the page; an address without
// those characters gives the page text exactly.  Without an address the page is a single
// non-breaking space.  Main thread only.
#pragma once

#include <string>

#include "UIKit/UIWebView.h"

class ULYouTubeView : public UIWebView {
  NS_CLASS(ULYouTubeView, UIWebView)

 public:
  ULYouTubeView() : ULYouTubeView(CGRectZero) {}
  explicit ULYouTubeView(CGRect frame) : UIWebView(frame) {}
  // initWithURLPath: a 140 × 105 view at the origin showing the video.
  explicit ULYouTubeView(std::string urlPath);

  const std::string& urlPath() const { return urlPath_; }
  // Keeps the address and loads its page (no base address); "" loads the empty page.
  void setUrlPath(std::string urlPath);

  // The page that plays the video at the address in a player of the given size.
  static std::string pageForVideo(const std::string& urlPath, CGSize size);

  void layoutSubviews() override;

 private:
  std::string urlPath_;
};
