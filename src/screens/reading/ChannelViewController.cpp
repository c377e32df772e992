#include "screens/reading/ChannelViewController.h"

#include "Foundation/NSClass.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "ui/framework/StandInSink.h"
#include "ui/widgets/UINaviTabView.h"

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelItem(
    const ChannelItemPtr& item) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->channelItem_ = item;
  screen->currentChannel_ = item ? Channel::initWithChannelItem(item) : Channel::init();
  return screen;
}

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelType(int channelType,
                                                                                  int actionType) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->currentChannel_ = Channel::initWithChannelType(channelType, actionType);
  return screen;
}

void ChannelViewController::loadView() {
  UIViewController::loadView();
  dataTableView();
  naviTapView();
}

std::shared_ptr<UINaviTabView> ChannelViewController::naviTapView() {
  if (!naviTapView_) {
    naviTapView_ = UINaviTabView::initWithArray({});
    CGRect frame = naviTapView_->frame();
    frame.origin.y = view()->bounds().size.height - frame.size.height;
    naviTapView_->setFrame(frame);
    view()->addSubview(naviTapView_);
  }
  return naviTapView_;
}

std::shared_ptr<UIView> ChannelViewController::dataTableView() {
  if (!dataTableView_) {
    CGRect screen = UIScreen::mainScreen()->bounds();
    dataTableView_ = std::make_shared<UIView>(
        CGRectMake(0, 44, screen.size.width, screen.size.height - 20 - 44));
    view()->addSubview(dataTableView_);
  }
  return dataTableView_;
}

bool ChannelViewController::isInFavorite() const {
  return currentChannel_ && currentChannel_->actionType() == kTemplateMyFavorite;
}

bool ChannelViewController::isInReadLater() const {
  return currentChannel_ && currentChannel_->actionType() == kTemplateReadLater;
}

void ChannelViewController::refreshTableView() {
  reportStandInEvent(className(), "refreshTableView");
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
  c.initializer("initWithChannelType:actionType:", &ChannelViewController::initWithChannelType);
  c.method("refreshTableView", &ChannelViewController::refreshTableView);
  c.method("cancelButtonPushed:", &ChannelViewController::cancelButtonPushed);
}
