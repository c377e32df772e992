// The app against a hostile network: a proxy in front of the local content server answers the
// channel page with one fault after another (garbage, broken JSON, an error page, a body cut
// short, broken and bombing gzip, huge and lying lengths, a redirect loop, silence).  The app
// never crashes, keeps its memory small and keeps the last good page it cached; afterwards the
// page loads normally again.
#include <gtest/gtest.h>
#include <httplib.h>
#include <utime.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include "AppTestSupport.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSUUID.h"
#include "core/UIFilePath.h"
#include "net/api/ServerResult.h"
#include "net/http/HXHTTPRequest.h"
#include "support/TestHTTPServer.h"

using namespace apptest;
using testsupport::TestRawHTTPServer;

namespace {

// Passes requests on to the content server, except the channel page while a fault is set.
class FaultProxy {
 public:
  using Fault = std::function<TestRawHTTPServer::RawReply(const std::string& target)>;

  explicit FaultProxy(int serverPort)
      : serverPort_(serverPort),
        raw_([this](const std::string& request) { return answer(request); }) {}

  int port() const { return raw_.port(); }
  void setFault(Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    fault_ = std::move(fault);
  }

 private:
  TestRawHTTPServer::RawReply answer(const std::string& request) {
    size_t lineEnd = request.find("\r\n");
    std::string line = request.substr(0, lineEnd);
    std::string method = line.substr(0, line.find(' '));
    std::string target = line.substr(method.size() + 1, line.rfind(' ') - method.size() - 1);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (fault_ && target.rfind("/Channels/Channel.aspx", 0) == 0) return fault_(target);
    }
    size_t headEnd = request.find("\r\n\r\n");
    httplib::Headers headers;
    std::string contentType;
    for (size_t pos = lineEnd + 2; pos < headEnd;) {
      size_t eol = request.find("\r\n", pos);
      std::string field = request.substr(pos, eol - pos);
      pos = eol + 2;
      size_t colon = field.find(':');
      if (colon == std::string::npos) continue;
      std::string name = field.substr(0, colon), value = field.substr(colon + 1);
      value.erase(0, value.find_first_not_of(' '));
      std::string lower = name;
      for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (lower == "content-type") contentType = value;
      if (lower == "content-length" || lower == "connection" || lower == "accept-encoding" ||
          lower == "content-type")
        continue;
      headers.emplace(name, value);
    }
    std::string body = request.substr(headEnd + 4);
    httplib::Client client("127.0.0.1", serverPort_);
    auto result = method == "POST" ? client.Post(target, headers, body, contentType)
                                   : client.Get(target, headers);
    if (!result) return {"HTTP/1.1 502 Bad Gateway\r\nContent-Length: 0\r\n\r\n", true};
    std::string reply = "HTTP/1.1 " + std::to_string(result->status) + " OK\r\n";
    for (auto& [name, value] : result->headers) {
      if (name == "Content-Length" || name == "Connection" || name == "Keep-Alive" ||
          name == "Transfer-Encoding")
        continue;
      reply += name + ": " + value + "\r\n";
    }
    reply += "Content-Length: " + std::to_string(result->body.size()) + "\r\n\r\n" + result->body;
    return {reply, true};
  }

  int serverPort_;
  std::mutex mutex_;
  Fault fault_;
  TestRawHTTPServer raw_;
};

// Receives the replies of the channel requests it sends.
class PageReader : public NSObject {
 public:
  std::vector<std::string> replies;
  void take(const Value& reply) {
    replies.push_back(reply.isString() ? std::string(reply.string()) : "");
  }
  // Asks for the first page of channel 1 as a channel screen does; its reply text.
  std::optional<std::string> read() {
    size_t before = replies.size();
    auto weak = std::static_pointer_cast<PageReader>(shared_from_this());
    postNotification(kGlobeRequest, Value::arrayOf({Value("1"), Value("1"), Value("0")}),
                     RequestType::ChannelStatuses,
                     selector(std::weak_ptr<PageReader>(weak), &PageReader::take, "take:"),
                     weakSelf<NSObject>());
    if (!MainLoop::runUntil([&] { return replies.size() > before; }, 60)) return std::nullopt;
    return replies.back();
  }
};

// gzip of `size` spaces, made a piece at a time so that the test itself never holds them.
std::string gzipBomb(size_t size) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
  const std::string piece(1 << 16, ' ');
  std::string out;
  char buffer[1 << 16];
  for (size_t done = 0; done < size;) {
    size_t n = std::min(piece.size(), size - done);
    done += n;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    z.avail_in = uInt(n);
    int flush = done == size ? Z_FINISH : Z_NO_FLUSH;
    do {
      z.next_out = reinterpret_cast<Bytef*>(buffer);
      z.avail_out = sizeof buffer;
      deflate(&z, flush);
      out.append(buffer, sizeof buffer - z.avail_out);
    } while (z.avail_out == 0);
  }
  deflateEnd(&z);
  return out;
}

// What a body as large as the engine takes may add to the process's peak: the body itself
// and its buffer's last growth.  Under AddressSanitizer each freed buffer stays in its
// quarantine and every byte has shadow, so the same allocations weigh about twice as much.
constexpr long kBodyGrowthKB = 2 * long(HXHTTPRequest::kDefaultMaxResponseSize >> 10) *
#if defined(__SANITIZE_ADDRESS__)
                               2;
