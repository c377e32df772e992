// The feed item view's pictures: the cache, downloads and their finish handlers, restarts and
// stops, the GIF badge, fitting pictures for display, and the link and name tests.
#include <algorithm>
#include <cctype>

#include "Common/Additions/UIImage+Additions.h"
#include "Common/Additions/UIImage+Scale.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "core/NSGlobe.h"
#include "core/UIFilePath.h"
#include "model/NSProduct.h"
#include "net/api/ClientRequest.h"
#include "net/http/HXHTTPRequest.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/UIButtonView.h"

namespace {

std::optional<std::string> cachePath(std::string_view address) {
  if (address.empty()) return std::nullopt;
  return UIFilePath::getImageWithPath(address, 0);
}

bool cacheFileExists(std::string_view address) {
  auto path = cachePath(address);
  return path && NSFileManager::defaultManager().fileExistsAtPath(*path);
}

std::shared_ptr<UIImage> imageOfFile(const std::string& path) {
  if (path.empty() || !NSFileManager::defaultManager().fileExistsAtPath(path)) return nullptr;
  return UIImage::imageWithContentsOfFile(path);
}

std::string destinationOf(const std::shared_ptr<HXHTTPRequest>& request) {
  return request ? request->downloadDestinationPath() : std::string();
}

// The allowed characters of links and names: ASCII letters and digits, "_" and "-".
bool inS(char16_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-';
}

std::u16string units(std::string_view text) {
  std::u16string out;
  size_t n = utf16Length(text);
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(characterAtIndex(text, i));
  return out;
}

}  // namespace

std::shared_ptr<UIImage> UIHomeViewCell::cachedImage(std::string_view address) {
  auto path = cachePath(address);
  return path ? imageOfFile(*path) : nullptr;
}

std::shared_ptr<HXHTTPRequest> UIHomeViewCell::startPictureDownload(
    std::string_view address,
    void (UIHomeViewCell::*handler)(const std::shared_ptr<HXHTTPRequest>&),
    std::string_view handlerName, bool withUserAgent) {
  auto path = cachePath(address);
  auto url = address.empty() ? nullptr : NSURL::URLWithString(address);
  if (!path || !url) return nullptr;
  auto request = HXHTTPRequest::requestWithURL(url);
  auto self = weakSelf<UIHomeViewCell>();
  request->setDidFinishSelector(
      Selector(std::string(handlerName), self, [self, handler](const Value& r) {
        if (auto s = self.lock()) ((*s).*handler)(r.object<HXHTTPRequest>());
      }));
  request->setDelegate(weakSelf<NSObject>());
  request->setTimeOutSeconds(kDownloadTimeOut);
  UIFilePath::makeSureFolderOf(*path);
  request->setDownloadDestinationPath(*path);
  if (withUserAgent) request->setUserAgent(std::string(ClientRequest::kUserAgent));
  request->startAsynchronous();
  return request;
}

void UIHomeViewCell::recordDownload(const std::string& path) {
  if (needSave_) UIFilePath::saveDownLoadPathRecode(path, 0, timeTampe_);
}

void UIHomeViewCell::finish(const std::shared_ptr<HXHTTPRequest>& request) {
  std::string path = destinationOf(request);
  if (auto image = imageOfFile(path)) {
    auto pressed = ::pressHeadImage(image, path);
    if (pressed && imgView_) imgView_->setImage(getHeadImage(pressed));
  }
  request_.reset();
}

void UIHomeViewCell::pictureFinished(const std::shared_ptr<HXHTTPRequest>& request,
                                     std::shared_ptr<HXHTTPRequest>& field) {
  std::string path = destinationOf(request);
  if (!imageOfFile(path)) return;
  recordDownload(path);
  if (auto d = cellDelegate(); d && d->respondsToSelector("DownloadOver:"))
    d->DownloadOver(indexPath_);
  field.reset();
}

void UIHomeViewCell::picFinish(const std::shared_ptr<HXHTTPRequest>& request) {
  pictureFinished(request, picRequest_);
}

void UIHomeViewCell::rePicFinish(const std::shared_ptr<HXHTTPRequest>& request) {
  pictureFinished(request, rePicRequest_);
}

void UIHomeViewCell::midpicFinish(const std::shared_ptr<HXHTTPRequest>& request) {
  std::string path = destinationOf(request);
  if (!imageOfFile(path)) return;
  recordDownload(path);
  if (auto d = cellDelegate(); d && d->respondsToSelector("refreshDetail")) d->refreshDetail();
  // Only the field of the download that finished: the other one runs on and reports itself.
  if (request == picRequest_) picRequest_.reset();
  if (request == rePicRequest_) rePicRequest_.reset();
}

void UIHomeViewCell::reStartDownload() {
  if (picRequest_ || rePicRequest_) return;
  if (std::dynamic_pointer_cast<NSProduct>(weiboitem_)) {
    reStartProductDownload();
    return;
  }
  auto item = status();
  if (!item) return;
  isStartDownload_ = true;
  std::string own = item->thumbnailPic.str();
  std::string reposted = item->retweetedStatus ? item->retweetedStatus->thumbnailPic.str() : "";
  if (own.empty() && reposted.empty()) return;
  if (!own.empty() && !cacheFileExists(own))
    picRequest_ = startPictureDownload(own, &UIHomeViewCell::picFinish, "picFinish:", true);
  if (!reposted.empty() && !cacheFileExists(reposted))
    rePicRequest_ =
        startPictureDownload(reposted, &UIHomeViewCell::rePicFinish, "rePicFinish:", true);
}

