#include "ui/widgets/MyLabel.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIEvent.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UILongPressGestureRecognizer.h"
#include "UIKit/UITouch.h"
#include "core/NSGlobe.h"
#include "core/NSObject+notification.h"

MyLabel::MyLabel(CGRect frame) : UILabel(frame) {}

std::shared_ptr<MyLabel> MyLabel::initWithFrame(CGRect frame) {
  auto label = std::make_shared<MyLabel>(frame);
  label->setLineBreakMode(UILineBreakModeTailTruncation);
  label->setTextFont(UIFont::systemFontOfSize(13));
  label->setBackgroundColor(UIColor::clearColor());
  label->setUnselectColor();
  label->setUserInteractionEnabled(true);
  label->setNumberOfLines(0);
  label->addGestureRecognizer(std::make_shared<UILongPressGestureRecognizer>(
      selector(label->weakSelf<MyLabel>(), &MyLabel::longPress, "longPress:")));
  return label;
}

std::shared_ptr<MyLabel> MyLabel::initWithFrame(CGRect frame,
                                                const std::shared_ptr<UIView>& delegateView,
                                                std::weak_ptr<MyLabelDelegate> delegate, long start,
                                                long tags, std::shared_ptr<UIFont> font,
                                                std::string text) {
  auto label = initWithFrame(frame);
  label->setDelegate(std::move(delegate));
  label->setUpX(start);
  label->setIndex(tags);
  label->setTextFont(std::move(font));
  label->setText(std::move(text));
  if (delegateView) {
    delegateView->addSubview(label);
    delegateView->sendSubviewToBack(label);
  }
  return label;
}

void MyLabel::setTextFont(std::shared_ptr<UIFont> font) {
  imgWH_ = font ? long(font->lineHeight()) : 0;
  setFont(std::move(font));
}

long MyLabel::getLenByStr(std::string_view text, CGFloat width) const {
  long n = long(utf16Length(text));
  CGFloat w =
      sizeWithFont(text, font(), CGSizeMake(10000, CGFloat(imgWH_)), UILineBreakModeWordWrap).width;
  if (width >= w) return n;
  long k0 = long(width * n / w);
  for (long k = k0; k >= 1; --k) {
    std::string head = substringToIndex(text, size_t(k));
    if (sizeWithFont(head, font(), CGSizeMake(width, 10000), UILineBreakModeWordWrap).height <=
        imgWH_)
      return k;
  }
  return k0;
}

void MyLabel::drawRect(CGRect rect) {
  if (text().empty()) return;
  if (auto color = textColor()) color->set();
  drawInRect(text(), rect, font(), UILineBreakModeCharacterWrap);
}

void MyLabel::setSelectColor() {
  setTextColor(UIColor::grayColor());
}

void MyLabel::setUnselectColor() {
  auto globe = NSGlobe::getEngine();
  if (globe->getCurThemeSelect() == 1)
    setTextColor(UIColor::colorWithRed(30.0 / 255, 129.0 / 255, 199.0 / 255, 1));
  else
    setTextColor(globe->getThemeColor());
}

void MyLabel::touchesBegan(const UITouchSet&, UIEvent*) {
  setSelectColor();
  if (auto d = delegate_.lock()) d->beginLabel(*this);
}

void MyLabel::touchesEnded(const UITouchSet& touches, UIEvent*) {
  setUnselectColor();
  auto d = delegate_.lock();
  auto touch = touches.anyObject();
  if (touch) {
    CGPoint p = touch->locationInView(this);
    CGSize size = frame().size;
    if (p.x >= 0 && p.x <= size.width && p.y >= 0 && p.y <= size.height) {
      if (d && d->respondsToSelector("clickLabel:")) {
        d->clickLabel(*this);
      } else if (d && d->respondsToSelector("openURL:")) {
        d->openURL(text());
      } else {
        auto msg = std::make_shared<NSMsgSend>();
        msg->data = Value(text());
        postNotificationObject(kWebLoadNotification, msg);
      }
    }
  }
  if (d) d->endLabel(*this);
}

void MyLabel::touchesCancelled(const UITouchSet&, UIEvent*) {
  if (auto d = delegate_.lock()) d->endLabel(*this);
  setUnselectColor();
}

void MyLabel::longPress(const Value& recognizer) {
  auto r = std::dynamic_pointer_cast<UIGestureRecognizer>(recognizer.object());
  if (!r || r->state() != UIGestureRecognizerState::Began) return;
  auto d = delegate_.lock();
  if (d && d->respondsToSelector("longPress:"))
    d->longPress(*this);
  else if (d && d->respondsToSelector("longPressAction:"))
    d->longPressAction(text());
  setUnselectColor();
}

NS_CLASS_IMPLEMENTATION(MyLabel) {
  c.method("setSelectColor", &MyLabel::setSelectColor);
  c.method("setUnselectColor", &MyLabel::setUnselectColor);
}
