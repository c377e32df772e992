// An empty or error state: a centred picture, title and subtitle in the global style sheet's
// error fonts and colour.  Laid out as one centred column (picture, 30, title, 20, subtitle);
// a view too short for the picture hides it and centres only the texts, and an empty text
// takes no room.  Main thread only.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIView.h"

class ULErrorView : public UIView {
  NS_CLASS(ULErrorView, UIView)

 public:
  ULErrorView() : ULErrorView(CGRectZero) {}
  explicit ULErrorView(CGRect frame);
  // initWithTitle:subtitle:image:
  ULErrorView(std::string title, std::string subtitle, std::shared_ptr<UIImage> image);

  const std::string& title() const { return titleView_->text(); }
  void setTitle(std::string title) { titleView_->setText(std::move(title)); }
  const std::string& subtitle() const { return subtitleView_->text(); }
  void setSubtitle(std::string subtitle) { subtitleView_->setText(std::move(subtitle)); }
  const std::shared_ptr<UIImage>& image() const { return imageView_->image(); }
  void setImage(std::shared_ptr<UIImage> image) { imageView_->setImage(std::move(image)); }

  const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
  const std::shared_ptr<UILabel>& titleView() const { return titleView_; }
  const std::shared_ptr<UILabel>& subtitleView() const { return subtitleView_; }

  void layoutSubviews() override;

 private:
  std::shared_ptr<UIImageView> imageView_;
  std::shared_ptr<UILabel> titleView_;
  std::shared_ptr<UILabel> subtitleView_;
};
