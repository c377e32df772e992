// The downloader: fetches files (channel pictures, banners, advert pictures) from any URL into
// files on the device, side by side on a queue of its own.  A caller registers a receiver, an
// action and a tag, starts downloads, and receives each finished download as the request
// itself (its tag, caller data, destination and status); or it registers a queue-level
// receiver told once the queue has run dry.  Main thread.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class HXHTTPRequest;
class HXNetworkQueue;
class NSHxHttpRequest;

class ClientDownload : public NSObject {
 public:
  // init: a queue that does not cancel the others when one download fails.
  static std::shared_ptr<ClientDownload> create();
  ~ClientDownload() override;

  // The receiver and action are copied onto every download started afterwards; the tag only
  // onto the next one, after which the registered tag reads -1.
  void setPostAction(Selector action, std::weak_ptr<NSObject> receiver, int tag);
  // The receiver is sent the selector with the queue each time the queue's count of requests
  // drops to 0, after successes and failures alike.
  void setQueueFinish(Selector selector, std::weak_ptr<NSObject> receiver);

  // Starts a download to the destination path; its engine tag is the registered tag.  A
  // destination that climbs out of its folder ("..") is refused: nothing starts.
  void startDownloadFile(std::string_view url, const std::string& destination);
  // As above, with the engine's retry count preset (callers pass 2).  This adds no retries: a
  // preset count only turns off the engine's one retry on a new connection.
  void startDownloadFile(std::string_view url, const std::string& destination, int requestTimes);
  // As above with the given engine tag (the registered tag still goes to mtag) and caller data
  // that the finished request carries back in localInfo.
  void startDownloadFile(std::string_view url, const std::string& destination, int tag,
                         Value localData);
  // Queues a prepared request, which keeps its own delegate and selectors.
  void addRequestInQueue(const std::shared_ptr<HXHTTPRequest>& request);

  // Cancels every queued download with a tag above 0, so that it never reports; downloads
  // tagged 0 or below keep running and reporting.  Cancelled downloads still count towards
  // the queue-finished report.
  void removeAllAction();
  // The same for the downloads whose tag equals the given one.
  void removeActionByTag(int tag);

  // The engine's finish callback: the receiver gets the request, unless the request's tag
  // equals the registered one (a registration made for a later download, or none at all).
  void downloadFinish(const std::shared_ptr<HXHTTPRequest>& request);

  const std::shared_ptr<HXNetworkQueue>& queue() const { return queue_; }
  int mtag() const { return mtag_; }

  ClientDownload() = default;

 private:
  void init();
  void start(std::string_view url, const std::string& destination,
             const std::function<void(HXHTTPRequest&)>& adjust, std::optional<int> engineTag);
  void onDownloadFinish(const Value& request);
  void silence(const std::shared_ptr<NSHxHttpRequest>& request);

  std::shared_ptr<HXNetworkQueue> queue_;
  Selector actionString_;
  std::weak_ptr<NSObject> clientdelegate_;
  int mtag_ = 0;
};
