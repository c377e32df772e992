#include "model/Status.h"

#include "model/RelativeTime.h"

std::string Status::timestamp() const {
  return relativeTimeText(createdAt);
}

std::string Status::getPasteboardString() const {
  std::string s = "@" + (user ? user->screenName : std::string()) + ":" + text;
  // Only the direct repost is quoted: deeper chains are already part of its text.
  if (retweetedStatus) {
    const auto& rt = *retweetedStatus;
    s += "//@" + (rt.user ? rt.user->screenName : std::string()) + ":" + rt.text;
  }
  return s;
}
