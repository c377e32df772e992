// Internal to the HTTP streams: the trusted certificates of CFNetworkConfiguration, handed to
// each TLS context as it is made.
#pragma once

#include <openssl/x509.h>

bool CFNetworkHasTrustedCertificates();
void CFNetworkAddTrustedCertificatesToStore(X509_STORE* store);
