#include "uilib/views/ULLauncherView.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIEvent.h"
#include "UIKit/UIFont.h"
#include "UIKit/UILabel.h"
#include "UIKit/UISwipeGestureRecognizer.h"
#include "UIKit/UITouch.h"
#include "uilib/views/ULLauncherHighlightView.h"

namespace {

constexpr CGFloat kPagerHeight = 20;
constexpr CGFloat kPagerMargin = 5;
constexpr CGFloat kButtonWidth = 110;
constexpr CGFloat kPageInset = 15;
constexpr CGFloat kFirstRowTop = 3;
constexpr double kHoldTime = 1.0;
constexpr double kWobbleTime = 0.07;
constexpr double kSpringLoadTime = 0.5;
constexpr double kSpringTurnTime = 0.3;
constexpr double kDeselectDelay = 0.3;
constexpr double kFastTransition = 0.2;
constexpr double kTransition = 0.3;
constexpr CGFloat kSpringLoadFraction = 0.18;
constexpr CGFloat kWobbleRadians = 1.5 * M_PI / 180.0;

// Which way the next wobble step turns the even buttons: one toggle for every launcher.
bool wobblesLeft = false;

}  // namespace

// ---- ULLauncherScrollView

bool ULLauncherScrollView::touchesShouldCancelInContentView(const std::shared_ptr<UIView>&) {
  return !delaysContentTouches();
}

void ULLauncherScrollView::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  isMove_ = false;
  UIScrollView::touchesBegan(touches, event);
}

void ULLauncherScrollView::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  isMove_ = true;
  UIScrollView::touchesMoved(touches, event);
}

void ULLauncherScrollView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  if (!isMove_) {
    auto touch = touches.anyObject();
    if (auto d = lsDelegate_.lock(); d && touch) d->touchUp(touch->locationInView(this));
  }
  UIScrollView::touchesEnded(touches, event);
}

// ---- ULLauncherView

ULLauncherView::ULLauncherView(CGRect frame) : UIView(frame) {
  CGSize size = frame.size;
  scrollView_ = std::make_shared<ULLauncherScrollView>(
      CGRectMake(0, 0, size.width, size.height - kPagerHeight - kPagerMargin));
  scrollView_->setScrollsToTop(false);
  scrollView_->setShowsVerticalScrollIndicator(false);
  scrollView_->setShowsHorizontalScrollIndicator(false);
  scrollView_->setAlwaysBounceHorizontal(true);
  scrollView_->setPagingEnabled(true);
  scrollView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth |
                                   UIViewAutoresizingFlexibleHeight);
  scrollView_->setDelaysContentTouches(false);
  scrollView_->setMultipleTouchEnabled(false);
  addSubview(scrollView_);

  pager_ = std::make_shared<ULPageControl>();
  pager_->setDotStyle("launcherPageDot:");
  pager_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin |
                              UIViewAutoresizingFlexibleRightMargin |
                              UIViewAutoresizingFlexibleBottomMargin);
  addSubview(pager_);
}

ULLauncherView::~ULLauncherView() {
  for (auto& page : pages_)
    for (auto& item : page) item->setLauncher({});
  scrollView_->setDelegate({});
  scrollView_->setLsDelegate({});
  if (editHoldTimer_) editHoldTimer_->invalidate();
  if (springLoadTimer_) springLoadTimer_->invalidate();
}

std::shared_ptr<ULLauncherView> ULLauncherView::self() {
  auto me = std::static_pointer_cast<ULLauncherView>(shared_from_this());
  if (!configured_) {
    // The scroll view and the pager reach the launcher without keeping it alive, which needs
    // the launcher to be owned first.
    configured_ = true;
    scrollView_->setDelegate(std::static_pointer_cast<UIScrollViewDelegate>(me));
    scrollView_->setLsDelegate(std::static_pointer_cast<ULLauncherScrollViewDelegate>(me));
    std::weak_ptr<ULLauncherView> weak = me;
    pager_->addTarget(selector(weak, &ULLauncherView::pageChanged, "pageChanged"),
                      UIControlEventValueChanged);
    for (auto& page : pages_)
      for (auto& item : page) item->setLauncher(weak);
  }
  return me;
}

void ULLauncherView::layoutSubviews() {
  self();
  UIView::layoutSubviews();
  pager_->setFrame(
      CGRectMake(0, scrollView_->frame().size.height, bounds().size.width, kPagerHeight));
  if (!buttonsBuilt_) recreateButtons();
}

