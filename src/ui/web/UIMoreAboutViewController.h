// The about screen: the content server's about page for the installed version
// ("<server>/about/about.html?v=i_<CFBundleVersion>"), whatever URL it is opened with, under
// the app's themed top bar ("topBar" in the day theme).  The outlets other than titleLabel
// belong to an interface file that the program does not load: they stay empty unless set.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScrollView.h"
#include "ui/web/AppWebScreen.h"
#include "ui/widgets/UIWebLabelCell.h"

class UIMoreAboutViewController : public AppWebScreen {
  NS_CLASS(UIMoreAboutViewController, ULWebController)
 public:
  UIMoreAboutViewController() : AppWebScreen("topBar") {}

  // The about page's address: the configured server's base URL, the path and the version.
  static std::string aboutPageURL();
  // Ignores the URL: opens the about page with the query.
  void initWithNavigatorURL(const std::shared_ptr<NSURL>& url, const ValueDictionary& query);
  // init: the same with no URL and no query.
  void init() { initWithNavigatorURL(nullptr, nullptr); }

  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void updateToolbarWithOrientation(UIInterfaceOrientation) override {}
  // Segment 0: the configured servers; any other: their development variants.
  void serverChange(long selectedSegmentIndex);
  // Opens the store page of the maker's sibling application.
  void openQ29X(const Value& sender);
  std::shared_ptr<UILabel> versionLabel;
  std::shared_ptr<UIButton> backButton;
  std::shared_ptr<UIButton> appButton;
  std::shared_ptr<UIImageView> topBar;
  std::shared_ptr<UIImageView> bottomImage;
  std::shared_ptr<UIScrollView> bodyScrollView;
  std::shared_ptr<UIWebLabelCell> infoText;
  std::shared_ptr<UIWebLabelCell> serverText;
  std::shared_ptr<UIWebLabelCell> lawText;
  std::shared_ptr<UIWebLabelCell> webText;

  // The store page of the sibling application (the store's address is this project's choice).
  static constexpr const char* kSiblingStoreURL = "http://store.ziza.example/app/q29x";
};
