#include "screens/reading/UIChannelBaseViewCtrl.h"

#include <cstdlib>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "UIKit/UIButton.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/Comment.h"
#include "model/OriginalArticle.h"
#include "model/Status.h"
#include "model/User.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"
#include "screens/reading/FullArticleViewController.h"
#include "screens/reading/UIContentView.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/UIInfoViewCtrl.h"
#include "ui/framework/UIMsgViewCtrl.h"
#include "ui/framework/WebViewCtrl.h"
#include "ui/widgets/UIPhotoViewCtrl.h"

namespace {

constexpr long kFavoritesKind = 4;
constexpr int kArticleDownloadType = 34;

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The length in bytes of the UTF-8 character that starts the text (1 for a stray byte).
size_t firstCharacterLength(std::string_view text) {
  if (text.empty()) return 0;
  auto lead = static_cast<unsigned char>(text[0]);
  size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return std::min(n, text.size());
}

bool fileExists(const std::optional<std::string>& path) {
  return path && NSFileManager::defaultManager().fileExistsAtPath(*path);
}

}  // namespace

// ---- the lock

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

// ---- the screen

NS_CLASS_IMPLEMENTATION(UIChannelBaseViewCtrl) {
  c.method("animatedStop:", &UIChannelBaseViewCtrl::animatedStop);
  c.method("endDetailAnimation", &UIChannelBaseViewCtrl::endDetailAnimation);
  c.method("reloadDownImageCell", &UIChannelBaseViewCtrl::reloadDownImageCell);
  c.method("refreshTableView", &UIChannelBaseViewCtrl::refreshTableView);
  c.method("articleCallback:", &UIChannelBaseViewCtrl::articleCallback);
  c.method("channelArticleCallback:", &UIChannelBaseViewCtrl::channelArticleCallback);
  c.method("articleDidAdded:", &UIChannelBaseViewCtrl::articleDidAdded);
}

UIChannelBaseViewCtrl::UIChannelBaseViewCtrl() : animalLock_(std::make_unique<NSRecursiveLock>()) {}

UIChannelBaseViewCtrl::~UIChannelBaseViewCtrl() = default;

bool UIChannelBaseViewCtrl::shouldAutorotateToInterfaceOrientation(
    UIInterfaceOrientation orientation) {
  return orientation == UIInterfaceOrientation::Portrait;
}

CGFloat UIChannelBaseViewCtrl::visibleListHeight() {
  return UIScreen::mainScreen()->bounds().size.height - kListChromeHeight;
}

// ---- the detail view in place

void UIChannelBaseViewCtrl::startDetailAnimal(const std::shared_ptr<UITableView>& tableView,
                                              const NSIndexPath& indexPath) {
  if (!tableView) return;
  auto cell = tableView->cellForRowAtIndexPath(indexPath);
  std::shared_ptr<UIHomeViewCell> itemView;
  if (cell && cell->contentView()) {
    for (const auto& sub : cell->contentView()->subviews()) {
      if ((itemView = std::dynamic_pointer_cast<UIHomeViewCell>(sub))) break;
    }
  }
  if (!cell || (!itemView && !contentView_)) {
    // A row without an item (the more row, an advert) opens nothing.
    isInDetail_ = false;
    return;
  }

  PHProgressHUD::hideBar(view());
  animalLock_->lock();  // until animatedStop
  const CGFloat listHeight = visibleListHeight();
  anmiDic_.clear();

  const CGFloat offset = tableView->contentOffset().y;
  const CGRect cellFrame = cell->frame();
  const CGFloat cellY = cellFrame.origin.y;
  const CGFloat cellH = cellFrame.size.height;
  const CGFloat top = cellY - offset;

  if (!contentView_) {
    auto copy = itemView->copyWithZone();
    copy->setCanDelete(itemView->canDelete());
    contentView_ = UIContentView::initWithContent(copy, CGRectMake(0, top, 320, cellH));
    contentView_->setActionType(static_cast<int>(actionType()));
    contentView_->setConDelegate(weakSelf<UIChannelBaseViewCtrl>());
  }
  view()->addSubview(contentView_);
  contentView_->checkForHelp();
  contentView_->setAlpha(0);

  UIView::beginAnimations(kOpenAnimationName);
  UIView::setAnimationDuration(kDetailAnimationSeconds);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weak_from_this());
  UIView::setAnimationDidStopSelector(selector(
      weakSelf<UIChannelBaseViewCtrl>(), &UIChannelBaseViewCtrl::animatedStop, "animatedStop:"));
  for (const auto& visible : tableView->visibleCells()) {
    auto path = tableView->indexPathForCell(visible);
    if (!path) continue;
    CGRect frame = visible->frame();
    anmiDic_[*path] = frame;
    if (visible == cell) continue;
    if (frame.origin.y < cellY)
      frame.origin.y -= top;  // leaves through the top
    else
      frame.origin.y += listHeight - (top + cellH);  // leaves through the bottom
    visible->setFrame(frame);
  }
  CGRect filled = cellFrame;
  filled.origin.y = offset;
  filled.size.height = listHeight;
  cell->setFrame(filled);
  contentView_->reloadContent();
  contentView_->setAlpha(1);
  UIView::setAnimationTransition(UIViewAnimationTransition::None, view(), true);
  UIView::commitAnimations();
}

