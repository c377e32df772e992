#include "net/http/HXAuthenticationDialog.h"

#include <algorithm>
#include <vector>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UITextField.h"
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

std::string HXAuthenticationDialog::showTitle() const {
  // The prompt stands above the fields in the portrait orientations only.
  auto orientation = UIApplication::sharedApplication()->statusBarOrientation();
  if (orientation != UIInterfaceOrientation::Portrait &&
      orientation != UIInterfaceOrientation::PortraitUpsideDown)
    return {};
  return type_ == ProxyCredentials ? "Login to this secure proxy server."
                                   : "Login to this secure server.";
}

void HXAuthenticationDialog::show() {
  std::string message = showTitle();
  auto addLine = [&](const std::string& line) {
    if (line.empty()) return;
    if (!message.empty()) message += "\n";
    message += line;
  };
  addLine(realmOf(*request_, type_));
  bool clear = schemeOf(*request_, type_) == kCFHTTPAuthenticationSchemeBasic &&
               urlScheme(*request_) != "https";
  addLine(clear ? "Password will be sent in the clear." : "Password will be sent securely.");

  std::weak_ptr<UIAlertViewDelegate> self =
      std::static_pointer_cast<HXAuthenticationDialog>(shared_from_this());
  alert_ = std::make_shared<UIAlertView>(askingHost(*request_, type_), message, self, "Cancel",
                                         std::vector<std::string>{"Login"});
  alert_->setAlertViewStyle(UIAlertViewStyle::LoginAndPasswordInput);
  alert_->textFieldAtIndex(0)->setPlaceholder("User");
  alert_->textFieldAtIndex(1)->setPlaceholder("Password");
  alert_->show();
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

void HXAuthenticationDialog::loginWithCredentialsFromDialog() {
  std::string user = alert_ ? alert_->textFieldAtIndex(0)->text() : std::string();
  std::string password = alert_ ? alert_->textFieldAtIndex(1)->text() : std::string();
  for (auto& r : takeRequestsNeedingTheseCredentials()) {
    if (type_ == ProxyCredentials) {
      r->setProxyUsername(user);
      r->setProxyPassword(password);
    } else {
      r->setUsername(user);
      r->setPassword(password);
    }
    r->retryUsingSuppliedCredentials();
  }
  dismiss(alert_ ? alert_->firstOtherButtonIndex() : -1);
}

void HXAuthenticationDialog::cancelAuthenticationFromDialog() {
  for (auto& r : takeRequestsNeedingTheseCredentials()) r->cancelAuthentication();
  dismiss(alert_ ? alert_->cancelButtonIndex() : -1);
}

void HXAuthenticationDialog::dismiss(long buttonIndex) {
  if (alert_ && alert_->isVisible()) alert_->dismissWithClickedButtonIndex(buttonIndex, true);
}

void HXAuthenticationDialog::alertViewClickedButtonAtIndex(const std::shared_ptr<UIAlertView>&,
                                                           long buttonIndex) {
  if (buttonIndex == alert_->cancelButtonIndex())
    cancelAuthenticationFromDialog();
  else
    loginWithCredentialsFromDialog();
}

void HXAuthenticationDialog::alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>&,
                                                                long) {
  if (current().get() != this) return;
  current().reset();
  // The next dialog comes once this one is gone.
  performAfterDelay([] { presentNextWaitingRequest(); }, 0);
}
