#include "model/Channel.h"

#include "core/NSGlobe.h"

namespace {

constexpr int kSubscriptionKind = kTemplateMySubscription;

void recordCurrentChannel(const std::string& channelId) {
  if (auto globe = NSGlobe::getEngine()) globe->setCurChannel(channelId);
}

}  // namespace

ChannelPtr Channel::initWithChannelType(int channelType) {
  auto channel = std::make_shared<Channel>();
  channel->setChannelType(channelType);
  return channel;
}

ChannelPtr Channel::initWithActionType(int actionType) {
  auto channel = std::make_shared<Channel>();
  channel->setActionType(actionType);
  return channel;
}

ChannelPtr Channel::initWithChannelType(int channelType, int actionType) {
  auto channel = std::make_shared<Channel>();
  channel->setActionType(actionType);
  channel->setChannelType(channelType);
  return channel;
}

ChannelPtr Channel::initWithChannelItem(const ChannelItemPtr& item) {
  auto channel = std::make_shared<Channel>();
  if (!item) return channel;
  channel->setSubChannelIds(item->subChannelIds);
  channel->setSubChannelNames(item->subChannelNames);
  channel->setActionType(item->templateId);
  channel->setChannelName(item->name);
  channel->setChannelType(item->type);
  return channel;
}

ChannelPtr Channel::copy() const {
  auto channel = initWithChannelType(channelType_);
  channel->setChannelName(channelName_);
  channel->setText(text_);
  channel->setChannelStatuses(channelStatuses_);
  return channel;
}

bool Channel::isGroupingKind(int actionType) {
  return ChannelItem::isGroupingTemplate(actionType);
}

bool Channel::subChannelIdAt(int sub, std::string* id) const {
  if (!subChannelIds_ || sub < 1 || size_t(sub) > subChannelIds_->count()) return false;
  *id = subChannelIds_->objectAtIndex(size_t(sub) - 1).description();
  return true;
}

void Channel::setSubType(int subType) {
  subType_ = subType;
  if (actionType_ == kSubscriptionKind) {
    // The subscription list asks for every subscribed channel at once: "120-150".
    std::string joined;
    if (auto subscribable = ChannelItem::canSubscribeChannelItems()) {
      for (const auto& item : *subscribable) {
        if (!item->hasSubscribed) continue;
        if (!joined.empty()) joined += "-";
        joined += std::to_string(item->type) + std::to_string(subType);
      }
    }
    channelId_ = joined;
  } else if (isGroupingKind(actionType_)) {
    std::string id;
    channelId_ =
        subChannelIdAt(subType, &id) ? id : std::to_string(channelType_) + std::to_string(subType);
  }
  recordCurrentChannel(channelId_);
}

void Channel::setChannelType(int channelType) {
  channelType_ = channelType;
  setSubType(0);
  switch (actionType_) {
    case 0:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7:
    case 10:
    case 12:
    case 13:
    case 15:
    case 103:
      channelId_ = std::to_string(channelType);
      break;
    case 1:
      channelId_ = "2";
      break;
    case 2:
    case 8:
    case 11:
    case 14:
      setSubType(1);
      break;
    default:
      channelId_ = "0";
      break;
  }
  std::string current;
  if (subType_ == 0) {
    current = std::to_string(channelType);
  } else if (!(isGroupingKind(actionType_) && subChannelIdAt(subType_, &current))) {
    current = std::to_string(channelType) + "-" + std::to_string(subType_);
  }
  recordCurrentChannel(current);
}

int Channel::getChannelType(std::string_view text) {
  const int value = Value(text).intValue();
  return value >= 1 && value <= 49999 ? value : 1;
}

std::string Channel::getCurNaviTitle(int channelType) {
  return "naviTitle" + std::to_string(channelType);
}
