#include "net/http/HXImageDownload.h"

#include <mutex>

#include "Foundation/NSThread.h"
#include "net/http/HXHTTPRequestDelegate.h"

namespace {
std::mutex gRecompressorMutex;
HXImageDownload::Recompressor& recompressor() {
  static auto* r = new HXImageDownload::Recompressor;
  return *r;
}
}  // namespace

std::shared_ptr<HXImageDownload> HXImageDownload::requestWithURL(std::shared_ptr<NSURL> url) {
  return std::make_shared<HXImageDownload>(Private{}, std::move(url));
}

void HXImageDownload::setRecompressor(Recompressor r) {
  std::lock_guard<std::mutex> lock(gRecompressorMutex);
  recompressor() = std::move(r);
}

std::shared_ptr<HXHTTPRequest> HXImageDownload::newRequestOfSameClass(
    std::shared_ptr<NSURL> url) const {
  return requestWithURL(std::move(url));
}

void HXImageDownload::requestFinished() {
  if (error() || mainRequest()) return;
  Recompressor rewrite;
  {
    std::lock_guard<std::mutex> lock(gRecompressorMutex);
    rewrite = recompressor();
  }
  std::string path = downloadDestinationPath();
  if (rewrite && !path.empty()) rewrite(path);

  auto self = std::static_pointer_cast<HXImageDownload>(shared_from_this());
  bool toDelegate = delegateResponds(didFinishSelector());
  if (toDelegate) {
    Selector selector = didFinishSelector();
    performOnMainThread([self, selector] {
      if (!self->delegateResponds(selector)) return;
      if (selector.isSet()) {
        selector(Value(std::static_pointer_cast<HXHTTPRequest>(self)));
      } else if (auto* d = dynamic_cast<HXHTTPRequestDelegate*>(self->delegate().get())) {
        if (selector.name() == "requestFinished:") d->requestFinished(self);
      }
    });
  }
  auto queue = std::dynamic_pointer_cast<HXHTTPRequestDelegate>(self->queue());
  if (queue && queue->respondsToSelector("requestFinished:")) {
    performOnMainThread([self, queue] { queue->requestFinished(self); });
  }
}
