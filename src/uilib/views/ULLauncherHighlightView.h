// The launcher's spotlight: a dark veil over its window (and a cover over the status bar)
// with a clear hole over one launcher button and a text beside it, 20 points below the hole
// when the hole is in the upper half of the window, 20 points above it otherwise.  It zooms
// in over 0.3 s; a tap ends it, and a tap inside the hole also taps the button under it.
// Main thread only.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"
#include "UIKit/UIWindow.h"

class ULLauncherView;

class ULLauncherHighlightView : public UIView {
  NS_CLASS(ULLauncherHighlightView, UIView)
 public:
  ULLauncherHighlightView() : ULLauncherHighlightView(CGRectZero) {}
  explicit ULLauncherHighlightView(CGRect frame);
  ~ULLauncherHighlightView() override;

  std::shared_ptr<ULLauncherView> parentView() const { return parentView_; }
  void setParentView(std::shared_ptr<ULLauncherView> parent) { parentView_ = std::move(parent); }
  const std::string& text() const { return textLabel_->text(); }
  void setText(std::string text);
  // In window coordinates.
  CGRect highlightRect() const { return highlightRect_; }
  void setHighlightRect(CGRect rect);
  const std::shared_ptr<UILabel>& textLabel() const { return textLabel_; }
  const std::shared_ptr<UIWindow>& statusBarCover() const { return statusBarCover_; }

  // Also fades the status bar's cover.
  void setAlpha(CGFloat alpha);
  void appear(bool animated);

  void drawRect(CGRect rect) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 private:
  void layoutLabel();

  std::shared_ptr<UILabel> textLabel_;
  std::shared_ptr<UIWindow> statusBarCover_;
  CGRect highlightRect_ = CGRectZero;
  // Kept alive while it shows.
  std::shared_ptr<ULLauncherView> parentView_;
};
