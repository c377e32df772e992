#include <gtest/gtest.h>

#include "Foundation/NSException.h"
#include "Foundation/NSString.h"

namespace {

// "a", U+4E2D, U+1F600 (a surrogate pair), "b": UTF-16 units a=0, 中=1, 😀=2..3, b=4.
const std::string kMixed = "a\u4e2d\U0001F600b";

}  // namespace

TEST(StringUTF16, LengthsCountUTF16Units) {
  struct Case {
    std::string text;
    size_t length;
  };
  const Case cases[] = {
      {"", 0},
      {"abc", 3},
      {"\u4e2d\u6587", 2},
      {"\U0001F600", 2},
      {"a\U0001F600b", 4},
      {kMixed, 5},
      {"\u00e9\U0001F468\u200d\U0001F469", 6},
  };
  for (const Case& c : cases) EXPECT_EQ(utf16Length(c.text), c.length) << c.text;
}

TEST(StringUTF16, SubstringsNeverSplitASurrogatePair) {
  EXPECT_EQ(substringToIndex(kMixed, 1), "a");
  EXPECT_EQ(substringToIndex(kMixed, 2), "a\u4e2d");
  EXPECT_EQ(substringToIndex(kMixed, 3), "a\u4e2d");  // inside the pair: the pair stays out
  EXPECT_EQ(substringToIndex(kMixed, 4), "a\u4e2d\U0001F600");
  EXPECT_EQ(substringFromIndex(kMixed, 3), "\U0001F600b");
  EXPECT_EQ(substringFromIndex(kMixed, 4), "b");
  EXPECT_EQ(substringFromIndex(kMixed, 5), "");
  EXPECT_EQ(substringWithRange(kMixed, NSMakeRange(1, 3)), "\u4e2d\U0001F600");
  EXPECT_EQ(substringWithRange(kMixed, NSMakeRange(2, 2)), "\U0001F600");
  EXPECT_EQ(substringWithRange(kMixed, NSMakeRange(0, 0)), "");
  for (size_t i = 0; i <= utf16Length(kMixed); ++i)
    EXPECT_EQ(substringToIndex(kMixed, i) + substringFromIndex(kMixed, i), kMixed) << i;
}

TEST(StringUTF16, IndicesAndUnits) {
  EXPECT_EQ(characterAtIndex(kMixed, 1), u'\u4e2d');
  EXPECT_EQ(characterAtIndex(kMixed, 2), char16_t(0xD83D));
  EXPECT_EQ(characterAtIndex(kMixed, 3), char16_t(0xDE00));
  EXPECT_EQ(characterAtIndex(kMixed, 4), u'b');
  EXPECT_EQ(byteOffsetOfUTF16Index(kMixed, 2), 4u);
  EXPECT_EQ(byteOffsetOfUTF16Index(kMixed, 4), 8u);
  EXPECT_EQ(byteOffsetOfUTF16Index(kMixed, 99), kMixed.size());
  EXPECT_EQ(utf16IndexOfByteOffset(kMixed, 4), 2u);
  EXPECT_EQ(utf16IndexOfByteOffset(kMixed, 2), 1u);  // inside 中
  EXPECT_EQ(utf16IndexOfByteOffset(kMixed, 8), 4u);
}

TEST(StringUTF16, IndicesBeyondTheEndRaise) {
  auto expectRange = [](auto f) {
    try {
      f();
      ADD_FAILURE() << "no exception";
    } catch (const NSException& e) {
      EXPECT_EQ(e.name(), NSRangeException);
    }
  };
  expectRange([] { substringToIndex(kMixed, 6); });
  expectRange([] { substringFromIndex(kMixed, 6); });
  expectRange([] { substringWithRange(kMixed, NSMakeRange(4, 2)); });
  expectRange([] { substringWithRange(kMixed, NSMakeRange(1, size_t(-1))); });
  expectRange([] { characterAtIndex(kMixed, 5); });
}

