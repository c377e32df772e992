#include "core/UIFilePath.h"

#include <sys/stat.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unordered_map>

#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"

namespace fs = std::filesystem;

namespace {

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Folders known to exist, each with the time it was last seen.  Asking the file system costs
// more than building the path, and list screens ask for the same few folders over and over:
// a folder seen within the last second is taken as present.  Removals made here forget the
// set at once (forgetKnownFolders).
struct KnownFolders {
  std::mutex lock;
  std::unordered_map<std::string, std::chrono::steady_clock::time_point> seen;
};

KnownFolders& knownFolders() {
  static KnownFolders k;
  return k;
}

constexpr auto kFolderRecheck = std::chrono::seconds(1);

// Folder creation errors are ignored: the caller's later read or write reports the failure.
// `trustMemory` false asks the file system whatever the memory says.
void ensureDir(const std::string& dir, bool trustMemory = true) {
  if (dir.empty()) return;
  auto now = std::chrono::steady_clock::now();
  KnownFolders& k = knownFolders();
  if (trustMemory) {
    std::lock_guard<std::mutex> guard(k.lock);
    auto it = k.seen.find(dir);
    if (it != k.seen.end() && now - it->second < kFolderRecheck) return;
  }
  if (!isDirectory(dir)) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!isDirectory(dir)) return;
  }
  std::lock_guard<std::mutex> guard(k.lock);
  if (k.seen.size() > 4096) k.seen.clear();
  k.seen[dir] = now;
}

// The folder of a path: the text before its last "/"; "" when there is none.
std::string folderOf(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash != std::string_view::npos && slash > 0 ? std::string(path.substr(0, slash))
                                                      : std::string();
}

void ensureParentDir(const std::string& path) {
  ensureDir(folderOf(path));
}

void replaceChar(std::string& s, char from, char to) {
  for (char& c : s)
    if (c == from) c = to;
}

bool contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// The part of the content server's base URL that the cache rule strips from paths: after
// "http://", from the first "." on (".M.R" for a host A.M.R; the port belongs to it).
std::string domainSuffix() {
  std::string url = NSConfig::engine()->serverURL();
  if (url.size() <= 7) return {};
  size_t dot = url.find('.', 7);
  if (dot == std::string::npos) return {};
  return url.substr(dot);
}

// Parameter groups, in the order they are written; parameters holding a volatile word are
// dropped first.
int parameterGroup(std::string_view p) {
  static constexpr std::array<std::string_view, 9> dropped{
      "keys", "std", "is2x", "u_id", "temp_id", "ptype", "lat", "lon", "test"};
  for (auto w : dropped)
    if (contains(p, w)) return -1;
  if (contains(p, "since_id") || contains(p, "max_id")) return 0;
  if (contains(p, "page")) return 1;
  if (contains(p, "channel_id") || contains(p, "channel_ids") || contains(p, "group_id") ||
      contains(p, "topicId") || contains(p, "categoryId"))
    return 2;
  if (contains(p, "event_id")) return 3;
  if (contains(p, "type")) return 4;
  return 5;
}

std::string normalise(std::string_view path, std::string_view suffix) {
  std::string text(path);
  if (!suffix.empty()) replaceAll(text, suffix, "");
  size_t q = text.find('?');
  if (q != std::string::npos) {
    std::string_view all(text);
    std::string_view query = all.substr(q + 1);
    std::array<std::vector<std::string_view>, 6> groups;
    size_t start = 0;
    while (true) {
      size_t amp = query.find('&', start);
      std::string_view p =
          query.substr(start, amp == std::string_view::npos ? query.npos : amp - start);
      if (!p.empty()) {
        int g = parameterGroup(p);
        if (g >= 0) groups[g].push_back(p);
      }
      if (amp == std::string_view::npos) break;
      start = amp + 1;
    }
    std::string out(all.substr(0, q));
    out.reserve(text.size() + 8);
    for (const auto& g : groups)
      for (auto p : g) {
        out += '_';
        out += p;
      }
    text = std::move(out);
  }
  replaceAll(text, ".aspx", "");
  replaceChar(text, '=', '_');
  return text;
}

