#include "uilib/views/ULRecursiveProgress.h"

std::shared_ptr<ULRecursiveProgress> ULRecursiveProgress::progressWithDelegate(
    ULRecursiveProgressDelegate* delegate) {
  auto p = std::make_shared<ULRecursiveProgress>();
  p->delegate_ = delegate;
  return p;
}

std::shared_ptr<ULRecursiveProgress> ULRecursiveProgress::progressWithParent(
    ULRecursiveProgress* parent, float firstPercent, float lastPercent) {
  auto p = std::make_shared<ULRecursiveProgress>();
  p->parent_ = parent;
  p->firstPercent_ = firstPercent;
  p->lastPercent_ = lastPercent;
  return p;
}

void ULRecursiveProgress::setPercent(float percent) {
  const float value = percent * percentWidth() + firstPercent_;
  if (parent_)
    parent_->setPercent(value);
  else if (delegate_)
    delegate_->didSetProgress(value);
}
