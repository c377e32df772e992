// Scripting (fail, delay, silence, given replies), the request log, the log host's uploads, the
// app's cipher, and the server run as a process.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <set>
#include <thread>

#include "ServerTestFixture.h"
#include "server/ServerCipher.h"

extern char** environ;

namespace zept::server::testing {
namespace {

using namespace std::chrono_literals;

class ServerControlTest : public ServerTest {};

TEST_F(ServerControlTest, ScriptedRepliesApplyForTheirCountThenTheNormalReplyReturns) {
  const std::string path = "/Accounts/Register.aspx";
  server.script("/accounts/REGISTER.aspx", EndpointScript::failWith(503, "busy").forRequests(2));
  server.script(path, EndpointScript::replyWith("{\"ResultBoolean\":\"NO\"}").forRequests(1));
  for (int i = 0; i < 2; ++i) {
    auto r = post(path, {{"std", kStd}}, {{"imsi", "9"}});
    ASSERT_TRUE(r);
    EXPECT_EQ(503, r->status);
    EXPECT_EQ("busy", r->body);
  }
  auto given = post(path, {{"std", kStd}}, {{"imsi", "9"}});
  ASSERT_TRUE(given);
  EXPECT_EQ("{\"ResultBoolean\":\"NO\"}", given->body);
  EXPECT_EQ(true, postJSON(path, {{"std", kStd}}, {{"imsi", "9"}})["ResultBoolean"]);
  EXPECT_EQ(1u, server.clients().size()) << "scripted replies register nobody";

  // "*" covers every path without a script of its own, until cleared.
  server.script("*", EndpointScript::failWith(500));
  server.script("/lookup", EndpointScript::replyWith("[]", 200, "text/plain"));
  auto any = get("/Channels/Channel.aspx");
  ASSERT_TRUE(any);
  EXPECT_EQ(500, any->status);
  EXPECT_EQ("[]", get("/lookup")->body);
  server.clearScripts();
  EXPECT_EQ(1, getJSON("/lookup", {{"id", "586471234"}})["resultCount"]);
  auto statuses = server.requests(path);
  ASSERT_EQ(4u, statuses.size());
  EXPECT_EQ(503, statuses[0].status);
  EXPECT_EQ(200, statuses[3].status);
}

// The whole reply to a GET as it comes off the connection.
std::string rawGet(int port, const std::string& target) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(uint16_t(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return {};
  }
  std::string request =
      "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  EXPECT_EQ(write(fd, request.data(), request.size()), ssize_t(request.size()));
  std::string reply;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) reply.append(buf, size_t(n));
  close(fd);
  return reply;
}

TEST_F(ServerControlTest, AChosenPathAnswersAsToAClientOverItsLimit) {
  server.script("/Channels/Channel.aspx", EndpointScript::overLimit());
  std::string reply =
      rawGet(server.port(), "/Channels/Channel.aspx?std=2.0&keys=" + std::string(kFallbackKey) +
                                "&channel_id=101");
  ASSERT_EQ(reply.rfind("HTTP/1.1 40302 ", 0), 0u) << reply;
  EXPECT_NE(reply.find("Content-Type: application/json; charset=utf-8\r\n"), std::string::npos);
  Json body = Json::parse(reply.substr(reply.find("\r\n\r\n") + 4));
  EXPECT_EQ(body["ResultBoolean"], false);
  EXPECT_EQ(body["ResultCode"], 40302);
  EXPECT_EQ(body["ResultMsg"], EndpointScript::kOverLimitMessage);
  EXPECT_EQ(server.requests("/Channels/Channel.aspx").back().status, 40302);
  // Other paths answer as ever.
  EXPECT_EQ(rawGet(server.port(), "/lookup?id=586471234").rfind("HTTP/1.1 200 ", 0), 0u);
}

TEST_F(ServerControlTest, DelayedRepliesComeAfterTheDelay) {
  server.script("/lookup", EndpointScript::delayed(300ms).forRequests(1));
  auto start = std::chrono::steady_clock::now();
  auto r = get("/lookup", {{"id", "586471234"}});
  auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(r);
  EXPECT_EQ(200, r->status);
  EXPECT_EQ(1, Json::parse(r->body)["resultCount"]);
  EXPECT_GE(elapsed, 300ms);
  // A failure can be delayed too.
  server.script("/lookup", EndpointScript::failWith(502).after(100ms));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(502, get("/lookup")->status);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
}

TEST_F(ServerControlTest, SilentEndpointsHoldTheConnectionUntilReleasedThenDropIt) {
  server.script("/Accounts/Login.aspx", EndpointScript::goSilent());
  auto pending = std::async(std::launch::async, [&] {
    httplib::Client c("127.0.0.1", server.port());
    c.set_read_timeout(60);
    return c.Get("/Accounts/Login.aspx?std=2.0");
  });
  ASSERT_TRUE(server.waitForRequests("/accounts/login.aspx", 1));
  // Other endpoints keep answering meanwhile.
  EXPECT_EQ(200, get("/lookup", {{"id", "1"}})->status);
  EXPECT_EQ(std::future_status::timeout, pending.wait_for(200ms));
  server.releaseSilent();
  ASSERT_EQ(std::future_status::ready, pending.wait_for(20s));
  auto r = pending.get();
  EXPECT_FALSE(r) << "the connection closes without a reply";
  EXPECT_EQ(0, server.requests("/Accounts/Login.aspx")[0].status);

  // Stopping the server ends a silent wait too.
  auto second = std::async(std::launch::async, [&] {
    httplib::Client c("127.0.0.1", server.port());
    c.set_read_timeout(60);
    return c.Get("/Accounts/Login.aspx?std=2.0");
  });
  ASSERT_TRUE(server.waitForRequests("/accounts/login.aspx", 2));
  server.stop();
  ASSERT_EQ(std::future_status::ready, second.wait_for(20s));
  EXPECT_FALSE(second.get());
}

TEST_F(ServerControlTest, TheRequestLogRecordsQueryFormHeadersFilesAndStatus) {
  std::string key = registerClient();
  server.clearRequests();
  httplib::Headers headers = {{"User-Agent", "ZeptMobileAgent_iphone"}};
  auto r = client->Post(("/Channels/Channel.aspx?keys=" + key + "&std=2.0").c_str(), headers,
                        "page=2&since_id=10040&channel_id=101&temp_id=10041",
                        "application/x-www-form-urlencoded");
  ASSERT_TRUE(r);
  auto log = server.requests();
  ASSERT_EQ(1u, log.size());
  const RecordedRequest& rec = log[0];
  EXPECT_EQ("POST", rec.method);
  EXPECT_EQ("/Channels/Channel.aspx", rec.path);
  EXPECT_EQ("keys=" + key + "&std=2.0", rec.query);
  EXPECT_TRUE(rec.hasQueryParam("keys"));
  EXPECT_FALSE(rec.hasFormParam("keys"));
  EXPECT_TRUE(rec.hasFormParam("page"));
  EXPECT_FALSE(rec.hasQueryParam("page"));
  EXPECT_EQ("10040", rec.paramOr("since_id"));
  EXPECT_EQ("page=2&since_id=10040&channel_id=101&temp_id=10041", rec.body);
  EXPECT_EQ("ZeptMobileAgent_iphone", rec.header("user-agent"));
  EXPECT_EQ(200, rec.status);
  // A POST reads its parameters from the form like a GET from its query.
  Json page = Json::parse(r->body);
  ASSERT_FALSE(page["statuses"].empty());
  for (auto& st : page["statuses"]) EXPECT_LE(st["eid"].get<int64_t>(), 10040);

  // Multipart forms: text fields become form parameters, files are kept whole.
  httplib::MultipartFormDataItems items = {
      {"keys", key, "", ""},
      {"appId", "1000001", "", ""},
      {"std", "2.0", "", ""},
      {"log", cipherText("[{\"Key\":\"K\"}]"), "log", "txt"},
  };
  auto up = client->Post("/upLoad.aspx", items);
  ASSERT_TRUE(up);
  Json reply = Json::parse(up->body);
  EXPECT_EQ(true, reply["Result"]);
  EXPECT_EQ("/upLoad.aspx", reply["Request"]);
  auto upload = server.requests("/upload.aspx").at(0);
  EXPECT_EQ("1000001", upload.paramOr("appId"));
  ASSERT_NE(nullptr, upload.file("log"));
  EXPECT_EQ("log", upload.file("log")->filename);
  EXPECT_EQ("txt", upload.file("log")->contentType);
  auto uploads = server.logUploads();
  ASSERT_EQ(1u, uploads.size());
  EXPECT_EQ("[{\"Key\":\"K\"}]", uploads[0].file);
}

TEST_F(ServerControlTest, TheLogHostDeciphersFeedbackAndUsageSections) {
  std::string report = "{\"content\":\"Signal 11 was raised.\\n崩溃\",\"usermsg\":\"\"}";
  Json fb = postJSON("/feedback.aspx",
                     {{"keys", kFallbackKey}, {"std", kStd}, {"type", "1"}, {"appid", "1000001"}},
                     {{"body", cipherText(report)}});
  EXPECT_EQ(true, fb["ResultBoolean"]);
  EXPECT_EQ("感谢您的反馈", fb["ResultMsg"]);

  // A section goes out as a URL-encoded form; a long one is far beyond 8 KB.
  std::string actions = "[";
  for (int i = 0; i < 400; ++i)
    actions += "{\"aType\":\"101,37\",\"cTime\":\"2013-06-14 10:00:00\"},";
  actions.back() = ']';
  Json section = postJSON("/post.aspx", {},
                          {{"key", "KEY1"},
                           {"std", kStd},
                           {"Conn", "2"},
                           {"Id", cipherText("2010000007")},
                           {"Actionlogs", cipherText(actions)}});
  EXPECT_EQ(true, section["Result"]);
  EXPECT_EQ("/post.aspx", section["Request"]);
  httplib::MultipartFormDataItems incomplete = {{"std", "2.0", "", ""}};
  Json refused = Json::parse(client->Post("/post.aspx", incomplete)->body);
  EXPECT_EQ(false, refused["Result"]);
  EXPECT_EQ("缺少参数: Actionlogs", refused["Error"]);

  auto uploads = server.logUploads();
  ASSERT_EQ(2u, uploads.size());
  EXPECT_EQ("/feedback.aspx", uploads[0].path);
  EXPECT_EQ(report, uploads[0].field("body"));
  EXPECT_EQ("1", uploads[0].field("type"));
  EXPECT_EQ("2010000007", uploads[1].field("Id"));
  EXPECT_EQ(actions, uploads[1].field("Actionlogs"));
  EXPECT_GT(server.requests("/post.aspx")[0].body.size(), 16000u);
  EXPECT_EQ("KEY1", uploads[1].field("key"));
}

// The threads of this process, as the kernel counts them.
size_t threadCount() {
  size_t n = 0;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator("/proc/self/task", ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
    ++n;
  return n;
}

TEST(ServerLoadTest, ConnectionsShareABoundedPoolOfThreadsAndStayOpenForMoreRequests) {
  ContentServer::Options options;
  options.connectionThreads = 4;
  ContentServer server(options);
  server.start();
  size_t before = threadCount();
  // One connection after another, each closed by the client: the threads stay as few.
  for (int i = 0; i < 300; ++i) {
    httplib::Client c("127.0.0.1", server.port());
    ASSERT_TRUE(c.Get("/lookup?id=1")) << i;
  }
  EXPECT_LE(threadCount(), before + 4);
  // Many requests on one kept connection, which the server offers for more than five.
  {
    httplib::Client kept("127.0.0.1", server.port());
    kept.set_keep_alive(true);
    for (int i = 0; i < 20; ++i) {
      auto r = kept.Get("/lookup?id=2");
      ASSERT_TRUE(r) << i;
      std::string keepAlive = r->get_header_value("Keep-Alive");
      auto max = keepAlive.find("max=");
      ASSERT_NE(max, std::string::npos) << keepAlive;
      if (i == 0) {
        EXPECT_GT(std::stoi(keepAlive.substr(max + 4)), 5) << keepAlive;
      }
    }
  }
  std::set<int> ports;
  for (auto& r : server.requests())
    if (r.query == "id=2") ports.insert(r.remotePort);
  EXPECT_EQ(ports.size(), 1u);
  // Silent replies hold their threads; the next connection waits for one to come free.
  server.script("/quiet", EndpointScript::goSilent());
  std::vector<std::future<bool>> quiet;
  for (int i = 0; i < 4; ++i)
    quiet.push_back(std::async(std::launch::async, [&] {
      httplib::Client c("127.0.0.1", server.port());
      return bool(c.Get("/quiet"));
    }));
  ASSERT_TRUE(server.waitForRequests("/quiet", 4));
  auto waiting = std::async(std::launch::async, [&] {
    httplib::Client c("127.0.0.1", server.port());
    auto r = c.Get("/lookup?id=3");
    return r && r->status == 200;
  });
  EXPECT_EQ(waiting.wait_for(300ms), std::future_status::timeout);
  server.releaseSilent();
  EXPECT_TRUE(waiting.get());
  for (auto& q : quiet) EXPECT_FALSE(q.get());
  EXPECT_LE(threadCount(), before + 4 + 5);  // the clients' own threads are gone by now
}

TEST(ServerLoadTest, TheRequestLogKeepsTheNewestRequests) {
  ContentServer::Options options;
  options.requestLogLimit = 3;
  ContentServer server(options);
  server.start();
  httplib::Client c("127.0.0.1", server.port());
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(c.Get("/lookup?id=" + std::to_string(i)));
  auto log = server.requests();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].query, "id=3");
  EXPECT_EQ(log[2].query, "id=5");
  EXPECT_EQ(log[2].status, 200);
  server.clearRequests();
  ASSERT_TRUE(c.Get("/lookup?id=6"));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].status, 200);
}

