// Status lists, statuses and users.
#include <algorithm>
#include <iterator>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "Foundation/NSString.h"
#include "model/ParserValues.h"
#include "model/RecordValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

bool contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Byte offset of the character just before a byte offset (never splits a character).
size_t previousCharacter(std::string_view s, size_t pos) {
  if (pos == 0) return 0;
  size_t start = pos - 1;
  while (start > 0 && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80 && pos - start < 4)
    --start;
  size_t n;
  codePointAtByteOffset(s, start, &n);
  return start + n == pos ? start : pos - 1;
}

// The first of the bytes `Bytes` at or after `from`, or the text's size when there is none:
// sixteen bytes a step where the machine allows.
template <char... Bytes>
size_t findAnyOf(std::string_view text, size_t from) {
  const char* p = text.data();
  size_t i = from;
#if defined(__SSE2__)
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i hits = (_mm_cmpeq_epi8(v, _mm_set1_epi8(Bytes)) | ...);
    if (const int mask = _mm_movemask_epi8(hits)) return i + size_t(__builtin_ctz(unsigned(mask)));
  }
#endif
  while (i < text.size() && ((p[i] != Bytes) && ...)) ++i;
  return i;
}

// A buffer for building a record's text before it is copied into the record once: kept by
// the thread, so that building takes no allocation of its own.  Emptied on every call.
std::string& scratchText() {
  thread_local std::string scratch;
  scratch.clear();
  return scratch;
}

// `part`, a view into the bytes of `whole` (or empty), as a text sharing whole's storage.
RecordText sharedPart(const RecordText& whole, std::string_view part) {
  if (part.empty()) return RecordText();
  return whole.substr(size_t(part.data() - whole.data()), part.size());
}

constexpr std::string_view kSourceNote = "[来源";

constexpr KeySet kStatusKeys{"text",
                             "created_at",
                             "id",
                             "eid",
                             "source",
                             "favorited",
                             "truncated",
                             "in_reply_to_status_id",
                             "in_reply_to_user_id",
                             "in_reply_to_screen_name",
                             "thumbnail_pic",
                             "bmiddle_pic",
                             "original_pic",
                             "comments_count",
                             "reposts_count",
                             "likes_count",
                             "s_url_type",
                             "retweeted_status",
                             "deleted",
                             "user"};

constexpr KeySet kUserKeys{"id",
                           "name",
                           "screen_name",
                           "provice",
                           "city",
                           "location",
                           "description",
                           "profile_image_url",
                           "gender",
                           "followers_count",
                           "friends_count",
                           "statuses_count",
                           "favourites_count",
                           "following",
                           "verified",
                           "status"};

// The text without "<br />" marks and without CR and LF, in one pass: the text that removing
// the marks, then CR, then LF gives (a mark that only a removal forms stays in both).  A text
// with none of them is shared as it is.
RecordText withoutLineBreaks(RecordText whole) {
  constexpr std::string_view kMark = "<br />";
  const std::string_view text = whole;
  const auto plainEnd = [&](size_t i) { return findAnyOf<'<', '\r', '\n'>(text, i); };
  size_t stop = plainEnd(0);
  if (stop == text.size()) return whole;
  std::string& out = scratchText();
  for (size_t i = 0;;) {
    out.append(text, i, stop - i);
    i = stop;
    if (i == text.size()) break;
    if (text[i] != '<')
      ++i;
    else if (text.substr(i, kMark.size()) == kMark)
      i += kMark.size();
    else
      out += text[i++];
    stop = plainEnd(i);
  }
  return RecordText(out);
}

// The display text of an anchor source ("<a href=...>name</a>"): empty when no "</a>" follows
// its first tag; any other source as it is.
RecordText sourceText(RecordText source) {
  if (!contains(source, "<a href") && !contains(source, "<a target")) return source;
  const size_t open = source.find("\">");
  const size_t close = open == std::string_view::npos ? open : source.find("</a>", open + 2);
  if (close == std::string_view::npos) return RecordText();
  return std::move(source).substr(open + 2, close - open - 2);
}

// The thumbnail's address with its one "thumbnail" at `at` replaced, built in one allocation.
std::string withPictureSize(std::string_view thumbnail, size_t at, std::string_view size) {
  constexpr size_t kMark = std::string_view("thumbnail").size();
  std::string out;
  out.reserve(thumbnail.size() - kMark + size.size());
  out.append(thumbnail, 0, at).append(size).append(thumbnail.substr(at + kMark));
  return out;
}

