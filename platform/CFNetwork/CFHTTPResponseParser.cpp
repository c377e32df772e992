#include "CFNetwork/CFHTTPResponseParser.h"

#include <algorithm>

#include "Foundation/NSString.h"

namespace {

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// A bare carriage return or a NUL in the status line or a field value reads as a space, so that
// no value can become a line of its own where it is sent on (a cookie going back, a redirect
// followed).
constexpr std::string_view kStrayBytes("\r\0", 2);

void spaceForStrayBytes(std::string& text) {
  for (char& c : text)
    if (c == '\r' || c == '\0') c = ' ';
}

// A decimal length of digits only; nullopt otherwise (or beyond 64 bits).
bool parseLength(std::string_view text, uint64_t* out) {
  text = trimmed(text);
  if (text.empty() || text.size() > 19) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + uint64_t(c - '0');
  }
  *out = value;
  return true;
}

}  // namespace

void CFHTTPResponseParser::fail(std::string why) {
  state_ = State::Failed;
  failure_ = std::move(why);
}

void CFHTTPResponseParser::feed(std::string_view bytes, std::string* body) {
  while (!bytes.empty()) {
    switch (state_) {
      case State::Header: {
        started_ = true;
        // Blank lines before a status line are skipped.
        if (headerBuffer_.empty()) {
          while (!bytes.empty() && (bytes.front() == '\r' || bytes.front() == '\n'))
            bytes.remove_prefix(1);
          if (bytes.empty()) return;
        }
        // The end of the header is looked for in the new bytes and the three before them.
        size_t from = headerBuffer_.size() < 3 ? 0 : headerBuffer_.size() - 3;
        size_t before = headerBuffer_.size();
        headerBuffer_.append(bytes);
        size_t end = std::string::npos, endLength = 0;
        for (size_t i = from; i < headerBuffer_.size(); ++i) {
          if (headerBuffer_[i] != '\n') continue;
          if (i + 1 < headerBuffer_.size() && headerBuffer_[i + 1] == '\n') {
            end = i, endLength = 2;
            break;
          }
          if (i + 2 < headerBuffer_.size() && headerBuffer_[i + 1] == '\r' &&
              headerBuffer_[i + 2] == '\n') {
            end = i, endLength = 3;
            break;
          }
        }
        if (end == std::string::npos) {
          if (headerBuffer_.size() > kMaxHeaderBytes) fail("The server's header is too large");
          return;
        }
        size_t used = end + endLength - before;
        headerBuffer_.resize(end + 1);
        bytes.remove_prefix(used);
        if (!parseHeader()) return;
        headerBuffer_.clear();
        break;
      }
      case State::Body:
        if (framing_ == Framing::Length) {
          size_t n = size_t(std::min<uint64_t>(remaining_, bytes.size()));
          body->append(bytes.substr(0, n));
          bytes.remove_prefix(n);
          remaining_ -= n;
          if (remaining_ == 0) state_ = State::Complete;
        } else if (framing_ == Framing::Chunked) {
          feedChunked(bytes, body);
        } else {
          body->append(bytes);
          bytes = {};
        }
        break;
      case State::Complete:
        trailingBytes_ = true;
        return;
      case State::Failed:
        return;
    }
  }
}

bool CFHTTPResponseParser::parseHeader() {
  std::string_view text = headerBuffer_;
  size_t lineEnd = text.find('\n');
  std::string statusText(text.substr(0, lineEnd));
  spaceForStrayBytes(statusText);
  std::string_view statusLine = trimmed(statusText);
  auto message = CFHTTPMessage::createEmptyResponse();
  if (statusLine.substr(0, 7) != "HTTP/1." || !message->setStatusLine(statusLine)) {
    fail("The server's reply is not an HTTP/1 response");
    return false;
  }
  text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    size_t colon = line.find(':');
    std::string_view name = colon == std::string_view::npos ? line : line.substr(0, colon);
    if (colon == std::string_view::npos || !CFHTTPMessage::isToken(name))
      continue;  // not a field; a folded line is not taken either
    std::string_view value = trimmed(line.substr(colon + 1));
    if (value.find_first_of(kStrayBytes) == std::string_view::npos) {
      message->appendHeaderLine(name, value);
    } else {
      std::string cleaned(value);
      spaceForStrayBytes(cleaned);
      message->appendHeaderLine(name, trimmed(cleaned));
    }
  }
  int status = message->responseStatusCode();
  if (status >= 100 && status < 200 && status != 101) {
    // An interim reply: the real one follows.
    return true;
  }
  message->setHeaderComplete();
  header_ = std::move(message);
  startBody();
  return state_ != State::Failed;
}

