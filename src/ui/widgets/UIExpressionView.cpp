#include "ui/widgets/UIExpressionView.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "Foundation/NSString.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIPageControl.h"
#include "core/EmojiTable.h"

namespace {

std::shared_ptr<UIView> gridLine(CGRect frame) {
  auto line = std::make_shared<UIView>(frame);
  line->setBackgroundColor(UIColor::colorWithPatternImage(UIImage::imageNamed("bk_line_v.png")));
  return line;
}

}  // namespace

// ---- one page

UIEmojiView::UIEmojiView(CGRect frame) : UIView(frame) {}

std::shared_ptr<UIEmojiView> UIEmojiView::make(CGRect frame, long start, long end,
                                               std::weak_ptr<EmojiSelectDelegate> delegate,
                                               CGFloat gridHeight) {
  auto page = std::make_shared<UIEmojiView>(frame);
  page->start_ = start;
  page->end_ = end;
  page->emojiDelegate_ = std::move(delegate);
  page->setBackgroundColor(UIColor::clearColor());
  page->addGrid(gridHeight);
  page->addButtons();
  return page;
}

std::shared_ptr<UIEmojiView> UIEmojiView::initWithFrameWithThree(
    CGRect frame, long start, long end, std::weak_ptr<EmojiSelectDelegate> delegate) {
  return make(frame, start, end, std::move(delegate), 155);
}

std::shared_ptr<UIEmojiView> UIEmojiView::initWithFrame(
    CGRect frame, long start, long end, std::weak_ptr<EmojiSelectDelegate> delegate) {
  return make(frame, start, end, std::move(delegate), 180);
}

void UIEmojiView::addGrid(CGFloat h) {
  for (CGFloat y : {45, 90, 135, 180}) addSubview(gridLine(CGRectMake(0, y, 320, 1)));
  addSubview(gridLine(CGRectMake(0, 0, 1, h)));
  for (int x = 40; x <= 320; x += 40) addSubview(gridLine(CGRectMake(x, 2, 1, h - 2)));
}

void UIEmojiView::addButtons() {
  CGFloat x = 8, y = 10;
  for (long n = start_, placed = 0; n <= end_; ++n) {
    auto button = std::make_shared<UIButton>(CGRectMake(x, y, 24, 24));
    button->setImage(UIImage::imageNamed(stringWithFormat("face%ld.gif", n)), UIControlStateNormal);
    button->setTag(n);
    button->setUserInteractionEnabled(true);
    button->addTarget(selector(weakSelf<UIEmojiView>(), &UIEmojiView::btnSelect, "btnSelect:"),
                      UIControlEventTouchDown);
    addSubview(button);
    if (++placed % 8 == 0) {
      x = 8;
      y += 45;
    } else {
      x += 40;
    }
  }
}

void UIEmojiView::btnSelect(const Value& sender) {
  auto button = std::dynamic_pointer_cast<UIView>(sender.object());
  if (!button) return;
  if (auto d = emojiDelegate_.lock()) d->selectCur(button->tag());
}

NS_CLASS_IMPLEMENTATION(UIEmojiView) {
  c.method("btnSelect:", &UIEmojiView::btnSelect);
}

// ---- the keyboard

UIExpressionView::UIExpressionView(CGRect frame) : UIView(frame) {}

std::vector<std::string> UIExpressionView::getZizaEmojiArray() {
  return ::getZizaEmojiArray();
}

std::optional<std::string> UIExpressionView::getEmojiString(long i) {
  const auto& table = ::getZizaEmojiArray();
  if (i < 0 || i >= long(table.size())) return std::nullopt;
  return table[size_t(i)];
}

bool UIExpressionView::isInBiaoQingList(std::string_view name, long top) {
  const auto& table = ::getZizaEmojiArray();
  long n = std::clamp(top, 0L, long(table.size()));
  return std::find(table.begin(), table.begin() + n, name) != table.begin() + n;
}

