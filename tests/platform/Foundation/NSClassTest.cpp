// Classes known by name: look-up and instances, the superclass chain, methods and initializers
// called by selector with typed arguments, invocations slot by slot, properties by key, class
// methods, responds-to, listing by prefix, and what unknown names answer.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSClass.h"
#include "Foundation/NSException.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

namespace {

// A screen as a URL pattern would make it: "app://photo/(initWithId:)".
class PhotoScreen : public NSObject {
  NS_CLASS(PhotoScreen, NSObject)
 public:
  PhotoScreen() = default;
  static std::shared_ptr<PhotoScreen> initWithId(int photoId) {
    auto screen = std::make_shared<PhotoScreen>();
    screen->photoId = photoId;
    return screen;
  }
  static std::shared_ptr<PhotoScreen> initWithIdQuery(long long photoId,
                                                      const ValueDictionary& query) {
    auto screen = initWithId(int(photoId));
    screen->query = query;
    return screen;
  }
  static int defaultZoomLevel() { return 3; }

  std::string caption(int count, double scale, const std::shared_ptr<NSObject>& owner) const {
    return std::to_string(count) + " x " + std::to_string(scale) + " of " +
           (owner ? owner->className() : std::string("nobody"));
  }
  void touch() { ++touches; }

  const std::string& title() const { return title_; }
  void setTitle(std::string_view title) { title_ = std::string(title); }
  double zoom() const { return zoom_; }
  void setZoom(double zoom) { zoom_ = zoom; }

  int photoId = 0;
  bool visible = false;
  int touches = 0;
  ValueDictionary query;

 private:
  std::string title_;
  double zoom_ = 1;
};
NS_CLASS_IMPLEMENTATION(PhotoScreen) {
  c.initializer("initWithId:", &PhotoScreen::initWithId);
  c.initializer("initWithId:query:", &PhotoScreen::initWithIdQuery);
  c.classMethod("defaultZoomLevel", &PhotoScreen::defaultZoomLevel);
  c.method("caption:scale:owner:", &PhotoScreen::caption);
  c.method("touch", &PhotoScreen::touch);
  c.property("title", &PhotoScreen::title, &PhotoScreen::setTitle);
  c.property("zoom", &PhotoScreen::zoom, &PhotoScreen::setZoom);
  c.property("photoId", &PhotoScreen::photoId);
  c.property("visible", &PhotoScreen::visible);
  c.property("touches", [](PhotoScreen& s) { return s.touches; });
}

// A subclass that adds nothing by name but its own class.
class ZoomingPhotoScreen : public PhotoScreen {
  NS_CLASS(ZoomingPhotoScreen, PhotoScreen)
};
NS_CLASS_IMPLEMENTATION(ZoomingPhotoScreen) {}

// One method per kind of argument, each answering how it read its argument.
class ArgumentKinds : public NSObject {
  NS_CLASS(ArgumentKinds, NSObject)
 public:
  enum class Mode : unsigned char { Off, On };
  std::string all(char c, unsigned char uc, short s, unsigned short us, int i, unsigned u, long l,
                  unsigned long ul, long long ll, bool b, float f, double d, std::string text,
                  Value value, std::shared_ptr<ArgumentKinds> object, Mode mode) {
    return std::to_string(c) + " " + std::to_string(uc) + " " + std::to_string(s) + " " +
           std::to_string(us) + " " + std::to_string(i) + " " + std::to_string(u) + " " +
           std::to_string(l) + " " + std::to_string(ul) + " " + std::to_string(ll) + " " +
           (b ? "YES" : "NO") + " " + std::to_string(f) + " " + std::to_string(d) + " [" + text +
           "] " + value.description() + " " + (object ? "object" : "none") + " " +
           std::to_string(int(mode));
  }
};
NS_CLASS_IMPLEMENTATION(ArgumentKinds) {
  c.method("c:uc:s:us:i:u:l:ul:ll:b:f:d:text:value:object:mode:", &ArgumentKinds::all);
  c.method("half:", [](ArgumentKinds&, float x) { return x / 2; });
  c.method("isOn:", [](ArgumentKinds&, Mode m) { return m == Mode::On; });
  c.method("letter", [](ArgumentKinds&) { return 'z'; });
  c.method("big", [](ArgumentKinds&) { return 18446744073709551615ull; });
}

// A loader that finds its add-ons by the prefix of its method names.
class AddOnLoader : public NSObject {
  NS_CLASS(AddOnLoader, NSObject)
};
NS_CLASS_IMPLEMENTATION(AddOnLoader) {
  c.method("loadExtensionNamedMaps", [](AddOnLoader&) { return Value("maps"); });
  c.method("loadExtensionNamedCharts", [](AddOnLoader&) { return Value(); });
  c.method("extensionInfoNamedMaps", [](AddOnLoader&) { return Value("info"); });
  c.classMethod("loadExtensionNamedNever", [] { return 0; });
}

class AddOnLoaderSubclass : public AddOnLoader {
  NS_CLASS(AddOnLoaderSubclass, AddOnLoader)
};
NS_CLASS_IMPLEMENTATION(AddOnLoaderSubclass) {}

TEST(NSClassTest, ClassesAreFoundByNameAndMakeObjectsOfTheirOwnClass) {
  for (std::string name : {"PhotoScreen", "ZoomingPhotoScreen", "NSObject"}) {
    SCOPED_TRACE(name);
    const NSClass* cls = NSClassFromString(name);
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->name(), name);
    EXPECT_EQ(NSStringFromClass(cls), name);
    auto object = cls->makeInstance();
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->className(), name);
    EXPECT_EQ(&object->objectClass(), cls);
  }
  EXPECT_EQ(NSClassFromString("PhotoScreen"), &PhotoScreen::classObject());
  EXPECT_NE(std::dynamic_pointer_cast<ZoomingPhotoScreen>(
                ZoomingPhotoScreen::classObject().makeInstance()),
            nullptr);
}

