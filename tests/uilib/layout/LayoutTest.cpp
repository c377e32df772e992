// Flow and grid layouts: where they put a parent's subviews and the size they answer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "UIKit/UIView.h"
#include "uilib/layout/ULFlowLayout.h"
#include "uilib/layout/ULGridLayout.h"

namespace {

// A view that fits any width at a fixed height.
class FixedHeightView : public UIView {
 public:
  explicit FixedHeightView(CGFloat height) : height_(height) {}
  CGSize sizeThatFits(CGSize size) const override { return CGSizeMake(size.width, height_); }

 private:
  CGFloat height_;
};

std::vector<std::shared_ptr<UIView>> viewsOfSize(int count, CGFloat w, CGFloat h) {
  std::vector<std::shared_ptr<UIView>> views;
  for (int i = 0; i < count; ++i) views.push_back(std::make_shared<UIView>(CGRectMake(0, 0, w, h)));
  return views;
}

std::vector<std::shared_ptr<UIView>> viewsOfHeight(int count, CGFloat h) {
  std::vector<std::shared_ptr<UIView>> views;
  for (int i = 0; i < count; ++i) views.push_back(std::make_shared<FixedHeightView>(h));
  return views;
}

std::vector<CGRect> framesOf(const std::vector<std::shared_ptr<UIView>>& views) {
  std::vector<CGRect> frames;
  for (const auto& v : views) frames.push_back(v->frame());
  return frames;
}

MATCHER_P4(IsRect, x, y, w, h, "") {
  return arg.origin.x == x && arg.origin.y == y && arg.size.width == w && arg.size.height == h;
}

TEST(FlowLayout, ViewsThatDoNotFitTheRowWrapOntoRowsOfTheirOwn) {
  ULFlowLayout flow;
  flow.setPadding(10);
  flow.setSpacing(5);
  auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 100, 300));
  auto views = viewsOfSize(3, 40, 20);
  CGSize size = flow.layoutSubviews(views, parent);
  EXPECT_THAT(framesOf(views),
              ::testing::ElementsAre(IsRect(10, 10, 40, 20), IsRect(10, 35, 40, 20),
                                     IsRect(10, 60, 40, 20)));
  EXPECT_EQ(size.width, 65);
  EXPECT_EQ(size.height, 90);
}

TEST(FlowLayout, ViewsShareARowUntilTheWidthLessBothPaddingsIsPassed) {
  ULFlowLayout flow;
  flow.setSpacing(4);
  auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 100, 300));
  std::vector<std::shared_ptr<UIView>> views = {
      std::make_shared<UIView>(CGRectMake(0, 0, 30, 10)),
      std::make_shared<UIView>(CGRectMake(0, 0, 30, 25)),
      std::make_shared<UIView>(CGRectMake(0, 0, 30, 10)),
      std::make_shared<UIView>(CGRectMake(0, 0, 150, 10)),
  };
  CGSize size = flow.layoutSubviews(views, parent);
  // 68 + 30 still fits 100; one wider than the parent wraps and stands alone at a row's start,
  // the row below the tallest view of the first.
  EXPECT_THAT(framesOf(views),
              ::testing::ElementsAre(IsRect(0, 0, 30, 10), IsRect(34, 0, 30, 25),
                                     IsRect(68, 0, 30, 10), IsRect(0, 29, 150, 10)));
  EXPECT_EQ(size.width, 154);
  EXPECT_EQ(size.height, 39);
}

TEST(FlowLayout, NoSubviewsNeedOnlyThePadding) {
  ULFlowLayout flow;
  flow.setPadding(6);
  CGSize size = flow.layoutSubviews({}, std::make_shared<UIView>(CGRectMake(0, 0, 100, 100)));
  EXPECT_TRUE(CGSizeEqualToSize(size, CGSizeMake(6, 6)));
}

TEST(GridLayout, ColumnsShareTheWidthAndRowsStartASpacingDown) {
  ULGridLayout grid;
  grid.setColumnCount(2);
  grid.setSpacing(4);
  auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 100, 300));
  auto views = viewsOfHeight(4, 30);
  CGSize size = grid.layoutSubviews(views, parent);
  EXPECT_THAT(framesOf(views),
              ::testing::ElementsAre(IsRect(0, 4, 50, 30), IsRect(54, 4, 50, 30),
                                     IsRect(0, 38, 50, 30), IsRect(54, 38, 50, 30)));
  EXPECT_EQ(size.width, 108);
  EXPECT_EQ(size.height, 68);
}

TEST(GridLayout, OneColumnStacksViewsAsWideAsTheParentInsideThePadding) {
  ULGridLayout grid;
  EXPECT_EQ(grid.columnCount(), 1);
  grid.setPadding(10);
  auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 120, 300));
  auto views = viewsOfHeight(3, 20);
  grid.layoutSubviews(views, parent);
  EXPECT_THAT(framesOf(views),
              ::testing::ElementsAre(IsRect(10, 10, 100, 20), IsRect(10, 30, 100, 20),
                                     IsRect(10, 50, 100, 20)));
}

TEST(GridLayout, RowsAdvanceByTheHeightOfTheirLastView) {
  ULGridLayout grid;
  grid.setColumnCount(2);
  auto parent = std::make_shared<UIView>(CGRectMake(0, 0, 100, 300));
  std::vector<std::shared_ptr<UIView>> views = {std::make_shared<FixedHeightView>(40),
                                                std::make_shared<FixedHeightView>(10),
                                                std::make_shared<FixedHeightView>(10)};
  CGSize size = grid.layoutSubviews(views, parent);
  EXPECT_EQ(views[2]->frame().origin.y, 10);
  EXPECT_EQ(size.height, 20);
}

TEST(GridLayout, NoColumnsAreLaidOutAsOne) {
  ULGridLayout grid;
  grid.setColumnCount(0);
  auto views = viewsOfHeight(2, 10);
  grid.layoutSubviews(views, std::make_shared<UIView>(CGRectMake(0, 0, 50, 50)));
  EXPECT_EQ(views[0]->frame().size.width, 50);
  EXPECT_EQ(views[1]->frame().origin.y, 10);
}

}  // namespace
