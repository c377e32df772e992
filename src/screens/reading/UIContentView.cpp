// The detail view's loading: what it asks the servers for, in which order, and how the replies,
// the caches and the bus notifications change what it shows.  The table, toolbar and the other
// actions are in UIContentView+Table.cpp.
#include "screens/reading/UIContentView.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIScreen.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/RequestType.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "model/NSLoginData.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"
#include "ui/feed/UIHomeViewCell.h"

namespace {

// Requests and usage events of this view.
constexpr int kReadEvent = 8;
constexpr int kPageSize = 20;
bool isBound() {
  return NSWeiBoNet::isLogined(0);
}

// The list kinds that never show adverts nor ask for the whole content.
bool isPlainKind(int actionType) {
  switch (actionType) {
    case 1:
    case 5:
    case 7:
    case 9:
    case 100:
    case 101:
    case 102:
    case 103:
      return true;
    default:
      return false;
  }
}

bool countsFromPlatform(int actionType) {
  return actionType == 1 || actionType == 51 || actionType == 103;
}

std::optional<std::string> readText(const std::string& path) {
  return NSFileManager::defaultManager().contentsAtPath(path);
}

// A failed first page or article: the envelope says code 1 and no success.
bool isFailureEnvelope(std::string_view reply) {
  auto result = ServerResult::resultWithJSONString(reply);
  return result->resultCode == 1 && !result->resultSuccess;
}

}  // namespace

UIContentView::UIContentView(CGRect frame) : UIBaseView(frame) {}

UIContentView::~UIContentView() {
  removeObserver(weak_from_this());
  if (auto net = NSWeiBoNet::getNetEngine()) net->cancel();
}

std::shared_ptr<UIContentView> UIContentView::initWithFrame(CGRect frame) {
  auto view = UIRecordBaseView::initWithFrame<UIContentView>(frame);
  view->setBackgroundColor(UIBkImageView::getBkColor());
  auto weak = view->weakSelf<UIContentView>();
  addObserverWithSelector(view, selector(weak, &UIContentView::CommentRequest, "CommentRequest:"),
                          kCommentResult);
  addObserverWithSelector(view, selector(weak, &UIContentView::bindAccountOk, "bindAccountOk:"),
                          kBindAccountOk);
  return view;
}

std::shared_ptr<UIContentView> UIContentView::initWithContent(
    const std::shared_ptr<UIHomeViewCell>& cell, CGRect frame) {
  auto view = initWithFrame(frame);
  view->contentCell_ = cell;
  if (cell) view->addSubview(cell);
  return view;
}

// ---- helpers ------------------------------------------------------------------------------------

bool UIContentView::isOnline() {
  return NSGlobe::getEngine()->curNetStatus() != 0;
}

std::string UIContentView::lld(long long n) {
  return std::to_string(n);
}

StatusPtr UIContentView::status() const {
  return contentCell_ ? std::dynamic_pointer_cast<Status>(contentCell_->weiboitem()) : nullptr;
}

std::string UIContentView::statusIdText() const {
  auto s = status();
  return lld(s ? s->statusId : 0);
}

std::string UIContentView::vorluIdText() const {
  auto s = status();
  return lld(s ? s->vorluId : 0);
}

std::string UIContentView::channelId() const {
  auto d = conDelegate();
  if (d && d->respondsToSelector("getChannelId")) return d->getChannelId();
  return "";
}

std::string UIContentView::commentCachePath() const {
  return UIFilePath::cacheCommentPath(statusIdText());
}

Selector UIContentView::reply(void (UIContentView::*handler)(const Value&), std::string name) {
  return selector(weakSelf<UIContentView>(), handler, std::move(name));
}

void UIContentView::send(int type, std::vector<Value> data, Selector action) {
  postNotification(kGlobeRequest, Value(makeArray(std::move(data))), type, std::move(action),
                   weakSelf<NSObject>());
}

void UIContentView::restartCellDownloads() {
  if (contentCell_) contentCell_->reStartDownload();
}

