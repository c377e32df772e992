// The menu bar's page-number indicator: the current page as a large cut-out numeral on one side
// and the page it came from as a small white number on the other, over a white line along the
// bottom.  setCurPage: moves them in a 0.5 s linear animation: a higher (or the same) page
// shows its numeral on the right, a lower one on the left.  Main thread only.
#pragma once

#include <memory>

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"

class UIPageView : public UIView {
  NS_CLASS(UIPageView, UIView)
 public:
  // initWithFrame: - page 1 shown on the left, 2 waiting on the right.
  static std::shared_ptr<UIPageView> initWithFrame(CGRect frame);
  explicit UIPageView(CGRect frame);

  void setCurPage(long page);
  long curPage() const { return curPage_; }
  long nearPage() const { return nearPage_; }
  long pageCount() const { return pageCount_; }
  bool curIsInRight() const { return curIsInRight_; }

  const std::shared_ptr<UILabel>& leftLabel() const { return leftLabel_; }
  const std::shared_ptr<UILabel>& rightLabel() const { return rightLabel_; }
  const std::shared_ptr<UIImageView>& leftImageV() const { return leftImageV_; }
  const std::shared_ptr<UIImageView>& rightImageV() const { return rightImageV_; }
  // Off-screen labels whose pictures the image views show.
  const std::shared_ptr<UILabel>& leftImgLabel() const { return leftImgLabel_; }
  const std::shared_ptr<UILabel>& rightImgLabel() const { return rightImgLabel_; }

 private:
  void build();

  long pageCount_ = 2;
  long curPage_ = 1;
  long nearPage_ = 2;
  bool curIsInRight_ = false;
  std::shared_ptr<UILabel> rightLabel_, leftLabel_;
  std::shared_ptr<UIImageView> leftImageV_, rightImageV_;
  std::shared_ptr<UILabel> leftImgLabel_, rightImgLabel_;
};
