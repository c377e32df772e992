// The image segmented control on a shown window: its image, titled and gradient builds, what a
// tap selects and reports, the count badge, and the drop-down segment's channel list.
#include "core/NSConfig.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UIColorButton.h"
#include "ui/widgets/UIZMSegCtrl.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

using Names = std::vector<std::string>;

// The change target; it also takes the channel chosen in the drop-down list.
class Receiver : public NSObject, public UIZMSegCtrlReceiver {
 public:
  struct Report {
    long index;
    bool again;
  };
  std::vector<Report> reports;
  std::vector<std::string> channels;
  void changed(const Value& control) {
    auto ctrl = control.object<UIZMSegCtrl>();
    reports.push_back({ctrl->selectedSegmentIndex(), ctrl->isAlreadyInCurrentSelect()});
  }
  void popCellSelect(const ChannelItemPtr& channel) override { channels.push_back(channel->name); }
};

class SegCtrlTest : public widgettest::WindowTest {
 protected:
  // At the origin, keeping its size unless given one.
  std::shared_ptr<UIZMSegCtrl> show(std::shared_ptr<UIZMSegCtrl> ctrl, CGPoint origin,
                                    std::optional<CGSize> size = std::nullopt) {
    CGRect f = ctrl->frame();
    f.origin = origin;
    if (size) f.size = *size;
    ctrl->setFrame(f);
    ctrl->setDelegate(receiver, selector(receiver, &Receiver::changed, "changed:"));
    window->addSubview(ctrl);
    MainLoop::advance(0.1);
    return ctrl;
  }
  static std::string background(const std::shared_ptr<UIButton>& button) {
    auto image = button->backgroundImageForState(UIControlStateNormal);
    return image ? image->name() : "";
  }
  static Names segments(const UIZMSegCtrl& ctrl) {
    Names out;
    for (const auto& button : {ctrl.leftBtn(), ctrl.centerBtn(), ctrl.rightBtn()})
      if (button) out.push_back(background(button));
    return out;
  }
  static Names backgrounds(UIZMSegCtrl& ctrl, long first, long count) {
    Names out;
    for (long i = 0; i < count; ++i)
      out.push_back(background(std::dynamic_pointer_cast<UIButton>(ctrl.viewWithTag(first + i))));
    return out;
  }
  std::shared_ptr<Receiver> receiver = std::make_shared<Receiver>();
};

TEST_F(SegCtrlTest, ImageSegmentsFillTheFrameWithTheFirstSelected) {
  auto three = show(UIZMSegCtrl::initWithFrame(CGRectMake(0, 0, 300, 30)), CGPointMake(10, 100));
  EXPECT_EQ(three->dump(),
            "UIZMSegCtrl frame=(10 100; 300 30)\n"
            "  UIButton frame=(0 0; 100 30) background=\"segLeftSelect\"\n"
            "  UIButton frame=(100 0; 100 30) tag=1 background=\"segCenterUn\"\n"
            "  UIButton frame=(200 0; 100 30) tag=2 background=\"segRightUn\"\n");
  EXPECT_EQ(three->numberOfSegments(), 3);
  EXPECT_EQ(three->selectedSegmentIndex(), 0);

  auto two = show(UIZMSegCtrl::initWithTwoFrame(CGRectMake(0, 0, 200, 30)), CGPointMake(10, 200));
  EXPECT_EQ(two->dump(),
            "UIZMSegCtrl frame=(10 200; 200 30)\n"
            "  UIButton frame=(0 0; 100 30) background=\"seg2LeftSelect\"\n"
            "  UIButton frame=(100 0; 100 30) tag=1 background=\"seg2RightUn\"\n");
  EXPECT_EQ(two->rightBtn(), nullptr);
  // There is no third segment to name.
  two->setTitle("第三", 2);
  two->setTitle("右", 1);
  EXPECT_EQ(two->centerBtn()->currentTitle(), std::optional<std::string>("右"));
  EXPECT_EQ(ScreenDriver::findText("第三"), nullptr);

  // Before system 4.0 the names carry their file type.
  NSConfig::engine()->setSystemVersion(3.1f);
  EXPECT_EQ(two->getImageName(0), "seg2LeftUn.png");
  EXPECT_EQ(two->getImageName(4), "");
  NSConfig::engine()->setSystemVersion(6.1f);
  EXPECT_EQ(two->getImageName(0), "seg2LeftUn");
}

