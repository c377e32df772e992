// A long-press recogniser that carries the pressed row: list screens attach one to each row with
// the row's index path and text, and the handler reads them from the recogniser it receives.
#pragma once

#include <optional>
#include <string>

#include "Foundation/NSIndexPath.h"
#include "UIKit/UILongPressGestureRecognizer.h"

class UILongPressMSG : public UILongPressGestureRecognizer {
 public:
  using UILongPressGestureRecognizer::UILongPressGestureRecognizer;
  NS_CLASS(UILongPressMSG, UILongPressGestureRecognizer)
 public:
  const std::optional<NSIndexPath>& selectPath() const { return selectPath_; }
  void setSelectPath(std::optional<NSIndexPath> path) { selectPath_ = std::move(path); }
  const std::string& msg() const { return msg_; }
  void setMsg(std::string msg) { msg_ = std::move(msg); }

 private:
  std::optional<NSIndexPath> selectPath_;
  std::string msg_;
};
