#include "screens/account/UIModifyViewCtrl.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UIModifyViewCtrl) {}
