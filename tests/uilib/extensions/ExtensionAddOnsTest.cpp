// Add-ons that announce themselves to the loader: found by their methods' names, loaded once
// asked, listed as loaded or failed.
#include <gtest/gtest.h>

#include "uilib/extensions/ULExtensionLoader.h"

namespace {

int mapsLoads = 0;

// Two add-ons as other files would bring them: "Maps" loads and describes itself, "Charts"
// fails to load and has no description.
NS_CLASS_CATEGORY(ULExtensionLoader, TestAddOns) {
  c.method("loadExtensionNamedMaps", [](ULExtensionLoader&) {
    ++mapsLoads;
    return Value(true);
  });
  c.method("extensionInfoNamedMaps", [](ULExtensionLoader&) {
    auto info = std::make_shared<ULExtensionInfo>();
    info->setName("Maps");
    info->setVersion("1.2");
    info->setAuthors({ULExtensionAuthor::authorWithName("Li")});
    return info;
  });
  c.method("loadExtensionNamedCharts", [](ULExtensionLoader&) { return Value(); });
}

}  // namespace

TEST(ULExtensionLoader, AddOnsAreFoundLoadedAndListed) {
  auto available = ULExtensionLoader::availableExtensions();
  ASSERT_EQ(available.size(), 2u);
  EXPECT_EQ(available.at("Maps")->identifier(), "Maps");
  EXPECT_EQ(available.at("Maps")->version(), "1.2");
  EXPECT_EQ(available.at("Maps")->authors().at(0)->name(), "Li");
  // Without a description method: the defaults, with the identifier.
  EXPECT_EQ(available.at("Charts")->identifier(), "Charts");
  EXPECT_EQ(available.at("Charts")->version(), "No version provided.");
  EXPECT_EQ(mapsLoads, 0);

  ULExtensionLoader::loadAllExtensions();
  EXPECT_EQ(mapsLoads, 1);
  auto loaded = ULExtensionLoader::loadedExtensions();
  auto failed = ULExtensionLoader::failedExtensions();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_TRUE(loaded.count("Maps"));
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_TRUE(failed.count("Charts"));

  auto loader = std::make_shared<ULExtensionLoader>();
  EXPECT_TRUE(loader->loadExtension(available.at("Maps")));
  EXPECT_FALSE(loader->loadExtension(available.at("Charts")));
  EXPECT_EQ(loader->callExtensionID("Maps", "loadExtensionNamed").boolValue(), true);
}
