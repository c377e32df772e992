// A row of segments with titles (or images), one of them selected.  A finger that lifts on an
// enabled segment selects it and sends value changed when the selection changed; a momentary
// control lights the segment only while the finger is down and sends value changed for every
// tap.  Segments share the width equally unless given widths of their own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIControl.h"

class UIImage;

enum class UISegmentedControlStyle { Plain = 0, Bordered = 1, Bar = 2, Bezeled = 3 };
inline constexpr long UISegmentedControlNoSegment = -1;

class UISegmentedControl : public UIControl {
 public:
  // initWithItems: titles; the frame is 44 points high (30 in the bar style), each segment
  // as wide as its title and 20 points, until given a frame.
  explicit UISegmentedControl(std::vector<std::string> titles = {});

  NS_CLASS(UISegmentedControl, UIControl)
 public:
  UISegmentedControlStyle segmentedControlStyle() const { return style_; }
  void setSegmentedControlStyle(UISegmentedControlStyle style);
  std::shared_ptr<UIColor> tintColor() const { return tintColor_; }
  void setTintColor(std::shared_ptr<UIColor> color);
  bool isMomentary() const { return momentary_; }
  void setMomentary(bool momentary) { momentary_ = momentary; }

  long numberOfSegments() const { return long(segments_.size()); }
  // Sends nothing; out of range selects none.
  long selectedSegmentIndex() const { return selected_; }
  void setSelectedSegmentIndex(long index);
  std::string titleForSegmentAtIndex(long index) const;
  void setTitle(std::string title, long index);
  std::shared_ptr<UIImage> imageForSegmentAtIndex(long index) const;
  void setImage(std::shared_ptr<UIImage> image, long index);
  void insertSegmentWithTitle(std::string title, long index, bool animated = false);
  void removeSegmentAtIndex(long index, bool animated = false);
  void removeAllSegments();
  bool isEnabledForSegmentAtIndex(long index) const;
  void setEnabledForSegmentAtIndex(bool enabled, long index);
  // 0: an equal share.
  CGFloat widthForSegmentAtIndex(long index) const;
  void setWidth(CGFloat width, long index);
  // Where the segment is in the bounds.
  CGRect rectForSegmentAtIndex(long index) const;

  CGSize sizeThatFits(CGSize size) const override;
  void drawRect(CGRect rect) override;
  bool beginTrackingWithTouch(UITouch& touch, UIEvent* event) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;
  void cancelTrackingWithEvent(UIEvent* event) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  struct Segment {
    std::string title;
    std::shared_ptr<UIImage> image;
    bool enabled = true;
    CGFloat width = 0;
  };
  long segmentAt(CGPoint p) const;
  bool valid(long index) const { return index >= 0 && index < long(segments_.size()); }

  std::vector<Segment> segments_;
  long selected_ = UISegmentedControlNoSegment;
  long pressed_ = UISegmentedControlNoSegment;
  UISegmentedControlStyle style_ = UISegmentedControlStyle::Plain;
  std::shared_ptr<UIColor> tintColor_;
  bool momentary_ = false;
};
