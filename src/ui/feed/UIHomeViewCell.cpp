// The feed item view: fields, small actions, touch feedback and the status item.
#include "ui/feed/UIHomeViewCell.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "model/NSProduct.h"
#include "ui/framework/UIButtonView.h"

namespace {

constexpr CGFloat kWidth = 290;
constexpr int kLineCap = 60;

bool present(std::string_view s) {
  return !s.empty();
}

bool noLikeButton(int actionType) {
  return actionType == 1 || actionType == 5 || actionType == 7 || actionType == 51 ||
         actionType == 103;
}

std::shared_ptr<UIColor> borderGrey() {
  return UIColor::colorWithRed(0.713726, 0.713726, 0.713726, 1);
}

// A themed picture name: "<base>" in the day theme, "<base>_theme1" otherwise.
std::string themed(const std::string& base, bool day, const std::string& extension = "") {
  return (day ? base : base + "_theme1") + extension;
}

// The repost bubble of the theme, stretchable, decoded once: every repost row shows it.
std::shared_ptr<UIImage> repostBubble(bool day) {
  static std::map<std::string, std::shared_ptr<UIImage>> decoded;
  std::string path = NSBundle::mainBundle()->pathForResource(day ? "pop" : "pop_theme1@2x", "png");
  auto& image = decoded[path];
  if (!image)
    if (auto file = UIImage::imageWithContentsOfFile(path))
      image = file->stretchableImageWithLeftCapWidth(60, 30);
  return image;
}

std::shared_ptr<UILabel> countLabel(CGRect frame, int count, const std::shared_ptr<UIFont>& font,
                                    bool night) {
  auto label = std::make_shared<UILabel>(frame);
  label->setFont(font);
  label->setBackgroundColor(UIColor::clearColor());
  if (night) label->setTextColor(UIBkImageView::getFontColor());
  label->setText(std::to_string(count));
  return label;
}

std::shared_ptr<UIImageView> iconView(CGRect frame, std::string_view name) {
  auto icon = std::make_shared<UIImageView>(frame);
  icon->setImage(UIImage::imageNamed(name));
  return icon;
}

CGFloat textWidth(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat within) {
  return sizeWithFont(text, font, CGSizeMake(within, 10000)).width;
}

}  // namespace

UIHomeViewCell::UIHomeViewCell(CGRect frame) : UIView(frame) {}

UIHomeViewCell::~UIHomeViewCell() {
  cellDelegate_.reset();
  stopAllRequest();
}

// ---- shared measures ---------------------------------------------------------------------------

bool UIHomeViewCell::isMoreRow(NSIndexPath indexPath, int num, bool isShowAd) {
  return num != 0 && num % 20 == 0 && num == (isShowAd ? indexPath.row - 1 : indexPath.row);
}

int UIHomeViewCell::getLineOriSH(CGFloat height) {
  CGFloat line = NSGlobe::getEngine()->getLineHeight();
  int lines = line > 0 ? int(height / line) : 1;
  return std::max(lines, 1);
}

CGFloat UIHomeViewCell::cappedTextHeight(std::string_view text, const std::shared_ptr<UIFont>& font,
                                         CGFloat width) {
  CGFloat h = sizeWithFont(text, font, CGSizeMake(width, 10000)).height;
  if (getLineOriSH(h) > kLineCap) h = kLineCap * NSGlobe::getEngine()->getLineHeight();
  return h;
}

// ---- the status item ---------------------------------------------------------------------------

UIHomeViewCell::StatusLayout UIHomeViewCell::takeItem(
    const StatusPtr& item, std::weak_ptr<UIHomeViewCellDelegate> delegate, int actionType,
    NSIndexPath index, bool picIsInLeft, bool retweent, bool startDownload) {
  isStartDownload_ = startDownload;
  needRetShow_ = retweent;
  picInLeft_ = picIsInLeft;
  weiboitem_ = item;
  cellDelegate_ = std::move(delegate);
  actionType_ = actionType;
  indexPath_ = index;
  timeTampe_ = long(item->createdAt);
  if (present(item->thumbnailPic)) picInLeft_ = true;
  StatusLayout in = layoutInputs(*item);
  in.withType = actionType;
  return in;
}

