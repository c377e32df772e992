// The channel screen's set-up: the table and bars of each list kind, the three top bars, the
// one-time help overlay, the theme, the horizontal pans, and closing the open item.
#include <cmath>

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIPanGestureRecognizer.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "UIKit/UITouch.h"
#include "UIKit/UIWindow.h"
#include "core/StoredKeys.h"
#include "core/UIBkImageView.h"
#include "model/NSTopic.h"
#include "screens/reading/ChannelViewController.h"
#include "ui/framework/ApplicationWindow.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/widgets/UINaviComView.h"
#include "ui/widgets/UINaviTabView.h"

namespace {

constexpr long kTitleViewTag = 251;
constexpr long kHelpTag = 298;
constexpr long kSearchCountTag = 323;
constexpr long kFavouritesTabTag = 5;
constexpr long kReadLaterTabTag = 6;
constexpr CGFloat kBarHeight = 44;
constexpr double kHelpSeconds = 10;
constexpr CGFloat kDetailPan = 100;
constexpr CGFloat kSlidePan = 150;

CGFloat screenHeightNow() {
  return UIScreen::mainScreen()->bounds().size.height;
}

bool isNight() {
  return UIBkImageView::getCurThemeSelect() != 1;
}

// A picture of the bundle in the day or the night ("_theme1") look.
std::shared_ptr<UIImage> themed(const std::string& name) {
  return imageFileNamed(isNight() ? name + "_theme1" : name);
}

// The tab titles of the kinds with sub-channel tabs, when the channel names none.
std::vector<std::string> defaultTabs(int kind) {
  if (kind == kTemplateBusinessManagement) return {"营销", "管理", "创业", "案例"};
  if (kind == kTemplateVideoPlayLocalSub) return {"新品发布", "教育培训", "行业活动"};
  return {"热点", "新品", "酷评", "八卦"};
}

// Kinds whose pans neither slide the screen aside nor show the right-hand panel.
bool pansStayPut(int kind) {
  return kind == 103 || kind == kTemplateVEZIExpo || kind == kTemplateHotTopicList || kind == 51;
}

// The application's right-hand panel, through the application delegate.
void makeRightViewVisible() {
  auto app = UIApplication::sharedApplication();
  auto delegate = app ? std::dynamic_pointer_cast<NSObject>(app->delegate()) : nullptr;
  if (delegate && delegate->respondsToSelector("makeRightViewVisible"))
    delegate->performSelector("makeRightViewVisible");
}

bool isInNavigationStack(ChannelViewController& screen) {
  auto navigation = screen.navigationController();
  if (!navigation) return false;
  for (const auto& c : navigation->viewControllers())
    if (c.get() == &screen) return true;
  return false;
}

// A pan to the left over an open item opens the item's article full screen.
void openDetailArticle(ChannelViewController&) {
  // The detail view names its article once it is built; until then there is none to open.
}

}  // namespace

