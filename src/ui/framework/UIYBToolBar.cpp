#include "ui/framework/UIYBToolBar.h"

#include "Foundation/NSClass.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIImage.h"
#include "core/UIBkImageView.h"

void UIYBToolBar::drawRect(CGRect rect) {
  UIToolbar::drawRect(rect);
  if (auto image = UIImage::imageNamed(UIBkImageView::tabBarThemeImage())) {
    CGSize s = frame().size;
    image->drawInRect(CGRectMake(0, 0, s.width, s.height));
  }
}

void UIYBToolBar::drawLayerInContext(CALayer& layer, const CGContextRef&) {
  // One layer for the bar's whole life, brought up to date at each pass: a new one at every
  // pass would pile up under the items.
  if (!themeLayer_) {
    themeLayer_ = std::make_shared<CALayer>();
    layer.insertSublayer(themeLayer_, 0);
  }
  auto image = UIImage::imageNamed(UIBkImageView::tabBarThemeImage());
  themeLayer_->setContents(image ? image->CGImage() : nullptr);
  if (image) themeLayer_->setContentsScale(image->scale());
  CGRect b = bounds();
  themeLayer_->setBounds(CGRectMake(0, 0, b.size.width, b.size.height));
  themeLayer_->setPosition(CGPointMake(b.size.width / 2, b.size.height / 2));
}

NS_CLASS_IMPLEMENTATION(UIYBToolBar) {}
