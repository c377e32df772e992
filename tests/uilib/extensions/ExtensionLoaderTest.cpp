// The add-on registry of a program without add-ons, and the description records.
#include <gtest/gtest.h>

#include "uilib/extensions/ULExtensionLoader.h"

TEST(ULExtensionLoader, WithoutAddOnsEveryListStaysEmpty) {
  EXPECT_TRUE(ULExtensionLoader::availableExtensions().empty());
  EXPECT_TRUE(ULExtensionLoader::loadedExtensions().empty());
  ULExtensionLoader::loadAllExtensions();
  EXPECT_TRUE(ULExtensionLoader::loadedExtensions().empty());
  EXPECT_TRUE(ULExtensionLoader::failedExtensions().empty());
  auto loader = std::make_shared<ULExtensionLoader>();
  EXPECT_TRUE(loader->callExtensionID("Maps", "loadExtensionNamed").isNil());
}

TEST(ULExtensionInfo, NewRecordsSayNothingWasProvided) {
  auto info = std::make_shared<ULExtensionLoader>()->extensionWithID("Maps");
  EXPECT_EQ(info->identifier(), "Maps");
  EXPECT_EQ(info->version(), "No version provided.");
  EXPECT_EQ(info->description(), "No description provided.");
  EXPECT_EQ(info->copyright(), "No copyright provided.");
  EXPECT_EQ(info->license(), "No license provided.");
  // Known by name, with its properties.
  EXPECT_EQ(info->valueForKey("license").string(), "No license provided.");
  EXPECT_TRUE(info->setValueForKey(Value("2.0"), "version"));
  EXPECT_EQ(info->version(), "2.0");
  EXPECT_FALSE(info->setValueForKey(Value("x"), "identifier"));

  auto other = std::make_shared<ULExtensionInfo>();
  other->setIdentifier("Maps");
  EXPECT_TRUE(info->isEqual(*other));
  other->setIdentifier("Charts");
  EXPECT_FALSE(info->isEqual(*other));

  EXPECT_EQ(ULExtensionAuthor().name(), "Unknown");
  auto author = ULExtensionAuthor::authorWithName("Li", "li", "@li", "http://li.example");
  EXPECT_EQ(author->website(), "http://li.example");
  EXPECT_EQ(ULExtensionAuthor::authorWithName("Wu")->github(), "");
}
