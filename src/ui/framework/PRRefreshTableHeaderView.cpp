#include "ui/framework/PRRefreshTableHeaderView.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSUserDefaults.h"
#include "QuartzCore/CATransaction.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"

namespace {

std::shared_ptr<UILabel> stripLabel(CGRect frame, std::shared_ptr<UIFont> font) {
  auto label = std::make_shared<UILabel>(frame);
  label->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
  label->setFont(std::move(font));
  label->setTextColor(UIColor::colorWithRed(87.0 / 255, 108.0 / 255, 137.0 / 255, 1));
  label->setShadowColor(UIColor::colorWithWhite(0.9, 1));
  label->setShadowOffset(CGSizeMake(0, 1));
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextAlignment(UITextAlignmentCenter);
  return label;
}

}  // namespace

PRRefreshTableHeaderView::PRRefreshTableHeaderView(CGRect frame) : UIView(frame) {}

PRRefreshTableHeaderView::~PRRefreshTableHeaderView() = default;

std::shared_ptr<PRRefreshTableHeaderView> PRRefreshTableHeaderView::initWithFrame(CGRect frame) {
  auto view = std::make_shared<PRRefreshTableHeaderView>(frame);
  CGFloat h = frame.size.height;
  view->build(h - 48, h - 30, CGRectMake(25, h - 65, 30, 55), "blueArrow.png",
              CGRectMake(25, h - 38, 20, 20));
  return view;
}

std::shared_ptr<PRRefreshTableHeaderView> PRRefreshTableHeaderView::initWithMoreFrame(
    CGRect frame) {
  auto view = std::make_shared<PRRefreshTableHeaderView>(frame);
  view->location_ = 1;
  view->build(17, 35, CGRectMake(25, 0, 30, 55), "upblueArrow.png", CGRectMake(25, 27, 20, 20));
  return view;
}

void PRRefreshTableHeaderView::attachToTable(UITableView& table,
                                             std::weak_ptr<PRRefreshTableHeaderDelegate> list,
                                             std::shared_ptr<PRRefreshTableHeaderView>& header,
                                             std::shared_ptr<PRRefreshTableHeaderView>& footer,
                                             CGFloat footerY, CGFloat footerHeight) {
  CGRect bounds = table.bounds();
  CGRect frame = table.frame();
  if (!header) {
    header =
        initWithFrame(CGRectMake(0, -bounds.size.height, frame.size.width, bounds.size.height));
    header->setDelegate(list);
    table.addSubview(header);
  }
  if (!footer) {
    footer = initWithMoreFrame(CGRectMake(0, footerY, 320, footerHeight));
    footer->setDelegate(list);
    table.addSubview(footer);
    CGRect more = footer->frame();
    if (more.origin.y < frame.size.height) {
      more.origin.y = frame.size.height;
      footer->setFrame(more);
    }
  }
}

void PRRefreshTableHeaderView::build(CGFloat statusY, CGFloat lastUpdatedY, CGRect arrowFrame,
                                     std::string_view arrowName, CGRect spinnerFrame) {
  CGFloat w = frame().size.width;
  setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
  lastUpdatedLabel_ = stripLabel(CGRectMake(0, lastUpdatedY, w, 20), UIFont::systemFontOfSize(12));
  addSubview(lastUpdatedLabel_);
  statusLabel_ = stripLabel(CGRectMake(0, statusY, w, 20), UIFont::boldSystemFontOfSize(13));
  addSubview(statusLabel_);

  arrowImage_ = std::make_shared<CALayer>();
  arrowImage_->setFrame(arrowFrame);
  arrowImage_->setContentsGravity(kCAGravityResizeAspect);
  auto image = UIImage::imageNamed(arrowName);
  arrowImage_->setContents(image ? image->CGImage() : nullptr);
  arrowImage_->setContentsScale(UIScreen::mainScreen()->scale());
  layer()->addSublayer(arrowImage_);

  activityView_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
  activityView_->setFrame(spinnerFrame);
  addSubview(activityView_);
  setState(PRState::Normal);
}

void PRRefreshTableHeaderView::setState(PRState state) {
  switch (state) {
    case PRState::Pulling:
      statusLabel_->setText(NSLocalizedString("Release to refresh..."));
      CATransaction::begin();
      CATransaction::setAnimationDuration(kArrowTurnSeconds);
      arrowImage_->setTransform(CATransform3DMakeRotation(M_PI, 0, 0, 1));
      CATransaction::commit();
      break;
    case PRState::Normal:
      if (state_ == PRState::Pulling) {
        CATransaction::begin();
        CATransaction::setAnimationDuration(kArrowTurnSeconds);
        arrowImage_->setTransform(CATransform3DIdentity);
        CATransaction::commit();
      }
      statusLabel_->setText(
          NSLocalizedString(pullsUp() ? "Pull up to refresh..." : "Pull down to refresh..."));
      activityView_->stopAnimating();
      CATransaction::begin();
      CATransaction::setDisableActions(true);
      arrowImage_->setHidden(false);
      arrowImage_->setTransform(CATransform3DIdentity);
      CATransaction::commit();
      refreshLastUpdatedDate();
      break;
    case PRState::Loading:
      statusLabel_->setText(NSLocalizedString("Loading..."));
      activityView_->startAnimating();
      CATransaction::begin();
      CATransaction::setDisableActions(true);
      arrowImage_->setHidden(true);
      CATransaction::commit();
      break;
  }
  state_ = state;
}

