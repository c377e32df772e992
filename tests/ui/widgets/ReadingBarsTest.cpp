// The reading screens' bars on a shown window: the command bars' buttons, the item detail
// bar's pages and pop-up menu with its first-use hints, and the channel and seminar tab bars.
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UIYBButton.h"
#include "ui/widgets/UIImageLabel.h"
#include "ui/widgets/UINaviComView.h"
#include "ui/widgets/UINaviTabView.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

using Log = std::vector<std::string>;

class BarListener : public NSObject, public UINaviComViewDelegate, public UINaviTabViewDelegate {
 public:
  Log log;
  void toolBarAction(const std::shared_ptr<UIButton>& button) override {
    log.push_back("toolBarAction " + std::to_string(button->tag()));
  }
  void popAnimal(const std::shared_ptr<UIButton>& button, bool left) override {
    log.push_back("popAnimal " + std::to_string(button->tag()) + (left ? " left" : ""));
  }
  void swipePage(bool previous) override {
    log.push_back(previous ? "swipePage previous" : "swipePage next");
  }
  void naviTapAction(const Value&) override { log.push_back("naviTapAction"); }
  void willLoadMore(const Value&) override { log.push_back("willLoadMore"); }
  void naviTabSelect(long index) override {
    log.push_back("naviTabSelect " + std::to_string(index));
  }
  void joinTopic() override { log.push_back("joinTopic"); }
  void showTopicDetail() override { log.push_back("showTopicDetail"); }
  // The target of the plain bars' buttons.
  void pressed(const Value& sender) {
    log.push_back("pressed " + std::to_string(sender.object<UIView>()->tag()));
  }
  Log take() {
    Log out = std::move(log);
    log.clear();
    return out;
  }
};

std::string imageName(const std::shared_ptr<UIButton>& button, UIControlState state) {
  auto image = button ? button->imageForState(state) : nullptr;
  return image ? image->name() : "";
}

class ReadingBarsTest : public widgettest::WindowTest {
 protected:
  // The detail bar at the bottom of the window's content, as the detail view places it.
  std::shared_ptr<UINaviComView> detailBar() {
    window->rootViewController()->view()->setBackgroundColor(UIColor::whiteColor());
    auto bar = UINaviComView::initWithNaviBar(true);
    bar->setFrame(CGRectMake(0, 416, 320, 44));
    bar->setPopType(5);
    bar->setNaviDelegate(listener);
    window->addSubview(bar);
    return bar;
  }
  std::shared_ptr<UIButton> button(const std::shared_ptr<UIView>& bar, long tag) {
    return std::dynamic_pointer_cast<UIButton>(bar->viewWithTag(tag));
  }
  Selector pressed() { return selector(listener, &BarListener::pressed, "pressed:"); }

  std::shared_ptr<BarListener> listener = std::make_shared<BarListener>();
};

