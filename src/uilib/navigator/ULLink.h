// An invisible control over some content that opens a URL action through the navigator of
// its pane when tapped, showing the style sheet's "linkHighlighted" overlay while pressed.
// Without an action it takes no touches; a touch that leaves the link un-highlights it and
// ends tracking, so releasing outside opens nothing.  Main thread only.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIControl.h"
#include "uilib/navigator/ULNavigator.h"

class ULView;

class ULLink : public UIControl {
  NS_CLASS(ULLink, UIControl)

 public:
  ULLink() : ULLink(CGRectZero) {}
  explicit ULLink(CGRect frame);

  const std::shared_ptr<ULURLAction>& URLAction() const { return URLAction_; }
  // User interaction is on exactly when there is an action.
  void setURLAction(std::shared_ptr<ULURLAction> action);
  // The action's path ("" without one).
  std::string URL() const;
  // An animated action for the path.
  void setURL(std::string urlPath);

  // The highlight overlay; null until the link is first highlighted.
  const std::shared_ptr<ULView>& screenView() const { return screenView_; }

  bool continueTrackingWithTouch(UITouch& touch, UIEvent* event) override;

 protected:
  void stateDidChange() override;

 private:
  void linkTouched();

  std::shared_ptr<ULURLAction> URLAction_;
  std::shared_ptr<ULView> screenView_;
  bool wasHighlighted_ = false;
};
