// The engine's own credentials dialog: asks the user for a user name and a password when a
// server (401) or a proxy (407) wants credentials and nobody else supplies them.  It is an
// alert with a login and a password field, titled with the host, that says which kind of
// server asks, names the realm and whether the password travels in the clear; "Login" retries
// the request with what was typed, "Cancel" fails it with HXAuthenticationErrorType.
//
// One dialog at a time in the process: requests that need credentials while one is shown wait
// in a queue.  A Login or a Cancel answers every waiting request that needs the same
// credentials (the same kind of challenge, host, port, URL scheme and realm) together with the
// dialog's own; once the dialog is gone, the next waiting request gets a dialog of its own on
// the next turn of the main loop.  Main thread only.
//
// NTLM, the one scheme with an account domain, cannot be answered on this machine, so the
// dialog has no domain field: what it sends for NTLM is refused when applied.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UIAlertView.h"
#include "net/http/HXAutorotatingViewController.h"

class HXHTTPRequest;

class HXAuthenticationDialog : public HXAutorotatingViewController, public UIAlertViewDelegate {
 public:
  enum Type { ServerCredentials = 0, ProxyCredentials = 1 };

  static void presentAuthenticationDialogForRequest(const std::shared_ptr<HXHTTPRequest>& request);
  // The dialog shown now; nullptr when none is.
  static std::shared_ptr<HXAuthenticationDialog> currentDialog();

  explicit HXAuthenticationDialog(std::shared_ptr<HXHTTPRequest> request);

  const std::shared_ptr<HXHTTPRequest>& request() const { return request_; }
  Type type() const { return type_; }
  const std::shared_ptr<UIAlertView>& alertView() const { return alert_; }

  void show();
  void loginWithCredentialsFromDialog();
  void cancelAuthenticationFromDialog();

  // UIAlertViewDelegate
  void alertViewClickedButtonAtIndex(const std::shared_ptr<UIAlertView>& alertView,
                                     long buttonIndex) override;
  void alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& alertView,
                                          long buttonIndex) override;

 private:
  // The requests the typed credentials answer: the waiting ones that need the same
  // credentials, then the dialog's own.  Taken off the waiting list.
  std::vector<std::shared_ptr<HXHTTPRequest>> takeRequestsNeedingTheseCredentials();
  std::string showTitle() const;
  void dismiss(long buttonIndex);

  std::shared_ptr<HXHTTPRequest> request_;
  Type type_ = ServerCredentials;
  std::shared_ptr<UIAlertView> alert_;
};