TEST_F(ReadingBarsTest, TheFirstDetailBarOpensItsMenuAfterASecondAndAnEntryReachesTheDelegate) {
  auto bar = detailBar();
  for (auto [tag, x, image] : {std::tuple{10L, 130.0, "returnBtn"},
                               {30L, 180.0, "pageUp"},
                               {40L, 230.0, "pageDown"},
                               {20L, 280.0, "toolBarBtn"}}) {
    auto b = button(bar, tag);
    ASSERT_NE(b, nullptr) << tag;
    EXPECT_EQ(b->frame(), CGRectMake(x, 0, 44, 44));
    EXPECT_EQ(imageName(b, UIControlStateNormal), image);
    EXPECT_EQ(imageName(b, UIControlStateHighlighted), std::string(image) + "S");
    EXPECT_EQ(b->autoresizingMask(), UIViewAutoresizingFlexibleTopMargin);
  }
  EXPECT_NE(std::dynamic_pointer_cast<UIYBButton>(bar->viewWithTag(20)), nullptr);
  EXPECT_EQ(textOf(NSConfig::readValueWithKey("PopTypeFirst")), "1");

  ScreenDriver::wait(0.99);
  EXPECT_FALSE(bar->isInPop());
  ScreenDriver::wait(0.02);
  EXPECT_TRUE(bar->isInPop());
  EXPECT_TRUE(bar->isInAnimal());
  EXPECT_EQ(listener->take(), Log{"popAnimal 20"});
  EXPECT_EQ(bar->frame(), CGRectMake(0, 352, 320, 108));
  EXPECT_EQ(button(bar, 20)->frame(), CGRectMake(280, 64, 44, 44));  // kept to the bottom
  auto panel = bar->viewWithTag(UINaviComView::kMenuPanelTag);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->frame(), CGRectMake(10, 0, 298, 74));
  EXPECT_EQ(panel->dump(),
            "UIImageView frame=(10 0; 298 74) tag=100 image=\"toolBarFrame\"\n"
            "  UIButton frame=(13 6; 38 38) tag=1 image=\"tapRet\"\n"
            "  UILabel frame=(0 38; 59 22) text=\"转发微博\"\n"
            "  UIButton frame=(72 6; 38 38) tag=2 image=\"tapComment\"\n"
            "  UILabel frame=(59 38; 59 22) text=\"发表评论\"\n"
            "  UIButton frame=(131 6; 38 38) tag=3 image=\"tapWrite\"\n"
            "  UILabel frame=(118 38; 59 22) text=\"写微博\"\n"
            "  UIButton frame=(190 6; 38 38) tag=9 image=\"tapLumi\"\n"
            "  UILabel frame=(177 38; 59 22) text=\"路米分享\"\n"
            "  UIButton frame=(249 6; 38 38) tag=8 image=\"tapEmail\"\n"
            "  UILabel frame=(236 38; 59 22) text=\"邮件分享\"\n");
  ScreenDriver::wait(0.9);
  EXPECT_FALSE(bar->isInAnimal());
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "detail_bar_menu"));

  // A tap on an entry closes the menu and reports the entry's tag.
  ASSERT_TRUE(ScreenDriver::tap(panel->viewWithTag(2)));
  EXPECT_EQ(listener->take(), (Log{"popAnimal 20 left", "toolBarAction 2"}));
  EXPECT_FALSE(bar->isInPop());
  EXPECT_EQ(panel->frame().origin.x, 320);
  ScreenDriver::wait(0.9);
  EXPECT_EQ(bar->viewWithTag(UINaviComView::kMenuPanelTag), nullptr);
  EXPECT_EQ(bar->frame(), CGRectMake(0, 416, 320, 44));
  EXPECT_EQ(button(bar, 20)->frame(), CGRectMake(280, 0, 44, 44));
}

TEST_F(ReadingBarsTest, TheSecondDetailBarShowsTheHintImagesAndLaterOnesNothing) {
  NSConfig::setValue(Value("1"), "PopTypeFirst");
  auto bar = detailBar();
  EXPECT_EQ(textOf(NSConfig::readValueWithKey("PopTypeFirst")), "2");
  auto hint = std::dynamic_pointer_cast<UIImageView>(bar->viewWithTag(20)->viewWithTag(5000));
  ASSERT_NE(hint, nullptr);
  std::vector<std::string> names;
  for (auto& image : hint->animationImages()) names.push_back(image ? image->name() : "");
  EXPECT_EQ(names, (std::vector<std::string>{"toolBarBtn1", "toolBarBtn2", "toolBarBtn3"}));
  ScreenDriver::wait(1.5);
  EXPECT_FALSE(bar->isInPop());

  auto third = UINaviComView::initWithNaviBar(true);
  EXPECT_EQ(textOf(NSConfig::readValueWithKey("PopTypeFirst")), "2");
  EXPECT_EQ(third->viewWithTag(20)->viewWithTag(5000), nullptr);
  EXPECT_TRUE(UINaviComView::initWithNaviBar(false)->subviews().empty());
}

