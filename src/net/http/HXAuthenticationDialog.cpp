#include "net/http/HXAuthenticationDialog.h"

#include <algorithm>
#include <vector>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UITableViewCell.h"
#include "UIKit/UITextField.h"
#include "UIKit/UIWindow.h"
#include "net/http/HXHTTPRequest.h"

namespace {

// Main thread only.
std::shared_ptr<HXAuthenticationDialog>& current() {
  static auto* dialog = new std::shared_ptr<HXAuthenticationDialog>;
  return *dialog;
}

std::vector<std::shared_ptr<HXHTTPRequest>>& waiting() {
  static auto* list = new std::vector<std::shared_ptr<HXHTTPRequest>>;
  return *list;
}

HXAuthenticationDialog::Type typeFor(const HXHTTPRequest& request) {
  return request.authenticationNeeded() == 2 ? HXAuthenticationDialog::ProxyCredentials
                                             : HXAuthenticationDialog::ServerCredentials;
}

// Who asks: the proxy's host and port, or the server's.
std::string askingHost(const HXHTTPRequest& r, HXAuthenticationDialog::Type type) {
  if (type == HXAuthenticationDialog::ProxyCredentials) return r.proxyHost();
  auto url = r.url();
  return url ? url->host().value_or("") : std::string();
}

std::optional<int> askingPort(const HXHTTPRequest& r, HXAuthenticationDialog::Type type) {
  if (type == HXAuthenticationDialog::ProxyCredentials) return r.proxyPort();
  auto url = r.url();
  return url ? url->port() : std::nullopt;
}

std::string urlScheme(const HXHTTPRequest& r) {
  auto url = r.url();
  return url ? lowercaseASCIIString(url->scheme().value_or("")) : std::string();
}

const std::string& realmOf(const HXHTTPRequest& r, HXAuthenticationDialog::Type type) {
  return type == HXAuthenticationDialog::ProxyCredentials ? r.proxyAuthenticationRealm()
                                                          : r.authenticationRealm();
}

const std::string& schemeOf(const HXHTTPRequest& r, HXAuthenticationDialog::Type type) {
  return type == HXAuthenticationDialog::ProxyCredentials ? r.proxyAuthenticationScheme()
                                                          : r.authenticationScheme();
}

bool isPad() {
  return UIDevice::currentDevice()->userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
}

void presentNextWaitingRequest() {
  if (current() || waiting().empty()) return;
  auto next = waiting().front();
  waiting().erase(waiting().begin());
  auto dialog = std::make_shared<HXAuthenticationDialog>(next);
  current() = dialog;
  dialog->show();
}

}  // namespace

void HXAuthenticationDialog::presentAuthenticationDialogForRequest(
    const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  if (current()) {
    waiting().push_back(request);
    return;
  }
  auto dialog = std::make_shared<HXAuthenticationDialog>(request);
  current() = dialog;
  dialog->show();
}

std::shared_ptr<HXAuthenticationDialog> HXAuthenticationDialog::currentDialog() {
  return current();
}

HXAuthenticationDialog::HXAuthenticationDialog(std::shared_ptr<HXHTTPRequest> request)
    : request_(std::move(request)), type_(typeFor(*request_)) {}

HXAuthenticationDialog::~HXAuthenticationDialog() {
  NSNotificationCenter::defaultCenter()->removeObserver(weak_from_this());
  if (presentingController_ && presentingController_->isViewLoaded())
    presentingController_->view()->removeFromSuperview();
}

std::shared_ptr<HXAutorotatingViewController> HXAuthenticationDialog::presentingController() {
  if (!presentingController_) {
    presentingController_ = std::make_shared<HXAutorotatingViewController>();
    auto view = presentingController_->view();
    view->setFrame(CGRectZero);
    view->setUserInteractionEnabled(false);
    auto windows = UIApplication::sharedApplication()->windows();
    if (!windows.empty()) windows.front()->addSubview(view);
  }
  return presentingController_;
}

bool HXAuthenticationDialog::isNTLM() const {
  return schemeOf(*request_, type_) == kCFHTTPAuthenticationSchemeNTLM;
}

std::string HXAuthenticationDialog::showTitle() const {
  auto orientation = UIApplication::sharedApplication()->statusBarOrientation();
  if (orientation != UIInterfaceOrientation::Portrait &&
      orientation != UIInterfaceOrientation::PortraitUpsideDown)
    return {};
  return type_ == ProxyCredentials ? "Login to this secure proxy server."
                                   : "Login to this secure server.";
}

