// Small views and extensions: a still picture of another view, the tappable advert strip with
// its optional close button, and a button carrying one object of payload.  Main thread only.
#pragma once

#include <memory>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIView.h"

class UIImage;

// The view's layer (with its sublayers) drawn into a new transparent bitmap of its bounds size
// at one pixel a point, in the view's own coordinates wherever it stands in its superview.
std::shared_ptr<UIImage> snapshotOfView(UIView& view);

// A view showing a snapshot of another view, drawn at its top left.
class CaptureView : public UIView {
  NS_CLASS(CaptureView, UIView)
 public:
  explicit CaptureView(CGRect frame);
  // initWithView: - the other view's frame and a snapshot of it.
  static std::shared_ptr<CaptureView> initWithView(const std::shared_ptr<UIView>& view);
  // settingImageFromView: - the view's layer drawn into a new bitmap of its bounds size at one
  // pixel a point, replacing the earlier snapshot.
  void settingImageFromView(const std::shared_ptr<UIView>& view);
  void drawRect(CGRect rect) override;

  const std::shared_ptr<UIImage>& imageCapture() const { return imageCapture_; }
  void setImageCapture(std::shared_ptr<UIImage> image);

 private:
  std::shared_ptr<UIImage> imageCapture_;
};

// The advert strip: a picture that takes touches.  A touch that ends without having moved (or
// been cancelled) performs the stored action; a drag that starts on it does nothing.
class UIAdView : public UIImageView {
  NS_CLASS(UIAdView, UIImageView)
 public:
  explicit UIAdView(CGRect frame);
  static std::shared_ptr<UIAdView> initWithFrame(CGRect frame);

  // addTarget:action: - the action performed (without argument) on a tap; its target is not
  // kept alive by the strip.
  void addTarget(Selector action);
  // addCloseBtn: - once per strip: a "channelClose" button at (250, 15, 30, 30) whose
  // touch-up-inside sends the action (adCloseAction: of the caller).
  void addCloseBtn(Selector adCloseAction);

  bool needClose() const { return needClose_; }
  void setNeedClose(bool needClose) { needClose_ = needClose; }

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

 private:
  bool needClose_ = false;
  bool isMove_ = false;
  Selector action_;
};

// A button with one object of payload (held while the button lives).
class UIDataButton : public UIButton {
  NS_CLASS(UIDataButton, UIButton)
 public:
  using UIButton::UIButton;
  const Value& dataItem() const { return dataItem_; }
  void setDataItem(Value item) { dataItem_ = std::move(item); }

 private:
  Value dataItem_;
};
