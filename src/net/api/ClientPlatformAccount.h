// What the server clients need of the bound microblog platform account: whether one is bound
// and usable, and the login that binds one.  The dispatcher, which owns the platform client,
// installs it; until then no account counts as bound.  Main thread.
#pragma once

#include <memory>
#include <string>

class ClientPlatformAccount {
 public:
  virtual ~ClientPlatformAccount() = default;

  virtual bool isLoggedIn() = 0;
  virtual bool isAuthorizeExpired() = 0;
  // The binding has run out (the bind prompt then asks to bind again).
  virtual bool isAccountTimeOut() = 0;
  // Starts the platform login with the content-server client as its delegate.
  virtual void logIn() = 0;

  // ---- what registration, binding and the reading endpoints read (defaults: no account)
  virtual void logOut() {}
  // The bound account's user id; empty when none.
  virtual std::string userID() { return {}; }
  // The account was bound through the platform's own app.
  virtual bool isBindBySso() { return false; }
  // The first binding through the platform's app (asks to follow the service's account).
  virtual bool isSSOBindOkFirst() { return false; }
  // The login dialog's switch asked to follow the service's own account.
  virtual bool needAttend() { return false; }

  // ---- what the application delegate uses (defaults: no account)
  virtual void deleteAccountDataInKeychain() {}
  // The account's access token; empty when none.
  virtual std::string accessToken() { return {}; }
  // Takes the reply of the platform app's single sign-on; false for any other URL.
  virtual bool handleOpenURL(const std::string& /*url*/) { return false; }
  virtual void applicationDidBecomeActive() {}

  static std::shared_ptr<ClientPlatformAccount> current();
  static void setCurrent(std::shared_ptr<ClientPlatformAccount> account);
};
