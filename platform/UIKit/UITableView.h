// Tables: a scroll view of rows in sections, plain or grouped, filled by a data source and
// steered by a delegate (both not kept).
//
// Loading (reloadData, or the first layout): the table asks, in this order, the number of
// sections, then for each section the header height, the footer height, the number of rows and
// the height of every row (so the content size is known), and then, for the rows on screen
// only, in order, a cell (cellForRowAtIndexPath) followed by willDisplayCell, and the views or
// titles of the headers and footers on screen.  Scrolling asks for the cells of rows coming on
// screen and puts those of rows going off into the reuse pool of their identifier, from which
// dequeueReusableCellWithIdentifier hands them out again: a table never holds many more cells
// than it shows.  Finding the rows on screen costs the logarithm of the row count.
//
// Changes of rows and sections (insert, delete, reload, alone or between beginUpdates and
// endUpdates) read the counts and heights again and keep the cells of the rows that stay; the
// rows that go animate out and leave when the animation ends on the main run loop's clock
// (kRowAnimationDuration).  Deleted and reloaded rows are numbered as before the changes,
// inserted ones as after.  Changes whose counts do not add up reload the whole table.
//
// Touching a row highlights it; lifting the finger on it selects it: willSelect (which may
// redirect or refuse), the old selection's willDeselect and didDeselect, then didSelect.  A
// swipe across a row whose data source commits editing shows its delete button (willBegin-
// EditingRow); tapping that button commits the deletion, any other touch hides the button
// (didEndEditingRow).  In editing mode rows show the delete or insert control and, when the
// data source moves rows, the reorder control, which a finger drags to another place.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSIndexPath.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UITableViewCell.h"

class UISwipeGestureRecognizer;
class UITableView;
class UITouch;

enum class UITableViewStyle { Plain = 0, Grouped = 1 };
enum class UITableViewScrollPosition { None = 0, Top = 1, Middle = 2, Bottom = 3 };
enum class UITableViewRowAnimation {
  Fade = 0,
  Right = 1,
  Left = 2,
  Top = 3,
  Bottom = 4,
  None = 5,
  Middle = 6
};
enum class UITableViewCellSeparatorStyle { None = 0, SingleLine = 1, SingleLineEtched = 2 };

// The section index's search entry, the magnifying glass.
inline constexpr std::string_view UITableViewIndexSearch = "{search}";

class UITableViewDataSource {
 public:
  virtual ~UITableViewDataSource() = default;
  virtual long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) { return 1; }
  virtual long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&,
                                              long section) = 0;
  virtual std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) = 0;
  // Empty: no title.
  virtual std::string tableViewTitleForHeaderInSection(const std::shared_ptr<UITableView>&, long) {
    return {};
  }
  virtual std::string tableViewTitleForFooterInSection(const std::shared_ptr<UITableView>&, long) {
    return {};
  }
  virtual bool tableViewCanEditRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                              const NSIndexPath&) {
    return true;
  }
  virtual bool tableViewCanMoveRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                              const NSIndexPath&) {
    return true;
  }
  // Asked only of a data source that responds to "tableView:commitEditingStyle:forRowAtIndexPath:".
  virtual void tableViewCommitEditingStyleForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                            UITableViewCellEditingStyle,
                                                            const NSIndexPath&) {}
  // Asked only of one that responds to "tableView:moveRowAtIndexPath:toIndexPath:".
  virtual void tableViewMoveRowAtIndexPathToIndexPath(const std::shared_ptr<UITableView>&,
                                                      const NSIndexPath& from,
                                                      const NSIndexPath& to) {}
  // Empty: no section index.
  virtual std::vector<std::string> sectionIndexTitlesForTableView(
      const std::shared_ptr<UITableView>&) {
    return {};
  }
  virtual long tableViewSectionForSectionIndexTitleAtIndex(const std::shared_ptr<UITableView>&,
                                                           const std::string& /*title*/,
                                                           long index) {
    return index;
  }
  // Editing and moving rows depend on the presence of those two methods: a data source that
  // has them answers true for their selectors.
  virtual bool respondsToSelector(std::string_view /*selectorName*/) const { return false; }
};

