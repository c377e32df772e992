// The layer check (cmake/CheckLayers.cmake) on small trees written for each case, and on this
// source tree with the links of its build.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  bool passed = false;
  std::string output;
};

std::string quoted(const std::string& s) {
  return "'" + s + "'";
}

Outcome runCheck(const fs::path& tree, const std::string& links = {}) {
  std::string command = quoted(ZEPT_CMAKE_COMMAND) + " -DSOURCE_DIR=" + quoted(tree.string());
  if (!links.empty()) command += " -DLINKS=" + quoted(links);
  command += " -P " + quoted(ZEPT_LAYER_CHECK_SCRIPT) + " 2>&1";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return outcome;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, n);
  int status = pclose(pipe);
  outcome.passed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return outcome;
}

// A small tree: a layer table and a few files, each a path and its text.
class Tree {
 public:
  Tree() {
    std::string tmpl = (fs::temp_directory_path() / "zept-layers-XXXXXX").string();
    root_ = mkdtemp(tmpl.data());
  }
  ~Tree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  void write(const std::string& path, const std::string& text) {
    fs::create_directories((root_ / path).parent_path());
    std::ofstream(root_ / path) << text;
  }
  const fs::path& root() const { return root_; }

 private:
  fs::path root_;
};

const char* const kTable =
    "foundation  platform/Foundation\n"
    "platform    platform/UIKit\n"
    "core        src/core\n"
    "model       src/model\n"
    "ui          src/ui/framework\n"
    "ui          src/ui/widgets\n"
    "app         src/app\n"
    "peer        server/loopback\n"
    "peer        server\n";

// A tree that keeps the order: every library uses only what stands above it.
void writeOrderlyTree(Tree& t) {
  t.write("cmake/layers.txt", kTable);
  t.write("platform/Foundation/Value.h", "#pragma once\n#include <string>\n");
  t.write("platform/UIKit/UIView.h", "#include \"Foundation/Value.h\"\n");
  t.write("src/core/NSConfig.h", "#include \"UIKit/UIView.h\"\n#include \"core/Keys.h\"\n");
  t.write("src/core/Keys.h", "#pragma once\n");
  t.write("src/model/Status.cpp", "#include \"core/NSConfig.h\"\n#include <vector>\n");
  t.write("src/ui/framework/Bar.h", "#include \"model/Status.h\"\n");
  t.write("src/ui/widgets/Button.h", "  #  include \"ui/framework/Bar.h\"\n");
  t.write("src/app/AppDelegate.cpp", "#include \"ui/widgets/Button.h\"\n#include \"httplib.h\"\n");
  t.write("server/loopback/Host.h", "#pragma once\n");
  t.write("server/Server.cpp", "#include \"server/loopback/Host.h\"\n");
}

TEST(LayerCheck, PassesATreeWhoseLibrariesUseOnlyWhatStandsAboveThem) {
  Tree t;
  writeOrderlyTree(t);
  Outcome o = runCheck(t.root());
  EXPECT_TRUE(o.passed) << o.output;
  EXPECT_NE(o.output.find("none goes up"), std::string::npos) << o.output;
}

TEST(LayerCheck, FailsOnAnIncludeAgainstTheOrderAndNamesTheFileAndTheEdge) {
  struct Case {
    std::string file, text, expected;
  };
  const std::vector<Case> cases = {
      {"src/core/Prompt.cpp", "#include \"ui/framework/Bar.h\"\n",
       "src/core/Prompt.cpp: includes \"ui/framework/Bar.h\": src/core (core) may not use "
       "src/ui/framework (ui)"},
      {"platform/UIKit/UIWindow.cpp", "#include \"core/NSConfig.h\"\n",
       "platform/UIKit/UIWindow.cpp: includes \"core/NSConfig.h\": platform/UIKit (platform) may "
       "not use src/core (core)"},
      // Sideways within a layer only towards a line above.
      {"src/ui/framework/Panel.h", "#include \"ui/widgets/Button.h\"\n",
       "src/ui/framework/Panel.h: includes \"ui/widgets/Button.h\": src/ui/framework (ui) may not "
       "use src/ui/widgets (ui)"},
      // The local servers stand apart, both ways.
      {"src/app/Main.cpp", "#include \"server/loopback/Host.h\"\n",
       "src/app/Main.cpp: includes \"server/loopback/Host.h\": src/app (app) may not use "
       "server/loopback (peer)"},
      {"server/Service.cpp", "#include \"Foundation/Value.h\"\n",
       "server/Service.cpp: includes \"Foundation/Value.h\": server (peer) may not use "
       "platform/Foundation (foundation)"},
      {"server/loopback/Host.cpp", "#include \"server/Server.h\"\n",
       "server/loopback/Host.cpp: includes \"server/Server.h\": server/loopback (peer) may not "
       "use server (peer)"},
  };
  for (const auto& c : cases) {
    Tree t;
    writeOrderlyTree(t);
    t.write("src/model/Status.h", "#pragma once\n");
    t.write("server/Server.h", "#pragma once\n");
    t.write(c.file, c.text);
    Outcome o = runCheck(t.root());
    EXPECT_FALSE(o.passed) << c.file;
    EXPECT_NE(o.output.find(c.expected), std::string::npos) << o.output;
  }
}

TEST(LayerCheck, FailsOnALinkAgainstTheOrder) {
  Tree t;
  writeOrderlyTree(t);
  t.write("links.txt",
          "target src/core zept_core\n"
          "target src/model zept_model\n"
          "link src/model zept_model src/core zept_core\n"
          "link src/core zept_core src/model zept_model\n");
  Outcome o = runCheck(t.root(), (t.root() / "links.txt").string());
  EXPECT_FALSE(o.passed);
  EXPECT_NE(o.output.find("zept_core links zept_model: src/core (core) may not use src/model "
                          "(model)"),
            std::string::npos)
      << o.output;
  EXPECT_EQ(o.output.find("zept_model links zept_core"), std::string::npos) << o.output;
}

TEST(LayerCheck, FailsOnALibraryThatTheTableDoesNotList) {
  struct Case {
    std::string file, text, expected;
  };
  const std::vector<Case> cases = {
      {"src/feed/CMakeLists.txt", "", "src/feed is a library that the layer table does not list"},
      {"src/app/Feed.cpp", "#include \"feed/UIHomeViewCell.h\"\n",
       "src/app/Feed.cpp: includes \"feed/UIHomeViewCell.h\" of src/feed, which the layer table "
       "does not list"},
  };
  for (const auto& c : cases) {
    Tree t;
    writeOrderlyTree(t);
    t.write("src/feed/UIHomeViewCell.h", "#pragma once\n");
    t.write(c.file, c.text);
    Outcome o = runCheck(t.root());
    EXPECT_FALSE(o.passed) << c.file;
    EXPECT_NE(o.output.find(c.expected), std::string::npos) << o.output;
  }
}

TEST(LayerCheck, FailsOnATableWhoseLayerIsSplit) {
  Tree t;
  writeOrderlyTree(t);
  t.write("cmake/layers.txt",
          "core src/core\n"
          "model src/model\n"
          "core src/core2\n");
  Outcome o = runCheck(t.root());
  EXPECT_FALSE(o.passed);
  EXPECT_NE(o.output.find("the lines of layer core must stand together"), std::string::npos)
      << o.output;
}

TEST(LayerCheck, ThisTreeAndTheLinksOfItsBuildKeepTheOrder) {
  Outcome o = runCheck(ZEPT_SOURCE_DIR, ZEPT_LAYER_LINKS);
  EXPECT_TRUE(o.passed) << o.output;
}

}  // namespace
