// The app-wide short message.  Until the screen framework draws it, a prompt is reported to the
// stand-in sink ("PHProgressHUD", "prompt", the text).
#pragma once

#include <string_view>

class PHProgressHUD {
 public:
  // Shows the text for about a second; a prompt shown meanwhile follows it.
  static void showPrompt(std::string_view text);
};