TEST(NSClassTest, UnknownNamesAnswerNothingAndNeverRaise) {
  EXPECT_EQ(NSClassFromString("NoSuchScreen"), nullptr);
  EXPECT_EQ(NSClassFromString(""), nullptr);
  EXPECT_EQ(NSStringFromClass(nullptr), "");

  const NSClass& cls = PhotoScreen::classObject();
  EXPECT_EQ(cls.instanceMethod("noSuchMethod:"), nullptr);
  EXPECT_EQ(cls.classMethod("noSuchMethod"), nullptr);
  EXPECT_EQ(cls.property("noSuchProperty"), nullptr);
  EXPECT_FALSE(cls.respondsToSelector("touch"));  // an instance method, not a class one
  EXPECT_TRUE(cls.performSelector("noSuchMethod").isNil());

  auto screen = PhotoScreen::initWithId(1);
  EXPECT_FALSE(screen->respondsToSelector("noSuchMethod"));
  EXPECT_FALSE(screen->respondsToSelector("touch:"));  // the colon is part of the name
  EXPECT_TRUE(screen->performSelector("noSuchMethod", {1, 2}).isNil());
  EXPECT_TRUE(screen->valueForKey("noSuchKey").isNil());
  EXPECT_FALSE(screen->setValueForKey(1, "noSuchKey"));
  EXPECT_FALSE(screen->isKindOfClass("NoSuchScreen"));

  // A method of one class called on an object of another does nothing.
  const NSMethod* touch = cls.instanceMethod("touch");
  ASSERT_NE(touch, nullptr);
  NSObject plain;
  EXPECT_TRUE(touch->invoke(&plain, {}).isNil());
  EXPECT_TRUE(touch->invoke(nullptr, {}).isNil());
}

TEST(NSClassTest, TheSuperclassChainAnswersIsKindOf) {
  const NSClass& zooming = ZoomingPhotoScreen::classObject();
  ASSERT_NE(zooming.superclass(), nullptr);
  EXPECT_EQ(zooming.superclass(), &PhotoScreen::classObject());
  EXPECT_EQ(zooming.superclass()->superclass(), &NSObject::classObject());
  EXPECT_EQ(NSObject::classObject().superclass(), nullptr);

  auto object = zooming.makeInstance();
  EXPECT_TRUE(object->isKindOfClass("ZoomingPhotoScreen"));
  EXPECT_TRUE(object->isKindOfClass("PhotoScreen"));
  EXPECT_TRUE(object->isKindOfClass(NSObject::classObject()));
  EXPECT_TRUE(object->isMemberOfClass(zooming));
  EXPECT_FALSE(object->isMemberOfClass(PhotoScreen::classObject()));

  auto plain = PhotoScreen::initWithId(1);
  EXPECT_FALSE(plain->isKindOfClass("ZoomingPhotoScreen"));
  EXPECT_FALSE(PhotoScreen::classObject().isSubclassOfClass(zooming));
}