TEST(StringEncoding, DecodesAndValidates) {
  EXPECT_EQ(stringWithData("\xD6\xD0\xCE\xC4\xA2\xE3", NSGB18030StringEncoding),
            "\u4e2d\u6587\u20ac");
  EXPECT_EQ(stringWithData("\x94\x39\xFC\x36", NSGB18030StringEncoding), "\U0001F600");
  EXPECT_EQ(stringWithData("abc", NSGB18030StringEncoding), "abc");
  EXPECT_EQ(stringWithData("\xD6", NSGB18030StringEncoding), std::nullopt);  // truncated
  EXPECT_EQ(stringWithData("\xD6\xD0",
                           CFStringConvertEncodingToNSStringEncoding(kCFStringEncodingGBK_95)),
            "\u4e2d");

  EXPECT_EQ(stringWithData("caf\xC3\xA9", NSUTF8StringEncoding), "caf\u00e9");
  EXPECT_EQ(stringWithData("\xC0\xAF", NSUTF8StringEncoding), std::nullopt);          // overlong
  EXPECT_EQ(stringWithData("\xED\xA0\x80", NSUTF8StringEncoding), std::nullopt);      // surrogate
  EXPECT_EQ(stringWithData("\xE4\xB8", NSUTF8StringEncoding), std::nullopt);          // truncated
  EXPECT_EQ(stringWithData("\xF4\x90\x80\x80", NSUTF8StringEncoding), std::nullopt);  // > U+10FFFF
  EXPECT_EQ(stringWithData("\xD6\xD0", NSUTF8StringEncoding), std::nullopt);

  EXPECT_EQ(stringWithData("caf\xE9", NSISOLatin1StringEncoding), "caf\u00e9");
  EXPECT_EQ(stringWithData("abc", NSASCIIStringEncoding), "abc");
  EXPECT_EQ(stringWithData("ab\x80", NSASCIIStringEncoding), std::nullopt);
  EXPECT_EQ(stringWithData("abc", 999), std::nullopt);
}

TEST(StringEncoding, Encodes) {
  EXPECT_EQ(dataUsingEncoding("\u4e2d\u6587", NSGB18030StringEncoding), "\xD6\xD0\xCE\xC4");
  EXPECT_EQ(dataUsingEncoding("caf\u00e9", NSISOLatin1StringEncoding), "caf\xE9");
  EXPECT_EQ(dataUsingEncoding("\u4e2d", NSISOLatin1StringEncoding), std::nullopt);
  EXPECT_EQ(dataUsingEncoding("a\u4e2db", NSISOLatin1StringEncoding, true), "a?b");
  EXPECT_EQ(dataUsingEncoding("caf\u00e9", NSASCIIStringEncoding, true), "caf?");
  EXPECT_EQ(dataUsingEncoding("\u4e2d", NSUTF8StringEncoding), "\u4e2d");
  // A UTF-8 header value read back as Latin-1 carries the same bytes.
  std::string latin = *stringWithData("\u4e2d", NSISOLatin1StringEncoding);
  EXPECT_EQ(dataUsingEncoding(latin, NSISOLatin1StringEncoding), "\u4e2d");
}

TEST(StringEncoding, CodePointsAndUTF16UnitsToUTF8) {
  struct Case {
    char32_t cp;
    std::string utf8;
  };
  const Case cases[] = {
      {0x41, "A"},
      {0x7F, "\x7F"},
      {0x80, "\u0080"},
      {0x7FF, "\u07FF"},
      {0x800, "\u0800"},
      {0xFFFF, "\xEF\xBF\xBF"},
      {0x10000, "\U00010000"},
      {0x10FFFF, "\U0010FFFF"},
  };
  for (const Case& c : cases) {
    std::string out = "x";
    appendUTF8(out, c.cp);
    EXPECT_EQ(out, "x" + c.utf8) << std::hex << uint32_t(c.cp);
  }

  EXPECT_EQ(stringWithCharacters(u"a\u4e2d\U0001F600b"), "a\u4e2d\U0001F600b");
  EXPECT_EQ(stringWithCharacters(u""), "");
  // Lone surrogates (a high one at the end or before a non-surrogate, a low one alone) cannot
  // be written as UTF-8: each becomes U+FFFD.
  const char16_t lone[] = {0xD83D, u'a', 0xDE00, 0xD83D};
  EXPECT_EQ(stringWithCharacters(std::u16string_view(lone, 4)), "\uFFFDa\uFFFD\uFFFD");
}