std::optional<std::string> UIContentView::linkAt(bool quoted, int n) const {
  if (!contentCell_) return std::nullopt;
  return contentCell_->getHttpStr(quoted, n);
}

std::optional<size_t> UIContentView::shownCount() const {
  if (isShowRet_) {
    if (!retweetArray_) return std::nullopt;
    return retweetArray_->size();
  }
  if (!commentArray_) return std::nullopt;
  return commentArray_->size();
}

long long UIContentView::lastCursor() const {
  std::string cursor;
  if (isShowRet_) {
    if (retweetArray_ && !retweetArray_->empty() && retweetArray_->back())
      cursor = retweetArray_->back()->cursor_id;
  } else if (commentArray_ && !commentArray_->empty() && commentArray_->back()) {
    cursor = commentArray_->back()->cursorId;
  }
  return cursor.empty() ? 0 : std::atoll(cursor.c_str());
}

void UIContentView::postReadEvent() {
  postNotification(kLogAction, Value(makeArray({Value(kReadEvent), Value(statusIdText())})),
                   kReadEvent);
}

void UIContentView::recordUserRead() {
  postReadEvent();
}

// ---- opening ------------------------------------------------------------------------------------

void UIContentView::reloadContent() {
  CGRect f = frame();
  f.size.height = UIScreen::mainScreen()->bounds().size.height - 20;
  setFrame(f);
  if (contentCell_) contentCell_->reloadCell();
}

void UIContentView::removeAllView() {
  auto subs = subviews();
  for (const auto& sub : subs) sub->removeFromSuperview();
  removeFromSuperview();
}

bool UIContentView::needUserAllLoadContent() {
  return needUserAllLoadContent(nullptr);
}

bool UIContentView::needUserAllLoadContent(std::optional<CachedComments>* read) {
  auto config = NSConfig::engine()->config();
  if (!config || !config->isShowAd || isPlainKind(actionType_)) return false;
  CachedComments cached{readText(commentCachePath()), nullptr};
  int32_t count = 0;
  if (cached.text && !cached.text->empty()) {
    if (read) {
      // The opening shows this page next: parse it whole once, here.
      cached.page = ZizaJsonStatusParser::parseDicToCommentsInfo(*cached.text);
      count = cached.page ? cached.page->total_number : 0;
    } else {
      count = ZizaJsonStatusParser::countOfCommentsInfo(*cached.text);
    }
  }
  if (read) *read = std::move(cached);
  return count < 1;
}

void UIContentView::startLoadTableView() {
  // The comment cache is read once for the opening; a seminar item shows no cached comments.
  std::optional<CachedComments> cached;
  bool whole = needUserAllLoadContent(actionType_ == 7 ? nullptr : &cached);
  if (!whole) loadAdInfoByContent();
  isInLoad_ = true;
  if (contentCell_) contentCell_->removeFromSuperview();
  CGFloat h = UIScreen::mainScreen()->bounds().size.height;
  ctableView_ = std::make_shared<UITableView>(CGRectMake(0, 0, 320, h - 20));
  ctableView_->setSeparatorStyle(UITableViewCellSeparatorStyle::None);
  ctableView_->setBackgroundColor(UIColor::clearColor());
  auto self = std::static_pointer_cast<UIContentView>(shared_from_this());
  ctableView_->setDelegate(std::weak_ptr<UITableViewDelegate>(self));
  ctableView_->setDataSource(std::weak_ptr<UITableViewDataSource>(self));
  addSubview(ctableView_);

  toolBar_ = UINaviComView::initWithNaviBar(true);
  if (actionType_ == 1 || actionType_ == 5 || actionType_ == 7 || actionType_ == 9 ||
      actionType_ == 103)
    toolBar_->setIsBaoliao(true);
  if (actionType_ == 6) toolBar_->setIsThird(true);
  toolBar_->setNaviDelegate(std::weak_ptr<UINaviComViewDelegate>(self));
  toolBar_->setPopType(5);
  addSubview(toolBar_);
  CGRect bar = toolBar_->frame();
  bar.origin.y = h - 20 - 44;
  toolBar_->setFrame(bar);

  if (whole)
    loadContent();
  else if (actionType_ == 7)
    loadDialogRecordComment();
  else
    loadCacheComment(std::move(cached));

  pasteArticleFromStatusText();
  stopActivityIndicatorViewAnimation();
  initView();
  if (!hasRecord_) {
    hasRecord_ = true;
    postReadEvent();
  }
}

