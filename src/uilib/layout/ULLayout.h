// How a styled view places its subviews when it lays itself out: the view hands its layout its
// subviews and itself, the layout moves them and answers the size they need.  The base layout
// moves nothing and needs no room.
#pragma once

#include <memory>
#include <vector>

#include "Foundation/NSObject.h"
#include "UIKit/UIView.h"

class ULLayout : public NSObject {
  NS_CLASS(ULLayout, NSObject)

 public:
  // layoutSubviews:forView:
  virtual CGSize layoutSubviews(const std::vector<std::shared_ptr<UIView>>& subviews,
                                const std::shared_ptr<UIView>& view);
};
