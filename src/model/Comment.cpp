#include "model/Comment.h"

#include "model/RelativeTime.h"

std::string Comment::timestamp() const {
  return relativeTimeText(createdAt);
}
