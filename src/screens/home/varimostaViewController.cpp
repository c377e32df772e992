#include "screens/home/varimostaViewController.h"

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "Foundation/NSClass.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIScreen.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ClientRequest.h"
#include "net/api/ServerResult.h"
#include "net/http/Reachability.h"
#include "uilib/views/CustomerLauncherItem.h"

namespace {

struct Hooks {
  std::mutex mutex;
  varimostaViewController::Output output;
  std::function<void(bool)> firstPage;
};

Hooks& hooks() {
  static Hooks h;
  return h;
}

std::string storedClientKey() {
  return NSUserDefaults::standardUserDefaults()->stringForKey(kRegisterClientKey).value_or("");
}

// Channels that list status posts on the content server's channel page.
bool listsStatuses(const ChannelItem& item) {
  switch (item.templateId) {
    case kTemplateEditorSuggestion:
    case kTemplateFansStatusWall:
    case kTemplateLocalSubscription:
    case kTemplateBusinessManagement:
      return true;
    default:
      return false;
  }
}

std::string indented(std::string_view text, std::string_view indent) {
  std::string out(indent);
  for (char c : text) {
    if (c == '\r') continue;
    out += c;
    if (c == '\n') out += indent;
  }
  return out;
}

}  // namespace

void varimostaViewController::setOutput(Output output) {
  std::lock_guard lock(hooks().mutex);
  hooks().output = std::move(output);
}

void varimostaViewController::setFirstPageHandler(std::function<void(bool)> handler) {
  std::lock_guard lock(hooks().mutex);
  hooks().firstPage = std::move(handler);
}

varimostaViewController::~varimostaViewController() {
  removeObserver(weak_from_this());
}

