#include "screens/reading/ChannelViewController.h"

#include "Foundation/NSClass.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableView.h"
#include "ui/framework/StandInSink.h"

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelItem(
    const ChannelItemPtr& item) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->channelItem_ = item;
  screen->setCurrentChannel(item ? Channel::initWithChannelItem(item) : Channel::init());
  return screen;
}

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelType(int channelType,
                                                                                  int actionType) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->setCurrentChannel(Channel::initWithChannelType(channelType, actionType));
  return screen;
}

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelType(
    int channelType, int actionType, const std::shared_ptr<NSObject>& item) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->selfItem_ = item;
  screen->setCurrentChannel(Channel::initWithChannelType(channelType, actionType));
  return screen;
}

void ChannelViewController::setCurrentChannel(const ChannelPtr& channel) {
  currentChannel_ = channel;
  setActionType(channel->actionType());
  needShowRet_ = true;
  setIsInRefresh(false);
  currentChannel_->setChannelStatuses(nullptr);
  if (auto table = dataTableView()) {
    table->setContentOffset(CGPointZero);
    table->reloadData();
  }
  initView();
}

bool ChannelViewController::isInFavorite() const {
  if (!currentChannel_) return false;
  int kind = currentChannel_->actionType();
  return kind == kTemplateMyFavorite ||
         (kind == kTemplateMyFavAndReadLater && currentSelectType_ == 5);
}

bool ChannelViewController::isInReadLater() const {
  if (!currentChannel_) return false;
  int kind = currentChannel_->actionType();
  return kind == kTemplateReadLater ||
         (kind == kTemplateMyFavAndReadLater && currentSelectType_ == 6);
}

void ChannelViewController::cancelButtonPushed(const Value&) {
  reportStandInEvent(className(), "cancelButtonPushed");
  auto navigation = navigationController();
  if (!navigation) return;
  auto self = selfPtr();
  const auto& stack = navigation->viewControllers();
  if (!stack.empty() && stack.back() == self) {
    navigation->popViewControllerAnimated(true);
  } else {
    // Not on top: take everything above it away with it.
    for (size_t i = 1; i < stack.size(); ++i) {
      if (stack[i] == self) {
        navigation->popToViewController(stack[i - 1], true);
        break;
      }
    }
  }
}

NS_CLASS_IMPLEMENTATION(ChannelViewController) {
  c.initializer("initWithChannelItem:", &ChannelViewController::initWithChannelItem);
  c.initializer("initWithChannelType:actionType:",
                static_cast<std::shared_ptr<ChannelViewController> (*)(int, int)>(
                    &ChannelViewController::initWithChannelType));
  c.method("cancelButtonPushed:", &ChannelViewController::cancelButtonPushed);
}
