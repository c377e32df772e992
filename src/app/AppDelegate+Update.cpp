// The delegate's duties that begin once the client has registered or logged in: the update
// poll, the server message pop-up, the launch counter with its registration guide, and the
// start-up advert.  The poll asks every two minutes which kinds of content changed, stores the
// answer for the channel screens and acts on the kinds it owns: the banner list, the server
// message and the seminars.
#include <cmath>

#include "Common/Additions/NSDictionary+Values.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "app/AppDelegate.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "model/NSLoginData.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/WBAuthorizeWebView.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/Reachability.h"
#include "screens/account/UILoginAdView.h"
#include "screens/account/UIRegGuideView.h"
#include "screens/home/varimostaViewController.h"

namespace {

constexpr double kUpdatePollSeconds = 120;
// The first check: soon when the reader's profile is known, later on Wi-Fi, latest otherwise.
constexpr double kFirstCheckWithProfile = 10;
constexpr double kFirstCheckOnWiFi = 40;
constexpr double kFirstCheckOtherwise = 70;
// Off Wi-Fi the message is fetched a little after the poll's reply.
constexpr double kMessageDelayOffWiFi = 30;
constexpr double kMessagePictureTimeout = 60;

constexpr std::string_view kMessageDateFormats[] = {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm"};
// The launch counter's value after a version change (the configuration store sets it).
constexpr int kLaunchAfterUpdate = 10;
// Profile choices stored and waiting to be sent again at each start.
constexpr int kProfileStored = 2;
constexpr int kUnknownChannelTemplate = 1000;

enum MessageType {
  kTextMessage = 0,
  kLinkMessage = 1,
  kPictureMessage = 2,
  kPictureLinkMessage = 3
};
enum LinkType { kWebLink = 0, kChannelLink = 1 };

CGFloat screenHeight() {
  return UIScreen::mainScreen()->bounds().size.height;
}

std::optional<std::string> storedMessageText() {
  return NSFileManager::defaultManager().contentsAtPath(UIFilePath::messageStringPath());
}

Value storedMessage() {
  auto text = storedMessageText();
  return text ? objectFromJSONString(*text) : Value();
}

// A message date in either of its formats; nothing when the text is missing or unreadable.
std::optional<NSDateValue> messageDate(const Value& message, std::string_view key) {
  Value text = getStringValueForKey(message, key, Value(std::string()));
  if (!text.isString() || text.string().empty()) return std::nullopt;
  NSDateFormatter formatter;
  for (auto format : kMessageDateFormats) {
    formatter.setDateFormat(format);
    if (auto date = formatter.dateFromString(text.string())) return date;
  }
  return std::nullopt;
}

std::string stringOf(const Value& dict, std::string_view key) {
  Value v = getStringValueForKey(dict, key, Value(std::string()));
  return v.isString() ? std::string(v.string()) : std::string();
}

std::shared_ptr<UIButton> messageButton(CGRect frame, std::string_view title) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(frame);
  button->setTitle(std::string(title), UIControlStateNormal);
  button->titleLabel()->setFont(UIFont::systemFontOfSize(16));
  button->setBackgroundImage(UIImage::imageNamed("messageButton"), UIControlStateNormal);
  button->setBackgroundImage(UIImage::imageNamed("messageButtonSelect"), UIControlStateHighlighted);
  return button;
}

std::shared_ptr<UIButton> clearButton(CGRect frame) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(frame);
  button->setBackgroundColor(UIColor::clearColor());
  return button;
}

}  // namespace

// ---- start and launch counter -----------------------------------------------------------------

void AppDelegate::addGuideView() {
  needShowMessage_ = true;
  showMessage(Value());
  initUpdateTime();

  int launches = NSConfig::readValueWithKey(kRegModeFirstKey).intValue();
  auto store = [](int n) { NSConfig::setValue(Value(std::to_string(n)), kRegModeFirstKey); };
  if (launches == kLaunchAfterUpdate) {
    store(launches + 1);
    setUpUserInfo();
  } else if (launches == 2) {
    store(3);
    setUpUserInfo();
    if (!NSWeiBoNet::isLogined(0) && window_) {
      auto guide = UIRegGuideView::initWithFrame(CGRectMake(0, 10, 320, screenHeight() - 20));
      guide->setAutoresizingMask(UIViewAutoresizingNone);
      window_->addSubview(guide);
    }
  } else if (launches == 0) {
    store(1);
    if (NSWeiBoNet::isLogined(0)) setUpUserInfo();
  } else if (launches == 1 || launches == 3 || launches == 4 || launches == 11 || launches < 0) {
    store(launches + 1);
    setUpUserInfo();
  } else {
    setUpUserInfo();
  }
  appStart();
}

