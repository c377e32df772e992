// zept-server: the local content server as a process, for the app (scripts/run).
//
//   zept-server [--port N] [--data DIR] [--clients FILE] [--threads N] [--log-size N]
//               [--limit PATH]...
//
// --port 0 (the default) picks a free port.  --threads bounds the threads serving connections
// (64), --log-size the requests the server's log keeps (10000).  --limit makes a path answer as
// to a client over its request limit (status 40302 and the reply envelope), to try the app's
// handling of it.  The first line written to stdout is "port N"; the server then runs until
// SIGINT or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "server/ContentServer.h"

namespace {

int usage(const char* program) {
  std::fprintf(stderr,
               "usage: %s [--port N] [--data DIR] [--clients FILE] [--threads N] [--log-size N] "
               "[--limit PATH]...\n",
               program);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  zept::server::ContentServer::Options options;
  int port = 0;
  std::vector<std::string> limited;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--port") {
      const char* v = value();
      char* end = nullptr;
      long p = v ? std::strtol(v, &end, 10) : -1;
      if (!v || *end || p < 0 || p > 65535) return usage(argv[0]);
      port = static_cast<int>(p);
    } else if (arg == "--data") {
      const char* v = value();
      if (!v) return usage(argv[0]);
      options.dataDir = v;
    } else if (arg == "--clients") {
      const char* v = value();
      if (!v) return usage(argv[0]);
      options.clientsFile = v;
    } else if (arg == "--threads" || arg == "--log-size") {
      const char* v = value();
      char* end = nullptr;
      long n = v ? std::strtol(v, &end, 10) : 0;
      if (!v || *end || n < 1 || n > 1000000) return usage(argv[0]);
      (arg == "--threads" ? options.connectionThreads : options.requestLogLimit) = size_t(n);
    } else if (arg == "--limit") {
      const char* v = value();
      if (!v) return usage(argv[0]);
      limited.emplace_back(v);
    } else {
      return usage(argv[0]);
    }
  }

  // Wait for the end signals synchronously; block them (and SIGPIPE) before threads start.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  try {
    zept::server::ContentServer server(options);
    for (const std::string& path : limited)
      server.script(path, zept::server::EndpointScript::overLimit());
    int bound = server.start(port);
    std::printf("port %d\n", bound);
    std::printf("serving %s from %s\n", server.baseURL().c_str(), options.dataDir.c_str());
    std::fflush(stdout);
    int sig = 0;
    do {
      sigwait(&signals, &sig);
    } while (sig == SIGPIPE);
    server.stop();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zept-server: %s\n", e.what());
    return 1;
  }
  return 0;
}