void varimostaViewController::write(const std::string& line) {
  Output output;
  {
    std::lock_guard lock(hooks().mutex);
    output = hooks().output;
  }
  if (output) {
    output(line);
  } else {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  if (page_) showOnPage(line);
}

void varimostaViewController::showOnPage(const std::string& line) {
  page_->setText(page_->text().empty() ? line : page_->text() + "\n" + line);
  // As high as the lines, no higher than the view: the first lines stay on top.
  CGRect b = view()->bounds();
  CGFloat width = b.size.width - 16;
  CGFloat height = std::min(page_->sizeThatFits(CGSizeMake(width, 0)).height, b.size.height - 16);
  page_->setFrame(CGRectMake(8, 8, width, std::max<CGFloat>(0, height)));
}

void varimostaViewController::loadView() {
  UIViewController::loadView();
  auto v = view();
  v->setBackgroundColor(UIColor::whiteColor());
  // The lines written so far, from the top of the view, cut where the view ends.
  CGRect b = v->bounds();
  page_ = std::make_shared<UILabel>(CGRectMake(8, 8, b.size.width - 16, 0));
  page_->setFont(UIFont::systemFontOfSize(11));
  page_->setNumberOfLines(0);
  page_->setLineBreakMode(UILineBreakModeWordWrap);
  page_->setBackgroundColor(UIColor::clearColor());
  v->addSubview(page_);
  launcherView();
}

std::shared_ptr<ULLauncherView> varimostaViewController::launcherView() {
  if (!launcherView_) {
    // The grid covers the page of lines; the lines still go to the output.
    launcherView_ = std::make_shared<ULLauncherView>(CGRectMake(0, 5, 320, 455));
    launcherView_->setColumnCount(2);
    launcherView_->setBackgroundColor(UIColor::whiteColor());
    view()->addSubview(launcherView_);
  }
  return launcherView_;
}

void varimostaViewController::showTiles(const std::optional<ChannelItemPages>& pages) {
  ULLauncherPages tiles;
  if (pages) {
    for (const auto& page : *pages) {
      std::vector<ULLauncherItemPtr> row;
      for (const auto& item : page)
        if (item) row.push_back(CustomerLauncherItem::initWithChannelItem(item, false));
      if (!row.empty()) tiles.push_back(std::move(row));
    }
  }
  launcherView()->setPages(tiles);
}

void varimostaViewController::viewDidLoad() {
  auto weak = weakSelf<varimostaViewController>();
  addObserverWithSelector(
      weak,
      selector(weak, &varimostaViewController::registerClientCallBack, "registerClientCallBack:"),
      kRegisterClientCallBack);
  addObserverWithSelector(
      weak, selector(weak, &varimostaViewController::loginClientCallBack, "loginClientCallBack:"),
      kLoginClientCallBack);
  addObserverWithSelector(
      weak, selector(weak, &varimostaViewController::openClientCallBack, "openClientCallBack:"),
      kOpenClientCallBack);
}

void varimostaViewController::viewDidAppear(bool) {
  if (appeared_) return;
  appeared_ = true;
  keyAtStart_ = storedClientKey();
  // The key itself is a secret of the app: it is never printed.
  write(keyAtStart_.empty() ? "start-up: no client key stored yet"
                            : "start-up: a client key is stored");
  if (!Reachability::isConnectedToNetwork()) write("start-up: the network is not reachable");
}

void varimostaViewController::registerClientCallBack(const Value&) {
  std::string key = storedClientKey();
  if (!key.empty() && key != keyAtStart_) {
    write("start-up: registered with the content server, a new client key is stored");
    keyAtStart_ = key;
  }
  // Without network nothing else follows: show what the catalogue holds.
  if (!channelsShown_ && !Reachability::isConnectedToNetwork()) {
    write("start-up: offline, no login");
    showChannels();
  }
}

void varimostaViewController::loginClientCallBack(const Value&) {
  write(ClientRequest::engine()->loginGranted()
            ? "start-up: logged in"
            : "start-up: the login was refused or not answered");
  showChannels();
}

void varimostaViewController::openClientCallBack(const Value&) {
  write("start-up: session re-opened");
  showChannels();
}

void varimostaViewController::showChannels() {
  if (channelsShown_) return;
  channelsShown_ = true;
  auto pages = ChannelItem::userChannelItems();
  size_t count = 0;
  if (pages) {
    for (const auto& page : *pages) count += page.size();
  }
  write("channels (" + std::to_string(count) + "):");
  showTiles(pages);
  if (pages) {
    for (const auto& page : *pages) {
      for (const auto& item : page) {
        if (!item) continue;
        write("  " + std::to_string(item->type) + "  " + item->name);
        if (listsStatuses(*item)) candidates_.push_back(item);
      }
    }
  }
  if (!Reachability::isConnectedToNetwork()) {
    write("no page: the network is not reachable");
    firstPageDone(false);
    return;
  }
  requestNextPage();
}

void varimostaViewController::requestNextPage() {
  if (next_ >= candidates_.size()) {
    write("no channel has a page to show");
    firstPageDone(false);
    return;
  }
  asking_ = candidates_[next_++];
  auto weak = weakSelf<varimostaViewController>();
  postNotification(
      kGlobeRequest, Value::arrayOf({Value(std::to_string(asking_->type)), Value("1"), Value("0")}),
      RequestType::ChannelStatuses,
      selector(weak, &varimostaViewController::channelPageCallBack, "channelPageCallBack:"),
      weakSelf<NSObject>());
}

void varimostaViewController::channelPageCallBack(const Value& reply) {
  if (!asking_ || pageDone_) return;
  std::string text = reply.isString() ? std::string(reply.string()) : std::string();
  std::string title = "channel " + std::to_string(asking_->type) + " " + asking_->name;
  if (text.empty() || text == ServerResult::getErrorJsonString()) {
    write(title + ": the content server cannot be reached");
    firstPageDone(false);
    return;
  }
  auto info = ZizaJsonStatusParser::parseDicToNormalStatusesInfo(text);
  if (!info || !info->statuses || info->statuses->empty()) {
    auto result = ServerResult::resultWithJSONString(text);
    std::string why = result->resultMsg.isString() && !result->resultMsg.string().empty()
                          ? std::string(result->resultMsg.string())
                          : std::string("nothing to show");
    write(title + ": " + why);
    requestNextPage();
    return;
  }
  write(title + ", first page (" + std::to_string(info->statuses->size()) + " items):");
  for (const auto& status : *info->statuses) {
    if (!status) continue;
    std::string author = status->user
                             ? (!status->user->screenName.empty() ? status->user->screenName
                                                                  : status->user->username)
                             : std::string();
    write("  " + (author.empty() ? std::string("(unknown)") : author) + " · " +
          status->timestamp());
    write(indented(status->text, "    "));
  }
  firstPageDone(true);
}

void varimostaViewController::firstPageDone(bool shown) {
  if (pageDone_) return;
  pageDone_ = true;
  std::function<void(bool)> handler;
  {
    std::lock_guard lock(hooks().mutex);
    handler = hooks().firstPage;
  }
  if (handler) handler(shown);
}

NS_CLASS_IMPLEMENTATION(varimostaViewController) {}
