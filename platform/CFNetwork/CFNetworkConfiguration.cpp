#include "CFNetwork/CFNetworkConfiguration.h"

#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <mutex>

#include "CFNetwork/CFNetworkTrust.h"

namespace {

struct Mapping {
  std::string host;
  int port;
  std::string toHost;
  int toPort;
};

std::mutex gMutex;
std::vector<Mapping>& mappings() {
  static std::vector<Mapping> m;
  return m;
}
std::vector<X509*>& trusted() {
  static std::vector<X509*> t;
  return t;
}

}  // namespace

void CFNetworkMapHost(std::string_view host, int port, std::string_view toHost, int toPort) {
  std::lock_guard<std::mutex> lock(gMutex);
  auto& m = mappings();
  for (auto& e : m) {
    if (e.host == host && e.port == port) {
      e.toHost = toHost;
      e.toPort = toPort;
      return;
    }
  }
  m.push_back({std::string(host), port, std::string(toHost), toPort});
}

void CFNetworkRemoveHostMappings() {
  std::lock_guard<std::mutex> lock(gMutex);
  mappings().clear();
}

std::vector<std::string> CFNetworkHostMappingEntries() {
  std::lock_guard<std::mutex> lock(gMutex);
  std::vector<std::string> out;
  for (auto& e : mappings()) {
    out.push_back(e.host + ":" + (e.port ? std::to_string(e.port) : std::string()) + ":" +
                  e.toHost + ":" + std::to_string(e.toPort));
  }
  return out;
}

bool CFNetworkAddTrustedCertificatesFromFile(const std::string& pemPath) {
  FILE* f = std::fopen(pemPath.c_str(), "r");
  if (!f) return false;
  std::vector<X509*> certs;
  while (X509* c = PEM_read_X509(f, nullptr, nullptr, nullptr)) certs.push_back(c);
  std::fclose(f);
  if (certs.empty()) return false;
  std::lock_guard<std::mutex> lock(gMutex);
  auto& t = trusted();
  t.insert(t.end(), certs.begin(), certs.end());
  return true;
}

void CFNetworkRemoveTrustedCertificates() {
  std::lock_guard<std::mutex> lock(gMutex);
  for (X509* c : trusted()) X509_free(c);
  trusted().clear();
}

bool CFNetworkHasTrustedCertificates() {
  std::lock_guard<std::mutex> lock(gMutex);
  return !trusted().empty();
}

void CFNetworkAddTrustedCertificatesToStore(X509_STORE* store) {
  std::lock_guard<std::mutex> lock(gMutex);
  for (X509* c : trusted()) X509_STORE_add_cert(store, c);
}
