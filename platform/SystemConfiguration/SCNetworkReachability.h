// Network reachability: whether a host name or an address can be reached from this machine
// now and over which kind of link, as a flag word, and a callback when that changes.
//
// The flags are read from the machine's network interfaces and routing table: a target is
// reachable when an interface that is up has an address on its network (then it is also
// "direct") or when a default route leaves through an interface that is up.  Links named like
// cellular modems (wwan*, rmnet*, ppp*) count as WWAN.  Host names are not looked up: a name is
// reachable when the default route is there ("localhost" is local).  Changes are watched with
// a routing socket on the run loop a reference is scheduled on.
//
// Tests force the flag word of every reference (offline, Wi-Fi, WWAN ...) and fire a change,
// which calls back every scheduled reference on its run loop.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class NSRunLoop;
class SCNetworkReachability;

using SCNetworkReachabilityFlags = uint32_t;
enum : SCNetworkReachabilityFlags {
  kSCNetworkReachabilityFlagsTransientConnection = 1u << 0,
  kSCNetworkReachabilityFlagsReachable = 1u << 1,
  kSCNetworkReachabilityFlagsConnectionRequired = 1u << 2,
  kSCNetworkReachabilityFlagsConnectionOnTraffic = 1u << 3,
  kSCNetworkReachabilityFlagsInterventionRequired = 1u << 4,
  kSCNetworkReachabilityFlagsConnectionOnDemand = 1u << 5,
  kSCNetworkReachabilityFlagsIsLocalAddress = 1u << 16,
  kSCNetworkReachabilityFlagsIsDirect = 1u << 17,
  kSCNetworkReachabilityFlagsIsWWAN = 1u << 18,
};

// Released when the last owner lets go (CFRelease).
using SCNetworkReachabilityRef = std::shared_ptr<SCNetworkReachability>;

using SCNetworkReachabilityCallBack = void (*)(const SCNetworkReachabilityRef& target,
                                               SCNetworkReachabilityFlags flags, void* info);

struct SCNetworkReachabilityContext {
  long version = 0;
  void* info = nullptr;
  const void* (*retain)(const void* info) = nullptr;
  void (*release)(const void* info) = nullptr;
  const char* (*copyDescription)(const void* info) = nullptr;
};

// nullptr for an empty name or an address of an unknown family.
SCNetworkReachabilityRef SCNetworkReachabilityCreateWithName(const char* nodename);
SCNetworkReachabilityRef SCNetworkReachabilityCreateWithAddress(const sockaddr* address);

// The flags now; false when they cannot be read (no reference).
bool SCNetworkReachabilityGetFlags(const SCNetworkReachabilityRef& target,
                                   SCNetworkReachabilityFlags* flags);

// A null callback removes it.  The context's information pointer is handed to the callback as
// it is (its retain and release are called when given).
bool SCNetworkReachabilitySetCallback(const SCNetworkReachabilityRef& target,
                                      SCNetworkReachabilityCallBack callback,
                                      const SCNetworkReachabilityContext* context);
// The callback runs on the loop's thread in the mode.  A reference serves one loop at a time.
bool SCNetworkReachabilityScheduleWithRunLoop(const SCNetworkReachabilityRef& target,
                                              const std::shared_ptr<NSRunLoop>& runLoop,
                                              std::string_view mode);
bool SCNetworkReachabilityUnscheduleFromRunLoop(const SCNetworkReachabilityRef& target,
                                                const std::shared_ptr<NSRunLoop>& runLoop,
                                                std::string_view mode);

// ---- test control
// Every reference reads these flags instead of the machine's (nullopt: the machine's again).
void SCNetworkReachabilitySetTestFlags(std::optional<SCNetworkReachabilityFlags> flags);
// The forced flags, or nullopt while the machine's are read.
std::optional<SCNetworkReachabilityFlags> SCNetworkReachabilityTestFlags();
// Calls back every scheduled reference that has a callback, on its loop, with its flags now.
void SCNetworkReachabilityFireTestChange();
