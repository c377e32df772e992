#include "ui/widgets/UINaviTabView.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/StoredKeys.h"
#include "core/UIBkImageView.h"
#include "ui/framework/UIYBButton.h"
#include "ui/framework/UIZMTapGR.h"

namespace {

constexpr CGFloat kBarWidth = 320;
constexpr CGFloat kBarHeight = 44;
constexpr CGFloat kTabsX = 44;
constexpr CGFloat kTabsWidth = 232;
constexpr long kSeparatorTagStep = 100;

bool dayTheme() {
  return NSGlobe::getEngine()->getCurThemeSelect() == 1;
}

const char* themed(const char* day, const char* night) {
  return dayTheme() ? day : night;
}

std::shared_ptr<UIColor> plainTitleColor() {
  return dayTheme() ? UIColor::blackColor() : UIBkImageView::getFontColor();
}

std::shared_ptr<UIButton> imageButton(CGRect frame, long tag, const std::string& image) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(frame);
  button->setTag(tag);
  button->setImage(imageFileNamed(image), UIControlStateNormal);
  return button;
}

std::shared_ptr<UILabel> caption(CGRect frame, const std::string& text, CGFloat size) {
  auto label = std::make_shared<UILabel>(frame);
  label->setText(text);
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextAlignment(UITextAlignmentCenter);
  label->setFont(UIFont::systemFontOfSize(size));
  return label;
}

}  // namespace

UINaviTabView::UINaviTabView(CGRect frame) : UIView(frame) {}

std::shared_ptr<UINaviTabView> UINaviTabView::makeBar() {
  auto bar = std::make_shared<UINaviTabView>(CGRectMake(0, 0, kBarWidth, kBarHeight));
  bar->tabView_ = std::make_shared<UIView>(CGRectMake(0, 0, kBarWidth, kBarHeight));
  return bar;
}

std::shared_ptr<UIButton> UINaviTabView::tab(long index) const {
  return std::dynamic_pointer_cast<UIButton>(tabView_ ? tabView_->viewWithTag(index) : nullptr);
}

std::shared_ptr<UIYBButton> UINaviTabView::sortButton() const {
  for (auto& sub : subviews())
    if (sub->tag() == kSortTag)
      if (auto sort = std::dynamic_pointer_cast<UIYBButton>(sub)) return sort;
  return nullptr;
}

void UINaviTabView::tell(long index) {
  if (auto delegate = tapDelegate_.lock()) delegate->naviTabSelect(index);
}

// ---- the channel tab bar

