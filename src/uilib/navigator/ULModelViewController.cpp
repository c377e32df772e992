#include "uilib/navigator/ULModelViewController.h"

#include "Foundation/NSClass.h"
#include "uilib/navigator/ULNavigator.h"

namespace {

// The request cache policies a load asks for.
constexpr int kDefaultCachePolicy = 7;  // memory, disk, network
constexpr int kNetworkOnly = 4;

}  // namespace

ULModelViewController::ULModelViewController() = default;

ULModelViewController::~ULModelViewController() {
  // Our own entry has expired by now; removing drops it with any other dead one.
  if (model_) model_->delegates().removeObject(std::shared_ptr<ULModelDelegate>());
}

void ULModelViewController::leaveModel() {
  if (!model_) return;
  std::shared_ptr<ULModelDelegate> me = self<ULModelViewController>();
  model_->delegates().removeObject(me);
  model_.reset();
}

std::shared_ptr<ULModel> ULModelViewController::model() {
  if (!model_) {
    auto navigator = ULBaseNavigator::globalNavigator();
    if (!navigator || !navigator->isDelayed()) createModel();
    if (!model_) createInterstitialModel();
  }
  return model_;
}

void ULModelViewController::setModel(const std::shared_ptr<ULModel>& model) {
  if (model == model_) return;
  leaveModel();
  model_ = model;
  if (model_) {
    std::shared_ptr<ULModelDelegate> me = self<ULModelViewController>();
    model_->delegates().addObject(me);
  }
  modelError_.reset();
  if (model_) {
    set(kWillLoadInvalid, false);
    set(kDidLoadInvalid, false);
    set(kDidLoadFirstTimeInvalid, false);
    set(kDidShowFirstTimeInvalid);
  }
  refresh();
}

void ULModelViewController::setModelError(const NSErrorPtr& error) {
  if (error == modelError_) return;
  modelError_ = error;
  invalidateView();
}

void ULModelViewController::createInterstitialModel() {
  setModel(std::make_shared<ULModel>());
}

void ULModelViewController::invalidateModel() {
  bool wasCreated = isModelCreated();
  resetViewStates();
  leaveModel();
  if (wasCreated) model();
}

bool ULModelViewController::shouldLoad() {
  auto m = model();
  return m && !m->isLoaded();
}

bool ULModelViewController::shouldReload() {
  auto m = model();
  return !modelError_ && m && m->isOutdated();
}

void ULModelViewController::reload() {
  set(kViewInvalid);
  if (auto m = model()) m->load(kNetworkOnly, false);
}

void ULModelViewController::reloadIfNeeded() {
  auto m = model();
  if (shouldReload() && m && !m->isLoading()) reload();
}

void ULModelViewController::refresh() {
  set(kViewInvalid);
  set(kDidRefreshInvalid);
  auto m = model();
  bool loading = m && m->isLoading();
  bool loaded = m && m->isLoaded();
  if (!loading && !loaded && shouldLoad()) {
    m->load(kDefaultCachePolicy, false);
  } else if (!loading && loaded && shouldReload()) {
    m->load(kNetworkOnly, false);
  } else if (!loading && shouldLoadMore()) {
    m->load(kDefaultCachePolicy, true);
  } else {
    set(kDidLoadInvalid);
    if (isViewAppearing()) updateView();
  }
}

void ULModelViewController::beginUpdates() {
  set(kViewSuspended);
}

void ULModelViewController::endUpdates() {
  set(kViewSuspended, false);
  updateView();
}

void ULModelViewController::invalidateView() {
  set(kViewInvalid);
  if (isViewAppearing()) updateView();
}

void ULModelViewController::updateView() {
  if ((flags_ & (kViewInvalid | kViewSuspended | kUpdatingView)) != kViewInvalid) return;
  set(kUpdatingView);
  model();
  view();
  updateViewStates();
  if (auto state = frozenState(); state && isShowingModel()) {
    restoreView(state);
    setFrozenState(nullptr);
  }
  set(kViewInvalid, false);
  set(kUpdatingView, false);
  reloadIfNeeded();
}

