// The HTTP/1 response reader of the streams, fed whole replies and the same replies a byte at a
// time.
#include <gtest/gtest.h>

#include "CFNetwork/CFHTTPResponseParser.h"

namespace {

struct Outcome {
  CFHTTPResponseParser::State state;
  int status = 0;
  std::string body;
  bool reusable = false;
};

Outcome parse(const std::string& reply, bool toHead, bool connectionEnds, bool byteByByte) {
  CFHTTPResponseParser parser(toHead);
  std::string body;
  if (byteByByte) {
    for (char c : reply) parser.feed(std::string_view(&c, 1), &body);
  } else {
    parser.feed(reply, &body);
  }
  if (connectionEnds) parser.connectionEnded();
  Outcome o{parser.state(), parser.header() ? parser.header()->responseStatusCode() : 0, body,
            parser.allowsReuse()};
  return o;
}

}  // namespace

TEST(CFHTTPResponseParser, ReadsEachFramingWhateverPiecesTheBytesComeIn) {
  using State = CFHTTPResponseParser::State;
  struct Case {
    const char* what;
    std::string reply;
    bool toHead = false;
    bool connectionEnds = false;
    State state;
    int status;
    std::string body;
    bool reusable;
  };
  const Case cases[] = {
      {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, false, State::Complete,
       200, "hello", true},
      {"five-digit status", "HTTP/1.1 40302 Limited\r\nContent-Length: 2\r\n\r\n{}", false, false,
       State::Complete, 40302, "{}", true},
      {"chunks with extensions and trailers",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5;x=y\r\nhello\r\n6\r\n "
       "world\r\n0\r\nX-Trailer: 1\r\n\r\n",
       false, false, State::Complete, 200, "hello world", true},
      {"interim reply first",
       "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 201 Created\r\nContent-Length: 1\r\n\r\nx", false,
       false, State::Complete, 201, "x", true},
      {"until the connection ends", "HTTP/1.1 200 OK\r\n\r\nuntil the end", false, true,
       State::Complete, 200, "until the end", false},
      {"HTTP/1.0 closes", "HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\nx", false, false,
       State::Complete, 200, "x", false},
      {"HTTP/1.0 keep-alive",
       "HTTP/1.0 200 OK\r\nConnection: Keep-Alive\r\nContent-Length: 1\r\n\r\nx", false, false,
       State::Complete, 200, "x", true},
      {"close asked", "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 1\r\n\r\nx", false,
       false, State::Complete, 200, "x", false},
      {"bare line feeds", "HTTP/1.1 200 OK\nContent-Length: 2\n\nok", false, false, State::Complete,
       200, "ok", true},
      {"no body for 304", "HTTP/1.1 304 Not Modified\r\nContent-Length: 10\r\n\r\n", false, false,
       State::Complete, 304, "", true},
      {"no body for HEAD", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n", true, false,
       State::Complete, 200, "", true},
      {"bytes after the reply", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nxy", false, false,
       State::Complete, 200, "x", false},
      {"a length that is not a number", "HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\nx", false,
       false, State::Failed, 200, "", false},
      {"lengths that disagree",
       "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nxx", false, false,
       State::Failed, 200, "", false},
      {"a chunk size that is not hexadecimal",
       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n", false, false, State::Failed,
       200, "", false},
      {"cut inside the body", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf", false, true,
       State::Failed, 200, "half", false},
      {"cut inside the header", "HTTP/1.1 200 OK\r\nContent-Len", false, true, State::Failed, 0, "",
       false},
      {"not HTTP", "SSH-2.0-OpenSSH\r\n\r\n", false, false, State::Failed, 0, "", false},
      {"a later HTTP version", "HTTP/2 200\r\n\r\n", false, false, State::Failed, 0, "", false},
  };
  for (const Case& c : cases) {
    for (bool byteByByte : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.what << (byteByByte ? ", byte by byte" : ""));
      Outcome o = parse(c.reply, c.toHead, c.connectionEnds, byteByByte);
      EXPECT_EQ(o.state, c.state);
      EXPECT_EQ(o.status, c.status);
      EXPECT_EQ(o.body, c.body);
      EXPECT_EQ(o.reusable, c.reusable);
    }
  }
}