void ULLauncherView::setFrame(CGRect frame) {
  UIView::setFrame(frame);
  layoutButtons();
}

// ---- model

void ULLauncherView::setPages(const ULLauncherPages& pages) {
  for (auto& page : pages_)
    for (auto& item : page) item->setLauncher({});
  pages_ = pages;
  std::weak_ptr<ULLauncherView> weak;
  if (configured_) weak = self();
  for (auto& page : pages_)
    for (auto& item : page) item->setLauncher(weak);
  for (auto& page : buttons_)
    for (auto& button : page) button->removeFromSuperview();
  buttons_.clear();
  buttonsBuilt_ = false;
  setNeedsLayout();
}

void ULLauncherView::setColumnCount(long count) {
  if (columnCount_ == count) return;
  columnCount_ = count;
  rowCount_ = 0;
  for (auto& page : buttons_)
    for (auto& button : page) button->removeFromSuperview();
  buttons_.clear();
  buttonsBuilt_ = false;
  setNeedsLayout();
}

CGFloat ULLauncherView::rowHeight() const {
  return std::round(scrollView_->frame().size.height * 0.25f) - 2;
}

long ULLauncherView::rowCount() {
  if (rowCount_ == 0) {
    CGFloat h = rowHeight();
    // A launcher too short for one row still counts one, so that a page holds something.
    rowCount_ = h > 0 ? std::max<long>(1, long(std::floor(bounds().size.height / h))) : 1;
  }
  return rowCount_;
}

long ULLauncherView::currentPageIndex() const {
  CGFloat width = scrollView_->frame().size.width;
  if (width <= 0) return 0;
  return long(std::floor(scrollView_->contentOffset().x / width));
}

void ULLauncherView::setCurrentPageIndex(long index) {
  scrollView_->setContentOffset(CGPointMake(scrollView_->frame().size.width * index, 0));
}

std::vector<ULLauncherItemPtr>* ULLauncherView::pageWithItem(const ULLauncherItem& item) {
  for (auto& page : pages_)
    for (auto& i : page)
      if (i.get() == &item) return &page;
  return nullptr;
}

std::vector<ULLauncherButtonPtr>* ULLauncherView::pageWithButton(const ULLauncherButton& button) {
  for (auto& page : buttons_)
    for (auto& b : page)
      if (b.get() == &button) return &page;
  return nullptr;
}

std::vector<ULLauncherItemPtr>& ULLauncherView::pageWithFreeSpace() {
  size_t capacity = size_t(columnCount_ * rowCount());
  for (size_t p = size_t(std::max<long>(0, currentPageIndex())); p < pages_.size(); ++p)
    if (pages_[p].size() < capacity) return pages_[p];
  pages_.emplace_back();
  return pages_.back();
}

ULLauncherItemPtr ULLauncherView::itemWithURL(const std::string& URL) const {
  for (auto& page : pages_)
    for (auto& item : page)
      if (item->URL() == URL) return item;
  return nullptr;
}

std::optional<std::pair<size_t, size_t>> ULLauncherView::indexPathOfItem(
    const ULLauncherItem& item) const {
  for (size_t p = 0; p < pages_.size(); ++p)
    for (size_t i = 0; i < pages_[p].size(); ++i)
      if (pages_[p][i].get() == &item) return std::make_pair(p, i);
  return std::nullopt;
}

ULLauncherButtonPtr ULLauncherView::buttonForItem(const ULLauncherItem& item) const {
  auto path = indexPathOfItem(item);
  if (!path || path->first >= buttons_.size() || path->second >= buttons_[path->first].size())
    return nullptr;
  return buttons_[path->first][path->second];
}

void ULLauncherView::updateItemBadge(ULLauncherItem& item) {
  if (auto button = buttonForItem(item)) button->updateBadge();
}

void ULLauncherView::scrollToItem(const ULLauncherItemPtr& item, bool animated) {
  if (!item) return;
  if (auto path = indexPathOfItem(*item))
    scrollView_->setContentOffset(
        CGPointMake(CGFloat(path->first) * scrollView_->frame().size.width, 0), animated);
}

void ULLauncherView::scrollToPage(long page, bool animated) {
  scrollView_->setContentOffset(CGPointMake(CGFloat(page) * scrollView_->frame().size.width, 0),
                                animated);
  pager_->setCurrentPage(page);
}

