#include "screens/reading/UIChannelBaseViewCtrl.h"

#include "Foundation/NSClass.h"
#include "UIKit/UITableView.h"
#include "model/Comment.h"
#include "model/OriginalArticle.h"
#include "model/User.h"

NSRecursiveLock::~NSRecursiveLock() {
  while (depth_ > 0) unlock();
}

void NSRecursiveLock::lock() {
  mutex_.lock();
  ++depth_;
}

void NSRecursiveLock::unlock() {
  if (depth_ == 0) return;
  --depth_;
  mutex_.unlock();
}

NS_CLASS_IMPLEMENTATION(UIChannelBaseViewCtrl) {}

UIChannelBaseViewCtrl::UIChannelBaseViewCtrl() = default;
UIChannelBaseViewCtrl::~UIChannelBaseViewCtrl() = default;

void UIChannelBaseViewCtrl::viewDidLoad() {
  UIScrollViewCtrl::viewDidLoad();
  if (!animalLock_) animalLock_ = std::make_unique<NSRecursiveLock>();
}

bool UIChannelBaseViewCtrl::shouldAutorotateToInterfaceOrientation(
    UIInterfaceOrientation orientation) {
  return orientation == UIInterfaceOrientation::Portrait;
}

void UIChannelBaseViewCtrl::startDetailAnimal(const std::shared_ptr<UITableView>&,
                                              const NSIndexPath&) {}
void UIChannelBaseViewCtrl::endDetailAnimation() {}
void UIChannelBaseViewCtrl::animatedStop(const Value&) {}
CGFloat UIChannelBaseViewCtrl::visibleListHeight() {
  return 372;
}
void UIChannelBaseViewCtrl::addInReFreshArray(const NSIndexPath&) {}
void UIChannelBaseViewCtrl::reloadDownImageCell() {}
void UIChannelBaseViewCtrl::loadMoreAnimationgOver() {
  UIScrollViewCtrl::loadMoreAnimationgOver();
}
void UIChannelBaseViewCtrl::refreshTableView() {}
void UIChannelBaseViewCtrl::checkInsFav(const std::shared_ptr<NSObject>&) {}
void UIChannelBaseViewCtrl::openArticleView(const std::shared_ptr<OriginalArticle>&, bool) {}
void UIChannelBaseViewCtrl::articleCallback(const Value&) {}
void UIChannelBaseViewCtrl::channelArticleCallback(const Value&) {}
void UIChannelBaseViewCtrl::articleDidAdded(const Value&) {}
void UIChannelBaseViewCtrl::contentAction(int) {}
void UIChannelBaseViewCtrl::commentAction(int, const std::shared_ptr<Comment>&) {}
std::string UIChannelBaseViewCtrl::getChannelId() {
  return "";
}
std::string UIChannelBaseViewCtrl::getCurrentItemEid() {
  return "";
}
void UIChannelBaseViewCtrl::showPic(const std::optional<std::string>&) {}
void UIChannelBaseViewCtrl::showHead(const std::shared_ptr<User>&) {}
void UIChannelBaseViewCtrl::lineAction(int) {}
void UIChannelBaseViewCtrl::replyComment(const std::shared_ptr<NSObject>&) {}
void UIChannelBaseViewCtrl::openURL(const std::string&) {}
void UIChannelBaseViewCtrl::refreshDetail() {}
bool UIChannelBaseViewCtrl::respondsToSelector(std::string_view selector) const {
  return NSObject::respondsToSelector(selector);
}
void UIChannelBaseViewCtrl::httpLinkSelect(const std::string& text) {
  openURL(text);
}
void UIChannelBaseViewCtrl::openURLisVideo(const std::string&, bool) {}
void UIChannelBaseViewCtrl::openURLWeb(const std::string&) {}
void UIChannelBaseViewCtrl::insertSubviewAboveSubview(const std::shared_ptr<UIView>&,
                                                      const std::shared_ptr<UIView>&) {}
void UIChannelBaseViewCtrl::sendEmailOver(int) {
  mailVC_.reset();
}
void UIChannelBaseViewCtrl::pushArticleReader(const std::shared_ptr<OriginalArticle>&, bool) {}
bool UIChannelBaseViewCtrl::articleReplyUsable(const Value&) const {
  return false;
}
