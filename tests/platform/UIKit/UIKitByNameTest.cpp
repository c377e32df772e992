// Colours, fonts and the geometry boxes travel through calls by name (a style sheet's values
// and the chains that take rectangles, points and sizes).
#include <gtest/gtest.h>

#include "Foundation/NSClass.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"

namespace {

class LookSheet : public NSObject {
  NS_CLASS(LookSheet, NSObject)

 public:
  std::shared_ptr<UIColor> tint() { return UIColor::colorWithWhite(0.5, 1); }
  std::shared_ptr<UIFont> titleFont() { return UIFont::boldSystemFontOfSize(13); }
  CGRect inset(CGRect r, CGSize by) {
    return CGRectMake(r.origin.x + by.width, r.origin.y + by.height, r.size.width - 2 * by.width,
                      r.size.height - 2 * by.height);
  }
  CGPoint corner(CGRect r) { return r.origin; }
};

}  // namespace

NS_CLASS_IMPLEMENTATION(LookSheet) {
  c.property("tint", &LookSheet::tint);
  c.property("titleFont", &LookSheet::titleFont);
  c.method("inset:by:", &LookSheet::inset);
  c.method("corner:", &LookSheet::corner);
}

namespace {

TEST(UIKitByName, ColoursAndFontsAreObjectsKnownByName) {
  ASSERT_NE(NSClass::named("UIColor"), nullptr);
  ASSERT_NE(NSClass::named("UIFont"), nullptr);
  auto sheet = std::make_shared<LookSheet>();
  auto tint = sheet->performSelector("tint").object<UIColor>();
  ASSERT_NE(tint, nullptr);
  EXPECT_TRUE(tint->isWhiteLevel());
  EXPECT_TRUE(tint->isKindOfClass("UIColor"));
  auto font = sheet->performSelector("titleFont").object<UIFont>();
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->pointSize(), 13);
}

TEST(UIKitByName, RectanglesPointsAndSizesTravelInTheirBoxes) {
  auto sheet = std::make_shared<LookSheet>();
  Value r = sheet->performSelector(
      "inset:by:", {valueWithCGRect(CGRectMake(0, 0, 100, 30)), valueWithCGSize(CGSizeMake(2, 1))});
  EXPECT_TRUE(CGRectEqualToRect(CGRectValue(r), CGRectMake(2, 1, 96, 28)));
  Value p = sheet->performSelector("corner:", {valueWithCGRect(CGRectMake(5, 6, 1, 1))});
  EXPECT_TRUE(CGPointEqualToPoint(CGPointValue(p), CGPointMake(5, 6)));
}

}  // namespace
