// A tap recogniser that carries what its handler needs: a tag and a payload object.  Tab strips
// and seminar views attach one per item and read the item back from the recogniser they receive.
#pragma once

#include <memory>

#include "UIKit/UITapGestureRecognizer.h"

class UIZMTapGR : public UITapGestureRecognizer {
 public:
  using UITapGestureRecognizer::UITapGestureRecognizer;
  NS_CLASS(UIZMTapGR, UITapGestureRecognizer)
 public:
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  const Value& tapObj() const { return tapObj_; }
  void setTapObj(Value object) { tapObj_ = std::move(object); }

  // Where the tap is, in the recogniser's view.
  CGPoint getCurPoint() const;

 private:
  Value tapObj_;
  long tag_ = 0;
};
