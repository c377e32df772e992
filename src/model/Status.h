// A status post of a feed, with its author, its reposted status and its pictures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "model/RecordText.h"
#include "model/User.h"

// The long texts are RecordText: a status read from a reply shares the reply's bytes (and keeps
// the reply's memory while it lives); the short ones stay strings.
struct Status : NSObject {
  // User-provided, so that nothing is zeroed before the members take their initial values.
  Status() noexcept {}
  int64_t vorluId = 0;  // the content server's own id
  int64_t statusId = 0;
  int64_t createdAt = 0;  // seconds since 1970
  RecordText text;
  RecordText source;
  bool favorited = false;
  bool truncated = false;
  int64_t inReplyToStatusId = 0;
  int32_t inReplyToUserId = 0;
  std::string inReplyToScreenName;
  RecordText thumbnailPic;
  RecordText bmiddlePic;
  RecordText originalPic;
  std::shared_ptr<User> user;
  int32_t commentsCount = 0;
  int32_t retweetsCount = 0;
  std::shared_ptr<Status> retweetedStatus;
  std::string cursor_id;
  // 0 not yet known, 1 GIF, 2 another picture; set once the picture's first byte is seen.
  int32_t imageType = 0;
  int32_t likeCount = 0;
  bool haveLiked = false;
  bool delected = false;  // deleted at the server
  CGSize thumbnailSize;   // of the small picture, once known
  std::string httpLinkTypes;

  // Relative creation time ("5分钟前", "3月7日") against the process clock.
  std::string timestamp() const;
  // What goes on the pasteboard when the reader copies the status.
  std::string getPasteboardString() const;
};

using StatusPtr = std::shared_ptr<Status>;
using StatusArray = std::vector<StatusPtr>;
