#include "UIKit/UIResponder.h"

std::string UIResponder::description() const {
  return "<" + className() + ">";
}
