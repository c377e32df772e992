#include "UIKit/UINavigationBar.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UINavigationBar) {}