void UIHomeViewCell::reStartProductDownload() {
  auto product = std::dynamic_pointer_cast<NSProduct>(weiboitem_);
  if (!product) return;
  isStartDownload_ = true;
  const std::string& address = product->imageSPath;
  if (!cacheFileExists(address) && !picRequest_)
    picRequest_ = startPictureDownload(address, &UIHomeViewCell::picFinish, "picFinish:", true);
}

void UIHomeViewCell::stopAllRequest() {
  weiboitem_.reset();
  needSave_ = false;
  cellDelegate_.reset();
  for (auto* field : {&picRequest_, &rePicRequest_}) {
    if (auto& r = *field) {
      r->setDelegate({});
      r->setDidFailSelector(Selector());
      r->cancel();
      r.reset();
    }
  }
  if (request_) {
    request_->clearDelegatesAndCancel();
    request_.reset();
  }
}

void UIHomeViewCell::addGifIcon(std::string_view address, const std::shared_ptr<UIView>& button) {
  auto item = status();
  if (!item || !button) return;
  if (item->imageType == 2) return;
  if (item->imageType == 0) {
    std::string lower = lowercaseString(address);
    if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".gif") == 0) {
      item->imageType = 1;
    } else {
      auto path = cachePath(address);
      auto bytes = path ? NSFileManager::defaultManager().contentsAtPath(*path) : std::nullopt;
      if (bytes && !bytes->empty() && (*bytes)[0] == 'G') {
        item->imageType = 1;
      } else {
        item->imageType = 2;
        return;
      }
    }
  }
  CGSize size = button->bounds().size;
  auto badge = std::make_shared<UIImageView>(CGRectMake(size.width - 30, size.height - 30, 30, 30));
  badge->setImage(UIImage::imageNamed("gifIcon"));
  badge->setTag(kGifBadgeTag);
  button->addSubview(badge);
  button->bringSubviewToFront(badge);
}

std::shared_ptr<UIImage> UIHomeViewCell::processImage(const std::shared_ptr<UIImage>& image,
                                                      CGFloat maxWidth, CGFloat maxHeight) {
  if (!image) return nullptr;
  CGSize size = image->size();
  if (size.width > maxWidth && size.width > 0) {
    size.height = size.height * maxWidth / size.width;
    size.width = maxWidth;
  }
  if (size.height > maxHeight && size.height > 0) {
    size.width = size.width * maxHeight / size.height;
    size.height = maxHeight;
  }
  if (NSGlobe::getEngine()->isIphone4()) {
    size.width *= 2;
    size.height *= 2;
  }
  return scaleWithSize(image, size);
}

std::shared_ptr<UIImage> UIHomeViewCell::pressImage(const std::shared_ptr<UIImage>& image) {
  return processImage(image, 50, 50);
}

NSRange UIHomeViewCell::isHttpString(std::string_view text) {
  std::u16string u = units(text);
  if (u.size() < 2) return NSMakeRange(NSNotFound, 0);
  for (size_t i = 1; i < u.size(); ++i) {
    char16_t c = u[i];
    if (!inS(c) && c != ':' && c != '/' && c != '.') return NSMakeRange(i, 1);
  }
  return NSMakeRange(u.size(), 1);
}

NSRange UIHomeViewCell::isAtDrawString(std::string_view text) {
  std::u16string u = units(text);
  if (u.size() < 2) return NSMakeRange(NSNotFound, 0);
  for (size_t i = 1; i < u.size(); ++i) {
    char16_t c = u[i];
    if (!inS(c) && !(c >= 0x4E00 && c <= 0x9FFE)) return NSMakeRange(i, 1);
  }
  return NSMakeRange(NSNotFound, 0);
}

NSRange UIHomeViewCell::isAtString(std::string_view text) {
  std::u16string u = units(text);
  for (size_t i = 0; i < u.size(); ++i) {
    if (!inS(u[i])) return i == 0 ? NSMakeRange(NSNotFound, 0) : NSMakeRange(i, 1);
  }
  return NSMakeRange(NSNotFound, 0);
}

bool UIHomeViewCell::isShortLink(std::string_view text) {
  std::string prefix = "http://" + std::string(ClientRequest::kPlatformShortLinkHost) + "/";
  if (text.size() < prefix.size() || text.substr(0, prefix.size()) != prefix) return false;
  std::string_view tail = text.substr(prefix.size());
  if (tail.size() < 5 || tail.size() > 8) return false;
  return std::all_of(tail.begin(), tail.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

std::optional<std::string> UIHomeViewCell::getHttpStr(bool reposted, int n) {
  auto source = std::dynamic_pointer_cast<UILinkTextSource>(
      viewWithTag(reposted ? kRepostTextTag : kTextTag));
  if (!source) return std::nullopt;
  auto link = source->getHttpStr(n);
  if (!link || !isShortLink(*link)) return std::nullopt;
  return link;
}
