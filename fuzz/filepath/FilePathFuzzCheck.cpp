#include "filepath/FilePathFuzzCheck.h"

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "FuzzHome.h"
#include "core/UIFilePath.h"

namespace {

namespace fs = std::filesystem;

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A path that stays in its folder: below it, without "." or ".." segments or NUL bytes.
std::string checkInside(const std::string& path, const std::string& folder) {
  if (path.rfind(folder + "/", 0) != 0) return "'" + path + "' is outside " + folder;
  if (path.find('\0') != std::string::npos) return "a path holds NUL";
  std::string_view rest(path);
  rest.remove_prefix(folder.size());
  for (size_t at = 0; at != std::string_view::npos;) {
    size_t next = rest.find('/', at + 1);
    std::string_view segment = rest.substr(
        at + 1, next == std::string_view::npos ? std::string_view::npos : next - at - 1);
    if (segment == "." || segment == "..")
      return "'" + path + "' climbs with " + std::string(segment);
    at = next;
  }
  return {};
}

// Whether the file system could hold the folder at all (no name beyond its limits).
bool holdable(const std::string& path) {
  if (path.size() >= 4000) return false;
  size_t start = 0;
  while (start < path.size()) {
    size_t slash = path.find('/', start);
    size_t end = slash == std::string::npos ? path.size() : slash;
    if (end - start > 250) return false;
    start = end + 1;
  }
  return true;
}

struct Rule {
  const char* name;
  std::function<std::optional<std::string>(std::string_view)> path;
  const char* folder;
  const char* ending;
};

}  // namespace

std::string filePathFuzzCheck(const uint8_t* data, size_t size) {
  ensureFuzzHome();
  std::string url(reinterpret_cast<const char*>(data), size);
  const std::string lib = UIFilePath::libraryPath();

  const Rule rules[] = {
      {"getFilePath", UIFilePath::getFilePath, "Caches", ".txt"},
      {"getImageWithPath", [](std::string_view u) { return UIFilePath::getImageWithPath(u); },
       "Caches/img/ziza", ""},
      {"localFilePath", UIFilePath::localFilePath, "Caches/HTML", ".json"},
      {"localZizaFilePath", UIFilePath::localZizaFilePath, "CachesDate/HTML", ".json"},
  };
  // The per-login parameters do not change the file.
  const size_t scheme = url.find("://");
  const bool hasQuery = scheme != std::string::npos && url.find('?', scheme) != std::string::npos;
  const std::string withLogin = url + (hasQuery ? "&" : "?") + "keys=K37QWP2M9XD4HB8N5&std=2.0";
  std::string fault;
  for (const Rule& rule : rules) {
    std::optional<std::string> path = rule.path(url);
    const std::string folder = lib + "/" + rule.folder;
    if (path) {
      fault = checkInside(*path, folder);
      if (!fault.empty()) return std::string(rule.name) + ": " + fault;
      if (!path->ends_with(rule.ending)) return std::string(rule.name) + ": another ending";
      std::string parent = path->substr(0, path->rfind('/'));
      if (holdable(*path) && !isDirectory(parent))
        return std::string(rule.name) + ": the folder of '" + *path + "' was not made";
    } else if (url.find("://") != std::string::npos && url.find("://") + 3 < url.size() &&
               url.find("..") == std::string::npos) {
      return std::string(rule.name) + ": no path for a URL without dot segments";
    }
    if (rule.path(url) != path) return std::string(rule.name) + ": a second call differs";
    if (rule.path(withLogin) != path)
      return std::string(rule.name) + ": the login parameters change the file";
  }
  if (UIFilePath::modifyFilePath(url).find('=') != std::string::npos)
    return "modifyFilePath keeps '='";

  // Names taken from a reply or the end of a URL stay in their folders.
  struct Named {
    const char* name;
    std::string path;
    const char* folder;
  };
  const Named named[] = {
      {"localHTMLFilePath", UIFilePath::localHTMLFilePath(url).value_or(""),
       "Caches/HTML/NewsReader"},
      {"readLaterHTMLFilePath", UIFilePath::readLaterHTMLFilePath(url).value_or(""),
       "Data/NewsReader"},
      {"messageImagePath", UIFilePath::messageImagePath(url), "Caches/messageImage"},
      {"cacheCommentPath", UIFilePath::cacheCommentPath(url), "Caches/StatusComments"},
      {"cacheRetweetPath", UIFilePath::cacheRetweetPath(url), "Caches/StatusRetweets"},
      {"cacheProductPath", UIFilePath::cacheProductPath(url), "Caches/ProductComments"},
      {"likePath", UIFilePath::likePath(url), "Caches"},
  };
  for (const Named& n : named) {
    if (n.path.empty()) continue;
    const std::string folder = lib + "/" + n.folder;
    fault = checkInside(n.path, folder);
    if (!fault.empty()) return std::string(n.name) + ": " + fault;
    if (n.path.find('/', folder.size() + 1) != std::string::npos)
      return std::string(n.name) + ": '" + n.path + "' is below a folder of its own";
  }

  // The folders made go again, so that one input leaves nothing for the next.
  std::error_code ec;
  for (const char* top : {"Caches", "CachesDate", "Data"}) fs::remove_all(lib + "/" + top, ec);
  UIFilePath::forgetKnownFolders();
  return {};
}