void AppDelegate::setUpUserInfo() {
  if (NSConfig::readCacheValueWithKey(kUserSetupInfoKey).intValue() != kProfileStored) return;
  Value business = NSConfig::readCacheValueWithKey(kBusinessTypeKey);
  if (business.isNil()) business = Value(std::string());
  postNotification(kGlobeRequest,
                   Value::arrayOf({NSConfig::readCacheValueWithKey(kIndustrySectorKey),
                                   NSConfig::readCacheValueWithKey(kJobTitleKey), business}),
                   RequestType::SaveIndustryProfile);
}

// ---- the update poll --------------------------------------------------------------------------

void AppDelegate::initUpdateTime() {
  if (updateTimer_) updateTimer_->invalidate();
  updateTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kUpdatePollSeconds, selector(weakThis(), &AppDelegate::checkUpdateTime, "checkUpdateTime:"),
      Value(), true);
  double first = kFirstCheckOtherwise;
  if (NSConfig::readCacheValueWithKey(kUserSetupInfoKey).intValue() != 0) {
    first = kFirstCheckWithProfile;
  } else if (NSGlobe::getEngine()->curNetStatus() == ReachableViaWiFi) {
    first = kFirstCheckOnWiFi;
  }
  performSelectorAfterDelay(selector(weakThis(), &AppDelegate::checkUpdateTime, "checkUpdateTime:"),
                            {}, first);
}

void AppDelegate::checkUpdateTime(const Value&) {
  if (!Reachability::isConnectedToNetwork() || !updateTimer_) return;
  postNotification(
      kGlobeRequest, Value(), RequestType::UpdatePoll,
      selector(weakThis(), &AppDelegate::checkUpdateTimeCallback, "checkUpdateTimeCallback:"),
      weakSelf<NSObject>());
}

void AppDelegate::checkUpdateTimeCallback(const Value& reply) {
  if (!reply.isString()) return;
  Value update = objectFromJSONString(reply.string());
  if (!update.isDictionary()) return;
  UIFilePath::writeFile(UIFilePath::updateDatePath(), reply.string());
  postNotification(kChannelHasNew);

  Value entries = update["otherchannels"];
  if (!entries.isArray()) return;
  // A stamp differs when none is stored under the key or the stored one is another text.
  auto changed = [](const Value& stamp, std::string_view key) {
    Value stored = NSConfig::readCacheValueWithKey(key);
    return !stored.isString() || stored.string() != stamp.string();
  };
  for (size_t i = 0; i < entries.count(); ++i) {
    const Value& entry = entries[i];
    if (!entry.isDictionary()) continue;
    std::string kind = stringOf(entry, "cids");
    // A stamp is compared as text, a number's too.
    Value updt = entry["updt"];
    bool present = updt.isString() || updt.isNumber();
    Value stamp = present ? Value(updt.description()) : Value();
    if (kind == "bannerdt") {
      if (present && changed(stamp, kBannerListUpdateDataKey)) {
        NSConfig::setCacheTempValue(stamp, kBannerListUpdateDataKey);
        ClientRequest::engine()->getBannerList();
      }
    } else if (kind == "iad") {
      if (present && changed(stamp, kMessageUpdateDateKey)) {
        if (ClientRequest::engine()->getNetworkType() == "1") {
          getNewMessage(stamp);
        } else {
          performSelectorAfterDelay(
              selector(weakThis(), &AppDelegate::getNewMessage, "getNewMessage:"), stamp,
              kMessageDelayOffWiFi);
        }
      }
    } else if (kind == "dialog") {
      if (!present || stamp.string().empty()) return;
      if (changed(stamp, kSeminarUpdateDateKey)) postNotification(kSeminarHasUpdated, stamp);
    }
  }
}

