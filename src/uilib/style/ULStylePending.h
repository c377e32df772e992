// Stand-ins for three functions of the library's foundation that are being written beside the
// style system.  Each goes when the real one lands: replace the call with the function named.
#pragma once

#include <memory>
#include <string_view>

class UIImage;

namespace ul_pending {

// To be replaced by versionStringCompare (core/NSString+ULAdditions.h): the two version texts
// split at the letter "a", the first parts compared as plain strings, then a text without an
// "a" part is the greater, then the second parts compared as integers.  Negative, 0 or
// positive as the first text is smaller, equal or greater.
int versionStringCompare(std::string_view version, std::string_view other);

// To be replaced by ULURLCache::sharedCache()->imageForURL(url) (network/ULURLCache.h): the
// picture of a "bundle://" URL (a file under the main bundle's resources, "@2x" preferred on a
// retina screen) or of a "documents://" URL (a file in the documents folder); nullptr for
// other URLs and missing files.  Nothing is held in memory here.
std::shared_ptr<UIImage> imageForURL(std::string_view url);

}  // namespace ul_pending
