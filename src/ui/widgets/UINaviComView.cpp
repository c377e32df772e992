#include "ui/widgets/UINaviComView.h"

#include <algorithm>

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGestureRecognizer.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UISwipeGestureRecognizer.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/StoredKeys.h"
#include "core/UIBkImageView.h"
#include "ui/framework/UIYBButton.h"
#include "ui/widgets/UIImageLabel.h"

namespace {

constexpr CGFloat kBarWidth = 320;
constexpr CGFloat kBarHeight = 44;
constexpr CGFloat kButtonSize = 44;
constexpr CGFloat kMenuBarHeight = 108;
constexpr CGFloat kStatusBarHeight = 20;

struct MenuEntry {
  const char* title;
  const char* image;
  long tag;
};
constexpr MenuEntry kRepost{"转发微博", "tapRet", 1};
constexpr MenuEntry kComment{"发表评论", "tapComment", 2};
constexpr MenuEntry kWrite{"写微博", "tapWrite", 3};
constexpr MenuEntry kLumi{"路米分享", "tapLumi", 9};
constexpr MenuEntry kTip{"爆料", "tapBaoliao", 5};
constexpr MenuEntry kSearch{"查询", "tapSearch", 7};
constexpr MenuEntry kMail{"邮件分享", "tapEmail", 8};

void setImages(UIButton& button, const std::string& image) {
  button.setImage(imageFileNamed(image), UIControlStateNormal);
  button.setImage(imageFileNamed(image + "S"), UIControlStateHighlighted);
}

}  // namespace

UINaviComView::UINaviComView(CGRect frame) : UIView(frame) {
  setBackgroundColor(UIColor::clearColor());
}

std::shared_ptr<UIButton> UINaviComView::addButton(CGFloat x, long tag, const std::string& image,
                                                   Selector action,
                                                   std::shared_ptr<UIButton> button) {
  if (!button) button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(x, 0, kButtonSize, kButtonSize));
  button->setTag(tag);
  setImages(*button, image);
  button->addTarget(std::move(action), UIControlEventTouchUpInside);
  addSubview(button);
  return button;
}

std::shared_ptr<UINaviComView> UINaviComView::barWithButtons(
    std::initializer_list<ButtonSpec> buttons, const Selector& action) {
  auto bar = std::make_shared<UINaviComView>(CGRectMake(0, 0, kBarWidth, kBarHeight));
  for (const auto& b : buttons) bar->addButton(b.x, b.tag, b.image, action);
  return bar;
}

std::shared_ptr<UINaviComView> UINaviComView::initWithAction(Selector action) {
  return barWithButtons({{170, 1, "returnBtn"}, {220, 2, "naviwrite"}, {270, 3, "refresh"}},
                        action);
}

std::shared_ptr<UINaviComView> UINaviComView::initWithThirdAction(Selector action) {
  return barWithButtons({{70, 1, "returnBtn"},
                         {120, 12, "naviinfo"},
                         {170, 13, "naviMsg"},
                         {220, 14, "navibuy"},
                         {270, 3, "refresh"}},
                        action);
}

std::shared_ptr<UINaviComView> UINaviComView::initWithComAction(Selector action) {
  return barWithButtons(
      {{120, 1, "returnBtn"}, {170, 5, "navicom5"}, {220, 6, "navicom6"}, {270, 3, "refresh"}},
      action);
}

std::shared_ptr<UINaviComView> UINaviComView::initWithTopicAction(Selector action) {
  return barWithButtons({{220, 1, "returnBtn"}, {270, 3, "refresh"}}, action);
}

std::shared_ptr<UINaviComView> UINaviComView::initWithVEZIAction(Selector action) {
  return initWithTopicAction(std::move(action));
}

std::shared_ptr<UINaviComView> UINaviComView::initWithOnlineAction(Selector action) {
  auto bar = std::make_shared<UINaviComView>(CGRectMake(270, 0, kButtonSize, kButtonSize));
  bar->addButton(0, 1, "returnBtn", std::move(action));
  return bar;
}

std::shared_ptr<UINaviComView> UINaviComView::initWithLeftAction(Selector left, Selector right) {
  auto bar = std::make_shared<UINaviComView>(CGRectMake(0, 0, kBarWidth, kBarHeight));
  bar->leftBtn_ = UIButton::buttonWithType(UIButtonType::Custom);
  bar->leftBtn_->setFrame(CGRectMake(10, 10, kButtonSize, kButtonSize));
  bar->leftBtn_->addTarget(std::move(left), UIControlEventTouchUpInside);
  bar->addSubview(bar->leftBtn_);
  bar->rightBtn_ = UIButton::buttonWithType(UIButtonType::Custom);
  bar->rightBtn_->setFrame(CGRectMake(266, 10, kButtonSize, kButtonSize));
  bar->rightBtn_->addTarget(std::move(right), UIControlEventTouchUpInside);
  bar->addSubview(bar->rightBtn_);
  return bar;
}

