#include <gtest/gtest.h>

#include <cstdio>

#include "Foundation/NSNotificationCenter.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UITextField.h"
#include "UIKit/UITextView.h"
#include "UIKitTestSupport.h"
#include "support/ui/ScreenDriver.h"

namespace {

using UITextInputTest = UIKitTest;

std::string rect(CGRect r) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "(%g %g; %g %g)", r.origin.x, r.origin.y, r.size.width,
                r.size.height);
  return buf;
}

std::string range(NSRange r) {
  return "{" + std::to_string(r.location) + "," + std::to_string(r.length) + "}";
}

// Everything a screen hears while text is edited, in one log: the field's delegate, its
// targets, its notifications and the keyboard's.
class Listener : public UITextFieldDelegate, public UITextViewDelegate, public NSObject {
 public:
  Log log;
  bool allowBegin = true, allowChange = true, allowEnd = true, allowClear = true;

  void listen(const std::shared_ptr<UITextField>& field) {
    static const std::pair<UIControlEvents, const char*> events[] = {
        {UIControlEventEditingDidBegin, "editingDidBegin"},
        {UIControlEventEditingChanged, "editingChanged"},
        {UIControlEventEditingDidEnd, "editingDidEnd"}};
    for (const auto& [event, name] : events) {
      std::string n = name;
      field->addTarget(freeSelector(n + ":", [this, n](const Value&) { log.push_back(n); }), event);
    }
  }
  void observe() {
    auto center = NSNotificationCenter::defaultCenter();
    for (auto name : {UIKeyboardWillShowNotification, UIKeyboardDidShowNotification,
                      UIKeyboardWillHideNotification, UIKeyboardDidHideNotification}) {
      center->addObserver(
          weak_from_this(),
          [this](const NSNotificationPtr& n) {
            auto info = n->userInfo().dictionary();
            log.push_back(
                n->name() + " " +
                rect(CGRectValue(info->objectForKey(UIKeyboardFrameBeginUserInfoKey))) + " -> " +
                rect(CGRectValue(info->objectForKey(UIKeyboardFrameEndUserInfoKey))) + " " +
                info->objectForKey(UIKeyboardAnimationDurationUserInfoKey).description());
          },
          name);
    }
    for (auto name :
         {UITextFieldTextDidBeginEditingNotification, UITextFieldTextDidChangeNotification,
          UITextFieldTextDidEndEditingNotification, UITextViewTextDidChangeNotification}) {
      center->addObserver(
          weak_from_this(), [this](const NSNotificationPtr& n) { log.push_back(n->name()); }, name);
    }
  }

  bool textFieldShouldBeginEditing(const std::shared_ptr<UITextField>&) override {
    log.push_back("shouldBegin");
    return allowBegin;
  }
  void textFieldDidBeginEditing(const std::shared_ptr<UITextField>& f) override {
    log.push_back("didBegin");
    EXPECT_TRUE(f->isFirstResponder());
  }
  bool textFieldShouldEndEditing(const std::shared_ptr<UITextField>&) override {
    log.push_back("shouldEnd");
    return allowEnd;
  }
  void textFieldDidEndEditing(const std::shared_ptr<UITextField>&) override {
    log.push_back("didEnd");
  }
  bool textFieldShouldChangeCharactersInRangeReplacementString(const std::shared_ptr<UITextField>&,
                                                               NSRange r,
                                                               const std::string& s) override {
    log.push_back("shouldChange " + range(r) + " \"" + s + "\"");
    return allowChange;
  }
  bool textFieldShouldClear(const std::shared_ptr<UITextField>&) override {
    log.push_back("shouldClear");
    return allowClear;
  }
  bool textFieldShouldReturn(const std::shared_ptr<UITextField>&) override {
    log.push_back("shouldReturn");
    return true;
  }

