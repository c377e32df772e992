// The channel screen, least stand-in until the channel reading screens are built: it is made
// for a catalogue channel or for a channel number and list kind, keeps the `Channel` it shows
// and a plain view standing in for its table, and reports what its owners ask of it (table
// reloads, the back action) to the stand-in sink (ui/framework/StandInSink.h) under its class
// name.  Its bottom bar is the channel tab bar (no tabs yet).
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIViewController.h"
#include "model/Channel.h"
#include "model/ChannelItem.h"

class UINaviTabView;

class ChannelViewController : public UIViewController {
  NS_CLASS(ChannelViewController, UIViewController)
 public:
  ChannelViewController() = default;
  // initWithChannelItem:
  static std::shared_ptr<ChannelViewController> initWithChannelItem(const ChannelItemPtr& item);
  // initWithChannelType:actionType:
  static std::shared_ptr<ChannelViewController> initWithChannelType(int channelType,
                                                                    int actionType);
  void loadView() override;

  // The back action: leaves the navigation stack.  The sender may be nil.
  void cancelButtonPushed(const Value& sender = {});
  void refreshTableView();

  const ChannelPtr& currentChannel() const { return currentChannel_; }
  // The catalogue record the screen was made for; null for one made from numbers.
  const ChannelItemPtr& channelItem() const { return channelItem_; }
  // The screen lists the favourites / the read-later articles.
  bool isInFavorite() const;
  bool isInReadLater() const;
  // Stands in for the screen's table view.
  std::shared_ptr<UIView> dataTableView();
  // The bottom bar, along the view's bottom edge.
  std::shared_ptr<UINaviTabView> naviTapView();

 private:
  ChannelPtr currentChannel_;
  ChannelItemPtr channelItem_;
  std::shared_ptr<UIView> dataTableView_;
  std::shared_ptr<UINaviTabView> naviTapView_;
};
