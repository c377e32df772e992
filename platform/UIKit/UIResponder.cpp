#include "UIKit/UIResponder.h"

#include "Foundation/NSClass.h"

std::string UIResponder::description() const {
  return "<" + className() + ">";
}

NS_CLASS_IMPLEMENTATION(UIResponder) {}
