#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "Foundation/NSException.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSUserDefaults.h"
#include "support/PropertyListBytes.h"

extern char** environ;

namespace {

std::shared_ptr<NSUserDefaults> defaults() {
  return NSUserDefaults::standardUserDefaults();
}

// Runs one test of this program in a new process whose app home is this process's home.
int runChild(const std::string& filter) {
  std::string self = "/proc/self/exe";
  std::string arg = "--gtest_filter=" + filter;
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  env.push_back("ZEPT_UD_PARENT_HOME=" + NSHomeDirectory());
  std::vector<char*> envp;
  for (auto& s : env) envp.push_back(s.data());
  envp.push_back(nullptr);
  char* argv[] = {self.data(), arg.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a process started by runChild: use the parent's home.  False otherwise.
bool adoptParentHome() {
  const char* parent = std::getenv("ZEPT_UD_PARENT_HOME");
  if (!parent) return false;
  setenv("ZEPT_HOME", parent, 1);
  return true;
}

}  // namespace

TEST(UserDefaults, TypedReadersFollowThePlatform) {
  auto d = defaults();
  d->setObject("abc", "text");
  d->setObject("12", "numericText");
  d->setObject("YES", "yesText");
  d->setInteger(5, "MessageFrequency");
  d->setBool(true, "needSaveAccount");
  d->setDouble(2.5, "ratio");
  d->setObject(Value::dictionaryOf({{"SharedUDID", "x"}}), "SharedUDID");

  EXPECT_EQ(d->stringForKey("text"), "abc");
  EXPECT_EQ(d->stringForKey("MessageFrequency"), "5");
  EXPECT_EQ(d->stringForKey("SharedUDID"), std::nullopt);
  EXPECT_EQ(d->stringForKey("missing"), std::nullopt);
  EXPECT_EQ(d->integerForKey("numericText"), 12);
  EXPECT_EQ(d->integerForKey("MessageFrequency"), 5);
  EXPECT_EQ(d->integerForKey("text"), 0);
  EXPECT_EQ(d->integerForKey("missing"), 0);
  EXPECT_TRUE(d->boolForKey("needSaveAccount"));
  EXPECT_TRUE(d->boolForKey("yesText"));
  EXPECT_TRUE(d->boolForKey("MessageFrequency"));
  EXPECT_FALSE(d->boolForKey("text"));
  EXPECT_FALSE(d->boolForKey("missing"));
  EXPECT_EQ(d->doubleForKey("ratio"), 2.5);
  ASSERT_TRUE(d->dictionaryForKey("SharedUDID"));
  EXPECT_EQ(d->dictionaryForKey("SharedUDID")->objectForKey("SharedUDID").string(), "x");
  EXPECT_FALSE(d->dictionaryForKey("text"));
  EXPECT_FALSE(d->arrayForKey("text"));

  d->removeObjectForKey("text");
  EXPECT_TRUE(d->objectForKey("text").isNil());
  d->setObject(Value(), "ratio");  // nil removes
  EXPECT_TRUE(d->objectForKey("ratio").isNil());
}

TEST(UserDefaults, StoredValuesAreImmutableCopies) {
  auto d = defaults();
  Value list = Value::arrayOf({"a"});
  ASSERT_TRUE(d->setObject(list, "list"));
  list.array()->addObject("b");  // the caller's later edit does not reach the store
  EXPECT_EQ(d->arrayForKey("list")->count(), 1u);
  EXPECT_THROW(d->arrayForKey("list")->addObject("c"), NSException);

  // A value that is no property list is refused and the old value stays.
  EXPECT_FALSE(d->setObject(Value::arrayOf({Value::null()}), "list"));
  EXPECT_EQ(d->arrayForKey("list")->count(), 1u);
}

TEST(UserDefaults, RegisteredDefaultsAnswerOnlyForUnsetKeys) {
  auto d = defaults();
  d->registerDefaults(makeDictionary({{"shake_key", 1}, {"wifi_key", 2}}));
  d->setInteger(2, "shake_key");
  EXPECT_EQ(d->integerForKey("shake_key"), 2);
  EXPECT_EQ(d->integerForKey("wifi_key"), 2);
  d->removeObjectForKey("shake_key");
  EXPECT_EQ(d->integerForKey("shake_key"), 1);
  EXPECT_EQ(d->dictionaryRepresentation()->count(), 2u);
  ASSERT_TRUE(d->synchronize());
  NSUserDefaults::resetStandardUserDefaults();
  EXPECT_TRUE(defaults()->objectForKey("wifi_key").isNil());  // never written to the file
}

TEST(UserDefaults, ValuesSurviveAReload) {
  auto d = defaults();
  d->setObject("k-123", "registerClientKey");
  d->setObject(Value::date(1367373600.75), "SharedUDID_createdTS");
  d->setBool(false, "hasFlag");
  ASSERT_TRUE(d->synchronize());
  EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(NSUserDefaults::standardPath()));
  EXPECT_EQ(NSUserDefaults::standardPath(),
            NSLibraryDirectory() + "/Preferences/com.zept.reader.plist");
  // It holds the client key: the owner's alone.
  EXPECT_EQ(NSFileManager::defaultManager()
                .attributesOfItemAtPath(NSUserDefaults::standardPath())[NSFilePosixPermissions]
                .intValue(),
            0600);

  NSUserDefaults::resetStandardUserDefaults();
  auto again = defaults();
  EXPECT_NE(again.get(), d.get());
  EXPECT_EQ(again->stringForKey("registerClientKey"), "k-123");
  EXPECT_EQ(again->objectForKey("SharedUDID_createdTS").dateSeconds(), 1367373600.75);
  EXPECT_EQ(again->objectForKey("hasFlag").kind(), Value::Kind::Bool);
}

// Runs twice: as the test, and as the new process that the test starts (with the test's home).
TEST(UserDefaults, SurviveAProcessRestart) {
  if (adoptParentHome()) {
    // The new process reads what the first one wrote, and changes it without synchronising.
    auto d = defaults();
    ASSERT_EQ(d->stringForKey("registerClientKey"), "k-123");
    ASSERT_EQ(d->integerForKey("MessageFrequency"), 3);
    d->setObject("k-456", "registerClientKey");
    d->removeObjectForKey("MessageFrequency");
    return;
  }
  auto d = defaults();
  d->setObject("k-123", "registerClientKey");
  d->setInteger(3, "MessageFrequency");
  ASSERT_TRUE(d->synchronize());
  EXPECT_EQ(runChild("UserDefaults.SurviveAProcessRestart"), 0);
  // Its changes reached the file when it exited.
  NSUserDefaults::resetStandardUserDefaults();
  EXPECT_EQ(defaults()->stringForKey("registerClientKey"), "k-456");
  EXPECT_EQ(defaults()->integerForKey("MessageFrequency"), 0);
}

TEST(UserDefaults, AnUnreadableFileIsSetAsideNotLost) {
  std::string path = NSUserDefaults::standardPath();
  ASSERT_TRUE(writeToFile(path, "not a property list", true));
  auto d = defaults();
  EXPECT_TRUE(d->dictionaryRepresentation()->count() == 0);
  EXPECT_EQ(dataWithContentsOfFile(path + ".unreadable"), "not a property list");
  d->setObject("v", "k");
  EXPECT_TRUE(d->synchronize());
  NSUserDefaults::resetStandardUserDefaults();
  EXPECT_EQ(defaults()->stringForKey("k"), "v");
}

// A process killed right after a write has lost nothing of what that write held, and nothing
// of what the file held before it.
TEST(UserDefaults, AProcessKilledRightAfterAWriteLosesNothing) {
  auto d = defaults();
  d->setObject("k-123", "registerClientKey");
  ASSERT_TRUE(d->synchronize());
  NSUserDefaults::resetStandardUserDefaults();

  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    auto child = defaults();
    for (int i = 0; i < 12; ++i) child->setInteger(i + 1, "key" + std::to_string(i));
    child->setObject(Value::dictionaryOf({{"SharedUDID", "abc"}}), "SharedUDID");
    child->synchronize();
    raise(SIGKILL);
    _exit(3);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGKILL);

