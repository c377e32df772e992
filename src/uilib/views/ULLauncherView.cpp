#include "uilib/views/ULLauncherView.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(ULLauncherView) {}
