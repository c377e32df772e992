// The detail layout of a status item (reloadCell) and the growth of its picture
// (reloadCellModifyHeight).
#include <algorithm>

#include "Common/Additions/UIImage+Additions.h"
#include "Foundation/NSString.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "net/http/HXHTTPRequest.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/feed/UIZMLabel.h"
#include "ui/framework/UIButtonView.h"
#include "ui/framework/UIYBImage.h"

namespace {

constexpr CGFloat kDetailWidth = 290;

// The middle-size picture's address, or the thumbnail's.
std::string pictureAddress(const Status& s) {
  return (s.bmiddlePic.empty() ? s.thumbnailPic : s.bmiddlePic).str();
}

// The picture fitted to the width: scaled down when wider, its size in points.
std::shared_ptr<UIImage> fitted(const std::shared_ptr<UIImage>& image, CGFloat width,
                                CGSize& size) {
  size = UIYBImage::ybsize(image);
  if (size.width <= width) return image;
  CGFloat height = width * size.height / size.width;
  auto scaled = UIHomeViewCell::processImage(image, width, height);
  size = scaled ? UIYBImage::ybsize(scaled) : CGSizeMake(width, height);
  return scaled ? scaled : image;
}

void removeTagged(UIView& root, long tag) {
  while (auto v = root.viewWithTag(tag)) {
    if (v.get() == &root) return;
    v->removeFromSuperview();
  }
}

void setOrigin(const std::shared_ptr<UIView>& v, CGFloat x, CGFloat y) {
  if (!v) return;
  CGRect f = v->frame();
  v->setFrame(CGRectMake(x, y, f.size.width, f.size.height));
}

std::shared_ptr<UIColor> fontColour(bool day, std::shared_ptr<UIColor> dayColour) {
  return day ? std::move(dayColour) : UIBkImageView::getFontColor();
}

}  // namespace

CGFloat UIHomeViewCell::reloadCellModifyHeight() {
  auto item = status();
  if (!item) return 0;
  if (picBtn_) {
    auto image = cachedImage(pictureAddress(*item));
    if (!image) return 0;
    CGSize size;
    fitted(image, kDetailWidth, size);
    return std::max<CGFloat>(0, size.height - picBtn_->frame().size.height);
  }
  auto quoted = item->retweetedStatus;
  if (!quoted) return 0;
  CGFloat old = rePicBtn_ ? rePicBtn_->frame().size.height : 0;
  std::string path = pictureAddress(*quoted);
  auto image = path.empty() ? nullptr : cachedImage(path);
  if (!image) return 0;
  CGSize size = image->size();
  CGFloat height = size.width > 250 ? size.height * 250 / size.width : size.height;
  return std::max<CGFloat>(0, height - old);
}

