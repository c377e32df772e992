#include "ui/framework/YBNavigationBar.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "core/UIBkImageView.h"

void YBNavigationBar::drawRect(CGRect rect) {
  if (auto image = UIImage::imageNamed(UIBkImageView::navigationThemeImage())) {
    CGSize s = frame().size;
    image->drawInRect(CGRectMake(0, 0, s.width, s.height));
  }
  UIView::drawRect(rect);
}

void YBNavigationBar::setNavigationTitle(const std::string& text) {
  if (!titleLabel_) {
    titleLabel_ = std::make_shared<UILabel>(CGRectMake(50, 0, 220, 44));
    titleLabel_->setBackgroundColor(UIColor::clearColor());
    titleLabel_->setTextAlignment(UITextAlignmentCenter);
    titleLabel_->setTextColor(UIColor::whiteColor());
    titleLabel_->setFont(UIFont::boldSystemFontOfSize(18));
    addSubview(titleLabel_);
  }
  titleLabel_->setText(text);
}

void YBNavigationBar::addTap(Selector action) {
  if (!titleLabel_) return;
  for (auto& r : titleLabel_->gestureRecognizers())
    if (std::dynamic_pointer_cast<UITapGestureRecognizer>(r)) return;
  titleLabel_->setUserInteractionEnabled(true);
  titleLabel_->addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(std::move(action)));
}

NS_CLASS_IMPLEMENTATION(YBNavigationBar) {}
