#include "ui/widgets/UIPageView.h"

#include <string>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "ui/widgets/UILabel+Image.h"

namespace {

// A label drawn only as a picture: a black numeral on white.
std::shared_ptr<UILabel> pictureLabel(CGRect frame, const char* text) {
  auto label = std::make_shared<UILabel>(frame);
  label->setTextAlignment(UITextAlignmentCenter);
  label->setTextColor(UIColor::blackColor());
  label->setBackgroundColor(UIColor::whiteColor());
  label->setText(text);
  return label;
}

// A small white number on a clear background.
std::shared_ptr<UILabel> smallLabel(CGRect frame, const char* text) {
  auto label = std::make_shared<UILabel>(frame);
  label->setTextAlignment(UITextAlignmentCenter);
  label->setText(text);
  label->setFont(UIFont::systemFontOfSize(14));
  label->setTextColor(UIColor::whiteColor());
  label->setBackgroundColor(UIColor::clearColor());
  return label;
}

}  // namespace

UIPageView::UIPageView(CGRect frame) : UIView(frame) {}

std::shared_ptr<UIPageView> UIPageView::initWithFrame(CGRect frame) {
  auto view = std::make_shared<UIPageView>(frame);
  view->build();
  return view;
}

void UIPageView::build() {
  CGFloat h = frame().size.height;
  CGFloat w = frame().size.width - 6;

  auto line = std::make_shared<UIView>(CGRectMake(6, h - 2, w, 2));
  line->setBackgroundColor(UIColor::whiteColor());
  addSubview(line);

  curPage_ = 1;
  pageCount_ = 2;
  nearPage_ = 2;

  rightImgLabel_ = pictureLabel(CGRectMake(w / 3 + 6, 0, 2 * w / 3, 0.75 * h), "2");
  rightLabel_ = smallLabel(CGRectMake(2 * w / 3 + 6, 0.25 * h, w / 3, 0.75 * h), "2");
  addSubview(rightLabel_);
  rightImageV_ = std::make_shared<UIImageView>(rightImgLabel_->frame());
  rightImageV_->setImage(getAlphaImage(*rightImgLabel_));
  rightImageV_->setAlpha(0);
  addSubview(rightImageV_);

  leftImgLabel_ = pictureLabel(CGRectMake(6, 0, 2 * w / 3, 0.75 * h), "1");
  leftLabel_ = smallLabel(CGRectMake(6, 0.25 * h, w / 3, 0.75 * h), "1");
  leftLabel_->setAlpha(0);
  addSubview(leftLabel_);
  leftImageV_ = std::make_shared<UIImageView>(leftImgLabel_->frame());
  leftImageV_->setImage(getAlphaImage(*leftImgLabel_));
  addSubview(leftImageV_);
}

void UIPageView::setCurPage(long page) {
  std::string old = std::to_string(curPage_);
  std::string now = std::to_string(page);
  UIView::beginAnimations();
  UIView::setAnimationDuration(0.5);
  UIView::setAnimationCurve(UIViewAnimationCurve::Linear);
  if (page < curPage_) {
    curIsInRight_ = false;
    leftLabel_->setAlpha(0);
    rightImageV_->setAlpha(0);
    leftImageV_->setAlpha(1);
    rightLabel_->setAlpha(1);
    rightLabel_->setText(old);
    leftImgLabel_->setText(now);
    leftImageV_->setImage(getAlphaImage(*leftImgLabel_));
  } else {
    curIsInRight_ = true;
    leftLabel_->setAlpha(1);
    rightImageV_->setAlpha(1);
    leftImageV_->setAlpha(0);
    rightLabel_->setAlpha(0);
    leftLabel_->setText(old);
    rightImgLabel_->setText(now);
    rightImageV_->setImage(getAlphaImage(*rightImgLabel_));
  }
  UIView::commitAnimations();
  curPage_ = page;
  nearPage_ = curIsInRight_ ? curPage_ - 1 : curPage_ + 1;
}

NS_CLASS_IMPLEMENTATION(UIPageView) {
  c.property("curPage", &UIPageView::curPage, &UIPageView::setCurPage);
}
