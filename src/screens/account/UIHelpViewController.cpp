#include "screens/account/UIHelpViewController.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UIHelpViewController) {}
