#include <string>

#include "Common/Additions/UIImage+Alpha.h"
#include "Common/Additions/UIImage+Resize.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"
#include "ui/widgets/CaptureView.h"
#include "ui/widgets/UILabel+Image.h"

namespace {

// The page number 1 ... 3 that the text reads, 0 for any other text.
int smallPageNumber(const std::string& text) {
  if (text.size() != 1) return 0;
  return text[0] >= '1' && text[0] <= '3' ? text[0] - '0' : 0;
}

}  // namespace

std::shared_ptr<UIImage> createImage(UILabel& label) {
  return snapshotOfView(label);
}

std::shared_ptr<UIImage> getAlphaImage(UILabel& label) {
  if (int n = smallPageNumber(label.text())) {
    if (auto bundled = imageFileNamed("pageImgNum" + std::to_string(n))) return bundled;
  }
  return ipMaskedImageColor(createImage(label), UIColor::whiteColor());
}
