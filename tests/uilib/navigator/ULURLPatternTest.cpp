// URL patterns: compiling and specificity, matching URLs against patterns, the selector deduced
// from the wildcards, URL text turned into typed arguments, and objects written back as URLs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURL.h"
#include "Foundation/Value.h"
#include "uilib/navigator/ULURLPattern.h"

namespace {

// Answers only initWithId:query:, as a screen that takes the URL's other parameters.
class ItemScreen : public NSObject {
  NS_CLASS(ItemScreen, NSObject)
 public:
  static std::shared_ptr<ItemScreen> initWithIdQuery(int itemId, const ValueDictionary& query) {
    auto screen = std::make_shared<ItemScreen>();
    screen->itemId = itemId;
    screen->query = query;
    return screen;
  }
  int itemId = -1;
  ValueDictionary query;
};
NS_CLASS_IMPLEMENTATION(ItemScreen) {
  c.initializer("initWithId:query:", &ItemScreen::initWithIdQuery);
}

// Every argument type a URL can carry.
class KindsScreen : public NSObject {
  NS_CLASS(KindsScreen, NSObject)
 public:
  static std::shared_ptr<KindsScreen> make(bool flag, short small, long long big, float ratio,
                                           double precise, std::string name) {
    auto screen = std::make_shared<KindsScreen>();
    screen->flag = flag;
    screen->small = small;
    screen->big = big;
    screen->ratio = ratio;
    screen->precise = precise;
    screen->name = name;
    return screen;
  }
  bool flag = false;
  short small = 0;
  long long big = 0;
  float ratio = 0;
  double precise = 0;
  std::string name;
};
NS_CLASS_IMPLEMENTATION(KindsScreen) {
  c.initializer("initWithFlag:small:big:ratio:precise:name:", &KindsScreen::make);
}

// The screen of last resort: made from the URL object itself.
class AnyScreen : public NSObject {
  NS_CLASS(AnyScreen, NSObject)
 public:
  static std::shared_ptr<AnyScreen> initWithNavigatorURL(const std::shared_ptr<NSURL>& url,
                                                         const ValueDictionary& query) {
    auto screen = std::make_shared<AnyScreen>();
    screen->url = url ? url->absoluteString() : "";
    screen->query = query;
    return screen;
  }
  std::string url;
  ValueDictionary query;
};
NS_CLASS_IMPLEMENTATION(AnyScreen) {
  c.initializer("initWithNavigatorURL:query:", &AnyScreen::initWithNavigatorURL);
}

class Account : public NSObject {
  NS_CLASS(Account, NSObject)
 public:
  std::string name;
};
NS_CLASS_IMPLEMENTATION(Account) {
  c.property("name", &Account::name);
}

class User : public NSObject {
  NS_CLASS(User, NSObject)
 public:
  std::string name;
  int age = 0;
  double score = 0;
  std::shared_ptr<Account> account;
};
NS_CLASS_IMPLEMENTATION(User) {
  c.property("name", &User::name);
  c.property("age", &User::age);
  c.property("score", &User::score);
  c.property("account", &User::account);
}

std::shared_ptr<ULURLNavigatorPattern> compiled(const std::string& url, const NSClass* cls,
                                                int mode = ULNavigationModeCreate) {
  auto pattern = std::make_shared<ULURLNavigatorPattern>(cls, mode);
  pattern->setURL(url);
  pattern->compile();
  return pattern;
}

TEST(ULURLPatternTest, SpecificityCountsTwoPerLiteralAndOnePerWildcard) {
  struct Case {
    const char* pattern;
    int specificity;
  } cases[] = {
      {"app://photo/(initWithId:)", 3},
      {"app://photo/view", 4},
      {"app://photo", 2},
      {"app://photo/(initWithId:)?size=(size)", 4},
      {"app://photo/view?size=large#(top)", 7},
      {"app:rest", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(compiled(c.pattern, &ItemScreen::classObject())->specificity(), c.specificity)
        << c.pattern;
}

TEST(ULURLPatternTest, MatchesTheSchemeHostPathAndFragmentButNotTheQuery) {
  struct Case {
    const char* pattern;
    const char* url;
    bool matches;
  } cases[] = {
      {"app://photo/(initWithId:)", "app://photo/12", true},
      {"app://photo/(initWithId:)", "app://photo/12?x=1", true},
      {"app://photo/(initWithId:)", "app://photo", false},
      {"app://photo/(initWithId:)", "app://photo/12/13", false},
      {"app://photo", "app://photo/12", false},
      {"app://photo", "app://photo/", true},
      {"app://photo", "app://photo", true},
      {"app://photo/view", "app://photo/View", false},
      {"app://photo/view", "app://photo/view", true},
      {"app://photo", "APP://photo", false},
      {"app://photo", "other://photo", false},
      {"app://photo", "app:rest", false},
      {"app:rest", "app:rest", false},
      {"app://photo", "app://photo#top", false},
      {"app://photo#top", "app://photo", false},
      {"app://photo#top", "app://photo#top", true},
      {"app://photo#top", "app://photo#bottom", false},
      {"app://photo#(scrollTo:)", "app://photo#bottom", true},
  };
  for (const Case& c : cases) {
    auto url = NSURL::URLWithString(c.url);
    ASSERT_TRUE(url) << c.url;
    EXPECT_EQ(compiled(c.pattern, &ItemScreen::classObject())->matchURL(*url), c.matches)
        << c.pattern << " against " << c.url;
  }
}

TEST(ULURLPatternTest, MoreSpecificPatternsCompareFirst) {
  auto wildcard = compiled("app://photo/(initWithId:)", &ItemScreen::classObject());
  auto literal = compiled("app://photo/view", &ItemScreen::classObject());
  EXPECT_EQ(literal->compareSpecificity(*wildcard), -1);
  EXPECT_EQ(wildcard->compareSpecificity(*literal), 1);
  EXPECT_EQ(wildcard->compareSpecificity(*wildcard), 0);
}

TEST(ULURLPatternTest, AMissingSelectorFallsBackToTheOneTakingTheQuery) {
  auto pattern = compiled("app://item/(initWithId:)", &ItemScreen::classObject());
  EXPECT_EQ(pattern->selector(), "initWithId:query:");
  EXPECT_EQ(pattern->argumentCount(), 2);

  auto made = pattern->createObjectFromURL(NSURL::URLWithString("app://item/12?x=1&y=2"), nullptr)
                  .object<ItemScreen>();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->itemId, 12);
  ASSERT_TRUE(made->query);
  EXPECT_EQ(made->query->count(), 2u);
  EXPECT_EQ(made->query->objectForKey("x").string(), "1");
  EXPECT_EQ(made->query->objectForKey("y").string(), "2");
}

TEST(ULURLPatternTest, AGivenQueryIsMergedWithTheURLsOwnParameters) {
  auto pattern = compiled("app://item/(initWithId:)", &ItemScreen::classObject());
  auto made = pattern
                  ->createObjectFromURL(NSURL::URLWithString("app://item/5?x=1"),
                                        makeDictionary({{"from", Value("feed")}}))
                  .object<ItemScreen>();
  ASSERT_TRUE(made && made->query);
  EXPECT_EQ(made->query->objectForKey("from").string(), "feed");
  EXPECT_EQ(made->query->objectForKey("x").string(), "1");
}

TEST(ULURLPatternTest, LeftoverParametersAreDroppedWhenWildcardsFillEveryArgument) {
  auto pattern = compiled("app://item/(initWithId:)?q=(query)", &ItemScreen::classObject());
  EXPECT_EQ(pattern->selector(), "initWithId:query:");
  auto made = pattern->createObjectFromURL(NSURL::URLWithString("app://item/3?q=abc&x=1"), nullptr)
                  .object<ItemScreen>();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->itemId, 3);
  // The "query" argument is the text "abc" (not a dictionary): x=1 has nowhere to go.
  EXPECT_FALSE(made->query);
}

TEST(ULURLPatternTest, AWildcardNamedOtherThanAnArgumentSetsNothing) {
  // "id" is not a part of "initWithId:query:": the selector is refused and plain init makes
  // the screen.
  auto pattern = compiled("app://item/(id)", &ItemScreen::classObject());
  EXPECT_EQ(pattern->selector(), "");
  auto plain = pattern->createObjectFromURL(NSURL::URLWithString("app://item/3"), nullptr)
                   .object<ItemScreen>();
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->itemId, -1);

