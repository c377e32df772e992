// The comment items: the comment-list item (a comment of the "comments" timeline with the text
// it answers in a speech bubble), the detail comment item (one text of name, comment and time
// beside the head, under the item detail view; reposts use it too) and the framed comment item.
// Each height rule measures the same texts at the same widths as its builder.
#include <algorithm>

#include "Common/Additions/UIImage+Additions.h"
#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSString.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "model/Comment.h"
#include "net/http/HXHTTPRequest.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/feed/UIYMLabel.h"

namespace {

constexpr std::string_view kReplyToComment = "回复我的评论：";
constexpr std::string_view kReplyToStatus = "回复我的微博：";

bool dayTheme() {
  return NSGlobe::getEngine()->getCurThemeSelect() == 1;
}

// Measured with word wrap in the text font, 10000 high.
CGFloat textHeight(std::string_view text, CGFloat width) {
  return sizeWithFont(text, NSGlobe::getEngine()->textFont(), CGSizeMake(width, 10000),
                      UILineBreakModeWordWrap)
      .height;
}

std::shared_ptr<UILabel> clearLabel(CGRect frame, std::string text) {
  auto label = std::make_shared<UILabel>(frame);
  label->setBackgroundColor(UIColor::clearColor());
  label->setText(std::move(text));
  return label;
}

std::shared_ptr<UILabel> wrappedTextLabel(CGRect frame, std::string text) {
  auto label = clearLabel(frame, std::move(text));
  label->setFont(NSGlobe::getEngine()->textFont());
  label->setNumberOfLines(0);
  label->setLineBreakMode(UILineBreakModeWordWrap);
  return label;
}

// The name label (in the theme colour when asked) and the right-aligned time label.
void addNameAndTime(UIView& view, const Comment& item, CGRect nameFrame, bool themedName) {
  auto globe = NSGlobe::getEngine();
  auto name = clearLabel(nameFrame, item.user ? item.user->screenName : std::string());
  name->setFont(globe->nameFont());
  if (themedName) name->setTextColor(globe->getThemeColor());
  view.addSubview(name);
  auto time = clearLabel(CGRectMake(200, 5, 100, 20), item.timestamp());
  time->setTextAlignment(UITextAlignmentRight);
  time->setFont(globe->timeFont());
  if (!dayTheme()) time->setTextColor(UIBkImageView::getFontColor());
  view.addSubview(time);
}

// The bubble's text: the answered comment's, else the commented status's, after its prefix.
std::string bubbleText(const Comment& comment) {
  if (comment.replyComment) return std::string(kReplyToComment) + comment.replyComment->text;
  return std::string(kReplyToStatus) + (comment.status ? comment.status->text : std::string());
}

std::shared_ptr<UIImage> bubbleImage(bool day) {
  auto image = UIImage::imageNamed(day ? "pop.png" : "pop_theme1.png");
  return image ? image->stretchableImageWithLeftCapWidth(60, 40) : nullptr;
}

// What a detail row says, for a comment or a repost.
struct DetailRecord {
  std::shared_ptr<User> user;
  std::string text;
  std::string time;
  int64_t createdAt = 0;
  bool isComment = false;
};

std::optional<DetailRecord> detailRecord(const std::shared_ptr<NSObject>& item) {
  DetailRecord r;
  if (auto comment = std::dynamic_pointer_cast<Comment>(item)) {
    r = {comment->user, comment->text, comment->timestamp(), comment->createdAt, true};
  } else if (auto status = std::dynamic_pointer_cast<Status>(item)) {
    r = {status->user, status->text.str(), status->timestamp(), status->createdAt, false};
  } else {
    return std::nullopt;
  }
  return r;
}

std::string detailText(const DetailRecord& r) {
  return UIHomeViewCell::detailCommentText(r.user ? r.user->screenName : std::string(), r.text,
                                           r.time);
}

CGSize detailTextSize(const std::string& text, CGFloat width) {
  return sizeWithFont(text, NSGlobe::getEngine()->fromFont(), CGSizeMake(width, 10000),
                      UILineBreakModeCharacterWrap);
}

}  // namespace

std::string UIHomeViewCell::detailCommentText(std::string_view name, std::string_view text,
                                              std::string_view time) {
  return stringWithFormat("%@: %@ (%@)", std::string(name), std::string(text),
                          utf16Length(time) < 2 ? std::string() : std::string(time));
}

