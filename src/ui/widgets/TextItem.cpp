#include "ui/widgets/TextItem.h"

#include <optional>

#include "Foundation/NSClass.h"

namespace {

// The value after the first `name="`: up to the next double quote, or to the end.
std::optional<std::string> attribute(const std::string& tag, std::string_view name) {
  std::string marker = std::string(name) + "=\"";
  size_t at = tag.find(marker);
  if (at == std::string::npos) return std::nullopt;
  size_t start = at + marker.size();
  size_t end = tag.find('"', start);
  return tag.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

TextItem::TextItem(std::string text, int type, int index) : text_(std::move(text)), index_(index) {
  setType(type);
}

void TextItem::setType(int type) {
  type_ = type;
  if (type != kImage) return;
  alt_ = attribute(text_, "alt").value_or("");
  auto src = attribute(text_, "src");
  src_ = src.value_or("");
  subType_ = src && src->find("http") == std::string::npos ? kBundleImage : kRemoteImage;
}

NS_CLASS_IMPLEMENTATION(TextItem) {
  c.property("text", &TextItem::text, &TextItem::setText);
  c.property("type", &TextItem::type, &TextItem::setType);
  c.property("index", &TextItem::index, &TextItem::setIndex);
  c.property("src", &TextItem::src, &TextItem::setSrc);
  c.property("alt", &TextItem::alt, &TextItem::setAlt);
  c.property("subType", &TextItem::subType, &TextItem::setSubType);
}
