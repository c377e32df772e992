// Date texts for lists and messages.  Every pattern and phrase is first looked up with
// ULLibraryLocalizedString; each pattern's formatter is made once per process, in the locale of
// the user's first preferred language (ULUserLanguageLocale) and the process's time zone.
// "Seconds" below is the date's distance from now (positive in the future).
#pragma once

#include <string>

#include "Foundation/NSDate.h"
#include "Foundation/Value.h"

// Today at 00:00 local time (dateWithToday, dateAtMidnight: the current day, whatever date).
NSDateValue dateWithToday();
inline NSDateValue dateAtMidnight() {
  return dateWithToday();
}

std::string formatTime(NSDateValue date);  // "h:mm a"
std::string formatDate(NSDateValue date);  // "EEEE, LLLL d, YYYY"
// Up to a day away "h:mm a", up to five days "EEEE", further "M/d/yy".
std::string formatShortTime(NSDateValue date);
// Up to a day away "h:mm a", up to five days "EEE h:mm a", further "MMM d h:mm a".
std::string formatDateTime(NSDateValue date);
std::string formatMonth(NSDateValue date);  // "MMMM"
std::string formatYear(NSDateValue date);   // "yyyy"
// "Today" or "Yesterday" when the date falls on those days' year, month and day, else "MMMM d".
std::string formatDay(NSDateValue date, const NSDateComponents& today,
                      const NSDateComponents& yesterday);
// "in 30 seconds", "about a minute ago", "3 hours ago" ...; a day or more away formatDateTime.
std::string formatRelativeTime(NSDateValue date);
// "<1m", "5m", "3h", "2d"; a week or more away formatShortTime.
std::string formatShortRelativeTime(NSDateValue date);
