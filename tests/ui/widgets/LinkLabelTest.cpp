// The tappable link label under the finger: its colours, what a tap, a touch that leaves it and
// a long press report, and the bus notification when the delegate has no tap call.
#include <algorithm>

#include "Foundation/NSNotificationCenter.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIFont.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/MyLabel.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

using widgettest::sameColor;

class Recorder : public MyLabelDelegate {
 public:
  std::vector<std::string> calls;
  bool clicks = true, opens = false, longPresses = true;
  void beginLabel(MyLabel& l) override { calls.push_back("begin " + l.text()); }
  void clickLabel(MyLabel& l) override { calls.push_back("click " + l.text()); }
  void openURL(const std::string& t) override { calls.push_back("open " + t); }
  void endLabel(MyLabel& l) override { calls.push_back("end " + l.text()); }
  void longPress(MyLabel& l) override { calls.push_back("long " + l.text()); }
  void longPressAction(const std::string& t) override { calls.push_back("longAction " + t); }
  bool respondsToSelector(std::string_view s) const override {
    return (clicks && s == "clickLabel:") || (opens && s == "openURL:") ||
           (longPresses && s == "longPress:") || s == "longPressAction:";
  }
};

class LinkLabelTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    auto page = window->rootViewController()->view();
    page->addSubview(std::make_shared<UIView>(CGRectMake(0, 0, 320, 50)));
    label = MyLabel::initWithFrame(CGRectMake(20, 100, 200, 20), page, delegate, 20, 3,
                                   UIFont::systemFontOfSize(13), "http://zept.example/a");
    MainLoop::advance(0.1);
    CGPoint middle;
    ASSERT_TRUE(ScreenDriver::visiblePoint(label, middle));
    on = CGPointMake(middle.x - 80, middle.y);
  }
  CGPoint at(CGFloat dx, CGFloat dy) const { return CGPointMake(on.x + dx, on.y + dy); }
  CGPoint on;
  std::shared_ptr<Recorder> delegate = std::make_shared<Recorder>();
  std::shared_ptr<MyLabel> label;
};

TEST_F(LinkLabelTest, ATapGreysTheTextWhileDownAndReportsTheClick) {
  EXPECT_TRUE(sameColor(label->textColor(), 30, 129, 199));
  EXPECT_EQ(window->rootViewController()->view()->subviews().front(), label);
  EXPECT_EQ(label->upX(), 20);
  EXPECT_EQ(label->index(), 3);
  EXPECT_EQ(label->imgWH(), long(UIFont::systemFontOfSize(13)->lineHeight()));

  ASSERT_TRUE(ScreenDriver::drag(on, at(10, 0), 0.1));
  EXPECT_EQ(delegate->calls,
            (std::vector<std::string>{"begin http://zept.example/a", "click http://zept.example/a",
                                      "end http://zept.example/a"}));
  EXPECT_TRUE(sameColor(label->textColor(), 30, 129, 199));

  // Other themes take the theme colour.
  NSGlobe::getEngine()->setThemeNum(2);
  NSGlobe::getEngine()->setThemeColor(UIColor::colorWithRed(0.75, 0.86, 0.87, 1));
  label->setUnselectColor();
  EXPECT_EQ(label->textColor(), NSGlobe::getEngine()->getThemeColor());
  label->setSelectColor();
  EXPECT_EQ(label->textColor(), UIColor::grayColor());
}

TEST_F(LinkLabelTest, AFingerThatLeavesTheLabelOnlyEndsTheTouch) {
  ASSERT_TRUE(ScreenDriver::drag(on, at(0, 90), 0.2));
  EXPECT_EQ(delegate->calls,
            (std::vector<std::string>{"begin http://zept.example/a", "end http://zept.example/a"}));
  EXPECT_TRUE(sameColor(label->textColor(), 30, 129, 199));
}

TEST_F(LinkLabelTest, WithoutATapCallTheTextGoesToOpenURLOrTheBus) {
  std::vector<std::string> posted;
  auto observer = std::make_shared<int>(0);
  NSNotificationCenter::defaultCenter()->addObserver(
      observer,
      [&](const NSNotificationPtr& n) {
        auto msg = n->userInfo()["Noti_lParam"].object<NSMsgSend>();
        posted.push_back(msg ? std::string(msg->data.string()) : "(none)");
      },
      MyLabel::kWebLoadNotification);

  delegate->clicks = false;
  delegate->opens = true;
  ASSERT_TRUE(ScreenDriver::tap(on));
  ASSERT_EQ(delegate->calls.size(), 3u);
  EXPECT_EQ(delegate->calls[1], "open http://zept.example/a");
  EXPECT_TRUE(posted.empty());

  delegate->calls.clear();
  delegate->opens = false;
  ASSERT_TRUE(ScreenDriver::tap(on));
  EXPECT_EQ(delegate->calls,
            (std::vector<std::string>{"begin http://zept.example/a", "end http://zept.example/a"}));
  EXPECT_EQ(posted, std::vector<std::string>{"http://zept.example/a"});
}

TEST_F(LinkLabelTest, ALongPressReportsOnceAtItsStart) {
  ASSERT_TRUE(ScreenDriver::longPress(on, 2.0));
  long longs =
      std::count(delegate->calls.begin(), delegate->calls.end(), "long http://zept.example/a");
  EXPECT_EQ(longs, 1);
  EXPECT_TRUE(sameColor(label->textColor(), 30, 129, 199));

  delegate->calls.clear();
  delegate->longPresses = false;
  ASSERT_TRUE(ScreenDriver::longPress(on, 2.0));
  EXPECT_EQ(std::count(delegate->calls.begin(), delegate->calls.end(),
                       "longAction http://zept.example/a"),
            1);
}

TEST_F(LinkLabelTest, CharactersThatFitOnALine) {
  auto font = label->font();
  std::string text = "abcdefghij";
  EXPECT_EQ(label->getLenByStr(text, 1000), 10);
  long n = label->getLenByStr(text, sizeWithFont("abcd", font).width);
  EXPECT_EQ(n, 4);
}

}  // namespace
