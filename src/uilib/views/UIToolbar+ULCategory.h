// The library's additions to tool bars: finding and replacing an item by its tag.
#pragma once

#include <memory>

#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIToolbar.h"

// itemWithTag: the first item with the tag, or nullptr.
std::shared_ptr<UIBarButtonItem> itemWithTag(const UIToolbar& toolbar, long tag);
// replaceItemWithTag:withItem: the first item with the tag gives way to `item` (the bar gets a
// new list); the bar is left as it is when no item has the tag.
void replaceItemWithTag(UIToolbar& toolbar, long tag, std::shared_ptr<UIBarButtonItem> item);
