// The detail view's table (the item with its advert banner and linked article, then the
// comments or reposts behind the tabs), its toolbar and action bar, favourites, read-later,
// the advert, the content cell's growth, the swipe to the neighbouring items and the help
// overlay.
#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableViewCell.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "UIKit/UIWindow.h"
#include "core/FeedbackPresenter.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/RequestType.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"
#include "screens/reading/UIContentView.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/NSStatusShow.h"
#include "ui/widgets/CaptureView.h"

namespace {

constexpr CGFloat kBannerHeight = 60;
constexpr CGFloat kItemExtra = 20;
constexpr CGFloat kArticleRowHeight = 120;
constexpr CGFloat kOtherRowHeight = 30;
constexpr CGFloat kTabHeaderHeight = 30;
constexpr int kReadLaterEvent = 17;
constexpr int kSoundSetting = 9;
constexpr double kPageSeconds = 0.3;
constexpr double kHelpSeconds = 10;
constexpr std::string_view kCellId = "LeftViewTableCell";
constexpr std::string_view kHelpShownKey = "showDetailsHelp";

bool isDayTheme() {
  return NSGlobe::getEngine()->getCurThemeSelect() == 1;
}
CGFloat screenHeight() {
  return UIScreen::mainScreen()->bounds().size.height;
}

bool needsBoundAccount(long tag) {
  return (tag >= 1 && tag <= 7) || tag == 12 || tag == 18;
}

void playFollowSound() {
  if (UIBkImageView::getCurSelect(kSoundSetting)) NSStatusShow::engine()->guanzhuSound();
}

}  // namespace

// ---- section 0 ----------------------------------------------------------------------------------

UIContentView::Section0Row UIContentView::section0Row(long row) const {
  bool banner = adInfo_ && adInfo_->isImgExit;
  if (banner) {
    if (row == 0) return Section0Row::Banner;
    --row;
  }
  if (row == 0) return Section0Row::Item;
  if (row == 1 && article_) return Section0Row::Article;
  return Section0Row::Other;
}

long UIContentView::tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&,
                                                   long section) {
  if (section == 0) return (adInfo_ && adInfo_->isImgExit ? 1 : 0) + 1 + (article_ ? 1 : 0);
  auto n = shownCount();
  size_t count = n.value_or(0);
  long long cursor = lastCursor();
  long rows;
  if (count >= 20 || (cursor >= 0 && count >= 1) ||
      (!NSWeiBoNet::isLoginedNoPrompt() && !isShowRet_))
    rows = static_cast<long>(count) + 1;
  else
    rows = count == 0 ? 1 : static_cast<long>(count);
  section2Num_ = static_cast<int>(rows);
  return rows;
}

CGFloat UIContentView::tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                        const NSIndexPath& indexPath) {
  if (indexPath.section == 0) {
    switch (section0Row(indexPath.row)) {
      case Section0Row::Banner:
        return kBannerHeight;
      case Section0Row::Item:
        return (contentCell_ ? contentCell_->frame().size.height : 0) + kItemExtra;
      case Section0Row::Article:
        return kArticleRowHeight;
      case Section0Row::Other:
        return kOtherRowHeight;
    }
  }
  size_t n = shownCount().value_or(0);
  if (n == 0) return kSectionMinHeight;
  long row = indexPath.row;
  if (row == 0) section2Height_ = 0;
  CGFloat h = kOtherRowHeight;
  if (row < static_cast<long>(n)) {
    std::shared_ptr<NSObject> record;
    if (isShowRet_)
      record = (*retweetArray_)[row];
    else
      record = (*commentArray_)[row];
    h = UIHomeViewCell::getHeightWithComment(record, actionType_);
  }
  if (row == section2Num_ - 1 && section2Height_ + h < kSectionMinHeight)
    h = kSectionMinHeight - section2Height_;
  section2Height_ += h;
  return h;
}

