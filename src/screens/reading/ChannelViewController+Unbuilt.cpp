// Least forms of the channel screen's operations that its rows and bars call but whose own
// files are not written yet (bar and tab actions, slides, item sheets, adverts).  Each is a weak
// definition: the real one, once linked, takes its place, and this file can then go.
#include "screens/reading/ChannelViewController.h"

#define ZEPT_UNBUILT __attribute__((weak))

ZEPT_UNBUILT void ChannelViewController::naviBarAction(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::friendsStatusDidSelect(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::atMeDidSelect(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::myCommentDidSelect(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::myStatusDidSelect(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::favReadAction(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::moveToLeftSide() {}
ZEPT_UNBUILT void ChannelViewController::restoreViewLocation() {}
ZEPT_UNBUILT void ChannelViewController::cancelView() {}
ZEPT_UNBUILT std::string ChannelViewController::getCurNaviTitle() const {
  return currentChannel() ? Channel::getCurNaviTitle(currentChannel()->channelType())
                          : std::string();
}
ZEPT_UNBUILT std::string ChannelViewController::getThirdPartyChannelTitle() const {
  return std::string();
}
ZEPT_UNBUILT void ChannelViewController::adCloseAction(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::adTapAction(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::LongPress(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::readPress(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::articleDidDeleted(const Value&) {}
ZEPT_UNBUILT void ChannelViewController::openSeminarViewCtrl(int) {}
