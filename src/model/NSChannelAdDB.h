// The advert tables: "channelAdTable" followed by a channel id (one table per channel) or by a
// word (the banner list uses "channelAdTablelist").
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "model/NSAdInfo.h"
#include "model/NSItemDB.h"

class NSChannelAdDB : public NSItemDB {
 public:
  explicit NSChannelAdDB(int channelId);
  explicit NSChannelAdDB(std::string_view word);

  std::shared_ptr<NSObject> getItemWithResult(SQResultSet* rs) override;
  // Adds the advert as a new row, numbered one past the highest itemID (0 for the first).
  void insertWithItem(const std::shared_ptr<NSObject>& item) override;
  // Rewrites the row with the advert's adId.
  bool updateWithItem(const std::shared_ptr<NSObject>& item) override;

  // Stores a channel's (or a word's) advert: an update when the table has rows, else an insert.
  static void setValueDB(const std::shared_ptr<NSAdInfo>& ad, int channelId);
  static void setValueDB(const std::shared_ptr<NSAdInfo>& ad, std::string_view word);
  // Stores a list of adverts: each updates the row of its adId or is added.  Rows of adverts
  // no longer listed stay.
  static void setListValueDB(const std::vector<std::shared_ptr<NSAdInfo>>& list,
                             std::string_view word);
  // The channel's advert in row "0"; nil when the table is empty.
  static std::shared_ptr<NSAdInfo> getData(int channelId);

 private:
  static void store(NSChannelAdDB& table, const std::shared_ptr<NSAdInfo>& ad);
};
