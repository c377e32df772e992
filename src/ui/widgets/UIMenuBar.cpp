#include "ui/widgets/UIMenuBar.h"

#include <string>
#include <utility>

#include "Foundation/NSClass.h"
#include "UIKit/UIScreen.h"
#include "core/NSGlobe.h"
#include "ui/widgets/UIPageView.h"

NS_CLASS_IMPLEMENTATION(UIMenuBar) {
  c.method("btnAction:", &UIMenuBar::btnAction);
  c.method("changePage:", &UIMenuBar::changePage);
  c.property("hidePageNo", &UIMenuBar::hidePageNo, &UIMenuBar::setHidePageNo);
}

UIMenuBar::UIMenuBar(CGRect frame) : UIView(frame) {}

UIMenuBar::~UIMenuBar() = default;

std::shared_ptr<UIMenuBar> UIMenuBar::initWithPoint(CGPoint point) {
  const CGFloat height = UIScreen::mainScreen()->bounds().size.height;
  auto bar = std::make_shared<UIMenuBar>(CGRectMake(point.x, point.y, 30, height - 50));
  const bool tall = NSGlobe::getEngine()->isIphone5();
  const CGFloat top = tall ? height - 310 : height - 280;
  const std::pair<const char*, long> buttons[] = {{"addChannel", kAddChannelTag},
                                                  {"searchChannel", kSearchChannelTag},
                                                  {"write_MB", kWriteTag},
                                                  {"setup", kSetupTag}};
  CGFloat y = top;
  for (const auto& [image, tag] : buttons) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(0, y, 30, 30));
    button->setTag(tag);
    button->setImage(UIImage::imageNamed(image), UIControlStateNormal);
    button->addTarget(selector(bar->weakSelf<UIMenuBar>(), &UIMenuBar::btnAction, "btnAction:"),
                      UIControlEventTouchUpInside);
    bar->addSubview(button);
    y += 60;
  }
  auto indicator = UIPageView::initWithFrame(CGRectMake(0, tall ? 40 : 9, 30, 30));
  indicator->setTag(kPageIndicatorTag);
  bar->addSubview(indicator);
  return bar;
}

void UIMenuBar::tell(long tag) {
  if (auto delegate = barDelegate_.lock()) delegate->touchMenuItem(tag);
}

void UIMenuBar::btnAction(const Value& button) {
  if (auto view = button.object<UIView>()) tell(view->tag());
}

void UIMenuBar::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesEnded(touches, event);
  tell(0);
}

void UIMenuBar::changePage(long page) {
  if (page == 0) page = 1;
  if (page == curPageNo_) return;
  if (!hidePageNo_ && pageLabel_) {
    pageLabel_->setText(std::to_string(page));
    UIView::beginAnimations();
    UIView::setAnimationDuration(0.7);
    UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
    UIView::setAnimationTransition(UIViewAnimationTransition::FlipFromLeft, pageView_, true);
    UIView::commitAnimations();
  }
  curPageNo_ = page;
  if (auto indicator = std::dynamic_pointer_cast<UIPageView>(viewWithTag(kPageIndicatorTag)))
    indicator->setCurPage(page);
}

void UIMenuBar::setHidePageNo(bool hide) {
  hidePageNo_ = hide;
  if (!hide || !pageLabel_) return;
  pageLabel_->removeFromSuperview();
  pageLabel_.reset();
  if (pageView_) pageView_->removeFromSuperview();
  pageView_.reset();
}
