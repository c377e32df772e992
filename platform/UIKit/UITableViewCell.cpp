#include "UIKit/UITableViewCell.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UILongPressGestureRecognizer.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITouch.h"

namespace {

std::shared_ptr<UIColor> rgb(int r, int g, int b) {
  return UIColor::colorWithRed(r / 255.0, g / 255.0, b / 255.0, 1);
}

// The content view hides the cell's own labels and image view from dumps while they show
// nothing.
class UITableViewCellContentView : public UIView {
 public:
  explicit UITableViewCellContentView(UITableViewCell& cell) : UIView(CGRectZero), cell_(cell) {}
  NS_CLASS(UITableViewCellContentView, UIView)
 public:
 protected:
  bool dumpsSubview(const UIView& v) const override {
    if (&v == cell_.textLabel().get() || &v == cell_.detailTextLabel().get())
      return !static_cast<const UILabel&>(v).text().empty();
    if (&v == cell_.imageView().get()) return bool(cell_.imageView()->image());
    return true;
  }

 private:
  UITableViewCell& cell_;
};

// The accessory types' looks: a grey chevron, a blue check mark.
class UITableViewCellAccessoryView : public UIView {
 public:
  explicit UITableViewCellAccessoryView(UITableViewCellAccessoryType type)
      : UIView(CGRectMake(0, 0, type == UITableViewCellAccessoryType::Checkmark ? 14 : 10, 14)),
        type_(type) {
    setBackgroundColor(UIColor::clearColor());
    setUserInteractionEnabled(false);
  }
  NS_CLASS_NAMED(UITableViewCellAccessoryView, UIView, "UITableViewCellAccessory")
 public:
  void drawRect(CGRect) override {
    auto ctx = UIGraphicsGetCurrentContext();
    CGRect b = bounds();
    ctx->setLineWidth(3);
    ctx->setLineCap(CGLineCap::Square);
    ctx->beginPath();
    if (type_ == UITableViewCellAccessoryType::Checkmark) {
      ctx->setRGBStrokeColor(50 / 255.0, 79 / 255.0, 133 / 255.0, 1);
      ctx->moveToPoint(2, b.size.height * 0.55);
      ctx->addLineToPoint(b.size.width * 0.4, b.size.height - 2);
      ctx->addLineToPoint(b.size.width - 2, 2);
    } else {
      ctx->setRGBStrokeColor(0.5, 0.5, 0.5, 1);
      ctx->moveToPoint(2, 2);
      ctx->addLineToPoint(b.size.width - 2, b.size.height / 2);
      ctx->addLineToPoint(2, b.size.height - 2);
    }
    ctx->strokePath();
  }