TEST(ServerCipherTest, MatchesTheAppsCipherAndPassesPlainTextThrough) {
  // Known answers of DES-ECB-PKCS7 under the app's key.
  EXPECT_EQ("NtOe9xj4OgWQ1lw7mRaLDQ==", cipherText("12345678"));
  EXPECT_EQ("4nvGlgPF2V0=", cipherText("母婴"));
  EXPECT_EQ("母婴", decipherText("4nvGlgPF2V0="));
  EXPECT_EQ("12345678", decipherText("NtOe9xj4\nOgWQ1lw7mRaLDQ=="));
  for (const char* plain : {"", "hello", "2010000007", "AAAA", "NtOe9xj4OgWQ1lw7mRaLDQ"})
    EXPECT_FALSE(decipherText(plain)) << plain;
  EXPECT_EQ("d41d8cd98f00b204e9800998ecf8427e", md5Hex(""));
}

// Reads one line from a pipe, waiting at most `timeout`.
std::string readLine(int fd, std::chrono::seconds timeout) {
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    char c;
    ssize_t n = read(fd, &c, 1);
    if (n == 1) {
      if (c == '\n') return line;
      line += c;
    } else if (n == 0) {
      return line;
    } else {
      std::this_thread::sleep_for(10ms);
    }
  }
  return line;
}

