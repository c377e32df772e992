#include "screens/account/UISetupViewController.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UISetupViewController) {}
