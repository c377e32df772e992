#include "UIKit/UITableView.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "Foundation/NSClass.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UISwipeGestureRecognizer.h"
#include "UIKit/UITouch.h"

namespace {

// A section's header or footer made from its title.
class UITableViewHeaderFooterView : public UIView {
 public:
  UITableViewHeaderFooterView(const std::string& title, bool grouped) : UIView(CGRectZero) {
    label_ = std::make_shared<UILabel>(CGRectZero);
    label_->setText(title);
    label_->setBackgroundColor(UIColor::clearColor());
    if (grouped) {
      setBackgroundColor(UIColor::clearColor());
      label_->setFont(UIFont::boldSystemFontOfSize(17));
      label_->setTextColor(UIColor::colorWithRed(76 / 255.0, 86 / 255.0, 108 / 255.0, 1));
      label_->setShadowColor(UIColor::whiteColor());
      label_->setShadowOffset({0, 1});
    } else {
      setBackgroundColor(UIColor::colorWithRed(0.58, 0.63, 0.69, 0.9));
      label_->setFont(UIFont::boldSystemFontOfSize(18));
      label_->setTextColor(UIColor::whiteColor());
    }
    addSubview(label_);
  }
  NS_CLASS(UITableViewHeaderFooterView, UIView)
 public:
  void layoutSubviews() override {
    CGRect b = bounds();
    label_->setFrame(CGRectMake(12, 0, std::max<CGFloat>(0, b.size.width - 24), b.size.height));
  }

 private:
  std::shared_ptr<UILabel> label_;
};

bool contains(const std::vector<long>& v, long x) {
  return std::find(v.begin(), v.end(), x) != v.end();
}

}  // namespace

// ---- the section index at the right edge

class UITableViewIndex : public UIView {
 public:
  explicit UITableViewIndex(UITableView& table) : UIView(CGRectZero), table_(table) {
    setBackgroundColor(UIColor::clearColor());
  }
  NS_CLASS(UITableViewIndex, UIView)
 public:
  void drawRect(CGRect) override {
    const auto& titles = table_.indexTitles_;
    if (titles.empty()) return;
    auto font = UIFont::boldSystemFontOfSize(11);
    CGRect b = bounds();
    CGFloat step = b.size.height / CGFloat(titles.size());
    UIGraphicsGetCurrentContext()->setRGBFillColor(0.4, 0.4, 0.4, 1);
    for (size_t i = 0; i < titles.size(); ++i) {
      std::string t = titles[i] == UITableViewIndexSearch ? "Q" : titles[i];
      drawInRect(t, CGRectMake(0, CGFloat(i) * step, b.size.width, step), font, UILineBreakModeClip,
                 UITextAlignmentCenter);
    }
  }
  void touchesBegan(const UITouchSet& touches, UIEvent*) override { follow(touches); }
  void touchesMoved(const UITouchSet& touches, UIEvent*) override { follow(touches); }
  void touchesEnded(const UITouchSet&, UIEvent*) override {}
  void touchesCancelled(const UITouchSet&, UIEvent*) override {}

 private:
  void follow(const UITouchSet& touches) {
    size_t n = table_.indexTitles_.size();
    if (n == 0) return;
    CGFloat y = touches.anyObject()->locationInView(this).y;
    long i = std::clamp(long(y / bounds().size.height * CGFloat(n)), 0l, long(n) - 1);
    table_.scrollToSectionIndex(i);
  }
  UITableView& table_;
};

// ---- the table

UITableView::UITableView(CGRect frame, UITableViewStyle style)
    : UIScrollView(frame), style_(style) {
  bool grouped = style == UITableViewStyle::Grouped;
  sectionHeaderHeight_ = grouped ? 10 : 22;
  sectionFooterHeight_ = grouped ? 10 : 22;
  setAlwaysBounceVertical(true);
  setBackgroundColor(grouped ? UIColor::groupTableViewBackgroundColor() : UIColor::whiteColor());
  swipe_ = std::make_shared<UISwipeGestureRecognizer>(
      freeSelector("handleSwipe:", [this](const Value& r) { swiped(r); }));
  swipe_->setDirection(UISwipeGestureRecognizerDirectionLeft |
                       UISwipeGestureRecognizerDirectionRight);
  addGestureRecognizer(swipe_);
}

UITableView::~UITableView() = default;

std::shared_ptr<UITableView> UITableView::selfPtr() {
  return std::static_pointer_cast<UITableView>(weak_from_this().lock());
}

void UITableView::setDataSource(std::weak_ptr<UITableViewDataSource> dataSource) {
  dataSource_ = std::move(dataSource);
  setNeedsLayout();
}

void UITableView::setDelegate(std::weak_ptr<UITableViewDelegate> delegate) {
  tableDelegate_ = delegate;
  UIScrollView::setDelegate(std::move(delegate));
}

void UITableView::setSeparatorStyle(UITableViewCellSeparatorStyle style) {
  separatorStyle_ = style;
  setNeedsLayout();
}

void UITableView::setSeparatorColor(std::shared_ptr<UIColor> color) {
  separatorColor_ = std::move(color);
  for (auto& [ip, cell] : cells_) cell->setNeedsDisplay();
}

void UITableView::setBackgroundView(std::shared_ptr<UIView> view) {
  if (backgroundView_) backgroundView_->removeFromSuperview();
  backgroundView_ = std::move(view);
  if (backgroundView_) insertSubview(backgroundView_, 0);
  setNeedsLayout();
}

