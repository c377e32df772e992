// Items of navigation bars and tool bars: a view of the caller's (a custom view), a titled
// button, one of the system's items, or a space.  The bar that shows an item asks it for its
// view: the custom view, else a button made once by the item, which sends the item's action
// with the item as its argument when tapped.  Spaces have no view.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "UIKit/UIView.h"

class UIButton;

// The system's items; a code past the list is the caller's own (it shows as a plain button
// without a title).
using UIBarButtonSystemItem = long;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemDone = 0;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemCancel = 1;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemEdit = 2;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemSave = 3;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemAdd = 4;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemFlexibleSpace = 5;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemFixedSpace = 6;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemCompose = 7;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemReply = 8;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemAction = 9;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemOrganize = 10;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemBookmarks = 11;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemSearch = 12;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemRefresh = 13;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemStop = 14;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemCamera = 15;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemTrash = 16;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemPlay = 17;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemPause = 18;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemRewind = 19;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemFastForward = 20;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemUndo = 21;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemRedo = 22;
inline constexpr UIBarButtonSystemItem UIBarButtonSystemItemPageCurl = 23;

enum class UIBarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

class UIImage;

class UIBarButtonItem : public NSObject {
  NS_CLASS(UIBarButtonItem, NSObject)
 public:
  // initWithCustomView:
  explicit UIBarButtonItem(std::shared_ptr<UIView> customView);
  // initWithBarButtonSystemItem:target:action:
  UIBarButtonItem(UIBarButtonSystemItem systemItem, Selector action);
  // initWithTitle:style:target:action:
  UIBarButtonItem(std::string title, UIBarButtonItemStyle style, Selector action);
  // initWithImage:style:target:action: (the image centred in the item's button).
  UIBarButtonItem(std::shared_ptr<UIImage> image, UIBarButtonItemStyle style, Selector action);
  const std::shared_ptr<UIImage>& image() const { return image_; }

  const std::shared_ptr<UIView>& customView() const { return customView_; }
  void setCustomView(std::shared_ptr<UIView> view);
  // -1 for an item made with a title or a custom view.
  UIBarButtonSystemItem systemItem() const { return systemItem_; }
  bool isSpace() const {
    return systemItem_ == UIBarButtonSystemItemFlexibleSpace ||
           systemItem_ == UIBarButtonSystemItemFixedSpace;
  }
  const std::string& title() const { return title_; }
  UIBarButtonItemStyle style() const { return style_; }
  const Selector& action() const { return action_; }
  void setAction(Selector action) { action_ = std::move(action); }
  // A fixed space's width (0 otherwise, or for an item sized by its view).
  CGFloat width() const { return width_; }
  void setWidth(CGFloat width) { width_ = width; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  // The caller's number for the item (0 unless set).
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }

  // What a bar shows for the item: the custom view, or the item's own button; nullptr for a
  // space.
  std::shared_ptr<UIView> view();

 private:
  void tapped();

  std::shared_ptr<UIView> customView_;
  std::shared_ptr<UIImage> image_;
  std::shared_ptr<UIButton> button_;
  UIBarButtonSystemItem systemItem_ = -1;
  std::string title_;
  UIBarButtonItemStyle style_ = UIBarButtonItemStyle::Plain;
  Selector action_;
  CGFloat width_ = 0;
  bool enabled_ = true;
  long tag_ = 0;
};
