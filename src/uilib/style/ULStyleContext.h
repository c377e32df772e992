// The mutable state a style chain is drawn or measured with.  Each style reads it, draws, may
// change it (a border shrinks the frame, a box moves the content frame, a shape style replaces
// the shape) and hands it on; nothing restores it afterwards, so every change is seen by the
// rest of the chain and by the caller.
//
// How a view draws a chain: a context with the view as delegate, frame and content frame the
// view's bounds (a button first narrows the content frame for its image part), the view's font
// where it has one; `draw` on the first style; then, when didDrawContent is still false, the
// view draws its content itself.  How it measures one: addToSize from the zero size with a
// context whose delegate is the view and whose font is none.
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "UIKit/UIFont.h"
#include "uilib/style/ULShape.h"
#include "uilib/style/ULStyleDelegate.h"

class ULStyleContext : public NSObject {
  NS_CLASS(ULStyleContext, NSObject)

 public:
  // Where backgrounds and borders are drawn.
  CGRect frame() const { return frame_; }
  void setFrame(CGRect frame) { frame_ = frame; }
  // Where content (text, image) is placed.
  CGRect contentFrame() const { return contentFrame_; }
  void setContentFrame(CGRect frame) { contentFrame_ = frame; }
  // The outline of fills, borders, clips and shadows: the shared rectangle until a style sets
  // another (read once, it is kept).
  const ULShapePtr& shape();
  void setShape(ULShapePtr shape) { shape_ = std::move(shape); }
  // The font of text styles that have none.
  const std::shared_ptr<UIFont>& font() const { return font_; }
  void setFont(std::shared_ptr<UIFont> font) { font_ = std::move(font); }
  // Set by the first style that draws the view's content.
  bool didDrawContent() const { return didDrawContent_; }
  void setDidDrawContent(bool drew) { didDrawContent_ = drew; }
  // The view the chain draws for; not kept alive.
  std::shared_ptr<ULStyleDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ULStyleDelegate> delegate) { delegate_ = std::move(delegate); }

 private:
  CGRect frame_ = CGRectZero;
  CGRect contentFrame_ = CGRectZero;
  ULShapePtr shape_;
  std::shared_ptr<UIFont> font_;
  bool didDrawContent_ = false;
  std::weak_ptr<ULStyleDelegate> delegate_;
};