TEST_F(SegCtrlTest, ATapSelectsAnImageSegmentAndReportsEvenTheSelectedOne) {
  auto ctrl = show(UIZMSegCtrl::initWithFrame(CGRectMake(0, 0, 300, 30)), CGPointMake(10, 100));
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 115)));
  EXPECT_EQ(ctrl->selectedSegmentIndex(), 1);
  EXPECT_EQ(segments(*ctrl), (Names{"segLeftUn", "segCenterSelect", "segRightUn"}));
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 115)));
  ASSERT_EQ(receiver->reports.size(), 2u);
  EXPECT_EQ(receiver->reports[0].index, 1);
  EXPECT_FALSE(receiver->reports[0].again);
  // The second tap is reported as one on the selected segment; the flag clears after.
  EXPECT_EQ(receiver->reports[1].index, 1);
  EXPECT_TRUE(receiver->reports[1].again);
  EXPECT_FALSE(ctrl->isAlreadyInCurrentSelect());

  // Titles go to the segments, and a new frame shares its width among them.
  ctrl->setTitles({"一", "二", "三"});
  ctrl->setFrame(CGRectMake(10, 100, 303, 30));
  EXPECT_EQ(ctrl->leftBtn()->frame(), CGRectMake(0, 0, 100, 30));
  EXPECT_EQ(ctrl->centerBtn()->frame(), CGRectMake(101, 0, 100, 30));
  EXPECT_EQ(ctrl->rightBtn()->frame(), CGRectMake(202, 0, 100, 30));
  EXPECT_EQ(ctrl->rightBtn()->currentTitle(), std::optional<std::string>("三"));
}