void UIChannelBaseViewCtrl::endDetailAnimation() {
  animalLock_->lock();  // until animatedStop
  UIView::beginAnimations(kCloseAnimationName);
  UIView::setAnimationDuration(kDetailAnimationSeconds);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weak_from_this());
  UIView::setAnimationDidStopSelector(selector(
      weakSelf<UIChannelBaseViewCtrl>(), &UIChannelBaseViewCtrl::animatedStop, "animatedStop:"));
  if (contentView_) contentView_->setAlpha(0);
  if (auto table = dataTableView()) {
    for (const auto& [path, frame] : anmiDic_) {
      if (auto cell = table->cellForRowAtIndexPath(path)) cell->setFrame(frame);
    }
  }
  UIView::setAnimationTransition(UIViewAnimationTransition::None, view(), true);
  UIView::commitAnimations();
}

void UIChannelBaseViewCtrl::animatedStop(const Value& animationName) {
  if (animationName.isString() && animationName.string() == kCloseAnimationName) {
    isInDetail_ = false;
    anmiDic_.clear();
    if (auto closing = std::move(contentView_)) closing->removeAllView();
    reloadDownImageCell();
  } else if (contentView_) {
    contentView_->startLoadTableView();
  }
  animalLock_->unlock();
}

// ---- deferred reloads

void UIChannelBaseViewCtrl::addInReFreshArray(const NSIndexPath& indexPath) {
  if (!reFreshArray_) reFreshArray_.emplace();
  for (const auto& path : *reFreshArray_) {
    if (path.row == indexPath.row) return;
  }
  reFreshArray_->push_back(indexPath);
}

void UIChannelBaseViewCtrl::reloadRecordedRows() {
  auto rows = std::move(reFreshArray_);
  reFreshArray_.reset();
  auto table = dataTableView();
  if (!rows || rows->empty() || !table) return;
  // Rows that the list lost meanwhile are not there to reload.
  std::vector<NSIndexPath> present;
  for (const auto& path : *rows) {
    if (path.section < table->numberOfSections() &&
        path.row < table->numberOfRowsInSection(path.section))
      present.push_back(path);
  }
  if (!present.empty()) table->reloadRowsAtIndexPaths(present, UITableViewRowAnimation::Fade);
}

void UIChannelBaseViewCtrl::reloadDownImageCell() {
  animalLock_->lock();
  reloadRecordedRows();
  animalLock_->unlock();
  if (needLaterRefresh_) {
    needLaterRefresh_ = false;
    if (auto table = dataTableView()) table->reloadData();
  }
}

void UIChannelBaseViewCtrl::loadMoreAnimationgOver() {
  if (!isInDetail_) reloadRecordedRows();
  UIScrollViewCtrl::loadMoreAnimationgOver();
}

void UIChannelBaseViewCtrl::refreshTableView() {
  if (isInDetail_) {
    needLaterRefresh_ = true;
  } else if (auto table = dataTableView()) {
    table->reloadData();
  }
}

// ---- list items

void UIChannelBaseViewCtrl::checkInsFav(const std::shared_ptr<NSObject>& item) {
  if (!item) return;
  auto status = std::dynamic_pointer_cast<Status>(item);
  if (actionType() == kFavoritesKind) {
    if (status)
      status->favorited = true;
    else
      item->setValueForKey(Value(true), "favorited");
    return;
  }
  if (!status) return;
  auto engine = NSWeiBoNet::getNetEngine();
  if (!engine) return;
  for (const auto& id : engine->favoriteList()) {
    if (std::strtoll(id.c_str(), nullptr, 10) == status->statusId) {
      status->favorited = true;
      return;
    }
  }
}

