// The engine's class-wide defaults (timeout, user agent) and its header utilities (MIME types,
// charsets, Base64, cache dates).
#include <map>

#include "CFNetwork/CFHTTPMessage.h"
#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSLocale.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "UIKit/UIDevice.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestInternal.h"

using namespace hxrequest;

namespace {

const std::map<std::string, std::string>& mimeTypesByExtension() {
  static const std::map<std::string, std::string> types = {
      {"aac", "audio/aac"},
      {"aif", "audio/aiff"},
      {"aiff", "audio/aiff"},
      {"avi", "video/avi"},
      {"bmp", "image/bmp"},
      {"caf", "audio/x-caf"},
      {"css", "text/css"},
      {"csv", "text/csv"},
      {"doc", "application/msword"},
      {"gif", "image/gif"},
      {"gz", "application/x-gzip"},
      {"htm", "text/html"},
      {"html", "text/html"},
      {"ico", "image/vnd.microsoft.icon"},
      {"jpeg", "image/jpeg"},
      {"jpg", "image/jpeg"},
      {"js", "application/javascript"},
      {"json", "application/json"},
      {"m4a", "audio/mp4"},
      {"m4v", "video/x-m4v"},
      {"mov", "video/quicktime"},
      {"mp3", "audio/mpeg"},
      {"mp4", "video/mp4"},
      {"pdf", "application/pdf"},
      {"plist", "application/x-plist"},
      {"png", "image/png"},
      {"rtf", "text/rtf"},
      {"svg", "image/svg+xml"},
      {"tif", "image/tiff"},
      {"tiff", "image/tiff"},
      {"txt", "text/plain"},
      {"wav", "audio/wav"},
      {"xml", "application/xml"},
      {"zip", "application/zip"},
  };
  return types;
}

}  // namespace

double HXHTTPRequest::defaultTimeOutSeconds() {
  return cls().defaultTimeOutSeconds;
}

void HXHTTPRequest::setDefaultTimeOutSeconds(double seconds) {
  cls().defaultTimeOutSeconds = seconds;
}

std::optional<std::string> HXHTTPRequest::defaultUserAgentString() {
  std::lock_guard<std::mutex> lock(cls().classLock);
  if (cls().userAgentBuilt) return cls().defaultUserAgent;
  auto agent = userAgentForBundle(*NSBundle::mainBundle());
  if (!agent) return std::nullopt;
  cls().defaultUserAgent = agent;
  cls().userAgentBuilt = true;
  return agent;
}

std::optional<std::string> HXHTTPRequest::userAgentForBundle(const NSBundle& bundle) {
  Value name = bundle.objectForInfoDictionaryKey("CFBundleDisplayName");
  if (!name.isString()) name = bundle.objectForInfoDictionaryKey("CFBundleName");
  // The header carries the name's UTF-8 bytes as they are.
  std::string appName = name.isString() ? std::string(name.string()) : std::string();
  if (appName.empty()) return std::nullopt;
  Value shortVersion = bundle.objectForInfoDictionaryKey("CFBundleShortVersionString");
  Value buildVersion = bundle.objectForInfoDictionaryKey("CFBundleVersion");
  std::string version;
  if (shortVersion.isString() && buildVersion.isString()) {
    version =
        shortVersion.string() == buildVersion.string()
            ? shortVersion.string()
            : std::string(shortVersion.string()) + " rv:" + std::string(buildVersion.string());
  } else if (shortVersion.isString()) {
    version = shortVersion.string();
  } else if (buildVersion.isString()) {
    version = buildVersion.string();
  }
  auto device = UIDevice::currentDevice();
  return stringWithFormat("%@ %@ (%@; %@ %@; %@)", appName, version, device->model(),
                          device->systemName(), device->systemVersion(),
                          NSLocale::currentLocaleIdentifier());
}

void HXHTTPRequest::setDefaultUserAgentString(std::optional<std::string> agent) {
  std::lock_guard<std::mutex> lock(cls().classLock);
  if (cls().userAgentBuilt && cls().defaultUserAgent == agent) return;
  cls().defaultUserAgent = std::move(agent);
  cls().userAgentBuilt = true;
}