 private:
  UITableViewCellAccessoryType type_;
};

// The detail disclosure button: a blue disc with a white chevron that tells the delegate.
class UITableViewCellDetailButton : public UIButton {
 public:
  explicit UITableViewCellDetailButton(UITableViewCell& cell)
      : UIButton(CGRectMake(0, 0, 29, 31)), cell_(&cell) {}
  NS_CLASS_NAMED(UITableViewCellDetailButton, UIButton, "UITableViewCellDetailDisclosureButton")
 public:
  void drawRect(CGRect) override {
    auto ctx = UIGraphicsGetCurrentContext();
    CGRect disc = CGRectInset(bounds(), 3, 4);
    ctx->setRGBFillColor(isHighlighted() ? 0.1 : 0.15, isHighlighted() ? 0.35 : 0.45, 0.9, 1);
    ctx->fillEllipseInRect(disc);
    ctx->setRGBStrokeColor(1, 1, 1, 1);
    ctx->setLineWidth(2.5);
    CGFloat cx = CGRectGetMidX(disc), cy = CGRectGetMidY(disc);
    ctx->beginPath();
    ctx->moveToPoint(cx - 2, cy - 5);
    ctx->addLineToPoint(cx + 3, cy);
    ctx->addLineToPoint(cx - 2, cy + 5);
    ctx->strokePath();
  }
  UITableViewCell* cell_;
};

// The red (delete) or green (insert) disc at the left of an editing row.
class UITableViewCellEditControl : public UIControl {
 public:
  UITableViewCellEditControl() : UIControl(CGRectZero) {
    setBackgroundColor(UIColor::clearColor());
  }
  NS_CLASS(UITableViewCellEditControl, UIControl)
 public:
  void drawRect(CGRect) override {
    auto ctx = UIGraphicsGetCurrentContext();
    CGRect b = bounds();
    CGRect disc = CGRectMake(b.size.width / 2 - 10, b.size.height / 2 - 10, 20, 20);
    if (insert) {
      ctx->setRGBFillColor(0.2, 0.7, 0.2, 1);
    } else {
      ctx->setRGBFillColor(0.85, 0.1, 0.1, 1);
    }
    ctx->fillEllipseInRect(disc);
    ctx->setRGBFillColor(1, 1, 1, 1);
    ctx->fillRect(CGRectMake(CGRectGetMidX(disc) - 6, CGRectGetMidY(disc) - 1.5, 12, 3));
    if (insert)
      ctx->fillRect(CGRectMake(CGRectGetMidX(disc) - 1.5, CGRectGetMidY(disc) - 6, 3, 12));
  }
  bool insert = false;
};

// A plain fill behind a selected row.
class UITableViewCellSelectedBackground : public UIView {
 public:
  UITableViewCellSelectedBackground() : UIView(CGRectZero) { setUserInteractionEnabled(false); }
  NS_CLASS(UITableViewCellSelectedBackground, UIView)
 public:
};

// The white rounded piece of a grouped section behind a row.
class UITableViewCellGroupedBackground : public UIView {
 public:
  UITableViewCellGroupedBackground() : UIView(CGRectZero) {
    setBackgroundColor(UIColor::clearColor());
    setUserInteractionEnabled(false);
  }
  NS_CLASS(UITableViewCellGroupedBackground, UIView)
 public:
  void drawRect(CGRect) override {
    auto ctx = UIGraphicsGetCurrentContext();
    CGRect b = CGRectInset(bounds(), 0.5, 0.5);
    bool roundTop = position == UITableViewCellGroupPosition::Top ||
                    position == UITableViewCellGroupPosition::Single;
    bool roundBottom = position == UITableViewCellGroupPosition::Bottom ||
                       position == UITableViewCellGroupPosition::Single;
    CGFloat r = 10, x0 = b.origin.x, y0 = b.origin.y, x1 = CGRectGetMaxX(b), y1 = CGRectGetMaxY(b);
    ctx->beginPath();
    ctx->moveToPoint(x0, (y0 + y1) / 2);
    if (roundTop) {
      ctx->addArcToPoint(x0, y0, x1, y0, r);
      ctx->addArcToPoint(x1, y0, x1, y1, r);
    } else {
      ctx->addLineToPoint(x0, y0);
      ctx->addLineToPoint(x1, y0);
    }
    if (roundBottom) {
      ctx->addArcToPoint(x1, y1, x0, y1, r);
      ctx->addArcToPoint(x0, y1, x0, y0, r);
    } else {
      ctx->addLineToPoint(x1, y1);
      ctx->addLineToPoint(x0, y1);
    }
    ctx->closePath();
    ctx->setRGBFillColor(1, 1, 1, 1);
    ctx->setRGBStrokeColor(171 / 255.0, 171 / 255.0, 171 / 255.0, 1);
    ctx->setLineWidth(1);
    ctx->drawPath(CGPathDrawingMode::FillStroke);
  }
  UITableViewCellGroupPosition position = UITableViewCellGroupPosition::Single;
};

}  // namespace

// ---- the reorder control: three grey bars that a finger drags (its own recogniser takes the
// finger at once, before the table can scroll)

