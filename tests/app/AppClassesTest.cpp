// The app's own classes are known by name, as the URL navigator and the usage records will
// look them up: screens made by their initializers, the program's classes by their names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "app/AppDelegate.h"
#include "model/ChannelItem.h"
#include "screens/reading/ChannelViewController.h"

namespace {

TEST(AppClassesTest, TheAppsClassesAreFoundByNameUnderTheirOwnNames) {
  struct Case {
    const char* name;
    const char* kindOf;
  };
  for (const Case& c : std::vector<Case>{{"AppDelegate", "UIResponder"},
                                         {"ChannelViewController", "UIViewController"},
                                         {"varimostaViewController", "UIViewController"},
                                         {"MyViewController", "UIViewController"},
                                         {"WebViewCtrl", "UIViewCtrl"},
                                         {"ModalWebViewController", "UIViewController"},
                                         {"UINaviCtrl", "UINavigationController"},
                                         {"UILoginAdView", "UIView"},
                                         {"UIWebView", "UIView"},
                                         {"ULLauncherView", "UIView"},
                                         {"JXArray", "NSArray"},
                                         {"JXDictionary", "NSDictionary"}}) {
    SCOPED_TRACE(c.name);
    const NSClass* cls = NSClassFromString(c.name);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->name(), c.name);
    EXPECT_TRUE(cls->isSubclassOfClass(c.kindOf));
  }
}

TEST(AppClassesTest, AChannelScreenIsMadeByItsInitializerNamedInAPattern) {
  const NSClass* cls = NSClassFromString("ChannelViewController");
  ASSERT_NE(cls, nullptr);
  const NSMethod* init = cls->instanceMethod("initWithChannelType:actionType:");
  ASSERT_NE(init, nullptr);
  EXPECT_EQ(init->argumentTypes(), "ii");

  // As a URL pattern fills it: the texts of the URL in the argument slots.
  NSInvocation invocation(*init);
  invocation.setArgument("5", 2);
  invocation.setArgument(std::to_string(kTemplateMyFavorite), 3);
  invocation.invoke();
  auto screen = invocation.returnValue().object<ChannelViewController>();
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(screen->className(), "ChannelViewController");
  EXPECT_TRUE(screen->isInFavorite());

  auto plain = cls->makeInstance();
  ASSERT_NE(plain, nullptr);
  EXPECT_TRUE(plain->respondsToSelector("refreshTableView"));
  EXPECT_TRUE(plain->respondsToSelector("cancelButtonPushed:"));
}

}  // namespace
