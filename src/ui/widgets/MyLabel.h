// A tappable label, as the rich-text labels make one for every link and mention they draw.
// Touching it greys the text; a finger lifted on it reports a tap (clickLabel, else openURL
// with the text, else the bus notification "webload" with the text), a finger lifted anywhere
// ends the touch (endLabel, always after the tap handling); a long press reports once, when it
// begins (longPress, else longPressAction with the text).  Unpressed, the text takes the link
// colour of the day theme (30, 129, 199) or the theme colour.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "UIKit/UILabel.h"

class MyLabel;
class UIGestureRecognizer;

// All optional.  The label looks for a tap or long-press call in order, so a delegate that has
// clickLabel, openURL, longPress or longPressAction overrides it and answers true for its
// selector ("clickLabel:", "openURL:", "longPress:", "longPressAction:").
class MyLabelDelegate {
 public:
  virtual ~MyLabelDelegate() = default;
  virtual void beginLabel(MyLabel& /*label*/) {}
  virtual void clickLabel(MyLabel& /*label*/) {}
  virtual void openURL(const std::string& /*text*/) {}
  virtual void endLabel(MyLabel& /*label*/) {}
  virtual void longPress(MyLabel& /*label*/) {}
  virtual void longPressAction(const std::string& /*text*/) {}
  virtual bool respondsToSelector(std::string_view /*selector*/) const { return false; }
};

class MyLabel : public UILabel {
  NS_CLASS(MyLabel, UILabel)
 public:
  static constexpr std::string_view kWebLoadNotification = "webload";

  explicit MyLabel(CGRect frame);
  // initWithFrame: tail truncation, the system font of 13, clear background, the link colour,
  // any number of lines, and the long-press recogniser.
  static std::shared_ptr<MyLabel> initWithFrame(CGRect frame);
  // The label made, filled and put at the back of the delegate's view.
  static std::shared_ptr<MyLabel> initWithFrame(CGRect frame,
                                                const std::shared_ptr<UIView>& delegateView,
                                                std::weak_ptr<MyLabelDelegate> delegate, long start,
                                                long tags, std::shared_ptr<UIFont> font,
                                                std::string text);

  void setTextFont(std::shared_ptr<UIFont> font);
  // How many leading characters (UTF-16 units) of the text fit on one line of the width.
  long getLenByStr(std::string_view text, CGFloat width) const;
  void drawRect(CGRect rect) override;
  void setSelectColor();
  void setUnselectColor();

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;
  void longPress(const Value& recognizer);

  std::weak_ptr<MyLabelDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<MyLabelDelegate> delegate) { delegate_ = std::move(delegate); }
  long upX() const { return upX_; }
  void setUpX(long x) { upX_ = x; }
  long index() const { return index_; }
  void setIndex(long index) { index_ = index; }
  long imgWH() const { return imgWH_; }

 private:
  long imgWH_ = 0;
  std::weak_ptr<MyLabelDelegate> delegate_;
  long upX_ = 0;
  long index_ = 0;
};