  // With the selector given, the wildcard keeps the not-found index and the id stays 0.
  auto given = std::make_shared<ULURLNavigatorPattern>(&ItemScreen::classObject(), 1);
  given->setURL("app://item/(id)");
  given->setSelector("initWithId:query:");
  given->compile();
  auto made = given->createObjectFromURL(NSURL::URLWithString("app://item/3"), nullptr)
                  .object<ItemScreen>();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->itemId, 0);
}

TEST(ULURLPatternTest, URLTextBecomesArgumentsOfTheMethodsTypes) {
  auto pattern = compiled("app://kinds/(initWithFlag:)/(small)/(big)/(ratio)/(precise)/(name)",
                          &KindsScreen::classObject());
  EXPECT_EQ(pattern->selector(), "initWithFlag:small:big:ratio:precise:name:");
  auto made = pattern
                  ->createObjectFromURL(
                      NSURL::URLWithString("app://kinds/YES/-12/9000000000/0.5/2.25/Ann"), nullptr)
                  .object<KindsScreen>();
  ASSERT_TRUE(made);
  EXPECT_TRUE(made->flag);
  EXPECT_EQ(made->small, -12);
  EXPECT_EQ(made->big, 9000000000LL);
  EXPECT_FLOAT_EQ(made->ratio, 0.5f);
  EXPECT_DOUBLE_EQ(made->precise, 2.25);
  EXPECT_EQ(made->name, "Ann");

  // Text that is not a number reads as 0 and NO.
  made = pattern->createObjectFromURL(NSURL::URLWithString("app://kinds/no/x/y/z/w/Bo"), nullptr)
             .object<KindsScreen>();
  ASSERT_TRUE(made);
  EXPECT_FALSE(made->flag);
  EXPECT_EQ(made->small, 0);
  EXPECT_EQ(made->big, 0);
}

