#include "model/NSLoginData.h"

#include "model/NSLoginDB.h"

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

std::shared_ptr<NSLoginData> NSLoginData::readFromDB() {
  if (auto stored = NSLoginDB::getData()) return stored;
  return std::make_shared<NSLoginData>();
}

void NSLoginData::setDicStr() {
  if (!mDic) return;
  mDicStr.clear();
  bool first = true;
  mDic->enumerate([&](const std::string& key, const Value& value) {
    if (value.isNil()) return;
    if (!first) mDicStr += ';';
    mDicStr += value.description() + "|" + key;
    first = false;
  });
}

void NSLoginData::parseDicStr() {
  if (mDicStr.empty()) return;
  mDic = makeDictionary();
  for (std::string_view part : split(mDicStr, ';')) {
    if (part.empty()) continue;
    auto pieces = split(part, '|');
    if (pieces.size() != 2) continue;
    mDic->setObject(Value(std::string(pieces[0])), pieces[1]);
  }
}
