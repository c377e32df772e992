#include "uilib/style/UIFont+ULCategory.h"

CGFloat ulLineHeight(const UIFont& font) {
  return font.ascender() - font.descender() + 1;
}

CGFloat LineHeight(const UIFont& font) {
  return ulLineHeight(font);
}