TEST_F(ReadingBarsTest, TheDetailBarPagesReturnsTogglesItsMenuAndPassesPlainTaps) {
  NSConfig::setValue(Value("2"), "PopTypeFirst");
  auto bar = detailBar();
  ASSERT_TRUE(ScreenDriver::tap(button(bar, 10)));
  ASSERT_TRUE(ScreenDriver::tap(button(bar, 30)));
  ASSERT_TRUE(ScreenDriver::tap(button(bar, 40)));
  EXPECT_EQ(listener->take(), (Log{"toolBarAction 10", "swipePage previous", "swipePage next"}));
  ScreenDriver::wait(1);

  // The tool button opens the menu and closes it again, even while it opens; closed, it is
  // ignored until the animation ends.
  auto tool = Value(std::static_pointer_cast<NSObject>(button(bar, 20)));
  ASSERT_TRUE(ScreenDriver::tap(button(bar, 20)));
  EXPECT_TRUE(bar->isInPop());
  bar->toolbarAction(tool);
  EXPECT_FALSE(bar->isInPop());
  EXPECT_TRUE(bar->isInAnimal());
  bar->toolbarAction(tool);
  EXPECT_FALSE(bar->isInPop());
  EXPECT_EQ(listener->take(), (Log{"popAnimal 20", "popAnimal 20 left"}));
  ScreenDriver::wait(1);
  EXPECT_EQ(bar->frame(), CGRectMake(0, 416, 320, 44));

  // A tap on the bar beside its buttons and the menu closes an open menu and is passed on.
  ASSERT_TRUE(ScreenDriver::tap(button(bar, 20)));
  ScreenDriver::wait(1);
  listener->take();
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(315, 400)));
  EXPECT_FALSE(bar->isInPop());
  EXPECT_EQ(listener->take(), (Log{"popAnimal 20 left", "naviTapAction", "willLoadMore"}));
}

TEST_F(ReadingBarsTest, TheFourthMenuEntryAndTheMenuWidthFollowTheBarsKind) {
  NSConfig::setValue(Value("2"), "PopTypeFirst");
  struct Case {
    bool third, baoliao;
    long popType;
    CGRect panel;
    std::vector<long> tags;
  };
  for (const auto& c : {Case{false, false, 5, CGRectMake(10, 0, 298, 74), {1, 2, 3, 9, 8}},
                        Case{false, true, 5, CGRectMake(10, 0, 298, 74), {1, 2, 3, 5, 8}},
                        Case{true, true, 5, CGRectMake(10, 0, 298, 74), {1, 2, 3, 7, 8}},
                        Case{false, false, 4, CGRectMake(60, 0, 238, 74), {1, 2, 3, 9}}}) {
    auto bar = UINaviComView::initWithNaviBar(true);
    bar->setIsThird(c.third);
    bar->setIsBaoliao(c.baoliao);
    bar->setPopType(c.popType);
    bar->modfiyPopView(true);
    auto panel = bar->viewWithTag(UINaviComView::kMenuPanelTag);
    EXPECT_EQ(panel->frame(), c.panel);
    std::vector<long> tags;
    for (auto& v : panel->subviews())
      if (std::dynamic_pointer_cast<UIButton>(v)) tags.push_back(v->tag());
    EXPECT_EQ(tags, c.tags) << c.third << c.baoliao << c.popType;
  }
}