// A relative cache path never climbs out of its folder: "." and ".." segments are dropped
// (a trailing one leaves the trailing "/", so the folder's default file is used).
void dropDotSegments(std::string& rel) {
  if (!contains(rel, "/.") && rel.rfind(".", 0) != 0) return;
  std::string out;
  out.reserve(rel.size());
  size_t start = 0;
  while (start <= rel.size()) {
    size_t slash = rel.find('/', start);
    bool last = slash == std::string::npos;
    std::string_view seg(rel.data() + start, (last ? rel.size() : slash) - start);
    if (seg == "." || seg == "..") {
      if (last && !out.empty() && out.back() != '/') out += '/';
    } else {
      out.append(seg);
      if (!last) out += '/';
    }
    if (last) break;
    start = slash + 1;
  }
  rel = std::move(out);
}

bool insideLibrary(const std::string& path, const std::string& lib) {
  if (path.compare(0, lib.size(), lib) != 0 || path.size() <= lib.size() || path[lib.size()] != '/')
    return false;
  std::string_view rest(path);
  rest.remove_prefix(lib.size());
  return !contains(rest, "/../") && !contains(rest, "/./") && !endsWith(rest, "/..") &&
         !endsWith(rest, "/.");
}

// The text after "://", NUL bytes removed; nullopt for an empty URL or one without "://".
std::optional<std::string> afterScheme(std::string_view url) {
  if (url.empty()) return std::nullopt;
  size_t s = url.find("://");
  if (s == std::string_view::npos) return std::nullopt;
  std::string rest(url.substr(s + 3));
  std::erase(rest, '\0');
  return rest;
}

enum class Ending { Txt, None, Json };

// The shared rule: <Library>/<folder>/<host path>, normalised and made safe, with the
// ending the cache kind asks for; the folder is created.
std::optional<std::string> cacheFile(std::string_view url, std::string_view folder, Ending ending,
                                     bool colonsToFolders = true) {
  auto rest = afterScheme(url);
  if (!rest) return std::nullopt;
  if (colonsToFolders) replaceChar(*rest, ':', '/');
  std::string rel = normalise(*rest, domainSuffix());
  dropDotSegments(rel);
  std::string lib = UIFilePath::libraryPath();
  std::string path;
  path.reserve(lib.size() + folder.size() + rel.size() + 16);
  path.append(lib).append("/").append(folder).append("/").append(rel);
  if (!insideLibrary(path, lib)) return std::nullopt;
  ensureParentDir(path);
  bool emptyLast = path.back() == '/';
  switch (ending) {
    case Ending::Txt:
      path += emptyLast ? "hello.txt" : ".txt";
      break;
    case Ending::None:
      if (emptyLast) path += "hello.jpg";
      break;
    case Ending::Json:
      if (emptyLast)
        path += "hello.json";
      else if (!endsWith(path, ".json"))
        path += ".json";
      break;
  }
  return path;
}

// A name joined to a folder; "" when the name could leave the folder.
std::string joinName(const std::string& folder, std::string_view name) {
  if (name.empty() || name == "." || name == ".." || contains(name, "/") ||
      name.find('\0') != std::string_view::npos)
    return {};
  return folder + "/" + std::string(name);
}

std::string libraryFolder(std::string_view rel, bool create = true) {
  std::string dir = UIFilePath::libraryPath() + "/" + std::string(rel);
  if (create) ensureDir(dir);
  return dir;
}

