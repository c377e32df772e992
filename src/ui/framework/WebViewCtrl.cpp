#include "ui/framework/WebViewCtrl.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(WebViewCtrl) {}
