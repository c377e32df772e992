// The default sheet's looks side by side in one picture: each chain drawn into its own frame as
// a view draws it (the titles come from the style delegate), written to
// out/screens/style-gallery.png and compared with the golden.  Re-make the golden with:
//   ZEPT_UPDATE_GOLDENS=1 ctest --preset default -R StyleGallery
// and look at tests/uilib/style/goldens/style-gallery.png before committing it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ImageIO/CGImageDestination.h"
#include "StyleTestSupport.h"
#include "UIKit/UIGraphics.h"
#include "support/ui/GoldenImage.h"
#include "uilib/style/ULDefaultStyleSheet.h"
#include "uilib/style/ULRectangleShape.h"
#include "uilib/style/ULRoundedLeftArrowShape.h"
#include "uilib/style/ULRoundedRectangleShape.h"
#include "uilib/style/ULRoundedRightArrowShape.h"
#include "uilib/style/ULShapeStyle.h"
#include "uilib/style/ULSolidBorderStyle.h"
#include "uilib/style/ULSolidFillStyle.h"
#include "uilib/style/ULSpeechBubbleShape.h"

namespace {

class StyleGalleryTest : public StyleTest {
 protected:
  void SetUp() override {
    StyleTest::SetUp();
    TextMeasurer::setCurrent(nullptr);  // the bundled font
  }

  // The chain drawn into the frame of the current image context, as a styled view draws it.
  void drawChain(const ULStylePtr& chain, CGRect frame, std::optional<std::string> title) {
    ASSERT_NE(chain, nullptr);
    view->text = std::move(title);
    auto c = contextFor(frame);
    c->setFont(UIFont::boldSystemFontOfSize(12));
    chain->draw(*c);
  }
  // The chain at its measured size, its top-left corner at the point; answers the size.
  CGSize drawMeasured(const ULStylePtr& chain, CGPoint at, std::optional<std::string> title) {
    view->text = title;
    CGSize size = measure(chain);
    drawChain(chain, CGRectMake(at.x, at.y, size.width, size.height), title);
    return size;
  }
};

void writeScreen(const CGImageRef& image, const std::string& name) {
  std::filesystem::path dir(ZEPT_SCREENS_DIR);
  std::filesystem::create_directories(dir);
  auto png = CGImageDestination::encodePNG(image);
  ASSERT_TRUE(png);
  std::ofstream(dir / name, std::ios::binary) << *png;
}

TEST_F(StyleGalleryTest, TheDefaultSheetsButtonsBadgesShapesAndDotsMatchTheGolden) {
  auto sheet = ULStyleSheet::globalStyleSheet();
  const CGSize size = CGSizeMake(320, 330);
  UIGraphicsBeginImageContextWithOptions(size, true, 2);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setFillColorWithColor(UIColor::colorWithWhite(0.93, 1)->CGColor());
  ctx->fillRect(CGRectMake(0, 0, size.width, size.height));

  // Toolbar buttons on a toolbar-tinted strip, one row a style, one column a state.
  const char* buttons[] = {
      "toolbarButton:", "toolbarRoundButton:", "toolbarBackButton:", "blackToolbarButton:"};
  ctx->setFillColorWithColor(
      UIColor::colorWithRed(109 / 255.0, 132 / 255.0, 162 / 255.0, 1)->CGColor());
  ctx->fillRect(CGRectMake(0, 0, size.width, 176));
  const UIControlState states[] = {0, 1, 2, 4};
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      drawChain(sheet->styleWithSelector(buttons[row], states[column]),
                CGRectMake(8 + column * 78, 8 + row * 42, 72, 32), "Done");

  // Badges reading "99+".
  CGFloat x = 12;
  for (const char* badge : {"miniBadge", "badge", "largeBadge"})
    x += drawMeasured(sheet->styleWithSelector(badge), CGPointMake(x, 186), "99+").width + 16;

  // The five shapes, filled and bordered.
  ULShapePtr shapes[] = {
      ULRectangleShape::shape(),
      ULRoundedRectangleShape::shapeWithRadius(8),
      ULRoundedLeftArrowShape::shapeWithRadius(4.5),
      ULRoundedRightArrowShape::shapeWithRadius(4.5),
      ULSpeechBubbleShape::shapeWithRadius(6, 90, 90, CGSizeMake(10, 6)),
  };
  for (int i = 0; i < 5; ++i)
    drawChain(ULShapeStyle::styleWithShape(shapes[i],
                                           ULSolidFillStyle::styleWithColor(
                                               UIColor::colorWithRed(0.96, 0.78, 0.35, 1),
                                               ULSolidBorderStyle::styleWithColor(
                                                   UIColor::colorWithRed(0.45, 0.3, 0.05, 1), 1))),
              CGRectMake(8 + i * 62, 236, 56, 36), std::nullopt);

  // Page dots on a dark strip, the third one selected.
  ctx->setFillColorWithColor(UIColor::colorWithWhite(0.2, 1)->CGColor());
  ctx->fillRect(CGRectMake(0, 288, size.width, 42));
  x = 124;
  for (int dot = 0; dot < 5; ++dot) {
    auto chain = sheet->styleWithSelector("pageDot:", dot == 2 ? 4 : 0);
    CGSize dotSize = drawMeasured(chain, CGPointMake(x, 306), std::nullopt);
    x += dotSize.width + 10;  // the dot's right margin
  }

  auto gallery = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  ASSERT_NE(gallery, nullptr);
  writeScreen(gallery->CGImage(), "style-gallery.png");
  EXPECT_TRUE(matchesGolden(gallery->CGImage(), "style-gallery"));
}

}  // namespace