std::shared_ptr<UIView> UIContentView::tableViewViewForHeaderInSection(
    const std::shared_ptr<UITableView>&, long section) {
  if (section != 1) return nullptr;
  auto s = status();
  int rets = s ? s->retweetsCount : 0;
  int coms = s ? s->commentsCount : 0;
  if (!headContentView_) {
    bool hide = !NSWeiBoNet::isLoginedNoPrompt() &&
                (actionType_ == 1 || actionType_ == 51 || actionType_ == 103);
    headContentView_ = UITabContentView::initWithRet(
        rets, coms, std::weak_ptr<UITabContentViewDelegate>(weakSelf<UIContentView>()), isShowRet_,
        hide);
  } else if (headContentView_->retCount() != rets || headContentView_->commentCount() != coms) {
    // The table asks for its headers at every layout pass: a refresh that changes nothing
    // would only ask for another pass.
    headContentView_->refreshCount(rets, coms);
  }
  return headContentView_;
}

CGFloat UIContentView::tableViewHeightForHeaderInSection(const std::shared_ptr<UITableView>&,
                                                         long section) {
  return section == 1 ? kTabHeaderHeight : 0;
}

void UIContentView::addTextLabel(const std::shared_ptr<UIView>& cell, const std::string& text,
                                 CGFloat fontSize) {
  bool sized = fontSize > 0;
  auto label = std::make_shared<UILabel>(CGRectMake(0, sized ? 0 : 2, 320, sized ? 30 : 28));
  label->setFont(UIFont::systemFontOfSize(sized ? fontSize : 15));
  label->setTextAlignment(UITextAlignmentCenter);
  label->setBackgroundColor(UIColor::clearColor());
  if (!isDayTheme()) label->setTextColor(UIBkImageView::getFontColor());
  label->setText(text);
  cell->addSubview(label);
}

std::shared_ptr<UITableViewCell> UIContentView::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier(kCellId);
  if (!cell) {
    cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, std::string(kCellId));
    cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
  }
  auto content = cell->contentView();
  auto old = content->subviews();
  for (const auto& v : old) v->removeFromSuperview();
  auto recognizers = content->gestureRecognizers();
  for (const auto& r : recognizers) content->removeGestureRecognizer(r);

  auto self = weakSelf<UIContentView>();
  if (indexPath.section == 0) {
    switch (section0Row(indexPath.row)) {
      case Section0Row::Banner: {
        auto banner = UIAdView::initWithFrame(CGRectMake(0, 0, 320, kBannerHeight));
        if (adInfo_->c_can_close)
          banner->addCloseBtn(selector(self, &UIContentView::adCloseAction, "adCloseAction:"));
        banner->addTarget(selector(self, &UIContentView::adTapAction, "adTapAction:"));
        if (auto path = UIFilePath::getImageWithPath(adInfo_->c_img, 0))
          banner->setImage(UIImage::imageWithContentsOfFile(*path));
        content->addSubview(banner);
        break;
      }
      case Section0Row::Item:
        if (contentCell_) {
          content->addSubview(contentCell_);
          contentCell_->reDrawUIZMLabel();
        }
        break;
      case Section0Row::Article: {
        auto line1 = std::make_shared<UIView>(CGRectMake(15, 0, 290, 1));
        auto line2 = std::make_shared<UIView>(CGRectMake(15, 1, 290, 1));
        if (isDayTheme()) {
          line1->setBackgroundColor(UIColor::lightGrayColor());
          line2->setBackgroundColor(UIColor::whiteColor());
        } else {
          line1->setBackgroundColor(UIColor::colorWithWhite(0, 0.2));
          line2->setBackgroundColor(UIColor::colorWithWhite(1, 0.2));
        }
        content->addSubview(line1);
        content->addSubview(line2);
        content->addSubview(UIHomeViewCell::initWithArticle(
            article_, true, std::weak_ptr<UIArticleItemDelegate>(self), hasOriginalArticle_));
        break;
      }
      case Section0Row::Other:
        break;
    }
    resetMoveView();
    return cell;
  }

  auto n = shownCount();
  long row = indexPath.row;
  bool bound = NSWeiBoNet::isLoginedNoPrompt();
  std::string emptyText =
      bound ? (isShowRet_ ? "暂无转发" : "暂无评论")
            : (isShowRet_ ? "点击绑定紫扎微博查看更多转发" : "点击绑定紫扎微博查看更多评论");
  if (n && row < static_cast<long>(*n)) {
    std::shared_ptr<NSObject> record;
    if (isShowRet_)
      record = (*retweetArray_)[row];
    else
      record = (*commentArray_)[row];
    auto d = std::dynamic_pointer_cast<UIHomeViewCellDelegate>(conDelegate());
    auto view = UIHomeViewCell::initWithItem(record, actionType_, d);
    view->setNeedSave(true);
    content->addSubview(view);
  } else if (!n) {
    // The first page is still to come.
    if (indicatorView_) indicatorView_->stopAnimating();
    if (!isInLoad_ || (!bound && isShowRet_)) {
      addTextLabel(content, emptyText);
    } else {
      if (!indicatorView_) {
        indicatorView_ =
            std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
        CGRect f = indicatorView_->frame();
        f.origin = CGPointMake(80, 5);
        indicatorView_->setFrame(f);
      }
      addTextLabel(content, isShowRet_ ? "正在加载转发..." : "正在加载评论...");
      content->addSubview(indicatorView_);
      if (isOnline()) indicatorView_->startAnimating();
    }
  } else if (*n == 0) {
    addTextLabel(content, emptyText);
  } else if (lastCursor() != 0) {
    if (isShowRet_)
      addTextLabel(content, "查看更多转发", 18);
    else if (bound)
      addTextLabel(content, "查看更多评论", 18);
    else
      addTextLabel(content, emptyText);
    if (!indicatorMoreView_) {
      indicatorMoreView_ =
          std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
      CGRect f = indicatorMoreView_->frame();
      f.origin = CGPointMake(80, 5);
      indicatorMoreView_->setFrame(f);
    }
    indicatorMoreView_->stopAnimating();
    content->addSubview(indicatorMoreView_);
  } else {
    addTextLabel(content, bound || isShowRet_ ? "已经是最后一条" : emptyText);
  }
  if (row >= 1) {
    auto dotted = std::make_shared<UIImageView>(CGRectMake(15, 0, 290, 2));
    dotted->setImage(UIImage::imageNamed(isDayTheme() ? "dottedLine" : "dottedLine_theme1"));
    content->addSubview(dotted);
  }
  resetMoveView();
  return cell;
}

