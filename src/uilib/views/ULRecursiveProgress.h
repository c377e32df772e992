// Maps the progress of a sub-task into a slice of its parent's: a percent p set on an object
// of range [first, last] reaches its parent (or, at the root, the delegate) as
// p × (last − first) + first.  The value itself is not kept (percent() is always 0).  Neither
// the delegate nor the parent is retained: they must outlive the object.
#pragma once

#include <memory>

class ULRecursiveProgressDelegate {
 public:
  virtual ~ULRecursiveProgressDelegate() = default;
  virtual void didSetProgress(float percent) = 0;
};

class ULRecursiveProgress {
 public:
  // progressWithDelegate: / initWithDelegate: range 0 to 1, no parent.
  static std::shared_ptr<ULRecursiveProgress> progressWithDelegate(
      ULRecursiveProgressDelegate* delegate);
  // progressWithParent:firstPercent:lastPercent: the given range, no delegate.
  static std::shared_ptr<ULRecursiveProgress> progressWithParent(ULRecursiveProgress* parent,
                                                                 float firstPercent,
                                                                 float lastPercent);

  ULRecursiveProgressDelegate* delegate() const { return delegate_; }
  ULRecursiveProgress* parent() const { return parent_; }
  float firstPercent() const { return firstPercent_; }
  float lastPercent() const { return lastPercent_; }
  float percentWidth() const { return lastPercent_ - firstPercent_; }

  void setPercent(float percent);
  float percent() const { return 0; }

 private:
  ULRecursiveProgressDelegate* delegate_ = nullptr;
  ULRecursiveProgress* parent_ = nullptr;
  float firstPercent_ = 0, lastPercent_ = 1;
};