class UITableViewReorderControl : public UIView {
 public:
  explicit UITableViewReorderControl(UITableViewCell& cell) : UIView(CGRectZero), cell_(cell) {
    setBackgroundColor(UIColor::clearColor());
    grip_ = std::make_shared<UILongPressGestureRecognizer>(
        freeSelector("reorder:", [this](const Value&) { dragged(); }));
    grip_->setMinimumPressDuration(0);
    grip_->setAllowableMovement(1e9);
    addGestureRecognizer(grip_);
  }
  NS_CLASS_NAMED(UITableViewReorderControl, UIView, "UITableViewCellReorderControl")
 public:
  void drawRect(CGRect) override {
    auto ctx = UIGraphicsGetCurrentContext();
    CGRect b = bounds();
    ctx->setRGBFillColor(0.6, 0.6, 0.6, 1);
    for (int i = -1; i <= 1; ++i)
      ctx->fillRect(CGRectMake(b.size.width / 2 - 9, b.size.height / 2 + i * 5 - 1, 18, 2));
  }

 private:
  void dragged();

  UITableViewCell& cell_;
  std::shared_ptr<UILongPressGestureRecognizer> grip_;
  std::optional<NSIndexPath> from_;
  CGFloat grab_ = 0;  // the finger's distance from the cell's top
};

// ---- the cell

UITableViewCell::UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier)
    : UIView(CGRectMake(0, 0, 320, UITableView::kDefaultRowHeight)),
      style_(style),
      reuseIdentifier_(std::move(reuseIdentifier)) {
  setBackgroundColor(UIColor::whiteColor());
  contentView_ = std::make_shared<UITableViewCellContentView>(*this);
  contentView_->setBackgroundColor(UIColor::clearColor());
  addSubview(contentView_);
  imageView_ = std::make_shared<UIImageView>(CGRectZero);
  contentView_->addSubview(imageView_);
  auto label = [](std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color) {
    auto l = std::make_shared<UILabel>(CGRectZero);
    l->setFont(std::move(font));
    l->setTextColor(std::move(color));
    l->setHighlightedTextColor(UIColor::whiteColor());
    l->setBackgroundColor(UIColor::clearColor());
    return l;
  };
  switch (style_) {
    case UITableViewCellStyle::Default:
      textLabel_ = label(UIFont::boldSystemFontOfSize(20), UIColor::blackColor());
      break;
    case UITableViewCellStyle::Value1:
      textLabel_ = label(UIFont::boldSystemFontOfSize(17), UIColor::blackColor());
      detailTextLabel_ = label(UIFont::systemFontOfSize(17), rgb(56, 84, 135));
      detailTextLabel_->setTextAlignment(UITextAlignmentRight);
      break;
    case UITableViewCellStyle::Value2:
      textLabel_ = label(UIFont::boldSystemFontOfSize(12), rgb(82, 102, 145));
      textLabel_->setTextAlignment(UITextAlignmentRight);
      detailTextLabel_ = label(UIFont::boldSystemFontOfSize(15), UIColor::blackColor());
      break;
    case UITableViewCellStyle::Subtitle:
      textLabel_ = label(UIFont::boldSystemFontOfSize(18), UIColor::blackColor());
      detailTextLabel_ = label(UIFont::systemFontOfSize(14), UIColor::grayColor());
      break;
  }
  contentView_->addSubview(textLabel_);
  if (detailTextLabel_) contentView_->addSubview(detailTextLabel_);
}

UITableViewCell::~UITableViewCell() = default;

void UITableViewCell::prepareForReuse() {
  setSelected(false);
  setHighlighted(false);
}

void UITableViewCell::setAccessoryType(UITableViewCellAccessoryType type) {
  accessoryType_ = type;
  updateAccessory();
}

void UITableViewCell::setAccessoryView(std::shared_ptr<UIView> view) {
  accessoryView_ = std::move(view);
  updateAccessory();
}