class UITableViewDelegate : public UIScrollViewDelegate {
 public:
  // A negative height means "not answered": the table's rowHeight, or for headers and footers
  // the height the platform gives them (none without a title or view).
  virtual CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                   const NSIndexPath&) {
    return -1;
  }
  virtual CGFloat tableViewHeightForHeaderInSection(const std::shared_ptr<UITableView>&, long) {
    return -1;
  }
  virtual CGFloat tableViewHeightForFooterInSection(const std::shared_ptr<UITableView>&, long) {
    return -1;
  }
  virtual std::shared_ptr<UIView> tableViewViewForHeaderInSection(
      const std::shared_ptr<UITableView>&, long) {
    return nullptr;
  }
  virtual std::shared_ptr<UIView> tableViewViewForFooterInSection(
      const std::shared_ptr<UITableView>&, long) {
    return nullptr;
  }
  virtual void tableViewWillDisplayCellForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                         const std::shared_ptr<UITableViewCell>&,
                                                         const NSIndexPath&) {}
  // The row to select instead, or nullopt to select none.
  virtual std::optional<NSIndexPath> tableViewWillSelectRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) {
    return indexPath;
  }
  virtual void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                const NSIndexPath&) {}
  virtual std::optional<NSIndexPath> tableViewWillDeselectRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) {
    return indexPath;
  }
  virtual void tableViewDidDeselectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                  const NSIndexPath&) {}
  virtual void tableViewAccessoryButtonTappedForRowWithIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath&) {}
  virtual UITableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath&) {
    return UITableViewCellEditingStyle::Delete;
  }
  virtual std::string tableViewTitleForDeleteConfirmationButtonForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath&) {
    return "删除";
  }
  virtual bool tableViewShouldIndentWhileEditingRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                               const NSIndexPath&) {
    return true;
  }
  virtual void tableViewWillBeginEditingRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                       const NSIndexPath&) {}
  virtual void tableViewDidEndEditingRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                    const NSIndexPath&) {}
  virtual NSIndexPath tableViewTargetIndexPathForMoveFromRowAtIndexPathToProposedIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& /*from*/,
      const NSIndexPath& proposed) {
    return proposed;
  }
};

class UITableView : public UIScrollView {
 public:
  static constexpr double kRowAnimationDuration = 0.3;
  static constexpr CGFloat kDefaultRowHeight = 44;
  // A grouped table's rows stand this far in from each side.
  static constexpr CGFloat kGroupedInset = 10;

  explicit UITableView(CGRect frame = CGRectZero, UITableViewStyle style = UITableViewStyle::Plain);
  ~UITableView() override;

  NS_CLASS(UITableView, UIScrollView)
 public:
  UITableViewStyle style() const { return style_; }

  std::weak_ptr<UITableViewDataSource> dataSource() const { return dataSource_; }
  void setDataSource(std::weak_ptr<UITableViewDataSource> dataSource);
  // The scroll view's delegate too.
  std::weak_ptr<UITableViewDelegate> delegate() const { return tableDelegate_; }
  void setDelegate(std::weak_ptr<UITableViewDelegate> delegate);

  // ---- appearance
  CGFloat rowHeight() const { return rowHeight_; }
  void setRowHeight(CGFloat height) { rowHeight_ = height; }
  CGFloat sectionHeaderHeight() const { return sectionHeaderHeight_; }
  void setSectionHeaderHeight(CGFloat h) { sectionHeaderHeight_ = h; }
  CGFloat sectionFooterHeight() const { return sectionFooterHeight_; }
  void setSectionFooterHeight(CGFloat h) { sectionFooterHeight_ = h; }
  UITableViewCellSeparatorStyle separatorStyle() const { return separatorStyle_; }
  void setSeparatorStyle(UITableViewCellSeparatorStyle style);
  std::shared_ptr<UIColor> separatorColor() const { return separatorColor_; }
  void setSeparatorColor(std::shared_ptr<UIColor> color);
  std::shared_ptr<UIView> backgroundView() const { return backgroundView_; }
  void setBackgroundView(std::shared_ptr<UIView> view);
  // Above the first section and below the last; their heights count, their widths become the
  // table's.
  std::shared_ptr<UIView> tableHeaderView() const { return tableHeaderView_; }
  void setTableHeaderView(std::shared_ptr<UIView> view);
  std::shared_ptr<UIView> tableFooterView() const { return tableFooterView_; }
  void setTableFooterView(std::shared_ptr<UIView> view);