// ---- the server message -----------------------------------------------------------------------

void AppDelegate::getNewMessage(const Value& stamp) {
  NSConfig::setCacheTempValue(stamp, kMessageUpdateDateKey);
  postNotification(kGlobeRequest, Value(), RequestType::ServerMessage,
                   selector(weakThis(), &AppDelegate::showMessage, "showMessage:"),
                   weakSelf<NSObject>());
  stopActivityIndicatorViewAnimation();
}

bool AppDelegate::isMessageDue(const Value& message) {
  if (!message.isDictionary()) return false;
  int id = getIntValueForKey(message, "id", 0);
  int shown = int(NSUserDefaults::standardUserDefaults()->integerForKey(kLoginMessageIdKey));
  if (id <= 0 || id <= shown) return false;
  NSDateValue now = NSDate::date();
  if (auto start = messageDate(message, "startdt");
      start && start->secondsSince1970 > now.secondsSince1970)
    return false;
  if (auto end = messageDate(message, "enddt"); end && end->secondsSince1970 < now.secondsSince1970)
    return false;
  return true;
}

void AppDelegate::showMessage(const Value& newMessage) {
  NSConfig::setCacheValueFormTemp(kMessageUpdateDateKey);
  auto storedText = storedMessageText();
  Value message = storedText ? objectFromJSONString(*storedText) : Value();
  auto keepNew = [&] {
    if (newMessage.isString() && (!storedText || *storedText != newMessage.string()))
      saveMessage(newMessage);
  };
  if (!message.isDictionary() || !needShowMessage_) {
    needShowMessage_ = false;
    keepNew();
    return;
  }
  needShowMessage_ = false;
  if (!isMessageDue(message) || !window_) {
    keepNew();
    return;
  }

  auto popup = std::make_shared<UIView>(CGRectMake(0, 20, 320, screenHeight() - 20));
  popup->setTag(kServerMessageViewTag);
  // A null type reads as -1 and shows an empty pop-up, as a missing one reads as a text.
  int type = getIntValueForKey(message, "type", -1);
  std::string title = stringOf(message, "msg");
  std::string intro = stringOf(message, "intro");
  Value link = message["link"];
  int linkType = link.isDictionary() ? getIntValueForKey(link, "type", 0) : kWebLink;
  std::string linkValue = link.isDictionary() ? stringOf(link, "value") : std::string();
  auto weak = weakThis();
  Selector close = selector(weak, &AppDelegate::removeMessageView, "removeMessageView:");

  if (type == kTextMessage || type == kLinkMessage) {
    auto background = std::make_shared<UIImageView>(CGRectMake(27, 145, 264, 137));
    background->setImage(UIImage::imageNamed("messageBackground"));
    popup->addSubview(background);
    CGFloat y = 10;
    if (!title.empty()) {
      auto label = std::make_shared<UILabel>(CGRectMake(10, 10, 250, 20));
      label->setTextAlignment(UITextAlignmentCenter);
      label->setFont(UIFont::systemFontOfSize(14));
      label->setTextColor(UIColor::whiteColor());
      label->setBackgroundColor(UIColor::clearColor());
      label->setText(title);
      background->addSubview(label);
      y = 30;
    }
    if (!intro.empty()) {
      auto body = std::make_shared<UILabel>(CGRectMake(15, y, 240, 80 - y));
      body->setTextColor(UIColor::whiteColor());
      body->setBackgroundColor(UIColor::clearColor());
      body->setNumberOfLines(0);
      std::string text = "       " + intro;
      body->setText(text);
      // The largest font whose text fits the body's height; the smallest tried otherwise.
      std::vector<CGFloat> sizes = type == kTextMessage ? std::vector<CGFloat>{13, 12, 11, 10}
                                                        : std::vector<CGFloat>{13, 12, 11};
      UILineBreakMode wrap =
          type == kTextMessage ? UILineBreakModeCharacterWrap : UILineBreakModeWordWrap;
      if (type == kTextMessage) body->setLineBreakMode(wrap);
      std::shared_ptr<UIFont> font;
      for (CGFloat size : sizes) {
        font = UIFont::systemFontOfSize(size);
        if (sizeWithFont(text, font, CGSizeMake(240, 100), wrap).height <= 80 - y) break;
      }
      body->setFont(font);
      background->addSubview(body);
    }
    if (type == kTextMessage) {
      auto ok = messageButton(CGRectMake(111, 232, 93, 38), "知道了");
      ok->addTarget(close, UIControlEventTouchUpInside);
      popup->addSubview(ok);
    } else {
      auto ok = messageButton(CGRectMake(44, 232, 93, 38), "知道了");
      ok->addTarget(close, UIControlEventTouchUpInside);
      popup->addSubview(ok);
      auto details = messageButton(CGRectMake(181, 232, 93, 38), "查看详情");
      messageURL_ = linkValue;
      if (linkType == kWebLink) {
        details->addTarget(selector(weak, &AppDelegate::openURL, "openURL:"),
                           UIControlEventTouchUpInside);
      } else if (linkType == kChannelLink) {
        int channelId = Value(linkValue).intValue();
        int templateId = ChannelItem::getTemplateIdByChannelId(channelId);
        messageURL_ = templateId == kUnknownChannelTemplate
                          ? std::string()
                          : std::to_string(channelId) + "," + std::to_string(templateId);
        details->addTarget(selector(weak, &AppDelegate::openChannel, "openChannel:"),
                           UIControlEventTouchUpInside);
      }
      popup->addSubview(details);
    }
  } else if (type == kPictureMessage || type == kPictureLinkMessage) {
    CGRect whole = CGRectMake(0, 0, 320, screenHeight() - 20);
    auto picture = std::make_shared<UIImageView>(whole);
    picture->setImage(UIImage::imageWithContentsOfFile(
        UIFilePath::messageImagePath(stringOf(message, "imgurl"))));
    popup->addSubview(picture);
    if (type == kPictureMessage) {
      auto button = clearButton(whole);
      button->addTarget(close, UIControlEventTouchUpInside);
      popup->addSubview(button);
    } else {
      CGFloat half = whole.size.height / 2;
      auto upper = clearButton(CGRectMake(0, 0, 320, half));
      upper->addTarget(close, UIControlEventTouchUpInside);
      popup->addSubview(upper);
      auto lower = clearButton(CGRectMake(0, half, 320, whole.size.height - half));
      messageURL_ = linkValue;
      if (linkType == kWebLink) {
        lower->addTarget(selector(weak, &AppDelegate::openURL, "openURL:"),
                         UIControlEventTouchUpInside);
      } else if (linkType == kChannelLink) {
        lower->addTarget(selector(weak, &AppDelegate::openChannel, "openChannel:"),
                         UIControlEventTouchUpInside);
      }
      popup->addSubview(lower);
    }
  }

  if (curTextView_) {
    curTextView_->resignFirstResponder();
  } else {
    auto key = UIApplication::sharedApplication()->keyWindow();
    if (!key) key = window_;
    for (const auto& view : key->subviews()) {
      if (auto web = std::dynamic_pointer_cast<WBAuthorizeWebView>(view)) web->hideKeyboard();
    }
  }
  window_->addSubview(popup);
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setInteger(getIntValueForKey(message, "id", 0), kLoginMessageIdKey);
  defaults->synchronize();
  if (auto key = UIApplication::sharedApplication()->keyWindow()) key->endEditing(true);
}

