#include "model/NSFanKuiItem.h"

#include "model/RelativeTime.h"

std::string NSFanKuiItem::timestamp() const {
  return relativeTimeText(create_at);
}
