#include "CFNetwork/CFNetworkConfiguration.h"

#include <openssl/pem.h>
#include <openssl/x509.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>

#include "CFNetwork/CFNetworkTrust.h"
#include "Foundation/NSString.h"

namespace {

struct Mapping {
  std::string host;
  int port;
  std::string toHost;
  int toPort;
};

std::mutex gMutex;
// Changed with the mappings (under gMutex), read without it: a stream thread keeps the list it
// built until the count moves.
std::atomic<uint64_t> gMappingGeneration{1};
std::atomic<bool> gHasTrusted{false};
std::vector<Mapping>& mappings() {
  static std::vector<Mapping> m;
  return m;
}
// Host (lower case) -> lookups still to fail.
std::map<std::string, int>& failingLookups() {
  static std::map<std::string, int> m;
  return m;
}
std::atomic<bool> gHasFailingLookups{false};

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
      ++gMappingGeneration;
      return;
    }
  }
  m.push_back({std::string(host), port, std::string(toHost), toPort});
  ++gMappingGeneration;
}

void CFNetworkRemoveHostMappings() {
  std::lock_guard<std::mutex> lock(gMutex);
  mappings().clear();
  ++gMappingGeneration;
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

std::shared_ptr<const curl_slist> CFNetworkHostMappingList() {
  thread_local uint64_t builtFor = 0;
  thread_local std::shared_ptr<const curl_slist> list;
  // Read before the entries: a change in between only makes the next call build again.
  uint64_t generation = gMappingGeneration.load();
  if (generation == builtFor) return list;
  curl_slist* built = nullptr;
  for (auto& entry : CFNetworkHostMappingEntries()) {
    curl_slist* longer = curl_slist_append(built, entry.c_str());
    if (!longer) {
      curl_slist_free_all(built);
      return nullptr;  // out of memory: no mappings this time, and build again next time
    }
    built = longer;
  }
  list = built ? std::shared_ptr<const curl_slist>(
                     built,
                     [](const curl_slist* l) { curl_slist_free_all(const_cast<curl_slist*>(l)); })
               : nullptr;
  builtFor = generation;
  return list;
}

uint64_t CFNetworkHostMappingGeneration() {
  return gMappingGeneration.load();
}

void CFNetworkFailHostLookups(std::string_view host, int times) {
  std::lock_guard<std::mutex> lock(gMutex);
  auto& m = failingLookups();
  if (times > 0)
    m[lowercaseASCIIString(host)] = times;
  else
    m.erase(lowercaseASCIIString(host));
  gHasFailingLookups = !m.empty();
}

bool CFNetworkTakeFailedHostLookup(std::string_view url) {
  if (!gHasFailingLookups.load()) return false;
  // The host of "scheme://[user@]host[:port]/...".
  size_t start = url.find("://");
  if (start == std::string_view::npos) return false;
  start += 3;
  size_t end = url.find_first_of("/?#", start);
  std::string_view authority =
      url.substr(start, end == std::string_view::npos ? url.npos : end - start);
  if (size_t at = authority.rfind('@'); at != std::string_view::npos)
    authority.remove_prefix(at + 1);
  std::string_view host = authority;
  if (!host.empty() && host.front() == '[') {
    size_t close = host.find(']');
    host = host.substr(1, close == std::string_view::npos ? host.npos : close - 1);
  } else if (size_t colon = host.rfind(':'); colon != std::string_view::npos) {
    host = host.substr(0, colon);
  }
  std::lock_guard<std::mutex> lock(gMutex);
  auto& m = failingLookups();
  auto it = m.find(lowercaseASCIIString(host));
  if (it == m.end()) return false;
  if (--it->second <= 0) m.erase(it);
  gHasFailingLookups = !m.empty();
  return true;
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
  gHasTrusted = true;
  return true;
}

void CFNetworkRemoveTrustedCertificates() {
  std::lock_guard<std::mutex> lock(gMutex);
  for (X509* c : trusted()) X509_free(c);
  trusted().clear();
  gHasTrusted = false;
}

bool CFNetworkHasTrustedCertificates() {
  return gHasTrusted.load();
}

void CFNetworkAddTrustedCertificatesToStore(X509_STORE* store) {
  std::lock_guard<std::mutex> lock(gMutex);
  for (X509* c : trusted()) X509_STORE_add_cert(store, c);
}
