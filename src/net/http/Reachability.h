// Whether the network can be reached, and over which kind of link: the offline test asked
// before server requests, the status of a host that the application watches (with a change
// notification), and the WWAN test behind bandwidth throttling.  Besides the status, a WWAN
// reading records a sub-status: 3, or 4 when the link is a transient connection.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "SystemConfiguration/SCNetworkReachability.h"

// Posted with the Reachability object whose state changed, on the thread whose run loop its
// notifier was started on.
inline constexpr std::string_view kReachabilityChangedNotification =
    "kNetworkReachabilityChangedNotification";

enum NetworkStatus : int {
  NotReachable = 0,
  ReachableViaWiFi = 1,  // or any link that is not WWAN
  ReachableViaWWAN = 2,
};

// The sub-statuses of a WWAN reading.
enum SubNetworkStatus : int {
  kSubNetworkStatusWWAN = 3,
  kSubNetworkStatusWWANTransient = 4,
};

class Reachability : public NSObject {
 public:
  // Each returns nullptr when the platform refuses the reference.
  static std::shared_ptr<Reachability> reachabilityWithHostName(std::string_view hostName);
  static std::shared_ptr<Reachability> reachabilityWithAddress(const sockaddr_in* hostAddress);
  // The zero IPv4 address: the internet as such.
  static std::shared_ptr<Reachability> reachabilityForInternetConnection();
  // The IPv4 link-local network, read by the local-WiFi rule.
  static std::shared_ptr<Reachability> reachabilityForLocalWiFi();

  explicit Reachability(SCNetworkReachabilityRef ref) : reachabilityRef_(std::move(ref)) {}
  ~Reachability() override;

  // Notifies changes on the calling thread's run loop (default mode); false when the callback
  // cannot be registered or scheduled.  The names are spelled as the system spells them.
  bool startNotifer();
  void stopNotifer();

  // Reads the flags now; NotReachable when they cannot be read.  A WWAN reading also sets the
  // sub-status.
  NetworkStatus currentReachabilityStatus();
  // 0 until the first WWAN reading, then 3 or 4; kept through later readings that are not
  // WWAN.
  int subReachabilityStatus() const { return subReachabilityRef_; }
  bool connectionRequired() const;

  NetworkStatus networkStatusForFlags(SCNetworkReachabilityFlags flags);
  NetworkStatus localWiFiStatusForFlags(SCNetworkReachabilityFlags flags) const;

  bool localWiFiRef() const { return localWiFiRef_; }

  // ---- shortcuts
  // Online: the internet's flags say reachable without a connection to be made first.
  static bool isConnectedToNetwork();
  // The status and sub-status of a fixed public probe host.
  static int getCurrentNetWorkStatus();
  static int getCurrentSubNetWorkStatus();
  static bool isNetWorkReachable();
  static bool isNetWorkViaWiFi();
  static bool isNetWorkVia3G();
  static bool isNetWorkVia2G();
  // The first IPv4 address of the host in dotted text (a blocking lookup); nullopt for no or an
  // empty name, a failed lookup or no address.
  static std::optional<std::string> getIpByHost(const std::optional<std::string>& hostName);
  // Looks the name up and forgets the answer (warms the resolver).
  static void parseIpAdrress(const char* hostName);

  // The host the two status shortcuts probe.
  static constexpr std::string_view kProbeHostName = "www.example.com";

 private:
  bool localWiFiRef_ = false;
  SCNetworkReachabilityRef reachabilityRef_;
  int subReachabilityRef_ = 0;
};
