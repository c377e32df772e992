// The command bar of the item, article, topic, company and partner-item screens: a 320 × 44
// row of 44-point image buttons whose tags name the commands.  The item detail view's bar
// (initWithNaviBar) also pages up and down and opens an animated pop-up menu of sharing
// commands above itself; the topic header (initWithNaviBarTitle) shows the topic's title with
// its two buttons.
//
// The delegate is not kept; its methods do nothing unless it overrides them.  Button actions
// receive the pressed button.  The first-use hints of the detail bar are counted in the
// configuration store under "PopTypeFirst".
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Foundation/NSObject.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIView.h"

class UIGestureRecognizer;
class UIImage;
class UIYBButton;

class UINaviComViewDelegate {
 public:
  virtual ~UINaviComViewDelegate() = default;
  virtual void leftAction(const Value& /*sender*/) {}
  virtual void rightAction(const Value& /*sender*/) {}
  // The pressed button; its tag says which command.
  virtual void toolBarAction(const std::shared_ptr<UIButton>& /*button*/) {}
  virtual void swipeAction(const std::shared_ptr<UIGestureRecognizer>& /*recognizer*/) {}
  virtual void naviTapAction(const Value& /*sender*/) {}
  virtual void willLoadMore(const Value& /*sender*/) {}
  // popAnimal:left: the tool button; left is true when the menu closes.
  virtual void popAnimal(const std::shared_ptr<UIButton>& /*toolButton*/, bool /*left*/) {}
  // True: the previous page; false: the next one.
  virtual void swipePage(bool /*previous*/) {}
  virtual void tabSelect(long /*index*/) {}
  virtual void joinTopic() {}
  virtual void showTopicDetail() {}
};

class UINaviComView : public UIView {
  NS_CLASS(UINaviComView, UIView)
 public:
  // Button tags of the detail bar and its menu panel.
  static constexpr long kReturnTag = 10;
  static constexpr long kToolTag = 20;
  static constexpr long kPageUpTag = 30;
  static constexpr long kPageDownTag = 40;
  static constexpr long kMenuPanelTag = 100;
  static constexpr long kTitleImageTag = 1051;
  // The pop-up menu's animation.
  static constexpr double kMenuDuration = 0.85;

  explicit UINaviComView(CGRect frame);

  // ---- builders of the bars (the action goes to its target with the button)
  // Channel screen: return 170 (tag 1), write 220 (2), refresh 270 (3).
  static std::shared_ptr<UINaviComView> initWithAction(Selector action);
  // Partner items: return 70 (1), info 120 (12), messages 170 (13), buy 220 (14), refresh 270 (3).
  static std::shared_ptr<UINaviComView> initWithThirdAction(Selector action);
  // Company list: return 120 (1), 170 (5), 220 (6), refresh 270 (3).
  static std::shared_ptr<UINaviComView> initWithComAction(Selector action);
  // Return 220 (1), refresh 270 (3).
  static std::shared_ptr<UINaviComView> initWithTopicAction(Selector action);
  static std::shared_ptr<UINaviComView> initWithVEZIAction(Selector action);
  // A 44-point bar at x 270 holding only the return button.
  static std::shared_ptr<UINaviComView> initWithOnlineAction(Selector action);
  // Two buttons without images at (10, 10) and (266, 10).
  static std::shared_ptr<UINaviComView> initWithLeftAction(Selector left, Selector right);
  // A bar with the title picture (tag 1051) 24 high, centred; none without a picture.
  static std::shared_ptr<UINaviComView> initWithTitle(const std::shared_ptr<UIImage>& image);
  // The item detail view's bar; false gives an empty bar.
  static std::shared_ptr<UINaviComView> initWithNaviBar(bool flag);
  // The topic header: the title between two topic marks in the reading font, a join button
  // and, with a detail text, a detail button under it; as high as the title needs plus 45.
  static std::shared_ptr<UINaviComView> initWithNaviBarTitle(
      const std::string& title, const std::optional<std::string>& detail);

  // After initWithAction: return 120, write 170, a report-a-tip button 220 (tag 4) sending the
  // action, refresh 270.
  void setBaoLiaoBtn(Selector action);
  // Nil pictures leave that button as it is.
  void setLeftImage(const std::shared_ptr<UIImage>& left, const std::shared_ptr<UIImage>& right);
  void setLeftSelectedImage(const std::shared_ptr<UIImage>& left,
                            const std::shared_ptr<UIImage>& right);
  void resetTitle(const std::shared_ptr<UIImage>& image);
  // A white bold label over the title picture.
  void setTitle(const std::string& text);
  // The "buttomBar" picture behind everything.
  void setBkView();
  void resetFavTitle(const Value&) {}

  // ---- handlers
  void toolbarAction(const Value& button);
  void popAction(const Value& button);
  void swipeAction(const Value& recognizer);
  void joinAction(const Value& sender);
  void showDetailAction(const Value& sender);
  // Opens (true) or closes the pop-up menu, animated.
  void modfiyPopView(bool open);
  void animationStop(const Value& animationID);

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

  // ---- state
  std::weak_ptr<UINaviComViewDelegate> naviDelegate() const { return naviDelegate_; }
  void setNaviDelegate(std::weak_ptr<UINaviComViewDelegate> d) { naviDelegate_ = std::move(d); }
  const std::shared_ptr<UIButton>& leftBtn() const { return leftBtn_; }
  const std::shared_ptr<UIButton>& rightBtn() const { return rightBtn_; }
  bool isInAnimal() const { return isInAnimal_; }
  bool isInPop() const { return isInPop_; }
  long popType() const { return popType_; }
  void setPopType(long type) { popType_ = type; }
  bool isThird() const { return isThird_; }
  void setIsThird(bool third) { isThird_ = third; }
  bool isBaoliao() const { return isBaoliao_; }
  void setIsBaoliao(bool baoliao) { isBaoliao_ = baoliao; }
  unsigned long direction() const { return direction_; }
  void setDirection(unsigned long direction) { direction_ = direction; }
  long tabCount = 0;
  long curIndex = 0;

 private:
  // A 44 × 44 button at (x, 0) with the tag and the normal / highlighted pictures.
  std::shared_ptr<UIButton> addButton(CGFloat x, long tag, const std::string& image,
                                      Selector action, std::shared_ptr<UIButton> button = nullptr);
  // A fresh 320 × 44 bar with the buttons (x, tag, picture) sending the action.
  struct ButtonSpec {
    CGFloat x;
    long tag;
    const char* image;
  };
  static std::shared_ptr<UINaviComView> barWithButtons(std::initializer_list<ButtonSpec> buttons,
                                                       const Selector& action);
  void buildDetailBar();
  void closeMenu();
  void beginMenuAnimation();
  // The bar's frame: `height` high with its bottom 20 points above the screen's.
  void setHeightAboveScreenBottom(CGFloat height);

  std::weak_ptr<UINaviComViewDelegate> naviDelegate_;
  std::shared_ptr<UIButton> leftBtn_, rightBtn_;
  bool isInAnimal_ = false;
  bool isInPop_ = false;
  long popType_ = 0;
  bool isThird_ = false;
  bool isBaoliao_ = false;
  bool isMove_ = false;
  unsigned long direction_ = 0;
};
