// The app's own segmented control, drawn from image pairs.  Three builds:
// - image segments: two or three buttons (tags 0, 1, 2) filling the given frame;
// - titled segments: one custom button per title (tags 1300 + i), 75 points wide in a 44-point
//   bar (plain, or the drop-down build whose left segment opens a pop-up list of channels and
//   takes the chosen channel's name), or sharing a 320 x 29 strip (favourites);
// - gradient segments: two or three gradient buttons sharing the screen width.
// Segment 0 starts selected.  A titled segment can carry a small count badge.  The control
// reports each selection, also of the segment already selected, through one target-action; its
// receiver also hears of a channel chosen in the pop-up list when it is a UIZMSegCtrlReceiver.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIView.h"
#include "model/ChannelItem.h"
#include "ui/widgets/UIPopView.h"

class UIZMSegCtrl;

// What the change target may also take: the channel chosen in the drop-down list.
class UIZMSegCtrlReceiver {
 public:
  virtual ~UIZMSegCtrlReceiver() = default;
  virtual void popCellSelect(const ChannelItemPtr& /*channel*/) {}
};

class UIZMSegCtrl : public UIView, public UIPopViewDelegate {
  NS_CLASS(UIZMSegCtrl, UIView)
 public:
  static constexpr long kTitledTag = 1300;
  static constexpr long kBadgeTag = 2000;
  static constexpr long kBadgeLabelTag = 3000;
  static constexpr CGFloat kTitledWidth = 75;
  // The template of the channel-list entry that is not a channel to switch to.
  static constexpr int kNoSwitchTemplate = 50;

  explicit UIZMSegCtrl(CGRect frame = CGRectZero) : UIView(frame) {}
  ~UIZMSegCtrl() override;

  // initWithFrame: three image segments, a third of the width each.
  static std::shared_ptr<UIZMSegCtrl> initWithFrame(CGRect frame);
  // initWithTwoFrame: two image segments, half the width each.
  static std::shared_ptr<UIZMSegCtrl> initWithTwoFrame(CGRect frame);
  // initWithTitles: titled segments at (75 i, 6, 75, 32); images for 2, 3 or 4 titles.
  static std::shared_ptr<UIZMSegCtrl> initWithTitles(std::vector<std::string> titles);
  // initWithZiViTitles: as initWithTitles, with the drop-down left segment's images for 2.
  static std::shared_ptr<UIZMSegCtrl> initWithZiViTitles(std::vector<std::string> titles);
  // initWithFavTitles: titled segments sharing (0, 0, 320, 29), coloured on selection.
  static std::shared_ptr<UIZMSegCtrl> initWithFavTitles(std::vector<std::string> titles);
  // initWithItems: two or three gradient segments, black titles, coloured on selection.
  static std::shared_ptr<UIZMSegCtrl> initWithItems(std::vector<std::string> titles);

  // Entry i of the images (with ".png" on systems before 4.0); empty past the end.
  std::string getImageName(long i) const;

  // setDelegate:withCall: - the target is the action's own; the receiver is not held.
  void setDelegate(std::weak_ptr<NSObject> receiver, Selector action);
  void segCtrlChange();
  void btnSelect(const Value& sender);
  void btnClick(const Value& sender);
  void setCurrentSelect(long index);
  void setSelectedSegmentIndex(long index);
  void setNormalSegCtrl(long index);
  bool isAlreadyInCurrentSelect() const { return isInCurrentSelect_; }

  void setTitles(std::vector<std::string> titles);
  void setTitle(const std::string& title, long index);
  void setFrame(CGRect frame) override;
  void setUnSelectColor(std::shared_ptr<UIColor> low, std::shared_ptr<UIColor> high);
  void setSelectColor(std::shared_ptr<UIColor> low, std::shared_ptr<UIColor> high);
  // The badge of titled segment `index`; nothing removes it.
  void setSegMsg(const std::optional<std::string>& text, long index);
  // The drop-down segment's closed look (YES) or open look (NO).
  void setLeftBtn(bool closed);
  // Opens the pop-up list of the channels on the application window.
  void addPopView(ChannelItemArray channels);

  // UIPopViewDelegate
  void popViewSelected(long row) override;
  long getCurPopSelected() override { return popCurSelectIndex_; }

  const std::vector<std::string>& images() const { return images_; }
  void setImages(std::vector<std::string> images) { images_ = std::move(images); }
  const std::vector<std::string>& titles() const { return titles_; }
  long numberOfSegments() const { return numberOfSegments_; }
  void setNumberOfSegments(long n) { numberOfSegments_ = n; }
  long selectedSegmentIndex() const { return selectedSegmentIndex_; }
  const std::shared_ptr<UIColor>& selectLow() const { return selectLow_; }
  const std::shared_ptr<UIColor>& selectHight() const { return selectHight_; }
  const std::shared_ptr<UIColor>& unSelectLow() const { return unSelectLow_; }
  const std::shared_ptr<UIColor>& unSelectHight() const { return unSelectHight_; }
  long popCurSelectIndex() const { return popCurSelectIndex_; }
  void setPopCurSelectIndex(long row) { popCurSelectIndex_ = row; }
  const ChannelItemArray& popArray() const { return popArray_; }
  void setPopArray(ChannelItemArray channels) { popArray_ = std::move(channels); }
  const std::shared_ptr<UIButton>& leftBtn() const { return leftBtn_; }
  const std::shared_ptr<UIButton>& centerBtn() const { return centerBtn_; }
  const std::shared_ptr<UIButton>& rightBtn() const { return rightBtn_; }

 private:
  static std::shared_ptr<UIZMSegCtrl> imageBuild(CGRect frame, long segments,
                                                 std::vector<std::string> images);
  static std::shared_ptr<UIZMSegCtrl> titledBuild(CGRect frame, CGRect first,
                                                  std::vector<std::string> titles,
                                                  std::vector<std::string> images, bool drawColor);
  // The image and gradient builds' segment of that index (0, 1, 2), if any.
  std::shared_ptr<UIButton> segment(long index) const;
  std::shared_ptr<UIButton> titled(long index);
  void setImage(const std::shared_ptr<UIButton>& button, long imageIndex);
  bool isTitledBuild() const { return !leftBtn_; }

  std::vector<std::string> images_;
  std::shared_ptr<UIButton> leftBtn_, centerBtn_, rightBtn_;
  std::vector<std::string> titles_;
  long numberOfSegments_ = 0;
  bool drawColor_ = false;
  long selectedSegmentIndex_ = 0;
  std::shared_ptr<UIColor> selectLow_, selectHight_;
  bool isInCurrentSelect_ = false;
  std::shared_ptr<UIColor> unSelectLow_, unSelectHight_;
  std::weak_ptr<NSObject> callDel_;
  Selector action_;
  long popCurSelectIndex_ = 0;
  ChannelItemArray popArray_;
};
