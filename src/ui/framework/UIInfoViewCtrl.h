// The profile screen, least stand-in until the social screens are built: made from the nib
// "UIInfoViewCtrl", it keeps the user it was given (one with only `username` set stands for a
// look-up by name) and reports its arrival on the navigation stack to the stand-in sink
// (ui/framework/StandInSink.h) as ("UIInfoViewCtrl", "show", the user).
#pragma once

#include <memory>
#include <string>

#include "ui/framework/UIViewCtrl.h"

struct User;

class UIInfoViewCtrl : public UIViewCtrl {
  NS_CLASS(UIInfoViewCtrl, UIViewCtrl)
 public:
  static std::shared_ptr<UIInfoViewCtrl> initWithNibName(std::string nibName = "UIInfoViewCtrl");

  void viewDidAppear(bool animated) override;

  const std::string& nibName() const { return nibName_; }
  void setItem(std::shared_ptr<User> user) { item_ = std::move(user); }
  const std::shared_ptr<User>& item() const { return item_; }

 private:
  std::string nibName_;
  std::shared_ptr<User> item_;
};