void UIHomeViewCell::reloadCell() {
  if (actionType_ == 100) return reloadTuiJianCell();
  if (actionType_ == 101) return reloadZiViActionCell();
  auto item = status();
  if (!item) return;
  auto globe = NSGlobe::getEngine();
  const bool day = globe->getCurThemeSelect() == 1;
  const bool wifi = globe->curNetStatus() == 1;
  auto self = weakSelf<UIHomeViewCell>();

  // 1. What the list layout only shows goes.
  if (picBtn_) picBtn_->setUserInteractionEnabled(true);
  if (rePicBtn_) rePicBtn_->setUserInteractionEnabled(true);
  const bool heads = globe->showUserHead();
  if (goodBtnView_) {
    goodBtnView_->removeFromSuperview();
    goodBtnView_.reset();
  }
  for (long tag : {kPictureMarkTag, kGifBadgeTag, 98L, kPlayBadgeTag}) removeTagged(*this, tag);

  // 2. The head, where the name stood.
  auto name = viewWithTag(kNameTag);
  CGPoint nameOrigin = name ? name->frame().origin : CGPointMake(0, 0);
  CGFloat u = 0, w = 245;
  if (heads) {
    auto dress = [&](const std::shared_ptr<UIImageView>& head) {
      head->layer()->setCornerRadius(5);
      head->setClipsToBounds(true);
      head->setUserInteractionEnabled(true);
      head->addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(
          selector(self, &UIHomeViewCell::showInfo, "showInfo:")));
    };
    if (imgView_ && (actionType_ == 1 || actionType_ == 7)) {
      CGRect f = imgView_->frame();
      imgView_->setFrame(CGRectMake(f.origin.x, f.origin.y, 50, 50));
      dress(imgView_);
    } else if (!imgView_) {
      imgView_ = std::make_shared<UIImageView>(CGRectMake(nameOrigin.x, nameOrigin.y, 50, 50));
      dress(imgView_);
      addSubview(imgView_);
      imgView_->setImage(UIImage::imageNamed("loading.png"));
    }
    std::string headAddress = item->user ? item->user->profileImageUrl.str() : std::string();
    if (auto head = cachedImage(headAddress)) {
      imgView_->setImage(getHeadImage(head));
    } else {
      if (request_) request_->clearDelegatesAndCancel();
      request_.reset();
      if (wifi)
        request_ = startPictureDownload(headAddress, &UIHomeViewCell::finish, "finish:", false);
    }
    u = 60;
    w = 185;
  }

  // 3. The name row.
  auto badge = viewWithTag(kVerifiedTag);
  CGFloat right = u;
  if (name) {
    setOrigin(name, u, 12);
    right = u + name->frame().size.width;
  }
  if (badge) {
    setOrigin(badge, right, 17.5);
    w -= badge->frame().size.width + 5;
    right += badge->frame().size.width;
  }

  // 4. The like row.
  if (actionType_ != 7) {
    if (auto like = std::dynamic_pointer_cast<UIImageView>(viewWithTag(kLikeButtonTag))) {
      like->setImage(UIImage::imageNamed("goodTag"));
      like->setFrame(CGRectMake(253, -3, 52, 21));
    }
    auto icon = viewWithTag(kLikeIconTag);
    if (icon) icon->setFrame(CGRectMake(7, 0, 21, 21));
    if (item->haveLiked) {
      if (auto i = std::dynamic_pointer_cast<UIImageView>(icon))
        i->setImage(UIImage::imageNamed("goodAlreadyIcon"));
      if (auto area = viewWithTag(kLikeTapTag))
        for (auto& g : std::vector(area->gestureRecognizers())) area->removeGestureRecognizer(g);
    } else if (auto area = viewWithTag(kLikeTapTag)) {
      area->setFrame(CGRectMake(250, 0, 55, 40));
    }
    if (auto count = std::dynamic_pointer_cast<UILabel>(viewWithTag(kLikeCountTag)))
      count->setText(std::to_string(item->likeCount));
  }

  // 5-7. The time, and the name no wider than its room.
  setOrigin(viewWithTag(kTimeTag), 245, 17.5);
  if (name) {
    CGRect f = name->frame();
    if (right > 245) {
      f.size.width -= right - 245;
      name->setFrame(f);
      if (badge) setOrigin(badge, u + f.size.width, 17.5);
    }
    auto label = std::dynamic_pointer_cast<UILabel>(name);
    CGFloat textWidth = label ? sizeWithFont(label->text(), globe->nameFont(),
                                             CGSizeMake(240, 10000), UILineBreakModeCharacterWrap)
                                    .width
                              : f.size.width;
    f.size.width = std::min(w, textWidth);
    name->setFrame(f);
    if (badge) setOrigin(badge, f.origin.x + f.size.width, badge->frame().origin.y);
  }

  // 8. The body starts under the head, or under the name.
  CGFloat y = 0, x0 = 0;
  if (heads && imgView_) {
    y = imgView_->frame().origin.y + 50;
    x0 = imgView_->frame().origin.x;
  } else if (name) {
    y = name->frame().origin.y + name->frame().size.height;
    x0 = name->frame().origin.x;
  }

  // 9. The action bar, once.
  if (!viewWithTag(kActionLineTag)) {
    auto line = std::make_shared<UIImageView>(CGRectMake(0, y, kDetailWidth, 24));
    line->setImage(UIImage::imageNamed(day ? "conLine" : "conLine_theme1"));
    line->setTag(kActionLineTag);
    addSubview(line);
    struct Key {
      long tag;
      const char *normal, *highlighted;
    };
    Key third = canDelete_ ? Key{kDeleteTag, "conDel", "conDelS"}
                : (actionType_ == 1 || actionType_ == 5 || actionType_ == 7 || actionType_ == 103)
                    ? Key{kMailTag, "conMail", "conMailS"}
                : item->favorited ? Key{kFavouredTag, "conFavS", "conFav"}
                                  : Key{kFavouriteTag, "conFav", "conFavS"};
    const Key keys[] = {{1, "conRetweet", "conRetweetS"}, {2, "conComment", "conCommentS"}, third};
    CGFloat x = 121;
    for (const Key& k : keys) {
      auto button = std::make_shared<UIButton>(CGRectMake(x, y - 1, 44, 44));
      button->setImage(UIImage::imageNamed(k.normal), UIControlStateNormal);
      button->setImage(UIImage::imageNamed(k.highlighted), UIControlStateHighlighted);
      button->setTag(k.tag);
      button->addTarget(selector(self, &UIHomeViewCell::btnAction, "btnAction:"),
                        UIControlEventTouchUpInside);
      addSubview(button);
      x += 57;
    }
  }

  // 10. The whole text.
  CGFloat t = y + 34;
  auto textFont = globe->textFont();
  if (auto old = viewWithTag(kTextTag)) {
    std::string text = "        " + item->text;
    CGFloat h = sizeWithFont(text, textFont, CGSizeMake(kDetailWidth, 10000)).height;
    CGRect frame = CGRectMake(x0, t + 10, kDetailWidth, h);
    old->setFrame(frame);
    if (!std::dynamic_pointer_cast<UIZMLabel>(old)) {
      auto label = std::make_shared<UIZMLabel>(frame);
      label->setTag(kTextTag);
      label->setDelegate(self);
      label->setNeedHyperlink(true);
      label->setBackgroundColor(UIColor::clearColor());
      label->setModifyText(text);
      label->setTextColor(fontColour(day, UIColor::blackColor()));
      label->setTextFont(textFont);
      old->removeFromSuperview();
      addSubview(label);
    }
    y = t + 10 + h;
  } else {
    y = t;
  }

  // 11. The own picture at its middle size.
  if (!viewWithTag(kPictureTag) && !item->thumbnailPic.empty()) {
    picBtn_ = std::make_shared<UIButtonView>(CGRectMake(0, y, 50, 50));
    picBtn_->setImage(UIImage::imageNamed("loadImg.png"));
    picBtn_->setTag(kPictureTag);
    picBtn_->addTarget(selector(self, &UIHomeViewCell::tapAction, "tapAction:"),
                       UIControlEventTouchUpInside);
    picBtn_->layer()->setBorderWidth(1);
    picBtn_->layer()->setBorderColor(
        UIColor::colorWithRed(182.0 / 255, 182.0 / 255, 182.0 / 255, 1)->CGColor());
    addSubview(picBtn_);
  }
  if (picBtn_ && viewWithTag(kPictureTag)) {
    std::string path = pictureAddress(*item);
    y += 10;
    CGSize size = picBtn_->frame().size;
    if (auto middle = cachedImage(path)) {
      picBtn_->setImage(fitted(middle, kDetailWidth, size));
    } else {
      if (auto thumb = cachedImage(item->thumbnailPic)) {
        picBtn_->setImage(thumb);
        size = UIYBImage::ybsize(thumb);
      }
      if (picRequest_) picRequest_->clearDelegatesAndCancel();
      picRequest_.reset();
      if (wifi)
        picRequest_ = startPictureDownload(path, &UIHomeViewCell::picFinish, "picFinish:", false);
    }
    picBtn_->setFrame(CGRectMake(x0 + (kDetailWidth - size.width) / 2, y, size.width, size.height));
    y += size.height + 10;
  }

  // 12. The quoted status in its bubble.
  if (auto quoted = item->retweetedStatus) {
    y += 2;
    CGFloat h = sizeWithFont(quoted->text, textFont, CGSizeMake(250, 10000)).height;
    CGFloat k = globe->getLineHeight() > h ? globe->getLineHeight() + 20 : h + 20;
    auto bubble = std::dynamic_pointer_cast<UIImageView>(viewWithTag(kRepostBoxTag));
    if (!bubble) {
      bubble = std::make_shared<UIImageView>();
      bubble->setImage(UIImage::imageNamed(day ? "pop.png" : "pop_theme1.png")
                           ? UIImage::imageNamed(day ? "pop.png" : "pop_theme1.png")
                                 ->stretchableImageWithLeftCapWidth(60, 30)
                           : nullptr);
      bubble->setTag(kRepostBoxTag);
      addSubview(bubble);
    }
    bubble->setFrame(CGRectMake(0, y, kDetailWidth, k + 63));
    y += 18;
    if (auto author = viewWithTag(kRepostAuthorTag)) {
      author->setFrame(CGRectMake(20, y, 270, 20));
    } else if (quoted->user && !quoted->user->screenName.empty()) {
      auto label = MyLabel::initWithFrame(CGRectMake(20, y, 270, 20));
      label->setTag(kRepostAuthorTag);
      label->setDelegate(self);
      label->setTextFont(globe->nameFont());
      if (!day) label->setTextColor(globe->getThemeColor());
      label->setText("@" + quoted->user->screenName);
      addSubview(label);
    } else {
      y -= 17;
      bubble->setFrame(CGRectMake(0, y, kDetailWidth, k + 10));
    }
    CGRect textFrame = CGRectMake(20, y + 20, 250, k - 20);
    if (auto old = std::dynamic_pointer_cast<UIZMLabel>(viewWithTag(kRepostTextTag))) {
      old->setFrame(textFrame);
    } else {
      removeTagged(*this, kRepostTextTag);
      auto label = std::make_shared<UIZMLabel>(textFrame);
      label->setTag(kRepostTextTag);
      label->setDelegate(self);
      label->setNeedHyperlink(true);
      label->setText(quoted->text.str());
      label->setTextFont(textFont);
      label->setNumberOfLines(0);
      label->setTextColor(fontColour(day, UIColor::grayColor()));
      label->setBackgroundColor(UIColor::clearColor());
      label->setLineBreakMode(UILineBreakModeCharacterWrap);
      addSubview(label);
    }
    y += k + (quoted->delected ? 0 : 30);
    std::string quotedPath = pictureAddress(*quoted);
    if (!quotedPath.empty()) {
      if (rePicBtn_) {
        setOrigin(rePicBtn_, rePicBtn_->frame().origin.x, y - 20);
      } else {
        rePicBtn_ = std::make_shared<UIButtonView>(CGRectMake(20, y - 20, 50, 50));
        rePicBtn_->addTarget(selector(self, &UIHomeViewCell::retapAction, "retapAction:"),
                             UIControlEventTouchUpInside);
        rePicBtn_->layer()->setBorderWidth(1);
        rePicBtn_->layer()->setBorderColor(
            UIColor::colorWithRed(182.0 / 255, 182.0 / 255, 182.0 / 255, 1)->CGColor());
        rePicBtn_->setImage(UIImage::imageNamed("loadImg.png"));
        addSubview(rePicBtn_);
      }
      std::shared_ptr<UIImage> image = cachedImage(quotedPath);
      if (!image) {
        image = cachedImage(quoted->thumbnailPic);
        if (rePicRequest_) rePicRequest_->clearDelegatesAndCancel();
        rePicRequest_.reset();
        if (wifi)
          rePicRequest_ =
              startPictureDownload(quotedPath, &UIHomeViewCell::rePicFinish, "rePicFinish:", false);
      }
      CGSize size = rePicBtn_->frame().size;
      if (image) rePicBtn_->setImage(fitted(image, 250, size));
      rePicBtn_->setFrame(
          CGRectMake((kDetailWidth - size.width - 40) / 2 + 20, y - 20, size.width, size.height));
      y += size.height;
      CGRect b = bubble->frame();
      b.size.height += size.height;
      bubble->setFrame(b);
    }
    y -= 10;
    auto smallFont = globe->fromFont();
    auto countLabel = [&](long tag, int count) {
      auto label = std::dynamic_pointer_cast<UILabel>(viewWithTag(tag));
      if (label) return label;
      label = std::make_shared<UILabel>(CGRectMake(0, y, 40, 18));
      label->setBackgroundColor(UIColor::clearColor());
      if (!day) label->setTextColor(UIBkImageView::getFontColor());
      label->setFont(smallFont);
      label->setText(std::to_string(count));
      label->setTag(tag);
      CGFloat width = sizeWithFont(label->text(), smallFont, CGSizeMake(kDetailWidth, 10000)).width;
      label->setFrame(CGRectMake(0, y, width, 18));
      addSubview(label);
      return label;
    };
    auto countIcon = [&](long tag, const char* picture, CGFloat x, CGFloat iconY) {
      auto icon = viewWithTag(tag);
      if (!icon) {
        auto view = std::make_shared<UIImageView>(CGRectMake(x, iconY, 14, 14));
        view->setImage(UIImage::imageNamed(
            stringWithFormat(day ? "%@.png" : "%@_theme1.png", std::string(picture))));
        view->setTag(tag);
        addSubview(view);
        icon = view;
      }
      icon->setFrame(CGRectMake(x, iconY, 14, 14));
      return icon;
    };
    CGFloat rightEdge = 290;
    if (quoted->commentsCount != 0) {
      auto label = countLabel(kRepostCommentCountTag, quoted->commentsCount);
      CGFloat width = label->frame().size.width;
      label->setFrame(CGRectMake(280 - width, y, width, 18));
      auto icon = countIcon(kRepostCommentIconTag, "comments", 280 - width - 20, y + 1);
      rightEdge = icon->frame().origin.x - 15;
    }
    if (quoted->retweetsCount != 0) {
      auto label = countLabel(kRepostRetweetCountTag, quoted->retweetsCount);
      CGFloat width = label->frame().size.width;
      label->setFrame(CGRectMake(rightEdge - width, y, width, 18));
      countIcon(kRepostRetweetIconTag, "retweet", rightEdge - width - 20, y + 2);
    }
    y += 28;
  }

  // 13. The list's counts go; the view is as high as its content.
  for (long tag : {kRetweetCountTag, kRetweetIconTag, kCommentCountTag, kCommentIconTag})
    removeTagged(*this, tag);
  CGRect f = frame();
  setFrame(CGRectMake(f.origin.x, f.origin.y, f.size.width, y));
}
