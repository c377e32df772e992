// The start-up advert overlay, least stand-in until the account screens are built: it keeps
// its advert and sender and, as it cannot show the advert's picture, ends on the next pass of
// the main run loop the way the advert ends when its picture fails: it leaves the window and
// posts "registerClientCallBack".
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "UIKit/UIView.h"
#include "model/NSAdInfo.h"

class UILoginAdView : public UIView {
  NS_CLASS(UILoginAdView, UIView)
 public:
  // initWithInfo:sender: - 320 wide, the screen's height less the status bar.
  static std::shared_ptr<UILoginAdView> initWithInfo(const NSAdInfoPtr& info,
                                                     const std::weak_ptr<NSObject>& sender);
  const NSAdInfoPtr& adInfo() const { return info_; }
  std::shared_ptr<NSObject> sender() const { return sender_.lock(); }

 private:
  void finish();

  NSAdInfoPtr info_;
  std::weak_ptr<NSObject> sender_;
};
