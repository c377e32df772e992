#include "screens/account/UIRegViewCtrl.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UIRegViewCtrl) {}
