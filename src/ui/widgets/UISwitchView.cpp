#include "ui/widgets/UISwitchView.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"

UISwitchView::UISwitchView(CGRect frame, std::string selectImage, std::string unSelectImage)
    : UIView(frame),
      unSelectImageName_(std::move(unSelectImage)),
      selectImageName_(std::move(selectImage)) {}

std::shared_ptr<UISwitchView> UISwitchView::initWithFrame(CGRect frame, std::string selectImage,
                                                          std::string unSelectImage) {
  auto view =
      std::make_shared<UISwitchView>(frame, std::move(selectImage), std::move(unSelectImage));
  view->imgV_ = std::make_shared<UIImageView>(CGRectMake(10, 10, 20, 20));
  view->imgV_->setImage(UIImage::imageNamed(view->unSelectImageName_));
  view->addSubview(view->imgV_);
  view->setUserInteractionEnabled(true);
  return view;
}

void UISwitchView::setIsSelect(bool select) {
  isSelect_ = select;
  imgV_->setImage(UIImage::imageNamed(select ? selectImageName_ : unSelectImageName_));
}

void UISwitchView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesEnded(touches, event);
  auto keep = shared_from_this();
  auto d = switchDelegate_.lock();
  if (!isSelect_) {
    bool refused = d && d->changeSwitch(*this);
    if (!refused) setIsSelect(true);
  } else {
    if (d) d->cancelSelect(*this);
    setIsSelect(false);
  }
}

std::shared_ptr<UISegCtrlSwitchView> UISegCtrlSwitchView::initWithArray(
    std::vector<std::string> titles, CGRect frame) {
  auto group = std::make_shared<UISegCtrlSwitchView>(frame);
  group->selectArray_ = std::move(titles);
  long n = long(group->selectArray_.size());
  CGFloat step = n > 0 ? frame.size.width / CGFloat(n) : 0;
  for (long i = 0; i < n; ++i) {
    auto item =
        UISwitchView::initWithFrame(CGRectMake(i * step, 0, 40, 40), "ziviSelect", "ziviUnSelect");
    item->setSwitchDelegate(group->weakSelf<UISegCtrlSwitchView>());
    item->setTag(kItemTag + i);
    group->addSubview(item);
    auto label =
        std::make_shared<UILabel>(CGRectMake(i * step + 40, 0, step - 40, frame.size.height));
    label->setText(group->selectArray_[size_t(i)]);
    label->setBackgroundColor(UIColor::clearColor());
    group->addSubview(label);
  }
  return group;
}

std::shared_ptr<UISwitchView> UISegCtrlSwitchView::item(long index) {
  return std::dynamic_pointer_cast<UISwitchView>(viewWithTag(kItemTag + index));
}

bool UISegCtrlSwitchView::changeSwitch(UISwitchView& view) {
  curSelectIndex_ = view.isSelect() ? -1 : view.tag() - kItemTag;
  for (long i = 0; i < long(selectArray_.size()); ++i) {
    auto other = item(i);
    if (other && other.get() != &view) other->setIsSelect(false);
  }
  if (auto d = segDelegate_.lock()) d->segCtrlChange(*this);
  return false;
}

void UISegCtrlSwitchView::cancelSelect(UISwitchView&) {
  curSelectIndex_ = -1;
}

void UISegCtrlSwitchView::setCurrentSelectIndex(long index) {
  curSelectIndex_ = index;
  if (auto chosen = item(index)) chosen->setIsSelect(true);
}

void UISegCtrlSwitchView::setNull() {
  if (auto chosen = item(curSelectIndex_)) chosen->setIsSelect(false);
  curSelectIndex_ = -1;
}

std::optional<std::string> UISegCtrlSwitchView::getCurSelectItem() const {
  if (curSelectIndex_ < 0 || curSelectIndex_ >= long(selectArray_.size())) return std::nullopt;
  return selectArray_[size_t(curSelectIndex_)];
}

NS_CLASS_IMPLEMENTATION(UISwitchView) {}
NS_CLASS_IMPLEMENTATION(UISegCtrlSwitchView) {}
