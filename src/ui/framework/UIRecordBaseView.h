// A content view that records the same page-view usage event as the base screens when it is
// made.  Make it with initWithFrame (one event) or init (the platform's init runs initWithFrame
// as well: two events), so that the event carries the class actually made.
#pragma once

#include <memory>
#include <utility>

#include "UIKit/UIView.h"

class UIRecordBaseView : public UIView {
  NS_CLASS(UIRecordBaseView, UIView)
 public:
  explicit UIRecordBaseView(CGRect frame = CGRectZero) : UIView(frame) {}

  template <class T = UIRecordBaseView, class... Args>
  static std::shared_ptr<T> initWithFrame(Args&&... args) {
    auto view = std::make_shared<T>(std::forward<Args>(args)...);
    view->recodeView();
    return view;
  }
  template <class T = UIRecordBaseView, class... Args>
  static std::shared_ptr<T> init(Args&&... args) {
    auto view = initWithFrame<T>(std::forward<Args>(args)...);
    view->recodeView();
    return view;
  }

  // Sends the page-view usage event.
  void recodeView();
};
