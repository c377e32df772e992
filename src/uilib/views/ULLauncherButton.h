// The button a launcher shows for one item: a styled button ("launcherButton:" unless the item
// names its own style) with the item's title and picture, a badge, a close button while the
// launcher edits (deletable items only), and an enlarged, half-transparent look while dragged.
//
// A CustomerLauncherItem (a home-grid channel tile) is drawn from its channel record: the
// channel's background picture at (10, 10, 100, 95), its icon (view tag 85, rounded corners)
// at (34, 32, 52, 45) for a channel without a name or 45 high, as wide as the picture's aspect
// gives, centred in 120 at y 22 for a named one; the "ShowNEW" mark at (73, 12, 35, 22) while
// the channel's isShowNews is set; the name at (10, 70, 100, 28).  Pictures fall back in order:
// background from the bundle path the record names, the downloaded background, "channelPurple";
// icon from the downloaded icon file, the bundle path the record names, the bundle's
// "iconID<n>", else "iconDefault" while the icon is downloaded from the record's iconImage URL.
// The download lands in a file of its own that is renamed over the icon file only once it holds
// a picture, so a tile never reads a half-written icon; the tile then shows it.  A button that
// goes away first cancels its download (no late completion reaches it).
//
// The button passes its touches on to its next responder as well, so that the launcher sees
// the touches of the button it drags.  Main thread only.
#pragma once

#include <memory>
#include <string>

#include "uilib/views/ULButton.h"
#include "uilib/views/ULLauncherItem.h"
#include "uilib/views/ULView.h"

class HXHTTPRequest;
class UIImageView;

class ULLauncherButton : public ULButton {
  NS_CLASS(ULLauncherButton, ULButton)
 public:
  // The tag of a channel tile's icon view.
  static constexpr long kIconTag = 85;

  // initWithFrame: the picture above the title.
  explicit ULLauncherButton(CGRect frame = CGRectZero);
  ~ULLauncherButton() override;
  // initWithItem:
  static std::shared_ptr<ULLauncherButton> initWithItem(ULLauncherItemPtr item);

  const ULLauncherItemPtr& item() const { return item_; }
  // Made on first request for a deletable item; nullptr for the others.
  std::shared_ptr<ULButton> closeButton();
  const std::shared_ptr<ULLabel>& badge() const { return badge_; }

  bool editing() const { return editing_; }
  // YES adds the close button, NO removes and drops it.
  void setEditing(bool editing);
  bool dragging() const { return dragging_; }
  // YES: scale 1.4 and alpha 0.7; NO: identity and alpha 1.
  void setDragging(bool dragging);

  // Creates the badge when the item first has a badge value, shows its text ("99+" for 100 or
  // more when the text is all digits), hides it when the item has none.
  void updateBadge();

  // While dragged the button shows neither highlighted nor selected.
  UIControlState state() const override;

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void layoutSubviews() override;

  // The icon download's completion (and failure): the request.
  void finish(const Value& request);
  void failed(const Value& request);

 private:
  void setUp(ULLauncherItemPtr item);
  void buildChannelTile();
  void stopDownload();

  ULLauncherItemPtr item_;
  std::shared_ptr<HXHTTPRequest> request_;
  std::string iconPath_;  // where a finished icon download goes
  std::shared_ptr<ULLabel> badge_;
  std::shared_ptr<ULButton> closeButton_;
  bool dragging_ = false;
  bool editing_ = false;
};

using ULLauncherButtonPtr = std::shared_ptr<ULLauncherButton>;