UIHomeViewCell::StatusLayout UIHomeViewCell::layoutInputs(const Status& item) {
  StatusLayout in;
  if (item.user) {
    in.head = item.user->profileImageUrl;
    in.name = item.user->screenName;
    in.verification = item.user->verified;
  }
  std::string time = item.timestamp();
  if (utf16Length(time) >= 2) in.time = time;
  if (const auto& re = item.retweetedStatus) {
    in.comment = re->text;
    if (re->user) in.withComName = re->user->screenName;
    in.retweets = re->thumbnailPic;
  }
  in.content = item.text;
  in.src = item.source;
  in.Withflag = item.retweetedStatus != nullptr;
  in.retweetsCount = item.retweetsCount;
  in.commentsCount = item.commentsCount;
  in.likeCount = item.likeCount;
  in.picUrl = item.thumbnailPic;
  in.haveLiked = item.haveLiked;
  return in;
}

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::initWithItem(
    const StatusPtr& item, std::weak_ptr<UIHomeViewCellDelegate> delegate, int actionType,
    NSIndexPath index, bool picIsInLeft, bool retweent, bool startDownload) {
  auto view = std::make_shared<UIHomeViewCell>();
  if (item)
    view->initWithImagePath(view->takeItem(item, std::move(delegate), actionType, index,
                                           picIsInLeft, retweent, startDownload));
  return view;
}

std::shared_ptr<UIButtonView> UIHomeViewCell::makePictureButton(CGPoint origin,
                                                                const std::string& address,
                                                                bool own) {
  auto button = std::make_shared<UIButtonView>(CGRectMake(origin.x, origin.y, 50, 50));
  auto self = weakSelf<UIHomeViewCell>();
  button->addTarget(own ? selector(self, &UIHomeViewCell::tapAction, "tapAction:")
                        : selector(self, &UIHomeViewCell::retapAction, "retapAction:"),
                    UIControlEventTouchUpInside);
  button->setUserInteractionEnabled(false);
  if (auto image = cachedImage(address)) {
    button->setImage(pressImage(image));
    if (own) addGifIcon(address, button);
  } else {
    button->setImage(UIImage::imageNamed("loadImg.png"));
    if (isStartDownload_) {
      auto& field = own ? picRequest_ : rePicRequest_;
      field =
          own ? startPictureDownload(address, &UIHomeViewCell::picFinish, "picFinish:", false)
              : startPictureDownload(address, &UIHomeViewCell::rePicFinish, "rePicFinish:", false);
    }
  }
  return button;
}

std::shared_ptr<UILabel> UIHomeViewCell::makeNameLabel(const std::string& text, CGFloat x) {
  auto globe = NSGlobe::getEngine();
  auto name = std::make_shared<UILabel>(CGRectMake(x, 0, 110, 20));
  name->setTag(kNameTag);
  name->setBackgroundColor(UIColor::clearColor());
  name->setFont(globe->nameFont());
  if (globe->getCurThemeSelect() != 1) name->setTextColor(globe->getThemeColor());
  name->setUserInteractionEnabled(true);
  name->addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(
      selector(weakSelf<UIHomeViewCell>(), &UIHomeViewCell::showInfo, "showInfo:")));
  name->setText(text);
  return name;
}

void UIHomeViewCell::addLikeButton(bool liked, int likeCount) {
  auto button = iconView(CGRectMake(238, 0, 52, 21), "goodButton");
  button->setTag(kLikeButtonTag);
  button->setUserInteractionEnabled(false);
  auto icon = iconView(CGRectMake(3, 0, 21, 21), liked ? "goodAlreadyIcon" : "goodIcon");
  icon->setTag(kLikeIconTag);
  icon->setUserInteractionEnabled(false);
  button->addSubview(icon);
  if (!liked) {
    auto area = std::make_shared<UIView>(CGRectMake(238, 0, 52, 40));
    area->setTag(kLikeTapTag);
    area->setBackgroundColor(UIColor::clearColor());
    area->setUserInteractionEnabled(true);
    area->addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(
        selector(weakSelf<UIHomeViewCell>(), &UIHomeViewCell::goodPress, "goodPress:")));
    addSubview(area);
  }
  auto count = std::make_shared<UILabel>(CGRectMake(30, 0, 20, 20));
  count->setTag(kLikeCountTag);
  count->setText(std::to_string(likeCount));
  count->setTextColor(UIColor::whiteColor());
  count->setFont(UIFont::systemFontOfSize(12));
  count->setBackgroundColor(UIColor::clearColor());
  count->setUserInteractionEnabled(false);
  button->addSubview(count);
  addSubview(button);
}

