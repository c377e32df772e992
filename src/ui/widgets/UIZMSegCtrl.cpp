#include "ui/widgets/UIZMSegCtrl.h"

#include "Foundation/NSClass.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIWindow.h"
#include "core/NSConfig.h"
#include "ui/framework/ApplicationWindow.h"
#include "ui/framework/UIColorButton.h"

namespace {

std::shared_ptr<UIColor> titleRed() {
  return UIColor::colorWithRed(235 / 255.0, 102 / 255.0, 147 / 255.0, 1);
}

std::vector<std::string> titledImages(size_t count) {
  switch (count) {
    case 2:
      return {"segLeftUn", "segLeftSelect", "segRightUn", "segRightSelect"};
    case 3:
      return {"segLeftUn",       "segLeftSelect", "segCenterUn",
              "segCenterSelect", "segRightUn",    "segRightSelect"};
    case 4:
      return {"segLeftUn",   "segLeftSelect",   "segCenterUn", "segCenterSelect",
              "segCenterUn", "segCenterSelect", "segRightUn",  "segRightSelect"};
    default:
      return {};
  }
}

}  // namespace

UIZMSegCtrl::~UIZMSegCtrl() = default;

std::string UIZMSegCtrl::getImageName(long i) const {
  if (i < 0 || size_t(i) >= images_.size()) return {};
  if (NSConfig::engine()->systemVersion() >= 4.0f) return images_[size_t(i)];
  return images_[size_t(i)] + ".png";
}

