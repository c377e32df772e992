// A screen bound to one model, showing exactly one of its states through hooks: loading, the
// model's content, empty, error.  The controller owns the model and listens to it, decides when
// it is created (lazily, held back while the navigator's delay is open), loaded, reloaded or
// loaded further, and brings the display up to date in one pass (updateView) while its view
// is appearing; off screen, changes only mark the view invalid.
//
// What callers rely on:
// - In one pass every hiding call (showX(false)) comes before every showing call, a display
//   that stays on is not shown again, and the empty display is on exactly when none of
//   loading, content and error is.
// - didShowModel(true) once per model; later loads of the same model give didShowModel(false).
// - A failed load keeps its error (and the error display) until a load succeeds or the model
//   is replaced; reloadIfNeeded never retries a model with an error.
// - Messages from any model but the controller's own are ignored.
// - Every hook is empty here; subclasses (the table controller) give them their effect.
// - Main thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "Foundation/NSError.h"
#include "uilib/model/ULModel.h"
#include "uilib/navigator/ULBaseViewController.h"

class ULModelViewController : public ULViewController, public ULModelDelegate {
  NS_CLASS(ULModelViewController, ULViewController)
 public:
  ULModelViewController();
  ~ULModelViewController() override;

  // The model, made on first use: createModel unless the navigator is delayed, then the
  // interstitial model when there is still none.
  std::shared_ptr<ULModel> model();
  void setModel(const std::shared_ptr<ULModel>& model);
  const NSErrorPtr& modelError() const { return modelError_; }
  // A different error invalidates the view.
  void setModelError(const NSErrorPtr& error);

  // Subclasses make their model here and install it with setModel.
  virtual void createModel() {}
  // A plain ULModel.
  virtual void createInterstitialModel();
  // Drops the model and, when one was made, makes a fresh one.
  void invalidateModel();
  bool isModelCreated() const { return model_ != nullptr; }
  virtual bool shouldLoad();
  virtual bool shouldReload();
  virtual bool shouldLoadMore() { return false; }
  virtual bool canShowModel() { return true; }
  // Loads from the network (cache policy 4).
  void reload();
  void reloadIfNeeded();
  // Loads, reloads or loads more as the model needs; else owes didLoadModel.
  void refresh();
  void beginUpdates();
  void endUpdates();
  void invalidateView();
  void updateView();

  // ---- hooks
  virtual void didRefreshModel() {}
  virtual void willLoadModel() {}
  virtual void didLoadModel(bool /*firstTime*/) {}
  virtual void didShowModel(bool /*firstTime*/) {}
  virtual void showLoading(bool /*show*/) {}
  virtual void showModel(bool /*show*/) {}
  virtual void showEmpty(bool /*show*/) {}
  virtual void showError(bool /*show*/) {}

  // ---- ULModelDelegate
  void modelDidStartLoad(const std::shared_ptr<ULModel>& model) override;
  void modelDidFinishLoad(const std::shared_ptr<ULModel>& model) override;
  void modelDidFailLoadWithError(const std::shared_ptr<ULModel>& model,
                                 const NSErrorPtr& error) override;
  void modelDidCancelLoad(const std::shared_ptr<ULModel>& model) override;
  void modelDidChange(const std::shared_ptr<ULModel>& model) override;
  void modelDidBeginUpdates(const std::shared_ptr<ULModel>& model) override;
  void modelDidEndUpdates(const std::shared_ptr<ULModel>& model) override;

  void viewWillAppear(bool animated) override;
  void didReceiveMemoryWarning() override;
  // The navigator's delay has ended: the real model replaces the interstitial one.
  void delayDidEnd() override;

  // Which displays are on.
  bool isShowingLoading() const { return flags_ & kShowingLoading; }
  bool isShowingModel() const { return flags_ & kShowingModel; }
  bool isShowingEmpty() const { return flags_ & kShowingEmpty; }
  bool isShowingError() const { return flags_ & kShowingError; }

 protected:
  void updateViewStates();
  void resetViewStates();

 private:
  enum : uint16_t {
    kDidRefreshInvalid = 1 << 0,
    kWillLoadInvalid = 1 << 1,
    kDidLoadInvalid = 1 << 2,
    kDidLoadFirstTimeInvalid = 1 << 3,
    kDidShowFirstTimeInvalid = 1 << 4,
    kViewInvalid = 1 << 5,
    kViewSuspended = 1 << 6,
    kUpdatingView = 1 << 7,
    kShowingEmpty = 1 << 8,
    kShowingLoading = 1 << 9,
    kShowingModel = 1 << 10,
    kShowingError = 1 << 11,
  };
  bool has(uint16_t flag) const { return flags_ & flag; }
  void set(uint16_t flag, bool on = true) {
    flags_ = on ? uint16_t(flags_ | flag) : uint16_t(flags_ & ~flag);
  }
  void leaveModel();
  // Turns the display's flag on (true when it was off: its show call is owed) or off (calling
  // the hook with false when it was on).
  bool turn(uint16_t flag, bool on, void (ULModelViewController::*hook)(bool));

  std::shared_ptr<ULModel> model_;
  uint16_t flags_ = kViewInvalid;
  NSErrorPtr modelError_;
};
