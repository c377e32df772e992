// The "how long ago" text that feed items, comments and feedback entries show.
#pragma once

#include <cstdint>
#include <string>

// "N秒前" up to a minute, "N分钟前" up to an hour, "N小时前" up to a day, then the creation
// day as "M月d日" in the device's time zone.  A creation time in the future reads "0秒前".
std::string relativeTimeText(int64_t createdAt, double now);
// The same against the process clock.
std::string relativeTimeText(int64_t createdAt);
