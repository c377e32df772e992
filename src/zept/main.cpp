// The app's entry point.  For now it starts the main run loop, says which version it is and
// where it keeps its state, and ends.
#include <cstdio>
#include <cstring>

#include "Foundation/NSBundle.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSRunLoop.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help")) {
      std::printf("usage: zept [--help]\n");
      return 0;
    }
  }
  auto loop = NSRunLoop::mainRunLoop();
  auto bundle = NSBundle::mainBundle();
  std::string version = bundle->objectForInfoDictionaryKey("CFBundleShortVersionString").description();
  loop->performBlock([&] {
    std::printf("zept %s\napp home: %s\n", version.c_str(), NSHomeDirectory().c_str());
    loop->stop();
  });
  loop->run();
  return 0;
}
