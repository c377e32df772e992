#include "ui/framework/TouchTarget.h"

#include "UIKit/UIEvent.h"
#include "UIKit/UIView.h"

void TouchTarget::set(Selector action, UIControlEvents events) {
  pressFun = std::move(action);
  m_event = events;
  isNomal = true;
}

void TouchTarget::fire(UIView& sender, UIEvent* event) const {
  if (!isNomal || !event || event->type() != UIEventType::Touches) return;
  if (!pressFun.targetAlive()) return;
  pressFun(Value(sender.shared_from_this()));
}