  // ---- data
  void reloadData();
  long numberOfSections();
  long numberOfRowsInSection(long section);
  std::shared_ptr<UITableViewCell> dequeueReusableCellWithIdentifier(std::string_view identifier);

  // ---- geometry (content coordinates)
  CGRect rectForSection(long section);
  CGRect rectForHeaderInSection(long section);
  CGRect rectForFooterInSection(long section);
  CGRect rectForRowAtIndexPath(const NSIndexPath& indexPath);
  std::optional<NSIndexPath> indexPathForRowAtPoint(CGPoint point);
  std::vector<NSIndexPath> indexPathsForRowsInRect(CGRect rect);

  // ---- cells on screen (laid out first when due)
  std::vector<std::shared_ptr<UITableViewCell>> visibleCells();
  std::vector<NSIndexPath> indexPathsForVisibleRows();
  // nullptr when the row is not on screen.
  std::shared_ptr<UITableViewCell> cellForRowAtIndexPath(const NSIndexPath& indexPath);
  std::optional<NSIndexPath> indexPathForCell(const std::shared_ptr<UITableViewCell>& cell);

  void scrollToRowAtIndexPath(const NSIndexPath& indexPath, UITableViewScrollPosition position,
                              bool animated);
  void scrollToNearestSelectedRowAtScrollPosition(UITableViewScrollPosition position,
                                                  bool animated);

