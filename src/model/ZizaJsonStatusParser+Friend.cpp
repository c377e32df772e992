// Friend lists, topics and recommended channels.
#include <string>
#include <utility>

#include "core/RequestType.h"
#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

// Where a request's reply is cached, as start-up installs it.
ZizaJsonStatusParser::RequestLocalPath& requestLocalPath() {
  static ZizaJsonStatusParser::RequestLocalPath resolver;
  return resolver;
}

// The group as its own request (recommended accounts of one group) would have cached it: a
// one-element array at the path of the group's first page of 20.
void writeGroupCache(const Value& group) {
  const auto& resolver = requestLocalPath();
  if (!resolver) return;
  const NSDictionary& dic = *group.dictionaryPointer();
  Value param =
      Value::arrayOf({Value(std::to_string(intValue(dic, "id", 0))), Value("1"), Value("20")});
  // A failed write only costs the cache.
  if (auto path = resolver(RequestType::Suggestions, param)) {
    writeJSONFile(*path, Value(makeArray({group})));
  }
}

void appendGroupUsers(NSIdollist& list, const NSDictionary& group) {
  Value users = group.objectForKey("user");
  if (!users.isArray()) return;
  for (auto& friendItem :
       mapDictionaries(*users.arrayPointer(), ZizaJsonStatusParser::dictoUserFriend)) {
    list.info.push_back(std::move(friendItem));
  }
}

}  // namespace

void ZizaJsonStatusParser::setRequestLocalPath(RequestLocalPath resolver) {
  requestLocalPath() = std::move(resolver);
}

std::shared_ptr<NSFriendItem> ZizaJsonStatusParser::dictoFriend(const NSDictionary& dic) {
  auto item = std::make_shared<NSFriendItem>();
  item->fansnum = int32Of(dic, "followers_count");
  item->head = dic.objectForKey("profile_image_url").description();
  item->idolnum = int32Of(dic, "friends_count");
  item->isidol = boolValue(dic, "following", false);
  item->isvip = boolValue(dic, "verified", false);
  item->name = textOf(dic.objectForKey("name"));
  item->nick = textOf(dic.objectForKey("screen_name"));
  return item;
}

std::shared_ptr<NSFriendItem> ZizaJsonStatusParser::dictoUserFriend(const NSDictionary& dic) {
  auto item = std::make_shared<NSFriendItem>();
  item->fansnum = int32Of(dic, "followers_count");
  item->head = dic.objectForKey("profile_image_url").description();
  item->userId = llValue(dic, "id", 0);
  item->isvip = boolValue(dic, "verified", false);
  item->name = textOf(dic.objectForKey("name"));
  item->nick = textOf(dic.objectForKey("screen_name"));
  item->channelid = intValue(dic, "channelid", 0);
  item->description = strText(dic, "description");
  item->statuses_count = llValue(dic, "statuses_count", 0);
  return item;
}

std::shared_ptr<NSIdollist> ZizaJsonStatusParser::parseToFiles(std::string_view reply) {
  Value groups = parseReply(reply);
  if (!groups.isArray()) return nullptr;
  auto list = std::make_shared<NSIdollist>();
  list->hasnext = int32_t(groups.count());
  const bool severalGroups = groups.count() >= 2;
  for (const Value& group : *groups.arrayPointer()) {
    if (!group.isDictionary()) continue;
    if (severalGroups) writeGroupCache(group);
    appendGroupUsers(*list, *group.dictionaryPointer());
  }
  return list;
}

std::shared_ptr<NSIdollist> ZizaJsonStatusParser::parseToClientFriend(std::string_view reply) {
  Value groups = parseReply(reply);
  Value group = groups.isArray() ? groups[0] : Value();
  if (!group.isDictionary() || !group["user"].isArray()) return nullptr;
  auto list = std::make_shared<NSIdollist>();
  appendGroupUsers(*list, *group.dictionaryPointer());
  return list;
}