void UITableViewCell::setEditingAccessoryType(UITableViewCellAccessoryType type) {
  editingAccessoryType_ = type;
  updateAccessory();
}

void UITableViewCell::updateAccessory() {
  std::shared_ptr<UIView> shown;
  auto type = editing_ ? editingAccessoryType_ : accessoryType_;
  if (accessoryView_ && !editing_) {
    shown = accessoryView_;
  } else if (type == UITableViewCellAccessoryType::DetailDisclosureButton) {
    auto button = std::make_shared<UITableViewCellDetailButton>(*this);
    button->addTarget(UIControlAction{"accessoryTapped:", button,
                                      [](UIControl& sender, UIEvent*) {
                                        auto& b = static_cast<UITableViewCellDetailButton&>(sender);
                                        if (auto t = b.cell_->table()) t->accessoryTapped(*b.cell_);
                                      }},
                      UIControlEventTouchUpInside);
    shown = button;
  } else if (type != UITableViewCellAccessoryType::None) {
    shown = std::make_shared<UITableViewCellAccessoryView>(type);
  }
  if (shownAccessory_ && shownAccessory_ != shown && shownAccessory_->superview().get() == this)
    shownAccessory_->removeFromSuperview();
  shownAccessory_ = shown;
  if (shown) addSubview(shown);
  setNeedsLayout();
}

void UITableViewCell::setSelectionStyle(UITableViewCellSelectionStyle style) {
  selectionStyle_ = style;
  updateSelectionLook();
}

void UITableViewCell::setSelected(bool selected, bool) {
  selected_ = selected;
  updateSelectionLook();
}

void UITableViewCell::setHighlighted(bool highlighted, bool) {
  highlighted_ = highlighted;
  updateSelectionLook();
}

std::shared_ptr<UIView> UITableViewCell::selectedBackgroundView() const {
  return selectedBackgroundView_ ? selectedBackgroundView_ : defaultSelectedBackground_;
}

void UITableViewCell::setSelectedBackgroundView(std::shared_ptr<UIView> view) {
  if (selectedBackgroundView_ && selectedBackgroundView_->superview().get() == this)
    selectedBackgroundView_->removeFromSuperview();
  selectedBackgroundView_ = std::move(view);
  updateSelectionLook();
}

void UITableViewCell::setBackgroundView(std::shared_ptr<UIView> view) {
  if (backgroundView_ && backgroundView_->superview().get() == this)
    backgroundView_->removeFromSuperview();
  backgroundView_ = std::move(view);
  if (backgroundView_) insertSubview(backgroundView_, 0);
  setNeedsLayout();
}

void UITableViewCell::updateSelectionLook() {
  bool lit = (selected_ || highlighted_) && selectionStyle_ != UITableViewCellSelectionStyle::None;
  if (lit && !selectedBackgroundView_ && !defaultSelectedBackground_)
    defaultSelectedBackground_ = std::make_shared<UITableViewCellSelectedBackground>();
  if (defaultSelectedBackground_)
    defaultSelectedBackground_->setBackgroundColor(
        selectionStyle_ == UITableViewCellSelectionStyle::Gray ? rgb(190, 190, 190)
                                                               : rgb(4, 123, 237));
  auto bg = selectedBackgroundView();
  if (bg) {
    if (lit && bg->superview().get() != this) {
      // Above the background view, below the content.
      insertSubviewBelowSubview(bg, contentView_);
    } else if (!lit && bg->superview().get() == this) {
      bg->removeFromSuperview();
    }
  }
  textLabel_->setHighlighted(lit);
  if (detailTextLabel_) detailTextLabel_->setHighlighted(lit);
  imageView_->setHighlighted(lit);
  setNeedsLayout();
}

// ---- editing

