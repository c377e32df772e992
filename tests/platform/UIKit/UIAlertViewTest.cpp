#include <gtest/gtest.h>

#include "UIKit/UIAlertView.h"
#include "UIKitTestSupport.h"

namespace {

using UIAlertViewTest = UIKitTest;

class AlertLog : public UIAlertViewDelegate {
 public:
  void alertViewClickedButtonAtIndex(const std::shared_ptr<UIAlertView>& a, long i) override {
    add("clicked", a, i);
  }
  void alertViewWillDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& a, long i) override {
    add("willDismiss", a, i);
  }
  void alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& a, long i) override {
    add("didDismiss", a, i);
    EXPECT_FALSE(a->isVisible());
  }
  Log log;

 private:
  void add(const char* what, const std::shared_ptr<UIAlertView>& a, long i) {
    log.push_back(std::string(what) + ":" + std::to_string(a->tag()) + ":" + std::to_string(i));
  }
};

TEST_F(UIAlertViewTest, ButtonsAreNumberedCancelFirst) {
  struct Case {
    std::string cancel;
    std::vector<std::string> others;
    long cancelIndex, firstOther, count;
  };
  const std::vector<Case> cases = {
      {"取消", {"确定"}, 0, 1, 2},
      {"确定", {}, 0, -1, 1},  // "OK" in the cancel position
      {"", {"一", "二"}, -1, 0, 2},
      {"", {}, -1, -1, 0},
  };
  for (const auto& c : cases) {
    UIAlertView alert("提示", "", {}, c.cancel, c.others);
    EXPECT_EQ(alert.cancelButtonIndex(), c.cancelIndex) << c.cancel;
    EXPECT_EQ(alert.firstOtherButtonIndex(), c.firstOther) << c.cancel;
    EXPECT_EQ(alert.numberOfButtons(), c.count) << c.cancel;
  }
  UIAlertView alert("删除文字", "确定要删除输入框的文字吗？", {}, "取消", {"确定"});
  EXPECT_EQ(alert.buttonTitleAtIndex(0), "取消");
  EXPECT_EQ(alert.buttonTitleAtIndex(1), "确定");
  EXPECT_EQ(alert.buttonTitleAtIndex(2), "");
  EXPECT_EQ(alert.addButtonWithTitle("更多"), 2);
  EXPECT_EQ(alert.buttonTitleAtIndex(2), "更多");
}

TEST_F(UIAlertViewTest, ATapReportsTheClickAndTheDismissal) {
  auto delegate = std::make_shared<AlertLog>();
  auto alert = std::make_shared<UIAlertView>("提示", "确定删除该微博吗？", delegate, "取消",
                                             std::vector<std::string>{"确定"});
  alert->setTag(22);
  std::weak_ptr<UIAlertView> weak = alert;
  alert->show();
  alert->show();  // once only
  alert.reset();  // the visible list keeps it
  auto visible = UIApplicationDriver::visibleAlerts();
  ASSERT_EQ(visible.size(), 1u);
  EXPECT_EQ(visible[0]->message(), "确定删除该微博吗？");

  EXPECT_FALSE(UIApplicationDriver::tapAlertButton(visible[0], 2));  // no such button
  EXPECT_TRUE(delegate->log.empty());
  EXPECT_TRUE(UIApplicationDriver::tapAlertButton(visible[0], 1));
  EXPECT_EQ(delegate->log, (Log{"clicked:22:1", "willDismiss:22:1", "didDismiss:22:1"}));
  EXPECT_TRUE(UIApplicationDriver::visibleAlerts().empty());
  visible.clear();
  EXPECT_TRUE(weak.expired());
}

TEST_F(UIAlertViewTest, DismissingInCodeIsNoClick) {
  auto delegate = std::make_shared<AlertLog>();
  auto alert = std::make_shared<UIAlertView>("t", "m", delegate, "取消");
  alert->dismissWithClickedButtonIndex(0, false);  // not shown: nothing
  EXPECT_TRUE(delegate->log.empty());
  alert->show();
  alert->dismissWithClickedButtonIndex(0, true);
  EXPECT_EQ(delegate->log, (Log{"willDismiss:0:0", "didDismiss:0:0"}));
  EXPECT_FALSE(alert->tapButtonAtIndex(0));  // gone
}

TEST_F(UIAlertViewTest, AGoneDelegateIsNotCalled) {
  auto delegate = std::make_shared<AlertLog>();
  auto alert = std::make_shared<UIAlertView>("t", "m", delegate, "取消");
  alert->show();
  delegate.reset();
  EXPECT_TRUE(alert->tapButtonAtIndex(0));
  EXPECT_FALSE(alert->isVisible());
}

TEST_F(UIAlertViewTest, ResettingTheApplicationForgetsVisibleAlerts) {
  auto alert = std::make_shared<UIAlertView>("t", "m");
  alert->show();
  UIApplicationDriver::reset();
  EXPECT_FALSE(alert->isVisible());
}

}  // namespace
