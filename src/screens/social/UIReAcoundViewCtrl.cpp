#include "screens/social/UIReAcoundViewCtrl.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UIReAcoundViewCtrl) {}
