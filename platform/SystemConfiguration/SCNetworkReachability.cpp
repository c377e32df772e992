#include "SystemConfiguration/SCNetworkReachability.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"

namespace {

struct Interface {
  std::string name;
  int family = 0;
  std::array<uint8_t, 16> address{};
  std::array<uint8_t, 16> mask{};
};

struct NetworkState {
  std::vector<Interface> interfaces;  // up, running, with an address
  std::vector<std::string> defaultRouteInterfaces;
};

bool isCellular(const std::string& name) {
  for (const char* prefix : {"wwan", "rmnet", "ppp"})
    if (name.rfind(prefix, 0) == 0) return true;
  return false;
}

bool isLoopback(const std::string& name) {
  return name == "lo";
}

void copyAddress(const sockaddr* sa, int* family, std::array<uint8_t, 16>* out) {
  out->fill(0);
  *family = sa ? sa->sa_family : 0;
  if (*family == AF_INET)
    std::memcpy(out->data(), &reinterpret_cast<const sockaddr_in*>(sa)->sin_addr, 4);
  else if (*family == AF_INET6)
    std::memcpy(out->data(), &reinterpret_cast<const sockaddr_in6*>(sa)->sin6_addr, 16);
}

// The interfaces that are up, and those the default routes (IPv4 and IPv6) leave through.
NetworkState readNetworkState() {
  NetworkState state;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) == 0) {
    for (ifaddrs* i = list; i; i = i->ifa_next) {
      if (!i->ifa_addr || !(i->ifa_flags & IFF_UP) || !(i->ifa_flags & IFF_RUNNING)) continue;
      Interface iface;
      iface.name = i->ifa_name;
      copyAddress(i->ifa_addr, &iface.family, &iface.address);
      if (iface.family != AF_INET && iface.family != AF_INET6) continue;
      int maskFamily = 0;
      copyAddress(i->ifa_netmask, &maskFamily, &iface.mask);
      state.interfaces.push_back(iface);
    }
    freeifaddrs(list);
  }
  auto isUp = [&](const std::string& name) {
    return std::any_of(state.interfaces.begin(), state.interfaces.end(),
                       [&](const Interface& i) { return i.name == name; });
  };
  std::ifstream v4("/proc/net/route");
  std::string line;
  std::getline(v4, line);  // the column titles
  while (std::getline(v4, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, flags, refCount, use, metric, mask;
    fields >> name >> destination >> gateway >> flags >> refCount >> use >> metric >> mask;
    unsigned long routeFlags = std::strtoul(flags.c_str(), nullptr, 16);
    if (destination == "00000000" && mask == "00000000" && (routeFlags & 1) && isUp(name))
      state.defaultRouteInterfaces.push_back(name);
  }
  std::ifstream v6("/proc/net/ipv6_route");
  while (std::getline(v6, line)) {
    std::istringstream fields(line);
    std::vector<std::string> f;
    for (std::string w; fields >> w;) f.push_back(w);
    if (f.size() < 10) continue;
    const std::string& name = f.back();
    if (f[0] == std::string(32, '0') && f[1] == "00" && !isLoopback(name) && isUp(name))
      state.defaultRouteInterfaces.push_back(name);
  }
  return state;
}

bool onNetwork(const Interface& iface, int family, const std::array<uint8_t, 16>& address) {
  if (iface.family != family) return false;
  size_t n = family == AF_INET ? 4 : 16;
  for (size_t i = 0; i < n; ++i)
    if ((iface.address[i] & iface.mask[i]) != (address[i] & iface.mask[i])) return false;
  return true;
}

SCNetworkReachabilityFlags viaDefaultRoute(const NetworkState& state) {
  if (state.defaultRouteInterfaces.empty()) return 0;
  SCNetworkReachabilityFlags flags = kSCNetworkReachabilityFlagsReachable;
  // The link the traffic would take: a non-cellular one wins when there are several.
  if (std::all_of(state.defaultRouteInterfaces.begin(), state.defaultRouteInterfaces.end(),
                  isCellular))
    flags |= kSCNetworkReachabilityFlagsIsWWAN;
  return flags;
}

