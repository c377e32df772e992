// The rich-text label of status texts (the feed item's own and reposted text in the detail
// layout and the items built on it): lines of the reading line height (NSGlobe getLineHeight,
// read at every drawing).  With linkShowType non-zero, links are handed to drawLinkImage,
// which draws nothing, instead of becoming labels.
#pragma once

#include "ui/feed/UIRichTextLabel.h"

class UIZMLabel : public UIRichTextLabel {
  NS_CLASS(UIZMLabel, UIRichTextLabel)
 public:
  explicit UIZMLabel(CGRect frame = CGRectZero) : UIRichTextLabel(frame) {}
  int linkShowType() const { return linkShowType_; }
  void setLinkShowType(int t) { linkShowType_ = t; }

 protected:
  CGFloat lineHeight() const override { return readingLineHeight(); }
  bool drawsLinkLabels() const override { return linkShowType_ == 0; }

 private:
  int linkShowType_ = 0;
};
