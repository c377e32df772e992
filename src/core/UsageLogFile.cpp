#include "core/UsageLogFile.h"

namespace {

std::shared_ptr<UsageLogFile>& slot() {
  static std::shared_ptr<UsageLogFile> file;
  return file;
}

}  // namespace

std::shared_ptr<UsageLogFile> UsageLogFile::current() {
  return slot();
}

void UsageLogFile::setCurrent(std::shared_ptr<UsageLogFile> file) {
  slot() = std::move(file);
}
