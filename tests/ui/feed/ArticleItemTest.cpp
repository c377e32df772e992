// The article item: its labels with and without the buttons, the read-later button's two
// states, taps reaching the given delegate, and records of another class.
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIButton.h"
#include "core/UIBkImageView.h"
#include "model/OriginalArticle.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/FeedTestSupport.h"

namespace {

std::shared_ptr<OriginalArticle> article(std::string source) {
  auto a = std::make_shared<OriginalArticle>();
  a->title = "钢价走势";
  a->source = std::move(source);
  a->summary = "三季度钢价";
  return a;
}

class Reader : public UIArticleItemDelegate {
 public:
  std::vector<std::string> taps;
  void readLater(const Value& sender) override {
    auto b = sender.object<UIView>();
    taps.push_back("readLater " + std::to_string(b ? b->tag() : -1));
  }
  void readNow(const Value&) override { taps.push_back("readNow"); }
};

class ArticleItemTest : public feedtest::FeedTest {
 protected:
  void SetUp() override {
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    FeedTest::SetUp();
  }
  void TearDown() override {
    NSGlobe::getEngine()->setThemeNum(1);
    FeedTest::TearDown();
    TextMeasurer::setCurrent(nullptr);
  }
};

TEST_F(ArticleItemTest, WithButtonsTheTextsAreIndentedAndTheButtonsReachTheDelegate) {
  auto reader = std::make_shared<Reader>();
  auto view = UIHomeViewCell::initWithArticle(article("钢铁网"), true, reader);
  EXPECT_EQ(view->dump(),
            "UIHomeViewCell frame=(15 0; 290 120)\n"
            "  UILabel frame=(15 5; 230 20) text=\"钢价走势\"\n"
            "  UILabel frame=(0 30; 250 20) text=\"        来自：钢铁网\"\n"
            "  UIButton frame=(250 0; 40 60) tag=91\n"
            "  UIButton frame=(265 80; 40 40)\n"
            "  UILabel frame=(0 66; 280 50) text=\"        三季度钢价\"\n");
  window->addSubview(view);
  ASSERT_TRUE(ScreenDriver::tap(view->viewWithTag(UIHomeViewCell::kReadLaterTag)));
  ASSERT_TRUE(ScreenDriver::tap(view->subviews()[3]));
  EXPECT_EQ(reader->taps, (std::vector<std::string>{"readLater 91", "readNow"}));
  view->removeFromSuperview();
}

TEST_F(ArticleItemTest, AnArticleAlreadySavedShowsReadAddedAndItsButtonDoesNothing) {
  auto reader = std::make_shared<Reader>();
  auto view = UIHomeViewCell::initWithArticle(article("钢铁网"), true, reader, true);
  auto later = std::dynamic_pointer_cast<UIButton>(view->viewWithTag(91));
  ASSERT_TRUE(later);
  EXPECT_TRUE(later->allTargets().empty());
  window->addSubview(view);
  ScreenDriver::tap(later);
  EXPECT_TRUE(reader->taps.empty());
  view->removeFromSuperview();
}

TEST_F(ArticleItemTest, WithoutButtonsOrSourceTheSummaryStaysAt66) {
  auto view = UIHomeViewCell::initWithArticle(article(""), false, {});
  EXPECT_EQ(view->dump(),
            "UIHomeViewCell frame=(15 0; 290 120)\n"
            "  UILabel frame=(0 5; 290 20) text=\"钢价走势\"\n"
            "  UILabel frame=(0 66; 280 50) text=\"三季度钢价\"\n");
  auto plain = UIHomeViewCell::initWithArticle(article("钢铁网"), false, {});
  EXPECT_NE(plain->dump().find("text=\"来自：钢铁网\""), std::string::npos);
}

TEST_F(ArticleItemTest, ARecordOfAnotherClassGivesTheEmptyView) {
  auto view = UIHomeViewCell::initWithArticle(feedtest::status("x"), true, {});
  EXPECT_TRUE(view->subviews().empty());
  EXPECT_EQ(view->frame(), CGRectMake(15, 0, 290, 120));
}

TEST_F(ArticleItemTest, NightThemeLabelsTakeTheSettingsFontColour) {
  NSGlobe::getEngine()->setThemeNum(2);
  auto view = UIHomeViewCell::initWithArticle(article("钢铁网"), true, {});
  for (auto& v : view->subviews()) {
    if (auto label = std::dynamic_pointer_cast<UILabel>(v)) {
      EXPECT_TRUE(label->textColor()->isEqual(*UIBkImageView::getFontColor()));
    }
  }
}

}  // namespace