// ---- articles

void UIChannelBaseViewCtrl::openArticleView(const std::shared_ptr<OriginalArticle>& article,
                                            bool fromChannel) {
  if (!article) return;
  auto page = fromChannel ? UIFilePath::readLaterHTMLFilePath(article->originalURL)
                          : UIFilePath::localHTMLFilePath(article->originalURL);
  if (fileExists(page)) {
    pushArticleReader(article, fromChannel);
    return;
  }
  tempArticle_ = article;
  auto msg = std::make_shared<NSMsgSend>();
  msg->sender = weakSelf<NSObject>();
  msg->type = kArticleDownloadType;
  msg->data = Value::arrayOf({Value(article->originalURL), Value(getChannelId())});
  msg->action = fromChannel ? selector(weakSelf<UIChannelBaseViewCtrl>(),
                                       &UIChannelBaseViewCtrl::channelArticleCallback,
                                       "channelArticleCallback:")
                            : selector(weakSelf<UIChannelBaseViewCtrl>(),
                                       &UIChannelBaseViewCtrl::articleCallback, "articleCallback:");
  postNotificationObject("globe_request", msg);
}

void UIChannelBaseViewCtrl::pushArticleReader(const std::shared_ptr<OriginalArticle>& article,
                                              bool fromChannel) {
  auto reader = std::make_shared<FullArticleViewController>();
  reader->setReadFromChannel(fromChannel);
  reader->setArticle(article);
  if (auto navigation = navigationController()) navigation->pushViewController(reader, true);
  if (!fromChannel) {
    addObserverWithSelector(weak_from_this(),
                            selector(weakSelf<UIChannelBaseViewCtrl>(),
                                     &UIChannelBaseViewCtrl::articleDidAdded, "articleDidAdded:"),
                            kArticleAdded);
  }
}

bool UIChannelBaseViewCtrl::articleReplyUsable(const Value& reply) const {
  if (!tempArticle_) return false;
  auto page = UIFilePath::localHTMLFilePath(tempArticle_->originalURL);
  std::string text(reply.isString() ? reply.string() : std::string_view());
  const bool failed = (objectFromJSONString(text).isDictionary() &&
                       !ServerResult::resultWithJSONString(text)->resultSuccess) ||
                      startsWith(text, "0");
  if (failed) {
    // The download wrote the failure where the page goes: without this the next open would
    // show it as the article instead of asking again.
    if (fileExists(page)) NSFileManager::defaultManager().removeItemAtPath(*page);
    return false;
  }
  return fileExists(page);
}

void UIChannelBaseViewCtrl::articleCallback(const Value& reply) {
  if (!articleReplyUsable(reply)) return;
  pushArticleReader(tempArticle_, false);
}

void UIChannelBaseViewCtrl::channelArticleCallback(const Value& reply) {
  if (!articleReplyUsable(reply)) return;
  auto page = UIFilePath::localHTMLFilePath(tempArticle_->originalURL);
  auto later = UIFilePath::readLaterHTMLFilePath(tempArticle_->originalURL);
  if (page && later && !fileExists(later))
    NSFileManager::defaultManager().copyItemAtPath(*page, *later);
  pushArticleReader(tempArticle_, true);
}

void UIChannelBaseViewCtrl::articleDidAdded(const Value&) {
  removeObserverWithName(weak_from_this(), kArticleAdded);
  if (!contentView_) return;
  contentView_->setHasOriginalArticle(true);
  contentView_->reloadContentCell();
}

// ---- what the detail view asks

void UIChannelBaseViewCtrl::contentAction(int) {}

void UIChannelBaseViewCtrl::commentAction(int code, const std::shared_ptr<Comment>& comment) {
  if (code != 7 || !comment) return;
  auto composer = UIMsgViewCtrl::initWithType(UIMsgViewCtrl::kCommentType);
  composer->reSetTitle("回复评论");
  composer->setWeiboId(comment->status ? comment->status->statusId : 0);
  composer->setSourceComment(comment);
  if (auto navigation = navigationController()) navigation->pushViewController(composer, true);
  composer->textV()->setText("回复@" + (comment->user ? comment->user->screenName : "") + ":");
}

std::string UIChannelBaseViewCtrl::getChannelId() {
  return "";
}

std::string UIChannelBaseViewCtrl::getCurrentItemEid() {
  return "";
}