void UIHomeViewCell::initWithImagePath(const StatusLayout& in) {
  actionType_ = in.withType;
  setFrame(CGRectMake(15, 10, kWidth, 160));
  auto globe = NSGlobe::getEngine();
  const bool PM = globe->showStatusPicture();
  const bool day = globe->getCurThemeSelect() == 1;
  const auto textFont = globe->textFont();
  const auto nameFont = globe->nameFont();
  const int at = actionType_;
  auto self = weakSelf<UIHomeViewCell>();

  const CGFloat T = (at == 1 || at == 5 || at == 51 || at == 103) ? 0 : 60;
  CGFloat P = 0;
  if (at == 1 && globe->showUserHead()) {
    P = 45;
    imgView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, 35, 35));
    imgView_->layer()->setCornerRadius(5);
    imgView_->setClipsToBounds(true);
    if (auto image = cachedImage(in.head)) {
      imgView_->setImage(image);
    } else {
      imgView_->setImage(UIImage::imageNamed("loading.png"));
      request_ = startPictureDownload(in.head, &UIHomeViewCell::finish, "finish:", false);
    }
    addSubview(imgView_);
  }

  // Time at the right, before the like button.
  auto time = std::make_shared<UILabel>(CGRectMake(kWidth - T, 0, 70, 20));
  time->setTag(kTimeTag);
  time->setBackgroundColor(UIColor::clearColor());
  time->setTextAlignment(UITextAlignmentRight);
  time->setFont(globe->timeFont());
  if (!day) time->setTextColor(UIBkImageView::getFontColor());
  time->setText(in.time);
  CGFloat L = present(in.time) ? textWidth(in.time, globe->timeFont(), 240) : 0;
  time->setFrame(CGRectMake(kWidth - L - T, 0, L, 20));
  addSubview(time);
  CGFloat R = P + L;

  if (!noLikeButton(at)) {
    addLikeButton(in.haveLiked, in.likeCount);
    R += 52;
  }

  const bool ownPicture = present(in.picUrl);
  const bool repostPicture = present(in.retweets);
  const bool markPicture = ownPicture || (!PM && repostPicture);
  auto name = makeNameLabel(in.name, P);
  CGFloat nameWidth = present(in.name) ? textWidth(in.name, nameFont, 240) : 0;
  nameWidth = std::min(nameWidth, time->frame().origin.x - (in.verification ? 20 : 0));
  nameWidth = std::min(
      nameWidth, CGFloat(int(kWidth - R)) - (markPicture ? 25 : 0) - (in.verification ? 15 : 0));
  name->setFrame(CGRectMake(P, 0, nameWidth, 20));
  addSubview(name);

  std::shared_ptr<UIImageView> verified;
  if (in.verification) {
    verified = iconView(CGRectMake(P + nameWidth, 5, 15, 12), "zizaVarify.png");
    verified->setTag(kVerifiedTag);
    verified->setClipsToBounds(true);
    addSubview(verified);
  }

  CGFloat W;
  if (PM && ownPicture) {
    picBtn_ = makePictureButton(CGPointMake(P, 30), in.picUrl, true);
    picBtn_->setTag(kPictureTag);
    picBtn_->layer()->setBorderWidth(1);
    picBtn_->layer()->setBorderColor(borderGrey()->CGColor());
    addSubview(picBtn_);
    W = kWidth - 50 - 15 - P;
  } else {
    W = kWidth - P;
    if (markPicture) {
      CGRect t = time->frame();
      CGFloat K = CGRectGetMaxX(verified ? verified->frame() : name->frame()) + 20;
      if (t.origin.x < K) {
        CGFloat shift = K - t.origin.x;
        for (const auto& v :
             {std::static_pointer_cast<UIView>(name), std::static_pointer_cast<UIView>(verified)}) {
          if (!v) continue;
          CGRect f = v->frame();
          f.origin.x -= shift;
          v->setFrame(f);
        }
      }
      auto mark = iconView(CGRectMake(t.origin.x - 20, t.origin.y + 5, 17, 12), "pic");
      mark->setTag(kPictureMarkTag);
      addSubview(mark);
    }
  }

  auto text = std::make_shared<UIDrawLabel>(CGRectMake(P, 30, W, 100));
  text->setTag(kTextTag);
  text->setLabelDelegate(cellDelegate_);
  const Status* item = status().get();
  if (item) text->setHttpLinkTypes(item->httpLinkTypes);
  text->setBackgroundColor(UIColor::clearColor());
  text->setText(in.content);
  text->setFont(textFont);
  if (!day) text->setTextColor(UIBkImageView::getFontColor());
  CGFloat H;
  if (picBtn_) {
    CGRect pf = picBtn_->frame();
    if (picInLeft_) {
      text->setDrawType(UIDrawLabel::kPictureLeft);
      pf.origin.x = P;
    } else {
      text->setDrawType(UIDrawLabel::kPictureRight);
      pf.origin.x = P + W + 15;
    }
    picBtn_->setFrame(pf);
    text->setFrame(CGRectMake(P, 30, kWidth - P, pf.size.height >= 100 ? pf.size.height : 100));
    text->setImgSize(pf.size);
    H = text->getContentHeight();
  } else {
    H = cappedTextHeight(in.content, textFont, W);
    text->setFrame(CGRectMake(P, 30, W, H));
  }
  addSubview(text);
  if (picBtn_) bringSubviewToFront(picBtn_);
  CGFloat Y = std::trunc(H + 30);

  if (needRetShow_ && in.Withflag) Y = layoutRepost(in, P, Y, false);

  // The own counts.
  const int comments = at == 51 ? 0 : in.commentsCount;
  const int retweets = at == 51 ? 0 : in.retweetsCount;
  const CGFloat B = Y + 10;
  const auto fromFont = globe->fromFont();
  const CGFloat w = comments ? textWidth(std::to_string(comments), fromFont, 240) : 0;
  const CGFloat v = retweets ? textWidth(std::to_string(retweets), fromFont, 240) : 0;
  auto put = [&](std::shared_ptr<UIView> view, long tag) {
    view->setTag(tag);
    addSubview(view);
  };
  if (picInLeft_ || !picBtn_) {
    if (comments) {
      put(countLabel(CGRectMake(kWidth - w, B, w, 18), comments, fromFont, !day), kCommentCountTag);
      put(iconView(CGRectMake(268 - w, B + 1, 15, 15), themed("comments", day, ".png")),
          kCommentIconTag);
    }
    if (retweets) {
      CGRect f =
          comments ? CGRectMake(268 - w - 18 - v, B + 1, v, 15) : CGRectMake(kWidth - v, B, v, 18);
      put(countLabel(f, retweets, fromFont, !day), kRetweetCountTag);
      put(iconView(CGRectMake(f.origin.x - 22, B, 15, 15), themed("retweet", day, ".png")),
          kRetweetIconTag);
    }
  } else {
    if (retweets) {
      put(iconView(CGRectMake(0, Y + 11, 15, 15), themed("retweet", day, ".png")), kRetweetIconTag);
      put(countLabel(CGRectMake(22, Y + 11, v, 15), retweets, fromFont, !day), kRetweetCountTag);
    }
    if (comments) {
      CGFloat X = retweets ? v + 40 : 0;
      put(iconView(CGRectMake(X, B, 15, 15), themed("comments", day, ".png")), kCommentIconTag);
      put(countLabel(CGRectMake(X + 22, B, w, 15), comments, fromFont, !day), kCommentCountTag);
    }
  }

  CGRect f = frame();
  f.size.height = Y + 25;
  setFrame(f);
}

