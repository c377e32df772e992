// The engine against plain libcurl, in one run, on the same loopback servers: 1,000 small
// replies and one 100 MB body into memory.  The engine runs its requests four at a time (the
// width of its shared queue); libcurl runs them four at a time on its multi interface, and, as
// the plainest client would, one after another on one easy handle.  Every client keeps its
// connections alive.
//
// Small replies: the scripted test server answers both clients alike, so the difference is the
// clients' own work per request.
// The large body: the peer sends one buffer it keeps straight to the socket (no copy per
// request), both clients reserve room for the announced length, receive in 128 KB reads and
// hand the body over without copying it, so the difference is the clients' own cost per byte.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Foundation/NSRunLoop.h"
#include "Foundation/NSURL.h"
#include "net/http/HXHTTPRequest.h"
#include "support/TestHTTPServer.h"

namespace {

constexpr int kSmallReplies = 1000;
constexpr size_t kLargeBody = 100u << 20;
constexpr int kWidth = 4;

constexpr long kReceiveBuffer = 128 << 10;

testsupport::TestHTTPServer& server() {
  static auto* s = [] {
    auto* srv = new testsupport::TestHTTPServer;
    srv->on("/small", testsupport::TestHTTPReply::text(std::string(200, 's')));
    return srv;
  }();
  return *s;
}

// A loopback server that answers every request on a kept-alive connection with the same large
// body, written to the socket from the one buffer it holds.
class LargeBodyServer {
 public:
  LargeBodyServer() : body_(kLargeBody, 'L') {
    head_ = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
            std::to_string(body_.size()) + "\r\n\r\n";
    listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), length) != 0 ||
        ::listen(listen_, SOMAXCONN) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
      throw std::runtime_error("LargeBodyServer: cannot listen");
    port_ = ntohs(addr.sin_port);
    std::thread([this] {
      for (;;) {
        int fd = ::accept(listen_, nullptr, nullptr);
        if (fd >= 0) std::thread([this, fd] { serve(fd); }).detach();
      }
    }).detach();
  }

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/large"; }

 private:
  void serve(int fd) {
    std::string request;
    char buffer[4096];
    for (;;) {
      size_t end;
      while ((end = request.find("\r\n\r\n")) == std::string::npos) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
          ::close(fd);
          return;
        }
        request.append(buffer, size_t(n));
      }
      request.erase(0, end + 4);
      iovec parts[2] = {{head_.data(), head_.size()}, {body_.data(), body_.size()}};
      size_t total = head_.size() + body_.size(), sent = 0;
      while (sent < total) {
        ssize_t n = ::writev(fd, parts, 2);
        if (n <= 0) {
          ::close(fd);
          return;
        }
        sent += size_t(n);
        for (iovec& part : parts) {
          size_t used = std::min(part.iov_len, size_t(n));
          part.iov_base = static_cast<char*>(part.iov_base) + used;
          part.iov_len -= used;
          n -= ssize_t(used);
        }
      }
    }
  }

  std::string body_;
  std::string head_;
  int listen_ = -1;
  int port_ = 0;
};

LargeBodyServer& largeBodyServer() {
  static auto* s = new LargeBodyServer;
  return *s;
}

void pumpMainLoopUntil(const std::function<bool()>& done) {
  auto loop = NSRunLoop::mainRunLoop();
  static auto keepAlive = loop->addKeepAliveSource(NSDefaultRunLoopMode);
  while (!done()) loop->runInMode(NSDefaultRunLoopMode, 1.0, true);
}

// Nanoseconds each thread of the process has run, from the scheduler's own account.
std::map<std::string, uint64_t> threadRunTimes() {
  std::map<std::string, uint64_t> times;
  DIR* dir = opendir("/proc/self/task");
  if (!dir) return times;
  while (dirent* e = readdir(dir)) {
    if (e->d_name[0] == '.') continue;
    std::ifstream in(std::string("/proc/self/task/") + e->d_name + "/schedstat");
    uint64_t ns = 0;
    if (in >> ns) times[e->d_name] = ns;
  }
  closedir(dir);
  return times;
}

// Reports the busiest thread's CPU time per request: the thread that bounds how fast a client
// can go, measured apart from the wall clock's noise.
class BusiestThread {
 public:
  explicit BusiestThread(benchmark::State& state) : state_(state), before_(threadRunTimes()) {}
  ~BusiestThread() {
    uint64_t busiest = 0;
    for (const auto& [tid, ns] : threadRunTimes()) {
      auto it = before_.find(tid);
      busiest = std::max(busiest, ns - (it == before_.end() ? 0 : it->second));
    }
    double requests = double(state_.iterations()) * kSmallReplies;
    state_.counters["busiest_thread_us_per_request"] = requests ? busiest / 1e3 / requests : 0;
  }

 private:
  benchmark::State& state_;
  std::map<std::string, uint64_t> before_;
};