std::shared_ptr<UINaviTabView> UINaviTabView::initWithArray(
    const std::vector<std::string>& titles) {
  auto bar = makeBar();
  auto& tabs = bar->tabView_;
  tabs->setBackgroundColor(
      UIColor::colorWithPatternImage(imageFileNamed(themed("buttomBar", "buttomBar_theme2"))));
  bar->addSubview(tabs);
  auto action = selector(bar->weakSelf<UINaviTabView>(), &UINaviTabView::btnAction, "btnAction:");

  long n = long(titles.size());
  CGFloat w = n ? CGFloat(long(kTabsWidth) / n) : 0;
  for (long i = 1; i <= n; ++i) {
    CGFloat x = kTabsX + CGFloat(i - 1) * w;
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(x, 0, w, kBarHeight));
    button->setTitle(titles[size_t(i - 1)], UIControlStateNormal);
    button->setTag(i);
    button->setTitleColor(plainTitleColor(), UIControlStateNormal);
    button->setTitleShadowColor(UIColor::blackColor(), UIControlStateNormal);
    button->addTarget(action, UIControlEventTouchUpInside);
    tabs->addSubview(button);
    if (i >= 2) {
      auto separator = std::make_shared<UIImageView>(CGRectMake(x, 0, 1, kBarHeight));
      separator->setImage(imageFileNamed(themed("sepBar", "sepBar_theme1")));
      separator->setTag(kSeparatorTagStep * i);
      tabs->addSubview(separator);
    }
  }

  auto back =
      imageButton(CGRectMake(10, 10, 24, 24), kReturnTag, themed("barReturn", "barReturn_theme1"));
  back->addTarget(action, UIControlEventTouchUpInside);
  tabs->addSubview(back);
  bar->flash_ = imageButton(CGRectMake(286, 10, 24, 24), kFlashTag,
                            themed("refreshBar", "refreshBar_theme1"));
  bar->flash_->addTarget(action, UIControlEventTouchUpInside);
  tabs->addSubview(bar->flash_);

  bar->curSelectIndex_ = 1;
  bar->setSelectState(1);

  auto sort = std::make_shared<UIYBButton>(CGRectMake(270, 0, 44, 44));
  sort->setTag(kSortTag);
  sort->setImage(imageFileNamed("sort"), UIControlStateNormal);
  sort->setImage(imageFileNamed("sortS"), UIControlStateHighlighted);
  sort->addTarget(
      selector(bar->weakSelf<UINaviTabView>(), &UINaviTabView::sortAction, "sortAction:"),
      UIControlEventTouchUpInside);
  sort->setHidden(true);
  bar->addSubview(sort);
  auto hiddenBack = imageButton(CGRectMake(235, 0, 44, 44), kHiddenReturnTag, "returnBtn");
  hiddenBack->setImage(imageFileNamed("returnBtnS"), UIControlStateHighlighted);
  hiddenBack->addTarget(
      selector(bar->weakSelf<UINaviTabView>(), &UINaviTabView::returnAction, "returnAction:"),
      UIControlEventTouchUpInside);
  hiddenBack->setHidden(true);
  bar->addSubview(hiddenBack);

  if (NSConfig::readValueWithKey(kPopTypeFirstSortKey).intValue() == 0) {
    NSConfig::setValue(Value("1"), kPopTypeFirstSortKey);
    sort->setAnimal({imageFileNamed("sort1"), imageFileNamed("sort2"), imageFileNamed("sort3")});
  }
  return bar;
}

void UINaviTabView::setSelectState(long index) {
  if (index < 1 || index > 4) return;
  if (auto old = curSelectIndex_ >= 1 && curSelectIndex_ <= 4 ? tab(curSelectIndex_) : nullptr) {
    old->setBackgroundImage(nullptr, UIControlStateNormal);
    old->setTitleColor(plainTitleColor(), UIControlStateNormal);
    old->setTitleShadowOffset(CGSizeMake(0, 0));
  }
  if (auto now = tab(index)) {
    now->setBackgroundImage(imageFileNamed(themed("selectBarItem", "selectBarItem_theme1")),
                            UIControlStateNormal);
    now->setTitleColor(UIColor::redColor(), UIControlStateNormal);
    now->setTitleShadowOffset(CGSizeMake(0, -0.5));
  }
  curSelectIndex_ = index;
}

void UINaviTabView::btnAction(const Value& sender) {
  auto button = sender.object<UIView>();
  if (!button) return;
  setSelectState(button->tag());
  tell(button->tag());
}

void UINaviTabView::returnAction(const Value& sender) {
  if (auto button = sender.object<UIView>()) tell(button->tag());
}

void UINaviTabView::setSubscriptionButton(const std::string& imageName) {
  if (!flash_) return;
  flash_->setImage(imageFileNamed(dayTheme() ? imageName : std::string("setup_theme1")),
                   UIControlStateNormal);
  flash_->setTag(kSubscriptionTag);
}

void UINaviTabView::changeTheme() {
  if (!tabView_) return;
  tabView_->setBackgroundColor(
      UIColor::colorWithPatternImage(imageFileNamed(themed("buttomBar", "buttomBar_theme1"))));
  setSelectState(curSelectIndex_);
  if (flash_)
    flash_->setImage(imageFileNamed(flash_->tag() == kSubscriptionTag
                                        ? themed("channelSetting", "setup_theme1")
                                        : themed("refreshBar", "refreshBar_theme1")),
                     UIControlStateNormal);
  if (auto back = std::dynamic_pointer_cast<UIButton>(tabView_->viewWithTag(kReturnTag)))
    back->setImage(imageFileNamed(themed("barReturn", "barReturn_theme1")), UIControlStateNormal);
  for (long i = 1; i <= 4; ++i) {
    if (auto button = tab(i))
      button->setTitleColor(i == curSelectIndex_ ? UIColor::redColor() : plainTitleColor(),
                            UIControlStateNormal);
    if (i < 2) continue;
    if (auto separator =
            std::dynamic_pointer_cast<UIImageView>(tabView_->viewWithTag(kSeparatorTagStep * i)))
      separator->setImage(imageFileNamed(themed("sepBar", "sepBar_theme1")));
  }
}