void UITableView::setTableHeaderView(std::shared_ptr<UIView> view) {
  if (tableHeaderView_) tableHeaderView_->removeFromSuperview();
  tableHeaderView_ = std::move(view);
  if (tableHeaderView_) addSubview(tableHeaderView_);
  if (loaded_) computeGeometry();
  setNeedsLayout();
}

void UITableView::setTableFooterView(std::shared_ptr<UIView> view) {
  if (tableFooterView_) tableFooterView_->removeFromSuperview();
  tableFooterView_ = std::move(view);
  if (tableFooterView_) addSubview(tableFooterView_);
  if (loaded_) computeGeometry();
  setNeedsLayout();
}

CGFloat UITableView::cellWidth() const {
  CGFloat w = bounds().size.width;
  return style_ == UITableViewStyle::Grouped ? std::max<CGFloat>(0, w - 2 * kGroupedInset) : w;
}

// ---- loading

CGFloat UITableView::headerHeight(long section, bool header) {
  auto self = selfPtr();
  auto d = tableDelegate_.lock();
  CGFloat h = -1;
  if (d)
    h = header ? d->tableViewHeightForHeaderInSection(self, section)
               : d->tableViewHeightForFooterInSection(self, section);
  if (h >= 0) return h;
  bool grouped = style_ == UITableViewStyle::Grouped;
  std::string title;
  if (auto ds = dataSource_.lock())
    title = header ? ds->tableViewTitleForHeaderInSection(self, section)
                   : ds->tableViewTitleForFooterInSection(self, section);
  CGFloat standard = header ? sectionHeaderHeight_ : sectionFooterHeight_;
  if (title.empty()) return grouped ? standard : 0;
  return grouped ? standard + (header ? 36 : 30) : standard;
}

void UITableView::readData() {
  auto self = selfPtr();
  auto ds = dataSource_.lock();
  auto d = tableDelegate_.lock();
  sections_.clear();
  long count = ds ? std::max(0l, ds->numberOfSectionsInTableView(self)) : 0;
  sections_.resize(size_t(count));
  for (long s = 0; s < count; ++s) {
    Section& sec = sections_[size_t(s)];
    sec.headerHeight = headerHeight(s, true);
    sec.footerHeight = headerHeight(s, false);
    sec.rows = std::max(0l, ds->tableViewNumberOfRowsInSection(self, s));
    sec.rowTops.resize(size_t(sec.rows) + 1);
    CGFloat y = 0;
    for (long r = 0; r < sec.rows; ++r) {
      sec.rowTops[size_t(r)] = y;
      CGFloat h = d ? d->tableViewHeightForRowAtIndexPath(self, {s, r}) : -1;
      y += h >= 0 ? h : rowHeight_;
    }
    sec.rowTops[size_t(sec.rows)] = y;
  }
  loaded_ = true;
  indexTitles_ = ds ? ds->sectionIndexTitlesForTableView(self) : std::vector<std::string>{};
  updateSectionIndex();
}

void UITableView::computeGeometry() {
  CGFloat y = tableHeaderView_ ? tableHeaderView_->bounds().size.height : 0;
  sectionsTop_ = y;
  for (auto& s : sections_) {
    s.top = y;
    y += s.height();
  }
  if (tableFooterView_) y += tableFooterView_->bounds().size.height;
  setContentSize({bounds().size.width, y});
}

void UITableView::ensureLoaded() {
  if (loaded_) return;
  readData();
  computeGeometry();
}

void UITableView::reloadData() {
  hideDeleteConfirmation();
  for (auto& [ip, cell] : cells_) enqueue(cell);
  cells_.clear();
  for (auto& [s, v] : headers_) v->removeFromSuperview();
  for (auto& [s, v] : footers_) v->removeFromSuperview();
  headers_.clear();
  footers_.clear();
  selected_.reset();
  touchedRow_.reset();
  readData();
  computeGeometry();
  // Offsets past the new end come back within it.
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  CGPoint o = contentOffset();
  if (o.y > hi.y && !isDragging() && !isDecelerating())
    setContentOffset({o.x, std::max(lo.y, hi.y)});
  setNeedsLayout();
}

long UITableView::numberOfSections() {
  ensureLoaded();
  return long(sections_.size());
}

long UITableView::numberOfRowsInSection(long section) {
  ensureLoaded();
  if (section < 0 || size_t(section) >= sections_.size()) return 0;
  return sections_[size_t(section)].rows;
}

std::shared_ptr<UITableViewCell> UITableView::dequeueReusableCellWithIdentifier(
    std::string_view identifier) {
  auto it = pool_.find(identifier);
  if (it == pool_.end() || it->second.empty()) return nullptr;
  auto cell = std::move(it->second.back());
  it->second.pop_back();
  cell->prepareForReuse();
  return cell;
}

// ---- geometry

CGRect UITableView::rectForSection(long section) {
  ensureLoaded();
  if (section < 0 || size_t(section) >= sections_.size()) return CGRectZero;
  const Section& s = sections_[size_t(section)];
  return CGRectMake(0, s.top, bounds().size.width, s.height());
}

CGRect UITableView::rectForHeaderInSection(long section) {
  ensureLoaded();
  if (section < 0 || size_t(section) >= sections_.size()) return CGRectZero;
  const Section& s = sections_[size_t(section)];
  return CGRectMake(0, s.top, bounds().size.width, s.headerHeight);
}

