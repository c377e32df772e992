// Interactions end to end, as a user drives a screen: windows, controllers and the views
// inside them, touched through the screen driver only.
#include <gtest/gtest.h>

#include "UIKit/UIButton.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UITableView.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using ScreenInteractionTest = UIKitTest;

// A screen holding a long scroll view with a button halfway down its first page.
class FormScreen : public UIViewController {
 public:
  void loadView() override {
    UIViewController::loadView();
    scroll = std::make_shared<UIScrollView>(view()->bounds());
    scroll->setContentSize({320, 1500});
    view()->addSubview(scroll);
    button = std::make_shared<UIButton>(CGRectMake(60, 200, 200, 44));
    button->setTitle("提交", UIControlStateNormal);
    button->addTarget(freeSelector("submit:", [this](const Value&) { ++submits; }),
                      UIControlEventTouchUpInside);
    scroll->addSubview(button);
  }
  std::shared_ptr<UIScrollView> scroll;
  std::shared_ptr<UIButton> button;
  int submits = 0;
};

struct App {
  std::shared_ptr<UIWindow> window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
  std::shared_ptr<UINavigationController> navigation;
  explicit App(std::shared_ptr<UIViewController> root)
      : navigation(std::make_shared<UINavigationController>(std::move(root))) {
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
  }
};

TEST_F(ScreenInteractionTest, AButtonInAScrollViewOfAPushedScreenFiresOnce) {
  App app(std::make_shared<UIViewController>());
  auto form = std::make_shared<FormScreen>();
  app.navigation->pushViewController(form, true);
  ScreenDriver::wait(UIViewController::kTransitionDuration);
  ASSERT_TRUE(ScreenDriver::tapText("提交"));
  EXPECT_EQ(form->submits, 1);
  // Scrolled up, the button takes its taps where it now is.
  ScreenDriver::wait(1);
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 300), 1.0);
  ScreenDriver::wait(3);
  CGFloat offset = form->scroll->contentOffset().y;
  EXPECT_GT(offset, 80);
  EXPECT_EQ(form->submits, 1);  // the drag did not press it
  CGPoint p;
  ASSERT_TRUE(ScreenDriver::visiblePoint(form->button, p));
  EXPECT_NEAR(p.y, 20 + 44 + 222 - offset, 1e-9);  // status bar, navigation bar, the middle
  ASSERT_TRUE(ScreenDriver::tap(form->button));
  EXPECT_EQ(form->submits, 2);
}

// A list screen whose rows open a detail screen.
class ListScreen : public UIViewController,
                   public UITableViewDataSource,
                   public UITableViewDelegate {
 public:
  void loadView() override {
    UIViewController::loadView();
    table = std::make_shared<UITableView>(view()->bounds());
    table->setDataSource(std::dynamic_pointer_cast<UITableViewDataSource>(selfPtr()));
    table->setDelegate(std::dynamic_pointer_cast<UITableViewDelegate>(selfPtr()));
    view()->addSubview(table);
  }
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override {
    return 30;
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& t, const NSIndexPath& ip) override {
    auto cell = t->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "Cell");
    cell->textLabel()->setText("频道 " + std::to_string(ip.row));
    cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
    return cell;
  }
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>& t,
                                        const NSIndexPath& ip) override {
    t->deselectRowAtIndexPath(ip, true);
    auto detail = std::make_shared<UIViewController>();
    detail->setTitle("频道 " + std::to_string(ip.row));
    navigationController()->pushViewController(detail, true);
  }
  std::shared_ptr<UITableView> table;
};

TEST_F(ScreenInteractionTest, TappingARowAfterScrollingOpensItsScreen) {
  auto list = std::make_shared<ListScreen>();
  App app(list);
  ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 150), 0.25);
  ScreenDriver::wait(4);
  ASSERT_FALSE(list->table->isDecelerating());
  auto rows = list->table->indexPathsForVisibleRows();
  ASSERT_GT(rows.front().row, 5);
  std::string text = "频道 " + std::to_string(rows[2].row);
  ASSERT_TRUE(ScreenDriver::tapText(text));
  ScreenDriver::wait(UIViewController::kTransitionDuration);
  ASSERT_EQ(app.navigation->viewControllers().size(), 2u);
  EXPECT_EQ(app.navigation->topViewController()->title(), text);
  EXPECT_FALSE(list->table->indexPathForSelectedRow());
}

}  // namespace
