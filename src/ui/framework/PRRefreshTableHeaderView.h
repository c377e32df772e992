// The pull-to-refresh strip of a list: an arrow, a status text, a spinner and a last-updated
// line just outside a table's content.  Made with initWithFrame it sits above the first row
// (pulled down 65 points and let go, it asks for a refresh); made with initWithMoreFrame it
// sits below the last row (pulled up 65 points past the end, it asks for a load-more).
//
// The strip does not own the table: its owner forwards the table's scroll and end-of-drag
// events (prRefreshScrollViewDidScroll, prRefreshScrollViewDidEndDragging) and tells it when
// the work is done (prRefreshScrollViewDataSourceDidFinishedLoading, animated, or ...NoAnimations,
// which leaves the inset to the next drag).  While loading, the strip holds the table's inset
// open (top up to 60, or bottom 65) so that it stays in sight.
//
// The last-updated line shows the delegate's date as "MM/dd/yyyy hh:mm:AM" and writes that text
// to the user defaults ("PRRefreshTableView_LastRefresh"); nothing reads it back.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "Foundation/NSDate.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScrollView.h"
#include "UIKit/UITableView.h"
#include "UIKit/UIView.h"

class PRRefreshTableHeaderView;

// Every method but the two refresh ones is optional: the defaults answer "not loading", skip
// the trigger and give no date (the last-updated line stays empty).
class PRRefreshTableHeaderDelegate {
 public:
  virtual ~PRRefreshTableHeaderDelegate() = default;
  virtual void prRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView& header) = 0;
  virtual bool prRefreshTableHeaderDataSourceIsLoading(PRRefreshTableHeaderView& header) = 0;
  virtual std::optional<NSDateValue> prRefreshTableHeaderDataSourceLastUpdated(
      PRRefreshTableHeaderView& /*header*/) {
    return std::nullopt;
  }
  virtual void prMoreRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView& /*header*/) {}
  virtual bool prMoreRefreshTableHeaderDataSourceIsLoading(PRRefreshTableHeaderView& /*header*/) {
    return false;
  }
};

enum class PRState { Pulling = 0, Normal = 1, Loading = 2 };

class PRRefreshTableHeaderView : public UIView {
  NS_CLASS(PRRefreshTableHeaderView, UIView)
 public:
  static constexpr CGFloat kThreshold = 65;
  // How far the pull-down strip holds the table open while it loads.
  static constexpr CGFloat kLoadingTop = 60;
  static constexpr double kArrowTurnSeconds = 0.18;
  static constexpr double kInsetOpenSeconds = 0.2;
  static constexpr double kInsetCloseSeconds = 0.3;
  static constexpr std::string_view kLastRefreshKey = "PRRefreshTableView_LastRefresh";

  explicit PRRefreshTableHeaderView(CGRect frame);
  ~PRRefreshTableHeaderView() override;

  // The pull-down strip (location 0).
  static std::shared_ptr<PRRefreshTableHeaderView> initWithFrame(CGRect frame);
  // The pull-up strip (location 1).
  static std::shared_ptr<PRRefreshTableHeaderView> initWithMoreFrame(CGRect frame);

  std::weak_ptr<PRRefreshTableHeaderDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<PRRefreshTableHeaderDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  long _location() const { return location_; }
  void set_location(long location) { location_ = location; }

  // The missing strips of a list made and put on its table (delegate: the list): the pull-down
  // strip above the content, as tall as the table, and the pull-up strip at the content's end
  // (y footerY) but not above the table's foot, footerHeight tall.
  static void attachToTable(UITableView& table, std::weak_ptr<PRRefreshTableHeaderDelegate> list,
                            std::shared_ptr<PRRefreshTableHeaderView>& header,
                            std::shared_ptr<PRRefreshTableHeaderView>& footer, CGFloat footerY,
                            CGFloat footerHeight);

  PRState state() const { return state_; }
  void setState(PRState state);
  void refreshLastUpdatedDate();

  void prRefreshScrollViewDidScroll(UIScrollView& scrollView);
  void prRefreshScrollViewDidEndDragging(UIScrollView& scrollView);
  void prRefreshScrollViewDataSourceDidFinishedLoading(UIScrollView& scrollView);
  void prRefreshScrollViewDataSourceDidFinishedLoadingNoAnimations();
  // White gives the white spinner, any other colour the grey one.
  void setCurActivityColor(const std::shared_ptr<UIColor>& color);

  const std::shared_ptr<UILabel>& statusLabel() const { return statusLabel_; }
  const std::shared_ptr<UILabel>& lastUpdatedLabel() const { return lastUpdatedLabel_; }
  const std::shared_ptr<CALayer>& arrowImage() const { return arrowImage_; }
  const std::shared_ptr<UIActivityIndicatorView>& activityView() const { return activityView_; }

 private:
  void build(CGFloat statusY, CGFloat lastUpdatedY, CGRect arrowFrame, std::string_view arrowName,
             CGRect spinnerFrame);
  bool sourceIsLoading();
  bool pullsUp() const { return location_ != 0; }

  std::weak_ptr<PRRefreshTableHeaderDelegate> delegate_;
  // Zero until the first setState, so the first reset to normal turns the arrow back once.
  PRState state_ = PRState::Pulling;
  std::shared_ptr<UILabel> lastUpdatedLabel_;
  std::shared_ptr<UILabel> statusLabel_;
  std::shared_ptr<CALayer> arrowImage_;
  std::shared_ptr<UIActivityIndicatorView> activityView_;
  long location_ = 0;
};
