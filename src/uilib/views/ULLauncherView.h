// The library's paged grid of launcher buttons, like a phone's home screen: items grouped in
// pages, each page one width of a horizontally paging scroll view, page dots ("launcherPageDot:")
// under the pages, and a long press (1.0 s on a button, while editable) that starts editing:
// the buttons wobble, one empty page is added to drop buttons onto, the pressed button follows
// the finger and takes the slot under it (pushing the buttons after it along, onto the next
// page when a page overflows), a button held at the left or right edge for 0.5 s turns the
// page, and the close buttons of deletable items remove them.  A still tap on the scroll view
// ends editing and drops every empty page.
//
// Geometry (W = the launcher's width, H its height): the scroll view is (0, 0, W, H − 25), the
// pager (0, H − 25, W, 20); a row is roundf(scroll height × 0.25) − 2 high; the launcher holds
// floor(H / row height) rows (at least one) of columnCount items a page; buttons are 110 wide
// whatever the column count, laid out from x 15 of each page, rows from y 3, one point of
// overlap between rows.
//
// What callers rely on:
// - Items: the launcher is each item's launcher while the item is in its pages; one item per URL
//   (addItem ignores a URL already present).  setPages copies the pages; buttons are made at the
//   next layout after the pages or the column count change.
// - The delegate (not kept alive) hears adds, removes, moves (each time a dragged button takes
//   another slot), selection (a tap on a button whose item has a URL), the end of a drag, the
//   start and end of editing, and the page shown after every page change.
// - The wobble turns the buttons ±1.5 degrees, alternating by their running number, every 0.07 s
//   while editing; the turn's direction toggle is one for the whole process.
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UIKit/UIScrollView.h"
#include "UIKit/UIView.h"
#include "uilib/views/ULLauncherButton.h"
#include "uilib/views/ULLauncherItem.h"
#include "uilib/views/ULPageControl.h"

class NSTimer;
class ULLauncherHighlightView;
class UILabel;
class UITouch;
class ULLauncherView;

using ULLauncherPages = std::vector<std::vector<ULLauncherItemPtr>>;

class ULLauncherViewDelegate {
 public:
  virtual ~ULLauncherViewDelegate() = default;
  virtual void launcherViewDidAddItem(ULLauncherView&, const ULLauncherItemPtr&) {}
  virtual void launcherViewDidRemoveItem(ULLauncherView&, const ULLauncherItemPtr&) {}
  virtual void launcherViewDidMoveItem(ULLauncherView&, const ULLauncherItemPtr&) {}
  virtual void launcherViewDidSelectItem(ULLauncherView&, const ULLauncherItemPtr&) {}
  virtual void launcherViewDidEndDragging(ULLauncherView&) {}
  virtual void launcherViewDidBeginEditing(ULLauncherView&) {}
  virtual void launcherViewDidEndEditing(ULLauncherView&) {}
  // The page shown after a page change.
  virtual void launcherViewUpdatePage(ULLauncherView&, long page) {}
};

class ULLauncherScrollViewDelegate {
 public:
  virtual ~ULLauncherScrollViewDelegate() = default;
  // A touch that ended where it began, in the scroll view's coordinates.
  virtual void touchUp(CGPoint point) {}
};

// The launcher's scroll view: a pan over a button scrolls the pages unless the launcher edits
// (content touches delayed), and a touch that ends without moving is reported as a tap.
class ULLauncherScrollView : public UIScrollView {
  NS_CLASS(ULLauncherScrollView, UIScrollView)
 public:
  using UIScrollView::UIScrollView;

  bool isMove() const { return isMove_; }
  void setLsDelegate(std::weak_ptr<ULLauncherScrollViewDelegate> d) { lsDelegate_ = std::move(d); }

  bool touchesShouldCancelInContentView(const std::shared_ptr<UIView>& view) override;
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

 private:
  bool isMove_ = false;
  std::weak_ptr<ULLauncherScrollViewDelegate> lsDelegate_;
};

