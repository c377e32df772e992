#include "uilib/navigator/ULLink.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UITouch.h"
#include "uilib/style/ULStyleSheet.h"
#include "uilib/views/ULView.h"

ULLink::ULLink(CGRect frame) : UIControl(frame) {
  setUserInteractionEnabled(false);
}

void ULLink::setURLAction(std::shared_ptr<ULURLAction> action) {
  URLAction_ = std::move(action);
  if (URLAction_) {
    // Registered here rather than at creation: the control keeps only a weak target.
    std::weak_ptr<ULLink> weak = std::static_pointer_cast<ULLink>(shared_from_this());
    addTarget(UIControlAction{"linkTouched", weak,
                              [weak](UIControl&, UIEvent*) {
                                if (auto self = weak.lock()) self->linkTouched();
                              }},
              UIControlEventTouchUpInside);
  }
  setUserInteractionEnabled(URLAction_ != nullptr);
}

std::string ULLink::URL() const {
  return URLAction_ ? URLAction_->urlPath() : std::string();
}

void ULLink::setURL(std::string urlPath) {
  setURLAction(ULURLAction::actionWithURLPath(std::move(urlPath))->applyAnimated(true));
}

void ULLink::linkTouched() {
  if (!URLAction_) return;
  if (auto navigator =
          ULBaseNavigator::navigatorForView(std::static_pointer_cast<UIView>(shared_from_this())))
    navigator->openURLAction(URLAction_);
}

void ULLink::stateDidChange() {
  const bool highlighted = isHighlighted();
  if (highlighted == wasHighlighted_) return;
  wasHighlighted_ = highlighted;
  if (highlighted) {
    if (!screenView_) {
      screenView_ = std::make_shared<ULView>(bounds());
      screenView_->setStyle(ULStyleSheet::globalStyleSheet()->styleWithSelector("linkHighlighted"));
      screenView_->setBackgroundColor(UIColor::clearColor());
      screenView_->setUserInteractionEnabled(false);
      addSubview(screenView_);
    }
    screenView_->setFrame(bounds());
    screenView_->setHidden(false);
  } else if (screenView_) {
    screenView_->setHidden(true);
  }
}

bool ULLink::continueTrackingWithTouch(UITouch& touch, UIEvent* event) {
  UIControl::continueTrackingWithTouch(touch, event);
  if (CGRectContainsPoint(bounds(), touch.locationInView(this))) return true;
  setHighlighted(false);
  return false;
}

NS_CLASS_IMPLEMENTATION(ULLink) {}
