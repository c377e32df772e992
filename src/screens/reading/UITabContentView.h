// The 320 x 30 header above the comment and repost rows of the item detail view: the repost
// title "转发:%d" and the comment title "评论:%d" (or "  转发  " / "  评论  " with counts
// hidden), the selected one in red over its underline picture.  A tap on the other tab shows
// it at once and tells the delegate 0.1 s later; a tap on the shown tab does nothing.
//
// Subviews by tag: 1 underline, 2 repost title button, 3 comment title button, 4 separator;
// two transparent tap areas (tap recognisers tagged 2 and 3) widen the titles.  Main thread.
#pragma once

#include <memory>
#include <string>

#include "Foundation/Value.h"
#include "UIKit/UIView.h"

class UITabContentViewDelegate {
 public:
  virtual ~UITabContentViewDelegate() = default;
  // 1 = reposts, 0 = comments.
  virtual void curSelectTabIndex(int index) = 0;
};

class UITabContentView : public UIView {
  NS_CLASS(UITabContentView, UIView)
 public:
  static constexpr long kUnderlineTag = 1;
  static constexpr long kRepostTag = 2;
  static constexpr long kCommentTag = 3;
  static constexpr long kSeparatorTag = 4;

  // initWithFrame: the plain view on the settings' background colour.
  explicit UITabContentView(CGRect frame);
  // initWithRet:comment:del:isShowRet:isHideCount: the built header, reposts selected when
  // isShowRet.
  static std::shared_ptr<UITabContentView> initWithRet(
      int retCount, int commentCount, std::weak_ptr<UITabContentViewDelegate> delegate,
      bool isShowRet, bool isHideCount);

  // Shows the selection (1 reposts, anything else comments) without telling the delegate.
  void setTabStatue(int index);
  // The same, stored, when it differs from the shown one (the view moved to another item).
  void setDefaultTabStatue(int index);
  // Button and recogniser actions: the sender's tag 2 selects reposts, any other comments.
  void tapSelect(const Value& sender);
  void tapAction(const Value& sender);
  void setCurrentData();
  // A count of 0 or more replaces the shown one, a negative one keeps it.
  void refreshCount(int retCount, int commentCount);
  void setIsHideCount(bool hide);
  bool isHideCount() const { return isHideCount_; }
  // Re-titles and re-sizes the two title buttons and moves the separator.
  void refresh();

  int curSelectIndex() const { return curSelectIndex_; }
  int retCount() const { return retCount_; }
  int commentCount() const { return commentCount_; }
  std::weak_ptr<UITabContentViewDelegate> tabDelegate() const { return tabDelegate_; }
  void setTabDelegate(std::weak_ptr<UITabContentViewDelegate> d) { tabDelegate_ = std::move(d); }

  // The width of a title in the system font of the button font size, on one line.
  static CGFloat titleWidth(const std::string& title);

 private:
  void select(long senderTag);
  std::string repostTitle() const;
  std::string commentTitle() const;

  int curSelectIndex_ = 0;
  int retCount_ = 0;
  int commentCount_ = 0;
  std::weak_ptr<UITabContentViewDelegate> tabDelegate_;
  bool isHideCount_ = false;
};
