// The channels as a list of 70-point rows, one home-grid tile (CustomerLauncherItem) a row; an
// alternative to the home grid for any screen that hands it the grid's items.  The list is
// its own delegate and data source.
//
// Editing: a long press on a row starts it (the delegate hears launcherCellEditState YES) and
// the rows show their reorder controls; a finger drags a row to another place.  A tap on the
// list ends it (launcherCellEditState NO) and, when a row was moved meanwhile, saves the
// catalogue in the list's order, 8 channels a page, the hidden channels after them.  Editing
// that moved nothing writes nothing.  Tapping a row while browsing hands its channel to the
// delegate.  Main thread only.
#pragma once

#include <memory>

#include "UIKit/UITableView.h"
#include "model/ChannelItem.h"

class UILauncherTableViewDelegate {
 public:
  virtual ~UILauncherTableViewDelegate() = default;
  virtual void launcherCellEditState(bool editing) {}
  virtual void launcherCellDidSelectItem(const ChannelItemPtr& channel) {}
};

class UILauncherTableView : public UITableView,
                            public UITableViewDataSource,
                            public UITableViewDelegate {
  NS_CLASS(UILauncherTableView, UITableView)
 public:
  static constexpr CGFloat kRowHeight = 70;

  // initWithFrame:: clear, without separators or a vertical scroll indicator.
  static std::shared_ptr<UILauncherTableView> initWithFrame(CGRect frame);
  explicit UILauncherTableView(CGRect frame);

  // The rows, one launcher item each (kept).  Setting another array reloads the list.
  const ValueArray& dataArrays() const { return dataArrays_; }
  void setDataArrays(ValueArray array);
  std::weak_ptr<UILauncherTableViewDelegate> launcherDelegate() const { return launcherDelegate_; }
  void setLauncherDelegate(std::weak_ptr<UILauncherTableViewDelegate> delegate) {
    launcherDelegate_ = std::move(delegate);
  }
  // A row moved since editing began.
  bool needSave() const { return needSave_; }

  // Reloads the rows.
  void recreateButtons();
  // The first row whose channel has the template: its new-items mark follows the flag.
  void refreshCellNewsByActionType(int templateId, bool isNews);
  // Every row whose channel has the number: its new-items mark follows the flag.
  void refreshCellNewsByChannelType(int type, bool isNews);
  // Scrolls the row to the bottom of the list, animated; rows outside the list are ignored.
  void scrollCellToIndex(long row);

  // The editing cycle (the recognisers' actions).
  void longPress(const Value& recognizer);
  void tapAction(const Value& recognizer);
  using UIView::endEditing;
  void endEditing();

  // ---- table answers
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override;
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) override;
  void tableViewMoveRowAtIndexPathToIndexPath(const std::shared_ptr<UITableView>&,
                                              const NSIndexPath& from,
                                              const NSIndexPath& to) override;
  bool respondsToSelector(std::string_view selector) const override;
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                           const NSIndexPath&) override;
  UITableViewCellEditingStyle tableViewEditingStyleForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath&) override;
  bool tableViewShouldIndentWhileEditingRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                       const NSIndexPath&) override;
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                        const NSIndexPath& indexPath) override;

 private:
  ChannelItemPtr channelAt(size_t row) const;

  ValueArray dataArrays_;
  std::weak_ptr<UILauncherTableViewDelegate> launcherDelegate_;
  bool needSave_ = false;
};
