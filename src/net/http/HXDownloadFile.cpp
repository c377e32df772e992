#include "net/http/HXDownloadFile.h"

std::shared_ptr<HXDownloadFile> HXDownloadFile::requestWithURL(std::shared_ptr<NSURL> url) {
  return std::make_shared<HXDownloadFile>(Private{}, std::move(url));
}

std::shared_ptr<HXHTTPRequest> HXDownloadFile::newRequestOfSameClass(
    std::shared_ptr<NSURL> url) const {
  return requestWithURL(std::move(url));
}
