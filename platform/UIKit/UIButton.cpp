#include "UIKit/UIButton.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIGraphics.h"

namespace {

std::shared_ptr<UIColor> defaultTitleColor(UIButtonType type, UIControlState state) {
  if (type == UIButtonType::RoundedRect) {
    if (state & UIControlStateHighlighted) return UIColor::whiteColor();
    if (state & UIControlStateDisabled) return UIColor::colorWithWhite(0.5, 1);
    return UIColor::colorWithRed(0.196, 0.31, 0.522, 1);
  }
  if (state & UIControlStateDisabled) return UIColor::colorWithWhite(1, 0.5);
  return UIColor::whiteColor();
}

// A darkened (highlighted) or faded (disabled) copy of an image, same size and scale.
std::shared_ptr<UIImage> adjustedImage(const std::shared_ptr<UIImage>& image, bool darken) {
  CGSize size = image->size();
  if (size.width <= 0 || size.height <= 0) return image;
  UIGraphicsBeginImageContextWithOptions(size, false, image->scale());
  auto ctx = UIGraphicsGetCurrentContext();
  std::shared_ptr<UIImage> out;
  if (ctx) {
    CGRect r{{0, 0}, size};
    if (darken) {
      image->drawInRect(r);
      ctx->setBlendMode(CGBlendMode::SourceAtop);
      ctx->setGrayFillColor(0, 1.0 / 3);
      ctx->fillRect(r);
    } else {
      image->drawInRect(r, CGBlendMode::Normal, 0.35);
    }
    out = UIGraphicsGetImageFromCurrentImageContext();
  }
  UIGraphicsEndImageContext();
  if (!out) return image;
  // Keep the name the image was loaded by and the caps of a stretchable image.
  if (out->CGImage()) out->CGImage()->setSourceName(image->name());
  out = UIImage::imageWithCGImage(out->CGImage(), out->scale());
  if (image->isStretchable()) out = out->resizableImageWithCapInsets(image->capInsets());
  return out;
}

}  // namespace

UIButton::UIButton(CGRect frame, UIButtonType type) : UIControl(frame), type_(type) {
  if (type_ == UIButtonType::RoundedRect) {
    setBackgroundColor(UIColor::whiteColor());
    layer()->setCornerRadius(9);
    layer()->setBorderWidth(1);
    layer()->setBorderColor(UIColor::colorWithWhite(0.6, 1)->CGColor());
  }
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
  return std::make_shared<UIButton>(CGRectZero, type);
}

template <class T>
T UIButton::lookup(UIControlState state, T Values::*field) const {
  auto it = values_.find(state);
  if (it != values_.end() && it->second.*field) return it->second.*field;
  auto normal = values_.find(UIControlStateNormal);
  if (normal != values_.end()) return normal->second.*field;
  return T();
}

void UIButton::changed() {
  setNeedsLayout();
}

void UIButton::setTitle(std::optional<std::string> title, UIControlState state) {
  values_[state].title = std::move(title);
  if (values_[state].title) titleLabel();
  changed();
}

std::optional<std::string> UIButton::titleForState(UIControlState state) const {
  return lookup(state, &Values::title);
}

void UIButton::setTitleColor(std::shared_ptr<UIColor> color, UIControlState state) {
  values_[state].titleColor = std::move(color);
  changed();
}

std::shared_ptr<UIColor> UIButton::titleColorForState(UIControlState state) const {
  auto color = lookup(state, &Values::titleColor);
  return color ? color : defaultTitleColor(type_, state);
}

void UIButton::setTitleShadowColor(std::shared_ptr<UIColor> color, UIControlState state) {
  values_[state].titleShadowColor = std::move(color);
  changed();
}

std::shared_ptr<UIColor> UIButton::titleShadowColorForState(UIControlState state) const {
  return lookup(state, &Values::titleShadowColor);
}

void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState state) {
  values_[state].image = std::move(image);
  changed();
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const {
  return lookup(state, &Values::image);
}

void UIButton::setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state) {
  values_[state].backgroundImage = std::move(image);
  changed();
}

std::shared_ptr<UIImage> UIButton::backgroundImageForState(UIControlState state) const {
  return lookup(state, &Values::backgroundImage);
}

std::shared_ptr<UILabel> UIButton::titleLabel() {
  if (!titleLabel_) {
    titleLabel_ = std::make_shared<UILabel>();
    titleLabel_->setBackgroundColor(UIColor::clearColor());
    titleLabel_->setFont(UIFont::boldSystemFontOfSize(15));
    titleLabel_->setLineBreakMode(UILineBreakModeMiddleTruncation);
    titleLabel_->setShadowOffset(CGSizeZero);
    addSubview(titleLabel_);
  }
  return titleLabel_;
}

