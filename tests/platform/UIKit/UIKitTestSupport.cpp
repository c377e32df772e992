#include "platform/UIKit/UIKitTestSupport.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(LoggingController) {}
