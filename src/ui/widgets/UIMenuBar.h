// The home screen's narrow column of command buttons with the launcher's page indicator at its
// top.  Built at a point, it is 30 points wide and reaches to 50 points above the screen's
// bottom.  Every button, and every touch that ends on the bar outside them, sends a tag to the
// delegate (not kept): 7 add a channel, 8 search, 6 write a post, 3 settings, 0 elsewhere on
// the bar.  Main thread only.
#pragma once

#include <memory>

#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"

class UIPageView;

class UIMenuBarDelegate {
 public:
  virtual ~UIMenuBarDelegate() = default;
  virtual void touchMenuItem(long tag) {}
};

class UIMenuBar : public UIView {
  NS_CLASS(UIMenuBar, UIView)
 public:
  static constexpr long kPageIndicatorTag = 70;
  static constexpr long kAddChannelTag = 7;
  static constexpr long kSearchChannelTag = 8;
  static constexpr long kWriteTag = 6;
  static constexpr long kSetupTag = 3;

  // initWithPoint:: the bar, its four buttons and its page indicator.
  static std::shared_ptr<UIMenuBar> initWithPoint(CGPoint point);
  // initWithFrame:: a bare bar.
  explicit UIMenuBar(CGRect frame = CGRectZero);
  ~UIMenuBar() override;

  std::weak_ptr<UIMenuBarDelegate> barDelegate() const { return barDelegate_; }
  void setBarDelegate(std::weak_ptr<UIMenuBarDelegate> delegate) {
    barDelegate_ = std::move(delegate);
  }
  // The page shown, from 1; 0 until the first changePage.
  long curPageNo() const { return curPageNo_; }
  // Shows the page (0 counts as 1): the page number, when shown, flips in, and the page
  // indicator moves to it.  The page already shown changes nothing.
  void changePage(long page);
  bool hidePageNo() const { return hidePageNo_; }
  // With YES the page number (label and picture) leaves the bar for good.
  void setHidePageNo(bool hide);

  // The optional page number, as a picture and as text; the bar makes neither itself.
  const std::shared_ptr<UIImageView>& pageView() const { return pageView_; }
  void setPageView(std::shared_ptr<UIImageView> view) { pageView_ = std::move(view); }
  const std::shared_ptr<UILabel>& pageLabel() const { return pageLabel_; }
  void setPageLabel(std::shared_ptr<UILabel> label) { pageLabel_ = std::move(label); }

  void btnAction(const Value& button);
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 private:
  void tell(long tag);

  std::weak_ptr<UIMenuBarDelegate> barDelegate_;
  std::shared_ptr<UIImageView> pageView_;
  std::shared_ptr<UILabel> pageLabel_;
  long curPageNo_ = 0;
  bool hidePageNo_ = false;
};