// ---- loaders ------------------------------------------------------------------------------------

void UIContentView::refresh() {
  if (!isOnline()) {
    showPrompt(NSBundle::mainBundle()->localizedStringForKey("NetworkError"));
    return;
  }
  if (contentCell_) contentCell_->reloadCell();
  if (isShowRet_) {
    loadRetweet();
    loadAdInfoByContent();
  } else if (needUserAllLoadContent()) {
    loadContent();
  } else {
    if (actionType_ == 7)
      loadDialogRecordComment();
    else
      loadComment();
    loadAdInfoByContent();
  }
  reLoadHTMLFile();
}

void UIContentView::loadMoreData() {
  if (!isOnline()) {
    showPrompt(NSBundle::mainBundle()->localizedStringForKey("NetworkError"));
    doneMoreLocalTableView();
    return;
  }
  loadMoreList();
}

void UIContentView::loadContent() {
  send(toInt(RequestType::ShowContent),
       {Value(vorluIdText()), Value(statusIdText()), Value(channelId()),
        Value(isBound() ? "0" : "1"), Value(NSGlobe::getEngine()->isAdClose() ? "0" : "1")},
       reply(&UIContentView::allContentCallBack, "allContentCallBack:"));
  // With a bound account the server leaves the comments to the platform.
  if (isBound()) loadComment();
}

bool UIContentView::adsWanted() const {
  auto config = NSConfig::engine()->config();
  return config && config->isShowAd && !isPlainKind(actionType_) && isOnline() &&
         !NSGlobe::getEngine()->isAdClose();
}

void UIContentView::loadAdInfoByContent() {
  if (!adsWanted()) return;
  send(toInt(RequestType::ShowContent),
       {Value(vorluIdText()), Value(statusIdText()), Value(channelId()), Value("0"), Value("1")},
       reply(&UIContentView::allContentCallBack, "allContentCallBack:"));
}

void UIContentView::loadAdInfo() {
  if (!adsWanted()) return;
  send(toInt(RequestType::Advert), {Value(vorluIdText())},
       reply(&UIContentView::adInfoCallBack, "adInfoCallBack:"));
}

void UIContentView::loadDialogRecordComment() {
  if (!isOnline()) {
    isInLoad_ = false;
    restartCellDownloads();
    return;
  }
  bool bound = isBound();
  if (bound) loadComment();
  if (actionType_ != 7) return;
  // The seminar id is asked only of a delegate that has one; none reads as "".
  std::string seminarId;
  auto d = conDelegate();
  if (d && d->respondsToSelector("getSeminarId")) seminarId = d->getSeminarId().value_or("");
  send(toInt(RequestType::ShowSeminarContent),
       {Value(seminarId), Value(statusIdText()), Value(bound ? "0" : "1")},
       reply(&UIContentView::allContentCallBack, "allContentCallBack:"));
}

void UIContentView::loadCacheComment() {
  loadCacheComment(std::nullopt);
}

void UIContentView::loadCacheComment(std::optional<CachedComments> read) {
  if (!read) read = CachedComments{readText(commentCachePath()), nullptr};
  const auto& cached = read->text;
  if (cached && !cached->empty()) {
    showCommentList(*cached, std::move(read->page));
    if (commentArray_ && !commentArray_->empty()) {
      restartCellDownloads();
      isInLoad_ = false;
      return;
    }
  }
  loadComment();
}

