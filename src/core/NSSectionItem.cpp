#include "core/NSSectionItem.h"

#include <sys/stat.h>

#include "Foundation/NSDate.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSGlobe.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "core/UsageLogFile.h"

namespace {

constexpr std::string_view kStampFormat = "yyMMddHHmmss";
constexpr std::string_view kTimeFormat = "yyyy-MM-dd HH:mm:ss";
// The text form a stored close action reads back with.
constexpr std::string_view kStoredCloseText = "902,";
// A section id this long was closed before and carried on; it keeps this much of its start.
constexpr size_t kClosedIdLength = 13;
constexpr size_t kCarriedIdLength = 11;

std::function<std::string()>& platformUserIdReader() {
  static std::function<std::string()> reader;
  return reader;
}

std::string formatDate(NSDateValue date, std::string_view pattern) {
  NSDateFormatter formatter;
  formatter.setDateFormat(pattern);
  return formatter.stringFromDate(date);
}

NSActonItem actionAt(NSDateValue date) {
  NSActonItem action;
  action.cTime = formatDate(date, kTimeFormat);
  action.cTimeInt = NSDate::timeIntervalSince1970(date);
  return action;
}

uintmax_t fileSize(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 ? uintmax_t(st.st_size) : 0;
}

std::vector<std::shared_ptr<NSSectionItem>> storedSections(const std::string& path) {
  auto file = UsageLogFile::current();
  if (!file) return {};
  return file->parseSectionArray(path).value_or(std::vector<std::shared_ptr<NSSectionItem>>());
}

// Whether the stored log ends in a section that may still go on at `now`.
const NSSectionItem* sectionGoingOn(const std::vector<std::shared_ptr<NSSectionItem>>& sections,
                                    const std::string& path, NSDateValue now) {
  if (sections.empty() || !sections.back() || sections.back()->actionsArray().empty())
    return nullptr;
  const NSActonItem& last = sections.back()->actionsArray().back();
  double age = NSDate::timeIntervalSince1970(now) - last.cTimeInt;
  if (age < NSSectionItem::kContinueSeconds && fileSize(path) < NSSectionItem::kMaxLogFileBytes)
    return sections.back().get();
  return nullptr;
}

bool isCloseAction(const NSActonItem& action) {
  return action.channelType == NSSectionItem::kCloseCode || action.caType == kStoredCloseText;
}

// The network type as the content-server client reads it ("1" Wi-Fi, "0" cellular, "-1" none,
// "" otherwise), plus one.
int32_t connectionType() {
  switch (NSGlobe::getEngine()->curNetStatus()) {
    case 1:
      return 2;
    case 2:
      return 1;
    case 0:
      return 0;
    default:
      return 1;
  }
}

}  // namespace

void NSSectionItem::setPlatformUserIdReader(std::function<std::string()> reader) {
  platformUserIdReader() = std::move(reader);
}

bool NSSectionItem::startApp() {
  NSDateValue now = NSDate::date();
  sId_ = formatDate(now, kStampFormat);
  std::string path = UIFilePath::getLogFilePath();
  auto sections = storedSections(path);
  if (const NSSectionItem* last = sectionGoingOn(sections, path, now)) {
    sId_ = last->sId_;
    key_ = last->key_;
    zizaId_ = last->zizaId_;
    submitTime_ = last->submitTime_;
    connType_ = last->connType_;
    std::vector<NSActonItem> actions = last->actionsArray_;
    // Only a close action goes: after a crash the last stored action is a real one.
    if (isCloseAction(actions.back())) actions.pop_back();
    actionsArray_ = std::move(actions);
    return false;
  }
  NSActonItem start = actionAt(now);
  start.channelType = kStartCode;
  actionsArray_.push_back(std::move(start));
  return true;
}

void NSSectionItem::closeApp() {
  NSDateValue now = NSDate::date();
  std::string closeStamp = formatDate(now, kStampFormat);
  std::optional<std::string> previousId;
  std::string id = sId_.value_or("");
  if (id.size() >= kClosedIdLength) {
    previousId = id;
    id.resize(kCarriedIdLength);
  }
  sId_ = id + closeStamp;
  if (!key_) {
    Value stored = NSUserDefaults::standardUserDefaults()->objectForKey(kRegisterClientKey);
    if (stored.isString()) key_ = stored.string();
  }
  if (auto& reader = platformUserIdReader()) {
    std::string userId = reader();
    if (!userId.empty()) zizaId_ = Value(userId).longLongValue();
  }
  submitTime_ = formatDate(now, kTimeFormat);
  connType_ = connectionType();
  NSActonItem close = actionAt(now);
  close.channelType = kCloseCode;
  actionsArray_.push_back(std::move(close));
  writeLog(previousId);
}

void NSSectionItem::addAction(NSActonItem action) {
  actionsArray_.push_back(std::move(action));
}

void NSSectionItem::addActionByType(int32_t type) {
  NSActonItem action = actionAt(NSDate::date());
  action.caType = "," + std::to_string(type);
  addAction(std::move(action));
}

void NSSectionItem::addAction(const Value& list) {
  if (!list.isArray() || list.count() == 0) return;
  NSActonItem action = actionAt(NSDate::date());
  action.caType = NSGlobe::getEngine()->curChannel() + "," + list[0].description();
  if (list.count() > 1) action.sparams = textOf(list[1]);
  addAction(std::move(action));
}

void NSSectionItem::addSystemAction(const Value& list) {
  if (!list.isArray() || list.count() == 0) return;
  NSActonItem action = actionAt(NSDate::date());
  action.caType = list[0].description() + ",";
  if (list.count() > 1) action.sparams = textOf(list[1]);
  addAction(std::move(action));
}

bool NSSectionItem::startSend() {
  NSDateValue now = NSDate::date();
  std::string path = UIFilePath::getLogFilePath();
  if (sectionGoingOn(storedSections(path), path, now)) return false;
  auto file = UsageLogFile::current();
  return file && file->updataSectionArray(path, "SubmitTime", Value(formatDate(now, kTimeFormat)));
}

void NSSectionItem::writeLog(const std::optional<std::string>& previousId) {
  auto file = UsageLogFile::current();
  if (!file) return;
  std::string path = UIFilePath::getLogFilePath();
  if (previousId)
    file->modifyLogInfo(path, *this, *previousId);
  else
    file->addLogInfo(path, *this);
}

void NSSectionItem::clearActions(size_t sent) {
  if (actionsArray_.empty() || sent <= 1) return;
  auto end = actionsArray_.begin() + ptrdiff_t(std::min(sent, actionsArray_.size()));
  actionsArray_.erase(actionsArray_.begin() + 1, end);
}

void NSSectionItem::clearSections() {
  UIFilePath::writeFile(UIFilePath::getLogFilePath(), "[]");
}