void ChannelViewController::initView() {
  auto root = view();
  if (naviBarView_) naviBarView_->removeFromSuperview();
  if (naviTapView_) naviTapView_->removeFromSuperview();
  naviBarView_.reset();
  naviTapView_.reset();
  for (auto* field : {&friendsStatusButton_, &atMeButton_, &myCommentButton_, &myStatusButton_}) {
    if (*field) (*field)->removeFromSuperview();
    field->reset();
  }
  if (navigationView_) navigationView_->removeFromSuperview();
  navigationView_.reset();

  CGFloat screen = screenHeightNow();
  bool tall = screen == 568;
  CGRect frame = root->frame();
  if (tall && frame.size.height == 460) frame.size.height = screen - 20;
  auto table = dataTableView();
  if (table) {
    table->setBackgroundColor(UIColor::clearColor());
    table->setFrame(frame);
  }
  refreshMoreView();
  if (tall && table) {
    CGRect f = table->frame();
    f.size.height = root->frame().size.height;
    table->setFrame(f);
  }
  auto self = weakSelf<ChannelViewController>();
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  // The table under a top bar of 44.
  auto underTopBar = [&] {
    if (!table) return;
    CGRect f = table->frame();
    table->setFrame(
        CGRectMake(f.origin.x, kBarHeight, f.size.width, root->frame().size.height - kBarHeight));
    table->setBackgroundColor(UIColor::clearColor());
  };
  switch (kind) {
    case kTemplateLocalSubscription:
    case kTemplateMySubscription:
    case kTemplateBusinessManagement:
    case kTemplateVideoPlayLocalSub: {
      std::vector<std::string> names;
      if (currentChannel_->subChannelNames())
        for (const Value& name : *currentChannel_->subChannelNames())
          names.emplace_back(name.string());
      if (names.empty()) names = defaultTabs(kind);
      naviTapView_ = UINaviTabView::initWithArray(names);
      naviTapView_->setTapDelegate(std::dynamic_pointer_cast<UINaviTabViewDelegate>(selfPtr()));
      root->addSubview(naviTapView_);
      if (table) {
        CGRect f = table->frame();
        f.size.height -= kBarHeight;
        table->setFrame(f);
      }
      CGRect tabs = naviTapView_->frame();
      tabs.origin.y = screen - 64;
      naviTapView_->setFrame(tabs);
      break;
    }
    case 51:
      addSearchNavigationView();
      underTopBar();
      root->setBackgroundColor(UIBkImageView::getBkColor());
      return;
    case kTemplateRoDuda: {
      addNavigationView();
      underTopBar();
      naviBarView_ = UINaviComView::initWithAction(
          selector(self, &ChannelViewController::naviBarAction, "naviBarAction:"));
      CGRect bar = naviBarView_->frame();
      naviBarView_->setFrame(
          CGRectMake(bar.origin.x, screen - 64, bar.size.width, bar.size.height));
      root->addSubview(naviBarView_);
      currentSelectType_ = 1;
      root->setBackgroundColor(UIBkImageView::getBkColor());
      return;
    }
    default:
      break;
  }
  Selector action = selector(self, &ChannelViewController::naviBarAction, "naviBarAction:");
  if (kind == kTemplateFansStatusWall) {
    naviBarView_ = UINaviComView::initWithAction(action);
    naviBarView_->setBaoLiaoBtn(action);
  } else if (kind == kTemplateOnlineSeminar || kind == kTemplateVEZIExpo) {
    naviBarView_ = UINaviComView::initWithOnlineAction(action);
  } else if (kind == kTemplateThirdParty) {
    naviBarView_ = UINaviComView::initWithThirdAction(action);
  } else if (kind == 103) {
    naviBarView_ = UINaviComView::initWithTopicAction(action);
  } else {
    naviBarView_ = UINaviComView::initWithAction(action);
  }
  CGRect bar = naviBarView_->frame();
  naviBarView_->setFrame(CGRectMake(bar.origin.x, screen - 64, bar.size.width, bar.size.height));
  root->addSubview(naviBarView_);

  if (auto old = root->viewWithTag(kTitleViewTag)) old->removeFromSuperview();
  std::shared_ptr<UINaviComView> title;
  if (kind == kTemplateMyFavAndReadLater) {
    addFevReadNavigationView();
    underTopBar();
    currentSelectType_ = 5;
  } else if (kind == 103) {
    auto topic = selfItem_.object<NSTopic>();
    title = UINaviComView::initWithNaviBarTitle(
        topic ? topic->name : std::string(),
        topic ? std::optional<std::string>(topic->c_intro) : std::nullopt);
    if (table) {
      CGRect f = table->frame();
      CGFloat h = title->frame().size.height;
      table->setFrame(CGRectMake(f.origin.x, f.origin.y + h, f.size.width, f.size.height - h));
    }
  } else if (kind == kTemplateThirdParty) {
    title = UINaviComView::initWithTitle(imageFileNamed(getThirdPartyChannelTitle()));
  } else {
    std::string name = getCurNaviTitle();
    auto image = name.empty() ? nullptr : imageFileNamed(name);
    if (image) {
      title = UINaviComView::initWithTitle(image);
    } else {
      title = UINaviComView::initWithTitle(imageFileNamed("naviTitle0"));
      title->setTitle(currentChannel_ ? currentChannel_->channelName() : std::string());
    }
  }
  if (title) {
    title->setTag(kTitleViewTag);
    title->setNaviDelegate(std::dynamic_pointer_cast<UINaviComViewDelegate>(selfPtr()));
    root->addSubview(title);
  }
  root->setBackgroundColor(UIBkImageView::getBkColor());
}