void AppDelegate::saveMessage(const Value& text) {
  if (!text.isString()) return;
  Value message = objectFromJSONString(text.string());
  if (!message.isDictionary()) return;
  std::string imageURL = stringOf(message, "imgurl");
  std::string path = UIFilePath::messageImagePath(imageURL);
  if (getIntValueForKey(message, "type", -1) < kPictureMessage || imageURL.empty()) {
    UIFilePath::writeFile(UIFilePath::messageStringPath(), text.string());
    return;
  }
  // An address that names no file cannot be fetched: as after a failed download, the stored
  // message stays.
  if (path.empty()) return;
  currentMessage_ = text.string();
  auto url = NSURL::URLWithString(imageURL);
  if (!url) return;
  if (myRequest_) myRequest_->clearDelegatesAndCancel();
  auto request = HXHTTPRequest::requestWithURL(url);
  myRequest_ = request;
  UIFilePath::makeSureFolderOf(path);
  request->setDownloadDestinationPath(path);
  request->setTimeOutSeconds(kMessagePictureTimeout);
  request->setDelegate(weakSelf<NSObject>());
  request->setDidFinishSelector(
      selector(weakThis(), &AppDelegate::imageDownloadFinish, "imageDownloadFinish:"));
  Value attributes = NSFileManager::defaultManager().attributesOfItemAtPath(path);
  Value modified = attributes.isDictionary() ? attributes[NSFileModificationDate] : Value();
  if (modified.isDate()) {
    NSDateFormatter formatter;
    formatter.setDateFormat("EEE, d MMM yyyy HH:mm:ss");
    formatter.setLocale("en_US");
    if (auto gmt = NSTimeZone::timeZoneWithName("GMT")) formatter.setTimeZone(*gmt);
    request->addRequestHeader(
        "If-Modified-Since",
        formatter.stringFromDate(NSDateValue{modified.dateSeconds()}) + " GMT");
    request->setDidReceiveResponseHeadersSelector(
        selector(weakThis(), &AppDelegate::imageResponseHeader, "imageResponseHeader:obj:"));
  }
  request->startAsynchronous();
}

