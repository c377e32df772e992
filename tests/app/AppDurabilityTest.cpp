// The app program on a damaged disk: killed with SIGKILL at random moments of its start-up and
// its first tiles, and run on a disk that takes no more bytes.  Neither leaves a configuration,
// preference, cache or database file unreadable, and the next start works.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Common/sqdb/SQDatabase.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPropertyList.h"
#include "ProgramRunner.h"
#include "server/ContentServer.h"
#include "support/FileSizeLimit.h"

using namespace apptest;
namespace fs = std::filesystem;

namespace {

// Files being written when the process died: atomic writes' and downloads' own temporaries,
// and database journals, which the next open plays back.
bool isInFlight(const fs::path& path) {
  std::string name = path.filename();
  return name.find(".tmp-") != std::string::npos || name.ends_with(".part") ||
         name.ends_with("-journal") || name.ends_with("-wal") || name.ends_with("-shm");
}

// Every file of the home that the app reads back, with what is wrong with it; empty when all
// read.  Property lists must parse, databases pass their own check, cached replies parse as
// JSON.
std::vector<std::string> unreadableFiles(const std::string& home) {
  std::vector<std::string> problems;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(home, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file() || isInFlight(it->path())) continue;
    std::string path = it->path();
    std::string bytes = dataWithContentsOfFile(path).value_or("");
    if (path.ends_with(".corrupt")) {
      problems.push_back(path + ": a database was found damaged");
    } else if (path.ends_with(".plist")) {
      if (propertyListWithContentsOfFile(path).isNil()) problems.push_back(path + ": not a plist");
    } else if (bytes.rfind(std::string("SQLite format 3\0", 16), 0) == 0) {
      auto db = SQDatabase::databaseWithPath(path);
      if (!db->open() || db->stringForQuery("PRAGMA quick_check").value_or("") != "ok")
        problems.push_back(path + ": database check failed");
      db->close();
    } else if (path.ends_with("/ziza.json") && bytes.empty()) {
      // The download record starts as an empty file: nothing downloaded yet.
    } else if (path.ends_with(".json")) {
      Value reply = objectFromJSONString(bytes);
      if (!reply.isDictionary() && !reply.isArray()) problems.push_back(path + ": not JSON");
    }
  }
  return problems;
}

std::map<std::string, std::string> wholeFiles(const std::string& home) {
  std::map<std::string, std::string> files;
  for (auto& e : fs::recursive_directory_iterator(home))
    if (e.is_regular_file() && !isInFlight(e.path()))
      files[e.path()] = dataWithContentsOfFile(e.path().string()).value_or("");
  return files;
}

class AppDurabilityTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.start();
    home = std::string(std::getenv("ZEPT_HOME")) + "/durable";
    args = {ZEPT_APP_PROGRAM, "--server-port", std::to_string(server.port()),
            "--network",      "wifi",          "--exit-after-first-page"};
    env = {"ZEPT_HOME=" + home, "ZEPT_RESOURCES=" + resourcesDir()};
  }

  // A start that runs until the home screen shows its tiles.
  void startsAndShowsAPage() {
    ProgramResult run = runProgram(args, env, 60);
    ASSERT_TRUE(run.ended) << run.output;
    EXPECT_EQ(run.exitCode, 0) << run.output;
  }

  zept::server::ContentServer server;
  std::string home;
  std::vector<std::string> args, env;
};

}  // namespace

TEST_F(AppDurabilityTest, KillingTheAppAtRandomMomentsLeavesEveryFileReadable) {
  double started = steadySeconds();
  startsAndShowsAPage();
  const double wholeRun = steadySeconds() - started;
  std::mt19937 random(44);
  // 30 rounds, within a bound of time; every sixth starts from an empty home (a first run).
  const double until = steadySeconds() + 30;
  int rounds = 0;
  for (; rounds < 30 && steadySeconds() < until; ++rounds) {
    if (rounds % 6 == 5) fs::remove_all(home);
    double after = std::uniform_real_distribution<double>(0, wholeRun * 1.2)(random);
    int out = -1;
    pid_t pid = spawn(args, env, &out);
    ASSERT_GT(pid, 0);
    std::this_thread::sleep_for(std::chrono::duration<double>(after));
    kill(pid, SIGKILL);
    int status = 0;
    reap(pid, steadySeconds() + 10, &status);
    close(out);
    EXPECT_EQ(unreadableFiles(home), std::vector<std::string>{})
        << "round " << rounds << ", killed after " << after << " s";
  }
  EXPECT_GE(rounds, 10);
  startsAndShowsAPage();
  EXPECT_EQ(unreadableFiles(home), std::vector<std::string>{});
}

TEST_F(AppDurabilityTest, AFullDiskLosesNoFileThatWasWhole) {
  startsAndShowsAPage();
  auto before = wholeFiles(home);
  ASSERT_FALSE(before.empty());

  int out = -1;
  pid_t pid;
  {
    // The app's files can grow by no byte: every write that needs room fails.
    testsupport::FileSizeLimit full(0);
    ASSERT_TRUE(full.applied());
    pid = spawn(args, env, &out);
  }
  ASSERT_GT(pid, 0);
  std::string output;
  readUntil(out, output, steadySeconds() + 60, nullptr);
  close(out);
  int status = 0;
  ASSERT_TRUE(reap(pid, steadySeconds() + 10, &status)) << output;
  // Ended by itself, page or not.
  ASSERT_TRUE(WIFEXITED(status)) << output;

  for (auto& [path, contents] : before) {
    EXPECT_TRUE(fs::exists(path)) << path;
    // Unchanged, or (a file the app rewrites in place, such as the database) still whole.
    if (fs::exists(path) && dataWithContentsOfFile(path).value_or("") != contents) {
      EXPECT_FALSE(path.ends_with(".plist") || path.ends_with(".json")) << path << " changed";
    }
  }
  EXPECT_EQ(unreadableFiles(home), std::vector<std::string>{});
  startsAndShowsAPage();
}