void UINaviComView::setLeftImage(const std::shared_ptr<UIImage>& left,
                                 const std::shared_ptr<UIImage>& right) {
  if (left && leftBtn_) leftBtn_->setImage(left, UIControlStateNormal);
  if (right && rightBtn_) rightBtn_->setImage(right, UIControlStateNormal);
}

void UINaviComView::setLeftSelectedImage(const std::shared_ptr<UIImage>& left,
                                         const std::shared_ptr<UIImage>& right) {
  if (left && leftBtn_) leftBtn_->setImage(left, UIControlStateSelected);
  if (right && rightBtn_) rightBtn_->setImage(right, UIControlStateSelected);
}

void UINaviComView::setBaoLiaoBtn(Selector action) {
  auto back = viewWithTag(1);
  if (!back) return;
  CGRect f = back->frame();
  f.origin.x -= 50;
  back->setFrame(f);
  auto place = [&](const std::shared_ptr<UIView>& view, int step) {
    if (!view) return;
    view->setFrame(CGRectMake(f.origin.x + 50 * step, f.origin.y, f.size.width, f.size.height));
  };
  place(viewWithTag(2), 1);
  auto tip = addButton(0, 4, "Baoliao", std::move(action));
  place(tip, 2);
  place(viewWithTag(3), 3);
}

std::shared_ptr<UINaviComView> UINaviComView::initWithTitle(const std::shared_ptr<UIImage>& image) {
  auto bar = std::make_shared<UINaviComView>(CGRectMake(0, 0, kBarWidth, kBarHeight));
  if (image) {
    auto view = std::make_shared<UIImageView>(CGRectZero);
    view->setTag(kTitleImageTag);
    bar->addSubview(view);
    bar->resetTitle(image);
  }
  return bar;
}

void UINaviComView::resetTitle(const std::shared_ptr<UIImage>& image) {
  auto view = std::dynamic_pointer_cast<UIImageView>(viewWithTag(kTitleImageTag));
  if (!view || !image) return;
  CGSize s = image->size();
  CGFloat w = s.height > 0 ? s.width / s.height * 24 : 0;
  view->setImage(image);
  view->setFrame(CGRectMake((kBarWidth - w) / 2, 0, w, 24));
}

void UINaviComView::setTitle(const std::string& text) {
  auto view = viewWithTag(kTitleImageTag);
  if (!view) return;
  auto label = std::make_shared<UILabel>(view->bounds());
  label->setBackgroundColor(UIColor::clearColor());
  label->setText(text);
  label->setTextAlignment(UITextAlignmentCenter);
  label->setTextColor(UIColor::whiteColor());
  label->setFont(UIFont::boldSystemFontOfSize(15));
  view->addSubview(label);
}

void UINaviComView::setBkView() {
  auto background = std::make_shared<UIImageView>(bounds());
  background->setImage(imageFileNamed("buttomBar"));
  background->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
  addSubview(background);
  sendSubviewToBack(background);
}

// ---- the topic header

std::shared_ptr<UINaviComView> UINaviComView::initWithNaviBarTitle(
    const std::string& title, const std::optional<std::string>& detail) {
  auto bar = std::make_shared<UINaviComView>(CGRectMake(0, 0, kBarWidth, 58));
  bool day = NSGlobe::getEngine()->getCurThemeSelect() == 1;
  auto font = NSGlobe::getEngine()->textFont();
  auto label = UIImageLabel::initWithFrame(CGRectMake(10, 10, 300, 30));
  label->setText("<img alt=\"img\" src=\"topicImg\"> " + title +
                 " <img alt=\"img\" src=\"topicImg\">");
  label->setMyFont(font);
  if (!day) label->setTextColor(UIBkImageView::getFontColor());
  // Twelve spaces stand for the two marks.
  CGSize size =
      sizeWithFont("            " + title, font, CGSizeMake(300, 1000), label->lineBreakMode());
  label->setFrame(CGRectMake(10, 10, size.width, size.height));
  bar->addSubview(label);
  CGFloat h = size.height;

  auto attendButton = [&](CGFloat x, const char* text, void (UINaviComView::*action)(const Value&),
                          const char* name) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(x, h + 10, 71, 30));
    button->setTitle(std::string(text), UIControlStateNormal);
    button->setBackgroundImage(imageFileNamed("attendBtn"), UIControlStateNormal);
    button->addTarget(selector(bar->weakSelf<UINaviComView>(), action, name),
                      UIControlEventTouchUpInside);
    bar->addSubview(button);
  };
  CGFloat joinX = 220;
  if (detail && !detail->empty()) {
    attendButton(220, "查看详情", &UINaviComView::showDetailAction, "showDetailAction:");
    joinX = 140;
  }
  attendButton(joinX, "参与话题", &UINaviComView::joinAction, "joinAction:");

  auto rule = [&](CGFloat y, std::shared_ptr<UIColor> colour) {
    auto line = std::make_shared<UIView>(CGRectMake(15, y, 290, 1));
    line->setBackgroundColor(std::move(colour));
    bar->addSubview(line);
  };
  rule(h + 43, day ? UIColor::lightGrayColor() : UIColor::blackColor());
  rule(h + 44, day ? UIColor::whiteColor() : UIColor::colorWithWhite(1, 0.2));
  bar->setFrame(CGRectMake(0, 0, kBarWidth, h + 45));
  return bar;
}