struct Process {
  pid_t pid = -1;
  int out = -1;
};

Process spawnServer(std::vector<std::string> args) {
  int fds[2];
  EXPECT_EQ(0, pipe(fds));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  args.insert(args.begin(), ZEPT_SERVER_EXE);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  Process p;
  EXPECT_EQ(0, posix_spawn(&p.pid, ZEPT_SERVER_EXE, &actions, nullptr, argv.data(), environ));
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  fcntl(fds[0], F_SETFL, O_NONBLOCK);
  p.out = fds[0];
  return p;
}

int waitExit(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ServerProcessTest, PrintsItsPortServesAndEndsOnSIGTERM) {
  Process p = spawnServer({"--port", "0"});
  std::string first = readLine(p.out, std::chrono::seconds(30));
  ASSERT_EQ(0u, first.rfind("port ", 0)) << first;
  int port = std::stoi(first.substr(5));
  ASSERT_GT(port, 0);
  httplib::Client c("127.0.0.1", port);
  auto r = c.Get("/lookup?id=586471234");
  ASSERT_TRUE(r);
  EXPECT_EQ(1, Json::parse(r->body)["resultCount"]);
  kill(p.pid, SIGTERM);
  EXPECT_EQ(0, waitExit(p.pid));
  close(p.out);
}

