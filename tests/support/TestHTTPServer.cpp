#include "support/TestHTTPServer.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <httplib.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "Foundation/NSString.h"
#include "server/loopback/LoopbackHost.h"

namespace testsupport {

namespace {

using zept::loopback::LoopbackHost;

struct KeyFree {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertFree {
  void operator()(X509* c) const { X509_free(c); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;
using CertPtr = std::unique_ptr<X509, CertFree>;

KeyPtr newKey() {
  return KeyPtr(EVP_EC_gen("prime256v1"));
}

void addExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  if (!ext) throw std::runtime_error("certificate extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

CertPtr makeCertificate(EVP_PKEY* key, const std::string& commonName, X509* issuer,
                        EVP_PKEY* issuerKey, long serial, bool isCA,
                        const std::string& subjectAltNames) {
  CertPtr cert(X509_new());
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600L * 24 * 365);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1, 0);
  X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);
  X509* issuerCert = issuer ? issuer : cert.get();
  if (isCA) {
    addExtension(cert.get(), issuerCert, NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert.get(), issuerCert, NID_key_usage, "critical,keyCertSign,cRLSign");
  } else {
    addExtension(cert.get(), issuerCert, NID_basic_constraints, "critical,CA:FALSE");
    addExtension(cert.get(), issuerCert, NID_ext_key_usage, "serverAuth");
    addExtension(cert.get(), issuerCert, NID_subject_alt_name, subjectAltNames);
  }
  X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256());
  return cert;
}

struct Authority {
  KeyPtr key;
  CertPtr cert;
  TestCertificateAuthority files;
};

Authority& authority() {
  static Authority* a = [] {
    auto* au = new Authority;
    au->key = newKey();
    au->cert = makeCertificate(au->key.get(), "zept test authority", nullptr, nullptr, 1, true, "");
    std::string dir =
        (std::filesystem::temp_directory_path() / ("zept-test-ca-" + std::to_string(getpid())))
            .string();
    std::filesystem::create_directories(dir);
    au->files.caCertificatePath = dir + "/ca.pem";
    FILE* f = std::fopen(au->files.caCertificatePath.c_str(), "w");
    if (f) {
      PEM_write_X509(f, au->cert.get());
      std::fclose(f);
    }
    std::atexit([] {
      std::filesystem::remove_all(
          std::filesystem::path(authority().files.caCertificatePath).parent_path());
    });
    return au;
  }();
  return *a;
}

}  // namespace

bool TestHTTPRequest::hasHeader(std::string_view name) const {
  for (auto& [k, v] : headers)
    if (equalsIgnoringASCIICase(k, name)) return true;
  return false;
}

std::string TestHTTPRequest::header(std::string_view name) const {
  for (auto& [k, v] : headers)
    if (equalsIgnoringASCIICase(k, name)) return v;
  return {};
}

std::string TestHTTPRequest::raw() const {
  std::string s = method + " " + target + " " + version + "\r\n";
  for (auto& [k, v] : headers) s += k + ": " + v + "\r\n";
  s += "\r\n";
  s += body;
  return s;
}

TestHTTPReply TestHTTPReply::text(std::string body, int status, std::string contentType) {
  TestHTTPReply r;
  r.status = status;
  r.body = std::move(body);
  r.contentType = std::move(contentType);
  return r;
}

const TestCertificateAuthority& TestCertificateAuthority::shared() {
  return authority().files;
}

TestCertificateAuthority::ServerFiles TestCertificateAuthority::issueServerCertificate(
    const std::vector<std::string>& hostNames) {
  Authority& ca = authority();
  KeyPtr key = newKey();
  std::string names = "IP:127.0.0.1";
  for (auto& n : hostNames) names += ",DNS:" + n;
  static std::atomic<long> serial{10000};
  long number = serial++;
  CertPtr cert = makeCertificate(key.get(), hostNames.empty() ? "127.0.0.1" : hostNames.front(),
                                 ca.cert.get(), ca.key.get(), number, false, names);
  std::string dir = std::filesystem::path(ca.files.caCertificatePath).parent_path().string();
  ServerFiles files{dir + "/server-" + std::to_string(number) + ".pem",
                    dir + "/server-" + std::to_string(number) + ".key"};
  FILE* f = std::fopen(files.certificatePath.c_str(), "w");
  if (!f) throw std::runtime_error("cannot write " + files.certificatePath);
  PEM_write_X509(f, cert.get());
  std::fclose(f);
  f = std::fopen(files.keyPath.c_str(), "w");
  if (!f) throw std::runtime_error("cannot write " + files.keyPath);
  PEM_write_PrivateKey(f, key.get(), nullptr, nullptr, 0, nullptr, nullptr);
  std::fclose(f);
  return files;
}

std::string gzipBytes(std::string_view data) {
  z_stream zs{};
  deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, data.size()) + 32, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

// ---------------------------------------------------------------------------------------------

class TestHTTPServer::Impl {
 public:
  explicit Impl(const Options& options) {
    std::unique_ptr<httplib::Server> server;
    if (options.tls) {
      Authority& ca = authority();
      KeyPtr key = newKey();
      std::string names = "IP:127.0.0.1";
      for (auto& n : options.tlsHostNames) names += ",DNS:" + n;
      static std::atomic<long> serial{100};
      CertPtr cert = makeCertificate(
          key.get(), options.tlsHostNames.empty() ? "127.0.0.1" : options.tlsHostNames.front(),
          ca.cert.get(), ca.key.get(), serial++, false, names);
      server = std::make_unique<httplib::SSLServer>(cert.get(), key.get());
    } else {
      server = std::make_unique<httplib::Server>();
    }
    // Without it a reply written in two pieces waits for the client's delayed acknowledgement.
    server->set_tcp_nodelay(true);
    server->set_keep_alive_max_count(options.keepAliveMax);
    server->set_keep_alive_timeout(options.keepAliveTimeoutSeconds);
    auto handler = [this](const httplib::Request& req, httplib::Response& res) {
      handle(req, res);
    };
    server->Get(".*", handler);
    server->Post(".*", handler);
    server->Put(".*", handler);
    server->Patch(".*", handler);
    server->Delete(".*", handler);
    server->Options(".*", handler);
    host = std::make_unique<LoopbackHost>(std::move(server));
  }