TEST(StringEncoding, CharsetNamesBothWays) {
  struct Case {
    const char* name;
    NSStringEncoding encoding;
  };
  const Case cases[] = {
      {"utf-8", NSUTF8StringEncoding},
      {"UTF-8", NSUTF8StringEncoding},
      {"utf8", NSUTF8StringEncoding},
      {"iso-8859-1", NSISOLatin1StringEncoding},
      {"ISO-8859-1", NSISOLatin1StringEncoding},
      {"latin1", NSISOLatin1StringEncoding},
      {"us-ascii", NSASCIIStringEncoding},
      {"gb18030", NSGB18030StringEncoding},
      {"GB18030", 0x80000632ul},
      {"gbk", 0x80000631ul},
      {"gb2312", 0x80000930ul},
  };
  for (const Case& c : cases) {
    CFStringEncoding cf = CFStringConvertIANACharSetNameToEncoding(c.name);
    EXPECT_NE(cf, kCFStringEncodingInvalidId) << c.name;
    EXPECT_EQ(CFStringConvertEncodingToNSStringEncoding(cf), c.encoding) << c.name;
    EXPECT_EQ(CFStringConvertNSStringEncodingToEncoding(c.encoding), cf) << c.name;
    EXPECT_TRUE(CFStringConvertEncodingToIANACharSetName(cf).has_value()) << c.name;
  }
  EXPECT_EQ(CFStringConvertIANACharSetNameToEncoding("x-unknown"), kCFStringEncodingInvalidId);
  EXPECT_EQ(CFStringConvertIANACharSetNameToEncoding(""), kCFStringEncodingInvalidId);
  EXPECT_EQ(CFStringConvertEncodingToIANACharSetName(kCFStringEncodingUTF8), "utf-8");
  EXPECT_EQ(CFStringConvertEncodingToIANACharSetName(kCFStringEncodingISOLatin1), "iso-8859-1");
  EXPECT_EQ(CFStringConvertEncodingToIANACharSetName(
                CFStringConvertNSStringEncodingToEncoding(NSGB18030StringEncoding)),
            "GB18030");
  EXPECT_EQ(CFStringConvertEncodingToIANACharSetName(0x1234), std::nullopt);
}

