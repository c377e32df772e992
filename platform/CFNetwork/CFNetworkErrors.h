// Error domains and codes that the HTTP stream reports (CFReadStreamCopyError).  POSIX codes
// keep the platform's own numbering, which callers compare against, whatever this machine's
// errno values are.
#pragma once

#include <string_view>

inline constexpr std::string_view kCFErrorDomainPOSIX = "NSPOSIXErrorDomain";
inline constexpr std::string_view kCFErrorDomainOSStatus = "NSOSStatusErrorDomain";
inline constexpr std::string_view kCFErrorDomainCFNetwork = "kCFErrorDomainCFNetwork";

// POSIX (platform numbering).
inline constexpr long kPOSIXErrorEPIPE = 32;
inline constexpr long kPOSIXErrorECONNRESET = 54;
inline constexpr long kPOSIXErrorENOTCONN = 57;
inline constexpr long kPOSIXErrorETIMEDOUT = 60;
inline constexpr long kPOSIXErrorECONNREFUSED = 61;

// CFNetwork.
inline constexpr long kCFURLErrorUnknown = -998;
inline constexpr long kCFURLErrorBadURL = -1000;
inline constexpr long kCFURLErrorTimedOut = -1001;
inline constexpr long kCFURLErrorUnsupportedURL = -1002;
inline constexpr long kCFURLErrorCannotFindHost = -1003;
inline constexpr long kCFURLErrorCannotConnectToHost = -1004;
inline constexpr long kCFURLErrorNetworkConnectionLost = -1005;
inline constexpr long kCFURLErrorNotConnectedToInternet = -1009;
inline constexpr long kCFURLErrorBadServerResponse = -1011;
inline constexpr long kCFURLErrorCannotParseResponse = -1017;

// Secure transport (OSStatus domain); the TLS failures lie from -9800 to -9818.
inline constexpr long errSSLProtocol = -9800;
inline constexpr long errSSLXCertChainInvalid = -9807;
inline constexpr long errSSLBadCert = -9808;
inline constexpr long errSSLUnknownRootCert = -9812;
inline constexpr long errSSLNoRootCert = -9813;
inline constexpr long errSSLCertExpired = -9814;
inline constexpr long errSSLCertNotYetValid = -9815;
inline constexpr long errSSLBadCipherSuite = -9818;

// User-info key of stream errors: the transport's own text, for diagnostics.
inline constexpr std::string_view kCFStreamErrorTransportDescriptionKey =
    "CFStreamErrorTransportDescription";