SCNetworkReachabilityFlags flagsForAddress(const NetworkState& state, int family,
                                           const std::array<uint8_t, 16>& address) {
  static const std::array<uint8_t, 16> zero{};
  constexpr SCNetworkReachabilityFlags local = kSCNetworkReachabilityFlagsReachable |
                                               kSCNetworkReachabilityFlagsIsLocalAddress |
                                               kSCNetworkReachabilityFlagsIsDirect;
  if (address == zero) return viaDefaultRoute(state);
  if ((family == AF_INET && address[0] == 127) ||
      (family == AF_INET6 &&
       address == std::array<uint8_t, 16>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}))
    return local;
  for (auto& i : state.interfaces)
    if (i.family == family && i.address == address) return local;
  // The IPv4 link-local network is at hand wherever a local (non-cellular) network is.
  bool linkLocal = family == AF_INET && address[0] == 169 && address[1] == 254;
  for (auto& i : state.interfaces) {
    if (isLoopback(i.name) || isCellular(i.name)) continue;
    if (onNetwork(i, family, address) || (linkLocal && i.family == AF_INET))
      return kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsDirect;
  }
  return viaDefaultRoute(state);
}

std::mutex gTestMutex;
std::optional<SCNetworkReachabilityFlags> gTestFlags;

}  // namespace

class SCNetworkReachability : public std::enable_shared_from_this<SCNetworkReachability> {
 public:
  SCNetworkReachability() = default;
  ~SCNetworkReachability() {
    stopWatching();
    if (context_.release && context_.info) context_.release(context_.info);
  }

  bool byName = false;
  std::string name;
  int family = 0;
  std::array<uint8_t, 16> address{};

  SCNetworkReachabilityFlags currentFlags() const {
    {
      std::lock_guard<std::mutex> lock(gTestMutex);
      if (gTestFlags) return *gTestFlags;
    }
    NetworkState state = readNetworkState();
    if (!byName) return flagsForAddress(state, family, address);
    std::string lower = lowercaseASCIIString(name);
    if (lower == "localhost" || lower == "localhost.") {
      std::array<uint8_t, 16> loopback{127, 0, 0, 1};
      return flagsForAddress(state, AF_INET, loopback);
    }
    return viaDefaultRoute(state);
  }

  void setCallback(SCNetworkReachabilityCallBack callback,
                   const SCNetworkReachabilityContext* context) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (context_.release && context_.info) context_.release(context_.info);
    callback_ = callback;
    context_ = callback && context ? *context : SCNetworkReachabilityContext{};
    if (context_.retain && context_.info) context_.retain(context_.info);
  }

  bool schedule(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto current = loop_.lock();
    if (current && current != loop) return false;
    if (std::find(modes_.begin(), modes_.end(), mode) != modes_.end()) return true;
    loop_ = loop;
    modes_.emplace_back(mode);
    lastFlags_ = currentFlags();
    if (netlinkFd_ < 0) openRoutingSocket();
    if (source_) loop->addFdSource(source_, mode);
    return true;
  }

  bool unschedule(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (loop_.lock() != loop) return false;
    auto it = std::find(modes_.begin(), modes_.end(), mode);
    if (it == modes_.end()) return false;
    modes_.erase(it);
    if (source_) loop->removeFdSource(source_, mode);
    if (modes_.empty()) {
      loop_.reset();
      closeRoutingSocketLocked();
    }
    return true;
  }

  // Calls back on the loop: always (a test change) or when the flags differ from the last ones.
  void notifyOnLoop(bool always) {
    std::shared_ptr<NSRunLoop> loop;
    std::vector<std::string> modes;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      loop = loop_.lock();
      modes = modes_;
    }
    if (!loop || modes.empty()) return;
    std::weak_ptr<SCNetworkReachability> weak = weak_from_this();
    loop->performBlock(
        [weak, always] {
          if (auto self = weak.lock()) self->deliver(always);
        },
        modes);
  }

 private:
  void deliver(bool always) {
    auto self = shared_from_this();
    SCNetworkReachabilityFlags flags = currentFlags();
    SCNetworkReachabilityCallBack callback;
    void* info;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (modes_.empty() || !callback_) return;
      if (!always && lastFlags_ && *lastFlags_ == flags) return;
      lastFlags_ = flags;
      callback = callback_;
      info = context_.info;
    }
    callback(self, flags, info);
  }

  // The kernel announces changes of links, addresses and routes on a routing socket.
  void openRoutingSocket() {
    int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return;
    sockaddr_nl addr{};
    addr.nl_family = AF_NETLINK;
    addr.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE |
                     RTMGRP_IPV6_ROUTE;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      ::close(fd);
      return;
    }
    netlinkFd_ = fd;
    std::weak_ptr<SCNetworkReachability> weak = weak_from_this();
    source_ = std::make_shared<RunLoopFdSource>(fd, RunLoopFdSource::Read, [weak](int s, int) {
      char buffer[8192];
      while (::recv(s, buffer, sizeof buffer, 0) > 0) {
      }
      if (auto self = weak.lock()) self->deliver(false);
    });
  }

  void closeRoutingSocketLocked() {
    if (source_) source_->invalidate();
    source_.reset();
    if (netlinkFd_ >= 0) ::close(netlinkFd_);
    netlinkFd_ = -1;
  }

  void stopWatching() {
    std::lock_guard<std::mutex> lock(mutex_);
    modes_.clear();
    loop_.reset();
    closeRoutingSocketLocked();
  }

  std::mutex mutex_;
  SCNetworkReachabilityCallBack callback_ = nullptr;
  SCNetworkReachabilityContext context_;
  std::weak_ptr<NSRunLoop> loop_;
  std::vector<std::string> modes_;
  std::optional<SCNetworkReachabilityFlags> lastFlags_;
  int netlinkFd_ = -1;
  std::shared_ptr<RunLoopFdSource> source_;
};