// <Library>/Caches/ + the content server's host path + a page path, normalised.
std::string pageFile(std::string_view pagePath, bool addTxt = true) {
  std::string url = NSConfig::engine()->serverURL();
  std::string host = url.size() > 7 ? url.substr(7) : std::string();
  replaceChar(host, ':', '/');
  std::string raw = host + std::string(pagePath);
  std::erase(raw, '\0');
  std::string rel = normalise(raw, domainSuffix());
  dropDotSegments(rel);
  std::string path = UIFilePath::libraryPath() + "/Caches/" + rel;
  if (addTxt) path += ".txt";
  return path;
}

std::string format(const char* fmt, auto... args) {
  char buf[512];
  int n = std::snprintf(buf, sizeof buf, fmt, args...);
  if (n < 0) return {};
  if (size_t(n) < sizeof buf) return std::string(buf, size_t(n));
  std::string out(size_t(n) + 1, '\0');
  std::snprintf(out.data(), out.size(), fmt, args...);
  out.resize(size_t(n));
  return out;
}

bool retina() {
  return NSGlobe::getEngine()->isIphone4();
}

std::string channelImage(int channelId, const char* name) {
  return format("%s/NewChannelImages/%d/%s%s.png", UIFilePath::libraryPath().c_str(), channelId,
                name, retina() ? "@2x" : "");
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void recreateFolder(const std::string& dir) {
  UIFilePath::forgetKnownFolders();
  std::error_code ec;
  fs::remove_all(dir, ec);
  fs::create_directories(dir, ec);
}

void removePath(const std::string& path) {
  if (path.empty()) return;
  UIFilePath::forgetKnownFolders();
  std::error_code ec;
  fs::remove_all(path, ec);
}

}  // namespace

std::string UIFilePath::libraryPath() {
  // Paths are built on every list refresh: the folder is asked of the platform (which makes
  // it) only when the home changes.  A folder deleted meanwhile is made again by the cache
  // rule itself, which creates every missing folder of a path.
  struct Cached {
    std::string zeptHome, home, library;
  };
  thread_local Cached cached;
  const char* zeptHome = std::getenv("ZEPT_HOME");
  const char* home = std::getenv("HOME");
  std::string_view z = zeptHome ? zeptHome : "", h = home ? home : "";
  if (cached.library.empty() || z != cached.zeptHome || h != cached.home) {
    cached.library = NSLibraryDirectory();
    cached.zeptHome = z;
    cached.home = h;
  }
  return cached.library;
}

void UIFilePath::forgetKnownFolders() {
  KnownFolders& k = knownFolders();
  std::lock_guard<std::mutex> guard(k.lock);
  k.seen.clear();
}

std::string UIFilePath::modifyFilePath(std::string_view path) {
  return normalise(path, domainSuffix());
}

std::optional<std::string> UIFilePath::getFilePath(std::string_view url) {
  return cacheFile(url, "Caches", Ending::Txt);
}

std::optional<std::string> UIFilePath::getImageWithPath(std::string_view url, int) {
  return cacheFile(url, "Caches/img/ziza", Ending::None);
}

std::optional<std::string> UIFilePath::localFilePath(std::string_view url) {
  return cacheFile(url, "Caches/HTML", Ending::Json);
}

std::optional<std::string> UIFilePath::localZizaFilePath(std::string_view url) {
  return cacheFile(url, "CachesDate/HTML", Ending::Json);
}

std::optional<std::string> UIFilePath::getDataByUrl(std::string_view url) {
  auto path = cacheFile(url, "Caches/HTML", Ending::Json, false);
  if (!path) return std::nullopt;
  return readFile(*path);
}

bool UIFilePath::saveFileByData(std::string_view text, std::string_view url) {
  auto path = localFilePath(url);
  return path && writeFile(*path, text);
}

bool UIFilePath::makeSureFolderOf(std::string_view path) {
  std::string dir = folderOf(path);
  if (dir.empty()) return false;
  ensureDir(dir, false);
  return isDirectory(dir);
}

bool UIFilePath::writeFile(std::string_view path, std::string_view bytes) {
  if (writeToFile(path, bytes, true)) return true;
  // Only a missing folder is worth a second try.
  std::string dir = folderOf(path);
  if (dir.empty() || isDirectory(dir) || !makeSureFolderOf(path)) return false;
  return writeToFile(path, bytes, true);
}