// ---- the comment-list item

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::initWithItem(const CommentPtr& item,
                                                             int /*actionType*/) {
  auto view = std::make_shared<UIHomeViewCell>(CGRectMake(5, 0, 290, 50));
  view->setWeiboitem(item);
  if (!item) return view;
  auto globe = NSGlobe::getEngine();
  const bool day = dayTheme();
  const CGFloat d = globe->showUserHead() ? 0 : 35;

  addNameAndTime(*view, *item, CGRectMake(50 - d, 5, 130 + d, 20), !day);

  const CGFloat w = 250 + d;
  const CGFloat th = textHeight(item->text, w);
  auto text = wrappedTextLabel(CGRectMake(50 - d, 30, w, th), item->text);
  if (!day) text->setTextColor(UIBkImageView::getFontColor());
  view->addSubview(text);

  std::string quoted = bubbleText(*item);
  const CGFloat qh = textHeight(quoted, 235 + d);
  auto bubble = std::make_shared<UIImageView>(CGRectMake(50 - d, th + 30, w, qh + 20));
  bubble->setImage(bubbleImage(day));
  view->addSubview(bubble);
  auto quote = wrappedTextLabel(CGRectMake(60 - d, th + 40, 235 + d, 30), std::move(quoted));
  quote->setTextColor(day ? UIColor::darkGrayColor() : UIBkImageView::getFontColor());
  quote->setFrame(CGRectMake(60 - d, th + 40, 235 + d, qh));
  view->addSubview(quote);

  if (globe->showUserHead()) view->addCommentHead(CGRectMake(10, 10, 25, 25), false);
  return view;
}

CGFloat UIHomeViewCell::getHeightWithComment(const CommentPtr& item) {
  if (!item) return 60;
  const CGFloat a = NSGlobe::getEngine()->showUserHead() ? 255 : 290;
  return textHeight(item->text, a - 5) + textHeight(bubbleText(*item), a - 20) + 60;
}

void UIHomeViewCell::addCommentHead(CGRect frame, bool square) {
  imgView_ = std::make_shared<UIImageView>(frame);
  std::string address;
  if (auto comment = std::dynamic_pointer_cast<Comment>(weiboitem_))
    address = comment->user ? comment->user->profileImageUrl : std::string();
  else if (auto s = status())
    address = s->user ? s->user->profileImageUrl : std::string();
  if (auto head = cachedImage(address)) {
    imgView_->setImage(square ? getHeadImage(head) : head);
  } else {
    imgView_->setImage(UIImage::imageNamed("loading.png"));
    if (request_) request_->clearDelegatesAndCancel();
    request_ = startPictureDownload(address, &UIHomeViewCell::finish, "finish:", false);
  }
  addSubview(imgView_);
}

// ---- the detail comment item

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::initWithItem(
    const std::shared_ptr<NSObject>& item, int actionType,
    std::weak_ptr<UIHomeViewCellDelegate> delegate) {
  auto view = std::make_shared<UIHomeViewCell>(CGRectMake(15, 10, 290, 50));
  view->setCellDelegate(std::move(delegate));
  view->setWeiboitem(item);
  view->setActionType(actionType);
  auto record = detailRecord(item);
  if (!record) return view;
  view->setTimeTampe(long(record->createdAt));
  auto globe = NSGlobe::getEngine();
  const bool day = dayTheme();
  CGFloat g = 5;

  if (globe->showUserHead()) {
    view->addCommentHead(CGRectMake(5, 0, 40, 40), true);
    auto head = view->imgView();
    head->layer()->setCornerRadius(5);
    head->setClipsToBounds(true);
    head->setUserInteractionEnabled(true);
    head->addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(
        selector(view->weakSelf<UIHomeViewCell>(), &UIHomeViewCell::showHead, "showHead:")));
    if (record->user && record->user->verified) {
      auto badge = std::make_shared<UIImageView>(CGRectMake(35, 30, 15, 15));
      badge->setTag(kVerifiedTag);
      badge->setImage(imageFileNamed("zizaVarify2"));
      badge->setClipsToBounds(true);
      view->addSubview(badge);
    }
    g = 55;
  }

  std::string text = detailText(*record);
  CGFloat m = 290 - g;
  if (record->isComment) {
    m -= 30;
    auto reply = std::make_shared<UIButton>(CGRectMake(260, 8, 22, 22));
    reply->setImage(imageFileNamed(day ? "inCommont" : "inCommont_theme1"), UIControlStateNormal);
    reply->addTarget(
        selector(view->weakSelf<UIHomeViewCell>(), &UIHomeViewCell::replyComment, "replyComment:"),
        UIControlEventTouchUpInside);
    view->addSubview(reply);
  }

  auto label = std::make_shared<UIYMLabel>(CGRectMake(g, 0, m, 50));
  label->setTextFont(globe->fromFont());
  label->setNumberOfLines(0);
  label->setTextColor(UIBkImageView::getFontColor());
  label->setBackgroundColor(UIColor::clearColor());
  label->setLineBreakMode(UILineBreakModeCharacterWrap);
  label->setText(text);
  CGSize size = detailTextSize(text, m);
  CGFloat y = size.height < 36 ? (36 - size.height) / 2 : 0;
  label->setFrame(CGRectMake(g, y, size.width, size.height + 10));
  view->addSubview(label);
  view->setFrame(CGRectMake(15, 10, 290, y + size.height + 10));
  return view;
}

