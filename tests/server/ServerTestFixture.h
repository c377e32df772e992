// A content server on a free loopback port and a plain HTTP client for it.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>

#include "server/ContentServer.h"

namespace zept::server::testing {

using Json = nlohmann::ordered_json;
using Params = std::initializer_list<std::pair<std::string, std::string>>;

// The protocol version the app sends as "std".
inline constexpr const char* kStd = "2.0";
inline constexpr const char* kFallbackKey = "K37QWP2M9XD4HB8N5";

// "a=1&b=2" with the values percent-escaped.
std::string query(Params params);

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // GET path?query; the result of the client (check it before use).
  httplib::Result get(const std::string& path, Params params = {},
                      const httplib::Headers& headers = {});
  // POST with the given query and a URL-encoded form, as the app's own sends do.
  httplib::Result post(const std::string& path, Params queryParams, Params form);
  // A JSON reply of status 200; fails the test otherwise.
  Json getJSON(const std::string& path, Params params = {});
  Json postJSON(const std::string& path, Params queryParams, Params form);
  // Registers a client through the endpoint and returns its key.
  std::string registerClient();

  ContentServer server;
  std::unique_ptr<httplib::Client> client;
};

}  // namespace zept::server::testing