TEST(ULURLPatternTest, TypeCodesAndValuesAreClassifiedAndWritten) {
  struct Code {
    char code;
    int type;
  } codes[] = {{'c', 3}, {'i', 3}, {'l', 3}, {'s', 3}, {'C', 3}, {'I', 3}, {'L', 3},
               {'S', 3}, {'B', 2}, {'q', 4}, {'Q', 4}, {'f', 5}, {'d', 6}, {'@', 1}};
  for (const Code& c : codes) EXPECT_EQ(ULArgumentTypeForTypeCode(c.code), c.type) << c.code;

  struct Text {
    Value value;
    int type;
    const char* text;
  } texts[] = {{Value(7), 0, ""},
               {Value("Ann"), 1, "Ann"},
               {Value(true), 2, "1"},
               {Value(-3), 3, "-3"},
               {Value(1LL << 40), 4, "1099511627776"},
               {Value(0.5), 5, "0.500000"},
               {Value(2.25), 6, "2.250000"}};
  for (const Text& t : texts) EXPECT_EQ(ULTextFromArgument(t.value, t.type), t.text) << t.type;

  EXPECT_EQ(ULArgumentTypeForProperty(&User::classObject(), "age"), 3);
  EXPECT_EQ(ULArgumentTypeForProperty(&User::classObject(), "name"), 1);
  EXPECT_EQ(ULArgumentTypeForProperty(&User::classObject(), "nothing"), 0);
  EXPECT_EQ(ULArgumentTypeForProperty(nullptr, "age"), 0);
}

TEST(ULURLPatternTest, TheUniversalPatternHandsOverTheURLAndQuery) {
  auto pattern = compiled("*", &AnyScreen::classObject());
  EXPECT_TRUE(pattern->isUniversal());
  EXPECT_EQ(pattern->selector(), "initWithNavigatorURL:query:");
  auto made = pattern
                  ->createObjectFromURL(NSURL::URLWithString("x://any/where"),
                                        makeDictionary({{"a", Value(1)}}))
                  .object<AnyScreen>();
  ASSERT_TRUE(made);
  EXPECT_EQ(made->url, "x://any/where");
  ASSERT_TRUE(made->query);
  EXPECT_EQ(made->query->objectForKey("a").intValue(), 1);
}

TEST(ULURLPatternTest, GeneratorsWritePropertiesIntoTheURL) {
  auto user = std::make_shared<User>();
  user->name = "Ann";
  user->age = 42;
  user->score = 1.5;
  user->account = std::make_shared<Account>();
  user->account->name = "ann99";

  struct Case {
    const char* pattern;
    const char* url;
  } cases[] = {
      {"app://user/(name)", "app://user/Ann"},
      {"app://user/(age)", "app://user/42"},
      {"app://user/(name)?score=(score)&age=(age)", "app://user/Ann?age=42&score=1.500000"},
      {"app://user/(account.name)", "app://user/ann99"},
      {"app://user/(unknown)", "app://user/"},
  };
  for (const Case& c : cases) {
    ULURLGeneratorPattern pattern(&User::classObject());
    pattern.setURL(c.pattern);
    pattern.compile();
    EXPECT_EQ(pattern.generateURLFromObject(user.get()), c.url) << c.pattern;
  }
}

}  // namespace