  bool textViewShouldBeginEditing(const std::shared_ptr<UITextView>&) override {
    log.push_back("view.shouldBegin");
    return allowBegin;
  }
  void textViewDidBeginEditing(const std::shared_ptr<UITextView>&) override {
    log.push_back("view.didBegin");
  }
  void textViewDidEndEditing(const std::shared_ptr<UITextView>&) override {
    log.push_back("view.didEnd");
  }
  bool textViewShouldChangeTextInRangeReplacementText(const std::shared_ptr<UITextView>&, NSRange r,
                                                      const std::string& s) override {
    log.push_back("view.shouldChange " + range(r) + " \"" + (s == "\n" ? "\\n" : s) + "\"");
    return allowChange;
  }
  void textViewDidChange(const std::shared_ptr<UITextView>&) override {
    log.push_back("view.didChange");
  }
  void textViewDidChangeSelection(const std::shared_ptr<UITextView>& v) override {
    log.push_back("view.didChangeSelection " + range(v->selectedRange()));
  }
};

struct Form {
  std::shared_ptr<UIWindow> window = showWindow();
  std::shared_ptr<Listener> listener = std::make_shared<Listener>();
  std::shared_ptr<UITextField> field = std::make_shared<UITextField>(CGRectMake(10, 40, 300, 31));
  Form() {
    field->setBorderStyle(UITextBorderStyle::RoundedRect);
    field->setPlaceholder("说点什么");
    field->setDelegate(listener);
    listener->listen(field);
    listener->observe();
    window->addSubview(field);
  }
};

TEST_F(UITextInputTest, TypingChineseReachesTheDelegateInOrderWithTheKeyboardsFrames) {
  Form f;
  ASSERT_TRUE(ScreenDriver::tapText("说点什么"));
  EXPECT_TRUE(f.field->isEditing());
  EXPECT_TRUE(UIKeyboard::isVisible());
  ScreenDriver::wait(UIKeyboard::kAnimationDuration);
  ASSERT_TRUE(ScreenDriver::typeText("你好"));
  EXPECT_EQ(f.field->text(), "你好");
  EXPECT_EQ(f.field->selectedRange(), NSMakeRange(2, 0));
  ScreenDriver::pressReturn();
  f.field->resignFirstResponder();
  ScreenDriver::wait(UIKeyboard::kAnimationDuration);
  EXPECT_EQ(f.listener->log,
            (Log{"shouldBegin", "didBegin", "editingDidBegin",
                 "UITextFieldTextDidBeginEditingNotification",
                 "UIKeyboardWillShowNotification (0 480; 320 216) -> (0 264; 320 216) 0.25",
                 "UIKeyboardDidShowNotification (0 480; 320 216) -> (0 264; 320 216) 0.25",
                 "shouldChange {0,0} \"你\"", "editingChanged",
                 "UITextFieldTextDidChangeNotification", "shouldChange {1,0} \"好\"",
                 "editingChanged", "UITextFieldTextDidChangeNotification", "shouldReturn",
                 "shouldEnd", "didEnd", "editingDidEnd", "UITextFieldTextDidEndEditingNotification",
                 "UIKeyboardWillHideNotification (0 264; 320 216) -> (0 480; 320 216) 0.25",
                 "UIKeyboardDidHideNotification (0 264; 320 216) -> (0 480; 320 216) 0.25"}));
  EXPECT_FALSE(UIKeyboard::isVisible());
  EXPECT_FALSE(UIKeyboard::window());
}

TEST_F(UITextInputTest, TheKeyboardCoversTheBottomOfTheScreenAndTakesItsTouches) {
  Form f;
  auto log = std::make_shared<Log>();
  auto below = std::make_shared<TouchLogView>("below", CGRectMake(0, 200, 320, 280), log);
  f.window->addSubview(below);
  f.field->becomeFirstResponder();
  ASSERT_TRUE(UIKeyboard::window());
  EXPECT_EQ(UIKeyboard::frameOnScreen(), CGRectMake(0, 264, 320, 216));
  EXPECT_EQ(UIKeyboard::window()->dump(),
            "UIWindow frame=(0 264; 320 216)\n  UIKeyboard frame=(0 0; 320 216)\n");
  ScreenDriver::tap(CGPointMake(160, 400));  // on the keys
  ScreenDriver::tap(CGPointMake(160, 230));  // above them
  EXPECT_EQ(*log, (Log{"below.began", "below.ended"}));
  // A field that leaves the window takes the keyboard down.
  f.field->removeFromSuperview();
  EXPECT_FALSE(UIKeyboard::isVisible());
  EXPECT_EQ(f.listener->log.back().rfind("UIKeyboardWillHideNotification", 0), 0u);
}