std::string UIFilePath::localPath(int kind) {
  std::string host = NSConfig::platformApiHost();
  switch (kind) {
    case 0:
      return localFilePath("http://" + host + "/2/statuses/friends_timeline.json").value_or("");
    case 2:
      return localFilePath("http://" + host + "/2/statuses/mentions.json").value_or("");
    case 3:
      return localFilePath("http://" + host + "/2/statuses/comments_to_me.json").value_or("");
    case 4:
      return localFilePath("https://" + host + "/2/statuses/user_timeline.json").value_or("");
    case 5:
      return localZizaFilePath("http://" + host + "/2/account/verify_credentials.json")
          .value_or("");
    case 6:
      return localFilePath("http://" + host + "/2/favoritesList/favorites").value_or("");
    case 7:
      return localFilePath("http://" + host + "/2/attendList/attend").value_or("");
    default:
      return {};
  }
}

namespace {

std::optional<std::string> htmlFile(std::string_view urlOrName, std::string_view folder) {
  size_t slash = urlOrName.rfind('/');
  if (urlOrName.empty() || slash == std::string_view::npos) return std::nullopt;
  std::string name(urlOrName.substr(slash + 1));
  std::erase(name, '\0');
  if (!endsWith(name, ".html")) name += ".html";
  return libraryFolder(folder) + "/" + name;
}

}  // namespace

std::optional<std::string> UIFilePath::localHTMLFilePath(std::string_view urlOrName) {
  return htmlFile(urlOrName, "Caches/HTML/NewsReader");
}

std::optional<std::string> UIFilePath::readLaterHTMLFilePath(std::string_view urlOrName) {
  return htmlFile(urlOrName, "Data/NewsReader");
}

std::string UIFilePath::cssFilePath() {
  return libraryFolder("Caches/HTML/NewsReader") + "/readability.css";
}

std::string UIFilePath::cacheCommentPath(std::string_view statusId) {
  return joinName(libraryFolder("Caches/StatusComments"), std::string(statusId) + ".json");
}

std::string UIFilePath::cacheRetweetPath(std::string_view statusId) {
  return joinName(libraryFolder("Caches/StatusRetweets"), std::string(statusId) + ".json");
}

std::string UIFilePath::cacheProductPath(std::string_view productId) {
  return joinName(libraryFolder("Caches/ProductComments"), std::string(productId) + ".json");
}

std::string UIFilePath::likeStatusPath() {
  return libraryFolder("Caches") + "/likeStatus.txt";
}

std::string UIFilePath::likePath(std::string_view name) {
  return joinName(libraryFolder("Caches"), name.empty() ? "likeProduct.txt" : name);
}

std::string UIFilePath::messageStringPath() {
  return libraryFolder("Caches") + "/messageString.txt";
}

std::string UIFilePath::messageImagePath(std::string_view url) {
  size_t slash = url.rfind('/');
  if (slash == std::string_view::npos) return {};
  std::string_view name = url.substr(slash + 1);
  if (name == "." || name == ".." || name.find('\0') != std::string_view::npos) return {};
  return libraryFolder("Caches/messageImage") + "/" + std::string(name);
}

std::string UIFilePath::updateDatePath() {
  return libraryFolder("CachesDate") + "/updateDate.json";
}

std::string UIFilePath::getSaveRecordPath() {
  std::string path = libraryFolder("") + "ziza.json";
  if (!fileExists(path)) std::ofstream(path, std::ios::binary);
  return path;
}

std::string UIFilePath::getLogFilePath() {
  return libraryFolder("Log") + "/log.txt";
}

std::string UIFilePath::getNetLogPath() {
  time_t now = time_t(ClockNow());
  struct tm local {};
  localtime_r(&now, &local);
  char day[16];
  std::strftime(day, sizeof day, "%y%m%d", &local);
  return libraryFolder("LogCaches/NetLog") + "/netlog_" + day + ".txt";
}