void UITableViewCell::setEditing(bool editing, bool) {
  if (editing == editing_) return;
  editing_ = editing;
  if (!editing) setShowingDeleteConfirmation(false, {});
  updateAccessory();
  auto controls = [&] {
    bool edit = editing_ && editingStyle_ != UITableViewCellEditingStyle::None;
    if (edit && !editControl_) {
      auto control = std::make_shared<UITableViewCellEditControl>();
      control->addTarget(UIControlAction{"editControlTapped:", weak_from_this(),
                                         [this](UIControl&, UIEvent*) {
                                           if (table_) table_->editControlTapped(*this);
                                         }},
                         UIControlEventTouchUpInside);
      editControl_ = control;
      addSubview(control);
    } else if (!edit && editControl_) {
      editControl_->removeFromSuperview();
      editControl_.reset();
    }
    if (editControl_)
      static_cast<UITableViewCellEditControl&>(*editControl_).insert =
          editingStyle_ == UITableViewCellEditingStyle::Insert;
    bool reorder = editing_ && showsReorderControl_;
    if (reorder && !reorderControl_) {
      reorderControl_ = std::make_shared<UITableViewReorderControl>(*this);
      addSubview(reorderControl_);
    } else if (!reorder && reorderControl_) {
      reorderControl_->removeFromSuperview();
      reorderControl_.reset();
    }
  };
  controls();
  setNeedsLayout();
}

void UITableViewCell::setShowsReorderControl(bool shows) {
  showsReorderControl_ = shows;
  bool editing = editing_;
  editing_ = !editing;  // refresh the controls
  setEditing(editing);
}

void UITableViewCell::setShouldIndentWhileEditing(bool indent) {
  shouldIndentWhileEditing_ = indent;
  setNeedsLayout();
}

void UITableViewCell::setIndentationLevel(long level) {
  indentationLevel_ = level;
  setNeedsLayout();
}

void UITableViewCell::setIndentationWidth(CGFloat width) {
  indentationWidth_ = width;
  setNeedsLayout();
}

void UITableViewCell::setTableState(UITableView* table, UITableViewCellEditingStyle style,
                                    bool showsReorder, bool indent,
                                    UITableViewCellGroupPosition position, bool separator) {
  table_ = table;
  bool changed = style != editingStyle_ || showsReorder != showsReorderControl_;
  if (!changed && indent == shouldIndentWhileEditing_ && position == position_ &&
      separator == separator_)
    return;
  editingStyle_ = style;
  showsReorderControl_ = showsReorder;
  shouldIndentWhileEditing_ = indent;
  if (changed) {
    bool editing = editing_;
    editing_ = !editing;
    setEditing(editing);
  }
  if (position != position_ || separator != separator_) {
    position_ = position;
    separator_ = separator;
    setNeedsDisplay();
  }
  bool grouped = position != UITableViewCellGroupPosition::Plain;
  if (grouped) {
    auto bg = std::dynamic_pointer_cast<UITableViewCellGroupedBackground>(backgroundView_);
    if (!backgroundView_) {
      bg = std::make_shared<UITableViewCellGroupedBackground>();
      setBackgroundView(bg);
    }
    if (bg) {
      bg->position = position;
      bg->setNeedsDisplay();
    }
    setBackgroundColor(UIColor::clearColor());
  }
  setNeedsLayout();
}

void UITableViewCell::setShowingDeleteConfirmation(bool showing, const std::string& title) {
  showingDeleteConfirmation_ = showing;
  if (showing && !deleteButton_) {
    auto button = std::make_shared<UIButton>(CGRectZero);
    button->setTitle(title, UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(14));
    button->setBackgroundColor(rgb(204, 17, 17));
    button->layer()->setCornerRadius(5);
    button->addTarget(
        UIControlAction{"deleteConfirmed:", weak_from_this(),
                        [this](UIControl&, UIEvent*) {
                          if (table_) {
                            auto ip = table_->indexPathForCell(
                                std::static_pointer_cast<UITableViewCell>(weak_from_this().lock()));
                            if (ip) table_->commitDelete(*ip);
                          }
                        }},
        UIControlEventTouchUpInside);
    deleteButton_ = button;
    addSubview(button);
  } else if (!showing && deleteButton_) {
    deleteButton_->removeFromSuperview();
    deleteButton_.reset();
  }
  setNeedsLayout();
}

