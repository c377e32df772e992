// A row of the channel table: the channel's tile laid out in one 70-point row (background,
// icon, name, new-items mark and badge), filled from a home-grid tile (CustomerLauncherItem).
// A channel whose icon is nowhere on the device shows "iconDefault" and downloads its icon
// (the record's iconImage as a URL) to the channel's icon file; the row shows it when it is a
// picture.  Refilling the row, or freeing it, cancels that download first, so an icon that
// arrives late never lands on another channel's row.  Main thread only.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UITableViewCell.h"

class HXHTTPRequest;

class UILaunchTableViewCell : public UITableViewCell {
  NS_CLASS(UILaunchTableViewCell, UITableViewCell)
 public:
  // The reuse identifier of the interface file's row.
  static constexpr const char* kReuseIdentifier = "LauncherCell";

  // initWithStyle:reuseIdentifier:: a bare row without outlets.
  explicit UILaunchTableViewCell(UITableViewCellStyle style = UITableViewCellStyle::Default,
                                 std::string reuseIdentifier = {});
  ~UILaunchTableViewCell() override;

  // The first object of the interface file "UILaunchTableViewCell": a 320 x 70 row reused as
  // "LauncherCell", its five outlets connected.  The owner connects nothing here.
  static std::shared_ptr<UILaunchTableViewCell> loadFromInterfaceFile(
      const std::shared_ptr<NSObject>& owner);

  // Fills the row from a CustomerLauncherItem; any other object (or nil) leaves the row as it
  // was.
  void setCellData(const std::shared_ptr<NSObject>& item);
  // The icon download's completion: the downloaded file becomes the icon when it is a picture.
  void finish(const Value& request);

  // ---- outlets
  const std::shared_ptr<UIImageView>& channelBgImgView() const { return channelBgImgView_; }
  void setChannelBgImgView(std::shared_ptr<UIImageView> v) { channelBgImgView_ = std::move(v); }
  const std::shared_ptr<UIImageView>& channelIconImgView() const { return channelIconImgView_; }
  void setChannelIconImgView(std::shared_ptr<UIImageView> v) { channelIconImgView_ = std::move(v); }
  const std::shared_ptr<UIImageView>& channelNewImgView() const { return channelNewImgView_; }
  void setChannelNewImgView(std::shared_ptr<UIImageView> v) { channelNewImgView_ = std::move(v); }
  const std::shared_ptr<UILabel>& channelTitleLabel() const { return channelTitleLabel_; }
  void setChannelTitleLabel(std::shared_ptr<UILabel> v) { channelTitleLabel_ = std::move(v); }
  const std::shared_ptr<UILabel>& channelNewNumTitle() const { return channelNewNumTitle_; }
  void setChannelNewNumTitle(std::shared_ptr<UILabel> v) { channelNewNumTitle_ = std::move(v); }

  // The icon download under way, if any.
  const std::shared_ptr<HXHTTPRequest>& iconRequest() const { return request_; }

 private:
  void cancelIconRequest();
  void downloadIcon(int channel, const std::string& url);

  std::shared_ptr<UIImageView> channelBgImgView_;
  std::shared_ptr<UIImageView> channelIconImgView_;
  std::shared_ptr<UIImageView> channelNewImgView_;
  std::shared_ptr<UILabel> channelTitleLabel_;
  std::shared_ptr<UILabel> channelNewNumTitle_;
  std::shared_ptr<HXHTTPRequest> request_;
};