TEST_F(UITextInputTest, GoingFromFieldToFieldKeepsTheKeyboardUp) {
  Form f;
  auto second = std::make_shared<UITextField>(CGRectMake(10, 100, 300, 31));
  second->setDelegate(f.listener);
  f.window->addSubview(second);
  f.field->becomeFirstResponder();
  ScreenDriver::wait(1);
  f.listener->log.clear();
  ScreenDriver::tap(second);
  EXPECT_TRUE(second->isFirstResponder());
  EXPECT_EQ(f.listener->log, (Log{"shouldBegin", "shouldEnd", "didEnd", "editingDidEnd",
                                  "UITextFieldTextDidEndEditingNotification", "didBegin",
                                  "UITextFieldTextDidBeginEditingNotification"}));
}

TEST_F(UITextInputTest, TheDelegateCanRefuseEachStep) {
  Form f;
  f.listener->allowBegin = false;
  ScreenDriver::tap(f.field);
  EXPECT_FALSE(f.field->isEditing());
  EXPECT_FALSE(UIKeyboard::isVisible());
  EXPECT_FALSE(UIEventDriver::insertText("x"));  // nothing takes typing
  f.listener->allowBegin = true;
  ScreenDriver::tap(f.field);
  f.listener->allowChange = false;
  ScreenDriver::typeText("ab");
  EXPECT_EQ(f.field->text(), "");
  f.listener->allowChange = true;
  f.listener->allowEnd = false;
  EXPECT_FALSE(f.field->resignFirstResponder());
  EXPECT_TRUE(f.field->isEditing());
  EXPECT_TRUE(f.window->endEditing(true));  // forced
  EXPECT_FALSE(f.field->isEditing());
}

TEST_F(UITextInputTest, BackspaceInsertionAndSelectionCountUTF16Units) {
  Form f;
  f.field->becomeFirstResponder();
  ScreenDriver::commitText("你好");  // an input method commits both at once
  ScreenDriver::typeText("👍a");
  EXPECT_EQ(f.field->text(), "你好👍a");
  EXPECT_EQ(f.field->selectedRange(), NSMakeRange(5, 0));
  ScreenDriver::deleteBackward(2);  // "a", then both halves of the thumb
  EXPECT_EQ(f.field->text(), "你好");
  UIEventDriver::moveInsertionPoint(-1);
  ScreenDriver::typeText("们");
  EXPECT_EQ(f.field->text(), "你们好");
  f.field->setSelectedRange(NSMakeRange(0, 2));
  ScreenDriver::typeText("他");
  EXPECT_EQ(f.field->text(), "他好");
  f.listener->log.clear();
  f.field->setSelectedRange(NSMakeRange(0, 0));
  ScreenDriver::deleteBackward();  // nothing before the start
  EXPECT_TRUE(f.listener->log.empty());
}

TEST_F(UITextInputTest, ReturnEndsEditingWhenTheFieldHasAnEndOnExitTarget) {
  Form f;
  int exits = 0;
  f.field->addTarget(freeSelector("done:", [&](const Value&) { ++exits; }),
                     UIControlEventEditingDidEndOnExit);
  f.field->setReturnKeyType(UIReturnKeyType::Done);
  f.field->becomeFirstResponder();
  ScreenDriver::pressReturn();
  EXPECT_EQ(exits, 1);
  EXPECT_FALSE(f.field->isFirstResponder());
  EXPECT_EQ(f.field->text(), "");  // the return key types nothing into a field
}