void CFHTTPResponseParser::startBody() {
  const CFHTTPMessage& m = *header_;
  int status = m.responseStatusCode();
  auto connection = m.headerFieldValue("Connection");
  bool http10 = m.version() == kCFHTTPVersion1_0;
  closeAfter_ = connection ? CFHTTPMessage::listsToken(*connection, "close") : false;
  if (http10 && !(connection && CFHTTPMessage::listsToken(*connection, "keep-alive")))
    closeAfter_ = true;
  if (status == 101) closeAfter_ = true;

  if (toHead_ || status == 204 || status == 304 || (status >= 100 && status < 200)) {
    framing_ = Framing::None;
    state_ = State::Complete;
    return;
  }
  if (auto coding = m.headerFieldValue("Transfer-Encoding")) {
    // Chunked only as the last coding; anything else runs to the end of the connection.
    std::string_view codings = *coding;
    size_t comma = codings.rfind(',');
    std::string_view last = trimmed(comma == codings.npos ? codings : codings.substr(comma + 1));
    if (equalsIgnoringASCIICase(last, "chunked")) {
      framing_ = Framing::Chunked;
      chunkState_ = ChunkState::Size;
    } else {
      framing_ = Framing::UntilClose;
      closeAfter_ = true;
    }
    state_ = State::Body;
    return;
  }
  if (auto length = m.headerFieldValue("Content-Length")) {
    // Repeated fields arrive joined: they must agree.
    std::string_view values = *length;
    uint64_t value = 0;
    bool first = true;
    while (true) {
      size_t comma = values.find(',');
      uint64_t one;
      if (!parseLength(values.substr(0, comma), &one) || (!first && one != value)) {
        fail("The server's reply has an unreadable length");
        return;
      }
      value = one;
      first = false;
      if (comma == std::string_view::npos) break;
      values.remove_prefix(comma + 1);
    }
    framing_ = Framing::Length;
    remaining_ = value;
    state_ = value == 0 ? State::Complete : State::Body;
    return;
  }
  framing_ = Framing::UntilClose;
  closeAfter_ = true;
  state_ = State::Body;
}

void CFHTTPResponseParser::feedChunked(std::string_view& bytes, std::string* body) {
  while (!bytes.empty() && state_ == State::Body) {
    switch (chunkState_) {
      case ChunkState::Data: {
        size_t n = size_t(std::min<uint64_t>(remaining_, bytes.size()));
        body->append(bytes.substr(0, n));
        bytes.remove_prefix(n);
        remaining_ -= n;
        if (remaining_ == 0) chunkState_ = ChunkState::DataEnd;
        break;
      }
      case ChunkState::Size:
      case ChunkState::DataEnd:
      case ChunkState::Trailer: {
        size_t end = bytes.find('\n');
        lineBuffer_.append(bytes.substr(0, end));
        if (lineBuffer_.size() > kMaxHeaderBytes) {
          fail("The server's chunk header is too large");
          return;
        }
        if (end == std::string_view::npos) {
          bytes = {};
          return;
        }
        bytes.remove_prefix(end + 1);
        std::string_view line = lineBuffer_;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (chunkState_ == ChunkState::DataEnd) {
          if (!line.empty()) {
            fail("The server's chunk is longer than it said");
            return;
          }
          chunkState_ = ChunkState::Size;
        } else if (chunkState_ == ChunkState::Trailer) {
          if (line.empty()) state_ = State::Complete;
        } else {
          // Hexadecimal digits, then extensions after ";".
          std::string_view digits = trimmed(line.substr(0, line.find(';')));
          uint64_t size = 0;
          if (digits.empty() || digits.size() > 15) {
            fail("The server's chunk has an unreadable size");
            return;
          }
          for (char c : digits) {
            int v = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (v < 0) {
              fail("The server's chunk has an unreadable size");
              return;
            }
            size = size * 16 + uint64_t(v);
          }
          remaining_ = size;
          chunkState_ = size == 0 ? ChunkState::Trailer : ChunkState::Data;
        }
        lineBuffer_.clear();
        break;
      }
    }
  }
}

void CFHTTPResponseParser::connectionEnded() {
  if (state_ == State::Body && framing_ == Framing::UntilClose) {
    state_ = State::Complete;
    return;
  }
  if (state_ == State::Header || state_ == State::Body)
    fail(started_ ? "The connection ended before the whole reply arrived"
                  : "The server closed the connection without a reply");
}

bool CFHTTPResponseParser::allowsReuse() const {
  return state_ == State::Complete && !closeAfter_ && !trailingBytes_ &&
         framing_ != Framing::UntilClose;
}
