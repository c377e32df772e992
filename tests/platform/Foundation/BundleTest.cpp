#include <gtest/gtest.h>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"

namespace {

// A bundle folder of the test's own under the app home.
std::shared_ptr<NSBundle> makeBundle(const std::string& strings,
                                     const std::string& table = "Localizable") {
  std::string root = NSDocumentDirectory() + "/TestBundle";
  NSFileManager::defaultManager().createDirectoryAtPath(root + "/zh-Hans.lproj", true);
  writeToFile(root + "/zh-Hans.lproj/" + table + ".strings", strings, true);
  return NSBundle::bundleWithPath(root);
}

}  // namespace

TEST(Bundle, MainBundleIsTheResourcesFolder) {
  auto bundle = NSBundle::mainBundle();
  EXPECT_TRUE(
      NSFileManager::defaultManager().fileExistsAtPath(bundle->resourcePath() + "/Info.plist"));
  EXPECT_EQ(bundle->pathForResource("Info", "plist"), bundle->resourcePath() + "/Info.plist");
  EXPECT_EQ(bundle->pathForResource("Info.plist"), bundle->resourcePath() + "/Info.plist");
  EXPECT_EQ(bundle->pathForResource("Localizable", "strings"),
            bundle->resourcePath() + "/zh-Hans.lproj/Localizable.strings");
  EXPECT_EQ(bundle->pathForResource("NoSuchFile", "png"), "");
}

TEST(Bundle, InfoDictionaryKeys) {
  auto bundle = NSBundle::mainBundle();
  for (const char* key : {"CFBundleVersion", "CFBundleShortVersionString", "CFBundleDisplayName",
                          "CFBundleName", "CFBundleIdentifier"}) {
    Value v = bundle->objectForInfoDictionaryKey(key);
    EXPECT_TRUE(v.isString() && !v.string().empty()) << key;
  }
  EXPECT_EQ(bundle->bundleIdentifier(), "com.zept.reader");
  // The first URL scheme of the first URL type.
  Value schemes =
      bundle->infoDictionary()->objectForKey("CFBundleURLTypes")[0]["CFBundleURLSchemes"];
  ASSERT_TRUE(schemes.isArray());
  EXPECT_FALSE(schemes[0].string().empty());
  EXPECT_TRUE(bundle->objectForInfoDictionaryKey("NoSuchKey").isNil());
}

TEST(Bundle, LocalizedStringsOfTheApplication) {
  auto bundle = NSBundle::mainBundle();
  EXPECT_EQ(bundle->localizedStringForKey("SERVER_VERSION"), "2.0");
  for (const char* key :
       {"NetworkError", "RequestError", "NetworkConnectionFail", "BandPrompt", "BandTimeOutPrompt",
        "AcoundTokenTime", "StartSend", "SendOk", "SendFail", "VersionUpdate", "NewVersion",
        "NoNewVersion", "SUREALERT", "AppStoreAppId", "OfficeSourceSubject", "SourceSubject"}) {
    EXPECT_NE(bundle->localizedStringForKey(key), key) << key;
  }
  // Crash reports are read by the service's developers: the signal line stays untranslated.
  std::string signal = NSLocalizedString("Signal %d was raised.\n%@");
  EXPECT_EQ(signal, "Signal %d was raised.\n%@");
  EXPECT_EQ(stringWithFormat(signal, 11, "D").find("11"), signal.find("%d"));
  EXPECT_EQ(NSLocalizedString("%@\n%@"), "%@\n%@");
  // A key the table lacks gives the key itself, or the value asked for.
  EXPECT_EQ(bundle->localizedStringForKey("KeyThatIsMissing"), "KeyThatIsMissing");
  EXPECT_EQ(bundle->localizedStringForKey("KeyThatIsMissing", "fallback"), "fallback");
  EXPECT_EQ(bundle->localizedStringForKey("SERVER_VERSION", "", "OtherTable"), "SERVER_VERSION");
}

TEST(Bundle, StringsFileSyntax) {
  auto bundle = makeBundle(
      "/* block\n comment \"a\" = \"b\"; */\n"
      "// line comment\n"
      "\"plain\" = \"value\";\n"
      "\"escapes\"=\"q\\\"uote\\\\back\\nline\\ttab\";\n"
      "\"unicode\" = \"\\U4e2d\\U6587 \\UD83D\\UDE00\";\n"
      "\"octal\" = \"\\101\\102\";\n"
      "unquoted = word_1.2;\n"
      "\"short\";\n"
      "\"\u4e2d\u6587\u952e\" = \"\u4e2d\u6587\u503c\";\n"
      "\"dup\" = \"first\"; \"dup\" = \"second\";\n");
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->localizedStringForKey("plain"), "value");
  EXPECT_EQ(bundle->localizedStringForKey("escapes"), "q\"uote\\back\nline\ttab");
  EXPECT_EQ(bundle->localizedStringForKey("unicode"), "\u4e2d\u6587 \U0001F600");
  EXPECT_EQ(bundle->localizedStringForKey("octal"), "AB");
  EXPECT_EQ(bundle->localizedStringForKey("unquoted"), "word_1.2");
  EXPECT_EQ(bundle->localizedStringForKey("short"), "short");
  EXPECT_EQ(bundle->localizedStringForKey("\u4e2d\u6587\u952e"), "\u4e2d\u6587\u503c");
  EXPECT_EQ(bundle->localizedStringForKey("dup"), "second");
  EXPECT_EQ(bundle->localizedStringForKey("a"), "a");  // inside the comment
}

TEST(Bundle, StringsFileEncodingsAndErrors) {
  // UTF-16 little-endian with a byte-order mark, as string tables are often saved.
  std::string utf16("\xFF\xFE", 2);
  for (char16_t c : std::u16string(u"\"k\" = \"\u4e2d\";")) {
    utf16 += char(c & 0xFF);
    utf16 += char(c >> 8);
  }
  EXPECT_EQ(NSBundle::parseStringsFile(utf16)->objectForKey("k").string(), "\u4e2d");

  std::string error;
  ValueDictionary partial =
      NSBundle::parseStringsFile("\"a\" = \"1\";\n\"b\" = \"2\"\n\"c\" = \"3\";", &error);
  EXPECT_EQ(partial->objectForKey("a").string(), "1");
  EXPECT_TRUE(partial->objectForKey("c").isNil());
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;

  error.clear();
  EXPECT_EQ(NSBundle::parseStringsFile("\"a\" = \"unterminated;", &error)->count(), 0u);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(NSBundle::parseStringsFile("/* never closed", &error)->count(), 0u);
  EXPECT_EQ(NSBundle::parseStringsFile("")->count(), 0u);
}