// ---- layout and looks

void UITableViewCell::layoutSubviews() {
  CGRect b = bounds();
  CGFloat height = b.size.height - (separator_ ? 1 : 0);
  CGFloat left = 0, right = b.size.width;
  if (editControl_) {
    editControl_->setFrame(CGRectMake(0, 0, kEditControlWidth, height));
    if (shouldIndentWhileEditing_) left = kEditControlWidth;
  }
  if (reorderControl_) {
    reorderControl_->setFrame(
        CGRectMake(right - kReorderControlWidth, 0, kReorderControlWidth, height));
    right -= kReorderControlWidth;
  }
  if (deleteButton_) {
    CGSize title = sizeWithFont(deleteButton_->currentTitle().value_or(""),
                                deleteButton_->titleLabel()->font());
    CGFloat w = std::max<CGFloat>(64, title.width + 20);
    deleteButton_->setFrame(CGRectMake(right - 10 - w, std::floor((height - 30) / 2), w, 30));
    right = deleteButton_->frame().origin.x - 5;
  }
  if (shownAccessory_) {
    shownAccessory_->setHidden(bool(deleteButton_) || bool(reorderControl_));
    if (!shownAccessory_->isHidden()) {
      CGSize s = shownAccessory_->bounds().size;
      shownAccessory_->setFrame(
          CGRectMake(right - 10 - s.width, std::floor((height - s.height) / 2), s.width, s.height));
      right = shownAccessory_->frame().origin.x - 5;
    }
  }
  contentView_->setFrame(CGRectMake(left, 0, std::max<CGFloat>(0, right - left), height));
  if (backgroundView_) backgroundView_->setFrame(b);
  if (auto bg = selectedBackgroundView(); bg && bg->superview().get() == this)
    bg->setFrame(CGRectMake(0, 0, b.size.width, height));

  // The labels and image in the content view.
  CGSize c = contentView_->bounds().size;
  CGFloat x = 10 + CGFloat(indentationLevel_) * indentationWidth_;
  if (auto image = imageView_->image()) {
    CGSize s = image->size();
    s.height = std::min(s.height, c.height);
    imageView_->setFrame(CGRectMake(x, std::floor((c.height - s.height) / 2), s.width, s.height));
    x = CGRectGetMaxX(imageView_->frame()) + 10;
  } else {
    imageView_->setFrame(CGRectZero);
  }
  CGFloat w = std::max<CGFloat>(0, c.width - x - 10);
  switch (style_) {
    case UITableViewCellStyle::Default:
      textLabel_->setFrame(CGRectMake(x, 0, w, c.height));
      break;
    case UITableViewCellStyle::Subtitle: {
      CGFloat th = textLabel_->font()->lineHeight(), dh = detailTextLabel_->font()->lineHeight();
      if (detailTextLabel_->text().empty()) dh = 0;
      CGFloat y = std::floor((c.height - th - dh) / 2);
      textLabel_->setFrame(CGRectMake(x, y, w, th));
      detailTextLabel_->setFrame(CGRectMake(x, y + th, w, dh));
      break;
    }
    case UITableViewCellStyle::Value1: {
      CGFloat dw =
          std::min(w, sizeWithFont(detailTextLabel_->text(), detailTextLabel_->font()).width);
      detailTextLabel_->setFrame(CGRectMake(c.width - 10 - dw, 0, dw, c.height));
      textLabel_->setFrame(
          CGRectMake(x, 0, std::max<CGFloat>(0, c.width - 10 - dw - 5 - x), c.height));
      break;
    }
    case UITableViewCellStyle::Value2:
      textLabel_->setFrame(CGRectMake(x, 0, 67, c.height));
      detailTextLabel_->setFrame(
          CGRectMake(x + 73, 0, std::max<CGFloat>(0, c.width - x - 73 - 10), c.height));
      break;
  }
}

