// The pull-to-refresh strips on their own, driven the way their owner drives them: the
// threshold, the inset held open while loading, a source that is already loading, the
// last-updated line, and the pull-up strip finished without animation.
#include <gtest/gtest.h>

#include <cmath>

#include "Foundation/NSBundle.h"
#include "Foundation/NSUserDefaults.h"
#include "QuartzCore/CATransform3D.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIScrollView.h"
#include "core/NSGlobe.h"
#include "support/MainLoop.h"
#include "ui/framework/PRRefreshTableHeaderView.h"
#include "ui/framework/UIBaseView.h"

namespace {

class Source : public PRRefreshTableHeaderDelegate {
 public:
  int refreshes = 0, mores = 0;
  bool loading = false, moreLoading = false;
  std::optional<NSDateValue> date;
  void prRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView&) override { ++refreshes; }
  bool prRefreshTableHeaderDataSourceIsLoading(PRRefreshTableHeaderView&) override {
    return loading;
  }
  std::optional<NSDateValue> prRefreshTableHeaderDataSourceLastUpdated(
      PRRefreshTableHeaderView&) override {
    return date;
  }
  void prMoreRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView&) override { ++mores; }
  bool prMoreRefreshTableHeaderDataSourceIsLoading(PRRefreshTableHeaderView&) override {
    return moreLoading;
  }
};

class RefreshHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    list = std::make_shared<UIScrollView>(CGRectMake(0, 0, 320, 400));
    list->setContentSize(CGSizeMake(320, 1000));
    header = PRRefreshTableHeaderView::initWithFrame(CGRectMake(0, -400, 320, 400));
    footer = PRRefreshTableHeaderView::initWithMoreFrame(CGRectMake(0, 1000, 320, 65));
    header->setDelegate(source);
    footer->setDelegate(source);
    list->addSubview(header);
    list->addSubview(footer);
  }
  // The list let go at the offset.
  void releaseAt(PRRefreshTableHeaderView& strip, CGFloat y) {
    list->setContentOffset(CGPointMake(0, y));
    strip.prRefreshScrollViewDidEndDragging(*list);
  }

  std::shared_ptr<Source> source = std::make_shared<Source>();
  std::shared_ptr<UIScrollView> list;
  std::shared_ptr<PRRefreshTableHeaderView> header, footer;
};

TEST_F(RefreshHeaderTest, TheStripsAreLaidOutAboveAndBelowTheContent) {
  EXPECT_EQ(header->dump(),
            "PRRefreshTableHeaderView frame=(0 -400; 320 400)\n"
            "  UILabel frame=(0 370; 320 20)\n"
            "  UILabel frame=(0 352; 320 20) text=\"" +
                NSLocalizedString("Pull down to refresh...") +
                "\"\n"
                "  UIActivityIndicatorView frame=(25 362; 20 20) hidden\n");
  EXPECT_EQ(header->arrowImage()->frame(), CGRectMake(25, 335, 30, 55));
  EXPECT_EQ(footer->statusLabel()->frame(), CGRectMake(0, 17, 320, 20));
  EXPECT_EQ(footer->statusLabel()->text(), NSLocalizedString("Pull up to refresh..."));
  EXPECT_EQ(footer->arrowImage()->frame(), CGRectMake(25, 0, 30, 55));
  EXPECT_EQ(footer->_location(), 1);
  header->setCurActivityColor(UIColor::whiteColor());
  EXPECT_EQ(header->activityView()->activityIndicatorViewStyle(),
            UIActivityIndicatorViewStyle::White);
  header->setCurActivityColor(UIColor::colorWithWhite(1, 1));
  EXPECT_EQ(header->activityView()->activityIndicatorViewStyle(),
            UIActivityIndicatorViewStyle::Gray);
}

TEST_F(RefreshHeaderTest, ReleasedAtTheThresholdItRefreshesAndHoldsTheTopOpen) {
  releaseAt(*header, -64.9);
  EXPECT_EQ(source->refreshes, 0);
  EXPECT_EQ(header->state(), PRState::Normal);

  releaseAt(*header, -65);
  EXPECT_EQ(source->refreshes, 1);
  EXPECT_EQ(header->state(), PRState::Loading);
  EXPECT_TRUE(header->arrowImage()->isHidden());
  EXPECT_EQ(header->statusLabel()->text(), NSLocalizedString("Loading..."));
  EXPECT_EQ(list->contentInset().top, 60);
  // While it loads, a deeper pull keeps 60 and scrolling back narrows it.
  list->setContentOffset(CGPointMake(0, -100));
  header->prRefreshScrollViewDidScroll(*list);
  EXPECT_EQ(list->contentInset().top, 60);
  list->setContentOffset(CGPointMake(0, -30));
  header->prRefreshScrollViewDidScroll(*list);
  EXPECT_EQ(list->contentInset().top, 30);
  list->setContentOffset(CGPointMake(0, 20));
  header->prRefreshScrollViewDidScroll(*list);
  EXPECT_EQ(list->contentInset().top, 0);

  header->prRefreshScrollViewDataSourceDidFinishedLoading(*list);
  EXPECT_EQ(header->state(), PRState::Normal);
  EXPECT_FALSE(header->arrowImage()->isHidden());
  EXPECT_EQ(list->contentInset(), UIEdgeInsets{});
}

