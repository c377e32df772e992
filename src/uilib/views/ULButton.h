// A control whose whole look comes from named styles of the global style sheet, one chain per
// control state, with an optional title and an optional picture loaded from a URL per state.
//
// What callers rely on:
// - buttonWithStyle(name, title) is the plain way to make one: the title for the normal state
//   and, for the states normal, highlighted, selected and disabled, the chains the global style
//   sheet's method of that name ("toolbarRoundButton:") gives.  A name the sheet has no method
//   for gives a button without styles: it draws nothing and still takes taps.  The app's own
//   button kit hands its buttons over to this entry at theme 3.
// - What a state shows falls back to the normal state's: a title (or picture, or style) set for
//   the normal state only shows in every state.  The state shown is the selected one when the
//   button is selected, else highlighted, else normal, else (disabled) disabled.
// - keyForState names the content of a combination of state bits: highlighted before selected
//   before disabled.
// - sizeThatFits answers the current style's size of the title (and picture part); without a
//   style, the offered size.
// - A state's picture is loaded through the request queue (or taken from the URL cache's
//   memory at once); the image delegate (not kept alive) hears the load with an empty image
//   view argument.
// Main thread only.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "UIKit/UIControl.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULURLRequestDelegate.h"
#include "uilib/style/ULStyle.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDelegate.h"
#include "uilib/views/ULImageView.h"

class ULButton;

// What one state of a button shows, and the load of that state's picture.
class ULButtonContent : public NSObject, public ULURLRequestDelegate {
  NS_CLASS(ULButtonContent, NSObject)

 public:
  // initWithButton: (not kept alive).
  explicit ULButtonContent(std::weak_ptr<ULButton> button = {}) : button_(std::move(button)) {}
  ~ULButtonContent() override;

  // Empty: none.
  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::string& imageURL() const { return imageURL_; }
  // The URL already shown changes nothing; another one stops the load and starts its own; an
  // empty one clears the picture.
  void setImageURL(std::string url);
  const std::shared_ptr<UIImage>& image() const { return image_; }
  void setImage(std::shared_ptr<UIImage> image) { image_ = std::move(image); }
  const ULStylePtr& style() const { return style_; }
  void setStyle(ULStylePtr style) { style_ = std::move(style); }
  std::shared_ptr<ULImageViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(std::weak_ptr<ULImageViewDelegate> delegate) { delegate_ = std::move(delegate); }
  bool isLoading() const { return request_ != nullptr; }

  void reload();
  void stopLoading();

  void requestDidStartLoad(const std::shared_ptr<ULURLRequest>& request) override;
  void requestDidFinishLoad(const std::shared_ptr<ULURLRequest>& request) override;
  void requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>& request,
                                   const NSErrorPtr& error) override;
  void requestDidCancelLoad(const std::shared_ptr<ULURLRequest>& request) override;

 private:
  void redrawButton();

  std::weak_ptr<ULButton> button_;
  std::string title_;
  std::string imageURL_;
  std::shared_ptr<UIImage> image_;
  ULStylePtr style_;
  std::shared_ptr<ULURLRequest> request_;
  std::weak_ptr<ULImageViewDelegate> delegate_;
};

class ULButton : public UIControl, public ULStyleDelegate {
  NS_CLASS(ULButton, UIControl)

 public:
  ULButton() : ULButton(CGRectZero) {}
  // initWithFrame: a clear background, redrawn on every size change.
  explicit ULButton(CGRect frame);

  // buttonWithStyle: / buttonWithStyle:title:
  static std::shared_ptr<ULButton> buttonWithStyle(std::string_view styleName);
  static std::shared_ptr<ULButton> buttonWithStyle(std::string_view styleName, std::string title);

  // "highlighted", "selected", "disabled" or "normal", tested in that order.
  static std::string keyForState(UIControlState state);
  // Never empty: a missing entry is made.
  std::shared_ptr<ULButtonContent> contentForState(UIControlState state) const;
  std::shared_ptr<ULButtonContent> contentForCurrentState() const;

  // The current state's value, else the normal state's.
  std::string titleForCurrentState() const;
  std::shared_ptr<UIImage> imageForCurrentState() const;
  ULStylePtr styleForCurrentState() const;
  // The button's font when set, else the font of the current style's first text style, else
  // font().
  std::shared_ptr<UIFont> fontForCurrentState() const;

  // Until one is set, the global style sheet's button font (kept from then on).
  std::shared_ptr<UIFont> font() const;
  void setFont(std::shared_ptr<UIFont> font);
  std::string titleForState(UIControlState state) const;
  void setTitle(std::string title, UIControlState state);
  // The state's picture URL.
  std::string imageForState(UIControlState state) const;
  void setImage(std::string url, UIControlState state);
  ULStylePtr styleForState(UIControlState state) const;
  void setStyle(ULStylePtr style, UIControlState state);
  // The named style sheet chains for the states normal, highlighted, selected and disabled.
  void setStylesWithSelector(std::string_view styleName);

  // YES stops the current state's picture load; NO loads it again when it is missing.
  void suspendLoadingImages(bool suspended);
  // Where the current picture lands within the image part; zero without a style, an image
  // part or a picture.
  CGRect rectForImage() const;

  bool isVertical() const { return isVertical_; }
  void setIsVertical(bool vertical) { isVertical_ = vertical; }
  std::shared_ptr<ULImageViewDelegate> imageDelegate() const { return imageDelegate_.lock(); }
  void setImageDelegate(std::weak_ptr<ULImageViewDelegate> d) { imageDelegate_ = std::move(d); }

  void drawRect(CGRect rect) override;
  CGSize sizeThatFits(CGSize size) const override;

  std::optional<std::string> textForLayerWithStyle(ULStyle& style) override;
  std::shared_ptr<UIImage> imageForLayerWithStyle(ULStyle& style) override;

  bool isAccessibilityElement() const { return true; }
  std::string accessibilityLabel() const { return titleForCurrentState(); }

 protected:
  void stateDidChange() override;
  void describeAttributes(std::string& line) const override;

 private:
  std::shared_ptr<ULStyleContext> makeContext() const;

  mutable std::map<std::string, std::shared_ptr<ULButtonContent>> content_;
  mutable std::shared_ptr<UIFont> font_;
  bool isVertical_ = false;
  std::weak_ptr<ULImageViewDelegate> imageDelegate_;
};
