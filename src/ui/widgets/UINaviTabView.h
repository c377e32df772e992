// The bar of the channel and seminar screens.  initWithArray is the channel tab bar: a return
// button, up to four text tabs (tags 1 to 4) between separators, and a refresh or
// channel-setting button (the flash button) on a 320 × 44 tab layer; behind the layer, a sort
// button and a second return button that show only while the layer is slid away.
// initWithToolBar is the seminar screen's icon bar: one icon and caption per item, selected by
// a tap.  The delegate hears the tags (tabs and buttons) or the item index (icon bar).
//
// The first-use hint of the sort button is counted in the configuration store under
// "PopTypeFirstSort".
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIView.h"

class UIYBButton;

class UINaviTabViewDelegate {
 public:
  virtual ~UINaviTabViewDelegate() = default;
  virtual void naviTabSelect(long /*index*/) {}
};

class UINaviTabView : public UIView {
  NS_CLASS(UINaviTabView, UIView)
 public:
  static constexpr long kReturnTag = 5;
  static constexpr long kFlashTag = 6;
  static constexpr long kSubscriptionTag = 7;
  static constexpr long kSortTag = 10;
  static constexpr long kHiddenReturnTag = 11;
  static constexpr double kSlideDuration = 0.85;

  explicit UINaviTabView(CGRect frame);

  // The channel tab bar; each tab 232 / n points wide (whole points) from x 44.  No titles
  // give no tabs.
  static std::shared_ptr<UINaviTabView> initWithArray(const std::vector<std::string>& titles);
  // The seminar icon bar: items 320 / n wide, the first selected.
  static std::shared_ptr<UINaviTabView> initWithToolBar(const std::vector<std::string>& icons,
                                                        const std::vector<std::string>& titles);
  // Back, join and refresh with captions under them.
  static std::shared_ptr<UINaviTabView> initWithTopicDetail();

  // Tabs 1 to 4 only: the old tab plain, the new one highlighted with a red title.
  void setSelectState(long index);
  void btnAction(const Value& button);
  void returnAction(const Value& button);
  // The flash button becomes the channel-setting button (tag 7) with the picture.
  void setSubscriptionButton(const std::string& imageName);
  void changeTheme();

  // Slides the tab layer away (true) to show the sort button, or back (false).
  void animationTapBarHidden(bool hidden);
  void animationStop(const Value& animationID);
  void sortAction(const Value& sender);

  // The icon bar's tap and selection (items from 1).
  void toolBarAction(const Value& recognizer);
  void setToolBarCurSelect(long index);

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

  const std::shared_ptr<UIView>& tabView() const { return tabView_; }
  void setTabView(std::shared_ptr<UIView> view) { tabView_ = std::move(view); }
  const std::shared_ptr<UIButton>& flash() const { return flash_; }
  long curSelectIndex() const { return curSelectIndex_; }
  std::weak_ptr<UINaviTabViewDelegate> tapDelegate() const { return tapDelegate_; }
  void setTapDelegate(std::weak_ptr<UINaviTabViewDelegate> d) { tapDelegate_ = std::move(d); }
  bool isInAnimation() const { return isInAnimation_; }

 private:
  static std::shared_ptr<UINaviTabView> makeBar();
  std::shared_ptr<UIButton> tab(long index) const;
  std::shared_ptr<UIYBButton> sortButton() const;
  void slideTabView(CGFloat from, CGFloat to, const char* name, std::function<void()> ended);
  void tell(long index);

  std::shared_ptr<UIView> tabView_;
  std::shared_ptr<UIButton> flash_;
  long curSelectIndex_ = 0;
  std::weak_ptr<UINaviTabViewDelegate> tapDelegate_;
  bool isInAnimation_ = false;
  bool isMove_ = false;
};
