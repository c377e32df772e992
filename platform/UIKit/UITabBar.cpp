#include "UIKit/UITabBar.h"

#include <cstdlib>

#include "CoreGraphics/CGContext.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIDrawingHelpers.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIToolbar.h"

namespace {

constexpr CGFloat kTitleHeight = 13;

class UITabBarBackgroundView : public UIView {
  NS_CLASS_NAMED(UITabBarBackgroundView, UIView, "_UITabBarBackgroundView")
 public:
  UITabBarBackgroundView(CGRect frame, UITabBar* bar) : UIView(frame), bar_(bar) {
    setUserInteractionEnabled(false);
  }
  void drawRect(CGRect) override {
    if (bar_ && bar_->backgroundImage()) {
      bar_->backgroundImage()->drawInRect(bounds());
      return;
    }
    UIDrawBarGradient(bounds(), UIColor::colorWithWhite(0.1, 1));
  }
  UITabBar* bar_;  // the bar owns this view
};

class UITabBarSelectionIndicatorView : public UIView {
  NS_CLASS(UITabBarSelectionIndicatorView, UIView)
 public:
  explicit UITabBarSelectionIndicatorView(CGRect frame) : UIView(frame) {
    setUserInteractionEnabled(false);
  }
  void drawRect(CGRect) override {
    if (auto* appearance = UITabBar::appearance();
        appearance && appearance->selectionIndicatorImage()) {
      appearance->selectionIndicatorImage()->drawInRect(bounds());
      return;
    }
    auto ctx = UIGraphicsGetCurrentContext();
    if (!ctx) return;
    ctx->setFillColorWithColor(UIColor::colorWithWhite(1, 0.18)->CGColor());
    addRoundedRect(ctx, CGRectInset(bounds(), 2, 2), 4);
    ctx->fillPath();
  }
};

}  // namespace

NS_CLASS_IMPLEMENTATION(UITabBarBackgroundView) {}
NS_CLASS_IMPLEMENTATION(UITabBarSelectionIndicatorView) {}

void UITabBarAppearance::setSelectionIndicatorImage(std::shared_ptr<UIImage> image) {
  indicator_ = std::move(image);
}

UITabBarAppearance* UITabBar::appearance() {
  static UITabBarAppearance shared;
  return std::atoi(UIDevice::currentDevice()->systemVersion().c_str()) >= 5 ? &shared : nullptr;
}

UITabBarButton::UITabBarButton(CGRect frame, const std::string& title) : UIControl(frame) {
  label_ = std::make_shared<UILabel>(CGRectZero);
  label_->setText(title);
  label_->setFont(UIFont::boldSystemFontOfSize(10));
  label_->setTextColor(UIColor::colorWithWhite(0.6, 1));
  label_->setBackgroundColor(UIColor::clearColor());
  label_->setTextAlignment(UITextAlignmentCenter);
  addSubview(label_);
  layoutSubviews();
}

void UITabBarButton::layoutSubviews() {
  CGRect b = bounds();
  label_->setFrame(CGRectMake(0, b.size.height - kTitleHeight - 2, b.size.width, kTitleHeight));
}

UITabBar::UITabBar(CGRect frame) : UIView(frame) {
  auto background = std::make_shared<UITabBarBackgroundView>(bounds(), this);
  background_ = background;
  addSubview(background);
}

void UITabBar::setBackgroundImage(std::shared_ptr<UIImage> image) {
  backgroundImage_ = std::move(image);
  if (auto background = background_.lock()) background->setNeedsDisplay();
}

std::vector<std::shared_ptr<UITabBarButton>> UITabBar::tabButtons() const {
  std::vector<std::shared_ptr<UITabBarButton>> out;
  for (auto& weak : buttons_)
    if (auto b = weak.lock()) out.push_back(b);
  return out;
}

void UITabBar::setTabTitles(const std::vector<std::string>& titles) {
  for (auto& b : tabButtons()) b->removeFromSuperview();
  buttons_.clear();
  selected_ = -1;
  for (const auto& title : titles) {
    auto button = std::make_shared<UITabBarButton>(CGRectZero, title);
    std::weak_ptr<UITabBar> weakBar = weakSelf<UITabBar>();
    button->addTarget(UIControlAction{"_tabBarItemClicked:", weakBar,
                                      [weakBar](UIControl& sender, UIEvent*) {
                                        if (auto bar = weakBar.lock()) bar->tapped(sender);
                                      }},
                      UIControlEventTouchUpInside);
    buttons_.push_back(button);
    addSubview(button);
  }
  layoutSubviews();
}

void UITabBar::tapped(UIControl& button) {
  auto buttons = tabButtons();
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i].get() == &button && tapHandler_) tapHandler_(i);
}

void UITabBar::setSelectedIndex(long index) {
  auto buttons = tabButtons();
  if (index < 0 || size_t(index) >= buttons.size()) index = -1;
  selected_ = index;
  for (size_t i = 0; i < buttons.size(); ++i) {
    auto& button = buttons[i];
    bool selected = long(i) == index;
    button->setSelected(selected);
    button->titleLabel()->setTextColor(selected ? UIColor::whiteColor()
                                                : UIColor::colorWithWhite(0.6, 1));
    std::shared_ptr<UIView> indicator;
    for (auto& sub : button->subviews())
      if (sub->isKindOfClass("UITabBarSelectionIndicatorView")) indicator = sub;
    if (selected && !indicator) {
      button->insertSubview(std::make_shared<UITabBarSelectionIndicatorView>(button->bounds()), 0);
    } else if (!selected && indicator) {
      indicator->removeFromSuperview();
    }
  }
}

void UITabBar::layoutSubviews() {
  CGRect b = bounds();
  if (auto background = background_.lock(); background && background->superview().get() == this)
    background->setFrame(b);
  auto buttons = tabButtons();
  if (buttons.empty()) return;
  CGFloat w = b.size.width / CGFloat(buttons.size());
  for (size_t i = 0; i < buttons.size(); ++i) {
    buttons[i]->setFrame(CGRectMake(w * CGFloat(i), 1, w, b.size.height - 1));
    for (auto& sub : buttons[i]->subviews())
      if (sub->isKindOfClass("UITabBarSelectionIndicatorView")) sub->setFrame(buttons[i]->bounds());
  }
}

NS_CLASS_IMPLEMENTATION(UITabBarButton) {}
NS_CLASS_IMPLEMENTATION(UITabBar) {}
