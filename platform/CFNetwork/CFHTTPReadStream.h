// The HTTP read stream: sends one request message (with an optional body stream) and reads the
// response.  Its client hears of response bytes, of the end and of errors on the run loop the
// stream is scheduled on (schedule it before opening it).  The transfer itself runs on that
// loop's thread.
//
// The stream is a transport only: it follows no redirect, decodes no content encoding, keeps
// no cookies and answers no authentication challenge; whoever sends decides all of that and
// writes the headers for it.  TLS certificates and host names are verified unless the SSL
// settings say otherwise.  The response is read as HTTP/1.x, whatever the length of its status
// (servers send statuses such as 40302); a request header holding a line break is refused when
// the stream opens.
//
// A stream taken off every loop it was scheduled on stops moving bytes (the peer waits) until
// it is scheduled again: that is how a sender holds a transfer back.
//
// Connections: a stream with kCFStreamPropertyHTTPAttemptPersistentConnection true shares its
// connection with the earlier streams on the same loop that carry the same values in their
// own (unknown to the stream) properties, once those have ended; such a connection stays open
// as long as one of its streams is not closed.  A stream without the persistent property opens
// a connection of its own and closes it at its end.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPTransferListener.h"
#include "CFNetwork/CFReadStream.h"

class CFHTTPTransfer;

inline constexpr std::string_view kCFStreamPropertyHTTPResponseHeader =
    "kCFStreamPropertyHTTPResponseHeader";
inline constexpr std::string_view kCFStreamPropertyHTTPRequestBytesWrittenCount =
    "kCFStreamPropertyHTTPRequestBytesWrittenCount";
inline constexpr std::string_view kCFStreamPropertyHTTPAttemptPersistentConnection =
    "kCFStreamPropertyHTTPAttemptPersistentConnection";
inline constexpr std::string_view kCFStreamPropertyHTTPShouldAutoredirect =
    "kCFStreamPropertyHTTPShouldAutoredirect";
// A dictionary with the kCFStreamSSL... keys below.
inline constexpr std::string_view kCFStreamPropertySSLSettings = "kCFStreamPropertySSLSettings";
inline constexpr std::string_view kCFStreamSSLAllowsExpiredCertificates =
    "kCFStreamSSLAllowsExpiredCertificates";
inline constexpr std::string_view kCFStreamSSLAllowsAnyRoot = "kCFStreamSSLAllowsAnyRoot";
inline constexpr std::string_view kCFStreamSSLValidatesCertificateChain =
    "kCFStreamSSLValidatesCertificateChain";
// NSNull: do not check the host name.
inline constexpr std::string_view kCFStreamSSLPeerName = "kCFStreamSSLPeerName";
inline constexpr std::string_view kCFStreamSSLCertificates = "kCFStreamSSLCertificates";
// A dictionary with host and port keys: kCFStreamPropertyHTTPProxyHost/Port for http URLs,
// kCFStreamPropertyHTTPSProxyHost/Port for https URLs.
inline constexpr std::string_view kCFStreamPropertyHTTPProxy = "kCFStreamPropertyHTTPProxy";
inline constexpr std::string_view kCFStreamPropertyHTTPProxyHost = "HTTPProxy";
inline constexpr std::string_view kCFStreamPropertyHTTPProxyPort = "HTTPPort";
inline constexpr std::string_view kCFStreamPropertyHTTPSProxyHost = "HTTPSProxy";
inline constexpr std::string_view kCFStreamPropertyHTTPSProxyPort = "HTTPSPort";
// A dictionary with kCFStreamPropertySOCKSProxyHost and kCFStreamPropertySOCKSProxyPort.
inline constexpr std::string_view kCFStreamPropertySOCKSProxy = "kCFStreamPropertySOCKSProxy";
inline constexpr std::string_view kCFStreamPropertySOCKSProxyHost = "SOCKSProxy";
inline constexpr std::string_view kCFStreamPropertySOCKSProxyPort = "SOCKSPort";

class CFHTTPReadStream final : public CFReadStream, private CFHTTPTransferListener {
 public:
  // CFReadStreamCreateForHTTPRequest / CFReadStreamCreateForStreamedHTTPRequest.
  static std::shared_ptr<CFHTTPReadStream> createForHTTPRequest(
      std::shared_ptr<CFHTTPMessage> request);
  static std::shared_ptr<CFHTTPReadStream> createForStreamedHTTPRequest(
      std::shared_ptr<CFHTTPMessage> request, std::shared_ptr<CFReadStream> body);
  ~CFHTTPReadStream() override;

  bool open() override;
  void close() override;
  long read(uint8_t* buffer, size_t maxLength) override;
  bool hasBytesAvailable() const override;

  // The response's status line and header fields, once they have all arrived; nullptr before.
  std::shared_ptr<CFHTTPMessage> responseHeader() const;
  // Body bytes taken from the body stream so far.
  uint64_t requestBytesWrittenCount() const;

  Value copyProperty(std::string_view key) const override;
  bool setProperty(std::string_view key, Value value) override;

  // Private: use the factories.
  CFHTTPReadStream(std::shared_ptr<CFHTTPMessage> request, std::shared_ptr<CFReadStream> body);

 protected:
  CFStreamEventType pendingEvent() override;
  void didSchedule(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode) override;
  void didUnschedule(bool stillScheduled) override;

 private:
  void transferChanged() override { signalClient(); }
  void syncStatus();
  void setSuspended(bool suspended);
  // The transfer once the stream is open; it stays until the stream goes.
  CFHTTPTransfer* transfer() const { return openedTransfer_.load(std::memory_order_acquire); }

  std::shared_ptr<CFHTTPMessage> request_;
  std::shared_ptr<CFReadStream> body_;
  std::shared_ptr<CFHTTPTransfer> transfer_;  // set under streamMutex_ at opening, never reset
  // transfer_'s object, published once it is set: the frequent questions about the transfer
  // need no lock.
  std::atomic<CFHTTPTransfer*> openedTransfer_{nullptr};
  bool opened_ = false;
  // Taken off its loops: the transfer (once there is one) waits.
  bool suspended_ = false;
};
