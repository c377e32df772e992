// Running the app and server programs from a test: spawned with their standard output on a
// pipe, read until they end, and reaped (killed past a deadline).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Foundation/Clock.h"

namespace apptest {

struct ProgramResult {
  bool ended = false;
  int exitCode = -1;
  std::string output;
};

// Reads what is available on the descriptor until it closes or the deadline passes.
inline bool readUntil(int fd, std::string& out, double deadline,
                      const std::function<bool()>& enough) {
  for (;;) {
    if (enough && enough()) return true;
    double left = deadline - steadySeconds();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    int r = poll(&p, 1, int(left * 1000) + 1);
    if (r <= 0) continue;
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return !enough;
    out.append(buffer, size_t(n));
  }
}

// Starts a program with its standard output on a pipe; the other descriptors are inherited.
inline pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
                   int* outFd) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  *outFd = fds[0];
  return pid;
}

// Waits for the process to end within the deadline; kills it otherwise.
inline bool reap(pid_t pid, double deadline, int* status) {
  for (;;) {
    if (waitpid(pid, status, WNOHANG) == pid) return true;
    if (steadySeconds() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, status, 0);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

inline ProgramResult runProgram(const std::vector<std::string>& args,
                                const std::vector<std::string>& env, double seconds = 60) {
  ProgramResult result;
  int fd = -1;
  pid_t pid = spawn(args, env, &fd);
  if (pid < 0) return result;
  double deadline = steadySeconds() + seconds;
  readUntil(fd, result.output, deadline, nullptr);
  close(fd);
  int status = 0;
  result.ended = reap(pid, deadline, &status);
  result.exitCode = result.ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

inline std::string resourcesDir() {
  const char* r = std::getenv("ZEPT_RESOURCES");
  return r ? r : "";
}

}  // namespace apptest
