#include "Foundation/NSPathUtilities.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <system_error>

namespace {

std::string ensureFolder(std::string path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return path;
}

// The app's home holds its keys: only its owner may enter it.  A folder it did not make is
// tightened only when it is the owner's own and no shared folder (sticky, like /tmp), and
// each home only once.
void keepHomePrivate(const std::string& home, bool created) {
  static std::mutex mutex;
  static std::string done;
  std::lock_guard<std::mutex> lock(mutex);
  if (done == home) return;
  done = home;
  struct stat st;
  if (::stat(home.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  if (created || (st.st_uid == ::geteuid() && !(st.st_mode & S_ISVTX)))
    ::chmod(home.c_str(), st.st_mode & 0700);
}

std::string userHome() {
  if (const char* h = std::getenv("HOME"); h && *h) return h;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/tmp";
}

// A path without its trailing slashes (the root stays "/").
std::string_view trimTrailingSlashes(std::string_view p) {
  while (p.size() > 1 && p.back() == '/') p.remove_suffix(1);
  return p;
}

}  // namespace

std::string NSHomeDirectory() {
  std::string home;
  if (const char* h = std::getenv("ZEPT_HOME"); h && *h) {
    home = h;
  } else {
    home = userHome() + "/.local/share/zept";
  }
  home = std::string(trimTrailingSlashes(home));
  std::error_code ec;
  bool created = std::filesystem::create_directories(home, ec);
  if (home != "/" && home != userHome()) keepHomePrivate(home, created);
  return home;
}

std::string NSLibraryDirectory() {
  return ensureFolder(NSHomeDirectory() + "/Library");
}

std::string NSDocumentDirectory() {
  return ensureFolder(NSHomeDirectory() + "/Documents");
}

std::string NSCachesDirectory() {
  return ensureFolder(NSHomeDirectory() + "/Library/Caches");
}

std::string NSTemporaryDirectory() {
  return ensureFolder(NSHomeDirectory() + "/tmp") + "/";
}

std::string lastPathComponent(std::string_view path) {
  std::string_view p = trimTrailingSlashes(path);
  if (p == "/") return "/";
  size_t slash = p.rfind('/');
  return std::string(slash == std::string_view::npos ? p : p.substr(slash + 1));
}

std::string pathExtension(std::string_view path) {
  std::string last = lastPathComponent(path);
  size_t dot = last.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return last.substr(dot + 1);
}

std::string stringByAppendingPathComponent(std::string_view path, std::string_view component) {
  std::string out(trimTrailingSlashes(path));
  while (!component.empty() && component.front() == '/') component.remove_prefix(1);
  if (out.empty()) return std::string(trimTrailingSlashes(component));
  if (out != "/") out += '/';
  out += trimTrailingSlashes(component);
  return out;
}

std::string stringByDeletingLastPathComponent(std::string_view path) {
  std::string_view p = trimTrailingSlashes(path);
  if (p == "/") return "/";
  size_t slash = p.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return std::string(trimTrailingSlashes(p.substr(0, slash)));
}

std::string stringByDeletingPathExtension(std::string_view path) {
  std::string_view p = trimTrailingSlashes(path);
  size_t slash = p.rfind('/');
  size_t dot = p.rfind('.');
  size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  if (dot == std::string_view::npos || dot <= nameStart) return std::string(p);
  return std::string(p.substr(0, dot));
}

std::string stringByAppendingPathExtension(std::string_view path, std::string_view extension) {
  std::string out(trimTrailingSlashes(path));
  out += '.';
  out += extension;
  return out;
}
