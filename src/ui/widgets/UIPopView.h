// A full-screen transparent layer on the application window: a drop-down list (initPopArray:
// a dark rounded panel under an arrow listing the items' names, the delegate's selected row on
// black) or a text box (initPopWithText: a speech bubble with white text).  A tap on a row
// reports the row and closes the layer; a tap anywhere else closes it, and the list then
// reports -1.  The opener adds the layer to the window; the window lets it go when it closes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITableView.h"
#include "ui/framework/UIBaseView.h"

class UIPopViewDelegate {
 public:
  virtual ~UIPopViewDelegate() = default;
  // The row shown as selected.
  virtual long getCurPopSelected() = 0;
  // The chosen row, or -1 when the list closed without a choice.
  virtual void popViewSelected(long row) = 0;
};

class UIPopView : public UIBaseView, public UITableViewDataSource, public UITableViewDelegate {
  NS_CLASS(UIPopView, UIBaseView)
 public:
  static constexpr CGFloat kRowHeight = 40;
  static constexpr CGFloat kMaxPanelHeight = 320;

  explicit UIPopView(CGRect frame = CGRectZero) : UIBaseView(frame) {}
  ~UIPopView() override;

  // The list of the items (each answers "name").
  static std::shared_ptr<UIPopView> initPopArray(std::vector<std::shared_ptr<NSObject>> items);
  static std::shared_ptr<UIPopView> initPopWithText(const std::string& text);

  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) override {
    return long(mArray_.size());
  }
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                           const NSIndexPath&) override {
    return kRowHeight;
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                        const NSIndexPath& indexPath) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

  const std::shared_ptr<UITableView>& popTableView() const { return popTableView_; }
  const std::vector<std::shared_ptr<NSObject>>& mArray() const { return mArray_; }
  void setMArray(std::vector<std::shared_ptr<NSObject>> items) { mArray_ = std::move(items); }
  std::weak_ptr<UIPopViewDelegate> popDelegate() const { return popDelegate_; }
  void setPopDelegate(std::weak_ptr<UIPopViewDelegate> d) { popDelegate_ = std::move(d); }
  bool isShowPop() const { return isShowPop_; }

 private:
  std::shared_ptr<UITableView> popTableView_;
  bool isShowPop_ = false;
  std::vector<std::shared_ptr<NSObject>> mArray_;
  std::weak_ptr<UIPopViewDelegate> popDelegate_;
};