// The larger pictures' addresses that the status lacks, from its thumbnail's.
void setLargerPictures(Status& status) {
  const RecordText& thumbnail = status.thumbnailPic;
  if (thumbnail.empty() || (!status.bmiddlePic.empty() && !status.originalPic.empty())) return;
  // An address names "thumbnail" once: one search serves both; any other goes the long way.
  const size_t at = thumbnail.find("thumbnail");
  const bool once =
      at == std::string::npos || thumbnail.find("thumbnail", at + 1) == std::string::npos;
  const auto sized = [&](std::string_view size) {
    if (at == std::string::npos) return thumbnail;
    return RecordText(once ? withPictureSize(thumbnail, at, size)
                           : stringByReplacingOccurrencesOfString(thumbnail, "thumbnail", size));
  };
  if (status.bmiddlePic.empty()) status.bmiddlePic = sized("bmiddle");
  if (status.originalPic.empty()) status.originalPic = sized("large");
}

// Appends `input` with its entities and escapes replaced to `out`, when it has any (true);
// otherwise leaves `out` as it was (false).
bool appendWithoutSpecialPunctuation(std::string& out, std::string_view input) {
  using Token = std::pair<std::string_view, std::string_view>;
  static constexpr Token kEntities[] = {
      {"&EUR$;", "€"},
      {"&pound;", "£"},
      {"&yuan;", "¥"},
      {"&dian;", "•"},
      {"&smile;", "^\u2006_\u2006^"},
  };
  static constexpr Token kEscapes[] = {
      {"%ef%bd%9e", "～"}, {"%ef%bc%81", "！"}, {"%ef%bf%a5", "￥"}, {"%e2%80%a6", "…"},
      {"%ef%bc%88", "（"}, {"%ef%bc%89", "）"}, {"%e2%80%94", "—"},  {"%ef%bc%9b", "；"},
      {"%ef%bc%9a", "："}, {"%e2%80%98", "‘"},  {"%e2%80%99", "’"},  {"%e2%80%9c", "“"},
      {"%e2%80%9d", "”"},  {"%e3%80%81", "、"}, {"%ef%bc%9f", "？"}, {"%e3%80%8a", "《"},
      {"%e3%80%8b", "》"}, {"%e3%80%82", "。"}, {"%ef%bc%8c", "，"}, {"%e3%80%90", "【"},
      {"%e3%80%91", "】"}, {"%ef%bc%bb", "［"}, {"%ef%bc%bd", "］"},
  };
  static constexpr auto kEntityKeys = firstsOf(kEntities);
  static constexpr auto kEscapeKeys = firstsOf(kEscapes);
  // An entity runs from '&' to its only ';'; an escape is three percent-encoded bytes.
  static constexpr size_t kLongestEntity = 7;
  static constexpr size_t kEscapeLength = 9;
  static_assert(std::ranges::all_of(kEntities, [](const Token& t) {
    return t.first.size() <= kLongestEntity && t.first.find(';') == t.first.size() - 1;
  }));
  static_assert(std::ranges::all_of(
      kEscapes, [](const Token& t) { return t.first.size() == kEscapeLength; }));

  // The token at the start of `rest` when it is one of the tables', else null.
  const auto tokenAt = [](std::string_view rest) -> const Token* {
    if (rest[0] == '&') {
      const size_t semicolon = rest.substr(0, kLongestEntity).find(';');
      if (semicolon == std::string_view::npos) return nullptr;
      const size_t i = kEntityKeys.indexOf(rest.substr(0, semicolon + 1));
      return i < std::size(kEntities) ? &kEntities[i] : nullptr;
    }
    const size_t i = kEscapeKeys.indexOf(rest.substr(0, kEscapeLength));
    return i < std::size(kEscapes) ? &kEscapes[i] : nullptr;
  };

  // The entities and the escapes can neither overlap one another nor be formed anew by a
  // replacement (they are ASCII, the replacements are not), so one pass over both markers
  // gives the same text as replacing the entities first and the escapes after them.
  size_t last = 0;
  for (size_t pos = findAnyOf<'&', '%'>(input, 0); pos < input.size();) {
    size_t skip = 1;
    if (const Token* token = tokenAt(input.substr(pos))) {
      out.append(input, last, pos - last);
      out.append(token->second);
      skip = token->first.size();
      last = pos + skip;
    }
    pos = findAnyOf<'&', '%'>(input, pos + skip);
  }
  if (last == 0) return false;
  out.append(input.substr(last));
  return true;
}

// The text with its entities and escapes replaced; shared as it is when it has none.
RecordText withoutSpecialPunctuation(RecordText text) {
  std::string& out = scratchText();
  if (!appendWithoutSpecialPunctuation(out, text)) return text;
  return RecordText(out);
}

}  // namespace