void UIZMSegCtrl::setImage(const std::shared_ptr<UIButton>& button, long imageIndex) {
  std::string name = getImageName(imageIndex);
  button->setBackgroundImage(name.empty() ? nullptr : UIImage::imageNamed(name),
                             UIControlStateNormal);
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::imageBuild(CGRect frame, long segments,
                                                     std::vector<std::string> images) {
  auto ctrl = std::make_shared<UIZMSegCtrl>(frame);
  ctrl->images_ = std::move(images);
  ctrl->numberOfSegments_ = segments;
  CGFloat w = frame.size.width / CGFloat(segments), h = frame.size.height;
  auto action = selector(ctrl->weakSelf<UIZMSegCtrl>(), &UIZMSegCtrl::btnSelect, "btnSelect:");
  // The right segment only when there are images for three.
  long made = ctrl->images_.size() >= 6 ? 3 : 2;
  for (long i = 0; i < made; ++i) {
    auto button = std::make_shared<UIButton>(CGRectMake(w * CGFloat(i), 0, w, h));
    button->setTag(i);
    button->addTarget(action, UIControlEventTouchUpInside);
    // Segment 0 starts selected.
    std::string un = ctrl->getImageName(2 * i), sel = ctrl->getImageName(2 * i + 1);
    button->setBackgroundImage(UIImage::imageNamed(i == 0 ? sel : un), UIControlStateNormal);
    button->setBackgroundImage(UIImage::imageNamed(sel), UIControlStateSelected);
    ctrl->addSubview(button);
    (i == 0 ? ctrl->leftBtn_ : i == 1 ? ctrl->centerBtn_ : ctrl->rightBtn_) = button;
  }
  ctrl->selectedSegmentIndex_ = 0;
  return ctrl;
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::initWithFrame(CGRect frame) {
  return imageBuild(frame, 3,
                    {"segLeftUn", "segLeftSelect", "segCenterUn", "segCenterSelect", "segRightUn",
                     "segRightSelect"});
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::initWithTwoFrame(CGRect frame) {
  return imageBuild(frame, 2, {"seg2LeftUn", "seg2LeftSelect", "seg2RightUn", "seg2RightSelect"});
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::titledBuild(CGRect frame, CGRect first,
                                                      std::vector<std::string> titles,
                                                      std::vector<std::string> images,
                                                      bool drawColor) {
  auto ctrl = std::make_shared<UIZMSegCtrl>(frame);
  ctrl->titles_ = std::move(titles);
  ctrl->images_ = std::move(images);
  ctrl->drawColor_ = drawColor;
  ctrl->numberOfSegments_ = long(ctrl->titles_.size());
  ctrl->selectedSegmentIndex_ = -1;
  auto action = selector(ctrl->weakSelf<UIZMSegCtrl>(), &UIZMSegCtrl::btnClick, "btnClick:");
  for (long i = 0; i < ctrl->numberOfSegments_; ++i) {
    CGRect f = first;
    f.origin.x = first.size.width * CGFloat(i);
    auto button = std::make_shared<UIButton>(f, UIButtonType::Custom);
    button->setTag(kTitledTag + i);
    ctrl->setImage(button, 2 * i);
    button->setTitle(ctrl->titles_[size_t(i)], UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::systemFontOfSize(15));
    if (drawColor) button->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
    button->addTarget(action, UIControlEventTouchUpInside);
    ctrl->addSubview(button);
    ctrl->sendSubviewToBack(button);
  }
  ctrl->setSelectedSegmentIndex(0);
  return ctrl;
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::initWithTitles(std::vector<std::string> titles) {
  CGFloat n = CGFloat(titles.size());
  auto images = titledImages(titles.size());
  return titledBuild(CGRectMake(0, 0, kTitledWidth * n, 44), CGRectMake(0, 6, kTitledWidth, 32),
                     std::move(titles), std::move(images), false);
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::initWithZiViTitles(std::vector<std::string> titles) {
  CGFloat n = CGFloat(titles.size());
  std::vector<std::string> images;
  if (titles.size() == 2)
    images = {"segLeftCloseUn", "segLeftCloseSelect", "segRightUn", "segRightSelect",
              "segLeftOpenSelect"};
  return titledBuild(CGRectMake(0, 0, kTitledWidth * n, 44), CGRectMake(0, 6, kTitledWidth, 32),
                     std::move(titles), std::move(images), false);
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::initWithFavTitles(std::vector<std::string> titles) {
  size_t n = titles.size();
  std::vector<std::string> images;
  if (n >= 2 && n <= 4)
    for (size_t i = 0; i < n; ++i) {
      images.push_back("segFavUn");
      images.push_back("segFavSelect");
    }
  // Whole points, as the strip is divided.
  CGFloat w = n ? CGFloat(320 / long(n)) : 0;
  return titledBuild(CGRectMake(0, 0, 320, 29), CGRectMake(0, 0, w, 29), std::move(titles),
                     std::move(images), true);
}

std::shared_ptr<UIZMSegCtrl> UIZMSegCtrl::initWithItems(std::vector<std::string> titles) {
  auto ctrl = std::make_shared<UIZMSegCtrl>();
  ctrl->drawColor_ = true;
  long n = std::min<long>(long(titles.size()), 3);
  // Kept, so that a new frame shares its width among them.
  ctrl->titles_ = titles;
  ctrl->numberOfSegments_ = n;
  CGFloat w = n ? CGFloat(320 / n - 1) : 0;
  auto action = selector(ctrl->weakSelf<UIZMSegCtrl>(), &UIZMSegCtrl::btnSelect, "btnSelect:");
  for (long i = 0; i < n; ++i) {
    auto button = std::make_shared<UIColorButton>(CGRectMake((w + 1) * CGFloat(i), 0, w, 40));
    button->setTag(i);
    button->setTitle(titles[size_t(i)], UIControlStateNormal);
    button->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
    button->addTarget(action, UIControlEventTouchUpInside);
    ctrl->addSubview(button);
    (i == 0 ? ctrl->leftBtn_ : i == 1 ? ctrl->centerBtn_ : ctrl->rightBtn_) = button;
  }
  ctrl->selectedSegmentIndex_ = 0;
  return ctrl;
}

void UIZMSegCtrl::setDelegate(std::weak_ptr<NSObject> receiver, Selector action) {
  callDel_ = std::move(receiver);
  action_ = std::move(action);
}

void UIZMSegCtrl::segCtrlChange() {
  if (action_) action_(Value(self<UIZMSegCtrl>()));
}

void UIZMSegCtrl::btnSelect(const Value& sender) {
  auto button = sender.object<UIView>();
  if (!button) return;
  auto keep = shared_from_this();
  setSelectedSegmentIndex(button->tag());
  segCtrlChange();
  isInCurrentSelect_ = false;
}

void UIZMSegCtrl::btnClick(const Value& sender) {
  auto button = sender.object<UIView>();
  if (!button) return;
  auto keep = shared_from_this();
  setSelectedSegmentIndex(button->tag() - kTitledTag);
  segCtrlChange();
}

void UIZMSegCtrl::setCurrentSelect(long index) {
  auto keep = shared_from_this();
  setSelectedSegmentIndex(index);
  segCtrlChange();
}

std::shared_ptr<UIButton> UIZMSegCtrl::segment(long index) const {
  switch (index) {
    case 0:
      return leftBtn_;
    case 1:
      return centerBtn_;
    case 2:
      return rightBtn_;
    default:
      return nullptr;
  }
}

std::shared_ptr<UIButton> UIZMSegCtrl::titled(long index) {
  // Searched among the control's own buttons: the control's tag may be anything.
  for (const auto& view : subviews())
    if (view->tag() == kTitledTag + index)
      if (auto button = std::dynamic_pointer_cast<UIButton>(view)) return button;
  return nullptr;
}

void UIZMSegCtrl::setSelectedSegmentIndex(long index) {
  if (index == selectedSegmentIndex_) {
    isInCurrentSelect_ = true;
    return;
  }
  isInCurrentSelect_ = false;
  if (isTitledBuild()) {
    setNormalSegCtrl(index);
    return;
  }
  selectedSegmentIndex_ = index;
  for (long i = 0; i < 3; ++i) {
    auto button = segment(i);
    if (!button) continue;
    setImage(button, 2 * i + (i == index ? 1 : 0));
    if (!drawColor_) continue;
    if (auto colored = std::dynamic_pointer_cast<UIColorButton>(button)) {
      colored->setLowColor(i == index ? selectLow_ : unSelectLow_);
      colored->setHighColor(i == index ? selectHight_ : unSelectHight_);
    }
  }
}

void UIZMSegCtrl::setNormalSegCtrl(long index) {
  if (auto previous = titled(selectedSegmentIndex_)) {
    setImage(previous, 2 * selectedSegmentIndex_);
    if (drawColor_) previous->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
  }
  if (auto chosen = titled(index)) {
    setImage(chosen, 2 * index + 1);
    if (drawColor_) chosen->setTitleColor(titleRed(), UIControlStateNormal);
  }
  selectedSegmentIndex_ = index;
}

void UIZMSegCtrl::setTitles(std::vector<std::string> titles) {
  titles_ = std::move(titles);
  for (long i = 0; i < 3 && size_t(i) < titles_.size(); ++i) {
    auto button = segment(i);
    if (!button) continue;
    button->setTitle(titles_[size_t(i)], UIControlStateNormal);
    button->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
  }
}

void UIZMSegCtrl::setTitle(const std::string& title, long index) {
  if (auto button = segment(index)) button->setTitle(title, UIControlStateNormal);
}

void UIZMSegCtrl::setFrame(CGRect frame) {
  UIView::setFrame(frame);
  if (!leftBtn_ || titles_.empty()) return;
  CGFloat w = frame.size.width / CGFloat(titles_.size()) - 1, h = frame.size.height;
  leftBtn_->setFrame(CGRectMake(0, 0, w, h));
  if (centerBtn_) centerBtn_->setFrame(CGRectMake(w + 1, 0, w, h));
  if (rightBtn_ && titles_.size() >= 3) rightBtn_->setFrame(CGRectMake(2 * (w + 1), 0, w, h));
}

void UIZMSegCtrl::setUnSelectColor(std::shared_ptr<UIColor> low, std::shared_ptr<UIColor> high) {
  unSelectLow_ = std::move(low);
  unSelectHight_ = std::move(high);
  for (long i = 0; i < 3; ++i) {
    auto button = std::dynamic_pointer_cast<UIColorButton>(segment(i));
    if (!button) continue;
    auto border = unSelectLow_ ? unSelectLow_->colorWithAlphaComponent(0.5) : nullptr;
    button->setBorderColor(border);
    button->layer()->setBorderColor(border ? border->CGColor() : nullptr);
    button->setLowColor(unSelectLow_);
    button->setHighColor(unSelectHight_);
  }
}

void UIZMSegCtrl::setSelectColor(std::shared_ptr<UIColor> low, std::shared_ptr<UIColor> high) {
  selectLow_ = std::move(low);
  selectHight_ = std::move(high);
  if (auto button = std::dynamic_pointer_cast<UIColorButton>(segment(selectedSegmentIndex_))) {
    button->setLowColor(selectLow_);
    button->setHighColor(selectHight_);
  }
}

void UIZMSegCtrl::setSegMsg(const std::optional<std::string>& text, long index) {
  auto button = titled(index);
  if (!button) return;
  auto badge = std::dynamic_pointer_cast<UIImageView>(button->viewWithTag(kBadgeTag));
  if (!text) {
    if (badge) badge->removeFromSuperview();
    return;
  }
  if (badge) {
    if (auto label = std::dynamic_pointer_cast<UILabel>(badge->viewWithTag(kBadgeLabelTag)))
      label->setText(*text);
    return;
  }
  badge = std::make_shared<UIImageView>(CGRectMake(67, -4, 16, 16));
  badge->setImage(UIImage::imageNamed("segMsg"));
  badge->setTag(kBadgeTag);
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 16, 16));
  label->setTag(kBadgeLabelTag);
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextColor(titleRed());
  label->setTextAlignment(UITextAlignmentCenter);
  label->setAdjustsFontSizeToFitWidth(true);
  label->setText(*text);
  badge->addSubview(label);
  button->addSubview(badge);
}

void UIZMSegCtrl::setLeftBtn(bool closed) {
  auto button = titled(0);
  if (!button) return;
  auto image = [this](long i) {
    std::string name = getImageName(i);
    return name.empty() ? nullptr : UIImage::imageNamed(name);
  };
  button->setBackgroundImage(image(closed ? 1 : 4), UIControlStateNormal);
  button->setBackgroundImage(image(closed ? 4 : 1), UIControlStateHighlighted);
}

void UIZMSegCtrl::addPopView(ChannelItemArray channels) {
  if (channels.empty()) return;
  setLeftBtn(false);
  popArray_ = std::move(channels);
  std::vector<std::shared_ptr<NSObject>> rows(popArray_.begin(), popArray_.end());
  auto pop = UIPopView::initPopArray(std::move(rows));
  pop->setPopDelegate(std::weak_ptr<UIPopViewDelegate>(self<UIZMSegCtrl>()));
  if (auto window = applicationWindow()) window->addSubview(pop);
}

void UIZMSegCtrl::popViewSelected(long row) {
  auto keep = shared_from_this();
  setLeftBtn(true);
  if (row < 0 || row == popCurSelectIndex_ || size_t(row) >= popArray_.size()) return;
  popCurSelectIndex_ = row;
  const ChannelItemPtr& channel = popArray_[size_t(row)];
  if (!channel || channel->templateId == kNoSwitchTemplate) return;
  if (auto button = titled(0)) button->setTitle(channel->name, UIControlStateNormal);
  if (auto receiver = std::dynamic_pointer_cast<UIZMSegCtrlReceiver>(callDel_.lock()))
    receiver->popCellSelect(channel);
}

NS_CLASS_IMPLEMENTATION(UIZMSegCtrl) {}