// ---- the detail bar and its menu

std::shared_ptr<UINaviComView> UINaviComView::initWithNaviBar(bool flag) {
  auto bar = std::make_shared<UINaviComView>(CGRectMake(0, 0, kBarWidth, kBarHeight));
  if (flag) bar->buildDetailBar();
  return bar;
}

void UINaviComView::buildDetailBar() {
  auto action =
      selector(weakSelf<UINaviComView>(), &UINaviComView::toolbarAction, "toolbarAction:");
  addButton(130, kReturnTag, "returnBtn", action);
  addButton(180, kPageUpTag, "pageUp", action);
  addButton(230, kPageDownTag, "pageDown", action);
  auto tool = std::make_shared<UIYBButton>(CGRectZero);
  addButton(280, kToolTag, "toolBarBtn", action, tool);
  for (long tag : {kReturnTag, kPageUpTag, kPageDownTag, kToolTag})
    viewWithTag(tag)->setAutoresizingMask(UIViewAutoresizingFlexibleTopMargin);

  int seen = NSConfig::readValueWithKey(kPopTypeFirstKey).intValue();
  if (seen == 0) {
    NSConfig::setValue(Value("1"), kPopTypeFirstKey);
    std::weak_ptr<UINaviComView> weakThis = weakSelf<UINaviComView>();
    std::weak_ptr<UIYBButton> weakTool = tool;
    performAfterDelay(
        [weakThis, weakTool] {
          auto self = weakThis.lock();
          auto button = weakTool.lock();
          if (self && button)
            self->toolbarAction(Value(std::static_pointer_cast<NSObject>(button)));
        },
        1.0);
  } else if (seen == 1) {
    NSConfig::setValue(Value("2"), kPopTypeFirstKey);
    tool->setAnimal({imageFileNamed("toolBarBtn1"), imageFileNamed("toolBarBtn2"),
                     imageFileNamed("toolBarBtn3")});
  }
}

void UINaviComView::closeMenu() {
  isInPop_ = false;
  modfiyPopView(false);
}

void UINaviComView::toolbarAction(const Value& sender) {
  auto button = sender.object<UIButton>();
  if (!button) return;
  long tag = button->tag();
  auto delegate = naviDelegate_.lock();
  if (isInPop_ && tag == kToolTag) {
    closeMenu();
  } else if (tag == kReturnTag) {
    if (delegate) delegate->toolBarAction(button);
  } else if (tag == kToolTag) {
    if (isInAnimal_) return;
    if (delegate) delegate->popAnimal(button, false);
    if (auto parent = superview()) parent->bringSubviewToFront(self<UIView>());
    isInPop_ = true;
    modfiyPopView(true);
  } else if (tag == kPageUpTag || tag == kPageDownTag) {
    closeMenu();
    if (delegate) delegate->swipePage(tag == kPageUpTag);
  }
}

void UINaviComView::setHeightAboveScreenBottom(CGFloat height) {
  CGFloat bottom = UIScreen::mainScreen()->bounds().size.height - kStatusBarHeight;
  CGRect f = frame();
  setFrame(CGRectMake(f.origin.x, bottom - height, f.size.width, height));
  // The buttons keep to the bottom edge (their flexible top margin): the menu opens above them.
  CGFloat grown = height - f.size.height;
  for (auto& sub : subviews())
    if (sub->autoresizingMask() & UIViewAutoresizingFlexibleTopMargin) {
      CGRect s = sub->frame();
      s.origin.y += grown;
      sub->setFrame(s);
    }
}

