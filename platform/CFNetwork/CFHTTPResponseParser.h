// Internal to the HTTP streams: reads one HTTP/1.x response from the bytes of a connection.
//
// The status line is taken as it comes, whatever the length of its status (servers send
// statuses such as 40302); interim 1xx replies are skipped; the body is framed by chunks, by
// its length, or by the end of the connection, and arrives with the transfer coding removed
// (content codings stay).  A header line whose name is not a token is not a field; a carriage
// return or NUL inside a field value reads as a space.  The parser says whether the connection can
// carry another exchange once the response is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "CFNetwork/CFHTTPMessage.h"

class CFHTTPResponseParser {
 public:
  enum class State { Header, Body, Complete, Failed };

  // A response to HEAD has no body, whatever its header says.
  explicit CFHTTPResponseParser(bool toHeadRequest) : toHead_(toHeadRequest) {}

  // Takes the next bytes of the connection; body bytes are appended to *body.  Bytes after a
  // complete response are left unread (they make the connection unusable).  The header is
  // complete (header() non-null) from the first call that reaches its end.
  void feed(std::string_view bytes, std::string* body);
  // The connection ended: a body that runs to the end is complete, anything else unfinished
  // fails.
  void connectionEnded();

  State state() const { return state_; }
  bool isComplete() const { return state_ == State::Complete; }
  bool hasFailed() const { return state_ == State::Failed; }
  // Why the response cannot be read; empty unless failed.
  const std::string& failure() const { return failure_; }
  // Whether any byte of the response has arrived.
  bool hasStarted() const { return started_; }
  // The status line and header fields, once complete; nullptr before.
  const std::shared_ptr<CFHTTPMessage>& header() const { return header_; }
  // The connection may carry another exchange: the response is complete, its length was known
  // from its header, nothing followed it and neither side asked to close.
  bool allowsReuse() const;

  // The longest header accepted.
  static constexpr size_t kMaxHeaderBytes = 100 * 1024;

 private:
  enum class Framing { None, Length, Chunked, UntilClose };
  enum class ChunkState { Size, Data, DataEnd, Trailer };

  void fail(std::string why);
  // Parses the complete header block in headerBuffer_; false when it is not an HTTP response.
  bool parseHeader();
  void startBody();
  void feedChunked(std::string_view& bytes, std::string* body);

  bool toHead_;
  State state_ = State::Header;
  std::string failure_;
  bool started_ = false;
  std::string headerBuffer_;
  std::shared_ptr<CFHTTPMessage> header_;
  Framing framing_ = Framing::None;
  uint64_t remaining_ = 0;  // Length: body bytes still to come; Chunked: of the current chunk
  ChunkState chunkState_ = ChunkState::Size;
  std::string lineBuffer_;  // chunk size and trailer lines
  bool closeAfter_ = false;
  bool trailingBytes_ = false;
};
