// The app's text view: its placeholder, and the vertical drag it reports to its text delegate.
#include "Foundation/NSNotificationCenter.h"
#include "UIKit/UIKeyboard.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/UIZMTextView.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

class DragWatcher : public UIZMTextViewDelegate {
 public:
  int moves = 0;
  bool answers = true;
  void touchMoved() override { ++moves; }
  bool respondsToSelector(std::string_view s) const override {
    return answers && s == "touchMoved";
  }
};

class TextViewTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    view = UIZMTextView::initWithFrame(CGRectMake(10, 100, 300, 200));
    view->setTextDelegate(watcher);
    // The finger's first point counts: no holding back of the touch while a scroll might start.
    view->setDelaysContentTouches(false);
    window->addSubview(view);
    MainLoop::advance(0.1);
  }
  std::shared_ptr<UIZMTextView> view;
  std::shared_ptr<DragWatcher> watcher = std::make_shared<DragWatcher>();
};

TEST_F(TextViewTest, ThePlaceholderShowsWhileTheTextIsEmpty) {
  EXPECT_EQ(view->placeholderLabel()->frame(), CGRectMake(8, 8, 284, 184));
  EXPECT_EQ(view->placeholderLabel()->alpha(), 0);
  view->setPlaceholderText("说点什么吧");
  view->setNeedsDisplay();
  window->compositeFrame();
  EXPECT_EQ(view->placeholderLabel()->text(), "说点什么吧");
  EXPECT_DOUBLE_EQ(view->placeholderLabel()->alpha(), 0.8);
  view->setText("a");
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextViewTextDidChangeNotification, Value(std::static_pointer_cast<NSObject>(view)));
  EXPECT_EQ(view->placeholderLabel()->alpha(), 0);
}

TEST_F(TextViewTest, AVerticalDragOfMoreThanThirtyPointsIsReported) {
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(100, 150), CGPointMake(100, 180), 0.3));
  EXPECT_EQ(watcher->moves, 0);
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(100, 150), CGPointMake(100, 181), 0.3));
  EXPECT_EQ(watcher->moves, 1);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(100, 150)));
  EXPECT_EQ(watcher->moves, 1);
  // A text delegate without touchMoved is not sent it.
  watcher->answers = false;
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(100, 150), CGPointMake(100, 250), 0.3));
  EXPECT_EQ(watcher->moves, 1);
  EXPECT_TRUE(view->keyboardShowed());
  NSNotificationCenter::defaultCenter()->postNotificationName(UIKeyboardWillHideNotification);
  EXPECT_FALSE(view->keyboardShowed());
}

}  // namespace
