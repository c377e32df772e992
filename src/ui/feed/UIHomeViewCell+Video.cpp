// The video status item: the status scheme without head, time or own counts, with a like
// button in every list and a play badge on the picture.
#include <algorithm>
#include <cmath>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/UIButtonView.h"

namespace {

constexpr CGFloat kWidth = 290;

void whiteFramed(UIView& view) {
  view.layer()->setBorderWidth(2);
  view.layer()->setBorderColor(UIColor::whiteColor()->CGColor());
  view.layer()->setShadowOpacity(0.2f);
  view.layer()->setShadowOffset(CGSizeMake(0, 0));
  view.layer()->setShadowColor(UIColor::blackColor()->CGColor());
}

}  // namespace

std::shared_ptr<UIHomeViewCell> UIHomeViewCell::initWithVideoItem(
    const StatusPtr& item, std::weak_ptr<UIHomeViewCellDelegate> delegate, int actionType,
    NSIndexPath index, bool picIsInLeft, bool retweent, bool startDownload) {
  auto view = std::make_shared<UIHomeViewCell>();
  if (item)
    view->initWithVideoPath(view->takeItem(item, std::move(delegate), actionType, index,
                                           picIsInLeft, retweent, startDownload));
  return view;
}

void UIHomeViewCell::initWithVideoPath(const StatusLayout& in) {
  setActionType(in.withType);
  setFrame(CGRectMake(15, 10, kWidth, 160));
  auto globe = NSGlobe::getEngine();
  const bool PM = globe->showStatusPicture();
  const bool day = globe->getCurThemeSelect() == 1;
  const auto nameFont = globe->nameFont();

  addLikeButton(in.haveLiked, in.likeCount);

  const bool ownPicture = !in.picUrl.empty();
  const bool markPicture = ownPicture || (!PM && !in.retweets.empty());
  auto name = makeNameLabel(in.name, 0);
  CGFloat nameWidth =
      in.name.empty() ? 0 : sizeWithFont(in.name, nameFont, CGSizeMake(240, 10000)).width;
  nameWidth = std::min({nameWidth, CGFloat(in.verification ? 210 : 230),
                        CGFloat(markPicture ? 213 : 238) - (in.verification ? 15 : 0)});
  name->setFrame(CGRectMake(0, 0, nameWidth, 20));
  addSubview(name);

  std::shared_ptr<UIImageView> verified;
  if (in.verification) {
    verified = std::make_shared<UIImageView>(CGRectMake(nameWidth, 5, 15, 12));
    verified->setImage(UIImage::imageNamed("zizaVarify.png"));
    verified->setTag(kVerifiedTag);
    verified->setClipsToBounds(true);
    addSubview(verified);
  }

  CGFloat W = kWidth;
  if (PM && ownPicture) {
    auto button = makePictureButton(CGPointMake(0, 30), in.picUrl, true);
    button->setTag(kPictureTag);
    whiteFramed(*button);
    auto play = std::make_shared<UIImageView>(button->bounds());
    play->setImage(UIImage::imageNamed("videoPlay"));
    play->setTag(kPlayBadgeTag);
    play->setAutoresizingMask(63);
    button->addSubview(play);
    addSubview(button);
    picBtn_ = button;
    W = kWidth - 50 - 15;
  } else if (markPicture) {
    CGFloat end = CGRectGetMaxX(verified ? verified->frame() : name->frame()) + 20;
    if (end > 238) {
      for (const auto& v :
           {std::static_pointer_cast<UIView>(name), std::static_pointer_cast<UIView>(verified)}) {
        if (!v) continue;
        CGRect f = v->frame();
        f.origin.x -= end - 238;
        v->setFrame(f);
      }
    }
    auto mark = std::make_shared<UIImageView>(CGRectMake(218, name->frame().origin.y + 5, 17, 12));
    mark->setImage(UIImage::imageNamed("pic"));
    mark->setTag(kPictureMarkTag);
    addSubview(mark);
  }

  auto text = std::make_shared<UIDrawLabel>(CGRectMake(0, 30, W, 100));
  text->setTag(kTextTag);
  text->setLabelDelegate(cellDelegate_);
  if (auto item = status()) text->setHttpLinkTypes(item->httpLinkTypes);
  text->setBackgroundColor(UIColor::clearColor());
  text->setText(in.content);
  text->setFont(globe->textFont());
  if (!day) text->setTextColor(UIBkImageView::getFontColor());
  CGFloat H;
  if (picBtn_) {
    CGRect pf = picBtn_->frame();
    if (picInLeft_) {
      text->setDrawType(UIDrawLabel::kPictureLeft);
      pf.origin.x = 0;
    } else {
      text->setDrawType(UIDrawLabel::kPictureRight);
      pf.origin.x = W + 15;
    }
    picBtn_->setFrame(pf);
    text->setFrame(CGRectMake(0, 30, kWidth, std::max<CGFloat>(pf.size.height, 100)));
    text->setImgSize(pf.size);
    H = text->getContentHeight();
  } else {
    H = cappedTextHeight(in.content, globe->textFont(), W);
    text->setFrame(CGRectMake(0, 30, W, H));
  }
  addSubview(text);
  if (picBtn_) bringSubviewToFront(picBtn_);
  CGFloat Y = std::trunc(H + 30);

  if (needRetShow_ && in.Withflag) Y = layoutRepost(in, 0, Y, true);

  CGRect f = frame();
  f.size.height = Y + 25;
  setFrame(f);
}

CGFloat UIHomeViewCell::getVideoHeightForCellRowAtIndexPath(
    NSIndexPath indexPath, const StatusPtr& item, int num, int,
    const std::weak_ptr<UIHomeViewCellDelegate>&, bool retweent, bool isShowAd) {
  if (isMoreRow(indexPath, num, isShowAd)) return kMoreRowHeight;
  if (!item) return 0;
  auto globe = NSGlobe::getEngine();
  const bool PM = globe->showStatusPicture();
  const auto font = globe->textFont();
  CGFloat H = PM && !item->thumbnailPic.empty()
                  ? UIDrawLabel::getContentHeightByText(item->text, kWidth, font)
                  : cappedTextHeight(item->text, font, kWidth);
  return H + 50 + (retweent ? repostRowHeight(*item, 250) : 0);
}
