#include <gtest/gtest.h>

#include "UIKit/UIActionSheet.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using UIActionSheetTest = UIKitTest;

class SheetLog : public UIActionSheetDelegate {
 public:
  void actionSheetClickedButtonAtIndex(const std::shared_ptr<UIActionSheet>& s, long i) override {
    add("clicked", s, i);
  }
  void willPresentActionSheet(const std::shared_ptr<UIActionSheet>& s) override {
    add("willPresent", s, -1);
  }
  void didPresentActionSheet(const std::shared_ptr<UIActionSheet>& s) override {
    add("didPresent", s, -1);
  }
  void actionSheetWillDismissWithButtonIndex(const std::shared_ptr<UIActionSheet>& s,
                                             long i) override {
    add("willDismiss", s, i);
  }
  void actionSheetDidDismissWithButtonIndex(const std::shared_ptr<UIActionSheet>& s,
                                            long i) override {
    add("didDismiss", s, i);
    EXPECT_EQ(s->superview(), nullptr);
  }
  Log log;

 private:
  void add(const char* what, const std::shared_ptr<UIActionSheet>& s, long i) {
    char when[16];
    std::snprintf(when, sizeof when, "@%.2f", MainLoop::now() - t0);
    log.push_back(std::string(what) + ":" + std::to_string(s->tag()) +
                  (i >= 0 ? ":" + std::to_string(i) : "") + when);
  }
  double t0 = MainLoop::now();
};

TEST_F(UIActionSheetTest, ButtonsAreNumberedDestructiveFirstAndCancelLast) {
  struct Case {
    std::string cancel, destructive;
    std::vector<std::string> others;
    long cancelIndex, destructiveIndex, firstOther, count;
  };
  const std::vector<Case> cases = {
      {"取消", "", {"SUREALERT"}, 1, -1, 0, 2},     // the cache clearing
      {"取消", "", {"短信", "邮件"}, 2, -1, 0, 3},  // the sample form: SMS 0, mail 1
      {"取消", "删除", {"复制"}, 2, 0, 1, 3},
      {"", "删除", {}, -1, 0, -1, 1},
      {"", "", {}, -1, -1, -1, 0},
  };
  for (const auto& c : cases) {
    UIActionSheet sheet("", {}, c.cancel, c.destructive, c.others);
    EXPECT_EQ(sheet.cancelButtonIndex(), c.cancelIndex) << c.cancel << c.destructive;
    EXPECT_EQ(sheet.destructiveButtonIndex(), c.destructiveIndex) << c.cancel << c.destructive;
    EXPECT_EQ(sheet.firstOtherButtonIndex(), c.firstOther) << c.cancel << c.destructive;
    EXPECT_EQ(sheet.numberOfButtons(), c.count) << c.cancel << c.destructive;
  }
  UIActionSheet sheet("", {}, "取消", "", {"一"});
  EXPECT_EQ(sheet.addButtonWithTitle("二"), 2);  // after the cancel button
  EXPECT_EQ(sheet.buttonTitleAtIndex(1), "取消");
  EXPECT_EQ(sheet.buttonTitleAtIndex(7), "");
}

TEST_F(UIActionSheetTest, ATappedButtonIsReportedAndTheSheetSlidesAway) {
  auto window = showWindow();
  auto delegate = std::make_shared<SheetLog>();
  auto sheet = std::make_shared<UIActionSheet>("分享到", delegate, "取消", "",
                                               std::vector<std::string>{"微博", "邮件分享"});
  sheet->setTag(200);
  sheet->showInView(window);
  EXPECT_TRUE(sheet->isVisible());
  EXPECT_EQ(UIActionSheet::visibleActionSheets().size(), 1u);
  // The sheet stands at the bottom of the window over a dimmed screen.
  EXPECT_EQ(CGRectGetMaxY(sheet->frame()), 480);
  EXPECT_EQ(sheet->superview()->className(), "UIDimmingView");
  ScreenDriver::wait(1);
  ScreenDriver::tap(CGPointMake(160, 30));  // on the dimmed screen: nothing
  ASSERT_TRUE(ScreenDriver::tapText("邮件分享"));
  EXPECT_FALSE(sheet->isVisible());
  EXPECT_TRUE(sheet->superview());  // still sliding
  ScreenDriver::wait(UIActionSheet::kAnimationDuration);
  EXPECT_EQ(delegate->log, (Log{"willPresent:200@0.00", "didPresent:200@0.30", "clicked:200:1@1.10",
                                "willDismiss:200:1@1.10", "didDismiss:200:1@1.40"}));
  EXPECT_FALSE(ScreenDriver::findText("微博"));
  EXPECT_TRUE(UIActionSheet::visibleActionSheets().empty());
}

TEST_F(UIActionSheetTest, DismissingByProgramSkipsTheClick) {
  auto window = showWindow();
  auto delegate = std::make_shared<SheetLog>();
  auto sheet = std::make_shared<UIActionSheet>("", delegate, "取消", "删除");
  sheet->showInView(window);
  delegate->log.clear();
  sheet->dismissWithClickedButtonIndex(sheet->cancelButtonIndex(), false);
  ASSERT_EQ(delegate->log.size(), 2u);
  EXPECT_EQ(delegate->log[0].substr(0, 15), "willDismiss:0:1");
  EXPECT_EQ(delegate->log[1].substr(0, 14), "didDismiss:0:1");
  EXPECT_EQ(sheet->superview(), nullptr);
  // A sheet for a view in no window does not show.
  auto lost = std::make_shared<UIView>(CGRectMake(0, 0, 10, 10));
  sheet->showInView(lost);
  EXPECT_FALSE(sheet->isVisible());
}

TEST_F(UIActionSheetTest, TheSheetShowsItsTitleAndButtonsInItsDump) {
  auto window = showWindow();
  auto sheet =
      std::make_shared<UIActionSheet>("确定清除缓存吗？", std::weak_ptr<UIActionSheetDelegate>(),
                                      "取消", "", std::vector<std::string>{"清除"});
  sheet->showInView(window);
  EXPECT_EQ(sheet->dump(),
            "UIActionSheet frame=(0 312; 320 168) title=\"确定清除缓存吗？\"\n"
            "  UILabel frame=(20 16; 280 16) text=\"确定清除缓存吗？\"\n"
            "  UIButton frame=(20 48; 280 44) title=\"清除\"\n"
            "  UIButton frame=(20 108; 280 44) title=\"取消\"\n");
}

}  // namespace
