// One run of the anchor text view: plain text, or a link with its anchor text, its address and
// the label views that show it (one line: the up label only; more: up, middle and down).
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"

class MyLabel;

class NSLabelItem : public NSObject {
  NS_CLASS(NSLabelItem, NSObject)
 public:
  enum Type : int { kPlain = 0, kLink = 1 };

  std::string text;
  std::string linkText;
  std::shared_ptr<MyLabel> upLabel;
  std::shared_ptr<MyLabel> middleLabel;
  std::shared_ptr<MyLabel> downLabel;
  int type = kPlain;
};
