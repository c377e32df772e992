#include "UIKit/UIAlertView.h"

#include <algorithm>

#include "Foundation/NSClass.h"

namespace {

// Main thread only.
std::vector<std::shared_ptr<UIAlertView>>& visible() {
  static std::vector<std::shared_ptr<UIAlertView>> list;
  return list;
}

}  // namespace

UIAlertView::UIAlertView(std::string title, std::string message,
                         std::weak_ptr<UIAlertViewDelegate> delegate, std::string cancelButtonTitle,
                         std::vector<std::string> otherButtonTitles)
    : title_(std::move(title)), message_(std::move(message)), delegate_(std::move(delegate)) {
  if (!cancelButtonTitle.empty()) {
    buttons_.push_back(std::move(cancelButtonTitle));
    cancelButtonIndex_ = 0;
  }
  for (auto& t : otherButtonTitles) buttons_.push_back(std::move(t));
}

long UIAlertView::addButtonWithTitle(std::string title) {
  buttons_.push_back(std::move(title));
  return long(buttons_.size()) - 1;
}

std::string UIAlertView::buttonTitleAtIndex(long index) const {
  if (index < 0 || index >= numberOfButtons()) return {};
  return buttons_[size_t(index)];
}

long UIAlertView::firstOtherButtonIndex() const {
  long first = cancelButtonIndex_ == 0 ? 1 : 0;
  return first < numberOfButtons() ? first : -1;
}

void UIAlertView::show() {
  auto self = std::static_pointer_cast<UIAlertView>(weak_from_this().lock());
  if (!self || isVisible()) return;
  visible().push_back(self);
}

bool UIAlertView::isVisible() const {
  auto& list = visible();
  return std::any_of(list.begin(), list.end(), [&](const auto& a) { return a.get() == this; });
}

void UIAlertView::dismissWithClickedButtonIndex(long buttonIndex, bool) {
  auto self = std::static_pointer_cast<UIAlertView>(weak_from_this().lock());
  if (!self || !isVisible()) return;
  if (auto d = delegate_.lock()) d->alertViewWillDismissWithButtonIndex(self, buttonIndex);
  std::erase(visible(), self);
  if (auto d = delegate_.lock()) d->alertViewDidDismissWithButtonIndex(self, buttonIndex);
}

bool UIAlertView::tapButtonAtIndex(long buttonIndex) {
  auto self = std::static_pointer_cast<UIAlertView>(weak_from_this().lock());
  if (!self || !isVisible() || buttonIndex < 0 || buttonIndex >= numberOfButtons()) return false;
  if (auto d = delegate_.lock()) d->alertViewClickedButtonAtIndex(self, buttonIndex);
  dismissWithClickedButtonIndex(buttonIndex, true);
  return true;
}

std::vector<std::shared_ptr<UIAlertView>> UIAlertView::visibleAlerts() {
  return visible();
}

void UIAlertView::removeAllVisibleAlerts() {
  visible().clear();
}

void UIAlertView::describeAttributes(std::string& line) const {
  if (!title_.empty()) line += " title=" + quoted(title_);
  if (!message_.empty()) line += " message=" + quoted(message_);
}

NS_CLASS_IMPLEMENTATION(UIAlertView) {}
