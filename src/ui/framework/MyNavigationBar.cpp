#include "ui/framework/MyNavigationBar.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "core/UIBkImageView.h"

void drawThemedNavigationBar(UINavigationBar& bar) {
  auto* mine = dynamic_cast<MyNavigationBar*>(&bar);
  bar.setTintColor(mine && mine->needDraw() ? UIBkImageView::getTintColor()
                                            : UIColor::lightGrayColor());
  if (auto image = UIImage::imageNamed(UIBkImageView::navigationThemeImage())) {
    CGSize s = bar.frame().size;
    image->drawInRect(CGRectMake(0, 0, s.width, s.height));
  }
}

void MyNavigationBar::drawRect(CGRect) {
  drawThemedNavigationBar(*this);
}

void MyNavigationBar::setNavigationTitle(const std::string& text) {
  if (!titleLabel_) {
    titleLabel_ = std::make_shared<UILabel>(CGRectMake(50, 0, 220, 44));
    titleLabel_->setBackgroundColor(UIColor::clearColor());
    titleLabel_->setTextAlignment(UITextAlignmentCenter);
    titleLabel_->setTextColor(UIColor::whiteColor());
    addSubview(titleLabel_);
  }
  titleLabel_->setText(text);
}

NS_CLASS_IMPLEMENTATION(MyNavigationBar) {
  c.method("setNavigationTitle:", &MyNavigationBar::setNavigationTitle);
  c.property("needDraw", &MyNavigationBar::needDraw, &MyNavigationBar::setNeedDraw);
}