void ChannelViewController::addSearchNavigationView() {
  auto root = view();
  navigationView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, 320, kBarHeight));
  navigationView_->setImage(themed("topBar"));
  navigationView_->setUserInteractionEnabled(true);
  auto word = std::make_shared<UILabel>(CGRectMake(70, 0, 180, 30));
  word->setBackgroundColor(UIColor::clearColor());
  word->setTextAlignment(UITextAlignmentCenter);
  word->setText(keyWord_);
  if (isNight()) word->setTextColor(UIBkImageView::getFontColor());
  navigationView_->addSubview(word);
  auto count = std::make_shared<UILabel>(CGRectMake(70, 30, 180, 14));
  count->setBackgroundColor(UIColor::clearColor());
  count->setTextColor(isNight() ? UIBkImageView::getFontColor() : UIColor::darkGrayColor());
  count->setFont(UIFont::systemFontOfSize(15));
  count->setTextAlignment(UITextAlignmentCenter);
  count->setTag(kSearchCountTag);
  navigationView_->addSubview(count);
  auto back = UIButton::buttonWithType(UIButtonType::Custom);
  back->setFrame(CGRectMake(5, 6, 56, 32));
  back->setBackgroundImage(themed("leftBtn"), UIControlStateNormal);
  back->setTitle("返回", UIControlStateNormal);
  back->titleLabel()->setFont(UIFont::systemFontOfSize(14));
  back->setTitleColor(UIBkImageView::getFontColor(), UIControlStateNormal);
  back->addTarget(selector(weakSelf<ChannelViewController>(),
                           &ChannelViewController::cancelButtonPushed, "cancelButtonPushed:"),
                  UIControlEventTouchUpInside);
  navigationView_->addSubview(back);
  root->addSubview(navigationView_);
}

void ChannelViewController::addNavigationView() {
  auto root = view();
  navigationView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, 320, kBarHeight));
  navigationView_->setImage(themed("topBar"));
  root->addSubview(navigationView_);
  auto self = weakSelf<ChannelViewController>();
  struct Tab {
    std::shared_ptr<UIButton>* field;
    const char* image;
    void (ChannelViewController::*action)(const Value&);
    const char* name;
  };
  const Tab tabs[] = {
      {&friendsStatusButton_, "friendsStatusSelect", &ChannelViewController::friendsStatusDidSelect,
       "friendsStatusDidSelect:"},
      {&atMeButton_, "atMeNormal", &ChannelViewController::atMeDidSelect, "atMeDidSelect:"},
      {&myCommentButton_, "myCommentNormal", &ChannelViewController::myCommentDidSelect,
       "myCommentDidSelect:"},
      {&myStatusButton_, "myStatusNormal", &ChannelViewController::myStatusDidSelect,
       "myStatusDidSelect:"},
  };
  CGFloat x = 0;
  for (const auto& tab : tabs) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(x, 0, 80, kBarHeight));
    button->setImage(themed(tab.image), UIControlStateNormal);
    button->addTarget(selector(self, tab.action, tab.name), UIControlEventTouchUpInside);
    root->addSubview(button);
    *tab.field = button;
    x += 80;
  }
}

