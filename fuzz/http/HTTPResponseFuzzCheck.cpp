#include "http/HTTPResponseFuzzCheck.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "CFNetwork/CFHTTPResponseParser.h"

namespace {

struct Reading {
  CFHTTPResponseParser parser;
  std::string body;
  explicit Reading(bool head) : parser(head) {}
};

// The bytes arrive `step` at a time (0: all at once); then the connection ends unless the
// response is over.
void read(Reading& r, std::string_view bytes, size_t step) {
  if (step == 0) step = bytes.size() + 1;
  for (size_t at = 0; at < bytes.size(); at += step) r.parser.feed(bytes.substr(at, step), &r.body);
  if (!r.parser.isComplete() && !r.parser.hasFailed()) r.parser.connectionEnded();
}

std::string checkHeader(const CFHTTPMessage& h) {
  if (!h.isHeaderComplete()) return "a header handed out before it is complete";
  if (h.responseStatusLine().rfind("HTTP/1.", 0) != 0) return "a status line without its version";
  if (h.responseStatusLine().find_first_of("\r\n") != std::string::npos)
    return "the status line holds a line break";
  if (h.responseStatusCode() < 0) return "a negative status";
  if (h.responseStatusCode() >= 100 && h.responseStatusCode() < 200 &&
      h.responseStatusCode() != 101)
    return "an interim reply handed out as the response";
  for (const auto& fields : {h.allHeaderFields(), h.headerLines()}) {
    for (const auto& [name, value] : fields) {
      if (name.empty()) return "a field without a name";
      if (!CFHTTPMessage::isToken(name)) return "a field name that is no token: " + name;
      if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        return "a field value holds a line break or NUL";
      if (!value.empty() && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' ||
                             value.back() == '\t'))
        return "a field value keeps its blanks";
      if (!h.headerFieldValue(name)) return "a field not found by its own name";
    }
  }
  if (h.headerLines().size() < h.allHeaderFields().size()) return "fewer lines than fields";
  return {};
}

std::string describe(const Reading& r) {
  const auto& p = r.parser;
  std::string d = "state " + std::to_string(int(p.state())) + " failure '" + p.failure() +
                  "' body " + std::to_string(r.body.size()) + " reuse " +
                  std::to_string(p.allowsReuse());
  if (const auto& h = p.header()) {
    d += " status " + std::to_string(h->responseStatusCode()) + " line '" +
         h->responseStatusLine() + "'";
    for (const auto& [name, value] : h->headerLines()) d += " [" + name + ": " + value + "]";
  }
  return d;
}

}  // namespace

std::string httpResponseFuzzCheck(const uint8_t* data, size_t size) {
  if (size == 0) return {};
  const bool head = data[0] & 1;
  const size_t step = data[0] >> 1;
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

  Reading whole(head);
  read(whole, bytes, 0);
  const auto& p = whole.parser;
  if (p.hasFailed() == p.failure().empty()) return "a failure without a reason, or the reverse";
  if (p.isComplete() || (p.header() && !p.hasFailed())) {
    if (!p.header()) return "complete without a header";
  }
  if (p.header()) {
    std::string fault = checkHeader(*p.header());
    if (!fault.empty()) return fault;
  }
  if (whole.body.size() > bytes.size()) return "a body longer than what arrived";
  if (!p.header() && !whole.body.empty()) return "a body without a header";
  if ((head || (p.header() && (p.header()->responseStatusCode() == 204 ||
                               p.header()->responseStatusCode() == 304))) &&
      !whole.body.empty())
    return "a body for a reply that has none";
  if (p.allowsReuse() && !p.isComplete()) return "reuse of an unfinished connection";
  if (p.isComplete() && p.header() && !head) {
    if (auto length = p.header()->headerFieldValue("Content-Length");
        length && !p.header()->headerFieldValue("Transfer-Encoding") &&
        p.header()->responseStatusCode() >= 200 && p.header()->responseStatusCode() != 204 &&
        p.header()->responseStatusCode() != 304) {
      if (std::strtoull(length->c_str(), nullptr, 10) != whole.body.size())
        return "a complete body of another length than announced";
    }
  }

  // However the bytes are cut as they arrive, the reading is the same.
  const std::string expected = describe(whole);
  for (size_t s : {step == 0 ? size_t(1) : step, size_t(1)}) {
    Reading cut(head);
    read(cut, bytes, s);
    if (describe(cut) != expected)
      return "read " + std::to_string(s) + " bytes at a time: " + describe(cut) +
             "\nat once: " + expected;
  }
  return {};
}
