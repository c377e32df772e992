// For fuzz checks whose code writes under the app home: a temporary home of the process's own
// when the caller set none (ZEPT_HOME; the corpus tests run in a fresh one already), removed
// at exit.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

inline void ensureFuzzHome() {
  static const bool done = [] {
    if (std::getenv("ZEPT_HOME")) return true;
    // In memory where the machine has it: folders made and removed on every input are slow
    // on a busy disk.
    std::error_code ec;
    std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    static std::string home = (base / "zept-fuzz-XXXXXX").string();
    if (mkdtemp(home.data())) {
      setenv("ZEPT_HOME", home.c_str(), 1);
      std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
      });
    }
    return true;
  }();
  (void)done;
}
