// One section of the usage log: the reader's actions from a start of the app to its close, with
// the client key, the bound platform account, the network type and the times that identify
// it.  The sections live enciphered in <Library>/Log/log.txt (UIFilePath::getLogFilePath), in
// the format the content model writes (UsageLogFile); the dispatcher keeps the current
// section, feeds it the usage events and uploads it.
//
// A start within 60 seconds of the last stored action, while the log file is under 100,000
// bytes, carries on the last stored section (its close action dropped, so no close stands in
// the middle of a section); a later start, or a larger file, begins a new one.  Section ids are
// the start stamp "yyMMddHHmmss" followed by the close stamp: 24 characters for a section closed
// once, 23 (the start stamp cut to 11) once it was carried on and closed again, the form the log
// server knows.  Main thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/NSActonItem.h"

class NSSectionItem : public NSObject {
 public:
  // Usage codes of the start and close actions.
  static constexpr int32_t kStartCode = 901;
  static constexpr int32_t kCloseCode = 902;
  // A section goes on while its last action is younger than this and the file is smaller.
  static constexpr double kContinueSeconds = 60;
  static constexpr uintmax_t kMaxLogFileBytes = 100000;

  // The client key (the stored "registerClientKey" when none was set); nil until a close.
  const std::optional<std::string>& key() const { return key_; }
  void setKey(std::optional<std::string> key) { key_ = std::move(key); }
  // The bound platform account's user id; 0 when none.
  int64_t zizaId() const { return zizaId_; }
  void setZizaId(int64_t id) { zizaId_ = id; }
  // The network at the close: 2 Wi-Fi, 1 cellular (or unknown), 0 none.
  int32_t connType() const { return connType_; }
  void setConnType(int32_t type) { connType_ = type; }
  // "yyyy-MM-dd HH:mm:ss" of the close (or of the last submission).
  const std::optional<std::string>& submitTime() const { return submitTime_; }
  void setSubmitTime(std::optional<std::string> time) { submitTime_ = std::move(time); }
  const std::optional<std::string>& sId() const { return sId_; }
  void setSId(std::optional<std::string> id) { sId_ = std::move(id); }
  // In time order; the first is the start action.
  std::vector<NSActonItem>& actionsArray() { return actionsArray_; }
  const std::vector<NSActonItem>& actionsArray() const { return actionsArray_; }

  // At a start or a return from the background: true when a new section began (with its start
  // action), false when the last stored section was carried on.
  bool startApp();
  // At a close or on going to the background: stamps the section, adds the close action and
  // stores it (replacing its stored copy when it was carried on).
  void closeApp();

  // One action, timed now.  ",<type>".
  void addActionByType(int32_t type);
  // [code, params]: "<current channel>,<code>", element 1 (when present) as the parameters;
  // nothing for an empty list or anything that is not a list.
  void addAction(const Value& list);
  // [code, params] of a system event: "<code>,".
  void addSystemAction(const Value& list);

  // Whether the stored log may be uploaded now (its last section cannot go on any more); when
  // it may, every stored section is stamped with a new "SubmitTime".
  bool startSend();
  // Stores the section: appended, or in place of the stored section with the previous id.
  void writeLog(const std::optional<std::string>& previousId);
  // After the first `sent` actions went up: drops them, but for the start action, keeping what
  // was recorded since.  Nothing for an empty section.
  void clearActions(size_t sent);
  // After the whole file went up: the log becomes the empty log "[]".
  static void clearSections();

  // The bound platform account's user id ("" when none): the layer that owns the account
  // installs the reader at start-up; without one no account is recorded.
  static void setPlatformUserIdReader(std::function<std::string()> reader);

 private:
  void addAction(NSActonItem action);

  std::optional<std::string> key_;
  int64_t zizaId_ = 0;
  int32_t connType_ = 0;
  std::optional<std::string> submitTime_;
  std::optional<std::string> sId_;
  std::vector<NSActonItem> actionsArray_;
};
