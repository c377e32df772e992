// The engine's own credentials sheet: asks the user for a user name, a password and, for
// NTLM, a domain, when a server (401) or a proxy (407) wants credentials and nobody else
// supplies them.  A navigation bar titled with the host (with "Cancel" and "Login") above a
// grouped table of text fields headed by the realm and footed by whether the password
// travels in the clear; presented modally from an invisible controller in the application's
// first window.  "Login" retries the request with what was typed, "Cancel" fails it with
// HXAuthenticationErrorType.
//
// One sheet at a time in the process: requests that need credentials while one is shown wait
// in a queue.  A Login or a Cancel answers every waiting request that needs the same
// credentials (the same kind of challenge, host, port, URL scheme and realm) together with the
// sheet's own; once the sheet has disappeared, the next waiting request gets a sheet of its
// own on the next turn of the main loop.  Main thread only.
//
// The platform stand-in sends no device orientation changes: the prompt follows the status
// bar's orientation when the sheet is shown.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UITableView.h"
#include "net/http/HXAutorotatingViewController.h"

class HXHTTPRequest;
class UILabel;
class UINavigationBar;
class UITextField;

class HXAuthenticationDialog : public HXAutorotatingViewController,
                               public UITableViewDataSource,
                               public UITableViewDelegate {
 public:
  enum Type { ServerCredentials = 0, ProxyCredentials = 1 };

  static void presentAuthenticationDialogForRequest(const std::shared_ptr<HXHTTPRequest>& request);
  // The sheet shown now; nullptr when none is.
  static std::shared_ptr<HXAuthenticationDialog> currentDialog();

  explicit HXAuthenticationDialog(std::shared_ptr<HXHTTPRequest> request);
  ~HXAuthenticationDialog() override;

  const std::shared_ptr<HXHTTPRequest>& request() const { return request_; }
  Type type() const { return type_; }
  const std::shared_ptr<UITableView>& tableView() const { return tableView_; }
  const std::shared_ptr<UINavigationBar>& navigationBar() const { return bar_; }
  // Row 0 "User", row 1 "Password", and in the second section (NTLM only) "Domain".
  std::shared_ptr<UITextField> textFieldAt(const NSIndexPath& indexPath) const;

  void show();
  void loginWithCredentialsFromDialog(const Value& sender = {});
  void cancelAuthenticationFromDialog(const Value& sender = {});
  void keyboardWillShow(const Value& notification);

  void viewDidDisappear(bool animated) override;

  // UITableViewDataSource, UITableViewDelegate
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override;
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long section) override;
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) override;
  std::string tableViewTitleForHeaderInSection(const std::shared_ptr<UITableView>&,
                                               long section) override;
  std::string tableViewTitleForFooterInSection(const std::shared_ptr<UITableView>&,
                                               long section) override;
  CGFloat tableViewHeightForHeaderInSection(const std::shared_ptr<UITableView>&,
                                            long section) override;
  CGFloat tableViewHeightForFooterInSection(const std::shared_ptr<UITableView>&,
                                            long section) override;

 private:
  // The requests the typed credentials answer: the waiting ones that need the same
  // credentials, then the sheet's own.  Taken off the waiting list.
  std::vector<std::shared_ptr<HXHTTPRequest>> takeRequestsNeedingTheseCredentials();
  // The prompt of the portrait orientations; empty in landscape.
  std::string showTitle() const;
  bool isNTLM() const;
  std::shared_ptr<HXAutorotatingViewController> presentingController();
  void dismiss();

  std::shared_ptr<HXHTTPRequest> request_;
  Type type_ = ServerCredentials;
  std::shared_ptr<UITableView> tableView_;
  std::shared_ptr<UINavigationBar> bar_;
  std::vector<std::shared_ptr<UITextField>> fields_;  // user, password, domain
  std::shared_ptr<HXAutorotatingViewController> presentingController_;
};
