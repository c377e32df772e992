#include "UIKit/UISplitViewController.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIScreen.h"

UISplitViewController::~UISplitViewController() {
  for (auto& c : children_) releaseChild(*c);
}

void UISplitViewController::setViewControllers(
    std::vector<std::shared_ptr<UIViewController>> controllers) {
  std::vector<std::shared_ptr<UIViewController>> kept;
  for (auto& c : controllers) {
    if (kept.size() == 2) break;
    if (!c || c.get() == this || std::find(kept.begin(), kept.end(), c) != kept.end()) continue;
    bool ours = std::find(children_.begin(), children_.end(), c) != children_.end();
    if (!ours && isContained(*c)) continue;
    kept.push_back(c);
  }
  bool onScreen = isViewLoaded() && isAppearing();
  for (auto& c : children_)
    if (std::find(kept.begin(), kept.end(), c) == kept.end()) {
      if (onScreen) c->beginAppearanceTransition(false, false);
      if (c->isViewLoaded() && c->view()->superview() == view()) c->view()->removeFromSuperview();
      releaseChild(*c);
      if (onScreen) c->endAppearanceTransition();
    }
  std::vector<std::shared_ptr<UIViewController>> added;
  for (auto& c : kept)
    if (std::find(children_.begin(), children_.end(), c) == children_.end()) added.push_back(c);
  for (auto& c : kept) adoptChild(*c);
  children_ = std::move(kept);
  if (onScreen)
    for (auto& c : added) c->beginAppearanceTransition(true, false);
  layoutPanes();
  if (onScreen)
    for (auto& c : added) c->endAppearanceTransition();
}

void UISplitViewController::loadView() {
  setView(std::make_shared<UIView>(UIScreen::mainScreen()->applicationFrame()));
  layoutPanes();
}

void UISplitViewController::layoutPanes() {
  if (!isViewLoaded()) return;
  CGRect bounds = view()->bounds();
  CGFloat left = 0;
  for (size_t i = 0; i < children_.size(); ++i) {
    CGFloat width = i == 0 && children_.size() > 1 ? std::min(kMasterWidth, bounds.size.width)
                                                   : bounds.size.width - left;
    auto pane = children_[i]->view();
    pane->setFrame(CGRectMake(left, 0, width, bounds.size.height));
    if (pane->superview() != view()) view()->addSubview(pane);
    left += width;
  }
}

NS_CLASS_IMPLEMENTATION(UISplitViewController) {}