TEST(NSClassTest, MethodsAreCalledByNameWithIntDoubleAndObjectArguments) {
  auto screen = PhotoScreen::initWithId(7);
  auto owner = ZoomingPhotoScreen::classObject().makeInstance();

  Value caption = screen->performSelector("caption:scale:owner:", {3, 1.5, Value(owner)});
  EXPECT_TRUE(caption.isString());
  EXPECT_EQ(caption.string(), "3 x 1.500000 of ZoomingPhotoScreen");

  // Arguments are read as the platform's number readers read them; missing ones are nil.
  EXPECT_EQ(screen->performSelector("caption:scale:owner:", {"12", "0.25"}).string(),
            "12 x 0.250000 of nobody");
  EXPECT_EQ(screen->performSelector("caption:scale:owner:").string(), "0 x 0.000000 of nobody");

  // A method that gives nothing answers nil, and did its work.
  EXPECT_TRUE(screen->performSelector("touch").isNil());
  EXPECT_EQ(screen->touches, 1);
}

TEST(NSClassTest, EveryArgumentKindTravelsWithThePlatformsTypeCode) {
  const NSMethod* all = ArgumentKinds::classObject().instanceMethod(
      "c:uc:s:us:i:u:l:ul:ll:b:f:d:text:value:object:mode:");
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(all->argumentTypes(), "cCsSiIqQqBfd@@@C");
  EXPECT_EQ(all->returnType(), '@');
  EXPECT_EQ(all->numberOfArguments(), 18u);
  EXPECT_EQ(all->argumentTypeAtIndex(0), '@');
  EXPECT_EQ(all->argumentTypeAtIndex(1), ':');
  EXPECT_EQ(all->argumentTypeAtIndex(2), 'c');
  EXPECT_EQ(all->argumentTypeAtIndex(17), 'C');
  EXPECT_EQ(all->argumentTypeAtIndex(18), '\0');

  auto kinds = std::make_shared<ArgumentKinds>();
  std::vector<Value> arguments = {Value::character('a'),
                                  200,
                                  -3,
                                  "65535",
                                  42,
                                  7u,
                                  -9000000000L,
                                  18000000000000000000ull,
                                  12,
                                  true,
                                  0.5,
                                  2.25,
                                  99,
                                  Value::dictionaryOf({{"k", 1}}),
                                  Value(kinds),
                                  1};
  EXPECT_EQ(all->invoke(kinds.get(), arguments).string(),
            "97 200 -3 65535 42 7 -9000000000 18000000000000000000 12 YES 0.500000 2.250000 [99] "
            "{\n    k = 1;\n} object 1");

  // Results keep their kind.
  struct Case {
    const char* selector;
    std::vector<Value> arguments;
    char returnType;
    Value::Kind kind;
    std::string text;
  };
  for (const Case& c : std::vector<Case>{
           {"half:", {3}, 'f', Value::Kind::Double, "1.5"},
           {"isOn:", {1}, 'B', Value::Kind::Bool, "1"},
           {"letter", {}, 'c', Value::Kind::Char, "122"},
           {"big", {}, 'Q', Value::Kind::UInt, "18446744073709551615"},
       }) {
    SCOPED_TRACE(c.selector);
    const NSMethod* m = ArgumentKinds::classObject().instanceMethod(c.selector);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->returnType(), c.returnType);
    Value result = m->invoke(kinds.get(), c.arguments);
    EXPECT_EQ(result.kind(), c.kind);
    EXPECT_EQ(result.description(), c.text);
  }
  EXPECT_EQ(PhotoScreen::classObject().instanceMethod("touch")->returnType(), 'v');
}

TEST(NSClassTest, AnInvocationFillsItsSlotsThenCalls) {
  const NSClass& cls = PhotoScreen::classObject();
  const NSMethod* caption = cls.instanceMethod("caption:scale:owner:");
  ASSERT_NE(caption, nullptr);
  NSInvocation invocation(*caption);
  invocation.setTarget(PhotoScreen::initWithId(1));
  invocation.setArgument(5, 2);
  invocation.setArgument(2.0, 3);
  invocation.setArgument("ignored", 5);  // past the last argument
  invocation.setArgument("ignored", 1);  // the selector's slot
  EXPECT_EQ(invocation.argumentAtIndex(1).string(), "caption:scale:owner:");
  EXPECT_TRUE(invocation.argumentAtIndex(4).isNil());
  invocation.invoke();
  EXPECT_EQ(invocation.returnValue().string(), "5 x 2.000000 of nobody");

  // An initializer needs no target: it makes the object, as alloc and init do.
  const NSMethod* init = cls.instanceMethod("initWithId:query:");
  ASSERT_NE(init, nullptr);
  EXPECT_EQ(init->kind(), NSMethod::Kind::Initializer);
  EXPECT_EQ(init->argumentTypes(), "q@");
  NSInvocation make(*init);
  make.setArgument("12", 2);
  make.setArgument(Value::dictionaryOf({{"x", "1"}}), 3);
  make.invoke();
  auto made = make.returnValue().object<PhotoScreen>();
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->photoId, 12);
  ASSERT_NE(made->query, nullptr);
  EXPECT_EQ(made->query->objectForKey("x").string(), "1");
}

