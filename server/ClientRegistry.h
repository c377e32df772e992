// The clients the local content server has registered, each with the key it was issued.  Kept
// in memory and, when a file is given, saved there after every change so that an app keeps its
// key across server restarts.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zept::server {

struct RegisteredClient {
  std::string key;
  // The registration's form fields ("imsi", "model", "vid", "macaddress", "screensize" ...).
  std::map<std::string, std::string> registration;
  std::string pushToken;   // from "/Accounts/EnablePush.aspx"
  std::string boundUid;    // from "/Accounts/Bind.aspx"
  std::string boundToken;  // the platform token that came with the binding
  int logins = 0;
  int sessions = 0;
};

class ClientRegistry {
 public:
  // The key the app sends while it holds none of its own; it may read but owns no state.
  static constexpr std::string_view kFallbackKey = "K37QWP2M9XD4HB8N5";

  // Loads the file when it exists; throws std::runtime_error when it cannot be read.
  explicit ClientRegistry(std::filesystem::path file = {});

  // Registers a client under a new key (or the given one) and returns the key.
  std::string add(std::map<std::string, std::string> registration, std::string key = {});
  std::optional<RegisteredClient> find(std::string_view key) const;
  std::vector<RegisteredClient> all() const;
  // Changes a stored client; false when the key is unknown.
  bool update(std::string_view key, const std::function<void(RegisteredClient&)>& change);

 private:
  void save() const;  // with mutex_ held
  std::string newKey();

  mutable std::mutex mutex_;
  std::filesystem::path file_;
  std::map<std::string, RegisteredClient, std::less<>> clients_;
  unsigned long long counter_ = 0;
};

}  // namespace zept::server
