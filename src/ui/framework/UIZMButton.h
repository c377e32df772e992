// The styled bar button every screen uses for its back, home, refresh, send and rounded text
// buttons: buttonWithStyle gives a button with the style's background image, and the button
// sizes itself by its kind whenever its frame is set (so sizeToFit and the bars that place it
// keep its size rule).  It keeps one target and action and fires at the end of a touch that did
// not move, not through the platform's control events.
//
// Styles (exact names, colon included), kind and size rule:
//   "toolbarRoundButton:"         1  "sendBtn"         title width + 23 x 32, stretched
//   "toolbarBlackRoundButton:"    1  "scrollBtnBk"     as above
//   "toolbarGaryRoundButton:"     6  "subscribeBtn"    60 x 30
//   "toolbarRefreshRoundButton:"  2  "refreshRoundBtn" a square of the given height
//   "toolbarBackButton:"          3  "leftBtn"         title width + 30 x the given height,
//                                                      stretched; wider than 120: "返回"
//   "toolbarRefreshButton:"       4  "refreshBtn"      38 x 30
//   "toolbarHomeButton:"          4  "homeBlueBtn" in theme 1, else "homeBtn"; 38 x 30, made at
//                                                      (227, 7)
//   any other                     5  "leftBtn"         the frame as given
// In theme 3 the UI library's styled button stands in for every style but the grey, black
// and home ones.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "UIKit/UIButton.h"
#include "ui/framework/TouchTarget.h"

class UIZMButton : public UIButton {
  NS_CLASS(UIZMButton, UIButton)
 public:
  UIZMButton() : UIButton(CGRectZero) {}

  // An autoreleased button of the style with the title (see the table above): the app's own
  // UIZMButton, or at theme 3 the UI library's styled button; callers rely only on what every
  // control has (frame, sizeToFit, targets).
  static std::shared_ptr<UIControl> buttonWithStyle(std::string_view style, std::string_view title);

  // The UI library's styled button (ULButton buttonWithStyle:title:), what theme 3 hands the
  // styles to.  Start-up installs it; without it theme 3 keeps the app's own buttons.
  using LibraryButtonMaker =
      std::function<std::shared_ptr<UIControl>(std::string_view style, std::string_view title)>;
  static void setLibraryButtonMaker(LibraryButtonMaker maker);

  // The title font becomes bold at the small system size, then the kind's size rule applies.
  void setFrame(CGRect frame) override;
  // The one target and action (replacing any earlier one); the events are kept, not used.
  using UIButton::addTarget;
  void addTarget(Selector action, UIControlEvents events) override;

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

  long btnType() const { return btnType_; }
  void setBtnType(long type) { btnType_ = type; }
  const std::string& selectImage() const { return selectImage_; }
  void setSelectImage(std::string name) { selectImage_ = std::move(name); }
  const std::string& unselectImage() const { return unselectImage_; }
  void setUnselectImage(std::string name) { unselectImage_ = std::move(name); }

 private:
  // The width of the current title in the title font, on one line.
  CGFloat titleWidth();
  void stretchBackground();

  TouchTarget target_;
  std::string unselectImage_, selectImage_;
  long btnType_ = 0;
  bool isMove_ = false;
};
