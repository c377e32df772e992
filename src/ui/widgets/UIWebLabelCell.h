// A transparent view that flows a short text with anchor elements ("<a href='url'>text</a>",
// or with the URL in double quotes) into its frame: plain runs are drawn into the view, each
// link is shown by one to three MyLabels over it (up, middle, down) that share one index, and
// a tap or long press on any of them reports the link's address to the delegate.  The view
// never changes its own frame.
//
// Parsing drops every "<a"; a piece after it that starts " href" but has no quoted address,
// no closing mark after it or no "</a>" stays plain text.  A view drawn before any font was set
// takes the system font of 14 points.  setText adds the runs of the text to those already set.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UIKit/UIView.h"
#include "ui/widgets/LinePen.h"
#include "ui/widgets/MyLabel.h"
#include "ui/widgets/NSLabelItem.h"

// All optional; only selectors the delegate answers true for are sent ("openText:",
// "openURL:", "longPressAction:").
class UIWebLabelDelegate {
 public:
  virtual ~UIWebLabelDelegate() = default;
  virtual void openText(const std::string& /*text*/) {}
  virtual void openURL(const std::string& /*url*/) {}
  virtual void longPressAction(const std::string& /*url*/) {}
  virtual bool respondsToSelector(std::string_view /*selector*/) const { return false; }
};

class UIWebLabelCell : public UIView, public MyLabelDelegate {
  NS_CLASS(UIWebLabelCell, UIView)
 public:
  explicit UIWebLabelCell(CGRect frame = CGRectZero);
  // Clear background.
  static std::shared_ptr<UIWebLabelCell> initWithFrame(CGRect frame);

  void setTextFont(std::shared_ptr<UIFont> font);
  const std::shared_ptr<UIFont>& fon() const { return fon_; }
  void setText(std::string_view text);
  // The text without its markup: the texts of its runs joined.
  static std::string getTextByText(std::string_view text);
  // The anchor text of the first link.
  std::optional<std::string> getBusiName() const;
  long getLenByStr(std::string_view text, CGFloat width) const;
  // Where the last line of the text wrapped at the width ends.
  long getPointByStr(std::string_view text, CGFloat width) const;

  const std::vector<std::shared_ptr<NSLabelItem>>& webArray() const { return webArray_; }
  const std::vector<std::shared_ptr<NSLabelItem>>& mutiLineLabel() const { return mutiLineLabel_; }
  long imgWH() const { return imgWH_; }
  std::weak_ptr<UIWebLabelDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UIWebLabelDelegate> d) { delegate_ = std::move(d); }
  bool needHyperlink() const { return needHyperlink_; }
  void setNeedHyperlink(bool b) { needHyperlink_ = b; }

  void drawRect(CGRect rect) override;

  // The link labels' reports.
  void beginLabel(MyLabel& label) override;
  void endLabel(MyLabel& label) override;
  void clickLabel(MyLabel& label) override;
  void longPress(MyLabel& label) override;
  bool respondsToSelector(std::string_view selector) const override;

 private:
  LinePen pen() const;
  void drawLinkString(const std::shared_ptr<NSLabelItem>& run);
  std::shared_ptr<MyLabel> linkLabel(CGRect frame, std::string text);
  // The record of the label's link, when its index points at one.
  std::shared_ptr<NSLabelItem> recordOf(const MyLabel& label) const;
  void colourOthers(const MyLabel& label, bool pressed);
  // What a tap or long press on the label reports.
  std::optional<std::string> reportedText(const MyLabel& label) const;

  std::vector<std::shared_ptr<NSLabelItem>> webArray_;
  std::vector<std::shared_ptr<NSLabelItem>> mutiLineLabel_;
  long imgWH_ = 0;
  std::shared_ptr<UIFont> fon_;
  LinePen pen_;
  std::weak_ptr<UIWebLabelDelegate> delegate_;
  bool needHyperlink_ = false;
  bool needAtLink_ = false;
};