std::shared_ptr<UITextField> HXAuthenticationDialog::textFieldAt(const NSIndexPath& p) const {
  size_t index = p.section == 0 ? size_t(p.row) : 2;
  if (p.row < 0 || (p.section == 0 && p.row > 1) || (p.section == 1 && (p.row != 0 || !isNTLM())) ||
      p.section > 1 || index >= fields_.size())
    return nullptr;
  return fields_[index];
}

void HXAuthenticationDialog::show() {
  auto self = std::static_pointer_cast<HXAuthenticationDialog>(shared_from_this());
  std::weak_ptr<HXAuthenticationDialog> weak = self;
  NSNotificationCenter::defaultCenter()->addObserver(
      weak, selector(weak, &HXAuthenticationDialog::keyboardWillShow, "keyboardWillShow:"),
      UIKeyboardWillShowNotification, Value());

  auto root = view();
  if (!root->subviews().empty()) root->subviews().back()->removeFromSuperview();
  CGRect bounds = root->bounds();
  std::string prompt = showTitle();
  // A bar with a prompt is taller, the prompt standing above the title.
  CGFloat promptHeight = prompt.empty() ? 0 : 30;
  CGFloat barHeight = UINavigationBar::kHeight + promptHeight;
  bar_ = std::make_shared<UINavigationBar>(CGRectMake(0, 0, bounds.size.width, barHeight));
  if (!prompt.empty()) {
    auto promptLabel = std::make_shared<UILabel>(CGRectMake(0, 0, bounds.size.width, promptHeight));
    promptLabel->setText(prompt);
    promptLabel->setTextAlignment(UITextAlignmentCenter);
    bar_->addSubview(promptLabel);
  }
  auto title = std::make_shared<UILabel>(
      CGRectMake(80, promptHeight, bounds.size.width - 160, UINavigationBar::kHeight));
  title->setText(askingHost(*request_, type_));
  title->setTextAlignment(UITextAlignmentCenter);
  bar_->addSubview(title);
  auto cancel = UIButton::buttonWithType(UIButtonType::Custom);
  cancel->setFrame(CGRectMake(5, promptHeight + 7, 70, 30));
  cancel->setTitle("Cancel", UIControlStateNormal);
  cancel->addTarget(selector(weak, &HXAuthenticationDialog::cancelAuthenticationFromDialog,
                             "cancelAuthenticationFromDialog:"),
                    UIControlEventTouchUpInside);
  bar_->addSubview(cancel);
  auto login = UIButton::buttonWithType(UIButtonType::Custom);
  login->setFrame(CGRectMake(bounds.size.width - 75, promptHeight + 7, 70, 30));
  login->setTitle("Login", UIControlStateNormal);
  login->addTarget(selector(weak, &HXAuthenticationDialog::loginWithCredentialsFromDialog,
                            "loginWithCredentialsFromDialog:"),
                   UIControlEventTouchUpInside);
  bar_->addSubview(login);
  root->addSubview(bar_);

  fields_.clear();
  for (const char* placeholder : {"User", "Password", "Domain"}) {
    auto field = std::make_shared<UITextField>(CGRectZero);
    field->setPlaceholder(placeholder);
    field->traits().autocapitalizationType = UITextAutocapitalizationType::None;
    field->traits().autocorrectionType = UITextAutocorrectionType::No;
    field->setSecureTextEntry(std::string_view(placeholder) == "Password");
    fields_.push_back(std::move(field));
  }
  tableView_ = std::make_shared<UITableView>(
      CGRectMake(0, barHeight, bounds.size.width, bounds.size.height - barHeight),
      UITableViewStyle::Grouped);
  tableView_->setDataSource(std::weak_ptr<UITableViewDataSource>(self));
  tableView_->setDelegate(std::weak_ptr<UITableViewDelegate>(self));
  root->addSubview(tableView_);
  tableView_->reloadData();
  fields_[0]->becomeFirstResponder();

  presentingController()->presentModalViewController(self, true);
}

long HXAuthenticationDialog::numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) {
  return isNTLM() ? 2 : 1;
}

long HXAuthenticationDialog::tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&,
                                                            long section) {
  return section == 0 ? 2 : 1;
}

