// The channel screen's table: one section whose rows each hold the feed item view of one item,
// with the advert row on top, the banner row of the seminar and trade-fair lists, the end row,
// the two separator lines under each item, taps and the end of a scroll.
#include <cctype>
#include <filesystem>
#include <optional>
#include <string_view>

#include "Foundation/NSNotificationCenter.h"
#include "UIKit/UIActionSheet.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "core/NSObject+notification.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "model/Comment.h"
#include "model/NSLoginData.h"
#include "model/NSTopic.h"
#include "model/OriginalArticle.h"
#include "model/Status.h"
#include "model/User.h"
#include "net/api/NSWeiBoNet.h"
#include "screens/reading/ChannelViewController.h"
#include "screens/reading/UISeminarScrollView.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/StandInSink.h"
#include "ui/framework/UILongPressMSG.h"
#include "ui/widgets/CaptureView.h"
#include "ui/widgets/UINaviComView.h"
#include "ui/widgets/UINaviTabView.h"

namespace {

constexpr const char* kRowIdentifier = "LeftViewTableCell";
constexpr long kMoreRowTag = 299;
constexpr long kBannerTag = 322;
constexpr CGFloat kTitleRoom = 24;
constexpr CGFloat kBannerRowHeight = 152;
constexpr CGFloat kTradeFairRowHeight = 70;
constexpr CGFloat kEndRowHeight = 30;
constexpr CGFloat kReadLaterRowHeight = 120;
// The seminar row's height until the seminar item builder comes: its value for an item that is
// not a seminar.
constexpr CGFloat kSeminarRowHeight = 128;
constexpr int kCommentTab = 3;
constexpr int kOwnStatusTab = 4;
constexpr int kSeminarOpenEvent = 168;

// The first web link of a text ("http://" or "https://" up to the next white space), as the
// sharing engine finds it; nullopt without one.
std::optional<std::string> linkInText(std::string_view text) {
  size_t start = std::string_view::npos;
  for (std::string_view scheme : {"http://", "https://"}) {
    size_t at = text.find(scheme);
    if (at < start) start = at;
  }
  if (start == std::string_view::npos) return std::nullopt;
  size_t end = start;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  return std::string(text.substr(start, end - start));
}

// The loaded item at the index; nil past the list.
std::shared_ptr<NSObject> itemOf(const ChannelPtr& channel, long index) {
  if (!channel || !channel->channelStatuses() || index < 0 ||
      index >= long(channel->channelStatuses()->count()))
    return nullptr;
  return channel->channelStatuses()->objectAtIndex(size_t(index)).object<NSObject>();
}

// Row 0 of a list without an advert row leaves 24 points above its item view.
bool firstRowHasTitleRoom(int kind) {
  return kind != 103 && kind != kTemplateRoDuda && kind != kTemplateMyFavAndReadLater && kind != 51;
}

bool isDay() {
  return UIBkImageView::getCurThemeSelect() == 1;
}

// The two separator lines under an item row of the given height.
void addSeparators(const std::shared_ptr<UIView>& content, CGFloat height) {
  auto dark = std::make_shared<UIView>(CGRectMake(15, height - 1, 290, 1));
  dark->setBackgroundColor(isDay() ? UIColor::lightGrayColor() : UIColor::blackColor());
  content->addSubview(dark);
  auto light = std::make_shared<UIView>(CGRectMake(15, height, 290, 1));
  light->setBackgroundColor(isDay() ? UIColor::whiteColor() : UIColor::colorWithWhite(1, 0.2));
  content->addSubview(light);
}

void moveDown(const std::shared_ptr<UIView>& view, CGFloat dy) {
  CGRect frame = view->frame();
  frame.origin.y += dy;
  view->setFrame(frame);
}

}  // namespace

bool ChannelViewController::advertRowShown() const {
  if (!adInfo_ || !adInfo_->isImgExit || !currentChannel_) return false;
  int kind = currentChannel_->actionType();
  if (kind == kTemplateRoDuda && currentSelectType_ == kCommentTab) return false;
  if (isInReadLater() || kind == kTemplateOnlineSeminar || kind == kTemplateVEZIExpo) return false;
  if (!adPictureOnDisk_ || adPictureOnDisk_->first != adInfo_->c_img) {
    auto file = UIFilePath::getImageWithPath(adInfo_->c_img, 0);
    std::error_code error;
    adPictureOnDisk_.emplace(adInfo_->c_img, file && std::filesystem::exists(*file, error));
  }
  return adPictureOnDisk_->second;
}

