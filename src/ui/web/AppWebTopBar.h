// The themed 44-point top bar of the app's web screens: the bar image on black, the "返回"
// button sending back, the title label, and the spinner of the screen's spinner item moved
// into the bar.  Theme 1 takes the screen's own bar image, "leftBtn" and black titles; other
// themes "topBar_theme1", "leftBtn_theme1" and the settings' font colour.
#pragma once

#include <memory>
#include <string_view>

#include "Foundation/NSObject.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"

struct AppWebTopBar {
  std::shared_ptr<UIImageView> bar;
  std::shared_ptr<UILabel> titleLabel;
};

AppWebTopBar loadAppWebTopBar(UIView& into, std::string_view dayBarImage, Selector back,
                              const std::shared_ptr<UIBarButtonItem>& activityItem);
