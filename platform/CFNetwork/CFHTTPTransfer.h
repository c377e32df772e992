// Internal to the HTTP streams: one exchange on libcurl and the per-run-loop driver of libcurl's
// multi interface.  The driver watches curl's sockets and its timer as sources of the loop,
// so transfers move while the loop runs; everything curl does happens on the loop's thread.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPTransferListener.h"
#include "Foundation/NSError.h"
#include "Foundation/Value.h"

class CFReadStream;
class CFHTTPDriver;
class NSRunLoop;

// A request's header lines for curl: the text of the lines in one buffer, the list's links in
// another.  Pooled handles keep the last one, so that the next list reuses its room.
struct CFHTTPHeaderList {
  std::string text;
  std::vector<curl_slist> nodes;
};

class CFHTTPTransfer : public std::enable_shared_from_this<CFHTTPTransfer> {
 public:
  struct Settings {
    bool persistent = false;
    // With persistent: streams with the same key share connections; streams with an empty key
    // share the loop's common ones.
    std::string connectionKey;
    bool verifyPeer = true;
    bool verifyHost = true;
    std::string proxy;  // curl proxy URL ("http://host:port", "socks5://host:port"); empty: none
  };

  CFHTTPTransfer(std::shared_ptr<CFHTTPMessage> request, std::shared_ptr<CFReadStream> body,
                 Settings settings, std::weak_ptr<CFHTTPTransferListener> listener);
  ~CFHTTPTransfer();

  // Starts on the driver of the loop (on the loop's thread).  False when curl refused it.
  bool start(const std::shared_ptr<CFHTTPDriver>& driver);
  // Stops the exchange (if running) and lets go of its connection.  Any thread.
  void stop();

  long read(uint8_t* buffer, size_t maxLength);
  bool hasBytesAvailable() const;
  bool isDone() const;
  NSErrorPtr error() const;
  std::shared_ptr<CFHTTPMessage> responseHeader() const;
  uint64_t bytesWritten() const;

 private:
  friend class CFHTTPDriver;
  static size_t onHeader(char* data, size_t size, size_t n, void* self);
  static size_t onWrite(char* data, size_t size, size_t n, void* self);
  static size_t onRead(char* data, size_t size, size_t n, void* self);
  static int onSeek(void* self, curl_off_t offset, int origin);
  static CURLcode onSSLContext(CURL* easy, void* sslContext, void* self);
  // Options every pooled handle has between transfers; restoreDefaults puts back those this
  // transfer changed.
  static void setDefaults(CURL* easy);
  void restoreDefaults();
  bool configure();
  void buildHeaderList(bool sendsBody);
  // On the driver's thread, when curl says the exchange is over.
  void finish(CURLcode result);
  void releaseEasy();
  void notify();

  std::shared_ptr<CFHTTPMessage> request_;
  std::shared_ptr<CFReadStream> body_;
  Settings settings_;
  std::weak_ptr<CFHTTPTransferListener> listener_;  // on the driver's thread only
  std::weak_ptr<CFHTTPDriver> driver_;

  // curl's own objects, used on the driver's thread only.
  CURL* easy_ = nullptr;
  enum : unsigned {
    kChangedShare = 1,
    kChangedConnectTo = 2,
    kChangedMethod = 4,
    kChangedProxy = 8,
    kChangedVersion = 16,
    kChangedVerify = 32,
    kChangedSSLContext = 64,
    kChangedFresh = 128,
  };
  unsigned changed_ = 0;  // the options to put back when the handle is given up
  CFHTTPHeaderList headers_;
  std::shared_ptr<const curl_slist> connectTo_;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
  bool holdsConnection_ = false;

  std::shared_ptr<CFHTTPMessage> parsing_;  // response being read, on the driver's thread only

  // The complete response header: set once, on the driver's thread, then published by
  // hasResponse_; other threads read it only after seeing that.
  std::shared_ptr<CFHTTPMessage> response_;
  std::atomic<bool> hasResponse_{false};

  mutable std::mutex mutex_;
  // Body bytes not read yet: received_[readOffset_...].  One buffer rather than a chunk per
  // write: small replies need a single allocation.
  std::string received_;
  size_t readOffset_ = 0;
  // Changed under the mutex; read without it by the frequent "anything new?" questions.
  std::atomic<size_t> buffered_{0};
  // Set (under the mutex) after error_, which never changes afterwards: a reader that sees it
  // done reads error_ without the mutex.
  std::atomic<bool> done_{false};
  bool paused_ = false;
  bool stopped_ = false;
  NSErrorPtr error_;
  NSErrorPtr bodyError_;
  std::atomic<uint64_t> bytesWritten_{0};  // written on the driver's thread only
};

class CFHTTPDriver : public std::enable_shared_from_this<CFHTTPDriver> {
 public:
  // The driver of a loop, made on first use.
  static std::shared_ptr<CFHTTPDriver> forRunLoop(const std::shared_ptr<NSRunLoop>& loop);
  ~CFHTTPDriver();

  std::shared_ptr<NSRunLoop> runLoop() const { return loop_.lock(); }
  bool isOnDriverThread() const;
  // The driver's sockets and timer are watched in every mode a stream was scheduled in.
  void addMode(std::string_view mode);
  // Runs the block on the driver's thread: at once when already there, else on its loop.
  void perform(std::function<void()> block);

  // Used by transfers, on the driver's thread.
  bool add(CFHTTPTransfer* transfer, CURL* easy);
  void remove(CURL* easy);
  CURLSH* acquireConnection(const std::string& key);
  void releaseConnection(const std::string& key);
  void resume(CURL* easy);
  // Easy handles are kept for the next transfers (their buffers stay allocated), each with
  // the room of its last header list, which takeEasy moves into `headers`.
  CURL* takeEasy(CFHTTPHeaderList& headers);
  void giveBackEasy(CURL* easy, CFHTTPHeaderList&& headers);

  struct Impl;
  explicit CFHTTPDriver(const std::shared_ptr<NSRunLoop>& loop);

 private:
  std::weak_ptr<NSRunLoop> loop_;
  std::unique_ptr<Impl> impl_;
};