TEST(ServerProcessTest, LimitedPathsAnswer40302) {
  Process p =
      spawnServer({"--port", "0", "--limit", "/lookup", "--limit", "/Channels/Channel.aspx"});
  std::string first = readLine(p.out, std::chrono::seconds(30));
  ASSERT_EQ(0u, first.rfind("port ", 0)) << first;
  int port = std::stoi(first.substr(5));
  for (const char* path : {"/lookup?id=586471234", "/channels/channel.aspx?std=2.0"}) {
    std::string reply = rawGet(port, path);
    EXPECT_EQ(reply.rfind("HTTP/1.1 40302 ", 0), 0u) << reply;
    EXPECT_NE(reply.find("\"ResultCode\":40302"), std::string::npos) << reply;
  }
  kill(p.pid, SIGTERM);
  EXPECT_EQ(0, waitExit(p.pid));
  close(p.out);
}

TEST(ServerProcessTest, BadArgumentsAndMissingDataEndWithAMessage) {
  for (std::vector<std::string> bad :
       {std::vector<std::string>{"--port", "http"}, {"--threads", "0"}, {"--log-size", "many"}}) {
    Process usage = spawnServer(bad);
    EXPECT_EQ(0u, readLine(usage.out, std::chrono::seconds(30)).rfind("usage:", 0)) << bad[0];
    EXPECT_EQ(2, waitExit(usage.pid));
    close(usage.out);
  }

  Process missing = spawnServer({"--data", "/nonexistent/zept-data"});
  std::string line = readLine(missing.out, std::chrono::seconds(30));
  EXPECT_NE(std::string::npos, line.find("users.json")) << line;
  EXPECT_EQ(1, waitExit(missing.pid));
  close(missing.out);
}

}  // namespace
}  // namespace zept::server::testing
