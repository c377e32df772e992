// What a style chain asks of the view it draws for: the text and image to show, and drawing of
// the view's own content where the chain places it.  Every method is optional; the defaults
// answer as a delegate without the method would.
#pragma once

#include <memory>
#include <optional>
#include <string>

class ULStyle;
class ULStyleContext;
class UIImage;

class ULStyleDelegate {
 public:
  virtual ~ULStyleDelegate() = default;

  // textForLayerWithStyle: the text a text style draws and measures (a button's title for its
  // state); nullopt for none.
  virtual std::optional<std::string> textForLayerWithStyle(ULStyle& style) { return std::nullopt; }
  // imageForLayerWithStyle: the image an image style draws when it has none of its own.
  virtual std::shared_ptr<UIImage> imageForLayerWithStyle(ULStyle& style) { return nullptr; }
  // drawLayer:withStyle: the view's own content, drawn at the point the chain has reached.
  // A delegate that draws content answers true; the default has none and answers false, and
  // the chain then counts the content as not drawn.
  virtual bool drawLayer(ULStyleContext& context, ULStyle& style) { return false; }
};
