#include "ui/framework/PHProgressHUD.h"

#include <mutex>

namespace {

std::mutex& promptLock() {
  static std::mutex m;
  return m;
}

std::vector<std::string>& prompts() {
  static std::vector<std::string> p;
  return p;
}

}  // namespace

void PHProgressHUD::showPrompt(std::string_view text) {
  std::lock_guard<std::mutex> guard(promptLock());
  prompts().emplace_back(text);
}

std::vector<std::string> PHProgressHUD::shownPrompts() {
  std::lock_guard<std::mutex> guard(promptLock());
  return prompts();
}

void PHProgressHUD::clearShownPrompts() {
  std::lock_guard<std::mutex> guard(promptLock());
  prompts().clear();
}
