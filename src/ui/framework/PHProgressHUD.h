// The app-wide short message.  Until the screen framework draws it, a prompt is recorded in
// the order shown so that callers and tests can read what the user would have seen.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class PHProgressHUD {
 public:
  // Shows the text for about a second; a prompt shown meanwhile follows it.
  static void showPrompt(std::string_view text);

  // Every prompt shown so far, oldest first.
  static std::vector<std::string> shownPrompts();
  static void clearShownPrompts();
};
