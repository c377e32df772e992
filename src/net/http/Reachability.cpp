#include "net/http/Reachability.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <cstring>

#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSRunLoop.h"

namespace {

void reachabilityCallback(const SCNetworkReachabilityRef&, SCNetworkReachabilityFlags, void* info) {
  auto* object = static_cast<Reachability*>(info);
  if (!object) return;
  // Observers read the state themselves from the object they receive.
  auto self = std::static_pointer_cast<Reachability>(object->weak_from_this().lock());
  if (!self) return;
  NSNotificationCenter::defaultCenter()->postNotificationName(kReachabilityChangedNotification,
                                                              Value(self));
}

sockaddr_in ipv4Address(uint32_t hostOrderAddress) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = 0;
  address.sin_addr.s_addr = htonl(hostOrderAddress);
  return address;
}

}  // namespace

std::shared_ptr<Reachability> Reachability::reachabilityWithHostName(std::string_view hostName) {
  std::string name(hostName);
  auto ref = SCNetworkReachabilityCreateWithName(name.c_str());
  if (!ref) return nullptr;
  return std::make_shared<Reachability>(std::move(ref));
}

std::shared_ptr<Reachability> Reachability::reachabilityWithAddress(
    const sockaddr_in* hostAddress) {
  auto ref = SCNetworkReachabilityCreateWithAddress(reinterpret_cast<const sockaddr*>(hostAddress));
  if (!ref) return nullptr;
  return std::make_shared<Reachability>(std::move(ref));
}

std::shared_ptr<Reachability> Reachability::reachabilityForInternetConnection() {
  sockaddr_in zero = ipv4Address(INADDR_ANY);
  return reachabilityWithAddress(&zero);
}

std::shared_ptr<Reachability> Reachability::reachabilityForLocalWiFi() {
  // 169.254.0.0, the IPv4 link-local network.
  sockaddr_in linkLocal = ipv4Address(0xA9FE0000u);
  auto r = reachabilityWithAddress(&linkLocal);
  if (r) r->localWiFiRef_ = true;
  return r;
}

Reachability::~Reachability() {
  stopNotifer();
  // Whatever loop it was on, no callback may reach this object any more.
  SCNetworkReachabilitySetCallback(reachabilityRef_, nullptr, nullptr);
}

bool Reachability::startNotifer() {
  SCNetworkReachabilityContext context;
  context.version = 0;
  context.info = this;
  return SCNetworkReachabilitySetCallback(reachabilityRef_, reachabilityCallback, &context) &&
         SCNetworkReachabilityScheduleWithRunLoop(reachabilityRef_, NSRunLoop::currentRunLoop(),
                                                  NSDefaultRunLoopMode);
}

void Reachability::stopNotifer() {
  if (reachabilityRef_)
    SCNetworkReachabilityUnscheduleFromRunLoop(reachabilityRef_, NSRunLoop::currentRunLoop(),
                                               NSDefaultRunLoopMode);
}

NetworkStatus Reachability::currentReachabilityStatus() {
  SCNetworkReachabilityFlags flags = 0;
  if (!SCNetworkReachabilityGetFlags(reachabilityRef_, &flags)) return NotReachable;
  return localWiFiRef_ ? localWiFiStatusForFlags(flags) : networkStatusForFlags(flags);
}

bool Reachability::connectionRequired() const {
  SCNetworkReachabilityFlags flags = 0;
  return SCNetworkReachabilityGetFlags(reachabilityRef_, &flags) &&
         (flags & kSCNetworkReachabilityFlagsConnectionRequired);
}

NetworkStatus Reachability::networkStatusForFlags(SCNetworkReachabilityFlags flags) {
  if (!(flags & kSCNetworkReachabilityFlagsReachable)) return NotReachable;
  NetworkStatus wifi = NotReachable;
  // No connection to make first, or one that is made on demand or on traffic without asking
  // the user.
  if (!(flags & kSCNetworkReachabilityFlagsConnectionRequired))
    wifi = ReachableViaWiFi;
  else if ((flags & (kSCNetworkReachabilityFlagsConnectionOnDemand |
                     kSCNetworkReachabilityFlagsConnectionOnTraffic)) &&
           !(flags & kSCNetworkReachabilityFlagsInterventionRequired))
    wifi = ReachableViaWiFi;
  if (flags & kSCNetworkReachabilityFlagsIsWWAN) {
    subReachabilityRef_ = (flags & kSCNetworkReachabilityFlagsTransientConnection)
                              ? kSubNetworkStatusWWANTransient
                              : kSubNetworkStatusWWAN;
    return ReachableViaWWAN;
  }
  return wifi;
}

NetworkStatus Reachability::localWiFiStatusForFlags(SCNetworkReachabilityFlags flags) const {
  constexpr SCNetworkReachabilityFlags wanted =
      kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsDirect;
  return (flags & wanted) == wanted ? ReachableViaWiFi : NotReachable;
}

bool Reachability::isConnectedToNetwork() {
  sockaddr_in zero = ipv4Address(INADDR_ANY);
  auto ref = SCNetworkReachabilityCreateWithAddress(reinterpret_cast<const sockaddr*>(&zero));
  SCNetworkReachabilityFlags flags = 0;
  if (!SCNetworkReachabilityGetFlags(ref, &flags)) return false;
  return (flags & kSCNetworkReachabilityFlagsReachable) &&
         !(flags & kSCNetworkReachabilityFlagsConnectionRequired);
}

int Reachability::getCurrentNetWorkStatus() {
  auto r = reachabilityWithHostName(kProbeHostName);
  return r ? r->currentReachabilityStatus() : NotReachable;
}

int Reachability::getCurrentSubNetWorkStatus() {
  auto r = reachabilityWithHostName(kProbeHostName);
  if (!r) return 0;
  r->currentReachabilityStatus();
  return r->subReachabilityStatus();
}

bool Reachability::isNetWorkReachable() {
  return getCurrentNetWorkStatus() != NotReachable;
}

bool Reachability::isNetWorkViaWiFi() {
  return getCurrentNetWorkStatus() == ReachableViaWiFi;
}

bool Reachability::isNetWorkVia3G() {
  return getCurrentSubNetWorkStatus() == kSubNetworkStatusWWAN;
}

bool Reachability::isNetWorkVia2G() {
  return getCurrentSubNetWorkStatus() == kSubNetworkStatusWWANTransient;
}

std::optional<std::string> Reachability::getIpByHost(const std::optional<std::string>& hostName) {
  if (!hostName || hostName->empty()) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (getaddrinfo(hostName->c_str(), nullptr, &hints, &result) != 0 || !result) return std::nullopt;
  std::optional<std::string> text;
  for (addrinfo* a = result; a && !text; a = a->ai_next) {
    if (a->ai_family != AF_INET || !a->ai_addr) continue;
    char buffer[INET_ADDRSTRLEN] = {};
    auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
    if (inet_ntop(AF_INET, &in->sin_addr, buffer, sizeof buffer) && buffer[0]) text = buffer;
  }
  freeaddrinfo(result);
  return text;
}

void Reachability::parseIpAdrress(const char* hostName) {
  if (!hostName) return;
  getIpByHost(std::string(hostName));
}
