// A view that plays a GIF file frame by frame: a repeating timer of 0.05 s decodes one frame a
// tick into the layer's contents, looping for ever (the file's delays are not read).  The
// first tick comes at once and shows frame 1 (frame 0 for a one-frame file).  The timer holds
// the view: its owner calls stopGif before letting it go.  Main thread only.
#pragma once

#include <memory>
#include <string_view>

#include "Foundation/Value.h"
#include "UIKit/UIView.h"

class CGImageSource;
class NSTimer;

class UIGifView : public UIView {
  NS_CLASS(UIGifView, UIView)
 public:
  // initWithFrame:filePath: - opens the file (a file that cannot be read shows nothing) and
  // starts playing.
  static std::shared_ptr<UIGifView> create(CGRect frame, std::string_view path);
  ~UIGifView() override;

  // The next frame, shown as the layer's contents.
  void play();
  void stopGif();

  size_t frameCount() const { return count_; }
  // The frame shown last.
  size_t index() const { return index_; }

  explicit UIGifView(CGRect frame);

 private:
  std::shared_ptr<CGImageSource> gif_;
  Value gifProperties_;
  size_t count_ = 0;
  size_t index_ = 0;
  std::shared_ptr<NSTimer> timer_;
};