TEST(StringEscaping, AddingPercentEscapesIsByteExact) {
  const std::string kURLHelperSet = ";/?:@&=$+{}<>,";
  const std::string kSerializeSet = "!*'();:@&=+$,/?%#[]";
  struct Case {
    std::string text;
    std::string leaveUnescaped;
    std::string alsoEscape;
    NSStringEncoding encoding;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      // Only what a URL can never hold.
      {"a b", "", "", NSUTF8StringEncoding, "a%20b"},
      {"\u4e2d", "", "", NSUTF8StringEncoding, "%E4%B8%AD"},
      {"100%", "", "", NSUTF8StringEncoding, "100%25"},
      {"a#b", "", "", NSUTF8StringEncoding, "a%23b"},
      {"\"<>[\\]^`{|}", "", "", NSUTF8StringEncoding, "%22%3C%3E%5B%5C%5D%5E%60%7B%7C%7D"},
      {"\t\n\x7f", "", "", NSUTF8StringEncoding, "%09%0A%7F"},
      {"!$&'()*+,-./:;=?@_~", "", "", NSUTF8StringEncoding, "!$&'()*+,-./:;=?@_~"},
      {"AZaz09", "", "", NSUTF8StringEncoding, "AZaz09"},
      // The query builder's set.
      {"a b/c", "", kURLHelperSet, NSUTF8StringEncoding, "a%20b%2Fc"},
      {"k=v&x?y:z@w;", "", kURLHelperSet, NSUTF8StringEncoding, "k%3Dv%26x%3Fy%3Az%40w%3B"},
      {"$+{}<>,", "", kURLHelperSet, NSUTF8StringEncoding, "%24%2B%7B%7D%3C%3E%2C"},
      {"~*'!()-._", "", kURLHelperSet, NSUTF8StringEncoding, "~*'!()-._"},
      // The sign-on URL serializer's set.
      {"!*'();:@&=+$,/?%#[]", "", kSerializeSet, NSUTF8StringEncoding,
       "%21%2A%27%28%29%3B%3A%40%26%3D%2B%24%2C%2F%3F%25%23%5B%5D"},
      {"~-._ \u00e9", "", kSerializeSet, NSUTF8StringEncoding, "~-._%20%C3%A9"},
      // The form body's rule: everything but letters, digits, "-", "." and "_".
      {"x y&z~*'!()\u00e9", "", "!$&'()*+,/:;=?@~", NSUTF8StringEncoding,
       "x%20y%26z%7E%2A%27%21%28%29%C3%A9"},
      {"a-b.c_d", "", "!$&'()*+,/:;=?@~", NSUTF8StringEncoding, "a-b.c_d"},
      // Other encodings and the leave-unescaped set.
      {"\u4e2d", "", "", NSGB18030StringEncoding, "%D6%D0"},
      {"caf\u00e9", "", "", NSISOLatin1StringEncoding, "caf%E9"},
      {"\u4e2d", "", "", NSISOLatin1StringEncoding, std::nullopt},
      {"a b\u4e2d", " \u4e2d", "", NSUTF8StringEncoding, "a b\u4e2d"},
      {"", "", kURLHelperSet, NSUTF8StringEncoding, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        CFURLCreateStringByAddingPercentEscapes(c.text, c.leaveUnescaped, c.alsoEscape, c.encoding),
        c.expected)
        << c.text;
  }
  EXPECT_EQ(
      stringByAddingPercentEscapesUsingEncoding("http://h/a b?q=\u4e2d#f", NSUTF8StringEncoding),
      "http://h/a%20b?q=%E4%B8%AD%23f");
}

