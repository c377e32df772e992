// Styled buttons: what each state shows, their size, the style names they are made with, and
// their pictures loaded through the request queue from the local content server.
#include <gtest/gtest.h>

#include "Foundation/NSClass.h"
#include "ViewsTestSupport.h"
#include "server/ContentServer.h"
#include "support/ui/ScreenDriver.h"
#include "uilib/style/ULSolidFillStyle.h"
#include "uilib/style/ULTextStyle.h"
#include "uilib/views/ULButton.h"

namespace {

using ButtonTest = ViewsTest;

TEST_F(ButtonTest, StateBitsNameTheirContentHighlightedBeforeSelectedBeforeDisabled) {
  struct Case {
    UIControlState state;
    const char* key;
  };
  const Case cases[] = {{0, "normal"},      {1, "highlighted"}, {2, "disabled"},
                        {4, "selected"},    {5, "highlighted"}, {6, "selected"},
                        {3, "highlighted"}, {7, "highlighted"}};
  for (const auto& c : cases) EXPECT_EQ(ULButton::keyForState(c.state), c.key) << c.state;
}

TEST_F(ButtonTest, ANormalOnlyTitleShowsInEveryState) {
  auto button = ULButton::buttonWithStyle("toolbarButton:", "发送");
  EXPECT_EQ(button->titleForCurrentState(), "发送");
  button->setHighlighted(true);
  EXPECT_EQ(button->titleForCurrentState(), "发送");
  button->setHighlighted(false);
  button->setSelected(true);
  EXPECT_EQ(button->titleForCurrentState(), "发送");
  button->setSelected(false);
  button->setEnabled(false);
  EXPECT_EQ(button->titleForCurrentState(), "发送");
  EXPECT_EQ(button->accessibilityLabel(), "发送");

  // A state's own title wins; a selected button shows the selected one even when highlighted.
  button->setEnabled(true);
  button->setTitle("选中", UIControlStateSelected);
  button->setTitle("按下", UIControlStateHighlighted);
  button->setSelected(true);
  button->setHighlighted(true);
  EXPECT_EQ(button->titleForCurrentState(), "选中");
  EXPECT_EQ(button->contentForState(UIControlStateSelected | UIControlStateHighlighted),
            button->contentForState(UIControlStateHighlighted));
}

TEST_F(ButtonTest, EachStateTakesTheNamedStyleOfTheSheet) {
  auto sheet = ULStyleSheet::globalStyleSheet();
  auto button = ULButton::buttonWithStyle("toolbarRoundButton:", "返回");
  for (UIControlState s : {0u, 1u, 2u, 4u}) {
    ASSERT_TRUE(button->styleForState(s)) << s;
    EXPECT_EQ(button->styleForState(s), sheet->styleWithSelector("toolbarRoundButton:", s)) << s;
  }
  button->setEnabled(false);
  EXPECT_EQ(button->styleForCurrentState(), sheet->styleWithSelector("toolbarRoundButton:", 2));
  // The font: the style's text font when the button has none of its own... unless asked for
  // its font first, which keeps the sheet's button font.
  auto text = std::dynamic_pointer_cast<ULTextStyle>(
      button->styleForCurrentState()->firstStyleOfClass(ULTextStyle::classObject()));
  ASSERT_TRUE(text);
  EXPECT_EQ(button->fontForCurrentState(), text->font() ? text->font() : button->font());
}

TEST_F(ButtonTest, ButtonsAreMadeByNameAsTheAppsButtonKitDoes) {
  const NSClass* cls = NSClassFromString("ULButton");
  ASSERT_TRUE(cls);
  Value made =
      cls->performSelector("buttonWithStyle:title:", {Value("toolbarBackButton:"), Value("返回")});
  auto button = made.object<ULButton>();
  ASSERT_TRUE(button);
  EXPECT_EQ(button->titleForState(UIControlStateNormal), "返回");
  EXPECT_TRUE(button->styleForCurrentState());
}

TEST_F(ButtonTest, AStyleTheSheetDoesNotKnowGivesAnUnstyledButtonThatStillTakesTaps) {
  auto window = showWindow();
  auto button = ULButton::buttonWithStyle("toolbarRefreshButton:", "刷新");
  EXPECT_FALSE(button->styleForCurrentState());
  // Unstyled, a button fits any size it is offered and draws nothing.
  EXPECT_TRUE(CGSizeEqualToSize(button->sizeThatFits(CGSizeMake(38, 30)), CGSizeMake(38, 30)));
  button->setFrame(CGRectMake(100, 100, 38, 30));
  int taps = 0;
  button->addTarget(freeSelector("refresh:", [&](const Value&) { ++taps; }),
                    UIControlEventTouchUpInside);
  window->addSubview(button);
  FramePixels before(window->compositeFrame());
  EXPECT_EQ(before.at(119, 115), before.at(10, 10));
  ASSERT_TRUE(ScreenDriver::tap(button));
  EXPECT_EQ(taps, 1);
  EXPECT_NE(window->dump().find("ULButton frame=(100 100; 38 30) title=\"刷新\" unstyled"),
            std::string::npos);
}

TEST_F(ButtonTest, AStyledButtonIsAsLargeAsItsStyleMakesTheTitle) {
  auto button = ULButton::buttonWithStyle("toolbarButton:", "OK");
  CGSize fitted = button->sizeThatFits(CGSizeMake(300, 300));
  EXPECT_GT(fitted.width, 0);
  EXPECT_LT(fitted.width, 300);
  // A longer title makes it wider.
  button->setTitle("Much longer", UIControlStateNormal);
  EXPECT_GT(button->sizeThatFits(CGSizeZero).width, fitted.width);
}

class ButtonPictureTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    server.start();
  }
  size_t requests(const std::string& path) { return server.requests(path).size(); }
  zept::server::ContentServer server;
};

