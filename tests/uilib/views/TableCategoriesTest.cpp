// The library's table operations on a real table of 2 sections: scrolling to the first and
// last rows and to the first responder, and a simulated tap on a row.
#include <gtest/gtest.h>

#include "UIKit/UITextField.h"
#include "ViewsTestSupport.h"
#include "uilib/views/UIWindow+ULCategory.h"

namespace {

// Two sections of 30 and 20 rows, 44 high; row (1, 3) holds a text field.  The delegate's
// selections are written down.
struct Rows : UITableViewDataSource, UITableViewDelegate {
  std::vector<std::string> heard;
  std::shared_ptr<UITextField> field;
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override { return 2; }
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long s) override {
    return s == 0 ? 30 : 20;
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& path) override {
    auto cell = std::make_shared<UITableViewCell>();
    if (path == NSIndexPath::indexPathForRow(3, 1)) {
      if (!field) field = std::make_shared<UITextField>(CGRectMake(10, 5, 200, 30));
      cell->contentView()->addSubview(field);
    }
    return cell;
  }
  std::optional<NSIndexPath> tableViewWillSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                               const NSIndexPath& path) override {
    heard.push_back("will " + path.description());
    return path;
  }
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                        const NSIndexPath& path) override {
    heard.push_back("did " + path.description());
  }
};

class TableCategoriesTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    window = showWindow();
    table = std::make_shared<UITableView>(CGRectMake(0, 0, 320, 440));
    rows = std::make_shared<Rows>();
    table->setDataSource(rows);
    table->setDelegate(rows);
    window->addSubview(table);
    table->layoutIfNeeded();
  }
  CGFloat offset() const { return table->contentOffset().y; }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UITableView> table;
  std::shared_ptr<Rows> rows;
};

TEST_F(TableCategoriesTest, ScrollsToTheEndsOfTheSectionsWithoutAnimating) {
  scrollToLastRow(*table, true);
  EXPECT_TRUE(UIView::runningAnimations().empty());
  CGRect last = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(19, 1));
  EXPECT_EQ(offset(), last.origin.y + last.size.height - 440);

  scrollToFirstRow(*table, true);
  EXPECT_EQ(offset(), 0);

  scrollToBottom(*table, false);  // the last row of section 0
  CGRect end0 = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(29, 0));
  EXPECT_EQ(offset(), end0.origin.y + end0.size.height - 440);
  scrollToTop(*table, false);
  EXPECT_EQ(offset(), 0);
}

TEST_F(TableCategoriesTest, ATouchedRowIsSelectedWithTheDelegatesCalls) {
  touchRowAtIndexPath(table, NSIndexPath::indexPathForRow(40, 0), false);
  touchRowAtIndexPath(table, NSIndexPath::indexPathForRow(2, 1), false);
  EXPECT_EQ(table->indexPathForSelectedRow(), NSIndexPath::indexPathForRow(2, 1));
  EXPECT_EQ(rows->heard,
            (std::vector<std::string>{"will {0, 40}", "did {0, 40}", "will {1, 2}", "did {1, 2}"}));
}

TEST_F(TableCategoriesTest, TheRowOfTheFirstResponderComesToTheMiddle) {
  CGRect row = table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(3, 1));
  table->setContentOffset(CGPointMake(0, row.origin.y - 10));
  table->layoutIfNeeded();
  ASSERT_TRUE(rows->field);
  ASSERT_TRUE(rows->field->becomeFirstResponder());
  scrollFirstResponderIntoView(table);
  MainLoop::advance(1);
  EXPECT_EQ(offset(), row.origin.y + row.size.height / 2 - 220);
}

}  // namespace
