// A request that downloads a picture to its destination path and, once it has arrived, lets
// the picture category rewrite the file in a smaller form before the finish is reported.  It
// reports its finish to the delegate's finish selector and to its queue only (no closure).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "net/http/HXHTTPRequest.h"

class HXImageDownload : public HXHTTPRequest {
 public:
  using Recompressor = std::function<void(const std::string& path)>;

  using HXHTTPRequest::HXHTTPRequest;
  static std::shared_ptr<HXImageDownload> requestWithURL(std::shared_ptr<NSURL> url);

  // How a downloaded picture file is rewritten: the picture category registers its
  // recompression (load the picture at the path; when it loads, rewrite the file).  Without
  // one the file stays as it arrived.
  static void setRecompressor(Recompressor recompressor);

 protected:
  std::shared_ptr<HXHTTPRequest> newRequestOfSameClass(std::shared_ptr<NSURL> url) const override;
  void requestFinished() override;
};
