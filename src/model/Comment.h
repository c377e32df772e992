// A comment on a status, possibly answering another comment.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "model/Status.h"
#include "model/User.h"

struct Comment : NSObject {
  int64_t commentId = 0;
  std::string text;
  int64_t createdAt = 0;  // seconds since 1970
  std::string source;
  bool favourited = false;
  bool truncated = false;
  std::shared_ptr<User> user;
  std::shared_ptr<Status> status;
  std::shared_ptr<Comment> replyComment;
  std::string cursorId;

  // Relative creation time against the process clock.
  std::string timestamp() const;
};

using CommentPtr = std::shared_ptr<Comment>;
using CommentArray = std::vector<CommentPtr>;
