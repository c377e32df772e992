// The library-wide functions: lists that do not keep their elements, texts, error texts,
// local paths, rectangles, the network activity count and the version.
#include <gtest/gtest.h>

#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSURLError.h"
#include "UIKit/UIApplication.h"
#include "uilib/core/ULGlobal.h"
#include "uilib/core/ULKit.h"

namespace {

struct Thing {
  int n;
};

}  // namespace

TEST(ULGlobal, WeakListsLetTheirElementsGoAndCompareByIdentity) {
  auto list = ULCreateWeakMutableArray<Thing>();
  auto a = std::make_shared<Thing>(Thing{1});
  auto b = std::make_shared<Thing>(Thing{2});
  list.addObject(a);
  list.addObject(b);
  list.addObject(nullptr);
  EXPECT_EQ(list.count(), 2u);
  EXPECT_TRUE(list.containsObject(a));
  EXPECT_FALSE(list.containsObject(std::make_shared<Thing>(Thing{1})));
  // The same object through another pointer type is the same element.
  EXPECT_TRUE(list.containsObject(std::shared_ptr<void>(a)));
  std::weak_ptr<Thing> gone = b;
  b.reset();
  EXPECT_EQ(list.count(), 1u);
  EXPECT_EQ(list.objects().size(), 1u);
  EXPECT_TRUE(list.containsOwner(gone));
  list.removeObject(a);
  EXPECT_EQ(list.count(), 0u);

  auto map = ULCreateWeakValueDictionary<Thing>();
  auto c = std::make_shared<Thing>(Thing{3});
  map.setObject(c, "c");
  EXPECT_EQ(map.objectForKey("c"), c);
  c.reset();
  EXPECT_EQ(map.objectForKey("c"), nullptr);
  EXPECT_TRUE(map.allKeys().empty());
}

TEST(ULGlobal, TextsAndErrorTexts) {
  const std::pair<Value, bool> texts[] = {
      {Value("x"), true}, {Value(""), false}, {Value(5), false}, {Value(), false}};
  for (auto& [v, has] : texts) EXPECT_EQ(ULStringHasText(v), has) << v.description();

  // The bundle carries no string table: a text is its key.
  EXPECT_EQ(ULLibraryLocalizedString("Connection Error", "comment"), "Connection Error");
  const std::pair<NSErrorPtr, const char*> errors[] = {
      {NSError::errorWithDomain(NSURLErrorDomain, NSURLErrorTimedOut), "Connection Timed Out"},
      {NSError::errorWithDomain(NSURLErrorDomain, NSURLErrorNotConnectedToInternet),
       "No Internet Connection"},
      {NSError::errorWithDomain(NSURLErrorDomain, 404), "Connection Error"},
      {NSError::errorWithDomain("ulkit.network", NSURLErrorTimedOut), "Error"},
      {nullptr, "Error"},
  };
  for (auto& [error, text] : errors) EXPECT_EQ(ULErrorUserText(error), text);
  EXPECT_EQ(ULFormatDecimalInteger(1234567), "1,234,567");
  EXPECT_EQ(ULFormatDecimalInteger(-12), "-12");
  EXPECT_EQ(ULUserLanguageLocale(), "en_US");
}

TEST(ULGlobal, LocalSchemesAndRectangles) {
  EXPECT_TRUE(ULHasBundleScheme("bundle://a.png"));
  EXPECT_FALSE(ULHasBundleScheme("documents://a.png"));
  EXPECT_TRUE(ULHasDocumentsScheme("documents://a/b.png"));
  EXPECT_FALSE(ULHasDocumentsScheme("http://documents://"));
  EXPECT_EQ(ULBundleResourcePath("a/b.png"), NSBundle::mainBundle()->resourcePath() + "/a/b.png");
  EXPECT_EQ(ULDocumentsResourcePath("x.png"), NSDocumentDirectory() + "/x.png");

  EXPECT_EQ(ULRectApplyInsets(CGRectMake(0, 0, 100, 50), UIEdgeInsetsMake(5, 10, 5, 10)),
            CGRectMake(10, 5, 80, 40));
  EXPECT_EQ(ULRectShrink(CGRectMake(3, 4, 100, 50), 10, 20), CGRectMake(3, 4, 90, 30));
}

TEST(ULGlobal, TheActivityIndicatorShowsWhileTransfersRun) {
  auto app = UIApplication::sharedApplication();
  ULNetworkActivityBegin();
  ULNetworkActivityBegin();
  ULNetworkActivityEnd();
  EXPECT_TRUE(app->isNetworkActivityIndicatorVisible());
  ULNetworkActivityEnd();
  EXPECT_FALSE(app->isNetworkActivityIndicatorVisible());
  // An end too many leaves the count at nothing: the next begin shows it again.
  ULNetworkActivityEnd();
  EXPECT_FALSE(app->isNetworkActivityIndicatorVisible());
  ULNetworkActivityBegin();
  EXPECT_TRUE(app->isNetworkActivityIndicatorVisible());
  ULNetworkActivityEnd();
  EXPECT_FALSE(app->isNetworkActivityIndicatorVisible());
}

TEST(ULKit, TheVersionAndItsParts) {
  EXPECT_EQ(ULKit::version(), "1.0.6.2");
  EXPECT_EQ(ULKit::majorVersion(), 1);
  EXPECT_EQ(ULKit::minorVersion(), 0);
  EXPECT_EQ(ULKit::bugfixVersion(), 6);
  EXPECT_EQ(ULKit::hotfixVersion(), 2);
}
