// Image switches: UISwitchView is an on/off switch drawn with two images (a 20 x 20 picture at
// (10, 10)); UISegCtrlSwitchView lines such switches up with a title each as one choice that a
// second tap on the chosen item clears.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "UIKit/UIImageView.h"
#include "UIKit/UIView.h"

class UISwitchView;
class UISegCtrlSwitchView;

class UISwitchViewDelegate {
 public:
  virtual ~UISwitchViewDelegate() = default;
  // Asked before an unselected switch becomes selected: true keeps it unselected.
  virtual bool changeSwitch(UISwitchView& /*view*/) { return false; }
  // A selected switch was tapped (it becomes unselected).
  virtual void cancelSelect(UISwitchView& /*view*/) {}
};

class UISwitchView : public UIView {
  NS_CLASS(UISwitchView, UIView)
 public:
  UISwitchView(CGRect frame, std::string selectImage, std::string unSelectImage);
  static std::shared_ptr<UISwitchView> initWithFrame(CGRect frame, std::string selectImage,
                                                     std::string unSelectImage);

  bool isSelect() const { return isSelect_; }
  void setIsSelect(bool select);
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;

  const std::string& selectImageName() const { return selectImageName_; }
  const std::string& unSelectImageName() const { return unSelectImageName_; }
  std::weak_ptr<UISwitchViewDelegate> switchDelegate() const { return switchDelegate_; }
  void setSwitchDelegate(std::weak_ptr<UISwitchViewDelegate> d) { switchDelegate_ = std::move(d); }
  const std::shared_ptr<UIImageView>& imgV() const { return imgV_; }

 private:
  std::shared_ptr<UIImageView> imgV_;
  std::string unSelectImageName_;
  bool isSelect_ = false;
  std::string selectImageName_;
  std::weak_ptr<UISwitchViewDelegate> switchDelegate_;
};

class UISegCtrlSwitchViewDelegate {
 public:
  virtual ~UISegCtrlSwitchViewDelegate() = default;
  virtual void segCtrlChange(UISegCtrlSwitchView& /*view*/) {}
};

class UISegCtrlSwitchView : public UIView, public UISwitchViewDelegate {
  NS_CLASS(UISegCtrlSwitchView, UIView)
 public:
  static constexpr long kItemTag = 4500;

  explicit UISegCtrlSwitchView(CGRect frame) : UIView(frame) {}
  static std::shared_ptr<UISegCtrlSwitchView> initWithArray(std::vector<std::string> titles,
                                                            CGRect frame);

  bool changeSwitch(UISwitchView& view) override;
  void cancelSelect(UISwitchView& view) override;
  void setCurrentSelectIndex(long index);
  void setNull();
  // The chosen title; nothing without a choice.
  std::optional<std::string> getCurSelectItem() const;

  const std::vector<std::string>& selectArray() const { return selectArray_; }
  long curSelectIndex() const { return curSelectIndex_; }
  std::weak_ptr<UISegCtrlSwitchViewDelegate> segDelegate() const { return segDelegate_; }
  void setSegDelegate(std::weak_ptr<UISegCtrlSwitchViewDelegate> d) { segDelegate_ = std::move(d); }

 private:
  std::shared_ptr<UISwitchView> item(long index);

  std::vector<std::string> selectArray_;
  long curSelectIndex_ = -1;
  std::weak_ptr<UISegCtrlSwitchViewDelegate> segDelegate_;
};