void ULLauncherView::addItem(const ULLauncherItemPtr& item, bool animated) {
  if (!item || itemWithURL(item->URL())) return;
  auto me = self();
  item->setLauncher(me);
  if (!pages_.empty()) {
    pageWithFreeSpace().push_back(item);
  } else {
    pages_.push_back({item});
  }
  if (auto d = delegate_.lock()) d->launcherViewDidAddItem(*this, item);
  if (buttonsBuilt_) recreateButtons();
  scrollToItem(item, animated);
}

void ULLauncherView::removeItem(const ULLauncherItemPtr& item, bool animated) {
  if (!item) return;
  auto* itemPage = pageWithItem(*item);
  if (!itemPage) return;
  auto button = buttonForItem(*item);
  if (auto d = delegate_.lock()) d->launcherViewDidRemoveItem(*this, item);
  item->setLauncher({});
  itemPage->erase(std::find(itemPage->begin(), itemPage->end(), item));
  if (!button) return;
  auto* buttonPage = pageWithButton(*button);
  if (!buttonPage) return;
  buttonPage->erase(std::find(buttonPage->begin(), buttonPage->end(), button));
  if (animated) {
    auto me = self();
    UIView::animateWithDuration(
        kFastTransition,
        [&] {
          layoutButtons();
          button->setTransform(CGAffineTransformMakeScale(0.01, 0.01));
          button->setAlpha(0);
        },
        [button](bool) { button->removeFromSuperview(); });
  } else {
    button->removeFromSuperview();
    layoutButtons();
  }
}

// ---- buttons and layout

ULLauncherButtonPtr ULLauncherView::addButtonWithItem(const ULLauncherItemPtr& item) {
  auto button = ULLauncherButton::initWithItem(item);
  std::weak_ptr<ULLauncherView> weak = self();
  button->addTarget(UIControlAction{"buttonTouchedUpInside:", weak,
                                    [weak](UIControl& sender, UIEvent*) {
                                      if (auto me = weak.lock()) me->buttonTouchedUpInside(sender);
                                    }},
                    UIControlEventTouchUpInside);
  button->addTarget(UIControlAction{"buttonTouchedUpOutside:", weak,
                                    [weak](UIControl& sender, UIEvent*) {
                                      if (auto me = weak.lock()) me->buttonTouchedUpOutside(sender);
                                    }},
                    UIControlEventTouchUpOutside);
  button->addTarget(UIControlAction{"buttonTouchedDown:withEvent:", weak,
                                    [weak](UIControl& sender, UIEvent* event) {
                                      if (auto me = weak.lock())
                                        me->buttonTouchedDown(sender, event);
                                    }},
                    UIControlEventTouchDown);
  scrollView_->addSubview(button);
  return button;
}

void ULLauncherView::recreateButtons() {
  self();
  buttonsBuilt_ = true;  // before the layout pass below, which would build them again
  layoutIfNeeded();
  auto subviews = scrollView_->subviews();
  for (auto& view : subviews) view->removeFromSuperview();
  buttons_.clear();
  for (auto& page : pages_) {
    std::vector<ULLauncherButtonPtr> buttonPage;
    for (auto& item : page) buttonPage.push_back(addButtonWithItem(item));
    buttons_.push_back(std::move(buttonPage));
  }
  layoutButtons();
}

void ULLauncherView::layoutButtons() {
  layoutIfNeeded();
  CGFloat h = rowHeight();
  CGFloat pageWidth = scrollView_->frame().size.width;
  CGFloat x = kPageInset;
  CGFloat edge = 0;
  for (auto& buttonPage : buttons_) {
    if (buttonPage.empty()) {
      edge += pageWidth;
      x = edge + kPageInset;
      continue;
    }
    CGFloat left = edge + kPageInset;
    edge += pageWidth;
    CGFloat y = kFirstRowTop;
    for (auto& button : buttonPage) {
      CGRect frame = CGRectMake(x, y, kButtonWidth, h);
      if (!button->dragging()) {
        button->setTransform(CGAffineTransformIdentity);
        button->setFrame(button == dragButton_ ? scrollView_->convertRectToView(frame, this)
                                               : frame);
      }
      x += kButtonWidth;
      if (x + kButtonWidth >= edge) {
        y += h - 1;
        x = left;
      }
    }
    x = edge + kPageInset;
  }
  size_t pageCount = pages_.size();
  if (pageCount == 1 && !prompt_.empty()) {
    showPrompt();
    pageCount = 2;
  }
  updateContentSize(pageCount);
}