TEST_F(UITextInputTest, TheClearButtonEmptiesTheField) {
  Form f;
  f.field->setClearButtonMode(UITextFieldViewMode::WhileEditing);
  f.field->setText("旧的");
  f.field->layoutIfNeeded();
  EXPECT_EQ(f.field->subviews().size(), 0u);  // not while not editing
  f.field->becomeFirstResponder();
  f.field->layoutIfNeeded();
  ASSERT_EQ(f.field->subviews().size(), 1u);
  auto clear = f.field->subviews().front();
  EXPECT_EQ(clear->frame(), CGRectMake(300 - 5 - 19, 6, 19, 19));
  f.listener->log.clear();
  ScreenDriver::tap(clear);
  EXPECT_EQ(f.field->text(), "");
  EXPECT_EQ(f.listener->log,
            (Log{"shouldClear", "editingChanged", "UITextFieldTextDidChangeNotification"}));
}

TEST_F(UITextInputTest, DumpsShowTextPlaceholdersAndBulletsForSecrets) {
  Form f;
  EXPECT_EQ(f.field->dump(), "UITextField frame=(10 40; 300 31) placeholder=\"说点什么\"\n");
  f.field->setSecureTextEntry(true);
  f.field->setText("abc");
  f.field->becomeFirstResponder();
  EXPECT_EQ(f.field->dump(),
            "UITextField frame=(10 40; 300 31) text=\"●●●\" placeholder=\"说点什么\" editing\n");
}

TEST_F(UITextInputTest, AnInputViewTakesTheKeyboardsPlace) {
  Form f;
  auto pad = std::make_shared<UIView>(CGRectMake(0, 0, 320, 180));
  f.field->setInputView(pad);
  f.field->becomeFirstResponder();
  EXPECT_EQ(UIKeyboard::frameOnScreen(), CGRectMake(0, 300, 320, 180));
  EXPECT_EQ(pad->window(), UIKeyboard::window());
  EXPECT_EQ(f.listener->log.back(),
            "UIKeyboardWillShowNotification (0 480; 320 180) -> (0 300; 320 180) 0.25");
}

TEST_F(UITextInputTest, ATextViewTypesLinesAndGrows) {
  Form f;
  auto view = std::make_shared<UITextView>(CGRectMake(10, 100, 300, 60));
  view->setFont(UIFont::systemFontOfSize(14));
  view->setDelegate(f.listener);
  f.window->addSubview(view);
  ScreenDriver::tap(view);
  EXPECT_TRUE(view->isEditing());
  EXPECT_TRUE(UIKeyboard::isVisible());
  f.listener->log.clear();
  ScreenDriver::typeText("好");
  ScreenDriver::pressReturn();
  EXPECT_EQ(f.listener->log,
            (Log{"view.shouldChange {0,0} \"好\"", "view.didChangeSelection {1,0}",
                 "view.didChange", "UITextViewTextDidChangeNotification",
                 "view.shouldChange {1,0} \"\\n\"", "view.didChangeSelection {2,0}",
                 "view.didChange", "UITextViewTextDidChangeNotification"}));
  EXPECT_EQ(view->text(), "好\n");
  CGFloat line = view->font()->lineHeight();
  for (int i = 0; i < 5; ++i) ScreenDriver::typeText("行\n");
  view->layoutIfNeeded();
  EXPECT_GE(view->contentSize().height, 6 * line + 16);
  EXPECT_GT(view->contentOffset().y, 0);  // the insertion point stays in view
  f.listener->log.clear();
  UIEventDriver::moveInsertionPoint(-1);
  EXPECT_EQ(f.listener->log, Log{"view.didChangeSelection {11,0}"});
  // A read-only view does not edit.
  view->setEditable(false);
  EXPECT_FALSE(view->isFirstResponder());
  ScreenDriver::wait(1);
  ScreenDriver::tap(view);
  EXPECT_FALSE(view->isEditing());
}

}  // namespace
