// The usage-log file: sections and actions to and from their dictionaries, and the enciphered
// file that holds the unsent sections.
#include "Common/JXKit/NSArray+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "core/NSDesEncrypt.h"
#include "core/UIFilePath.h"
#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

constexpr std::string_view kTimeFormat = "yyyy-MM-dd HH:mm:ss";

void putText(NSDictionary& dic, std::string_view key, const std::optional<std::string>& text) {
  if (text) dic.setObject(Value(*text), key);
}

Value actionDictionary(const NSActonItem& a) {
  std::string sparams = a.sparams;
  if (sparams.empty()) {
    if (a.sId != 0) sparams = std::to_string(a.sId);
    if (a.rId != 0) sparams += "," + std::to_string(a.rId);
  }
  std::string type;
  if (a.channelType != 0) {
    type = std::to_string(a.channelType);
    if (a.subType != 0) type += "-" + std::to_string(a.subType);
    type += ",";
  } else {
    type = a.caType;
  }
  if (a.aType != 0) type += std::to_string(a.aType);
  return Value::dictionaryOf(
      {{"cTime", Value(a.cTime)}, {"sparams", Value(sparams)}, {"aType", Value(type)}});
}

ValueArray actionArray(const std::vector<NSActonItem>& actions) {
  std::vector<Value> items;
  items.reserve(actions.size());
  for (const NSActonItem& a : actions) items.push_back(actionDictionary(a));
  return makeArray(std::move(items));
}

// The file's deciphered JSON: nil when the file is missing, or when it holds no text (`empty`
// then tells the two apart).
Value readLog(std::string_view path, bool* empty = nullptr) {
  auto bytes = dataWithContentsOfFile(path);
  if (empty) *empty = !bytes || bytes->empty();
  if (!bytes || bytes->empty()) return {};
  return objectFromJSONString(NSDesEncrypt::tripleDES(*bytes, false));
}

// The file's array of sections as an array that can grow; empty for a file that holds none.
ValueArray sectionsOf(const Value& log) {
  return log.isArray() ? log.array()->mutableCopy() : makeArray();
}

void writeLog(std::string_view path, const ValueArray& sections) {
  Value json = JSONString(sections);
  if (!json.isString()) return;
  UIFilePath::writeFile(path, NSDesEncrypt::tripleDES(json.string(), true));
}

class ParserLogFile : public UsageLogFile {
 public:
  std::optional<std::vector<std::shared_ptr<NSSectionItem>>> parseSectionArray(
      const std::string& path) override {
    return ZizaJsonStatusParser::parseSectionArray(path);
  }
  void addLogInfo(const std::string& path, const NSSectionItem& section) override {
    ZizaJsonStatusParser::addLogInfo(path, section);
  }
  void modifyLogInfo(const std::string& path, const NSSectionItem& section,
                     const std::string& sectionId) override {
    ZizaJsonStatusParser::modifyLogInfo(path, section, sectionId);
  }
  bool updataSectionArray(const std::string& path, std::string_view key,
                          const Value& value) override {
    return ZizaJsonStatusParser::updataSectionArray(path, key, value);
  }
};

}  // namespace

ValueDictionary ZizaJsonStatusParser::reParserSection(const NSSectionItem& section) {
  auto dic = makeDictionary();
  putText(*dic, "Key", section.key());
  if (section.zizaId() != 0) dic->setObject(Value(std::to_string(section.zizaId())), "Id");
  putText(*dic, "sId", section.sId());
  dic->setObject(Value(section.connType()), "Conn");
  putText(*dic, "SubmitTime", section.submitTime());
  dic->setObject(Value(NSBundle::mainBundle()->localizedStringForKey("SERVER_VERSION", "")), "std");
  dic->setObject(Value(actionArray(section.actionsArray())), "Actionlogs");
  dic->setObject(Value(static_cast<long long>(section.actionsArray().size())), "total_number");
  return dic;
}

std::string ZizaJsonStatusParser::reParserActionArray(const std::vector<NSActonItem>& actions) {
  Value json = JSONString(actionArray(actions));
  return json.isString() ? std::string(json.string()) : "[]";
}