  // Waits up to `seconds`; false when the server is stopping or silent replies were released.
  bool pause(double seconds, bool untilReleased = false) {
    std::unique_lock<std::mutex> lock(mutex);
    auto done = [&] { return stopping || (untilReleased && released); };
    if (untilReleased) {
      cv.wait(lock, done);
      return false;
    }
    return !cv.wait_for(lock, std::chrono::duration<double>(seconds), done);
  }

  void handle(const httplib::Request& req, httplib::Response& res) {
    TestHTTPRequest rec;
    rec.method = req.method;
    rec.target = req.target;
    rec.path = req.path;
    auto q = req.target.find('?');
    if (q != std::string::npos) rec.query = req.target.substr(q + 1);
    rec.version = req.version;
    for (auto& [k, v] : req.headers) {
      // The library adds these itself while parsing.
      if (k == "REMOTE_ADDR" || k == "REMOTE_PORT" || k == "LOCAL_ADDR" || k == "LOCAL_PORT")
        continue;
      rec.headers.emplace_back(k, v);
    }
    rec.body = req.body;
    rec.remotePort = req.remote_port;
    Handler h;
    {
      std::lock_guard<std::mutex> lock(mutex);
      recorded.push_back(rec);
      auto it = handlers.find(rec.path);
      if (it != handlers.end()) h = it->second;
    }
    cv.notify_all();
    // The library would otherwise compress text replies on its own whenever the client accepts
    // gzip; replies here are exactly what the script says.
    const_cast<httplib::Request&>(req).headers.erase("Accept-Encoding");
    // Nor does it cut a reply to the range a request asks for: the script decides.
    const_cast<httplib::Request&>(req).ranges.clear();

    TestHTTPReply reply = h ? h(rec) : TestHTTPReply::text("not found", 404);
    if (reply.silent) {
      pause(0, true);
      res.status = 503;
      res.set_content_provider(1, "text/plain",
                               [](size_t, size_t, httplib::DataSink&) { return false; });
      return;
    }
    if (reply.delaySeconds > 0 && !pause(reply.delaySeconds)) return;

    res.status = reply.status;
    for (auto& [k, v] : reply.headers) res.set_header(k, v);
    if (reply.closeConnection) res.set_header("Connection", "close");
    std::string body = reply.gzip ? gzipBytes(reply.body) : reply.body;
    if (reply.gzip) res.set_header("Content-Encoding", "gzip");
    auto shared = std::make_shared<std::string>(std::move(body));
    size_t piece = reply.chunkSize ? reply.chunkSize : 16384;
    double pieceDelay = reply.pieceDelaySeconds;
    std::optional<size_t> cut = reply.closeAfterBodyBytes;
    if (reply.chunked || reply.closeDelimited) {
      auto provider = [this, shared, piece, pieceDelay, cut](size_t offset,
                                                             httplib::DataSink& sink) {
        if (offset > 0 && pieceDelay > 0 && !pause(pieceDelay)) return false;
        size_t end = shared->size();
        if (cut && *cut < end) end = *cut;
        if (offset >= end) {
          if (cut && *cut < shared->size()) return false;
          sink.done();
          return true;
        }
        size_t n = std::min(piece, end - offset);
        return sink.write(shared->data() + offset, n);
      };
      if (reply.chunked)
        res.set_chunked_content_provider(reply.contentType, provider);
      else
        res.set_content_provider(reply.contentType, provider);
      return;
    }
    if (shared->empty() && !cut) {
      if (!reply.contentType.empty()) res.set_header("Content-Type", reply.contentType);
      return;
    }
    res.set_content_provider(shared->size(), reply.contentType,
                             [this, shared, piece, pieceDelay, cut](size_t offset, size_t length,
                                                                    httplib::DataSink& sink) {
                               if (offset > 0 && pieceDelay > 0 && !pause(pieceDelay)) return false;
                               if (cut && offset >= *cut) return false;
                               size_t n = std::min(piece, length);
                               if (cut) n = std::min(n, *cut - offset);
                               return sink.write(shared->data() + offset, n);
                             });
  }