std::string UIFilePath::getNewChannelImage(int channelId) {
  return format("%s/NewChannelImages/%d/", libraryPath().c_str(), channelId);
}

std::string UIFilePath::getChannelFileDir(int channelId) {
  std::string dir = getNewChannelImage(channelId);
  ensureDir(dir);
  return dir;
}

std::string UIFilePath::getNewChannelImageIcon(int channelId) {
  return channelImage(channelId, "icon");
}
std::string UIFilePath::getNewChannelImageTuiJian(int channelId) {
  return channelImage(channelId, "tuijian");
}
std::string UIFilePath::getNewChannelImageTuiJian_Theme1(int channelId) {
  return channelImage(channelId, "tuijian_theme1");
}
std::string UIFilePath::getNewChannelImageBackground(int channelId) {
  return channelImage(channelId, "background");
}
std::string UIFilePath::getNewChannelImageNavigation(int channelId) {
  return channelImage(channelId, "navigation");
}

std::string UIFilePath::getMainBackGroundImagePath(int index) {
  std::string dir = libraryFolder("NewChannelImages/mainBackGround");
  return format("%s/mainBackground%d.jpg", dir.c_str(), index);
}

std::string UIFilePath::getChannelFilePath(int kind, std::string_view channelId, int pageIndex,
                                           int64_t maxId) {
  std::string id(channelId);
  long long m = maxId;
  switch (kind) {
    case 0:
      return pageFile(id == "0"
                          ? format("/Channels/FeedV2.aspx?&max_id=%lld&page=%d&channel_id=%s", m,
                                   pageIndex, id.c_str())
                          : format("/Channels/Channel.aspx?&max_id=%lld&page=%d&channel_id=%s", m,
                                   pageIndex, id.c_str()));
    case 1:
      return pageFile(format("/Channels/Feed.aspx?&max_id=%lld&page=%d&channel_ids=%s", m,
                             pageIndex, id.c_str()));
    case 2:
      return pageFile(format("/Dialog/GetDialogList.aspx?&max_id=%lld&page=%d", m, pageIndex));
    case 3:
      return pageFile(format("/Channels/HotItems?&max_id=%lld&page=%d", m, pageIndex));
    case 4:
      return pageFile(format("/Channels/MyItems?&max_id=%lld&page=%d", m, pageIndex));
    case 5:
      return pageFile(format("/Trend/TopicList?&max_id=%lld&page=%d", m, pageIndex));
    case 6:
      return pageFile(format("/Channels/TopicTimeline?&max_id=%lld&page=%d&topicId=%s", m,
                             pageIndex, id.c_str()));
    case 7:
      return pageFile(format("/Channels/NewProduct?&max_id=%lld&page=%d", m, pageIndex));
    case 8:
      return pageFile("/VEZI/GetBanner");
    case 9:
      return pageFile(format("/VEZI/SearchCompany_page_%d_categoryId_%s", pageIndex, id.c_str()));
    case 10:
      return pageFile("/Search/");
    case 11:
      return pageFile("/Shop/VendorList");
    case 12:
      return pageFile("/Locate/UserGroup");
    case 13:
      return pageFile(format("/Channels/UserTimeline.aspx?&max_id=%lld&page=%d&group_id=%s", m,
                             pageIndex, id.c_str()));
    case 14:
      return pageFile(format("/Channels/Channel.aspx?&max_id=%lld&page=%d&channel_id=%s", m,
                             pageIndex, id.c_str()));
    case 15:
      return pageFile("/Certificate/CertificateInquireList");
    case 16:
      return pageFile("/Quote/RealTimeQuoteList");
    default:
      return ".txt";
  }
}

