#include "server/ClientRegistry.h"

#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace zept::server {

using Json = nlohmann::ordered_json;

ClientRegistry::ClientRegistry(std::filesystem::path file) : file_(std::move(file)) {
  std::random_device rd;
  counter_ = (static_cast<unsigned long long>(rd()) << 32) ^ rd();
  if (file_.empty() || !std::filesystem::exists(file_)) return;
  std::ifstream in(file_, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  try {
    Json j = Json::parse(ss.str());
    for (auto& c : j.at("clients")) {
      RegisteredClient rc;
      rc.key = c.at("key").get<std::string>();
      if (auto r = c.find("registration"); r != c.end() && r->is_object()) {
        for (auto& [k, v] : r->items()) rc.registration[k] = v.get<std::string>();
      }
      rc.pushToken = c.value("pushToken", "");
      rc.boundUid = c.value("boundUid", "");
      rc.boundToken = c.value("boundToken", "");
      rc.logins = c.value("logins", 0);
      rc.sessions = c.value("sessions", 0);
      clients_[rc.key] = rc;
    }
  } catch (const std::exception& e) {
    throw std::runtime_error(file_.string() + ": " + e.what());
  }
}

std::string ClientRegistry::newKey() {
  // 17 upper-case letters and digits, like the keys the app knows.
  static constexpr char kChars[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  std::string key;
  do {
    unsigned long long v = counter_ = counter_ * 6364136223846793005ULL + 1442695040888963407ULL;
    key = "Z";
    for (int i = 0; i < 16; ++i) {
      key += kChars[v % 32];
      v = (v >> 5) | (v << 59);
    }
  } while (clients_.count(key) || key == kFallbackKey);
  return key;
}

std::string ClientRegistry::add(std::map<std::string, std::string> registration, std::string key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (key.empty()) key = newKey();
  RegisteredClient& c = clients_[key];
  c.key = key;
  c.registration = std::move(registration);
  save();
  return key;
}

std::optional<RegisteredClient> ClientRegistry::find(std::string_view key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = clients_.find(key);
  if (it == clients_.end()) return std::nullopt;
  return it->second;
}

std::vector<RegisteredClient> ClientRegistry::all() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<RegisteredClient> out;
  for (auto& [k, c] : clients_) out.push_back(c);
  return out;
}

bool ClientRegistry::update(std::string_view key,
                            const std::function<void(RegisteredClient&)>& change) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = clients_.find(key);
  if (it == clients_.end()) return false;
  change(it->second);
  save();
  return true;
}

void ClientRegistry::save() const {
  if (file_.empty()) return;
  Json j;
  j["clients"] = Json::array();
  for (auto& [k, c] : clients_) {
    Json e;
    e["key"] = c.key;
    e["registration"] = Json::object();
    for (auto& [rk, rv] : c.registration) e["registration"][rk] = rv;
    e["pushToken"] = c.pushToken;
    e["boundUid"] = c.boundUid;
    e["boundToken"] = c.boundToken;
    e["logins"] = c.logins;
    e["sessions"] = c.sessions;
    j["clients"].push_back(e);
  }
  // Written beside the target and renamed, so a crash never leaves half a file.
  std::filesystem::path tmp = file_;
  tmp += ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << j.dump(2) << '\n';
    if (!out) return;
  }
  std::error_code ec;
  std::filesystem::rename(tmp, file_, ec);
}

}  // namespace zept::server