void ChannelViewController::addFevReadNavigationView() {
  auto root = view();
  navigationView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, 320, kBarHeight));
  navigationView_->setImage(imageFileNamed("topBar"));
  navigationView_->setUserInteractionEnabled(true);
  auto self = weakSelf<ChannelViewController>();
  auto favourites = UIButton::buttonWithType(UIButtonType::Custom);
  favourites->setTag(kFavouritesTabTag);
  favourites->setFrame(CGRectMake(0, 0, 160, kBarHeight));
  favourites->setImage(imageFileNamed("myFavSel"), UIControlStateNormal);
  favourites->setImage(imageFileNamed("myFavUsel"), UIControlStateHighlighted);
  favourites->addTarget(selector(self, &ChannelViewController::favReadAction, "favReadAction:"),
                        UIControlEventTouchUpInside);
  navigationView_->addSubview(favourites);
  auto later = UIButton::buttonWithType(UIButtonType::Custom);
  later->setTag(kReadLaterTabTag);
  later->setFrame(CGRectMake(160, 0, 160, kBarHeight));
  later->setImage(imageFileNamed("myReadUsel"), UIControlStateNormal);
  later->setImage(imageFileNamed("myReadSel"), UIControlStateHighlighted);
  later->addTarget(selector(self, &ChannelViewController::favReadAction, "favReadAction:"),
                   UIControlEventTouchUpInside);
  navigationView_->addSubview(later);
  root->addSubview(navigationView_);
  setActionType(kTemplateMyFavorite);
}

void ChannelViewController::viewDidLoad() {
  UIChannelBaseViewCtrl::viewDidLoad();
  auto self = weakSelf<ChannelViewController>();
  auto pan = std::make_shared<UIPanGestureRecognizer>(
      selector(self, &ChannelViewController::userPinned, "userPinned:"));
  pan->setDelegate(self);
  view()->addGestureRecognizer(pan);
  if (auto table = dataTableView()) table->setSeparatorStyle(UITableViewCellSeparatorStyle::None);
  NSNotificationCenter::defaultCenter()->addObserver(
      self, selector(self, &ChannelViewController::channelHasNew, "channelHasNew:"),
      "channel_has_new", Value());
  if (isNight()) setCurActivityColor(UIColor::whiteColor());
  checkForHelp();
}

void ChannelViewController::checkForHelp() {
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  if (kind == kTemplateMySubscription || kind == kTemplateHotTopicList ||
      kind == kTemplateVEZIExpo || kind == 51 || isInFavorite() || isInReadLater())
    return;
  if (NSUserDefaults::standardUserDefaults()->boolForKey(kShowListHelpKey)) return;
  auto window = applicationWindow();
  if (!window) return;
  CGFloat h = screenHeightNow() - 20;
  auto help = std::make_shared<UIView>(CGRectMake(0, 20, 320, h));
  help->setTag(kHelpTag);
  auto picture = std::make_shared<UIImageView>(CGRectMake(0, 0, 320, h));
  picture->setImage(imageFileNamed("helpList.jpg"));
  help->addSubview(picture);
  auto self = weakSelf<ChannelViewController>();
  help->addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(
      selector(self, &ChannelViewController::closeHelp, "closeHelp:")));
  window->addSubview(help);
  performSelectorAfterDelay(selector(self, &ChannelViewController::closeHelp, "closeHelp:"), {},
                            kHelpSeconds);
}

void ChannelViewController::closeHelp(const Value&) {
  if (auto window = applicationWindow()) {
    if (auto help = window->viewWithTag(kHelpTag)) help->removeFromSuperview();
  }
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setBool(true, kShowListHelpKey);
  defaults->synchronize();
}

