// The home screen, placeholder until the home screen is built.  It is the navigation root the
// application delegate builds.  It shows the stored channel catalogue as the launcher grid of
// channel tiles at (0, 5, 320, 455), two columns, eight tiles a page, without close buttons
// (once the channels are listed).  It writes what the reader
// would see to an output (standard output by default), one line at a time, and keeps the same
// lines on a page under the grid, the first ones on top:
//
// - the start-up steps as they happen: whether a client key was stored, the registration, the
//   login and session re-opens as their notifications arrive;
// - after the first login (or session re-open) the channels of the catalogue;
// - the first page of the first channel that has one (author, time and text of each item),
//   fetched through the bus as a channel screen does (request type 4).  Channels whose page the
//   server refuses or that hold nothing are named and passed over.
//
// A start without network lists the channels and fetches nothing.  When the first page is shown
// (or cannot be) the first-page handler runs once, with whether a page was shown.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UIKit/UILabel.h"
#include "UIKit/UIViewController.h"
#include "model/ChannelItem.h"
#include "uilib/views/ULLauncherView.h"

class varimostaViewController : public UIViewController {
  NS_CLASS(varimostaViewController, UIViewController)
 public:
  using Output = std::function<void(const std::string& line)>;
  // Where the lines go; an empty output restores standard output.
  static void setOutput(Output output);
  static void setFirstPageHandler(std::function<void(bool shown)> handler);

  ~varimostaViewController() override;
  void loadView() override;
  void viewDidLoad() override;
  void viewDidAppear(bool animated) override;

  // Shows the first-run guide overlay when one is due (none yet: counted only).
  void loadGuideView() { ++guideViewLoads_; }
  int guideViewLoads() const { return guideViewLoads_; }
  std::shared_ptr<ULLauncherView> launcherView();

  // Bus observers and the page's reply action.
  void registerClientCallBack(const Value& notification);
  void loginClientCallBack(const Value& notification);
  void openClientCallBack(const Value& notification);
  void channelPageCallBack(const Value& reply);

 private:
  void write(const std::string& line);
  void showOnPage(const std::string& line);
  void showChannels();
  // The catalogue's pages as the grid's tiles.
  void showTiles(const std::optional<ChannelItemPages>& pages);
  void requestNextPage();
  void firstPageDone(bool shown);

  std::shared_ptr<ULLauncherView> launcherView_;
  std::shared_ptr<UILabel> page_;
  int guideViewLoads_ = 0;
  bool appeared_ = false;
  bool channelsShown_ = false;
  bool pageDone_ = false;
  std::string keyAtStart_;
  // The channels whose first page may be asked for, in catalogue order, and the next to ask.
  std::vector<ChannelItemPtr> candidates_;
  size_t next_ = 0;
  ChannelItemPtr asking_;
};
