#include "uilib/model/ULModel.h"

ULWeakArray<ULModelDelegate>& ULModel::delegates() {
  if (!delegates_) delegates_.emplace();
  return *delegates_;
}

template <class F>
void ULModel::tell(F&& f) {
  if (!delegates_) return;
  auto self = this->self<ULModel>();
  for (auto& d : delegates_->objects()) f(*d, self);
}

void ULModel::didStartLoad() {
  tell([](ULModelDelegate& d, const auto& m) { d.modelDidStartLoad(m); });
}
void ULModel::didFinishLoad() {
  tell([](ULModelDelegate& d, const auto& m) { d.modelDidFinishLoad(m); });
}
void ULModel::didFailLoadWithError(const NSErrorPtr& error) {
  tell([&](ULModelDelegate& d, const auto& m) { d.modelDidFailLoadWithError(m, error); });
}
void ULModel::didCancelLoad() {
  tell([](ULModelDelegate& d, const auto& m) { d.modelDidCancelLoad(m); });
}
void ULModel::beginUpdates() {
  tell([](ULModelDelegate& d, const auto& m) { d.modelDidBeginUpdates(m); });
}
void ULModel::endUpdates() {
  tell([](ULModelDelegate& d, const auto& m) { d.modelDidEndUpdates(m); });
}
void ULModel::didUpdateObject(const Value& object, const NSIndexPath& indexPath) {
  tell([&](ULModelDelegate& d, const auto& m) { d.modelDidUpdateObject(m, object, indexPath); });
}
void ULModel::didInsertObject(const Value& object, const NSIndexPath& indexPath) {
  tell([&](ULModelDelegate& d, const auto& m) { d.modelDidInsertObject(m, object, indexPath); });
}
void ULModel::didDeleteObject(const Value& object, const NSIndexPath& indexPath) {
  tell([&](ULModelDelegate& d, const auto& m) { d.modelDidDeleteObject(m, object, indexPath); });
}
void ULModel::didChange() {
  tell([](ULModelDelegate& d, const auto& m) { d.modelDidChange(m); });
}