long ChannelViewController::tableViewNumberOfRowsInSection(
    const std::shared_ptr<UITableView>& tableView, long) {
  // The table asks for the row count first on every reload: the advert picture is looked up
  // afresh for it, and the reload's heights and cells then agree with its count.
  adPictureOnDisk_.reset();
  if (tableView) {
    if (auto more = tableView->viewWithTag(kMoreRowTag)) more->removeFromSuperview();
  }
  long n = long(statusCount());
  if (n == 0) return 0;
  long rows = n;
  if (isEnd()) ++rows;
  if (currentChannel_->actionType() == kTemplateOnlineSeminar) ++rows;
  if (advertRowShown()) ++rows;
  return rows;
}

CGFloat ChannelViewController::tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                                const NSIndexPath& indexPath) {
  std::lock_guard<std::recursive_mutex> hold(heightLock_);
  long row = indexPath.row;
  long n = long(statusCount());
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  if (kind == kTemplateOnlineSeminar) {
    if (row == 0) return kBannerRowHeight;
    if (row - 1 >= n) return kEndRowHeight;
    return kSeminarRowHeight;
  }
  if (kind == kTemplateVEZIExpo) return row == 0 ? kBannerRowHeight : kTradeFairRowHeight;
  bool ad = advertRowShown();
  if (ad && row == 0) return kind == 103 ? 60 : 84;
  long index = ad ? row - 1 : row;
  if (index >= n) return kEndRowHeight;
  auto item = itemOf(currentChannel_, index);
  auto self = weakSelf<ChannelViewController>();
  std::weak_ptr<UIHomeViewCellDelegate> delegate = self;
  CGFloat height = 0;
  if (kind == kTemplateRoDuda && currentSelectType_ == kCommentTab) {
    height = UIHomeViewCell::getHeightWithComment(std::dynamic_pointer_cast<Comment>(item));
  } else if (isInReadLater()) {
    height = kReadLaterRowHeight;
  } else if (kind == kTemplateHotTopicList) {
    height = UIHomeViewCell::getTopicHeightForCellRow(item);
  } else if (kind == kTemplateVideoPlay || kind == kTemplateVideoPlayLocalSub) {
    height = UIHomeViewCell::getVideoHeightForCellRowAtIndexPath(
        indexPath, std::dynamic_pointer_cast<Status>(item), int(n), kind, delegate, false, ad);
  } else {
    height = UIHomeViewCell::getHeightForCellRowAtIndexPath(
        indexPath, std::dynamic_pointer_cast<Status>(item), int(n), kind, delegate, needShowRet_,
        ad);
  }
  if (row == 0 && !ad && firstRowHasTitleRoom(kind)) height += kTitleRoom;
  return height;
}