TEST_F(ButtonPictureTest, TheSameURLAgainStartsNothingAndAnEmptyOneClearsThePicture) {
  auto button = ULButton::buttonWithStyle("launcherButton:", "图");
  auto events = std::make_shared<ImageEvents>();
  button->setImageDelegate(events);
  std::string url = server.url("/img/sample/again.png");
  button->setImage(url, UIControlStateNormal);
  EXPECT_EQ(button->imageForState(UIControlStateNormal), url);
  ASSERT_TRUE(MainLoop::runUntil([&] { return button->imageForCurrentState() != nullptr; }));

  button->setImage(url, UIControlStateNormal);
  MainLoop::pump();
  EXPECT_EQ(requests("/img/sample/again.png"), 1u);
  EXPECT_EQ(events->events, (std::vector<std::string>{"started", "loaded"}));

  button->setImage("", UIControlStateNormal);
  EXPECT_FALSE(button->imageForCurrentState());
  EXPECT_TRUE(sameRect(button->rectForImage(), CGRectZero));
}

TEST_F(ButtonPictureTest, AFailedPictureIsReportedAndASuspendedLoadResumes) {
  auto button = ULButton::buttonWithStyle("launcherButton:", "图");
  auto events = std::make_shared<ImageEvents>();
  button->setImageDelegate(events);
  button->setImage(server.url("/img/sample/missing/deeper.png"), UIControlStateNormal);
  ASSERT_TRUE(MainLoop::runUntil([&] { return events->events.size() == 2; }));
  EXPECT_EQ(events->events, (std::vector<std::string>{"started", "failed 404"}));

  // Suspended before it loads, the picture stays away until loading resumes.
  std::string url = server.url("/img/sample/later.png?delay=200");
  button->setImage(url, UIControlStateNormal);
  button->suspendLoadingImages(true);
  EXPECT_FALSE(button->contentForCurrentState()->isLoading());
  button->suspendLoadingImages(false);
  ASSERT_TRUE(MainLoop::runUntil([&] { return button->imageForCurrentState() != nullptr; }));
}

}  // namespace