std::shared_ptr<NSIdollist> ZizaJsonStatusParser::parseToFriend(std::string_view reply) {
  Value page = parseReply(reply);
  Value users = page["users"];
  if (!users.isArray()) return nullptr;
  auto list = std::make_shared<NSIdollist>();
  list->info = mapDictionaries(*users.arrayPointer(), dictoFriend);
  list->hasnext = intValue(*page.dictionaryPointer(), "next_cursor", 0);
  return list;
}

bool ZizaJsonStatusParser::isFriends(std::string_view reply) {
  Value source = parseReply(reply)["source"];
  return source.isDictionary() && boolValue(*source.dictionaryPointer(), "followed_by", false);
}

std::optional<std::vector<int64_t>> ZizaJsonStatusParser::parseToFavorites(std::string_view reply) {
  Value favorites = parseReply(reply);
  if (!favorites.isArray()) return std::nullopt;
  return mapDictionaries(*favorites.arrayPointer(),
                         [](const NSDictionary& entry) { return llValue(entry, "id", 0); });
}

std::shared_ptr<Topic> ZizaJsonStatusParser::dicToTopic(const NSDictionary& dic) {
  auto topic = std::make_shared<Topic>();
  topic->name = strText(dic, "name");
  topic->query = strText(dic, "query");
  topic->amount = intValue(dic, "amount", 0);
  topic->delta = intValue(dic, "delta", 0);
  return topic;
}

std::shared_ptr<NSTopic> ZizaJsonStatusParser::dicToNSTopic(const NSDictionary& dic) {
  auto topic = std::make_shared<NSTopic>();
  topic->name = strText(dic, "c_topic_name");
  topic->query = strText(dic, "c_note");
  topic->readAmount = llValue(dic, "c_cnt_read", 0);
  topic->amount = llValue(dic, "c_cnt", 0);
  topic->topicId = llValue(dic, "Id", 0);
  topic->img = strText(dic, "c_img");
  topic->c_intro = strText(dic, "c_intro");
  return topic;
}

std::optional<std::vector<std::shared_ptr<Topic>>> ZizaJsonStatusParser::parseToClientTrends(
    std::string_view reply) {
  Value names = parseReply(reply);
  if (!names.isArray()) return std::nullopt;
  std::vector<std::shared_ptr<Topic>> topics;
  for (const Value& name : *names.arrayPointer()) {
    if (!name.isString() && !name.isNumber()) continue;
    auto topic = std::make_shared<Topic>();
    topic->name = textOf(name);
    topics.push_back(std::move(topic));
  }
  return topics;
}

std::vector<std::shared_ptr<Topic>> ZizaJsonStatusParser::parseToTrends(std::string_view reply) {
  std::vector<std::shared_ptr<Topic>> topics;
  Value trends = parseReply(reply)["trends"];
  if (!trends.isDictionary()) return topics;
  trends.dictionary()->enumerate([&topics](const std::string& key, const Value& dayTrends) {
    if (key == "as_of" || !dayTrends.isArray()) return;
    for (auto& topic : mapDictionaries(*dayTrends.arrayPointer(), dicToTopic)) {
      topics.push_back(std::move(topic));
    }
  });
  return topics;
}

std::shared_ptr<NSStatusesInfo> ZizaJsonStatusParser::parseDicToTopicList(std::string_view reply) {
  Value topicList = parseReply(reply)["TopicList"];
  if (!topicList.isArray()) return nullptr;
  auto info = std::make_shared<NSStatusesInfo>();
  info->topics = mapDictionaries(*topicList.arrayPointer(), dicToNSTopic);
  info->total_number = int32_t(topicList.count());
  return info;
}

std::optional<std::vector<std::shared_ptr<NSReChannelItem>>>
ZizaJsonStatusParser::parseToChannelArray(std::string_view reply) {
  Value channels = parseReply(reply)["channels"];
  if (!channels.isArray()) return std::nullopt;
  return mapDictionaries(*channels.arrayPointer(), [](const NSDictionary& dic) {
    auto channel = std::make_shared<NSReChannelItem>();
    channel->description = strText(dic, "description");
    channel->setChannelid(intValue(dic, "id", 0));
    channel->name = strText(dic, "name");
    channel->sortOrder = intValue(dic, "sortOrder", 0);
    return channel;
  });
}