CGRect UITableView::rectForFooterInSection(long section) {
  ensureLoaded();
  if (section < 0 || size_t(section) >= sections_.size()) return CGRectZero;
  const Section& s = sections_[size_t(section)];
  return CGRectMake(0, s.top + s.headerHeight + s.rowTops.back(), bounds().size.width,
                    s.footerHeight);
}

CGRect UITableView::rectForRowAtIndexPath(const NSIndexPath& ip) {
  ensureLoaded();
  if (ip.section < 0 || size_t(ip.section) >= sections_.size()) return CGRectZero;
  const Section& s = sections_[size_t(ip.section)];
  if (ip.row < 0 || ip.row >= s.rows) return CGRectZero;
  CGFloat x = style_ == UITableViewStyle::Grouped ? kGroupedInset : 0;
  CGFloat top = s.rowTops[size_t(ip.row)];
  return CGRectMake(x, s.top + s.headerHeight + top, cellWidth(),
                    s.rowTops[size_t(ip.row) + 1] - top);
}

std::vector<NSIndexPath> UITableView::indexPathsForRowsInRect(CGRect rect) {
  ensureLoaded();
  std::vector<NSIndexPath> out;
  if (rect.size.height <= 0) return out;
  CGFloat top = rect.origin.y, bottom = CGRectGetMaxY(rect);
  // The first section that ends below the top.
  auto first = std::upper_bound(sections_.begin(), sections_.end(), top,
                                [](CGFloat y, const Section& s) { return y < s.top + s.height(); });
  for (auto it = first; it != sections_.end() && it->top < bottom; ++it) {
    long section = long(it - sections_.begin());
    CGFloat origin = it->top + it->headerHeight;
    const auto& tops = it->rowTops;
    if (it->rows == 0) continue;
    // Rows from the one holding the top to the one holding the bottom.
    long from =
        long(std::upper_bound(tops.begin(), tops.end() - 1, top - origin) - tops.begin()) - 1;
    long to =
        long(std::lower_bound(tops.begin(), tops.end() - 1, bottom - origin) - tops.begin()) - 1;
    from = std::max(0l, from);
    to = std::min(it->rows - 1, to);
    for (long r = from; r <= to; ++r)
      if (tops[size_t(r) + 1] > tops[size_t(r)]) out.push_back({section, r});
  }
  return out;
}

std::optional<NSIndexPath> UITableView::indexPathForRowAtPoint(CGPoint point) {
  auto rows = indexPathsForRowsInRect(CGRectMake(point.x, point.y, 1, 0.001));
  if (rows.empty()) return std::nullopt;
  return rows.front();
}

// ---- cells on screen

std::vector<std::shared_ptr<UITableViewCell>> UITableView::visibleCells() {
  layoutIfNeeded();
  std::vector<std::shared_ptr<UITableViewCell>> out;
  for (auto& [ip, cell] : cells_) out.push_back(cell);
  return out;
}

std::vector<NSIndexPath> UITableView::indexPathsForVisibleRows() {
  layoutIfNeeded();
  std::vector<NSIndexPath> out;
  for (auto& [ip, cell] : cells_) out.push_back(ip);
  return out;
}

std::shared_ptr<UITableViewCell> UITableView::cellForRowAtIndexPath(const NSIndexPath& ip) {
  layoutIfNeeded();
  auto it = cells_.find(ip);
  return it == cells_.end() ? nullptr : it->second;
}

std::optional<NSIndexPath> UITableView::indexPathForCell(
    const std::shared_ptr<UITableViewCell>& cell) {
  for (auto& [ip, c] : cells_)
    if (c == cell) return ip;
  return std::nullopt;
}

void UITableView::contentOffsetDidChange() {
  setNeedsLayout();
}

void UITableView::layoutSubviews() {
  UIScrollView::layoutSubviews();
  layoutCells();
}

std::shared_ptr<UITableViewCell> UITableView::makeCell(const NSIndexPath& ip) {
  auto ds = dataSource_.lock();
  std::shared_ptr<UITableViewCell> cell;
  if (ds) cell = ds->tableViewCellForRowAtIndexPath(selfPtr(), ip);
  // A data source that gives no cell gets an empty row rather than a crash.
  if (!cell) cell = std::make_shared<UITableViewCell>();
  return cell;
}

void UITableView::configure(UITableViewCell& cell, const NSIndexPath& ip) {
  auto self = selfPtr();
  auto d = tableDelegate_.lock();
  auto ds = dataSource_.lock();
  auto style = UITableViewCellEditingStyle::None;
  bool reorder = false, indent = true;
  if (editing_) {
    bool editable = ds && ds->tableViewCanEditRowAtIndexPath(self, ip);
    if (editable)
      style = d ? d->tableViewEditingStyleForRowAtIndexPath(self, ip)
                : UITableViewCellEditingStyle::Delete;
    reorder = dataSourceMovesRows() && ds->tableViewCanMoveRowAtIndexPath(self, ip);
    if (d) indent = d->tableViewShouldIndentWhileEditingRowAtIndexPath(self, ip);
  }
  auto position = UITableViewCellGroupPosition::Plain;
  if (style_ == UITableViewStyle::Grouped) {
    long rows = sections_[size_t(ip.section)].rows;
    position = rows == 1            ? UITableViewCellGroupPosition::Single
               : ip.row == 0        ? UITableViewCellGroupPosition::Top
               : ip.row == rows - 1 ? UITableViewCellGroupPosition::Bottom
                                    : UITableViewCellGroupPosition::Middle;
  }
  cell.setTableState(this, style, reorder, indent, position,
                     separatorStyle_ != UITableViewCellSeparatorStyle::None);
  cell.setEditing(editing_);
  bool selected = selected_ && *selected_ == ip;
  if (cell.isSelected() != selected) cell.setSelected(selected);
}