CGFloat UIHomeViewCell::getHeightWithComment(const std::shared_ptr<NSObject>& item,
                                             int /*actionType*/) {
  auto record = detailRecord(item);
  if (!record) return 25;
  const bool heads = NSGlobe::getEngine()->showUserHead();
  CGFloat width = 290 - (heads ? 55 : 5) - (record->isComment ? 30 : 0);
  CGFloat h = detailTextSize(detailText(*record), width).height;
  if (heads && h + 10 <= 50) return 65;
  return h + 25;
}

// ---- the framed comment item

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::initWithNewItem(const CommentPtr& item,
                                                                int /*actionType*/) {
  auto view = std::make_shared<UIHomeViewCell>(CGRectMake(5, 0, 290, 50));
  view->setWeiboitem(item);
  if (!item) return view;
  auto globe = NSGlobe::getEngine();
  const bool day = dayTheme();
  const bool heads = globe->showUserHead();
  const CGFloat c = heads ? 50 : 0, d = heads ? 0 : 25;

  addNameAndTime(*view, *item, CGRectMake(c, 5, 130 + d, 20), true);

  auto card = std::make_shared<UIImageView>(CGRectMake(c / 2, 30, 277 + d, 279));
  view->addSubview(card);
  const CGFloat th = textHeight(item->text, 237 + d);
  auto text = wrappedTextLabel(CGRectMake(20, 10, 237 + d, th), item->text);
  if (!day) text->setTextColor(UIBkImageView::getFontColor());
  card->addSubview(text);
  std::string quoted = bubbleText(*item);
  const CGFloat qh = textHeight(quoted, 222 + d);
  auto bubble = std::make_shared<UIImageView>(CGRectMake(20, th + 10, 237 + d, qh + 20));
  bubble->setImage(bubbleImage(day));
  card->addSubview(bubble);
  auto quote = wrappedTextLabel(CGRectMake(30, th + 25, 222 + d, qh), std::move(quoted));
  quote->setTextColor(day ? UIColor::darkGrayColor() : UIBkImageView::getFontColor());
  card->addSubview(quote);
  const CGFloat cardHeight = th + qh + 40;
  card->setFrame(CGRectMake(c / 2, 30, 277 + d, cardHeight));
  std::string cardImage = !day              ? "activityFrame_theme1"
                          : cardHeight < 60 ? "activityFrameLow"
                                            : "activityFrame";
  card->setImage(imageFileNamed(cardImage));

  if (heads) {
    view->addCommentHead(CGRectMake(0, 5, 50, 50), false);
    auto layer = view->imgView()->layer();
    layer->setCornerRadius(25);
    layer->setBorderWidth(1);
    layer->setBorderColor(
        UIColor::colorWithRed(243 / 255.0, 239 / 255.0, 240 / 255.0, 1)->CGColor());
    view->imgView()->setClipsToBounds(true);
  }
  return view;
}

CGFloat UIHomeViewCell::getHeightWithNewComment(const CommentPtr& item) {
  if (!item) return 80;
  // Measured at the widths of the card's labels, so that the row holds the card with the head
  // shown or not.
  const CGFloat d = NSGlobe::getEngine()->showUserHead() ? 0 : 25;
  return textHeight(item->text, 237 + d) + textHeight(bubbleText(*item), 222 + d) + 80;
}