CGFloat UIHomeViewCell::layoutRepost(const StatusLayout& in, CGFloat P, CGFloat Y, bool video) {
  auto globe = NSGlobe::getEngine();
  const bool PM = globe->showStatusPicture();
  const bool day = globe->getCurThemeSelect() == 1;
  const auto textFont = globe->textFont();
  const auto fromFont = globe->fromFont();
  const Status* item = status().get();
  const Status* re = item ? item->retweetedStatus.get() : nullptr;
  const int reComments = re ? re->commentsCount : 0;
  const int reRetweets = re ? re->retweetsCount : 0;

  CGFloat C = cappedTextHeight(in.comment, textFont, 250 - P);
  C = std::max(C, globe->getLineHeight()) + 20;
  const CGFloat Cy = (reRetweets || reComments) ? 18 : 0;

  auto box = std::static_pointer_cast<UIImageView>(viewWithTag(kRepostBoxTag));
  if (!box) {
    box = std::make_shared<UIImageView>(CGRectZero);
    box->setImage(repostBubble(day));
    box->setTag(kRepostBoxTag);
    addSubview(box);
  }
  box->setFrame(CGRectMake(P, Y, kWidth - P, C + 40 + Cy));

  CGFloat U;
  if (present(in.withComName)) {
    auto author = MyLabel::initWithFrame(CGRectMake(P + 20, Y + 18, 270 - P, 20));
    author->setTag(kRepostAuthorTag);
    author->setDelegate(std::static_pointer_cast<MyLabelDelegate>(self<UIHomeViewCell>()));
    author->setTextFont(globe->nameFont());
    author->setTextColor(globe->getThemeColor());
    author->setBackgroundColor(UIColor::clearColor());
    author->setText("@" + in.withComName);
    addSubview(author);
    U = Y + 18;
  } else {
    U = Y + 1;
    box->setFrame(CGRectMake(P, Y + 1, kWidth - P, C + 20 + Cy));
  }

  auto text = std::make_shared<UIDrawLabel>(CGRectMake(P + 20, U + 20, 250 - P, C - 20));
  text->setTag(kRepostTextTag);
  if (item) text->setHttpLinkTypes(item->httpLinkTypes);
  text->setLabelDelegate(cellDelegate_);
  text->setBackgroundColor(UIColor::clearColor());
  text->setText(in.comment);
  text->setFont(textFont);
  text->setTextColor(day ? UIColor::grayColor() : UIBkImageView::getFontColor());
  addSubview(text);

  CGFloat Y2;
  if (!PM || !present(in.retweets)) {
    Y2 = U + C + 10;
  } else {
    if (!rePicBtn_) {
      rePicBtn_ = makePictureButton(CGPointMake(P + 20, U + 20), in.retweets, false);
      if (video) {
        rePicBtn_->layer()->setBorderWidth(2);
        rePicBtn_->layer()->setBorderColor(UIColor::whiteColor()->CGColor());
        rePicBtn_->layer()->setShadowOpacity(0.2f);
        rePicBtn_->layer()->setShadowOffset(CGSizeMake(0, 0));
        rePicBtn_->layer()->setShadowColor(UIColor::blackColor()->CGColor());
      } else {
        rePicBtn_->layer()->setBorderWidth(1);
        rePicBtn_->layer()->setBorderColor(borderGrey()->CGColor());
      }
      addSubview(rePicBtn_);
    }
    text->setDrawType(UIDrawLabel::kPictureLeft);
    text->setFrame(CGRectMake(P + 20, U + 20, 250 - P, C - 20 > 50 ? C - 20 : 50));
    text->setImgSize(rePicBtn_->frame().size);
    CGFloat D = text->getContentHeight();
    CGRect b = box->frame();
    b.size.height += D - C + 10;
    box->setFrame(b);
    Y2 = U + D + 20;
    bringSubviewToFront(rePicBtn_);
  }

  const CGFloat icon = video ? 15 : 14;
  CGFloat E = 300;
  if (reComments && !viewWithTag(kRepostCommentCountTag)) {
    CGFloat w1 = textWidth(std::to_string(reComments), fromFont, 290);
    auto label = countLabel(CGRectMake(275 - w1, Y2, w1, 18), reComments, fromFont, !day);
    label->setTag(kRepostCommentCountTag);
    addSubview(label);
    auto iv = iconView(CGRectMake(250 - w1, Y2 + 1, icon, icon), themed("comments", day, ".png"));
    iv->setTag(kRepostCommentIconTag);
    addSubview(iv);
    E = iv->frame().origin.x - 5;
  }
  if (reRetweets && !viewWithTag(kRepostRetweetCountTag)) {
    CGFloat w2 = textWidth(std::to_string(reRetweets), fromFont, 290);
    CGRect lf = CGRectMake(E - 15 - w2, Y2, w2, 18);
    auto label = countLabel(lf, reRetweets, fromFont, !day);
    label->setTag(kRepostRetweetCountTag);
    addSubview(label);
    auto iv =
        iconView(CGRectMake(lf.origin.x - 25, Y2 + 1, icon, icon), themed("retweet", day, ".png"));
    iv->setTag(kRepostRetweetIconTag);
    addSubview(iv);
  }
  if (reComments || reRetweets) Y2 += 20;
  return Y2;
}

