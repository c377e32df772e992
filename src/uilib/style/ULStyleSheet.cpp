#include "uilib/style/ULStyleSheet.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "UIKit/UIApplication.h"
#include "uilib/style/ULDefaultStyleSheet.h"

NS_CLASS_IMPLEMENTATION(ULStyleSheet) {
  c.classMethod("globalStyleSheet", &ULStyleSheet::globalStyleSheet);
  c.method("freeMemory", &ULStyleSheet::freeMemory);
}

namespace {

std::shared_ptr<ULStyleSheet>& globalSheet() {
  static std::shared_ptr<ULStyleSheet> sheet;
  return sheet;
}

}  // namespace

std::shared_ptr<ULStyleSheet> ULStyleSheet::globalStyleSheet() {
  auto& sheet = globalSheet();
  if (!sheet) sheet = std::make_shared<ULDefaultStyleSheet>();
  return sheet;
}

void ULStyleSheet::setGlobalStyleSheet(std::shared_ptr<ULStyleSheet> sheet) {
  globalSheet() = std::move(sheet);
}

ULStylePtr ULStyleSheet::styleWithSelector(std::string_view name) {
  return styleWithSelector(name, UIControlStateNormal);
}

ULStylePtr ULStyleSheet::styleWithSelector(std::string_view name, UIControlState state) {
  std::string key(name);
  if (state != UIControlStateNormal) key += std::to_string(state);
  if (styles_) {
    auto it = styles_->find(key);
    if (it != styles_->end()) return it->second;
  }
  const NSMethod* method = objectClass().instanceMethod(name);
  if (!method) return nullptr;
  const Value arguments[] = {Value(state)};
  Value answer = method->invoke(this, arguments);
  auto style = answer.object<ULStyle>();
  if (!style) return nullptr;
  if (!styles_) styles_.emplace();
  (*styles_)[key] = style;
  observeMemoryWarnings();
  return style;
}

void ULStyleSheet::didReceiveMemoryWarning(const Value&) {
  freeMemory();
}

void ULStyleSheet::freeMemory() {
  styles_.reset();
}

// From the first kept chain on: a sheet that keeps nothing has nothing to free.
void ULStyleSheet::observeMemoryWarnings() {
  std::weak_ptr<NSObject> weak = weak_from_this();
  if (observing_ || weak.expired()) return;
  observing_ = true;
  NSNotificationCenter::defaultCenter()->addObserver(
      weak,
      [weak](const NSNotificationPtr& notification) {
        if (auto sheet = std::dynamic_pointer_cast<ULStyleSheet>(weak.lock()))
          sheet->didReceiveMemoryWarning(Value(std::shared_ptr<NSObject>(notification)));
      },
      UIApplicationDidReceiveMemoryWarningNotification);
}