void ULLauncherView::showPrompt() {
  if (scrollView_->viewWithTag(kPromptTag)) return;
  CGFloat width = scrollView_->frame().size.width;
  CGRect frame = CGRectInset(CGRectMake(width, 0, width, scrollView_->frame().size.height), 40, 40);
  auto label = std::make_shared<UILabel>(frame);
  label->setTag(kPromptTag);
  label->setText(prompt_);
  label->setFont(UIFont::boldSystemFontOfSize(17));
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextColor(UIColor::colorWithRed(81 / 255.0, 95 / 255.0, 122 / 255.0, 1));
  label->setShadowColor(UIColor::colorWithWhite(1, 0.6));
  label->setShadowOffset(CGSizeMake(0, 1));
  label->setTextAlignment(UITextAlignmentCenter);
  label->setNumberOfLines(0);
  scrollView_->addSubview(label);
}

void ULLauncherView::updateContentSize(size_t pages) {
  CGSize size = CGSizeMake(scrollView_->frame().size.width * CGFloat(pages),
                           scrollView_->frame().size.height);
  if (!CGSizeEqualToSize(scrollView_->contentSize(), size)) scrollView_->setContentSize(size);
  if (pager_->numberOfPages() != long(pages)) pager_->setNumberOfPages(long(pages));
}

void ULLauncherView::checkButtonOverflow(size_t page) {
  size_t capacity = size_t(columnCount_ * rowCount());
  while (page < buttons_.size() && buttons_[page].size() > capacity) {
    if (page + 1 == buttons_.size()) {
      buttons_.emplace_back();
      pages_.emplace_back();
    }
    while (buttons_[page].size() > capacity) {
      auto button = buttons_[page].back();
      buttons_[page].pop_back();
      buttons_[page + 1].insert(buttons_[page + 1].begin(), button);
      if (!pages_[page].empty()) {
        auto item = pages_[page].back();
        pages_[page].pop_back();
        pages_[page + 1].insert(pages_[page + 1].begin(), item);
      }
    }
    ++page;
  }
}

void ULLauncherView::updatePagerWithContentOffset(CGPoint offset) {
  CGFloat width = scrollView_->frame().size.width;
  if (width <= 0) return;
  pager_->setCurrentPage(long(std::floor((offset.x - width * 0.5) / width)) + 1);
  if (auto d = delegate_.lock()) d->launcherViewUpdatePage(*this, pager_->currentPage());
}

void ULLauncherView::pageChanged() {
  scrollView_->setContentOffset(
      CGPointMake(scrollView_->frame().size.width * CGFloat(pager_->currentPage()), 0));
}

void ULLauncherView::scrollEnabled(bool enabled) {
  scrollView_->setScrollEnabled(enabled);
}

bool ULLauncherView::scrollEnabled() const {
  return scrollView_->isScrollEnabled();
}

void ULLauncherView::setSwipeLeftAndRight(Selector action) {
  scrollView_->setPagingEnabled(false);
  scrollView_->setScrollEnabled(false);
  auto right = std::make_shared<UISwipeGestureRecognizer>(action);
  addGestureRecognizer(right);
  auto left = std::make_shared<UISwipeGestureRecognizer>(action);
  left->setDirection(UISwipeGestureRecognizerDirectionLeft);
  addGestureRecognizer(left);
}

void ULLauncherView::setPagerControlHide(bool) {
  pager_->setHidden(true);
}

// ---- editing

void ULLauncherView::beginEditing() {
  auto me = self();
  editing_ = true;
  scrollView_->setDelaysContentTouches(true);
  if (auto prompt = scrollView_->viewWithTag(kPromptTag)) prompt->removeFromSuperview();
  std::weak_ptr<ULLauncherView> weak = me;
  for (auto& page : buttons_) {
    for (auto& button : page) {
      button->setEditing(true);
      if (auto close = button->closeButton()) {
        close->addTarget(UIControlAction{"closeButtonTouchedUpInside:", weak,
                                         [weak](UIControl& sender, UIEvent*) {
                                           if (auto l = weak.lock())
                                             l->closeButtonTouchedUpInside(sender);
                                         }},
                         UIControlEventTouchUpInside);
      }
    }
  }
  pages_.emplace_back();
  buttons_.emplace_back();
  updateContentSize(pages_.size());
  if (!wobbling_) wobble();
  if (auto d = delegate_.lock()) d->launcherViewDidBeginEditing(*this);
}

