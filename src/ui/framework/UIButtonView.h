// A plain view that acts as a button (the feed's pictures): it draws its picture by the
// longer-side rule of UIYBImage, centred, fades to half while touched, and fires its one
// target and action when the touch ends inside its frame.
#pragma once

#include <memory>

#include "UIKit/UIControl.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"
#include "ui/framework/TouchTarget.h"

class UIButtonView : public UIView {
  NS_CLASS(UIButtonView, UIView)
 public:
  UIButtonView() : UIButtonView(CGRectZero) {}
  // Clear, not opaque, the context not cleared before drawing.
  explicit UIButtonView(CGRect frame);

  const std::shared_ptr<UIImage>& image() const { return m_img_; }
  // The state is not looked at.
  void setImage(std::shared_ptr<UIImage> image, UIControlState state = UIControlStateNormal);
  void addTarget(Selector action, UIControlEvents events);

  void drawRect(CGRect rect) override;
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

 private:
  std::shared_ptr<UIImage> m_img_;
  TouchTarget target_;
};

// Whether a touch's end point, seen from the view's superview, lies in the view's frame.
bool touchEndsInFrame(const UIView& view, const UITouchSet& touches);
