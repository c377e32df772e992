// A download that carries the table row it is for: screens set the index path, a finish
// selector, the delegate and a download destination, add it to their queue and read the row
// back when it finishes.  It adds nothing to the request's behaviour.
#pragma once

#include <memory>

#include "Foundation/NSIndexPath.h"
#include "net/http/HXHTTPRequest.h"

class HXDownloadFile : public HXHTTPRequest {
 public:
  using HXHTTPRequest::HXHTTPRequest;
  static std::shared_ptr<HXDownloadFile> requestWithURL(std::shared_ptr<NSURL> url);

  const NSIndexPath& indexPath() const { return indexPath_; }
  void setIndexPath(NSIndexPath indexPath) { indexPath_ = indexPath; }
  // Free for the creator.
  int type() const { return type_; }
  void setType(int type) { type_ = type; }

 protected:
  std::shared_ptr<HXHTTPRequest> newRequestOfSameClass(std::shared_ptr<NSURL> url) const override;

 private:
  NSIndexPath indexPath_;
  int type_ = 0;
};