void PRRefreshTableHeaderView::refreshLastUpdatedDate() {
  auto delegate = delegate_.lock();
  std::optional<NSDateValue> date;
  if (delegate) date = delegate->prRefreshTableHeaderDataSourceLastUpdated(*this);
  if (!date) {
    lastUpdatedLabel_->setText({});
    return;
  }
  NSDateFormatter formatter;
  formatter.setAMSymbol("AM");
  formatter.setPMSymbol("PM");
  formatter.setDateFormat("MM/dd/yyyy hh:mm:a");
  std::string text = NSLocalizedString("LastUpdated") + ": " + formatter.stringFromDate(*date);
  lastUpdatedLabel_->setText(text);
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value(text), kLastRefreshKey);
  defaults->synchronize();
}

bool PRRefreshTableHeaderView::sourceIsLoading() {
  auto delegate = delegate_.lock();
  if (!delegate) return false;
  return pullsUp() ? delegate->prMoreRefreshTableHeaderDataSourceIsLoading(*this)
                   : delegate->prRefreshTableHeaderDataSourceIsLoading(*this);
}

void PRRefreshTableHeaderView::prRefreshScrollViewDidScroll(UIScrollView& scrollView) {
  CGFloat y = scrollView.contentOffset().y;
  CGFloat H = scrollView.frame().size.height;
  CGFloat C = scrollView.contentSize().height;
  if (state_ == PRState::Loading) {
    if (pullsUp()) {
      scrollView.setContentInset(UIEdgeInsetsMake(0, 0, kThreshold, 0));
    } else {
      CGFloat top = std::clamp<CGFloat>(-y, 0, kLoadingTop);
      scrollView.setContentInset(UIEdgeInsetsMake(top, 0, 0, 0));
    }
    return;
  }
  if (!scrollView.isDragging()) return;
  bool loading = sourceIsLoading();
  if (!pullsUp()) {
    if (state_ == PRState::Pulling && y > -kThreshold && y < 0 && !loading)
      setState(PRState::Normal);
    else if (state_ == PRState::Normal && y < -kThreshold && !loading)
      setState(PRState::Pulling);
    if (scrollView.contentInset().top != 0) scrollView.setContentInset(UIEdgeInsets{});
  } else {
    if (state_ == PRState::Pulling && y + H < C + kThreshold && y > 0 && !loading)
      setState(PRState::Normal);
    else if (state_ == PRState::Normal && y + H > C + kThreshold && !loading)
      setState(PRState::Pulling);
    if (scrollView.contentInset().bottom != 0) scrollView.setContentInset(UIEdgeInsets{});
  }
}

void PRRefreshTableHeaderView::prRefreshScrollViewDidEndDragging(UIScrollView& scrollView) {
  bool loading = sourceIsLoading();
  CGFloat y = scrollView.contentOffset().y;
  CGFloat H = scrollView.frame().size.height;
  CGFloat C = scrollView.contentSize().height;
  auto delegate = delegate_.lock();
  UIEdgeInsets open;
  if (!pullsUp()) {
    if (y > -kThreshold || loading) return;
    if (delegate) delegate->prRefreshTableHeaderDidTriggerRefresh(*this);
    open = UIEdgeInsetsMake(kLoadingTop, 0, 0, 0);
  } else {
    if (y + H <= C + kThreshold || loading) return;
    if (delegate) delegate->prMoreRefreshTableHeaderDidTriggerRefresh(*this);
    open = UIEdgeInsetsMake(0, 0, kThreshold, 0);
  }
  setState(PRState::Loading);
  auto keep = std::static_pointer_cast<UIScrollView>(scrollView.shared_from_this());
  UIView::animateWithDuration(kInsetOpenSeconds, [keep, open] { keep->setContentInset(open); });
}

void PRRefreshTableHeaderView::prRefreshScrollViewDataSourceDidFinishedLoading(
    UIScrollView& scrollView) {
  auto keep = std::static_pointer_cast<UIScrollView>(scrollView.shared_from_this());
  UIView::animateWithDuration(kInsetCloseSeconds,
                              [keep] { keep->setContentInset(UIEdgeInsets{}); });
  setState(PRState::Normal);
}

void PRRefreshTableHeaderView::prRefreshScrollViewDataSourceDidFinishedLoadingNoAnimations() {
  setState(PRState::Normal);
}

void PRRefreshTableHeaderView::setCurActivityColor(const std::shared_ptr<UIColor>& color) {
  activityView_->setActivityIndicatorViewStyle(color == UIColor::whiteColor()
                                                   ? UIActivityIndicatorViewStyle::White
                                                   : UIActivityIndicatorViewStyle::Gray);
}

NS_CLASS_IMPLEMENTATION(PRRefreshTableHeaderView) {
  c.method("refreshLastUpdatedDate", &PRRefreshTableHeaderView::refreshLastUpdatedDate);
  c.method("prRefreshScrollViewDataSourceDidFinishedLoadingNoAnimations",
           &PRRefreshTableHeaderView::prRefreshScrollViewDataSourceDidFinishedLoadingNoAnimations);
}