void UIContentView::tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                                     const NSIndexPath& indexPath) {
  tableView->deselectRowAtIndexPath(indexPath, true);
  if (toolBar_) toolBar_->popAction(Value());
  if (indexPath.section == 0) {
    if (article_ && section0Row(indexPath.row) == Section0Row::Article)
      if (auto d = conDelegate()) d->openArticleView(article_, false);
    return;
  }
  long row = indexPath.row;
  if (row < 0 || !NSWeiBoNet::isStartBind(kBindSection)) return;
  auto n = shownCount();
  if (!n) return;
  if (row == static_cast<long>(*n)) {
    if (lastCursor() != 0) loadMoreList();
    return;
  }
  if (!isShowRet_ && row < static_cast<long>(*n))
    if (auto d = conDelegate()) d->commentAction(7, (*commentArray_)[row]);
}

void UIContentView::scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) {
  if (toolBar_) toolBar_->popAction(Value());
  resetMoveView();
}

void UIContentView::scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) {
  UIBaseView::scrollViewDidScroll(scrollView);
}

void UIContentView::scrollViewDidEndDraggingWillDecelerate(
    const std::shared_ptr<UIScrollView>& scrollView, bool decelerate) {
  UIBaseView::scrollViewDidEndDraggingWillDecelerate(scrollView, decelerate);
}

void UIContentView::scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& scrollView) {
  UIBaseView::scrollViewDidEndDecelerating(scrollView);
}

void UIContentView::reloadFirstCell() {
  if (ctableView_)
    ctableView_->reloadRowsAtIndexPaths({NSIndexPath::indexPathForRow(0, 0)},
                                        UITableViewRowAnimation::None);
}

