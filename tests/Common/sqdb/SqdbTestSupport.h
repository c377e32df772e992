// A database file of its own for each test, under the test's app home.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

inline std::string sqdbTestPath(const std::string& name = "test.db") {
  const char* home = std::getenv("ZEPT_HOME");
  std::filesystem::path dir = home ? home : std::filesystem::temp_directory_path();
  std::filesystem::create_directories(dir);
  std::filesystem::path path = dir / name;
  std::filesystem::remove(path);
  return path.string();
}