void UITableView::layoutCells() {
  if (layingOut_) return;
  layingOut_ = true;
  ensureLoaded();
  auto self = selfPtr();
  CGRect visible = bounds();
  auto rows = indexPathsForRowsInRect(visible);
  std::set<NSIndexPath> wanted(rows.begin(), rows.end());
  // Rows gone off screen give their cells back first, so that rows coming on reuse them.
  for (auto it = cells_.begin(); it != cells_.end();) {
    if (!wanted.count(it->first)) {
      enqueue(it->second);
      it = cells_.erase(it);
    } else {
      ++it;
    }
  }
  auto d = tableDelegate_.lock();
  for (const auto& ip : rows) {
    auto found = cells_.find(ip);
    bool fresh = found == cells_.end();
    std::shared_ptr<UITableViewCell> cell;
    if (fresh) {
      cell = makeCell(ip);
      cells_[ip] = cell;
      placeCell(cell);
    } else {
      cell = found->second;
    }
    cell->setFrame(rectForRowAtIndexPath(ip));
    configure(*cell, ip);
    if (fresh && d) d->tableViewWillDisplayCellForRowAtIndexPath(self, cell, ip);
  }
  layoutHeaders(visible);
  CGFloat w = bounds().size.width;
  if (tableHeaderView_) {
    tableHeaderView_->setFrame(CGRectMake(0, 0, w, tableHeaderView_->bounds().size.height));
  }
  if (tableFooterView_) {
    CGFloat h = tableFooterView_->bounds().size.height;
    tableFooterView_->setFrame(CGRectMake(0, contentSize().height - h, w, h));
  }
  if (backgroundView_) backgroundView_->setFrame(visible);
  if (indexView_) {
    indexView_->setFrame(CGRectMake(CGRectGetMaxX(visible) - 30, visible.origin.y + 8, 30,
                                    std::max<CGFloat>(0, visible.size.height - 16)));
    bringSubviewToFront(indexView_);
  }
  layingOut_ = false;
}

void UITableView::placeCell(const std::shared_ptr<UITableViewCell>& cell) {
  // Above the background, below the headers, footers and the index.
  const auto& list = subviews();
  for (const auto& v : list) {
    bool above = v == indexView_;
    for (auto& [s, h] : headers_) above = above || v == h;
    for (auto& [s, f] : footers_) above = above || v == f;
    if (above) {
      insertSubviewBelowSubview(cell, v);
      return;
    }
  }
  addSubview(cell);
}

void UITableView::layoutHeaders(CGRect visible) {
  auto self = selfPtr();
  auto d = tableDelegate_.lock();
  auto ds = dataSource_.lock();
  bool plain = style_ == UITableViewStyle::Plain;
  CGFloat pinTop = visible.origin.y + contentInset().top;
  auto place = [&](std::map<long, std::shared_ptr<UIView>>& views, bool header) {
    std::set<long> shown;
    for (size_t i = 0; i < sections_.size(); ++i) {
      long s = long(i);
      const Section& sec = sections_[i];
      CGFloat h = header ? sec.headerHeight : sec.footerHeight;
      if (h <= 0) continue;
      CGRect r = header ? rectForHeaderInSection(s) : rectForFooterInSection(s);
      // A plain table keeps the header of the section at the top in view until the section
      // scrolls away.
      if (header && plain)
        r.origin.y = std::clamp(pinTop, sec.top, sec.top + sec.height() - sec.footerHeight - h);
      if (!CGRectIntersectsRect(r, visible) &&
          !(header && plain && sec.top <= pinTop && sec.top + sec.height() > pinTop))
        continue;
      shown.insert(s);
      auto& view = views[s];
      if (!view) {
        if (d)
          view = header ? d->tableViewViewForHeaderInSection(self, s)
                        : d->tableViewViewForFooterInSection(self, s);
        if (!view && ds) {
          std::string title = header ? ds->tableViewTitleForHeaderInSection(self, s)
                                     : ds->tableViewTitleForFooterInSection(self, s);
          if (!title.empty()) view = std::make_shared<UITableViewHeaderFooterView>(title, !plain);
        }
        if (!view) {
          views.erase(s);
          continue;
        }
        addSubview(view);
      }
      if (plain) bringSubviewToFront(view);
      view->setFrame(r);
    }
    for (auto it = views.begin(); it != views.end();) {
      if (!shown.count(it->first)) {
        it->second->removeFromSuperview();
        it = views.erase(it);
      } else {
        ++it;
      }
    }
  };
  place(headers_, true);
  place(footers_, false);
}

void UITableView::enqueue(const std::shared_ptr<UITableViewCell>& cell) {
  cell->removeFromSuperview();
  cell->setHighlighted(false);
  if (!cell->reuseIdentifier().empty()) pool_[cell->reuseIdentifier()].push_back(cell);
}

bool UITableView::dumpsSubview(const UIView& v) const {
  return &v != backgroundView_.get();
}

// ---- scrolling to rows