std::string UIFilePath::getChannelFilePathSinceId(int kind, std::string_view channelId,
                                                  int pageIndex, int64_t sinceId) {
  std::string id(channelId);
  long long s = sinceId;
  switch (kind) {
    case 0:
      return pageFile(id == "0"
                          ? format("/Channels/FeedV2.aspx?since_id=%lld&page=%d&channel_id=%s", s,
                                   pageIndex, id.c_str())
                          : format("/Channels/Channel.aspx?since_id=%lld&page=%d&channel_id=%s", s,
                                   pageIndex, id.c_str()));
    case 1:
      return pageFile(format("/Channels/Feed.aspx?since_id=%lld&page=%d&channel_ids=%s", s,
                             pageIndex, id.c_str()));
    case 2:
      return pageFile(format("/Dialog/GetDialogList.aspx?&since_id=%lld&page=%d", s, pageIndex));
    case 3:
      return pageFile(format("/Channels/HotItems?since_id=%lld&page=%d", s, pageIndex));
    case 4:
      return pageFile(format("/Channels/MyItems?since_id=%lld&page=%d", s, pageIndex));
    case 5:
      return pageFile(format("/Trend/TopicList?&since_id=%lld&page=%d", s, pageIndex));
    case 6:
      return pageFile(format("/Channels/TopicTimeline?&since_id=%lld&page=%d&topicId=%s", s,
                             pageIndex, id.c_str()));
    case 7:
      return pageFile(format("/Channels/NewProduct?since_id=%lld&page=%d", s, pageIndex));
    case 13:
      return pageFile(format("/Channels/UserTimeline.aspx?since_id=%lld&page=%d&group_id=%s", s,
                             pageIndex, id.c_str()));
    case 14:
      return pageFile(format("/Channels/Channel.aspx?since_id=%lld&page=%d&channel_id=%s", s,
                             pageIndex, id.c_str()));
    default:
      return ".txt";
  }
}

std::string UIFilePath::getChannelFilePath(int kind, std::string_view channelId) {
  return getChannelFilePath(kind, channelId, 1, 0);
}

std::string UIFilePath::getSeminarFilePath(int kind, int64_t eventId) {
  long long e = eventId;
  switch (kind) {
    case 1:
      return pageFile(format("/Dialog/GetWatchDialogPostDetail.aspx?max_id=0&event_id=%lld", e));
    case 0:
      return pageFile(format("/Dialog/GetWatchDialogPost.aspx?event_id=%lld", e));
    default:
      return ".txt";
  }
}

std::string UIFilePath::getSeminarFilePath(int kind, const std::vector<std::string>& a) {
  // A list too short for its kind names no page (the bare ".txt", as an unknown kind).
  auto need = [&](size_t n) { return a.size() >= n; };
  switch (kind) {
    case 0:
      if (!need(3)) break;
      return pageFile(format("/Dialog/GetDialogPost.aspx?max_id=%s&page=1&event_id=%s&type=%s",
                             a[0].c_str(), a[1].c_str(), a[2].c_str()));
    case 1:
      if (!need(2)) break;
      return pageFile(format("/Dialog/GetDialogPost.aspx?max_id=0&page=1&event_id=%s&type=%s",
                             a[0].c_str(), a[1].c_str()));
    case 2:
      if (!need(4)) break;
      return pageFile(format("/Dialog/GetDialogPost.aspx?since_id=%s&page=%s&event_id=%s&type=%s",
                             a[3].c_str(), a[1].c_str(), a[2].c_str(), a[0].c_str()));
    case 3:
      if (!need(2)) break;
      return pageFile(format("/Dialog/GetWatchDialogPostDetail.aspx?max_id=%s&event_id=%s",
                             a[0].c_str(), a[1].c_str()));
    case 4:
      if (!need(2)) break;
      return pageFile(format("/Dialog/GetWatchDialogPostDetail.aspx?since_id=%s&event_id=%s",
                             a[1].c_str(), a[0].c_str()));
    default:
      break;
  }
  return ".txt";
}

std::string UIFilePath::getBannerAD() {
  return pageFile("/Dialog/GetBannerAD");
}

