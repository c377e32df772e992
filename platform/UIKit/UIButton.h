// Buttons: per-state titles, title colours and shadow colours, images and background images
// (a state without its own value uses the normal state's), laid out in the button's bounds:
// the background image fills them (stretchable images keep their caps), the image and the
// title sit side by side, placed by the content alignments and moved by their edge insets.
// While highlighted (or disabled) a button without an image of that state shows its normal
// images darkened (or faded), as adjustsImageWhenHighlighted (adjustsImageWhenDisabled) asks;
// showsTouchWhenHighlighted adds a white glow in the middle while highlighted.
//
// The title label and image views are the button's own subviews; dumps show the current
// title, image and background names on the button's line instead.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "UIKit/UIControl.h"
#include "UIKit/UIGeometry.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"

enum class UIButtonType {
  Custom = 0,
  RoundedRect = 1,
  DetailDisclosure = 2,
  InfoLight = 3,
  InfoDark = 4,
  ContactAdd = 5
};

class UIButton : public UIControl {
  NS_CLASS(UIButton, UIControl)
 public:
  UIButton() : UIButton(CGRectZero) {}
  explicit UIButton(CGRect frame, UIButtonType type = UIButtonType::Custom);

  static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);
  UIButtonType buttonType() const { return type_; }

  // ---- per-state values (nullopt / nullptr removes the state's own value)
  void setTitle(std::optional<std::string> title, UIControlState state);
  std::optional<std::string> titleForState(UIControlState state) const;
  void setTitleColor(std::shared_ptr<UIColor> color, UIControlState state);
  std::shared_ptr<UIColor> titleColorForState(UIControlState state) const;
  void setTitleShadowColor(std::shared_ptr<UIColor> color, UIControlState state);
  std::shared_ptr<UIColor> titleShadowColorForState(UIControlState state) const;
  void setImage(std::shared_ptr<UIImage> image, UIControlState state);
  std::shared_ptr<UIImage> imageForState(UIControlState state) const;
  void setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state);
  std::shared_ptr<UIImage> backgroundImageForState(UIControlState state) const;

  // For the current state.
  std::optional<std::string> currentTitle() const { return titleForState(state()); }
  std::shared_ptr<UIColor> currentTitleColor() const { return titleColorForState(state()); }
  std::shared_ptr<UIColor> currentTitleShadowColor() const {
    return titleShadowColorForState(state());
  }
  std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }
  std::shared_ptr<UIImage> currentBackgroundImage() const {
    return backgroundImageForState(state());
  }

  // Made on first use.
  std::shared_ptr<UILabel> titleLabel();
  std::shared_ptr<UIImageView> imageView();

  UIEdgeInsets contentEdgeInsets() const { return contentEdgeInsets_; }
  void setContentEdgeInsets(UIEdgeInsets insets);
  UIEdgeInsets titleEdgeInsets() const { return titleEdgeInsets_; }
  void setTitleEdgeInsets(UIEdgeInsets insets);
  UIEdgeInsets imageEdgeInsets() const { return imageEdgeInsets_; }
  void setImageEdgeInsets(UIEdgeInsets insets);
  CGSize titleShadowOffset() const;
  void setTitleShadowOffset(CGSize offset);

  bool adjustsImageWhenHighlighted() const { return adjustsImageWhenHighlighted_; }
  void setAdjustsImageWhenHighlighted(bool adjusts);
  bool adjustsImageWhenDisabled() const { return adjustsImageWhenDisabled_; }
  void setAdjustsImageWhenDisabled(bool adjusts);
  bool showsTouchWhenHighlighted() const { return showsTouchWhenHighlighted_; }
  void setShowsTouchWhenHighlighted(bool shows);
  bool reversesTitleShadowWhenHighlighted() const { return reversesTitleShadow_; }
  void setReversesTitleShadowWhenHighlighted(bool reverses);

  // Where the parts go in the bounds.
  CGRect backgroundRectForBounds(CGRect bounds) const { return bounds; }
  CGRect contentRectForBounds(CGRect bounds) const;
  CGRect titleRectForContentRect(CGRect contentRect) const;
  CGRect imageRectForContentRect(CGRect contentRect) const;

  void layoutSubviews() override;
  // The image and title side by side, with the content insets.
  CGSize sizeThatFits(CGSize size) const override;

 protected:
  void stateDidChange() override;
  void describeAttributes(std::string& line) const override;
  bool dumpsSubview(const UIView& view) const override;

 private:
  struct Values {
    std::optional<std::string> title;
    std::shared_ptr<UIColor> titleColor, titleShadowColor;
    std::shared_ptr<UIImage> image, backgroundImage;
  };
  template <class T>
  T lookup(UIControlState state, T Values::*field) const;
  // The image to show for the state: its own, or the normal one adjusted to the state's look.
  std::shared_ptr<UIImage> shownImage(const std::shared_ptr<UIImage>& own,
                                      const std::shared_ptr<UIImage>& normal) const;
  CGSize titleSize(CGFloat maxWidth) const;
  struct Placement {
    CGRect image, title;
  };
  Placement place(CGRect contentRect) const;
  void changed();

  UIButtonType type_;
  std::map<UIControlState, Values> values_;
  std::shared_ptr<UIImageView> backgroundView_;
  std::shared_ptr<UIImageView> imageView_;
  std::shared_ptr<UILabel> titleLabel_;
  std::shared_ptr<CALayer> glow_;
  UIEdgeInsets contentEdgeInsets_, titleEdgeInsets_, imageEdgeInsets_;
  bool adjustsImageWhenHighlighted_ = true;
  bool adjustsImageWhenDisabled_ = true;
  bool showsTouchWhenHighlighted_ = false;
  bool reversesTitleShadow_ = false;
  // Darkened and faded forms of images, made once per image.
  mutable std::map<std::pair<const UIImage*, bool>, std::shared_ptr<UIImage>> adjusted_;
};
