// The pop-up list and text box on the application window: their geometry, the selected row,
// what a tap on a row and a tap elsewhere report, and that the layer leaves the window.
#include "Foundation/NSClass.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITableView.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/UIPopView.h"
#include "ui/widgets/WidgetTestSupport.h"

// A named item, as the channel records of the pop-up lists answer "name".
class PopItem : public NSObject {
  NS_CLASS(PopItem, NSObject)
 public:
  std::string name;
};

NS_CLASS_IMPLEMENTATION(PopItem) {
  c.property("name", &PopItem::name);
}

namespace {

class Chooser : public UIPopViewDelegate {
 public:
  long selected = 1;
  std::vector<long> reports;
  long getCurPopSelected() override { return selected; }
  void popViewSelected(long row) override { reports.push_back(row); }
};

std::vector<std::shared_ptr<NSObject>> items(int n) {
  std::vector<std::shared_ptr<NSObject>> out;
  for (int i = 0; i < n; ++i) {
    auto item = std::make_shared<PopItem>();
    item->name = "频道" + std::to_string(i);
    out.push_back(item);
  }
  return out;
}

class PopViewTest : public widgettest::WindowTest {
 protected:
  std::shared_ptr<UIPopView> open(int n) {
    auto pop = UIPopView::initPopArray(items(n));
    pop->setPopDelegate(chooser);
    window->addSubview(pop);
    MainLoop::advance(0.1);
    return pop;
  }
  std::shared_ptr<Chooser> chooser = std::make_shared<Chooser>();
};

TEST_F(PopViewTest, TheListSitsUnderItsArrowAndGrowsWithItsItemsUpToEight) {
  struct Case {
    int items;
    CGFloat height;
  } cases[] = {{1, 80}, {2, 80}, {5, 200}, {8, 320}, {12, 320}};
  for (const Case& c : cases) {
    auto pop = open(c.items);
    EXPECT_EQ(pop->frame(), CGRectMake(0, 20, 320, 460));
    auto arrow = std::dynamic_pointer_cast<UIImageView>(pop->subviews()[0]);
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->frame(), CGRectMake(154, 38, 13, 6));
    EXPECT_EQ(arrow->imageName(), "popFrameUp");
    auto panel = pop->subviews()[1];
    EXPECT_EQ(panel->frame(), CGRectMake(60, 44, 200, c.height)) << c.items << " items";
    EXPECT_EQ(pop->popTableView()->frame(), CGRectMake(0, 0, 200, c.height));
    pop->removeFromSuperview();
  }
}

TEST_F(PopViewTest, RowsShowTheNamesWithTheSelectedOneOnBlack) {
  auto pop = open(5);
  EXPECT_EQ(pop->dump(),
            "UIPopView frame=(0 20; 320 460)\n"
            "  UIImageView frame=(154 38; 13 6) image=\"popFrameUp\"\n"
            "  UIView frame=(60 44; 200 200)\n"
            "    UITableView frame=(0 0; 200 200) contentSize=(200 200)\n"
            "      UITableViewCell frame=(0 0; 200 40) reuse=\"Cell\"\n"
            "        UITableViewCellContentView frame=(0 0; 200 40)\n"
            "          UILabel frame=(10 5; 180 30) text=\"频道0\"\n"
            "      UITableViewCell frame=(0 40; 200 40) reuse=\"Cell\"\n"
            "        UITableViewCellContentView frame=(0 0; 200 40)\n"
            "          UILabel frame=(10 5; 180 30) text=\"频道1\"\n"
            "      UITableViewCell frame=(0 80; 200 40) reuse=\"Cell\"\n"
            "        UITableViewCellContentView frame=(0 0; 200 40)\n"
            "          UILabel frame=(10 5; 180 30) text=\"频道2\"\n"
            "      UITableViewCell frame=(0 120; 200 40) reuse=\"Cell\"\n"
            "        UITableViewCellContentView frame=(0 0; 200 40)\n"
            "          UILabel frame=(10 5; 180 30) text=\"频道3\"\n"
            "      UITableViewCell frame=(0 160; 200 40) reuse=\"Cell\"\n"
            "        UITableViewCellContentView frame=(0 0; 200 40)\n"
            "          UILabel frame=(10 5; 180 30) text=\"频道4\"\n");
  for (long row = 0; row < 5; ++row) {
    auto cell = pop->popTableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
    ASSERT_NE(cell, nullptr);
    auto label = std::dynamic_pointer_cast<UILabel>(cell->contentView()->subviews().back());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->frame(), CGRectMake(10, 5, 180, 30));
    EXPECT_EQ(label->text(), "频道" + std::to_string(row));
    EXPECT_EQ(label->backgroundColor(), row == 1 ? UIColor::blackColor() : UIColor::clearColor());
  }
}

TEST_F(PopViewTest, ATapOutsideThePanelReportsNothingChosenOnceAndCloses) {
  auto pop = open(3);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(20, 400)));
  MainLoop::advance(0.5);
  EXPECT_EQ(chooser->reports, std::vector<long>{-1});
  EXPECT_EQ(pop->superview(), nullptr);
}

TEST_F(PopViewTest, ATapOnARowReportsItAndCloses) {
  auto pop = open(3);
  // Row 2 is 80 points down the panel, which starts 44 points below the layer at y 20.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 20 + 44 + 80 + 20)));
  MainLoop::advance(0.5);
  EXPECT_EQ(chooser->reports, std::vector<long>{2});
  EXPECT_EQ(pop->superview(), nullptr);
}

TEST_F(PopViewTest, TheTextBoxGrowsWithItsTextAndClosesWithoutAReport) {
  auto shortBox = UIPopView::initPopWithText("一行");
  auto box = shortBox->subviews()[0];
  EXPECT_EQ(shortBox->frame(), CGRectMake(0, 0, 320, 480));
  EXPECT_EQ(box->frame(), CGRectMake(10, 60, 300, 106));
  EXPECT_EQ(box->subviews()[0]->frame(), CGRectMake(10, 10, 280, 86));

  std::string text(400, 'x');
  for (size_t i = 8; i < text.size(); i += 9) text[i] = ' ';
  auto tall = UIPopView::initPopWithText(text);
  auto label = std::dynamic_pointer_cast<UILabel>(tall->subviews()[0]->subviews()[0]);
  CGFloat h =
      sizeWithFont(text, label->font(), CGSizeMake(280, 1000), label->lineBreakMode()).height + 10;
  ASSERT_GT(h, 96);
  EXPECT_EQ(label->frame().size.height, h);
  EXPECT_EQ(tall->subviews()[0]->frame().size.height, h + 20);

  tall->setPopDelegate(chooser);
  window->addSubview(tall);
  MainLoop::advance(0.1);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 400)));
  MainLoop::advance(0.5);
  EXPECT_TRUE(chooser->reports.empty());
  EXPECT_EQ(tall->superview(), nullptr);
}

}  // namespace