void UITableView::scrollToRowAtIndexPath(const NSIndexPath& ip, UITableViewScrollPosition position,
                                         bool animated) {
  CGRect r = rectForRowAtIndexPath(ip);
  if (CGRectIsEmpty(r) && r.size.height == 0 && r.origin.y == 0) return;
  CGRect b = bounds();
  UIEdgeInsets inset = contentInset();
  CGFloat y = b.origin.y;
  CGFloat visibleHeight = b.size.height - inset.top - inset.bottom;
  switch (position) {
    case UITableViewScrollPosition::Top:
      y = r.origin.y - inset.top;
      break;
    case UITableViewScrollPosition::Middle:
      y = CGRectGetMidY(r) - inset.top - visibleHeight / 2;
      break;
    case UITableViewScrollPosition::Bottom:
      y = CGRectGetMaxY(r) - inset.top - visibleHeight;
      break;
    case UITableViewScrollPosition::None:
      if (r.origin.y < b.origin.y + inset.top) {
        y = r.origin.y - inset.top;
      } else if (CGRectGetMaxY(r) > CGRectGetMaxY(b) - inset.bottom) {
        y = CGRectGetMaxY(r) - inset.top - visibleHeight;
      }
      break;
  }
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  setContentOffset({b.origin.x, std::clamp(y, lo.y, hi.y)}, animated);
}

void UITableView::scrollToNearestSelectedRowAtScrollPosition(UITableViewScrollPosition position,
                                                             bool animated) {
  if (selected_) scrollToRowAtIndexPath(*selected_, position, animated);
}

void UITableView::scrollToSectionIndex(long index) {
  if (index < 0 || size_t(index) >= indexTitles_.size()) return;
  const std::string& title = indexTitles_[size_t(index)];
  if (title == UITableViewIndexSearch) {
    setContentOffset(minimumContentOffset());
    return;
  }
  auto ds = dataSource_.lock();
  if (!ds) return;
  long section = ds->tableViewSectionForSectionIndexTitleAtIndex(selfPtr(), title, index);
  if (section < 0 || size_t(section) >= sections_.size()) return;
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  setContentOffset({contentOffset().x,
                    std::clamp(sections_[size_t(section)].top - contentInset().top, lo.y, hi.y)});
}

void UITableView::updateSectionIndex() {
  if (indexTitles_.empty()) {
    if (indexView_) indexView_->removeFromSuperview();
    indexView_.reset();
    return;
  }
  if (!indexView_) {
    indexView_ = std::make_shared<UITableViewIndex>(*this);
    addSubview(indexView_);
  }
  indexView_->setNeedsDisplay();
}

// ---- selection

void UITableView::selectRowAtIndexPath(const std::optional<NSIndexPath>& ip, bool animated,
                                       UITableViewScrollPosition position) {
  if (selected_) {
    if (auto it = cells_.find(*selected_); it != cells_.end()) it->second->setSelected(false);
  }
  selected_ = ip;
  if (!ip) return;
  if (auto it = cells_.find(*ip); it != cells_.end()) it->second->setSelected(true, animated);
  if (position != UITableViewScrollPosition::None) scrollToRowAtIndexPath(*ip, position, animated);
}

void UITableView::deselectRowAtIndexPath(const NSIndexPath& ip, bool animated) {
  if (auto it = cells_.find(ip); it != cells_.end()) it->second->setSelected(false, animated);
  if (selected_ && *selected_ == ip) selected_.reset();
}

void UITableView::tapRow(const NSIndexPath& ip) {
  auto self = selfPtr();
  auto d = tableDelegate_.lock();
  std::optional<NSIndexPath> target = d ? d->tableViewWillSelectRowAtIndexPath(self, ip) : ip;
  if (!target) return;
  if (selected_ && *selected_ != *target) {
    auto old = *selected_;
    std::optional<NSIndexPath> leaving =
        d ? d->tableViewWillDeselectRowAtIndexPath(self, old) : old;
    if (leaving) {
      deselectRowAtIndexPath(*leaving, false);
      if (d) d->tableViewDidDeselectRowAtIndexPath(self, *leaving);
    }
  }
  selected_ = target;
  if (auto it = cells_.find(*target); it != cells_.end()) it->second->setSelected(true);
  if (d) d->tableViewDidSelectRowAtIndexPath(self, *target);
}

std::optional<NSIndexPath> UITableView::rowOfTouch(const UITouch& touch) {
  for (auto v = touch.view(); v; v = v->superview()) {
    if (v->superview().get() != this) continue;
    auto cell = std::dynamic_pointer_cast<UITableViewCell>(v);
    return cell ? indexPathForCell(cell) : std::nullopt;
  }
  return std::nullopt;
}

void UITableView::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  auto touch = touches.anyObject();
  if (swipedRow_) {
    // A touch anywhere but on the delete button only takes the button away.
    hideDeleteConfirmation();
    touchedRow_.reset();
    return;
  }
  auto ip = touch ? rowOfTouch(*touch) : std::nullopt;
  bool selectable = allowsSelection_ && (!editing_ || allowsSelectionDuringEditing_);
  if (!ip || !selectable) {
    touchedRow_.reset();
    if (!ip) UIScrollView::touchesBegan(touches, event);
    return;
  }
  touchedRow_ = ip;
  if (auto it = cells_.find(*ip); it != cells_.end()) it->second->setHighlighted(true);
}

void UITableView::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  if (!touchedRow_) UIScrollView::touchesMoved(touches, event);
}

