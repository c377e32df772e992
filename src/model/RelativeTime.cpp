#include "model/RelativeTime.h"

#include <cmath>
#include <ctime>

#include "Foundation/Clock.h"

std::string relativeTimeText(int64_t createdAt, double now) {
  double diff = std::trunc(now - double(createdAt));
  int64_t elapsed = diff > 0 ? int64_t(diff) : 0;
  if (elapsed < 60) return std::to_string(elapsed) + "秒前";
  if (elapsed < 3600) return std::to_string(elapsed / 60) + "分钟前";
  if (elapsed < 86400) return std::to_string(elapsed / 3600) + "小时前";
  time_t t = time_t(createdAt);
  struct tm local {};
  if (!localtime_r(&t, &local)) return "";
  return std::to_string(local.tm_mon + 1) + "月" + std::to_string(local.tm_mday) + "日";
}

std::string relativeTimeText(int64_t createdAt) {
  return relativeTimeText(createdAt, ClockNow());
}
