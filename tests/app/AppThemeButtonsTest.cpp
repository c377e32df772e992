// At theme 3 the app's styled bar buttons are the UI library's, once start-up has handed them over.
#include <gtest/gtest.h>

#include "app/AppDelegate.h"
#include "core/UIBkImageView.h"
#include "support/MainLoop.h"
#include "ui/framework/UIZMButton.h"
#include "uilib/views/ULButton.h"

namespace {

TEST(AppThemeButtons, ThemeThreeHandsTheBarButtonStylesToTheLibrary) {
  MainLoop::install();
  auto app = std::make_shared<AppDelegate>();
  UIBkImageView::setThemeBarImage(3);
  struct Case {
    const char* style;
    bool library;
  };
  for (const Case& c :
       {Case{"toolbarBackButton:", true}, Case{"toolbarRefreshRoundButton:", true},
        Case{"toolbarHomeButton:", false}, Case{"toolbarGaryRoundButton:", false}}) {
    auto button = UIZMButton::buttonWithStyle(c.style, "返回");
    ASSERT_NE(button, nullptr) << c.style;
    EXPECT_EQ(std::dynamic_pointer_cast<ULButton>(button) != nullptr, c.library) << c.style;
    EXPECT_EQ(std::dynamic_pointer_cast<UIZMButton>(button) != nullptr, !c.library) << c.style;
  }
  UIBkImageView::setThemeBarImage(1);
  EXPECT_NE(std::dynamic_pointer_cast<UIZMButton>(
                UIZMButton::buttonWithStyle("toolbarBackButton:", "返回")),
            nullptr);
}

}  // namespace
