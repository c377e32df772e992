// An image view that plays a sequence of named pictures at a fixed rate, from the frame shown
// towards the last (or, reversed, the first) and stops there.  Around the frames its delegate
// gets the start, each frame change and, half a second after it stops, the stop, each with the
// context given when playing started.
//
// Made with no arguments (`init`), it is the splash over the launch image: five frames
// "animal0" to "animal4" over 3.5 s; after 3 s it stops, and a second later it shrinks away in
// 0.65 s and leaves its superview, telling `animaleOver` as it starts to vanish.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSTimer.h"
#include "UIKit/UIImageView.h"

// Told when the splash starts to vanish.
class AnimaleOverDelegate {
 public:
  virtual ~AnimaleOverDelegate() = default;
  virtual void overAnimating() {}
};

class UIAnimaleImageView : public UIImageView {
  NS_CLASS(UIAnimaleImageView, UIImageView)
 public:
  static constexpr double kStopDelay = 0.5;
  static constexpr double kSplashSeconds = 3.0;
  static constexpr double kVanishDelay = 1.0;
  static constexpr double kVanishSeconds = 0.65;

  explicit UIAnimaleImageView(CGRect frame = CGRectZero) : UIImageView(frame) {}
  explicit UIAnimaleImageView(std::shared_ptr<UIImage> image) : UIImageView(std::move(image)) {}
  ~UIAnimaleImageView() override;

  // init: the splash, already playing.
  static std::shared_ptr<UIAnimaleImageView> init();

  // A copy of the names.  An index at or past the new count becomes the last frame; no names
  // show no picture and leave the index at 0.
  void setImageNames(std::vector<std::string> names);
  const std::vector<std::string>& imageNames() const { return imageNames_; }
  long count() const { return long(imageNames_.size()); }
  long index() const { return index_; }
  // Ignored outside the sequence; otherwise shows that frame.
  void setIndex(long i);
  // Shows frame i, from the named-image cache with cacheImages, else from its bundle file of
  // that very name; in `imageview`, or, in a view made with a frame (which has none), itself.
  void setImageAtIndex(long i);
  // Loads every frame once into the named-image cache and uses it from now on.
  void precache();

  // Does nothing while playing (the context is kept) or without frames.
  void startAnimatingWithContext(Value context);
  void startAnimating() { startAnimatingWithContext({}); }
  void stopAnimating();
  bool isAnimating() const { return animtimer_ != nullptr; }
  // One step of the frame timer.
  void updateFrame();

  // The splash's end: stops playing without callbacks, and vanishes a second later.
  void stopAll(const Value& timer);
  void dissAnimation();
  void RemoveSelfView(const Value& animationID);

  // The delegate is held: it keeps the selectors' target alive.  The selectors receive the
  // context.
  const std::shared_ptr<NSObject>& delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<NSObject> delegate) { delegate_ = std::move(delegate); }
  const Selector& startSelector() const { return startSelector_; }
  void setStartSelector(Selector s) { startSelector_ = std::move(s); }
  const Selector& frameChangeSelector() const { return frameChangeSelector_; }
  void setFrameChangeSelector(Selector s) { frameChangeSelector_ = std::move(s); }
  const Selector& stopSelector() const { return stopSelector_; }
  void setStopSelector(Selector s) { stopSelector_ = std::move(s); }
  const Value& context() const { return context_; }
  double duration() const { return duration_; }
  void setDuration(double seconds) { duration_ = seconds; }
  bool cacheImages() const { return cacheImages_; }
  void setCacheImages(bool cache) { cacheImages_ = cache; }
  bool reverse() const { return reverse_; }
  void setReverse(bool reverse) { reverse_ = reverse; }
  std::weak_ptr<AnimaleOverDelegate> animaleOver() const { return animaleOver_; }
  void setAnimaleOver(std::weak_ptr<AnimaleOverDelegate> d) { animaleOver_ = std::move(d); }
  const std::shared_ptr<UIImageView>& imageview() const { return imageview_; }

 private:
  // The splash's own start and stop callbacks: nothing to do.
  void start(const Value&) {}
  void stop(const Value&) {}

  long index_ = 0;
  std::vector<std::string> imageNames_;
  std::shared_ptr<UIImageView> imageview_;
  std::shared_ptr<NSTimer> animtimer_;
  std::shared_ptr<NSObject> delegate_;
  Value context_;
  bool imageset_ = false;
  double duration_ = 0;
  Selector startSelector_;
  bool cacheImages_ = false;
  bool reverse_ = false;
  Selector frameChangeSelector_;
  Selector stopSelector_;
  std::weak_ptr<AnimaleOverDelegate> animaleOver_;
};
