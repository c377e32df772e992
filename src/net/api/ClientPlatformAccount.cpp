#include "net/api/ClientPlatformAccount.h"

namespace {

std::shared_ptr<ClientPlatformAccount>& slot() {
  static std::shared_ptr<ClientPlatformAccount> account;
  return account;
}

}  // namespace

std::shared_ptr<ClientPlatformAccount> ClientPlatformAccount::current() {
  return slot();
}

void ClientPlatformAccount::setCurrent(std::shared_ptr<ClientPlatformAccount> account) {
  slot() = std::move(account);
}
