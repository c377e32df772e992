#include "screens/home/UILaunchTableViewCell.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "core/UIFilePath.h"
#include "net/http/HXHTTPRequest.h"
#include "uilib/views/CustomerLauncherItem.h"

NS_CLASS_IMPLEMENTATION(UILaunchTableViewCell) {
  c.method("setCellData:",
           [](UILaunchTableViewCell& cell, const Value& item) { cell.setCellData(item.object()); });
  c.method("finish:", &UILaunchTableViewCell::finish);
}

UILaunchTableViewCell::UILaunchTableViewCell(UITableViewCellStyle style,
                                             std::string reuseIdentifier)
    : UITableViewCell(style, std::move(reuseIdentifier)) {}

UILaunchTableViewCell::~UILaunchTableViewCell() {
  cancelIconRequest();
}

std::shared_ptr<UILaunchTableViewCell> UILaunchTableViewCell::loadFromInterfaceFile(
    const std::shared_ptr<NSObject>&) {
  auto cell =
      std::make_shared<UILaunchTableViewCell>(UITableViewCellStyle::Default, kReuseIdentifier);
  cell->setFrame(CGRectMake(0, 0, 320, 70));
  cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
  cell->setBackgroundColor(UIColor::clearColor());
  const auto& content = cell->contentView();
  content->setBackgroundColor(UIColor::clearColor());

  auto background = std::make_shared<UIImageView>(CGRectMake(10, 3, 300, 64));
  auto icon = std::make_shared<UIImageView>(CGRectMake(20, 12, 52, 45));
  auto title = std::make_shared<UILabel>(CGRectMake(84, 21, 160, 28));
  title->setFont(UIFont::boldSystemFontOfSize(17));
  title->setTextColor(UIColor::whiteColor());
  title->setBackgroundColor(UIColor::clearColor());
  auto mark = std::make_shared<UIImageView>(CGRectMake(268, 6, 35, 22));
  mark->setImage(imageFileNamed("ShowNEW"));
  auto badge = std::make_shared<UILabel>(CGRectMake(264, 36, 40, 22));
  badge->setFont(UIFont::boldSystemFontOfSize(13));
  badge->setTextColor(UIColor::whiteColor());
  badge->setTextAlignment(UITextAlignmentCenter);
  badge->setBackgroundColor(UIColor::colorWithRed(0.86, 0.13, 0.13, 1));
  badge->layer()->setCornerRadius(11);
  badge->setClipsToBounds(true);
  for (const std::shared_ptr<UIView>& v :
       std::initializer_list<std::shared_ptr<UIView>>{background, icon, title, mark, badge})
    content->addSubview(v);

  cell->setChannelBgImgView(background);
  cell->setChannelIconImgView(icon);
  cell->setChannelTitleLabel(title);
  cell->setChannelNewImgView(mark);
  cell->setChannelNewNumTitle(badge);
  return cell;
}

void UILaunchTableViewCell::cancelIconRequest() {
  if (!request_) return;
  request_->clearDelegatesAndCancel();
  request_.reset();
}

void UILaunchTableViewCell::setCellData(const std::shared_ptr<NSObject>& object) {
  auto item = std::dynamic_pointer_cast<CustomerLauncherItem>(object);
  if (!item) return;
  ChannelItemPtr channel = item->channelItem();
  if (!channel) return;
  cancelIconRequest();

  auto background =
      UIImage::imageWithContentsOfFile(UIFilePath::getBundleSourcePath(channel->backgroundImage));
  if (!background)
    background =
        UIImage::imageWithContentsOfFile(UIFilePath::getNewChannelImageBackground(channel->type));
  if (!background) background = imageFileNamed("channelPurple");
  if (channelBgImgView_) channelBgImgView_->setImage(background);

  auto icon = UIImage::imageWithContentsOfFile(UIFilePath::getNewChannelImageIcon(channel->type));
  if (!icon)
    icon = UIImage::imageWithContentsOfFile(UIFilePath::getBundleSourcePath(channel->iconImage));
  if (!icon) icon = UIFilePath::getIconImageWithChannelId(channel->type);
  if (!icon) {
    icon = imageFileNamed("iconDefault");
    downloadIcon(channel->type, channel->iconImage);
  }
  if (channelIconImgView_) channelIconImgView_->setImage(icon);

  if (channelNewImgView_) channelNewImgView_->setHidden(!channel->isShowNews);
  if (channelTitleLabel_) channelTitleLabel_->setText(channel->name);

  if (channelNewNumTitle_) {
    const std::string value = item->badgeValue().value_or("");
    if (item->badgeNumber() != 0) {
      channelNewNumTitle_->setHidden(false);
      channelNewNumTitle_->setText(std::to_string(item->badgeNumber()));
    } else if (!value.empty()) {
      channelNewNumTitle_->setHidden(false);
      channelNewNumTitle_->setText(value);
    } else {
      channelNewNumTitle_->setHidden(true);
    }
  }
}

void UILaunchTableViewCell::downloadIcon(int channel, const std::string& url) {
  auto location = NSURL::URLWithString(url);
  if (!location) return;
  UIFilePath::getChannelFileDir(channel);
  request_ = HXHTTPRequest::requestWithURL(location);
  request_->setDelegate(weakSelf<NSObject>());
  request_->setDidFinishSelector(
      selector(weakSelf<UILaunchTableViewCell>(), &UILaunchTableViewCell::finish, "finish:"));
  // The engine writes beside the icon file and renames over it only when the body is whole
  // and a picture: two rows of one channel never leave a half-written icon behind.
  request_->setDownloadDestinationPath(UIFilePath::getNewChannelImageIcon(channel));
  request_->setDownloadCheck(
      [](const std::string& file) { return UIImage::imageWithContentsOfFile(file) != nullptr; });
  request_->startAsynchronous();
}

void UILaunchTableViewCell::finish(const Value& value) {
  auto request = value.object<HXHTTPRequest>();
  if (!request || request != request_) return;
  request_.reset();
  auto icon = UIImage::imageWithContentsOfFile(request->downloadDestinationPath());
  if (icon && channelIconImgView_) channelIconImgView_->setImage(icon);
}
