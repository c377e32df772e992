#include "ui/framework/UIFrameItem.h"

#include "Common/Additions/UIImage+Scale.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"

std::shared_ptr<UIFrameItem> UIFrameItem::initWithFrame(CGRect frame,
                                                        const std::shared_ptr<UIImage>& picture,
                                                        const std::string& title, long tag,
                                                        std::weak_ptr<FrameItemDelegate> delegate) {
  auto item = std::make_shared<UIFrameItem>(frame);
  item->setTag(tag);
  auto border = std::make_shared<UIImageView>(CGRectMake(5, 5, 60, 60));
  border->setImage(UIImage::imageNamed("frameUnSel"));
  border->setTag(kFrameTag);
  item->addSubview(border);
  item->frameImage_ = border;
  item->frameDelegate_ = std::move(delegate);

  auto button = std::make_shared<UIButton>(CGRectMake(10, 10, 50, 50), UIButtonType::Custom);
  button->setTag(tag);
  if (picture) button->setImage(scaleWithSize(picture, CGSizeMake(50, 50)), UIControlStateNormal);
  button->addTarget(selector(item->weakSelf<UIFrameItem>(), &UIFrameItem::btnAction, "btnAction:"),
                    UIControlEventTouchUpInside);
  item->addSubview(button);

  auto label = std::make_shared<UILabel>(CGRectMake(0, 64, 64, 22));
  label->setTextAlignment(UITextAlignmentCenter);
  label->setTextColor(UIColor::whiteColor());
  label->setFont(UIFont::systemFontOfSize(14));
  label->setBackgroundColor(UIColor::clearColor());
  label->setText(title);
  item->addSubview(label);
  return item;
}

void UIFrameItem::btnAction(const Value& sender) {
  if (isSelect_) return;
  setDidSelect();
  auto button = std::dynamic_pointer_cast<UIView>(sender.object());
  long tag = button ? button->tag() : this->tag();
  if (auto d = frameDelegate_.lock()) d->selectItem(tag);
}

void UIFrameItem::showFrame(const char* name) {
  if (frameImage_) frameImage_->setImage(UIImage::imageNamed(name));
}

void UIFrameItem::setDidSelect() {
  isSelect_ = true;
  showFrame("frameSel");
}

void UIFrameItem::setUnSelect() {
  isSelect_ = false;
  showFrame("frameUnSel");
}

NS_CLASS_IMPLEMENTATION(UIFrameItem) {}
