// The base view of the library's controls: a plain view drawn entirely by a style chain (from
// the global style sheet, usually) and whose subviews a pluggable layout places.
//
// Drawing: with a style, the chain draws with a context whose delegate is the view and whose
// frame and content frame are the bounds; when no style of the chain drew the content (or
// there is no style), drawContent draws it with the bounds.  The view redraws on every size
// change (content mode "redraw").  Measuring: sizeThatFits ignores the offered size and answers
// the chain's size of empty content (zero without a style).
//
// ULLabel is a one-line text drawn the same way: only a text style of its chain shows the
// text (a label without a style shows nothing).  ULUnclippedView turns clipping off on itself
// and every ancestor when it is added, so that its content may overhang.  Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "UIKit/UIFont.h"
#include "UIKit/UIView.h"
#include "uilib/layout/ULLayout.h"
#include "uilib/style/ULStyle.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDelegate.h"

class ULView : public UIView, public ULStyleDelegate {
  NS_CLASS(ULView, UIView)

 public:
  ULView() : ULView(CGRectZero) {}
  // initWithFrame: (a subclass with a layer of its own kind passes it).
  explicit ULView(CGRect frame, std::shared_ptr<CALayer> layer = nullptr);

  const ULStylePtr& style() const { return style_; }
  // A different style is kept and the view redrawn; the same one changes nothing.
  virtual void setStyle(ULStylePtr style);
  // Setting a layout does not lay the view out.
  const std::shared_ptr<ULLayout>& layout() const { return layout_; }
  void setLayout(std::shared_ptr<ULLayout> layout) { layout_ = std::move(layout); }

  void drawRect(CGRect rect) override;
  // The view's own content, drawn where no style of the chain did; nothing here.
  virtual void drawContent(CGRect rect) {}
  // The layout places the subviews (what size it answers is not used).
  void layoutSubviews() override;
  CGSize sizeThatFits(CGSize size) const override;

 protected:
  // The view as the delegate of the style contexts it makes.
  std::shared_ptr<ULStyleDelegate> styleDelegate() const;
  // A fresh context for the view: delegate the view, frame and content frame `frame`.
  std::shared_ptr<ULStyleContext> makeContext(CGRect frame) const;

 private:
  ULStylePtr style_;
  std::shared_ptr<ULLayout> layout_;
};

class ULLabel : public ULView {
  NS_CLASS(ULLabel, ULView)

 public:
  ULLabel() : ULLabel(CGRectZero) {}
  explicit ULLabel(CGRect frame) : ULView(frame) {}
  // initWithText:
  explicit ULLabel(std::string text);

  const std::string& text() const { return text_; }
  // A different text is kept and the label redrawn.
  void setText(std::string text);
  // The label's font; until one is set, the global style sheet's font (kept from then on).
  std::shared_ptr<UIFont> font() const;
  void setFont(std::shared_ptr<UIFont> font);

  // Draws and measures with the font set so far (none until set or first asked for), so
  // that a text style without a font of its own falls back to its own default.
  void drawRect(CGRect rect) override;
  CGSize sizeThatFits(CGSize size) const override;
  std::optional<std::string> textForLayerWithStyle(ULStyle& style) override { return text_; }

  bool isAccessibilityElement() const { return true; }
  const std::string& accessibilityLabel() const { return text_; }

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::string text_;
  mutable std::shared_ptr<UIFont> font_;
};

class ULUnclippedView : public UIView {
  NS_CLASS(ULUnclippedView, UIView)

 public:
  ULUnclippedView() : ULUnclippedView(CGRectZero) {}
  explicit ULUnclippedView(CGRect frame) : UIView(frame) {}

  // didMoveToSuperview: clipping off from the view itself to the top of its tree.
  void didMoveToSuperview() override;
};
