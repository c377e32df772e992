#include "ServerTestFixture.h"

#include <cstdio>

namespace zept::server::testing {

std::string query(Params params) {
  std::string out;
  for (auto& [k, v] : params) {
    if (!out.empty()) out += '&';
    out += k + '=';
    for (unsigned char c : v) {
      if (std::isalnum(c) || c == '-' || c == '.' || c == '_') {
        out += char(c);
      } else {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%%%02X", c);
        out += buf;
      }
    }
  }
  return out;
}

void ServerTest::SetUp() {
  server.start();
  client = std::make_unique<httplib::Client>("127.0.0.1", server.port());
  client->set_read_timeout(20);
  client->set_connection_timeout(20);
}

void ServerTest::TearDown() {
  client.reset();
  server.stop();
}

httplib::Result ServerTest::get(const std::string& path, Params params,
                                const httplib::Headers& headers) {
  std::string target = path;
  std::string q = query(params);
  if (!q.empty()) target += "?" + q;
  return client->Get(target.c_str(), headers);
}

httplib::Result ServerTest::post(const std::string& path, Params queryParams, Params form) {
  std::string target = path;
  std::string q = query(queryParams);
  if (!q.empty()) target += "?" + q;
  return client->Post(target.c_str(), query(form), "application/x-www-form-urlencoded");
}

Json ServerTest::getJSON(const std::string& path, Params params) {
  auto r = get(path, params);
  if (!r) {
    ADD_FAILURE() << path << ": no reply";
    return Json();
  }
  EXPECT_EQ(200, r->status) << path;
  return Json::parse(r->body);
}

Json ServerTest::postJSON(const std::string& path, Params queryParams, Params form) {
  auto r = post(path, queryParams, form);
  if (!r) {
    ADD_FAILURE() << path << ": no reply";
    return Json();
  }
  EXPECT_EQ(200, r->status) << path;
  return Json::parse(r->body);
}

std::string ServerTest::registerClient() {
  Json reply = postJSON("/Accounts/Register.aspx", {{"std", kStd}},
                        {{"imsi", "9"}, {"mfg", "QX001"}, {"model", "iPhone4"}, {"vid", "V-1"}});
  return reply.value("ResultObj", "");
}

}  // namespace zept::server::testing