void ULModelViewController::updateViewStates() {
  if (has(kDidRefreshInvalid)) {
    didRefreshModel();
    set(kDidRefreshInvalid, false);
  }
  if (has(kWillLoadInvalid)) {
    willLoadModel();
    set(kWillLoadInvalid, false);
  }
  if (has(kDidLoadInvalid)) {
    didLoadModel(has(kDidLoadFirstTimeInvalid));
    set(kDidLoadInvalid, false);
    set(kDidLoadFirstTimeInvalid, false);
    set(kShowingModel, false);
  }

  auto m = model();
  bool showModelNow = turn(kShowingModel, ((m && m->isLoaded()) || !shouldLoad()) && canShowModel(),
                           &ULModelViewController::showModel);
  bool showLoadingNow =
      turn(kShowingLoading, m && m->isLoading(), &ULModelViewController::showLoading);
  bool showErrorNow = turn(kShowingError, bool(modelError_), &ULModelViewController::showError);
  bool showEmptyNow =
      turn(kShowingEmpty, !has(kShowingLoading) && !has(kShowingModel) && !has(kShowingError),
           &ULModelViewController::showEmpty);

  if (showModelNow) {
    showModel(true);
    didShowModel(has(kDidShowFirstTimeInvalid));
    set(kDidShowFirstTimeInvalid, false);
  }
  if (showEmptyNow) showEmpty(true);
  if (showErrorNow) showError(true);
  if (showLoadingNow) showLoading(true);
}

bool ULModelViewController::turn(uint16_t flag, bool on,
                                 void (ULModelViewController::*hook)(bool)) {
  if (on) {
    bool wasOff = !has(flag);
    set(flag);
    return wasOff;
  }
  if (has(flag)) {
    (this->*hook)(false);
    set(flag, false);
  }
  return false;
}

void ULModelViewController::resetViewStates() {
  turn(kShowingLoading, false, &ULModelViewController::showLoading);
  turn(kShowingModel, false, &ULModelViewController::showModel);
  turn(kShowingError, false, &ULModelViewController::showError);
  turn(kShowingEmpty, false, &ULModelViewController::showEmpty);
}

// ---- the model's news

void ULModelViewController::modelDidStartLoad(const std::shared_ptr<ULModel>& model) {
  if (model != this->model()) return;
  set(kWillLoadInvalid);
  set(kDidLoadFirstTimeInvalid);
  invalidateView();
}

void ULModelViewController::modelDidFinishLoad(const std::shared_ptr<ULModel>& model) {
  if (model != model_) return;
  modelError_.reset();
  set(kDidLoadInvalid);
  invalidateView();
}

void ULModelViewController::modelDidFailLoadWithError(const std::shared_ptr<ULModel>& model,
                                                      const NSErrorPtr& error) {
  if (model == model_) setModelError(error);
}

void ULModelViewController::modelDidCancelLoad(const std::shared_ptr<ULModel>& model) {
  if (model == model_) invalidateView();
}

void ULModelViewController::modelDidChange(const std::shared_ptr<ULModel>& model) {
  if (model == model_) refresh();
}

void ULModelViewController::modelDidBeginUpdates(const std::shared_ptr<ULModel>& model) {
  if (model == model_) beginUpdates();
}

void ULModelViewController::modelDidEndUpdates(const std::shared_ptr<ULModel>& model) {
  if (model == model_) endUpdates();
}

// ---- the view's life

void ULModelViewController::viewWillAppear(bool animated) {
  // The base sets the appearance flags first so that the pass below runs.
  ULViewController::viewWillAppear(animated);
  updateView();
}

void ULModelViewController::didReceiveMemoryWarning() {
  bool hiddenAfterShowing = hasViewAppeared() && !isViewAppearing();
  ULViewController::didReceiveMemoryWarning();
  if (hiddenAfterShowing) refresh();
}

void ULModelViewController::delayDidEnd() {
  invalidateModel();
}

NS_CLASS_IMPLEMENTATION(ULModelViewController) {
  c.method("reload", &ULModelViewController::reload);
  c.method("invalidateModel", &ULModelViewController::invalidateModel);
}