namespace {
std::mutex gRegistryMutex;
std::vector<std::weak_ptr<SCNetworkReachability>>& registry() {
  static auto* r = new std::vector<std::weak_ptr<SCNetworkReachability>>;
  return *r;
}

SCNetworkReachabilityRef registered(SCNetworkReachabilityRef ref) {
  std::lock_guard<std::mutex> lock(gRegistryMutex);
  std::erase_if(registry(), [](const auto& w) { return w.expired(); });
  registry().push_back(ref);
  return ref;
}
}  // namespace

SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(const char* nodename) {
  if (!nodename || !*nodename) return nullptr;
  auto ref = std::make_shared<SCNetworkReachability>();
  // A numeric name is an address.
  in_addr v4{};
  in6_addr v6{};
  if (inet_pton(AF_INET, nodename, &v4) == 1) {
    ref->family = AF_INET;
    std::memcpy(ref->address.data(), &v4, 4);
  } else if (inet_pton(AF_INET6, nodename, &v6) == 1) {
    ref->family = AF_INET6;
    std::memcpy(ref->address.data(), &v6, 16);
  } else {
    ref->byName = true;
    ref->name = nodename;
  }
  return registered(ref);
}

SCNetworkReachabilityRef SCNetworkReachabilityCreateWithAddress(const sockaddr* address) {
  if (!address || (address->sa_family != AF_INET && address->sa_family != AF_INET6)) return nullptr;
  auto ref = std::make_shared<SCNetworkReachability>();
  copyAddress(address, &ref->family, &ref->address);
  return registered(ref);
}

bool SCNetworkReachabilityGetFlags(const SCNetworkReachabilityRef& target,
                                   SCNetworkReachabilityFlags* flags) {
  if (!target || !flags) return false;
  *flags = target->currentFlags();
  return true;
}

bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target,
                                      SCNetworkReachabilityCallBack callback,
                                      const SCNetworkReachabilityContext* context) {
  if (!target) return false;
  target->setCallback(callback, context);
  return true;
}

bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target,
                                              const std::shared_ptr<NSRunLoop>& runLoop,
                                              std::string_view mode) {
  return target && runLoop && target->schedule(runLoop, mode);
}

bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target,
                                                const std::shared_ptr<NSRunLoop>& runLoop,
                                                std::string_view mode) {
  return target && runLoop && target->unschedule(runLoop, mode);
}

void SCNetworkReachabilitySetTestFlags(std::optional<SCNetworkReachabilityFlags> flags) {
  std::lock_guard<std::mutex> lock(gTestMutex);
  gTestFlags = flags;
}

std::optional<SCNetworkReachabilityFlags> SCNetworkReachabilityTestFlags() {
  std::lock_guard<std::mutex> lock(gTestMutex);
  return gTestFlags;
}

void SCNetworkReachabilityFireTestChange() {
  std::vector<SCNetworkReachabilityRef> refs;
  {
    std::lock_guard<std::mutex> lock(gRegistryMutex);
    for (auto& w : registry())
      if (auto r = w.lock()) refs.push_back(r);
  }
  for (auto& r : refs) r->notifyOnLoop(true);
}
