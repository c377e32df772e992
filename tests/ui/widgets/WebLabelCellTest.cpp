// The anchor text view: how it reads anchors (malformed ones included), where it lays plain
// runs and link labels (fixed text metrics), and what a finger on a link reports.
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/UIWebLabelCell.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

std::string rect(CGRect r) {
  char buf[80];
  snprintf(buf, sizeof buf, "(%g %g; %g %g)", r.origin.x, r.origin.y, r.size.width, r.size.height);
  return buf;
}

std::vector<std::string> runs(std::string_view text) {
  UIWebLabelCell view;
  view.setText(text);
  std::vector<std::string> out;
  for (auto& r : view.webArray())
    out.push_back(r->type == NSLabelItem::kLink ? "link \"" + r->text + "\" -> " + r->linkText
                                                : "plain \"" + r->text + "\"");
  return out;
}

using Runs = std::vector<std::string>;

TEST(WebLabelCellParsing, AnchorsBecomeLinkRunsAndEverythingElseStaysPlain) {
  struct Case {
    std::string text;
    Runs expected;
  } cases[] = {
      {"", {}},
      {"plain text", {"plain \"plain text\""}},
      {"<a href='http://u'>x</a>y", {"link \"x\" -> http://u", "plain \"y\""}},
      {"<a href=\"http://u\">x</a>y", {"link \"x\" -> http://u", "plain \"y\""}},
      {"a<a href='u'>b</a>c<a href=\"v\">d</a>",
       {"plain \"a\"", "link \"b\" -> u", "plain \"c\"", "link \"d\" -> v"}},
      // "<a" not followed by " href" disappears and the rest stays plain.
      {"x<ab", {"plain \"x\"", "plain \"b\""}},
      {"<a<a", {}},
      // Malformed anchors stay plain text: no quoted address, no closing mark, no "</a>".
      {"<a href>x</a>", {"plain \" href>x</a>\""}},
      {"<a href='u", {"plain \" href='u\""}},
      {"<a href=\"u'>x</a>", {"plain \" href=\"u'>x</a>\""}},
      {"<a href='u'>x", {"plain \" href='u'>x\""}},
      {"<a href='u'></a>", {"link \"\" -> u"}},
  };
  for (auto& c : cases) EXPECT_EQ(runs(c.text), c.expected) << c.text;

  EXPECT_EQ(UIWebLabelCell::getTextByText("a<a href='u'>b</a>c"), "abc");
  EXPECT_EQ(UIWebLabelCell::getTextByText(""), "");
  UIWebLabelCell view;
  EXPECT_FALSE(view.getBusiName());
  view.setText("a<a href='u'>b</a>c<a href='v'>d</a>");
  EXPECT_EQ(view.getBusiName(), std::optional<std::string>("b"));
}

// Fixed metrics: the 10-point font has lines of 12, Latin characters 5 wide.
class WebLabelCellLayout : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    WindowTest::SetUp();
  }
  void TearDown() override { TextMeasurer::setCurrent(nullptr); }

  std::shared_ptr<UIWebLabelCell> show(const std::string& text, bool font = true) {
    auto view = UIWebLabelCell::initWithFrame(CGRectMake(10, 100, 100, 100));
    if (font) view->setTextFont(UIFont::systemFontOfSize(10));
    view->setText(text);
    view->setDelegate(delegate);
    window->rootViewController()->view()->addSubview(view);
    MainLoop::advance(0.1);
    window->compositeFrame();  // draws the view, as a shown frame does
    return view;
  }

  static std::vector<std::string> labels(const std::shared_ptr<UIWebLabelCell>& view) {
    std::vector<std::string> out;
    for (auto& v : view->subviews())
      if (auto l = std::dynamic_pointer_cast<MyLabel>(v))
        out.push_back(rect(l->frame()) + " #" + std::to_string(l->index()) + " " + l->text());
    return out;
  }

  class Delegate : public UIWebLabelDelegate {
   public:
    std::vector<std::string> calls;
    void openURL(const std::string& u) override { calls.push_back("open " + u); }
    void longPressAction(const std::string& u) override { calls.push_back("long " + u); }
    bool respondsToSelector(std::string_view s) const override {
      return s == "openURL:" || s == "longPressAction:";
    }
  };
  std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
};

TEST_F(WebLabelCellLayout, ALinkThatFitsTheLineIsOneLabelAtThePen) {
  auto view = show("ab<a href='http://u'>link</a>cd<a href='http://v'>more</a>");
  EXPECT_EQ(labels(view),
            (std::vector<std::string>{"(40 0; 20 12) #1 more", "(10 0; 20 12) #0 link"}));
  EXPECT_EQ(view->mutiLineLabel().size(), 2u);
  EXPECT_EQ(view->imgWH(), 12);
}

TEST_F(WebLabelCellLayout, ALongLinkIsUpMiddleAndDownPiecesThatActAsOne) {
  std::string url = "http://zept.example/a/very/long/address/that/takes/four/lines/x";
  std::string anchor(70, 'k');
  auto view = show("ab<a href='" + url + "'>" + anchor + "</a>");
  // 350 wide from x 10 in a 100-wide view: 260 over, four pieces.
  EXPECT_EQ(labels(view), (std::vector<std::string>{
                              "(0 36; 60 12) #0 " + std::string(12, 'k'),
                              "(0 12; 100 24) #0 " + std::string(40, 'k'),
                              "(10 0; 90 12) #0 " + std::string(18, 'k'),
                          }));
  auto record = view->mutiLineLabel().at(0);
  ASSERT_TRUE(record->middleLabel && record->downLabel);

  // Pressing the middle piece greys the other two until the finger lifts.
  std::vector<std::shared_ptr<UIColor>> during;
  CGPoint middle;
  ASSERT_TRUE(ScreenDriver::visiblePoint(record->middleLabel, middle));
  ScreenDriver::drag(middle, CGPointMake(middle.x + 300, middle.y + 300), 0.1);
  EXPECT_TRUE(widgettest::sameColor(record->upLabel->textColor(), 30, 129, 199));
  record->middleLabel->touchesBegan({}, nullptr);
  EXPECT_EQ(record->upLabel->textColor(), UIColor::grayColor());
  EXPECT_EQ(record->downLabel->textColor(), UIColor::grayColor());
  record->middleLabel->touchesCancelled({}, nullptr);
  EXPECT_TRUE(widgettest::sameColor(record->downLabel->textColor(), 30, 129, 199));

  // A tap on the down piece reports the address once; a long press on the up piece too.
  delegate->calls.clear();
  ASSERT_TRUE(ScreenDriver::tap(record->downLabel));
  ASSERT_TRUE(ScreenDriver::longPress(record->upLabel));
  EXPECT_EQ(delegate->calls, (std::vector<std::string>{"open " + url, "long " + url}));
}

TEST_F(WebLabelCellLayout, PlainRunsWrapAndAViewWithoutAFontTakesFourteenPoints) {
  auto view = show("abcdefghijklmnopqrstuvwxyz", false);
  EXPECT_EQ(view->imgWH(), 17);
  EXPECT_EQ(view->fon()->pointSize(), 14);
  EXPECT_TRUE(labels(view).empty());
  // The fitting length and the end of the last line.
  EXPECT_EQ(view->getLenByStr("abcdefghij", 35), 5);
  EXPECT_EQ(view->getPointByStr("abcdefgh", 35), 21);  // "fgh" on the second line
  EXPECT_EQ(view->getPointByStr("abc", 35), 21);
}

}  // namespace