std::shared_ptr<UIImageView> UIButton::imageView() {
  if (!imageView_) {
    imageView_ = std::make_shared<UIImageView>();
    if (titleLabel_) {
      insertSubviewBelowSubview(imageView_, titleLabel_);
    } else {
      addSubview(imageView_);
    }
  }
  return imageView_;
}

void UIButton::setContentEdgeInsets(UIEdgeInsets insets) {
  contentEdgeInsets_ = insets;
  changed();
}

void UIButton::setTitleEdgeInsets(UIEdgeInsets insets) {
  titleEdgeInsets_ = insets;
  changed();
}

void UIButton::setImageEdgeInsets(UIEdgeInsets insets) {
  imageEdgeInsets_ = insets;
  changed();
}

CGSize UIButton::titleShadowOffset() const {
  return titleLabel_ ? titleLabel_->shadowOffset() : CGSizeZero;
}

void UIButton::setTitleShadowOffset(CGSize offset) {
  titleLabel()->setShadowOffset(offset);
}

void UIButton::setAdjustsImageWhenHighlighted(bool adjusts) {
  adjustsImageWhenHighlighted_ = adjusts;
  changed();
}

void UIButton::setAdjustsImageWhenDisabled(bool adjusts) {
  adjustsImageWhenDisabled_ = adjusts;
  changed();
}

void UIButton::setShowsTouchWhenHighlighted(bool shows) {
  showsTouchWhenHighlighted_ = shows;
  changed();
}

void UIButton::setReversesTitleShadowWhenHighlighted(bool reverses) {
  reversesTitleShadow_ = reverses;
  changed();
}

void UIButton::stateDidChange() {
  if (type_ == UIButtonType::RoundedRect)
    setBackgroundColor(isHighlighted() ? UIColor::colorWithRed(0.02, 0.45, 0.95, 1)
                                       : UIColor::whiteColor());
}

std::shared_ptr<UIImage> UIButton::shownImage(const std::shared_ptr<UIImage>& own,
                                              const std::shared_ptr<UIImage>& normal) const {
  UIControlState s = state();
  if (!normal || own != normal || s == UIControlStateNormal) return own;
  bool darken = (s & UIControlStateHighlighted) && adjustsImageWhenHighlighted_;
  bool fade = (s & UIControlStateDisabled) && adjustsImageWhenDisabled_;
  if (!darken && !fade) return own;
  auto key = std::make_pair(own.get(), darken);
  auto it = adjusted_.find(key);
  if (it != adjusted_.end()) return it->second;
  auto made = adjustedImage(own, darken);
  adjusted_[key] = made;
  return made;
}

CGRect UIButton::contentRectForBounds(CGRect bounds) const {
  return UIEdgeInsetsInsetRect(bounds, contentEdgeInsets_);
}

CGSize UIButton::titleSize(CGFloat maxWidth) const {
  auto title = currentTitle();
  if (!title || title->empty() || !titleLabel_) return CGSizeZero;
  CGSize s = sizeWithFont(*title, titleLabel_->font());
  if (maxWidth >= 0) s.width = std::min(s.width, maxWidth);
  return s;
}

UIButton::Placement UIButton::place(CGRect content) const {
  auto image = currentImage();
  CGSize is = image ? image->size() : CGSizeZero;
  is.width = std::min(is.width, content.size.width);
  is.height = std::min(is.height, content.size.height);
  CGFloat available =
      std::max(0.0, content.size.width - is.width - titleEdgeInsets_.left - titleEdgeInsets_.right);
  CGSize ts = titleSize(available);
  auto horizontal = contentHorizontalAlignment();
  auto vertical = contentVerticalAlignment();
  if (horizontal == UIControlContentHorizontalAlignment::Fill) ts.width = available;
  if (vertical == UIControlContentVerticalAlignment::Fill) is.height = content.size.height;
  // The image and the title side by side, placed as one.
  CGFloat total = is.width + ts.width;
  CGFloat x = horizontal == UIControlContentHorizontalAlignment::Right
                  ? CGRectGetMaxX(content) - total
              : horizontal == UIControlContentHorizontalAlignment::Center
                  ? content.origin.x + (content.size.width - total) / 2
                  : content.origin.x;
  auto top = [&](CGFloat h) {
    switch (vertical) {
      case UIControlContentVerticalAlignment::Top:
      case UIControlContentVerticalAlignment::Fill:
        return content.origin.y;
      case UIControlContentVerticalAlignment::Bottom:
        return CGRectGetMaxY(content) - h;
      default:
        return content.origin.y + (content.size.height - h) / 2;
    }
  };
  auto moved = [](CGFloat x, CGFloat y, CGSize size, const UIEdgeInsets& insets) {
    return CGRectMake(std::round(x + insets.left - insets.right),
                      std::round(y + insets.top - insets.bottom), size.width, size.height);
  };
  return {moved(x, top(is.height), is, imageEdgeInsets_),
          moved(x + is.width, top(ts.height), ts, titleEdgeInsets_)};
}

