// Internal to the HTTP streams: the trusted certificates of CFNetworkConfiguration, handed to
// each TLS context as it is made, and the host mappings as the list curl reads.
#pragma once

#include <curl/curl.h>
#include <openssl/x509.h>

#include <cstdint>
#include <memory>
#include <string_view>

bool CFNetworkHasTrustedCertificates();
void CFNetworkAddTrustedCertificatesToStore(X509_STORE* store);

// The host mappings as a curl "connect to" list; nullptr when there are none.  The list is
// built again only after the mappings changed, and stays valid while a transfer holds it.
std::shared_ptr<const curl_slist> CFNetworkHostMappingList();
// Whether the next lookup of the URL's host is one that CFNetworkFailHostLookups made fail;
// counts it when it is.
bool CFNetworkTakeFailedHostLookup(std::string_view url);
// Changes whenever the mappings change: connections made under other mappings go elsewhere.
uint64_t CFNetworkHostMappingGeneration();