void ULLauncherView::removeEmptyPages() {
  for (size_t p = pages_.size(); p-- > 0;) {
    bool itemsEmpty = pages_[p].empty();
    bool buttonsEmpty = p >= buttons_.size() || buttons_[p].empty();
    if (itemsEmpty && buttonsEmpty) {
      pages_.erase(pages_.begin() + long(p));
      if (p < buttons_.size()) buttons_.erase(buttons_.begin() + long(p));
    }
  }
}

void ULLauncherView::endEditing() {
  editing_ = false;
  scrollView_->setDelaysContentTouches(false);
  auto buttons = buttons_;
  UIView::animateWithDuration(
      kTransition,
      [&] {
        for (auto& page : buttons) {
          for (auto& button : page) {
            button->setTransform(CGAffineTransformIdentity);
            if (auto close = button->closeButton()) close->setAlpha(0);
          }
        }
      },
      [buttons](bool) {
        for (auto& page : buttons)
          for (auto& button : page) button->setEditing(false);
      });
  removeEmptyPages();
  layoutButtons();
  if (auto d = delegate_.lock()) d->launcherViewDidEndEditing(*this);
}

void ULLauncherView::touchUp(CGPoint) {
  if (editing_) endEditing();
}

void ULLauncherView::wobble() {
  if (!editing_) {
    wobbling_ = false;
    return;
  }
  wobbling_ = true;
  std::weak_ptr<ULLauncherView> weak = self();
  CGAffineTransform left = CGAffineTransformMakeRotation(kWobbleRadians);
  CGAffineTransform right = CGAffineTransformMakeRotation(-kWobbleRadians);
  long wobbly = 0;
  // Without a button to turn, the step is an empty animation: the next one still comes 0.07 s
  // later.
  UIView::animateWithDuration(
      kWobbleTime,
      [&] {
        long i = 0;
        for (auto& page : buttons_) {
          for (auto& button : page) {
            if (button != dragButton_) {
              ++wobbly;
              if (i % 2)
                button->setTransform(wobblesLeft ? right : left);
              else
                button->setTransform(wobblesLeft ? left : right);
            }
            ++i;
          }
        }
      },
      [weak](bool) {
        if (auto me = weak.lock()) me->wobble();
      });
  if (wobbly >= 1) wobblesLeft = !wobblesLeft;
}

// ---- the spotlight

void ULLauncherView::beginHighlightItem(const ULLauncherItemPtr& item, std::string text) {
  auto me = self();
  auto button = item ? buttonForItem(*item) : nullptr;
  auto win = window();
  if (!win) return;
  if (!highlightView_) {
    highlightView_ = std::make_shared<ULLauncherHighlightView>(CGRectZero);
    highlightView_->setParentView(me);
    win->addSubview(highlightView_);
  }
  highlightView_->setText(std::move(text));
  CGRect rect =
      button ? button->superview()->convertRectToView(button->frame(), nullptr) : CGRectZero;
  highlightView_->setHighlightRect(
      CGRectMake(rect.origin.x + 2, rect.origin.y + 8, rect.size.width - 4, rect.size.height - 4));
  highlightView_->setNeedsDisplay();
  highlightView_->appear(true);
}

void ULLauncherView::endHighlightItem(const ULLauncherItemPtr&) {
  auto view = highlightView_;
  if (!view) return;
  std::weak_ptr<ULLauncherView> weak = self();
  UIView::animateWithDuration(
      kFastTransition, [view] { view->setAlpha(0); },
      [weak, view](bool) {
        view->removeFromSuperview();
        view->setParentView(nullptr);
        if (auto me = weak.lock(); me && me->highlightView_ == view) me->highlightView_.reset();
      });
}

// ---- touches and dragging

void ULLauncherView::cancelHoldTimer() {
  if (editHoldTimer_) editHoldTimer_->invalidate();
  editHoldTimer_.reset();
}

