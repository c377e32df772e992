// Table cells: a row's view.  A cell holds its content view (where its labels and image view
// sit, and where custom content goes), an accessory at the right (a disclosure chevron, a
// detail disclosure button, a check mark, or a view of the app's), and the looks of selection
// (a blue or grey background with white text) and of editing (the delete or insert control at
// the left, the reorder control at the right, the red delete confirmation button).
//
// Styles lay the labels out as the platform does, in the content view:
//   default   image at the left, the text (bold 20) beside it; no detail label
//   value 1   text (bold 17) at the left, detail (17, blue-grey) right-aligned at the right
//   value 2   text (bold 12, blue-grey) right-aligned in a column of 67 points, detail (bold 15)
//             after it
//   subtitle  text (bold 18) above, detail (14, grey) below
// A table reuses cells by their reuse identifier: dequeueing one calls prepareForReuse.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"

class UIButton;
class UITableView;

enum class UITableViewCellStyle { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class UITableViewCellSelectionStyle { None = 0, Blue = 1, Gray = 2 };
enum class UITableViewCellAccessoryType {
  None = 0,
  DisclosureIndicator = 1,
  DetailDisclosureButton = 2,
  Checkmark = 3
};
enum class UITableViewCellEditingStyle { None = 0, Delete = 1, Insert = 2 };
// Where a cell sits in its group (grouped tables round the ends of each section).
enum class UITableViewCellGroupPosition { Plain, Single, Top, Middle, Bottom };

class UITableViewCell : public UIView {
 public:
  static constexpr CGFloat kEditControlWidth = 32;
  static constexpr CGFloat kReorderControlWidth = 40;

  // initWithStyle:reuseIdentifier: (an empty identifier: not reused).  The frame is 320 × 44
  // until a table places it.
  explicit UITableViewCell(UITableViewCellStyle style = UITableViewCellStyle::Default,
                           std::string reuseIdentifier = {});
  ~UITableViewCell() override;

  NS_CLASS(UITableViewCell, UIView)
 public:
  UITableViewCellStyle style() const { return style_; }
  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  // Called when a table hands the cell out again; the default unselects and unhighlights it.
  virtual void prepareForReuse();

  const std::shared_ptr<UIView>& contentView() const { return contentView_; }
  const std::shared_ptr<UILabel>& textLabel() const { return textLabel_; }
  // nullptr in the default style.
  const std::shared_ptr<UILabel>& detailTextLabel() const { return detailTextLabel_; }
  const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }

  UITableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(UITableViewCellAccessoryType type);
  // A view of the app's in place of the accessory type's.
  std::shared_ptr<UIView> accessoryView() const { return accessoryView_; }
  void setAccessoryView(std::shared_ptr<UIView> view);
  UITableViewCellAccessoryType editingAccessoryType() const { return editingAccessoryType_; }
  void setEditingAccessoryType(UITableViewCellAccessoryType type);

  UITableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(UITableViewCellSelectionStyle style);
  bool isSelected() const { return selected_; }
  virtual void setSelected(bool selected, bool animated = false);
  bool isHighlighted() const { return highlighted_; }
  virtual void setHighlighted(bool highlighted, bool animated = false);
  // Behind the content (grouped tables give cells a rounded one); shown selected instead: the
  // selected background view (a blue or grey one by default).
  std::shared_ptr<UIView> backgroundView() const { return backgroundView_; }
  void setBackgroundView(std::shared_ptr<UIView> view);
  std::shared_ptr<UIView> selectedBackgroundView() const;
  void setSelectedBackgroundView(std::shared_ptr<UIView> view);

  // ---- editing
  bool isEditing() const { return editing_; }
  virtual void setEditing(bool editing, bool animated = false);
  UITableViewCellEditingStyle editingStyle() const { return editingStyle_; }
  bool showsReorderControl() const { return showsReorderControl_; }
  void setShowsReorderControl(bool shows);
  bool shouldIndentWhileEditing() const { return shouldIndentWhileEditing_; }
  void setShouldIndentWhileEditing(bool indent);
  long indentationLevel() const { return indentationLevel_; }
  void setIndentationLevel(long level);
  CGFloat indentationWidth() const { return indentationWidth_; }
  void setIndentationWidth(CGFloat width);
  // The red delete button shows (after a swipe, or a tap on the delete control).
  bool showingDeleteConfirmation() const { return showingDeleteConfirmation_; }

  void layoutSubviews() override;
  void drawRect(CGRect rect) override;
  // The accessory's view as shown (the app's view, or the one of the accessory type).
  std::shared_ptr<UIView> shownAccessoryView() const { return shownAccessory_; }
  // The delete confirmation button while it shows.
  std::shared_ptr<UIButton> deleteConfirmationButton() const { return deleteButton_; }

 protected:
  void describeAttributes(std::string& line) const override;
  bool dumpsSubview(const UIView& view) const override;

 private:
  friend class UITableView;
  friend class UITableViewReorderControl;
  // What the table tells the cell.
  void setTableState(UITableView* table, UITableViewCellEditingStyle style, bool showsReorder,
                     bool indent, UITableViewCellGroupPosition position, bool separator);
  void setShowingDeleteConfirmation(bool showing, const std::string& title);
  void updateAccessory();
  void updateSelectionLook();
  UITableView* table() const { return table_; }

  UITableViewCellStyle style_;
  std::string reuseIdentifier_;
  std::shared_ptr<UIView> contentView_;
  std::shared_ptr<UILabel> textLabel_;
  std::shared_ptr<UILabel> detailTextLabel_;
  std::shared_ptr<UIImageView> imageView_;
  UITableViewCellAccessoryType accessoryType_ = UITableViewCellAccessoryType::None;
  UITableViewCellAccessoryType editingAccessoryType_ = UITableViewCellAccessoryType::None;
  std::shared_ptr<UIView> accessoryView_;
  std::shared_ptr<UIView> shownAccessory_;
  UITableViewCellSelectionStyle selectionStyle_ = UITableViewCellSelectionStyle::Blue;
  bool selected_ = false;
  bool highlighted_ = false;
  std::shared_ptr<UIView> backgroundView_;
  std::shared_ptr<UIView> selectedBackgroundView_;
  std::shared_ptr<UIView> defaultSelectedBackground_;
  bool editing_ = false;
  UITableViewCellEditingStyle editingStyle_ = UITableViewCellEditingStyle::None;
  bool showsReorderControl_ = false;
  bool shouldIndentWhileEditing_ = true;
  long indentationLevel_ = 0;
  CGFloat indentationWidth_ = 10;
  bool showingDeleteConfirmation_ = false;
  std::shared_ptr<UIView> editControl_;
  std::shared_ptr<UIView> reorderControl_;
  std::shared_ptr<UIButton> deleteButton_;
  UITableView* table_ = nullptr;
  UITableViewCellGroupPosition position_ = UITableViewCellGroupPosition::Plain;
  bool separator_ = false;
};