TEST(NSClassTest, InitializersMakeTheirOwnClassAndAreNotInherited) {
  const NSClass& photo = PhotoScreen::classObject();
  const NSClass& zooming = ZoomingPhotoScreen::classObject();
  EXPECT_TRUE(photo.instancesRespondToSelector("initWithId:"));
  EXPECT_FALSE(zooming.instancesRespondToSelector("initWithId:"));
  // Other instance methods are inherited.
  EXPECT_TRUE(zooming.instancesRespondToSelector("caption:scale:owner:"));
  EXPECT_TRUE(zooming.instancesRespondToSelector("init"));
  EXPECT_EQ(zooming.instanceMethod("init")->kind(), NSMethod::Kind::Initializer);

  auto byName = photo.performSelector("initWithId:", {"34"}).object<PhotoScreen>();
  ASSERT_NE(byName, nullptr);
  EXPECT_EQ(byName->photoId, 34);
  EXPECT_TRUE(zooming.performSelector("initWithId:", {34}).isNil());
}

TEST(NSClassTest, PropertiesAreReadAndWrittenByKeyWithTheirTypeCodes) {
  struct Case {
    const char* name;
    const char* attributes;
    Value written;
    std::string read;
  };
  auto screen = ZoomingPhotoScreen::classObject().makeInstance();  // inherited properties
  for (const Case& c : std::vector<Case>{
           {"title", "T@\"NSString\"", "Harbour", "Harbour"},
           {"zoom", "Td", "2.5", "2.5"},
           {"photoId", "Ti", 41, "41"},
           {"visible", "TB", true, "1"},
       }) {
    SCOPED_TRACE(c.name);
    const NSProperty* p = screen->objectClass().property(c.name);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->attributes(), c.attributes);
    EXPECT_EQ(p->typeCode(), c.attributes[1]);
    EXPECT_FALSE(p->isReadOnly());
    EXPECT_TRUE(screen->setValueForKey(c.written, c.name));
    EXPECT_EQ(screen->valueForKey(c.name).description(), c.read);
  }
  auto photo = std::dynamic_pointer_cast<PhotoScreen>(screen);
  EXPECT_EQ(photo->title(), "Harbour");
  EXPECT_EQ(photo->photoId, 41);

  // A property's getter and setter are methods by name too.
  EXPECT_TRUE(screen->respondsToSelector("title"));
  EXPECT_TRUE(screen->respondsToSelector("setTitle:"));
  EXPECT_TRUE(screen->respondsToSelector("setPhotoId:"));
  screen->performSelector("setZoom:", {4});
  EXPECT_EQ(photo->zoom(), 4);

  // A read-only property is read and never written.
  const NSProperty* touches = PhotoScreen::classObject().property("touches");
  ASSERT_NE(touches, nullptr);
  EXPECT_EQ(touches->attributes(), "Ti,R");
  EXPECT_FALSE(screen->setValueForKey(9, "touches"));
  EXPECT_FALSE(screen->respondsToSelector("setTouches:"));
  screen->performSelector("touch");
  EXPECT_EQ(screen->valueForKey("touches").intValue(), 1);

  EXPECT_EQ(PhotoScreen::classObject().propertyNames(),
            (std::vector<std::string>{"photoId", "title", "touches", "visible", "zoom"}));
  EXPECT_TRUE(ZoomingPhotoScreen::classObject().propertyNames().empty());
}