void UITableViewCell::drawRect(CGRect) {
  if (!separator_ || position_ != UITableViewCellGroupPosition::Plain) return;
  auto ctx = UIGraphicsGetCurrentContext();
  auto color = table_ ? table_->separatorColor() : nullptr;
  if (color) {
    ctx->setFillColorWithColor(color->CGColor());
  } else {
    ctx->setRGBFillColor(224 / 255.0, 224 / 255.0, 224 / 255.0, 1);
  }
  CGRect b = bounds();
  ctx->fillRect(CGRectMake(0, b.size.height - 1, b.size.width, 1));
}

void UITableViewCell::describeAttributes(std::string& line) const {
  if (!reuseIdentifier_.empty()) line += " reuse=" + quoted(reuseIdentifier_);
  static const char* accessories[] = {"", "disclosure", "detailDisclosure", "checkmark"};
  if (accessoryView_) {
    line += " accessory=view";
  } else if (accessoryType_ != UITableViewCellAccessoryType::None) {
    line += std::string(" accessory=") + accessories[int(accessoryType_)];
  }
  if (selected_) line += " selected";
  if (highlighted_) line += " highlighted";
  if (editing_) line += " editing";
  if (showingDeleteConfirmation_) line += " deleteConfirmation";
}

bool UITableViewCell::dumpsSubview(const UIView& v) const {
  // The cell's own parts show on its line; custom content and the delete button show.
  if (&v == contentView_.get() || &v == deleteButton_.get()) return true;
  if (&v == accessoryView_.get()) return true;
  return false;
}

// ---- reordering

void UITableViewReorderControl::dragged() {
  auto table = cell_.table();
  if (!table) return;
  auto self = std::static_pointer_cast<UITableViewCell>(cell_.weak_from_this().lock());
  switch (grip_->state()) {
    case UIGestureRecognizerState::Began:
      from_ = table->indexPathForCell(self);
      grab_ = grip_->locationInView(&cell_).y;
      table->bringSubviewToFront(self);
      break;
    case UIGestureRecognizerState::Changed: {
      if (!from_) return;
      CGRect f = cell_.frame();
      f.origin.y = grip_->locationInView(table).y - grab_;
      cell_.setFrame(f);
      break;
    }
    case UIGestureRecognizerState::Ended: {
      if (!from_) return;
      auto from = *from_;
      from_.reset();
      // The row whose place the cell's middle is over; before the first or after the last.
      CGFloat middle = grip_->locationInView(table).y - grab_ + cell_.bounds().size.height / 2;
      auto to = table->indexPathForRowAtPoint(CGPointMake(1, middle));
      if (!to) {
        long last = table->numberOfSections() - 1;
        to = middle < table->sectionsTop_
                 ? NSIndexPath{0, 0}
                 : NSIndexPath{last, std::max(0l, table->numberOfRowsInSection(last) - 1)};
      }
      table->moveRow(from, *to);
      break;
    }
    default:
      from_.reset();
      table->layoutCells();
      break;
  }
}

NS_CLASS_IMPLEMENTATION(UITableViewCell) {}
NS_CLASS_IMPLEMENTATION(UITableViewCellContentView) {}
NS_CLASS_IMPLEMENTATION(UITableViewCellAccessoryView) {}
NS_CLASS_IMPLEMENTATION(UITableViewCellDetailButton) {}
NS_CLASS_IMPLEMENTATION(UITableViewCellEditControl) {}
NS_CLASS_IMPLEMENTATION(UITableViewCellSelectedBackground) {}
NS_CLASS_IMPLEMENTATION(UITableViewCellGroupedBackground) {}
NS_CLASS_IMPLEMENTATION(UITableViewReorderControl) {}