// ---- the sort slide

void UINaviTabView::slideTabView(CGFloat from, CGFloat to, const char* name,
                                 std::function<void()> ended) {
  isInAnimation_ = true;
  CGRect f = tabView_->frame();
  f.origin.x = from;
  tabView_->setFrame(f);
  tabView_->setHidden(false);
  std::weak_ptr<UINaviTabView> weakThis = weakSelf<UINaviTabView>();
  UIView::beginAnimations(name);
  UIView::setAnimationDuration(kSlideDuration);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weak_from_this());
  UIView::setAnimationDidStopSelector(
      Selector("animationStop:", weakThis, [weakThis, ended](const Value& id) {
        if (auto self = weakThis.lock()) {
          self->animationStop(id);
          ended();
        }
      }));
  f.origin.x = to;
  tabView_->setFrame(f);
  UIView::commitAnimations();
}

void UINaviTabView::animationTapBarHidden(bool hidden) {
  auto sort = sortButton();
  if (isInAnimation_ || !tabView_ || !sort) return;
  auto back = viewWithTag(kHiddenReturnTag);
  if (hidden) {
    if (!sort->isHidden()) return;
    slideTabView(0, kBarWidth, "rawReadAnimationSHOW", [sort, back] {
      sort->setHidden(false);
      if (back) back->setHidden(false);
    });
  } else {
    sort->setHidden(true);
    if (back) back->setHidden(true);
    slideTabView(kBarWidth, 0, "rawReadAnimationHIDE", [sort] { sort->removeAnimal(); });
  }
}

void UINaviTabView::animationStop(const Value&) {
  isInAnimation_ = false;
}

void UINaviTabView::sortAction(const Value&) {
  isInAnimation_ = false;
  animationTapBarHidden(false);
}

void UINaviTabView::touchesBegan(const UITouchSet&, UIEvent*) {
  isMove_ = false;
}

void UINaviTabView::touchesMoved(const UITouchSet&, UIEvent*) {
  isMove_ = true;
}

void UINaviTabView::touchesEnded(const UITouchSet&, UIEvent*) {
  if (!isMove_)
    if (auto sort = sortButton(); sort && !sort->isHidden()) sortAction(Value());
  isMove_ = false;
}

void UINaviTabView::touchesCancelled(const UITouchSet&, UIEvent*) {
  isMove_ = false;
}

// ---- the seminar icon bar

std::shared_ptr<UINaviTabView> UINaviTabView::initWithToolBar(
    const std::vector<std::string>& icons, const std::vector<std::string>& titles) {
  auto bar = makeBar();
  auto background = std::make_shared<UIImageView>(bar->bounds());
  background->setImage(imageFileNamed(themed("sendBar", "buttomBar_theme1")));
  background->setUserInteractionEnabled(true);
  bar->addSubview(background);
  auto& items = bar->tabView_;
  items->setBackgroundColor(UIColor::clearColor());
  bar->addSubview(items);

  size_t n = std::min(icons.size(), titles.size());
  CGFloat w = n ? kBarWidth / CGFloat(n) : 0;
  auto action =
      selector(bar->weakSelf<UINaviTabView>(), &UINaviTabView::toolBarAction, "toolBarAction:");
  for (size_t i = 0; i < n; ++i) {
    long tag = long(i) + 1;
    auto item = std::make_shared<UIView>(CGRectMake(w * CGFloat(i), 0, w, kBarHeight));
    item->setTag(tag);
    auto tap = std::make_shared<UIZMTapGR>(action);
    tap->setTag(tag);
    tap->setTapObj(Value(icons[i]));
    item->addGestureRecognizer(tap);
    items->addSubview(item);

    auto icon = std::make_shared<UIYBButton>(CGRectMake(0, 0, w, 30));
    icon->setUserInteractionEnabled(false);
    icon->setTag(10 * tag);
    icon->setUnselectImage(icons[i]);
    icon->setSelectImage(icons[i] + "S");
    bool first = i == 0;
    icon->setImage(imageFileNamed(first ? icon->selectImage() : icon->unselectImage()),
                   UIControlStateNormal);
    icon->setImage(imageFileNamed(first ? icon->unselectImage() : icon->selectImage()),
                   UIControlStateHighlighted);
    item->addSubview(icon);

    auto label = caption(CGRectMake(0, 30, w, 14), titles[i], 12);
    label->setTextColor(plainTitleColor());
    item->addSubview(label);
  }
  bar->curSelectIndex_ = 1;
  return bar;
}