std::shared_ptr<UITableViewCell> HXAuthenticationDialog::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) {
  // Few rows, each with a field of its own: no reuse.
  auto cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "");
  if (auto field = textFieldAt(indexPath)) {
    field->setFrame(CGRectInset(cell->contentView()->bounds(), 10, 10));
    cell->contentView()->addSubview(field);
  }
  return cell;
}

std::string HXAuthenticationDialog::tableViewTitleForHeaderInSection(
    const std::shared_ptr<UITableView>&, long section) {
  return section == 0 ? realmOf(*request_, type_) : std::string();
}

std::string HXAuthenticationDialog::tableViewTitleForFooterInSection(
    const std::shared_ptr<UITableView>& table, long section) {
  if (section != numberOfSectionsInTableView(table) - 1) return {};
  bool clear = schemeOf(*request_, type_) == kCFHTTPAuthenticationSchemeBasic &&
               urlScheme(*request_) != "https";
  return clear ? "Password will be sent in the clear." : "Password will be sent securely.";
}

CGFloat HXAuthenticationDialog::tableViewHeightForHeaderInSection(
    const std::shared_ptr<UITableView>&, long section) {
  if (section != 0) return -1;
  return isPad() ? 54 : 30;
}

CGFloat HXAuthenticationDialog::tableViewHeightForFooterInSection(
    const std::shared_ptr<UITableView>& table, long section) {
  return section == numberOfSectionsInTableView(table) - 1 ? 30 : -1;
}

void HXAuthenticationDialog::keyboardWillShow(const Value& notification) {
  if (isPad() || !tableView_) return;
  const Value& n = notification;
  Value info = n.isObject() ? Value() : n;
  if (auto note = n.isObject() ? std::dynamic_pointer_cast<NSNotification>(n.object()) : nullptr)
    info = note->userInfo();
  CGFloat height = CGRectValue(info[UIKeyboardFrameEndUserInfoKey]).size.height;
  UIEdgeInsets insets = tableView_->contentInset();
  insets.bottom = height;
  tableView_->setContentInset(insets);
  UIEdgeInsets indicators = tableView_->scrollIndicatorInsets();
  indicators.bottom = height;
  tableView_->setScrollIndicatorInsets(indicators);
}

std::vector<std::shared_ptr<HXHTTPRequest>>
HXAuthenticationDialog::takeRequestsNeedingTheseCredentials() {
  std::vector<std::shared_ptr<HXHTTPRequest>> answered;
  const HXHTTPRequest& own = *request_;
  auto& list = waiting();
  for (auto it = list.begin(); it != list.end();) {
    const HXHTTPRequest& r = **it;
    bool same = typeFor(r) == type_ && askingHost(r, type_) == askingHost(own, type_) &&
                askingPort(r, type_) == askingPort(own, type_) && urlScheme(r) == urlScheme(own) &&
                realmOf(r, type_) == realmOf(own, type_);
    if (same) {
      answered.push_back(*it);
      it = list.erase(it);
    } else {
      ++it;
    }
  }
  answered.push_back(request_);
  return answered;
}

void HXAuthenticationDialog::loginWithCredentialsFromDialog(const Value&) {
  auto text = [&](size_t i) { return i < fields_.size() ? fields_[i]->text() : std::string(); };
  for (auto& r : takeRequestsNeedingTheseCredentials()) {
    if (type_ == ProxyCredentials) {
      r->setProxyUsername(text(0));
      r->setProxyPassword(text(1));
      if (isNTLM()) r->setProxyDomain(text(2));
    } else {
      r->setUsername(text(0));
      r->setPassword(text(1));
      if (isNTLM()) r->setDomain(text(2));
    }
    r->retryUsingSuppliedCredentials();
  }
  dismiss();
}

void HXAuthenticationDialog::cancelAuthenticationFromDialog(const Value&) {
  for (auto& r : takeRequestsNeedingTheseCredentials()) r->cancelAuthentication();
  dismiss();
}

void HXAuthenticationDialog::dismiss() {
  for (auto& field : fields_) field->resignFirstResponder();
  presentingController()->dismissModalViewControllerAnimated(true);
}

void HXAuthenticationDialog::viewDidDisappear(bool) {
  if (current().get() != this) return;
  // Kept until the next turn: this call comes from the sheet itself.
  auto gone = current();
  current().reset();
  performAfterDelay(
      [gone] {
        if (gone->presentingController_ && gone->presentingController_->isViewLoaded())
          gone->presentingController_->view()->removeFromSuperview();
        presentNextWaitingRequest();
      },
      0);
}
