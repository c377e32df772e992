#include "Foundation/NSFileManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

NSErrorPtr makeError(long cocoaCode, int posixCode, std::string_view path, std::string what) {
  auto info = makeDictionary({
      {std::string(NSLocalizedDescriptionKey),
       Value(what + " \u201c" + std::string(path) + "\u201d: " + std::strerror(posixCode))},
      {std::string(NSFilePathErrorKey), Value(std::string(path))},
  });
  info->setObject(Value(NSError::errorWithDomain(NSPOSIXErrorDomain, posixCode)),
                  NSUnderlyingErrorKey);
  return NSError::errorWithDomain(NSCocoaErrorDomain, cocoaCode, Value(info));
}

// The process's umask, read where reading it does not change it (umask() would set it, racing
// with files made meanwhile on other threads).
mode_t processUmask() {
  int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 022;
  char buf[4096];
  ssize_t n = ::read(fd, buf, sizeof buf - 1);
  ::close(fd);
  if (n <= 0) return 022;
  buf[n] = '\0';
  const char* line = std::strstr(buf, "\nUmask:");
  return line ? mode_t(std::strtoul(line + 7, nullptr, 8)) & 0777 : 022;
}

long readCode(int e) {
  if (e == ENOENT || e == ENOTDIR) return NSFileReadNoSuchFileError;
  if (e == EACCES || e == EPERM) return NSFileReadNoPermissionError;
  return NSFileReadUnknownError;
}

long writeCode(int e) {
  if (e == ENOENT || e == ENOTDIR) return NSFileNoSuchFileError;
  if (e == EACCES || e == EPERM || e == EROFS) return NSFileWriteNoPermissionError;
  if (e == EEXIST) return NSFileWriteFileExistsError;
  if (e == ENOSPC || e == EDQUOT) return NSFileWriteOutOfSpaceError;
  return NSFileWriteUnknownError;
}

bool fail(NSErrorPtr* error, long code, int posixCode, std::string_view path, std::string what) {
  if (error) *error = makeError(code, posixCode, path, std::move(what));
  return false;
}

bool existsNoFollow(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

bool writeAll(int fd, std::string_view bytes) {
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= size_t(n);
  }
  return true;
}

std::string parentOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

NSFileManager& NSFileManager::defaultManager() {
  static NSFileManager manager;
  return manager;
}

bool NSFileManager::fileExistsAtPath(std::string_view path, bool* isDirectory) const {
  struct stat st;
  if (path.empty() || ::stat(std::string(path).c_str(), &st) != 0) {
    if (isDirectory) *isDirectory = false;
    return false;
  }
  if (isDirectory) *isDirectory = S_ISDIR(st.st_mode);
  return true;
}

bool NSFileManager::createDirectoryAtPath(std::string_view path, bool withIntermediateDirectories,
                                          NSErrorPtr* error) const {
  std::string p(path);
  if (p.empty()) return fail(error, NSFileNoSuchFileError, ENOENT, path, "Cannot create folder");
  if (withIntermediateDirectories) {
    std::error_code ec;
    fs::create_directories(p, ec);
    bool dir = false;
    if (fileExistsAtPath(p, &dir) && dir) return true;
    return fail(error, writeCode(ec ? ec.value() : EEXIST), ec ? ec.value() : EEXIST, path,
                "Cannot create folder");
  }
  if (::mkdir(p.c_str(), 0777) != 0) {
    int e = errno;
    return fail(error, writeCode(e), e, path, "Cannot create folder");
  }
  return true;
}

bool NSFileManager::createFileAtPath(std::string_view path, std::string_view contents,
                                     NSErrorPtr* error) const {
  return writeToFile(path, contents, true, error);
}

bool NSFileManager::removeItemAtPath(std::string_view path, NSErrorPtr* error) const {
  std::string p(path);
  if (p.empty() || !existsNoFollow(p))
    return fail(error, NSFileNoSuchFileError, ENOENT, path, "Cannot remove");
  std::error_code ec;
  fs::remove_all(p, ec);
  if (ec) return fail(error, writeCode(ec.value()), ec.value(), path, "Cannot remove");
  return true;
}

bool NSFileManager::moveItemAtPath(std::string_view source, std::string_view destination,
                                   NSErrorPtr* error) const {
  std::string s(source), d(destination);
  if (s.empty() || !existsNoFollow(s))
    return fail(error, NSFileNoSuchFileError, ENOENT, source, "Cannot move");
  if (d.empty() || existsNoFollow(d))
    return fail(error, NSFileWriteFileExistsError, EEXIST, destination, "Cannot move to");
  if (::rename(s.c_str(), d.c_str()) == 0) return true;
  int e = errno;
  if (e != EXDEV) return fail(error, writeCode(e), e, destination, "Cannot move to");
  // Another file system: copy, then remove the original.
  if (!copyItemAtPath(s, d, error)) return false;
  return removeItemAtPath(s, error);
}

bool NSFileManager::copyItemAtPath(std::string_view source, std::string_view destination,
                                   NSErrorPtr* error) const {
  std::string s(source), d(destination);
  if (s.empty() || !existsNoFollow(s))
    return fail(error, NSFileReadNoSuchFileError, ENOENT, source, "Cannot copy");
  if (d.empty() || existsNoFollow(d))
    return fail(error, NSFileWriteFileExistsError, EEXIST, destination, "Cannot copy to");
  std::error_code ec;
  fs::copy(s, d, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove_all(d, ignored);
    return fail(error, writeCode(ec.value()), ec.value(), destination, "Cannot copy to");
  }
  return true;
}

