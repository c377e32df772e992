// A view controller that allows every interface orientation: what the credentials dialog is
// shown from.
#pragma once

#include "UIKit/UIViewController.h"

class HXAutorotatingViewController : public UIViewController {
 public:
  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation) override { return true; }
};
