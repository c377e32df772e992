// The on-screen keyboard follows the first responder: it shows for a responder that takes
// typing and goes when none does.
#pragma once

#include <memory>

class UIResponder;

class UIKeyboard {
 public:
  static void firstResponderChanged(const std::shared_ptr<UIResponder>&,
                                    const std::shared_ptr<UIResponder>&) {}
};
