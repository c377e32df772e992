// Internal to the HTTP streams: the trusted certificates of CFNetworkConfiguration, handed to
// each TLS context as it is made, and the host mappings as the list curl reads.
#pragma once

#include <curl/curl.h>
#include <openssl/x509.h>

#include <cstdint>
#include <memory>

bool CFNetworkHasTrustedCertificates();
void CFNetworkAddTrustedCertificatesToStore(X509_STORE* store);

// The host mappings as a curl "connect to" list; nullptr when there are none.  The list is
// built again only after the mappings changed, and stays valid while a transfer holds it.
std::shared_ptr<const curl_slist> CFNetworkHostMappingList();
// Changes whenever the mappings change: connections made under other mappings go elsewhere.
uint64_t CFNetworkHostMappingGeneration();
