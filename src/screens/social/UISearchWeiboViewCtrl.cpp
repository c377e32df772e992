#include "screens/social/UISearchWeiboViewCtrl.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UISearchWeiboViewCtrl) {}
