// The base of views, controllers and the application delegate: objects that can take part in
// the responder chain.  Touches and the first responder come with the event slice; for now it
// only names the class and the next responder.
#pragma once

#include <memory>
#include <string>

#include "Foundation/NSObject.h"

class UIResponder : public NSObject {
  NS_CLASS(UIResponder, NSObject)
 public:
  // The responder that handles what this one does not; nullptr at the end of the chain.
  virtual std::shared_ptr<UIResponder> nextResponder() const { return nullptr; }
  std::string description() const override;
};