NSActonItem ZizaJsonStatusParser::parseAction(const NSDictionary& dic) {
  NSActonItem a;
  a.caType = strText(dic, "aType");
  a.cTime = strText(dic, "cTime");
  a.sparams = strText(dic, "sparams");
  NSDateFormatter formatter;
  formatter.setDateFormat(kTimeFormat);
  if (auto date = formatter.dateFromString(a.cTime))
    a.cTimeInt = NSDate::timeIntervalSince1970(*date);
  std::vector<std::string> parts = componentsSeparatedByString(a.sparams, ",");
  if (parts.size() == 2) {
    a.sId = Value(parts[0]).longLongValue();
    a.rId = Value(parts[1]).longLongValue();
  } else if (parts.size() == 1) {
    a.sId = Value(parts[0]).longLongValue();
  }
  return a;
}

namespace {

std::shared_ptr<NSSectionItem> sectionOf(const NSDictionary& dic, int64_t zizaId) {
  auto section = std::make_shared<NSSectionItem>();
  section->setKey(strText(dic, "Key"));
  section->setZizaId(zizaId);
  section->setConnType(intValue(dic, "Conn", 0));
  section->setSubmitTime(strText(dic, "SubmitTime"));
  section->setSId(strText(dic, "sId"));
  Value actions = dic.objectForKey("Actionlogs");
  if (actions.isArray()) {
    for (const Value& action : *actions.arrayPointer())
      if (action.isDictionary())
        section->actionsArray().push_back(
            ZizaJsonStatusParser::parseAction(*action.dictionaryPointer()));
  }
  return section;
}

}  // namespace

std::shared_ptr<NSSectionItem> ZizaJsonStatusParser::parseSection(std::string_view json) {
  Value parsed = parseReply(json);
  if (!parsed.isDictionary()) return nullptr;
  const NSDictionary& dic = *parsed.dictionaryPointer();
  return sectionOf(dic, Value(strText(dic, "Id")).longLongValue());
}

std::shared_ptr<NSSectionItem> ZizaJsonStatusParser::parseSectionByDic(const Value& dic) {
  if (!dic.isDictionary()) return nullptr;
  return sectionOf(*dic.dictionaryPointer(), llValue(*dic.dictionaryPointer(), "Id", 0));
}

std::optional<std::vector<std::shared_ptr<NSSectionItem>>> ZizaJsonStatusParser::parseSectionArray(
    std::string_view path) {
  Value log = readLog(path);
  if (!log.isArray()) return std::nullopt;
  std::vector<std::shared_ptr<NSSectionItem>> sections;
  for (const Value& element : *log.arrayPointer())
    if (auto section = parseSectionByDic(element)) sections.push_back(std::move(section));
  return sections;
}

std::shared_ptr<NSSectionItem> ZizaJsonStatusParser::parseSection(std::string_view path,
                                                                  int32_t index) {
  Value log = readLog(path);
  if (!log.isArray() || index < 0 || size_t(index) >= log.count()) return nullptr;
  return parseSectionByDic(log[size_t(index)]);
}

void ZizaJsonStatusParser::addLogInfo(std::string_view path, const NSSectionItem& section) {
  ValueArray sections = sectionsOf(readLog(path));
  sections->addObject(Value(reParserSection(section)));
  writeLog(path, sections);
}

void ZizaJsonStatusParser::modifyLogInfo(std::string_view path, const NSSectionItem& section,
                                         std::string_view sectionId) {
  bool empty = true;
  Value log = readLog(path, &empty);
  if (empty) return;
  ValueArray sections = sectionsOf(log);
  Value fresh(reParserSection(section));
  Value last = sections->lastObject();
  if (last.isDictionary() && strText(*last.dictionaryPointer(), "sId") == sectionId)
    sections->replaceObjectAtIndex(sections->count() - 1, fresh);
  else
    sections->addObject(fresh);
  writeLog(path, sections);
}

bool ZizaJsonStatusParser::updataSectionArray(std::string_view path, std::string_view key,
                                              const Value& value) {
  Value log = readLog(path);
  if (!log.isArray() || log.count() == 0) return false;
  auto stamped = makeArray();
  for (const Value& element : *log.arrayPointer()) {
    if (!element.isDictionary()) {
      stamped->addObject(element);
      continue;
    }
    ValueDictionary copy = element.dictionary()->mutableCopy();
    copy->setObject(value, key);
    stamped->addObject(Value(copy));
  }
  writeLog(path, stamped);
  return true;
}

std::shared_ptr<UsageLogFile> ZizaJsonStatusParser::usageLogFile() {
  return std::make_shared<ParserLogFile>();
}