std::optional<std::string> HXHTTPRequest::mimeTypeForFileAtPath(const std::string& path) {
  if (!fileExists(path)) return std::nullopt;
  auto it = mimeTypesByExtension().find(lowercaseASCIIString(pathExtension(path)));
  if (it != mimeTypesByExtension().end()) return it->second;
  return "application/octet-stream";
}

std::string HXHTTPRequest::base64forData(std::string_view data) {
  static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((data.size() + 2) / 3 * 4);
  for (size_t i = 0; i < data.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(data[i])) << 16;
    if (i + 1 < data.size()) v |= uint32_t(uint8_t(data[i + 1])) << 8;
    if (i + 2 < data.size()) v |= uint32_t(uint8_t(data[i + 2]));
    out += table[(v >> 18) & 63];
    out += table[(v >> 12) & 63];
    out += i + 1 < data.size() ? table[(v >> 6) & 63] : '=';
    out += i + 2 < data.size() ? table[v & 63] : '=';
  }
  return out;
}

std::optional<double> HXHTTPRequest::expiryDateForRequest(const HXHTTPRequest& request,
                                                          double maxAge) {
  const ValueDictionary& headers = request.responseHeaders();
  if (maxAge == 0) {
    if (auto cacheControl = headerValue(headers, "Cache-Control")) {
      std::string cc = lowercaseASCIIString(*cacheControl);
      size_t at = cc.find("max-age");
      if (at != std::string::npos) {
        std::string_view rest = std::string_view(cc).substr(at + 7);
        rest = trimmedASCII(rest);
        if (!rest.empty() && rest.front() == '=') rest.remove_prefix(1);
        std::string number(trimmedASCII(rest));
        char* end = nullptr;
        double value = std::strtod(number.c_str(), &end);
        if (end != number.c_str()) maxAge = value;
      }
    }
  }
  if (maxAge != 0) return ClockNow() + maxAge;
  if (auto expires = headerValue(headers, "Expires")) return dateFromRFC1123String(*expires);
  return std::nullopt;
}

std::optional<double> HXHTTPRequest::dateFromRFC1123String(std::string_view string) {
  NSDateFormatter formatter;
  formatter.setLocale("en_US_POSIX");
  bool weekday = string.find(',') != std::string_view::npos;
  bool seconds = componentsSeparatedByString(string, ":").size() == 3;
  formatter.setDateFormat(
      stringWithFormat("%@dd MMM yyyy HH:mm%@ z", weekday ? "EEE, " : "", seconds ? ":ss" : ""));
  auto date = formatter.dateFromString(string);
  if (!date) return std::nullopt;
  return date->secondsSince1970;
}

void HXHTTPRequest::parseMimeType(std::string* mimeType, NSStringEncoding* stringEncoding,
                                  const std::optional<std::string>& contentType) {
  if (!contentType) return;
  std::string_view text = *contentType;
  // As the platform's scanner: leading blanks are skipped before each scan.
  std::string_view afterBlanks = trimmedASCII(text);
  size_t semi = afterBlanks.find(';');
  if (afterBlanks.empty() || semi == 0 || semi == std::string_view::npos) {
    if (mimeType) *mimeType = std::string(trimmedASCII(text));
    return;
  }
  if (mimeType) *mimeType = std::string(trimmedASCII(afterBlanks.substr(0, semi)));
  std::string_view rest = afterBlanks.substr(semi);
  size_t charset = lowercaseASCIIString(rest).find("charset=");
  if (charset == std::string::npos) return;
  rest = rest.substr(charset + 8);
  std::string name(trimmedASCII(rest.substr(0, rest.find(';'))));
  CFStringEncoding cf = CFStringConvertIANACharSetNameToEncoding(name);
  if (cf != kCFStringEncodingInvalidId && stringEncoding)
    *stringEncoding = CFStringConvertEncodingToNSStringEncoding(cf);
}