TEST_F(ReadingBarsTest, TheCommandBarsPlaceTheirButtons) {
  using Row = std::vector<std::pair<long, CGFloat>>;  // tag, x
  auto row = [](const std::shared_ptr<UINaviComView>& bar) {
    Row out;
    for (auto& v : bar->subviews()) out.emplace_back(v->tag(), v->frame().origin.x);
    return out;
  };
  EXPECT_EQ(row(UINaviComView::initWithAction(pressed())), (Row{{1, 170}, {2, 220}, {3, 270}}));
  EXPECT_EQ(row(UINaviComView::initWithThirdAction(pressed())),
            (Row{{1, 70}, {12, 120}, {13, 170}, {14, 220}, {3, 270}}));
  EXPECT_EQ(row(UINaviComView::initWithComAction(pressed())),
            (Row{{1, 120}, {5, 170}, {6, 220}, {3, 270}}));
  EXPECT_EQ(row(UINaviComView::initWithTopicAction(pressed())), (Row{{1, 220}, {3, 270}}));
  auto online = UINaviComView::initWithOnlineAction(pressed());
  EXPECT_EQ(online->frame(), CGRectMake(270, 0, 44, 44));
  EXPECT_EQ(row(online), (Row{{1, 0}}));

  auto channel = UINaviComView::initWithAction(pressed());
  channel->setBaoLiaoBtn(pressed());
  EXPECT_EQ(row(channel), (Row{{1, 120}, {2, 170}, {3, 270}, {4, 220}}));
  EXPECT_EQ(imageName(button(channel, 4), UIControlStateNormal), "Baoliao");
  window->addSubview(channel);
  ASSERT_TRUE(ScreenDriver::tap(button(channel, 4)));
  ASSERT_TRUE(ScreenDriver::tap(button(channel, 3)));
  EXPECT_EQ(listener->take(), (Log{"pressed 4", "pressed 3"}));

  auto two = UINaviComView::initWithLeftAction(pressed(), pressed());
  EXPECT_EQ(two->leftBtn()->frame(), CGRectMake(10, 10, 44, 44));
  EXPECT_EQ(two->rightBtn()->frame(), CGRectMake(266, 10, 44, 44));
  auto picture = UIImage::imageNamed("pageUp");
  two->setLeftImage(picture, nullptr);
  two->setLeftSelectedImage(nullptr, picture);
  EXPECT_EQ(two->leftBtn()->imageForState(UIControlStateNormal), picture);
  EXPECT_EQ(two->rightBtn()->imageForState(UIControlStateNormal), nullptr);
  EXPECT_EQ(two->rightBtn()->imageForState(UIControlStateSelected), picture);

  // The title bar centres its picture 24 high; the title label covers it.
  auto titled = UINaviComView::initWithTitle(UIImage::imageNamed("attendBtn"));
  titled->setTitle("钢铁");
  auto title = titled->viewWithTag(UINaviComView::kTitleImageTag);
  const CGFloat width = 71.0 / 30 * 24;  // the 71 × 30 picture, 24 high
  EXPECT_EQ(title->frame(), CGRectMake((320 - width) / 2, 0, width, 24));
  ASSERT_EQ(title->subviews().size(), 1u);
  EXPECT_EQ(title->subviews()[0]->frame(), CGRectMake(0, 0, width, 24));
  EXPECT_TRUE(UINaviComView::initWithTitle(nullptr)->subviews().empty());
}

TEST_F(ReadingBarsTest, TheTopicHeaderFitsItsTitleAndPlacesOneOrTwoButtonsUnderIt) {
  auto font = NSGlobe::getEngine()->textFont();
  const std::string title = "钢材价格走势";
  CGSize size = sizeWithFont("            " + title, font, CGSizeMake(300, 1000));
  CGFloat h = size.height;
  auto header = UINaviComView::initWithNaviBarTitle(title, "detail");
  header->setNaviDelegate(listener);
  EXPECT_EQ(header->frame(), CGRectMake(0, 0, 320, h + 45));
  auto label = std::dynamic_pointer_cast<UIImageLabel>(header->subviews()[0]);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->frame(), CGRectMake(10, 10, size.width, h));
  EXPECT_EQ(label->text(),
            "<img alt=\"img\" src=\"topicImg\"> 钢材价格走势 <img alt=\"img\" src=\"topicImg\">");
  EXPECT_EQ(label->font()->pointSize(), font->pointSize());
  window->addSubview(header);
  auto detail = std::dynamic_pointer_cast<UIButton>(ScreenDriver::findText("查看详情"));
  auto join = std::dynamic_pointer_cast<UIButton>(ScreenDriver::findText("参与话题"));
  ASSERT_NE(detail, nullptr);
  ASSERT_NE(join, nullptr);
  EXPECT_EQ(detail->frame(), CGRectMake(220, h + 10, 71, 30));
  EXPECT_EQ(join->frame(), CGRectMake(140, h + 10, 71, 30));
  EXPECT_EQ(join->backgroundImageForState(UIControlStateNormal)->name(), "attendBtn");
  EXPECT_EQ(header->subviews()[3]->frame(), CGRectMake(15, h + 43, 290, 1));
  EXPECT_EQ(header->subviews()[4]->frame(), CGRectMake(15, h + 44, 290, 1));
  ASSERT_TRUE(ScreenDriver::tap(join));
  ASSERT_TRUE(ScreenDriver::tap(detail));
  EXPECT_EQ(listener->take(), (Log{"joinTopic", "showTopicDetail"}));

  for (const auto& none : {std::optional<std::string>(), std::optional<std::string>("")}) {
    auto plain = UINaviComView::initWithNaviBarTitle(title, none);
    ASSERT_EQ(plain->subviews().size(), 4u);  // label, join, two rules
    EXPECT_EQ(plain->subviews()[1]->frame(), CGRectMake(220, h + 10, 71, 30));
  }
}

