// Comments, reposts, their counts and the full content of a status.
#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

// The page's "next_cursor" as the text the last record of a comment or repost list carries.
std::string nextCursorText(const NSDictionary& dic) {
  return textOf(strValue(dic, "next_cursor", ""));
}

}  // namespace

CommentPtr ZizaJsonStatusParser::dicToComment(const NSDictionary& dic) {
  return dicToComment(dic, 0);
}

CommentPtr ZizaJsonStatusParser::dicToComment(const NSDictionary& dic, int depth) {
  auto c = std::make_shared<Comment>();
  c->createdAt = timeValue(dic, "created_at", 0);
  c->commentId = int64Of(dic, "id");
  // Unlike a status, a comment keeps its text and its source anchor as sent.
  c->text = textOf(dic.objectRefForKey("text"));
  c->source = textOf(dic.objectRefForKey("source"));
  if (depth < kMaxRecordDepth) {
    const Value& user = dic.objectRefForKey("user");
    if (user.isDictionary()) c->user = dicToUser(*user.dictionaryPointer(), depth + 1);
    const Value& status = dic.objectRefForKey("status");
    if (status.isDictionary()) c->status = dicToStatus(*status.dictionaryPointer(), depth + 1);
    const Value& answered = dic.objectRefForKey("reply_comment");
    if (answered.isDictionary())
      c->replyComment = dicToComment(*answered.dictionaryPointer(), depth + 1);
  }
  return c;
}

CommentPtr ZizaJsonStatusParser::parseToComment(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  return dicToComment(*root.dictionaryPointer());
}

std::shared_ptr<NSStatusesInfo> ZizaJsonStatusParser::commentsPage(const NSDictionary& dic) {
  auto info = pageWithCursors(dic);
  const Value& comments = dic.objectRefForKey("comments");
  if (comments.isArray()) {
    CommentArray list;
    list.reserve(comments.count());
    for (const Value& item : *comments.arrayPointer())
      if (item.isDictionary()) list.push_back(dicToComment(*item.dictionaryPointer()));
    info->comments = std::move(list);
  }
  return info;
}

std::shared_ptr<NSStatusesInfo> ZizaJsonStatusParser::parseDicToCommentsInfo(
    std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  return commentsPage(*root.dictionaryPointer());
}

std::shared_ptr<NSStatusesInfo> ZizaJsonStatusParser::parseDicToRetweetsInfo(
    std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  const NSDictionary& dic = *root.dictionaryPointer();
  auto info = pageWithCursors(dic);
  fillStatuses(*info, dic, "reposts");
  return info;
}

std::optional<CommentArray> ZizaJsonStatusParser::parseDicToComments(std::string_view reply) {
  auto page = parseDicToCommentsInfo(reply);
  if (!page) return std::nullopt;
  return std::move(page->comments);
}

std::optional<CommentArray> ZizaJsonStatusParser::parseToComments(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return std::nullopt;
  auto page = commentsPage(*root.dictionaryPointer());
  if (page->comments && !page->comments->empty())
    page->comments->back()->cursorId = nextCursorText(*root.dictionaryPointer());
  return std::move(page->comments);
}

std::optional<StatusArray> ZizaJsonStatusParser::parseToRetweet(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return std::nullopt;
  NSStatusesInfo page;
  fillStatuses(page, *root.dictionaryPointer(), "reposts");
  if (page.statuses && !page.statuses->empty())
    page.statuses->back()->cursor_id = nextCursorText(*root.dictionaryPointer());
  return std::move(page.statuses);
}

int32_t ZizaJsonStatusParser::countOfCommentsInfo(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return 0;
  return intValue(*root.dictionaryPointer(), "total_number", 0);
}

std::optional<std::vector<Com_Ret_CountPtr>> ZizaJsonStatusParser::parseToCD_Count(
    std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isArray()) return std::nullopt;
  std::vector<Com_Ret_CountPtr> list;
  list.reserve(root.count());
  for (const Value& item : *root.arrayPointer()) {
    if (!item.isDictionary()) continue;
    const NSDictionary& dic = *item.dictionaryPointer();
    auto counts = std::make_shared<Com_Ret_Count>();
    counts->statusId = llValue(dic, "id", 0);
    // The counts are kept at the platform's 32-bit width.
    counts->retNum = static_cast<int32_t>(llValue(dic, "reposts", 0));
    counts->comNum = static_cast<int32_t>(llValue(dic, "comments", 0));
    list.push_back(std::move(counts));
  }
  return list;
}

ValueDictionary ZizaJsonStatusParser::parseToContent(std::string_view reply,
                                                     std::string_view savePath) {
  ValueDictionary result = makeDictionary();
  Value root = parseReply(reply);
  if (!root.isDictionary()) return result;
  const NSDictionary& dic = *root.dictionaryPointer();

  // Only the lower-case "adinfo" is the content reply's advert.
  const Value& ad = dic.objectRefForKey("adinfo");
  if (ad.isDictionary())
    result->setObject(Value(dicToAdInfo(*ad.dictionaryPointer())), kContentAdInfoKey);

  const Value& comments = dic.objectRefForKey("zizacomments");
  if (!comments.isDictionary()) return result;
  auto page = commentsPage(*comments.dictionaryPointer());
  if (!page->comments || page->comments->empty()) return result;
  result->setObject(Value(page), kContentCommentsKey);
  // The first comments page becomes the comment list's cache, as the server sent it.
  writeJSONFile(savePath, comments);
  return result;
}