void ULLauncherView::buttonTouchedDown(UIControl& sender, UIEvent* event) {
  if (!editable_) return;
  auto button = std::dynamic_pointer_cast<ULLauncherButton>(sender.shared_from_this());
  if (!button) return;
  std::shared_ptr<UITouch> touch = event ? event->allTouches().anyObject() : nullptr;
  if (!editing_) {
    cancelHoldTimer();
    std::weak_ptr<ULLauncherView> weak = self();
    std::weak_ptr<ULLauncherButton> weakButton = button;
    editHoldTimer_ = NSTimer::scheduledTimerWithTimeInterval(
        kHoldTime, false, [weak, weakButton, touch](const std::shared_ptr<NSTimer>&) {
          auto me = weak.lock();
          auto held = weakButton.lock();
          if (!me) return;
          me->editHoldTimer_.reset();
          me->beginEditing();
          if (!held) return;
          held->setSelected(false);
          held->setHighlighted(false);
          me->startDraggingButton(held, touch);
        });
  } else if (!dragButton_) {
    startDraggingButton(button, touch);
  }
}

void ULLauncherView::buttonTouchedUpInside(UIControl& sender) {
  auto button = std::dynamic_pointer_cast<ULLauncherButton>(sender.shared_from_this());
  if (!button) return;
  if (editing_) {
    if (button == dragButton_) startDraggingButton(nullptr, nullptr);
    return;
  }
  cancelHoldTimer();
  button->setSelected(true);
  std::weak_ptr<ULLauncherButton> weakButton = button;
  performAfterDelay(
      [weakButton] {
        if (auto b = weakButton.lock()) b->setSelected(false);
      },
      kDeselectDelay);
  auto item = button->item();
  if (item && !item->URL().empty()) {
    if (auto d = delegate_.lock()) d->launcherViewDidSelectItem(*this, item);
  }
}

void ULLauncherView::buttonTouchedUpOutside(UIControl& sender) {
  if (editing_) {
    if (dragButton_ && &sender == dragButton_.get()) startDraggingButton(nullptr, nullptr);
  } else {
    cancelHoldTimer();
  }
}

void ULLauncherView::closeButtonTouchedUpInside(UIControl& sender) {
  for (auto& page : buttons_) {
    for (auto& button : page) {
      if (button->closeButton().get() == &sender) {
        auto item = button->item();
        removeItem(item, true);
        return;
      }
    }
  }
}

void ULLauncherView::startDraggingButton(const ULLauncherButtonPtr& button,
                                         const std::shared_ptr<UITouch>& touch) {
  if (springLoadTimer_) springLoadTimer_->invalidate();
  springLoadTimer_.reset();
  auto me = self();
  if (button) {
    button->setTransform(CGAffineTransformIdentity);
    CGRect frame = scrollView_->convertRectToView(button->frame(), this);
    addSubview(button);
    button->setFrame(frame);
    button->layoutIfNeeded();
  }
  auto dropped = dragButton_;
  UIView::animateWithDuration(
      kFastTransition,
      [&] {
        if (dragButton_) {
          dragButton_->setSelected(false);
          dragButton_->setHighlighted(false);
          dragButton_->setDragging(false);
          layoutButtons();
        }
        if (button) {
          dragButton_ = button;
          auto path = indexPathOfItem(*button->item());
          positionOrigin_ = path ? long(path->second) : 0;
          touchOrigin_ = touch ? touch->locationInView(scrollView_.get()) : button->center();
          dragOrigin_ = button->center();
          dragTouch_ = touch;
          button->setDragging(true);
          scrollView_->setScrollEnabled(false);
        } else {
          scrollView_->setScrollEnabled(true);
        }
      },
      [weak = std::weak_ptr<ULLauncherView>(me), dropped = button ? nullptr : dropped](bool) {
        auto me = weak.lock();
        if (!me || !dropped) return;
        // A drag that started meanwhile keeps its own button.
        if (me->dragButton_ == dropped) me->dragButton_.reset();
        if (dropped->dragging()) return;
        CGRect frame = me->convertRectToView(dropped->frame(), me->scrollView_.get());
        me->scrollView_->addSubview(dropped);
        dropped->setFrame(frame);
      });
}

void ULLauncherView::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesMoved(touches, event);
  if (dragButton_ && !springing_ && dragTouch_ && touches.containsObject(dragTouch_)) updateTouch();
}

void ULLauncherView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesEnded(touches, event);
  if (dragTouch_ && touches.containsObject(dragTouch_)) {
    if (auto d = delegate_.lock()) d->launcherViewDidEndDragging(*this);
    dragTouch_.reset();
  }
}

