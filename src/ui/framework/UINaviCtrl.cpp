#include "ui/framework/UINaviCtrl.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UINaviCtrl) {}