// ---- Statuses ----

StatusPtr ZizaJsonStatusParser::dicToStatus(const NSDictionary& dic) {
  return dicToStatus(dic, 0);
}

StatusPtr ZizaJsonStatusParser::dicToStatus(const NSDictionary& dic, int depth) {
  const RecordValues<kStatusKeys> v(dic);
  auto s = std::make_shared<Status>();
  const Value& text = v["text"];
  if (text.isString()) s->text = withoutSpecialPunctuation(RecordText::stringOf(text));
  s->createdAt = timeValue(v["created_at"], 0);
  s->statusId = int64Of(v["id"]);
  s->vorluId = int64Of(v["eid"]);
  // A number's text is no anchor.
  const Value& source = v["source"];
  s->source =
      source.isString() ? sourceText(RecordText::stringOf(source)) : RecordText::textOf(source);
  s->favorited = truthOf(v["favorited"]);
  s->truncated = truthOf(v["truncated"]);
  s->inReplyToStatusId = int64Of(v["in_reply_to_status_id"]);
  s->inReplyToUserId = int32Of(v["in_reply_to_user_id"]);
  s->inReplyToScreenName = textOf(v["in_reply_to_screen_name"]);
  s->thumbnailPic = RecordText::stringOf(v["thumbnail_pic"]);
  s->bmiddlePic = RecordText::stringOf(v["bmiddle_pic"]);
  s->originalPic = RecordText::stringOf(v["original_pic"]);
  s->commentsCount = intValue(v["comments_count"], 0);
  s->retweetsCount = intValue(v["reposts_count"], 0);
  s->likeCount = intValue(v["likes_count"], 0);
  s->httpLinkTypes = textOf(v["s_url_type"]);

  const Value& retweeted = v["retweeted_status"];
  if (retweeted.isDictionary() && depth < kMaxRecordDepth)
    s->retweetedStatus = dicToStatus(*retweeted.dictionaryPointer(), depth + 1);
  else
    setRepostImage(*s);

  const Value& deleted = v["deleted"];
  s->delected = deleted.isString() && deleted.string() == "1";

  const Value& user = v["user"];
  if (user.isDictionary() && depth < kMaxRecordDepth)
    s->user = dicToUser(*user.dictionaryPointer(), depth + 1);

  setLargerPictures(*s);
  return s;
}

void ZizaJsonStatusParser::toSetStatusURL(Status& status) {
  status.source = sourceText(status.source);
  setLargerPictures(status);
}

void ZizaJsonStatusParser::setRepostImage(Status& status) {
  const RecordText& t = status.text;
  size_t note = t.find(kSourceNote);
  if (note == std::string::npos || contains(t, "2/2 ")) return;
  size_t link = t.rfind("http://");
  if (link == std::string::npos || link <= note) return;
  std::string_view tail = std::string_view(t).substr(link);
  if (contains(tail, kSourceNote)) return;
  status.thumbnailPic =
      sharedPart(t, stringViewByTrimmingCharactersInSet(
                        tail, NSCharacterSet::whitespaceAndNewlineCharacterSet()));
  // The separator before the address (normally a space) goes with it.
  status.text = t.substr(0, previousCharacter(t, link));
}

std::string ZizaJsonStatusParser::stringReplaceSpecialPunctuation(std::string_view input) {
  std::string out;
  out.reserve(input.size());
  if (!appendWithoutSpecialPunctuation(out, input)) out = input;
  return out;
}

// ---- Users ----

UserPtr ZizaJsonStatusParser::dicToUser(const NSDictionary& dic) {
  return dicToUser(dic, 0);
}

UserPtr ZizaJsonStatusParser::dicToUser(const NSDictionary& dic, int depth) {
  const RecordValues<kUserKeys> v(dic);
  auto u = std::make_shared<User>();
  u->userId = int64Of(v["id"]);
  u->username = textOf(v["name"]);
  u->screenName = textOf(v["screen_name"]);
  u->province = textOf(v["provice"]);
  u->city = textOf(v["city"]);
  u->location = RecordText::textOf(v["location"]);
  const Value& description = v["description"];
  if (description.isString()) u->description = withoutLineBreaks(RecordText::stringOf(description));
  u->profileImageUrl = RecordText::textOf(v["profile_image_url"]);
  const Value& gender = v["gender"];
  if (gender.isString()) u->gender = gender.string() == "m" ? 1 : gender.string() == "f" ? 2 : 0;
  u->followersCount = int32Of(v["followers_count"]);
  u->friendsCount = int32Of(v["friends_count"]);
  u->statusesCount = int32Of(v["statuses_count"]);
  u->favouritesCount = int32Of(v["favourites_count"]);
  u->following = truthOf(v["following"]);
  u->verified = truthOf(v["verified"]);
  const Value& last = v["status"];
  if (last.isDictionary() && depth < kMaxRecordDepth)
    u->lastStatus = dicToStatus(*last.dictionaryPointer(), depth + 1);
  return u;
}

