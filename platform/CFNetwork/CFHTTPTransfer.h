// Internal to the HTTP streams: one exchange, a request written and its response read on a
// connection of the loop's driver (CFHTTPConnection.h).  The exchange runs on the loop's
// thread; the response header, the body bytes and the outcome are read from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "CFNetwork/CFHTTPConnection.h"
#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPTransferListener.h"
#include "Foundation/NSError.h"

class CFHTTPResponseParser;
class CFReadStream;

class CFHTTPTransfer : public std::enable_shared_from_this<CFHTTPTransfer> {
 public:
  struct Settings {
    bool persistent = false;
    // With persistent: streams with the same key share connections; streams with an empty key
    // share the loop's common ones.
    std::string connectionKey;
    bool verifyPeer = true;
    bool verifyHost = true;
    std::string proxy;  // curl proxy URL ("http://host:port", "socks5h://host:port"); empty: none
    // Start held back (see setSuspended).
    bool suspended = false;
  };

  CFHTTPTransfer(std::shared_ptr<CFHTTPMessage> request, std::shared_ptr<CFReadStream> body,
                 Settings settings, std::weak_ptr<CFHTTPTransferListener> listener);
  ~CFHTTPTransfer();

  // Starts on the driver of the loop (on the loop's thread).  False when the request cannot be
  // written (error() says why).
  bool start(const std::shared_ptr<CFHTTPDriver>& driver);
  // Stops the exchange (if running) and lets go of its connection.  Any thread.
  void stop();
  // Holds the exchange back (nothing is sent or read; the peer waits) or lets it go on.  Any
  // thread; on the driver's thread a hold takes effect at once, even inside the exchange's own
  // steps (a body read that decides to wait).
  void setSuspended(bool suspended);

  long read(uint8_t* buffer, size_t maxLength);
  bool hasBytesAvailable() const;
  bool isDone() const;
  NSErrorPtr error() const;
  std::shared_ptr<CFHTTPMessage> responseHeader() const;
  uint64_t bytesWritten() const;

 private:
  // ---- on the driver's thread
  // Writes the request's head; false (with the error) when the message cannot go on the wire.
  bool writeHead(NSErrorPtr* error);
  void useConnection(std::shared_ptr<CFHTTPConnection> connection, bool reused);
  void connect();
  void connected(NSErrorPtr error);
  void socketReady(int revents);
  void sendMore();
  // Puts the next piece of the body after the head; false when nothing is left to send.
  bool takeBodyPiece();
  void receiveMore();
  // A failure of the connection: a kept-alive connection that failed before anything of the
  // response came is tried once more on a new one.
  void connectionFailed(NSErrorPtr error);
  void updateInterest();
  // The challenge objects whose credentials the request carried hear what the peer answered.
  void answerAuthentication();
  void finish(NSErrorPtr error);
  void resume();
  // Goes on after a hold, from the driver's loop.
  void resumeAfterHold();
  void notify();

  std::shared_ptr<CFHTTPMessage> request_;
  std::shared_ptr<CFReadStream> body_;
  Settings settings_;
  std::weak_ptr<CFHTTPTransferListener> listener_;  // on the driver's thread only
  std::weak_ptr<CFHTTPDriver> driver_;

  // The exchange, on the driver's thread only.
  CFHTTPTarget target_;
  bool inGroup_ = false;
  // The request goes to an HTTP proxy in the absolute form.
  bool forwarding_ = false;
  std::shared_ptr<CFHTTPConnection> connection_;
  bool reused_ = false;
  bool retried_ = false;
  bool finished_ = false;
  std::string head_;  // the request line and header fields
  std::string out_;   // what is still to be sent: the head, then body pieces
  size_t outOffset_ = 0;
  bool chunked_ = false;
  bool bodySent_ = false;
  bool suspended_ = false;
  bool asksToClose_ = false;
  std::unique_ptr<CFHTTPResponseParser> parser_;

  // The complete response header: set once, on the driver's thread, then published by
  // hasResponse_; other threads read it only after seeing that.
  std::shared_ptr<CFHTTPMessage> response_;
  std::atomic<bool> hasResponse_{false};

  mutable std::mutex mutex_;
  // Body bytes not read yet: received_[readOffset_...].  One buffer rather than a piece per
  // arrival: small replies need a single allocation.
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
  std::atomic<uint64_t> bytesWritten_{0};  // written on the driver's thread only
};