std::shared_ptr<UITableViewCell> ChannelViewController::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier(kRowIdentifier);
  if (!cell) {
    cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, kRowIdentifier);
    cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
    cell->contentView()->setUserInteractionEnabled(true);
  }
  long row = indexPath.row;
  long n = long(statusCount());
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  bool banner = kind == kTemplateOnlineSeminar || kind == kTemplateVEZIExpo;
  auto content = cell->contentView();
  // A reused row loses its old content; a banner row keeps its banner.
  for (const auto& sub : std::vector<std::shared_ptr<UIView>>(content->subviews())) {
    if (banner && row == 0 && sub->tag() == kBannerTag) continue;
    sub->removeFromSuperview();
  }
  cell->textLabel()->setText("");
  for (const auto& recognizer :
       std::vector<std::shared_ptr<UIGestureRecognizer>>(cell->gestureRecognizers()))
    cell->removeGestureRecognizer(recognizer);
  cell->setAccessoryType(UITableViewCellAccessoryType::None);

  CGFloat height = tableViewHeightForRowAtIndexPath(tableView, indexPath);
  bool commentTab = kind == kTemplateRoDuda && currentSelectType_ == kCommentTab;
  bool plainIndex = commentTab || isInReadLater() || banner;
  bool ad = advertRowShown();
  long r = (ad && row > 0) ? row - 1 : row;
  auto self = weakSelf<ChannelViewController>();
  std::weak_ptr<UIHomeViewCellDelegate> delegate = self;

  // The end row: its centred text only.
  bool endRow = plainIndex ? row == n + (kind == kTemplateOnlineSeminar ? 1 : 0)
                           : !(ad && row == 0) && r == n;
  if (endRow) {
    auto label = cell->textLabel();
    label->setText("已经是最后一页");
    label->setTextAlignment(UITextAlignmentCenter);
    label->setTextColor(isDay() ? UIColor::blackColor() : UIBkImageView::getFontColor());
    return cell;
  }

  bool separators = true;
  bool placeMore = true;
  if (commentTab) {
    auto comment = std::dynamic_pointer_cast<Comment>(itemOf(currentChannel_, row));
    if (!comment) return cell;
    auto view = UIHomeViewCell::initWithItem(comment, kind);
    view->setNeedSave(true);
    content->addSubview(view);
  } else if (isInReadLater()) {
    auto article = std::dynamic_pointer_cast<OriginalArticle>(itemOf(currentChannel_, row));
    if (!article) return cell;
    auto view = UIHomeViewCell::initWithArticle(
        article, false, std::dynamic_pointer_cast<UIArticleItemDelegate>(selfPtr()));
    if (row == 0 && kind != kTemplateMyFavAndReadLater) moveDown(view, kTitleRoom);
    content->addSubview(view);
    auto press = std::make_shared<UILongPressMSG>(
        selector(self, &ChannelViewController::readPress, "readPress:"));
    press->setMsg(article->title);
    press->setSelectPath(indexPath);
    cell->addGestureRecognizer(press);
  } else if (kind == kTemplateOnlineSeminar) {
    if (row == 0) {
      if (!content->viewWithTag(kBannerTag)) {
        auto strip = UISeminarScrollView::initWithFrame(CGRectMake(0, kTitleRoom, 320, 128));
        strip->setTag(kBannerTag);
        content->addSubview(strip);
      }
      separators = false;
      placeMore = false;
    }
    // The seminar rows stay empty until the seminar item builder comes.
  } else if (kind == kTemplateVEZIExpo) {
    if (row == 0) {
      if (!content->viewWithTag(kBannerTag)) {
        auto strip = UISeminarScrollView::initWithFrame(CGRectMake(0, kTitleRoom, 320, 128),
                                                        itemOf(currentChannel_, 0));
        strip->setScrollDelegate(weakSelf<NSObject>());
        strip->setTag(kBannerTag);
        content->addSubview(strip);
      }
    } else {
      cell->setAccessoryType(UITableViewCellAccessoryType::DisclosureIndicator);
      // The exhibitor rows stay empty until the exhibitor item builder comes.
    }
    separators = false;
    placeMore = false;
  } else if (ad && row == 0) {
    auto banner = UIAdView::initWithFrame(CGRectMake(0, kind == 103 ? 0 : kTitleRoom, 320, 60));
    if (adInfo_->c_can_close)
      banner->addCloseBtn(selector(self, &ChannelViewController::adCloseAction, "adCloseAction:"));
    banner->addTarget(selector(self, &ChannelViewController::adTapAction, "adTapAction:"));
    if (auto file = UIFilePath::getImageWithPath(adInfo_->c_img, 0))
      banner->setImage(UIImage::imageWithContentsOfFile(*file));
    content->addSubview(banner);
    separators = false;
  } else if (kind == kTemplateHotTopicList) {
    auto view = UIHomeViewCell::initWithItem(itemOf(currentChannel_, r), delegate, kind, indexPath);
    if (row == 0) moveDown(view, kTitleRoom);
    content->addSubview(view);
    separators = false;
  } else {
    auto status = std::dynamic_pointer_cast<Status>(itemOf(currentChannel_, r));
    bool video = kind == kTemplateVideoPlay || kind == kTemplateVideoPlayLocalSub;
    bool picLeft = row % 2 != 0;
    auto view = video ? UIHomeViewCell::initWithVideoItem(status, delegate, kind, indexPath,
                                                          picLeft, false, !isInScrolling())
                      : UIHomeViewCell::initWithItem(status, delegate, kind, indexPath, picLeft,
                                                     needShowRet_, !isInScrolling());
    view->setNeedSave(true);
    if (!video && kind == kTemplateRoDuda && currentSelectType_ == kOwnStatusTab)
      view->setCanDelete(true);
    if (row == 0 && (video || (!ad && firstRowHasTitleRoom(kind)))) moveDown(view, kTitleRoom);
    content->addSubview(view);
    auto press = std::make_shared<UILongPressMSG>(
        selector(self, &ChannelViewController::LongPress, "LongPress:"));
    press->setMsg(status && status->user ? status->user->screenName : std::string());
    press->setSelectPath(indexPath);
    cell->addGestureRecognizer(press);
  }
  if (separators) addSeparators(content, height);
  if (placeMore) {
    content->setUserInteractionEnabled(true);
    refreshMoreView();
  }
  return cell;
}

