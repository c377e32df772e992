#include <algorithm>

#include "uilib/views/UIToolbar+ULCategory.h"

namespace {

template <typename Items>
auto findTag(Items& items, long tag) {
  return std::find_if(items.begin(), items.end(),
                      [tag](const auto& item) { return item && item->tag() == tag; });
}

}  // namespace

std::shared_ptr<UIBarButtonItem> itemWithTag(const UIToolbar& toolbar, long tag) {
  auto it = findTag(toolbar.items(), tag);
  return it == toolbar.items().end() ? nullptr : *it;
}

void replaceItemWithTag(UIToolbar& toolbar, long tag, std::shared_ptr<UIBarButtonItem> item) {
  auto items = toolbar.items();
  auto it = findTag(items, tag);
  if (it == items.end()) return;
  *it = std::move(item);
  toolbar.setItems(std::move(items));
}