CGFloat UIHomeViewCell::getHeightForCellRowAtIndexPath(NSIndexPath indexPath, const StatusPtr& item,
                                                       int num, int actionType,
                                                       const std::weak_ptr<UIHomeViewCellDelegate>&,
                                                       bool retweent, bool isShowAd) {
  if (isMoreRow(indexPath, num, isShowAd)) return kMoreRowHeight;
  if (!item) return 0;
  auto globe = NSGlobe::getEngine();
  const bool PM = globe->showStatusPicture();
  const auto font = globe->textFont();
  const CGFloat e = (actionType == 1 && globe->showUserHead()) ? 45 : 0;
  CGFloat H = PM && present(item->thumbnailPic)
                  ? UIDrawLabel::getContentHeightByText(item->text, kWidth - e, font)
                  : cappedTextHeight(item->text, font, kWidth - e);
  CGFloat height = H + 50;
  if (retweent) height += repostRowHeight(*item, 250 - e);
  if ((item->retweetsCount || item->commentsCount) && actionType != 51) height += 22;
  return height;
}

CGFloat UIHomeViewCell::repostRowHeight(const Status& item, CGFloat width) {
  const auto& re = item.retweetedStatus;
  if (!re) return 0;
  auto globe = NSGlobe::getEngine();
  const auto font = globe->textFont();
  const bool reCounts = re->retweetsCount || re->commentsCount;
  CGFloat height;
  if (globe->showStatusPicture() && present(re->thumbnailPic)) {
    height = UIDrawLabel::getContentHeightByText(re->text, width, font) + 30 + 18;
  } else {
    height = cappedTextHeight(re->text, font, width) + 30 + 18 + 10;
    if (!reCounts) height -= 10;
  }
  height += reCounts ? 20 : 10;
  if (item.retweetsCount || item.commentsCount) height -= 5;
  if (re->delected) height -= 27;
  return height;
}

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::copyWithZone() const {
  auto item = status();
  std::shared_ptr<UIHomeViewCell> copy = initWithItem(item, cellDelegate_, actionType_, indexPath_,
                                                      picInLeft_, needRetShow_, isStartDownload_);
  copy->needSeminarBtn_ = needSeminarBtn_;
  return copy;
}

