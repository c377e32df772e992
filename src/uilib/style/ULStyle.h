// Styles: small drawing objects, each responsible for one effect (a fill, a border, a shadow,
// a text), linked head first through `next` into a chain that draws a view.  A style draws
// into the current graphics context with the chain's context (ULStyleContext.h), changes the
// context where its class says so and hands it to `next`; a chain without more styles ends
// there.  Graphics-state changes are undone after each style's own drawing, except by the
// styles that keep them around the rest of the chain (shadow, blend and mask styles).
//
// The same chain measures: addToSize grows a content size by what each style occupies
// (padding, borders, shadow margins, a shape's insets, text and image sizes), addToInsets adds
// the insets of inset and shape styles.  The base class passes both on to `next` unchanged.
//
// A chain is owned from its head: each style keeps its successor.  Chains are built once
// (usually by a style sheet, which shares them between views) and not changed while drawing.
// Main thread only.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGGradient.h"
#include "Foundation/NSObject.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGeometry.h"

class NSClass;
class ULPartStyle;
class ULStyleContext;

class ULStyle : public NSObject {
  NS_CLASS(ULStyle, NSObject)

 public:
  // initWithNext:
  explicit ULStyle(std::shared_ptr<ULStyle> next = nullptr) : next_(std::move(next)) {}

  const std::shared_ptr<ULStyle>& next() const { return next_; }
  void setNext(std::shared_ptr<ULStyle> next) { next_ = std::move(next); }
  // next: sets the rest of the chain and answers this style, so that a chain reads as one
  // expression.
  std::shared_ptr<ULStyle> next(std::shared_ptr<ULStyle> next);

  // draw: this style's effect, then the rest of the chain.
  virtual void draw(ULStyleContext& context);
  virtual UIEdgeInsets addToInsets(UIEdgeInsets insets, CGSize size);
  virtual CGSize addToSize(CGSize size, ULStyleContext& context);

  // addStyle: the style appended after the chain's last.
  void addStyle(std::shared_ptr<ULStyle> style);
  // This style when it is of the class (or one below it), else the first such further on;
  // nullptr when none is.
  std::shared_ptr<ULStyle> firstStyleOfClass(const NSClass& cls);
  // The first part style of the chain named exactly `name`, or nullptr.
  std::shared_ptr<ULPartStyle> styleForPart(std::string_view name);

  // newGradientWithColors:locations:count: a gradient of the colours (grey levels spread over
  // red, green and blue; no colour is clear) at the locations (none: evenly spaced), in the
  // device RGB space.
  static CGGradientRef newGradientWithColors(const std::vector<std::shared_ptr<UIColor>>& colors,
                                             const std::vector<CGFloat>& locations = {});

 protected:
  // Hands the context on to the rest of the chain.
  void drawNext(ULStyleContext& context) {
    if (next_) next_->draw(context);
  }

 private:
  std::shared_ptr<ULStyle> next_;
};

using ULStylePtr = std::shared_ptr<ULStyle>;
