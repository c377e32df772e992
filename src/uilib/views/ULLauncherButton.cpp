#include "uilib/views/ULLauncherButton.h"

#include <cmath>
#include <filesystem>
#include <string>
#include <system_error>

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "core/UIFilePath.h"
#include "net/http/HXHTTPRequest.h"
#include "uilib/style/ULStyleSheet.h"
#include "uilib/views/CustomerLauncherItem.h"
#include "uilib/views/ULLauncherView.h"

namespace {

constexpr CGRect kBackgroundFrame = {{10, 10}, {100, 95}};
constexpr CGRect kUnnamedIconFrame = {{34, 32}, {52, 45}};
constexpr CGRect kNewMarkFrame = {{73, 12}, {35, 22}};
constexpr CGRect kNameFrame = {{10, 70}, {100, 28}};
constexpr CGFloat kIconHeight = 45;
constexpr CGFloat kIconTop = 22;
constexpr CGFloat kIconSpan = 120;
constexpr CGFloat kIconFallbackWidth = 52;
constexpr const char* kDefaultStyle = "launcherButton:";
constexpr const char* kCloseButtonImage = "bundle://ULKit.bundle/images/closeButton.png";

std::shared_ptr<UIImage> fileImage(const std::string& path) {
  if (path.empty()) return nullptr;
  return UIImage::imageWithContentsOfFile(path);
}

bool allDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

ULLauncherButton::ULLauncherButton(CGRect frame) : ULButton(frame) {
  setIsVertical(true);
}

ULLauncherButton::~ULLauncherButton() {
  stopDownload();
}

std::shared_ptr<ULLauncherButton> ULLauncherButton::initWithItem(ULLauncherItemPtr item) {
  auto button = std::make_shared<ULLauncherButton>();
  button->setUp(std::move(item));
  return button;
}

void ULLauncherButton::setUp(ULLauncherItemPtr item) {
  item_ = std::move(item);
  if (!item_) return;
  if (!item_->title().empty()) setTitle(NSLocalizedString(item_->title()), UIControlStateNormal);
  if (!item_->image().empty()) setImage(item_->image(), UIControlStateNormal);
  setStylesWithSelector(item_->style().empty() ? std::string(kDefaultStyle) : item_->style());
  if (std::dynamic_pointer_cast<CustomerLauncherItem>(item_)) buildChannelTile();
  updateBadge();
}

void ULLauncherButton::buildChannelTile() {
  auto tile = std::static_pointer_cast<CustomerLauncherItem>(item_);
  ChannelItemPtr channel = tile->channelItem();
  if (!channel) return;
  int id = channel->type;
  iconPath_ = UIFilePath::getNewChannelImageIcon(id);

  auto background = fileImage(UIFilePath::getBundleSourcePath(channel->backgroundImage));
  if (!background) background = fileImage(UIFilePath::getNewChannelImageBackground(id));
  if (!background) background = UIImage::imageNamed("channelPurple");
  auto backgroundView = std::make_shared<UIImageView>(kBackgroundFrame);
  backgroundView->setImage(background);
  addSubview(backgroundView);

  bool download = false;
  auto icon = fileImage(iconPath_);
  if (!icon && !channel->iconImage.empty())
    icon = fileImage(UIFilePath::getBundleSourcePath(channel->iconImage));
  // The bundle's own icon of the channel, "iconID<n>".
  if (!icon) icon = imageFileNamed("iconID" + std::to_string(id));
  if (!icon) {
    icon = UIImage::imageNamed("iconDefault");
    download = true;
  }
  CGRect iconFrame = kUnnamedIconFrame;
  if (!channel->name.empty()) {
    CGFloat width = kIconFallbackWidth;
    if (icon && icon->size().height > 0)
      width = kIconHeight * icon->size().width / icon->size().height;
    iconFrame = CGRectMake((kIconSpan - width) / 2, kIconTop, width, kIconHeight);
  }
  auto iconView = std::make_shared<UIImageView>(iconFrame);
  iconView->setImage(icon);
  iconView->setTag(kIconTag);
  iconView->layer()->setCornerRadius(5);
  iconView->setClipsToBounds(true);
  addSubview(iconView);

  if (download && !channel->iconImage.empty()) {
    if (auto url = NSURL::URLWithString(channel->iconImage)) {
      UIFilePath::getChannelFileDir(id);
      // A name of this button's own: two tiles of one channel may download at once.
      std::string part = iconPath_ + ".part" + std::to_string(reinterpret_cast<uintptr_t>(this));
      request_ = HXHTTPRequest::requestWithURL(url);
      request_->setDelegate(weakSelf<NSObject>());
      auto weak = weakSelf<ULLauncherButton>();
      request_->setDidFinishSelector(selector(weak, &ULLauncherButton::finish, "finish:"));
      request_->setDidFailSelector(selector(weak, &ULLauncherButton::failed, "failed:"));
      request_->setDownloadDestinationPath(part);
      request_->startAsynchronous();
    }
  }

  if (channel->isShowNews) {
    auto mark = std::make_shared<UIImageView>(kNewMarkFrame);
    mark->setImage(UIImage::imageNamed("ShowNEW"));
    addSubview(mark);
  }

  auto name = std::make_shared<UILabel>(kNameFrame);
  name->setText(channel->name);
  name->setTextColor(UIColor::whiteColor());
  name->setFont(UIFont::systemFontOfSize(14));
  name->setTextAlignment(UITextAlignmentCenter);
  name->setBackgroundColor(UIColor::clearColor());
  name->setNumberOfLines(0);
  addSubview(name);
}

void ULLauncherButton::finish(const Value& value) {
  auto request = value.object<HXHTTPRequest>();
  if (!request || request != request_) return;
  request_.reset();
  std::string part = request->downloadDestinationPath();
  std::error_code ec;
  auto icon = request->responseStatusCode() == 200 ? fileImage(part) : nullptr;
  if (!icon) {
    std::filesystem::remove(part, ec);
    return;
  }
  std::filesystem::rename(part, iconPath_, ec);
  if (ec) std::filesystem::remove(part, ec);
  if (auto view = std::dynamic_pointer_cast<UIImageView>(viewWithTag(kIconTag)))
    view->setImage(icon);
}

void ULLauncherButton::failed(const Value& value) {
  auto request = value.object<HXHTTPRequest>();
  if (!request || request != request_) return;
  request_.reset();
  std::error_code ec;
  std::filesystem::remove(request->downloadDestinationPath(), ec);
}

void ULLauncherButton::stopDownload() {
  if (!request_) return;
  auto request = std::move(request_);
  request->setDelegate({});
  request->setDidFinishSelector({});
  request->setDidFailSelector({});
  request->clearDelegatesAndCancel();
  std::error_code ec;
  std::filesystem::remove(request->downloadDestinationPath(), ec);
}

std::shared_ptr<ULButton> ULLauncherButton::closeButton() {
  if (!closeButton_ && item_ && item_->canDelete()) {
    closeButton_ = ULButton::buttonWithStyle("launcherCloseButton:");
    closeButton_->setImage(kCloseButtonImage, UIControlStateNormal);
    closeButton_->setFrame(CGRectMake(0, 0, 26, 29));
    closeButton_->setIsVertical(true);
  }
  return closeButton_;
}

void ULLauncherButton::setEditing(bool editing) {
  if (editing_ == editing) return;
  editing_ = editing;
  if (editing) {
    if (auto close = closeButton()) {
      addSubview(close);
      setNeedsLayout();
    }
  } else if (closeButton_) {
    closeButton_->removeFromSuperview();
    closeButton_.reset();
  }
}

void ULLauncherButton::setDragging(bool dragging) {
  if (dragging_ == dragging) return;
  dragging_ = dragging;
  if (dragging) {
    setTransform(CGAffineTransformMakeScale(1.4, 1.4));
    setAlpha(0.7);
  } else {
    setTransform(CGAffineTransformIdentity);
    setAlpha(1);
  }
  setNeedsDisplay();
}

UIControlState ULLauncherButton::state() const {
  UIControlState s = ULButton::state();
  if (dragging_) s &= ~(UIControlStateHighlighted | UIControlStateSelected);
  return s;
}

void ULLauncherButton::updateBadge() {
  if (!item_) return;
  const auto& value = item_->badgeValue();
  if (!badge_ && value) {
    badge_ = std::make_shared<ULLabel>(CGRectZero);
    badge_->setStyle(ULStyleSheet::globalStyleSheet()->styleWithSelector("largeBadge"));
    badge_->setBackgroundColor(UIColor::clearColor());
    badge_->setUserInteractionEnabled(false);
    addSubview(badge_);
  }
  if (!badge_) return;
  if (value) {
    std::string text = *value;
    if (allDigits(text) && item_->badgeNumber() >= 100) text = std::to_string(99) + "+";
    badge_->setText(text);
  }
  badge_->setHidden(!value);
  badge_->sizeToFit();
  setNeedsLayout();
}

void ULLauncherButton::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  ULButton::touchesBegan(touches, event);
  if (auto next = nextResponder()) next->touchesBegan(touches, event);
}

void ULLauncherButton::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  ULButton::touchesMoved(touches, event);
  if (auto next = nextResponder()) next->touchesMoved(touches, event);
}

void ULLauncherButton::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  ULButton::touchesEnded(touches, event);
  if (auto next = nextResponder()) next->touchesEnded(touches, event);
}

void ULLauncherButton::layoutSubviews() {
  ULButton::layoutSubviews();
  if (!badge_ && !closeButton_) return;
  if (badge_) {
    CGRect image = rectForImage();
    CGRect frame = badge_->frame();
    frame.origin = CGPointMake(CGRectGetMaxX(image) - std::floor(frame.size.width * 0.7),
                               CGRectGetMinY(image) - std::floor(frame.size.height * 0.25));
    badge_->setFrame(frame);
  }
  if (closeButton_) {
    CGRect frame = closeButton_->frame();
    frame.origin = CGPointZero;
    closeButton_->setFrame(frame);
  }
}

NS_CLASS_IMPLEMENTATION(ULLauncherButton) {
  c.method("updateBadge", &ULLauncherButton::updateBadge);
  c.method("finish:", &ULLauncherButton::finish);
}