void UITableView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  if (!touchedRow_) {
    auto touch = touches.anyObject();
    if (touch && !rowOfTouch(*touch) && !swipedRow_) UIScrollView::touchesEnded(touches, event);
    return;
  }
  auto ip = *touchedRow_;
  touchedRow_.reset();
  auto it = cells_.find(ip);
  if (it == cells_.end()) return;
  auto cell = it->second;
  cell->setHighlighted(false);
  auto touch = touches.anyObject();
  if (touch && CGRectContainsPoint(cell->bounds(), touch->locationInView(cell))) tapRow(ip);
}

void UITableView::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
  if (!touchedRow_) {
    UIScrollView::touchesCancelled(touches, event);
    return;
  }
  if (auto it = cells_.find(*touchedRow_); it != cells_.end()) it->second->setHighlighted(false);
  touchedRow_.reset();
}

// ---- editing

bool UITableView::dataSourceMovesRows() const {
  auto ds = dataSource_.lock();
  return ds && ds->respondsToSelector("tableView:moveRowAtIndexPath:toIndexPath:");
}

bool UITableView::dataSourceCommitsEditing() const {
  auto ds = dataSource_.lock();
  return ds && ds->respondsToSelector("tableView:commitEditingStyle:forRowAtIndexPath:");
}

void UITableView::setEditing(bool editing, bool) {
  hideDeleteConfirmation();
  editing_ = editing;
  if (!editing) touchedRow_.reset();
  for (auto& [ip, cell] : cells_) configure(*cell, ip);
  setNeedsLayout();
}

bool UITableView::gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>& r) {
  if (r != swipe_) return UIScrollView::gestureRecognizerShouldBegin(r);
  if (swipedRow_) return true;
  auto ip = indexPathForRowAtPoint(r->locationInView(this));
  auto ds = dataSource_.lock();
  if (editing_ || !ip || !ds || !dataSourceCommitsEditing()) return false;
  auto self = selfPtr();
  if (!ds->tableViewCanEditRowAtIndexPath(self, *ip)) return false;
  auto d = tableDelegate_.lock();
  auto style = d ? d->tableViewEditingStyleForRowAtIndexPath(self, *ip)
                 : UITableViewCellEditingStyle::Delete;
  return style == UITableViewCellEditingStyle::Delete;
}

void UITableView::swiped(const Value&) {
  if (swipedRow_) {
    hideDeleteConfirmation();
    return;
  }
  if (auto ip = indexPathForRowAtPoint(swipe_->locationInView(this))) showDeleteConfirmation(*ip);
}

void UITableView::showDeleteConfirmation(const NSIndexPath& ip) {
  auto self = selfPtr();
  auto d = tableDelegate_.lock();
  if (d) d->tableViewWillBeginEditingRowAtIndexPath(self, ip);
  swipedRow_ = ip;
  if (touchedRow_) {
    if (auto it = cells_.find(*touchedRow_); it != cells_.end()) it->second->setHighlighted(false);
    touchedRow_.reset();
  }
  std::string title = d ? d->tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(self, ip)
                        : std::string("删除");
  if (auto it = cells_.find(ip); it != cells_.end()) {
    it->second->setShowingDeleteConfirmation(true, title);
    it->second->layoutIfNeeded();
  }
}

void UITableView::hideDeleteConfirmation() {
  if (!swipedRow_) return;
  auto ip = *swipedRow_;
  swipedRow_.reset();
  for (auto& [row, cell] : cells_)
    if (cell->showingDeleteConfirmation()) cell->setShowingDeleteConfirmation(false, {});
  for (auto& cell : leaving_)
    if (cell->showingDeleteConfirmation()) cell->setShowingDeleteConfirmation(false, {});
  if (auto d = tableDelegate_.lock()) d->tableViewDidEndEditingRowAtIndexPath(selfPtr(), ip);
}

void UITableView::commitDelete(const NSIndexPath& ip) {
  auto keep = selfPtr();
  committing_ = true;
  if (auto ds = dataSource_.lock(); ds && dataSourceCommitsEditing())
    ds->tableViewCommitEditingStyleForRowAtIndexPath(keep, UITableViewCellEditingStyle::Delete, ip);
  committing_ = false;
  hideDeleteConfirmation();
}

void UITableView::editControlTapped(UITableViewCell& cell) {
  auto ip =
      indexPathForCell(std::static_pointer_cast<UITableViewCell>(cell.weak_from_this().lock()));
  if (!ip) return;
  if (cell.editingStyle() == UITableViewCellEditingStyle::Insert) {
    if (auto ds = dataSource_.lock(); ds && dataSourceCommitsEditing())
      ds->tableViewCommitEditingStyleForRowAtIndexPath(selfPtr(),
                                                       UITableViewCellEditingStyle::Insert, *ip);
    return;
  }
  if (swipedRow_ && *swipedRow_ == *ip) {
    hideDeleteConfirmation();
  } else {
    hideDeleteConfirmation();
    showDeleteConfirmation(*ip);
  }
}

void UITableView::accessoryTapped(UITableViewCell& cell) {
  auto ip =
      indexPathForCell(std::static_pointer_cast<UITableViewCell>(cell.weak_from_this().lock()));
  if (!ip) return;
  if (auto d = tableDelegate_.lock())
    d->tableViewAccessoryButtonTappedForRowWithIndexPath(selfPtr(), *ip);
}

