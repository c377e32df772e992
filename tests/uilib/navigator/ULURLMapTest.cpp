// The URL map: which pattern a URL picks, shared and created objects, calls on existing objects
// and by fragment, navigation modes and the classing of URLs, and objects turned into URLs.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURL.h"
#include "Foundation/Value.h"
#include "UIKit/UIApplication.h"
#include "uilib/navigator/ULURLMap.h"

namespace {

class PhotoScreen : public NSObject {
  NS_CLASS(PhotoScreen, NSObject)
 public:
  static std::shared_ptr<PhotoScreen> initWithId(int photoId) {
    auto screen = std::make_shared<PhotoScreen>();
    screen->photoId = photoId;
    return screen;
  }
  int photoId = 0;
};
NS_CLASS_IMPLEMENTATION(PhotoScreen) {
  c.initializer("initWithId:", &PhotoScreen::initWithId);
}

class ViewScreen : public NSObject {
  NS_CLASS(ViewScreen, NSObject)
};
NS_CLASS_IMPLEMENTATION(ViewScreen) {}

// An existing object that URLs call into.
class Document : public NSObject {
  NS_CLASS(Document, NSObject)
 public:
  void edit() { calls.push_back("edit"); }
  std::string highlight(const std::string& word) {
    calls.push_back("highlight " + word);
    return word;
  }
  std::shared_ptr<PhotoScreen> photo(int photoId) { return PhotoScreen::initWithId(photoId); }
  std::vector<std::string> calls;
};
NS_CLASS_IMPLEMENTATION(Document) {
  c.method("edit", &Document::edit);
  c.method("highlight:", &Document::highlight);
  c.method("photo:", &Document::photo);
}

class Person : public NSObject {
  NS_CLASS(Person, NSObject)
 public:
  std::string name;
  int age = 0;
};
NS_CLASS_IMPLEMENTATION(Person) {
  c.property("name", &Person::name);
  c.property("age", &Person::age);
}

class Author : public Person {
  NS_CLASS(Author, Person)
};
NS_CLASS_IMPLEMENTATION(Author) {}

class Editor : public Person {
  NS_CLASS(Editor, Person)
};
NS_CLASS_IMPLEMENTATION(Editor) {}

int photoIdOf(const Value& v) {
  auto photo = v.object<PhotoScreen>();
  return photo ? photo->photoId : -1;
}

TEST(ULURLMapTest, TheMostSpecificPatternWinsWhateverTheOrderOfRegistration) {
  for (bool literalFirst : {true, false}) {
    ULURLMap map;
    if (literalFirst) map.fromToViewController("app://photo/view", &ViewScreen::classObject());
    map.fromToViewController("app://photo/(initWithId:)", &PhotoScreen::classObject());
    if (!literalFirst) map.fromToViewController("app://photo/view", &ViewScreen::classObject());

    EXPECT_TRUE(map.objectForURL("app://photo/view").object<ViewScreen>()) << literalFirst;
    EXPECT_EQ(photoIdOf(map.objectForURL("app://photo/7")), 7) << literalFirst;
  }
}

TEST(ULURLMapTest, EquallySpecificPatternsAreTriedInRegistrationOrder) {
  // One literal and one wildcard each, and both match "app://photo/view".
  const std::string patterns[] = {"app://photo/(initWithId:)", "app://(photoId)/view"};
  for (int first : {0, 1}) {
    ULURLMap map;
    map.fromToViewController(patterns[first], &PhotoScreen::classObject(), "initWithId:");
    map.fromToViewController(patterns[1 - first], &PhotoScreen::classObject(), "initWithId:");
    std::shared_ptr<ULURLNavigatorPattern> pattern;
    map.objectForURL("app://photo/view", nullptr, &pattern);
    ASSERT_TRUE(pattern);
    EXPECT_EQ(pattern->URL(), patterns[first]);
  }
}

TEST(ULURLMapTest, SharedURLsGiveTheSameObjectAndCreatedOnesANewOne) {
  ULURLMap map;
  map.fromToSharedViewController("app://shared/(initWithId:)", &PhotoScreen::classObject());
  map.fromToViewController("app://fresh/(initWithId:)", &PhotoScreen::classObject());

  Value first = map.objectForURL("app://shared/1");
  Value second = map.objectForURL("app://shared/1");
  ASSERT_TRUE(first.object());
  EXPECT_EQ(first.object(), second.object());
  EXPECT_NE(map.objectForURL("app://shared/2").object(), first.object());

  Value a = map.objectForURL("app://fresh/1");
  Value b = map.objectForURL("app://fresh/1");
  ASSERT_TRUE(a.object() && b.object());
  EXPECT_NE(a.object(), b.object());
}

TEST(ULURLMapTest, StoredObjectsAreNotKeptAlive) {
  ULURLMap map;
  map.fromToSharedViewController("app://shared/(initWithId:)", &PhotoScreen::classObject());
  std::weak_ptr<NSObject> gone = map.objectForURL("app://shared/1").object();
  EXPECT_TRUE(gone.expired());
  // A new one is made in its place.
  EXPECT_EQ(photoIdOf(map.objectForURL("app://shared/1")), 1);
}

TEST(ULURLMapTest, AStoredObjectWhosePatternWasRemovedIsNotReturnedWithItsPattern) {
  ULURLMap map;
  map.fromToSharedViewController("app://shared/(initWithId:)", &PhotoScreen::classObject());
  auto kept = map.objectForURL("app://shared/1").object();
  ASSERT_TRUE(kept);
  map.removeURL("app://shared/(initWithId:)");
  map.setObject(kept, "app://shared/1");

  EXPECT_EQ(map.objectForURL("app://shared/1").object(), kept);
  std::shared_ptr<ULURLNavigatorPattern> pattern;
  EXPECT_TRUE(map.objectForURL("app://shared/1", nullptr, &pattern).isNil());
  EXPECT_FALSE(pattern);

  map.removeObject(kept);  // has no effect
  EXPECT_EQ(map.objectForURL("app://shared/1").object(), kept);
  map.removeAllObjects();
  EXPECT_TRUE(map.objectForURL("app://shared/1").isNil());
}

TEST(ULURLMapTest, ObjectTargetsAreCalledWithTheURLsArguments) {
  ULURLMap map;
  auto document = std::make_shared<Document>();
  map.from("app://doc/photo/(photo:)", document);
  map.from("app://doc/(highlight:)", document);
  EXPECT_EQ(photoIdOf(map.objectForURL("app://doc/photo/9")), 9);
  EXPECT_EQ(map.objectForURL("app://doc/word").string(), "word");
  EXPECT_EQ(document->calls, std::vector<std::string>{"highlight word"});

  // The map does not keep its target alive.
  std::weak_ptr<Document> weak = document;
  document.reset();
  EXPECT_TRUE(weak.expired());
  EXPECT_TRUE(map.objectForURL("app://doc/word").isNil());
}

TEST(ULURLMapTest, FragmentsCallMethodsOfTheTarget) {
  ULURLMap map;
  auto document = std::make_shared<Document>();
  map.from("app://doc#(highlight:)", document);

  EXPECT_EQ(map.dispatchURL("app://doc#title", document).string(), "title");
  // No fragment pattern matches: the fragment names the method, and the result is nil.
  EXPECT_TRUE(map.dispatchURL("other://x#edit", document).isNil());
  EXPECT_TRUE(map.dispatchURL("other://x#unknown", document).isNil());
  EXPECT_TRUE(map.dispatchURL("other://x", document).isNil());
  EXPECT_EQ(document->calls, (std::vector<std::string>{"highlight title", "edit"}));
  // Fragment patterns are not used for objects.
  EXPECT_TRUE(map.objectForURL("app://doc#title").isNil());
}

TEST(ULURLMapTest, NavigationModesAndTransitionsFollowThePattern) {
  ULURLMap map;
  map.fromToViewController("app://create", &ViewScreen::classObject(), {}, 3);
  map.fromToSharedViewController("app://share", &ViewScreen::classObject());
  map.fromToModalViewController("app://modal", &ViewScreen::classObject(), {}, 2);
  map.fromToPopoverViewController("app://popover", &ViewScreen::classObject());
  map.from("app://call", std::make_shared<Document>(), "edit");
  UIApplication::sharedApplication();

  struct Case {
    const char* url;
    int mode;
    int transition;
  } cases[] = {
      {"app://create", 1, 3},       {"app://share", 2, 0},
      {"app://modal", 3, 2},        {"app://popover", 4, 0},
      {"app://call", 0, 0},         {"app://unknown", 5, 0},
      {"http://x.example/a", 5, 0}, {"mailto:a@b.example", 5, 0},
      {"not a url", 5, 0},          {"http://maps.zept.example/?q=1", 5, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(map.navigationModeForURL(c.url), c.mode) << c.url;
    EXPECT_EQ(map.transitionForURL(c.url), c.transition) << c.url;
  }
}

TEST(ULURLMapTest, URLsAreClassedAsTheWebsTheApplicationsOrOtherApplications) {
  ULURLMap map;
  map.fromToViewController("app://photo/(initWithId:)", &PhotoScreen::classObject());
  map.fromToViewController("tel://photo", &ViewScreen::classObject());

  struct Case {
    const char* url;
    bool web;
    bool external;
    bool app;
  } cases[] = {
      {"http://x.example", true, false, false},
      {"HTTP://x", true, false, false},
      {"Ftps://x", true, false, false},
      {"file:///tmp/a", true, false, false},
      {"app://photo/1", false, false, false},
      // Another application's scheme, which the system can open.
      {"mailto:a@b.example", false, false, true},
      {"sms:123", false, false, true},
      // The system opens "tel", but a pattern of ours uses it.
      {"tel://photo", false, false, false},
      // No application takes it.
      {"nobody://x", false, false, false},
      {"http://maps.zept.example/", true, true, true},
      {"https://apps.zept.example/app/1", true, true, true},
      {"http://store.zept.example/", true, true, true},
  };
  for (const Case& c : cases) {
    auto url = NSURL::URLWithString(c.url);
    ASSERT_TRUE(url) << c.url;
    EXPECT_EQ(ULURLMap::isWebURL(*url), c.web) << c.url;
    EXPECT_EQ(ULURLMap::isExternalURL(*url), c.external) << c.url;
    EXPECT_EQ(map.isAppURL(url), c.app) << c.url;
  }
  EXPECT_TRUE(map.isSchemeSupported("app"));
  EXPECT_FALSE(map.isSchemeSupported("APP"));
  EXPECT_FALSE(map.isSchemeSupported(""));
}

TEST(ULURLMapTest, ObjectsBecomeURLsByTheGeneratorOfTheirNearestClass) {
  ULURLMap map;
  map.fromClassToURL(&Person::classObject(), "app://person/(name)");
  map.fromClassToURL(&Author::classObject(), "app://author/(name)");
  map.fromClassToURL(&Person::classObject(), "app://person/(name)/(age)", "full");
  EXPECT_EQ(ULURLMap::keyForClass(&Person::classObject(), ""), "Person_");

  Person person;
  person.name = "Ann";
  person.age = 30;
  Author author;
  author.name = "Bo";
  Editor editor;
  editor.name = "Cy";
  EXPECT_EQ(map.URLForObject(person), "app://person/Ann");
  EXPECT_EQ(map.URLForObject(person, "full"), "app://person/Ann/30");
  EXPECT_EQ(map.URLForObject(author), "app://author/Bo");
  EXPECT_EQ(map.URLForObject(editor), "app://person/Cy");
  Document document;
  EXPECT_EQ(map.URLForObject(document), "");
}

}  // namespace