  auto again = defaults();
  EXPECT_EQ(again->stringForKey("registerClientKey"), "k-123");
  for (int i = 0; i < 12; ++i) EXPECT_EQ(again->integerForKey("key" + std::to_string(i)), i + 1);
  ASSERT_TRUE(again->dictionaryForKey("SharedUDID"));
  EXPECT_EQ(again->dictionaryForKey("SharedUDID")->objectForKey("SharedUDID").string(), "abc");
}

// Files the property-list library cannot take (a NUL inside a string or key, nesting far past
// any real settings file) go the same way as any unreadable file: set aside, and the defaults
// carry on empty.
TEST(UserDefaults, AFileTheReaderCannotTakeIsSetAsideToo) {
  using namespace testsupport;
  const std::string nul("\0", 1);
  const std::string files[] = {
      xmlPropertyList("<dict><key>k</key><string>a" + nul + "b</string></dict>"),
      binaryPropertyList(
          {bplistDictionary({1}, {2}), bplistUTF16(std::u16string(u"k\0z", 3)), bplistInteger(1)}),
      deepXMLPropertyList(50000),
      deepBinaryPropertyList(50000),
  };
  std::string path = NSUserDefaults::standardPath();
  for (const std::string& file : files) {
    SCOPED_TRACE(file.substr(0, 60));
    NSUserDefaults::resetStandardUserDefaults();
    ASSERT_TRUE(writeToFile(path, file, true));
    EXPECT_EQ(defaults()->dictionaryRepresentation()->count(), 0u);
    EXPECT_EQ(dataWithContentsOfFile(path + ".unreadable"), file);
    EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(path));
    defaults()->setObject("v", "k");
    EXPECT_TRUE(defaults()->synchronize());
  }
  NSUserDefaults::resetStandardUserDefaults();
  EXPECT_EQ(defaults()->stringForKey("k"), "v");
}