void UIContentView::removeContentView() {
  if (ctableView_) ctableView_->setContentOffset(CGPointMake(0, 0));
  if (!originalURL_) pasteArticleFromStatusText();
  loadCacheComment();
}

// ---- the toolbar and the action bar -------------------------------------------------------------

void UIContentView::toolBarAction(const std::shared_ptr<UIButton>& button) {
  if (!button) return;
  long tag = button->tag();
  if (needsBoundAccount(tag) && !NSWeiBoNet::isLogined(kBindToolbar)) {
    evenItem_ = Value(std::static_pointer_cast<NSObject>(button));
    return;
  }
  auto d = conDelegate();
  auto action = [&](int code) {
    if (d) d->contentAction(code);
  };
  switch (tag) {
    case 10: {
      stopRequest();
      auto net = NSWeiBoNet::getNetEngine();
      net->clearNoti();
      net->cancel();
      action(1);
      break;
    }
    case 1:
    case 14:
      action(2);
      break;
    case 2:
    case 12:
      action(3);
      break;
    case 3:
      action(4);
      break;
    case 4: {
      auto s = status();
      bool fav = s && s->favorited;
      send(toInt(fav ? RequestType::RemoveFavorite : RequestType::AddFavorite),
           {Value(statusIdText())}, reply(&UIContentView::favCallBack, "favCallBack:"));
      stopActivityIndicatorViewAnimation();
      break;
    }
    case 5:
      action(6);
      break;
    case 6:
      action(8);
      break;
    case 7:
      if (actionType_ == 6) action(9);
      break;
    case 8:
      action(10);
      break;
    case 11:
      action(11);
      break;
    case 13:
      action(12);
      break;
    case 17:
      action(14);
      break;
    default:
      break;
  }
}

void UIContentView::popAnimal(const std::shared_ptr<UIButton>& toolButton, bool left) {
  NSStatusShow::engine()->startViewRotAnimation(toolButton, left);
}

void UIContentView::favCallBack(const Value& replyValue) {
  if (!isOnline()) return;
  std::string text = textOf(replyValue);
  if (NSWeiBoNet::weiboBindProcess(text)) return;
  auto result = ServerResult::resultWithJSONString(text);
  auto s = status();
  if (result->resultSuccess && s) {
    auto net = NSWeiBoNet::getNetEngine();
    if (s->favorited)
      net->removeFavorite(statusIdText());
    else
      net->addFavorite(statusIdText());
    playFollowSound();
    s->favorited = !s->favorited;
    if (contentCell_) contentCell_->refreshFavorited(s->favorited);
    if (actionType_ == 4) {
      // The favourites list closes the view; the screen hears of the change a second later,
      // even when it has let the view go by then.
      std::weak_ptr<UIContentViewDelegate> delegate = conDelegate_;
      bool favorited = s->favorited;
      performSelectorAfterDelay(freeSelector("refreshFav:",
                                             [delegate, favorited](const Value&) {
                                               if (auto d = delegate.lock())
                                                 d->refreshFavoriteStatues(favorited);
                                             }),
                                Value(), 1.0);
      auto close = UIButton::buttonWithType(UIButtonType::Custom);
      close->setTag(10);
      toolBarAction(close);
    } else if (auto d = conDelegate()) {
      d->refreshStatues(s);
    }
  }
  showPrompt(textOf(result->resultMsg));
}

void UIContentView::refreshFav(const Value&) {
  auto s = status();
  if (auto d = conDelegate()) d->refreshFavoriteStatues(s && s->favorited);
}

// ---- read later ---------------------------------------------------------------------------------