  // ---- selection (no delegate calls: those are for the user's taps)
  std::optional<NSIndexPath> indexPathForSelectedRow() const { return selected_; }
  void selectRowAtIndexPath(const std::optional<NSIndexPath>& indexPath, bool animated,
                            UITableViewScrollPosition position);
  void deselectRowAtIndexPath(const NSIndexPath& indexPath, bool animated);
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool allows) { allowsSelection_ = allows; }
  bool allowsSelectionDuringEditing() const { return allowsSelectionDuringEditing_; }
  void setAllowsSelectionDuringEditing(bool allows) { allowsSelectionDuringEditing_ = allows; }

  // ---- changes
  void beginUpdates();
  void endUpdates();
  void insertRowsAtIndexPaths(const std::vector<NSIndexPath>& paths,
                              UITableViewRowAnimation animation);
  void deleteRowsAtIndexPaths(const std::vector<NSIndexPath>& paths,
                              UITableViewRowAnimation animation);
  void reloadRowsAtIndexPaths(const std::vector<NSIndexPath>& paths,
                              UITableViewRowAnimation animation);
  void insertSections(const std::vector<long>& sections, UITableViewRowAnimation animation);
  void deleteSections(const std::vector<long>& sections, UITableViewRowAnimation animation);
  void reloadSections(const std::vector<long>& sections, UITableViewRowAnimation animation);

  // ---- editing
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated = false);
  // The row whose delete button shows after a swipe.
  std::optional<NSIndexPath> rowShowingDeleteConfirmation() const { return swipedRow_; }

  // ---- the section index
  std::shared_ptr<UIView> sectionIndexView() const { return indexView_; }

  void layoutSubviews() override;
  std::shared_ptr<UIView> hitTest(CGPoint point, UIEvent* event) override;
  bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>& r) override;
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

 protected:
  void contentOffsetDidChange() override;
  bool dumpsSubview(const UIView& view) const override;

 private:
  friend class UITableViewCell;
  friend class UITableViewIndex;
  friend class UITableViewReorderControl;
  struct Section {
    long rows = 0;
    CGFloat headerHeight = 0, footerHeight = 0;
    CGFloat top = 0;               // where the header begins
    std::vector<CGFloat> rowTops;  // from the section's first row, one past the last
    CGFloat height() const { return headerHeight + rowTops.back() + footerHeight; }
  };
  struct Update {
    enum class Kind {
      InsertRows,
      DeleteRows,
      ReloadRows,
      InsertSections,
      DeleteSections,
      ReloadSections
    };
    Kind kind;
    std::vector<NSIndexPath> rows;
    std::vector<long> sections;
    UITableViewRowAnimation animation;
  };

  std::shared_ptr<UITableView> selfPtr();
  void ensureLoaded();
  void readData();
  void computeGeometry();
  CGFloat headerHeight(long section, bool asked);
  void layoutCells();
  void layoutHeaders(CGRect visible);
  void placeCell(const std::shared_ptr<UITableViewCell>& cell);
  std::shared_ptr<UITableViewCell> makeCell(const NSIndexPath& ip);
  void configure(UITableViewCell& cell, const NSIndexPath& ip);
  void enqueue(const std::shared_ptr<UITableViewCell>& cell);
  void animateOut(const std::shared_ptr<UITableViewCell>& cell, UITableViewRowAnimation animation);
  // Now, or at the end of the open beginUpdates.
  void queue(Update update);
  void applyUpdates(std::vector<Update> updates);
  std::optional<NSIndexPath> rowOfTouch(const UITouch& touch);
  void tapRow(const NSIndexPath& ip);
  void swiped(const Value& recognizer);
  void showDeleteConfirmation(const NSIndexPath& ip);
  void hideDeleteConfirmation();
  void commitDelete(const NSIndexPath& ip);
  void accessoryTapped(UITableViewCell& cell);
  void editControlTapped(UITableViewCell& cell);
  bool dataSourceMovesRows() const;
  bool dataSourceCommitsEditing() const;
  void updateSectionIndex();
  void scrollToSectionIndex(long index);
  void moveRow(const NSIndexPath& from, const NSIndexPath& to);
  CGFloat cellWidth() const;

  UITableViewStyle style_;
  std::weak_ptr<UITableViewDataSource> dataSource_;
  std::weak_ptr<UITableViewDelegate> tableDelegate_;
  CGFloat rowHeight_ = kDefaultRowHeight;
  CGFloat sectionHeaderHeight_, sectionFooterHeight_;
  UITableViewCellSeparatorStyle separatorStyle_ = UITableViewCellSeparatorStyle::SingleLine;
  std::shared_ptr<UIColor> separatorColor_;
  std::shared_ptr<UIView> backgroundView_;
  std::shared_ptr<UIView> tableHeaderView_, tableFooterView_;
  bool allowsSelection_ = true;
  bool allowsSelectionDuringEditing_ = false;
  bool editing_ = false;

  bool loaded_ = false;
  std::vector<Section> sections_;
  CGFloat sectionsTop_ = 0;
  std::map<NSIndexPath, std::shared_ptr<UITableViewCell>> cells_;  // on screen
  std::map<std::string, std::vector<std::shared_ptr<UITableViewCell>>, std::less<>> pool_;
  std::map<long, std::shared_ptr<UIView>> headers_, footers_;
  std::vector<std::shared_ptr<UITableViewCell>> leaving_;  // animating out
  std::optional<NSIndexPath> selected_;
  std::optional<NSIndexPath> touchedRow_;
  std::optional<NSIndexPath> swipedRow_;
  std::shared_ptr<UISwipeGestureRecognizer> swipe_;
  int updateDepth_ = 0;
  std::vector<Update> pending_;
  std::shared_ptr<UIView> indexView_;
  std::vector<std::string> indexTitles_;
  bool layingOut_ = false;
  bool committing_ = false;
};
