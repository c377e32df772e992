// Edits of cached list replies: merging new pages, inserting, updating and removing items.
// The cached JSON is edited as it stands, never rebuilt from records, so keys the records do
// not know (adverts, query ids) survive every edit.
#include "Foundation/NSFileManager.h"
#include "core/UIFilePath.h"
#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

constexpr size_t kMaxCachedItems = 1000;
constexpr size_t kPageSize = 20;
// A cached list grows by appending only while it holds fewer items than this.
constexpr size_t kAppendLimit = 100;

// The cached reply as a dictionary that can be changed; empty when the text is missing or is
// not a JSON dictionary.
ValueDictionary editableReply(std::optional<std::string_view> text) {
  Value parsed = text ? parseReply(*text) : Value();
  if (parsed.isDictionary()) return parsed.dictionary()->mutableCopy();
  return makeDictionary();
}

// The items of the array under the key; none when it is missing or no array.
std::vector<Value> itemsOf(const NSDictionary& dic, std::string_view key) {
  Value list = dic.objectForKey(key);
  return list.isArray() ? list.array()->toVector() : std::vector<Value>();
}

enum class MergeRules {
  // Content-server pages: no cache yet takes the reply as it is, an empty page changes
  // nothing, and the list keeps whole pages.
  ContentServer,
  // Platform pages.
  Platform,
};

void mergePage(std::string_view path, std::optional<std::string_view> old, std::string_view reply,
               bool prepend, std::string_view listKey, MergeRules rules) {
  const bool server = rules == MergeRules::ContentServer;
  if (server && !old) {
    if (!reply.empty()) UIFilePath::writeFile(path, reply);
    return;
  }
  ValueDictionary cached = editableReply(old);
  std::vector<Value> items = itemsOf(*cached, listKey);
  if (!prepend && items.size() >= kAppendLimit) return;

  Value page = parseReply(reply);
  std::vector<Value> fresh =
      page.isDictionary() ? itemsOf(*page.dictionaryPointer(), listKey) : std::vector<Value>();
  if (server && fresh.empty()) return;

  if (prepend)
    items.insert(items.begin(), fresh.begin(), fresh.end());
  else
    items.insert(items.end(), fresh.begin(), fresh.end());

  // Only the cursor on the side the page was added moves; a page without it leaves it.
  std::string_view cursorKey = prepend ? "previous_cursor" : "next_cursor";
  Value cursor = page[cursorKey];
  if (!cursor.isNil()) cached->setObject(cursor, cursorKey);

  size_t keep = items.size();
  if (keep > kMaxCachedItems)
    keep = kMaxCachedItems;
  else if (server)
    keep -= keep % kPageSize;
  items.resize(keep);

  cached->setObject(Value(makeArray(std::move(items))), listKey);
  cached->setObject(Value(static_cast<int64_t>(keep)), "total_number");
  writeJSONFile(path, Value(cached));
}

// Sets (or, for a nil value, removes) one key of the first status whose id key reads as the id.
void updateItem(int64_t itemId, std::string_view idKey, std::string_view key, const Value& newValue,
                std::string_view path) {
  if (path.empty() || !NSFileManager::defaultManager().fileExistsAtPath(path)) return;
  auto text = dataWithContentsOfFile(path);
  if (!text) return;
  Value parsed = parseReply(*text);
  if (!parsed.isDictionary()) return;
  ValueDictionary cached = parsed.dictionary()->mutableCopy();
  std::vector<Value> items = itemsOf(*cached, "statuses");
  for (Value& item : items) {
    if (!item.isDictionary() || int64Of(*item.dictionaryPointer(), idKey) != itemId) continue;
    ValueDictionary changed = item.dictionary()->mutableCopy();
    if (newValue.isNil())
      changed->removeObjectForKey(key);
    else
      changed->setObject(newValue, key);
    item = Value(changed);
    cached->setObject(Value(makeArray(std::move(items))), "statuses");
    writeJSONFile(path, Value(cached));
    return;
  }
}

}  // namespace

void ZizaJsonStatusParser::addInArray(std::string_view path, std::optional<std::string_view> old,
                                      std::string_view reply, bool isInPre) {
  mergePage(path, old, reply, isInPre, "statuses", MergeRules::ContentServer);
}

void ZizaJsonStatusParser::addInZizaArray(std::string_view path,
                                          std::optional<std::string_view> old,
                                          std::string_view reply, bool isInPre) {
  mergePage(path, old, reply, isInPre, "statuses", MergeRules::Platform);
}

void ZizaJsonStatusParser::addInZizaComment(std::string_view path,
                                            std::optional<std::string_view> old,
                                            std::string_view reply, bool isInPre) {
  mergePage(path, old, reply, isInPre, "comments", MergeRules::Platform);
}

void ZizaJsonStatusParser::addInComment(std::string_view path, std::string_view comment) {
  if (comment.empty()) return;
  // A comment that is not JSON would put a broken item in front of the list.
  Value first = parseReply(comment);
  if (first.isNil()) return;
  ValueDictionary cached = editableReply(dataWithContentsOfFile(path));
  std::vector<Value> items = itemsOf(*cached, "comments");
  items.insert(items.begin(), std::move(first));
  cached->setObject(Value(makeArray(std::move(items))), "comments");
  writeJSONFile(path, Value(cached));
}

void ZizaJsonStatusParser::updateStatus(int64_t statusId, std::string_view key,
                                        const Value& newValue, std::string_view path) {
  updateItem(statusId, "id", key, newValue, path);
}

void ZizaJsonStatusParser::updateProduct(int64_t itemId, std::string_view key,
                                         const Value& newValue, std::string_view path) {
  updateItem(itemId, "Id", key, newValue, path);
}

void ZizaJsonStatusParser::removeInArray(std::string_view path, std::optional<std::string_view> old,
                                         int32_t row) {
  ValueDictionary cached = editableReply(old);
  std::vector<Value> items = itemsOf(*cached, "statuses");
  if (row < 0 || static_cast<size_t>(row) >= items.size()) return;
  items.erase(items.begin() + row);
  cached->setObject(Value(makeArray(std::move(items))), "statuses");
  writeJSONFile(path, Value(cached));
}

void ZizaJsonStatusParser::modifyAdInfo(std::string_view path, std::optional<std::string_view> old,
                                        std::string_view reply) {
  Value page = parseReply(reply);
  if (!page.isDictionary() || !old) return;
  Value parsed = parseReply(*old);
  if (!parsed.isDictionary()) return;
  ValueDictionary cached = parsed.dictionary()->mutableCopy();
  Value ad = page["adInfo"];
  if (ad.isNil())
    cached->removeObjectForKey("adInfo");
  else
    cached->setObject(ad, "adInfo");
  writeJSONFile(path, Value(cached));
}