void UIContentView::loadComment() {
  if (!isOnline()) {
    isInLoad_ = false;
    restartCellDownloads();
    return;
  }
  needRefreshCom_ = false;
  std::vector<Value> page{Value(statusIdText()), Value("0"), Value(lld(kPageSize))};
  if (isBound()) {
    send(toInt(RequestType::PlatformComments), std::move(page),
         reply(&UIContentView::commentList, "commentList:"));
    return;
  }
  auto s = status();
  if (!s || s->commentsCount == 0) {
    if (indicatorView_) indicatorView_->stopAnimating();
    isInLoad_ = false;
    restartCellDownloads();
    return;
  }
  send(toInt(RequestType::CommentList), std::move(page),
       reply(&UIContentView::commentList, "commentList:"));
}

void UIContentView::loadCacheRetweet() {
  auto cached = readText(UIFilePath::cacheRetweetPath(statusIdText()));
  if (cached && !cached->empty()) {
    retweetList(Value(*cached));
    if (retweetArray_ && !retweetArray_->empty()) {
      restartCellDownloads();
      isInLoad_ = false;
      return;
    }
  }
  loadRetweet();
}

void UIContentView::loadRetweet() {
  if (!isOnline()) {
    isInLoad_ = false;
    restartCellDownloads();
    return;
  }
  needRefreshRet_ = false;
  if (isBound()) {
    send(toInt(RequestType::PlatformReposts),
         {Value(statusIdText()), Value("0"), Value(lld(kPageSize))},
         reply(&UIContentView::retweetList, "retweetList:"));
    return;
  }
  auto s = status();
  if (!s || s->retweetsCount == 0) {
    if (indicatorView_) indicatorView_->stopAnimating();
    isInLoad_ = false;
    restartCellDownloads();
  }
  // With reposts but no account the tab offers the bind prompt.
}

// ---- first pages --------------------------------------------------------------------------------

void UIContentView::showCommentsPage(const std::shared_ptr<NSStatusesInfo>& info,
                                     std::string_view text, bool whole) {
  if (indicatorView_) indicatorView_->stopAnimating();
  isInLoad_ = false;
  commentArray_.reset();
  if (info && info->comments) commentArray_ = *info->comments;
  size_t n = commentArray_ ? commentArray_->size() : 0;
  if (n > 0 && commentArray_->back()) commentArray_->back()->cursorId = lld(info->next_cursor);
  auto s = status();
  if (s) {
    bool raise = whole ? s->commentsCount > 0 : s->commentsCount >= 0;
    if (raise && s->commentsCount < static_cast<int>(n)) {
      s->commentsCount = static_cast<int>(n);
      if (contentCell_) contentCell_->reFreshContentCount();
    }
  }
  if (n >= 1) needReload_ = false;
  if (ctableView_) ctableView_->reloadData();
  bool bound = isBound();
  if (bound && countsFromPlatform(actionType_) && info) {
    if (headContentView_) headContentView_->refreshCount(-1, info->total_number);
    if (s && s->commentsCount < info->total_number) s->commentsCount = info->total_number;
  } else if (!bound && s && n > 0 && static_cast<int>(n) < s->commentsCount &&
             commentArray_->back()) {
    commentArray_->back()->cursorId = "-1";
  }
  if (isOnline() && isFailureEnvelope(text)) showPrompt("评论加载不成功，请刷新重试!");
  restartCellDownloads();
}

void UIContentView::commentList(const Value& replyValue) {
  showCommentList(textOf(replyValue), nullptr);
}

void UIContentView::showCommentList(std::string_view text, std::shared_ptr<NSStatusesInfo> page) {
  if (actionType_ == 100 || isShowRet_) return;
  if (!page) page = ZizaJsonStatusParser::parseDicToCommentsInfo(text);
  showCommentsPage(page, text, false);
}