void UIContentView::readLater(const Value&) {
  if (!article_ || !OriginalArticle::addArticle(*article_)) {
    showPrompt("添加稍后阅读失败，请稍候重试。");
    return;
  }
  postNotification(kLogAction, Value(makeArray({Value(kReadLaterEvent), Value(statusIdText())})),
                   kReadLaterEvent);
  hasOriginalArticle_ = true;
  showPrompt("成功添加到“稍后阅读”");
  playFollowSound();
  if (!ctableView_) return;
  long row = adInfo_ && adInfo_->isImgExit ? 2 : 1;
  auto cell = ctableView_->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
  if (!cell) return;
  if (auto button = std::dynamic_pointer_cast<UIButton>(cell->viewWithTag(kReadLaterTag))) {
    button->setImage(UIImage::imageNamed("readAdded"), UIControlStateNormal);
    button->removeTarget(nullptr, "readLater:", UIControlEventTouchUpInside);
  }
}

void UIContentView::readNow(const Value&) {
  if (auto d = conDelegate(); d && article_) d->openArticleView(article_, false);
}

// ---- the advert ---------------------------------------------------------------------------------

void UIContentView::showAdvert(const NSAdInfoPtr& advert) {
  if (!advert || advert->c_img.empty()) return;
  adInfo_ = advert;
  auto path = UIFilePath::getImageWithPath(advert->c_img, 0);
  if (!path) return;
  if (UIImage::imageWithContentsOfFile(*path)) {
    adInfo_->isImgExit = true;
    showAdOk();
    return;
  }
  auto client = ClientRequest::engine();
  client->setDownloadAction(reply(&UIContentView::adImgCallBack, "adImgCallBack:"),
                            weakSelf<NSObject>(), kAdDownloadTag);
  std::string url = advert->c_img + (NSGlobe::getEngine()->isIphone4() ? "" : "_290x60");
  client->startDownloadFile(url, *path);
}

void UIContentView::adImgCallBack(const Value&) {
  if (!adInfo_) return;
  auto path = UIFilePath::getImageWithPath(adInfo_->c_img, 0);
  if (!path || !UIImage::imageWithContentsOfFile(*path)) return;
  adInfo_->isImgExit = true;
  reloadSelect(0);
  showAdOk();
}

void UIContentView::showAdOk() {
  if (!adInfo_) return;
  send(toInt(RequestType::AdvertShown), {Value(lld(adInfo_->adId))}, Selector());
}

void UIContentView::adTapAction(const Value&) {
  if (!adInfo_ || adInfo_->c_link_url.empty()) return;
  auto d = conDelegate();
  if (!d || !d->respondsToSelector("openURL:")) return;
  auto s = status();
  d->openURL(
      ClientRequest::addAdParameToUrl(adInfo_, Value(s ? vorluIdText() : ""), Value(channelId())));
}

void UIContentView::adCloseAction(const Value&) {
  if (!adInfo_) return;
  long long adId = adInfo_->adId;
  adInfo_->isImgExit = false;
  adInfo_.reset();
  NSGlobe::getEngine()->setIsAdClose(true);
  reloadSelect(0);
  send(toInt(RequestType::CloseAdvert), {Value(lld(adId))}, Selector());
}

void UIContentView::stopRequest() {
  if (adInfo_ && !adInfo_->isImgExit)
    ClientRequest::engine()->removeQueueActionByTag(kAdDownloadTag);
}

// ---- the content cell growing -------------------------------------------------------------------

void UIContentView::reloadContentCell() {
  isInAnimal_ = true;
  UIView::beginAnimations("reloadContentCell");
  UIView::setAnimationDuration(kPageSeconds);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weak_from_this());
  UIView::setAnimationDidStopSelector(
      selector(weakSelf<UIContentView>(), &UIContentView::animatedStop, "animatedStop:"));
  moveTableCellView();
  if (contentCell_) contentCell_->reloadCell();
  UIView::commitAnimations();
}

void UIContentView::moveTableCellView() {
  if (actionType_ == 100 || !contentCell_) return;
  CGFloat grow = contentCell_->reloadCellModifyHeight();
  if (grow != 0 && headContentView_) {
    CGRect f = headContentView_->frame();
    f.origin.y += grow;
    headContentView_->setFrame(f);
  }
}

void UIContentView::animatedStop(const Value&) {
  isInAnimal_ = false;
  if (ctableView_) ctableView_->reloadData();
}

// ---- the swipe to the neighbouring items --------------------------------------------------------

