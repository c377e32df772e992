#include "uilib/style/ULStyleDrawing.h"

#include "UIKit/UIGraphics.h"

CGContext* ULCurrentContext() {
  return UIGraphicsGetCurrentContext().get();
}
