#include "ui/widgets/UIYBTabBar.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UIYBTabBar) {}
