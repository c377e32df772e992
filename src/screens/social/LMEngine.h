// The messaging-app sharing engine, least stand-in until the sharing screens are built: it
// registers the application under its messaging-app id (the bundle's first URL scheme), takes
// the URLs of that scheme as the messaging app's replies and hands them to the given delegate,
// and reports the requests and responses it is handed to the stand-in sink
// (ui/framework/StandInSink.h) as ("LMEngine", "onReq" or "onResp", the message).
#pragma once

#include <memory>
#include <string>

#include "Foundation/Value.h"

class NSURL;

// The messaging app's request/response delegate.
class LMApiDelegate {
 public:
  virtual ~LMApiDelegate() = default;
  virtual void onReq(const Value& /*request*/) {}
  virtual void onResp(const Value& /*response*/) {}
};

class LMEngine {
 public:
  static void registerEngine();
  // YES when the URL was a messaging-app reply (its scheme is the registered id) and was
  // handed to the delegate as a response.
  static bool handleOpenURL(const std::shared_ptr<NSURL>& url,
                            const std::weak_ptr<LMApiDelegate>& delegate);
  static void onReq(const Value& request);
  static void onResp(const Value& response);

  // The id registered with (empty before registerEngine).
  static std::string registeredAppId();
};