// ---- small actions -----------------------------------------------------------------------------

void UIHomeViewCell::reDrawUIZMLabel() {
  for (long tag : {kTextTag, kRepostTextTag})
    if (auto v = viewWithTag(tag)) v->setNeedsDisplay();
  setAlpha(1.0);
}

void UIHomeViewCell::reFreshContentCount() {
  auto item = status();
  if (!item) return;
  if (auto l = std::dynamic_pointer_cast<UILabel>(viewWithTag(kRetweetCountTag)))
    l->setText(std::to_string(item->retweetsCount));
  if (auto l = std::dynamic_pointer_cast<UILabel>(viewWithTag(kCommentCountTag)))
    l->setText(std::to_string(item->commentsCount));
}

void UIHomeViewCell::refreshFavorited(bool favourite) {
  auto view = viewWithTag(kFavouriteTag);
  if (!view) view = viewWithTag(kFavouredTag);
  auto button = std::dynamic_pointer_cast<UIButton>(view);
  if (!button) return;
  button->setTag(favourite ? kFavouredTag : kFavouriteTag);
  button->setImage(UIImage::imageNamed(favourite ? "conFavS" : "conFav"), UIControlStateNormal);
  button->setImage(UIImage::imageNamed(favourite ? "conFav" : "conFavS"),
                   UIControlStateHighlighted);
}

std::optional<std::string> UIHomeViewCell::fullPictureAddress(const StatusPtr& status) {
  if (!status) return std::nullopt;
  std::string address;
  for (const RecordText* s : {&status->originalPic, &status->bmiddlePic, &status->thumbnailPic}) {
    if (present(*s)) {
      address = *s;
      break;
    }
  }
  if (address.empty()) return std::nullopt;
  if (address.size() >= 4 && address.compare(address.size() - 4, 4, ".gif") == 0 &&
      present(status->bmiddlePic))
    address = status->bmiddlePic.str();
  return address;
}