// ---- the channel and seminar tab bars

std::shared_ptr<UINaviTabView> channelBar(const std::shared_ptr<UIWindow>& window,
                                          std::vector<std::string> titles,
                                          const std::shared_ptr<BarListener>& listener) {
  auto bar = UINaviTabView::initWithArray(titles);
  bar->setFrame(CGRectMake(0, 20, 320, 44));
  bar->setTapDelegate(listener);
  window->addSubview(bar);
  return bar;
}

TEST_F(ReadingBarsTest, FourChannelTabsShareTheBarAndATapMovesTheHighlight) {
  auto bar = channelBar(window, {"推荐", "行情", "资讯", "企业"}, listener);
  auto tabs = bar->tabView();
  for (long i = 1; i <= 4; ++i) {
    auto tab = button(tabs, i);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(tab->frame(), CGRectMake(44 + 58 * (i - 1), 0, 58, 44));
    if (i > 1) {
      auto separator = std::dynamic_pointer_cast<UIImageView>(tabs->viewWithTag(100 * i));
      ASSERT_NE(separator, nullptr);
      EXPECT_EQ(separator->frame(), CGRectMake(44 + 58 * (i - 1), 0, 1, 44));
      EXPECT_EQ(separator->image()->name(), "sepBar");
    }
  }
  auto first = button(tabs, 1);
  EXPECT_EQ(first->backgroundImageForState(UIControlStateNormal)->name(), "selectBarItem");
  EXPECT_TRUE(widgettest::sameColor(first->titleColorForState(UIControlStateNormal), 255, 0, 0));
  EXPECT_EQ(button(tabs, 5)->frame(), CGRectMake(10, 10, 24, 24));
  EXPECT_EQ(bar->flash()->frame(), CGRectMake(286, 10, 24, 24));
  EXPECT_EQ(bar->flash()->tag(), 6);
  EXPECT_TRUE(bar->viewWithTag(10)->isHidden());
  EXPECT_TRUE(bar->viewWithTag(11)->isHidden());
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "channel_tab_bar"));

  ASSERT_TRUE(ScreenDriver::tapText("资讯"));
  EXPECT_EQ(listener->take(), Log{"naviTabSelect 3"});
  EXPECT_EQ(bar->curSelectIndex(), 3);
  EXPECT_EQ(first->backgroundImageForState(UIControlStateNormal), nullptr);
  EXPECT_TRUE(widgettest::sameColor(first->titleColorForState(UIControlStateNormal), 0, 0, 0));
  EXPECT_NE(button(tabs, 3)->backgroundImageForState(UIControlStateNormal), nullptr);

  // The return and flash buttons report their tags and move no highlight.
  ASSERT_TRUE(ScreenDriver::tap(button(tabs, 5)));
  ASSERT_TRUE(ScreenDriver::tap(bar->flash()));
  EXPECT_EQ(listener->take(), (Log{"naviTabSelect 5", "naviTabSelect 6"}));
  EXPECT_EQ(bar->curSelectIndex(), 3);

  bar->setSubscriptionButton("channelSetting");
  EXPECT_EQ(bar->flash()->tag(), 7);
  EXPECT_EQ(imageName(bar->flash(), UIControlStateNormal), "channelSetting");
  NSGlobe::getEngine()->setThemeNum(2);
  bar->changeTheme();
  EXPECT_EQ(imageName(bar->flash(), UIControlStateNormal), "setup_theme1");
  EXPECT_EQ(button(tabs, 3)->backgroundImageForState(UIControlStateNormal)->name(),
            "selectBarItem_theme1");
}

