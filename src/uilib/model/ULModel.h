// The loading protocol that the library's controllers, data sources and search fields observe,
// and its base implementation: a model that is always loaded and only passes notifications on
// to its delegates (which it does not keep alive).  Main thread only.
#pragma once

#include <memory>
#include <optional>

#include "Foundation/NSError.h"
#include "Foundation/NSIndexPath.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "uilib/core/ULGlobal.h"

class ULModel;

// Every method is optional; each receives the model first.
class ULModelDelegate {
 public:
  virtual ~ULModelDelegate() = default;
  virtual void modelDidStartLoad(const std::shared_ptr<ULModel>& model) {}
  virtual void modelDidFinishLoad(const std::shared_ptr<ULModel>& model) {}
  virtual void modelDidFailLoadWithError(const std::shared_ptr<ULModel>& model,
                                         const NSErrorPtr& error) {}
  virtual void modelDidCancelLoad(const std::shared_ptr<ULModel>& model) {}
  virtual void modelDidChange(const std::shared_ptr<ULModel>& model) {}
  virtual void modelDidUpdateObject(const std::shared_ptr<ULModel>& model, const Value& object,
                                    const NSIndexPath& indexPath) {}
  virtual void modelDidInsertObject(const std::shared_ptr<ULModel>& model, const Value& object,
                                    const NSIndexPath& indexPath) {}
  virtual void modelDidDeleteObject(const std::shared_ptr<ULModel>& model, const Value& object,
                                    const NSIndexPath& indexPath) {}
  virtual void modelDidBeginUpdates(const std::shared_ptr<ULModel>& model) {}
  virtual void modelDidEndUpdates(const std::shared_ptr<ULModel>& model) {}
};

class ULModel : public NSObject {
 public:
  // The observers, created on first call.
  ULWeakArray<ULModelDelegate>& delegates();

  virtual bool isLoaded() const { return true; }
  virtual bool isLoading() const { return false; }
  virtual bool isLoadingMore() const { return false; }
  virtual bool isOutdated() const { return false; }
  // cachePolicy: the bits of ULURLRequest; more: a further page rather than a reload.
  virtual void load(int cachePolicy, bool more) {}
  virtual void cancel() {}
  virtual void invalidate(bool erase) {}

  // Each tells every observer once, over a copy of the list (observers may leave meanwhile);
  // nobody while no list was ever asked for.
  void didStartLoad();
  void didFinishLoad();
  void didFailLoadWithError(const NSErrorPtr& error);
  void didCancelLoad();
  void beginUpdates();
  void endUpdates();
  void didUpdateObject(const Value& object, const NSIndexPath& indexPath);
  void didInsertObject(const Value& object, const NSIndexPath& indexPath);
  void didDeleteObject(const Value& object, const NSIndexPath& indexPath);
  void didChange();

 private:
  template <class F>
  void tell(F&& f);
  std::optional<ULWeakArray<ULModelDelegate>> delegates_;
};