CGRect UIButton::imageRectForContentRect(CGRect content) const {
  return place(content).image;
}

CGRect UIButton::titleRectForContentRect(CGRect content) const {
  return place(content).title;
}

void UIButton::layoutSubviews() {
  CGRect b = bounds();
  auto normalBackground = backgroundImageForState(UIControlStateNormal);
  auto background = shownImage(currentBackgroundImage(), normalBackground);
  if (background) {
    if (!backgroundView_) {
      backgroundView_ = std::make_shared<UIImageView>();
      insertSubview(backgroundView_, 0);
    }
    backgroundView_->setHidden(false);
    backgroundView_->setImage(background);
    backgroundView_->setFrame(backgroundRectForBounds(b));
  } else if (backgroundView_) {
    backgroundView_->setHidden(true);
  }

  CGRect content = contentRectForBounds(b);
  auto image = shownImage(currentImage(), imageForState(UIControlStateNormal));
  if (image) {
    auto view = imageView();
    view->setHidden(false);
    view->setImage(image);
    view->setFrame(imageRectForContentRect(content));
  } else if (imageView_) {
    imageView_->setHidden(true);
  }

  auto title = currentTitle();
  if (title && !title->empty()) {
    auto label = titleLabel();
    label->setHidden(false);
    label->setText(*title);
    label->setTextColor(currentTitleColor());
    auto shadow = currentTitleShadowColor();
    label->setShadowColor(shadow);
    if (shadow && reversesTitleShadow_ && isHighlighted()) {
      CGSize o = label->shadowOffset();
      label->setShadowOffset(CGSizeMake(-o.width, -o.height));
    }
    label->setFrame(titleRectForContentRect(content));
  } else if (titleLabel_) {
    titleLabel_->setHidden(true);
  }

  bool glow = showsTouchWhenHighlighted_ && isHighlighted();
  if (glow && !glow_) {
    glow_ = CALayer::layer();
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    glow_->setBounds(CGRectMake(0, 0, 30, 30));
    glow_->setCornerRadius(15);
    glow_->setBackgroundColor(CGColor::createGenericGray(1, 1));
    glow_->setOpacity(0.6f);
    glow_->setShadowColor(CGColor::createGenericGray(1, 1));
    glow_->setShadowOpacity(1);
    glow_->setShadowOffset(CGSizeZero);
    glow_->setShadowRadius(8);
    CATransaction::commit();
  }
  if (glow_) {
    CATransaction::begin();
    CATransaction::setDisableActions(true);
    glow_->setPosition(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)));
    if (glow) {
      layer()->addSublayer(glow_);
    } else {
      glow_->removeFromSuperlayer();
    }
    CATransaction::commit();
  }
}

CGSize UIButton::sizeThatFits(CGSize) const {
  auto image = currentImage();
  CGSize is = image ? image->size() : CGSizeZero;
  CGSize ts = titleSize(-1);
  CGFloat w = is.width + ts.width + contentEdgeInsets_.left + contentEdgeInsets_.right;
  CGFloat h = std::max(is.height, ts.height) + contentEdgeInsets_.top + contentEdgeInsets_.bottom;
  if (auto background = currentBackgroundImage()) {
    w = std::max(w, background->size().width);
    h = std::max(h, background->size().height);
  }
  return CGSizeMake(w, h);
}

void UIButton::describeAttributes(std::string& line) const {
  if (auto title = currentTitle(); title && !title->empty()) line += " title=" + quoted(*title);
  if (auto image = currentImage(); image && !image->name().empty())
    line += " image=" + quoted(image->name());
  if (auto background = currentBackgroundImage(); background && !background->name().empty())
    line += " background=" + quoted(background->name());
  UIControl::describeAttributes(line);
}

bool UIButton::dumpsSubview(const UIView& view) const {
  return &view != backgroundView_.get() && &view != imageView_.get() && &view != titleLabel_.get();
}

NS_CLASS_IMPLEMENTATION(UIButton) {}
