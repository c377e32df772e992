#include "ui/framework/UIZMButton.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "core/UIBkImageView.h"

namespace {

struct Style {
  std::string_view name;
  long type;
  std::string_view image;
};

constexpr Style kStyles[] = {
    {"toolbarRoundButton:", 1, "sendBtn"},
    {"toolbarBlackRoundButton:", 1, "scrollBtnBk"},
    {"toolbarGaryRoundButton:", 6, "subscribeBtn"},
    {"toolbarRefreshRoundButton:", 2, "refreshRoundBtn"},
    {"toolbarBackButton:", 3, "leftBtn"},
    {"toolbarRefreshButton:", 4, "refreshBtn"},
    {"toolbarHomeButton:", 4, "homeBtn"},
};

UIZMButton::LibraryButtonMaker& libraryMaker() {
  static UIZMButton::LibraryButtonMaker maker;
  return maker;
}

}  // namespace

void UIZMButton::setLibraryButtonMaker(LibraryButtonMaker maker) {
  libraryMaker() = std::move(maker);
}

std::shared_ptr<UIControl> UIZMButton::buttonWithStyle(std::string_view style,
                                                       std::string_view title) {
  int theme = UIBkImageView::getCurThemeSelect();
  if (theme == 3 && style != "toolbarGaryRoundButton:" && style != "toolbarBlackRoundButton:" &&
      style != "toolbarHomeButton:" && libraryMaker()) {
    std::string_view libraryStyle =
        style == "toolbarRefreshRoundButton:" ? "toolbarRoundButton:" : style;
    if (auto button = libraryMaker()(libraryStyle, title)) return button;
  }
  auto button = std::make_shared<UIZMButton>();
  button->setTitle(std::string(title), UIControlStateNormal);
  long type = 5;
  std::string image = "leftBtn";
  for (const Style& s : kStyles) {
    if (s.name != style) continue;
    type = s.type;
    image = std::string(s.image);
  }
  if (style == "toolbarHomeButton:") {
    if (theme == 1) image = "homeBlueBtn";
    button->setFrame(CGRectMake(227, 7, 38, 30));
  }
  button->setBtnType(type);
  button->setBackgroundImage(imageFileNamed(image), UIControlStateNormal);
  button->setTitleColor(UIColor::blackColor(), UIControlStateNormal);
  button->titleLabel()->setFont(UIFont::systemFontOfSize(12));
  return button;
}

CGFloat UIZMButton::titleWidth() {
  std::string title = currentTitle().value_or(std::string());
  if (title.empty()) return 0;
  auto font = titleLabel()->font();
  return sizeWithFont(title, font, CGSizeMake(10000, font->leading()), UILineBreakModeWordWrap)
      .width;
}

void UIZMButton::stretchBackground() {
  if (auto image = backgroundImageForState(UIControlStateNormal))
    setBackgroundImage(image->stretchableImageWithLeftCapWidth(20, 0), UIControlStateNormal);
}

void UIZMButton::setFrame(CGRect frame) {
  titleLabel()->setFont(UIFont::boldSystemFontOfSize(UIFont::smallSystemFontSize()));
  switch (btnType_) {
    case 1:
      frame.size = CGSizeMake(titleWidth() + 23, 32);
      stretchBackground();
      break;
    case 2:
      frame.size.width = frame.size.height;
      break;
    case 3:
      frame.size.width = titleWidth() + 30;
      stretchBackground();
      // A long title (the previous screen's) gives way to "返回"; the next frame fits it.
      if (frame.size.width > 120) setTitle(std::string("返回"), UIControlStateNormal);
      break;
    case 4:
      frame.size = CGSizeMake(38, 30);
      break;
    case 6:
      frame.size = CGSizeMake(60, 30);
      break;
    default:
      break;
  }
  UIButton::setFrame(frame);
}

void UIZMButton::addTarget(Selector action, UIControlEvents events) {
  target_.set(std::move(action), events);
  resignFirstResponder();
  setUserInteractionEnabled(true);
}

void UIZMButton::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  isMove_ = false;
  UIButton::touchesBegan(touches, event);
}

void UIZMButton::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  isMove_ = true;
  UIButton::touchesMoved(touches, event);
}

void UIZMButton::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto keep = shared_from_this();
  if (!isMove_) target_.fire(*this, event);
  UIButton::touchesEnded(touches, event);
}

NS_CLASS_IMPLEMENTATION(UIZMButton) {
  c.classMethod("buttonWithStyle:title:", [](std::string style, std::string title) {
    return std::static_pointer_cast<NSObject>(UIZMButton::buttonWithStyle(style, title));
  });
  c.property("btnType", &UIZMButton::btnType, &UIZMButton::setBtnType);
}