void ChannelViewController::changeTheme() {
  auto root = view();
  root->setBackgroundColor(UIBkImageView::getBkColor());
  if (auto table = dataTableView()) table->reloadData();
  if (naviTapView_) naviTapView_->changeTheme();
  PHProgressHUD::changeTheme();
  if (navigationView_) navigationView_->setImage(themed("topBar"));
  struct Tab {
    const std::shared_ptr<UIButton>& button;
    int type;
    const char* normal;
    const char* selected;
  };
  const Tab tabs[] = {{friendsStatusButton_, 1, "friendsStatusNormal", "friendsStatusSelect"},
                      {atMeButton_, 2, "atMeNormal", "atMeSelect"},
                      {myCommentButton_, 3, "myCommentNormal", "myCommentSelect"},
                      {myStatusButton_, 4, "myStatusNormal", "myStatusSelect"}};
  for (const auto& tab : tabs) {
    if (!tab.button) continue;
    tab.button->setImage(
        tab.type == currentSelectType_ ? imageFileNamed(tab.selected) : themed(tab.normal),
        UIControlStateNormal);
  }
  setCurActivityColor(isNight() ? UIColor::whiteColor() : UIColor::grayColor());
  bool empty = statusCount() == 0;
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  if (!empty) return;
  if (isInFavorite())
    addGuideView("favoriteHelp");
  else if (isInReadLater())
    addGuideView("readLaterHelp");
  else if (kind == kTemplateOnlineSeminar)
    addGuideView("addGuideView");
  else if (kind == kTemplateVEZIExpo)
    addGuideView("veziGuide");
}

bool ChannelViewController::gestureRecognizerShouldReceiveTouch(const Value&, const Value& touch) {
  if (auto t = touch.object<UITouch>()) panPoint_ = t->previousLocationInView(view());
  return true;
}

bool ChannelViewController::gestureRecognizerShouldBegin(const Value& recognizer) {
  auto r = recognizer.object<UIGestureRecognizer>();
  if (!r) return false;
  CGPoint now = r->locationInView(view());
  return std::fabs(now.x - panPoint_.x) > std::fabs(now.y - panPoint_.y);
}

bool ChannelViewController::gestureRecognizerShouldReceiveTouch(
    const std::shared_ptr<UIGestureRecognizer>& recognizer, const std::shared_ptr<UITouch>& touch) {
  return gestureRecognizerShouldReceiveTouch(Value(std::static_pointer_cast<NSObject>(recognizer)),
                                             Value(std::static_pointer_cast<NSObject>(touch)));
}

bool ChannelViewController::gestureRecognizerShouldBegin(
    const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  return gestureRecognizerShouldBegin(Value(std::static_pointer_cast<NSObject>(recognizer)));
}

void ChannelViewController::userPinned(const Value& sender) {
  auto pan = sender.object<UIPanGestureRecognizer>();
  if (!pan) return;
  if (goodCommentView_ && goodCommentView_->superview()) return;
  CGPoint t = pan->translationInView(view());
  int kind = currentChannel_ ? currentChannel_->actionType() : 0;
  auto state = pan->state();
  if (isInDetail()) {
    if (state != UIGestureRecognizerState::Ended) return;
    if (t.x > kDetailPan) {
      returnAction(Value());
    } else if (t.x < -kDetailPan) {
      openDetailArticle(*this);
    }
    return;
  }
  if (state == UIGestureRecognizerState::Ended) {
    if (pansStayPut(kind)) return;
    if (t.x < -kSlidePan)
      moveToLeftSide();
    else
      restoreViewLocation();
    return;
  }
  if (state != UIGestureRecognizerState::Changed || homeViewIsOutOfStage_) return;
  if (t.x < 0) {
    if (!pansStayPut(kind)) makeRightViewVisible();
  } else if (t.x > 0 && isInNavigationStack(*this)) {
    // The screen leaves its navigation stack once, not on every move of the pan.
    cancelButtonPushed();
  }
  if (auto navigation = navigationController()) {
    auto navView = navigation->view();
    CGRect f = navView->frame();
    f.origin.x = t.x;
    navView->setFrame(f);
  }
}

void ChannelViewController::returnAction(const Value&) {
  contentAction(1);
}

void ChannelViewController::contentAction(int code) {
  if (code == 1) {
    cancelView();
    endDetailAnimation();
    return;
  }
  UIChannelBaseViewCtrl::contentAction(code);
}
