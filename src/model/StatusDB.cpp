#include "model/StatusDB.h"

#include <string>

namespace {

constexpr std::string_view kCreate =
    "CREATE TABLE IF NOT EXISTS T_STATUS (STATUS_ID TEXT PRIMARY KEY, VORLU_ID TEXT,CREATE_AT "
    "TEXT,TIMESTAMP TEXT,STATUS_TEXT TEXT,STATUS_SOURCE TEXT,IS_FAVORITED TEXT,IS_TRUNCATED "
    "TEXT,REPLY_STATUS_ID TEXT,REPLY_USER_ID TEXT,REPLY_USER_NAME TEXT,THUMBNAIL_PIC "
    "TEXT,BMIDDLE_PIC TEXT,ORIGINAL_PIC TEXT,USER_ID TEXT,COMMENTS_COUNT TEXT,RETWEETS_COUNT,"
    "RETWEET_STATUS_ID TEXT,CURSOR_ID TEXT,IMAGE_TYPE TEXT,LIKE_COUINT TEXT,HAVE_LIKED "
    "TEXT,IS_DELECTED TEXT,THEMBNAIL_WIDTH,THEMBANIL_HEIGHT TEXT);";

constexpr std::string_view kInsert =
    "INSERT OR REPLACE INTO T_STATUS (STATUS_ID, VORLU_ID, CREATE_AT, TIMESTAMP, STATUS_TEXT, "
    "STATUS_SOURCE, IS_FAVORITED, "
    "IS_TRUNCATED,REPLY_STATUS_ID,REPLY_USER_ID,REPLY_USER_NAME,THUMBNAIL_PIC,BMIDDLE_PIC,"
    "ORIGINAL_PIC,COMMENTS_COUNT,RETWEETS_COUNT,CURSOR_ID,IMAGE_TYPE,LIKE_COUINT,HAVE_LIKED,IS_"
    "DELECTED,THEMBNAIL_WIDTH,THEMBANIL_HEIGHT) VALUES "
    "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";

constexpr std::string_view kUpdate =
    "UPDATE T_STATUS SET VORLU_ID=?, CREATE_AT=?, TIMESTAMP=?, STATUS_TEXT=?, STATUS_SOURCE=?, "
    "IS_FAVORITED=?, IS_TRUNCATED=?, REPLY_STATUS_ID=?, REPLY_USER_ID=?, REPLY_USER_NAME=?, "
    "THUMBNAIL_PIC=?, BMIDDLE_PIC=?, ORIGINAL_PIC=?, COMMENTS_COUNT=?, RETWEETS_COUNT=?, "
    "CURSOR_ID=?, IMAGE_TYPE=?, LIKE_COUINT=?, HAVE_LIKED=?, IS_DELECTED=?, THEMBNAIL_WIDTH=?, "
    "THEMBANIL_HEIGHT=? WHERE STATUS_ID=?";

// Every stored column after STATUS_ID, in the insert's order; the relative time is the one of
// the moment of writing.
std::vector<Value> columnsAfterId(const Status& s) {
  return {Value(s.vorluId),
          Value(s.createdAt),
          Value(s.timestamp()),
          Value(s.text),
          Value(s.source),
          Value(s.favorited),
          Value(s.truncated),
          Value(s.inReplyToStatusId),
          Value(int64_t(s.inReplyToUserId)),
          Value(s.inReplyToScreenName),
          Value(s.thumbnailPic),
          Value(s.bmiddlePic),
          Value(s.originalPic),
          Value(s.commentsCount),
          Value(s.retweetsCount),
          Value(s.cursor_id),
          Value(s.imageType),
          Value(s.likeCount),
          Value(s.haveLiked),
          Value(s.delected),
          Value(double(s.thumbnailSize.width)),
          Value(double(s.thumbnailSize.height))};
}

// Rows are read back as text and converted the platform's way.
Value text(SQResultSet& rs, std::string_view column) {
  auto s = rs.stringForColumn(column);
  return s ? Value(std::move(*s)) : Value();
}

StatusPtr statusFromRow(SQResultSet& rs) {
  auto s = std::make_shared<Status>();
  s->statusId = text(rs, "STATUS_ID").longLongValue();
  s->vorluId = text(rs, "VORLU_ID").longLongValue();
  s->createdAt = text(rs, "CREATE_AT").longLongValue();
  s->text = text(rs, "STATUS_TEXT").string();
  s->source = text(rs, "STATUS_SOURCE").string();
  s->favorited = text(rs, "IS_FAVORITED").boolValue();
  s->truncated = text(rs, "IS_TRUNCATED").boolValue();
  s->inReplyToStatusId = text(rs, "REPLY_STATUS_ID").longLongValue();
  s->inReplyToUserId = int32_t(text(rs, "REPLY_USER_ID").longLongValue());
  s->inReplyToScreenName = text(rs, "REPLY_USER_NAME").string();
  s->thumbnailPic = text(rs, "THUMBNAIL_PIC").string();
  s->bmiddlePic = text(rs, "BMIDDLE_PIC").string();
  s->originalPic = text(rs, "ORIGINAL_PIC").string();
  s->commentsCount = text(rs, "COMMENTS_COUNT").intValue();
  s->retweetsCount = int32_t(text(rs, "RETWEETS_COUNT").longLongValue());
  s->cursor_id = text(rs, "CURSOR_ID").string();
  s->imageType = text(rs, "IMAGE_TYPE").intValue();
  s->likeCount = text(rs, "LIKE_COUINT").intValue();
  s->haveLiked = text(rs, "HAVE_LIKED").boolValue();
  s->delected = text(rs, "IS_DELECTED").boolValue();
  s->thumbnailSize.width = float(text(rs, "THEMBNAIL_WIDTH").doubleValue());
  s->thumbnailSize.height = float(text(rs, "THEMBANIL_HEIGHT").doubleValue());
  return s;
}

}  // namespace