void UIContentView::swipePage(bool previous) {
  if (isInAnimal_) return;
  auto d = conDelegate();
  if (!d) return;
  auto next = d->getNextPage(previous);
  if (!next) return;
  isStartChangePage_ = true;
  stopRequest();
  isInAnimal_ = true;
  adInfo_.reset();

  auto incoming = initWithContent(next, frame());
  incoming->setConDelegate(conDelegate_);
  incoming->setActionType(actionType_);
  incoming->reloadContent();
  incoming->setTag(kIncomingViewTag);
  CGRect from = frame();
  from.origin.x += previous ? -320 : 320;
  incoming->setFrame(from);
  if (auto parent = superview()) parent->addSubview(incoming);

  UIView::beginAnimations("pageAnimation");
  UIView::setAnimationDuration(kPageSeconds);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weak_from_this());
  UIView::setAnimationDidStopSelector(
      selector(weakSelf<UIContentView>(), &UIContentView::pageAnimatedStop, "pageAnimatedStop:"));
  CGRect mine = frame();
  mine.origin.x += previous ? 320 : -320;
  setFrame(mine);
  CGRect theirs = incoming->frame();
  theirs.origin.x = 0;
  incoming->setFrame(theirs);
  UIView::commitAnimations();

  contentCell_ = next;
  commentArray_.reset();
  retweetArray_.reset();
  if (headContentView_) headContentView_->setDefaultTabStatue(0);
  hasOriginalArticle_ = false;
  article_.reset();
  originalURL_.reset();
  repostHasOriginalArticle_ = false;
  urlIndex_ = 0;
  isInLoad_ = true;
  isShowRet_ = false;
  auto net = NSWeiBoNet::getNetEngine();
  net->clearNoti();
  net->cancel();
}

void UIContentView::pageAnimatedStop(const Value&) {
  CGRect f = frame();
  f.origin.x = 0;
  setFrame(f);
  if (ctableView_) ctableView_->reloadData();
  if (auto parent = superview())
    if (auto incoming = parent->viewWithTag(kIncomingViewTag)) incoming->removeFromSuperview();
  postReadEvent();
  isInAnimal_ = false;
  loadContentSwipePage();
  isStartChangePage_ = false;
}

void UIContentView::loadContentSwipePage() {
  if (ctableView_) ctableView_->setContentOffset(CGPointMake(0, 0));
  std::optional<CachedComments> cached;  // read once for the opening
  if (needUserAllLoadContent(&cached)) {
    loadContent();
  } else {
    loadAdInfoByContent();
    loadCacheComment(std::move(cached));
  }
  if (!originalURL_) pasteArticleFromStatusText();
}

// ---- the help overlay ---------------------------------------------------------------------------

void UIContentView::checkForHelp() {
  auto defaults = NSUserDefaults::standardUserDefaults();
  if (defaults->boolForKey(kHelpShownKey)) return;
  auto window = UIApplication::sharedApplication()->keyWindow();
  if (!window) return;
  CGFloat h = screenHeight();
  auto overlay = std::make_shared<UIView>(CGRectMake(0, 20, 320, h - 20));
  overlay->setTag(kHelpTag);
  auto picture = std::make_shared<UIImageView>(CGRectMake(0, 0, 320, h - 20));
  std::string file = NSBundle::mainBundle()->pathForResource("helpDetails", "jpg");
  if (!file.empty()) picture->setImage(UIImage::imageWithContentsOfFile(file));
  overlay->addSubview(picture);
  auto close = selector(weakSelf<UIContentView>(), &UIContentView::closeHelp, "closeHelp:");
  overlay->addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(close));
  window->addSubview(overlay);
  performSelectorAfterDelay(close, Value(), kHelpSeconds);
}

void UIContentView::closeHelp(const Value&) {
  if (auto window = UIApplication::sharedApplication()->keyWindow())
    if (auto overlay = window->viewWithTag(kHelpTag)) overlay->removeFromSuperview();
  NSUserDefaults::standardUserDefaults()->setBool(true, kHelpShownKey);
}
