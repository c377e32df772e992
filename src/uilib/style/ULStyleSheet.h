// Named styles.  Views ask the global style sheet for a chain by the name of the sheet's style
// method ("badge", "launcherButton:") and a control state; the sheet calls its method of that
// name (found through the class registry: a name ending in ':' takes the state, others ignore
// it) and keeps the answer, so that every later request for the same name and state shares
// one chain.  Answers are kept under the name for state 0 and under the name followed by the
// state's number otherwise ("launcherButton:1").  A name the sheet has no method for, and a
// method that answers no style, give nullptr and keep nothing (the method is asked again next
// time).  A memory warning drops every kept chain; later requests build new ones.
//
// The global sheet is a ULDefaultStyleSheet (made on first use) unless another is installed.
// Main thread only.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "UIKit/UIControl.h"
#include "uilib/style/ULStyle.h"

class ULStyleSheet : public NSObject {
  NS_CLASS(ULStyleSheet, NSObject)

 public:
  static std::shared_ptr<ULStyleSheet> globalStyleSheet();
  static void setGlobalStyleSheet(std::shared_ptr<ULStyleSheet> sheet);

  // styleWithSelector: the style for state 0.
  ULStylePtr styleWithSelector(std::string_view name);
  // styleWithSelector:forState:
  ULStylePtr styleWithSelector(std::string_view name, UIControlState state);

  // didReceiveMemoryWarning: and freeMemory: every kept chain dropped.
  void didReceiveMemoryWarning(const Value& notification);
  void freeMemory();

  // The kept chains by key; nullptr while none is kept.
  const std::map<std::string, ULStylePtr>* styles() const { return styles_ ? &*styles_ : nullptr; }

 private:
  void observeMemoryWarnings();

  std::optional<std::map<std::string, ULStylePtr>> styles_;
  bool observing_ = false;
};