UserPtr ZizaJsonStatusParser::dicToSearchUser(const NSDictionary& dic) {
  auto u = std::make_shared<User>();
  u->userId = int64Of(dic, "to_user_id");
  u->username = textOf(dic.objectRefForKey("to_user"));
  u->screenName = u->username;
  u->profileImageUrl = RecordText::textOf(dic.objectRefForKey("profile_image_url"));
  return u;
}

// ---- Replies ----

std::optional<StatusArray> ZizaJsonStatusParser::parseToStatuses(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isArray()) return std::nullopt;
  StatusArray list;
  list.reserve(root.count());
  for (const Value& item : *root.arrayPointer())
    if (item.isDictionary()) list.push_back(dicToStatus(*item.dictionaryPointer()));
  return list;
}

std::optional<StatusArray> ZizaJsonStatusParser::parseToStatusArray(std::string_view reply) {
  return parseToStatuses(reply);
}

std::optional<StatusArray> ZizaJsonStatusParser::parseDicToStatuses(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return std::nullopt;
  NSStatusesInfo page;
  fillStatuses(page, *root.dictionaryPointer());
  return std::move(page.statuses);
}

std::shared_ptr<NSStatusesInfo> ZizaJsonStatusParser::pageWithCursors(const NSDictionary& dic) {
  auto info = std::make_shared<NSStatusesInfo>();
  info->previous_cursor = llValue(dic, "previous_cursor", 0);
  info->next_cursor = llValue(dic, "next_cursor", 0);
  info->total_number = intValue(dic, "total_number", 0);
  return info;
}

void ZizaJsonStatusParser::fillStatuses(NSStatusesInfo& info, const NSDictionary& dic,
                                        std::string_view key) {
  const Value& statuses = dic.objectRefForKey(key);
  if (!statuses.isArray()) return;
  StatusArray list;
  list.reserve(statuses.count());
  for (const Value& item : *statuses.arrayPointer())
    if (item.isDictionary()) list.push_back(dicToStatus(*item.dictionaryPointer()));
  info.statuses = std::move(list);
}

std::shared_ptr<NSStatusesInfo> ZizaJsonStatusParser::parseDicToStatusesInfo(
    std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  const NSDictionary& dic = *root.dictionaryPointer();
  auto info = pageWithCursors(dic);
  fillStatuses(*info, dic);
  return info;
}

std::shared_ptr<NSStatusesInfo> ZizaJsonStatusParser::parseDicToNormalStatusesInfo(
    std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  const NSDictionary& dic = *root.dictionaryPointer();
  auto info = pageWithCursors(dic);
  info->otherInfo = Value(llValue(dic, "query_id", 0));
  fillStatuses(*info, dic);
  const Value& sponsor = dic.objectRefForKey("SponsorDromel");
  if (sponsor.isDictionary() && info->statuses) {
    // The sponsor shows as the second item; on a shorter page it closes the list.
    StatusArray& list = *info->statuses;
    size_t at = std::min<size_t>(1, list.size());
    list.insert(list.begin() + at, dicToStatus(*sponsor.dictionaryPointer()));
  }
  return info;
}

std::optional<StatusArray> ZizaJsonStatusParser::parseDicToProductStatuses(std::string_view) {
  return std::nullopt;
}

StatusPtr ZizaJsonStatusParser::parseToStatus(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  return dicToStatus(*root.dictionaryPointer());
}

UserPtr ZizaJsonStatusParser::parseToUser(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  return dicToUser(*root.dictionaryPointer());
}

std::vector<UserPtr> ZizaJsonStatusParser::parseToSearchUserList(std::string_view reply) {
  Value root = parseReply(reply);
  std::vector<UserPtr> users;
  if (root.isArray()) {
    for (const Value& item : *root.arrayPointer())
      if (item.isDictionary()) users.push_back(dicToUser(*item.dictionaryPointer()));
  } else if (root.isDictionary()) {
    Value results = root.dictionary()->objectForKey("results");
    if (results.isArray())
      for (const Value& item : *results.arrayPointer())
        if (item.isDictionary()) users.push_back(dicToSearchUser(*item.dictionaryPointer()));
  }
  return users;
}
