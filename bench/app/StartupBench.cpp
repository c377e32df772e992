// Time from the start of the program to its first page, for a first start (a new home: the
// app registers, logs in and makes its files and database) and a second start (the same home:
// it logs in with the stored key), each against `zept --help`, which loads the program and its
// shared libraries and ends: the part of a start that no change in the app can save.
//
// Peer: the same program, in the same run, on the same loopback server; the three kinds of
// start are interleaved round by round (help, first, second), so that a burst of load on this
// shared machine falls on all of them alike, and the medians are compared as ratios.
//   startup_bench [rounds]        (default 15)
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "server/ContentServer.h"

extern char** environ;

namespace {

// Runs the program to its end with its output thrown away; the wall time in milliseconds, or
// a negative value when it failed.
double runMilliseconds(const std::vector<std::string>& args, const std::string& home) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string_view entry(*e);
    if (!entry.starts_with("ZEPT_HOME=") && !entry.starts_with("ZEPT_RESOURCES="))
      env.emplace_back(entry);
  }
  env.push_back("ZEPT_HOME=" + home);
  env.push_back(std::string("ZEPT_RESOURCES=") + ZEPT_RESOURCES_DIR);
  std::vector<char*> argv, envp;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::chrono::duration<double, std::milli>(end - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty()      ? 0
         : v.size() % 2 ? v[v.size() / 2]
                        : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  namespace fs = std::filesystem;
  const fs::path root =
      fs::temp_directory_path() / ("zept-startup-bench-" + std::to_string(getpid()));
  fs::create_directories(root);

  zept::server::ContentServer server;
  const std::string port = std::to_string(server.start(0));
  const std::vector<std::string> app = {
      ZEPT_APP_PROGRAM, "--server-port", port, "--network", "wifi", "--exit-after-first-page"};
  const std::string secondHome = (root / "second").string();
  if (runMilliseconds(app, secondHome) < 0) {
    std::fprintf(stderr, "startup_bench: the app did not show a first page\n");
    return 1;
  }

  std::vector<double> help, first, second;
  for (int round = 0; round < rounds; ++round) {
    help.push_back(runMilliseconds({ZEPT_APP_PROGRAM, "--help"}, secondHome));
    const fs::path firstHome = root / ("first-" + std::to_string(round));
    first.push_back(runMilliseconds(app, firstHome.string()));
    fs::remove_all(firstHome);
    second.push_back(runMilliseconds(app, secondHome));
    if (help.back() < 0 || first.back() < 0 || second.back() < 0) {
      std::fprintf(stderr, "startup_bench: a run failed in round %d\n", round);
      return 1;
    }
  }
  fs::remove_all(root);

  const double h = median(help), f = median(first), s = median(second);
  std::printf("rounds %d, medians: help %.1f ms, first start %.1f ms, second start %.1f ms\n",
              rounds, h, f, s);
  std::printf("first start / help   %.2f\n", f / h);
  std::printf("second start / help  %.2f\n", s / h);
  std::printf("first / second start %.2f\n", f / s);
  return 0;
}