TEST(StringEscaping, ReplacingPercentEscapes) {
  struct Case {
    std::string text;
    NSStringEncoding encoding;
    std::optional<std::string> expected;
  };
  const Case cases[] = {
      {"a%20b", NSUTF8StringEncoding, "a b"},
      {"%E4%B8%AD%e6%96%87", NSUTF8StringEncoding, "\u4e2d\u6587"},
      {"a+b", NSUTF8StringEncoding, "a+b"},
      {"\u4e2d%21", NSUTF8StringEncoding, "\u4e2d!"},
      {"", NSUTF8StringEncoding, ""},
      {"100%", NSUTF8StringEncoding, std::nullopt},
      {"%4", NSUTF8StringEncoding, std::nullopt},
      {"%zz", NSUTF8StringEncoding, std::nullopt},
      {"%E4%B8", NSUTF8StringEncoding, std::nullopt},
      {"%D6%D0", NSGB18030StringEncoding, "\u4e2d"},
      {"caf%E9", NSISOLatin1StringEncoding, "caf\u00e9"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(stringByReplacingPercentEscapesUsingEncoding(c.text, c.encoding), c.expected)
        << c.text;
}

TEST(StringHelpers, TrimSplitReplace) {
  NSCharacterSet ws = NSCharacterSet::whitespaceCharacterSet();
  NSCharacterSet wsnl = NSCharacterSet::whitespaceAndNewlineCharacterSet();
  EXPECT_EQ(stringByTrimmingCharactersInSet("  \t a b \t ", ws), "a b");
  EXPECT_EQ(stringByTrimmingCharactersInSet(" \n x \n ", ws), "\n x \n");
  EXPECT_EQ(stringByTrimmingCharactersInSet(" \r\n x y\r\n", wsnl), "x y");
  EXPECT_EQ(stringByTrimmingCharactersInSet("\u3000\u00a0\u4e2d\u3000", ws), "\u4e2d");
  EXPECT_EQ(stringByTrimmingCharactersInSet(" \n ", wsnl), "");
  // Wide spaces behind or before ASCII ones, and bytes that are no character, at the ends.
  EXPECT_EQ(stringByTrimmingCharactersInSet(" \u3000 a\u3000 \u3000", ws), "a");
  EXPECT_EQ(stringByTrimmingCharactersInSet(" \u00e9 \u4e2d ", ws), "\u00e9 \u4e2d");
  EXPECT_EQ(stringByTrimmingCharactersInSet(" \xE3\x80 ", ws), "\xE3\x80");
  EXPECT_EQ(stringByTrimmingCharactersInSet("\t\xFF", ws), "\xFF");
  EXPECT_EQ(stringByTrimmingCharactersInSet(
                "xxaxx", NSCharacterSet::characterSetWithCharactersInString("x")),
            "a");

  using V = std::vector<std::string>;
  EXPECT_EQ(componentsSeparatedByString("a,b,,c", ","), (V{"a", "b", "", "c"}));
  EXPECT_EQ(componentsSeparatedByString("", ","), (V{""}));
  EXPECT_EQ(componentsSeparatedByString(",", ","), (V{"", ""}));
  EXPECT_EQ(componentsSeparatedByString("v|k;w|j", ";"), (V{"v|k", "w|j"}));
  EXPECT_EQ(componentsSeparatedByString("abc", ""), (V{"abc"}));

  EXPECT_EQ(stringByReplacingOccurrencesOfString("aaa", "a", "bb"), "bbbbbb");
  EXPECT_EQ(stringByReplacingOccurrencesOfString("x.aspx=1", ".aspx", ""), "x=1");
  EXPECT_EQ(stringByReplacingOccurrencesOfString("abc", "", "z"), "abc");
}

TEST(StringHelpers, CompareAndSearch) {
  EXPECT_EQ(caseInsensitiveCompare("abc", "ABD"), NSOrderedAscending);
  EXPECT_EQ(caseInsensitiveCompare("HELLO", "hello"), NSOrderedSame);
  EXPECT_EQ(caseInsensitiveCompare("b", "A"), NSOrderedDescending);
  EXPECT_TRUE(hasPrefixCaseInsensitive("Charset=UTF-8", "CHARSET="));
  EXPECT_FALSE(hasPrefixCaseInsensitive("char", "charset"));
  EXPECT_EQ(lowercaseString("Text/HTML"), "text/html");
  // The ASCII forms leave every other character to match exactly.
  EXPECT_TRUE(equalsIgnoringASCIICase("Content-Length", "content-LENGTH"));
  EXPECT_FALSE(equalsIgnoringASCIICase("Content-Length", "Content-Lengths"));
  EXPECT_FALSE(equalsIgnoringASCIICase("\u00c9", "\u00e9"));
  EXPECT_TRUE(equalsIgnoringASCIICase("", ""));
  EXPECT_EQ(lowercaseASCIIString("Name\u00c9_ID"), "name\u00c9_id");
  EXPECT_EQ(uppercaseString("abc\u00e9"), "ABC\u00c9");
  // UTF-16 order puts a surrogate pair (D83D...) before U+FF61, unlike UTF-8 byte order.
  EXPECT_EQ(compare("\U0001F600", "\uff61"), NSOrderedAscending);
  EXPECT_EQ(compare("a", "b"), NSOrderedAscending);
  EXPECT_EQ(compare("abc", "abc"), NSOrderedSame);

  const std::string t = "a\U0001F600bc\U0001F600";
  EXPECT_EQ(rangeOfString(t, "\U0001F600"), NSMakeRange(1, 2));
  EXPECT_EQ(rangeOfString(t, "\U0001F600", NSBackwardsSearch), NSMakeRange(5, 2));
  EXPECT_EQ(rangeOfString(t, "bc"), NSMakeRange(3, 2));
  EXPECT_EQ(rangeOfString(t, "x").location, NSNotFound);
  EXPECT_EQ(rangeOfString(t, "").location, NSNotFound);
  EXPECT_EQ(rangeOfString("text/html; CHARSET=utf-8", "charset=", NSCaseInsensitiveSearch),
            NSMakeRange(11, 8));
  EXPECT_EQ(rangeOfString("abcabc", "abc", NSAnchoredSearch | NSBackwardsSearch),
            NSMakeRange(3, 3));
  EXPECT_EQ(rangeOfString("xabc", "abc", NSAnchoredSearch).location, NSNotFound);
}

TEST(StringFormat, PlatformConversions) {
  struct Case {
    std::string got;
    std::string expected;
  };
  const Case cases[] = {
      {stringWithFormat("%d", 5), "5"},
      {stringWithFormat("%i|%d", 3, -5), "3|-5"},
      {stringWithFormat("%5d|%-5d|%05d", 42, 42, 42), "   42|42   |00042"},
      {stringWithFormat("%+d", 7), "+7"},
      {stringWithFormat("%ld %lld", 1LL << 40, -1LL), "1099511627776 -1"},
      {stringWithFormat("%d", 3000000000LL), "-1294967296"},  // %d takes 32 bits
      {stringWithFormat("%u", -1), "4294967295"},
      {stringWithFormat("%llu", Value(18446744073709551615ull)), "18446744073709551615"},
      {stringWithFormat("%lu", size_t(12)), "12"},
      {stringWithFormat("%x %X %#x", 255, 255, 255), "ff FF 0xff"},
      {stringWithFormat("%02x%02x", 7, 171), "07ab"},
      {stringWithFormat("%08x", 0xbeef), "0000beef"},
      {stringWithFormat("%040x", 0), std::string(40, '0')},
      {stringWithFormat("%f", 1.5), "1.500000"},
      {stringWithFormat("%lf", 1.25), "1.250000"},
      {stringWithFormat("%.2f", 3.14159), "3.14"},
      {stringWithFormat("%.f %.f*%.f", 2.0, 320.0, 480.0), "2 320*480"},
      {stringWithFormat("%g %g", 0.0001, 1e20), "0.0001 1e+20"},
      {stringWithFormat("%e", 12345.678), "1.234568e+04"},
      {stringWithFormat("%s|%.3s|%5s", "abc", "abcdef", "ab"), "abc|abc|   ab"},
      {stringWithFormat("%c%c", 'A', Value("\u4e2dx")), "A\u4e2d"},
      {stringWithFormat("%C", 0x4e2d), "\u4e2d"},
      {stringWithFormat("100%%"), "100%"},
      {stringWithFormat("%d%%", 50), "50%"},
      {stringWithFormat("%@", "x"), "x"},
      {stringWithFormat("%@", Value()), "(null)"},
      {stringWithFormat("%@", Value::null()), "<null>"},
      {stringWithFormat("%@ %@ %@", 12, true, 0.5), "12 1 0.5"},
      {stringWithFormat("%@\n%@", "reason", "lines"), "reason\nlines"},
      {stringWithFormat("%2$@ %1$@", "a", "b"), "b a"},
      {stringWithFormat("%@:%d:%@", "x", 3, "y"), "x:3:y"},
      {stringWithFormat("%*d|%-*d|", 4, 7, 3, 1), "   7|1  |"},
      {stringWithFormat("%d", "42abc"), "42"},
      {stringWithFormat("%@ %@", "only"), "only (null)"},
      {stringWithFormat("%s", Value()), "(null)"},
      {stringWithFormat("Signal %d was raised.\n%@", 11, "Device"),
       "Signal 11 was raised.\nDevice"},
      {stringWithFormat("%@_%@", "/Caches/a/Channel", "page=1"), "/Caches/a/Channel_page=1"},
      {stringWithFormat("trailing %"), "trailing %"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}