void UINaviComView::beginMenuAnimation() {
  UIView::beginAnimations("rawReadAnimation");
  UIView::setAnimationDuration(kMenuDuration);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weak_from_this());
  UIView::setAnimationDidStopSelector(
      selector(weakSelf<UINaviComView>(), &UINaviComView::animationStop, "animationStop:"));
}

void UINaviComView::modfiyPopView(bool open) {
  beginMenuAnimation();
  if (open) {
    isInAnimal_ = true;
    setHeightAboveScreenBottom(kMenuBarHeight);
    auto panel = std::make_shared<UIImageView>(popType_ == 4 ? CGRectMake(60, 0, 238, 74)
                                                             : CGRectMake(10, 0, 298, 74));
    if (auto frame = imageFileNamed("toolBarFrame"))
      panel->setImage(frame->stretchableImageWithLeftCapWidth(20, 0));
    panel->setTag(kMenuPanelTag);
    panel->setAutoresizingMask(UIViewAutoresizingFlexibleBottomMargin);
    panel->setUserInteractionEnabled(true);
    addSubview(panel);

    const MenuEntry entries[] = {kRepost, kComment, kWrite,
                                 isThird_ ? kSearch : (isBaoliao_ ? kTip : kLumi), kMail};
    auto action = selector(weakSelf<UINaviComView>(), &UINaviComView::popAction, "popAction:");
    long shown = std::clamp(popType_, 0L, long(std::size(entries)));
    for (long i = 0; i < shown; ++i) {
      const auto& entry = entries[i];
      auto button = UIButton::buttonWithType(UIButtonType::Custom);
      button->setFrame(CGRectMake(13 + 59 * CGFloat(i), 6, 38, 38));
      button->setTag(entry.tag);
      setImages(*button, entry.image);
      button->addTarget(action, UIControlEventTouchUpInside);
      panel->addSubview(button);
      auto label = std::make_shared<UILabel>(CGRectMake(59 * CGFloat(i), 38, 59, 22));
      label->setText(entry.title);
      label->setFont(UIFont::systemFontOfSize(12));
      label->setTextAlignment(UITextAlignmentCenter);
      label->setBackgroundColor(UIColor::clearColor());
      panel->addSubview(label);
    }
  } else {
    auto panel = viewWithTag(kMenuPanelTag);
    if (panel) {
      CGRect f = panel->frame();
      f.origin.x = kBarWidth;
      panel->setFrame(f);
    }
    auto tool = std::dynamic_pointer_cast<UIButton>(viewWithTag(kToolTag));
    if (panel && tool)
      if (auto delegate = naviDelegate_.lock()) delegate->popAnimal(tool, true);
  }
  UIView::commitAnimations();
}

void UINaviComView::animationStop(const Value&) {
  isInAnimal_ = false;
  if (isInPop_) return;
  if (auto panel = viewWithTag(kMenuPanelTag)) panel->removeFromSuperview();
  setHeightAboveScreenBottom(kBarHeight);
}

void UINaviComView::popAction(const Value& sender) {
  auto button = sender.object<UIButton>();
  closeMenu();
  if (auto delegate = naviDelegate_.lock(); delegate && button) delegate->toolBarAction(button);
}

void UINaviComView::swipeAction(const Value& sender) {
  auto recognizer = sender.object<UIGestureRecognizer>();
  if (auto swipe = std::dynamic_pointer_cast<UISwipeGestureRecognizer>(recognizer))
    direction_ = static_cast<unsigned long>(swipe->direction());
  if (auto delegate = naviDelegate_.lock(); delegate && recognizer)
    delegate->swipeAction(recognizer);
}

void UINaviComView::joinAction(const Value&) {
  if (auto delegate = naviDelegate_.lock()) delegate->joinTopic();
}

void UINaviComView::showDetailAction(const Value&) {
  if (auto delegate = naviDelegate_.lock()) delegate->showTopicDetail();
}

void UINaviComView::touchesBegan(const UITouchSet&, UIEvent*) {
  direction_ = 2;
  isMove_ = false;
}

void UINaviComView::touchesMoved(const UITouchSet&, UIEvent*) {
  isMove_ = true;
}

void UINaviComView::touchesEnded(const UITouchSet&, UIEvent*) {
  if (!isMove_) {
    if (isInPop_) closeMenu();
    if (auto delegate = naviDelegate_.lock()) {
      delegate->naviTapAction(Value());
      delegate->willLoadMore(Value());
    }
  }
  isMove_ = false;
}

void UINaviComView::touchesCancelled(const UITouchSet&, UIEvent*) {
  isMove_ = false;
}

NS_CLASS_IMPLEMENTATION(UINaviComView) {}