StatusDB::StatusDB() : dbManager_(std::make_shared<NSDatabase>()) {
  if (!dbManager_->initDatabase()) return;
  sqlite3_exec(database().sqliteHandle(), std::string(kCreate).c_str(), nullptr, nullptr, nullptr);
}

SQDatabase& StatusDB::database() const {
  static SQDatabase closed;
  auto db = dbManager_->getDatabase();
  return db ? *db : closed;
}

void StatusDB::insertWithStatus(const Status& status) {
  std::vector<Value> values = columnsAfterId(status);
  values.insert(values.begin(), Value(status.statusId));
  database().executeUpdateWithArgumentsInArray(kInsert, makeArray(std::move(values)));
}

bool StatusDB::updateWithStatus(const Status& status) {
  std::vector<Value> values = columnsAfterId(status);
  values.push_back(Value(status.statusId));
  SQDatabase& db = database();
  db.executeUpdateWithArgumentsInArray(kUpdate, makeArray(std::move(values)));
  return !db.hadError();
}

bool StatusDB::deleteWithStatusId(std::string_view statusId) {
  SQDatabase& db = database();
  db.executeUpdate(NSDatabase::SQL("DELETE FROM %@ WHERE STATUS_ID = ?", "T_STATUS"), statusId);
  return !db.hadError();
}

std::vector<StatusPtr> StatusDB::queryStatuses() {
  std::vector<StatusPtr> statuses;
  auto rs = database().executeQuery("SELECT * FROM T_STATUS");
  while (rs && rs->next()) statuses.push_back(statusFromRow(*rs));
  return statuses;
}

StatusPtr StatusDB::getStatusWithStatusId(std::string_view statusId) {
  auto rs = database().executeQuery("SELECT * FROM T_STATUS WHERE STATUS_ID = ?", statusId);
  StatusPtr status;
  if (rs && rs->next()) status = statusFromRow(*rs);
  if (rs) rs->close();
  return status ? status : std::make_shared<Status>();
}
