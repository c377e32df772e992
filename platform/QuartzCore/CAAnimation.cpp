#include "QuartzCore/CAAnimation.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(CAAnimation) {}
NS_CLASS_IMPLEMENTATION(CAPropertyAnimation) {}
NS_CLASS_IMPLEMENTATION(CABasicAnimation) {}
NS_CLASS_IMPLEMENTATION(CAKeyframeAnimation) {}
NS_CLASS_IMPLEMENTATION(CAAnimationGroup) {}
NS_CLASS_IMPLEMENTATION(CATransition) {}