void UIContentView::retweetList(const Value& replyValue) {
  if (!isShowRet_) return;
  std::string text = textOf(replyValue);
  auto info = ZizaJsonStatusParser::parseDicToRetweetsInfo(text);
  if (indicatorView_) indicatorView_->stopAnimating();
  isInLoad_ = false;
  retweetArray_.reset();
  if (info && info->statuses) retweetArray_ = *info->statuses;
  size_t n = retweetArray_ ? retweetArray_->size() : 0;
  if (n > 0 && retweetArray_->back()) retweetArray_->back()->cursor_id = lld(info->next_cursor);
  auto s = status();
  if (s && s->retweetsCount >= 0 && s->retweetsCount < static_cast<int>(n)) {
    s->retweetsCount = static_cast<int>(n);
    if (contentCell_) contentCell_->reFreshContentCount();
  }
  if (n >= 1) needReload_ = false;
  reloadSelect(1);
  bool bound = isBound();
  if (bound && countsFromPlatform(actionType_) && info) {
    if (headContentView_) headContentView_->refreshCount(info->total_number, -1);
    if (s && s->retweetsCount < info->total_number) s->retweetsCount = info->total_number;
  } else if (!bound && s && n > 0 && static_cast<int>(n) < s->retweetsCount &&
             retweetArray_->back()) {
    retweetArray_->back()->cursor_id = "-1";
  }
  if (isOnline() && isFailureEnvelope(text)) showPrompt("转发加载不成功，请刷新重试!");
  restartCellDownloads();
}

void UIContentView::allContentCallBack(const Value& replyValue) {
  if (actionType_ == 100) return;
  isInLoad_ = false;
  std::string text = textOf(replyValue);
  auto content = ZizaJsonStatusParser::parseToContent(text, commentCachePath());
  if (!content || content->count() == 0) {
    restartCellDownloads();
    return;
  }
  showAdvert(content->objectForKey(kContentAdInfoKey).object<NSAdInfo>());
  auto info = content->objectForKey(kContentCommentsKey).object<NSStatusesInfo>();
  if (!info)
    restartCellDownloads();
  else if (!isShowRet_)
    showCommentsPage(info, text, true);
  if (ctableView_) ctableView_->reloadData();
}

void UIContentView::adInfoCallBack(const Value& replyValue) {
  showAdvert(ZizaJsonStatusParser::parseToAdInfo(textOf(replyValue)));
  if (ctableView_) ctableView_->reloadData();
}

// ---- later pages --------------------------------------------------------------------------------

void UIContentView::loadMoreList() {
  if (!isShowRet_ && !NSWeiBoNet::isLoginedNoPrompt()) {
    NSWeiBoNet::isLogined(kBindMore);
    doneMoreLocalTableView();
    return;
  }
  if (actionType_ == 100) return;
  auto n = shownCount();
  auto s = status();
  if (!n || *n == 0 || needReload_) {
    if (isShowRet_ && s && s->retweetsCount >= 1)
      loadRetweet();
    else if (!isShowRet_ && s && s->commentsCount >= 1)
      loadComment();
    doneMoreLocalTableView();
    return;
  }
  long long cursor = lastCursor();
  if (cursor == 0) {
    if (NSWeiBoNet::isLoginedNoPrompt()) showPrompt("已经是最后一条!");
    doneMoreLocalTableView();
    return;
  }
  if (!NSWeiBoNet::isLogined(kBindMore)) {
    doneMoreLocalTableView();
    return;
  }
  if (indicatorMoreView_) indicatorMoreView_->startAnimating();
  send(toInt(isShowRet_ ? RequestType::PlatformReposts : RequestType::PlatformComments),
       {Value(statusIdText()), Value(lld(cursor)), Value(lld(kPageSize))},
       reply(&UIContentView::moreList, "moreList:"));
}

void UIContentView::moreList(const Value& replyValue) {
  doneLoadingAllTableViewData();
  if (indicatorMoreView_) indicatorMoreView_->stopAnimating();
  std::string text = textOf(replyValue);
  if (isShowRet_) {
    auto page = ZizaJsonStatusParser::parseToRetweet(text);
    if (page) {
      if (!retweetArray_) retweetArray_.emplace();
      retweetArray_->insert(retweetArray_->end(), page->begin(), page->end());
    }
  } else {
    auto page = ZizaJsonStatusParser::parseToComments(text);
    if (page) {
      if (!commentArray_) commentArray_.emplace();
      commentArray_->insert(commentArray_->end(), page->begin(), page->end());
    }
  }
  if (ctableView_) ctableView_->reloadData();
}