void ChannelViewController::tableViewDidSelectRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  setCurPressPath(indexPath);
  long row = indexPath.row;
  long n = long(statusCount());
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  // Rows that hold no item: the advert row, the seminar banner and the end row.
  bool ad = advertRowShown();
  long first = (ad || kind == kTemplateOnlineSeminar) ? 1 : 0;
  if (row < first || row >= n + first) return;
  if (kind == kTemplateRoDuda && currentSelectType_ == kCommentTab) {
    auto sheet = std::make_shared<UIActionSheet>(
        "", std::dynamic_pointer_cast<UIActionSheetDelegate>(selfPtr()), "取消", "",
        std::vector<std::string>{"回复评论", "查看个人资料"});
    sheet->setTag(row);
    sheet->showInView(view());
  } else if (kind == kTemplateVideoPlay || kind == kTemplateVideoPlayLocalSub) {
    auto status = std::dynamic_pointer_cast<Status>(itemOf(currentChannel_, row - first));
    if (!status) return;
    if (auto link = linkInText(status->text); link && !link->empty()) openURL(*link);
  } else if (isInReadLater()) {
    auto article = std::dynamic_pointer_cast<OriginalArticle>(itemOf(currentChannel_, row));
    if (!article) return;
    NSNotificationCenter::defaultCenter()->addObserver(
        weakSelf<ChannelViewController>(),
        selector(weakSelf<ChannelViewController>(), &ChannelViewController::articleDidDeleted,
                 "articleDidDeleted:"),
        "article_deleted", Value());
    openArticleView(article, true);
  } else if (kind == kTemplateOnlineSeminar) {
    auto login = NSLoginData::readFromDB();
    if (login && login->isOpenSeminarNeedAccound && !NSWeiBoNet::isLogined(kSeminarOpenEvent)) {
      auto kept = makeArray();
      kept->addObject(Value(std::static_pointer_cast<NSObject>(tableView)));
      kept->addObject(Value(long(row)));
      setEvenItem(Value(kept));
      return;
    }
    openSeminarViewCtrl(int(row - 1));
  } else if (kind == kTemplateVEZIExpo) {
    // The exhibitor screens are not built yet: the stand-in sink hears the request.
    reportStandInEvent(className(), "openExpoItem", Value(long(row)));
  } else if (kind == kTemplateHotTopicList) {
    auto topic = std::dynamic_pointer_cast<NSTopic>(itemOf(currentChannel_, row - first));
    if (!topic || !navigationController()) return;
    auto screen = ChannelViewController::initWithChannelType(
        33, 103, Value(std::static_pointer_cast<NSObject>(topic)));
    navigationController()->pushViewController(screen, true);
  } else {
    setIsInDetail(true);
    startDetailAnimal(tableView, indexPath);
  }
}

void ChannelViewController::scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) {
  setIsInScrolling(true);
}

void ChannelViewController::scrollViewDidEndDecelerating(
    const std::shared_ptr<UIScrollView>& scrollView) {
  CGFloat bottom =
      scrollView->contentOffset().y + UIScreen::mainScreen()->bounds().size.height - 20;
  if (std::abs(scrollView->contentSize().height - bottom) <= 50) refreshMoreView();
  setIsInScrolling(false);
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  if ((kind == kTemplateRoDuda && currentSelectType_ == kCommentTab) ||
      kind == kTemplateHotTopicList || isInReadLater())
    return;
  auto table = dataTableView();
  if (!table) return;
  for (const auto& cell : table->visibleCells()) {
    for (const auto& sub : cell->contentView()->subviews()) {
      if (auto item = std::dynamic_pointer_cast<UIHomeViewCell>(sub)) {
        item->reStartDownload();
        break;
      }
    }
  }
}