TEST_F(SegCtrlTest, TitledSegmentsAreSeventyFiveWideWithTheImagesOfTheirPlace) {
  struct Case {
    size_t titles;
    Names images;
  } cases[] = {
      {2, {"segLeftSelect", "segRightUn"}},
      {3, {"segLeftSelect", "segCenterUn", "segRightUn"}},
      {4, {"segLeftSelect", "segCenterUn", "segCenterUn", "segRightUn"}},
      {5, {"", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    Names titles;
    for (size_t i = 0; i < c.titles; ++i) titles.push_back("栏" + std::to_string(i));
    auto ctrl = UIZMSegCtrl::initWithTitles(titles);
    EXPECT_EQ(ctrl->frame(), CGRectMake(0, 0, 75 * CGFloat(c.titles), 44));
    EXPECT_EQ(ctrl->numberOfSegments(), long(c.titles));
    EXPECT_EQ(ctrl->leftBtn(), nullptr);
    EXPECT_EQ(backgrounds(*ctrl, UIZMSegCtrl::kTitledTag, long(c.titles)), c.images)
        << c.titles << " titles";
    for (long i = 0; i < long(c.titles); ++i) {
      auto button = ctrl->viewWithTag(UIZMSegCtrl::kTitledTag + i);
      EXPECT_EQ(button->frame(), CGRectMake(75 * CGFloat(i), 6, 75, 32));
      // Each new button went to the back.
      EXPECT_EQ(ctrl->subviews()[size_t(long(c.titles) - 1 - i)], button);
    }
  }
}

TEST_F(SegCtrlTest, ATitledSegmentTappedTwiceIsReportedTwiceTheSecondTimeAsAlreadySelected) {
  auto ctrl = show(UIZMSegCtrl::initWithTitles({"资讯", "微博", "专题"}), CGPointMake(0, 100));
  EXPECT_EQ(ctrl->dump(),
            "UIZMSegCtrl frame=(0 100; 225 44)\n"
            "  UIButton frame=(150 6; 75 32) tag=1302 title=\"专题\" background=\"segRightUn\"\n"
            "  UIButton frame=(75 6; 75 32) tag=1301 title=\"微博\" background=\"segCenterUn\"\n"
            "  UIButton frame=(0 6; 75 32) tag=1300 title=\"资讯\" background=\"segLeftSelect\"\n");
  ASSERT_TRUE(ScreenDriver::tapText("专题"));
  ASSERT_TRUE(ScreenDriver::tapText("专题"));
  ASSERT_EQ(receiver->reports.size(), 2u);
  EXPECT_EQ(receiver->reports[0].index, 2);
  EXPECT_FALSE(receiver->reports[0].again);
  EXPECT_TRUE(receiver->reports[1].again);
  EXPECT_TRUE(ctrl->isAlreadyInCurrentSelect());
  EXPECT_EQ(backgrounds(*ctrl, UIZMSegCtrl::kTitledTag, 3),
            (Names{"segLeftUn", "segCenterUn", "segRightSelect"}));

  // Selecting by call reports too; setting the index does not.
  ctrl->setCurrentSelect(1);
  ctrl->setSelectedSegmentIndex(0);
  EXPECT_EQ(receiver->reports.size(), 3u);
  EXPECT_EQ(ctrl->selectedSegmentIndex(), 0);
}

TEST_F(SegCtrlTest, FavouriteTabsShareTheWidthAndColourTheSelectedTitle) {
  auto ctrl = show(UIZMSegCtrl::initWithFavTitles({"全部", "资讯", "微博"}), CGPointMake(0, 64));
  EXPECT_EQ(ctrl->frame(), CGRectMake(0, 64, 320, 29));
  auto tab = [&](long i) {
    return std::dynamic_pointer_cast<UIButton>(ctrl->viewWithTag(UIZMSegCtrl::kTitledTag + i));
  };
  for (long i = 0; i < 3; ++i) EXPECT_EQ(tab(i)->frame(), CGRectMake(106 * CGFloat(i), 0, 106, 29));
  EXPECT_EQ(backgrounds(*ctrl, UIZMSegCtrl::kTitledTag, 3),
            (Names{"segFavSelect", "segFavUn", "segFavUn"}));
  EXPECT_TRUE(widgettest::sameColor(tab(0)->currentTitleColor(), 235, 102, 147));
  EXPECT_TRUE(widgettest::sameColor(tab(1)->currentTitleColor(), 0, 0, 0));

  ASSERT_TRUE(ScreenDriver::tapText("微博"));
  EXPECT_TRUE(widgettest::sameColor(tab(0)->currentTitleColor(), 0, 0, 0));
  EXPECT_TRUE(widgettest::sameColor(tab(2)->currentTitleColor(), 235, 102, 147));
  EXPECT_EQ(backgrounds(*ctrl, UIZMSegCtrl::kTitledTag, 3),
            (Names{"segFavUn", "segFavUn", "segFavSelect"}));
  // One title gets no tab pictures.
  EXPECT_EQ(backgrounds(*UIZMSegCtrl::initWithFavTitles({"全部"}), UIZMSegCtrl::kTitledTag, 1),
            Names{""});
}

TEST_F(SegCtrlTest, ABadgeSetTwiceIsOneBadgeWithTheSecondTextAndNothingRemovesIt) {
  auto ctrl = show(UIZMSegCtrl::initWithTitles({"资讯", "微博"}), CGPointMake(0, 100));
  auto second = ctrl->viewWithTag(UIZMSegCtrl::kTitledTag + 1);
  ctrl->setSegMsg("3", 1);
  ctrl->setSegMsg("12", 1);
  // No such segment: nothing happens.
  ctrl->setSegMsg("1", 5);
  EXPECT_EQ(second->dump(),
            "UIButton frame=(75 6; 75 32) tag=1301 title=\"微博\" background=\"segRightUn\"\n"
            "  UIImageView frame=(67 -4; 16 16) tag=2000 image=\"segMsg\"\n"
            "    UILabel frame=(0 0; 16 16) tag=3000 text=\"12\"\n");
  auto label = std::dynamic_pointer_cast<UILabel>(ScreenDriver::findText("12"));
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(widgettest::sameColor(label->textColor(), 235, 102, 147));
  EXPECT_TRUE(label->adjustsFontSizeToFitWidth());
  EXPECT_EQ(label->textAlignment(), UITextAlignmentCenter);

  ctrl->setSegMsg(std::nullopt, 1);
  EXPECT_EQ(second->viewWithTag(UIZMSegCtrl::kBadgeTag), nullptr);
}

ChannelItemArray channels() {
  ChannelItemArray out;
  const std::pair<const char*, int> rows[] = {
      {"全部", 0}, {"钢材", 0}, {"铁矿", 0}, {"订阅设置", UIZMSegCtrl::kNoSwitchTemplate}};
  for (auto [name, templateId] : rows) {
    auto item = std::make_shared<ChannelItem>();
    item->name = name;
    item->templateId = templateId;
    out.push_back(item);
  }
  return out;
}

TEST_F(SegCtrlTest, TheDropDownSegmentRenamesItselfAfterTheChosenChannelOnce) {
  auto ctrl = show(UIZMSegCtrl::initWithZiViTitles({"全部", "关注"}), CGPointMake(0, 0));
  auto left = std::dynamic_pointer_cast<UIButton>(ctrl->viewWithTag(UIZMSegCtrl::kTitledTag));
  EXPECT_EQ(background(left), "segLeftCloseSelect");

  ctrl->addPopView({});
  EXPECT_EQ(ScreenDriver::findText("钢材"), nullptr);

  auto open = [&] {
    ctrl->addPopView(channels());
    MainLoop::advance(0.1);
    EXPECT_EQ(background(left), "segLeftOpenSelect");
    EXPECT_EQ(left->backgroundImageForState(UIControlStateHighlighted)->name(),
              "segLeftCloseSelect");
  };
  open();
  // Row 0 is the row already chosen at first.
  ASSERT_TRUE(ScreenDriver::tapText("全部", 1));
  MainLoop::advance(0.5);
  EXPECT_TRUE(receiver->channels.empty());
  EXPECT_EQ(background(left), "segLeftCloseSelect");

  for (int time = 0; time < 2; ++time) {
    open();
    ASSERT_TRUE(ScreenDriver::tapText("铁矿"));
    MainLoop::advance(0.5);
  }
  EXPECT_EQ(receiver->channels, Names{"铁矿"});
  EXPECT_EQ(left->currentTitle(), std::optional<std::string>("铁矿"));
  EXPECT_EQ(ctrl->getCurPopSelected(), 2);

  // The settings entry is remembered but switches nothing.
  open();
  ASSERT_TRUE(ScreenDriver::tapText("订阅设置"));
  MainLoop::advance(0.5);
  EXPECT_EQ(receiver->channels, Names{"铁矿"});
  EXPECT_EQ(left->currentTitle(), std::optional<std::string>("铁矿"));
  EXPECT_EQ(ctrl->getCurPopSelected(), 3);
  EXPECT_EQ(background(left), "segLeftCloseSelect");
  EXPECT_TRUE(receiver->reports.empty());
}

TEST_F(SegCtrlTest, GradientSegmentsShareTheScreenAndTakeTheSelectedColours) {
  auto ctrl = UIZMSegCtrl::initWithItems({"日", "周", "月"});
  ASSERT_NE(ctrl->rightBtn(), nullptr);
  EXPECT_EQ(ctrl->frame(), CGRectZero);
  const CGFloat xs[] = {0, 106, 212};
  long i = 0;
  for (const auto& button : {ctrl->leftBtn(), ctrl->centerBtn(), ctrl->rightBtn()}) {
    EXPECT_NE(std::dynamic_pointer_cast<UIColorButton>(button), nullptr);
    EXPECT_EQ(button->frame(), CGRectMake(xs[i], 0, 105, 40));
    EXPECT_EQ(button->tag(), i);
    EXPECT_TRUE(widgettest::sameColor(button->currentTitleColor(), 0, 0, 0));
    ++i;
  }
  // Its user gives it a frame, which the segments share again.
  show(ctrl, CGPointMake(0, 300), CGSizeMake(318, 40));
  EXPECT_EQ(ctrl->rightBtn()->frame(), CGRectMake(212, 0, 105, 40));
  EXPECT_EQ(segments(*ctrl), (Names{"", "", ""}));
  auto grey = UIColor::colorWithWhite(0.8, 1), white = UIColor::whiteColor();
  auto blue = UIColor::colorWithRed(0, 198 / 255.0, 1, 1), deep = UIColor::blueColor();
  ctrl->setUnSelectColor(grey, white);
  ctrl->setSelectColor(deep, blue);
  auto colored = [&](long index) {
    return std::dynamic_pointer_cast<UIColorButton>(index == 0   ? ctrl->leftBtn()
                                                    : index == 1 ? ctrl->centerBtn()
                                                                 : ctrl->rightBtn());
  };
  EXPECT_EQ(colored(0)->lowColor(), deep);
  EXPECT_EQ(colored(1)->lowColor(), grey);
  EXPECT_TRUE(colored(2)->borderColor()->isEqual(*grey->colorWithAlphaComponent(0.5)));

  ASSERT_TRUE(ScreenDriver::tapText("月"));
  EXPECT_EQ(ctrl->selectedSegmentIndex(), 2);
  for (long k = 0; k < 3; ++k) {
    EXPECT_EQ(colored(k)->lowColor(), k == 2 ? deep : grey) << k;
    EXPECT_EQ(colored(k)->highColor(), k == 2 ? blue : white) << k;
  }
  ASSERT_EQ(receiver->reports.size(), 1u);

  ctrl->setFrame(CGRectMake(0, 300, 303, 36));
  EXPECT_EQ(colored(2)->frame(), CGRectMake(202, 0, 100, 36));
}

TEST_F(SegCtrlTest, TheBuildsAsTheReaderSeesThem) {
  auto titled = show(UIZMSegCtrl::initWithTitles({"资讯", "微博", "专题"}), CGPointMake(20, 40));
  titled->setSegMsg("5", 1);
  show(UIZMSegCtrl::initWithZiViTitles({"全部", "关注"}), CGPointMake(20, 100));
  show(UIZMSegCtrl::initWithFavTitles({"全部", "资讯", "微博"}), CGPointMake(0, 160));
  auto images = show(UIZMSegCtrl::initWithFrame(CGRectMake(0, 0, 280, 30)), CGPointMake(20, 220));
  images->setTitles({"日", "周", "月"});
  images->setSelectedSegmentIndex(2);
  auto gradient = show(UIZMSegCtrl::initWithItems({"日", "周", "月"}), CGPointMake(0, 280),
                       CGSizeMake(321, 40));
  gradient->setUnSelectColor(UIColor::colorWithWhite(0.85, 1), UIColor::whiteColor());
  gradient->setSelectColor(UIColor::colorWithRed(0, 198 / 255.0, 1, 0.3),
                           UIColor::colorWithRed(0, 198 / 255.0, 1, 1));
  gradient->setSelectedSegmentIndex(1);
  MainLoop::advance(0.1);
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "segctrl_builds"));
}

}  // namespace
