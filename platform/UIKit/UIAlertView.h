// Alerts.  There is no modal window to draw yet: `show` puts the alert in the list of visible
// alerts (which keeps it alive), where tests and the application driver find it and answer it
// with a button index.  Buttons are numbered with the cancel button first (0) when there is one,
// then the other buttons in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIView.h"

class UIAlertView;

class UIAlertViewDelegate {
 public:
  virtual ~UIAlertViewDelegate() = default;
  // A button was tapped (before the alert goes).
  virtual void alertViewClickedButtonAtIndex(const std::shared_ptr<UIAlertView>& /*alertView*/,
                                             long /*buttonIndex*/) {}
  virtual void alertViewWillDismissWithButtonIndex(const std::shared_ptr<UIAlertView>&, long) {}
  virtual void alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>&, long) {}
};

class UIAlertView : public UIView {
  NS_CLASS(UIAlertView, UIView)
 public:
  // initWithTitle:message:delegate:cancelButtonTitle:otherButtonTitles:; an empty cancel title
  // means no cancel button.  The delegate is not retained.
  UIAlertView(std::string title, std::string message,
              std::weak_ptr<UIAlertViewDelegate> delegate = {}, std::string cancelButtonTitle = {},
              std::vector<std::string> otherButtonTitles = {});

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::string& message() const { return message_; }
  void setMessage(std::string message) { message_ = std::move(message); }
  std::weak_ptr<UIAlertViewDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UIAlertViewDelegate> delegate) { delegate_ = std::move(delegate); }

  // Returns the new button's index.
  long addButtonWithTitle(std::string title);
  long numberOfButtons() const { return long(buttons_.size()); }
  // Empty for an index out of range.
  std::string buttonTitleAtIndex(long index) const;
  // -1 when there is no cancel button.
  long cancelButtonIndex() const { return cancelButtonIndex_; }
  long firstOtherButtonIndex() const;

  // Makes the alert visible (again showing a visible alert does nothing).
  void show();
  bool isVisible() const;
  // Takes the alert away as if that button had been chosen, without a click: will-dismiss and
  // did-dismiss only.  Does nothing for an alert that is not visible.
  void dismissWithClickedButtonIndex(long buttonIndex, bool animated);
  // A tap on the button: clicked, will-dismiss, did-dismiss.  False (and nothing happens) when
  // the alert is not visible or has no such button.
  bool tapButtonAtIndex(long buttonIndex);

  // Visible alerts, oldest first.
  static std::vector<std::shared_ptr<UIAlertView>> visibleAlerts();
  // Takes every visible alert away without calling delegates (a fresh application).
  static void removeAllVisibleAlerts();

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  std::string title_;
  std::string message_;
  std::weak_ptr<UIAlertViewDelegate> delegate_;
  std::vector<std::string> buttons_;
  long cancelButtonIndex_ = -1;
};
