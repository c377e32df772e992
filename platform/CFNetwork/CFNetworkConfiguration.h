// Process-wide settings of the HTTP streams that tests need: host names mapped to loopback
// ports (so that "http://a.m.r/..." reaches a test server while the request keeps its host
// name, for the Host header and certificate checks), and further trusted certificate
// authorities for https (a test authority beside the system ones).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Connections for host:port go to toHost:toPort instead.  A port of 0 maps every port of the
// host.  A later mapping of the same host and port replaces the earlier one.
void CFNetworkMapHost(std::string_view host, int port, std::string_view toHost, int toPort);
void CFNetworkRemoveHostMappings();

// The next `times` connections to the host (any port, name compared without regard to case)
// fail as if the name could not be looked up (kCFURLErrorCannotFindHost); 0 ends that.
void CFNetworkFailHostLookups(std::string_view host, int times);

// Trusts the certificates of a PEM file as roots, besides the system's.  False when the file
// holds no certificate.
bool CFNetworkAddTrustedCertificatesFromFile(const std::string& pemPath);
void CFNetworkRemoveTrustedCertificates();

// What the streams read (curl "connect to" entries, "host:port:tohost:toport").
std::vector<std::string> CFNetworkHostMappingEntries();
