// One usage action: something the reader did (started or closed the app, opened a screen,
// read an item, a request failed) and when.  A plain record: the section (NSSectionItem)
// makes actions, the log file's format turns them into text and back.
#pragma once

#include <cstdint>
#include <string>

struct NSActonItem {
  // The action's time, "yyyy-MM-dd HH:mm:ss", and the same in seconds since 1970.
  std::string cTime;
  double cTimeInt = 0;
  // 901 for the start action, 902 for the close action, 0 for every other.
  int32_t channelType = 0;
  // A sub-code of channelType and a numeric code appended to the text form; set by no one here.
  int32_t subType = 0;
  int32_t aType = 0;
  // The action's text: ",37" for a screen view, "<channel>,<code>" for a reader's action,
  // "903," for a request failure; an action read back from the file keeps its whole text form
  // here ("901," for a start).
  std::string caType;
  // The ids an action read back carried in its parameters.
  int64_t sId = 0;
  int64_t rId = 0;
  // The action's parameter text.
  std::string sparams;
};
