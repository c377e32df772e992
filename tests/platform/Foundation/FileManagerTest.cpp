#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"

namespace {

NSFileManager& fm() {
  return NSFileManager::defaultManager();
}

std::string home() {
  return NSHomeDirectory();
}

}  // namespace

TEST(PathUtilities, FoldersLiveUnderTheAppHomeAndAreCreated) {
  ASSERT_NE(std::getenv("ZEPT_HOME"), nullptr);
  EXPECT_EQ(NSHomeDirectory(), std::string(std::getenv("ZEPT_HOME")));
  struct Case {
    std::string path;
    std::string expected;
  };
  const Case cases[] = {
      {NSLibraryDirectory(), home() + "/Library"},
      {NSDocumentDirectory(), home() + "/Documents"},
      {NSCachesDirectory(), home() + "/Library/Caches"},
      {NSTemporaryDirectory(), home() + "/tmp/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.path, c.expected);
    bool dir = false;
    EXPECT_TRUE(fm().fileExistsAtPath(c.path, &dir) && dir) << c.path;
  }
}

TEST(PathUtilities, PathTextHelpers) {
  EXPECT_EQ(lastPathComponent("/a/b.txt"), "b.txt");
  EXPECT_EQ(lastPathComponent("a/b/"), "b");
  EXPECT_EQ(lastPathComponent("/"), "/");
  EXPECT_EQ(lastPathComponent("plain"), "plain");
  EXPECT_EQ(pathExtension("/a/b.tar.gz"), "gz");
  EXPECT_EQ(pathExtension("/a.d/b"), "");
  EXPECT_EQ(pathExtension("/a/.hidden"), "");
  EXPECT_EQ(stringByAppendingPathComponent("/a/", "/b"), "/a/b");
  EXPECT_EQ(stringByAppendingPathComponent("/", "b"), "/b");
  EXPECT_EQ(stringByAppendingPathComponent("", "b"), "b");
  EXPECT_EQ(stringByDeletingLastPathComponent("/a/b.txt"), "/a");
  EXPECT_EQ(stringByDeletingLastPathComponent("/b"), "/");
  EXPECT_EQ(stringByDeletingLastPathComponent("b"), "");
  EXPECT_EQ(stringByDeletingPathExtension("/a.d/b.txt"), "/a.d/b");
  EXPECT_EQ(stringByDeletingPathExtension("/a.d/b"), "/a.d/b");
  EXPECT_EQ(stringByAppendingPathExtension("/a/b", "html"), "/a/b.html");
}

TEST(FileManager, FoldersFilesAndAttributes) {
  std::string base = NSDocumentDirectory() + "/fm";
  NSErrorPtr error;
  EXPECT_FALSE(fm().createDirectoryAtPath(base + "/x/y", false, &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
  EXPECT_EQ(error->code(), NSFileNoSuchFileError);
  EXPECT_TRUE(fm().createDirectoryAtPath(base + "/x/y", true));
  EXPECT_TRUE(fm().createDirectoryAtPath(base + "/x/y", true));  // already there: fine
  EXPECT_FALSE(fm().createDirectoryAtPath(base + "/x/y", false));

  std::string file = base + "/x/note.txt";
  EXPECT_TRUE(fm().createFileAtPath(file, "hello"));
  bool dir = true;
  EXPECT_TRUE(fm().fileExistsAtPath(file, &dir));
  EXPECT_FALSE(dir);
  EXPECT_EQ(fm().contentsAtPath(file), "hello");
  EXPECT_TRUE(fm().createFileAtPath(base + "/empty"));
  EXPECT_EQ(fm().contentsAtPath(base + "/empty"), "");

  // A known modification time reads back exactly.
  struct timespec times[2] = {{1367373600, 0}, {1367373600, 500000000}};
  ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  Value attrs = fm().attributesOfItemAtPath(file);
  EXPECT_EQ(attrs[NSFileSize].unsignedLongLongValue(), 5u);
  EXPECT_EQ(attrs[NSFileModificationDate].dateSeconds(), 1367373600.5);
  EXPECT_EQ(attrs[NSFileType].string(), NSFileTypeRegular);
  EXPECT_EQ(fm().attributesOfItemAtPath(base)[NSFileType].string(), NSFileTypeDirectory);
  EXPECT_TRUE(fm().attributesOfItemAtPath(base + "/missing").isNil());

  using V = std::vector<std::string>;
  EXPECT_EQ(fm().contentsOfDirectoryAtPath(base), (V{"empty", "x"}));
  error.reset();
  EXPECT_FALSE(fm().contentsOfDirectoryAtPath(base + "/missing", &error).has_value());
  EXPECT_EQ(error->code(), NSFileReadNoSuchFileError);
  EXPECT_FALSE(fm().fileExistsAtPath(""));
}

TEST(FileManager, CopyAndMoveNeverReplaceAnExistingItem) {
  std::string base = NSDocumentDirectory();
  ASSERT_TRUE(writeToFile(base + "/a.txt", "A", true));
  ASSERT_TRUE(writeToFile(base + "/b.txt", "B", true));
  NSErrorPtr error;
  EXPECT_FALSE(fm().copyItemAtPath(base + "/a.txt", base + "/b.txt", &error));
  EXPECT_EQ(error->code(), NSFileWriteFileExistsError);
  EXPECT_EQ(fm().contentsAtPath(base + "/b.txt"), "B");
  EXPECT_FALSE(fm().moveItemAtPath(base + "/a.txt", base + "/b.txt"));
  EXPECT_EQ(fm().contentsAtPath(base + "/a.txt"), "A");

  EXPECT_TRUE(fm().copyItemAtPath(base + "/a.txt", base + "/c.txt"));
  EXPECT_EQ(fm().contentsAtPath(base + "/c.txt"), "A");
  EXPECT_TRUE(fm().moveItemAtPath(base + "/c.txt", base + "/d.txt"));
  EXPECT_FALSE(fm().fileExistsAtPath(base + "/c.txt"));
  EXPECT_EQ(fm().contentsAtPath(base + "/d.txt"), "A");
  EXPECT_FALSE(fm().copyItemAtPath(base + "/missing", base + "/e.txt"));

  // Folders copy and remove as a whole.
  ASSERT_TRUE(fm().createDirectoryAtPath(base + "/tree/sub", true));
  ASSERT_TRUE(writeToFile(base + "/tree/sub/leaf", "L", true));
  EXPECT_TRUE(fm().copyItemAtPath(base + "/tree", base + "/tree2"));
  EXPECT_EQ(fm().contentsAtPath(base + "/tree2/sub/leaf"), "L");
  EXPECT_TRUE(fm().removeItemAtPath(base + "/tree"));
  EXPECT_FALSE(fm().fileExistsAtPath(base + "/tree"));
  error.reset();
  EXPECT_FALSE(fm().removeItemAtPath(base + "/tree", &error));
  EXPECT_EQ(error->code(), NSFileNoSuchFileError);
}

TEST(FileManager, NewFilesFollowTheUmaskAndPermissionsCanBeSet) {
  std::string folder = NSDocumentDirectory() + "/modes";
  ASSERT_TRUE(fm().createDirectoryAtPath(folder, true));
  for (bool atomically : {true, false}) {
    std::string path = folder + (atomically ? "/atomic" : "/plain");
    // A child of its own, so that the umask it sets is nobody else's.
    pid_t child = fork();
    if (child == 0) {
      umask(077);
      _exit(writeToFile(path, "secret", atomically) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(fm().attributesOfItemAtPath(path)[NSFilePosixPermissions].intValue(), 0600)
        << atomically;
  }
  std::string path = folder + "/atomic";
  EXPECT_TRUE(fm().setAttributes(
      Value::dictionaryOf({{std::string(NSFilePosixPermissions), Value(0640)}}), path));
  EXPECT_EQ(fm().attributesOfItemAtPath(path)[NSFilePosixPermissions].intValue(), 0640);
  EXPECT_FALSE(fm().setAttributes(
      Value::dictionaryOf({{std::string(NSFilePosixPermissions), Value(0600)}}), folder + "/no"));
}

TEST(FileManager, ModificationDatesCanBeSetToAnyTime) {
  std::string path = NSDocumentDirectory() + "/dated";
  ASSERT_TRUE(writeToFile(path, "x", true));
  for (double when : {1356969600.25, 86400.0, 4102444800.0}) {
    EXPECT_TRUE(fm().setAttributes(
        Value::dictionaryOf({{std::string(NSFileModificationDate), Value::date(when)}}), path));
    EXPECT_NEAR(fm().attributesOfItemAtPath(path)[NSFileModificationDate].dateSeconds(), when,
                1e-3);
  }
  EXPECT_FALSE(fm().setAttributes(
      Value::dictionaryOf({{std::string(NSFileModificationDate), Value::date(0)}}),
      path + ".missing"));
}

TEST(FileManager, TheAppHomeIsKeptToItsOwnerUnlessItIsASharedFolder) {
  std::string outer = NSHomeDirectory();
  auto modeOf = [](const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
  };
  std::string made = outer + "/homes/new", open = outer + "/homes/open",
              shared = outer + "/homes/shared";
  ASSERT_TRUE(fm().createDirectoryAtPath(open, true));
  ASSERT_TRUE(fm().createDirectoryAtPath(shared, true));
  ASSERT_EQ(chmod(open.c_str(), 0755), 0);
  ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
  for (auto [home, mode] :
       {std::pair<std::string, unsigned>{made, 0700}, {open, 0700}, {shared, 01777}}) {
    setenv("ZEPT_HOME", home.c_str(), 1);
    EXPECT_EQ(NSHomeDirectory(), home);
    EXPECT_EQ(modeOf(home), mode) << home;
  }
  setenv("ZEPT_HOME", outer.c_str(), 1);
}

TEST(FileManager, AtomicWritesLeaveNoPartialFiles) {
  std::string folder = NSDocumentDirectory() + "/atomic";
  ASSERT_TRUE(fm().createDirectoryAtPath(folder, true));
  std::string path = folder + "/data.bin";
  std::string big(1 << 20, 'x');
  big[12345] = '\0';
  ASSERT_TRUE(writeToFile(path, "old", true));
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  EXPECT_TRUE(writeToFile(path, big, true));
  EXPECT_EQ(dataWithContentsOfFile(path), big);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the replaced file keeps its permissions
  EXPECT_EQ(fm().contentsOfDirectoryAtPath(folder), (std::vector<std::string>{"data.bin"}));

  // A failed write (the target is a folder; the folder is missing) changes nothing.
  NSErrorPtr error;
  EXPECT_FALSE(writeToFile(folder, "x", true, &error));
  EXPECT_TRUE(error);
  EXPECT_FALSE(writeToFile(folder + "/missing/f", "x", true));
  EXPECT_EQ(fm().contentsOfDirectoryAtPath(folder), (std::vector<std::string>{"data.bin"}));

  EXPECT_TRUE(writeToFile(path, "plain", false));
  EXPECT_EQ(dataWithContentsOfFile(path), "plain");
  EXPECT_FALSE(dataWithContentsOfFile(folder).has_value());
  EXPECT_FALSE(dataWithContentsOfFile(folder + "/nothing").has_value());
}