// ---- what feed item views ask

void UIChannelBaseViewCtrl::showPic(const std::optional<std::string>& address) {
  if (!address) return;
  auto photo = UIPhotoViewCtrl::initWithNibName("UIPhotoViewCtrl");
  photo->setFilePath(stringByReplacingOccurrencesOfString(*address, "thumbnail", "bmiddle"));
  photo->setWeiboType(static_cast<int>(actionType()));
  presentModalViewController(photo, true);
}

void UIChannelBaseViewCtrl::showHead(const std::shared_ptr<User>& user) {
  if (!NSWeiBoNet::isLogined(kShowHeadEvent)) {
    evenItem_ = Value(user);
    return;
  }
  auto profile = UIInfoViewCtrl::initWithNibName("UIInfoViewCtrl");
  profile->setItem(user);
  if (auto navigation = navigationController()) navigation->pushViewController(profile, true);
}

void UIChannelBaseViewCtrl::lineAction(int code) {
  if (!contentView_) return;
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setTag(code);
  contentView_->toolBarAction(button);
}

void UIChannelBaseViewCtrl::replyComment(const std::shared_ptr<NSObject>& comment) {
  if (NSWeiBoNet::isLogined(kReplyCommentEvent))
    commentAction(7, std::dynamic_pointer_cast<Comment>(comment));
}

void UIChannelBaseViewCtrl::openURL(const std::string& text) {
  if (startsWith(text, "http")) {
    recordLinkRead();
    auto web = std::make_shared<WebViewCtrl>();
    std::string link = text;
    const long kind = actionType();
    if (kind != 1 && kind != 5 && kind != 7 && kind != 9 && kind != 15) {
      Value wrapped =
          ClientRequest::getWebHttp(Value(text), Value(getCurrentItemEid()), Value(getChannelId()));
      if (wrapped.isString()) link = std::string(wrapped.string());
    }
    if (kind == 10 || kind == 11) web->setIsMediaPlay(true);
    if (auto navigation = navigationController()) navigation->pushViewController(web, true);
    web->displayWithURL(link);
    return;
  }
  if (!NSWeiBoNet::isLogined(kOpenNameEvent)) {
    evenItem_ = Value(text);
    return;
  }
  const size_t skip = firstCharacterLength(text);
  if (skip == 0 || skip >= text.size()) return;  // a lone @ names nobody
  auto user = std::make_shared<User>();
  user->username = text.substr(skip);
  user->description = "";
  user->location = "";
  user->profileImageUrl = "";
  auto profile = UIInfoViewCtrl::initWithNibName("UIInfoViewCtrl");
  profile->setItem(user);
  if (auto navigation = navigationController()) navigation->pushViewController(profile, true);
}

void UIChannelBaseViewCtrl::refreshDetail() {
  if (contentView_) contentView_->reloadContentCell();
}

bool UIChannelBaseViewCtrl::respondsToSelector(std::string_view selector) const {
  static constexpr std::string_view kAnswered[] = {
      "showHead:",     "lineAction:",      "replyComment:",          "openURL:",
      "refreshDetail", "contentAction:",   "commentAction:comment:", "openArticleView:fromChannel:",
      "getChannelId",  "getCurrentItemEid"};
  for (auto name : kAnswered) {
    if (name == selector) return true;
  }
  return NSObject::respondsToSelector(selector);
}

void UIChannelBaseViewCtrl::httpLinkSelect(const std::string& text) {
  openURL(text);
}

// ---- links

void UIChannelBaseViewCtrl::openURLisVideo(const std::string& url, bool isVideo) {
  auto web = std::make_shared<WebViewCtrl>();
  if (isVideo) web->setIsMediaPlay(true);
  if (auto navigation = navigationController()) navigation->pushViewController(web, true);
  web->displayWithURL(url);
}

void UIChannelBaseViewCtrl::openURLWeb(const std::string& url) {
  if (!startsWith(url, "http")) return;
  auto web = std::make_shared<WebViewCtrl>();
  if (auto navigation = navigationController()) navigation->pushViewController(web, true);
  web->displayWithURL(url);
}

void UIChannelBaseViewCtrl::insertSubviewAboveSubview(const std::shared_ptr<UIView>& subview,
                                                      const std::shared_ptr<UIView>& sibling) {
  view()->insertSubviewAboveSubview(subview, sibling);
}

void UIChannelBaseViewCtrl::sendEmailOver(int) {
  mailVC_.reset();
}