void AppDelegate::imageResponseHeader(const Value& requestAndHeaders) {
  auto request = requestAndHeaders[0].object<HXHTTPRequest>();
  if (!request || request->responseStatusCode() != 304) return;
  request->clearDelegatesAndCancel();
  // The picture kept from before is the current one: the waiting message can be stored.
  if (!currentMessage_.empty())
    UIFilePath::writeFile(UIFilePath::messageStringPath(), currentMessage_);
  currentMessage_.clear();
  if (myRequest_ == request) myRequest_.reset();
}

void AppDelegate::imageDownloadFinish(const Value& value) {
  auto request = value.object<HXHTTPRequest>();
  if (myRequest_ == request) myRequest_.reset();
  if (!request || currentMessage_.empty()) return;
  if (UIImage::imageWithContentsOfFile(request->downloadDestinationPath()))
    UIFilePath::writeFile(UIFilePath::messageStringPath(), currentMessage_);
  currentMessage_.clear();
}

bool AppDelegate::isShowServerAdOk() {
  if (window_ && window_->viewWithTag(kServerMessageViewTag)) return true;
  return isMessageDue(storedMessage());
}

void AppDelegate::removeMessageView(const Value&) {
  if (!window_) return;
  if (auto view = window_->viewWithTag(kServerMessageViewTag)) view->removeFromSuperview();
}

// ---- the start-up advert ----------------------------------------------------------------------

void AppDelegate::showLoginAdView() {
  closeKeyBoard();
  auto data = NSConfig::engine()->config();
  if (!data || !window_) return;
  auto advert = UILoginAdView::initWithInfo(data->adInfo, weakSelf<NSObject>());
  window_->addSubview(advert);
  CGRect frame = advert->frame();
  frame.origin.y = 20;
  advert->setFrame(frame);
  data->adInfo.reset();
}

void AppDelegate::removeLoginAdView() {
  // The advert is shown in the window, so it is looked for there too, not only in the home
  // screen's view.
  std::vector<std::shared_ptr<UIView>> places;
  if (auto home = homeScreen(); home && home->isViewLoaded()) places.push_back(home->view());
  if (window_) places.push_back(window_);
  for (const auto& place : places) {
    for (const auto& view : place->subviews()) {
      if (std::dynamic_pointer_cast<UILoginAdView>(view)) {
        view->removeFromSuperview();
        return;
      }
    }
  }
}

void AppDelegate::openAdInfo(const Value& advert) {
  auto info = advert.object<NSAdInfo>();
  if (!info) return;
  messageURL_ = ClientRequest::getAdInfoUrl(info);
  openURLDelay();
  messageURL_.clear();
}