std::shared_ptr<UIExpressionView> UIExpressionView::make(long y, const Layout& layout) {
  auto view = std::make_shared<UIExpressionView>(CGRectMake(0, y, 320, layout.height));
  auto self = view->weakSelf<UIExpressionView>();
  view->setBackgroundColor(
      UIColor::colorWithPatternImage(UIImage::imageNamed("titlebar_lightgray_bg")));

  view->scroll_ = std::make_shared<UIScrollView>(CGRectMake(0, 0, 320, layout.height));
  view->scroll_->setPagingEnabled(true);
  view->scroll_->setBackgroundColor(UIColor::clearColor());
  view->scroll_->setDelegate(std::weak_ptr<UIScrollViewDelegate>(view));
  view->scroll_->setContentSize(CGSizeMake(320 * layout.pages, layout.height));
  view->addSubview(view->scroll_);

  view->pageCtrl_ = std::make_shared<UIPageControl>(CGRectMake(0, layout.pageControlY, 320, 20));
  view->pageCtrl_->setNumberOfPages(layout.pages);
  view->pageCtrl_->setCurrentPage(0);
  view->pageCtrl_->addTarget(selector(self, &UIExpressionView::valueChange, "valueChange:"),
                             UIControlEventValueChanged);
  view->addSubview(view->pageCtrl_);

  auto del = std::make_shared<UIButton>(CGRectMake(250, layout.deleteY, 42, 24));
  del->setImage(UIImage::imageNamed("delBtn"), UIControlStateNormal);
  del->addTarget(selector(self, &UIExpressionView::delAction, "delAction:"),
                 UIControlEventTouchUpInside);
  view->addSubview(del);

  long count = long(::getZizaEmojiArray().size());
  std::weak_ptr<EmojiSelectDelegate> pageDelegate = std::weak_ptr<EmojiSelectDelegate>(view);
  for (long p = 0; p < layout.pages; ++p) {
    CGRect frame = CGRectMake(320 * p, 0, 320, layout.height);
    long first = p * layout.perPage + 1;
    long last = p + 1 == layout.pages ? count : first + layout.perPage - 1;
    auto page = layout.threeRows
                    ? UIEmojiView::initWithFrameWithThree(frame, first, last, pageDelegate)
                    : UIEmojiView::initWithFrame(frame, first, last, pageDelegate);
    view->scroll_->addSubview(page);
    if (p == 0) view->leftView_ = page;
    if (p == 1) view->centerView_ = page;
    if (p == 2) view->rightView_ = page;
  }
  return view;
}

std::shared_ptr<UIExpressionView> UIExpressionView::initWithPointY(long y) {
  return make(y, {191, 4, 135, 145, 24, true});
}

std::shared_ptr<UIExpressionView> UIExpressionView::initWithFrame(CGRect frame) {
  return make(long(frame.origin.y), {236, 3, 190, 186, 32, false});
}

void UIExpressionView::selectCur(long number) {
  auto name = getEmojiString(number - 1);
  if (!name) return;
  if (auto d = emojiDelegate_.lock()) d->selectText("[" + *name + "]");
}

void UIExpressionView::delAction(const Value&) {
  auto d = emojiDelegate_.lock();
  if (d && d->respondsToSelector("delectEmoji")) d->delectEmoji();
}

void UIExpressionView::valueChange(const Value&) {
  CGPoint offset = scroll_->contentOffset();
  scroll_->setContentOffset(CGPointMake(320 * pageCtrl_->currentPage(), offset.y));
}

void UIExpressionView::scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) {
  pageCtrl_->setCurrentPage(long(scrollView->contentOffset().x / 320));
}

NS_CLASS_IMPLEMENTATION(UIExpressionView) {
  c.method("valueChange:", &UIExpressionView::valueChange);
  c.method("delAction:", &UIExpressionView::delAction);
}