TEST_F(RefreshHeaderTest, ASourceThatIsLoadingGetsNoSecondTrigger) {
  source->loading = true;
  releaseAt(*header, -100);
  EXPECT_EQ(source->refreshes, 0);
  EXPECT_EQ(header->state(), PRState::Normal);
  source->moreLoading = true;
  releaseAt(*footer, 1000 - 400 + 66);
  EXPECT_EQ(source->mores, 0);
}

TEST_F(RefreshHeaderTest, APullUpStripFinishedWithoutAnimationKeepsItsInsetUntilTheNextDrag) {
  releaseAt(*footer, 1000 - 400 + 65);
  EXPECT_EQ(source->mores, 0);
  releaseAt(*footer, 1000 - 400 + 66);
  EXPECT_EQ(source->mores, 1);
  EXPECT_EQ(footer->state(), PRState::Loading);
  EXPECT_EQ(list->contentInset().bottom, 65);
  footer->prRefreshScrollViewDataSourceDidFinishedLoadingNoAnimations();
  EXPECT_EQ(footer->state(), PRState::Normal);
  MainLoop::advance(1);
  EXPECT_EQ(list->contentInset().bottom, 65);
}

TEST_F(RefreshHeaderTest, TheLastUpdatedLineShowsTheSourcesTimeAndWritesItDown) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->removeObjectForKey(PRRefreshTableHeaderView::kLastRefreshKey);
  header->refreshLastUpdatedDate();
  EXPECT_EQ(header->lastUpdatedLabel()->text(), "");
  EXPECT_TRUE(defaults->objectForKey(PRRefreshTableHeaderView::kLastRefreshKey).isNil());

  // 2013-05-01 15:00 in the tests' zone.
  source->date = NSDateValue{1367373600.0 + 5 * 3600};
  header->refreshLastUpdatedDate();
  std::string text = NSLocalizedString("LastUpdated") + ": 05/01/2013 03:00:PM";
  EXPECT_EQ(header->lastUpdatedLabel()->text(), text);
  EXPECT_EQ(defaults->objectForKey(PRRefreshTableHeaderView::kLastRefreshKey).string(), text);
}

TEST_F(RefreshHeaderTest, PulledPastTheThresholdTheArrowTurnsAndTheTextAsksToLetGo) {
  header->setState(PRState::Pulling);
  EXPECT_EQ(header->statusLabel()->text(), NSLocalizedString("Release to refresh..."));
  CATransform3D turned = CATransform3DMakeRotation(M_PI, 0, 0, 1);
  EXPECT_TRUE(CATransform3DEqualToTransform(header->arrowImage()->transform(), turned));
  header->setState(PRState::Normal);
  EXPECT_TRUE(CATransform3DIsIdentity(header->arrowImage()->transform()));
}

// A content view with its own table, as the seminar and advert views are.
class ContentList : public UIBaseView {
 public:
  using UIBaseView::UIBaseView;
  std::shared_ptr<UITableView> table =
      std::make_shared<UITableView>(CGRectMake(0, 0, 320, 300), UITableViewStyle::Plain);
  int refreshes = 0, mores = 0;
  std::shared_ptr<UITableView> getCurTableView() override { return table; }
  void refresh() override { ++refreshes; }
  void loadMoreData() override { ++mores; }
};

TEST(ContentListTest, AContentViewRefreshesForHalfASecondAndLoadsMoreOnlyWhenIdle) {
  MainLoop::install();
  NSGlobe::getEngine()->setThemeNum(2);
  auto view = UIBaseView::initWithFrame<ContentList>(CGRectMake(0, 0, 320, 300));
  view->addSubview(view->table);
  view->initView();
  NSGlobe::getEngine()->setThemeNum(1);
  ASSERT_NE(view->refreshHeaderView(), nullptr);
  EXPECT_EQ(view->refreshHeaderView()->frame(), CGRectMake(0, -300, 320, 300));
  EXPECT_EQ(view->downRefresh()->frame(), CGRectMake(0, 300, 320, 65));
  EXPECT_EQ(view->downRefresh()->activityView()->activityIndicatorViewStyle(),
            UIActivityIndicatorViewStyle::White);

  view->prRefreshTableHeaderDidTriggerRefresh(*view->refreshHeaderView());
  EXPECT_EQ(view->refreshes, 1);
  EXPECT_TRUE(view->_reloading());
  view->prMoreRefreshTableHeaderDidTriggerRefresh(*view->downRefresh());
  EXPECT_EQ(view->mores, 0);
  MainLoop::advance(0.5);
  EXPECT_FALSE(view->_reloading());

  view->prMoreRefreshTableHeaderDidTriggerRefresh(*view->downRefresh());
  EXPECT_EQ(view->mores, 1);
  view->prRefreshTableHeaderDidTriggerRefresh(*view->refreshHeaderView());
  EXPECT_EQ(view->refreshes, 1);
  view->doneMoreLocalTableView();
  EXPECT_TRUE(view->_moreing());
  MainLoop::advance(0.5);
  EXPECT_FALSE(view->_moreing());
  view->doneLoadingAllTableViewData();
  EXPECT_FALSE(view->_moreing());
}

}  // namespace