void UIContentView::willLoadMore(const Value&) {
  if (actionType_ == 100 || !ctableView_) return;
  ctableView_->becomeFirstResponder();
  auto n = shownCount();
  if (n && *n > 0) {
    long distance =
        static_cast<long>(ctableView_->contentSize().height - ctableView_->contentOffset().y);
    if (distance <= 465 && lastCursor() > 0) loadMoreList();
  }
  if (isShowRet_ && (!retweetArray_ || retweetArray_->empty()))
    NSWeiBoNet::isLogined(kBindRepostTab);
}

// ---- tabs ---------------------------------------------------------------------------------------

void UIContentView::curSelectTabIndex(int index) {
  isInLoad_ = true;
  isShowRet_ = index == 1;
  if (isShowRet_) {
    if (needRefreshRet_)
      loadRetweet();
    else if (!retweetArray_ || retweetArray_->empty())
      loadCacheRetweet();
  } else {
    if (needRefreshCom_)
      loadComment();
    else if (!commentArray_ || commentArray_->empty())
      loadCacheComment();
  }
  reloadSelect(1);
}

void UIContentView::reloadSelect(int section) {
  if (isStartChangePage_ || !ctableView_) return;
  if (ctableView_->numberOfSections() > section)
    ctableView_->reloadSections({section}, UITableViewRowAnimation::None);
  else
    ctableView_->reloadData();
}

// ---- the linked article -------------------------------------------------------------------------

void UIContentView::pasteArticleFromStatusText() {
  urlIndex_ = 1;
  originalURL_ = linkAt(false, 1);
  if (originalURL_) {
    repostHasOriginalArticle_ = true;
  } else {
    originalURL_ = linkAt(true, 1);
    if (!originalURL_) return;
  }
  loadHTMLFile();
}

void UIContentView::loadHTMLFile() {
  if (!originalURL_) return;
  // A saved page on disk: the saved article wins over its text, which is read only without one.
  bool directory = false;
  auto page = UIFilePath::localHTMLFilePath(*originalURL_);
  if (page && NSFileManager::defaultManager().fileExistsAtPath(*page, &directory) && !directory) {
    if (auto saved = OriginalArticle::articleWithURL(*originalURL_)) {
      article_ = saved;
      hasOriginalArticle_ = true;
      if (ctableView_) ctableView_->reloadData();
      return;
    }
    if (auto text = readText(*page); text && !text->empty()) {
      articleCallback(Value(*text));
      return;
    }
  }
  if (!isOnline()) {
    isInLoad_ = false;
    return;
  }
  requestArticle();
}

void UIContentView::requestArticle() {
  auto s = status();
  send(toInt(RequestType::FullArticle),
       {Value(*originalURL_), Value(channelId()), Value(s ? statusIdText() : "0"),
        Value(s ? vorluIdText() : "0")},
       reply(&UIContentView::articleCallback, "articleCallback:"));
}

void UIContentView::reLoadHTMLFile() {
  urlIndex_ = 1;
  repostHasOriginalArticle_ = false;
  originalURL_ = linkAt(false, 1);
  if (originalURL_)
    repostHasOriginalArticle_ = true;
  else
    originalURL_ = linkAt(true, 1);
  if (!originalURL_ || !isOnline()) return;
  requestArticle();
}

void UIContentView::articleCallback(const Value& replyValue) {
  std::string text = textOf(replyValue);
  bool online = isOnline();
  auto envelope = ServerResult::resultWithJSONString(text);
  if (online && envelope->resultCode == 1 && !envelope->resultSuccess)
    showPrompt("链接全文加载不成功，请刷新重试!");
  // A JSON dictionary (its message reads back) that is no success, or a text starting "0".
  bool isDictionary = !envelope->resultMsg.isNil();
  bool failed = (isDictionary && !envelope->resultSuccess) || text.empty() || text.front() == '0';
  if (failed) {
    ++urlIndex_;
    std::optional<std::string> next;
    if (repostHasOriginalArticle_) {
      next = linkAt(false, urlIndex_);
      if (!next) {
        repostHasOriginalArticle_ = false;
        urlIndex_ = 1;
        next = linkAt(true, 1);
      }
    } else {
      next = linkAt(true, urlIndex_);
    }
    if (next) {
      originalURL_ = next;
      loadHTMLFile();
    }
    return;
  }
  if (!article_) article_ = OriginalArticle::initWithURL(originalURL_.value_or(""));
  article_->parseHTML(text);
  if (auto s = status()) article_->statusId = s->statusId;
  if (OriginalArticle::articleWithURL(article_->originalURL)) hasOriginalArticle_ = true;
  if (ctableView_) ctableView_->reloadData();
}

