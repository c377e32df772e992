#include "uilib/core/ULEntityTables.h"

#include "Foundation/NSString.h"

namespace {

std::mutex gInstanceMutex;
std::shared_ptr<ULEntityTables> gInstance;

// U+00A1 ... U+00FF in order; "shy" (U+00AD) is left out of the table.
constexpr const char* kLatin1Names[] = {
    "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",
    "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",
    "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",
    "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute",
    "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",
    "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",  "szlig",
    "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil", "egrave",
    "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",    "ntilde",
    "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave", "uacute",
    "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

}  // namespace

std::shared_ptr<ULEntityTables> ULEntityTables::sharedInstance() {
  std::lock_guard<std::mutex> lock(gInstanceMutex);
  if (!gInstance) gInstance = std::make_shared<ULEntityTables>(Private{});
  return gInstance;
}

void ULEntityTables::releaseSharedInstance() {
  std::lock_guard<std::mutex> lock(gInstanceMutex);
  gInstance.reset();
}

const std::map<std::string, std::string>& ULEntityTables::iso88591() const {
  std::call_once(built_, [this] {
    auto& t = iso88591_;
    t["quot"] = "\"";
    t["apos"] = "'";
    t["amp"] = "&";
    t["lt"] = "<";
    t["gt"] = ">";
    t["nbsp"] = " ";
    char32_t c = 0xA1;
    for (const char* name : kLatin1Names) {
      if (std::string_view(name) != "shy") {
        std::string bytes;
        appendUTF8(bytes, c);
        t[name] = bytes;
      }
      ++c;
    }
  });
  return iso88591_;
}