size_t appendBody(char* data, size_t size, size_t n, void* out) {
  static_cast<std::string*>(out)->append(data, size * n);
  return size * n;
}

void BM_EngineSmallReplies(benchmark::State& state) {
  auto url = NSURL::URLWithString(server().url("/small"));
  BusiestThread busiest(state);
  for (auto _ : state) {
    int finished = 0;
    size_t bytes = 0;
    std::vector<std::shared_ptr<HXHTTPRequest>> requests;
    requests.reserve(kSmallReplies);
    for (int i = 0; i < kSmallReplies; ++i) {
      auto r = HXHTTPRequest::requestWithURL(url);
      HXHTTPRequest* raw = r.get();
      r->setCompletionBlock([&finished, &bytes, raw] {
        if (auto body = raw->rawResponseData()) bytes += body->size();
        ++finished;
      });
      r->setFailedBlock([&finished] { ++finished; });
      requests.push_back(r);
      r->startAsynchronous();
    }
    pumpMainLoopUntil([&] { return finished == kSmallReplies; });
    if (bytes != size_t(kSmallReplies) * 200) state.SkipWithError("short replies");
  }
  state.SetItemsProcessed(state.iterations() * kSmallReplies);
}

void BM_CurlSmallReplies(benchmark::State& state) {
  std::string url = server().url("/small");
  CURLM* multi = curl_multi_init();
  std::vector<CURL*> handles;
  std::vector<std::string> bodies(kWidth);
  for (int i = 0; i < kWidth; ++i) {
    CURL* e = curl_easy_init();
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &appendBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &bodies[i]);
    curl_easy_setopt(e, CURLOPT_PRIVATE, &bodies[i]);
    handles.push_back(e);
  }
  BusiestThread busiest(state);
  for (auto _ : state) {
    int started = 0, finished = 0;
    size_t bytes = 0;
    for (CURL* e : handles) {
      curl_multi_add_handle(multi, e);
      ++started;
    }
    while (finished < kSmallReplies) {
      int running = 0;
      curl_multi_perform(multi, &running);
      int left = 0;
      while (CURLMsg* m = curl_multi_info_read(multi, &left)) {
        if (m->msg != CURLMSG_DONE) continue;
        ++finished;
        CURL* e = m->easy_handle;
        std::string* body;
        curl_easy_getinfo(e, CURLINFO_PRIVATE, reinterpret_cast<char**>(&body));
        bytes += body->size();
        body->clear();
        curl_multi_remove_handle(multi, e);
        if (started < kSmallReplies) {
          curl_multi_add_handle(multi, e);
          ++started;
        }
      }
      if (finished < kSmallReplies) curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    if (bytes != size_t(kSmallReplies) * 200) state.SkipWithError("short replies");
  }
  for (CURL* e : handles) curl_easy_cleanup(e);
  curl_multi_cleanup(multi);
  state.SetItemsProcessed(state.iterations() * kSmallReplies);
}

void BM_CurlSmallRepliesOneByOne(benchmark::State& state) {
  std::string url = server().url("/small");
  CURL* e = curl_easy_init();
  std::string body;
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &appendBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &body);
  BusiestThread busiest(state);
  for (auto _ : state) {
    size_t bytes = 0;
    for (int i = 0; i < kSmallReplies; ++i) {
      body.clear();
      curl_easy_perform(e);
      bytes += body.size();
    }
    if (bytes != size_t(kSmallReplies) * 200) state.SkipWithError("short replies");
  }
  curl_easy_cleanup(e);
  state.SetItemsProcessed(state.iterations() * kSmallReplies);
}

void BM_EngineLargeBody(benchmark::State& state) {
  auto url = NSURL::URLWithString(largeBodyServer().url());
  for (auto _ : state) {
    bool done = false;
    auto r = HXHTTPRequest::requestWithURL(url);
    r->setCompletionBlock([&done] { done = true; });
    r->setFailedBlock([&done] { done = true; });
    r->startAsynchronous();
    pumpMainLoopUntil([&] { return done; });
    // The engine reserves the announced length and hands its buffer over.
    HXHTTPRequest::Body body = r->rawResponseData();
    if (!body || body->size() != kLargeBody) state.SkipWithError("short body");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kLargeBody));
}

void BM_CurlLargeBody(benchmark::State& state) {
  std::string url = largeBodyServer().url();
  CURL* e = curl_easy_init();
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBuffer);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &appendBody);
  for (auto _ : state) {
    std::string body;
    body.reserve(kLargeBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(e);
    if (body.size() != kLargeBody) state.SkipWithError("short body");
  }
  curl_easy_cleanup(e);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kLargeBody));
}

}  // namespace

BENCHMARK(BM_EngineSmallReplies)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlSmallReplies)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlSmallRepliesOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EngineLargeBody)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CurlLargeBody)->Unit(benchmark::kMillisecond)->UseRealTime();
