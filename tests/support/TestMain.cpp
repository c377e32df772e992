// Test entry point: every test process runs with TZ=Asia/Shanghai, the C locale and an app
// home of its own that is removed afterwards.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

namespace {

class FreshHome : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zept-test-XXXXXX").string();
    if (char* dir = mkdtemp(tmpl.data())) {
      home_ = dir;
      setenv("ZEPT_HOME", dir, 1);
    }
  }
  void TearDown() override {
    if (!home_.empty() && !std::getenv("ZEPT_KEEP_HOME")) {
      std::error_code ec;
      std::filesystem::remove_all(home_, ec);
    }
  }

 private:
  std::string home_;
};

}  // namespace

int main(int argc, char** argv) {
  setenv("TZ", "Asia/Shanghai", 1);
  tzset();
  setenv("LC_ALL", "C", 1);
  std::setlocale(LC_ALL, "C");
  // The machine's proxy settings would route the tests' loopback requests elsewhere.
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "no_proxy", "NO_PROXY", "auto_proxy", "AUTO_PROXY"})
    unsetenv(name);
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new FreshHome);
  return RUN_ALL_TESTS();
}
