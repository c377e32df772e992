// The engine's request with the server clients' reply route: the receiver and action that the
// finished request's result goes to (the owner that acts as engine delegate hands it over;
// the request never calls it), a tag by which the owner finds it again to cancel it or to
// silence a late reply, and caller data that a download carries back to its caller.
#pragma once

#include <memory>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "net/http/HXHTTPRequest.h"

class NSURL;

class NSHxHttpRequest : public HXHTTPRequest {
 public:
  // initWithURL: a new wrapper starts with needPromptSelf set; owners turn it off where no
  // busy overlay belongs to the request.
  NSHxHttpRequest(Private, std::shared_ptr<NSURL> url);
  static std::shared_ptr<NSHxHttpRequest> requestWithURL(std::shared_ptr<NSURL> url);
  // A request for base URL + path + the query of the parameters (none without a dictionary).
  // The server-group number (1 content, 2 post, 3 account, 4 log, 0 none) changes nothing.
  static std::shared_ptr<NSHxHttpRequest> initRequestDNS(std::string_view path,
                                                         const ValueDictionary& parameters,
                                                         std::string_view serverUrl, int netType);

  // Clears the route first, so that the receiver is never reached afterwards, then clears the
  // engine delegates and cancels.
  void clearDelegatesAndCancel();

  const Selector& actionString() const { return actionString_; }
  void setActionString(Selector action) { actionString_ = std::move(action); }
  std::shared_ptr<NSObject> clientdelegate() const { return clientdelegate_.lock(); }
  const std::weak_ptr<NSObject>& clientdelegateRef() const { return clientdelegate_; }
  void setClientdelegate(std::weak_ptr<NSObject> receiver) {
    clientdelegate_ = std::move(receiver);
  }
  int mtag() const { return mtag_; }
  void setMtag(int tag) { mtag_ = tag; }
  const Value& localInfo() const { return localInfo_; }
  void setLocalInfo(Value info) { localInfo_ = std::move(info); }

 protected:
  std::shared_ptr<HXHTTPRequest> newRequestOfSameClass(std::shared_ptr<NSURL> url) const override;

 private:
  Selector actionString_;
  std::weak_ptr<NSObject> clientdelegate_;
  int mtag_ = 0;
  Value localInfo_;
};
