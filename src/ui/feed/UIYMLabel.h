// The rich-text label of comment and feedback rows: lines as high as its own font's leading
// (imgWH, set by setTextFont; the reading line height until then).  Links are always labels
// when needHyperlink is on; the rows leave it off, so their links stay plain text.
#pragma once

#include "ui/feed/UIRichTextLabel.h"

class UIYMLabel : public UIRichTextLabel {
  NS_CLASS(UIYMLabel, UIRichTextLabel)
 public:
  explicit UIYMLabel(CGRect frame = CGRectZero) : UIRichTextLabel(frame) {}

 protected:
  CGFloat lineHeight() const override {
    return imgWH() > 0 ? CGFloat(imgWH()) : std::trunc(readingLineHeight());
  }
};
