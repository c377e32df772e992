#include "ui/framework/UINaviTapView.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UINaviTapView) {}
