// The engine's form request with a tag, by which the server clients find a queued form again
// to cancel it.  Its reply route is the form request's own receiver and action.
#pragma once

#include <memory>
#include <string_view>

#include "Foundation/Value.h"
#include "net/http/HXFormDataRequest.h"

class NSURL;

class NSAsiFormDataRequest : public HXFormDataRequest {
 public:
  NSAsiFormDataRequest(Private, std::shared_ptr<NSURL> url);
  static std::shared_ptr<NSAsiFormDataRequest> requestWithURL(std::shared_ptr<NSURL> url);
  // A form for base URL + path + the query of the parameters (none without a dictionary); the
  // caller adds the form fields.  The server-group number changes nothing.
  static std::shared_ptr<NSAsiFormDataRequest> initRequestDNS(std::string_view path,
                                                              const ValueDictionary& parameters,
                                                              std::string_view serverUrl,
                                                              int netType);
  // A POST of the parameters: "keys" and "std" travel in the query, every other parameter is a
  // form field.
  static std::shared_ptr<NSAsiFormDataRequest> formPost(std::string_view path,
                                                        const ValueDictionary& parameters,
                                                        std::string_view serverUrl, int netType);

  // Clears the route first, then the engine delegates, and cancels.
  void clearDelegatesAndCancel();

  int mtag() const { return mtag_; }
  void setMtag(int tag) { mtag_ = tag; }

 protected:
  std::shared_ptr<HXHTTPRequest> newRequestOfSameClass(std::shared_ptr<NSURL> url) const override;

 private:
  int mtag_ = 0;
};