std::optional<std::vector<std::string>> NSFileManager::contentsOfDirectoryAtPath(
    std::string_view path, NSErrorPtr* error) const {
  std::error_code ec;
  fs::directory_iterator it(std::string(path), ec);
  if (ec) {
    fail(error, readCode(ec.value()), ec.value(), path, "Cannot list folder");
    return std::nullopt;
  }
  std::vector<std::string> names;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    names.push_back(it->path().filename().string());
  }
  if (ec) {
    fail(error, readCode(ec.value()), ec.value(), path, "Cannot list folder");
    return std::nullopt;
  }
  std::sort(names.begin(), names.end());
  return names;
}

Value NSFileManager::attributesOfItemAtPath(std::string_view path, NSErrorPtr* error) const {
  struct stat st;
  if (path.empty() || ::lstat(std::string(path).c_str(), &st) != 0) {
    int e = path.empty() ? ENOENT : errno;
    fail(error, readCode(e), e, path, "Cannot read attributes of");
    return {};
  }
  std::string_view type = S_ISREG(st.st_mode)   ? NSFileTypeRegular
                          : S_ISDIR(st.st_mode) ? NSFileTypeDirectory
                          : S_ISLNK(st.st_mode) ? NSFileTypeSymbolicLink
                                                : NSFileTypeUnknown;
  double mtime = double(st.st_mtim.tv_sec) + double(st.st_mtim.tv_nsec) / 1e9;
  return Value::dictionaryOf({
      {std::string(NSFileSize), Value((unsigned long long)st.st_size)},
      {std::string(NSFileModificationDate), Value::date(mtime)},
      {std::string(NSFileType), Value(type)},
      {std::string(NSFilePosixPermissions), Value((unsigned long long)(st.st_mode & 07777))},
  });
}

bool NSFileManager::setAttributes(const Value& attributes, std::string_view path,
                                  NSErrorPtr* error) const {
  Value mode = attributes[NSFilePosixPermissions];
  if (!mode.isNil() &&
      (path.empty() || ::chmod(std::string(path).c_str(), mode_t(mode.intValue()) & 07777) != 0)) {
    int e = path.empty() ? ENOENT : errno;
    return fail(error, writeCode(e), e, path, "Cannot set attributes of");
  }
  Value date = attributes[NSFileModificationDate];
  if (date.isDate()) {
    double seconds = date.dateSeconds();
    double whole = std::floor(seconds);
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;  // the access date stays
    times[1].tv_sec = time_t(whole);
    times[1].tv_nsec = long((seconds - whole) * 1e9);
    if (path.empty() || ::utimensat(AT_FDCWD, std::string(path).c_str(), times, 0) != 0) {
      int e = path.empty() ? ENOENT : errno;
      return fail(error, writeCode(e), e, path, "Cannot set attributes of");
    }
  }
  return true;
}

std::optional<std::string> NSFileManager::contentsAtPath(std::string_view path) const {
  return dataWithContentsOfFile(path);
}

std::optional<std::string> dataWithContentsOfFile(std::string_view path, NSErrorPtr* error) {
  std::string p(path);
  int fd = p.empty() ? -1 : ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    int e = p.empty() ? ENOENT : errno;
    fail(error, readCode(e), e, path, "Cannot read");
    return std::nullopt;
  }
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    fail(error, NSFileReadUnknownError, EISDIR, path, "Cannot read");
    return std::nullopt;
  }
  std::string out;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      int e = errno;
      ::close(fd);
      fail(error, readCode(e), e, path, "Cannot read");
      return std::nullopt;
    }
    if (n == 0) break;
    out.append(buf, size_t(n));
  }
  ::close(fd);
  return out;
}

bool writeToFile(std::string_view path, std::string_view bytes, bool atomically,
                 NSErrorPtr* error) {
  std::string p(path);
  if (p.empty()) return fail(error, NSFileNoSuchFileError, ENOENT, path, "Cannot write");
  if (!atomically) {
    int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
      int e = errno;
      return fail(error, writeCode(e), e, path, "Cannot write");
    }
    bool ok = writeAll(fd, bytes);
    int e = errno;
    if (::close(fd) != 0 && ok) {
      ok = false;
      e = errno;
    }
    return ok ? true : fail(error, writeCode(e), e, path, "Cannot write");
  }
  // The target keeps its permissions; a new file gets what the umask lets a new file have.
  mode_t mode = 0666 & ~processUmask();
  struct stat st;
  if (::stat(p.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode))
      return fail(error, NSFileWriteUnknownError, EISDIR, path, "Cannot write");
    mode = st.st_mode & 07777;
  }
  std::string tmpl = p + ".tmp-XXXXXX";
  int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
  if (fd < 0) {
    int e = errno;
    return fail(error, writeCode(e), e, path, "Cannot write");
  }
  bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
  int e = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    e = errno;
  }
  if (ok && ::rename(tmpl.c_str(), p.c_str()) != 0) {
    ok = false;
    e = errno;
  }
  if (!ok) {
    ::unlink(tmpl.c_str());
    return fail(error, writeCode(e), e, path, "Cannot write");
  }
  // Make the rename itself durable.
  int dir = ::open(parentOf(p).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}