TEST(CFHTTPResponseParser, KeepsTheStatusLineAndEveryFieldLine) {
  CFHTTPResponseParser parser(false);
  std::string body;
  parser.feed(
      "HTTP/1.1 40302 Over the limit\r\nSet-Cookie: a=1\r\nset-cookie: b=2\r\nX-Pad:   padded  "
      "\r\nnot a field\r\nContent-Length: 0\r\n\r\n",
      &body);
  ASSERT_TRUE(parser.isComplete());
  auto& h = *parser.header();
  EXPECT_EQ(h.responseStatusLine(), "HTTP/1.1 40302 Over the limit");
  EXPECT_EQ(h.headerLines().size(), 4u);
  EXPECT_EQ(h.headerFieldValue("Set-Cookie").value_or(""), "a=1, b=2");
  EXPECT_EQ(h.headerFieldValue("X-Pad").value_or(""), "padded");
}

// What a field may not hold never reaches the header: a line whose name is no token is not a
// field, and a carriage return or NUL inside a value reads as a space, so that no value can
// turn into a line of a request built from it (a cookie sent back, a redirect followed).
TEST(CFHTTPResponseParser, FieldsHoldNoStrayLineBreaksOrNULs) {
  CFHTTPResponseParser parser(false);
  std::string body;
  parser.feed(std::string("HTTP/1.1 200 OK\r\nSet-Cookie: a=b\rInjected: 1\r\nX\rY: 2\r\n"
                          "Bad(Name): 3\r\nX-Nul: c\0d\r\nContent-Length: 0\r\n\r\n",
                          101),
              &body);
  ASSERT_TRUE(parser.isComplete());
  auto& h = *parser.header();
  EXPECT_EQ(h.headerFieldValue("Set-Cookie").value_or(""), "a=b Injected: 1");
  EXPECT_EQ(h.headerFieldValue("X-Nul").value_or(""), "c d");

  // Repeated fields join their values; an empty one adds nothing.
  CFHTTPResponseParser joined(false);
  joined.feed("HTTP/1.1 200 OK\r\nX-A:\r\nX-A: a\r\nX-A: \r\nX-A: b\r\nContent-Length: 0\r\n\r\n",
              &body);
  ASSERT_TRUE(joined.isComplete());
  EXPECT_EQ(joined.header()->headerFieldValue("X-A").value_or("(none)"), "a, b");
  EXPECT_EQ(joined.header()->headerLines().size(), 5u);
  EXPECT_EQ(h.headerLines().size(), 3u);
  EXPECT_EQ(h.responseStatusLine(), "HTTP/1.1 200 OK");

  CFHTTPResponseParser stray(false);
  stray.feed(std::string("HTTP/1.1 200 O\rK\0X\r\nContent-Length: 0\r\n\r\n", 41), &body);
  ASSERT_TRUE(stray.isComplete());
  EXPECT_EQ(stray.header()->responseStatusLine(), "HTTP/1.1 200 O K X");
  EXPECT_EQ(stray.header()->responseStatusCode(), 200);
  for (const auto& [name, value] : h.headerLines()) {
    EXPECT_TRUE(CFHTTPMessage::isToken(name)) << name;
    EXPECT_EQ(value.find_first_of(std::string("\r\0", 2)), std::string::npos) << value;
  }
}

TEST(CFHTTPResponseParser, AHeaderBeyondItsLimitFails) {
  CFHTTPResponseParser parser(false);
  std::string body;
  parser.feed("HTTP/1.1 200 OK\r\n", &body);
  std::string field = "X-Big: " + std::string(1000, 'b') + "\r\n";
  for (size_t sent = 0; sent <= CFHTTPResponseParser::kMaxHeaderBytes && !parser.hasFailed();
       sent += field.size())
    parser.feed(field, &body);
  EXPECT_TRUE(parser.hasFailed());
}