class ULLauncherView : public UIView,
                       public UIScrollViewDelegate,
                       public ULLauncherScrollViewDelegate {
  NS_CLASS(ULLauncherView, UIView)
 public:
  // The tag of the prompt label on the extra page.
  static constexpr long kPromptTag = 997;

  ULLauncherView() : ULLauncherView(CGRectZero) {}
  explicit ULLauncherView(CGRect frame);
  ~ULLauncherView() override;

  std::weak_ptr<ULLauncherViewDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<ULLauncherViewDelegate> d) { delegate_ = std::move(d); }

  const ULLauncherPages& pages() const { return pages_; }
  void setPages(const ULLauncherPages& pages);
  long columnCount() const { return columnCount_; }
  void setColumnCount(long count);
  long rowCount();
  CGFloat rowHeight() const;
  const std::string& prompt() const { return prompt_; }
  void setPrompt(std::string prompt) { prompt_ = std::move(prompt); }
  bool editable() const { return editable_; }
  void setEditable(bool editable) { editable_ = editable; }
  bool editing() const { return editing_; }
  const std::shared_ptr<ULPageControl>& pager() const { return pager_; }
  const std::shared_ptr<ULLauncherScrollView>& scrollView() const { return scrollView_; }

  long currentPageIndex() const;
  void setCurrentPageIndex(long index);

  void addItem(const ULLauncherItemPtr& item, bool animated);
  void removeItem(const ULLauncherItemPtr& item, bool animated);
  ULLauncherItemPtr itemWithURL(const std::string& URL) const;
  // (page, index) of the item, or nothing.
  std::optional<std::pair<size_t, size_t>> indexPathOfItem(const ULLauncherItem& item) const;
  void scrollToItem(const ULLauncherItemPtr& item, bool animated);
  void scrollToPage(long page, bool animated);

  void beginEditing();
  void endEditing();
  // The spotlight on the item's button with the text beside it, over the launcher's window.
  void beginHighlightItem(const ULLauncherItemPtr& item, std::string text);
  // Fades the spotlight out (0.2 s) and drops it; the item is not consulted.
  void endHighlightItem(const ULLauncherItemPtr& item);
  const std::shared_ptr<ULLauncherHighlightView>& highlightView() const { return highlightView_; }
  // Turns the pages' scrolling on or off / whether they scroll.
  void scrollEnabled(bool enabled);
  bool scrollEnabled() const;
  // Swipes left and right send the action instead of paging.
  void setSwipeLeftAndRight(Selector action);
  // Hides the page dots (the argument is not consulted).
  void setPagerControlHide(bool hide);

  void recreateButtons();
  void layoutButtons();
  // The button that shows the item, or nullptr.
  ULLauncherButtonPtr buttonForItem(const ULLauncherItem& item) const;
  // The buttons, page by page (empty until they are made).
  const std::vector<std::vector<ULLauncherButtonPtr>>& buttons() const { return buttons_; }

  // The item's badge changed.
  void updateItemBadge(ULLauncherItem& item);

  void layoutSubviews() override;
  void setFrame(CGRect frame) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

  // UIScrollViewDelegate
  void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) override;
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>&) override;
  // ULLauncherScrollViewDelegate
  void touchUp(CGPoint point) override;

 private:
  std::shared_ptr<ULLauncherView> self();
  std::vector<ULLauncherItemPtr>* pageWithItem(const ULLauncherItem& item);
  std::vector<ULLauncherButtonPtr>* pageWithButton(const ULLauncherButton& button);
  std::vector<ULLauncherItemPtr>& pageWithFreeSpace();
  void updateContentSize(size_t pages);
  void updatePagerWithContentOffset(CGPoint offset);
  void showPrompt();
  ULLauncherButtonPtr addButtonWithItem(const ULLauncherItemPtr& item);
  void checkButtonOverflow(size_t page);
  void startDraggingButton(const ULLauncherButtonPtr& button,
                           const std::shared_ptr<UITouch>& touch);
  void springLoadTimer(const Value& timer);
  void wobble();
  void updateTouch();
  void cancelHoldTimer();
  void removeEmptyPages();

  void buttonTouchedUpInside(UIControl& sender);
  void buttonTouchedUpOutside(UIControl& sender);
  void buttonTouchedDown(UIControl& sender, UIEvent* event);
  void closeButtonTouchedUpInside(UIControl& sender);
  void pageChanged();

  std::shared_ptr<ULLauncherScrollView> scrollView_;
  std::shared_ptr<ULPageControl> pager_;
  ULLauncherPages pages_;
  std::shared_ptr<NSTimer> editHoldTimer_;
  std::shared_ptr<NSTimer> springLoadTimer_;
  std::vector<std::vector<ULLauncherButtonPtr>> buttons_;
  bool buttonsBuilt_ = false;
  bool editing_ = false;
  std::weak_ptr<ULLauncherViewDelegate> delegate_;
  std::string prompt_;
  ULLauncherButtonPtr dragButton_;
  long positionOrigin_ = 0;
  CGPoint touchOrigin_;
  CGPoint dragOrigin_;
  std::shared_ptr<UITouch> dragTouch_;
  bool springing_ = false;
  long columnCount_ = 3;
  long rowCount_ = 0;
  bool editable_ = true;
  bool configured_ = false;
  bool wobbling_ = false;
  std::shared_ptr<ULLauncherHighlightView> highlightView_;
};

using ULLauncherViewPtr = std::shared_ptr<ULLauncherView>;
