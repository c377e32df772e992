// A selectable picture tile: the picture (50 x 50) in a frame image (60 x 60) with a title under
// it.  A tap on the picture selects the tile and tells the delegate the tile's tag; a tap on a
// tile already selected sends nothing.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"

class FrameItemDelegate {
 public:
  virtual ~FrameItemDelegate() = default;
  // The tile with this tag was selected.
  virtual void selectItem(long /*tag*/) {}
};

class UIFrameItem : public UIView {
  NS_CLASS(UIFrameItem, UIView)
 public:
  static constexpr long kFrameTag = 100;

  explicit UIFrameItem(CGRect frame = CGRectZero) : UIView(frame) {}
  // initWithFrame:withImage:withTitle:withTag:withDel:
  static std::shared_ptr<UIFrameItem> initWithFrame(CGRect frame,
                                                    const std::shared_ptr<UIImage>& picture,
                                                    const std::string& title, long tag,
                                                    std::weak_ptr<FrameItemDelegate> delegate);

  void btnAction(const Value& sender);
  void setDidSelect();
  void setUnSelect();

  bool isSelect() const { return isSelect_; }
  void setIsSelect(bool select) { isSelect_ = select; }
  std::weak_ptr<FrameItemDelegate> frameDelegate() const { return frameDelegate_; }
  void setFrameDelegate(std::weak_ptr<FrameItemDelegate> d) { frameDelegate_ = std::move(d); }

 private:
  void showFrame(const char* name);

  // Kept rather than found by its tag: the tile's own tag may be 100 too.
  std::shared_ptr<UIImageView> frameImage_;
  bool isSelect_ = false;
  std::weak_ptr<FrameItemDelegate> frameDelegate_;
};