#else
                               1;
#endif

long peakResidentKB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

std::string http(int status, const std::string& headers, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " X\r\n" + headers + "\r\n" + body;
}

}  // namespace

TEST_F(AppTest, AHostileServerNeverCostsTheLastGoodPageTheMemoryOrTheApp) {
  FaultProxy proxy(port);
  mapServiceHostsTo(proxy.port());
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  auto reader = std::make_shared<PageReader>();
  ASSERT_TRUE(reader->read().has_value());
  const std::string cache = UIFilePath::getChannelFilePath(0, "1", 1, 0);
  const std::string good = dataWithContentsOfFile(cache).value_or("");
  ASSERT_NE(good.find("\"statuses\""), std::string::npos);
  const std::string folder = stringByDeletingLastPathComponent(cache);
  auto filesBeside = [&] {
    return NSFileManager::defaultManager().contentsOfDirectoryAtPath(folder);
  };
  const auto before = filesBeside();
  const long peakBefore = peakResidentKB();

  using Raw = TestRawHTTPServer::RawReply;
  std::string broken = testsupport::gzipBytes(good);
  for (size_t i = broken.size() / 3; i < broken.size() / 2; ++i) broken[i] ^= 0x5a;
  const std::string bomb = gzipBomb(100u << 20);
  const std::string json = "Content-Type: application/json; charset=utf-8\r\n";
  struct Case {
    std::string name;
    FaultProxy::Fault fault;
  } cases[] = {
      {"garbage",
       [](const std::string&) { return Raw{"\x16\x03\x01\x02\x00garbage\r\n\r\n\x01"}; }},
      {"truncated JSON",
       [&](const std::string&) { return Raw{http(200, json, good.substr(0, good.size() / 2))}; }},
      {"a 500 page",
       [](const std::string&) {
         std::string page = "<html><body>Internal Server Error</body></html>";
         return Raw{http(
             500,
             "Content-Type: text/html\r\nContent-Length: " + std::to_string(page.size()) + "\r\n",
             page)};
       }},
      {"a reset mid-body",
       [&](const std::string&) {
         return Raw{http(200, json + "Content-Length: " + std::to_string(good.size()) + "\r\n",
                         good.substr(0, good.size() / 3))};
       }},
      {"corrupt gzip",
       [&](const std::string&) {
         return Raw{http(200,
                         json + "Content-Encoding: gzip\r\nContent-Length: " +
                             std::to_string(broken.size()) + "\r\n",
                         broken)};
       }},
      {"a gzip bomb",
       [&](const std::string&) {
         return Raw{http(200,
                         json + "Content-Encoding: gzip\r\nContent-Length: " +
                             std::to_string(bomb.size()) + "\r\n",
                         bomb)};
       }},
      {"a huge Content-Length",
       [&](const std::string&) {
         return Raw{http(200, json + "Content-Length: 999999999999\r\n", good)};
       }},
      {"a lying Content-Length",
       [&](const std::string&) {
         return Raw{http(200, json + "Content-Length: 5000000\r\n", good), false};
       }},
      {"a redirect loop",
       [](const std::string& target) {
         return Raw{http(302, "Location: " + target + "\r\nContent-Length: 0\r\n", ""), false};
       }},
      {"silence",
       [](const std::string&) {
         return Raw{"", true, 20};
       }},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    proxy.setFault(c.fault);
    // Real seconds: the engine times out on the real clock.  (Letting go of the last request
    // would set the client's timeout back.)
    ClientRequest::engine()->cancel();
    ClientRequest::engine()->setTimeOutSec(2);
    auto reply = reader->read();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(dataWithContentsOfFile(cache).value_or(""), good);
    EXPECT_EQ(filesBeside(), before);
  }
  // Far below what the announced lengths would have taken, and no more than the engine's
  // largest body for the bomb.  What the app held before is the build's (a sanitizer's
  // shadow and quarantine), so only the growth is bounded.
  EXPECT_LT(peakResidentKB() - peakBefore, kBodyGrowthKB) << "peak before " << peakBefore << " KB";

  // The page loads again, and is cached again, once the server behaves.
  proxy.setFault(nullptr);
  auto reply = reader->read();
  ASSERT_TRUE(reply.has_value());
  EXPECT_NE(reply->find("\"statuses\""), std::string::npos);
  EXPECT_EQ(dataWithContentsOfFile(cache).value_or(""), *reply);
}

TEST_F(AppTest, DownloadsAnEarlierRunLeftHalfWrittenAreSweptAtStart) {
  std::string folder = NSCachesDirectory() + "/earlier";
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(folder, true));
  std::string stale = folder + "/.page.json." + NSUUID::createString() + ".part";
  std::string kept = folder + "/page.json";
  ASSERT_TRUE(writeToFile(stale, std::string(100000, 'p'), false));
  ASSERT_TRUE(writeToFile(kept, "{}", false));
  utimbuf old{time(nullptr) - 600, time(nullptr) - 600};
  ASSERT_EQ(utime(stale.c_str(), &old), 0);
  launch();
  EXPECT_TRUE(waitFor([&] { return !std::filesystem::exists(stale); }, 10));
  EXPECT_TRUE(std::filesystem::exists(kept));
}
