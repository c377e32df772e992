// The banner strip of the seminar and trade-fair lists, least stand-in until the seminar
// screens are built: a plain view of the frame it is given that keeps its data item and its
// scroll delegate (not retained).
#pragma once

#include <memory>

#include "Foundation/NSObject.h"
#include "UIKit/UIView.h"

class UISeminarScrollView : public UIView {
  NS_CLASS(UISeminarScrollView, UIView)
 public:
  explicit UISeminarScrollView(CGRect frame) : UIView(frame) {}
  // initWithFrame:
  static std::shared_ptr<UISeminarScrollView> initWithFrame(CGRect frame);
  // initWithFrame:withData: (the trade-fair list's first item)
  static std::shared_ptr<UISeminarScrollView> initWithFrame(CGRect frame,
                                                            const std::shared_ptr<NSObject>& data);

  const std::shared_ptr<NSObject>& data() const { return data_; }
  std::shared_ptr<NSObject> scrollDelegate() const { return scrollDelegate_.lock(); }
  void setScrollDelegate(std::weak_ptr<NSObject> delegate) {
    scrollDelegate_ = std::move(delegate);
  }

 private:
  std::shared_ptr<NSObject> data_;
  std::weak_ptr<NSObject> scrollDelegate_;
};