void UINaviTabView::toolBarAction(const Value& sender) {
  auto tap = sender.object<UIZMTapGR>();
  if (!tap || tap->tag() == curSelectIndex_) return;
  setToolBarCurSelect(tap->tag());
  tell(curSelectIndex_ - 1);
}

void UINaviTabView::setToolBarCurSelect(long index) {
  auto icon = [this](long item) -> std::shared_ptr<UIYBButton> {
    auto container = tabView_ ? tabView_->viewWithTag(item) : nullptr;
    return std::dynamic_pointer_cast<UIYBButton>(container ? container->viewWithTag(10 * item)
                                                           : nullptr);
  };
  if (auto old = icon(curSelectIndex_)) {
    old->setImage(imageFileNamed(old->unselectImage()), UIControlStateNormal);
    old->setImage(imageFileNamed(old->selectImage()), UIControlStateHighlighted);
  }
  if (auto now = icon(index)) {
    now->setImage(imageFileNamed(now->selectImage()), UIControlStateNormal);
    now->setImage(imageFileNamed(now->unselectImage()), UIControlStateHighlighted);
  }
  curSelectIndex_ = index;
}

// ---- the topic detail bar

std::shared_ptr<UINaviTabView> UINaviTabView::initWithTopicDetail() {
  auto bar = std::make_shared<UINaviTabView>(CGRectMake(0, 0, kBarWidth, kBarHeight));
  auto background = std::make_shared<UIImageView>(bar->bounds());
  background->setImage(imageFileNamed(themed("buttomBarList", "buttomBarList_theme1")));
  background->setUserInteractionEnabled(true);
  bar->addSubview(background);
  auto action = selector(bar->weakSelf<UINaviTabView>(), &UINaviTabView::btnAction, "btnAction:");
  struct Spec {
    CGRect frame;
    long tag;
    const char* image;
    CGFloat captionX;
    const char* caption;
  };
  const Spec specs[] = {
      {CGRectMake(18, 7, 64, 26), kReturnTag, "backBtn", 18, "返回"},
      {CGRectMake(128, 7, 64, 26), 8, "joinBtn", 128, "我要参加"},
      {CGRectMake(258, 7, 26, 26), kFlashTag, themed("refreshBarSmall", "refreshBar_theme1"), 238,
       "刷新"},
  };
  for (const auto& spec : specs) {
    auto button = imageButton(spec.frame, spec.tag, spec.image);
    if (spec.tag != kFlashTag) {
      button->setImage(imageFileNamed(std::string(spec.image) + "S"), UIControlStateHighlighted);
      button->setAutoresizingMask(UIViewAutoresizingFlexibleTopMargin);
    } else {
      bar->flash_ = button;
    }
    button->addTarget(action, UIControlEventTouchUpInside);
    background->addSubview(button);
    auto label = caption(CGRectMake(spec.captionX, 33, 64, 9), spec.caption, 10);
    label->setTextColor(UIColor::whiteColor());
    background->addSubview(label);
  }
  return bar;
}

NS_CLASS_IMPLEMENTATION(UINaviTabView) {}