TEST(NSClassTest, ClassMethodsAreCalledOnTheClassAndInherited) {
  const NSClass& zooming = ZoomingPhotoScreen::classObject();
  EXPECT_TRUE(PhotoScreen::classObject().respondsToSelector("defaultZoomLevel"));
  EXPECT_TRUE(zooming.respondsToSelector("defaultZoomLevel"));
  EXPECT_EQ(zooming.performSelector("defaultZoomLevel").intValue(), 3);
  EXPECT_EQ(zooming.classMethod("defaultZoomLevel")->kind(), NSMethod::Kind::Class);
  // Objects answer for instance methods only.
  EXPECT_FALSE(zooming.makeInstance()->respondsToSelector("defaultZoomLevel"));
}

TEST(NSClassTest, MethodsAreListedByTheirNamesPrefix) {
  const NSClass& loader = AddOnLoader::classObject();
  EXPECT_EQ(loader.instanceMethodNames("loadExtensionNamed"),
            (std::vector<std::string>{"loadExtensionNamedCharts", "loadExtensionNamedMaps"}));
  EXPECT_EQ(loader.instanceMethodNames("extensionInfoNamed"),
            (std::vector<std::string>{"extensionInfoNamedMaps"}));
  EXPECT_EQ(loader.classMethodNames("loadExtension"),
            (std::vector<std::string>{"loadExtensionNamedNever"}));
  EXPECT_TRUE(loader.instanceMethodNames("unload").empty());
  // Everything, in name order, when no prefix is given.
  EXPECT_EQ(loader.instanceMethodNames(),
            (std::vector<std::string>{"extensionInfoNamedMaps", "init", "loadExtensionNamedCharts",
                                      "loadExtensionNamedMaps"}));
  // A class lists its own methods; it still answers its superclass's.
  const NSClass& subclass = AddOnLoaderSubclass::classObject();
  EXPECT_EQ(subclass.instanceMethodNames("load"), std::vector<std::string>{});
  auto object = subclass.makeInstance();
  EXPECT_EQ(object->performSelector("loadExtensionNamedMaps").string(), "maps");
}

TEST(NSClassTest, ASecondClassUnderATakenNameIsRefused) {
  try {
    NSClass::declare("PhotoScreen", &NSObject::classObject());
    FAIL() << "registered twice";
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), NSInternalInconsistencyException);
  }
  EXPECT_EQ(NSClassFromString("PhotoScreen"), &PhotoScreen::classObject());
}

TEST(NSClassTest, ContainersReportThePlatformsClusterClasses) {
  struct Case {
    std::string name;
    std::string superclass;
  };
  for (const Case& c : std::vector<Case>{{"__NSArrayM", "NSMutableArray"},
                                         {"__NSArrayI", "NSArray"},
                                         {"__NSDictionaryM", "NSMutableDictionary"},
                                         {"__NSDictionaryI", "NSDictionary"},
                                         {"NSArray", "NSObject"}}) {
    SCOPED_TRACE(c.name);
    const NSClass* cls = NSClassFromString(c.name);
    ASSERT_NE(cls, nullptr);
    ASSERT_NE(cls->superclass(), nullptr);
    EXPECT_EQ(cls->superclass()->name(), c.superclass);
    EXPECT_EQ(cls->makeInstance(), nullptr);  // containers are made as Values
  }
  EXPECT_EQ(makeArray()->className(), "__NSArrayM");
  EXPECT_EQ(makeArray()->copy()->className(), "__NSArrayI");
  EXPECT_TRUE(makeDictionary()->objectClass().isSubclassOfClass("NSDictionary"));
}

}  // namespace

namespace {

// What another file adds to a class described elsewhere.
NS_CLASS_CATEGORY(PhotoScreen, Sharing) {
  c.method("shareTitle", [](PhotoScreen& s) { return "photo " + std::to_string(s.photoId); });
  c.method("loadExtensionNamedShare", [](PhotoScreen&) { return Value(true); });
}

}  // namespace

TEST(NSClassTest, ACategoryAddsMethodsToAClassDescribedElsewhere) {
  auto screen = PhotoScreen::initWithId(7);
  EXPECT_TRUE(screen->respondsToSelector("shareTitle"));
  EXPECT_EQ(screen->performSelector("shareTitle").string(), "photo 7");
  // Its methods are the class's own: listed by prefix, inherited below.
  EXPECT_EQ(PhotoScreen::classObject().instanceMethodNames("loadExtension"),
            std::vector<std::string>{"loadExtensionNamedShare"});
  EXPECT_TRUE(ZoomingPhotoScreen::classObject().instancesRespondToSelector("shareTitle"));
  // The class's own description is all there still.
  EXPECT_TRUE(PhotoScreen::classObject().instanceMethod("init"));
}
