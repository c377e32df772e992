// A channel as a list screen holds it while it shows and pages it: its number, the kind of list,
// the selected sub-channel and the items loaded so far.  Setting the number or the sub-channel
// derives the channel id string sent to the server and records it as the app-wide current
// channel, which the content-server client adds to its repost, comment, share and advert
// requests.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "model/ChannelItem.h"

class Channel;
using ChannelPtr = std::shared_ptr<Channel>;

class Channel : public NSObject {
 public:
  Channel() = default;
  static ChannelPtr init() { return std::make_shared<Channel>(); }
  static ChannelPtr initWithChannelType(int channelType);
  static ChannelPtr initWithActionType(int actionType);
  // The kind is set first, so that the number's rule sees it.
  static ChannelPtr initWithChannelType(int channelType, int actionType);
  static ChannelPtr initWithChannelItem(const ChannelItemPtr& item);

  // A channel of the same number made afresh (kind 0), sharing the name, the text and the very
  // same array of loaded items; kind, sub-channel and sub-channel arrays are not copied.
  ChannelPtr copy() const;

  int channelType() const { return channelType_; }
  void setChannelType(int channelType);
  // Sub-channel counted from 1; 0 = none.
  int subType() const { return subType_; }
  void setSubType(int subType);
  // The kind of list: a catalogue template, or a screen's own kind (51 for search results).
  int actionType() const { return actionType_; }
  void setActionType(int actionType) { actionType_ = actionType; }
  const std::string& channelId() const { return channelId_; }
  void setChannelId(std::string channelId) { channelId_ = std::move(channelId); }
  const std::string& channelName() const { return channelName_; }
  void setChannelName(std::string channelName) { channelName_ = std::move(channelName); }
  const ValueArray& channelStatuses() const { return channelStatuses_; }
  void setChannelStatuses(ValueArray statuses) { channelStatuses_ = std::move(statuses); }
  // Free text, such as a search keyword.
  const std::string& text() const { return text_; }
  void setText(std::string text) { text_ = std::move(text); }
  const ValueArray& subChannelIds() const { return subChannelIds_; }
  void setSubChannelIds(ValueArray ids) { subChannelIds_ = std::move(ids); }
  const ValueArray& subChannelNames() const { return subChannelNames_; }
  void setSubChannelNames(ValueArray names) { subChannelNames_ = std::move(names); }

  // The channel number in a text (a push notification's, a link's): its value when it is
  // 1...49999, otherwise 1.
  static int getChannelType(std::string_view text);
  // The bar title image of a channel number.
  static std::string getCurNaviTitle(int channelType);

 private:
  static bool isGroupingKind(int actionType);
  // The sub-channel id at 1-based position `sub`, when the channel has one there.
  bool subChannelIdAt(int sub, std::string* id) const;

  int channelType_ = 0;
  int subType_ = 0;
  int actionType_ = 0;
  std::string channelId_;
  std::string channelName_;
  ValueArray channelStatuses_;
  std::string text_;
  ValueArray subChannelIds_;
  ValueArray subChannelNames_;
};
