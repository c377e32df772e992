#include "uilib/extensions/ULExtensionLoader.h"

#include <optional>

NS_CLASS_IMPLEMENTATION(ULExtensionAuthor) {
  c.property("name", &ULExtensionAuthor::name, &ULExtensionAuthor::setName);
  c.property("github", &ULExtensionAuthor::github, &ULExtensionAuthor::setGithub);
  c.property("twitter", &ULExtensionAuthor::twitter, &ULExtensionAuthor::setTwitter);
  c.property("website", &ULExtensionAuthor::website, &ULExtensionAuthor::setWebsite);
}

NS_CLASS_IMPLEMENTATION(ULExtensionInfo) {
  c.property("identifier", &ULExtensionInfo::identifier);
  c.property("name", &ULExtensionInfo::name, &ULExtensionInfo::setName);
  c.property("description", &ULExtensionInfo::description, &ULExtensionInfo::setDescription);
  c.property("version", &ULExtensionInfo::version, &ULExtensionInfo::setVersion);
  c.property("copyright", &ULExtensionInfo::copyright, &ULExtensionInfo::setCopyright);
  c.property("license", &ULExtensionInfo::license, &ULExtensionInfo::setLicense);
}

NS_CLASS_IMPLEMENTATION(ULExtensionLoader) {}

namespace {

constexpr std::string_view kLoadPrefix = "loadExtensionNamed";
constexpr std::string_view kInfoPrefix = "extensionInfoNamed";

struct Lists {
  std::optional<ULExtensionLoader::Extensions> available;
  std::optional<ULExtensionLoader::Extensions> loaded;
  std::optional<ULExtensionLoader::Extensions> failed;
};

// Main thread only, as every user of the library.
Lists& lists() {
  static Lists l;
  return l;
}

}  // namespace

void ULExtensionLoader::setupStaticData() {
  Lists& l = lists();
  if (!l.loaded) l.loaded.emplace();
  if (!l.failed) l.failed.emplace();
}

ULExtensionLoader::Extensions ULExtensionLoader::availableExtensions() {
  Lists& l = lists();
  if (!l.available) {
    l.available.emplace();
    auto loader = std::make_shared<ULExtensionLoader>();
    for (const std::string& selector : classObject().instanceMethodNames(kLoadPrefix)) {
      std::string identifier = selector.substr(kLoadPrefix.size());
      (*l.available)[identifier] = loader->extensionWithID(identifier);
    }
  }
  return *l.available;
}

ULExtensionLoader::Extensions ULExtensionLoader::loadedExtensions() {
  return lists().loaded.value_or(Extensions());
}

ULExtensionLoader::Extensions ULExtensionLoader::failedExtensions() {
  return lists().failed.value_or(Extensions());
}

void ULExtensionLoader::loadAllExtensions() {
  setupStaticData();
  Extensions available = availableExtensions();
  if (available.empty()) return;
  auto loader = std::make_shared<ULExtensionLoader>();
  for (auto& [identifier, extension] : available) loader->loadExtension(extension);
}

Value ULExtensionLoader::callExtensionID(std::string_view identifier, std::string_view prefix) {
  std::string selector = std::string(prefix) + std::string(identifier);
  if (!respondsToSelector(selector)) return {};
  return performSelector(selector);
}

std::shared_ptr<ULExtensionInfo> ULExtensionLoader::extensionWithID(std::string_view identifier) {
  auto info = callExtensionID(identifier, kInfoPrefix).object<ULExtensionInfo>();
  if (!info) info = std::make_shared<ULExtensionInfo>();
  info->setIdentifier(std::string(identifier));
  return info;
}

bool ULExtensionLoader::loadExtension(const std::shared_ptr<ULExtensionInfo>& extension) {
  if (!extension) return false;
  setupStaticData();
  Value loaded = callExtensionID(extension->identifier(), kLoadPrefix);
  bool ok = !loaded.isNil() && !loaded.isNull();
  Lists& l = lists();
  (ok ? *l.loaded : *l.failed)[extension->identifier()] = extension;
  return ok;
}
