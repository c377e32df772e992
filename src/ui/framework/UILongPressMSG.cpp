#include "ui/framework/UILongPressMSG.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UILongPressMSG) {}
