// The request dispatcher.  Screens never call a server operation themselves: they post a bus
// message (NSMsgSend) under "globe_request", and the dispatcher, on the main thread inside that
// post, checks connectivity, registers the message's sender and action as the receiver of the
// reply, calls the operation its type selects and records a usage event for the types that
// have one.  Usage events posted under "log_action" arrive here too.
//
// One table maps each request type to its operation (NSWeiBoNet.cpp); types whose operations are
// not built yet do nothing, as an unknown type does.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "UIKit/UIAlertView.h"
#include "core/RequestType.h"

class NSMsgSend;
class NSTimer;

class NSWeiBoNet : public NSObject, public UIAlertViewDelegate {
 public:
  // The shared dispatcher, created under a lock on first call; it subscribes to the bus then.
  static std::shared_ptr<NSWeiBoNet> getNetEngine();
  // A second creation is refused: nullptr once the instance exists.
  static std::shared_ptr<NSWeiBoNet> allocWithZone();
  ~NSWeiBoNet() override;

  // Ids of the statuses marked as favourite and of the liked items.
  std::vector<std::string>& favoriteList() { return favoriteList_; }
  std::vector<std::string>& goodList() { return goodList_; }

  // "globe_request": the dispatch.  Takes the notification as the bus delivers it.
  void mainRequest(const Value& notification);
  // The same for a message in hand (what mainRequest does after unpacking it).
  void dispatch(const std::shared_ptr<NSMsgSend>& msg);

  // A usage event: a "log_action" notification, or an array [code, detail] of the dispatcher's
  // own records.
  void logAction(const Value& notificationOrArray);
  // Where usage events go: the usage log installs its recorder here.  Until it does, events
  // are read and dropped.
  using UsageRecorder = std::function<void(int32_t code, const Value& detail)>;
  void setUsageRecorder(UsageRecorder recorder) { usageRecorder_ = std::move(recorder); }
  // The 60-second usage-log check.
  void logTime(const Value& timer = {});
  // Where the 60-second check goes until the usage log takes it over.
  void setLogTimeHandler(std::function<void()> handler) { logTimeHandler_ = std::move(handler); }

  // Type 3: drops the platform clients' pending replies and stops the busy overlay.
  void clearNoti();
  void cancelEngine();
  // Type 121: the client's single request.
  void cancelNormal();
  // Every request of the client.
  void cancel();
  // Starts the platform login.
  void startLoginWeiBo();

  // Whether a request of the type reaches an operation (an unknown type, or one whose
  // operation comes later, does nothing).
  static bool handlesType(RequestType type);

  NSWeiBoNet() = default;

 private:
  void init();
  // The usage record of a dispatched request: [code] or [code, detail].
  void record(int32_t code, const Value& detail = {});

  std::vector<std::string> favoriteList_;
  std::vector<std::string> goodList_;
  std::shared_ptr<NSTimer> logTimer_;
  UsageRecorder usageRecorder_;
  std::function<void()> logTimeHandler_;
};