void UIHomeViewCell::showInfo(const Value&) {
  if (auto d = cellDelegate(); d && d->respondsToSelector("showInfo")) d->showInfo();
}

void UIHomeViewCell::showHead(const Value&) {
  auto d = cellDelegate();
  if (!d || !d->respondsToSelector("showHead:")) return;
  std::shared_ptr<User> user;
  if (auto s = status())
    user = s->user;
  else if (auto comment = std::dynamic_pointer_cast<Comment>(weiboitem_))
    user = comment->user;
  d->showHead(user);
}

void UIHomeViewCell::goodPress(const Value&) {
  if (auto d = cellDelegate(); d && d->respondsToSelector("goodAction:")) d->goodAction(indexPath_);
}

void UIHomeViewCell::tapAction(const Value&) {
  if (auto d = cellDelegate()) d->showPic(fullPictureAddress(status()));
}

void UIHomeViewCell::retapAction(const Value&) {
  auto item = status();
  if (auto d = cellDelegate())
    d->showPic(fullPictureAddress(item ? item->retweetedStatus : nullptr));
}

void UIHomeViewCell::tapTuiJianAction(const Value&) {
  auto d = cellDelegate();
  if (!d) return;
  auto product = std::dynamic_pointer_cast<NSProduct>(weiboitem_);
  if (product && present(product->imageBPath))
    d->showPic(product->imageBPath);
  else
    d->showPic(std::nullopt);
}

void UIHomeViewCell::btnAction(const Value& sender) {
  auto d = cellDelegate();
  if (!d || !d->respondsToSelector("lineAction:")) return;
  auto view = sender.object<UIView>();
  long tag = view ? view->tag() : 0;
  int code;
  switch (tag) {
    case 91:
    case 92:
      code = 4;
      break;
    case 93:
      code = 6;
      break;
    case 94:
      code = 8;
      break;
    case 117:
      code = 9;
      break;
    case 95:
    case 96:
      code = 11;
      break;
    default:
      code = int(tag);
  }
  d->lineAction(code);
}

void UIHomeViewCell::OriginalComment(const Value&) {
  if (auto d = cellDelegate(); d && d->respondsToSelector("OriginalAction:")) d->OriginalAction(1);
}

void UIHomeViewCell::OriginalRetweet(const Value&) {
  if (auto d = cellDelegate(); d && d->respondsToSelector("OriginalAction:")) d->OriginalAction(0);
}

void UIHomeViewCell::commentAction(const Value&) {
  if (auto d = cellDelegate()) d->ret_comAction(0);
}

void UIHomeViewCell::retweetAction(const Value&) {
  if (auto d = cellDelegate()) d->ret_comAction(1);
}

void UIHomeViewCell::replyComment(const Value&) {
  if (auto d = cellDelegate(); d && d->respondsToSelector("replyComment:"))
    d->replyComment(weiboitem_);
}

void UIHomeViewCell::detail(const Value&) {
  if (auto d = cellDelegate()) d->loadInfoViewCtrl();
}

void UIHomeViewCell::openURL(const std::string& text) {
  if (auto d = cellDelegate(); d && d->respondsToSelector("openURL:")) d->openURL(text);
}

void UIHomeViewCell::longPressAction(const std::string& text) {
  if (auto d = cellDelegate(); d && d->respondsToSelector("longPressAction:"))
    d->longPressAction(text);
}

bool UIHomeViewCell::respondsToSelector(std::string_view selector) const {
  return selector == "openURL:" || selector == "longPressAction:" ||
         UIView::respondsToSelector(selector);
}

void UIHomeViewCell::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesBegan(touches, event);
  setAlpha(0.3);
}

void UIHomeViewCell::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesMoved(touches, event);
}

void UIHomeViewCell::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesEnded(touches, event);
  setAlpha(1.0);
}

void UIHomeViewCell::touchesCancelled(const UITouchSet& touches, UIEvent* event) {
  UIView::touchesCancelled(touches, event);
  setAlpha(1.0);
}

NS_CLASS_IMPLEMENTATION(UIHomeViewCell) {}