// ---- the item again -----------------------------------------------------------------------------

void UIContentView::reLoadStatue() {
  send(toInt(RequestType::PlatformReloadStatus), {Value(statusIdText())},
       reply(&UIContentView::refreshCallBack, "refreshCallBack:"));
}

void UIContentView::refreshCallBack(const Value& replyValue) {
  auto fresh = ZizaJsonStatusParser::parseToStatus(textOf(replyValue));
  if (!fresh || !fresh->user || fresh->user->screenName.empty()) return;
  auto old = status();
  if (old) {
    fresh->favorited = old->favorited;
    if (fresh->retweetsCount == 0) fresh->retweetsCount = old->retweetsCount;
    if (fresh->commentsCount == 0) fresh->commentsCount = old->commentsCount;
  }
  auto net = NSWeiBoNet::getNetEngine();
  std::string id = lld(fresh->statusId);
  for (const auto& f : net->favoriteList())
    if (f == id) fresh->favorited = true;
  if (contentCell_) {
    contentCell_->setWeiboitem(fresh);
    contentCell_->reloadCell();
    contentCell_->refreshFavorited(fresh->favorited);
  }
  if (auto d = conDelegate()) d->refreshStatues(fresh);
}

void UIContentView::fanKuiCallBack(const Value& replyValue) {
  auto list = ZizaJsonStatusParser::parseToFanKuiList(textOf(replyValue));
  if (!list) return;
  // The feedback rows are shown in the comment list's place; they are not comments.
  commentArray_.emplace();
  if (ctableView_) ctableView_->reloadData();
}

// ---- bus notifications --------------------------------------------------------------------------

void UIContentView::CommentRequest(const Value& notification) {
  auto msg = NSMsgSend::fromNotification(notification);
  if (!msg) return;
  switch (msg->type) {
    case 32: {
      std::string json = msg->data.isArray() && msg->data.array()->count()
                             ? textOf(msg->data.array()->firstObject())
                             : textOf(msg->data);
      auto comment = ZizaJsonStatusParser::parseToComment(json);
      if (!comment) return;
      if (!commentArray_) commentArray_.emplace();
      commentArray_->insert(commentArray_->begin(), comment);
      if (ctableView_) ctableView_->reloadData();
      ZizaJsonStatusParser::addInComment(commentCachePath(), json);
      break;
    }
    case 31:
      (isShowRet_ ? needRefreshCom_ : needRefreshRet_) = true;
      refresh();
      break;
    case 11:
      if (isShowRet_)
        refresh();
      else
        needRefreshRet_ = true;
      break;
    default:
      // 117 (a product feedback was sent) has no list to reload here.
      break;
  }
}

void UIContentView::bindAccountOk(const Value& notification) {
  auto msg = NSMsgSend::fromNotification(notification);
  if (!msg) return;
  switch (msg->type) {
    case kBindToolbar:
      if (auto button = evenItem_.object<UIButton>()) {
        toolBarAction(button);
        return;
      }
      break;
    case kBindMore:
    case kBindSection:
      (isShowRet_ ? needRefreshCom_ : needRefreshRet_) = true;
      break;
    case kBindRepostTab:
      curSelectTabIndex(1);
      break;
    default:
      return;
  }
  needReload_ = true;
  if (headContentView_) headContentView_->setIsHideCount(false);
  refresh();
  evenItem_ = Value();
}

NS_CLASS_IMPLEMENTATION(UIContentView) {}