std::shared_ptr<UIView> UITableView::hitTest(CGPoint point, UIEvent* event) {
  auto hit = UIScrollView::hitTest(point, event);
  if (!hit || !swipedRow_) return hit;
  // While a delete button shows, only it takes touches; elsewhere the table takes them.
  for (auto& [ip, cell] : cells_) {
    auto button = cell->deleteConfirmationButton();
    if (button && hit->isDescendantOfView(button)) return hit;
  }
  return selfPtr();
}

void UITableView::moveRow(const NSIndexPath& from, const NSIndexPath& proposed) {
  auto self = selfPtr();
  auto d = tableDelegate_.lock();
  NSIndexPath to = d ? d->tableViewTargetIndexPathForMoveFromRowAtIndexPathToProposedIndexPath(
                           self, from, proposed)
                     : proposed;
  if (to.section < 0 || size_t(to.section) >= sections_.size()) to = from;
  if (to != from) {
    if (auto ds = dataSource_.lock(); ds && dataSourceMovesRows())
      ds->tableViewMoveRowAtIndexPathToIndexPath(self, from, to);
  }
  // The cells stay with their rows: renumber them as the data source now has them.
  std::vector<std::vector<NSIndexPath>> order(sections_.size());
  for (size_t s = 0; s < sections_.size(); ++s)
    for (long r = 0; r < sections_[s].rows; ++r) order[s].push_back({long(s), r});
  if (to != from) {
    auto& src = order[size_t(from.section)];
    src.erase(src.begin() + from.row);
    auto& dst = order[size_t(to.section)];
    dst.insert(dst.begin() + std::min<long>(to.row, long(dst.size())), from);
  }
  std::map<NSIndexPath, NSIndexPath> renumber;
  for (size_t s = 0; s < order.size(); ++s)
    for (size_t r = 0; r < order[s].size(); ++r) renumber[order[s][r]] = {long(s), long(r)};
  std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> cells;
  for (auto& [ip, cell] : cells_) cells[renumber.count(ip) ? renumber[ip] : ip] = cell;
  cells_ = std::move(cells);
  if (selected_ && renumber.count(*selected_)) selected_ = renumber[*selected_];
  // The heights move with their rows.
  std::vector<std::vector<CGFloat>> heights(sections_.size());
  for (size_t s = 0; s < sections_.size(); ++s)
    for (size_t r = 0; r < order[s].size(); ++r) {
      const NSIndexPath& old = order[s][r];
      const auto& tops = sections_[size_t(old.section)].rowTops;
      heights[s].push_back(tops[size_t(old.row) + 1] - tops[size_t(old.row)]);
    }
  for (size_t s = 0; s < sections_.size(); ++s) {
    Section& sec = sections_[s];
    sec.rows = long(heights[s].size());
    sec.rowTops.assign(1, 0);
    for (CGFloat h : heights[s]) sec.rowTops.push_back(sec.rowTops.back() + h);
  }
  computeGeometry();
  layoutCells();
}

// ---- changes

void UITableView::queue(Update update) {
  if (updateDepth_ > 0) {
    pending_.push_back(std::move(update));
  } else {
    applyUpdates({std::move(update)});
  }
}

void UITableView::beginUpdates() {
  ++updateDepth_;
}

void UITableView::endUpdates() {
  if (updateDepth_ == 0) return;
  if (--updateDepth_ > 0) return;
  applyUpdates(std::move(pending_));
  pending_.clear();
}

void UITableView::insertRowsAtIndexPaths(const std::vector<NSIndexPath>& paths,
                                         UITableViewRowAnimation animation) {
  queue({Update::Kind::InsertRows, paths, {}, animation});
}

void UITableView::deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& paths,
                                         UITableViewRowAnimation animation) {
  queue({Update::Kind::DeleteRows, paths, {}, animation});
}

void UITableView::reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& paths,
                                         UITableViewRowAnimation animation) {
  queue({Update::Kind::ReloadRows, paths, {}, animation});
}

void UITableView::insertSections(const std::vector<long>& sections,
                                 UITableViewRowAnimation animation) {
  queue({Update::Kind::InsertSections, {}, sections, animation});
}

void UITableView::deleteSections(const std::vector<long>& sections,
                                 UITableViewRowAnimation animation) {
  queue({Update::Kind::DeleteSections, {}, sections, animation});
}

void UITableView::reloadSections(const std::vector<long>& sections,
                                 UITableViewRowAnimation animation) {
  queue({Update::Kind::ReloadSections, {}, sections, animation});
}

void UITableView::animateOut(const std::shared_ptr<UITableViewCell>& cell,
                             UITableViewRowAnimation animation) {
  if (animation == UITableViewRowAnimation::None || !cell->window()) {
    enqueue(cell);
    return;
  }
  leaving_.push_back(cell);
  CGRect end = cell->frame();
  CGFloat alpha = 0;
  if (animation == UITableViewRowAnimation::Left) {
    end.origin.x -= end.size.width;
    alpha = 1;
  } else if (animation == UITableViewRowAnimation::Right) {
    end.origin.x += end.size.width;
    alpha = 1;
  }
  std::weak_ptr<NSObject> weakTable = weak_from_this();
  UIView::animateWithDuration(
      kRowAnimationDuration,
      [&] {
        cell->setFrame(end);
        cell->setAlpha(alpha);
      },
      [weakTable, cell](bool) {
        auto table = std::static_pointer_cast<UITableView>(weakTable.lock());
        cell->setAlpha(1);
        if (!table) {
          cell->removeFromSuperview();
          return;
        }
        std::erase(table->leaving_, cell);
        table->enqueue(cell);
      });
}

