#include "uilib/views/ULErrorView.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "uilib/style/ULStyleSheet.h"

namespace {

std::shared_ptr<UILabel> errorLabel(const char* fontName, long lines) {
  auto sheet = ULStyleSheet::globalStyleSheet();
  auto label = std::make_shared<UILabel>();
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextColor(sheet->performSelector("tableErrorTextColor").object<UIColor>());
  label->setFont(sheet->performSelector(fontName).object<UIFont>());
  label->setTextAlignment(UITextAlignmentCenter);
  label->setNumberOfLines(lines);
  return label;
}

}  // namespace

ULErrorView::ULErrorView(CGRect frame) : UIView(frame) {
  imageView_ = std::make_shared<UIImageView>();
  imageView_->setContentMode(UIViewContentMode::Center);
  titleView_ = errorLabel("errorTitleFont", 1);
  subtitleView_ = errorLabel("errorSubtitleFont", 0);
  addSubview(imageView_);
  addSubview(titleView_);
  addSubview(subtitleView_);
}

ULErrorView::ULErrorView(std::string title, std::string subtitle, std::shared_ptr<UIImage> image)
    : ULErrorView(CGRectZero) {
  setTitle(std::move(title));
  setSubtitle(std::move(subtitle));
  setImage(std::move(image));
}

void ULErrorView::layoutSubviews() {
  const CGSize size = bounds().size;
  const CGFloat W = size.width, H = size.height;
  const CGSize subtitleSize = subtitleView_->sizeThatFits(CGSizeMake(W - 20, 0));
  CGRect sf = subtitleView_->frame();
  sf.size = subtitleSize;
  subtitleView_->setFrame(sf);
  titleView_->sizeToFit();
  imageView_->sizeToFit();
  const CGFloat imageH = imageView_->frame().size.height;
  const CGFloat titleH = titleView_->frame().size.height;

  const bool showsImage = image() && H > imageH + titleH + subtitleSize.height + 30 + 20;
  imageView_->setHidden(!showsImage);
  CGFloat height = showsImage ? imageH : 0;
  if (!title().empty()) height += titleH + (height != 0 ? 30 : 0);
  if (!subtitle().empty()) height += subtitleSize.height + (height != 0 ? 20 : 0);

  CGFloat y = std::floor(H / 2 - height / 2);
  auto place = [&](UIView& v) {
    CGRect f = v.frame();
    f.origin = CGPointMake(std::floor(W / 2 - f.size.width / 2), y);
    v.setFrame(f);
  };
  if (showsImage) {
    place(*imageView_);
    y += imageH + 30;
  }
  if (!title().empty()) {
    place(*titleView_);
    y += titleH + 20;
  }
  if (!subtitle().empty()) place(*subtitleView_);
}

NS_CLASS_IMPLEMENTATION(ULErrorView) {
  c.property("title", &ULErrorView::title, &ULErrorView::setTitle);
  c.property("subtitle", &ULErrorView::subtitle, &ULErrorView::setSubtitle);
}