void ULLauncherView::updateTouch() {
  CGPoint location = dragTouch_->locationInView(scrollView_.get());
  dragButton_->setCenter(CGPointMake(dragOrigin_.x + (location.x - touchOrigin_.x),
                                     dragOrigin_.y + (location.y - touchOrigin_.y)));
  CGRect dragFrame = dragButton_->frame();
  CGFloat offsetX = scrollView_->contentOffset().x;
  long column = lroundf(float((location.x - offsetX) / dragFrame.size.width));
  long row = lroundf(float(location.y / dragFrame.size.height));
  long position = std::max<long>(0, column + row * columnCount_);
  CGFloat width = scrollView_->frame().size.width;
  size_t page = width > 0 ? size_t(std::max<CGFloat>(0, std::floor(offsetX / width))) : 0;
  if (page < buttons_.size() && position != positionOrigin_) {
    auto& targetButtons = buttons_[page];
    position = std::min<long>(position, long(targetButtons.size()));
    if (position != positionOrigin_) {
      auto button = dragButton_;
      auto item = button->item();
      if (auto* itemPage = pageWithItem(*item))
        itemPage->erase(std::find(itemPage->begin(), itemPage->end(), item));
      if (auto* buttonPage = pageWithButton(*button))
        buttonPage->erase(std::find(buttonPage->begin(), buttonPage->end(), button));
      position = std::min<long>(position, long(buttons_[page].size()));
      bool moved = position != positionOrigin_;
      auto& itemPage = pages_[page];
      itemPage.insert(itemPage.begin() + std::min<long>(position, long(itemPage.size())), item);
      buttons_[page].insert(buttons_[page].begin() + position, button);
      positionOrigin_ = position;
      checkButtonOverflow(page);
      if (moved) {
        if (auto d = delegate_.lock()) d->launcherViewDidMoveItem(*this, item);
        UIView::animateWithDuration(kTransition, [this] { layoutButtons(); });
      }
    }
  }

  CGFloat margin = dragFrame.size.width * kSpringLoadFraction;
  CGFloat centerX = dragButton_->center().x;
  bool nearLeft = centerX - margin < 0;
  bool nearRight = width - centerX - margin < 0;
  if (nearLeft || nearRight) {
    if (!springLoadTimer_) {
      std::weak_ptr<ULLauncherView> weak = self();
      springLoadTimer_ = NSTimer::scheduledTimerWithTimeInterval(
          kSpringLoadTime, selector(weak, &ULLauncherView::springLoadTimer, "springLoadTimer:"),
          Value(nearLeft), false);
    }
  } else if (springLoadTimer_) {
    springLoadTimer_->invalidate();
    springLoadTimer_.reset();
  }
}

void ULLauncherView::springLoadTimer(const Value& value) {
  auto timer = value.object<NSTimer>();
  bool left = timer ? timer->userInfo().boolValue() : false;
  springLoadTimer_.reset();
  CGFloat width = scrollView_->frame().size.width;
  CGFloat offset = scrollView_->contentOffset().x;
  CGFloat next;
  if (left) {
    next = offset - width;
    if (next < 0) return;
  } else {
    next = offset + width;
    if (next > scrollView_->contentSize().width - width) return;
  }
  scrollView_->setContentOffset(CGPointMake(next, 0), true);
  updatePagerWithContentOffset(CGPointMake(next, 0));
  dragOrigin_.x += left ? width : -width;
  positionOrigin_ = -1;
  springing_ = true;
  std::weak_ptr<ULLauncherView> weak = self();
  performAfterDelay(
      [weak] {
        if (auto me = weak.lock()) me->springing_ = false;
      },
      kSpringTurnTime);
}

// ---- scroll view

void ULLauncherView::scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) {
  cancelHoldTimer();
}

void ULLauncherView::scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>&) {
  updatePagerWithContentOffset(scrollView_->contentOffset());
}

NS_CLASS_IMPLEMENTATION(ULLauncherScrollView) {}
NS_CLASS_IMPLEMENTATION(ULLauncherView) {
  c.method("beginEditing", &ULLauncherView::beginEditing);
  c.method("endEditing", &ULLauncherView::endEditing);
  c.method("scrollEnabled:",
           static_cast<void (ULLauncherView::*)(bool)>(&ULLauncherView::scrollEnabled));
  c.method("layoutButtons", &ULLauncherView::layoutButtons);
  c.method("recreateButtons", &ULLauncherView::recreateButtons);
}