void UITableView::applyUpdates(std::vector<Update> updates) {
  if (updates.empty()) return;
  if (!loaded_) {
    ensureLoaded();
    setNeedsLayout();
    return;
  }
  using K = Update::Kind;
  std::vector<long> deletedSections, insertedSections, reloadedSections;
  std::map<long, std::vector<long>> deletedRows, insertedRows, reloadedRows;  // by section
  // How each leaving row (old numbering) or section goes.
  std::map<NSIndexPath, UITableViewRowAnimation> rowAnimation;
  std::map<long, UITableViewRowAnimation> sectionAnimation;
  for (const auto& u : updates) {
    for (const auto& ip : u.rows) rowAnimation[ip] = u.animation;
    for (long sec : u.sections) sectionAnimation[sec] = u.animation;
    switch (u.kind) {
      case K::DeleteSections:
        deletedSections.insert(deletedSections.end(), u.sections.begin(), u.sections.end());
        break;
      case K::InsertSections:
        insertedSections.insert(insertedSections.end(), u.sections.begin(), u.sections.end());
        break;
      case K::ReloadSections:
        reloadedSections.insert(reloadedSections.end(), u.sections.begin(), u.sections.end());
        break;
      case K::DeleteRows:
        for (const auto& ip : u.rows) deletedRows[ip.section].push_back(ip.row);
        break;
      case K::InsertRows:
        for (const auto& ip : u.rows) insertedRows[ip.section].push_back(ip.row);
        break;
      case K::ReloadRows:
        for (const auto& ip : u.rows) reloadedRows[ip.section].push_back(ip.row);
        break;
    }
  }
  for (auto* m : {&deletedRows, &insertedRows, &reloadedRows})
    for (auto& [s, rows] : *m) {
      std::sort(rows.begin(), rows.end());
      rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    }
  std::vector<long> oldRows;
  for (const auto& s : sections_) oldRows.push_back(s.rows);
  long oldCount = long(oldRows.size());

  // Deleting the row of the delete button keeps the button's row until the commit is over.
  if (!committing_) hideDeleteConfirmation();
  readData();
  long newCount = long(sections_.size());

  // Old section -> new section (-1: deleted); the survivors fill the places not inserted.
  std::vector<long> sectionMap(size_t(oldCount), -1);
  bool consistent = true;
  {
    long next = 0;
    for (long s = 0; s < oldCount; ++s) {
      if (contains(deletedSections, s)) continue;
      while (contains(insertedSections, next)) ++next;
      sectionMap[size_t(s)] = next++;
    }
    while (contains(insertedSections, next)) ++next;
    consistent = next == newCount;
  }
  for (long s = 0; consistent && s < oldCount; ++s) {
    long t = sectionMap[size_t(s)];
    if (t < 0 || contains(reloadedSections, s)) continue;
    long expected = oldRows[size_t(s)] - long(deletedRows[s].size()) + long(insertedRows[t].size());
    if (t >= newCount || sections_[size_t(t)].rows != expected) consistent = false;
    for (long r : deletedRows[s])
      if (r < 0 || r >= oldRows[size_t(s)]) consistent = false;
  }
  if (!consistent) {
    // The changes do not match the data: show the data as it is.
    computeGeometry();
    reloadData();
    return;
  }
  auto mapRow = [&](const NSIndexPath& ip) -> std::optional<NSIndexPath> {
    if (ip.section < 0 || ip.section >= oldCount) return std::nullopt;
    long t = sectionMap[size_t(ip.section)];
    if (t < 0 || contains(reloadedSections, ip.section)) return std::nullopt;
    const auto& gone = deletedRows[ip.section];
    if (std::binary_search(gone.begin(), gone.end(), ip.row)) return std::nullopt;
    long k = ip.row - long(std::lower_bound(gone.begin(), gone.end(), ip.row) - gone.begin());
    long n = k;
    for (long ins : insertedRows[t]) {
      if (ins <= n) {
        ++n;
      } else {
        break;
      }
    }
    return NSIndexPath{t, n};
  };
  std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> kept;
  for (auto& [ip, cell] : cells_) {
    auto to = mapRow(ip);
    bool reloaded = to && contains(reloadedRows[ip.section], ip.row);
    if (!to || reloaded) {
      auto how = rowAnimation.count(ip)               ? rowAnimation[ip]
                 : sectionAnimation.count(ip.section) ? sectionAnimation[ip.section]
                                                      : UITableViewRowAnimation::Fade;
      animateOut(cell, how);
    } else {
      kept[*to] = cell;
    }
  }
  cells_ = std::move(kept);
  if (selected_) {
    auto to = mapRow(*selected_);
    selected_ = to;
  }
  computeGeometry();
  CGPoint hi = maximumContentOffset(), lo = minimumContentOffset();
  if (contentOffset().y > hi.y && !isDragging() && !isDecelerating())
    setContentOffset({contentOffset().x, std::max(lo.y, hi.y)});
  layoutCells();
}

NS_CLASS_IMPLEMENTATION(UITableView) {}
NS_CLASS_IMPLEMENTATION(UITableViewHeaderFooterView) {}
NS_CLASS_IMPLEMENTATION(UITableViewIndex) {}
