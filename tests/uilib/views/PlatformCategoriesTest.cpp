// The library's additions to the platform's views, windows, tables and web views: frame
// arithmetic, searches, keyboard-like presentation, the first-responder search, table
// operations and the page geometry of web elements.
#include <gtest/gtest.h>

#include <map>

#include "Foundation/NSNotificationCenter.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UITextField.h"
#include "ViewsTestSupport.h"
#include "uilib/views/UIToolbar+ULCategory.h"
#include "uilib/views/UIView+ULCategory.h"
#include "uilib/views/UIWindow+ULCategory.h"
#include "uilib/views/ULView.h"

namespace {

using PlatformCategoriesTest = ViewsTest;

std::shared_ptr<UIView> view(CGRect frame) {
  return std::make_shared<UIView>(frame);
}

TEST_F(PlatformCategoriesTest, FrameSettersKeepWhatTheirNameDoesNotSay) {
  struct Case {
    const char* what;
    void (*change)(UIView&);
    CGRect expected;
  };
  const Case cases[] = {
      {"left", [](UIView& v) { setLeft(v, 5); }, CGRectMake(5, 20, 30, 40)},
      {"top", [](UIView& v) { setTop(v, 5); }, CGRectMake(10, 5, 30, 40)},
      {"right", [](UIView& v) { setRight(v, 100); }, CGRectMake(70, 20, 30, 40)},
      {"bottom", [](UIView& v) { setBottom(v, 100); }, CGRectMake(10, 60, 30, 40)},
      {"centerX", [](UIView& v) { setCenterX(v, 100); }, CGRectMake(85, 20, 30, 40)},
      {"centerY", [](UIView& v) { setCenterY(v, 100); }, CGRectMake(10, 80, 30, 40)},
      {"width", [](UIView& v) { setWidth(v, 50); }, CGRectMake(10, 20, 50, 40)},
      {"height", [](UIView& v) { setHeight(v, 50); }, CGRectMake(10, 20, 30, 50)},
      {"origin", [](UIView& v) { setOrigin(v, CGPointMake(1, 2)); }, CGRectMake(1, 2, 30, 40)},
      {"size", [](UIView& v) { setSize(v, CGSizeMake(3, 4)); }, CGRectMake(10, 20, 3, 4)},
  };
  for (const auto& c : cases) {
    auto v = view(CGRectMake(10, 20, 30, 40));
    EXPECT_EQ(right(*v), 40);
    EXPECT_EQ(bottom(*v), 60);
    c.change(*v);
    EXPECT_TRUE(sameRect(v->frame(), c.expected)) << c.what;
  }
}

TEST_F(PlatformCategoriesTest, ScreenPositionsSumTheAncestorsAndScrollOffsets) {
  auto root = view(CGRectMake(5, 10, 320, 480));
  auto scroll = std::make_shared<UIScrollView>(CGRectMake(0, 50, 320, 200));
  scroll->setContentSize(CGSizeMake(320, 1000));
  scroll->setContentOffset(CGPointMake(0, 30));
  auto inner = view(CGRectMake(20, 100, 50, 50));
  root->addSubview(scroll);
  scroll->addSubview(inner);

  EXPECT_EQ(ulScreenX(*inner), 25);
  EXPECT_EQ(ulScreenY(*inner), 160);
  EXPECT_EQ(screenViewY(*inner), 130);
  EXPECT_TRUE(sameRect(screenFrame(*inner), CGRectMake(25, 130, 50, 50)));

  EXPECT_TRUE(CGPointEqualToPoint(offsetFromView(*inner, inner.get()), CGPointZero));
  EXPECT_TRUE(CGPointEqualToPoint(offsetFromView(*inner, root.get()), CGPointMake(20, 150)));
  auto stranger = view(CGRectMake(1, 1, 1, 1));
  EXPECT_TRUE(CGPointEqualToPoint(offsetFromView(*inner, stranger.get()), CGPointMake(25, 160)));
}

TEST_F(PlatformCategoriesTest, SearchesFindTheNearestViewOfAClass) {
  auto root = view(CGRectMake(0, 0, 100, 100));
  auto first = view(CGRectZero), deep = view(CGRectZero);
  auto styled = std::make_shared<ULView>();
  auto later = std::make_shared<ULLabel>();
  root->addSubview(first);
  first->addSubview(styled);
  styled->addSubview(deep);
  root->addSubview(later);

  EXPECT_EQ(descendantOrSelfWithClass(root, ULView::classObject()), styled);
  EXPECT_EQ(descendantOrSelfWithClass(root, ULLabel::classObject()), later);
  EXPECT_EQ(descendantOrSelfWithClass(deep, ULView::classObject()), nullptr);
  EXPECT_EQ(ancestorOrSelfWithClass(deep, ULView::classObject()), styled);
  EXPECT_EQ(ancestorOrSelfWithClass(styled, ULView::classObject()), styled);
  EXPECT_EQ(ancestorOrSelfWithClass(first, ULView::classObject()), nullptr);

  removeAllSubviews(*root);
  EXPECT_TRUE(root->subviews().empty());
}

TEST_F(PlatformCategoriesTest, TheViewControllerIsFoundFromTheSuperviewUp) {
  auto controller = std::make_shared<UIViewController>();
  auto rootView = controller->view();
  auto child = view(CGRectZero);
  rootView->addSubview(child);
  EXPECT_EQ(viewController(*child), controller);
  EXPECT_EQ(viewController(*rootView), nullptr);  // its own controller is not searched
}

TEST_F(PlatformCategoriesTest, TheFirstResponderIsFoundThreeLevelsDownAndNilWithoutOne) {
  auto window = showWindow();
  auto a = view(CGRectMake(0, 0, 320, 200)), b = view(CGRectMake(0, 0, 320, 100));
  auto field = std::make_shared<UITextField>(CGRectMake(10, 10, 200, 30));
  window->addSubview(a);
  a->addSubview(b);
  b->addSubview(field);

  EXPECT_EQ(findFirstResponder(window), nullptr);
  EXPECT_FALSE(ULKeyWindowHasFirstResponder());
  CGRect frame = a->frame();
  EXPECT_TRUE(sameRect(frameWithKeyboardSubtracted(*a, 0), frame));

  ASSERT_TRUE(field->becomeFirstResponder());
  EXPECT_EQ(findFirstResponder(window), field);
  EXPECT_TRUE(ULKeyWindowHasFirstResponder());
  // With the keyboard up, a view reaching down to 470 loses what the keyboard (216) and the
  // 20 points above it cover.
  auto tall = view(CGRectMake(0, 100, 320, 370));
  window->addSubview(tall);
  EXPECT_TRUE(sameRect(frameWithKeyboardSubtracted(*tall, 20), CGRectMake(0, 100, 320, 144)));

  field->resignFirstResponder();
  EXPECT_EQ(findFirstResponder(window), nullptr);
}

TEST_F(PlatformCategoriesTest, AViewComesAndGoesLikeTheKeyboard) {
  auto window = showWindow();
  auto panel = view(CGRectMake(0, 0, 320, 200));
  std::vector<std::string> heard;
  std::vector<Value> infos;
  auto observer = std::make_shared<int>(0);
  for (auto name : {UIKeyboardWillShowNotification, UIKeyboardDidShowNotification,
                    UIKeyboardWillHideNotification, UIKeyboardDidHideNotification})
    NSNotificationCenter::defaultCenter()->addObserver(
        observer,
        [&](const NSNotificationPtr& n) {
          heard.push_back(n->name());
          infos.push_back(n->userInfo());
        },
        name);

  presentAsKeyboardInView(panel, window);
  EXPECT_EQ(panel->superview(), window);
  EXPECT_TRUE(sameRect(panel->frame(), CGRectMake(0, 280, 320, 200)));
  EXPECT_EQ(heard, std::vector<std::string>{std::string(UIKeyboardWillShowNotification)});
  const Value& info = infos.front();
  EXPECT_TRUE(sameRect(
      CGRectValue(info.dictionary()->objectForKey(std::string(UIKeyboardBoundsUserInfoKey))),
      CGRectMake(0, 0, 320, 200)));
  EXPECT_TRUE(CGPointEqualToPoint(
      CGPointValue(info.dictionary()->objectForKey(std::string(UIKeyboardCenterBeginUserInfoKey))),
      CGPointMake(0, 580)));
  EXPECT_TRUE(CGPointEqualToPoint(
      CGPointValue(info.dictionary()->objectForKey(std::string(UIKeyboardCenterEndUserInfoKey))),
      CGPointMake(0, 380)));
  MainLoop::advance(0.3);
  EXPECT_EQ(heard.size(), 2u);

  dismissAsKeyboard(panel, false);
  EXPECT_EQ(heard, (std::vector<std::string>{std::string(UIKeyboardWillShowNotification),
                                             std::string(UIKeyboardDidShowNotification),
                                             std::string(UIKeyboardWillHideNotification),
                                             std::string(UIKeyboardDidHideNotification)}));
  EXPECT_EQ(panel->superview(), nullptr);
  NSNotificationCenter::defaultCenter()->removeObserver(observer);
}

TEST_F(PlatformCategoriesTest, TablesKnowTheirMarginAndIndex) {
  UITableView plain(CGRectMake(0, 0, 320, 400));
  UITableView grouped(CGRectMake(0, 0, 320, 400), UITableViewStyle::Grouped);
  EXPECT_EQ(tableCellMargin(plain), 0);
  EXPECT_EQ(tableCellMargin(grouped), 10);
  EXPECT_EQ(indexView(plain), nullptr);
}

TEST_F(PlatformCategoriesTest, AnElementsFrameIsReadFromThePagesAnswer) {
  auto web = std::make_shared<UIWebView>(CGRectMake(0, 0, 320, 400));
  std::map<std::string, std::string> answers;
  web->setScriptHandler([&](std::string_view script) {
    for (auto& [key, answer] : answers)
      if (script.find(key) != std::string_view::npos) return answer;
    return std::string();
  });
  answers["document.getElementById('video')"] = "12,340,300,225";
  EXPECT_TRUE(sameRect(frameOfElement(*web, "document.getElementById('video')"),
                       CGRectMake(12, 340, 300, 225)));
  ASSERT_EQ(web->evaluatedScripts().size(), 1u);
  EXPECT_EQ(
      web->evaluatedScripts()[0].rfind("    var target = document.getElementById('video');", 0),
      0u);
  EXPECT_NE(web->evaluatedScripts()[0].find("target.offsetWidth + ',' + target.offsetHeight; "),
            std::string::npos);

  // No such element: the page answers nothing and the frame is empty.
  EXPECT_TRUE(sameRect(frameOfElement(*web, "document.body.missing"), CGRectZero));
}

TEST_F(PlatformCategoriesTest, AToolBarItemIsFoundAndReplacedByItsTagAndAnAbsentTagChangesNothing) {
  UIToolbar bar(CGRectMake(0, 0, 320, 44));
  auto item = [](const char* title, long tag) {
    auto made = std::make_shared<UIBarButtonItem>(title, UIBarButtonItemStyle::Plain, Selector());
    made->setTag(tag);
    return made;
  };
  auto back = item("back", 1), refresh = item("refresh", 3), again = item("again", 3);
  bar.setItems({back, refresh, again});
  EXPECT_EQ(itemWithTag(bar, 3), refresh);
  EXPECT_EQ(itemWithTag(bar, 9), nullptr);

  auto stop = item("stop", 3);
  replaceItemWithTag(bar, 3, stop);
  ASSERT_EQ(bar.items().size(), 3u);
  EXPECT_EQ(bar.items()[1], stop);
  EXPECT_EQ(bar.items()[2], again);

  replaceItemWithTag(bar, 9, item("none", 9));
  EXPECT_EQ(bar.items(), (std::vector<std::shared_ptr<UIBarButtonItem>>{back, stop, again}));
}

}  // namespace
