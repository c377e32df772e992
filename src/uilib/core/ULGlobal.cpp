#include "uilib/core/ULGlobal.h"

#include <mutex>

#include "Foundation/NSBundle.h"
#include "Foundation/NSLocale.h"
#include "Foundation/NSNumberFormatter.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSURLError.h"
#include "UIKit/UIApplication.h"

namespace {

constexpr std::string_view kBundleScheme = "bundle://";
constexpr std::string_view kDocumentsScheme = "documents://";

std::mutex gActivityMutex;
int gActivityCount = 0;

}  // namespace

bool ULStringHasText(const Value& object) {
  return object.isString() && !object.string().empty();
}

std::string ULUserLanguageLocale() {
  std::vector<std::string> languages = NSLocale::preferredLanguages();
  if (languages.empty()) return NSLocale::currentLocaleIdentifier();
  return NSLocale::localeIdentifierFromLanguage(languages.front());
}

std::string ULLibraryLocalizedString(std::string_view key, std::string_view) {
  // Opened on first use and kept for the process.
  static const std::shared_ptr<NSBundle> bundle =
      NSBundle::bundleWithPath(ULBundleResourcePath("ULKit.bundle"));
  return bundle ? bundle->localizedStringForKey(key) : std::string(key);
}

std::string ULErrorUserText(const NSErrorPtr& error) {
  if (error && error->domain() == NSURLErrorDomain) {
    if (error->code() == NSURLErrorTimedOut)
      return ULLibraryLocalizedString("Connection Timed Out");
    if (error->code() == NSURLErrorNotConnectedToInternet)
      return ULLibraryLocalizedString("No Internet Connection");
    return ULLibraryLocalizedString("Connection Error");
  }
  return ULLibraryLocalizedString("Error");
}

std::string ULFormatDecimalInteger(long long number) {
  NSNumberFormatter formatter;
  formatter.setNumberStyle(NSNumberFormatterStyle::Decimal);
  return formatter.stringFromNumber(Value(number));
}

bool ULHasBundleScheme(std::string_view url) {
  return url.starts_with(kBundleScheme);
}

bool ULHasDocumentsScheme(std::string_view url) {
  return url.starts_with(kDocumentsScheme);
}

std::string ULBundleResourcePath(std::string_view relativePath) {
  return stringByAppendingPathComponent(NSBundle::mainBundle()->resourcePath(), relativePath);
}

std::string ULDocumentsResourcePath(std::string_view relativePath) {
  return stringByAppendingPathComponent(NSDocumentDirectory(), relativePath);
}

CGRect ULRectShrink(CGRect rect, CGFloat dx, CGFloat dy) {
  return CGRectMake(rect.origin.x, rect.origin.y, rect.size.width - dx, rect.size.height - dy);
}

CGRect ULRectApplyInsets(CGRect rect, UIEdgeInsets insets) {
  return CGRectMake(rect.origin.x + insets.left, rect.origin.y + insets.top,
                    rect.size.width - (insets.left + insets.right),
                    rect.size.height - (insets.top + insets.bottom));
}

void ULNetworkActivityBegin() {
  std::lock_guard<std::mutex> lock(gActivityMutex);
  if (gActivityCount == 0)
    UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(true);
  ++gActivityCount;
}

void ULNetworkActivityEnd() {
  std::lock_guard<std::mutex> lock(gActivityMutex);
  if (gActivityCount <= 1) {
    gActivityCount = 0;
    UIApplication::sharedApplication()->setNetworkActivityIndicatorVisible(false);
  } else {
    --gActivityCount;
  }
}
