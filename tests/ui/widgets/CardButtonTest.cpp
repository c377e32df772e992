// The post card button, on a shown window: its layout in either column, its tap and its move.
#include <gtest/gtest.h>

#include "Foundation/NSBundle.h"
#include "UIKit/UIImageView.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/UIWeiBoButton.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

class CardButtonTest : public widgettest::WindowTest {};

class Picker : public WEIBOButtonDelegat {
 public:
  std::vector<std::shared_ptr<UIWeiBoButton>> picked;
  void SelectBtn(const std::shared_ptr<UIWeiBoButton>& button) override {
    picked.push_back(button);
  }
};

TEST_F(CardButtonTest, ACardLaysOutItsLinesInItsColumnAndReportsATap) {
  const std::string picture = NSBundle::mainBundle()->pathForResource("aboutBar@2x", "png");
  auto card =
      UIWeiBoButton::initBtn(3, "钢铁之家", "今日钢材现货价格小幅上涨", picture, "10:30", false);
  window->addSubview(card);
  EXPECT_EQ(card->btnType(), 3);
  EXPECT_EQ(card->frame(), CGRectMake(175, 20, 125, 140));
  const auto& views = card->subviews();
  ASSERT_EQ(views.size(), 5u);
  EXPECT_EQ(views[2]->frame(), CGRectMake(5, 30, 115, 54));
  EXPECT_NE(std::dynamic_pointer_cast<UIImageView>(views[2])->image(), nullptr);
  EXPECT_EQ(card->dump(),
            "UIWeiBoButton frame=(175 20; 125 140)\n"
            "  UIImageView frame=(5 5; 5 5)\n"
            "  UILabel frame=(38 5; 76 5) text=\"钢铁之家\"\n"
            "  UIImageView frame=(5 30; 115 54) image=\"aboutBar@2x.png\"\n"
            "  UITextView frame=(5 87; 115 38) contentSize=(115 46) "
            "text=\"今日钢材现货价格小幅上涨\" readOnly\n"
            "  UILabel frame=(44 120; 76 20) text=\"10:30\"\n");

  auto picker = std::make_shared<Picker>();
  card->setBtnDelegate(picker);
  ASSERT_TRUE(ScreenDriver::tapText("今日钢材现货价格小幅上涨"));
  ASSERT_EQ(picker->picked.size(), 1u);
  EXPECT_EQ(picker->picked[0], card);
}

TEST_F(CardButtonTest, NilStringsGiveEmptyLinesAndNoPictureAndAMoveKeepsTheHeight) {
  auto card =
      UIWeiBoButton::initBtn(0, std::nullopt, std::nullopt, std::nullopt, std::nullopt, true);
  EXPECT_EQ(card->frame(), CGRectMake(20, 20, 125, 140));
  EXPECT_EQ(card->name(), "");
  EXPECT_EQ(card->addTime(), "");
  EXPECT_EQ(std::dynamic_pointer_cast<UIImageView>(card->subviews()[2])->image(), nullptr);
  // Without a delegate a tap does nothing.
  window->addSubview(card);
  ASSERT_TRUE(ScreenDriver::tap(card));

  card->resetViewHight(30);
  EXPECT_EQ(card->frame(), CGRectMake(20, 50, 125, 140));
}

}  // namespace
