#include "UIKit/UILabel.h"

UILabel::UILabel(CGRect frame) : UIView(frame) {
  setUserInteractionEnabled(false);
}

void UILabel::describeAttributes(std::string& line) const {
  if (!text_.empty()) line += " text=" + quoted(text_);
}