  std::unique_ptr<LoopbackHost> host;
  mutable std::mutex mutex;
  mutable std::condition_variable cv;
  bool stopping = false;
  bool released = false;
  std::vector<TestHTTPRequest> recorded;
  std::map<std::string, Handler> handlers;
};

TestHTTPServer::TestHTTPServer() : TestHTTPServer(Options{}) {}

TestHTTPServer::TestHTTPServer(Options options)
    : impl_(std::make_unique<Impl>(options)), tls_(options.tls) {
  port_ = impl_->host->start();
  if (port_ <= 0) throw std::runtime_error("TestHTTPServer: cannot bind a loopback port");
}

TestHTTPServer::~TestHTTPServer() {
  stop();
}

std::string TestHTTPServer::url(std::string_view path) const {
  std::string s = (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_);
  if (path.empty() || path.front() != '/') s += '/';
  s += path;
  return s;
}

void TestHTTPServer::on(const std::string& path, TestHTTPReply reply) {
  on(path, [reply](const TestHTTPRequest&) { return reply; });
}

void TestHTTPServer::on(const std::string& path, Handler handler) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->handlers[path] = std::move(handler);
}

std::vector<TestHTTPRequest> TestHTTPServer::requests() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->recorded;
}

TestHTTPRequest TestHTTPServer::lastRequest() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->recorded.empty() ? TestHTTPRequest{} : impl_->recorded.back();
}

size_t TestHTTPServer::requestCount() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->recorded.size();
}

size_t TestHTTPServer::connectionCount() const {
  return impl_->host->acceptedConnections();
}

