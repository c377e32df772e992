#include "UIKit/UIImageView.h"

UIImageView::UIImageView(CGRect frame) : UIView(frame) {
  setUserInteractionEnabled(false);
}

void UIImageView::describeAttributes(std::string& line) const {
  if (!imageName_.empty()) line += " image=" + quoted(imageName_);
}