TEST_F(ReadingBarsTest, ThreeTitlesGiveWholePointTabsAndNoTitlesNoTabs) {
  auto three = UINaviTabView::initWithArray({"推荐", "行情", "资讯"});
  EXPECT_EQ(button(three->tabView(), 3)->frame(), CGRectMake(198, 0, 77, 44));
  auto none = UINaviTabView::initWithArray({});
  EXPECT_EQ(none->tabView()->viewWithTag(1), nullptr);
  EXPECT_NE(none->flash(), nullptr);
  EXPECT_NE(none->tabView()->viewWithTag(5), nullptr);
}

TEST_F(ReadingBarsTest, TheSortButtonHintsOnceAndTheTabsSlideAwayAndBack) {
  auto bar = channelBar(window, {"推荐", "行情"}, listener);
  auto sort = std::dynamic_pointer_cast<UIYBButton>(bar->viewWithTag(10));
  ASSERT_NE(sort, nullptr);
  EXPECT_NE(sort->viewWithTag(5000), nullptr);
  EXPECT_EQ(textOf(NSConfig::readValueWithKey("PopTypeFirstSort")), "1");
  EXPECT_EQ(UINaviTabView::initWithArray({"推荐"})->viewWithTag(10)->viewWithTag(5000), nullptr);

  bar->animationTapBarHidden(true);
  EXPECT_EQ(bar->tabView()->frame().origin.x, 320);
  EXPECT_TRUE(sort->isHidden());
  bar->animationTapBarHidden(false);  // while it slides: nothing
  ScreenDriver::wait(0.9);
  EXPECT_FALSE(sort->isHidden());
  EXPECT_FALSE(bar->viewWithTag(11)->isHidden());

  // A plain tap on the bar slides the tabs back; the hint stops when they are in.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(100, 40)));
  EXPECT_TRUE(sort->isHidden());
  EXPECT_EQ(bar->tabView()->frame().origin.x, 0);
  ScreenDriver::wait(0.9);
  EXPECT_EQ(sort->viewWithTag(5000), nullptr);
  EXPECT_FALSE(bar->isInAnimation());
}

TEST_F(ReadingBarsTest, TheSeminarIconBarSelectsATappedItemOnce) {
  auto bar = UINaviTabView::initWithToolBar({"tapRet", "tapComment", "tapWrite"},
                                            {"问答", "观点", "嘉宾"});
  bar->setFrame(CGRectMake(0, 416, 320, 44));
  bar->setTapDelegate(listener);
  window->addSubview(bar);
  auto icon = [&](long item) {
    return std::dynamic_pointer_cast<UIButton>(
        bar->tabView()->viewWithTag(item)->viewWithTag(10 * item));
  };
  CGRect second = bar->tabView()->viewWithTag(2)->frame();
  EXPECT_NEAR(second.origin.x, 320.0 / 3, 1e-9);
  EXPECT_NEAR(second.size.width, 320.0 / 3, 1e-9);
  EXPECT_EQ(imageName(icon(1), UIControlStateNormal), "tapRetS");
  EXPECT_EQ(imageName(icon(2), UIControlStateNormal), "tapComment");

  ASSERT_TRUE(ScreenDriver::tapText("观点"));
  ASSERT_TRUE(ScreenDriver::tapText("观点"));
  EXPECT_EQ(listener->take(), Log{"naviTabSelect 1"});
  EXPECT_EQ(bar->curSelectIndex(), 2);
  EXPECT_EQ(imageName(icon(1), UIControlStateNormal), "tapRet");
  EXPECT_EQ(imageName(icon(2), UIControlStateNormal), "tapCommentS");
  EXPECT_EQ(imageName(icon(2), UIControlStateHighlighted), "tapComment");
}

TEST_F(ReadingBarsTest, TheTopicDetailBarCaptionsItsThreeButtons) {
  auto bar = UINaviTabView::initWithTopicDetail();
  bar->setTapDelegate(listener);
  window->addSubview(bar);
  EXPECT_EQ(bar->flash()->frame(), CGRectMake(258, 7, 26, 26));
  EXPECT_NE(ScreenDriver::findText("我要参加"), nullptr);
  ASSERT_TRUE(ScreenDriver::tap(bar->viewWithTag(8)));
  EXPECT_EQ(listener->take(), Log{"naviTabSelect 8"});
}

}  // namespace