std::string UIFilePath::getSeminarDialogPath() {
  return pageFile("/Dialog/", false);
}

std::string UIFilePath::getBundleSourcePath(std::string_view name) {
  size_t slash = name.find('/');
  if (slash != std::string_view::npos) name = name.substr(slash + 1);
  return NSBundle::mainBundle()->resourcePath() + "/" + std::string(name);
}

std::string UIFilePath::getCurDeviceBundleSourcePath(std::string_view baseName) {
  std::string base = NSBundle::mainBundle()->resourcePath() + "/" + std::string(baseName);
  std::string retinaFile = base + "@2x.png";
  std::string plainFile = base + ".png";
  bool useRetina = retina();
  const std::string& first = useRetina ? retinaFile : plainFile;
  const std::string& other = useRetina ? plainFile : retinaFile;
  return fileExists(first) || !fileExists(other) ? first : other;
}

void UIFilePath::removeFileType(int group) {
  std::string lib = libraryPath();
  switch (group) {
    case 1:
      recreateFolder(lib + "/Caches/HTML/" + NSConfig::platformApiHost());
      removePath(getChannelFilePath(0, "4"));
      removePath(getSeminarDialogPath());
      removePath(lib + "/Caches/StatusComments");
      removePath(localPath(5));
      break;
    case 2:
      recreateFolder(lib + "/Caches/img");
      removePath(lib + "/ziza.json");
      break;
    case 3:
      recreateFolder(lib + "/Caches");
      removePath(lib + "/ziza.json");
      break;
    case 4:
      recreateFolder(pageFile("/Channels", false));
      break;
    default:
      break;
  }
  stopActivityIndicatorViewAnimation();
}

void UIFilePath::removeLocalCommentFile() {
  removePath(libraryPath() + "/Caches/StatusComments");
}

void UIFilePath::removeLocalRetweetFile() {
  removePath(libraryPath() + "/Caches/StatusRetweets");
}

void UIFilePath::removeLocalProductFile() {
  removePath(libraryPath() + "/Caches/ProductComments");
}

void UIFilePath::startRemoveFileType(int group) {
  removeFileType(group);
  showPrompt("删除完成！");
}

void UIFilePath::removeFileType(int group, const Value& token) {
  startBusyAnimationWithString("正在删除中...");
  NSGlobe::startDelAnimation(Value::arrayOf({Value(group), token}));
}

void UIFilePath::updateAllImages() {
  std::string root = libraryPath() + "/NewChannelImages";
  std::error_code ec;
  if (!isDirectory(root)) return;
  std::string res = NSBundle::mainBundle()->resourcePath() + "/";
  auto replace = [](const std::string& stored, const std::string& bundled) {
    if (!fileExists(stored) || !fileExists(bundled)) return;
    std::error_code e;
    fs::remove(stored, e);
    fs::copy_file(bundled, stored, e);
  };
  for (const auto& entry : fs::directory_iterator(root, ec)) {
    std::string name = entry.path().filename().string();
    char* end = nullptr;
    long id = std::strtol(name.c_str(), &end, 10);
    if (name.empty() || *end != '\0' || id <= 0 || id > 0x7fffffff) continue;
    int cid = int(id);
    std::string icon = format("%siconID%d.png", res.c_str(), cid);
    std::string icon2x = format("%siconID%d@2x.png", res.c_str(), cid);
    if (retina() && fileExists(icon2x)) icon = icon2x;
    replace(getNewChannelImageIcon(cid), icon);
    replace(getNewChannelImageNavigation(cid), format("%snaviTitle%d.png", res.c_str(), cid));
    replace(getNewChannelImageTuiJian(cid), format("%schanneliconID%d@2x.png", res.c_str(), cid));
    replace(getNewChannelImageTuiJian_Theme1(cid),
            format("%schanneliconID%d_theme1@2x.png", res.c_str(), cid));
  }
}
