#include "model/NSAdInfo.h"

#include "model/NSChannelAdDB.h"

std::shared_ptr<NSAdInfo> NSAdInfo::readFromDB(int channelId) {
  return NSChannelAdDB::getData(channelId);
}
