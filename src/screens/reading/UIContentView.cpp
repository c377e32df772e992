#include "screens/reading/UIContentView.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIScreen.h"
#include "core/UIBkImageView.h"
#include "ui/feed/UIHomeViewCell.h"

UIContentView::UIContentView(CGRect frame) : UIBaseView(frame) {}

UIContentView::~UIContentView() = default;

std::shared_ptr<UIContentView> UIContentView::initWithFrame(CGRect frame) {
  auto view = UIRecordBaseView::initWithFrame<UIContentView>(frame);
  view->setBackgroundColor(UIBkImageView::getBkColor());
  return view;
}

std::shared_ptr<UIContentView> UIContentView::initWithContent(
    const std::shared_ptr<UIHomeViewCell>& cell, CGRect frame) {
  auto view = initWithFrame(frame);
  view->contentCell_ = cell;
  if (cell) view->addSubview(cell);
  return view;
}

void UIContentView::reloadContent() {}
void UIContentView::startLoadTableView() {}
void UIContentView::removeAllView() {
  for (const auto& sub : subviews()) sub->removeFromSuperview();
  removeFromSuperview();
}
void UIContentView::checkForHelp() {}
void UIContentView::closeHelp(const Value&) {}
void UIContentView::reloadContentCell() {}
void UIContentView::moveTableCellView() {}
void UIContentView::animatedStop(const Value&) {}
void UIContentView::reloadFirstCell() {}
void UIContentView::removeContentView() {}
void UIContentView::refresh() {}
void UIContentView::loadMoreData() {}
bool UIContentView::needUserAllLoadContent() {
  return false;
}
void UIContentView::loadContent() {}
void UIContentView::loadAdInfoByContent() {}
void UIContentView::loadDialogRecordComment() {}
void UIContentView::loadCacheComment() {}
void UIContentView::loadComment() {}
void UIContentView::loadCacheRetweet() {}
void UIContentView::loadRetweet() {}
void UIContentView::loadMoreList() {}
void UIContentView::pasteArticleFromStatusText() {}
void UIContentView::loadHTMLFile() {}
void UIContentView::reLoadHTMLFile() {}
void UIContentView::reLoadStatue() {}
void UIContentView::loadAdInfo() {}
void UIContentView::stopRequest() {}
void UIContentView::recordUserRead() {}
void UIContentView::curSelectTabIndex(int) {}
void UIContentView::reloadSelect(int) {}
void UIContentView::allContentCallBack(const Value&) {}
void UIContentView::commentList(const Value&) {}
void UIContentView::retweetList(const Value&) {}
void UIContentView::moreList(const Value&) {}
void UIContentView::articleCallback(const Value&) {}
void UIContentView::refreshCallBack(const Value&) {}
void UIContentView::adInfoCallBack(const Value&) {}
void UIContentView::favCallBack(const Value&) {}
void UIContentView::fanKuiCallBack(const Value&) {}
void UIContentView::adImgCallBack(const std::shared_ptr<HXHTTPRequest>&) {}
void UIContentView::CommentRequest(const Value&) {}
void UIContentView::bindAccountOk(const Value&) {}
void UIContentView::readLater(const Value&) {}
void UIContentView::readNow(const Value&) {}
void UIContentView::adTapAction(const Value&) {}
void UIContentView::adCloseAction(const Value&) {}
void UIContentView::showAdOk() {}
void UIContentView::refreshFav(const Value&) {}
void UIContentView::pageAnimatedStop(const Value&) {}
void UIContentView::loadContentSwipePage() {}
void UIContentView::toolBarAction(const std::shared_ptr<UIButton>&) {}
void UIContentView::swipePage(bool) {}
void UIContentView::popAnimal(const std::shared_ptr<UIButton>&, bool) {}
void UIContentView::willLoadMore(const Value&) {}
long UIContentView::tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) {
  return 0;
}
CGFloat UIContentView::tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                        const NSIndexPath&) {
  return 0;
}
std::shared_ptr<UITableViewCell> UIContentView::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath&) {
  return std::make_shared<UITableViewCell>();
}
std::shared_ptr<UIView> UIContentView::tableViewViewForHeaderInSection(
    const std::shared_ptr<UITableView>&, long) {
  return nullptr;
}
CGFloat UIContentView::tableViewHeightForHeaderInSection(const std::shared_ptr<UITableView>&,
                                                         long) {
  return 0;
}
void UIContentView::tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                     const NSIndexPath&) {}
void UIContentView::scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) {}

NS_CLASS_IMPLEMENTATION(UIContentView) {}