bool TestHTTPServer::waitForRequests(size_t n, double timeoutSeconds) const {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->cv.wait_for(lock, std::chrono::duration<double>(timeoutSeconds),
                            [&] { return impl_->recorded.size() >= n; });
}

void TestHTTPServer::releaseSilent() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->released = true;
  }
  impl_->cv.notify_all();
}

void TestHTTPServer::stop() {
  if (!impl_) return;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->cv.notify_all();
  impl_->host->stop();
}

// ---------------------------------------------------------------------------------------------

TestRawHTTPServer::TestRawHTTPServer(Handler handler) : handler_(std::move(handler)) {
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listenFd_, 64) != 0)
    throw std::runtime_error("TestRawHTTPServer: cannot listen");
  port_ = LoopbackHost::localPort(listenFd_);
  acceptThread_ = std::thread([this] { acceptLoop(); });
}

TestRawHTTPServer::~TestRawHTTPServer() {
  stop();
}

std::string TestRawHTTPServer::url(std::string_view path) const {
  std::string s = "http://127.0.0.1:" + std::to_string(port_);
  if (path.empty() || path.front() != '/') s += '/';
  s += path;
  return s;
}

std::vector<std::string> TestRawHTTPServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

size_t TestRawHTTPServer::connectionCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

void TestRawHTTPServer::acceptLoop() {
  LoopbackHost::blockSigpipeOnThisThread();
  while (!stopping_) {
    pollfd p{listenFd_, POLLIN, 0};
    if (poll(&p, 1, 20) <= 0) continue;
    int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    ++connections_;
    openFds_.push_back(fd);
    workers_.emplace_back([this, fd] { serve(fd); });
  }
}

void TestRawHTTPServer::serve(int fd) {
  LoopbackHost::blockSigpipeOnThisThread();
  std::string buffer;
  char chunk[16384];
  while (!stopping_) {
    // Read one request: headers, then a body of Content-Length bytes.
    size_t headerEnd;
    while ((headerEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
      pollfd p{fd, POLLIN, 0};
      int r = poll(&p, 1, 20);
      if (stopping_) return;
      if (r <= 0) continue;
      ssize_t n = recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      buffer.append(chunk, size_t(n));
    }
    size_t length = 0;
    std::string head = buffer.substr(0, headerEnd);
    for (size_t pos = 0; pos < head.size();) {
      size_t eol = head.find("\r\n", pos);
      if (eol == std::string::npos) eol = head.size();
      std::string line = head.substr(pos, eol - pos);
      auto colon = line.find(':');
      if (colon != std::string::npos &&
          equalsIgnoringASCIICase(line.substr(0, colon), "content-length"))
        length = std::strtoull(line.c_str() + colon + 1, nullptr, 10);
      pos = eol + 2;
    }
    while (buffer.size() < headerEnd + 4 + length) {
      ssize_t n = recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      buffer.append(chunk, size_t(n));
    }
    std::string request = buffer.substr(0, headerEnd + 4 + length);
    buffer.erase(0, request.size());
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    RawReply reply = handler_(request);
    if (reply.delaySeconds > 0) {
      auto until =
          std::chrono::steady_clock::now() + std::chrono::duration<double>(reply.delaySeconds);
      while (!stopping_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    size_t sent = 0;
    while (sent < reply.bytes.size()) {
      ssize_t n = send(fd, reply.bytes.data() + sent, reply.bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += size_t(n);
    }
    if (reply.closeAfter) {
      shutdown(fd, SHUT_RDWR);
      return;
    }
  }
}

void TestRawHTTPServer::stop() {
  if (!acceptThread_.joinable()) return;
  stopping_ = true;
  acceptThread_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
    for (int fd : openFds_) shutdown(fd, SHUT_RDWR);
  }
  for (auto& t : workers) t.join();
  for (int fd : openFds_) close(fd);
  openFds_.clear();
  close(listenFd_);
}

}  // namespace testsupport
