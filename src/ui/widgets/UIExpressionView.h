// The emoticon keyboard of the composers: pages of emoticon buttons in a paging strip, page
// dots under them and a delete key.  Touching an emoticon sends its bracketed name ("[哈哈]")
// to the keyboard's delegate as selectText; the delete key sends delectEmoji.
//
// Two layouts: initWithPointY (status and feedback composer) has 3 rows of 8 on 4 pages,
// initWithFrame (comment, repost and reply composer) 4 rows of 8 on 3 pages; only the y of the
// frame given is used.  The pictures are the bundle's "face<n>.gif", n = the table position + 1.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UIKit/UIScrollView.h"
#include "UIKit/UIView.h"

class UIButton;
class UIPageControl;

class EmojiSelectDelegate {
 public:
  virtual ~EmojiSelectDelegate() = default;
  virtual void selectCur(long /*number*/) {}
  virtual void selectText(const std::string& /*text*/) {}
  // Sent only by a delegate that answers true for "delectEmoji".
  virtual void delectEmoji() {}
  virtual bool respondsToSelector(std::string_view /*selector*/) const { return false; }
};

// One page: grid lines and a button for each picture number from start to end.
class UIEmojiView : public UIView {
  NS_CLASS(UIEmojiView, UIView)
 public:
  explicit UIEmojiView(CGRect frame = CGRectZero);
  // A 3-row page (grid 155 high).
  static std::shared_ptr<UIEmojiView> initWithFrameWithThree(
      CGRect frame, long start, long end, std::weak_ptr<EmojiSelectDelegate> delegate);
  // A 4-row page (grid 180 high).
  static std::shared_ptr<UIEmojiView> initWithFrame(CGRect frame, long start, long end,
                                                    std::weak_ptr<EmojiSelectDelegate> delegate);

  long start() const { return start_; }
  long end() const { return end_; }
  std::weak_ptr<EmojiSelectDelegate> emojiDelegate() const { return emojiDelegate_; }
  void setEmojiDelegate(std::weak_ptr<EmojiSelectDelegate> d) { emojiDelegate_ = std::move(d); }
  void btnSelect(const Value& sender);

 private:
  static std::shared_ptr<UIEmojiView> make(CGRect frame, long start, long end,
                                           std::weak_ptr<EmojiSelectDelegate> delegate,
                                           CGFloat gridHeight);
  void addGrid(CGFloat gridHeight);
  void addButtons();

  std::weak_ptr<EmojiSelectDelegate> emojiDelegate_;
  long start_ = 0;
  long end_ = -1;
};

class UIExpressionView : public UIView, public UIScrollViewDelegate, public EmojiSelectDelegate {
  NS_CLASS(UIExpressionView, UIView)
 public:
  explicit UIExpressionView(CGRect frame = CGRectZero);

  // The shared emoticon table, as a new array.
  static std::vector<std::string> getZizaEmojiArray();
  // The name at position i; nothing outside the table.
  static std::optional<std::string> getEmojiString(long i);
  // Whether the name is one of the first `top` names (top clamped to 0 .. the table's count).
  static bool isInBiaoQingList(std::string_view name, long top);

  static std::shared_ptr<UIExpressionView> initWithPointY(long y);
  static std::shared_ptr<UIExpressionView> initWithFrame(CGRect frame);

  std::weak_ptr<EmojiSelectDelegate> emojiDelegate() const { return emojiDelegate_; }
  void setEmojiDelegate(std::weak_ptr<EmojiSelectDelegate> d) { emojiDelegate_ = std::move(d); }
  const std::shared_ptr<UIScrollView>& scroll() const { return scroll_; }
  const std::shared_ptr<UIPageControl>& pageCtrl() const { return pageCtrl_; }
  const std::shared_ptr<UIEmojiView>& leftView() const { return leftView_; }
  const std::shared_ptr<UIEmojiView>& centerView() const { return centerView_; }
  const std::shared_ptr<UIEmojiView>& rightView() const { return rightView_; }

  void selectCur(long number) override;
  void valueChange(const Value& sender);
  void delAction(const Value& sender);
  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) override;

 private:
  struct Layout {
    CGFloat height;
    long pages;
    CGFloat pageControlY, deleteY;
    long perPage;
    bool threeRows;
  };
  static std::shared_ptr<UIExpressionView> make(long y, const Layout& layout);

  std::shared_ptr<UIScrollView> scroll_;
  std::weak_ptr<EmojiSelectDelegate> emojiDelegate_;
  std::shared_ptr<UIPageControl> pageCtrl_;
  std::shared_ptr<UIEmojiView> leftView_, centerView_, rightView_;
};
