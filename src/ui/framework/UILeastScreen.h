// The least screen of a part that is not built yet: a titled, empty screen made from its
// interface file's name (kept, not read), on the app's base screen so that showing it records
// the page view as the real screen will.  Its view is a plain view of the app's background
// colour.  The screens that stand in this way keep their own class names, so the view tree and
// the navigation stack already name what the reader reaches.
#pragma once

#include <string>

#include "ui/framework/UIBaseViewCtrl.h"

class UILeastScreen : public UIBaseViewCtrl {
  NS_CLASS(UILeastScreen, UIBaseViewCtrl)
 public:
  UILeastScreen() = default;
  UILeastScreen(std::string title, std::string nibName);

  const std::string& nibName() const { return nibName_; }
  void loadView() override;

 private:
  std::string nibName_;
};
